// Compacting the phrase list.
#include <gtest/gtest.h>

#include <string>

#include "package/phrase_list.h"

namespace {

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// Runs the compaction on `list` in a buffer of its length plus the trailer;
// bytes past the list hold `beyond`, which must never be read.
std::string Compact(const std::string &list, uint32_t *kept, char beyond = '\xA1') {
  std::string buffer = list + std::string(12, beyond);
  *kept = CompactPhraseList(reinterpret_cast<uint8_t *>(&buffer[0]), static_cast<uint32_t>(list.size()));
  return buffer.substr(0, *kept + 12);
}

const std::string kAa = "\xB0\xA1", kBb = "\xB0\xA2", kCc = "\xB0\xA3", kDd = "\xB0\xA4", kEe = "\xB0\xA5";
const uint32_t kSum4 = 0xB0 * 4 + 0xA1 + 0xA2 + 0xA3 + 0xA4;

TEST(CompactPhraseList, TidyListStaysWithCountAndSum) {
  uint32_t kept;
  const std::string list = kAa + kBb + "; " + kCc + kDd + "; ";
  EXPECT_EQ(Compact(list, &kept), list + "VORL" + Le32(kSum4) + Le32(2));
  EXPECT_EQ(kept, list.size());
}

TEST(CompactPhraseList, OneCharacterPhraseLeavesItsSeparatorAndCountsInTheSum) {
  uint32_t kept;
  const std::string list = kAa + kBb + "; " + kEe + "; " + kCc + kDd + "; ";
  EXPECT_EQ(Compact(list, &kept), kAa + kBb + "; ; " + kCc + kDd + "; VORL" + Le32(kSum4 + 0xB0 + 0xA5) + Le32(2));
}

TEST(CompactPhraseList, AsciiWordsAreSkippedToTheirSeparator) {
  uint32_t kept;
  EXPECT_EQ(Compact("abc; " + kAa + kBb + "; ", &kept), "; " + kAa + kBb + "; VORL" + Le32(0xB0 * 2 + 0xA1 + 0xA2) + Le32(1));
}

TEST(CompactPhraseList, RunReachingTheEndIsDropped) {
  uint32_t kept;
  EXPECT_EQ(Compact(kAa + kBb, &kept), "VORL" + Le32(0xB0 * 2 + 0xA1 + 0xA2) + Le32(0));
}

TEST(CompactPhraseList, AlreadyCompactedListIsLeftAsItIs) {
  uint32_t kept;
  const std::string compacted = kAa + kBb + "; VORL" + Le32(1) + Le32(1);
  EXPECT_EQ(Compact(compacted, &kept), compacted);
  EXPECT_EQ(kept, compacted.size() - 12);
}

TEST(CompactPhraseList, NeverReadsOrWritesPastTheData) {
  uint32_t kept;
  // A lead byte at the very end would pair with the 0xA1 behind the data.
  EXPECT_EQ(Compact(kAa + kBb + "; \xB0", &kept), kAa + kBb + "; VORL" + Le32(0xB0 * 2 + 0xA1 + 0xA2) + Le32(1));
  // A ';' at the very end would pair with a blank behind the data.
  EXPECT_EQ(Compact(kAa + kBb + ";", &kept, ' '), ";VORL" + Le32(0xB0 * 2 + 0xA1 + 0xA2) + Le32(0));
  EXPECT_LE(kept, 5u);
}

TEST(CompactPhraseList, EmptyListGetsOnlyTheTrailer) {
  uint32_t kept;
  EXPECT_EQ(Compact("", &kept), "VORL" + Le32(0) + Le32(0));
}

}  // namespace
