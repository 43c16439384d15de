#include "platform/sdl/gl_renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/sdl/quad_shader.h"

namespace sdl_backend {

namespace {

void SetTextureParameters() {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// RGBA rows (stride bytes apart; null for transparent black) go into the
// bound texture at (x, y) as BGRA, a band of rows at a time, so no copy of
// a whole sheet is ever made.
void UploadBgraPart(int x, int y, int width, int height, const uint8_t* rgba, size_t stride) {
  if (width <= 0 || height <= 0) return;
  const size_t row = size_t(width) * 4;
  const int band = std::clamp(int((size_t(1) << 18) / row), 1, height);
  std::vector<uint8_t> pixels(row * size_t(band), 0);
  for (int top = 0; top < height; top += band) {
    const int rows = std::min(band, height - top);
    if (rgba) {
      for (int r = 0; r < rows; r++)
        std::memcpy(&pixels[size_t(r) * row], rgba + size_t(top + r) * stride, row);
      SwapRedAndBlue(pixels);
    }
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y + top, width, rows, GL_BGRA, GL_UNSIGNED_BYTE,
                    pixels.data());
  }
}

// Textures go up as BGRA bytes into an unsized GL_RGBA texture: Mesa then
// keeps them as BGRA (a sized GL_RGBA8 would become RGBA), which is what
// llvmpipe's fast path for screen-aligned rectangles samples.
void UploadBgra(int width, int height, const uint8_t* rgba) {
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  UploadBgraPart(0, 0, width, height, rgba, size_t(width) * 4);
}

void ApplyBlend(int mode) {
  switch (mode) {
    case 1:  // mask: opaque where the texel is at least half opaque
      glDisable(GL_BLEND);
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(GL_GEQUAL, 0.5f);
      break;
    case 3:
      glDisable(GL_ALPHA_TEST);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case 4:
      glDisable(GL_ALPHA_TEST);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      break;
    case 5:
      glDisable(GL_ALPHA_TEST);
      glEnable(GL_BLEND);
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      break;
    default:  // solid
      glDisable(GL_ALPHA_TEST);
      glDisable(GL_BLEND);
      break;
  }
}

}  // namespace

GlRenderer::GlRenderer() = default;

GlRenderer::~GlRenderer() {
  // The context dies with the window; GL names need no explicit release.
}

int GlRenderer::Upload(const Picture& picture) {
  int handle = nextHandle_++;
  Entry& entry = entries_[handle];
  entry.sheetWidth = picture.sheetWidth;
  entry.sheetHeight = picture.sheetHeight;
  entry.opaque = !picture.rgba.empty();
  for (size_t i = 3; i < picture.rgba.size() && entry.opaque; i += 4)
    entry.opaque = picture.rgba[i] == 255;
  dirty_ = true;
  if (contextReady_)
    Place(entry, picture);
  else
    entry.pending = std::make_unique<Picture>(picture);
  return handle;
}

void GlRenderer::SetContextReady() {
  if (contextReady_) return;
  contextReady_ = true;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  program_ = MakeQuadProgram();
  for (auto& [handle, entry] : entries_) {
    if (!entry.pending) continue;
    Place(entry, *entry.pending);
    entry.pending.reset();
  }
}

void GlRenderer::Place(Entry& entry, const Picture& picture) {
  if (picture.rgba.size() < size_t(picture.sheetWidth) * picture.sheetHeight * 4 ||
      picture.sheetWidth <= 0 || picture.sheetHeight <= 0)
    return;
  int frames = std::max(1, picture.frameCount);
  if (PacksIntoAtlas(picture)) {
    for (int f = 0; f < frames; f++) {
      Placement place;
      place.cell = FrameCell(picture, f);
      int x = 0, y = 0;
      int page = PageWithRoom(place.cell.width + 2 * kAtlasPadding,
                              place.cell.height + 2 * kAtlasPadding, x, y);
      if (page < 0) return;
      glBindTexture(GL_TEXTURE_2D, pages_[page].texture);
      const int width = place.cell.width + 2 * kAtlasPadding;
      UploadBgraPart(x, y, width, place.cell.height + 2 * kAtlasPadding,
                     PaddedFramePixels(picture, place.cell).data(), size_t(width) * 4);
      place.texture = int(pages_[page].texture);
      place.textureSize = kAtlasPageSize;
      place.x = x + kAtlasPadding;
      place.y = y + kAtlasPadding;
      pages_[page].live++;
      entry.frames.push_back(place);
      entry.pages.push_back(page);
    }
    return;
  }
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  SetTextureParameters();
  UploadBgra(picture.sheetWidth, picture.sheetHeight, picture.rgba.data());
  Placement place;
  place.texture = int(texture);
  entry.frames.push_back(place);
  entry.pages.push_back(-1);
}

int GlRenderer::PageWithRoom(int width, int height, int& x, int& y) {
  for (size_t i = 0; i < pages_.size(); i++)
    if (pages_[i].packer.Insert(width, height, x, y)) return int(i);
  int page = NewPage();
  if (!pages_[page].packer.Insert(width, height, x, y)) return -1;
  return page;
}

int GlRenderer::NewPage() {
  Page page;
  glGenTextures(1, &page.texture);
  glBindTexture(GL_TEXTURE_2D, page.texture);
  SetTextureParameters();
  UploadBgra(kAtlasPageSize, kAtlasPageSize, nullptr);
  pages_.push_back(std::move(page));
  ResetPage(pages_.back());
  return int(pages_.size()) - 1;
}

// The white block always sits at (0, 0), so rectangles can be drawn from
// whichever page is bound.
void GlRenderer::ResetPage(Page& page) {
  page.packer.Clear();
  page.live = 0;
  int x = 0, y = 0;
  page.packer.Insert(kWhiteBlock, kWhiteBlock, x, y);
  glBindTexture(GL_TEXTURE_2D, page.texture);
  const std::vector<uint8_t> white(kWhiteBlock * kWhiteBlock * 4, 255);
  UploadBgraPart(x, y, kWhiteBlock, kWhiteBlock, white.data(), kWhiteBlock * 4);
}

void GlRenderer::Release(int handle) {
  auto it = entries_.find(handle);
  if (it == entries_.end()) return;
  dirty_ = true;
  Entry& entry = it->second;
  for (size_t f = 0; f < entry.frames.size(); f++) {
    int page = entry.pages[f];
    if (page < 0) {
      GLuint texture = GLuint(entry.frames[f].texture);
      nearest_.erase(texture);
      if (contextReady_) glDeleteTextures(1, &texture);
    } else if (--pages_[page].live == 0) {
      ResetPage(pages_[page]);
    }
  }
  entries_.erase(it);
}

unsigned GlRenderer::WhiteTexture(float& u, float& v) {
  u = v = (kWhiteBlock / 2.0f) / kAtlasPageSize;
  if (!frame_.Empty()) {
    unsigned bound = frame_.Batches().back().texture;
    for (const Page& page : pages_)
      if (page.texture == bound) return bound;
  }
  if (pages_.empty()) NewPage();
  return pages_[0].texture;
}

// An opaque texel at full alpha looks the same under mask, solid and alpha
// blending; drawing it solid spares llvmpipe reading the framebuffer.
static int EffectiveBlend(int blend, bool opaque, float alpha) {
  blend = NormalizedBlend(blend);
  return opaque && alpha >= 1.0f && blend <= 3 ? 2 : blend;
}

void GlRenderer::Draw(const DrawCommand& command) {
  if (!contextReady_) return;
  const DrawState& s = command.state;
  float colour[4] = {float(std::clamp(s.red, 0, 255)) / 255.0f,
                     float(std::clamp(s.green, 0, 255)) / 255.0f,
                     float(std::clamp(s.blue, 0, 255)) / 255.0f, std::clamp(s.alpha, 0.0f, 1.0f)};
  if (command.kind == DrawCommand::kRect) {
    float u, v;
    unsigned texture = WhiteTexture(u, v);
    frame_.AddQuad(texture, EffectiveBlend(s.blend, true, colour[3]), false, command.cornerX,
                   command.cornerY, u, v, u, v, colour);
    return;
  }
  if (command.kind != DrawCommand::kPicture || !command.picture) return;
  auto it = entries_.find(command.picture->texture);
  if (it == entries_.end() || it->second.frames.empty()) return;
  const Entry& entry = it->second;
  size_t f =
      entry.pages[0] < 0 ? 0 : size_t(std::clamp(command.frame, 0, int(entry.frames.size()) - 1));
  const Placement& place = entry.frames[f];
  float u0, v0, u1, v1;
  MapTexCoords(place, entry.sheetWidth, entry.sheetHeight, command.u0, command.v0, u0, v0);
  MapTexCoords(place, entry.sheetWidth, entry.sheetHeight, command.u1, command.v1, u1, v1);
  int texW = place.textureSize ? place.textureSize : entry.sheetWidth;
  int texH = place.textureSize ? place.textureSize : entry.sheetHeight;
  bool nearest = PixelExact(command.cornerX, command.cornerY, u0, v0, u1, v1, texW, texH);
  frame_.AddQuad(unsigned(place.texture), EffectiveBlend(s.blend, entry.opaque, colour[3]), nearest,
                 command.cornerX, command.cornerY, u0, v0, u1, v1, colour);
}

// Nearest sampling is only chosen where it gives the same pixels as linear
// filtering, and costs llvmpipe a good deal less.
void GlRenderer::SetFilter(unsigned texture, bool nearest) {
  auto it = nearest_.find(texture);
  if (it != nearest_.end() && it->second == nearest) return;
  nearest_[texture] = nearest;
  GLint filter = nearest ? GL_NEAREST : GL_LINEAR;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

void GlRenderer::RenderBatches(const QuadBatch& batch, int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  // A solid first quad over the whole window overwrites every pixel anyway.
  bool covered = !batch.Empty() && batch.Batches()[0].blend == 2 &&
                 CoversWindow(batch.Vertices().data(), width, height);
  if (!covered) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  if (batch.Empty()) return;

  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  const Vertex* v = batch.Vertices().data();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &v->x);
  glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v->u);
  glColorPointer(4, GL_FLOAT, sizeof(Vertex), &v->r);
  unsigned bound = 0;
  int blend = -1;
  bool programBound = false;
  for (const Batch& b : batch.Batches()) {
    if (b.texture != bound) {
      glBindTexture(GL_TEXTURE_2D, b.texture);
      bound = b.texture;
    }
    SetFilter(b.texture, b.nearest);
    if (b.blend != blend) {
      ApplyBlend(b.blend);
      blend = b.blend;
    }
    if (program_ && b.plain != programBound) {
      UseQuadProgram(b.plain ? program_ : 0);
      programBound = b.plain;
    }
    glDrawArrays(GL_QUADS, b.first, b.count);
  }
  if (programBound) UseQuadProgram(0);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

bool GlRenderer::RenderFrame(int width, int height) {
  if (!dirty_ && frame_.SameAs(last_) && width == lastWidth_ && height == lastHeight_) {
    frame_.Clear();
    return false;
  }
  RenderBatches(frame_, width, height);
  std::swap(frame_, last_);
  frame_.Clear();
  dirty_ = false;
  lastWidth_ = width;
  lastHeight_ = height;
  return true;
}

void GlRenderer::RenderLastFrame(int width, int height) { RenderBatches(last_, width, height); }

}  // namespace sdl_backend
