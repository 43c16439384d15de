// A frame's draw calls as vertex runs: consecutive quads with the same
// texture, blend mode, sampling and plainness become one draw call.
#pragma once

#include <vector>

namespace sdl_backend {

struct Vertex {
  float x, y;        // window pixels
  float u, v;        // texture coordinates
  float r, g, b, a;  // colour / 255 and alpha, multiplied with the texel
};

struct Batch {
  unsigned texture;
  int blend;     // 1..5, anything else already folded to 2
  bool nearest;  // texels land exactly on pixels: nearest sampling gives the same picture
  bool plain;    // every quad in white at full alpha: the texel is drawn as it is
  int first;     // first vertex
  int count;     // vertices, four per quad
  bool operator==(const Batch&) const = default;
};

class QuadBatch {
 public:
  // Corners in order top-left, top-right, bottom-right, bottom-left, with
  // texture coordinates (u0, v0) at the first corner and (u1, v1) opposite.
  void AddQuad(unsigned texture, int blend, bool nearest, const float cornerX[4],
               const float cornerY[4], float u0, float v0, float u1, float v1,
               const float colour[4]);
  void Clear();
  const std::vector<Vertex>& Vertices() const { return vertices_; }
  const std::vector<Batch>& Batches() const { return batches_; }
  bool Empty() const { return batches_.empty(); }
  // Same quads in the same order with the same state.
  bool SameAs(const QuadBatch& other) const;

 private:
  std::vector<Vertex> vertices_;
  std::vector<Batch> batches_;
};

// Blend modes the GPU knows; unknown values act as solid.
int NormalizedBlend(int mode);

// Whether a quad maps texels one to one onto whole pixels (axis-aligned,
// unscaled, at integer positions), given its texture's size in texels.
bool PixelExact(const float cornerX[4], const float cornerY[4], float u0, float v0, float u1,
                float v1, int textureWidth, int textureHeight);

// Whether the quad covers the whole width x height window.
bool CoversWindow(const Vertex* quad, int width, int height);

}  // namespace sdl_backend
