#include "screens/game_over.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "platform/headless/headless_backend.h"
#include "platform/strip_font.h"
#include "screens/menu_docks.h"
#include "toolkit/TAction.h"
#include "view/board_view.h"
#include "view/presentation.h"

namespace {

PictureRef FakePicture(int width, int height) {
  auto picture = std::make_shared<Picture>();
  picture->width = picture->sheetWidth = width;
  picture->height = picture->sheetHeight = height;
  picture->rgba.assign(size_t(width) * height * 4, 255);
  CentreHandle(picture);
  return picture;
}

// One presented frame as the test saw it: the draw calls and the clock at
// which they were drawn.
// A presented frame; picture names are copied while the pictures live (a
// window rebuild frees the font's).
struct Frame {
  int64_t drawnAt = 0;
  std::vector<DrawCommand> calls;
  std::vector<std::string> pictures;
};

class GameOver : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = InstallHeadlessBackend();
    ResetGameStateGlobals();
    ResetPresentationGlobals();
    LeftDock.reset();
    RightDock.reset();
    Action = TAction::build();
    for (int k = 0; k < 6; ++k) {
      StonePicture[k][0] = FakePicture(70, 50);
      StonePicture[k][1] = FakePicture(42, 42);
    }
    for (auto& pair : BoardPicture) pair[0] = FakePicture(8, 8), pair[1] = FakePicture(8, 8);
  }

  void Window(int view, float scale) {
    View2D = uint8_t(view);
    Scale = scale;
    DepthBase = int32_t(618 * Scale);
    WindowHeight = int32_t(850 * Scale);
    WindowWidth = int32_t((view ? 1000 : 1400) * Scale);
    OpenWindow(WindowWidth, WindowHeight, 60);
    SetBlend(kBlendAlpha);  // as the window opening of the game does
    ComputeBoardGeometry();
  }

  // Runs the display until `frames` frames (counted from 1) were shown, then ends it as a
  // command would. `each` may script input in a frame.
  void Run(int frames, std::function<void(int64_t)> each = nullptr) {
    auto drawnAt = std::make_shared<int64_t>(backend->now);
    auto count = std::make_shared<int64_t>(0);
    backend->onFrame = [this, frames, each, drawnAt, count](int64_t) {
      const int64_t frame = ++*count;
      std::vector<std::string> names;
      for (const auto& call : backend->lastFrame)
        names.push_back(call.picture ? call.picture->name : "");
      seen.push_back({*drawnAt, backend->lastFrame, names});
      *drawnAt = backend->now;
      if (each) each(frame);
      if (frame >= frames) GameResult = 0;
    };
    GameOverScreen();
  }

  static void YellowFiveInRow(int row) {
    const int other = row == 0 ? 2 : 0;
    for (int i = 0; i < 5; ++i) {
      PlaceStone(3 + i, row, 1);
      if (i < 4) PlaceStone(3 + i, other, 2);
    }
    GameResult = CheckGameResult();
  }

  static std::vector<DrawCommand> Texts(const Frame& frame) {
    std::vector<DrawCommand> texts;
    for (const auto& call : frame.calls)
      if (call.kind == DrawCommand::kText && call.text != " ") texts.push_back(call);
    return texts;
  }
  static std::string Letters(const Frame& frame) {
    std::string text;
    for (const auto& call : Texts(frame)) text += call.text;
    return text;
  }
  static std::string WithoutBlanks(std::string text) {
    std::erase(text, ' ');
    return text;
  }
  static std::vector<DrawCommand> Lit(const Frame& frame) {
    std::vector<DrawCommand> lit;
    for (size_t i = 0; i < frame.calls.size(); ++i) {
      const DrawCommand& call = frame.calls[i];
      if (call.kind == DrawCommand::kPicture && call.state.blend == kBlendLight &&
          frame.pictures[i].find("bitmapfont") == std::string::npos)  // not a light halo
        lit.push_back(call);
    }
    return lit;
  }
  static bool IsStone(const Picture* picture) {
    for (const auto& pair : StonePicture)
      if (picture == pair[0].get() || picture == pair[1].get()) return true;
    return false;
  }
  // Stone pictures drawn after the normal stones: the highlight.
  std::vector<DrawCommand> Highlight(const Frame& frame) {
    std::vector<DrawCommand> stones;
    for (const auto& call : frame.calls)
      if (IsStone(call.picture)) stones.push_back(call);
    int onBoard = 0;
    for (const auto& column : Board)
      for (int cell : column) onBoard += cell != 0;
    if (int(stones.size()) <= onBoard) return {};
    return std::vector<DrawCommand>(stones.begin() + onBoard, stones.end());
  }

  void ExpectMessage(const std::string& text, int red, int green, int blue, int textY) {
    ASSERT_GT(seen.size(), 170u);
    const Frame& late = seen[170];  // the text has built up after 2000 ms
    EXPECT_EQ(WithoutBlanks(Letters(late)), WithoutBlanks(text));
    for (const auto& call : Texts(late)) {
      EXPECT_EQ(call.state.red, red);
      EXPECT_EQ(call.state.green, green);
      EXPECT_EQ(call.state.blue, blue);
      EXPECT_GE(call.y, textY - 30);
      EXPECT_LE(call.y, textY + 90);
      EXPECT_FLOAT_EQ(call.state.alpha, 1.0f);
      EXPECT_EQ(call.state.blend, kBlendAlpha);
      EXPECT_FLOAT_EQ(call.state.rotation, 0.0f);
    }
    EXPECT_EQ(CurrentDrawState().red, 255);
    EXPECT_EQ(CurrentDrawState().blue, 255);
  }

  std::shared_ptr<HeadlessBackend> backend;
  std::vector<Frame> seen;
};

TEST_F(GameOver, YellowBeatsTheDenkerAndGlowsInPerspective) {
  Window(0, 1.0f);
  PlayerKind[2] = Denker;
  YellowFiveInRow(12);
  ASSERT_EQ(GameResult, 1);
  const int64_t start = backend->now;
  Run(200);
  EXPECT_EQ(GameResult, 0);
  ExpectMessage("Du hast gewonnen ...", 255, 222, 0, 740);
  for (size_t f = 0; f < seen.size(); ++f) {
    const auto lit = Lit(seen[f]);
    ASSERT_EQ(lit.size(), 5u) << f;
    // Triangle 0 -> 1 -> 0 over 1000 ms, through the cubic curve.
    const int64_t t = seen[f].drawnAt - start;
    const double phase = double(t % 500) / 500.0;
    const double x = (t / 500) % 2 ? 1.0 - phase : phase;
    EXPECT_NEAR(lit[0].state.alpha, x * x * x, 1e-4) << t;
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(lit[i].picture, StonePicture[0][0].get());
      EXPECT_FLOAT_EQ(lit[i].x, static_cast<float>(CellX[WinRowX[i]][WinRowY[i]]));
      EXPECT_FLOAT_EQ(lit[i].y, static_cast<float>(RowY[12]));
      EXPECT_NEAR(lit[i].state.scaleY, RowY[12] / 618.0, 1e-5);
      EXPECT_NEAR(lit[i].state.scaleX, 0.8 * RowY[12] / 618.0 + 0.2, 1e-5);
    }
  }
}

// Mode 3 (signed wave) through curve 13 (quarter sine), as the swing uses it.
double Swing(int64_t elapsed, int delay) {
  const int64_t e = elapsed - delay;
  if (e < 0) return 0.0;
  const int64_t repetitions = e / 600;
  const double state = double(e - repetitions * 600) / 600.0;
  const double x = repetitions % 2 ? 1.0 - state : state;
  const double sign = repetitions % 4 >= 2 ? -1.0 : 1.0;
  return 180.0 * sign * std::sin(x * M_PI / 2);
}

TEST_F(GameOver, BlueWinsBetweenHumansAndSwingsInTheFlatView) {
  Window(1, 1.0f);
  PlayerKind[2] = Multiplayer;
  for (int i = 0; i < 4; ++i) PlaceStone(i, 14, 1), PlaceStone(10, 2 + i, 2);
  PlaceStone(13, 0, 1);
  PlaceStone(10, 6, 2);
  GameResult = CheckGameResult();
  ASSERT_EQ(GameResult, 2);
  const int64_t start = backend->now;
  Run(200);
  ExpectMessage("Blau hat gewonnen ...", 0, 0, 255, 80);
  bool swung = false;
  for (size_t f = 0; f < seen.size(); ++f) {
    // The stones stay as they are; a glint added over each one swings.
    EXPECT_TRUE(Highlight(seen[f]).empty());
    const auto glints = Lit(seen[f]);
    ASSERT_EQ(glints.size(), 5u) << f;
    const int64_t t = seen[f].drawnAt - start;
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(glints[i].picture->name, "incbin::media/2D-glint.png");
      EXPECT_FLOAT_EQ(glints[i].x, static_cast<float>(CellX[10][6 - i]));
      EXPECT_FLOAT_EQ(glints[i].y, static_cast<float>(RowY[6 - i]));
      EXPECT_NEAR(glints[i].state.rotation, Swing(t, 150 * i), 1e-3) << t << " " << i;
      swung |= std::abs(glints[i].state.rotation) > 170.0;
    }
  }
  EXPECT_TRUE(swung);
}

TEST_F(GameOver, MessagesAndColoursOfEveryOutcome) {
  struct Case {
    int result, kind;
    std::string text;
    int red, green, blue;
  };
  const Case cases[] = {
      {1, Multiplayer, "Gelb hat gewonnen ...", 255, 222, 0},
      {1, Spontane, "Du hast gewonnen ...", 255, 222, 0},
      {2, Spontane, "Ich habe gewonnen ...", 0, 255, 255},
      {2, Flexible, "Ich habe gewonnen ...", 0, 255, 0},
      {2, Konsequente, "Ich habe gewonnen ...", 255, 0, 0},
      {2, Denker, "Ich habe gewonnen ...", 255, 128, 255},
      {3, Denker, "Keiner kann mehr gewinnen!", 255, 255, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " " + std::to_string(c.kind));
    ResetGameStateGlobals();
    seen.clear();
    Window(1, 0.75f);
    PlayerKind[2] = c.kind;
    for (int i = 0; i < 5; ++i) WinRowX[i] = i, WinRowY[i] = 4;
    GameResult = c.result;
    Run(175);
    const int y = c.result == 1 ? int(0.75f * 710) : c.result == 2 ? 60 : 637 / 2;
    ExpectMessage(c.text, c.red, c.green, c.blue, y);
    if (c.result == 3) {
      EXPECT_TRUE(Highlight(seen[100]).empty());
    }
  }
}

// WCAG relative luminance and contrast ratio.
double Luminance(const std::array<float, 3>& c) {
  auto linear = [](double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c[0]) + 0.7152 * linear(c[1]) + 0.0722 * linear(c[2]);
}
double Contrast(double a, double b) { return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05); }

// Every message, drawn with the real board, stones and font on the
// software framebuffer: the letters' fill has exactly the message colour
// (the font's fill is pure white), and what lies 4 pixels outside the fill
// (the halo) contrasts with it by at least 3:1 in both views.
TEST_F(GameOver, EveryMessageStandsOutFromTheBoardInBothViews) {
  struct Case {
    int result, kind, red, green, blue;
  };
  const Case cases[] = {{1, Spontane, 255, 222, 0},  {2, Multiplayer, 0, 0, 255},
                        {2, Spontane, 0, 255, 255},  {2, Flexible, 0, 255, 0},
                        {2, Konsequente, 255, 0, 0}, {2, Denker, 255, 128, 255},
                        {3, Denker, 255, 255, 255}};
  for (int view : {0, 1}) {
    Window(view, 1.0f);
    SetTextFont(
        LoadAutoSizedFont("incbin::media/bitmapfont.png", 46, 60, 22, kStripFontGlyphList, -2, 0));
    for (int r = 0; r < 4; ++r) {
      BoardPicture[r][0] = LoadPicture("incbin::media/3D-Board-" + std::to_string(r) + ".jpg");
      BoardPicture[r][1] =
          LoadPicture("incbin::media/2D-Board-" + std::to_string(r) + "-schmal.jpg");
    }
    for (int k = 0; k < 6; ++k)
      for (int v = 0; v < 2; ++v) {
        StonePicture[k][v] = LoadPicture("incbin::media/" + std::string(v ? "2D" : "3D") +
                                         "-button-" + std::to_string(k) + ".png");
        CentreHandle(StonePicture[k][v]);
      }
    ASSERT_TRUE(BoardPicture[0][view] && StonePicture[0][view]);
    for (const Case& c : cases) {
      SCOPED_TRACE("view " + std::to_string(view) + " result " + std::to_string(c.result) +
                   " kind " + std::to_string(c.kind));
      ResetGameStateGlobals();
      PlayerKind[2] = c.kind;
      for (int i = 0; i < 5; ++i) PlaceStone(5 + i, 7, c.result == 3 ? 1 : c.result);
      for (int i = 0; i < 5; ++i) WinRowX[i] = 5 + i, WinRowY[i] = 7;
      GameResult = c.result;
      // Only the last frame, when the text has built up, is painted.
      Run(170, [this](int64_t frame) {
        if (frame == 169) backend->rasterise = true, backend->ClearFramebuffer(0, 0, 0);
      });
      backend->rasterise = false;

      const int w = WindowWidth, h = WindowHeight;
      const std::array<float, 3> colour = {static_cast<float>(c.red) / 255.0f,
                                           static_cast<float>(c.green) / 255.0f,
                                           static_cast<float>(c.blue) / 255.0f};
      // Chebyshev distance from the nearest pixel of exactly the message colour.
      std::vector<int> distance(size_t(w) * h, 99);
      int fill = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const auto p = backend->PixelAt(x, y);
          bool exact = true;
          for (int k = 0; k < 3; ++k) exact = exact && std::abs(p[k] - colour[k]) < 0.5f / 255;
          if (exact) distance[size_t(y) * w + x] = 0, fill++;
        }
      ASSERT_GT(fill, 2000) << "too few pixels in the exact message colour";
      for (int d = 1; d <= 4; ++d)
        for (int y = 1; y < h - 1; ++y)
          for (int x = 1; x < w - 1; ++x) {
            int& here = distance[size_t(y) * w + x];
            if (here <= d) continue;
            for (int dy = -1; dy <= 1 && here > d; ++dy)
              for (int dx = -1; dx <= 1; ++dx)
                if (distance[size_t(y + dy) * w + x + dx] == d - 1) here = d;
          }
      std::vector<double> contrasts;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          if (distance[size_t(y) * w + x] == 4)
            contrasts.push_back(Contrast(Luminance(backend->PixelAt(x, y)), Luminance(colour)));
      std::sort(contrasts.begin(), contrasts.end());
      // The median and even the weakest fifth of the ring reach 3:1.
      EXPECT_GE(contrasts[contrasts.size() / 2], 3.0);
      EXPECT_GE(contrasts[contrasts.size() / 5], 3.0);
    }
  }
}

TEST_F(GameOver, SurvivesViewSizeAndRotationChanges) {
  Window(1, 1.0f);
  PlayerKind[2] = Flexible;
  YellowFiveInRow(5);
  ASSERT_EQ(GameResult, 1);
  Run(120, [&](int64_t frame) {
    if (frame == 40) Window(0, 0.75f);
    if (frame == 80) RotateBoard();
  });
  ASSERT_EQ(seen.size(), 120u);
  EXPECT_TRUE(Highlight(seen[30]).empty());
  EXPECT_EQ(Lit(seen[30]).size(), 5u);  // the glints
  const auto lit = Lit(seen[60]);
  ASSERT_EQ(lit.size(), 5u);
  EXPECT_FLOAT_EQ(lit[0].x, static_cast<float>(CellX[7][5]));
  // After the turn the light still falls on yellow stones.
  const auto turned = Lit(seen[100]);
  ASSERT_EQ(turned.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Board[WinRowX[i]][WinRowY[i]], 1);
    EXPECT_FLOAT_EQ(turned[i].x, static_cast<float>(CellX[WinRowX[i]][WinRowY[i]]));
    EXPECT_FLOAT_EQ(turned[i].y, static_cast<float>(RowY[WinRowY[i]]));
  }
  // The text follows the new window.
  for (const auto& call : Texts(seen[100])) EXPECT_GT(call.y, 0.75f * 740 - 30);
}

TEST_F(GameOver, EscapeAsksAndCloseEnds) {
  Window(1, 1.0f);
  GameResult = 3;
  backend->confirmAnswers = {0};
  Run(30, [&](int64_t frame) {
    if (frame == 5) backend->KeyDown(kKeyEscape);
    if (frame == 6) backend->KeyUp(kKeyEscape);
  });
  ASSERT_EQ(backend->questions.size(), 1u);
  EXPECT_EQ(backend->questions[0], "Willst du wirklich das Programm beenden?");

  GameResult = 3;
  backend->confirmAnswers = {1};
  EXPECT_THROW(Run(1000,
                   [&](int64_t frame) {
                     if (frame == 3) backend->KeyDown(kKeyEscape);
                   }),
               ProgramExit);
  EXPECT_EQ(GameResult, 3);

  EXPECT_THROW(Run(1000,
                   [&](int64_t frame) {
                     if (frame == 3) backend->RequestClose();
                   }),
               ProgramExit);
}

TEST_F(GameOver, KeepsTheMusicGoing) {
  Window(1, 1.0f);
  Music = LoadSoundClip("incbin::media/music.ogg");
  if (!Music || Music->id < 0) GTEST_SKIP() << "no music resource yet";
  MusicOn = 1;
  MusicChannel = kNoChannel;
  GameResult = 3;
  Run(3);
  EXPECT_EQ(backend->soundsStarted, 1);
  EXPECT_EQ(Playing(MusicChannel), 1);
  MusicOn = 0;
  Stop(MusicChannel);
  GameResult = 3;
  Run(3);
  EXPECT_EQ(backend->soundsStarted, 1);
}

}  // namespace
