// The end of a game: the board stays, the five winning stones glow or swing,
// and a wave text names the winner, until a command sets GameResult to 0.
#include "screens/game_over.h"

#include <memory>
#include <string>

#include "game/game_state.h"
#include "platform/platform.h"
#include "screens/menu_docks.h"
#include "toolkit/TAction.h"
#include "toolkit/TSpeedControl.h"
#include "toolkit/TTextSnake.h"
#include "view/board_view.h"
#include "view/presentation.h"

namespace {

struct Announcement {
  std::string text;
  int32_t appearTime = 2000;
  int32_t upDownTime = 600;
  int32_t height = 10;
  int red = 255, green = 255, blue = 255;
};

// Against the computer it speaks in the opponent's voice and colour.
Announcement AnnouncementFor(int result) {
  const bool computer = PlayerKind[kBlue] > Multiplayer;
  if (result == kYellow)
    return {
        computer ? "Du hast gewonnen ..." : "Gelb hat gewonnen ...", 2000, 600, 10, 255, 222, 0};
  if (result == kBlue) {
    if (!computer) return {"Blau hat gewonnen ...", 2000, 500, 10, 0, 0, 255};
    Announcement a{"Ich habe gewonnen ...", 2000, 300, 20, 255, 255, 255};
    switch (PlayerKind[kBlue]) {
      case Spontane:
        a.red = 0, a.green = 255, a.blue = 255;
        break;
      case Flexible:
        a.red = 0, a.green = 255, a.blue = 0;
        break;
      case Konsequente:
        a.red = 255, a.green = 0, a.blue = 0;
        break;
      default:
        a.red = 255, a.green = 128, a.blue = 255;
        break;
    }
    return a;
  }
  return {"Keiner kann mehr gewinnen!", 2000, 800, 10, 255, 255, 255};
}

// Read every frame, so a size or view switch moves the text along.
int32_t TextY(int result) {
  if (result == kYellow) return int32_t(Scale * float(740 - 30 * View2D));
  if (result == kBlue) return int32_t(Scale * 80.0f);
  return WindowHeight / 2;
}

// Perspective: the five stones brighten and fade under the light blend.
void GlowWinningStones(TSpeedControl& timing, int winner) {
  timing.UpdateStates(500, 0);
  SetAlpha(timing.GetValue(speed::kBackForth, speed::kCubicIn));
  SetBlend(kBlendLight);
  for (int i = 0; i < 5; ++i) {
    if (!OnBoard(WinRowX[i], WinRowY[i])) continue;
    SetDepthScale(float(RowY[WinRowY[i]]));
    DrawStoneAt(winner, WinRowX[i], WinRowY[i]);
  }
  SetBlend(kBlendAlpha);
  SetAlpha(1.0f);
}

// Flat: the light on each stone swings about its centre, 150 ms after the
// one before. The stones are lit from straight above and stay as they are;
// what turns is the glint added over them as light, so the five sparkle in
// a wave instead of showing highlights that point five ways.
void SwingWinningStones(TSpeedControl& timing, const PictureRef& glint) {
  if (!glint) return;
  SetBlend(kBlendLight);
  for (int i = 0; i < 5; ++i) {
    timing.UpdateStates(600, i * 150);
    SetDrawRotation(180.0f * timing.GetValue(speed::kSignedWave, speed::kQuarterSineOut));
    if (OnBoard(WinRowX[i], WinRowY[i]))
      DrawPicture(glint, float(CellX[WinRowX[i]][WinRowY[i]]), float(RowY[WinRowY[i]]), 0);
  }
  SetDrawRotation(0.0f);
  SetBlend(kBlendAlpha);
}

}  // namespace

void GameOverScreen() {
  if (GameResult == 0) return;
  Action->flush(-99999, -99999);
  const int result = GameResult;
  const Announcement announcement = AnnouncementFor(result);
  auto snake = TTextSnake::build(announcement.text, announcement.appearTime,
                                 announcement.upDownTime, announcement.height);
  // Over the wood or the felt any colour needs a halo to stand out.
  snake->Outline = 1;
  PictureRef glint = LoadPicture("incbin::media/2D-glint.png");
  if (glint) CentreHandle(glint);
  auto timing = TSpeedControl::build();
  timing->Start();

  while (GameResult != 0) {
    Action->update();
    DrawBoardPicture();
    DrawStones();
    if (GameResult == kYellow || GameResult == kBlue) {
      timing->UpdateTime();
      if (View2D)
        SwingWinningStones(*timing, glint);
      else
        GlowWinningStones(*timing, GameResult);
    }
    SetColor(announcement.red, announcement.green, announcement.blue);
    snake->draw(float(WindowWidth / 2), float(TextY(result)));
    SetColor(255, 255, 255);
    RunMenuDocks(1, 1);
    PresentFrame();
    AskQuitOnEscape();
    KeepMusicAlive();
    if (Action->Close) EndProgram();
  }
}
