#include "platform/sdl/texture_atlas.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sdl_backend {

bool ShelfPacker::Insert(int width, int height, int& x, int& y) {
  if (width <= 0 || height <= 0 || width > size_ || height > size_) return false;
  // The lowest shelf that fits, without wasting more than half its height.
  Shelf* best = nullptr;
  for (Shelf& shelf : shelves_) {
    if (shelf.height < height || shelf.height > height * 2 || shelf.used + width > size_) continue;
    if (!best || shelf.height < best->height) best = &shelf;
  }
  if (!best) {
    int top = shelves_.empty() ? 0 : shelves_.back().y + shelves_.back().height;
    if (top + height > size_) return false;
    shelves_.push_back({top, height, 0});
    best = &shelves_.back();
  }
  x = best->used;
  y = best->y;
  best->used += width;
  return true;
}

CellRect FrameCell(const Picture& picture, int frame) {
  CellRect cell;
  int frames = std::max(1, picture.frameCount);
  frame = std::clamp(frame, 0, frames - 1);
  int perRow = std::max(1, picture.cellsPerRow);
  int index = picture.firstCell + frame;
  cell.x = (index % perRow) * picture.width;
  cell.y = (index / perRow) * picture.height;
  cell.width = std::max(0, std::min(picture.width, picture.sheetWidth - cell.x));
  cell.height = std::max(0, std::min(picture.height, picture.sheetHeight - cell.y));
  return cell;
}

bool PacksIntoAtlas(const Picture& picture) {
  return picture.width > 0 && picture.height > 0 && picture.width <= kAtlasMaxFrame &&
         picture.height <= kAtlasMaxFrame;
}

std::vector<uint8_t> PaddedFramePixels(const Picture& picture, const CellRect& cell) {
  const int p = kAtlasPadding;
  const int w = cell.width + 2 * p, h = cell.height + 2 * p;
  std::vector<uint8_t> out(size_t(w) * h * 4, 0);
  if (cell.width == 0 || cell.height == 0) return out;
  for (int y = 0; y < h; y++) {
    int sy = cell.y + std::clamp(y - p, 0, cell.height - 1);
    for (int x = 0; x < w; x++) {
      int sx = cell.x + std::clamp(x - p, 0, cell.width - 1);
      std::memcpy(&out[(size_t(y) * w + x) * 4],
                  &picture.rgba[(size_t(sy) * picture.sheetWidth + sx) * 4], 4);
    }
  }
  return out;
}

void SwapRedAndBlue(std::vector<uint8_t>& pixels) {
  for (size_t i = 0; i + 3 < pixels.size(); i += 4) std::swap(pixels[i], pixels[i + 2]);
}

void MapTexCoords(const Placement& place, int sheetWidth, int sheetHeight, float u, float v,
                  float& outU, float& outV) {
  if (place.textureSize == 0) {
    outU = u;
    outV = v;
    return;
  }
  float size = float(place.textureSize);
  outU = (float(place.x) + u * float(sheetWidth) - float(place.cell.x)) / size;
  outV = (float(place.y) + v * float(sheetHeight) - float(place.cell.y)) / size;
}

}  // namespace sdl_backend
