// Unpacking archives into the installation directory, and looking up one
// package entry, on a simulated machine.
#include <string>
#include <vector>

#include "archive_fixtures.h"
#include "package/archive_reader.h"
#include "package/working_buffer.h"

namespace {

using namespace archive_fixtures;

const char kFailureText[] = u8"没有成功解压复制%s文件！请重新下载安装。";

std::string FailureFor(const std::string &name) {
  std::string text = kFailureText;
  return text.replace(text.find("%s"), 2, name);
}

class ExtractArchiveTest : public ArchiveMachineTest {
 protected:
  int Extract(const std::string &archive) {
    return ExtractArchive(BytesOf(archive), static_cast<DWORD>(archive.size()),
                          WorkingBufferRegion(kUnpackScratch).bytes, kUnpackScratch.size, nullptr);
  }
  // Every file on the machine: no entry may write outside its target.
  size_t FilesAround() { return machine_->files.ListAllFiles().size(); }
};

TEST_F(ExtractArchiveTest, WritesEveryEntryAndCountsProgress) {
  progress.step = 5;
  EXPECT_EQ(Extract(LongArchive({{"a.txt", "alpha"}, {"b.dat", std::string(5000, 'b')}})), 1);
  EXPECT_EQ(InstalledFile("a.txt"), "alpha");
  EXPECT_EQ(InstalledFile("b.dat"), std::string(5000, 'b'));
  EXPECT_EQ(progress.step, 7);
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(ExtractArchiveTest, EmptyArchiveSucceedsWithoutWriting) {
  const size_t before = FilesAround();
  EXPECT_EQ(Extract(Archive("C0", 0, {})), 1);
  EXPECT_EQ(FilesAround(), before);
}

TEST_F(ExtractArchiveTest, ShortLayoutReadsTwentyByteHeadersWhateverTheFirstByte) {
  EXPECT_EQ(Extract(Archive("x1", 2, {ShortEntry("vobmp8.voh", "record"), ShortEntry("vobmpsx1.bmp", "BM..")})), 1);
  EXPECT_EQ(InstalledFile("vobmp8.voh"), "record");
  EXPECT_EQ(InstalledFile("vobmpsx1.bmp"), "BM..");
}

TEST_F(ExtractArchiveTest, FailedEntryShowsItsNameAndLeavesTheOldFile) {
  const std::string lowerCase = Md5Text("new");
  std::string digest = lowerCase;
  for (char &c : digest) c = static_cast<char>(std::tolower(c));
  const std::string garbage = "not a zlib stream";
  Install("lower.txt", "old");
  const std::string archive = Archive("C0", 4,
                                      {LongEntry("lower.txt", "new", &digest), LongEntry("bad.txt", "", nullptr, &garbage),
                                       LongEntry("empty.txt", ""), LongEntry("good.txt", "fine")});
  EXPECT_EQ(Extract(archive), 0);
  EXPECT_EQ(InstalledFile("lower.txt"), "old");
  EXPECT_FALSE(Installed("bad.txt"));
  EXPECT_FALSE(Installed("empty.txt"));
  EXPECT_EQ(InstalledFile("good.txt"), "fine");
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{FailureFor("lower.txt"), FailureFor("bad.txt"),
                                                      FailureFor("empty.txt")}));
  EXPECT_EQ(machine_->events.OfKind("messagebox")[0].Field("caption"), u8"智能Qelvo安装");
  EXPECT_EQ(progress.step, 4);
}

struct UnsafeName {
  const char *label;
  std::string field;  // the raw 16-byte name field
  std::string shown;  // the name in the message
};

void PrintTo(const UnsafeName &name, std::ostream *out) { *out << name.label; }

class UnsafeEntryNameTest : public ExtractArchiveTest, public ::testing::WithParamInterface<UnsafeName> {};

TEST_P(UnsafeEntryNameTest, FailsWithoutTouchingAnyFile) {
  Install("keep.txt", "kept");
  const size_t before = FilesAround();
  const std::string archive = Archive("C0", 2, {LongEntry(GetParam().field, "payload"), LongEntry("ok.txt", "ok")});
  EXPECT_EQ(Extract(archive), 0);
  EXPECT_EQ(FilesAround(), before + 1);
  EXPECT_EQ(InstalledFile("ok.txt"), "ok");
  EXPECT_EQ(InstalledFile("keep.txt"), "kept");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{FailureFor(GetParam().shown)});
}

INSTANTIATE_TEST_SUITE_P(
    Names, UnsafeEntryNameTest,
    ::testing::Values(UnsafeName{"Empty", "", ""}, UnsafeName{"Unterminated", "keep.txtkeep.txt", "keep.txtkeep.txt"},
                      UnsafeName{"ParentFolder", "..\\keep.txt", "..\\keep.txt"},
                      UnsafeName{"Slash", "../keep.txt", "../keep.txt"},
                      UnsafeName{"DriveOrStream", "C:keep.txt", "C:keep.txt"}, UnsafeName{"Dot", ".", "."},
                      UnsafeName{"DotDot", "..", ".."}, UnsafeName{"Device", "com1.txt", "com1.txt"}),
    [](const ::testing::TestParamInfo<UnsafeName> &info) { return std::string(info.param.label); });

TEST_F(ExtractArchiveTest, WalkEndsSilentlyAtMissingMarkOrTruncatedData) {
  std::string truncated = LongArchive({{"one.txt", "1"}, {"two.txt", std::string(300, '2')}});
  truncated.resize(truncated.size() - 5);
  EXPECT_EQ(Extract(truncated), 0);
  EXPECT_EQ(InstalledFile("one.txt"), "1");
  EXPECT_FALSE(Installed("two.txt"));

  std::string noMark = Archive("C0", 2, {LongEntry("three.txt", "3"), "XF" + LongEntry("four.txt", "4").substr(2)});
  EXPECT_EQ(Extract(noMark), 0);
  EXPECT_FALSE(Installed("four.txt"));

  EXPECT_EQ(Extract(Archive("C0", 1000, {LongEntry("five.txt", "5")})), 0);
  EXPECT_EQ(InstalledFile("five.txt"), "5");
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(progress.step, 3);
}

// 乗 is 81 5C in GBK: on code page 936 the file system reads one character;
// on a single-byte code page it would read a folder separator.
TEST_F(ExtractArchiveTest, GbkNameIsJudgedByTheMachinesCodePage) {
  const std::string name = "\x81\x5C.txt";
  const std::string archive = LongArchive({{name, "kept"}});
  EXPECT_EQ(Extract(archive), 1);
  EXPECT_EQ(InstalledFile(u8"乗.txt"), "kept");
  machine_->profile.ansiCodePage = 1252;
  const size_t before = FilesAround();
  EXPECT_EQ(Extract(archive), 0);
  EXPECT_EQ(FilesAround(), before);
  EXPECT_EQ(MessageTexts().size(), 1u);
}

TEST_F(ExtractArchiveTest, ContentBeyondTheScratchAreaFails) {
  const DWORD scratchSize = 4096;
  const std::string archive = LongArchive(
      {{"fits.bin", std::string(scratchSize - 144, 'f')}, {"big.bin", std::string(scratchSize - 143, 'b')}});
  EXPECT_EQ(ExtractArchive(BytesOf(archive), static_cast<DWORD>(archive.size()),
                           WorkingBufferRegion(kSkinUnpackScratch).bytes, scratchSize, nullptr),
            0);
  EXPECT_TRUE(Installed("fits.bin"));
  EXPECT_FALSE(Installed("big.bin"));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{FailureFor("big.bin")});
}

TEST_F(ExtractArchiveTest, NothingHappensWithoutArchiveOrScratch) {
  const std::string archive = LongArchive({{"a.txt", "a"}});
  EXPECT_EQ(ExtractArchive(nullptr, 0, WorkingBufferRegion(kUnpackScratch).bytes, kUnpackScratch.size, nullptr), 0);
  EXPECT_EQ(ExtractArchive(BytesOf(archive), static_cast<DWORD>(archive.size()), nullptr, kUnpackScratch.size, nullptr),
            0);
  EXPECT_FALSE(Installed("a.txt"));
  EXPECT_EQ(progress.step, 0);
}

TEST_F(ExtractArchiveTest, FileInUseIsMovedAsideAndReplaced) {
  Install("morvak4.ime", "running");
  Install("morvak2.ime", "older aside copy");
  machine_->files.SetInUse(kInstallDir + "morvak4.ime", sim::InUse::LoadedModule);
  EXPECT_EQ(Extract(LongArchive({{"morvak4.ime", "new module"}})), 1);
  EXPECT_EQ(InstalledFile("morvak4.ime"), "new module");
  EXPECT_EQ(InstalledFile("morvak2.ime"), "running");
}

TEST_F(ExtractArchiveTest, SecondAsideNameWhenTheFirstIsHeld) {
  Install("morvak4.ime", "running");
  Install("morvak2.ime", "held too");
  machine_->files.SetInUse(kInstallDir + "morvak4.ime", sim::InUse::LoadedModule);
  machine_->files.SetInUse(kInstallDir + "morvak2.ime", sim::InUse::OpenNoShareDelete);
  EXPECT_EQ(Extract(LongArchive({{"morvak4.ime", "new module"}})), 1);
  EXPECT_EQ(InstalledFile("morvak4.ime"), "new module");
  EXPECT_EQ(InstalledFile("morvak2.ime"), "held too");
  EXPECT_EQ(InstalledFile("morvak1.ime"), "running");
}

// A file is written whole under a name of its own ("big.da~") before it
// takes its name: a disk that fills up on the way leaves the earlier file.
TEST_F(ExtractArchiveTest, ShortWriteFailsAndLeavesTheEarlierFile) {
  Install("big.dat", "earlier");
  machine_->files.SetShortWrite(kInstallDir + "big.da~", 100);
  EXPECT_EQ(Extract(LongArchive({{"big.dat", std::string(1000, 'x')}})), 0);
  EXPECT_EQ(InstalledFile("big.dat"), "earlier");
  EXPECT_FALSE(machine_->files.Exists(kInstallDir + "big.da~"));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{FailureFor("big.dat")});
}

TEST_F(ExtractArchiveTest, UnwritableFolderFailsEveryEntry) {
  machine_->files.SetReadOnlyFolder("C:\\Program Files\\morvak8");
  EXPECT_EQ(Extract(LongArchive({{"a.txt", "a"}, {"b.txt", "b"}})), 0);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{FailureFor("a.txt"), FailureFor("b.txt")}));
}

TEST_F(ExtractArchiveTest, PhraseListBackupIsWrittenCompactedUnlessAlreadyCompacted) {
  const std::string untidy = "\xB0\xA1\xB0\xA2; \xB0\xA3; ";
  const std::string compacted = std::string("\xB0\xA1\xB0\xA2; ") + "VORL" + Le32(0xB0 + 0xA1 + 0xB0 + 0xA2) + Le32(1);
  EXPECT_EQ(Extract(LongArchive({{"vorlcyzk.bak", untidy}, {"vorlcyzk.voh", untidy}})), 1);
  EXPECT_EQ(InstalledFile("vorlcyzk.bak"), "\xB0\xA1\xB0\xA2; ; VORL" + Le32(0xB0 * 3 + 0xA1 + 0xA2 + 0xA3) + Le32(1));
  EXPECT_EQ(InstalledFile("vorlcyzk.voh"), untidy);
  EXPECT_EQ(Extract(LongArchive({{"vorlcyzk.bak", compacted}})), 1);
  EXPECT_EQ(InstalledFile("vorlcyzk.bak"), compacted);
}

class LoadPackageEntryTest : public ArchiveMachineTest {
 protected:
  void SetUp() override {
    ArchiveMachineTest::SetUp();
    package_ = LongArchive({{"kelt1.bmp", "BM banner"}, {"other.bmp", "BM other"}});
    carriedPackage.data = BytesOf(package_);
    carriedPackage.size = static_cast<DWORD>(package_.size());
  }
  std::string package_;
};

TEST_F(LoadPackageEntryTest, InflatesTheNamedEntryAtOffset100) {
  const BufferRegion content = LoadPackageEntry("other.bmp");
  EXPECT_EQ(content.bytes - WorkingBufferRegion(kUnpackScratch).bytes, 100);
  EXPECT_EQ(content.size, kUnpackScratch.size - 100);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(content.bytes), 8), "BM other");
}

TEST_F(LoadPackageEntryTest, MissingOrDifferentlyCasedNameLeavesTwoZeroBytes) {
  LoadPackageEntry("kelt1.bmp");
  const BYTE *content = LoadPackageEntry("KELT1.BMP").bytes;
  EXPECT_EQ(content[0], 0);
  EXPECT_EQ(content[1], 0);
  EXPECT_EQ(content[2], ' ');
}

TEST_F(LoadPackageEntryTest, WithoutPackageTheBufferIsUntouched) {
  LoadPackageEntry("kelt1.bmp");
  carriedPackage.data = nullptr;
  const BYTE *content = LoadPackageEntry("other.bmp").bytes;
  EXPECT_EQ(content[0], 'B');
  EXPECT_EQ(content[1], 'M');
}

}  // namespace
