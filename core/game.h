// Start-up, main loop, turn loops and the settings file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The program's entry: start-up, resume, main loop, end. Returns the exit code.
int StartGame();

void LoadSettings();
void SaveSettings();
// The settings file's bytes for the state in memory, and the reverse. The
// reader keeps the start-up values for whatever is missing or invalid and
// never leaves an inconsistent game.
std::vector<uint8_t> SettingsBytes();
void ApplySettingsBytes(const std::vector<uint8_t>& bytes);

int32_t HumanTurn(int colour);
int32_t ComputerTurn();
int32_t ShowExternalMove(const int32_t move[2], int colour);

// Escape question and music keep-alive, shared by the interaction loops.
void AskQuitOnEscape();
void KeepMusicAlive();
