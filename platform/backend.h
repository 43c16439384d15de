// The seam between the services of platform.h and the outside world. One
// Backend is chosen at start-up: sdl/ for the real game, headless/ for tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

// One draw call as the services hand it to the backend: the quad already
// transformed to window pixels, plus everything the test log records.
struct DrawCommand {
  enum Kind { kPicture, kRect, kText } kind = kPicture;
  const Picture* picture = nullptr;  // kPicture
  int frame = 0;
  float x = 0.0f, y = 0.0f;         // position given to the call, origin added
  float cornerX[4] = {0, 0, 0, 0};  // top-left, top-right, bottom-right, bottom-left
  float cornerY[4] = {0, 0, 0, 0};
  float u0 = 0.0f, v0 = 0.0f, u1 = 1.0f, v1 = 1.0f;  // texture rectangle of the frame
  DrawState state;
  std::string text;  // kText: a whole DrawTextAt call, logged before its glyphs
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Window. OpenWindow may be called again to rebuild the window at a new size.
  virtual bool OpenWindow(int width, int height, const std::string& title) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SwapBuffers() = 0;  // shows the frame; called by PresentFrame
  virtual int ScreenWidth() = 0;
  virtual int ScreenHeight() = 0;

  // Time: a millisecond clock and sleeping until a time on it. The headless
  // backend advances a virtual clock here.
  virtual int64_t NowMs() = 0;
  virtual void SleepUntilMs(int64_t due) = 0;
  // The random generator's seed at start-up: the real backend takes it from
  // the time of day, so no two starts play alike; tests get a fixed one.
  virtual int32_t StartSeed() = 0;

  // Reads the event queue into the input services (platform.h, namespace input).
  virtual void PumpEvents() = 0;

  // Pictures: the pixels of a decoded sheet are uploaded once; the returned
  // handle goes into Picture::texture.
  virtual int UploadTexture(const Picture& picture) = 0;
  virtual void ReleaseTexture(int texture) = 0;
  virtual void Draw(const DrawCommand& command) = 0;

  // Sound: one clip per handle, decoded as its channels play, any number of
  // channels. The caller's bytes need to live only during LoadSound (the
  // backend copies all but embedded resources); -1 when there is no clip (no audio
  // device, or bytes that are no Ogg Vorbis).
  virtual int LoadSound(const std::string& name, const uint8_t* data, size_t size,
                        double& seconds) = 0;
  virtual int PlaySound(int clip) = 0;  // channel, > 0
  virtual bool ChannelPlaying(int channel) = 0;
  virtual void StopChannel(int channel) = 0;

  // Modal dialogs.
  virtual void Notify(const std::string& text) = 0;
  virtual bool Confirm(const std::string& text) = 0;
  virtual std::string RequestFile(const std::string& title, const std::string& filter, bool save,
                                  const std::string& initialPath) = 0;
};

void SetBackend(std::shared_ptr<Backend> backend);
Backend& CurrentBackend();
