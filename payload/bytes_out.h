// Appending little-endian integers to the bytes of a payload file.
#pragma once

#include <cstdint>
#include <vector>

#include "package/archive_format.h"

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes *out, uint32_t value) {
  out->push_back(uint8_t(value));
  out->push_back(uint8_t(value >> 8));
}

inline void Put32(Bytes *out, uint32_t value) {
  out->resize(out->size() + 4);
  WriteLe32(out->data() + out->size() - 4, value);
}
