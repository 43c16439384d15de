// Square positions of both views, stone drawing and picking.
#include "view/board_view.h"

#include <cstdlib>

#include "game/game_state.h"
#include "platform/platform.h"
#include "view/presentation.h"

// Perspective view, per row from the far edge (0) to the near edge (14):
// centres of squares 0 and 14 and the row's centre line, design pixels.
const int32_t PerspLeft[15] = {394, 383, 373, 361, 347, 335, 318, 303,
                               285, 267, 245, 224, 197, 169, 136};
const int32_t PerspRowY[15] = {194, 210, 229, 249, 269, 292, 316, 343,
                               372, 403, 438, 475, 517, 565, 618};

int32_t FrontRowDepth() { return int32_t(Scale * float(PerspRowY[kBoardSize - 1])); }
const int32_t PerspRight[15] = {1007, 1017, 1027, 1040, 1053, 1066, 1083, 1099,
                                1115, 1134, 1156, 1179, 1205, 1233, 1265};

int32_t CellX[15][15];
int32_t RowY[15];
float CellHalfWidth[15];
float CellHalfHeight[15];
float StoneScaleX = 1.0f;
float StoneScaleY = 1.0f;

namespace {

// The half widths are held in single precision and the centres summed in
// double, which puts square 14 of the far row at 1006 (not 1007) while the
// near row still ends at 1265.
// Flat view: first centre and half the distance between centres.
constexpr double kFlatLeft = 154.7;
constexpr double kFlatTop = 77.0;
constexpr float kFlatHalfWidth = 24.7f;
constexpr float kFlatHalfHeight = 25.0f;
// Perspective view: vertical pick tolerance of the near row.
constexpr float kNearRowHalfHeight = 28.0f;

void ComputePerspective() {
  for (int y = 0; y < kBoardSize; ++y) {
    CellHalfWidth[y] = Scale * float(PerspRight[y] - PerspLeft[y]) / 28.0f;
    CellHalfHeight[y] = y < kBoardSize - 1 ? Scale * 0.5f * float(PerspRowY[y + 1] - PerspRowY[y])
                                           : Scale * kNearRowHalfHeight;
  }
  for (int y = 0; y < kBoardSize; ++y) {
    RowY[y] = int32_t(double(Scale) * PerspRowY[y]);
    for (int x = 0; x < kBoardSize; ++x)
      CellX[x][y] = int32_t(double(Scale) * PerspLeft[y] + 2.0 * x * double(CellHalfWidth[y]));
  }
}

void ComputeFlat() {
  for (int i = 0; i < kBoardSize; ++i) {
    CellHalfWidth[i] = Scale * kFlatHalfWidth;
    CellHalfHeight[i] = Scale * kFlatHalfHeight;
  }
  for (int y = 0; y < kBoardSize; ++y) {
    RowY[y] = int32_t(double(Scale) * kFlatTop + 2.0 * y * double(CellHalfHeight[y]));
    for (int x = 0; x < kBoardSize; ++x)
      CellX[x][y] = int32_t(double(Scale) * kFlatLeft + 2.0 * x * double(CellHalfWidth[x]));
  }
}

const PictureRef& StoneOf(int colour, int view) {
  static const PictureRef none;
  const int kind = PlayerKind[colour];
  if (kind < 0 || kind > 5) return none;
  return StonePicture[kind][view];
}

}  // namespace

void ComputeBoardGeometry() {
  if (View2D)
    ComputeFlat();
  else
    ComputePerspective();
}

void DrawBoardPicture() {
  SetDrawScale(Scale, Scale);
  DrawPicture(BoardPicture[Rotation & 3][View2D ? 1 : 0], 0, 0, 0);
}

void SetDepthScale(float screenY) {
  StoneScaleY = screenY / float(DepthBase);
  StoneScaleX = 0.8f * StoneScaleY + 0.2f;
  SetDrawScale(Scale * StoneScaleX, Scale * StoneScaleY);
}

void DrawStones() {
  const int view = View2D ? 1 : 0;
  for (int y = 0; y < kBoardSize; ++y) {
    // Far rows smaller and flatter; nearer rows drawn later cover them.
    if (!view) SetDepthScale(1.0f * float(RowY[y]));
    for (int x = 0; x < kBoardSize; ++x) {
      const int cell = Board[x][y];
      if (cell == kYellow || cell == kBlue)
        DrawPicture(StoneOf(cell, view), float(CellX[x][y]), float(RowY[y]), 0);
    }
  }
}

void DrawStoneAt(int colour, int x, int y) {
  const int view = View2D ? 1 : 0;
  DrawPicture(StoneOf(colour, view), float(CellX[x][y]), float(RowY[y]), 0);
}

// Rows are scanned from the far one, so where the pick areas of two
// perspective rows overlap the farther row wins.
bool PickSquare(int pointerX, int pointerY, int& x, int& y) {
  for (int row = 0; row < kBoardSize; ++row)
    for (int column = 0; column < kBoardSize; ++column) {
      if (Board[column][row] != kEmpty) continue;
      if (float(std::abs(pointerX - CellX[column][row])) < CellHalfWidth[row] &&
          float(std::abs(pointerY - RowY[row])) < CellHalfHeight[row]) {
        x = column;
        y = row;
        return true;
      }
    }
  return false;
}
