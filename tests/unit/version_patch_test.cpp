// Rewriting the version digits behind the product description in a module's
// bytes.
#include "package/version_patch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The description in UTF-16LE followed by `tail` (ASCII, each character
// widened), inside some other bytes.
std::vector<BYTE> ModuleBytes(const std::u16string &tail, const std::string &before = "MZ\x90") {
  std::vector<BYTE> bytes(before.begin(), before.end());
  for (char16_t c : u"智能Qelvo输入平台" + tail) {
    bytes.push_back(static_cast<BYTE>(c & 0xFF));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  return bytes;
}

std::u16string TailOf(const std::vector<BYTE> &bytes, size_t characters) {
  std::u16string text;
  for (size_t i = bytes.size() - 2 * characters; i < bytes.size(); i += 2)
    text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  return text;
}

struct PatchCase {
  std::u16string tail;
  std::u16string expected;
};

class RewriteVersionDigitsTest : public ::testing::TestWithParam<PatchCase> {};

TEST_P(RewriteVersionDigitsTest, RewritesOnlySixThreeAndSixSeven) {
  std::vector<BYTE> bytes = ModuleBytes(GetParam().tail);
  RewriteVersionDigits(bytes.data(), static_cast<DWORD>(bytes.size()));
  EXPECT_EQ(TailOf(bytes, GetParam().tail.size()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, RewriteVersionDigitsTest,
                         ::testing::Values(PatchCase{u" V6.7", u" V9.3"}, PatchCase{u" V6.3 ", u" V9.3 "},
                                           PatchCase{u" x6.7 ", u" x9.3 "}, PatchCase{u" V5.0", u" V5.0"},
                                           PatchCase{u" V6.5", u" V6.5"}, PatchCase{u"-V6.7", u"-V6.7"},
                                           PatchCase{u" V6,7", u" V6,7"}));

TEST(RewriteVersionDigits, PatchesEveryOccurrence) {
  std::vector<BYTE> bytes = ModuleBytes(u" V6.7 ");
  std::vector<BYTE> second = ModuleBytes(u" V6.3 ", "");
  bytes.insert(bytes.end(), second.begin(), second.end());
  RewriteVersionDigits(bytes.data(), static_cast<DWORD>(bytes.size()));
  EXPECT_EQ(TailOf(bytes, 6), u" V9.3 ");
  std::vector<BYTE> first(bytes.begin(), bytes.begin() + bytes.size() - second.size());
  EXPECT_EQ(TailOf(first, 6), u" V9.3 ");
}

// Only the low byte of each character is compared: a high byte of 0x4E
// around the digits still matches.
TEST(RewriteVersionDigits, ComparesLowBytesOnly) {
  std::vector<BYTE> bytes = ModuleBytes(u" \x4E56\x4E36\x4E2E\x4E37");
  RewriteVersionDigits(bytes.data(), static_cast<DWORD>(bytes.size()));
  EXPECT_EQ(TailOf(bytes, 4), u"\x4E56\x4E39\x4E2E\x4E33");
}

// A description too close to the end for its digits is left alone and the
// bytes behind the end are never read (the vector is exactly that long).
TEST(RewriteVersionDigits, DescriptionAtTheEndIsLeftAlone) {
  for (const char16_t *tail : {u"", u" V6", u" V6."}) {
    std::vector<BYTE> bytes = ModuleBytes(tail);
    const std::vector<BYTE> before = bytes;
    RewriteVersionDigits(bytes.data(), static_cast<DWORD>(bytes.size()));
    EXPECT_EQ(bytes, before);
  }
}

}  // namespace
