// The panel on which a new game's opponent is chosen.
#pragma once

#include <cstdint>
#include <memory>

class TMacDockImitat_Horizontal;

uint8_t NewGameScreen();

// The opponent dock of the panel, as the screen builds it, and where the
// screen shows it (centre x and baseline y, design pixels).
std::shared_ptr<TMacDockImitat_Horizontal> BuildNewGameDock();
int NewGameDockX();
constexpr int kNewGameDockY = 540;
