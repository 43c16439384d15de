// Where squares and stones are drawn in both views, and picking.
#pragma once

#include <cstdint>

extern const int32_t PerspLeft[15];
extern const int32_t PerspRowY[15];
// DepthBase for the current Scale: stones have their full size on the front row.
int32_t FrontRowDepth();
extern const int32_t PerspRight[15];

extern int32_t CellX[15][15];  // [x][y]
extern int32_t RowY[15];
extern float CellHalfWidth[15];
extern float CellHalfHeight[15];
extern float StoneScaleX;
extern float StoneScaleY;

void ComputeBoardGeometry();
void DrawBoardPicture();  // SetDrawScale(Scale, Scale) and the board picture at (0, 0)
void DrawStones();
// Perspective depth rule: StoneScaleY = screenY / DepthBase, StoneScaleX =
// 0.8 * StoneScaleY + 0.2, and SetDrawScale(Scale * StoneScaleX, Scale * StoneScaleY).
void SetDepthScale(float screenY);
// One stone picture of the colour's player kind on square (x, y) of the
// current view, at the drawing state the caller set.
void DrawStoneAt(int colour, int x, int y);
// The empty square under the window point, or false.
bool PickSquare(int pointerX, int pointerY, int& x, int& y);
