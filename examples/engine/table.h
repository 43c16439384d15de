// The transposition table of the main search, shared by its threads. An
// entry is two words: the data, and the key XORed with the data. Two
// threads storing into one slot at once can leave words of both; such a
// slot no longer matches any key and reads as empty, never as a wrong score.
//
// Entries come in buckets of four that share a cache line: a position may
// sit in any slot of its bucket, so a store replaces the least valuable of
// the four (one of an earlier move, else the shallowest) instead of the
// deep entries near the root that save the most work.
#pragma once

#include <algorithm>
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
  // 2^bits entries, at least one bucket.
  explicit TransTable(int bits)
      : mask_((size_t(1) << std::max(0, bits - 2)) - 1), buckets_(new Bucket[mask_ + 1]) {}

  // A new move: what earlier moves stored gives way first.
  void NextAge() { age_ = uint8_t(age_ + 1); }

  bool Probe(uint64_t key, TableEntry& entry) const {
    for (const Slot& slot : buckets_[key & mask_].slots) {
      uint64_t data = slot.data.load(std::memory_order_relaxed);
      if ((slot.check.load(std::memory_order_relaxed) ^ data) != key) continue;
      entry.score = int16_t(data & 0xffff);
      entry.move = int16_t(data >> 16 & 0xffff);
      entry.depth = Depth(data);
      entry.bound = int(data >> 40 & 0xff);
      return true;
    }
    return false;
  }

  void Store(uint64_t key, const TableEntry& entry) {
    uint64_t data = uint64_t(uint16_t(entry.score)) | uint64_t(uint16_t(entry.move)) << 16 |
                    uint64_t(uint8_t(entry.depth)) << 32 | uint64_t(uint8_t(entry.bound)) << 40 |
                    uint64_t(age_) << 48;
    Slot* victim = nullptr;
    int lowest = 1 << 30;
    for (Slot& slot : buckets_[key & mask_].slots) {
      uint64_t old = slot.data.load(std::memory_order_relaxed);
      if ((slot.check.load(std::memory_order_relaxed) ^ old) == key) {
        victim = &slot;
        break;
      }
      // Every move older counts as much as 16 plies less.
      int worth = Depth(old) - 16 * uint8_t(age_ - uint8_t(old >> 48));
      if (worth < lowest) lowest = worth, victim = &slot;
    }
    victim->data.store(data, std::memory_order_relaxed);
    victim->check.store(key ^ data, std::memory_order_relaxed);
  }

 private:
  static int Depth(uint64_t data) { return int8_t(data >> 32 & 0xff); }

  // Relaxed atomics cost nothing over plain words on common processors and
  // make the sharing well defined.
  struct Slot {
    std::atomic<uint64_t> check{0}, data{0};
  };
  struct alignas(64) Bucket {
    Slot slots[4];
  };
  size_t mask_;
  std::unique_ptr<Bucket[]> buckets_;
  uint8_t age_ = 1;  // empty slots read as age 0: the first to go
};

// The moves the threads are searching at the moment, by position and move.
// A thread that finds a move of a position busy searches it last: by then
// the other thread has usually stored its result, and meanwhile each works
// on different moves instead of the same ones.
class BusyMoves {
 public:
  bool Busy(uint64_t key, int move) const {
    uint64_t tag = Tag(key, move);
    return slots_[tag & kMask].load(std::memory_order_relaxed) == tag;
  }
  void Enter(uint64_t key, int move) {
    uint64_t tag = Tag(key, move);
    slots_[tag & kMask].store(tag, std::memory_order_relaxed);
  }
  void Leave(uint64_t key, int move) {
    uint64_t tag = Tag(key, move);
    slots_[tag & kMask].compare_exchange_strong(tag, 0, std::memory_order_relaxed);
  }
  // A search stopped by the clock leaves its marks behind.
  void Clear() {
    for (auto& slot : slots_) slot.store(0, std::memory_order_relaxed);
  }

 private:
  static constexpr size_t kMask = 4095;
  static uint64_t Tag(uint64_t key, int move) {
    return key ^ (uint64_t(move) + 1) * 0x9e3779b97f4a7c15ull;
  }
  std::atomic<uint64_t> slots_[kMask + 1] = {};
};

}  // namespace sample_engine
