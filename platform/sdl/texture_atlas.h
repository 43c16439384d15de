// Where pictures live on the GPU. Texture switches are what llvmpipe pays
// for most, so small frames are packed into shared atlas pages and only big
// sheets get a texture of their own. This part is pure bookkeeping: no GL.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace sdl_backend {

// Frames up to this size go into atlas pages of kAtlasPageSize squared. A
// page costs its whole size in memory (llvmpipe keeps textures in RAM):
// 1024 squared, 4 MiB, holds everything the game shows from the start
// (stones, docks, the font's 101 cells) in two thirds of one page; more
// pages are made when needed.
constexpr int kAtlasPageSize = 1024;
constexpr int kAtlasMaxFrame = 512;
// Every packed frame gets a border of replicated edge pixels, so linear
// filtering at its edge behaves as if the frame were a texture of its own.
constexpr int kAtlasPadding = 2;
// A small white block at the start of every page, for filled rectangles.
constexpr int kWhiteBlock = 4;

// First-fit shelf packer for one page.
class ShelfPacker {
 public:
  explicit ShelfPacker(int size) : size_(size) {}
  bool Insert(int width, int height, int& x, int& y);
  void Clear() { shelves_.clear(); }

 private:
  struct Shelf {
    int y, height, used;
  };
  int size_;
  std::vector<Shelf> shelves_;
};

// One frame's cell on its picture's sheet, in pixels (clipped to the sheet).
struct CellRect {
  int x = 0, y = 0, width = 0, height = 0;
};
CellRect FrameCell(const Picture& picture, int frame);

// Whether a picture's frames are packed into pages or get their own texture.
bool PacksIntoAtlas(const Picture& picture);

// A frame's pixels plus the padding border, as RGBA rows ready for upload.
std::vector<uint8_t> PaddedFramePixels(const Picture& picture, const CellRect& cell);

// Turns RGBA pixels into BGRA in place. Textures are uploaded in that byte
// order: llvmpipe only takes its fast path for screen-aligned rectangles
// from BGRA textures, and most GPUs keep their textures that way too.
void SwapRedAndBlue(std::vector<uint8_t>& pixels);

// Maps the texture rectangle of a draw call (relative to the whole sheet)
// into the texture it is drawn from.
struct Placement {
  int texture = 0;      // GL texture name
  int textureSize = 0;  // page size; 0 for a texture of its own
  int x = 0, y = 0;     // where the cell's top-left pixel landed on the page
  CellRect cell;        // the cell on the sheet
};
void MapTexCoords(const Placement& place, int sheetWidth, int sheetHeight, float u, float v,
                  float& outU, float& outV);

}  // namespace sdl_backend
