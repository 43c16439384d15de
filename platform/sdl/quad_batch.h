// A frame's draw calls as vertex runs: consecutive quads with the same
// texture and blend mode become one draw call.
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
  int blend;  // 1..5, anything else already folded to 2
  int first;  // first vertex
  int count;  // vertices, four per quad
};

class QuadBatch {
 public:
  // Corners in order top-left, top-right, bottom-right, bottom-left, with
  // texture coordinates (u0, v0) at the first corner and (u1, v1) opposite.
  void AddQuad(unsigned texture, int blend, const float cornerX[4], const float cornerY[4],
               float u0, float v0, float u1, float v1, const float colour[4]);
  void Clear();
  const std::vector<Vertex>& Vertices() const { return vertices_; }
  const std::vector<Batch>& Batches() const { return batches_; }
  bool Empty() const { return batches_.empty(); }

 private:
  std::vector<Vertex> vertices_;
  std::vector<Batch> batches_;
};

// Blend modes the GPU knows; unknown values act as solid.
int NormalizedBlend(int mode);

}  // namespace sdl_backend
