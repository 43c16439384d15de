// Frame cost of the real backend: the perspective board picture plus 225
// stones of two kinds, 300 frames, median CPU time of drawing and
// presenting one frame (the pacing sleep is not counted).
//
// For the end-to-end tests it also shows the backend's dialogs over the
// board and prints the answer:
//   kavro-framebench --notify TEXT | --confirm TEXT | --file TITLE FILTER SAVE PATH
// or rebuilds the window at another size and keeps drawing the same pictures:
//   kavro-framebench --resize WIDTH HEIGHT SECONDS
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <ctime>
#include <vector>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace {

constexpr int kWidth = 1400, kHeight = 850, kFrames = 300;

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// Stand-ins of the right sizes for when media/ has no such picture yet.
PictureRef StandIn(int width, int height, bool stone, uint8_t r, uint8_t g, uint8_t b) {
  auto picture = std::make_shared<Picture>();
  picture->name = "framebench stand-in";
  picture->width = picture->sheetWidth = width;
  picture->height = picture->sheetHeight = height;
  picture->hasAlpha = stone;
  picture->rgba.resize(size_t(width) * height * 4);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      uint8_t* p = &picture->rgba[(size_t(y) * width + x) * 4];
      float dx = (x + 0.5f) / width * 2 - 1, dy = (y + 0.5f) / height * 2 - 1;
      bool inside = !stone || dx * dx + dy * dy <= 1.0f;
      float shade = stone ? 1.0f - 0.4f * (dx + dy + 2) / 4 : 0.7f + 0.3f * float(x ^ y) / 2048;
      p[0] = uint8_t(r * shade);
      p[1] = uint8_t(g * shade);
      p[2] = uint8_t(b * shade);
      p[3] = inside ? 255 : 0;
    }
  return picture;
}

PictureRef LoadOr(const char* resource, PictureRef standIn) {
  PictureRef picture = LoadPicture(resource);
  if (picture) return picture;
  std::printf("%s missing: using a stand-in\n", resource);
  return standIn;
}

// Shows one dialog over a frame of the board; prints the answer.
int ShowDialog(int argc, char** argv, const PictureRef& board) {
  std::string mode = argv[1];
  SetBlend(kBlendAlpha);
  DrawPicture(board, 0, 0, 0);
  PresentFrame();
  if (mode == "--notify" && argc >= 3) {
    Notify(argv[2]);
    std::printf("notified\n");
  } else if (mode == "--confirm" && argc >= 3) {
    std::printf("confirm=%d\n", Confirm(argv[2]));
  } else if (mode == "--resize" && argc >= 5) {
    OpenWindow(std::atoi(argv[2]), std::atoi(argv[3]), 60);
    std::printf("resized\n");
    std::fflush(stdout);
    int end = ClockMs() + int(std::atof(argv[4]) * 1000);
    while (ClockMs() < end && !CloseRequested()) {
      SetBlend(kBlendAlpha);
      DrawPicture(board, 0, 0, 0);
      PresentFrame();
    }
  } else if (mode == "--file" && argc >= 6) {
    std::printf("file=%s\n", RequestFile(argv[2], argv[3], std::atoi(argv[4]), argv[5]).c_str());
  } else {
    std::fprintf(stderr,
                 "usage: kavro-framebench [--notify TEXT | --confirm TEXT | --file TITLE FILTER "
                 "SAVE PATH | --resize WIDTH HEIGHT SECONDS]\n");
    return 2;
  }
  std::fflush(stdout);
  // A few more frames: input reaching the window after the dialog shows up here.
  for (int i = 0; i < 30; i++) {
    DrawPicture(board, 0, 0, 0);
    PresentFrame();
  }
  std::printf("after: keys escape=%d return=%d button=%d\n", KeyPressCount(kKeyEscape),
              KeyPressCount(kKeyEnter), ButtonPressCount(1));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!InstallSdlBackend()) return 1;
  SetWindowTitle("Kavro framebench");
  OpenWindow(kWidth, kHeight, 60);
  PictureRef board = LoadOr("incbin::media/3D-Board-0.jpg", StandIn(1400, 850, false, 200, 160, 100));
  PictureRef stones[2] = {
      LoadOr("incbin::media/3D-button-0.png", StandIn(70, 50, true, 250, 220, 40)),
      LoadOr("incbin::media/3D-button-2.png", StandIn(70, 50, true, 40, 220, 250))};
  for (auto& stone : stones) CentreHandle(stone);
  if (argc > 1) return ShowDialog(argc, argv, board);

  Backend& backend = CurrentBackend();
  std::vector<double> cpu;
  int64_t due = backend.NowMs();
  double wallStart = backend.NowMs();
  for (int frame = 0; frame < kFrames; frame++) {
    double start = CpuMs();
    SetBlend(kBlendAlpha);
    SetAlpha(1.0f);
    SetColor(255, 255, 255);
    SetDrawScale(1.0f, 1.0f);
    DrawPicture(board, 0, 0, 0);
    // Rows further back are narrower and their stones smaller, with the
    // view's depth rule (scale y = screen y / 618, scale x = 0.8 y + 0.2).
    for (int row = 0; row < 15; row++) {
      float t = row / 14.0f;
      float y = 200.0f + 410.0f * t;
      float halfWidth = 337.0f + 230.0f * t;
      float depthY = y / 618.0f, depthX = 0.8f * depthY + 0.2f;
      SetDrawScale(depthX, depthY);
      for (int col = 0; col < 15; col++) {
        float x = 705.0f + (col - 7) * halfWidth / 7.0f;
        // The kinds swap every frame, so no two frames are alike.
        DrawPicture(stones[(row + col + frame) % 2], x, y, 0);
      }
    }
    backend.SwapBuffers();
    cpu.push_back(CpuMs() - start);
    CloseRequested();
    due += 16;
    if (due > backend.NowMs()) backend.SleepUntilMs(due);
    else due = backend.NowMs();
  }
  double wall = (backend.NowMs() - wallStart) / kFrames;
  std::vector<double> sorted = cpu;
  std::sort(sorted.begin(), sorted.end());
  double median = sorted[sorted.size() / 2];
  double p90 = sorted[sorted.size() * 9 / 10];
  double mean = 0;
  for (double c : cpu) mean += c;
  mean /= cpu.size();
  std::printf("frames %d, CPU per frame: median %.2f ms, mean %.2f ms, 90th percentile %.2f ms; wall %.2f ms per frame\n",
              kFrames, median, mean, p90, wall);
  std::printf("median_ms=%.3f\n", median);
  return 0;
}
