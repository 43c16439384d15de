// Shows one of each widget of the kit, built from pictures drawn at
// start-up, so they can be seen and tried in a real window. Runs until the
// window is closed or Escape is pressed.
//
// On start it prints the place of every widget ("layout NAME x y width
// height") and afterwards every click and value change, for the end-to-end
// test.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "pictures.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/strip_font.h"
#include "toolkit/TAction.h"
#include "toolkit/THorizontalSlider.h"
#include "toolkit/TOvalButton.h"
#include "toolkit/TOvalCheckButton.h"
#include "toolkit/TOvalMouseInteraction.h"
#include "toolkit/TRectButton.h"
#include "toolkit/TRectCheckButton.h"
#include "toolkit/TRectMouseInteraction.h"
#include "toolkit/TRectRadioButtonHorizontalGroup.h"
#include "toolkit/TRectRadioButtonVerticalGroup.h"
#include "toolkit/TVerticalSlider.h"
#include "toolkit/ui_state.h"

namespace {

constexpr int kWidth = 1000, kHeight = 720;
constexpr float kLabelScale = 0.42f;

void Layout(const char* name, int x, int y, int width, int height) {
  std::printf("layout %s %d %d %d %d\n", name, x, y, width, height);
}

void Label(const std::string& text, float x, float y, float scale = kLabelScale) {
  SetDrawScale(scale, scale);
  SetColor(200, 206, 218);
  DrawTextAt(text, x, y);
  SetColor(255, 255, 255);
  SetDrawScale(1.0f, 1.0f);
}

std::string Fixed(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// Mouse areas draw nothing themselves; the gallery tints their box by state.
void TintForState(uint8_t activ) {
  static const int kTints[5][3] = {
      {70, 76, 90}, {90, 120, 170}, {230, 150, 60}, {210, 120, 50}, {80, 190, 110}};
  const int* tint = kTints[activ < 5 ? activ : 0];
  SetColor(tint[0], tint[1], tint[2]);
}

struct Gallery {
  std::shared_ptr<TRectButton> rectButton;
  std::shared_ptr<TOvalButton> ovalButton;
  std::shared_ptr<TRectCheckButton> rectCheck;
  std::shared_ptr<TOvalCheckButton> ovalCheck;
  std::shared_ptr<TRectRadioButtonHorizontalGroup> row;
  std::shared_ptr<TRectRadioButtonVerticalGroup> column;
  std::shared_ptr<THorizontalSlider> slider;
  std::shared_ptr<THorizontalSlider> sliderClone;
  std::shared_ptr<TVerticalSlider> vslider;
  std::shared_ptr<TRectMouseInteraction> rectArea;
  std::shared_ptr<TOvalMouseInteraction> ovalArea;
  PictureRef ovalAreaPicture;
  std::string lastEvent = "-";
  int clicks = 0;
};

Gallery Build(const std::string& folder) {
  auto file = [&](const char* name) { return folder + "/" + name; };
  Gallery g;
  g.rectButton = TRectButton::build(40, 110, file("rect-button.png"), 0.45f, 0.5f);
  Layout("rect-button", 40, 110, 200, 64);
  g.ovalButton = TOvalButton::build(290, 97, file("oval-button.png"), 0.45f, 0.5f);
  Layout("oval-button", 290, 97, 150, 90);
  g.rectCheck =
      TRectCheckButton::build(40, 250, file("check-off.png"), file("check-on.png"), 1, 0.4f, 0.55f);
  Layout("rect-check", 40, 250, 48, 48);
  g.ovalCheck = TOvalCheckButton::build(110, 250, file("round-off.png"), file("round-on.png"), 0,
                                        0.4f, 0.55f);
  Layout("oval-check", 110, 250, 48, 48);
  g.row = TRectRadioButtonHorizontalGroup::build(40, 360, file("radio-row-off.png"),
                                                 file("radio-row-on.png"), 4, 90, 48, 2, 0.4f);
  Layout("radio-row", 40, 360, 360, 48);
  g.column =
      TRectRadioButtonVerticalGroup::build(820, 110, file("radio-column-off.png"),
                                           file("radio-column-on.png"), 3, 120, 44, 1, 0.4f, 0.0f);
  Layout("radio-column", 820, 110, 120, 132);
  g.slider = THorizontalSlider::build(40, 470, file("slider-bar.png"), file("slider-knob.png"),
                                      0.25f, 0.05f);
  Layout("slider", 40, 470, 420, 40);
  g.sliderClone = g.slider->clone(40, 530, 0.75f, 0.1f);
  Layout("slider-clone", 40, 530, 420, 40);
  g.vslider = TVerticalSlider::build(560, 110, file("vslider-bar.png"), file("vslider-knob.png"),
                                     0.5f, 0.05f);
  Layout("vslider", 560, 110, 40, 300);
  g.rectArea = TRectMouseInteraction::build(40, 600, 220, 90);
  Layout("rect-area", 40, 600, 220, 90);
  g.ovalArea = TOvalMouseInteraction::build(290, 590, 220, 110);
  Layout("oval-area", 290, 590, 220, 110);
  g.ovalAreaPicture = LoadPicture(file("oval-area.png"));
  std::fflush(stdout);
  return g;
}

void Event(Gallery& g, const std::string& text) {
  g.lastEvent = text;
  g.clicks++;
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

void Frame(Gallery& g) {
  SetBlend(kBlendAlpha);
  SetAlpha(1.0f);
  SetColor(34, 38, 48);
  DrawRect(0, 0, kWidth, kHeight);
  SetColor(255, 255, 255);

  Label("Kavro Widget-Galerie", 40, 60, 0.6f);
  Label("Knöpfe", 40, 100);
  if (g.rectButton->show()) Event(g, "click rect-button");
  if (g.ovalButton->show()) Event(g, "click oval-button");
  Label("Schalter", 40, 240);
  if (g.rectCheck->show()) Event(g, "check rect-check " + std::to_string(g.rectCheck->selected));
  if (g.ovalCheck->show()) Event(g, "check oval-check " + std::to_string(g.ovalCheck->selected));
  Label("Auswahl", 40, 350);
  if (uint8_t cell = g.row->show()) Event(g, "select radio-row " + std::to_string(cell));
  if (uint8_t cell = g.column->show()) Event(g, "select radio-column " + std::to_string(cell));
  Label("Auswahl", 820, 100);

  Label("Regler " + Fixed(g.slider->Value) + "  /  " + Fixed(g.sliderClone->Value), 40, 460);
  if (g.slider->show()) Event(g, "value slider " + Fixed(g.slider->Value));
  if (g.sliderClone->show()) Event(g, "value slider-clone " + Fixed(g.sliderClone->Value));
  Label(Fixed(g.vslider->Value), 552, 100);
  if (g.vslider->show()) Event(g, "value vslider " + Fixed(g.vslider->Value));

  Label("Mausflächen", 40, 590);
  g.rectArea->update();
  g.ovalArea->update();
  if (g.rectArea->activ == 4) Event(g, "click rect-area");
  if (g.ovalArea->activ == 4) Event(g, "click oval-area");
  TintForState(g.rectArea->activ);
  DrawRect(40, 600, 220, 90);
  TintForState(g.ovalArea->activ);
  DrawPicture(g.ovalAreaPicture, 290, 590, 0);
  SetColor(255, 255, 255);
  Label("activ " + std::to_string(g.rectArea->activ), 100, 655);
  Label("activ " + std::to_string(g.ovalArea->activ), 355, 655);

  Label("Letztes: " + g.lastEvent, 560, 660);
  Label("Ereignisse: " + std::to_string(g.clicks), 560, 700);
}

}  // namespace

int main() {
  char pattern[] = "/tmp/kavro-gallery-XXXXXX";
  if (!mkdtemp(pattern)) {
    std::perror("kavro-widget-gallery: scratch folder");
    return 1;
  }
  std::string folder = pattern;
  int code = 0;
  try {
    if (!gallery::WriteGalleryPictures(folder)) {
      std::fprintf(stderr, "kavro-widget-gallery: cannot write the pictures\n");
      EndProgram(1);
    }
    if (!InstallSdlBackend()) EndProgram(1);
    Action = TAction::build();
    OpenWindow(kWidth, kHeight, 60);
    SetWindowTitle("Kavro Widgets");
    SetBlend(kBlendAlpha);
    FontRef font =
        LoadAutoSizedFont("incbin::media/bitmapfont.png", 46, 60, 22, kStripFontGlyphList, -2, 0);
    if (font) SetTextFont(font);
    Gallery g = Build(folder);
    Action->flush();
    for (;;) {
      Action->update();
      if (Action->Close || Action->Escape) break;
      Frame(g);
      PresentFrame();
    }
  } catch (const ProgramExit& exit) {
    code = exit.code;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return code;
}
