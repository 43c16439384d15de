#pragma once
#include <cstdint>
uint8_t NewGameScreen();
