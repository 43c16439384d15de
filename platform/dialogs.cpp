#include "platform/backend.h"
#include "platform/platform.h"

void Notify(const std::string& text) { CurrentBackend().Notify(text); }

int Confirm(const std::string& text) { return CurrentBackend().Confirm(text) ? 1 : 0; }

std::string RequestFile(const std::string& title, const std::string& filter, int save,
                        const std::string& initialPath) {
  return CurrentBackend().RequestFile(title, filter, save != 0, initialPath);
}
