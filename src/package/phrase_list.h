// The phrase list as the input method reads it: GBK phrases separated by
// "; ", compacted to the phrases of two or more characters and closed by a
// 12-byte trailer ("VORL", the byte sum of the characters read, the number of
// phrases kept; 32-bit little-endian).
#pragma once

#include <stdint.h>

const uint32_t kPhraseListTrailerSize = 12;

// Compacts the `length` bytes of `list` in place and writes the trailer
// behind the compacted text; the caller provides `length` + 12 bytes. Returns
// the compacted length without the trailer. A list that already ends in a
// trailer is left as it is and `length` - 12 is returned. Never reads a byte
// at or past `length`: a pair that would reach past the end is cut there.
uint32_t CompactPhraseList(uint8_t *list, uint32_t length);
