#include "view/board_view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "game/game_state.h"
#include "platform/headless/headless_backend.h"
#include "view/presentation.h"

namespace {

PictureRef FakeStone(int width, int height) {
  auto picture = std::make_shared<Picture>();
  picture->width = picture->sheetWidth = width;
  picture->height = picture->sheetHeight = height;
  picture->rgba.assign(size_t(width) * height * 4, 255);
  CentreHandle(picture);
  return picture;
}

class BoardView : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    ResetGameStateGlobals();
    ResetPresentationGlobals();
  }
  void Geometry(int view, float scale) {
    View2D = uint8_t(view);
    Scale = scale;
    DepthBase = int32_t(618 * Scale);
    ComputeBoardGeometry();
  }
  static bool Pick(int px, int py, int& x, int& y) { return PickSquare(px, py, x, y); }

  std::shared_ptr<HeadlessBackend> backend;
};

TEST_F(BoardView, FlatGeometryAtFullSize) {
  Geometry(1, 1.0f);
  const int columns[15] = {154, 204, 253, 302, 352, 401, 451, 500,
                           549, 599, 648, 698, 747, 796, 846};
  for (int x = 0; x < 15; ++x)
    for (int y = 0; y < 15; ++y) EXPECT_EQ(CellX[x][y], columns[x]) << x << "," << y;
  for (int y = 0; y < 15; ++y) EXPECT_EQ(RowY[y], 77 + 50 * y);
  EXPECT_FLOAT_EQ(CellHalfWidth[3], 24.7f);
  EXPECT_FLOAT_EQ(CellHalfHeight[14], 25.0f);
}

TEST_F(BoardView, PerspectiveGeometryAtFullSize) {
  Geometry(0, 1.0f);
  EXPECT_EQ(CellX[7][14], 700);
  EXPECT_EQ(RowY[14], 618);
  EXPECT_EQ(CellX[0][0], 394);
  EXPECT_EQ(RowY[0], 194);
  EXPECT_EQ(CellX[14][0], 1006);  // single-precision half width
  EXPECT_EQ(CellX[0][14], 136);
  EXPECT_EQ(CellX[14][14], 1265);
  EXPECT_FLOAT_EQ(CellHalfHeight[0], 8.0f);
  EXPECT_FLOAT_EQ(CellHalfHeight[13], 26.5f);
  EXPECT_FLOAT_EQ(CellHalfHeight[14], 28.0f);
  // Every row is centred on the middle of the canvas.
  for (int y = 0; y < 15; ++y) EXPECT_LE(std::abs(CellX[0][y] + CellX[14][y] - 1400), 3) << y;
}

TEST_F(BoardView, SmallWindowShrinksEverythingByThreeQuarters) {
  Geometry(1, 0.75f);
  EXPECT_EQ(CellX[0][0], 116);
  EXPECT_EQ(RowY[14], int(0.75 * 77 + 28 * 18.75));
  EXPECT_FLOAT_EQ(CellHalfWidth[0], 0.75f * 24.7f);
  int x = -1, y = -1;
  ASSERT_TRUE(Pick(CellX[9][4] + 18, RowY[4] - 18, x, y));
  EXPECT_EQ(x, 9);
  EXPECT_EQ(y, 4);
  Geometry(0, 0.75f);
  EXPECT_EQ(RowY[14], 463);
  EXPECT_EQ(CellX[7][14], 525);
}

TEST_F(BoardView, FlatPickingUsesStrictTolerances) {
  Geometry(1, 1.0f);
  int x = -1, y = -1;
  ASSERT_TRUE(Pick(178, 77, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_FALSE(Pick(179, 77, x, y));   // 25 from both neighbours
  EXPECT_FALSE(Pick(500, 102, x, y));  // exactly between two rows
  ASSERT_TRUE(Pick(500, 101, x, y));
  EXPECT_EQ(y, 0);
  EXPECT_FALSE(Pick(10, 10, x, y));
  EXPECT_FALSE(Pick(900, 500, x, y));
  // Every centre picks its own square.
  for (int cx = 0; cx < 15; ++cx)
    for (int cy = 0; cy < 15; ++cy) {
      ASSERT_TRUE(Pick(CellX[cx][cy], RowY[cy], x, y));
      EXPECT_EQ(x, cx);
      EXPECT_EQ(y, cy);
    }
}

TEST_F(BoardView, OccupiedSquaresNeverTakeAClick) {
  Geometry(1, 1.0f);
  Board[0][0] = 1;
  int x = -1, y = -1;
  EXPECT_FALSE(Pick(154, 77, x, y));
  // Perspective: the far row wins where areas overlap, unless it is taken.
  Geometry(0, 1.0f);
  Board[0][0] = 0;
  ASSERT_TRUE(Pick(700, 591, x, y));
  EXPECT_EQ(y, 13);
  EXPECT_EQ(x, 7);
  Board[7][13] = 2;
  ASSERT_TRUE(Pick(700, 591, x, y));
  EXPECT_EQ(y, 14);
  EXPECT_EQ(x, 7);
}

TEST_F(BoardView, PerspectivePickAreas) {
  Geometry(0, 1.0f);
  int x = -1, y = -1;
  ASSERT_TRUE(Pick(700, 645, x, y));
  EXPECT_EQ(y, 14);
  EXPECT_FALSE(Pick(700, 646, x, y));
  ASSERT_TRUE(Pick(394, 187, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  ASSERT_TRUE(Pick(394, 201, x, y));
  EXPECT_EQ(y, 0);
  EXPECT_FALSE(Pick(394, 186, x, y));
  EXPECT_FALSE(Pick(394 - 22, 194, x, y));  // half width of row 0 is 21.89
  ASSERT_TRUE(Pick(394 - 21, 194, x, y));
  EXPECT_EQ(x, 0);
}

TEST_F(BoardView, RotationLeavesPickAreasAndMovesStones) {
  Geometry(1, 1.0f);
  PlaceStone(0, 0, 1);
  RotateBoard();
  int x = -1, y = -1;
  ASSERT_TRUE(Pick(154, 77, x, y));   // (0, 0) is empty now
  EXPECT_FALSE(Pick(846, 77, x, y));  // the stone moved to (14, 0)
}

TEST_F(BoardView, PerspectiveStonesAreDrawnRowByRowWithDepthScale) {
  backend->OpenWindow(1400, 850, "t");
  Geometry(0, 1.0f);
  for (int k = 0; k < 6; ++k) StonePicture[k][0] = FakeStone(70, 50);
  PlayerKind[2] = Konsequente;
  Board[7][14] = 1;
  Board[0][0] = 2;
  Board[3][0] = 1;
  SetDrawScale(1.0f, 1.0f);
  DrawStones();
  const auto& calls = backend->currentFrame;
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].picture, StonePicture[Konsequente][0].get());
  EXPECT_FLOAT_EQ(calls[0].x, 394);
  EXPECT_FLOAT_EQ(calls[0].y, 194);
  EXPECT_NEAR(calls[0].state.scaleX, 0.451, 0.001);
  EXPECT_NEAR(calls[0].state.scaleY, 0.314, 0.001);
  EXPECT_EQ(calls[1].picture, StonePicture[0][0].get());
  EXPECT_FLOAT_EQ(calls[1].x, static_cast<float>(CellX[3][0]));
  EXPECT_FLOAT_EQ(calls[2].x, 700);
  EXPECT_FLOAT_EQ(calls[2].y, 618);
  EXPECT_FLOAT_EQ(calls[2].state.scaleX, 1.0f);
  EXPECT_FLOAT_EQ(calls[2].state.scaleY, 1.0f);
  // The scale of the near row stays set.
  EXPECT_FLOAT_EQ(CurrentDrawState().scaleY, 1.0f);
}

TEST_F(BoardView, FlatStonesKeepTheCallersScale) {
  backend->OpenWindow(750, 637, "t");
  Geometry(1, 0.75f);
  for (int k = 0; k < 6; ++k) StonePicture[k][1] = FakeStone(42, 42);
  PlayerKind[2] = Multiplayer;
  Board[14][14] = 2;
  Board[2][5] = 1;
  SetDrawScale(Scale, Scale);
  DrawStones();
  const auto& calls = backend->currentFrame;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].picture, StonePicture[0][1].get());
  EXPECT_FLOAT_EQ(calls[0].x, static_cast<float>(CellX[2][5]));
  EXPECT_FLOAT_EQ(calls[0].y, static_cast<float>(RowY[5]));
  EXPECT_EQ(calls[1].picture, StonePicture[Multiplayer][1].get());
  EXPECT_FLOAT_EQ(calls[1].state.scaleX, 0.75f);
  // Centred handle: the quad is centred on the square.
  EXPECT_NEAR(calls[1].cornerX[0], static_cast<float>(CellX[14][14]) - 21 * 0.75f, 0.01);
}

TEST_F(BoardView, BoardPictureFollowsRotationAndView) {
  backend->OpenWindow(1000, 850, "t");
  Geometry(1, 1.0f);
  for (int r = 0; r < 4; ++r)
    for (int v = 0; v < 2; ++v) BoardPicture[r][v] = FakeStone(10, 10);
  Rotation = 2;
  DrawBoardPicture();
  ASSERT_EQ(backend->currentFrame.size(), 1u);
  EXPECT_EQ(backend->currentFrame[0].picture, BoardPicture[2][1].get());
  EXPECT_FLOAT_EQ(backend->currentFrame[0].state.scaleX, 1.0f);
}

}  // namespace
