// Copying a module into the Windows directories: the target directory codes,
// redirection for a 32-bit installer on 64-bit Windows, the size check and
// its retry, and what the user is told when a copy fails.
#include "common/file_operations.h"
#include "common/module_copy.h"

#include <string>
#include <vector>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

const char kInstallDir[] = "C:\\Program Files\\morvak8\\";

class ModuleCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DetectWindows();
    ComputeInstallDir();
    machine_->files.WriteFile(std::string(kInstallDir) + "vorlsrf6.dll", "64-bit module");
    machine_->files.WriteFile(std::string(kInstallDir) + "vorlsrf.dll", "32-bit module");
  }

  std::string File(const std::string &path) {
    std::string content;
    machine_->files.ReadFile(path, &content);
    return content;
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const sim::Event &event : machine_->events.OfKind("messagebox")) {
      EXPECT_EQ(event.Field("caption"), u8"智能Qelvo(Kelt五笔)安装");
      texts.push_back(event.Field("text"));
    }
    return texts;
  }

  ScopedMachine machine_{"win10-x64"};
};

// Redirection is off around the copy: code 2 reaches the native system32,
// code 1 syswow64, and it is back on afterwards.
TEST_F(ModuleCopyTest, TargetCodesReachTheirDirectoriesPastRedirection) {
  CopyModule("vorlsrf6.dll", "vorlsrf6.dll", kTargetNativeSystem);
  CopyModule("vorlsrf.dll", "vorlsrf.dll", kTargetSyswow64);
  CopyModule("vorlsrf.dll", "copy.dll", kTargetWindowsDir);
  CopyModule("vorlsrf.dll", "other.dll", 7);
  EXPECT_EQ(File("C:\\Windows\\System32\\vorlsrf6.dll"), "64-bit module");
  EXPECT_EQ(File("C:\\Windows\\SysWOW64\\vorlsrf.dll"), "32-bit module");
  EXPECT_EQ(File("C:\\Windows\\copy.dll"), "32-bit module");
  EXPECT_EQ(File("C:\\Windows\\other.dll"), "32-bit module");
  EXPECT_FALSE(machine_->files.Exists("C:\\Windows\\SysWOW64\\vorlsrf6.dll"));
  EXPECT_FALSE(machine_->process.wow64RedirectionDisabled);
  EXPECT_TRUE(Messages().empty());
}

// Two attempts report the missing source with the full target path, then the
// copy reports the target by name: three messages.
TEST_F(ModuleCopyTest, MissingSourceGivesThreeMessages) {
  CopyModule("vosrf610.dll", "vorlsrf6.dll", kTargetNativeSystem);
  const std::string notUnpacked = u8"安装包没有成功解压C:\\Windows\\system32\\vorlsrf6.dll文件，请重新下载安装！";
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{notUnpacked, notUnpacked,
                                      u8"没有成功复制vorlsrf6.dll文件，请退出安装程序并手动删除该文件后重新安装！"}));
}

// A module Windows has loaded cannot be overwritten but can be renamed: it is
// moved aside and the new copy takes its name.
TEST_F(ModuleCopyTest, LoadedTargetIsMovedAsideAndReplaced) {
  machine_->files.WriteFile("C:\\Windows\\System32\\vorlsrf6.dll", "running build");
  machine_->files.SetInUse("C:\\Windows\\System32\\vorlsrf6.dll", sim::InUse::LoadedModule);
  CopyModule("vorlsrf6.dll", "vorlsrf6.dll", kTargetNativeSystem);
  EXPECT_EQ(File("C:\\Windows\\System32\\vorlsrf6.dll"), "64-bit module");
  EXPECT_EQ(File("C:\\Windows\\System32\\vorlsrf2.dll"), "running build");
  EXPECT_TRUE(Messages().empty());
}

// A file another program holds open without shared delete can be neither
// replaced nor renamed: each attempt says so with the full path, the copy
// with the name.
TEST_F(ModuleCopyTest, TargetHeldOpenByAnotherProgramIsReported) {
  machine_->files.WriteFile("C:\\Windows\\System32\\vorlsrf6.dll", "held");
  machine_->files.SetInUse("C:\\Windows\\System32\\vorlsrf6.dll", sim::InUse::OpenNoShareDelete);
  CopyModule("vorlsrf6.dll", "vorlsrf6.dll", kTargetNativeSystem);
  const std::string attempt =
      u8"没有成功复制C:\\Windows\\system32\\vorlsrf6.dll文件，请退出安装程序并手动删除该文件后重新安装！";
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{attempt, attempt,
                                      u8"没有成功复制vorlsrf6.dll文件，请退出安装程序并手动删除该文件后重新安装！"}));
  EXPECT_EQ(File("C:\\Windows\\System32\\vorlsrf6.dll"), "held");
}

TEST_F(ModuleCopyTest, CompareCopySizesTellsWhichSideDiffers) {
  EXPECT_EQ(CompareCopySizes("none.dll", "vorlsrf6.dll", kTargetNativeSystem), kSourceMissing);
  EXPECT_EQ(CompareCopySizes("vorlsrf6.dll", "vorlsrf6.dll", kTargetNativeSystem), kTargetMissing);
  machine_->files.WriteFile("C:\\Windows\\System32\\vorlsrf6.dll", "64-bit MODULE");
  EXPECT_EQ(CompareCopySizes("vorlsrf6.dll", "vorlsrf6.dll", kTargetNativeSystem), kSizesEqual);
  EXPECT_EQ(CompareCopySizes("vorlsrf6.dll", "vorlsrf6.dll", kTargetSyswow64), kTargetMissing);
  machine_->files.WriteFile("C:\\Windows\\System32\\vorlsrf6.dll", "short");
  EXPECT_EQ(CompareCopySizes("vorlsrf6.dll", "vorlsrf6.dll", kTargetNativeSystem), kSizesDiffer);
}

// The copy's retry moves a target aside; a path too short for the aside rule
// (no fifth character from the end) touches nothing at all.
TEST(MoveAside, PathTooShortForTheRuleDoesNothing) {
  ScopedMachine machine("win10-x64");
  machine->files.WriteFile("C:\\Users\\user\\Downloads\\abcd", "x");
  for (const char *path : {"", "a", "abcd"}) MoveAside(path, nullptr);
  EXPECT_TRUE(machine->files.Exists("C:\\Users\\user\\Downloads\\abcd"));
  EXPECT_TRUE(machine->events.OfKind("file").empty());
}

}  // namespace
