#include "platform/strip_font.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "tests/platform_test_images.h"

namespace {

constexpr int kW = 46, kH = 60;

// A strip of 101 cells with known opaque columns per cell.
class SyntheticStrip {
 public:
  SyntheticStrip() : rgba(size_t(kW * 101 * kH * 4), 0) {}
  void Fill(int cell, int left, int right, int top, int bottom, uint8_t alpha = 255) {
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x) {
        uint8_t* p = &rgba[(size_t(y) * kW * 101 + size_t(cell * kW + x)) * 4];
        p[0] = p[1] = p[2] = 255;
        p[3] = alpha;
      }
  }
  std::vector<uint8_t> rgba;
};

// The measuring rule restated: R is the rightmost opaque column; L is the
// leftmost opaque column among the rows after the last row that has an
// opaque pixel in column 0 (0 when there are none).
void ExpectedColumns(const std::vector<uint8_t>& rgba, int stride, int cell, int& left,
                     int& right) {
  auto opaque = [&](int x, int y) {
    return rgba[size_t(y) * size_t(stride) + size_t(cell * kW + x) * 4 + 3] > 0;
  };
  int lastZeroRow = -1;
  right = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      if (opaque(x, y)) right = std::max(right, x);
      if (x == 0 && opaque(x, y)) lastZeroRow = y;
    }
  left = 0;
  for (int y = lastZeroRow + 1; y < kH; ++y)
    for (int x = 1; x < kW; ++x)
      if (opaque(x, y) && (left == 0 || x < left)) left = x;
}

class StripFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    OpenWindow(800, 600, 60);
    strip.Fill(0, 10, 40, 20, 50);   // a: L 10, R 40
    strip.Fill(8, 16, 32, 10, 50);   // i: L 16, R 32
    strip.Fill(13, 0, 0, 5, 5, 1);   // n: a faint pixel in column 0 above the letter
    strip.Fill(13, 12, 39, 20, 50);  //    then the letter: L 12, R 39
    strip.Fill(23, 5, 30, 10, 40);   // x: the letter, then column 0 below it: L 0
    strip.Fill(23, 0, 0, 50, 50);
    strip.Fill(43, 5, 30, 10, 40);  // N: column 0 in a middle row of the letter
    strip.Fill(43, 0, 0, 30, 30);   //    L from the rows below it: 5
    strip.Fill(52, 1, 45, 0, 59);   // W: touches the right edge
    path = folder / "strip.png";
    ASSERT_TRUE(test_images::WriteRgbaPng(path, kW * 101, kH, strip.rgba));
  }
  std::shared_ptr<TStripFont> LoadStrip() {
    FontRef font = LoadAutoSizedFont(path, kW, kH, 22, kStripFontGlyphList, -2, 0);
    return std::dynamic_pointer_cast<TStripFont>(font);
  }
  const TStripFontGlyph& Glyph(TStripFont& font, int code) {
    return static_cast<const TStripFontGlyph&>(*font.LoadGlyph(font.CharToGlyph(code)));
  }
  std::vector<const DrawCommand*> Glyphs() {
    std::vector<const DrawCommand*> glyphs;
    for (const auto& command : backend->currentFrame)
      if (command.kind == DrawCommand::kPicture) glyphs.push_back(&command);
    return glyphs;
  }

  std::shared_ptr<HeadlessBackend> backend;
  test_images::ScratchFolder folder;
  SyntheticStrip strip;
  std::string path;
};

TEST_F(StripFontTest, GlyphListHas101CharactersInLatin1) {
  std::vector<int> codes = TextCodes(kStripFontGlyphList);
  ASSERT_EQ(int(codes.size()), kStripFontGlyphCount);
  EXPECT_EQ(codes[26], 228);
  EXPECT_EQ(codes[29], 223);
  EXPECT_EQ(codes[59], '1');
  EXPECT_EQ(codes[68], '0');
  EXPECT_EQ(codes[70], 167);
  EXPECT_EQ(codes[85], 178);
  EXPECT_EQ(codes[95], '\\');
  EXPECT_EQ(codes[99], 176);
  EXPECT_EQ(codes[100], '^');
}

TEST_F(StripFontTest, MeasuresEachGlyphFromItsOpaqueColumns) {
  auto font = LoadStrip();
  ASSERT_TRUE(font);
  const auto& a = Glyph(*font, 'a');
  EXPECT_EQ(a.G_Width, 30);
  EXPECT_EQ(a.G_Advance, 28.0f);
  EXPECT_EQ(a.G_X, -10);
  EXPECT_EQ(a.G_Y, -60);
  EXPECT_EQ(a.G_Height, 60);
  EXPECT_EQ(a.G_Pixmap.size(), size_t(kW * kH * 4));
  EXPECT_EQ(Glyph(*font, 'i').G_Advance, 14.0f);
  const auto& n = Glyph(*font, 'n');
  EXPECT_EQ(n.G_X, -12) << "column 0 above the letter does not count";
  EXPECT_EQ(n.G_Width, 27);
  EXPECT_EQ(n.G_Advance, 25.0f);
  EXPECT_EQ(Glyph(*font, 'x').G_X, 0) << "column 0 after the last letter row leaves L at 0";
  EXPECT_EQ(Glyph(*font, 'x').G_Width, 30);
  EXPECT_EQ(Glyph(*font, 'N').G_X, -5);
  EXPECT_EQ(Glyph(*font, 'N').G_Width, 25);
  EXPECT_EQ(Glyph(*font, 'W').G_Width, 44);
  const auto& square = Glyph(*font, 178);
  EXPECT_EQ(square.G_Width, 0) << "empty cell";
  EXPECT_EQ(square.G_Advance, -2.0f);
  for (int cell : {0, 8, 13, 23, 43, 52, 85}) {
    int left, right;
    ExpectedColumns(strip.rgba, kW * 101 * 4, cell, left, right);
    int code = TextCodes(kStripFontGlyphList)[size_t(cell)];
    EXPECT_EQ(Glyph(*font, code).G_Width, right - left) << cell;
    EXPECT_EQ(Glyph(*font, code).G_X, -left) << cell;
  }
}

TEST_F(StripFontTest, FontAnswersItsShape) {
  auto font = LoadStrip();
  ASSERT_TRUE(font);
  EXPECT_EQ(font->Style(), 1024);
  EXPECT_EQ(font->Height(), 60);
  EXPECT_EQ(font->CountGlyphs(), 255);
  EXPECT_EQ(font->CharToGlyph(32), 0);
  EXPECT_EQ(font->CharToGlyph(254), 222);
  EXPECT_EQ(font->CharToGlyph(255), -1);
  EXPECT_EQ(font->CharToGlyph(31), -1);
  EXPECT_EQ(font->ImageFlags, 7);
  EXPECT_EQ(font->Flags, 0x400);
  EXPECT_EQ(font->LoadGlyph(300), &font->NullGlyph);
  const TGlyph* tilde = font->LoadGlyph(font->CharToGlyph('~'));
  EXPECT_EQ(tilde, &font->NullGlyph);
  EXPECT_EQ(tilde->Pixels(), nullptr);
  const auto& space = Glyph(*font, ' ');
  EXPECT_EQ(space.G_Advance, 22.0f);
  EXPECT_EQ(space.G_Width, 22);
  EXPECT_EQ(space.G_Height, 1);
  EXPECT_EQ(space.G_X, 0);
  ASSERT_TRUE(space.Pixels());
  EXPECT_EQ(space.Pixels()->size(), 22u * 4);
  for (size_t i = 3; i < space.Pixels()->size(); i += 4) EXPECT_EQ((*space.Pixels())[i], 0);
}

TEST_F(StripFontTest, TextAdvancesGlyphByGlyphFromOneTexture) {
  auto font = LoadStrip();
  ASSERT_TRUE(font);
  SetTextFont(font);
  int uploads = backend->texturesUploaded;
  EXPECT_EQ(MeasureTextWidth("ai"), 42);
  EXPECT_EQ(MeasureTextHeight("ai"), 60);
  DrawTextAt("ai", 100, 200);
  ASSERT_EQ(backend->currentFrame.front().kind, DrawCommand::kText);
  EXPECT_EQ(backend->currentFrame.front().text, "ai");
  auto glyphs = Glyphs();
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_FLOAT_EQ(glyphs[0]->cornerX[0], 100 - 10);
  EXPECT_FLOAT_EQ(glyphs[0]->cornerY[0], 200 - 60);
  EXPECT_FLOAT_EQ(glyphs[0]->cornerY[2], 200);
  EXPECT_FLOAT_EQ(glyphs[1]->cornerX[0], 100 + 28 - 16);
  EXPECT_FLOAT_EQ(glyphs[1]->cornerX[2], 100 + 28 - 16 + kW);
  EXPECT_EQ(glyphs[0]->picture, glyphs[1]->picture) << "one texture for all text";
  EXPECT_EQ(glyphs[0]->frame, 0);
  EXPECT_EQ(glyphs[1]->frame, 8);
  EXPECT_FLOAT_EQ(glyphs[1]->u0, 8.0f / 101);
  EXPECT_EQ(backend->texturesUploaded, uploads) << "nothing uploaded while drawing";
}

TEST_F(StripFontTest, UnlistedCharactersNeitherDrawNorMove) {
  SetTextFont(LoadStrip());
  EXPECT_EQ(MeasureTextWidth("a~i"), 42);
  EXPECT_EQ(MeasureTextWidth("a€i"), 42) << "codes above 254 have no glyph";
  EXPECT_EQ(MeasureTextWidth("~~"), 0);
  DrawTextAt("a~€i", 0, 100);
  auto glyphs = Glyphs();
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_FLOAT_EQ(glyphs[1]->cornerX[0], 28 - 16);
}

TEST_F(StripFontTest, SpaceMovesThePenAndDrawsNothing) {
  SetTextFont(LoadStrip());
  EXPECT_EQ(MeasureTextWidth("a i"), 28 + 22 + 14);
  DrawTextAt("a i", 0, 100);
  auto glyphs = Glyphs();
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_FLOAT_EQ(glyphs[1]->cornerX[0], 50 - 16);
}

TEST_F(StripFontTest, EmptyCellsMoveThePenBack) {
  SetTextFont(LoadStrip());
  EXPECT_EQ(MeasureTextWidth("a²"), 26);
  EXPECT_EQ(MeasureTextWidth("²²"), -4);
}

TEST_F(StripFontTest, ScaledTextStandsOnItsLine) {
  SetTextFont(LoadStrip());
  SetDrawScale(2, 2);
  DrawTextAt("ai", 10, 300);
  auto glyphs = Glyphs();
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_FLOAT_EQ(glyphs[0]->cornerY[0], 300 - 120);
  EXPECT_FLOAT_EQ(glyphs[0]->cornerY[3], 300);
  EXPECT_FLOAT_EQ(glyphs[1]->cornerX[0], 10 + 2 * (28 - 16));
  EXPECT_EQ(MeasureTextWidth("ai"), 42) << "measuring ignores the scale";
}

TEST_F(StripFontTest, RotatedTextFollowsTheTurnedAxis) {
  SetTextFont(LoadStrip());
  SetDrawRotation(90);
  DrawTextAt("ai", 100, 100);
  auto glyphs = Glyphs();
  ASSERT_EQ(glyphs.size(), 2u);
  // Local (12, -60) turned by 90 degrees: (60, 12).
  EXPECT_NEAR(glyphs[1]->cornerX[0], 160, 1e-3);
  EXPECT_NEAR(glyphs[1]->cornerY[0], 112, 1e-3);
}

TEST_F(StripFontTest, RasterisedTextCoversTheBandAboveTheLine) {
  SetTextFont(LoadStrip());
  backend->rasterise = true;
  backend->ClearFramebuffer(0, 0, 0);
  SetBlend(kBlendAlpha);
  DrawTextAt("a", 100, 200);
  // "a" covers cell columns 10..40, rows 20..50: window x 100..130, y 160..190.
  EXPECT_FLOAT_EQ(backend->PixelAt(100, 160)[0], 1.0f);
  EXPECT_FLOAT_EQ(backend->PixelAt(130, 190)[0], 1.0f);
  EXPECT_FLOAT_EQ(backend->PixelAt(99, 170)[0], 0.0f);
  EXPECT_FLOAT_EQ(backend->PixelAt(131, 170)[0], 0.0f);
  EXPECT_FLOAT_EQ(backend->PixelAt(110, 159)[0], 0.0f);
}

TEST_F(StripFontTest, MissingSourceIsReportedAndGivesNoFont) {
  backend->now = 4242;
  FontRef before = CurrentTextFont();
  FontRef font = LoadAutoSizedFont(folder / "gone.png", kW, kH, 22, kStripFontGlyphList, -2, 0);
  EXPECT_FALSE(font);
  ASSERT_EQ(backend->notices.size(), 1u);
  EXPECT_EQ(backend->notices[0],
            "StripFont @ 4242 > ERROR: File " + (folder / "gone.png") + " Not found...");
  EXPECT_EQ(CurrentTextFont(), before);
  EXPECT_FALSE(LoadAutoSizedFont("incbin::media/none.png", kW, kH, 22, kStripFontGlyphList, -2, 0));
  EXPECT_EQ(backend->notices.size(), 2u);
}

TEST_F(StripFontTest, LoaderTakesOnlyPictureExtensions) {
  std::string text = folder / "font.dat";
  std::FILE* file = std::fopen(text.c_str(), "wb");
  std::fclose(file);
  EXPECT_FALSE(LoadAutoSizedFont(text, kW, kH, 22, kStripFontGlyphList, -2, 0));
  EXPECT_TRUE(backend->notices.empty()) << "no loader claims it, so nobody complains";
  std::filesystem::copy_file(path, folder / "STRIP.PNG");
  EXPECT_TRUE(LoadAutoSizedFont(folder / "STRIP.PNG", kW, kH, 22, kStripFontGlyphList, -2, 0));
}

TEST_F(StripFontTest, PictureThatIsNoStripIsReported) {
  ASSERT_TRUE(test_images::WriteRgbaPng(folder / "small.png", 46, 60,
                                        std::vector<uint8_t>(46 * 60 * 4, 255)));
  EXPECT_FALSE(LoadAutoSizedFont(folder / "small.png", kW, kH, 22, kStripFontGlyphList, -2, 0));
  EXPECT_EQ(backend->notices.size(), 1u);
}

// The shipped strip: its glyph widths follow from its own pixels.
TEST_F(StripFontTest, ShippedStripMeasuresAsItsPixelsSay) {
  const std::string shipped = "incbin::media/bitmapfont.png";
  if (!FindResource(shipped).data()) GTEST_SKIP() << "media/bitmapfont.png not embedded yet";
  auto sheet = LoadPicture(shipped);
  ASSERT_TRUE(sheet);
  ASSERT_EQ(sheet->sheetWidth, kW * 101);
  ASSERT_EQ(sheet->sheetHeight, kH);
  EXPECT_TRUE(sheet->hasAlpha);
  FontRef loaded = LoadAutoSizedFont(shipped, kW, kH, 22, kStripFontGlyphList, -2, 0);
  auto font = std::dynamic_pointer_cast<TStripFont>(loaded);
  ASSERT_TRUE(font);
  std::vector<int> codes = TextCodes(kStripFontGlyphList);
  const std::vector<uint8_t> pixels = PicturePixels(*sheet);
  for (int cell = 0; cell < 101; ++cell) {
    int left, right;
    ExpectedColumns(pixels, sheet->sheetWidth * 4, cell, left, right);
    const auto& glyph = Glyph(*font, codes[size_t(cell)]);
    EXPECT_EQ(glyph.G_Width, right - left) << "cell " << cell;
    EXPECT_EQ(glyph.G_X, -left) << "cell " << cell;
    EXPECT_EQ(glyph.G_Advance, float(right - left - 2)) << "cell " << cell;
  }
  int a = Glyph(*font, 'a').G_Width - 2;
  int i = Glyph(*font, 'i').G_Width - 2;
  SetTextFont(font);
  EXPECT_EQ(MeasureTextWidth("ai"), a + i);
  DrawTextAt("ai", 0, 100);
  auto glyphs = Glyphs();
  ASSERT_EQ(glyphs.size(), 2u);
  EXPECT_FLOAT_EQ(glyphs[1]->cornerX[0], float(a + Glyph(*font, 'i').G_X));
}

}  // namespace
