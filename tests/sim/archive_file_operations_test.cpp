// Clearing the way for new files: deleting and moving aside, on a simulated
// machine.
#include <string>

#include "archive_fixtures.h"
#include "package/file_operations.h"

namespace {

using archive_fixtures::ArchiveMachineTest;

class FileOperationsTest : public ArchiveMachineTest {
 protected:
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
  MoveAside(Path("morvak88.exe").c_str());
  EXPECT_FALSE(Installed("morvak88.exe"));
  EXPECT_EQ(InstalledFile("morvak82.exe"), "server");
}

TEST_F(FileOperationsTest, MoveAsideNeverDeletesTheFileItself) {
  Install("x2.ime", "only copy");
  MoveAside(Path("x2.ime").c_str());
  EXPECT_EQ(InstalledFile("x1.ime"), "only copy");
}

}  // namespace
