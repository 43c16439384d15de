// The help pages: a title page and five topics chosen from a dock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TMacDockImitat_Horizontal;

int32_t InfoScreen();

// The topic dock as the screen builds it, and where it shows it (centre x
// and baseline y, design pixels).
std::shared_ptr<TMacDockImitat_Horizontal> BuildInfoDock();
int InfoDockX();
constexpr int kInfoDockY = 760;

// The lines of help topic 1..5 (empty for any other number).
const std::vector<std::string>& InfoTopicLines(int topic);
