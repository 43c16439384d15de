// Window, frame pacing and the clock.
#include <cmath>
#include <cstdio>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/platform_internal.h"

namespace {

std::string windowTitle = "Kavro";
int hertz = 60;
int64_t due = 0;  // when the next frame is to be shown
int64_t accumulator = 0;
std::function<void()> afterFrame;

}  // namespace

namespace platform_detail {
void ResetPacing() {
  due = 0;
  accumulator = 0;
  afterFrame = nullptr;
}
void ResetWindow() {
  windowTitle = "Kavro";
  hertz = 60;
}
}  // namespace platform_detail

void OpenWindow(int width, int height, int frameHertz) {
  hertz = frameHertz > 0 ? frameHertz : 60;
  platform_detail::ResetPacing();
  if (!CurrentBackend().OpenWindow(width, height, windowTitle)) {
    std::fprintf(stderr, "kavro: cannot open a %dx%d window\n", width, height);
    EndProgram(1);
  }
  ResetDrawState();
}

void SetWindowTitle(const std::string& title) {
  windowTitle = title;
  CurrentBackend().SetTitle(title);
}

// Whole milliseconds per frame plus an accumulator for the remainder, so 60
// frames take exactly 1000 ms. A late frame resets the due time instead of
// squeezing the following frames.
void PresentFrame() {
  Backend& backend = CurrentBackend();
  due += 1000 / hertz;
  accumulator += 1000 - (1000 / hertz) * hertz;
  if (accumulator >= hertz) {
    accumulator -= hertz;
    due += 1;
  }
  int64_t now = backend.NowMs();
  if (due > now)
    backend.SleepUntilMs(due);
  else
    due = now;
  backend.SwapBuffers();
  if (afterFrame) afterFrame();
}

void AfterEveryFrame(std::function<void()> hook) { afterFrame = std::move(hook); }

int ScreenWidth() { return CurrentBackend().ScreenWidth(); }
int ScreenHeight() { return CurrentBackend().ScreenHeight(); }

int ClockMs() { return int(CurrentBackend().NowMs()); }

TickerRef CreateTicker(double tickHertz) {
  auto ticker = std::make_shared<Ticker>();
  ticker->hertz = tickHertz > 0 ? tickHertz : 60.0;
  ticker->origin = CurrentBackend().NowMs();
  ticker->count = 1;
  ticker->nextTick = double(ticker->origin) + 1000.0 / ticker->hertz;
  return ticker;
}

// Ticks that were missed while the game was busy are dropped, not caught up:
// the count starts again from now.
void WaitTick(const TickerRef& ticker) {
  if (!ticker) return;
  Backend& backend = CurrentBackend();
  double period = 1000.0 / ticker->hertz;
  int64_t wake = int64_t(std::ceil(ticker->nextTick));
  int64_t now = backend.NowMs();
  if (wake > now) {
    backend.SleepUntilMs(wake);
  } else if (double(now) >= ticker->nextTick + period) {
    ticker->origin = now;
    ticker->count = 0;
  }
  ticker->count++;
  ticker->nextTick = double(ticker->origin) + double(ticker->count) * 1000.0 / ticker->hertz;
}
