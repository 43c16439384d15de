// Moving aside and removing whatever stands at a path (a file, a pipe, a
// link), as keeping an unusable settings file needs.
#include <unistd.h>

#include <cstdio>

#include "platform/platform.h"

bool RenamePath(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemovePath(const std::string& path) { return !path.empty() && ::unlink(path.c_str()) == 0; }
