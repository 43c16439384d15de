#include "platform/sdl/fltk_style.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace sdl_backend {

namespace {

// The game's palette: the felt's dark green, the board's wood, a cream for text.
constexpr uchar kFelt[3] = {28, 56, 40};
constexpr uchar kFeltDeep[3] = {16, 36, 26};
constexpr uchar kCream[3] = {244, 236, 214};
constexpr Fl_Color kWood = 0x9C683600;       // buttons
constexpr Fl_Color kWoodLight = 0xC8965A00;  // selection, pressed buttons
constexpr Fl_Fontsize kTextSize = 15;
constexpr int kMargin = 10;    // window edge to the nearest widget or label
constexpr int kLabelPad = 14;  // each side of a button's label
constexpr int kButtonGap = 8;  // between buttons in one row

class PlainDefaultButton;
// Both forget a window or a cover when FLTK deletes it (the file chooser
// lives only while it is asked), so no pointer outlives its widget.
std::set<Fl_Window*> styled;
std::vector<PlainDefaultButton*> covers;

// A zero-size child that says a window was styled, and unsays it when the
// window and its children are deleted.
class StyledMark : public Fl_Widget {
 public:
  explicit StyledMark(Fl_Window* window) : Fl_Widget(0, 0, 0, 0), window_(window) {
    styled.insert(window);
  }
  ~StyledMark() override { styled.erase(window_); }
  void draw() override {}

 private:
  Fl_Window* window_;
};

// Draws and reacts in place of a return button, without its arrow. The
// return button itself stays (drawing nothing) for the Enter key.
class PlainDefaultButton : public Fl_Button {
 public:
  explicit PlainDefaultButton(Fl_Button* under)
      : Fl_Button(under->x(), under->y(), under->w(), under->h()), under_(under) {
    callback([](Fl_Widget*, void* data) { static_cast<Fl_Widget*>(data)->do_callback(); }, under);
    visible_focus(0);
  }
  ~PlainDefaultButton() override { covers.erase(std::find(covers.begin(), covers.end(), this)); }
  Fl_Button* under() const { return under_; }
  // The dialog relabels, moves and hides its buttons for each question.
  void Follow() {
    if (x() != under_->x() || y() != under_->y() || w() != under_->w() || h() != under_->h())
      resize(under_->x(), under_->y(), under_->w(), under_->h());
    copy_label(under_->label());
    labelsize(under_->labelsize());
    labelcolor(under_->labelcolor());
    color(under_->color());
    selection_color(under_->selection_color());
    box(under_->box());
    if (under_->visible() && !visible()) show();
    if (!under_->visible() && visible()) hide();
    redraw();
  }

 private:
  Fl_Button* under_;
};

void Collect(Fl_Group* group, std::vector<Fl_Widget*>& out) {
  for (int i = 0; i < group->children(); ++i) {
    Fl_Widget* child = group->child(i);
    out.push_back(child);
    if (Fl_Group* inner = child->as_group()) Collect(inner, out);
  }
}

int LabelWidth(const Fl_Widget* widget) {
  if (!widget->label() || !widget->label()[0]) return 0;
  int w = 0, h = 0;
  fl_font(widget->labelfont(), widget->labelsize());
  fl_measure(widget->label(), w, h, 0);
  return w;
}

// Buttons in one row, from the right: each as wide as its label needs,
// right edges kept, the row closed up leftwards.
void WidenButtonRow(std::vector<Fl_Button*> row) {
  std::sort(row.begin(), row.end(), [](Fl_Button* a, Fl_Button* b) { return a->x() > b->x(); });
  int right = row.front()->x() + row.front()->w();
  for (Fl_Button* button : row) {
    const int width = std::max(button->w(), LabelWidth(button) + 2 * kLabelPad);
    button->resize(right - width, button->y(), width, button->h());
    right -= width + kButtonGap;
  }
}

void StyleWindow(Fl_Window* window) {
  std::vector<Fl_Widget*> widgets;
  Collect(window, widgets);
  bool chooser = false;
  std::vector<Fl_Button*> buttons;
  for (Fl_Widget* widget : widgets) {
    if (dynamic_cast<Fl_File_Browser*>(widget)) chooser = true;
    // Push buttons with a label; check buttons keep the window's look.
    auto* button = dynamic_cast<Fl_Button*>(widget);
    if (button && !dynamic_cast<Fl_Light_Button*>(button) && button->label() &&
        button->label()[0] && button->box() != FL_NO_BOX)
      buttons.push_back(button);
  }
  for (Fl_Button* button : buttons) {
    button->color(kWood);
    button->selection_color(kWoodLight);
    button->labelcolor(fl_rgb_color(kCream[0], kCream[1], kCream[2]));
  }
  if (chooser) {
    // Buttons along the bottom: wide enough for "Abbrechen".
    std::vector<Fl_Button*> bottom;
    int lowest = 0;
    for (Fl_Button* b : buttons) lowest = std::max(lowest, b->y());
    for (Fl_Button* b : buttons)
      if (b->y() == lowest) bottom.push_back(b);
    if (!bottom.empty()) WidenButtonRow(bottom);
    // Labels left of their field ("Zeigen:", "Dateiname:") clear of the edge.
    for (Fl_Widget* widget : widgets) {
      if ((widget->align() & (FL_ALIGN_INSIDE | FL_ALIGN_LEFT)) != FL_ALIGN_LEFT) continue;
      const int need = kMargin + LabelWidth(widget) + 6;
      if (LabelWidth(widget) == 0 || widget->x() >= need) continue;
      const int shift = need - widget->x();
      widget->resize(widget->x() + shift, widget->y(), widget->w() - shift, widget->h());
    }
  }
  // The message box's sign ("?", "!", "i") on the wood.
  if (Fl_Widget* icon = fl_message_icon(); icon && icon->window() == window) {
    icon->box(FL_THIN_UP_BOX);
    icon->color(kWoodLight);
    icon->labelcolor(fl_rgb_color(kFeltDeep[0], kFeltDeep[1], kFeltDeep[2]));
  }
  // The default button without the return arrow.
  for (Fl_Widget* widget : widgets) {
    auto* defaultButton = dynamic_cast<Fl_Return_Button*>(widget);
    if (!defaultButton) continue;
    defaultButton->type(FL_HIDDEN_BUTTON);
    auto* cover = new PlainDefaultButton(defaultButton);
    defaultButton->parent()->add(cover);
    covers.push_back(cover);
  }
  window->add(new StyledMark(window));
  window->redraw();
}

// Before FLTK waits: style windows shown for the first time and keep the
// covers in step with the buttons they stand for.
void CheckWindows(void*) {
  for (Fl_Window* window = Fl::first_window(); window; window = Fl::next_window(window)) {
    if (!styled.count(window)) StyleWindow(window);
  }
  for (PlainDefaultButton* cover : covers) {
    Fl_Button* under = cover->under();
    if (cover->x() != under->x() || cover->y() != under->y() || cover->w() != under->w() ||
        cover->visible() != under->visible() ||
        std::string(cover->label() ? cover->label() : "") != (under->label() ? under->label() : ""))
      cover->Follow();
  }
}

// FLTK 1.3 reads and writes its options (fltk.prefs) and the file chooser's
// favourites (filechooser.prefs) under $HOME/.fltk; the path is taken once,
// when each of the two preference roots is made. Both are made here with
// HOME pointing below /dev/null, where no folder can be created: FLTK then
// finds nothing to read and writes nothing.
void KeepPreferencesOutOfHome() {
  const char* home = std::getenv("HOME");
  const std::string saved = home ? home : "";
  ::setenv("HOME", "/dev/null", 1);
  Fl::option(Fl::OPTION_VISIBLE_FOCUS);  // reads the options once and for all
  { Fl_File_Chooser makesItsPreferences(".", nullptr, Fl_File_Chooser::SINGLE, ""); }
  if (home)
    ::setenv("HOME", saved.c_str(), 1);
  else
    ::unsetenv("HOME");
}

}  // namespace

void StyleFltk() {
  static bool done = false;
  if (done) return;
  done = true;
  KeepPreferencesOutOfHome();
  Fl::scheme("gtk+");
  Fl::background(kFelt[0], kFelt[1], kFelt[2]);
  Fl::background2(kFeltDeep[0], kFeltDeep[1], kFeltDeep[2]);
  Fl::foreground(kCream[0], kCream[1], kCream[2]);
  Fl::set_color(FL_SELECTION_COLOR, kWoodLight);
  FL_NORMAL_SIZE = kTextSize;
  fl_message_font(FL_HELVETICA, kTextSize);
  Fl::add_check(CheckWindows);
}

}  // namespace sdl_backend
