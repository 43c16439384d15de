#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/headless/headless_backend.h"
#include "platform/platform.h"
#include "tests/platform_test_images.h"

namespace {

class ImagesTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = InstallHeadlessBackend(); }
  std::shared_ptr<HeadlessBackend> backend;
  test_images::ScratchFolder folder;
};

// A loaded picture's pixels went to its texture: they are decoded again.
const uint8_t* Pixel(const PictureRef& picture, int x, int y) {
  if (picture->rgba.empty()) picture->rgba = PicturePixels(*picture);
  return picture->rgba.data() + (size_t(y) * size_t(picture->sheetWidth) + size_t(x)) * 4;
}

std::vector<uint8_t> Rgba(const uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }

// A 5 x 3 image with a distinct colour per pixel and one black pixel.
std::vector<uint8_t> Pattern(int channels) {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      bool black = x == 1 && y == 1;
      uint8_t sample[4] = {uint8_t(black ? 0 : 40 * x + 10), uint8_t(black ? 0 : 70 * y + 5),
                           uint8_t(black ? 0 : 99), uint8_t(60 * x)};
      pixels.insert(pixels.end(), sample, sample + channels);
    }
  return pixels;
}

TEST_F(ImagesTest, RgbaPngKeepsItsAlpha) {
  for (bool interlaced : {false, true}) {
    std::string path = folder / (interlaced ? "rgba-i.png" : "rgba.png");
    ASSERT_TRUE(test_images::WritePng(path, 5, 3, PNG_COLOR_TYPE_RGBA, 8, Pattern(4), interlaced));
    auto picture = LoadPicture(path);
    ASSERT_TRUE(picture) << interlaced;
    EXPECT_TRUE(picture->hasAlpha);
    EXPECT_EQ(PictureWidth(picture), 5);
    EXPECT_EQ(PictureHeight(picture), 3);
    EXPECT_EQ(picture->frameCount, 1);
    EXPECT_EQ(Rgba(Pixel(picture, 3, 2)), (std::vector<uint8_t>{130, 145, 99, 180}));
    EXPECT_EQ(Rgba(Pixel(picture, 1, 1)), (std::vector<uint8_t>{0, 0, 0, 60}))
        << "alpha images are not masked";
    EXPECT_GE(picture->texture, 0);
  }
}

TEST_F(ImagesTest, RgbPngIsMaskedByTheTransparentColour) {
  for (bool interlaced : {false, true}) {
    std::string path = folder / (interlaced ? "rgb-i.png" : "rgb.png");
    ASSERT_TRUE(test_images::WritePng(path, 5, 3, PNG_COLOR_TYPE_RGB, 8, Pattern(3), interlaced));
    auto picture = LoadPicture(path);
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->hasAlpha);
    EXPECT_EQ(Rgba(Pixel(picture, 1, 1)), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(Rgba(Pixel(picture, 4, 0)), (std::vector<uint8_t>{170, 5, 99, 255}));
  }
  SetTransparentColor(170, 5, 99);
  auto later = LoadPicture(folder / "rgb.png");
  EXPECT_EQ(Pixel(later, 4, 0)[3], 0) << "the new colour applies to pictures loaded afterwards";
  EXPECT_EQ(Pixel(later, 1, 1)[3], 255);
}

TEST_F(ImagesTest, GreyPalette16BitPngsDecode) {
  ASSERT_TRUE(test_images::WritePng(folder / "grey.png", 2, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 200}));
  auto grey = LoadPicture(folder / "grey.png");
  ASSERT_TRUE(grey);
  EXPECT_EQ(Rgba(Pixel(grey, 0, 0)), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(Rgba(Pixel(grey, 1, 0)), (std::vector<uint8_t>{200, 200, 200, 255}));

  std::vector<png_color> palette = {{0, 0, 0}, {10, 20, 30}};
  ASSERT_TRUE(test_images::WritePng(folder / "pal.png", 2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0},
                                    false, palette));
  auto indexed = LoadPicture(folder / "pal.png");
  ASSERT_TRUE(indexed);
  EXPECT_EQ(Rgba(Pixel(indexed, 0, 0)), (std::vector<uint8_t>{10, 20, 30, 255}));
  EXPECT_EQ(Pixel(indexed, 1, 0)[3], 0);

  ASSERT_TRUE(test_images::WritePng(folder / "pal-t.png", 2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0},
                                    false, palette, {255, 128}));
  auto transparentPalette = LoadPicture(folder / "pal-t.png");
  ASSERT_TRUE(transparentPalette);
  EXPECT_TRUE(transparentPalette->hasAlpha);
  EXPECT_EQ(Pixel(transparentPalette, 0, 0)[3], 128);
  EXPECT_EQ(Pixel(transparentPalette, 1, 0)[3], 255) << "black with palette alpha is kept";

  std::vector<uint8_t> deep = {0xFF, 0xFF, 0x00, 0x00,
                               0x80, 0x00, 0xFF, 0xFF};  // one RGBA pixel, 16 bits
  ASSERT_TRUE(test_images::WritePng(folder / "deep.png", 1, 1, PNG_COLOR_TYPE_RGBA, 16, deep));
  auto wide = LoadPicture(folder / "deep.png");
  ASSERT_TRUE(wide);
  EXPECT_EQ(Pixel(wide, 0, 0)[0], 255);
  EXPECT_EQ(Pixel(wide, 0, 0)[1], 0);
  EXPECT_EQ(Pixel(wide, 0, 0)[3], 255);
}

TEST_F(ImagesTest, JpegDecodesAndIsMaskedWithoutAlpha) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      bool white = x >= 8;
      rgb.insert(rgb.end(), {uint8_t(white ? 255 : 200), uint8_t(white ? 255 : 60),
                             uint8_t(white ? 255 : 30)});
    }
  ASSERT_TRUE(test_images::WriteJpeg(folder / "board.jpg", 16, 16, rgb));
  SetTransparentColor(255, 255, 255);
  auto picture = LoadPicture(folder / "board.jpg");
  ASSERT_TRUE(picture);
  EXPECT_FALSE(picture->hasAlpha);
  EXPECT_EQ(PictureWidth(picture), 16);
  const uint8_t* left = Pixel(picture, 2, 8);
  EXPECT_NEAR(left[0], 200, 6);
  EXPECT_NEAR(left[1], 60, 6);
  EXPECT_EQ(left[3], 255);
  EXPECT_EQ(Pixel(picture, 13, 8)[3], 0);
}

// Once uploaded, a loaded picture holds no pixels of its own; whoever needs
// them (the font's measuring, another backend's texture, a test) gets them
// decoded again, masked with the colour of the time it was loaded.
TEST_F(ImagesTest, LoadedPixelsLiveInTheTextureAndAreDecodedAgainWhenNeeded) {
  ASSERT_TRUE(test_images::WritePng(folder / "rgb.png", 5, 3, PNG_COLOR_TYPE_RGB, 8, Pattern(3)));
  SetTransparentColor(170, 5, 99);
  auto picture = LoadPicture(folder / "rgb.png");
  ASSERT_TRUE(picture);
  EXPECT_GE(picture->texture, 0);
  EXPECT_TRUE(picture->rgba.empty());
  SetTransparentColor(0, 0, 0);
  std::vector<uint8_t> pixels = PicturePixels(*picture);
  ASSERT_EQ(pixels.size(), size_t(5 * 3 * 4));
  EXPECT_EQ(pixels[(0 * 5 + 4) * 4 + 3], 0) << "masked as when it was loaded";
  EXPECT_EQ(pixels[(1 * 5 + 1) * 4 + 3], 255);
  EXPECT_TRUE(picture->rgba.empty()) << "nothing is kept";

  // Drawn on another backend, it is uploaded there from a fresh decode,
  // and lets the pixels go again.
  auto second = InstallHeadlessBackend();
  second->rasterise = true;
  OpenWindow(10, 10, 60);
  SetBlend(kBlendSolid);
  DrawPicture(picture, 0, 0, 0);
  EXPECT_EQ(second->texturesUploaded, 1);
  EXPECT_TRUE(picture->rgba.empty());
  EXPECT_NEAR(second->PixelAt(2, 0)[0] * 255, 90, 1e-3);

  // A picture made in memory has nowhere to decode from: it keeps them.
  auto made = std::make_shared<Picture>();
  made->width = made->sheetWidth = 1;
  made->height = made->sheetHeight = 1;
  made->rgba = {1, 2, 3, 255};
  DrawPicture(made, 0, 0, 0);
  EXPECT_EQ(made->rgba, (std::vector<uint8_t>{1, 2, 3, 255}));
  EXPECT_EQ(PicturePixels(*made), made->rgba);
}

TEST_F(ImagesTest, StripCellsCountLeftToRightThenTopToBottom) {
  // 3 x 2 cells of 2 x 2 pixels; each cell's red is its number.
  std::vector<uint8_t> rgba(6 * 4 * 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      uint8_t* p = &rgba[size_t(y * 6 + x) * 4];
      p[0] = uint8_t((y / 2) * 3 + x / 2);
      p[3] = 255;
    }
  ASSERT_TRUE(test_images::WriteRgbaPng(folder / "cells.png", 6, 4, rgba));
  auto strip = LoadPictureStrip(folder / "cells.png", 2, 2, 2, 3);
  ASSERT_TRUE(strip);
  EXPECT_EQ(strip->frameCount, 3);
  EXPECT_EQ(PictureWidth(strip), 2);
  backend->rasterise = true;
  OpenWindow(10, 10, 60);
  SetBlend(kBlendSolid);
  for (int frame = 0; frame < 3; ++frame) {
    DrawPicture(strip, 0, 0, frame);
    EXPECT_NEAR(backend->PixelAt(1, 1)[0] * 255, 2 + frame, 1e-3) << frame;
  }
  EXPECT_FALSE(LoadPictureStrip(folder / "cells.png", 2, 2, 4, 3))
      << "more cells than the image has";
  EXPECT_FALSE(LoadPictureStrip(folder / "cells.png", 0, 2, 0, 1));
}

TEST_F(ImagesTest, BrokenOrMissingSourcesGiveNoPicture) {
  EXPECT_FALSE(LoadPicture(folder / "missing.png"));
  EXPECT_FALSE(LoadPicture("incbin::media/not-there.png"));
  test_images::WriteRgbaPng(folder / "ok.png", 2, 2, std::vector<uint8_t>(16, 255));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(ReadSourceBytes(folder / "ok.png", bytes));
  bytes.resize(bytes.size() / 2);
  {
    std::FILE* file = std::fopen((folder / "cut.png").c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  EXPECT_FALSE(LoadPicture(folder / "cut.png"));
  {
    std::FILE* file = std::fopen((folder / "cut.jpg").c_str(), "wb");
    const uint8_t header[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F'};
    std::fwrite(header, 1, sizeof header, file);
    std::fclose(file);
  }
  EXPECT_FALSE(LoadPicture(folder / "cut.jpg"));
}

TEST_F(ImagesTest, CentreHandleIsHalfTheFrame) {
  test_images::WriteRgbaPng(folder / "odd.png", 6, 3, std::vector<uint8_t>(72, 255));
  auto strip = LoadPictureStrip(folder / "odd.png", 3, 3, 0, 2);
  CentreHandle(strip);
  EXPECT_EQ(strip->handleX, 1.5f);
  EXPECT_EQ(strip->handleY, 1.5f);
  CentreHandle(nullptr);
  EXPECT_EQ(PictureWidth(nullptr), 0);
}

}  // namespace
