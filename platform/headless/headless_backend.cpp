#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ogg_stream.h"
#include "platform/platform.h"

void HeadlessBackend::MoveTo(int x, int y) { input::PointerMoved(x, y); }
void HeadlessBackend::Press(int button) { input::ButtonEvent(button, true); }
void HeadlessBackend::Release(int button) { input::ButtonEvent(button, false); }

void HeadlessBackend::Click(int x, int y, int button) {
  MoveTo(x, y);
  Press(button);
  releases_.push_back({button, frames + std::max(releaseAfterFrames, 0)});
}

void HeadlessBackend::KeyDown(int key) { input::KeyEvent(key, true); }
void HeadlessBackend::KeyUp(int key) { input::KeyEvent(key, false); }

void HeadlessBackend::TapKey(int key) {
  KeyDown(key);
  KeyUp(key);
}

void HeadlessBackend::Type(int code) { input::TypedChar(code); }
void HeadlessBackend::Wheel(int notches) { input::WheelMoved(notches); }
void HeadlessBackend::RequestClose() { input::CloseRequest(); }

bool HeadlessBackend::OpenWindow(int width, int height, const std::string& windowTitle) {
  windowWidth = width;
  windowHeight = height;
  windowOpenCount++;
  title = windowTitle;
  framebuffer.assign(size_t(std::max(width, 0)) * size_t(std::max(height, 0)) * 3, 0.0f);
  return true;
}

void HeadlessBackend::SetTitle(const std::string& windowTitle) { title = windowTitle; }

// The frame's draw calls move to lastFrame; due clicks are released before
// the hook runs, so the hook may script the next click at once.
void HeadlessBackend::SwapBuffers() {
  frames++;
  lastFrame = std::move(currentFrame);
  currentFrame.clear();
  lastPictures_ = std::move(currentPictures_);
  currentPictures_.clear();
  for (size_t i = 0; i < releases_.size();) {
    if (releases_[i].frame <= frames) {
      Release(releases_[i].button);
      releases_.erase(releases_.begin() + std::ptrdiff_t(i));
    } else {
      ++i;
    }
  }
  if (onFrame) onFrame(frames);
}

int HeadlessBackend::ScreenWidth() { return screenWidth; }
int HeadlessBackend::ScreenHeight() { return screenHeight; }
int64_t HeadlessBackend::NowMs() { return now; }

void HeadlessBackend::SleepUntilMs(int64_t due) {
  if (due > now) now = due;
  if (onSleep) onSleep();
}

void HeadlessBackend::PumpEvents() {
  if (onPump) onPump();
}

int HeadlessBackend::UploadTexture(const Picture&) {
  liveTextures++;
  texturesUploaded++;
  return nextTexture_++;
}

void HeadlessBackend::ReleaseTexture(int texture) {
  liveTextures--;
  texturePixels_.erase(texture);
}

void HeadlessBackend::Draw(const DrawCommand& command) {
  currentFrame.push_back(command);
  if (command.picture)
    if (auto picture = command.picture->weak_from_this().lock())
      currentPictures_.push_back(picture);
  if (rasterise && command.kind != DrawCommand::kText) Rasterise(command);
}

void HeadlessBackend::ClearFramebuffer(float red, float green, float blue) {
  for (size_t i = 0; i + 2 < framebuffer.size(); i += 3) {
    framebuffer[i] = red;
    framebuffer[i + 1] = green;
    framebuffer[i + 2] = blue;
  }
}

std::array<float, 3> HeadlessBackend::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= windowWidth || y >= windowHeight) return {0, 0, 0};
  size_t at = (size_t(y) * size_t(windowWidth) + size_t(x)) * 3;
  if (at + 2 >= framebuffer.size()) return {0, 0, 0};
  return {framebuffer[at], framebuffer[at + 1], framebuffer[at + 2]};
}

// The quad is a parallelogram: each pixel centre is mapped back to (s, t)
// in 0..1 across it and sampled at the nearest texel.
void HeadlessBackend::Rasterise(const DrawCommand& c) {
  if (windowWidth <= 0 || windowHeight <= 0) return;
  float ax = c.cornerX[1] - c.cornerX[0], ay = c.cornerY[1] - c.cornerY[0];
  float bx = c.cornerX[3] - c.cornerX[0], by = c.cornerY[3] - c.cornerY[0];
  float det = ax * by - ay * bx;
  if (std::fabs(det) < 1e-9f) return;
  float minX = *std::min_element(c.cornerX, c.cornerX + 4),
        maxX = *std::max_element(c.cornerX, c.cornerX + 4);
  float minY = *std::min_element(c.cornerY, c.cornerY + 4),
        maxY = *std::max_element(c.cornerY, c.cornerY + 4);
  int x0 = std::max(0, int(std::floor(minX))), x1 = std::min(windowWidth - 1, int(std::ceil(maxX)));
  int y0 = std::max(0, int(std::floor(minY))),
      y1 = std::min(windowHeight - 1, int(std::ceil(maxY)));
  const DrawState& st = c.state;
  // Like a GPU, the backend samples the uploaded pixels: a loaded picture
  // no longer holds them, so they are decoded again once per texture.
  const std::vector<uint8_t>* pixels = nullptr;
  if (c.kind == DrawCommand::kPicture && c.picture) {
    pixels = &c.picture->rgba;
    if (pixels->empty()) {
      std::vector<uint8_t>& kept = texturePixels_[c.picture->texture];
      if (kept.empty()) kept = PicturePixels(*c.picture);
      pixels = &kept;
    }
    const size_t needed = size_t(std::max(c.picture->sheetWidth, 0)) *
                          size_t(std::max(c.picture->sheetHeight, 0)) * 4;
    if (needed == 0 || pixels->size() < needed) pixels = nullptr;
  }
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      float px = float(x) + 0.5f - c.cornerX[0], py = float(y) + 0.5f - c.cornerY[0];
      float s = (px * by - py * bx) / det;
      float t = (ax * py - ay * px) / det;
      if (s < 0.0f || s >= 1.0f || t < 0.0f || t >= 1.0f) continue;
      float texel[4] = {1.0f, 1.0f, 1.0f, 1.0f};
      if (pixels) {
        const Picture& p = *c.picture;
        int tx =
            std::clamp(int((c.u0 + s * (c.u1 - c.u0)) * float(p.sheetWidth)), 0, p.sheetWidth - 1);
        int ty = std::clamp(int((c.v0 + t * (c.v1 - c.v0)) * float(p.sheetHeight)), 0,
                            p.sheetHeight - 1);
        const uint8_t* at = pixels->data() + (size_t(ty) * size_t(p.sheetWidth) + size_t(tx)) * 4;
        for (int i = 0; i < 4; ++i) texel[i] = float(at[i]) / 255.0f;
      }
      float src[4] = {texel[0] * float(st.red) / 255.0f, texel[1] * float(st.green) / 255.0f,
                      texel[2] * float(st.blue) / 255.0f, texel[3] * st.alpha};
      float* dst = &framebuffer[(size_t(y) * size_t(windowWidth) + size_t(x)) * 3];
      BlendPixel(st.blend, src, dst);
    }
  }
}

int HeadlessBackend::LoadSound(const std::string&, const uint8_t* data, size_t size,
                               double& seconds) {
  seconds = 0.0;
  if (!audioAvailable || !data) return -1;
  // The clip's length from its headers and last page, without decoding it.
  OggStream stream(data, size);
  if (!stream.ok()) return -1;
  seconds = stream.Seconds();
  clips_.push_back({seconds});
  return int(clips_.size()) - 1;
}

int HeadlessBackend::PlaySound(int clip) {
  if (!audioAvailable || clip < 0 || clip >= int(clips_.size())) return 0;
  channels_.push_back({clip, now, false});
  soundsStarted++;
  return int(channels_.size());
}

bool HeadlessBackend::ChannelPlaying(int channel) {
  if (channel < 1 || channel > int(channels_.size())) return false;
  const ChannelInfo& info = channels_[size_t(channel - 1)];
  if (info.stopped) return false;
  return double(now - info.started) < clips_[size_t(info.clip)].seconds * 1000.0;
}

void HeadlessBackend::StopChannel(int channel) {
  if (channel >= 1 && channel <= int(channels_.size()))
    channels_[size_t(channel - 1)].stopped = true;
}

void HeadlessBackend::Notify(const std::string& text) {
  notices.push_back(text);
  if (onNotify) onNotify(text);
}

bool HeadlessBackend::Confirm(const std::string& text) {
  questions.push_back(text);
  if (onConfirm) return onConfirm(text) != 0;
  if (confirmAnswers.empty()) return false;
  int answer = confirmAnswers.front();
  confirmAnswers.pop_front();
  return answer != 0;
}

std::string HeadlessBackend::RequestFile(const std::string& requestTitle, const std::string& filter,
                                         bool save, const std::string& initialPath) {
  fileRequests.push_back(requestTitle + "|" + filter + "|" + (save ? "1" : "0") + "|" +
                         initialPath);
  if (fileAnswers.empty()) return "";
  std::string answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

std::shared_ptr<HeadlessBackend> InstallHeadlessBackend() {
  auto backend = std::make_shared<HeadlessBackend>();
  SetBackend(backend);
  ResetPlatformState();
  return backend;
}
