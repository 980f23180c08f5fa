// How a windowless run ends when the package cannot be installed: it stops
// before registering anything, shows a handful of messages rather than one
// per entry, and its exit code tells a deployment script what happened.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "archive_fixtures.h"
#include "common/program_state.h"
#include "shell/program_entry.h"
#include "shell/windowless_run.h"
#include "support/test_machine.h"

namespace {

using namespace archive_fixtures;
using testing_support::FreshFolder;
using testing_support::ScopedMachine;

const std::string kIncomplete = u8"文件解压不完整，请到智能Qelvo网站www.qelvo.com重新下载安装。";

std::string EntryFailure(const std::string &name) {
  return u8"没有成功解压复制" + name + u8"文件！请重新下载安装。";
}

class WindowlessOutcome : public ::testing::Test {
 protected:
  // Serves `archive` as the program's package; an empty text serves none.
  void ServePackage(const std::string &archive) {
    machine_->process.packagePath.clear();
    if (archive.empty()) return;
    const std::filesystem::path path = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()) /
                                       "package.voz";
    std::ofstream(path, std::ios::binary) << archive;
    machine_->process.packagePath = path;
  }
  int Run() {
    char line[] = "setvosrf32";
    program.interfaceChoice = 0;
    return WinMain(GetModuleHandleA(nullptr), nullptr, line, SW_SHOWNORMAL);
  }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const sim::Event &event : machine_->events.OfKind("messagebox")) texts.push_back(event.Field("text"));
    return texts;
  }

  ScopedMachine machine_{"win10-x64"};
};

TEST_F(WindowlessOutcome, WithoutAUsablePackageStopsBeforeChangingAnything) {
  for (const std::string &archive : {std::string(), std::string("C0"), Archive("C0", 0, {})}) {
    const std::string registry = machine_->registry.Export();
    ServePackage(archive);
    EXPECT_EQ(Run(), kExitNothingInstalled) << archive.size();
    EXPECT_EQ(Messages(), std::vector<std::string>{kIncomplete});
    EXPECT_TRUE(machine_->registry.Export() == registry) << "the registry changed";
    EXPECT_FALSE(machine_->files.Exists("C:\\Program Files\\morvak8"));
    machine_->events.Clear();
  }
}

// 3,000 entries that all fail, and a folder that refuses every file: five
// named, one count of the rest, the incomplete-unpacking message, and no
// registration of files that are not there.
TEST_F(WindowlessOutcome, NothingUnpackedShowsAFewMessagesAndRegistersNothing) {
  std::vector<std::string> entries;
  for (int i = 0; i < 3000; ++i) entries.push_back(LongEntry("f" + std::to_string(i), "content", nullptr, &kIncomplete));
  ServePackage(Archive("C0", 3000, entries));
  const std::string registry = machine_->registry.Export();
  EXPECT_EQ(Run(), kExitNothingInstalled);
  EXPECT_EQ(Messages(), (std::vector<std::string>{EntryFailure("f0"), EntryFailure("f1"), EntryFailure("f2"),
                                                  EntryFailure("f3"), EntryFailure("f4"),
                                                  u8"另有2995个文件没有成功解压复制！请重新下载安装。", kIncomplete}));
  EXPECT_TRUE(machine_->registry.Export() == registry) << "the registry changed";
}

TEST_F(WindowlessOutcome, ReadOnlyInstallationFolderRegistersNothing) {
  ServePackage(LongArchive({{"a.txt", "a"}, {"b.txt", "b"}}));
  machine_->files.MakeDirectories("C:\\Program Files\\morvak8");
  machine_->files.SetReadOnlyFolder("C:\\Program Files\\morvak8");
  const std::string registry = machine_->registry.Export();
  EXPECT_EQ(Run(), kExitNothingInstalled);
  EXPECT_EQ(Messages(), (std::vector<std::string>{EntryFailure("a.txt"), EntryFailure("b.txt"), kIncomplete}));
  EXPECT_TRUE(machine_->registry.Export() == registry) << "the registry changed";
}

// Part of the package unpacked: the run goes on, and its exit code says that
// it showed failures.
TEST_F(WindowlessOutcome, PartlyUnpackedGoesOnAndEndsWithFailures) {
  const std::string garbage = "not a stream";
  ServePackage(Archive("C0", 2, {LongEntry("a.txt", "a"), LongEntry("b.txt", "b", nullptr, &garbage)}));
  EXPECT_EQ(Run(), kExitInstalledWithFailures);
  const std::vector<std::string> messages = Messages();
  ASSERT_GE(messages.size(), 2u);
  EXPECT_EQ(messages[0], EntryFailure("b.txt"));
  EXPECT_EQ(messages[1], kIncomplete);
  EXPECT_TRUE(machine_->files.Exists("C:\\Program Files\\morvak8\\a.txt"));
}

}  // namespace
