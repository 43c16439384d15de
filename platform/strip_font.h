// The game's bitmap font: one picture holding a strip of equal cells, one
// character per cell in the order of the glyph list. Each glyph's width is
// measured from its cell's opaque pixels when the font is loaded.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

// Cell i of the strip holds character i of this list (UTF-8 here; the font
// works with the Latin-1 codes). The space is not in it: it gets its own
// glyph.
inline constexpr char kStripFontGlyphList[] =
    "abcdefghijklmnopqrstuvwxyzäöüßABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÜ1234567890"
    "!§$%&/()=?,.;:-_²³#'+*{[]}\\<>|°^";
inline constexpr int kStripFontGlyphCount = 101;

inline constexpr int kStripFontSlots = 255;        // slot i: the character with code 32 + i
inline constexpr int kStripFontAutoSized = 0x400;  // loader option: measure each glyph
inline constexpr int kStripFontFixedWidth = 0x1;

class TStripFontGlyph : public TGlyph {
 public:
  std::vector<uint8_t> G_Pixmap;  // RGBA copy of the whole cell
  float G_Advance = 0.0f;
  int G_X = 0;
  int G_Y = 0;
  int G_Width = 0;
  int G_Height = 0;
  // The strip picture and this glyph's frame on it, so a line of text is
  // drawn from one texture. Null for glyphs with nothing to draw.
  PictureRef Strip;
  int StripFrame = 0;

  const std::vector<uint8_t>* Pixels() const override {
    return G_Pixmap.empty() ? nullptr : &G_Pixmap;
  }
  float Advance() const override { return G_Advance; }
  void GetRect(int& x, int& y, int& width, int& height) const override;
  PictureRef Picture() const override { return Strip; }
  int PictureFrame() const override { return StripFrame; }
};

class TStripFont : public TFont {
 public:
  TStripFontGlyph NullGlyph;
  std::array<std::shared_ptr<TStripFontGlyph>, kStripFontSlots> Glyphs;
  int FontHeight = 0;
  int ImageFlags = 0;
  int Flags = 0;
  PictureRef StripPicture;  // the whole strip, one texture

  int Style() const override;
  int Height() const override { return FontHeight; }
  int CountGlyphs() const override { return kStripFontSlots; }
  int CharToGlyph(int code) const override;
  const TGlyph* LoadGlyph(int index) override;

  // Null (after telling the user) when the source does not exist or its
  // picture cannot be cut into the strip.
  static std::shared_ptr<TStripFont> Load(const std::string& source, int cellWidth, int cellHeight,
                                          int spaceWidth, const std::string& glyphList, int spacing,
                                          int imageFlags, int flags);
};

class TStripFontLoader : public TFontLoader {
 public:
  FontRef LoadFont(const std::string& source, int size, int style) override;
};

// Loads the font through the font system (as an image font of size
// cellWidth, style 4), after leaving the other parameters where the strip
// loader finds them.
FontRef LoadAutoSizedFont(const std::string& picture, int cellWidth, int cellHeight, int spaceWidth,
                          const std::string& glyphList, int spacing, int flags);

// Cuts the strip and measures every listed glyph; false when the picture
// cannot be loaded as a strip of that many cells.
bool AutoSizedFontLoader(TStripFont& font, const std::string& source, int cellWidth, int cellHeight,
                         int spaceWidth, const std::string& glyphList, int spacing);

// Slot 0 (the space): a transparent spaceWidth x 1 picture that advances
// spaceWidth.
void CreateSpace(TStripFont& font, int spaceWidth);

// The measuring rule on one cell (RGBA, cellWidth x cellHeight): the left
// and right opaque columns L and R as the loader finds them.
void MeasureGlyphColumns(const uint8_t* rgba, int stride, int cellWidth, int cellHeight, int& left,
                         int& right);
