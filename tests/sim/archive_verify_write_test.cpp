// Checking installed files against an archive, adding files to an archive
// file, and the file digest, on a simulated machine.
#include <cstring>
#include <string>

#include "archive_fixtures.h"
#include "common/plain_files.h"
#include "package/archive_reader.h"
#include "package/working_buffer.h"
#include "package/archive_verifier.h"
#include "package/archive_writer.h"
#include "package/md5_digest.h"
#include "simmachine/code_page.h"

namespace {

using namespace archive_fixtures;

const char kClosingSentence[] = u8"有文件没有成功解压，请重新下载安装！\r\n";

class VerifyArchiveTest : public ArchiveMachineTest {
 protected:
  int Verify(const std::string &archive, const char *exemptList) {
    int passed = VerifyArchive(BytesOf(archive), static_cast<DWORD>(archive.size()), failure_, sizeof failure_,
                               exemptList);
    failureUtf8_ = sim::CodePageToUtf8(936, failure_);
    return passed;
  }
  char failure_[4096];
  std::string failureUtf8_;
};

TEST_F(VerifyArchiveTest, InstalledFilesPassAndTheTextStaysEmpty) {
  Install("a.txt", "alpha");
  Install("b.txt", "beta");
  std::strcpy(failure_, "stale");
  EXPECT_EQ(Verify(LongArchive({{"a.txt", "alpha"}, {"b.txt", "beta"}}), ""), 2);
  EXPECT_STREQ(failure_, "");
}

TEST_F(VerifyArchiveTest, ChangedAndMissingFilesAreListedWithTheClosingSentence) {
  Install("a.txt", "changed");
  Install("c.txt", "c");
  EXPECT_EQ(Verify(LongArchive({{"a.txt", "alpha"}, {"gone.txt", "g"}, {"c.txt", "c"}}), ""), 1);
  EXPECT_EQ(failureUtf8_, std::string("a.txt....gone.txt....") + kClosingSentence);
}

TEST_F(VerifyArchiveTest, ExemptNamesPassEvenAsSubstrings) {
  Install("vorl320.ime", "patched");
  Install("rl320.ime", "changed");
  EXPECT_EQ(Verify(LongArchive({{"vorl320.ime", "original"}, {"rl320.ime", "other"}}), "VORL320.IME setupw64.exe"), 2);
  EXPECT_STREQ(failure_, "");
}

TEST_F(VerifyArchiveTest, ShortLayoutComparesLengthWithTheStoredData) {
  const std::string entry = ShortEntry("vobmpsx1.bmp", std::string(4000, 'p'));
  const size_t stored = entry.size() - 20;
  Install("vobmpsx1.bmp", std::string(stored, 'z'));
  Install("vobmp8.voh", std::string(1, 'z'));
  EXPECT_EQ(Verify(Archive("C1", 2, {entry, ShortEntry("vobmp8.voh", std::string(100, 'q'))}), "vobmp8.voh"), 1);
  EXPECT_EQ(failureUtf8_, std::string("vobmp8.voh....") + kClosingSentence);
}

TEST_F(VerifyArchiveTest, UnsafeNameFailsWithoutReadingOutside) {
  machine_->files.WriteFile("C:\\Program Files\\secret.txt", "secret");
  EXPECT_EQ(Verify(Archive("C0", 1, {LongEntry("..\\secret.txt", "secret")}), ""), 0);
  EXPECT_EQ(failureUtf8_, std::string("..\\secret.txt....") + kClosingSentence);
}

TEST_F(VerifyArchiveTest, EntriesNeverReachedCountAsFailed) {
  Install("a.txt", "alpha");
  EXPECT_EQ(Verify(Archive("C0", 3, {LongEntry("a.txt", "alpha")}), ""), 1);
  EXPECT_EQ(failureUtf8_, kClosingSentence);
}

class AppendToArchiveTest : public ArchiveMachineTest {
 protected:
  std::string ArchiveBytes() {
    std::string bytes;
    machine_->files.ReadFile(kArchive, &bytes);
    return bytes;
  }
  int Append(const std::string &name) { return AppendPath((kInstallDir + name).c_str()); }
  // The append through a handle on the archive file, made when missing.
  int AppendPath(const char *file) {
    HANDLE archive = OpenPlainFile(kArchive.c_str(), GENERIC_READ | GENERIC_WRITE, nullptr);
    if (archive == INVALID_HANDLE_VALUE) archive = CreatePlainFile(kArchive.c_str());
    const int added = AppendToArchive(archive, file);
    CloseHandle(archive);
    return added;
  }

  const std::string kArchive = kInstallDir + "vorlback.voz";
};

TEST_F(AppendToArchiveTest, BuildsALongArchiveThatExtractsBack) {
  const std::string files[3][2] = {{"one.voh", "1111"}, {"two.txt", std::string(20000, 't')}, {"three.bak", "3"}};
  for (const auto &file : files) Install(file[0], file[1]);
  for (const auto &file : files) EXPECT_EQ(Append(file[0]), 1);
  const std::string archive = ArchiveBytes();
  uint32_t total = 10;
  for (const auto &file : files) total += 56 + static_cast<uint32_t>(Compress(file[1]).size());
  EXPECT_EQ(archive.substr(0, 10), "C0" + Le32(total) + Le32(3));
  EXPECT_EQ(archive.size(), total);
  EXPECT_EQ(archive.substr(10, 56), LongEntry("one.voh", "1111").substr(0, 56));
  for (const auto &file : files) machine_->files.WriteFile(kInstallDir + file[0], "overwritten");
  EXPECT_EQ(
      ExtractArchive(BytesOf(archive), total, WorkingBufferRegion(kUnpackScratch).bytes, kUnpackScratch.size, nullptr),
      1);
  for (const auto &file : files) EXPECT_EQ(InstalledFile(file[0]), file[1]);
}

TEST_F(AppendToArchiveTest, RefusedNamesLeaveTheArchiveUnchanged) {
  Install("dup.txt", "d");
  Install("thirteen.char", "t");
  ASSERT_EQ(Append("dup.txt"), 1);
  const std::string before = ArchiveBytes();
  EXPECT_EQ(Append("dup.txt"), 0);
  EXPECT_EQ(Append("thirteen.char"), 0);
  EXPECT_EQ(AppendPath(""), 0);
  EXPECT_EQ(AppendPath((kInstallDir + "folder\\").c_str()), 0);
  EXPECT_EQ(AppendPath("C:dup.txt"), 0);
  EXPECT_EQ(ArchiveBytes(), before);
}

TEST_F(AppendToArchiveTest, MissingFileLeavesANewArchiveWithItsEmptyHeader) {
  EXPECT_EQ(Append("missing.txt"), 0);
  EXPECT_EQ(ArchiveBytes(), "C0" + Le32(10) + Le32(0));
}

// A file that does not compress needs more room than its own length, and a
// file behind a link or with a second name is not read: it may be one the
// user could not read himself.
TEST_F(AppendToArchiveTest, IncompressibleFilesGoInLinkedOnesDoNot) {
  std::string noise(20000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
  Install("noise.dat", noise);
  EXPECT_EQ(Append("noise.dat"), 1);
  machine_->files.WriteFile("C:\\Windows\\secret.txt", "admin only");
  machine_->files.SetLink(kInstallDir + "link.txt", "C:\\Windows\\secret.txt", false);
  machine_->files.SetHardLink(kInstallDir + "hard.txt", "C:\\Windows\\secret.txt");
  EXPECT_EQ(Append("link.txt"), 0);
  EXPECT_EQ(Append("hard.txt"), 0);
  const std::string archive = ArchiveBytes();
  EXPECT_EQ(ExtractArchive(BytesOf(archive), static_cast<DWORD>(archive.size()),
                           WorkingBufferRegion(kUnpackScratch).bytes, kUnpackScratch.size, nullptr),
            1);
  EXPECT_EQ(InstalledFile("noise.dat"), noise);
}

TEST_F(AppendToArchiveTest, EmptyFileIsAddedButDoesNotExtract) {
  Install("empty.txt", "");
  EXPECT_EQ(Append("empty.txt"), 1);
  const std::string archive = ArchiveBytes();
  EXPECT_EQ(archive.substr(62, 4), Le32(static_cast<uint32_t>(Compress("").size())));
  EXPECT_EQ(ExtractArchive(BytesOf(archive), static_cast<DWORD>(archive.size()),
                           WorkingBufferRegion(kUnpackScratch).bytes, kUnpackScratch.size, nullptr),
            0);
}

struct CorruptArchive {
  const char *label;
  std::string bytes;
};

void PrintTo(const CorruptArchive &archive, std::ostream *out) { *out << archive.label; }

class AppendToCorruptArchiveTest : public AppendToArchiveTest, public ::testing::WithParamInterface<CorruptArchive> {};

TEST_P(AppendToCorruptArchiveTest, RefusesAndLeavesItAsItWas) {
  machine_->files.WriteFile(kArchive, GetParam().bytes);
  Install("new.txt", "n");
  EXPECT_EQ(Append("new.txt"), 0);
  EXPECT_EQ(ArchiveBytes(), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Archives, AppendToCorruptArchiveTest,
    ::testing::Values(CorruptArchive{"ShorterThanHeader", "C0\x01"},
                      CorruptArchive{"ShortLayout", Archive("C1", 1, {ShortEntry("a.bmp", "a")})},
                      CorruptArchive{"CountBeyondEntries", Archive("C0", 2, {LongEntry("a.txt", "a")})},
                      CorruptArchive{"LengthPastEnd", Archive("C0", 1, {LongEntry("a.txt", "a").substr(0, 60)})},
                      CorruptArchive{"NoMark", Archive("C0", 1, {"XX" + LongEntry("a.txt", "a").substr(2)})}),
    [](const ::testing::TestParamInfo<CorruptArchive> &info) { return std::string(info.param.label); });

TEST_F(AppendToArchiveTest, FailedWriteKeepsTheCount) {
  Install("a.txt", "a");
  Install("b.txt", std::string(5000, 'b'));
  ASSERT_EQ(Append("a.txt"), 1);
  const std::string header = ArchiveBytes().substr(0, 10);
  machine_->files.SetShortWrite(kArchive, 30);
  EXPECT_EQ(Append("b.txt"), 0);
  EXPECT_EQ(ArchiveBytes().substr(0, 10), header);
}

TEST_F(ArchiveMachineTest, FileMd5HexGivesLengthAndDigestOrNothing) {
  Install("a.txt", "alpha");
  char digest[34];
  EXPECT_EQ(FileMd5Hex((kInstallDir + "a.txt").c_str(), digest), 5u);
  EXPECT_EQ(std::string(digest), Md5Text("alpha"));
  EXPECT_EQ(FileMd5Hex((kInstallDir + "none.txt").c_str(), digest), 0u);
  EXPECT_EQ(std::string(digest, 34), std::string(34, '\0'));
}

}  // namespace
