// The user's data across a reinstallation, part by part: what the backup
// archives and when it keeps an earlier backup, and what the restore reads,
// writes back and reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "package/archive_format.h"
#include "package/package_data.h"
#include "support/test_machine.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"
#include "userdata/user_data_restore.h"

namespace {

using testing_support::ScopedMachine;

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
    CopyText(previousInstallRecord, kPreviousInstallRecordSize, kDir);
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

TEST_F(UserData, BackupArchivesEssentialFilesFirstAndStopsAtAMissingOne) {
  WriteUserFiles();
  EXPECT_EQ(BackupUserData(), 1);
  std::vector<std::string> entries = BackupEntries();
  ASSERT_EQ(entries.size(), 16u);
  EXPECT_EQ(entries.front(), "vorlcyzk.bak");
  EXPECT_EQ(entries[8], "voszsj43.voh");
  EXPECT_EQ(entries.back(), "userck.txt");
  machine_->files.Delete(u"C:\\Program Files\\morvak8\\vorldhz.voh");
  machine_->files.Delete(u"C:\\Program Files\\morvak8\\vorldhz.bak");
  EXPECT_EQ(BackupUserData(), 0);
  EXPECT_EQ(BackupEntries().size(), 6u) << "rows 1 to 6, then the missing one";
}

// With no earlier installation recorded nothing is backed up, and nothing
// is written where the installer was started from.
TEST_F(UserData, NoRecordMeansNoBackupAnywhere) {
  WriteUserFiles();
  previousInstallRecord[0] = '\0';
  const std::vector<std::string> before = machine_->files.ListAllFiles();
  EXPECT_EQ(BackupUserData(), 0);
  EXPECT_EQ(machine_->files.ListAllFiles(), before);
  RestoreUserData();
  EXPECT_TRUE(Messages().empty());
}

// Once the package's defaults went over the user's files, the backup is the
// only copy of their data: a later run keeps it instead of archiving the
// defaults, until a restore brought it back whole.
TEST_F(UserData, APendingBackupIsKeptUntilItsRestoreChecksOut) {
  WriteUserFiles();
  ASSERT_EQ(BackupUserData(), 1);
  const std::string backup = Read("vorlback.voz");
  MarkBackupPending();
  for (const char *name : kEssential) Write(name, "the package's default");
  ComputeInstallDir();
  EXPECT_EQ(BackupUserData(), 1);
  EXPECT_EQ(Read("vorlback.voz"), backup);
  ComputeInstallDir();
  RestoreUserData();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], u8"成功恢复了16个原有数据文件！");
  EXPECT_FALSE(BackupIsPending());
  EXPECT_EQ(Read("vorldhz.bak"), "user's vorldhz.voh") << "archived through its copy, back as the copy";
  EXPECT_EQ(Read("vorldwdw.txt"), "user's vorldwdw.txt");
  EXPECT_EQ(Read("userck.txt"), "user's own phrases");
  // The phrase list comes back compacted, with its trailer, and counts as restored.
  EXPECT_EQ(Read("vorlcyzk.bak").substr(0, 4), "\xb0\xa1\xb0\xa2");
  EXPECT_EQ(Read("vorlcyzk.bak").find("VORL") != std::string::npos, true);
}

TEST_F(UserData, ARestoreThatFailsKeepsTheBackupPending) {
  WriteUserFiles();
  ASSERT_EQ(BackupUserData(), 1);
  MarkBackupPending();
  ComputeInstallDir();
  // The package's default in one file, which another program holds open so
  // that it can be neither replaced nor moved aside.
  Write("userck.txt", "the package's default");
  machine_->files.SetInUse(std::string(kDir) + "userck.txt", sim::InUse::OpenNoShareDelete);
  RestoreUserData();
  ASSERT_FALSE(Messages().empty());
  EXPECT_NE(Messages().back().find(u8"原有数据文件没有成功复制，原有数据不能使用！"), std::string::npos);
  EXPECT_TRUE(BackupIsPending());
}

// The folder is open to every user: a backup that is a link to a file
// elsewhere is not read.
TEST_F(UserData, RestoreReadsNoBackupThroughALink) {
  WriteUserFiles();
  ASSERT_EQ(BackupUserData(), 1);
  machine_->files.WriteFile("C:\\elsewhere\\vorlback.voz", Read("vorlback.voz"));
  machine_->files.Delete(u"C:\\Program Files\\morvak8\\vorlback.voz");
  machine_->files.SetLink(std::string(kDir) + "vorlback.voz", "C:\\elsewhere\\vorlback.voz", false);
  for (const char *name : kEssential) Write(name, "the package's default");
  ComputeInstallDir();
  RestoreUserData();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Read("vorldhz.voh"), "the package's default");
}

}  // namespace
