#include "screens/menu_docks.h"

#include "engine_link/engine_link.h"
#include "game/game_state.h"
#include "persist/game_record.h"
#include "platform/strip_font.h"
#include "screens/game_over.h"
#include "screens/info_screen.h"
#include "screens/new_game.h"
#include "toolkit/TAction.h"
#include "toolkit/TMacDockImitat.h"
#include "view/board_view.h"
#include "view/presentation.h"

std::shared_ptr<TMacDockImitat_Vertikal_Left> LeftDock;
std::shared_ptr<TMacDockImitat_Vertikal_Right> RightDock;
FontRef GameFont;

namespace {

enum LeftEntry { kNewGame, kLoad, kSave, kInfo, kMusic, kQuit };
enum RightEntry { kSwitchView, kSwitchSize, kTurnBoard, kNetwork, kTakeBack, kReplay };

// A command, a modal window or another screen may leave buttons and keys
// held that the turn loop must not read as a new press. A close request is
// no held input: it stays for the loop to see.
void ForgetHeldInput() {
  if (!Action) return;
  const uint8_t close = Action->Close;
  Action->flush();
  Action->Close = close;
}

void ToggleMusic() {
  if (MusicOn == 1) {
    MusicOn = 0;
    Stop(MusicChannel);
    MusicChannel = kNoChannel;
  } else {
    MusicOn = 1;
    if (!Music) Music = LoadSoundClip("incbin::media/music.ogg");
    MusicChannel = PlayClip(Music);
  }
}

// After a new game the colour whose turn is running goes on only when it is
// the one to begin; otherwise its turn ends so the main loop hands the first
// move to the right colour.
int NewGameCommand(int colour) {
  if (NewGameScreen() != 1) return 0;
  const int beginner = BlueBegins == 1 ? kBlue : kYellow;
  return colour == beginner ? 0 : 1;
}

int RunLeftCommand(int command, int colour) {
  switch (command) {
    case kNewGame:
      LeftDock->StopAnimation();
      return NewGameCommand(colour);
    case kLoad:
      LeftDock->StopAnimation();
      if (LoadGameCommand() && GameResult != 0) GameOverScreen();
      return 0;
    case kSave:
      LeftDock->StopAnimation();
      SaveGameCommand();
      return 0;
    case kInfo:
      LeftDock->StopAnimation();
      InfoScreen();
      return 0;
    case kMusic:
      ToggleMusic();
      return 0;
    case kQuit:
      EndProgram();
  }
  return 0;
}

void SwitchSize() {
  if (SmallWindow == 0) {
    SmallWindow = 1;
    Scale = Scale / 4 * 3;
  } else {
    SmallWindow = 0;
    Scale = Scale * 4 / 3;
  }
  DepthBase = FrontRowDepth();
  OpenGameWindow();
}

int NetworkCommand(int colour) {
  if (GameResult != 0) return 0;
  RightDock->StopAnimation();
  std::string answer = SendGameState(colour);
  if (answer != "ok") {
    Notify(
        "Die Netzwerkverbindung zur Vermittlung\ndes aktuellen Spiel-Zustands scheiterte\nmit "
        "folgender Fehlermeldung:\n" +
        answer);
    return 0;
  }
  answer = AwaitExternalMove(colour);
  if (answer == "ok") return 1;
  Notify(answer);
  return 0;
}

// Between two humans a move taken back or replayed hands the turn over.
int TurnOverForTwoHumans(int changed) {
  return changed == 1 && PlayerKind[kBlue] == Multiplayer ? 1 : 0;
}

int RunRightCommand(int command, int colour) {
  switch (command) {
    case kSwitchView:
      View2D = uint8_t((View2D + 1) % 2);
      OpenGameWindow();
      return 0;
    case kSwitchSize:
      SwitchSize();
      return 0;
    case kTurnBoard:
      RotateBoard();
      return 0;
    case kNetwork:
      return NetworkCommand(colour);
    case kTakeBack:
      return TurnOverForTwoHumans(TakeBack(colour));
    case kReplay: {
      const int changed = Replay(colour);
      if (changed == 1 && GameResult > 0) GameOverScreen();
      return TurnOverForTwoHumans(changed);
    }
  }
  return 0;
}

}  // namespace

int SideDockCentreY() { return 300 + 135 * View2D; }
int RightDockEdgeX() { return 1400 - 400 * View2D; }

int RunMenuDocks(int colour, int react) {
  const int l = LeftDock ? LeftDock->show(0, SideDockCentreY()) : -1;
  const int r = RightDock ? RightDock->show(RightDockEdgeX(), SideDockCentreY()) : -1;
  if (react != 1 || (l < 0 && r < 0)) return 0;
  const int turnOver = l >= 0 ? RunLeftCommand(l, colour) : RunRightCommand(r, colour);
  // The frame's input snapshot was taken before the release that ran the
  // command; read after it (on a rebuilt window, after a dialog) it would
  // count as a fresh press.
  ForgetHeldInput();
  return turnOver;
}

void OpenGameWindow() {
  ComputeWindowSize();
  OpenWindow(WindowWidth, WindowHeight, 60);
  SetTransparentColor(255, 255, 255);
  SetBlend(kBlendAlpha);
  ComputeBoardGeometry();
  LeftDock = TMacDockImitat_Vertikal_Left::build(int(540 * Scale), 6, "incbin::media/Dock-Left.png",
                                                 120, 120);
  RightDock = TMacDockImitat_Vertikal_Right::build(int(540 * Scale), 6,
                                                   "incbin::media/Dock-Right.png", 120, 120);
  GameFont =
      LoadAutoSizedFont("incbin::media/bitmapfont.png", 46, 60, 22, kStripFontGlyphList, -2, 0);
  if (GameFont) SetTextFont(GameFont);
}

void AskQuitOnEscape() {
  if (!Action->Escape) return;
  if (Confirm(kQuitQuestion)) EndProgram();
  Action->flush(-99999, -99999);
}

// The clip is not looped: restarting it whenever it ended makes it loop.
void KeepMusicAlive() {
  if (MusicOn == 1 && Music && !Playing(MusicChannel)) MusicChannel = PlayClip(Music);
}
