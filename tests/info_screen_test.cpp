#include "screens/info_screen.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/strip_font.h"
#include "screens_test_support.h"
#include "toolkit/TMacDockImitat.h"
#include "view/presentation.h"

using namespace screens_test;

namespace {

class InfoScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(1, 1.0f); }

  void Open(uint8_t view, float scale) {
    backend = OpenTestWindow(view, scale);
    dock = BuildInfoDock();
  }

  Point Entry(int index) const {
    return HorizontalDockEntry(*dock, InfoDockX(), kInfoDockY, index);
  }

  static std::vector<DrawCommand> Texts(const std::vector<DrawCommand>& frame) {
    std::vector<DrawCommand> texts;
    for (const DrawCommand& c : frame)
      if (c.kind == DrawCommand::kText) texts.push_back(c);
    return texts;
  }

  std::shared_ptr<HeadlessBackend> backend;
  std::shared_ptr<TMacDockImitat_Horizontal> dock;
};

TEST_F(InfoScreenTest, OpensOnTheTitlePage) {
  FrameScript script(backend);
  std::vector<DrawCommand> frame;
  script.At(2, [&] {
    frame = backend->lastFrame;
    backend->KeyDown(kKeyEscape);
  });
  EXPECT_EQ(InfoScreen(), 0);
  std::vector<DrawCommand> texts = Texts(frame);
  ASSERT_EQ(texts.size(), 3u);
  // Each text's opaque columns (advances + 2) are centred in the window,
  // and the underline spans the title's just below its line.
  auto inkLeft = [](const DrawCommand& c) { return c.x; };
  auto inkRight = [](const DrawCommand& c) {
    return c.x + c.state.scaleX * float(MeasureTextWidth(c.text) + 2);
  };
  EXPECT_EQ(texts[0].text, "Informationen");
  EXPECT_FLOAT_EQ(texts[0].y, 147.0f);
  EXPECT_FLOAT_EQ(texts[0].state.scaleX, 1.0f);
  EXPECT_EQ(texts[1].text, "______________");
  EXPECT_FLOAT_EQ(texts[1].y, 151.0f);
  EXPECT_EQ(texts[2].text, "Wähle ein Thema aus:");
  EXPECT_FLOAT_EQ(texts[2].y, 543.0f);
  EXPECT_FLOAT_EQ(texts[2].state.scaleX, 0.5f);
  for (const DrawCommand& c : texts)
    EXPECT_NEAR(inkLeft(c) + inkRight(c), float(WindowWidth / 2 * 2), 0.01f) << c.text;
  EXPECT_NEAR(inkLeft(texts[1]), inkLeft(texts[0]), 0.01f);
  EXPECT_NEAR(inkRight(texts[1]), inkRight(texts[0]), 0.01f);
  ASSERT_FALSE(frame.empty());
  EXPECT_EQ(frame[0].picture, Background.get()) << "the backdrop is drawn first";
}

TEST_F(InfoScreenTest, EachEntryShowsItsTopicLineByLine) {
  FrameScript script(backend);
  std::vector<std::vector<DrawCommand>> pages;
  int64_t at = 1;
  for (int entry = 0; entry < 5; ++entry) {
    const int64_t release = script.Click(at, Entry(entry));
    script.At(release + 2, [&] { pages.push_back(Texts(backend->lastFrame)); });
    at = release + 3;
  }
  script.Click(at, Entry(5));
  script.At(at + 100, [&] { backend->RequestClose(); });
  EXPECT_EQ(InfoScreen(), 0);
  EXPECT_LT(script.Elapsed(), at + 100) << "the last entry leaves the screen";

  ASSERT_EQ(pages.size(), 5u);
  const int left = 500 - 450;
  for (int topic = 1; topic <= 5; ++topic) {
    SCOPED_TRACE(topic);
    const auto& lines = InfoTopicLines(topic);
    const auto& page = pages[size_t(topic - 1)];
    ASSERT_EQ(page.size(), lines.size());
    for (size_t k = 0; k < lines.size(); ++k) {
      EXPECT_EQ(page[k].text, lines[k]);
      EXPECT_FLOAT_EQ(page[k].x, float(left));
      EXPECT_FLOAT_EQ(page[k].y, float(int(0.75f * static_cast<float>(100 + 48 * int(k)))));
      EXPECT_FLOAT_EQ(page[k].state.scaleX, 0.5f);
    }
  }
}

TEST_F(InfoScreenTest, TopicsHaveTheirLineCountsAndOnlyDrawableCharacters) {
  const size_t counts[6] = {0, 15, 15, 15, 14, 15};
  const std::vector<int> glyphs = TextCodes(kStripFontGlyphList);
  std::set<int> drawable(glyphs.begin(), glyphs.end());
  drawable.insert(' ');
  for (int topic = 1; topic <= 5; ++topic) {
    const auto& lines = InfoTopicLines(topic);
    EXPECT_EQ(lines.size(), counts[topic]) << topic;
    for (const std::string& line : lines) {
      for (int code : TextCodes(line))
        EXPECT_TRUE(drawable.count(code)) << "'" << line << "' has code " << code;
      // Half-size lines must fit the 900 design pixels between the margins.
      EXPECT_LE(MeasureTextWidth(line) / 2, 900) << line;
    }
  }
  EXPECT_TRUE(InfoTopicLines(0).empty());
  EXPECT_TRUE(InfoTopicLines(6).empty());
}

TEST_F(InfoScreenTest, ClickOnTheShownTopicKeepsIt) {
  FrameScript script(backend);
  std::vector<DrawCommand> page;
  int64_t first = script.Click(1, Entry(2));
  int64_t second = script.Click(first + 2, Entry(2));
  script.At(second + 2, [&] {
    page = Texts(backend->lastFrame);
    backend->RequestClose();
  });
  EXPECT_EQ(InfoScreen(), 0);
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(page[0].text, InfoTopicLines(3)[0]);
}

TEST_F(InfoScreenTest, EscapeLeavesAtOnceAndTheNextVisitStartsOnTheTitlePage) {
  FrameScript script(backend);
  const int64_t release = script.Click(1, Entry(0));
  script.At(release + 3, [&] { backend->KeyDown(kKeyEscape); });
  EXPECT_EQ(InfoScreen(), 0);
  EXPECT_EQ(script.Elapsed(), release + 4) << "left in the frame that saw Escape";
  backend->KeyUp(kKeyEscape);
  Action->update();
  EXPECT_EQ(Action->Escape, 0);

  FrameScript again(backend);
  std::vector<DrawCommand> frame;
  again.At(1, [&] {
    frame = Texts(backend->lastFrame);
    backend->RequestClose();
  });
  EXPECT_EQ(InfoScreen(), 0);
  ASSERT_FALSE(frame.empty());
  EXPECT_EQ(frame[0].text, "Informationen");
  EXPECT_EQ(CloseRequested(), 0);
  Action->update();
  EXPECT_EQ(Action->Close, 0) << "the close request only left the info screen";
}

TEST_F(InfoScreenTest, PerspectiveViewMovesTheTextRight) {
  Open(0, 0.75f);
  FrameScript script(backend);
  std::vector<DrawCommand> page;
  const int64_t release = script.Click(1, Entry(1));
  script.At(release + 2, [&] {
    page = Texts(backend->lastFrame);
    backend->RequestClose();
  });
  EXPECT_EQ(InfoScreen(), 0);
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(page[0].text, InfoTopicLines(2)[0]);
  EXPECT_FLOAT_EQ(page[0].x, float(int(1050 / 2 - 450 * 0.75f)));
  EXPECT_FLOAT_EQ(page[0].y, float(int(0.75f * 0.75f * 100)));
}

}  // namespace
