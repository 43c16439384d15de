// The help pages: a title page and five topics chosen from a dock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

int32_t InfoScreen();

// The lines of help topic 1..5 (empty for any other number).
const std::vector<std::string>& InfoTopicLines(int topic);
