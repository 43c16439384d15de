#include "platform/backend.h"

namespace {

// Without a chosen backend the services run on one that shows nothing,
// plays nothing and answers every question no, rather than crash; the game
// always installs its own at start-up, and tests install the headless one
// (which is no part of the game).
class SilentBackend : public Backend {
 public:
  bool OpenWindow(int, int, const std::string&) override { return true; }
  void SetTitle(const std::string&) override {}
  void SwapBuffers() override {}
  int ScreenWidth() override { return 1920; }
  int ScreenHeight() override { return 1080; }
  int64_t NowMs() override { return now_; }
  void SleepUntilMs(int64_t due) override { now_ = due > now_ ? due : now_; }
  int32_t StartSeed() override { return 0; }
  void PumpEvents() override {}
  int UploadTexture(const Picture&) override { return nextTexture_++; }
  void ReleaseTexture(int) override {}
  void Draw(const DrawCommand&) override {}
  int LoadSound(const std::string&, const uint8_t*, size_t, double& seconds) override {
    seconds = 0.0;
    return -1;
  }
  int PlaySound(int) override { return 0; }
  bool ChannelPlaying(int) override { return false; }
  void StopChannel(int) override {}
  void Notify(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  std::string RequestFile(const std::string&, const std::string&, bool,
                          const std::string&) override {
    return "";
  }

 private:
  int64_t now_ = 0;  // moves only when slept, like the headless clock
  int nextTexture_ = 1;
};

std::shared_ptr<Backend> current;

}  // namespace

void SetBackend(std::shared_ptr<Backend> backend) { current = std::move(backend); }

Backend& CurrentBackend() {
  if (!current) current = std::make_shared<SilentBackend>();
  return *current;
}

namespace platform_detail {
std::weak_ptr<Backend> CurrentBackendHandle() {
  CurrentBackend();
  return current;
}
}  // namespace platform_detail
