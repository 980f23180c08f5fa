// The draws the fleet makes from its seeded generator: a chance in a
// hundred, and one of several weighted choices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "random.h"

namespace fleet {

// True `percent` times in a hundred.
inline bool Chance(Random &random, uint32_t percent) { return random.Below(100) < percent; }

// The index of one of `weights`, each drawn in proportion to its weight.
inline size_t Weighted(Random &random, std::initializer_list<uint32_t> weights) {
  uint32_t total = 0;
  for (uint32_t weight : weights) total += weight;
  uint32_t draw = random.Below(total);
  size_t index = 0;
  for (uint32_t weight : weights) {
    if (draw < weight) return index;
    draw -= weight, ++index;
  }
  return index - 1;
}

}  // namespace fleet
