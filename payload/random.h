// The demo payload's only source of variety: a small deterministic generator
// (splitmix64), seeded from each file's name, so every build writes the same
// bytes on every machine.
#pragma once

#include <cstdint>
#include <string>

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  explicit Random(const std::string &name) : state_(SeedOf(name)) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number from 0 to bound - 1.
  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }
  // A number from 0 to bound - 1, small ones far more often (frequencies fall
  // off like those of characters and words in text).
  uint32_t Skewed(uint32_t bound) {
    uint64_t a = Below(bound), b = Below(bound), c = Below(bound);
    uint64_t smallest = a < b ? a : b;
    return static_cast<uint32_t>((smallest < c ? smallest : c) * smallest / (bound ? bound : 1));
  }
  uint8_t Byte() { return static_cast<uint8_t>(Next()); }

 private:
  static uint64_t SeedOf(const std::string &name) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
    return hash;
  }
  uint64_t state_;
};
