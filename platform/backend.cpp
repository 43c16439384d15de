#include "platform/backend.h"

#include "platform/headless/headless_backend.h"

namespace {
std::shared_ptr<Backend> current;
}

void SetBackend(std::shared_ptr<Backend> backend) { current = std::move(backend); }

// Without a chosen backend the services run on a silent headless one rather
// than crash; the game always installs one at start-up.
Backend& CurrentBackend() {
  if (!current) current = std::make_shared<HeadlessBackend>();
  return *current;
}

namespace platform_detail {
std::weak_ptr<Backend> CurrentBackendHandle() {
  CurrentBackend();
  return current;
}
}  // namespace platform_detail
