// What every widget reads besides the platform: the interface scale, the
// one input snapshot and the 60 Hz ticker the waits run on. The game sets
// them at start-up (the scale again on a size switch).
#pragma once

#include <memory>

#include "platform/platform.h"

class TAction;

extern float Scale;                      // design pixels to window pixels
extern std::shared_ptr<TAction> Action;  // the one input snapshot, updated once a frame
extern TickerRef Ticker;
