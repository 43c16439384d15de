// The embedded media: the build assembles every file of media/ into the
// program with .incbin and a table of {name, bytes, size}, ending in an
// all-zero entry.
#include <map>

#include "platform/platform.h"

extern "C" {
struct KavroResource {
  const char* name;
  const uint8_t* data;
  uint64_t size;
};
extern const KavroResource kavro_resource_table[];
}

namespace {

constexpr char kEmbeddedPrefix[] = "incbin::";
// Far above any picture or music the game loads from disk.
constexpr size_t kMaxFileBytes = size_t(256) << 20;

const std::map<std::string, std::span<const uint8_t>>& Registry() {
  static const auto registry = [] {
    std::map<std::string, std::span<const uint8_t>> table;
    for (const KavroResource* entry = kavro_resource_table; entry->name; ++entry)
      table.emplace(entry->name, std::span<const uint8_t>(entry->data, size_t(entry->size)));
    return table;
  }();
  return registry;
}

}  // namespace

std::span<const uint8_t> FindResource(const std::string& name) {
  const auto& registry = Registry();
  auto found = registry.find(name);
  if (found == registry.end()) return {};
  return found->second;
}

std::vector<std::string> ResourceNames() {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : Registry()) names.push_back(name);
  return names;
}

bool ReadSourceBytes(const std::string& source, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (source.rfind(kEmbeddedPrefix, 0) == 0) {
    auto found = Registry().find(source);
    if (found == Registry().end()) return false;
    bytes.assign(found->second.begin(), found->second.end());
    return true;
  }
  return ReadRegularFile(source, kMaxFileBytes, bytes);
}
