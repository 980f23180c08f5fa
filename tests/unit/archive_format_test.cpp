// The archive format's entry walk, name rules and digest text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/archive_format.h"

namespace {

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// Headers only: the walk never looks into the data.
std::string LongHeader(const std::string &name, uint32_t length) {
  std::string field = name;
  field.resize(16, '\0');
  return "CF" + field + std::string(34, 'D') + Le32(length);
}

std::string ShortHeader(const std::string &name, uint32_t length) {
  std::string field = name + '\0';
  field.resize(14, '\xCC');
  return "CF" + field + Le32(length);
}

struct Walked {
  std::vector<std::string> names;
  std::vector<uint32_t> lengths;
  ArchiveWalkEnd end;
};

Walked Walk(const std::string &archive) {
  Walked walked;
  ArchiveWalk walk;
  ArchiveEntry entry;
  BeginArchiveWalk(&walk, reinterpret_cast<const uint8_t *>(archive.data()), archive.size());
  while (NextArchiveEntry(&walk, &entry)) {
    char name[17];
    CopyEntryName(&entry, name, sizeof name);
    walked.names.push_back(name);
    walked.lengths.push_back(entry.compressedLength);
  }
  walked.end = walk.end;
  return walked;
}

TEST(ArchiveWalk, LongLayoutTakesNameAndLengthFromFiftySixByteHeaders) {
  Walked walked = Walk("C0" + Le32(0) + Le32(2) + LongHeader("a.ime", 3) + "xyz" + LongHeader("b.dll", 0));
  EXPECT_EQ(walked.names, (std::vector<std::string>{"a.ime", "b.dll"}));
  EXPECT_EQ(walked.lengths, (std::vector<uint32_t>{3, 0}));
  EXPECT_EQ(walked.end, kWalkComplete);
}

TEST(ArchiveWalk, AnyOtherLayoutByteMeansTwentyByteHeaders) {
  Walked walked = Walk("ZS" + Le32(0) + Le32(2) + ShortHeader("vobmp8.voh", 2) + "ab" + ShortHeader("x.bmp", 1) + "c");
  EXPECT_EQ(walked.names, (std::vector<std::string>{"vobmp8.voh", "x.bmp"}));
  EXPECT_EQ(walked.end, kWalkComplete);
}

TEST(ArchiveWalk, StopsAtTheFirstHeaderWithoutMark) {
  Walked walked = Walk("C0" + Le32(0) + Le32(2) + LongHeader("a", 0) + "XF" + LongHeader("b", 0).substr(2));
  EXPECT_EQ(walked.names, std::vector<std::string>{"a"});
  EXPECT_EQ(walked.end, kWalkNoMark);
}

TEST(ArchiveWalk, StopsBeforeAnythingPastTheEnd) {
  const std::string header = "C0" + Le32(0) + Le32(3);
  EXPECT_EQ(Walk(header + LongHeader("a", 4) + "abc").end, kWalkTruncated);
  EXPECT_EQ(Walk(header + LongHeader("a", 0xFFFFFFFF)).end, kWalkTruncated);
  EXPECT_EQ(Walk(header + LongHeader("a", 0) + LongHeader("b", 0).substr(0, 30)).names.size(), 1u);
  EXPECT_EQ(Walk(header + LongHeader("a", 0)).end, kWalkTruncated);  // counts 3, holds 1
  EXPECT_EQ(Walk("C0" + Le32(0)).end, kWalkTruncated);
}

TEST(ArchiveWalk, EmptyArchiveIsComplete) { EXPECT_EQ(Walk("C0" + Le32(10) + Le32(0)).end, kWalkComplete); }

struct NameCase {
  std::string field;
  bool safe;
};

void PrintTo(const NameCase &name, std::ostream *out) { *out << '"' << name.field << '"'; }

class EntryNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(EntryNameTest, OnlyPlainFileNamesAreSafe) {
  std::string field = GetParam().field;
  field.resize(16, '\0');
  ArchiveEntry entry = {nullptr, field.data(), 16, nullptr, nullptr, 0};
  EXPECT_EQ(EntryNameIsSafe(&entry), GetParam().safe ? 1 : 0) << GetParam().field;
}

INSTANTIATE_TEST_SUITE_P(
    Names, EntryNameTest,
    ::testing::Values(NameCase{"vorl320.ime", true}, NameCase{"\xC0\xE4\xC9\xAB\xB4\xC9\xC3\xE6.voz", true},
                      NameCase{"..a", true}, NameCase{"con1.txt", true}, NameCase{"COM0", true},
                      NameCase{"", false}, NameCase{"0123456789abcdef", false}, NameCase{"a\\b", false},
                      NameCase{"a/b", false}, NameCase{"c:x", false}, NameCase{"x:stream", false}, NameCase{".", false},
                      NameCase{"..", false}, NameCase{" ", false}, NameCase{"a.", false},
                      NameCase{"a.txt ", false}, NameCase{". .", false}, NameCase{"...", false},
                      NameCase{". a", true}, NameCase{"CON", false}, NameCase{"nul.txt", false},
                      NameCase{"Com1.dll", false}, NameCase{"lpt9", false}, NameCase{"prn .txt", false},
                      NameCase{"conout$", false}));

int NoLeadBytes(uint8_t) { return 0; }

// A name is read as the file system will read it: in GBK, 0x5C after a lead
// byte is the second half of a character (乗 is 81 5C); in a single-byte
// code page it is a folder separator.
TEST(EntryName, IsJudgedByTheLeadBytesOfTheCodePageThatReadsIt) {
  struct Row {
    const char *field;
    int gbk, singleByte;
  };
  for (const Row &row : {Row{"\x81\x5C.txt", 1, 0}, Row{"a\x81\x5C", 1, 0}, Row{"\x81\x5C\x5C", 0, 0},
                         Row{"ab\x81", 0, 1}, Row{"\x81:", 0, 0}, Row{"\x81/", 0, 0}, Row{"\xB0\xA1\\x", 0, 0}}) {
    std::string field = row.field;
    field.resize(16, '\0');
    ArchiveEntry entry = {nullptr, field.data(), 16, nullptr, nullptr, 0};
    EXPECT_EQ(EntryNameIsSafeIn(&entry, IsGbkLeadByte), row.gbk) << row.field;
    EXPECT_EQ(EntryNameIsSafeIn(&entry, NoLeadBytes), row.singleByte) << row.field;
  }
}

TEST(EntryName, WritersAcceptUpToTwelveBytes) {
  EXPECT_EQ(IsWritableEntryName("vorlcyzk.bak"), 1);
  EXPECT_EQ(IsWritableEntryName("vorlcyzk.bakx"), 0);
  EXPECT_EQ(IsWritableEntryName(""), 0);
  EXPECT_EQ(IsWritableEntryName("a\\b"), 0);
}

TEST(EntryName, ComparisonIsWholeAndCaseSensitive) {
  std::string field = "kelt1.bmp";
  field.resize(16, '\0');
  ArchiveEntry entry = {nullptr, field.data(), 16, nullptr, nullptr, 0};
  EXPECT_EQ(EntryNameIs(&entry, "kelt1.bmp"), 1);
  EXPECT_EQ(EntryNameIs(&entry, "KELT1.BMP"), 0);
  EXPECT_EQ(EntryNameIs(&entry, "kelt1"), 0);
}

TEST(EntryHeaders, ComposedHeadersFollowTheLayout) {
  uint8_t header[56];
  ComposeLongEntryHeader(header, "a.txt", "0123456789ABCDEF0123456789ABCDEF", 0x01020304);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(header), 56),
            LongHeader("a.txt", 0x01020304).replace(18, 34, std::string("0123456789ABCDEF0123456789ABCDEF") + '\0' + '\0'));
  uint8_t shortHeader[20];
  ComposeShortEntryHeader(shortHeader, "vobmp8.voh", 7);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(shortHeader), 20), ShortHeader("vobmp8.voh", 7));
  uint8_t archiveHeader[10];
  ComposeArchiveHeader(archiveHeader, '0', 66, 1);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(archiveHeader), 10), "C0" + Le32(66) + Le32(1));
}

TEST(DigestText, IsUpperCaseHexWithTwoZeroBytes) {
  const uint8_t digest[16] = {0x90, 0x01, 0x50, 0x98, 0x3C, 0xD2, 0x4F, 0xB0,
                              0xD6, 0x96, 0x3F, 0x7D, 0x28, 0xE1, 0x7F, 0x72};  // MD5 of "abc"
  char text[34];
  std::memset(text, 'x', sizeof text);
  FormatDigestText(digest, text);
  EXPECT_EQ(std::string(text, 34), std::string("900150983CD24FB0D6963F7D28E17F72") + '\0' + '\0');
}

}  // namespace
