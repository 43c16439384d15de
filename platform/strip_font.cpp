#include "platform/strip_font.h"

#include <algorithm>
#include <cctype>
#include <mutex>

#include "platform/platform_internal.h"

namespace {

// What LoadAutoSizedFont leaves for the loader: the font system's loading
// call carries only source, size and style.
struct StoredParameters {
  std::string glyphList = kStripFontGlyphList;
  int spaceWidth = 22;
  int cellHeight = 60;
  int spacing = -2;
  int imageFlags = 7;
  int flags = kStripFontAutoSized;
};
StoredParameters stored;

constexpr int kSmoothStyle = 4;

void ReportMissing(const std::string& source) {
  Notify("StripFont @ " + std::to_string(ClockMs()) + " > ERROR: " + "File " + source +
         " Not found...");
}

bool SourceExists(const std::string& source) {
  if (source.find("incbin::") != std::string::npos) return FindResource(source).data() != nullptr;
  return PathType(source) == 1;
}

}  // namespace

void TStripFontGlyph::GetRect(int& x, int& y, int& width, int& height) const {
  x = G_X;
  y = G_Y;
  width = G_Width;
  height = G_Height;
}

int TStripFont::Style() const { return Flags & (kStripFontAutoSized | kStripFontFixedWidth); }

int TStripFont::CharToGlyph(int code) const { return code >= 32 && code <= 254 ? code - 32 : -1; }

const TGlyph* TStripFont::LoadGlyph(int index) {
  if (index < 0 || index >= kStripFontSlots || !Glyphs[size_t(index)]) return &NullGlyph;
  return Glyphs[size_t(index)].get();
}

std::shared_ptr<TStripFont> TStripFont::Load(const std::string& source, int cellWidth,
                                             int cellHeight, int spaceWidth,
                                             const std::string& glyphList, int spacing,
                                             int imageFlags, int flags) {
  if (!SourceExists(source)) {
    ReportMissing(source);
    return nullptr;
  }
  auto font = std::make_shared<TStripFont>();
  font->ImageFlags = imageFlags;
  font->Flags = flags;
  if (flags & kStripFontAutoSized) {
    if (!AutoSizedFontLoader(*font, source, cellWidth, cellHeight, spaceWidth, glyphList,
                             spacing)) {
      ReportMissing(source);
      return nullptr;
    }
  }
  return font;
}

FontRef TStripFontLoader::LoadFont(const std::string& source, int size, int) {
  size_t dot = source.rfind('.');
  if (dot == std::string::npos) return nullptr;
  std::string extension = source.substr(dot);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  if (extension != ".png" && extension != ".bmp" && extension != ".tga" && extension != ".jpg")
    return nullptr;
  return TStripFont::Load(source, size, stored.cellHeight, stored.spaceWidth, stored.glyphList,
                          stored.spacing, stored.imageFlags, stored.flags);
}

FontRef LoadAutoSizedFont(const std::string& picture, int cellWidth, int cellHeight, int spaceWidth,
                          const std::string& glyphList, int spacing, int flags) {
  stored.glyphList = glyphList;
  stored.spaceWidth = spaceWidth;
  stored.cellHeight = cellHeight;
  stored.spacing = spacing;
  stored.imageFlags = 7;
  stored.flags = flags | kStripFontAutoSized;
  return LoadImageFont(picture, cellWidth, kSmoothStyle);
}

// R is the rightmost opaque column. L is the leftmost, except that 0 also
// means "none found yet": after a row whose opaque pixels reach column 0,
// the next opaque pixel found starts L afresh.
void MeasureGlyphColumns(const uint8_t* rgba, int stride, int cellWidth, int cellHeight, int& left,
                         int& right) {
  right = 0;
  left = 0;
  for (int y = 0; y < cellHeight; ++y) {
    const uint8_t* row = rgba + size_t(y) * size_t(stride);
    for (int k = 0; k < cellWidth; ++k) {
      if (row[k * 4 + 3] > 0 && (right == 0 || k > right)) right = k;
      int o = cellWidth - 1 - k;
      if (row[o * 4 + 3] > 0 && (left == 0 || o < left)) left = o;
    }
  }
}

bool AutoSizedFontLoader(TStripFont& font, const std::string& source, int cellWidth, int cellHeight,
                         int spaceWidth, const std::string& glyphList, int spacing) {
  std::vector<int> codes = TextCodes(glyphList);
  PictureRef strip = LoadPictureStrip(source, cellWidth, cellHeight, 0, int(codes.size()));
  if (!strip) return false;
  // The strip's pixels went up with its texture: measured from a fresh decode.
  const std::vector<uint8_t> pixels = PicturePixels(*strip);
  int stride = strip->sheetWidth * 4;
  if (pixels.size() < size_t(stride) * size_t(strip->sheetHeight)) return false;
  font.StripPicture = strip;
  CreateSpace(font, spaceWidth);
  for (size_t i = 0; i < codes.size(); ++i) {
    int slot = codes[i] - 32;
    if (slot < 0 || slot > 222) continue;
    int cell = strip->firstCell + int(i);
    int cellLeft = (cell % strip->cellsPerRow) * cellWidth;
    int cellTop = (cell / strip->cellsPerRow) * cellHeight;
    const uint8_t* origin = pixels.data() + size_t(cellTop) * size_t(stride) + size_t(cellLeft) * 4;

    auto glyph = std::make_shared<TStripFontGlyph>();
    glyph->G_Pixmap.resize(size_t(cellWidth) * size_t(cellHeight) * 4);
    for (int y = 0; y < cellHeight; ++y)
      std::copy_n(origin + size_t(y) * size_t(stride), size_t(cellWidth) * 4,
                  glyph->G_Pixmap.begin() + std::ptrdiff_t(size_t(y) * size_t(cellWidth) * 4));
    int left, right;
    MeasureGlyphColumns(origin, stride, cellWidth, cellHeight, left, right);
    glyph->G_Width = right - left;
    glyph->G_Height = cellHeight;
    glyph->G_X = -left;
    glyph->G_Y = -cellHeight;
    glyph->G_Advance = float(glyph->G_Width + spacing);
    glyph->Strip = strip;
    glyph->StripFrame = int(i);
    font.Glyphs[size_t(slot)] = glyph;
  }
  font.FontHeight = cellHeight;
  return true;
}

void CreateSpace(TStripFont& font, int spaceWidth) {
  auto space = std::make_shared<TStripFontGlyph>();
  space->G_Pixmap.assign(size_t(std::max(spaceWidth, 0)) * 4, 0);
  space->G_Advance = float(spaceWidth);
  space->G_X = 0;
  space->G_Y = 0;
  space->G_Width = spaceWidth;
  space->G_Height = 1;
  font.Glyphs[0] = space;
}

namespace platform_detail {
void RegisterBuiltinFontLoaders() {
  static std::once_flag once;
  std::call_once(once, [] { RegisterFontLoader(std::make_shared<TStripFontLoader>()); });
}
}  // namespace platform_detail
