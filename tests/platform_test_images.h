// Small image and sound files and a scratch folder for the platform's tests.
#pragma once

#include <jpeglib.h>
#include <png.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace test_images {

// A folder that disappears with the object.
struct ScratchFolder {
  std::string path;
  ScratchFolder() {
    char name[] = "/tmp/kavro-test-XXXXXX";
    path = mkdtemp(name);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string operator/(const std::string& file) const { return path + "/" + file; }
};

// pixels: rows of samples for the colour type (8 or 16 bits, big-endian).
inline bool WritePng(const std::string& path, int width, int height, int colorType, int bitDepth,
                     const std::vector<uint8_t>& pixels, bool interlaced = false,
                     const std::vector<png_color>& palette = {},
                     const std::vector<uint8_t>& paletteAlpha = {}) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
               interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  if (!paletteAlpha.empty())
    png_set_tRNS(png, info, paletteAlpha.data(), int(paletteAlpha.size()), nullptr);
  png_write_info(png, info);
  size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y)
    rows[size_t(y)] = const_cast<uint8_t*>(pixels.data()) + size_t(y) * rowBytes;
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return true;
}

inline bool WriteRgbaPng(const std::string& path, int width, int height,
                         const std::vector<uint8_t>& rgba, bool interlaced = false) {
  return WritePng(path, width, height, PNG_COLOR_TYPE_RGBA, 8, rgba, interlaced);
}

inline bool WriteJpeg(const std::string& path, int width, int height,
                      const std::vector<uint8_t>& rgb, int quality = 100) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = JDIMENSION(width);
  info.image_height = JDIMENSION(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row =
        const_cast<uint8_t*>(rgb.data()) + size_t(info.next_scanline) * size_t(width) * 3;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
  return true;
}

// One second of a mono square tone (441 Hz) at the given rate, as a WAV
// file encoded with oggenc into ogg (oggencArgs adds e.g. loop tags); false
// when the tool is missing.
inline bool WriteToneOgg(const ScratchFolder& folder, const std::string& ogg, uint32_t rate,
                         const std::string& oggencArgs = "") {
  const std::string wav = folder / "tone.wav";
  {
    std::ofstream out(wav, std::ios::binary);
    auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t samples = rate, halfPeriod = rate / 882;
    out << "RIFF";
    u32(36 + samples * 2);
    out << "WAVEfmt ";
    u32(16), u16(1), u16(1), u32(rate), u32(rate * 2), u16(2), u16(16);
    out << "data";
    u32(samples * 2);
    for (uint32_t i = 0; i < samples; ++i)
      u16(uint16_t(int16_t(8000 * ((i / halfPeriod) % 2 ? 1 : -1))));
  }
  const std::string command =
      "oggenc -Q " + oggencArgs + " -o '" + ogg + "' '" + wav + "' 2>/dev/null";
  return std::system(command.c_str()) == 0 && std::filesystem::is_regular_file(ogg);
}

}  // namespace test_images
