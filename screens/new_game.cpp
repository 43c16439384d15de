#include "screens/new_game.h"

#include "game/game_state.h"
#include "screens/menu_docks.h"
#include "toolkit/TAction.h"
#include "toolkit/TMacDockImitat.h"
#include "view/presentation.h"

namespace {

void DrawPanel(const PictureRef& panel) {
  SetAlpha(1.0f);
  SetDrawScale(Scale, Scale);
  DrawPicture(BoardPicture[Rotation][View2D], 0, 0, 0);
  DrawPicture(panel, float(WindowWidth / 2), 400 * Scale, 0);
  // Both lines centred on the panel from the font's own widths (opaque
  // columns: the advances plus the 2 the last glyph takes back).
  const std::string title = "Neues Spiel starten!", prompt = "Gegner wählen:";
  const float centre = float(700 - 200 * View2D);
  SetColor(255, 222, 0);
  DrawTextAt(title, (centre - 0.5f * float(MeasureTextWidth(title) + 2)) * Scale, 280 * Scale);
  SetColor(255, 255, 255);
  DrawTextAt(prompt, (centre - 0.5f * float(MeasureTextWidth(prompt) + 2)) * Scale, 380 * Scale);
}

}  // namespace

std::shared_ptr<TMacDockImitat_Horizontal> BuildNewGameDock() {
  return TMacDockImitat_Horizontal::build(400, 5, "incbin::media/NewGameDock.png", 120, 150,
                                          "incbin::media/NewGameDockTitles.png");
}

int NewGameDockX() { return 700 - 200 * View2D; }

uint8_t NewGameScreen() {
  if (GameResult == 0 && MoveCount > 0 &&
      Confirm("Willst du wirklich das aktuelle Spiel abbrechen?") != 1)
    return 0;

  PictureRef panel = LoadPicture("incbin::media/NewGameBackground.png");
  if (panel) CentreHandle(panel);
  auto dock = BuildNewGameDock();
  Action->flush();
  ResetForNewGame();

  int choice = 0;
  for (;;) {
    Action->update();
    DrawPanel(panel);
    RunMenuDocks(1, 0);
    choice = dock->show(NewGameDockX(), kNewGameDockY) + 1;
    PresentFrame();
    if (Action->Escape == 1) {
      choice = -1;
      // Leaving while Escape is still held would let the board screen take
      // it for the quit question.
      while (Action->Escape == 1) Action->wait();
      break;
    }
    KeepMusicAlive();
    if (choice > 0 || Action->Close == 1) break;
  }

  SetDrawScale(Scale, Scale);
  SetAlpha(1.0f);
  if (choice > 0) PlayerKind[kBlue] = choice;
  Action->flush();
  return 1;
}
