// Command lines that start the program they name: quoted program paths when
// they hold a blank, and nothing at all when the command would be cut.
#include "common/safe_command.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CommandCase {
  const char *program;
  const char *arguments;
  const char *expected;
};

class FormatProgramCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(FormatProgramCommandTest, QuotesPathsWithBlanksAndKeepsArguments) {
  char out[128];
  EXPECT_EQ(FormatProgramCommand(out, sizeof out, GetParam().program, GetParam().arguments), 1);
  EXPECT_STREQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatProgramCommandTest,
    ::testing::Values(CommandCase{"C:\\Program Files\\morvak8\\vorlkelt.exe", "vo",
                                  "\"C:\\Program Files\\morvak8\\vorlkelt.exe\" vo"},
                      CommandCase{
                          "C:\\Windows\\system32\\icacls.exe", "c:\\Progra~1\\morvak8 /SetIntegrityLevel Level: L",
                          "C:\\Windows\\system32\\icacls.exe c:\\Progra~1\\morvak8 /SetIntegrityLevel Level: L"},
                      CommandCase{"C:\\Windows\\system32\\icacls.exe", "\"c:\\Progra~1\\morvak8\" /X",
                                  "C:\\Windows\\system32\\icacls.exe \"c:\\Progra~1\\morvak8\" /X"},
                      CommandCase{"C:\\a b\\x.exe", "", "\"C:\\a b\\x.exe\""}, CommandCase{"x.exe", "", "x.exe"}));

TEST(FormatProgramCommand, ACommandThatDoesNotFitIsNotCut) {
  char out[16] = "stale";
  EXPECT_EQ(FormatProgramCommand(out, sizeof out, "C:\\a b\\x.exe", "vo"), 0);  // 17 characters with the quotes
  EXPECT_STREQ(out, "");
  EXPECT_EQ(FormatProgramCommand(out, sizeof out, "C:\\abcdef\\xy.exe", ""), 0);  // 16: no room for the terminator
  EXPECT_EQ(FormatProgramCommand(out, sizeof out, "C:\\ab\\x.exe", "v"), 1);      // 13 characters and the terminator
  EXPECT_STREQ(out, "C:\\ab\\x.exe v");
}

}  // namespace
