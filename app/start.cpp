// Start-up, the splash screen, the resume of the saved game and the main loop.
#include <string>

#include "app/game.h"
#include "app/settings.h"
#include "game/game_state.h"
#include "platform/platform.h"
#include "screens/game_over.h"
#include "screens/menu_docks.h"
#include "toolkit/TAction.h"
#include "view/board_view.h"
#include "view/presentation.h"

namespace {

constexpr int kSplashMs = 1500;

struct SplashLetter {
  const char* text;
  int red, green, blue;
};
// The word in the colours of the stones, spaced from the font's own widths
// (fixed letter positions only fit the font they were made for) and
// standing in the middle of the backdrop.
constexpr SplashLetter kSplashLetters[5] = {
    {"K", 0, 0, 255}, {"a", 0, 255, 255}, {"v", 0, 255, 0}, {"r", 255, 0, 0}, {"o", 255, 0, 255},
};
constexpr float kSplashCentre = 700.0f;  // design x of the backdrop's middle
// Between one letter's last opaque column and the next one's first, in
// font pixels (the font's own spacing overlaps the rims by 2).
constexpr int kSplashLetterGap = 2;

// A glyph's opaque columns span its advance plus the 2 the font spacing takes back.
int InkWidth(const char* letter) { return MeasureTextWidth(letter) + 2; }

int ShowSplash() {
  Background = LoadPicture("incbin::media/EmptyBackground.jpg");
  SetDrawScale(Scale, Scale);
  // The backdrop is made for the wide window; the flat one shows its middle.
  DrawPicture(Background, -200.0f * Scale * float(View2D), 0, 0);
  SetDrawScale(2 * Scale, 2 * Scale);
  int inkWidth = 0;
  for (const auto& letter : kSplashLetters) inkWidth += InkWidth(letter.text) + kSplashLetterGap;
  inkWidth -= kSplashLetterGap;
  // The flat window is 400 design pixels narrower: the word moves left by half.
  float x = Scale * (kSplashCentre - 200.0f * float(View2D) - float(inkWidth));
  for (const auto& letter : kSplashLetters) {
    SetColor(letter.red, letter.green, letter.blue);
    DrawTextAt(letter.text, x, 470 * Scale);
    x += 2 * Scale * float(InkWidth(letter.text) + kSplashLetterGap);
  }
  SetColor(255, 255, 255);
  PresentFrame();
  return ClockMs();
}

void LoadMedia() {
  for (int i = 0; i < 4; ++i) {
    BoardPicture[i][0] = LoadPicture("incbin::media/3D-Board-" + std::to_string(i) + ".jpg");
    BoardPicture[i][1] = LoadPicture("incbin::media/2D-Board-" + std::to_string(i) + "-schmal.jpg");
  }
  for (int i = 0; i < 6; ++i) {
    StonePicture[i][0] = LoadPicture("incbin::media/3D-button-" + std::to_string(i) + ".png");
    StonePicture[i][1] = LoadPicture("incbin::media/2D-button-" + std::to_string(i) + ".png");
    CentreHandle(StonePicture[i][0]);
    CentreHandle(StonePicture[i][1]);
  }
  ProgressCover = LoadPicture("incbin::media/progress-cover.png");
  Music = LoadSoundClip("incbin::media/music.ogg");
  if (MusicOn == 1) MusicChannel = PlayClip(Music);
}

void EndOnCloseRequest() {
  if (CloseRequested()) EndProgram();
}

void YellowTurn() {
  if (HumanTurn(kYellow) != 1) EndProgram();
}

// Between two humans a take back from the game-over display removes only the
// last move, so the game goes on with the colour that made it; the plain
// alternation of the main loop would hand the move to the other one.
bool TwoHumansGoOn() { return PlayerKind[kBlue] == Multiplayer && MoveCount > 0; }

// The display after a result on yellow's move; then blue begins next.
void YellowEndedTheGame() {
  GameOverScreen();
  const bool yellowAgain = TwoHumansGoOn() && !BlueToMove();
  BlueBegins = 1;
  if (yellowAgain) SkipBlueTurn = 1;
}

// The display after a result on blue's move; true when blue is to move again.
bool BlueEndedTheGame() {
  GameOverScreen();
  const bool blueAgain = TwoHumansGoOn() && BlueToMove();
  BlueBegins = 0;
  return blueAgain;
}

// Blue's move and its result check; true when blue is to move once more.
bool BlueMoves() {
  if (PlayerKind[kBlue] > Multiplayer) {
    while (ComputerTurn() != 1) EndOnCloseRequest();
  } else if (HumanTurn(kBlue) != 1) {
    EndProgram();
  }
  KeepGame();
  GameResult = CheckGameResult();
  return GameResult > 0 && BlueEndedTheGame();
}

// Set when blue's turn passed without a stone while it stayed blue's move (a
// computer that finds no square): yellow then goes on, as it always did,
// rather than nobody.
bool blueCannotMove = false;

// Whose move it is comes from the stones on the board, not from the order of
// the steps: a loaded game, a take back or a new game may leave either
// colour to move, and a colour that moved twice would give a game the
// reader rejects at the next start.
void StepA() {
  if (BlueToMove() && !blueCannotMove) return;
  YellowTurn();
  KeepGame();
  GameResult = CheckGameResult();
  if (GameResult > 0) YellowEndedTheGame();
}

void BlueTurn() {
  const int32_t before = MoveCount;
  while (BlueMoves()) {
  }
  blueCannotMove = MoveCount == before && GameResult == 0 && BlueToMove();
}

void StepB() {
  blueCannotMove = false;
  if (BlueToMove()) BlueTurn();
  EndOnCloseRequest();
}

// A loaded five shows its game-over display at once; an unfinished game goes
// on with the colour whose move it is. A position nobody can win any more is
// shown as finished only after the next move.
void ResumeSavedGame() {
  GameResult = CheckGameResult();
  if (GameResult == kYellow) {
    YellowEndedTheGame();
    StepB();
  } else if (GameResult == kBlue) {
    if (BlueEndedTheGame()) BlueTurn();
  } else if (BlueToMove()) {
    BlueTurn();
  }
  EndOnCloseRequest();
}

void RunGame() {
  InstallSignalHandlers();
  ResetGameStateGlobals();
  ResetPresentationGlobals();
  blueCannotMove = false;
  Action = TAction::build();
  Ticker = CreateTicker(60);
  SeedRandomAtStart();
  const std::string home = HomeDirectory();
  SettingsPath = home + "/.Kavro.ini";
  AtProgramEnd(SaveSettings);
  Scale = ScaleForDesktop(ScreenWidth(), ScreenHeight());
  GameFolder = home;
  LoadSettings();
  // A signal while the settings were read ends the program before a window opens.
  EndOnCloseRequest();
  if (SmallWindow == 1) Scale = Scale / 4 * 3;
  ComputeWindowSize();
  SetWindowTitle("Kavro");
  OpenGameWindow();
  const int splashStart = ShowSplash();
  LoadMedia();
  DepthBase = FrontRowDepth();
  while (ClockMs() - splashStart < kSplashMs) {
    WaitTick(Ticker);
    EndOnCloseRequest();
  }
  // From here on every change of the game reaches the disk within a frame.
  AfterEveryFrame(KeepGame);
  ResumeSavedGame();
  while (true) {
    StepA();
    StepB();
  }
}

}  // namespace

int StartGame() {
  int code = 0;
  try {
    RunGame();
  } catch (const ProgramExit& exit) {
    code = exit.code;
  }
  AfterEveryFrame(nullptr);
  RunProgramEndHandlers();
  return code;
}
