// Start-up, main loop, turn loops and the settings file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The program's entry: start-up, resume, main loop, end. Returns the exit code.
int StartGame();

// A settings file that exists but cannot be read, or holds no game the
// reader accepts, is kept as SettingsPath + ".bak"; a read-only one is
// never replaced.
void LoadSettings();
void SaveSettings();
// Hands the settings to the disk when the game or a setting changed since
// the last time; called after every move and every presented frame.
void KeepGame();
// The settings file's bytes for the state in memory, and the reverse. The
// reader keeps the start-up values for whatever is missing or invalid and
// never leaves an inconsistent game; false when the game part was not
// accepted.
std::vector<uint8_t> SettingsBytes();
bool ApplySettingsBytes(const std::vector<uint8_t>& bytes);

int32_t HumanTurn(int colour);
int32_t ComputerTurn();
int32_t ShowExternalMove(const int32_t move[2], int colour);

// Escape question and music keep-alive, shared by the interaction loops.
void AskQuitOnEscape();
void KeepMusicAlive();
