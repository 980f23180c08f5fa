// The user's data across a reinstallation, part by part: what the backup
// archives and when it keeps an earlier backup, and what the restore reads,
// writes back and reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "package/archive_format.h"
#include "package/archive_reader.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "support/test_machine.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"
#include "userdata/user_data_restore.h"

namespace {

using testing_support::ScopedMachine;

int Pending() {
  BackupRecord record;
  return ReadPendingBackup(&record);
}

const char kDir[] = "C:\\Program Files\\morvak8\\";
const char *const kEssential[] = {"vorlcyzk.voh", "voszsj43.voh", "cfontset.voh", "cwbzlcz1.voh", "vowbcmxz.voh",
                                  "vodhzcm.voh",  "vorldhz.voh",  "vogbkhz.voh",  "vorldwdw.txt", "vorlzdym.voh",
                                  "vopyzdym.voh", "vowbpy.txt",   "vorlynhz.txt", "vorlzdfh.voh"};

class UserData : public testing::Test {
 protected:
  void SetUp() override {
    DetectWindows();
    ComputeInstallDir();
    ASSERT_STREQ(installDir, kDir);
    ASSERT_EQ(AllocateWorkingBuffer(), 1);
    SetPreviousInstallation(kDir);
  }
  void TearDown() override { FreeWorkingBuffer(); }

  // An earlier installation whose user has data of their own in every file.
  void WriteUserFiles() {
    for (const char *name : kEssential) Write(name, std::string("user's ") + name);
    Write("vorlcyzk.voh", "\xb0\xa1\xb0\xa2; \xb0\xa3; \xb0\xa4\xb0\xa5; ");  // a phrase list without trailer
    Write("userck.txt", "user's own phrases");
  }
  void Write(const std::string &name, const std::string &content) { machine_->files.WriteFile(kDir + name, content); }
  std::string Read(const std::string &name) {
    std::string content;
    machine_->files.ReadFile(kDir + name, &content);
    return content;
  }
  std::vector<std::string> BackupEntries() {
    std::string archive = Read("vorlback.voz");
    std::vector<std::string> names;
    ArchiveWalk walk;
    ArchiveEntry entry;
    BeginArchiveWalk(&walk, reinterpret_cast<const BYTE *>(archive.data()), static_cast<DWORD>(archive.size()));
    while (NextArchiveEntry(&walk, &entry)) {
      char name[kLongNameFieldSize + 1];
      CopyEntryName(&entry, name, sizeof name);
      names.push_back(name);
    }
    return names;
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto &box : machine_->events.OfKind("messagebox")) texts.push_back(box.Field("text"));
    return texts;
  }

  ScopedMachine machine_;
};

// Every file of the user's that is there goes into the backup, in the
// order of the list, whatever else is missing.
TEST_F(UserData, BackupArchivesEveryFileThereIs) {
  WriteUserFiles();
  machine_->files.Delete(u"C:\\Program Files\\morvak8\\vorldhz.voh");
  EXPECT_EQ(BackupUserData(), kBackedUp);
  EXPECT_EQ(userDataBackup.state, 1);
  std::vector<std::string> entries = BackupEntries();
  ASSERT_EQ(entries.size(), 15u);
  EXPECT_EQ(entries.front(), "vorlcyzk.bak");
  EXPECT_EQ(entries[7], "voszsj43.voh");
  EXPECT_EQ(entries.back(), "userck.txt");
  EXPECT_EQ(userDataBackup.made.size, Read("vorlback.voz").size());
  EXPECT_STREQ(userDataBackup.made.folder, kDir);
}

// With no earlier installation recorded and none of the user's files in the
// installation directory nothing is backed up, and nothing is written where
// the installer was started from. A record that could not be written does
// not make the user's files there anyone's to overwrite: they are archived.
TEST_F(UserData, NoRecordMeansNoBackupUnlessTheFilesAreInTheDirectory) {
  SetPreviousInstallation("");
  const std::vector<std::string> before = machine_->files.ListAllFiles();
  EXPECT_EQ(BackupUserData(), kNothingToBackUp);
  EXPECT_EQ(machine_->files.ListAllFiles(), before);
  userDataBackup.state = 2;
  RestoreUserData();
  EXPECT_FALSE(Messages().empty()) << "kept, but there is no backup it could come from";

  WriteUserFiles();
  EXPECT_EQ(BackupUserData(), kBackedUp);
  EXPECT_STREQ(userDataBackup.made.folder, kDir);
}

// An empty file, or one too large for an entry, cannot travel in the
// archive: it is not read, and the unpack leaves it where it is.
TEST_F(UserData, FilesTheArchiveCannotCarryStayInPlace) {
  WriteUserFiles();
  Write("vorldwdw.txt", "");
  Write("userck.txt", std::string(kLargestInstallableEntry + 1, 'u'));
  ASSERT_EQ(BackupUserData(), kBackedUp);
  const std::vector<std::string> entries = BackupEntries();
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "vorldwdw.txt"), 0);
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "userck.txt"), 0);
  EXPECT_EQ(UnpackTakes(kDir, "vorldwdw.txt"), 0);
  EXPECT_EQ(UnpackTakes(kDir, "userck.txt"), 0);
  EXPECT_EQ(UnpackTakes(kDir, "vorlzdym.voh"), 1);
  EXPECT_STREQ(KeptInPlaceNames(), "vorldwdw.txt userck.txt ");
}

// A backup still pending from a run that did not finish comes back where
// that run's unpack left the package's files, but not over what the user
// wrote since (emptying a file too); the new backup then holds that work.
TEST_F(UserData, APendingBackupComesBackButNotOverNewerWork) {
  machine_->process.packagePath = VOZ_PACKAGE_FILE;
  ASSERT_EQ(LoadPackageResource(), 1);
  WriteUserFiles();
  ASSERT_EQ(BackupUserData(), kBackedUp);
  MarkBackupPending();
  ASSERT_TRUE(Pending());
  ASSERT_EQ(ExtractArchive(carriedPackage.data, carriedPackage.size, WorkingBufferRegion(kUnpackScratch).bytes,
                           kUnpackScratch.size, nullptr),
            1);
  Write("vorlzdym.voh", "");
  Write("vorlzdfh.voh", "written since");
  ASSERT_EQ(BackupUserData(), kBackedUp);
  EXPECT_FALSE(Pending());
  EXPECT_EQ(Read("vorldwdw.txt"), "user's vorldwdw.txt");
  EXPECT_EQ(Read("vorlzdym.voh"), "");
  EXPECT_EQ(Read("vorlzdfh.voh"), "written since");
  ReleasePackageResource();
}

TEST_F(UserData, ARestoreThatFailsKeepsTheBackupPending) {
  WriteUserFiles();
  ASSERT_EQ(BackupUserData(), kBackedUp);
  MarkBackupPending();
  userDataBackup.state = 2;
  // The package's default in one file, which another program holds open so
  // that it can be neither replaced nor moved aside.
  Write("userck.txt", "the package's default");
  machine_->files.SetInUse(std::string(kDir) + "userck.txt", sim::InUse::OpenNoShareDelete);
  RestoreUserData();
  ASSERT_FALSE(Messages().empty());
  EXPECT_NE(Messages().back().find(u8"原有数据文件没有成功复制，原有数据不能使用！"), std::string::npos);
  EXPECT_TRUE(Pending());
}

// The restore takes only the backup it made, as it made it: one replaced
// in the folder, or a link put in its place, is not read, and nothing is
// said to have come back.
TEST_F(UserData, RestoreTakesOnlyTheBackupItMade) {
  WriteUserFiles();
  ASSERT_EQ(BackupUserData(), kBackedUp);
  userDataBackup.state = 2;
  machine_->files.WriteFile("C:\\elsewhere\\vorlback.voz", Read("vorlback.voz"));
  machine_->files.Delete(u"C:\\Program Files\\morvak8\\vorlback.voz");
  machine_->files.SetLink(std::string(kDir) + "vorlback.voz", "C:\\elsewhere\\vorlback.voz", false);
  Write("vorldwdw.txt", "the package's default");
  RestoreUserData();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], u8"原有数据文件没有成功复制，原有数据不能使用！\r\n");
  EXPECT_EQ(Read("vorldwdw.txt"), "the package's default");
}

TEST_F(UserData, AKeptBackupComesBackWholeAndIsNoLongerPending) {
  WriteUserFiles();
  ASSERT_EQ(BackupUserData(), kBackedUp);
  MarkBackupPending();
  for (const char *name : kEssential) Write(name, "the package's default");
  userDataBackup.state = 2;
  RestoreUserData();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], u8"成功恢复了16个原有数据文件！");
  EXPECT_FALSE(Pending());
  EXPECT_EQ(Read("vorldhz.bak"), "user's vorldhz.voh") << "archived through its copy, back as the copy";
  EXPECT_EQ(Read("vorldwdw.txt"), "user's vorldwdw.txt");
  // The phrase list comes back compacted, with its trailer, and counts as restored.
  EXPECT_EQ(Read("vorlcyzk.bak").substr(0, 4), "\xb0\xa1\xb0\xa2");
  EXPECT_NE(Read("vorlcyzk.bak").find("VORL"), std::string::npos);
}

}  // namespace
