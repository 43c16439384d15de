// Pictures for the gallery, drawn from shapes at start-up and written as PNG
// files into a scratch folder, so the widgets load them as any picture.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gallery {

struct Rgb {
  float r, g, b;
};

// An RGBA canvas in 0..1, painted with antialiased shapes.
class Canvas {
 public:
  Canvas(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  // distance(x, y): signed distance in pixels to the shape's edge (negative
  // inside); colour(x, y): its colour there. Painted over what is there.
  void Paint(const std::function<float(float, float)>& distance,
             const std::function<Rgb(float, float)>& colour, float opacity = 1.0f);
  bool Save(const std::string& path) const;

 private:
  int width_, height_;
  std::vector<float> rgba_;
};

// Signed distances of the shapes used, in pixels.
float RoundedBox(float x, float y, float left, float top, float right, float bottom, float radius);
float Ellipse(float x, float y, float centreX, float centreY, float halfWidth, float halfHeight);

// A glossy body: darker rim, vertical gradient, a pale band over the
// upper half. shape is the distance function of the body.
void PaintGlossy(Canvas& canvas, const std::function<float(float, float)>& shape, Rgb base,
                 float top, float bottom);

// Writes every gallery picture into folder; false when one cannot be written.
bool WriteGalleryPictures(const std::string& folder);

}  // namespace gallery
