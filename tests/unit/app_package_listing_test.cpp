// Reading an icacls listing for full access of application packages: only
// lines that begin with the entry's name count, and the letter of the last
// right decides.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "security/command_capture.h"

namespace {

struct ListingCase {
  const char *name;
  const char *listing;
  int expected;
};

class AppPackageListingTest : public ::testing::TestWithParam<ListingCase> {};

TEST_P(AppPackageListingTest, FirstFullAccessLineDecides) {
  EXPECT_EQ(ListingShowsAppPackagesFullAccess(GetParam().listing), GetParam().expected) << GetParam().listing;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AppPackageListingTest,
    ::testing::Values(
        ListingCase{"InheritedFullIndented",
                    "C:\\Progra~1\\morvak8 NT AUTHORITY\\SYSTEM:(I)(F)\n"
                    "                    APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(I)(OI)(CI)(F)\n",
                    1},
        ListingCase{"ReadExecuteOnly",
                    "C:\\Progra~1\\morvak8 NT AUTHORITY\\SYSTEM:(I)(F)\n"
                    "   APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(I)(RX)\n",
                    0},
        ListingCase{"LaterLineFull",
                    "x y:(F)\n   APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(I)(RX)\n"
                    "   APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)\n",
                    1},
        ListingCase{"GenericRightsEndInE",
                    "x y:(F)\n   APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(I)(OI)(CI)(IO)(GR,GE)\n", 0},
        ListingCase{"EntryBehindTheDirectoryNameIsNotSeen",
                    "C:\\Progra~1\\morvak8 APPLICATION PACKAGE AUTHORITY\\ALL APPLICATION PACKAGES:(OI)(CI)(F)\n", 0},
        ListingCase{"LowerCaseLetter", "\n\tAPPLICATION PACKAGE AUTHORITY\\X:(f)", 1},
        ListingCase{"CarriageReturnEndsTheLine", "x\r\n APPLICATION PACKAGE AUTHORITY\\X:(F)\r\n", 1},
        ListingCase{"PrefixIsCaseSensitive", "x\n application package authority\\x:(F)\n", 0},
        ListingCase{"BarePrefixLine", "x\nAPPLICATION PACKAGE\n", 0},
        ListingCase{"LineShorterThanThePrefix", "x\nAPPLICATION\nF)\n", 0}, ListingCase{"Empty", "", 0}),
    [](const ::testing::TestParamInfo<ListingCase> &info) { return std::string(info.param.name); });

// The line's own bytes are all the check reads: a bare prefix at the very
// start of an exactly sized buffer must not send it before the buffer.
TEST(AppPackageListing, ShortLinesAreNotReadBeforeTheirStart) {
  for (const std::string &text : {std::string("APPLICATION PACKAGE"), std::string("F)"), std::string("A")}) {
    std::vector<char> exact(text.begin(), text.end());
    exact.push_back('\0');
    EXPECT_EQ(ListingShowsAppPackagesFullAccess(exact.data()), 0) << text;
  }
}

}  // namespace
