#include "toolkit/TTextSnake.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "view/presentation.h"

namespace {

// A font with known metrics: every character is 20 wide except 'i' (8).
class FixedFont : public TFont {
 public:
  explicit FixedFont(int height) : height_(height) {}
  int Style() const override { return 0; }
  int Height() const override { return height_; }
  int CountGlyphs() const override { return 256; }
  int CharToGlyph(int code) const override { return code > 32 && code < 256 ? code : -1; }
  const TGlyph* LoadGlyph(int index) override { return index == 'i' ? &narrow_ : &wide_; }

 private:
  class Glyph : public TGlyph {
   public:
    explicit Glyph(float advance) : advance_(advance) {}
    const std::vector<uint8_t>* Pixels() const override { return nullptr; }
    float Advance() const override { return advance_; }
    void GetRect(int& x, int& y, int& w, int& h) const override { x = y = w = h = 0; }

   private:
    float advance_;
  };
  int height_;
  Glyph wide_{20.0f}, narrow_{8.0f};
};

class TTextSnakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    backend->now = 5000;
    savedScale = Scale;
    SetTextFont(std::make_shared<FixedFont>(60));
    Scale = 0.8f;
  }
  void TearDown() override { Scale = savedScale; }
  float savedScale = 1.0f;

  std::vector<DrawCommand> TextsDrawnAt(const std::shared_ptr<TTextSnake>& snake, int ms, float x,
                                        float y) {
    backend->now = 5000 + ms;
    backend->currentFrame.clear();
    snake->draw(x, y);
    std::vector<DrawCommand> texts;
    for (const DrawCommand& c : backend->currentFrame)
      if (c.kind == DrawCommand::kText) texts.push_back(c);
    return texts;
  }
  std::shared_ptr<HeadlessBackend> backend;
};

TEST_F(TTextSnakeTest, BuildMeasuresAndTimesTheLetters) {
  auto snake = TTextSnake::build("Keiner kann mehr gewinnen!", 2000, 800, 10);
  EXPECT_EQ(snake->CountLetters, 25);
  ASSERT_EQ(snake->Letter.size(), 26u);
  EXPECT_EQ(snake->Letter[0], "K");
  EXPECT_EQ(snake->Letter[25], "!");
  EXPECT_EQ(snake->Letterwidth[1], 20);
  EXPECT_EQ(snake->Letterwidth[2], 8);  // "i"
  EXPECT_EQ(snake->Letterwidth[6], 0);  // the font has no space
  EXPECT_EQ(snake->Letterheight, 60);
  EXPECT_EQ(snake->HalfWidth, MeasureTextWidth("Keiner kann mehr gewinnen!") / 2);
  EXPECT_EQ(snake->appear_time, 2000);
  EXPECT_EQ(snake->up_down_time, 800);
  EXPECT_EQ(snake->single_waiting, 138);
  EXPECT_EQ(snake->up_down_way, 10);
  ASSERT_NE(snake->SpeedControl, nullptr);
  EXPECT_EQ(snake->SpeedControl->StartTime, 5000);
}

TEST_F(TTextSnakeTest, ShortTimesAreClampedButTheLetterDelayIsNot) {
  auto snake = TTextSnake::build("Keiner kann mehr gewinnen!", 30, 50, 10);
  EXPECT_EQ(snake->appear_time, 100);
  EXPECT_EQ(snake->up_down_time, 100);
  EXPECT_EQ(snake->single_waiting, 8);  // trunc(4.5 * 50 / 26)
}

TEST_F(TTextSnakeTest, DefaultWaveHeightIsAFifthOfTheFont) {
  EXPECT_EQ(TTextSnake::build("abc", 2000, 600, 0)->up_down_way, 12);
  SetTextFont(std::make_shared<FixedFont>(47));
  EXPECT_EQ(TTextSnake::build("abc", 2000, 600, 0)->up_down_way, 9);
  EXPECT_EQ(TTextSnake::build("abc", 2000, 600, -4)->up_down_way, -4);
}

TEST_F(TTextSnakeTest, UmlautIsOneLetter) {
  auto snake = TTextSnake::build("Gegner wählen", 2000, 600, 10);
  EXPECT_EQ(snake->CountLetters, 12);
  EXPECT_EQ(snake->Letter[8], "ä");
  EXPECT_EQ(snake->Letterwidth[8], 20);
}

TEST_F(TTextSnakeTest, FirstFrameHasSizeZero) {
  auto snake = TTextSnake::build("Blau", 2000, 500, 10);
  auto texts = TextsDrawnAt(snake, 0, 400.0f, 300.0f);
  ASSERT_EQ(texts.size(), 4u);
  for (const DrawCommand& c : texts) {
    EXPECT_EQ(c.state.scaleX, 0.0f);
    EXPECT_EQ(c.state.scaleY, 0.0f);
    EXPECT_FLOAT_EQ(c.x, 400.0f);
    EXPECT_FLOAT_EQ(c.y, 300.0f);
  }
  EXPECT_FLOAT_EQ(CurrentDrawState().scaleX, 0.8f);
}

TEST_F(TTextSnakeTest, GrowsWithOvershootThenRestsAtScale) {
  auto snake = TTextSnake::build("Blau", 2000, 500, 10);
  auto growing = TextsDrawnAt(snake, 1560, 400.0f, 300.0f);  // 78 % of appear_time
  ASSERT_FALSE(growing.empty());
  EXPECT_NEAR(growing[0].state.scaleX, 0.8f * 1.112f, 0.002f);
  auto rest = TextsDrawnAt(snake, 2000, 400.0f, 300.0f);
  ASSERT_FALSE(rest.empty());
  EXPECT_FLOAT_EQ(rest[0].state.scaleX, 0.8f);
  EXPECT_FLOAT_EQ(TextsDrawnAt(snake, 90000, 400.0f, 300.0f)[3].state.scaleY, 0.8f);
}

TEST_F(TTextSnakeTest, LettersAreCentredAndWaveOneAfterAnother) {
  auto snake = TTextSnake::build("Kiwi", 300, 400, 10);  // widths 20, 8, 20, 8
  ASSERT_EQ(snake->HalfWidth, 28);
  ASSERT_EQ(snake->single_waiting, 450);  // trunc(4.5 * 400 / 4)
  for (int t : {300, 777, 1234, 2900}) {
    auto texts = TextsDrawnAt(snake, t, 500.0f, 200.0f);
    ASSERT_EQ(texts.size(), 4u);
    float x = 500.0f - 0.8f * 28;
    const int widths[] = {20, 8, 20, 8};
    for (int k = 0; k < 4; k++) {
      SCOPED_TRACE(testing::Message() << "t=" << t << " k=" << k);
      EXPECT_EQ(texts[k].text, snake->Letter[k]);
      EXPECT_NEAR(texts[k].x, x, 1e-3);
      double v = std::sin((t - k * 450) * 3.14159265358979 / 2.0 / 400.0);
      EXPECT_NEAR(texts[k].y, 200.0 + 0.8 * (60.0 + v * 10.0), 1e-3);
      x += 0.8f * static_cast<float>(widths[k]);
    }
  }
}

TEST_F(TTextSnakeTest, EmptyTextDrawsNothing) {
  auto snake = TTextSnake::build("", 2000, 800, 10);
  EXPECT_EQ(snake->CountLetters, -1);
  EXPECT_EQ(snake->HalfWidth, 0);
  EXPECT_EQ(snake->single_waiting, 0);
  EXPECT_TRUE(TextsDrawnAt(snake, 0, 10.0f, 10.0f).empty());
  EXPECT_TRUE(TextsDrawnAt(snake, 3000, 10.0f, 10.0f).empty());
  EXPECT_TRUE(backend->currentFrame.empty());
}

}  // namespace
