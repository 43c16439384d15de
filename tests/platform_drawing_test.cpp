#include <gtest/gtest.h>

#include <cmath>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "tests/platform_test_images.h"

namespace {

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    OpenWindow(64, 48, 60);
  }
  // A width x height RGBA picture of one colour.
  PictureRef Plain(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a,
                   int frames = 1) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < width * height * frames; ++i) rgba.insert(rgba.end(), {r, g, b, a});
    std::string path = folder / ("plain" + std::to_string(serial++) + ".png");
    EXPECT_TRUE(test_images::WriteRgbaPng(path, width * frames, height, rgba));
    return frames == 1 ? LoadPicture(path) : LoadPictureStrip(path, width, height, 0, frames);
  }
  const DrawCommand& Last() { return backend->currentFrame.back(); }

  std::shared_ptr<HeadlessBackend> backend;
  test_images::ScratchFolder folder;
  int serial = 0;
};

TEST_F(DrawingTest, InitialStateAsAtWindowOpening) {
  const DrawState& s = CurrentDrawState();
  EXPECT_EQ(s.red, 255);
  EXPECT_EQ(s.green, 255);
  EXPECT_EQ(s.blue, 255);
  EXPECT_EQ(s.alpha, 1.0f);
  EXPECT_EQ(s.blend, 1);
  EXPECT_EQ(s.rotation, 0.0f);
  EXPECT_EQ(s.ix, 1.0f);
  EXPECT_EQ(s.iy, 0.0f);
  EXPECT_EQ(s.jx, 0.0f);
  EXPECT_EQ(s.jy, 1.0f);
  EXPECT_EQ(s.originX, 0.0f);
}

TEST_F(DrawingTest, TransformFollowsRotationAndScale) {
  SetDrawScale(2.0f, 3.0f);
  SetDrawRotation(30.0f);
  const DrawState& s = CurrentDrawState();
  double c = std::cos(M_PI / 6), n = std::sin(M_PI / 6);
  EXPECT_NEAR(s.ix, c * 2, 1e-6);
  EXPECT_NEAR(s.iy, -n * 3, 1e-6);
  EXPECT_NEAR(s.jx, n * 2, 1e-6);
  EXPECT_NEAR(s.jy, c * 3, 1e-6);
  SetOrigin(100, 50);
  float x, y;
  TransformPoint(10, 20, 4, 5, x, y);
  EXPECT_NEAR(x, 110 + 4 * c * 2 - 5 * n * 3, 1e-4);
  EXPECT_NEAR(y, 70 + 4 * n * 2 + 5 * c * 3, 1e-4);
}

TEST_F(DrawingTest, PictureIsPlacedScaledAndTurnedAboutItsHandle) {
  auto picture = Plain(10, 6, 255, 255, 255, 255);
  ASSERT_TRUE(picture);
  DrawPicture(picture, 20, 30, 0);
  const DrawCommand& plain = Last();
  EXPECT_FLOAT_EQ(plain.cornerX[0], 20);
  EXPECT_FLOAT_EQ(plain.cornerY[0], 30);
  EXPECT_FLOAT_EQ(plain.cornerX[2], 30);
  EXPECT_FLOAT_EQ(plain.cornerY[2], 36);

  CentreHandle(picture);
  SetDrawScale(2, 2);
  SetDrawRotation(90);
  DrawPicture(picture, 20, 30, 0);
  const DrawCommand& turned = Last();
  // Local top-left (-5, -3) turned by 90 degrees and doubled: (6, -10).
  EXPECT_NEAR(turned.cornerX[0], 26, 1e-4);
  EXPECT_NEAR(turned.cornerY[0], 20, 1e-4);
  // The four corners stay centred on the handle.
  float cx = 0, cy = 0;
  for (int i = 0; i < 4; ++i) {
    cx += turned.cornerX[i] / 4;
    cy += turned.cornerY[i] / 4;
  }
  EXPECT_NEAR(cx, 20, 1e-4);
  EXPECT_NEAR(cy, 30, 1e-4);
  EXPECT_EQ(turned.state.rotation, 90.0f);
  EXPECT_EQ(turned.picture, picture.get());
}

TEST_F(DrawingTest, FramesOfAStripMapToTheirCells) {
  auto strip = Plain(8, 4, 255, 0, 0, 255, 4);
  ASSERT_TRUE(strip);
  EXPECT_EQ(PictureWidth(strip), 8);
  EXPECT_EQ(PictureHeight(strip), 4);
  DrawPicture(strip, 0, 0, 2);
  EXPECT_FLOAT_EQ(Last().u0, 0.5f);
  EXPECT_FLOAT_EQ(Last().u1, 0.75f);
  EXPECT_FLOAT_EQ(Last().v0, 0.0f);
  EXPECT_FLOAT_EQ(Last().v1, 1.0f);
  size_t drawn = backend->currentFrame.size();
  DrawPicture(strip, 0, 0, 4);
  DrawPicture(strip, 0, 0, -1);
  DrawPicture(nullptr, 0, 0, 0);
  EXPECT_EQ(backend->currentFrame.size(), drawn) << "frames outside the picture draw nothing";
}

TEST_F(DrawingTest, RectangleUsesTheTransformWithHandleAtItsCorner) {
  SetOrigin(5, 5);
  SetDrawScale(2, 1);
  SetColor(300, -4, 12);
  DrawRect(10, 10, 4, 3);
  const DrawCommand& rect = Last();
  EXPECT_EQ(rect.kind, DrawCommand::kRect);
  EXPECT_FLOAT_EQ(rect.cornerX[0], 15);
  EXPECT_FLOAT_EQ(rect.cornerX[1], 23);
  EXPECT_FLOAT_EQ(rect.cornerY[3], 18);
  EXPECT_EQ(rect.state.red, 255);
  EXPECT_EQ(rect.state.green, 0);
  EXPECT_EQ(rect.state.blue, 12);
}

TEST(BlendTest, EachModeFollowsItsFormula) {
  const float src[4] = {0.8f, 0.4f, 0.2f, 0.25f};
  auto blend = [&](int mode) {
    std::array<float, 3> dst = {0.5f, 0.5f, 1.0f};
    BlendPixel(mode, src, dst.data());
    return dst;
  };
  // Mask: alpha below 0.5 leaves the pixel alone.
  EXPECT_EQ(blend(kBlendMask), (std::array<float, 3>{0.5f, 0.5f, 1.0f}));
  const float opaque[4] = {0.8f, 0.4f, 0.2f, 0.5f};
  std::array<float, 3> dst = {0.5f, 0.5f, 1.0f};
  BlendPixel(kBlendMask, opaque, dst.data());
  EXPECT_EQ(dst, (std::array<float, 3>{0.8f, 0.4f, 0.2f}));
  // Solid ignores alpha, and so do unknown modes.
  EXPECT_EQ(blend(kBlendSolid), (std::array<float, 3>{0.8f, 0.4f, 0.2f}));
  EXPECT_EQ(blend(0), blend(kBlendSolid));
  EXPECT_EQ(blend(9), blend(kBlendSolid));
  auto alpha = blend(kBlendAlpha);
  EXPECT_FLOAT_EQ(alpha[0], 0.8f * 0.25f + 0.5f * 0.75f);
  EXPECT_FLOAT_EQ(alpha[2], 0.2f * 0.25f + 1.0f * 0.75f);
  auto light = blend(kBlendLight);
  EXPECT_FLOAT_EQ(light[0], 0.8f * 0.25f + 0.5f);
  EXPECT_FLOAT_EQ(light[2], 1.0f) << "light saturates";
  auto shade = blend(kBlendShade);
  EXPECT_FLOAT_EQ(shade[0], 0.8f * 0.5f);
  EXPECT_FLOAT_EQ(shade[1], 0.4f * 0.5f);
  EXPECT_FLOAT_EQ(shade[2], 0.2f);
}

TEST_F(DrawingTest, RasterisedFrameShowsColourAlphaAndBlend) {
  backend->rasterise = true;
  backend->ClearFramebuffer(0.5f, 0.5f, 0.5f);
  SetBlend(kBlendSolid);
  SetColor(255, 0, 0);
  DrawRect(0, 0, 10, 10);
  SetBlend(kBlendAlpha);
  SetColor(0, 0, 255);
  SetAlpha(0.5f);
  DrawRect(5, 5, 10, 10);
  auto red = backend->PixelAt(2, 2);
  EXPECT_FLOAT_EQ(red[0], 1.0f);
  EXPECT_FLOAT_EQ(red[2], 0.0f);
  auto mixed = backend->PixelAt(7, 7);
  EXPECT_FLOAT_EQ(mixed[0], 0.5f);
  EXPECT_FLOAT_EQ(mixed[2], 0.5f);
  auto overGrey = backend->PixelAt(12, 12);
  EXPECT_FLOAT_EQ(overGrey[0], 0.25f);
  EXPECT_FLOAT_EQ(overGrey[2], 0.75f);
  auto untouched = backend->PixelAt(20, 2);
  EXPECT_FLOAT_EQ(untouched[1], 0.5f);
}

TEST_F(DrawingTest, MaskModeDrawsOnlyTheOpaqueTexels) {
  const std::vector<uint8_t> rgba = {255, 255, 255, 255, 255, 255, 255, 255,
                                     255, 255, 255, 100, 255, 255, 255, 100};
  std::string path = folder / "half.png";
  ASSERT_TRUE(test_images::WriteRgbaPng(path, 4, 1, rgba));
  auto picture = LoadPicture(path);
  ASSERT_TRUE(picture);
  backend->rasterise = true;
  backend->ClearFramebuffer(0, 0, 0);
  SetDrawScale(2, 2);
  DrawPicture(picture, 0, 0, 0);
  EXPECT_FLOAT_EQ(backend->PixelAt(1, 1)[0], 1.0f);
  EXPECT_FLOAT_EQ(backend->PixelAt(3, 1)[0], 1.0f);
  EXPECT_FLOAT_EQ(backend->PixelAt(5, 1)[0], 0.0f);
  EXPECT_FLOAT_EQ(backend->PixelAt(1, 2)[0], 0.0f) << "two rows high at scale 2";
}

TEST_F(DrawingTest, PicturesAreUploadedOnceAndReleasedWithTheirLastUser) {
  int before = backend->texturesUploaded;
  {
    auto picture = Plain(4, 4, 1, 2, 3, 255);
    DrawPicture(picture, 0, 0, 0);
    DrawPicture(picture, 0, 0, 0);
    EXPECT_EQ(backend->texturesUploaded, before + 1);
    EXPECT_EQ(backend->liveTextures, before + 1);
  }
  PresentFrame();
  EXPECT_EQ(backend->liveTextures, before + 1) << "the last frame's log still shows it";
  PresentFrame();
  EXPECT_EQ(backend->liveTextures, before);
}

TEST_F(DrawingTest, PicturesSurviveABackendChangeByUploadingAgain) {
  auto picture = Plain(4, 4, 1, 2, 3, 255);
  auto fresh = InstallHeadlessBackend();
  DrawPicture(picture, 0, 0, 0);
  EXPECT_EQ(fresh->texturesUploaded, 1);
  ASSERT_EQ(fresh->currentFrame.size(), 1u);
  EXPECT_EQ(picture->textureOwner.lock(), fresh);
}

TEST_F(DrawingTest, DefaultFontDrawsNothingAndMeasuresZero) {
  EXPECT_EQ(MeasureTextWidth("Hallo"), 0);
  EXPECT_EQ(MeasureTextHeight("Hallo"), 0);
  DrawTextAt("Hallo", 10, 10);
  ASSERT_EQ(backend->currentFrame.size(), 1u);
  EXPECT_EQ(backend->currentFrame[0].kind, DrawCommand::kText);
  EXPECT_EQ(backend->currentFrame[0].text, "Hallo");
}

// A font whose glyphs bring only pixels: code 'x' is a 3 x 2 opaque block
// drawn 1 right of and 2 above the pen, the space is transparent.
class PixelFont : public TFont {
 public:
  class Glyph : public TGlyph {
   public:
    Glyph(std::vector<uint8_t> pixels, int height, float advance)
        : pixels_(std::move(pixels)), height_(height), advance_(advance) {}
    const std::vector<uint8_t>* Pixels() const override { return &pixels_; }
    float Advance() const override { return advance_; }
    void GetRect(int& x, int& y, int& width, int& height) const override {
      x = 1;
      y = -2;
      width = 3;
      height = height_;
    }

   private:
    std::vector<uint8_t> pixels_;
    int height_;
    float advance_;
  };
  Glyph block{std::vector<uint8_t>(3 * 2 * 4, 255), 2, 4.5f};
  Glyph space{std::vector<uint8_t>(5 * 4, 0), 1, 5.0f};
  int Style() const override { return 0; }
  int Height() const override { return 2; }
  int CountGlyphs() const override { return 2; }
  int CharToGlyph(int code) const override { return code == 'x' ? 0 : code == ' ' ? 1 : -1; }
  const TGlyph* LoadGlyph(int index) override {
    return index == 0 ? static_cast<TGlyph*>(&block) : &space;
  }
};

TEST_F(DrawingTest, GlyphsWithOnlyPixelsBecomePicturesOnFirstUse) {
  auto font = std::make_shared<PixelFont>();
  SetTextFont(font);
  EXPECT_EQ(MeasureTextWidth("x x"), 13) << "4.5 cut to 4, then 9, then 13";
  int uploads = backend->texturesUploaded;
  DrawTextAt("x xx", 10, 20);
  std::vector<DrawCommand> glyphs;
  for (const auto& command : backend->currentFrame)
    if (command.kind == DrawCommand::kPicture) glyphs.push_back(command);
  ASSERT_EQ(glyphs.size(), 3u) << "the transparent space draws nothing";
  EXPECT_EQ(backend->texturesUploaded, uploads + 1) << "one picture for the glyph, made once";
  EXPECT_EQ(glyphs[0].picture, glyphs[2].picture);
  EXPECT_FLOAT_EQ(glyphs[0].cornerX[0], 11);
  EXPECT_FLOAT_EQ(glyphs[0].cornerY[0], 18);
  EXPECT_FLOAT_EQ(glyphs[0].cornerX[2], 14);
  EXPECT_FLOAT_EQ(glyphs[1].cornerX[0], 10 + 9.5f + 1);
  EXPECT_FLOAT_EQ(glyphs[2].cornerX[0], 10 + 14.0f + 1);
}

TEST(TextCodesTest, DecodesUtf8ToLatin1AndBeyond) {
  EXPECT_EQ(TextCodes("aä§€"), (std::vector<int>{'a', 228, 167, 0x20AC}));
  EXPECT_EQ(TextCodes("\xE4x"), (std::vector<int>{228, 'x'}))
      << "a stray Latin-1 byte stays itself";
  EXPECT_EQ(TextCodes("\xC3"), (std::vector<int>{0xC3})) << "cut sequence";
  EXPECT_EQ(TextCodes("\xC0\x80"), (std::vector<int>{0xC0, 0x80})) << "overlong";
  EXPECT_TRUE(TextCodes("").empty());
}

}  // namespace
