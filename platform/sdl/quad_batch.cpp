#include "platform/sdl/quad_batch.h"

#include <cmath>
#include <cstring>

namespace sdl_backend {

int NormalizedBlend(int mode) { return mode >= 1 && mode <= 5 ? mode : 2; }

void QuadBatch::AddQuad(unsigned texture, int blend, bool nearest, const float cornerX[4],
                        const float cornerY[4], float u0, float v0, float u1, float v1,
                        const float colour[4]) {
  blend = NormalizedBlend(blend);
  const float us[4] = {u0, u1, u1, u0};
  const float vs[4] = {v0, v0, v1, v1};
  int first = int(vertices_.size());
  for (int i = 0; i < 4; i++)
    vertices_.push_back(
        {cornerX[i], cornerY[i], us[i], vs[i], colour[0], colour[1], colour[2], colour[3]});
  const bool plain =
      colour[0] == 1.0f && colour[1] == 1.0f && colour[2] == 1.0f && colour[3] == 1.0f;
  if (!batches_.empty() && batches_.back().texture == texture && batches_.back().blend == blend &&
      batches_.back().nearest == nearest && batches_.back().plain == plain)
    batches_.back().count += 4;
  else
    batches_.push_back({texture, blend, nearest, plain, first, 4});
}

bool QuadBatch::SameAs(const QuadBatch& other) const {
  return batches_ == other.batches_ && vertices_.size() == other.vertices_.size() &&
         std::memcmp(vertices_.data(), other.vertices_.data(), vertices_.size() * sizeof(Vertex)) ==
             0;
}

namespace {
bool Whole(float value) { return std::fabs(value - std::round(value)) < 1e-3f; }
bool Near(float a, float b) { return std::fabs(a - b) < 1e-3f; }
}  // namespace

bool PixelExact(const float cornerX[4], const float cornerY[4], float u0, float v0, float u1,
                float v1, int textureWidth, int textureHeight) {
  bool axisAligned = cornerX[0] == cornerX[3] && cornerX[1] == cornerX[2] &&
                     cornerY[0] == cornerY[1] && cornerY[2] == cornerY[3];
  if (!axisAligned) return false;
  for (int i = 0; i < 4; i++)
    if (!Whole(cornerX[i]) || !Whole(cornerY[i])) return false;
  return Near(cornerX[1] - cornerX[0], (u1 - u0) * float(textureWidth)) &&
         Near(cornerY[3] - cornerY[0], (v1 - v0) * float(textureHeight)) &&
         Whole(u0 * float(textureWidth)) && Whole(v0 * float(textureHeight));
}

bool CoversWindow(const Vertex* quad, int width, int height) {
  float left = quad[0].x, top = quad[0].y, right = quad[2].x, bottom = quad[2].y;
  bool axisAligned = quad[0].x == quad[3].x && quad[1].x == quad[2].x && quad[0].y == quad[1].y &&
                     quad[2].y == quad[3].y;
  return axisAligned && left <= 0 && top <= 0 && right >= float(width) && bottom >= float(height);
}

void QuadBatch::Clear() {
  vertices_.clear();
  batches_.clear();
}

}  // namespace sdl_backend
