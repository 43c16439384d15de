#pragma once

// Shows the end of a game until a command sets GameResult back to 0.
void GameOverScreen();
