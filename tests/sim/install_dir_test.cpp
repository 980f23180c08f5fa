// The installation directory rule and its record files on simulated machines.
#include <gtest/gtest.h>

#include <string>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

std::string FileText(sim::Machine &machine, const std::string &path) {
  std::string content;
  EXPECT_TRUE(machine.files.ReadFile(path, &content)) << path;
  return content;
}

struct FolderCase {
  const char *programFiles;
  bool fails;
  const char *expected;
};

class InstallDirRuleTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(InstallDirRuleTest, CutsAtParenthesisAndTrailingBlanks) {
  ScopedMachine machine("win10-x64");
  machine->profile.programFilesX86Dir = GetParam().programFiles;
  machine->profile.specialFolderFails = GetParam().fails;
  EXPECT_STREQ(ComputeInstallDir(), GetParam().expected);
  EXPECT_STREQ(installDir, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InstallDirRuleTest,
    ::testing::Values(FolderCase{"C:\\Program Files (x86)", false, "C:\\Program Files\\morvak8\\"},
                      FolderCase{"D:\\Apps  ", false, "D:\\Apps\\morvak8\\"},
                      FolderCase{"E:\\Programme", false, "E:\\Programme\\morvak8\\"},
                      FolderCase{"E:\\Tools\\", false, "E:\\Tools\\morvak8\\"},
                      FolderCase{"(x86)", false, "morvak8\\"},
                      FolderCase{"C:\\Program Files (x86)", true, "c:\\Program Files\\morvak8\\"}));

// Windows may give a Program Files folder of up to MAX_PATH bytes; the
// directory must stay whole, ending in "morvak8\", or not be used at all.
TEST(InstallDirRule, FolderTooLongForTheDirectoryIsTreatedAsUnavailable) {
  ScopedMachine machine("win10-x64");
  for (size_t length : {190, 191, 196, 197, 259}) {
    const std::string folder = "C:\\" + std::string(length - 3, 'p');
    machine->profile.programFilesX86Dir = folder;
    const std::string expected = length <= 190 ? folder + "\\morvak8\\" : "c:\\Program Files\\morvak8\\";
    EXPECT_EQ(ComputeInstallDir(), expected) << length;
  }
}

TEST(InstallDirRule, IsRecomputedAtEveryCall) {
  ScopedMachine machine("win7-x86");
  ComputeInstallDir();
  machine->profile.programFilesDir = "D:\\Other";
  EXPECT_STREQ(ComputeInstallDir(), "D:\\Other\\morvak8\\");
}

struct DriveCase {
  const char *fixedDrives;
  const char *expected;
};

class DataDriveTest : public ::testing::TestWithParam<DriveCase> {};

TEST_P(DataDriveTest, IsHighestFixedDriveFromCToG) {
  ScopedMachine machine("win10-x64");
  machine->profile.fixedDrives = GetParam().fixedDrives;
  char directory[32] = "sentinel";
  FindDataDrive(directory, sizeof directory);
  EXPECT_STREQ(directory, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, DataDriveTest,
                         ::testing::Values(DriveCase{"C", "c:\\morvak8\\"}, DriveCase{"CE", "e:\\morvak8\\"},
                                           DriveCase{"CDEFG", "g:\\morvak8\\"}, DriveCase{"CH", "c:\\morvak8\\"},
                                           DriveCase{"HIJ", ""}));

TEST(InstallDirRecord, IsWrittenToWindowsDirectoryAndDataDriveOnWindows6) {
  ScopedMachine machine("win10-x64");
  machine->profile.fixedDrives = "CE";
  machine->files.WriteFile("E:\\morvak8\\vorlpat8.voh", "D:\\A longer earlier installation directory\\");
  DetectWindows();
  ComputeInstallDir();
  WriteInstallDirRecord();
  EXPECT_EQ(FileText(*machine, "C:\\Windows\\vorlpat8.voh"), "C:\\Program Files\\morvak8\\");
  EXPECT_EQ(FileText(*machine, "E:\\morvak8\\vorlpat8.voh"), "C:\\Program Files\\morvak8\\");
}

TEST(InstallDirRecord, OnWindows5OnlyTheWindowsDirectoryGetsIt) {
  ScopedMachine machine("winxp-x86");
  DetectWindows();
  ComputeInstallDir();
  WriteInstallDirRecord();
  EXPECT_EQ(FileText(*machine, "C:\\WINDOWS\\vorlpat8.voh"), "C:\\Program Files\\morvak8\\");
  EXPECT_FALSE(machine->files.Exists("C:\\morvak8\\vorlpat8.voh"));
}

TEST(InstallDirRecord, OnWindows9xIsWrittenWithoutOpeningTheFolder) {
  ScopedMachine machine("win98");
  machine->files.WriteFile("C:\\WINDOWS\\vorlpat8.voh", "C:\\A longer earlier installation directory\\");
  DetectWindows();
  ComputeInstallDir();
  WriteInstallDirRecord();
  EXPECT_EQ(FileText(*machine, "C:\\WINDOWS\\vorlpat8.voh"), "C:\\Program Files\\morvak8\\");
}

// A junction or link an ordinary user put where a record goes, and the file
// the elevated write would have reached through it.
struct LinkCase {
  const char *link;
  const char *target;
  bool folder;        // a junction, else a file link
  const char *victim;
  const char *victimText;  // what the victim holds before; nullptr: it does not exist
  const char *written;     // the other record, which is still written
};

class RecordLinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(RecordLinkTest, IsNotWrittenThroughAReparsePoint) {
  const LinkCase &row = GetParam();
  ScopedMachine machine("win10-x64");
  machine->files.SetLink(row.link, row.target, row.folder);
  if (row.victimText) machine->files.WriteFile(row.victim, row.victimText);
  DetectWindows();
  ComputeInstallDir();
  WriteInstallDirRecord();
  if (row.victimText)
    EXPECT_EQ(FileText(*machine, row.victim), row.victimText);
  else
    EXPECT_FALSE(machine->files.Exists(row.victim));
  EXPECT_EQ(FileText(*machine, row.written), "C:\\Program Files\\morvak8\\");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecordLinkTest,
    ::testing::Values(
        LinkCase{"C:\\morvak8", "C:\\Windows\\System32", true, "C:\\Windows\\System32\\vorlpat8.voh", nullptr,
                 "C:\\Windows\\vorlpat8.voh"},
        LinkCase{"C:\\morvak8", "C:\\Windows\\System32", true, "C:\\Windows\\System32\\vorlpat8.voh", "system data",
                 "C:\\Windows\\vorlpat8.voh"},
        LinkCase{"C:\\morvak8\\vorlpat8.voh", "C:\\Windows\\System32\\ntdll.dll", false,
                 "C:\\Windows\\System32\\ntdll.dll", nullptr, "C:\\Windows\\vorlpat8.voh"},
        LinkCase{"C:\\morvak8\\vorlpat8.voh", "C:\\Windows\\System32\\ntdll.dll", false,
                 "C:\\Windows\\System32\\ntdll.dll", "MZ system module", "C:\\Windows\\vorlpat8.voh"},
        LinkCase{"C:\\Windows\\vorlpat8.voh", "C:\\Windows\\System32\\config.dat", false,
                 "C:\\Windows\\System32\\config.dat", "system data", "C:\\morvak8\\vorlpat8.voh"}));

TEST(InstallDirRecord, WithoutFixedDataDriveGoesToCurrentDirectory) {
  ScopedMachine machine("win7-x86");
  machine->profile.fixedDrives = "H";
  DetectWindows();
  ComputeInstallDir();
  WriteInstallDirRecord();
  EXPECT_EQ(FileText(*machine, machine->profile.appDir + "\\vorlpat8.voh"), "C:\\Program Files\\morvak8\\");
}

TEST(InstallDirRecord, ReaderLeavesTargetAloneWithoutRecord) {
  ScopedMachine machine("win10-x64");
  char target[kPreviousInstallRecordSize] = "untouched";
  ReadInstallDirRecord(target, sizeof target);
  EXPECT_STREQ(target, "untouched");
}

TEST(InstallDirRecord, ReaderTerminatesAfterWhatItRead) {
  ScopedMachine machine("win10-x64");
  machine->files.WriteFile("C:\\Windows\\vorlpat8.voh", "D:\\A\\");
  char target[kInstallDirSize] = "C:\\Program Files\\morvak8\\";
  ReadInstallDirRecord(target, sizeof target);
  EXPECT_STREQ(target, "D:\\A\\");
}

TEST(InstallDirRecord, LongerRecordIsCutToTheTarget) {
  ScopedMachine machine("win10-x64");
  machine->files.WriteFile("C:\\Windows\\vorlpat8.voh", std::string(600, 'x'));
  // A canary behind the target: the reader must stop inside the 200 bytes.
  struct {
    char target[kInstallDirSize];
    char canary[16];
  } buffers;
  memset(&buffers, 0, sizeof buffers);
  strcpy(buffers.canary, "canary");
  ReadInstallDirRecord(buffers.target, sizeof buffers.target);
  EXPECT_EQ(std::string(buffers.target), std::string(kInstallDirSize - 1, 'x'));
  EXPECT_STREQ(buffers.canary, "canary");
}

}  // namespace
