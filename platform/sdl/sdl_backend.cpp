// The real backend: an SDL2 window with an OpenGL context, SDL's event
// queue and audio device, FLTK dialogs.
#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "platform/backend.h"
#include "platform/sdl/fltk_dialogs.h"
#include "platform/sdl/gl_renderer.h"
#include "platform/sdl/mixer.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/tap_filter.h"
#include "platform/sdl/window_icon.h"
#include "platform/sdl/x_connection.h"

namespace sdl_backend {
namespace {

// SDL numbers its buttons left 1, middle 2, right 3; the game right 2, middle 3.
int GameButton(Uint8 sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT:
      return 1;
    case SDL_BUTTON_RIGHT:
      return 2;
    case SDL_BUTTON_MIDDLE:
      return 3;
    default:
      return 0;
  }
}

class SdlBackend : public Backend {
 public:
  SdlBackend() : start_(std::chrono::steady_clock::now()) { OpenAudio(); }

  ~SdlBackend() override {
    Shutdown();
    if (live == this) live = nullptr;
  }

  // Idempotent. Runs from an exit handler registered after the GL context
  // was made, so it comes before Mesa's own exit handlers: tearing the
  // context down after those corrupts the heap.
  void Shutdown() {
    // The callback reads the mixer's clips: stop it before they go.
    if (audio_) SDL_CloseAudioDevice(audio_);
    audio_ = 0;
    if (context_) SDL_GL_DeleteContext(context_);
    context_ = nullptr;
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    if (!quit_) SDL_Quit();
    quit_ = true;
  }

  static SdlBackend* live;

  // Exit handlers run in reverse order: registered after Mesa's, ours runs
  // first. Registering again later only adds a handler that finds nothing
  // left to do.
  static void RegisterShutdown() {
    std::atexit([] {
      if (live) live->Shutdown();
    });
  }

  // ---------------------------------------------------------------- window

  bool OpenWindow(int width, int height, const std::string& title) override {
    title_ = title;
    width_ = width;
    height_ = height;
    if (window_) {
      // A new size keeps the window and its context, so every texture stays.
      SDL_SetWindowTitle(window_, title.c_str());
      SDL_SetWindowSize(window_, width, height);
      SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
      SDL_RaiseWindow(window_);
      renderer_.Invalidate();
      return true;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    // Nothing is depth-tested; without a depth buffer llvmpipe may also
    // draw screen-aligned rectangles on its fast path.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                               height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!window_) {
      std::fprintf(stderr, "kavro: cannot create the window: %s\n", SDL_GetError());
      return false;
    }
    SetGameWindowIcon(window_);
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
      std::fprintf(stderr, "kavro: no OpenGL context: %s\n", SDL_GetError());
      SDL_DestroyWindow(window_);
      window_ = nullptr;
      return false;
    }
    SDL_GL_MakeCurrent(window_, context_);
    live = this;
    RegisterShutdown();
    WatchXConnection([] { RunProgramEndHandlers(); });
    // Under Xvfb this may answer "not supported"; the interval is 0 then anyway.
    SDL_GL_SetSwapInterval(0);
    SDL_StartTextInput();
    renderer_.SetContextReady();
    return true;
  }

  void SetTitle(const std::string& title) override {
    title_ = title;
    if (window_) SDL_SetWindowTitle(window_, title.c_str());
  }

  void SwapBuffers() override {
    ReleaseTaps();
    if (!window_) return;
    int w = width_, h = height_;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    if (renderer_.RenderFrame(w, h)) SDL_GL_SwapWindow(window_);
    // Mesa sets up more of itself (and its exit handlers) at the first draw.
    if (!swapped_) RegisterShutdown();
    swapped_ = true;
  }

  int ScreenWidth() override { return DesktopMode().w; }
  int ScreenHeight() override { return DesktopMode().h; }

  // ---------------------------------------------------------------- time

  int64_t NowMs() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
  }

  // Nanoseconds of the time of day and the process number, mixed so that
  // starts a nanosecond apart give unrelated seeds.
  int32_t StartSeed() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    uint64_t z = uint64_t(now.tv_sec) * 1000000000u + uint64_t(now.tv_nsec);
    z ^= uint64_t(getpid()) << 40;
    z += 0x9E3779B97F4A7C15u;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    z ^= z >> 31;
    return int32_t(z & 0x7FFFFFFF);
  }

  void SleepUntilMs(int64_t due) override {
    ReleaseTaps();
    std::this_thread::sleep_until(start_ + std::chrono::milliseconds(due));
  }

  // ---------------------------------------------------------------- input

  void PumpEvents() override {
    if (quit_) return;
    taps_.Expire(NowMs());
    SDL_Event e;
    while (SDL_PollEvent(&e)) Handle(e);
  }

  // ---------------------------------------------------------------- pictures

  int UploadTexture(const Picture& picture) override { return renderer_.Upload(picture); }
  void ReleaseTexture(int texture) override { renderer_.Release(texture); }
  void Draw(const DrawCommand& command) override { renderer_.Draw(command); }

  // ---------------------------------------------------------------- sound

  int LoadSound(const std::string& name, const uint8_t* data, size_t size,
                double& seconds) override {
    // Only the headers are read here; a playing channel decodes as it goes.
    std::shared_ptr<OggClip> clip = OggClip::Load(name, data, size);
    seconds = clip ? clip->Seconds() : 0.0;
    if (!clip) return -1;
    if (!audio_) {
      int id = nextSilentClip_++;
      silentClips_[id] = seconds;
      return id;
    }
    return mixer_.AddClip(clip);
  }

  int PlaySound(int clip) override {
    if (audio_) return mixer_.Play(clip);
    auto it = silentClips_.find(clip);
    if (it == silentClips_.end()) return 0;
    int channel = nextSilentChannel_++;
    silentChannels_[channel] = NowMs() + int64_t(it->second * 1000.0);
    return channel;
  }

  // Without a device a channel still "plays" for the clip's length, so the
  // game does not restart the music every frame.
  bool ChannelPlaying(int channel) override {
    if (audio_) return mixer_.Playing(channel);
    auto it = silentChannels_.find(channel);
    if (it == silentChannels_.end()) return false;
    if (NowMs() < it->second) return true;
    silentChannels_.erase(it);
    return false;
  }

  void StopChannel(int channel) override {
    if (audio_)
      mixer_.Stop(channel);
    else
      silentChannels_.erase(channel);
  }

  // ---------------------------------------------------------------- dialogs

  void Notify(const std::string& text) override {
    ShowNotice(text, Host());
    AfterDialog();
  }

  bool Confirm(const std::string& text) override {
    bool yes = AskYesNo(text, Host());
    AfterDialog();
    return yes;
  }

  std::string RequestFile(const std::string& title, const std::string& filter, bool save,
                          const std::string& initialPath) override {
    std::string path = ChooseFile(title, filter, save, initialPath, Host());
    AfterDialog();
    return path;
  }

 private:
  SDL_DisplayMode DesktopMode() {
    SDL_DisplayMode mode{};
    int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) != 0) {
      mode.w = 1024;
      mode.h = 768;
    }
    return mode;
  }

  void Handle(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:
        input::CloseRequest();
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) input::CloseRequest();
        // Without a compositor the server forgets covered parts of the window.
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
            e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
            e.window.event == SDL_WINDOWEVENT_SHOWN || e.window.event == SDL_WINDOWEVENT_RESTORED)
          renderer_.Invalidate();
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (!e.key.repeat) {
          int key = VirtualKey(e.key.keysym.sym);
          if (key) Press(kKeySlot + key, e.type == SDL_KEYDOWN);
        }
        break;
      case SDL_TEXTINPUT:
        for (int code : TypedCodes(e.text.text)) input::TypedChar(code);
        break;
      case SDL_MOUSEMOTION:
        input::PointerMoved(e.motion.x, e.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (int button = GameButton(e.button.button)) {
          input::PointerMoved(e.button.x, e.button.y);
          Press(kButtonSlot + button, e.type == SDL_MOUSEBUTTONDOWN);
        }
        break;
      case SDL_MOUSEWHEEL: {
        int notches = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        if (notches) input::WheelMoved(notches);
        break;
      }
      default:
        break;
    }
  }

  // Keys and buttons share the tap filter: keys as their number, buttons
  // from kButtonSlot on.
  static constexpr int kKeySlot = 0, kButtonSlot = 1000;

  static void Apply(int slot, bool down) {
    if (slot >= kButtonSlot)
      input::ButtonEvent(slot - kButtonSlot, down);
    else
      input::KeyEvent(slot - kKeySlot, down);
  }

  void Press(int slot, bool down) { taps_.Event(slot, down, NowMs()); }
  void ReleaseTaps() { taps_.FrameEnd(); }

  DialogHost Host() {
    DialogHost host;
    host.repaint = [this] {
      if (!window_) return;
      SDL_PumpEvents();
      int w = width_, h = height_;
      SDL_GL_GetDrawableSize(window_, &w, &h);
      renderer_.RenderLastFrame(w, h);
      SDL_GL_SwapWindow(window_);
    };
    if (window_) {
      int x = 0, y = 0, w = 0, h = 0;
      SDL_GetWindowPosition(window_, &x, &y);
      SDL_GetWindowSize(window_, &w, &h);
      host.centreX = x + w / 2;
      host.centreY = y + h / 2;
    }
    return host;
  }

  // What was clicked and typed into the dialog must not reach the game; a
  // close request made meanwhile stays queued.
  void AfterDialog() {
    if (window_) {
      SDL_RaiseWindow(window_);
      SDL_SetWindowInputFocus(window_);
    }
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    taps_.Clear();
    ClearKeys();
    ClearMouse();
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
    input::PointerMoved(x, y);
  }

  void OpenAudio() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    SDL_AudioSpec want{}, have{};
    want.freq = kMixRate;
    want.format = AUDIO_S16SYS;
    want.channels = kMixChannels;
    want.samples = 2048;
    want.callback = [](void* self, Uint8* stream, int length) {
      static_cast<Mixer*>(self)->Mix(reinterpret_cast<int16_t*>(stream),
                                     length / int(sizeof(int16_t) * kMixChannels));
    };
    want.userdata = &mixer_;
    // SDL converts to whatever the device needs; silence if there is none.
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (audio_) SDL_PauseAudioDevice(audio_, 0);
  }

  std::chrono::steady_clock::time_point start_;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  int width_ = 0, height_ = 0;
  std::string title_ = "Kavro";
  GlRenderer renderer_;

  SDL_AudioDeviceID audio_ = 0;
  Mixer mixer_;
  std::map<int, double> silentClips_;
  std::map<int, int64_t> silentChannels_;  // channel -> when it ends
  int nextSilentClip_ = 1, nextSilentChannel_ = 1;
  bool quit_ = false;
  bool swapped_ = false;
  TapFilter taps_{&SdlBackend::Apply};
};

SdlBackend* SdlBackend::live = nullptr;

bool DisplayIsUsable() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

}  // namespace
}  // namespace sdl_backend

bool InstallSdlBackend() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland)) {
    std::fprintf(stderr, "Kavro needs an X11 display: DISPLAY is not set.\n");
    return false;
  }
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "Kavro cannot open the display %s: %s\n", display ? display : "",
                 SDL_GetError());
    return false;
  }
  // SDL quietly falls back to an invisible offscreen driver; a game nobody
  // can see must not start.
  if (!sdl_backend::DisplayIsUsable()) {
    std::fprintf(stderr,
                 "Kavro needs an X11 display: %s is not usable (SDL video driver \"%s\").\n",
                 display ? display : "", SDL_GetCurrentVideoDriver());
    SDL_Quit();
    return false;
  }
  SetBackend(std::make_shared<sdl_backend::SdlBackend>());
  return true;
}
