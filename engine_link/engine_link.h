// The UDP exchange with the external engine.
#pragma once

#include <string>

std::string SendGameState(int colour);
std::string AwaitExternalMove(int colour);
