#include "platform/sdl/quad_batch.h"

namespace sdl_backend {

int NormalizedBlend(int mode) { return mode >= 1 && mode <= 5 ? mode : 2; }

void QuadBatch::AddQuad(unsigned texture, int blend, const float cornerX[4],
                        const float cornerY[4], float u0, float v0, float u1, float v1,
                        const float colour[4]) {
  blend = NormalizedBlend(blend);
  const float us[4] = {u0, u1, u1, u0};
  const float vs[4] = {v0, v0, v1, v1};
  int first = int(vertices_.size());
  for (int i = 0; i < 4; i++)
    vertices_.push_back({cornerX[i], cornerY[i], us[i], vs[i], colour[0], colour[1], colour[2],
                         colour[3]});
  if (!batches_.empty() && batches_.back().texture == texture && batches_.back().blend == blend)
    batches_.back().count += 4;
  else
    batches_.push_back({texture, blend, first, 4});
}

void QuadBatch::Clear() {
  vertices_.clear();
  batches_.clear();
}

}  // namespace sdl_backend
