// The settings file: the folder line, window size, view and music flags,
// then the game record of the running game.
#pragma once

#include <cstdint>
#include <vector>

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
