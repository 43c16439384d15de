#pragma once
#include <cstdint>
int32_t InfoScreen();
