// Pictures: PNG (libpng) and JPEG (libjpeg) from a resource or a file,
// masked by the transparent colour when the image has no alpha channel,
// uploaded once to the backend; from then on their pixels live in the
// texture only, and whoever needs them again decodes them again.
#include <png.h>
#include <setjmp.h>

#include <cstdio>
#include <cstring>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace {

int transparentRed = 0, transparentGreen = 0, transparentBlue = 0;

bool DecodePng(const uint8_t* data, size_t size, int& width, int& height,
               std::vector<uint8_t>& rgba, bool& hasAlpha) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return false;
  hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_RGBA;
  width = int(image.width);
  height = int(image.height);
  rgba.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  return width > 0 && height > 0;
}

struct JpegError {
  jpeg_error_mgr manager;
  jmp_buf escape;
};

extern "C" void JpegFail(j_common_ptr info) {
  longjmp(reinterpret_cast<JpegError*>(info->err)->escape, 1);
}
extern "C" void JpegQuiet(j_common_ptr, int) {}

bool DecodeJpeg(const uint8_t* data, size_t size, int& width, int& height,
                std::vector<uint8_t>& rgba) {
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = JpegFail;
  error.manager.emit_message = JpegQuiet;
  std::vector<uint8_t> row;
  if (setjmp(error.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<uint8_t*>(data), static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  width = int(info.output_width);
  height = int(info.output_height);
  row.resize(size_t(width) * 3);
  rgba.assign(size_t(width) * size_t(height) * 4, 255);
  while (info.output_scanline < info.output_height) {
    JSAMPROW rows[1] = {row.data()};
    int y = int(info.output_scanline);
    jpeg_read_scanlines(&info, rows, 1);
    uint8_t* out = rgba.data() + size_t(y) * size_t(width) * 4;
    for (int x = 0; x < width; ++x) std::memcpy(out + x * 4, row.data() + x * 3, 3);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return width > 0 && height > 0;
}

// Pixels of the colour 0xRRGGBB become fully transparent.
void MaskTransparent(std::vector<uint8_t>& rgba, int colour) {
  const auto red = uint8_t(colour >> 16), green = uint8_t(colour >> 8), blue = uint8_t(colour);
  for (size_t i = 0; i + 3 < rgba.size(); i += 4)
    if (rgba[i] == red && rgba[i + 1] == green && rgba[i + 2] == blue) rgba[i + 3] = 0;
}

// Embedded pictures are decoded where they lie; a file is read first. An
// image without alpha is masked with colour (unless it is -1).
bool DecodeSource(const std::string& source, int colour, int& width, int& height,
                  std::vector<uint8_t>& rgba, bool& hasAlpha) {
  std::span<const uint8_t> data = FindResource(source);
  std::vector<uint8_t> bytes;
  if (!data.data()) {
    if (!ReadSourceBytes(source, bytes)) return false;
    data = bytes;
  }
  if (!platform_detail::DecodeImage(data.data(), data.size(), width, height, rgba, hasAlpha))
    return false;
  if (!hasAlpha && colour >= 0) MaskTransparent(rgba, colour);
  return true;
}

PictureRef LoadSheet(const std::string& resource) {
  auto picture = platform_detail::NewPicture();
  picture->name = resource;
  const int colour =
      (transparentRed & 255) << 16 | (transparentGreen & 255) << 8 | (transparentBlue & 255);
  if (!DecodeSource(resource, colour, picture->sheetWidth, picture->sheetHeight, picture->rgba,
                    picture->hasAlpha))
    return nullptr;
  if (!picture->hasAlpha) picture->maskedColour = colour;
  picture->reloadable = true;
  return picture;
}

}  // namespace

namespace platform_detail {

void ResetPictures() { transparentRed = transparentGreen = transparentBlue = 0; }

PictureRef NewPicture() {
  return PictureRef(new Picture, [](Picture* picture) {
    if (picture->texture >= 0)
      if (auto owner = picture->textureOwner.lock()) owner->ReleaseTexture(picture->texture);
    delete picture;
  });
}

bool DecodeImage(const uint8_t* data, size_t size, int& width, int& height,
                 std::vector<uint8_t>& rgba, bool& hasAlpha) {
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (!data) return false;
  if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0)
    return DecodePng(data, size, width, height, rgba, hasAlpha);
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    hasAlpha = false;
    return DecodeJpeg(data, size, width, height, rgba);
  }
  return false;
}

void FrameRect(const Picture& picture, int frame, float& u0, float& v0, float& u1, float& v1) {
  int cell = picture.firstCell + frame;
  int perRow = picture.cellsPerRow > 0 ? picture.cellsPerRow : 1;
  int left = (cell % perRow) * picture.width;
  int top = (cell / perRow) * picture.height;
  float w = float(picture.sheetWidth > 0 ? picture.sheetWidth : 1);
  float h = float(picture.sheetHeight > 0 ? picture.sheetHeight : 1);
  u0 = float(left) / w;
  v0 = float(top) / h;
  u1 = float(left + picture.width) / w;
  v1 = float(top + picture.height) / h;
}

// A loaded picture's pixels live on in the texture only; for another
// backend (the tests install one after another) they are decoded again.
void EnsureUploaded(Picture& picture) {
  auto backend = CurrentBackendHandle().lock();
  if (picture.texture >= 0 && picture.textureOwner.lock() == backend) return;
  if (picture.rgba.empty()) picture.rgba = PicturePixels(picture);
  picture.texture = backend->UploadTexture(picture);
  picture.textureOwner = backend;
  if (picture.reloadable) std::vector<uint8_t>().swap(picture.rgba);
}

}  // namespace platform_detail

PictureRef LoadPicture(const std::string& resource) {
  auto picture = LoadSheet(resource);
  if (!picture) return nullptr;
  picture->width = picture->sheetWidth;
  picture->height = picture->sheetHeight;
  platform_detail::EnsureUploaded(*picture);
  return picture;
}

PictureRef LoadPictureStrip(const std::string& resource, int cellWidth, int cellHeight,
                            int firstCell, int cellCount) {
  if (cellWidth <= 0 || cellHeight <= 0 || firstCell < 0 || cellCount <= 0) return nullptr;
  auto picture = LoadSheet(resource);
  if (!picture) return nullptr;
  int perRow = picture->sheetWidth / cellWidth;
  int rows = picture->sheetHeight / cellHeight;
  if (int64_t(firstCell) + cellCount > int64_t(perRow) * rows) return nullptr;
  picture->width = cellWidth;
  picture->height = cellHeight;
  picture->frameCount = cellCount;
  picture->cellsPerRow = perRow;
  picture->firstCell = firstCell;
  platform_detail::EnsureUploaded(*picture);
  return picture;
}

void CentreHandle(const PictureRef& picture) {
  if (!picture) return;
  picture->handleX = float(picture->width) * 0.5f;
  picture->handleY = float(picture->height) * 0.5f;
}

int PictureWidth(const PictureRef& picture) { return picture ? picture->width : 0; }
int PictureHeight(const PictureRef& picture) { return picture ? picture->height : 0; }

std::vector<uint8_t> PicturePixels(const Picture& picture) {
  if (!picture.rgba.empty() || !picture.reloadable) return picture.rgba;
  int width = 0, height = 0;
  bool hasAlpha = false;
  std::vector<uint8_t> rgba;
  // A file changed on disk since is no longer this picture.
  if (!DecodeSource(picture.name, picture.maskedColour, width, height, rgba, hasAlpha) ||
      width != picture.sheetWidth || height != picture.sheetHeight)
    return {};
  return rgba;
}

void SetTransparentColor(int red, int green, int blue) {
  transparentRed = red;
  transparentGreen = green;
  transparentBlue = blue;
}
