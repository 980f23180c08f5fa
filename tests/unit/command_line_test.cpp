// The command words decide the run mode: a case-insensitive substring search.
#include <gtest/gtest.h>

#include "common/command_line.h"

namespace {

struct WordCase {
  const char *text;
  const char *word;
  int expected;
};

class ContainsCommandWordTest : public ::testing::TestWithParam<WordCase> {};

TEST_P(ContainsCommandWordTest, MatchesAsSubstringIgnoringUpperCase) {
  EXPECT_EQ(ContainsCommandWord(GetParam().text, GetParam().word), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ContainsCommandWordTest,
    ::testing::Values(WordCase{"setvosrf32", "setvosrf32", 1}, WordCase{"SETVOSRF32", "setvosrf32", 1},
                      WordCase{"SetVosRf32", "setvosrf32", 1}, WordCase{"x-setvosrf32-y", "setvosrf32", 1},
                      WordCase{"/q setvosrf32", "setvosrf32", 1}, WordCase{"setvosrf3", "setvosrf32", 0},
                      WordCase{"setvosrf 32", "setvosrf32", 0}, WordCase{"", "setvosrf32", 0},
                      WordCase{"sssetvosrf32", "setvosrf32", 1}, WordCase{"regvo32", "regvo32", 1},
                      // only the text's letters are folded, the word is taken as given
                      WordCase{"regvo32", "REGVO32", 0}));

TEST(ContainsCommandWord, NullTextIsNoMatch) { EXPECT_EQ(ContainsCommandWord(nullptr, "regvo32"), 0); }

}  // namespace
