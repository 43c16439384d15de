#include "pictures.h"

#include <png.h>

#include <algorithm>
#include <cmath>

namespace gallery {

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), rgba_(size_t(width) * height * 4, 0.0f) {}

void Canvas::Paint(const std::function<float(float, float)>& distance,
                   const std::function<Rgb(float, float)>& colour, float opacity) {
  for (int y = 0; y < height_; y++)
    for (int x = 0; x < width_; x++) {
      float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      float cover = std::clamp(0.5f - distance(px, py), 0.0f, 1.0f) * opacity;
      if (cover <= 0.0f) continue;
      Rgb c = colour(px, py);
      float* p = &rgba_[(size_t(y) * width_ + x) * 4];
      float outA = cover + p[3] * (1.0f - cover);
      float src[3] = {c.r, c.g, c.b};
      for (int i = 0; i < 3; i++)
        p[i] = (src[i] * cover + p[i] * p[3] * (1.0f - cover)) / std::max(outA, 1e-6f);
      p[3] = outA;
    }
}

bool Canvas::Save(const std::string& path) const {
  std::vector<uint8_t> bytes(rgba_.size());
  for (size_t i = 0; i < rgba_.size(); i++)
    bytes[i] = uint8_t(std::lround(std::clamp(rgba_[i], 0.0f, 1.0f) * 255.0f));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width_);
  image.height = png_uint_32(height_);
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

float RoundedBox(float x, float y, float left, float top, float right, float bottom, float radius) {
  float cx = (left + right) * 0.5f, cy = (top + bottom) * 0.5f;
  float qx = std::fabs(x - cx) - ((right - left) * 0.5f - radius);
  float qy = std::fabs(y - cy) - ((bottom - top) * 0.5f - radius);
  float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float Ellipse(float x, float y, float centreX, float centreY, float halfWidth, float halfHeight) {
  float nx = (x - centreX) / halfWidth, ny = (y - centreY) / halfHeight;
  return (std::sqrt(nx * nx + ny * ny) - 1.0f) * std::min(halfWidth, halfHeight);
}

namespace {

Rgb Mix(Rgb a, Rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
Rgb Scaled(Rgb c, float f) { return {c.r * f, c.g * f, c.b * f}; }

constexpr Rgb kWhite{1, 1, 1};
constexpr Rgb kBlue{0.20f, 0.42f, 0.85f};
constexpr Rgb kGreen{0.22f, 0.66f, 0.36f};
constexpr Rgb kGrey{0.62f, 0.64f, 0.68f};
constexpr Rgb kOrange{1.0f, 0.55f, 0.10f};
constexpr Rgb kPale{0.90f, 0.91f, 0.93f};

using Shape = std::function<float(float, float)>;

Shape Box(float left, float top, float right, float bottom, float radius) {
  return [=](float x, float y) { return RoundedBox(x, y, left, top, right, bottom, radius); };
}
Shape Oval(float cx, float cy, float hw, float hh) {
  return [=](float x, float y) { return Ellipse(x, y, cx, cy, hw, hh); };
}
Shape Inset(const Shape& shape, float by) {
  return [=](float x, float y) { return shape(x, y) + by; };
}
// A thick stroke between two points.
Shape Segment(float ax, float ay, float bx, float by, float halfWidth) {
  return [=](float x, float y) {
    float dx = bx - ax, dy = by - ay;
    float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(x - ax - t * dx, y - ay - t * dy) - halfWidth;
  };
}

// A glossy rounded box over the whole canvas (with a margin).
Canvas GlossyBox(int width, int height, float radius, Rgb base, float margin = 2.0f) {
  Canvas canvas(width, height);
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  PaintGlossy(canvas, Box(margin, margin, w - margin, h - margin, radius), base, margin,
              h - margin);
  return canvas;
}

Canvas GlossyOval(int width, int height, Rgb base, float margin = 2.0f) {
  Canvas canvas(width, height);
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  PaintGlossy(canvas, Oval(w * 0.5f, h * 0.5f, w * 0.5f - margin, h * 0.5f - margin), base, margin,
              h - margin);
  return canvas;
}

void PaintCheck(Canvas& canvas, Rgb colour) {
  float w = static_cast<float>(canvas.width()), h = static_cast<float>(canvas.height());
  auto one = Segment(w * 0.26f, h * 0.52f, w * 0.43f, h * 0.70f, w * 0.07f);
  auto two = Segment(w * 0.43f, h * 0.70f, w * 0.76f, h * 0.30f, w * 0.07f);
  canvas.Paint([=](float x, float y) { return std::min(one(x, y), two(x, y)); },
               [=](float, float) { return colour; });
}

// Radio cell i shows i + 1 dots.
void PaintRadioStrip(const std::string& path, int cells, int cellWidth, int cellHeight,
                     bool vertical, bool selected, bool& ok) {
  Canvas canvas(vertical ? cellWidth : cellWidth * cells,
                vertical ? cellHeight * cells : cellHeight);
  const float w = static_cast<float>(cellWidth), h = static_cast<float>(cellHeight);
  for (int i = 0; i < cells; i++) {
    float left = vertical ? 0.0f : float(i * cellWidth);
    float top = vertical ? float(i * cellHeight) : 0.0f;
    PaintGlossy(canvas, Box(left + 3, top + 3, left + w - 3, top + h - 3, 10),
                selected ? kBlue : kGrey, top + 3, top + h - 3);
    float spacing = 14.0f, first = left + w * 0.5f - spacing * static_cast<float>(i) * 0.5f;
    for (int d = 0; d <= i; d++)
      canvas.Paint(Oval(first + static_cast<float>(d) * spacing, top + h * 0.5f, 4.5f, 4.5f),
                   [=](float, float) {
                     return selected ? kWhite : Rgb{0.25f, 0.27f, 0.31f};
                   });
  }
  ok = canvas.Save(path) && ok;
}

}  // namespace

void PaintGlossy(Canvas& canvas, const Shape& shape, Rgb base, float top, float bottom) {
  float span = std::max(bottom - top, 1.0f);
  canvas.Paint(shape, [=](float, float) { return Scaled(base, 0.45f); });
  canvas.Paint(Inset(shape, 1.5f), [=](float, float y) {
    float t = (y - top) / span;
    return Mix(Mix(base, kWhite, 0.25f), Scaled(base, 0.7f), t);
  });
  // The gloss: a pale band over the upper half of the body, inset from the rim.
  canvas.Paint(
      [=](float x, float y) { return std::max(shape(x, y) + 4.0f, y - (top + span * 0.48f)); },
      [=](float, float) { return kWhite; }, 0.32f);
}

bool WriteGalleryPictures(const std::string& folder) {
  bool ok = true;
  auto save = [&](const Canvas& canvas, const char* name) {
    ok = canvas.Save(folder + "/" + name) && ok;
  };
  save(GlossyBox(200, 64, 18, kBlue), "rect-button.png");
  save(GlossyOval(150, 90, kGreen), "oval-button.png");

  Canvas boxOff = GlossyBox(48, 48, 9, kPale);
  save(boxOff, "check-off.png");
  Canvas boxOn = GlossyBox(48, 48, 9, kPale);
  PaintCheck(boxOn, Rgb{0.15f, 0.55f, 0.25f});
  save(boxOn, "check-on.png");

  save(GlossyOval(48, 48, kPale), "round-off.png");
  Canvas roundOn = GlossyOval(48, 48, kPale);
  roundOn.Paint(Oval(24, 24, 11, 11), [](float, float) { return kBlue; });
  save(roundOn, "round-on.png");

  PaintRadioStrip(folder + "/radio-row-off.png", 4, 90, 48, false, false, ok);
  PaintRadioStrip(folder + "/radio-row-on.png", 4, 90, 48, false, true, ok);
  PaintRadioStrip(folder + "/radio-column-off.png", 3, 120, 44, true, false, ok);
  PaintRadioStrip(folder + "/radio-column-on.png", 3, 120, 44, true, true, ok);

  // Slider bars: a groove along the middle of a transparent strip as high
  // (wide) as the knob.
  Canvas hbar(420, 40);
  hbar.Paint(Box(4, 15, 416, 25, 5), [](float, float) { return Rgb{0.12f, 0.13f, 0.16f}; });
  hbar.Paint(Box(5, 16, 415, 24, 4), [](float, float y) {
    return Mix(Rgb{0.25f, 0.27f, 0.31f}, Rgb{0.45f, 0.47f, 0.52f}, (y - 16) / 8);
  });
  save(hbar, "slider-bar.png");
  save(GlossyBox(26, 40, 7, kOrange, 1.0f), "slider-knob.png");

  Canvas vbar(40, 300);
  vbar.Paint(Box(15, 4, 25, 296, 5), [](float, float) { return Rgb{0.12f, 0.13f, 0.16f}; });
  vbar.Paint(Box(16, 5, 24, 295, 4), [](float x, float) {
    return Mix(Rgb{0.25f, 0.27f, 0.31f}, Rgb{0.45f, 0.47f, 0.52f}, (x - 16) / 8);
  });
  save(vbar, "vslider-bar.png");
  save(GlossyBox(40, 26, 7, Rgb{0.85f, 0.25f, 0.55f}, 1.0f), "vslider-knob.png");

  Canvas area(220, 110);
  area.Paint(Oval(110, 55, 108, 53), [](float, float) { return kWhite; });
  save(area, "oval-area.png");
  return ok;
}

}  // namespace gallery
