// The transposition table of the main search, shared by its threads. An
// entry is two words: the data, and the key XORed with the data. Two
// threads storing into one slot at once can leave words of both; such a
// slot no longer matches any key and reads as empty, never as a wrong score.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace sample_engine {

struct TableEntry {
  int score = 0;
  int move = -1;
  int depth = 0;
  int bound = 0;  // 1 upper, 2 lower, 3 exact
};

class TransTable {
 public:
  explicit TransTable(int bits)
      : mask_((size_t(1) << bits) - 1), slots_(new Slot[size_t(1) << bits]) {}

  bool Probe(uint64_t key, TableEntry& entry) const {
    const Slot& slot = slots_[key & mask_];
    uint64_t data = slot.data.load(std::memory_order_relaxed);
    if ((slot.check.load(std::memory_order_relaxed) ^ data) != key) return false;
    entry.score = int16_t(data & 0xffff);
    entry.move = int16_t(data >> 16 & 0xffff);
    entry.depth = int8_t(data >> 32 & 0xff);
    entry.bound = int(data >> 40 & 0xff);
    return true;
  }

  void Store(uint64_t key, const TableEntry& entry) {
    uint64_t data = uint64_t(uint16_t(entry.score)) | uint64_t(uint16_t(entry.move)) << 16 |
                    uint64_t(uint8_t(entry.depth)) << 32 | uint64_t(uint8_t(entry.bound)) << 40;
    Slot& slot = slots_[key & mask_];
    slot.data.store(data, std::memory_order_relaxed);
    slot.check.store(key ^ data, std::memory_order_relaxed);
  }

 private:
  // Relaxed atomics cost nothing over plain words on common processors and
  // make the sharing well defined.
  struct Slot {
    std::atomic<uint64_t> check{0}, data{0};
  };
  size_t mask_;
  std::unique_ptr<Slot[]> slots_;
};

}  // namespace sample_engine
