#include "toolkit/TTextSnake.h"

#include <algorithm>

#include "core/presentation.h"
#include "platform/platform.h"

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
constexpr uint8_t kOnce = 0, kSignedWaveEndless = 6;
constexpr uint8_t kOvershootOut = 9, kQuarterSine = 13;

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
  const float s = Scale * SpeedControl->GetValue(kOnce, kOvershootOut);
  x = x - s * HalfWidth;
  SetDrawScale(s, s);
  for (int32_t k = 0; k <= CountLetters; k++) {
    SpeedControl->UpdateStates(up_down_time, k * single_waiting);
    const float v = SpeedControl->GetValue(kSignedWaveEndless, kQuarterSine);
    DrawTextAt(Letter[k], x, y + s * (Letterheight + v * up_down_way));
    x = x + s * Letterwidth[k];
  }
  SetDrawScale(Scale, Scale);
  return 0;
}
