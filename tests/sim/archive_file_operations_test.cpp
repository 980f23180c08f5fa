// Clearing the way for new files: deleting and moving aside, on a simulated
// machine.
#include <string>
#include <vector>

#include "archive_fixtures.h"
#include "common/file_operations.h"

namespace {

using archive_fixtures::ArchiveMachineTest;

class FileOperationsTest : public ArchiveMachineTest {
 protected:
  void SetUp() override {
    ArchiveMachineTest::SetUp();
    filesAtStart_ = machine_->files.ListAllFiles().size();
  }
  size_t filesAtStart_ = 0;
  std::string Path(const std::string &name) { return kInstallDir + name; }
};

TEST_F(FileOperationsTest, DeleteIfPresentClearsReadOnlyAndDeletes) {
  Install("old.dll", "x");
  machine_->files.SetAttributesOf(Path("old.dll"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(DeleteIfPresent(Path("old.dll").c_str()), 0);
  EXPECT_FALSE(Installed("old.dll"));
  EXPECT_EQ(DeleteIfPresent(Path("never.dll").c_str()), 0);
}

TEST_F(FileOperationsTest, DeleteIfPresentReportsAFileThatStays) {
  Install("held.dll", "x");
  machine_->files.SetInUse(Path("held.dll"), sim::InUse::LoadedModule);
  EXPECT_EQ(DeleteIfPresent(Path("held.dll").c_str()), -1);
  EXPECT_TRUE(Installed("held.dll"));
}

TEST_F(FileOperationsTest, MoveAsideMarksTheFifthCharacterFromTheEnd) {
  Install("morvak88.exe", "server");
  MoveAside(Path("morvak88.exe").c_str(), nullptr);
  EXPECT_FALSE(Installed("morvak88.exe"));
  EXPECT_EQ(InstalledFile("morvak82.exe"), "server");
}

TEST_F(FileOperationsTest, MoveAsideNeverDeletesTheFileItself) {
  Install("x2.ime", "only copy");
  MoveAside(Path("x2.ime").c_str(), nullptr);
  EXPECT_EQ(InstalledFile("x1.ime"), "only copy");
}

// The mark may only ever change the file name: for a name of up to four
// bytes the fifth byte from the end lies in the folder part, and on half of
// a double-byte character it would change what the name means. Such a file
// stays where it is, and nothing in the folders around it is touched.
TEST_F(FileOperationsTest, MoveAsideOfANameWithoutItsOwnMarkTouchesNothing) {
  const std::vector<std::string> victims = {"C:\\Program Files\\morvak2\\abc", "C:\\Program Files\\morvak1\\abc",
                                            "C:\\Program Files\\morvak82abcd", "C:\\Program Files\\morvak81abcd"};
  for (const std::string &victim : victims) machine_->files.WriteFile(victim, "someone else's");
  // "x" + a double-byte character whose second byte is 0x5C + "abc".
  for (const std::string name : {"abc", "abcd", "x\x81\x5C" "abc"}) {
    Install(name, "held");
    machine_->files.SetInUse(Path(name), sim::InUse::LoadedModule);
    MoveAside(Path(name).c_str(), nullptr);
    EXPECT_EQ(InstalledFile(name), "held") << name;
  }
  for (const std::string &victim : victims) {
    std::string content;
    EXPECT_TRUE(machine_->files.ReadFile(victim, &content) && content == "someone else's") << victim;
  }
  EXPECT_EQ(machine_->files.ListAllFiles().size(), victims.size() + 3 + filesAtStart_);
}

}  // namespace
