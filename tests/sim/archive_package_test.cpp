// The built package on a simulated machine: all of it unpacks unchanged, and
// the helper programs it carries act as the stub they are.
#include <filesystem>
#include <string>

#include "archive_fixtures.h"
#include "package/archive_reader.h"
#include "package/working_buffer.h"

namespace {

using archive_fixtures::ArchiveMachineTest;

std::string HostFile(const std::filesystem::path &path) {
  std::string content;
  FILE *file = std::fopen(path.c_str(), "rb");
  if (!file) return content;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
  std::fclose(file);
  return content;
}

class PackageTest : public ArchiveMachineTest {
 protected:
  void SetUp() override {
    ArchiveMachineTest::SetUp();
    machine_->process.packagePath = VOZ_PACKAGE_FILE;
    ASSERT_EQ(LoadPackageResource(), 1);
  }
};

TEST_F(PackageTest, UnpacksEveryPayloadFileUnchangedButThePhraseListBackup) {
  EXPECT_EQ(ExtractArchive(carriedPackage.data, carriedPackage.size, WorkingBufferRegion(kUnpackScratch).bytes,
                           kUnpackScratch.size, nullptr),
            1);
  EXPECT_TRUE(MessageTexts().empty());
  int files = 0;
  for (const auto &item : std::filesystem::directory_iterator(VOZ_PAYLOAD_FILES)) {
    const std::string name = item.path().filename().string();
    const std::string installed = InstalledFile(name);
    ++files;
    if (name != "vorlcyzk.bak") {
      EXPECT_TRUE(installed == HostFile(item.path())) << name;
    } else {
      EXPECT_LT(installed.size(), HostFile(item.path()).size());
      EXPECT_EQ(installed.substr(installed.size() - 12, 4), "VORL");
    }
  }
  EXPECT_EQ(files, 188);
  EXPECT_EQ(progress.step, 188);
}

TEST_F(PackageTest, HelperProgramsLogHowTheyWereStarted) {
  ASSERT_EQ(ExtractArchive(carriedPackage.data, carriedPackage.size, WorkingBufferRegion(kUnpackScratch).bytes,
                           kUnpackScratch.size, nullptr),
            1);
  EXPECT_GT(WinExec("C:\\Program Files\\morvak8\\setupw64.exe regvo32=C:\\Program Files\\morvak8\\", SW_SHOW), 31u);
  EXPECT_GT(WinExec("\"C:\\Program Files\\morvak8\\VORLKELT.EXE\"  vo", SW_SHOW), 31u);
  EXPECT_GT(WinExec("c:\\Progra~1\\morvak8\\vqjcdir", SW_SHOW), 31u);
  EXPECT_EQ(InstalledFile("helper-log.txt"),
            "setupw64.exe regvo32=C:\\Program Files\\morvak8\\\r\nvorlkelt.exe vo\r\nvqjcdir.exe\r\n");
}

}  // namespace
