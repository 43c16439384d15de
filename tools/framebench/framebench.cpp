// Frame cost of the real backend: the perspective board picture plus 225
// stones of two kinds, 300 frames, median CPU time of drawing and
// presenting one frame (the pacing sleep is not counted).
//
// For the end-to-end tests it also shows the backend's dialogs over the
// board and prints the answer:
//   kavro-framebench --notify TEXT | --confirm TEXT | --file TITLE FILTER SAVE PATH
// or rebuilds the window at another size and keeps drawing the same pictures:
//   kavro-framebench --resize WIDTH HEIGHT SECONDS
// or draws every blend mode with plain, scaled, tinted, faded and turned
// pictures over a known background, printing the colour each probed pixel
// must have by the blend model (BlendPixel), for a test to check on screen:
//   kavro-framebench --blend-sheet SECONDS
// The frame cost of either half of the frame alone:
//   kavro-framebench --part board | --part stones
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace {

constexpr int kWidth = 1400, kHeight = 850, kFrames = 300;

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Stand-ins of the right sizes for when media/ has no such picture yet.
PictureRef StandIn(int width, int height, bool stone, uint8_t r, uint8_t g, uint8_t b) {
  auto picture = std::make_shared<Picture>();
  picture->name = "framebench stand-in";
  picture->width = picture->sheetWidth = width;
  picture->height = picture->sheetHeight = height;
  picture->hasAlpha = stone;
  picture->rgba.resize(size_t(width) * height * 4);
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      uint8_t* p = &picture->rgba[(size_t(y) * width + x) * 4];
      float dx = (static_cast<float>(x) + 0.5f) / w * 2 - 1;
      float dy = (static_cast<float>(y) + 0.5f) / h * 2 - 1;
      bool inside = !stone || dx * dx + dy * dy <= 1.0f;
      float shade = stone ? 1.0f - 0.4f * (dx + dy + 2) / 4 : 0.7f + 0.3f * float(x ^ y) / 2048;
      p[0] = uint8_t(r * shade);
      p[1] = uint8_t(g * shade);
      p[2] = uint8_t(b * shade);
      p[3] = inside ? 255 : 0;
    }
  return picture;
}

// Quarters of the blend sheet's pictures, top left, top right, bottom
// left, bottom right: a picture turned, mirrored or with red and blue
// swapped shows other colours where the probes look.
constexpr uint8_t kQuarter[4][3] = {
    {220, 180, 60}, {60, 220, 180}, {180, 60, 220}, {250, 250, 250}};

// Each quarter of one colour throughout, so filtering leaves its middle as it is.
PictureRef Quartered(int size, uint8_t alpha) {
  auto picture = std::make_shared<Picture>();
  picture->name = "framebench quartered";
  picture->width = picture->sheetWidth = size;
  picture->height = picture->sheetHeight = size;
  picture->hasAlpha = alpha != 255;
  picture->rgba.resize(size_t(size) * size * 4);
  for (int y = 0; y < size; y++)
    for (int x = 0; x < size; x++) {
      uint8_t* p = &picture->rgba[(size_t(y) * size + x) * 4];
      const uint8_t* colour = kQuarter[(y >= size / 2) * 2 + (x >= size / 2)];
      p[0] = colour[0];
      p[1] = colour[1];
      p[2] = colour[2];
      p[3] = alpha;
    }
  CentreHandle(picture);
  return picture;
}

struct Probe {
  int x, y, r, g, b;
};

// Rows: the five blend modes. Columns: plain at whole pixels, plain scaled
// by 1.5 at half pixels, tinted, faded, plain and turned. Each cell holds
// one picture of each texel alpha on a solid background; the probes look
// at the background and the middle of every quarter.
std::vector<Probe> DrawBlendSheet(const PictureRef pictures[3], const uint8_t alphas[3]) {
  constexpr int kBack[3] = {40, 120, 200};
  std::vector<Probe> probes;
  for (int mode = 1; mode <= 5; mode++)
    for (int column = 0; column < 5; column++) {
      const int left = 15 + column * 270, top = 15 + (mode - 1) * 160;
      SetDrawRotation(0);
      SetDrawScale(1, 1);
      SetAlpha(1);
      SetBlend(kBlendSolid);
      SetColor(kBack[0], kBack[1], kBack[2]);
      DrawRect(float(left), float(top), 250, 140);
      probes.push_back({left + 8, top + 8, kBack[0], kBack[1], kBack[2]});
      const int tint[3] = {column == 2 ? 200 : 255, column == 2 ? 150 : 255,
                           column == 2 ? 100 : 255};
      const float alpha = column == 3 ? 0.6f : 1.0f;
      const float shift = column == 1 ? 0.5f : 0.0f;
      SetBlend(mode);
      SetColor(tint[0], tint[1], tint[2]);
      SetAlpha(alpha);
      if (column == 1) SetDrawScale(1.5f, 1.5f);
      if (column == 4) SetDrawRotation(30);
      for (int k = 0; k < 3; k++) {
        const int x = left + 45 + k * 80, y = top + 70;
        DrawPicture(pictures[k], float(x) + shift, float(y) + shift, 0);
        const float quarter = static_cast<float>(PictureWidth(pictures[k])) / 4.0f;
        for (int q = 0; q < 4; q++) {
          float px, py, src[4], dst[3];
          TransformPoint(float(x) + shift, float(y) + shift, q % 2 ? quarter : -quarter,
                         q / 2 ? quarter : -quarter, px, py);
          for (int c = 0; c < 3; c++) {
            src[c] = kQuarter[q][c] / 255.0f * (static_cast<float>(tint[c]) / 255.0f);
            dst[c] = static_cast<float>(kBack[c]) / 255.0f;
          }
          src[3] = alphas[k] / 255.0f * alpha;
          BlendPixel(mode, src, dst);
          probes.push_back({int(std::floor(px)), int(std::floor(py)),
                            int(std::lround(dst[0] * 255)), int(std::lround(dst[1] * 255)),
                            int(std::lround(dst[2] * 255))});
        }
      }
    }
  SetDrawRotation(0);
  return probes;
}

int ShowBlendSheet(double seconds) {
  const uint8_t alphas[3] = {255, 200, 90};
  PictureRef pictures[3];
  for (int k = 0; k < 3; k++) pictures[k] = Quartered(40, alphas[k]);
  std::vector<Probe> probes = DrawBlendSheet(pictures, alphas);
  PresentFrame();
  for (const Probe& p : probes) std::printf("probe %d %d %d %d %d\n", p.x, p.y, p.r, p.g, p.b);
  std::printf("ready\n");
  std::fflush(stdout);
  int end = ClockMs() + int(seconds * 1000);
  while (ClockMs() < end && !CloseRequested()) {
    DrawBlendSheet(pictures, alphas);
    PresentFrame();
  }
  return 0;
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
                 "SAVE PATH | --resize WIDTH HEIGHT SECONDS | --blend-sheet SECONDS | "
                 "--part board|stones]\n");
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
  PictureRef board =
      LoadOr("incbin::media/3D-Board-0.jpg", StandIn(1400, 850, false, 200, 160, 100));
  PictureRef stones[2] = {
      LoadOr("incbin::media/3D-button-0.png", StandIn(70, 50, true, 250, 220, 40)),
      LoadOr("incbin::media/3D-button-2.png", StandIn(70, 50, true, 40, 220, 250))};
  for (auto& stone : stones) CentreHandle(stone);
  std::string part = "all";
  if (argc > 1) {
    const std::string mode = argv[1], what = argc >= 3 ? argv[2] : "";
    if (mode == "--blend-sheet" && argc >= 3) return ShowBlendSheet(std::atof(argv[2]));
    if (mode == "--part" && (what == "board" || what == "stones"))
      part = what;
    else
      return ShowDialog(argc, argv, board);
  }

  Backend& backend = CurrentBackend();
  std::vector<double> cpu;
  int64_t due = backend.NowMs();
  double wallStart = static_cast<double>(backend.NowMs());
  for (int frame = 0; frame < kFrames; frame++) {
    double start = CpuMs();
    SetBlend(kBlendAlpha);
    SetAlpha(1.0f);
    SetColor(255, 255, 255);
    SetDrawScale(1.0f, 1.0f);
    if (part != "stones") DrawPicture(board, 0, 0, 0);
    // The board alone would be the same frame each time, which is not drawn
    // again: a one-pixel mark moves every frame.
    if (part == "board") DrawRect(float(frame % 2), 0, 1, 1);
    // Rows further back are narrower and their stones smaller, with the
    // view's depth rule (scale y = screen y / 618, scale x = 0.8 y + 0.2).
    for (int row = 0; row < 15; row++) {
      float t = static_cast<float>(row) / 14.0f;
      float y = 200.0f + 410.0f * t;
      float halfWidth = 337.0f + 230.0f * t;
      float depthY = y / 618.0f, depthX = 0.8f * depthY + 0.2f;
      SetDrawScale(depthX, depthY);
      for (int col = 0; col < 15 && part != "board"; col++) {
        float x = 705.0f + static_cast<float>(col - 7) * halfWidth / 7.0f;
        // The kinds swap every frame, so no two frames are alike.
        DrawPicture(stones[(row + col + frame) % 2], x, y, 0);
      }
    }
    backend.SwapBuffers();
    cpu.push_back(CpuMs() - start);
    CloseRequested();
    due += 16;
    if (due > backend.NowMs())
      backend.SleepUntilMs(due);
    else
      due = backend.NowMs();
  }
  double wall = (static_cast<double>(backend.NowMs()) - wallStart) / kFrames;
  std::vector<double> sorted = cpu;
  std::sort(sorted.begin(), sorted.end());
  double median = sorted[sorted.size() / 2];
  double p90 = sorted[sorted.size() * 9 / 10];
  double mean = 0;
  for (double c : cpu) mean += c;
  mean /= static_cast<double>(cpu.size());
  std::printf(
      "frames %d, CPU per frame: median %.2f ms, mean %.2f ms, 90th percentile %.2f ms; wall %.2f "
      "ms per frame\n",
      kFrames, median, mean, p90, wall);
  std::printf("median_ms=%.3f\n", median);
  return 0;
}
