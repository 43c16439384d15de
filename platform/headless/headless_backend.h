// The test backend: a virtual millisecond clock that advances only when the
// game sleeps, a per-frame hook in which a test reads the state and scripts
// input, a log of draw calls, and scripted answers for the dialogs.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"

class HeadlessBackend : public Backend {
 public:
  // Desktop size reported by ScreenWidth/ScreenHeight.
  int screenWidth = 1920;
  int screenHeight = 1080;

  // Window as last opened.
  int windowWidth = 0;
  int windowHeight = 0;
  int windowOpenCount = 0;
  std::string title;

  // Virtual clock in ms; starts at 0 and moves only in SleepUntilMs.
  int64_t now = 0;
  int64_t frames = 0;     // number of presented frames
  int32_t startSeed = 0;  // what StartSeed answers

  // Called at the end of every presented frame (after the frame's draw
  // calls were moved to lastFrame), with the frame number from 1.
  std::function<void(int64_t frame)> onFrame;
  // Called whenever the game sleeps (PresentFrame pacing, WaitTick), after
  // the clock moved; lets a test script input in loops that present no frame.
  std::function<void()> onSleep;
  // Called whenever the game reads its input, so a test can let an event
  // arrive in the middle of a frame.
  std::function<void()> onPump;

  // The pictures these commands point to stay alive as long as the log.
  std::vector<DrawCommand> currentFrame;  // draw calls since the last present
  std::vector<DrawCommand> lastFrame;     // draw calls of the last presented frame

  // Dialogs: answers are taken from the front; when empty, Confirm answers
  // no and RequestFile answers "" (cancelled).
  std::deque<int> confirmAnswers;
  std::deque<std::string> fileAnswers;
  std::vector<std::string> notices;       // every Notify text
  std::vector<std::string> questions;     // every Confirm text
  std::vector<std::string> fileRequests;  // title + "|" + filter + "|" + save + "|" + initial path
  std::function<void(const std::string&)> onNotify;  // optional, e.g. to script the next step
  std::function<int(const std::string&)> onConfirm;  // optional; overrides confirmAnswers

  // Sound: clips and channels are simulated on the virtual clock; a channel
  // stops playing when its clip's length has passed.
  bool audioAvailable = true;
  int soundsStarted = 0;

  // Optional software framebuffer of the window's size: when rasterise is
  // on, every draw call is painted with the blend formulas of BlendPixel
  // (nearest texel), so a test can look at a frame's pixels. RGB, 0..1.
  bool rasterise = false;
  std::vector<float> framebuffer;
  void ClearFramebuffer(float red, float green, float blue);
  // Red, green, blue (0..1) at window pixel (x, y); zeros outside.
  std::array<float, 3> PixelAt(int x, int y) const;

  // Textures currently uploaded and how many uploads there were in all.
  int liveTextures = 0;
  int texturesUploaded = 0;

  // Scripting input (feeds the same input services the real backend feeds).
  void MoveTo(int x, int y);
  void Press(int button = 1);
  void Release(int button = 1);
  // Move and press; the button goes up again once releaseAfterFrames more
  // frames have been presented, so the game sees one whole click.
  void Click(int x, int y, int button = 1);
  int releaseAfterFrames = 1;
  void TapKey(int key);  // down and up at once: one press, not held
  void KeyDown(int key);
  void KeyUp(int key);
  void Type(int code);
  void Wheel(int notches);
  void RequestClose();

  // Backend interface.
  bool OpenWindow(int width, int height, const std::string& title) override;
  void SetTitle(const std::string& title) override;
  void SwapBuffers() override;
  int ScreenWidth() override;
  int ScreenHeight() override;
  int64_t NowMs() override;
  void SleepUntilMs(int64_t due) override;
  int32_t StartSeed() override { return startSeed; }
  void PumpEvents() override;
  int UploadTexture(const Picture& picture) override;
  void ReleaseTexture(int texture) override;
  void Draw(const DrawCommand& command) override;
  int LoadSound(const std::string& name, const uint8_t* data, size_t size,
                double& seconds) override;
  int PlaySound(int clip) override;
  bool ChannelPlaying(int channel) override;
  void StopChannel(int channel) override;
  void Notify(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  std::string RequestFile(const std::string& title, const std::string& filter, bool save,
                          const std::string& initialPath) override;

 private:
  struct ClipInfo {
    double seconds;
  };
  struct ChannelInfo {
    int clip;
    int64_t started;
    bool stopped;
  };
  std::vector<ClipInfo> clips_;
  std::vector<ChannelInfo> channels_;
  struct PendingRelease {
    int button;
    int64_t frame;
  };
  std::vector<PendingRelease> releases_;
  std::vector<std::shared_ptr<const Picture>> currentPictures_, lastPictures_;
  // The pixels of textures whose picture let its own go, for Rasterise.
  std::map<int, std::vector<uint8_t>> texturePixels_;
  int nextTexture_ = 1;
  void Rasterise(const DrawCommand& command);
};

// Installs a fresh headless backend and resets the platform's own state
// (ResetPlatformState: drawing state, text font, input, random state,
// program-end handlers, frame pacing, transparent colour).
std::shared_ptr<HeadlessBackend> InstallHeadlessBackend();
