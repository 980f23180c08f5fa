// The layout-id rule of the manual keyboard-layout registration: new ids above
// the largest, the language part of the code page, the numbers names spell,
// and how preload entries are compared with an id.
#include <gtest/gtest.h>

#include <string>

#include "registration/layout_id.h"
#include "registration/preload_list.h"

namespace {

struct NewIdCase {
  int codePage;
  DWORD largest;
  const char *id;
};

// Test listings name a row by this.
void PrintTo(const NewIdCase &row, std::ostream *out) { *out << row.codePage << " " << std::hex << row.largest; }

class NewLayoutId : public ::testing::TestWithParam<NewIdCase> {};

TEST_P(NewLayoutId, IsOneStepAboveTheLargestOrTheFloorWithTheLanguagePart) {
  char id[16] = "unchanged";
  ASSERT_EQ(MakeNewLayoutId(GetParam().largest, GetParam().codePage, id, sizeof id), 1);
  EXPECT_STREQ(id, GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NewLayoutId,
    ::testing::Values(NewIdCase{936, 0, "E0010804"}, NewIdCase{950, 0, "E0010404"},
                      NewIdCase{936, 0x00020409, "E0010804"}, NewIdCase{936, 0xE0000804, "E0010804"},
                      NewIdCase{936, 0xE0210409, "E0220804"}, NewIdCase{936, 0xE0200804, "E0210804"},
                      NewIdCase{950, 0xE0200804, "E0210404"}, NewIdCase{936, 0xE0000404, "E0010804"},
                      NewIdCase{936, 0xFFFE0C04, "FFFF0804"}));

TEST(NewLayoutId, IsRefusedWhenTheNextStepWouldWrapToASystemKeyboard) {
  char id[16] = "unchanged";
  EXPECT_EQ(MakeNewLayoutId(0xFFFF0000, 936, id, sizeof id), 0);
  EXPECT_EQ(MakeNewLayoutId(0xFFFFFFFF, 936, id, sizeof id), 0);
}

TEST(NewLayoutId, IsCutToASmallBuffer) {
  char id[6];
  ASSERT_EQ(MakeNewLayoutId(0, 936, id, sizeof id), 1);
  EXPECT_EQ(std::string(id).size(), 5u);
}

TEST(LanguagePart, ReplacesTheLastThreeCharactersOrAShorterIdWhole) {
  char id[16] = "E0200404";
  ReplaceLanguagePart(id, sizeof id, 936);
  EXPECT_STREQ(id, "E0200804");
  char shortId[16] = "40";
  ReplaceLanguagePart(shortId, sizeof shortId, 936);
  EXPECT_STREQ(shortId, "804");
  EXPECT_STREQ(LayoutLanguagePart(950), "404");
}

TEST(LayoutNumber, IsTheLeadingHexadecimalDigitsOfEitherCase) {
  DWORD number = 7;
  EXPECT_EQ(ReadLayoutNumber("e0210804", &number), 1);
  EXPECT_EQ(number, 0xE0210804u);
  EXPECT_EQ(ReadLayoutNumber("0000041Fx", &number), 1);
  EXPECT_EQ(number, 0x41Fu);
  number = 7;
  EXPECT_EQ(ReadLayoutNumber("Keyboard", &number), 0);
  EXPECT_EQ(ReadLayoutNumber("", &number), 0);
  EXPECT_EQ(number, 7u);
}

TEST(AgreeingCharacters, CountLettersRegardlessOfCaseUpToTheLimit) {
  EXPECT_EQ(CountAgreeingCharacters("E0200804", "e0200804", 8), 8);
  EXPECT_EQ(CountAgreeingCharacters("e0200404", "e0200804", 8), 5);
  EXPECT_EQ(CountAgreeingCharacters("e02", "e0200804", 8), 3);
  EXPECT_EQ(CountAgreeingCharacters("e0200804xyz", "e0200804", 8), 8);
  EXPECT_EQ(CountAgreeingCharacters("00000804", "e0200804", 8), 0);
}

}  // namespace
