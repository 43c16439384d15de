#include "toolkit/ui_state.h"

#include "toolkit/TAction.h"

float Scale = 1.0f;
std::shared_ptr<TAction> Action;
TickerRef Ticker;
