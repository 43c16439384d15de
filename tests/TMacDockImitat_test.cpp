#include "toolkit/TMacDockImitat.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>

#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "tests/platform_test_images.h"
#include "view/presentation.h"

namespace {

// A strip of `count` cells of w x h, each cell a different opaque colour.
std::string WriteStrip(const std::string& path, int count, int w, int h) {
  std::vector<uint8_t> rgba(size_t(count * w * h * 4));
  for (int y = 0; y < h; y++)
    for (int x = 0; x < count * w; x++) {
      uint8_t* p = &rgba[size_t((y * count * w + x) * 4)];
      p[0] = uint8_t(40 * (x / w));
      p[1] = 200;
      p[2] = uint8_t(y);
      p[3] = 255;
    }
  EXPECT_TRUE(test_images::WriteRgbaPng(path, count * w, h, rgba));
  return path;
}

class DockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    savedScale = Scale;
    Scale = 1.0f;
    icons = WriteStrip(folder / "icons.png", 5, 120, 150);
    titles = WriteStrip(folder / "titles.png", 5, 120, 150);
    column = WriteStrip(folder / "column.png", 6, 120, 120);
  }
  void TearDown() override { Scale = savedScale; }
  float savedScale = 1.0f;

  // One frame at the given time with the pointer where it is; the draw
  // calls of the frame are left in `drawn`.
  template <class Dock>
  int32_t Frame(Dock& dock, int64_t ms, int32_t x, int32_t y) {
    backend->now = ms;
    backend->currentFrame.clear();
    int32_t result = dock.show(x, y);
    drawn = backend->currentFrame;
    return result;
  }
  std::vector<DrawCommand> Drawn(const std::string& picture) const {
    std::vector<DrawCommand> out;
    for (const DrawCommand& c : drawn)
      if (c.kind == DrawCommand::kPicture && c.picture && c.picture->name == picture)
        out.push_back(c);
    return out;
  }
  // The icon draws (not mirror, not light pass) by frame index.
  std::map<int, DrawCommand> Icons(const std::string& picture = "") const {
    std::map<int, DrawCommand> out;
    for (const DrawCommand& c : Drawn(picture.empty() ? icons : picture))
      if (c.state.scaleY > 0 && c.state.blend != kBlendLight) out[c.frame] = c;
    return out;
  }

  std::shared_ptr<HeadlessBackend> backend;
  test_images::ScratchFolder folder;
  std::string icons, titles, column;
  std::vector<DrawCommand> drawn;
};

// The horizontal test dock: 500 wide, 5 icons of 120 x 150, centre x 500,
// baseline 600; at rest it spans x 250..750 and y 475..600.
class DockHorizontalTest : public DockTest {
 protected:
  void SetUp() override {
    DockTest::SetUp();
    dock = TMacDockImitat_Horizontal::build(500, 5, icons, 120, 150, titles);
  }
  int32_t At(int64_t ms, int px, int py) {
    backend->MoveTo(px, py);
    return Frame(*dock, ms, 500, 600);
  }
  // Centre of icon i at rest.
  static int Centre(int i) { return 250 + 100 * i + 50; }
  std::shared_ptr<TMacDockImitat_Horizontal> dock;
};

TEST_F(DockHorizontalTest, BuildTruncatesToWindowPixels) {
  EXPECT_EQ(dock->WholeWidth, 500);
  EXPECT_EQ(dock->HalfWidth, 250);
  EXPECT_EQ(dock->FrameCount, 4);
  EXPECT_EQ(dock->FrameWidth, 120);
  EXPECT_EQ(dock->HalfFrameHeight, 75);
  EXPECT_FLOAT_EQ(dock->Interval, 100.0f);
  EXPECT_FLOAT_EQ(dock->GeneralZoom, 100.0f / 120.0f);
  EXPECT_EQ(dock->TopY, 125);  // single precision: 0.8333333 x 2 x 75 rounds to 125
  EXPECT_EQ(dock->MemoSelectedFrame, -1);
  EXPECT_FLOAT_EQ(dock->ShadowFactor, 0.3f);
  EXPECT_EQ(dock->AddZoom.size(), 5u);
  ASSERT_TRUE(dock->Image && dock->Titels);
  EXPECT_EQ(dock->Image->frameCount, 5);
  EXPECT_FLOAT_EQ(dock->Image->handleX, 60.0f);
  EXPECT_FLOAT_EQ(dock->Titels->handleY, 75.0f);
  EXPECT_EQ(dock->Animation, 0);

  Scale = 0.8f;
  auto small = TMacDockImitat_Horizontal::build(500, 5, icons, 120, 150, "");
  EXPECT_EQ(small->WholeWidth, 400);
  EXPECT_EQ(small->FrameWidth, 96);
  EXPECT_EQ(small->HalfFrameHeight, 60);
  EXPECT_FLOAT_EQ(small->Interval, 80.0f);
  EXPECT_EQ(small->TopY, 100);
  EXPECT_EQ(small->Titels, nullptr);
}

TEST_F(DockTest, MissingPictureIsFatalWithAMessage) {
  EXPECT_THROW(TMacDockImitat_Horizontal::build(500, 5, folder / "none.png", 120, 150, ""),
               ProgramExit);
  EXPECT_THROW(TMacDockImitat_Horizontal::build(500, 5, icons, 120, 150, folder / "none.png"),
               ProgramExit);
  // A strip with fewer cells than icons cannot be cut either.
  EXPECT_THROW(TMacDockImitat_Vertikal_Left::build(540, 7, column, 120, 120), ProgramExit);
  ASSERT_EQ(backend->notices.size(), 3u);
  EXPECT_EQ(backend->notices[0], "Error while building 'TMacDockImitat_Horizontal':\nThe file '" +
                                     (folder / "none.png") +
                                     "'\nwasn't found. The program will stop!");
  EXPECT_NE(backend->notices[2].find("TMacDockImitat_Vertikal_Left"), std::string::npos);
}

TEST_F(DockHorizontalTest, NewGlobalScaleRecomputesSizesOnly) {
  At(0, Centre(1), 590);
  Scale = 0.5f;
  dock->NewGlobalScale(500, 120, 150);
  EXPECT_EQ(dock->WholeWidth, 250);
  EXPECT_EQ(dock->HalfWidth, 125);
  EXPECT_EQ(dock->FrameWidth, 60);
  EXPECT_EQ(dock->HalfFrameHeight, 37);
  EXPECT_FLOAT_EQ(dock->Interval, 50.0f);
  EXPECT_EQ(dock->TopY, int32_t(50.0f / 60 * 2 * 37));
  EXPECT_EQ(dock->FrameCount, 4);
  EXPECT_EQ(dock->MemoSelectedFrame, 1);
}

TEST_F(DockHorizontalTest, FadesInAndOutOver150Ms) {
  EXPECT_EQ(At(1000, 100, 100), -1);  // outside
  EXPECT_EQ(dock->AnimationZoom, 0.0f);
  At(2000, Centre(2), 590);
  EXPECT_EQ(dock->Animation, 1);
  EXPECT_EQ(dock->AnimationZoom, 0.0f);
  At(2075, Centre(2), 590);
  EXPECT_FLOAT_EQ(dock->AnimationZoom, 0.5f);
  At(2150, Centre(2), 590);
  EXPECT_EQ(dock->AnimationZoom, 1.0f);
  At(2900, Centre(2), 590);
  EXPECT_EQ(dock->AnimationZoom, 1.0f);

  At(3000, Centre(2), 700);  // below the baseline
  EXPECT_EQ(dock->Animation, 0);
  EXPECT_EQ(dock->AnimationZoom, 1.0f);
  At(3075, Centre(2), 700);
  EXPECT_FLOAT_EQ(dock->AnimationZoom, 0.5f);
  EXPECT_EQ(dock->MemoSelectedFrame, 2);
  At(3150, Centre(2), 700);
  EXPECT_EQ(dock->AnimationZoom, 0.0f);
  EXPECT_EQ(dock->MemoSelectedFrame, -1);
}

TEST_F(DockHorizontalTest, ReversalStartsFromTheValueReached) {
  At(0, Centre(1), 590);
  At(75, Centre(1), 590);
  ASSERT_FLOAT_EQ(dock->AnimationZoom, 0.5f);
  At(80, 900, 590);
  EXPECT_FLOAT_EQ(dock->AnimationZoom, 0.5f);
  At(155, 900, 590);
  EXPECT_FLOAT_EQ(dock->AnimationZoom, 0.25f);
  At(160, Centre(1), 590);  // back in: opens from 0.25
  EXPECT_FLOAT_EQ(dock->AnimationZoom, 0.25f);
  EXPECT_FLOAT_EQ(dock->AnimationFactor, 0.75f);
  At(235, Centre(1), 590);
  EXPECT_FLOAT_EQ(dock->AnimationZoom, 0.625f);
  At(310, Centre(1), 590);
  EXPECT_EQ(dock->AnimationZoom, 1.0f);
}

TEST_F(DockHorizontalTest, IconUnderThePointerAtFullSize) {
  At(0, Centre(2), 590);
  At(200, Centre(2), 590);
  const float gz = dock->GeneralZoom, q = 1.0f - gz;
  EXPECT_FLOAT_EQ(dock->AddZoom[2], 1.0f);
  EXPECT_FLOAT_EQ(std::accumulate(dock->AddZoom.begin(), dock->AddZoom.end(), 0.0f), 2.0f);
  EXPECT_FLOAT_EQ(dock->MemoDifference, 0.0f);
  EXPECT_EQ(dock->TopY, 150);
  auto icon = Icons();
  ASSERT_EQ(icon.size(), 5u);
  EXPECT_FLOAT_EQ(icon[2].state.scaleX, 1.0f);
  EXPECT_FLOAT_EQ(icon[1].state.scaleX, gz + 0.5f * q);
  EXPECT_FLOAT_EQ(icon[3].state.scaleX, gz + 0.5f * q);
  EXPECT_FLOAT_EQ(icon[0].state.scaleX, gz);
  EXPECT_FLOAT_EQ(icon[4].state.scaleX, gz);
  // Laid out from the right end, which moved out by q x FrameWidth = 20.
  EXPECT_NEAR(icon[4].x, 720.0f, 1e-3);
  EXPECT_NEAR(icon[3].x, 615.0f, 1e-3);
  EXPECT_NEAR(icon[2].x, 500.0f, 1e-3);
  EXPECT_NEAR(icon[2].y, 525.0f, 1e-3);  // bottom edge on the baseline
  EXPECT_NEAR(icon[0].y, 600.0f - gz * 75.0f, 1e-3);
}

TEST_F(DockHorizontalTest, MirrorImageBelowTheBaseline) {
  At(0, Centre(2), 590);
  At(200, Centre(2), 590);
  int mirrors = 0;
  for (const DrawCommand& c : Drawn(icons)) {
    if (c.state.scaleY > 0) {
      EXPECT_EQ(c.state.alpha, 1.0f);
      continue;
    }
    mirrors++;
    EXPECT_FLOAT_EQ(c.state.alpha, 0.3f);
    EXPECT_FLOAT_EQ(c.state.scaleY, -0.7f * c.state.scaleX);
    EXPECT_NEAR(c.y, 600.0f + 0.7f * c.state.scaleX * 75.0f, 1e-3);
  }
  EXPECT_EQ(mirrors, 5);
  EXPECT_EQ(CurrentDrawState().alpha, 1.0f);
}

TEST_F(DockHorizontalTest, FirstIconGrowsLessAndTheRightEndMovesOut) {
  At(0, Centre(0), 590);
  At(200, Centre(0), 590);
  EXPECT_EQ(dock->MemoSelectedFrame, 0);
  EXPECT_FLOAT_EQ(std::accumulate(dock->AddZoom.begin(), dock->AddZoom.end(), 0.0f), 1.5f);
  auto icon = Icons();
  EXPECT_NEAR(icon[4].x, 720.0f, 1e-3);
  EXPECT_NEAR(icon[0].x, 300.0f, 1e-3);
  EXPECT_FLOAT_EQ(icon[0].state.scaleX, 1.0f);
}

TEST_F(DockHorizontalTest, IconsBeyondTheMiddleAreLaidOutFromTheLeft) {
  At(0, Centre(3), 590);
  At(200, Centre(3), 590);
  auto icon = Icons();
  const float gz = dock->GeneralZoom;
  EXPECT_NEAR(icon[0].x, 230.0f + gz * 60.0f, 1e-3);  // left end moved out by 20
  EXPECT_NEAR(icon[3].x, Centre(3), 1e-3);
}

TEST_F(DockHorizontalTest, SensitiveAreaUsesRestWidthAndGrowsUpward) {
  At(0, 250, 590);  // left edge itself is outside
  EXPECT_EQ(dock->Animation, 0);
  At(10, 251, 590);
  EXPECT_EQ(dock->Animation, 1);
  At(20, 750, 590);
  EXPECT_EQ(dock->Animation, 0);
  At(30, 749, 475);  // top of the rest area
  EXPECT_EQ(dock->Animation, 1);
  At(40, 749, 601);
  EXPECT_EQ(dock->Animation, 0);
  EXPECT_EQ(dock->TopY, 125);
  At(45, 700, 474);
  EXPECT_EQ(dock->Animation, 0);
  At(50, Centre(2), 460);  // above the rest area
  EXPECT_EQ(dock->Animation, 0);
  At(60, Centre(2), 590);
  At(70, Centre(2), 460);  // the open icon is 150 high
  EXPECT_EQ(dock->Animation, 1);
}

TEST_F(DockHorizontalTest, TitleFadesInOverTheSelectedIcon) {
  At(0, Centre(1), 590);
  EXPECT_TRUE(Drawn(titles).empty() || Drawn(titles)[0].state.alpha == 0.0f);
  At(75, Centre(1), 590);
  auto title = Drawn(titles);
  ASSERT_EQ(title.size(), 1u);
  EXPECT_EQ(title[0].frame, 1);
  EXPECT_FLOAT_EQ(title[0].state.alpha, 0.5f);
  EXPECT_FLOAT_EQ(title[0].x, Icons()[1].x);
  EXPECT_FLOAT_EQ(title[0].state.scaleX, Icons()[1].state.scaleX);
}

TEST_F(DockHorizontalTest, WithoutTitlesNoTitleIsDrawn) {
  auto plain = TMacDockImitat_Horizontal::build(500, 5, icons, 120, 150, "");
  backend->MoveTo(Centre(1), 590);
  Frame(*plain, 0, 500, 600);
  Frame(*plain, 200, 500, 600);
  EXPECT_EQ(drawn.size(), 10u);  // five icons, five mirrors
  for (const DrawCommand& c : drawn) EXPECT_EQ(c.picture->name, icons);
  EXPECT_EQ(plain->AnimationZoom, 1.0f);
}

TEST_F(DockHorizontalTest, PressAndReleaseOverIconIsOneClick) {
  std::vector<int32_t> results;
  int64_t t = 0;
  auto step = [&](int px) { results.push_back(At(t += 16, px, 590)); };
  step(Centre(1));
  step(Centre(3));
  backend->Press(1);
  step(Centre(3));
  EXPECT_EQ(dock->State, 1);
  // The pressed icon lights up, the mirror too.
  int lit = 0;
  for (const DrawCommand& c : Drawn(icons))
    if (c.state.blend == kBlendLight) {
      lit++;
      EXPECT_EQ(c.frame, 3);
      EXPECT_EQ(c.state.red, 64);
      EXPECT_FLOAT_EQ(c.state.alpha, c.state.scaleY > 0 ? 1.0f : 0.3f);
    }
  EXPECT_EQ(lit, 2);
  EXPECT_EQ(CurrentDrawState().blend, kBlendAlpha);
  EXPECT_EQ(CurrentDrawState().red, 255);
  step(Centre(3) + 10);
  backend->Release(1);
  step(Centre(3) + 10);
  step(Centre(3) + 10);
  step(Centre(3) + 10);
  EXPECT_EQ(results, (std::vector<int32_t>{-1, -1, -1, -1, 3, -1, -1}));
  EXPECT_EQ(dock->State, 0);
}

TEST_F(DockHorizontalTest, RightButtonClicksToo) {
  At(0, Centre(4), 590);
  backend->Press(2);
  EXPECT_EQ(At(16, Centre(4), 590), -1);
  backend->Release(2);
  EXPECT_EQ(At(32, Centre(4), 590), 4);
}

TEST_F(DockHorizontalTest, PressDraggedOutAndBackIsNoClick) {
  At(0, Centre(2), 590);
  backend->Press(1);
  EXPECT_EQ(At(16, Centre(2), 590), -1);
  EXPECT_EQ(At(32, Centre(2), 300), -1);
  EXPECT_EQ(dock->State, -1);
  EXPECT_EQ(At(48, Centre(2), 590), -1);
  backend->Release(1);
  EXPECT_EQ(At(64, Centre(2), 590), -1);
  EXPECT_EQ(dock->State, 0);
  EXPECT_EQ(At(80, Centre(2), 590), -1);
}

TEST_F(DockHorizontalTest, PressOutsideBlocksTheDockUntilRelease) {
  backend->MoveTo(100, 100);
  backend->Press(1);
  At(0, 100, 100);
  EXPECT_EQ(dock->State, -1);
  for (int t = 16; t <= 300; t += 16) {
    EXPECT_EQ(At(t, Centre(2), 590), -1);
    EXPECT_EQ(dock->Animation, 0);
    EXPECT_EQ(dock->AnimationZoom, 0.0f);
  }
  backend->Release(1);
  EXPECT_EQ(At(316, Centre(2), 590), -1);
  EXPECT_EQ(dock->State, 0);
  EXPECT_EQ(dock->Animation, 0);
  At(332, Centre(2), 590);
  EXPECT_EQ(dock->Animation, 1);
}

TEST_F(DockHorizontalTest, StopAnimationClosesAtOnce) {
  At(0, Centre(2), 590);
  At(200, Centre(2), 590);
  dock->StopAnimation();
  At(216, 100, 100);
  EXPECT_EQ(dock->AnimationZoom, 0.0f);
  EXPECT_EQ(dock->MemoSelectedFrame, -1);
  for (auto& [i, c] : Icons()) EXPECT_FLOAT_EQ(c.state.scaleX, dock->GeneralZoom) << i;
}

TEST_F(DockHorizontalTest, ShrinksBackWithTheShapeItHad) {
  At(0, Centre(1), 590);
  At(200, Centre(1), 590);
  const std::vector<float> shape = dock->AddZoom;
  At(216, 100, 100);
  At(291, 100, 100);
  EXPECT_EQ(dock->AddZoom, shape);
  EXPECT_FLOAT_EQ(Icons()[1].state.scaleX, dock->GeneralZoom + 0.5f * (1 - dock->GeneralZoom));
}

// The vertical docks, built as the game builds them at Scale 0.8: 540 design
// pixels high (432 window pixels), 6 icons of 120 x 120, centre y 425.
class DockVerticalTest : public DockTest {
 protected:
  void SetUp() override {
    DockTest::SetUp();
    Scale = 0.8f;
    left = TMacDockImitat_Vertikal_Left::build(int(540 * Scale), 6, column, 120, 120);
    right = TMacDockImitat_Vertikal_Right::build(int(540 * Scale), 6, column, 120, 120);
  }
  int32_t AtLeft(int64_t ms, int px, int py) {
    backend->MoveTo(px, py);
    return Frame(*left, ms, 0, 425);
  }
  int32_t AtRight(int64_t ms, int px, int py) {
    backend->MoveTo(px, py);
    return Frame(*right, ms, 1000, 425);
  }
  std::shared_ptr<TMacDockImitat_Vertikal_Left> left;
  std::shared_ptr<TMacDockImitat_Vertikal_Right> right;
};

TEST_F(DockVerticalTest, BuildTakesTheHeightInWindowPixels) {
  EXPECT_EQ(left->WholeHeight, 432);
  EXPECT_EQ(left->HalfHeight, 216);
  EXPECT_EQ(left->FrameCount, 5);
  EXPECT_EQ(left->FrameHeight, 96);
  EXPECT_EQ(left->HalfFrameWidth, 48);
  EXPECT_FLOAT_EQ(left->Interval, 72.0f);
  EXPECT_FLOAT_EQ(left->GeneralZoom, 0.75f);
  EXPECT_EQ(left->Right_X, 72);
  EXPECT_EQ(right->Left_X, 72);
  EXPECT_EQ(left->MemoSelectedFrame, 0);
  EXPECT_EQ(left->AddZoom.size(), 6u);

  right->NewGlobalScale(540, 120, 120);  // design pixels here
  EXPECT_EQ(right->WholeHeight, 432);
  Scale = 1.0f;
  right->NewGlobalScale(540, 120, 120);
  EXPECT_EQ(right->WholeHeight, 540);
  EXPECT_EQ(right->FrameHeight, 120);
  EXPECT_FLOAT_EQ(right->Interval, 90.0f);
  EXPECT_EQ(right->Left_X, 90);
}

TEST_F(DockVerticalTest, LeftDockSensitiveExtent) {
  // x from the edge 0 to Right_X, y strictly inside 124..556.
  AtLeft(0, 72, 300);
  EXPECT_EQ(left->Animation, 1);
  EXPECT_EQ(left->Right_X, int32_t((0.75f + 0.25f * left->AddZoom[left->MemoSelectedFrame]) * 96));
  AtLeft(10, 100, 300);
  EXPECT_EQ(left->Animation, 0);
  EXPECT_EQ(left->Right_X, 72);
  AtLeft(20, 0, 124);
  EXPECT_EQ(left->Animation, 0);
  AtLeft(30, 0, 125);
  EXPECT_EQ(left->Animation, 1);
  AtLeft(40, 10, 556);
  EXPECT_EQ(left->Animation, 0);
  AtLeft(50, 10, 555);
  EXPECT_EQ(left->Animation, 1);
  AtLeft(60, -1, 300);
  EXPECT_EQ(left->Animation, 0);
  // Over an icon centre the extent grows to the full icon width.
  AtLeft(70, 30, 124 + 36 + 72 * 2);
  EXPECT_EQ(left->Right_X, 96);
  AtLeft(80, 95, 124 + 36 + 72 * 2);
  EXPECT_EQ(left->Animation, 1);
}

TEST_F(DockVerticalTest, RightDockSensitiveExtent) {
  AtRight(0, 800, 300);  // the edge itself
  EXPECT_EQ(right->Animation, 1);
  AtRight(10, 801, 300);
  EXPECT_EQ(right->Animation, 0);
  AtRight(20, 728, 300);
  EXPECT_EQ(right->Animation, 1);
  AtRight(30, 727, 300);  // out again: the extent went back to 72
  EXPECT_EQ(right->Animation, 1);
  AtRight(40, 700, 300);
  EXPECT_EQ(right->Animation, 0);
  EXPECT_EQ(right->Left_X, 72);
}

TEST_F(DockVerticalTest, IconsStandOnTheirEdge) {
  const int py = 124 + 36 + 72 * 4;  // centre of icon 4
  AtLeft(0, 20, py);
  AtLeft(200, 20, py);
  auto icon = Icons(column);
  ASSERT_EQ(icon.size(), 6u);
  EXPECT_EQ(drawn.size(), 6u);  // no mirror, no title
  for (auto& [i, c] : icon) {
    EXPECT_NEAR(c.x, c.state.scaleX / Scale * 48.0f, 1e-3) << i;
    EXPECT_EQ(c.state.alpha, 1.0f);
  }
  EXPECT_FLOAT_EQ(icon[4].state.scaleX, Scale * 1.0f);
  // Icon 4 lies beyond the middle: laid out downward from top - q x 96.
  EXPECT_NEAR(icon[0].y, 124 - 24 + 0.75f * 48, 1e-3);
  EXPECT_NEAR(icon[4].y, py, 1e-3);

  AtRight(0, 790, py);
  AtRight(200, 790, py);
  for (auto& [i, c] : Icons(column))
    EXPECT_NEAR(c.x, 800 - c.state.scaleX / Scale * 48.0f, 1e-3) << i;
}

TEST_F(DockVerticalTest, RemembersTheLastIconAfterClosing) {
  const int py = 124 + 36 + 72 * 1;
  AtLeft(0, 20, py);
  AtLeft(200, 20, py);
  EXPECT_EQ(left->MemoSelectedFrame, 1);
  AtLeft(216, 300, py);
  AtLeft(500, 300, py);
  EXPECT_EQ(left->AnimationZoom, 0.0f);
  EXPECT_EQ(left->MemoSelectedFrame, 1);
  // Opening again keeps it until the pointer picks another.
  AtLeft(600, 20, 124 + 36 + 72 * 5);
  EXPECT_EQ(left->MemoSelectedFrame, 5);
}

TEST_F(DockVerticalTest, ClickAndBlockedPress) {
  const int py = 124 + 36 + 72 * 5;
  AtRight(0, 780, py);
  backend->Press(1);
  EXPECT_EQ(AtRight(16, 780, py), -1);
  int lit = 0;
  for (const DrawCommand& c : drawn) lit += c.state.blend == kBlendLight && c.frame == 5;
  EXPECT_EQ(lit, 1);
  backend->Release(1);
  EXPECT_EQ(AtRight(32, 780, py), 5);
  EXPECT_EQ(AtRight(48, 780, py), -1);

  backend->MoveTo(400, 400);
  backend->Press(1);
  AtRight(64, 400, 400);
  EXPECT_EQ(AtRight(80, 780, py), -1);
  EXPECT_EQ(right->State, -1);
  backend->Release(1);
  EXPECT_EQ(AtRight(96, 780, py), -1);
  EXPECT_EQ(right->State, 0);
}

}  // namespace
