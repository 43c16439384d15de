#include "toolkit/TTextSnake.h"

#include <algorithm>
#include <cmath>

#include "platform/platform.h"
#include "toolkit/ui_state.h"

namespace {

// A letter is one character as the font system reads the text (TextCodes),
// written back as UTF-8 so that each letter measures and draws on its own.
std::string EncodeUtf8(int code) {
  std::string out;
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
  return out;
}

std::vector<std::string> SplitLetters(const std::string& text) {
  std::vector<std::string> letters;
  for (int code : TextCodes(text)) letters.push_back(EncodeUtf8(code));
  return letters;
}

constexpr int32_t kShortestTime = 100;
constexpr float kDarkHaloRadius = 2.5f, kLightHaloRadius = 5.5f;  // font pixels

}  // namespace

std::shared_ptr<TTextSnake> TTextSnake::build(const std::string& text, int32_t appearTime,
                                              int32_t upDownTime, int32_t upDownWay) {
  auto snake = std::make_shared<TTextSnake>();
  snake->Letter = SplitLetters(text);
  const int32_t letters = int32_t(snake->Letter.size());
  snake->CountLetters = letters - 1;
  snake->HalfWidth = int32_t(0.5 * MeasureTextWidth(text));
  snake->Letterheight = MeasureTextHeight(text);
  for (const std::string& letter : snake->Letter)
    snake->Letterwidth.push_back(MeasureTextWidth(letter));
  snake->appear_time = std::max(appearTime, kShortestTime);
  snake->up_down_time = std::max(upDownTime, kShortestTime);
  // From the value given, before clamping; an empty text has no letters to delay.
  snake->single_waiting = letters > 0 ? int32_t(4.5 * upDownTime / letters) : 0;
  snake->up_down_way = upDownWay != 0 ? upDownWay : int32_t(0.2 * snake->Letterheight);
  snake->SpeedControl = TSpeedControl::build();
  snake->SpeedControl->Start();
  return snake;
}

int TTextSnake::draw(float x, float y) {
  SpeedControl->UpdateTime();
  SpeedControl->UpdateStates(appear_time, 0);
  const float s = Scale * SpeedControl->GetValue(speed::kOnce, speed::kOvershootOut);
  x = x - s * static_cast<float>(HalfWidth);
  SetDrawScale(s, s);
  std::vector<float> letterX, letterY;
  for (int32_t k = 0; k <= CountLetters; k++) {
    SpeedControl->UpdateStates(up_down_time, k * single_waiting);
    const float v = SpeedControl->GetValue(speed::kSignedWaveEndless, speed::kQuarterSineOut);
    letterX.push_back(x);
    letterY.push_back(y +
                      s * (static_cast<float>(Letterheight) + v * static_cast<float>(up_down_way)));
    x = x + s * static_cast<float>(Letterwidth[k]);
  }
  if (Outline) DrawHalo(letterX, letterY, s);
  for (int32_t k = 0; k <= CountLetters; k++) DrawTextAt(Letter[k], letterX[k], letterY[k]);
  SetDrawScale(Scale, Scale);
  return 0;
}

void TTextSnake::DrawHalo(const std::vector<float>& letterX, const std::vector<float>& letterY,
                          float s) {
  const DrawState& state = CurrentDrawState();
  const int red = state.red, green = state.green, blue = state.blue;
  // Relative luminance decides which side of the scale gives more contrast.
  auto linear = [](int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  const double lum = 0.2126 * linear(red) + 0.7152 * linear(green) + 0.0722 * linear(blue);
  const bool dark = (lum + 0.05) / 0.05 >= 1.05 / (lum + 0.05);
  // A dark halo is drawn over the backdrop, the glyphs' own dark rims
  // included. A light one is added as light: the rims add nothing, so they
  // do not streak it, and it only has to reach beyond the letter's own rim.
  const int blend = state.blend;
  if (dark) {
    SetColor(16, 12, 8);
  } else {
    SetColor(200, 205, 220);
    SetBlend(kBlendLight);
  }
  // Eight copies of each letter's glyph picture around it. They are
  // pictures, not text: the text of the frame stays the message itself.
  const float r = (dark ? kDarkHaloRadius : kLightHaloRadius) * s;
  const float dx[8] = {r, -r, 0, 0, 0.7f * r, -0.7f * r, 0.7f * r, -0.7f * r};
  const float dy[8] = {0, 0, r, -r, 0.7f * r, 0.7f * r, -0.7f * r, -0.7f * r};
  TFont& font = *CurrentTextFont();
  for (size_t k = 0; k < letterX.size(); ++k) {
    const std::vector<int> codes = TextCodes(Letter[k]);
    const int index = codes.empty() ? -1 : font.CharToGlyph(codes[0]);
    if (index < 0) continue;
    const TGlyph* glyph = font.LoadGlyph(index);
    const PictureRef picture = glyph ? glyph->Picture() : nullptr;
    if (!picture) continue;
    int gx, gy, gw, gh;
    glyph->GetRect(gx, gy, gw, gh);
    for (int d = 0; d < 8; ++d)
      DrawPicture(picture, letterX[k] + s * float(gx) + dx[d], letterY[k] + s * float(gy) + dy[d],
                  glyph->PictureFrame());
  }
  SetColor(red, green, blue);
  SetBlend(blend);
}
