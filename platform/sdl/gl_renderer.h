// Textured quads with OpenGL 2.1 (fixed function, runs on Mesa's llvmpipe).
// Draw calls are collected per frame and sent at present time in as few
// draw calls as the texture and blend changes allow; the last presented
// frame is kept so it can be shown again while a dialog blocks the game.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/backend.h"
#include "platform/sdl/quad_batch.h"
#include "platform/sdl/texture_atlas.h"

namespace sdl_backend {

class GlRenderer {
 public:
  GlRenderer();
  ~GlRenderer();

  // Texture handles can be handed out before there is a GL context; the
  // pixels are then kept and uploaded once SetContextReady is called.
  int Upload(const Picture& picture);
  void Release(int handle);
  void SetContextReady();

  void Draw(const DrawCommand& command);
  // Draws the collected frame into the back buffer of a width x height
  // window. Answers false, drawing nothing, when the frame is the one on
  // screen already: the window then need not be swapped.
  bool RenderFrame(int width, int height);
  // The window's contents were lost (exposed, resized): draw the next frame
  // even if it equals the last one.
  void Invalidate() { dirty_ = true; }
  // Draws the last rendered frame again (e.g. to repaint under a dialog).
  void RenderLastFrame(int width, int height);

 private:
  struct Page {
    unsigned texture = 0;
    ShelfPacker packer{kAtlasPageSize};
    int live = 0;  // frames placed on it that are still in use
  };
  struct Entry {
    int sheetWidth = 0, sheetHeight = 0;
    bool opaque = false;               // every texel has alpha 255
    std::vector<Placement> frames;     // one per frame (one for an own texture)
    std::vector<int> pages;            // page index per frame, -1 for an own texture
    std::unique_ptr<Picture> pending;  // pixels waiting for the context
  };

  void Place(Entry& entry, const Picture& picture);
  int PageWithRoom(int width, int height, int& x, int& y);
  int NewPage();
  void ResetPage(Page& page);
  void RenderBatches(const QuadBatch& batch, int width, int height);
  void SetFilter(unsigned texture, bool nearest);
  unsigned WhiteTexture(float& u, float& v);

  bool contextReady_ = false;
  unsigned program_ = 0;  // 0: fixed function
  int nextHandle_ = 1;
  std::map<int, Entry> entries_;
  std::vector<Page> pages_;
  QuadBatch frame_, last_;
  bool dirty_ = true;
  int lastWidth_ = 0, lastHeight_ = 0;
  std::map<unsigned, bool> nearest_;  // sampling each texture is set to
};

}  // namespace sdl_backend
