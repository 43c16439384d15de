// The two side docks, what their entries do, and the window (re)opening.
#pragma once

#include <memory>

#include "platform/platform.h"

// Asked on Escape in every loop that listens for it.
constexpr const char* kQuitQuestion = "Willst du wirklich das Programm beenden?";

class TMacDockImitat_Vertikal_Left;
class TMacDockImitat_Vertikal_Right;

extern std::shared_ptr<TMacDockImitat_Vertikal_Left> LeftDock;
extern std::shared_ptr<TMacDockImitat_Vertikal_Right> RightDock;
extern FontRef GameFont;

int RunMenuDocks(int colour, int react);
void OpenGameWindow();

// Where RunMenuDocks shows the side docks, in design pixels: the vertical
// centre of both, and the right edge the right dock stands on (the left one
// stands on x = 0).
int SideDockCentreY();
int RightDockEdgeX();

// The checks every loop with the docks makes once a frame: Escape asks the
// quit question, and the music is started again when it has ended.
void AskQuitOnEscape();
void KeepMusicAlive();
