#include "platform/sdl/quad_batch.h"

#include <gtest/gtest.h>

using namespace sdl_backend;

namespace {
const float kWhite[4] = {1, 1, 1, 1};
const float kX[4] = {10, 80, 80, 10};
const float kY[4] = {20, 20, 70, 70};

void Add(QuadBatch& batch, unsigned texture, int blend, bool nearest = false) {
  batch.AddQuad(texture, blend, nearest, kX, kY, 0, 0, 1, 1, kWhite);
}
}  // namespace

TEST(QuadBatch, ConsecutiveQuadsWithTheSameStateShareOneDrawCall) {
  QuadBatch batch;
  for (int i = 0; i < 225; i++) Add(batch, 7, 3);
  ASSERT_EQ(batch.Batches().size(), 1u);
  EXPECT_EQ(batch.Batches()[0].count, 900);
  EXPECT_EQ(batch.Vertices().size(), 900u);
}

TEST(QuadBatch, TextureBlendOrSamplingChangesStartANewRunInDrawingOrder) {
  QuadBatch batch;
  Add(batch, 1, 3);
  Add(batch, 2, 3);
  Add(batch, 1, 3);  // back to texture 1: must not jump ahead of texture 2
  Add(batch, 1, 4);
  Add(batch, 1, 4, true);
  ASSERT_EQ(batch.Batches().size(), 5u);
  EXPECT_EQ(batch.Batches()[2].first, 8);
  EXPECT_EQ(batch.Batches()[3].blend, 4);
  EXPECT_TRUE(batch.Batches()[4].nearest);
}

TEST(QuadBatch, WhiteQuadsAtFullAlphaArePlainAndTintedOnesRunApart) {
  QuadBatch batch;
  const float tinted[4] = {1, 1, 0.5f, 1};
  const float faded[4] = {1, 1, 1, 0.99f};
  Add(batch, 1, 3);
  Add(batch, 1, 3);
  batch.AddQuad(1, 3, false, kX, kY, 0, 0, 1, 1, tinted);
  batch.AddQuad(1, 3, false, kX, kY, 0, 0, 1, 1, faded);
  Add(batch, 1, 3);
  ASSERT_EQ(batch.Batches().size(), 3u);
  EXPECT_TRUE(batch.Batches()[0].plain);
  EXPECT_EQ(batch.Batches()[0].count, 8);
  EXPECT_FALSE(batch.Batches()[1].plain);
  EXPECT_EQ(batch.Batches()[1].count, 8);
  EXPECT_TRUE(batch.Batches()[2].plain);
}

TEST(QuadBatch, VerticesCarryCornersTexCoordsAndColour) {
  QuadBatch batch;
  const float colour[4] = {1.0f, 0.5f, 0.0f, 0.25f};
  batch.AddQuad(3, 3, false, kX, kY, 0.1f, 0.2f, 0.3f, 0.4f, colour);
  const auto& v = batch.Vertices();
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[0].x, 10);
  EXPECT_EQ(v[0].u, 0.1f);
  EXPECT_EQ(v[0].v, 0.2f);
  EXPECT_EQ(v[1].u, 0.3f);
  EXPECT_EQ(v[1].v, 0.2f);
  EXPECT_EQ(v[2].x, 80);
  EXPECT_EQ(v[2].y, 70);
  EXPECT_EQ(v[2].u, 0.3f);
  EXPECT_EQ(v[2].v, 0.4f);
  EXPECT_EQ(v[3].u, 0.1f);
  EXPECT_EQ(v[3].v, 0.4f);
  EXPECT_EQ(v[3].g, 0.5f);
  EXPECT_EQ(v[3].a, 0.25f);
}

TEST(QuadBatch, UnknownBlendModesActAsSolid) {
  EXPECT_EQ(NormalizedBlend(0), 2);
  EXPECT_EQ(NormalizedBlend(6), 2);
  EXPECT_EQ(NormalizedBlend(-3), 2);
  for (int mode = 1; mode <= 5; mode++) EXPECT_EQ(NormalizedBlend(mode), mode);
  QuadBatch batch;
  Add(batch, 1, 9);
  Add(batch, 1, 2);
  EXPECT_EQ(batch.Batches().size(), 1u);
}

TEST(QuadBatch, SameAsComparesEveryQuadAndItsState) {
  QuadBatch a, b;
  Add(a, 1, 3);
  Add(b, 1, 3);
  EXPECT_TRUE(a.SameAs(b));
  Add(a, 2, 3);
  EXPECT_FALSE(a.SameAs(b));
  Add(b, 2, 4);
  EXPECT_FALSE(a.SameAs(b));
  QuadBatch c, d;
  const float red[4] = {1, 0, 0, 1};
  Add(c, 1, 3);
  d.AddQuad(1, 3, false, kX, kY, 0, 0, 1, 1, red);
  EXPECT_FALSE(c.SameAs(d));
  c.Clear();
  EXPECT_TRUE(c.Empty());
}

TEST(QuadBatch, PixelExactOnlyForUnscaledAxisAlignedWholePixelQuads) {
  // 70 x 50 texels of a 1000 texel page at (100, 200), drawn 70 x 50.
  const float u0 = 0.1f, v0 = 0.2f, u1 = 0.17f, v1 = 0.25f;
  const float x[4] = {5, 75, 75, 5}, y[4] = {6, 6, 56, 56};
  EXPECT_TRUE(PixelExact(x, y, u0, v0, u1, v1, 1000, 1000));
  const float half[4] = {5.5f, 75.5f, 75.5f, 5.5f};
  EXPECT_FALSE(PixelExact(half, y, u0, v0, u1, v1, 1000, 1000));
  const float scaled[4] = {5, 76, 76, 5};
  EXPECT_FALSE(PixelExact(scaled, y, u0, v0, u1, v1, 1000, 1000));
  const float rx[4] = {5, 75, 76, 6}, ry[4] = {6, 7, 57, 56};  // turned a little
  EXPECT_FALSE(PixelExact(rx, ry, u0, v0, u1, v1, 1000, 1000));
  // Texels not starting on a whole texel.
  EXPECT_FALSE(PixelExact(x, y, 0.1005f, v0, 0.1705f, v1, 1000, 1000));
}

TEST(QuadBatch, CoversWindow) {
  Vertex quad[4] = {{0, 0, 0, 0, 1, 1, 1, 1},
                    {1400, 0, 1, 0, 1, 1, 1, 1},
                    {1400, 850, 1, 1, 1, 1, 1, 1},
                    {0, 850, 0, 1, 1, 1, 1, 1}};
  EXPECT_TRUE(CoversWindow(quad, 1400, 850));
  EXPECT_TRUE(CoversWindow(quad, 1000, 850));
  EXPECT_FALSE(CoversWindow(quad, 1400, 900));
  quad[0].x = quad[3].x = 1;
  EXPECT_FALSE(CoversWindow(quad, 1400, 850));
}
