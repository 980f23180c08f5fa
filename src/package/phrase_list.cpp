#include "package/phrase_list.h"

#include <string.h>

#include "package/archive_format.h"

static uint8_t ByteAt(const uint8_t *list, uint32_t length, uint32_t index);
static int IsSeparatorAt(const uint8_t *list, uint32_t length, uint32_t index);

// A byte past the end reads as 0: neither half of a character nor of "; ".
static uint8_t ByteAt(const uint8_t *list, uint32_t length, uint32_t index) {
  return index < length ? list[index] : 0;
}

static int IsSeparatorAt(const uint8_t *list, uint32_t length, uint32_t index) {
  return ByteAt(list, length, index) == ';' && ByteAt(list, length, index + 1) == ' ';
}

uint32_t CompactPhraseList(uint8_t *list, uint32_t length) {
  if (length >= kPhraseListTrailerSize && memcmp(list + length - kPhraseListTrailerSize, "VORL", 4) == 0)
    return length - kPhraseListTrailerSize;
  uint32_t sum = 0, count = 0, read = 0, write = 0;
  while (read < length) {
    const uint32_t start = write;
    int characters = 0;
    // A run of two-byte characters is copied as it is read; the sum counts
    // every character read, kept or not.
    while (list[read] >= 0x81 && ByteAt(list, length, read + 1) >= 0x40) {
      sum += (uint32_t)list[read] + list[read + 1];
      list[write] = list[read];
      list[write + 1] = list[read + 1];
      read += 2;
      write += 2;
      ++characters;
      if (read >= length) break;
    }
    if (characters >= 2 && IsSeparatorAt(list, length, read)) {
      ++count;
    } else {
      // Not a phrase: drop what the run wrote and skip to the next place
      // where a ';' or a blank after it starts.
      write = start;
      while (read < length && list[read] != ';' && ByteAt(list, length, read + 1) != ' ') ++read;
      if (read >= length) break;
    }
    // The two bytes at which the phrase or the skip stopped, normally "; ";
    // a pair that would reach past the end is cut there.
    const uint32_t pair = read + 1 < length ? 2 : 1;
    memmove(list + write, list + read, pair);
    read += pair;
    write += pair;
  }
  memcpy(list + write, "VORL", 4);
  WriteLe32(list + write + 4, sum);
  WriteLe32(list + write + 8, count);
  return write;
}
