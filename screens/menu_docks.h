// The two side docks, what their entries do, and the window (re)opening.
#pragma once

#include <memory>

#include "platform/platform.h"

class TMacDockImitat_Vertikal_Left;
class TMacDockImitat_Vertikal_Right;

extern std::shared_ptr<TMacDockImitat_Vertikal_Left> LeftDock;
extern std::shared_ptr<TMacDockImitat_Vertikal_Right> RightDock;
extern FontRef GameFont;

int RunMenuDocks(int colour, int react);
void OpenGameWindow();
