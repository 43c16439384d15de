#include "platform/sdl/texture_atlas.h"

#include <gtest/gtest.h>

#include <random>

using namespace sdl_backend;

namespace {

struct Rect {
  int x, y, w, h;
};

bool Overlap(const Rect& a, const Rect& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

Picture Sheet(int sheetW, int sheetH, int cellW, int cellH, int first, int count) {
  Picture p;
  p.sheetWidth = sheetW;
  p.sheetHeight = sheetH;
  p.width = cellW;
  p.height = cellH;
  p.cellsPerRow = sheetW / cellW;
  p.firstCell = first;
  p.frameCount = count;
  p.rgba.resize(size_t(sheetW) * sheetH * 4);
  // Every pixel tells where it came from: red = x, green = y.
  for (int y = 0; y < sheetH; y++)
    for (int x = 0; x < sheetW; x++) {
      uint8_t* px = &p.rgba[(size_t(y) * sheetW + x) * 4];
      px[0] = uint8_t(x);
      px[1] = uint8_t(y);
      px[2] = 7;
      px[3] = 255;
    }
  return p;
}

}  // namespace

TEST(ShelfPacker, PlacedRectanglesStayInsideAndNeverOverlap) {
  ShelfPacker packer(256);
  std::mt19937 random(42);
  std::vector<Rect> placed;
  for (int i = 0; i < 400; i++) {
    int w = 4 + int(random() % 60), h = 4 + int(random() % 60);
    int x, y;
    if (!packer.Insert(w, h, x, y)) continue;
    Rect r{x, y, w, h};
    EXPECT_GE(x, 0);
    EXPECT_GE(y, 0);
    EXPECT_LE(x + w, 256);
    EXPECT_LE(y + h, 256);
    for (const Rect& other : placed) ASSERT_FALSE(Overlap(r, other)) << i;
    placed.push_back(r);
  }
  EXPECT_GT(placed.size(), 20u);
}

TEST(ShelfPacker, RefusesWhatDoesNotFitAndStartsOverWhenCleared) {
  ShelfPacker packer(100);
  int x, y;
  EXPECT_FALSE(packer.Insert(101, 10, x, y));
  EXPECT_FALSE(packer.Insert(10, 0, x, y));
  for (int i = 0; i < 4; i++) ASSERT_TRUE(packer.Insert(50, 50, x, y));
  EXPECT_FALSE(packer.Insert(50, 50, x, y));
  packer.Clear();
  EXPECT_TRUE(packer.Insert(100, 100, x, y));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST(ShelfPacker, SameHeightsShareAShelf) {
  ShelfPacker packer(200);
  int x1, y1, x2, y2;
  ASSERT_TRUE(packer.Insert(70, 50, x1, y1));
  ASSERT_TRUE(packer.Insert(70, 50, x2, y2));
  EXPECT_EQ(y1, y2);
  EXPECT_EQ(x2, 70);
}

TEST(TextureAtlas, FrameCellsCountLeftToRightThenTopToBottomFromTheFirstCell) {
  Picture strip = Sheet(120, 80, 40, 40, 2, 3);  // cells 2, 3, 4 of a 3 x 2 sheet
  CellRect a = FrameCell(strip, 0), b = FrameCell(strip, 1), c = FrameCell(strip, 2);
  EXPECT_EQ(a.x, 80);
  EXPECT_EQ(a.y, 0);
  EXPECT_EQ(b.x, 0);
  EXPECT_EQ(b.y, 40);
  EXPECT_EQ(c.x, 40);
  EXPECT_EQ(c.y, 40);
  EXPECT_EQ(c.width, 40);
  // Out-of-range frames are held to the picture's frames.
  EXPECT_EQ(FrameCell(strip, 9).x, c.x);
  EXPECT_EQ(FrameCell(strip, -1).x, a.x);
}

TEST(TextureAtlas, CellsReachingPastTheSheetAreClipped) {
  Picture odd = Sheet(100, 30, 40, 40, 1, 2);  // two cells a row, the sheet too low
  CellRect inside = FrameCell(odd, 0);
  EXPECT_EQ(inside.x, 40);
  EXPECT_EQ(inside.width, 40);
  EXPECT_EQ(inside.height, 30);
  CellRect outside = FrameCell(odd, 1);  // cell 2 starts below the sheet
  EXPECT_EQ(outside.height, 0);
  EXPECT_EQ(PaddedFramePixels(odd, outside).size(),
            size_t(4 * (outside.width + 2 * kAtlasPadding) * (2 * kAtlasPadding)));
}

TEST(TextureAtlas, OnlySmallFramesArePacked) {
  EXPECT_TRUE(PacksIntoAtlas(Sheet(4646, 60, 46, 60, 0, 101)));     // the font strip
  EXPECT_TRUE(PacksIntoAtlas(Sheet(70, 50, 70, 50, 0, 1)));         // a stone
  EXPECT_FALSE(PacksIntoAtlas(Sheet(1400, 850, 1400, 850, 0, 1)));  // a board
}

TEST(TextureAtlas, PaddingRepeatsTheFramesEdgePixels) {
  Picture strip = Sheet(30, 10, 10, 10, 1, 1);  // the middle cell, x 10..19
  CellRect cell = FrameCell(strip, 0);
  std::vector<uint8_t> padded = PaddedFramePixels(strip, cell);
  const int w = 10 + 2 * kAtlasPadding;
  ASSERT_EQ(padded.size(), size_t(w * w * 4));
  auto at = [&](int x, int y) { return &padded[(size_t(y) * w + x) * 4]; };
  // Inside: the cell itself.
  EXPECT_EQ(at(kAtlasPadding, kAtlasPadding)[0], 10);
  EXPECT_EQ(at(kAtlasPadding + 9, kAtlasPadding + 9)[0], 19);
  // Border: the nearest edge pixel of the cell, never the neighbouring cells.
  EXPECT_EQ(at(0, 0)[0], 10);
  EXPECT_EQ(at(0, 0)[1], 0);
  EXPECT_EQ(at(w - 1, w - 1)[0], 19);
  EXPECT_EQ(at(w - 1, w - 1)[1], 9);
}

TEST(TextureAtlas, TexCoordsOfAFrameLandOnItsPlaceInThePage) {
  Picture strip = Sheet(200, 50, 50, 50, 0, 4);
  Placement place;
  place.textureSize = 1000;
  place.x = 300;
  place.y = 600;
  place.cell = FrameCell(strip, 2);  // x 100..149
  float u, v;
  MapTexCoords(place, 200, 50, 100.0f / 200, 0.0f, u, v);
  EXPECT_FLOAT_EQ(u, 0.300f);
  EXPECT_FLOAT_EQ(v, 0.600f);
  MapTexCoords(place, 200, 50, 150.0f / 200, 1.0f, u, v);
  EXPECT_FLOAT_EQ(u, 0.350f);
  EXPECT_FLOAT_EQ(v, 0.650f);
  // A texture of its own keeps the sheet's coordinates.
  Placement own;
  MapTexCoords(own, 200, 50, 0.25f, 0.5f, u, v);
  EXPECT_FLOAT_EQ(u, 0.25f);
  EXPECT_FLOAT_EQ(v, 0.5f);
}

TEST(TextureAtlas, BgraUploadSwapsRedAndBlueOfEveryPixelOnly) {
  std::vector<uint8_t> pixels = {1, 2, 3, 4, 250, 251, 252, 253, 9, 8, 7, 0};
  SwapRedAndBlue(pixels);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{3, 2, 1, 4, 252, 251, 250, 253, 7, 8, 9, 0}));
  // Padded frames go up the same way: the border still copies the edge.
  Picture strip = Sheet(30, 10, 10, 10, 1, 1);
  std::vector<uint8_t> padded = PaddedFramePixels(strip, FrameCell(strip, 0));
  SwapRedAndBlue(padded);
  EXPECT_EQ(padded[0], 7);   // blue first
  EXPECT_EQ(padded[2], 10);  // red, x of the cell's left edge
  EXPECT_EQ(padded[3], 255);
}
