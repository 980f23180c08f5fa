// The install report on simulated machines: which installation directory
// passes, the one message that names the first failed check, and what the
// report leaves behind.
#include "settings/install_report.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "security/directory_access.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

const std::string kDir = "C:\\Program Files\\morvak8\\";
const char *const kProbedFiles[] = {"vorlcyzk.voh", "vorlpyck.voh", "vorlsrf6.dll", "morvak4.ime"};

const char kTooFewFiles[] = u8"文件不完整！";
const char kNoWubi[] = u8"无五笔词库文件！";
const char kNoPinyin[] = u8"无拼音词库文件！";
const char kModuleMissing[] = u8"缺少文件！";
const char kNoAccess[] = u8"安装目录权限不够，如不能使用请删除后重新安装！！";

// The message up to the check codes that end it.
std::string MessageWithout(const std::string &conclusion) {
  return u8"智能Qelvo汉字输入系统9.30版安装情况报告。\r\n\r\n安装出现错误！错误为：" + conclusion +
         u8"\r\n\r\n请到主页www.qelvo.com重新下载安装！并解除杀毒软件对安装过程的拦截！\r\n\r\n";
}

// An installation directory as the install driver's own step makes it (full
// access for application packages, a "filer" subdirectory), holding the four
// probed files of 20 bytes each and `fillers` other files named by
// `fillerFormat`. `files` then sets a file's size, or removes it (-1); a row
// that removes one adds a filler, to keep 74 files.
struct Layout {
  int fillers = 70;
  const char *fillerFormat = "f%03d.dat";
  std::vector<std::pair<const char *, int>> files;
  bool fullAccess = true;
};

void MakeInstallDir(sim::Machine &machine, const Layout &layout) {
  ComputeInstallDir();
  if (layout.fullAccess)
    PrepareInstallDirectory();
  else
    machine.files.MakeDirectories(kDir + "filer");
  for (const char *name : kProbedFiles) machine.files.WriteFile(kDir + name, std::string(kProbeSize, 'd'));
  for (int i = 0; i < layout.fillers; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, layout.fillerFormat, i);
    machine.files.WriteFile(kDir + name, "x");
  }
  for (const auto &file : layout.files) {
    if (file.second < 0)
      DeleteFileA((kDir + file.first).c_str());
    else
      machine.files.WriteFile(kDir + file.first, std::string(file.second, 'd'));
  }
}

struct Case {
  const char *name;
  const char *preset;
  int interface;  // 1 TSF, 0 IME
  Layout layout;
  const char *conclusion;  // nullptr: every check passes
};

const Case kCases[] = {
    {"SeventyFourFilesPass", "win10-x64", 1, {}, nullptr},
    // The "filer" subdirectory, "." and ".." would make up the 74th.
    {"SeventyThreeFilesAndASubdirectoryAreTooFew", "win10-x64", 1, {69, "f%03d.dat", {}}, kTooFewFiles},
    // 256 names containing ".txt" in any case wrap their count to 0.
    {"TwoHundredFiftySixTextFilesWrapToNone",
     "win10-x64",
     1,
     {255, "t%03d.txt", {{"readme.TXT.old", 1}, {"vorlcyzk.voh", -1}, {"vorlpyck.voh", -1}, {"vorlsrf6.dll", -1},
                         {"morvak4.ime", -1}}},
     kTooFewFiles},
    {"WubiDictionaryOnlyAsDatPasses", "win10-x64", 1, {70, "f%03d.dat", {{"vorlcyzk.voh", -1}, {"vorlcyzk.dat", 20}}},
     nullptr},
    {"WubiDictionaryOfNineteenBytesFails", "win10-x64", 1, {70, "f%03d.dat", {{"vorlcyzk.voh", 19}}}, kNoWubi},
    {"PinyinDictionaryMissingFails", "win10-x64", 1, {71, "f%03d.dat", {{"vorlpyck.voh", -1}}}, kNoPinyin},
    {"TsfIgnoresTheImeModule", "win10-x64", 1, {71, "f%03d.dat", {{"morvak4.ime", -1}}}, nullptr},
    {"TsfNeedsItsModule", "win10-x64", 1, {71, "f%03d.dat", {{"vorlsrf6.dll", -1}}}, kModuleMissing},
    {"ImeIgnoresTheTsfModule", "win10-x64", 0, {71, "f%03d.dat", {{"vorlsrf6.dll", -1}}}, nullptr},
    {"ImeNeedsItsModule", "win10-x64", 0, {71, "f%03d.dat", {{"morvak4.ime", -1}}}, kModuleMissing},
    {"NoPackageAccessCountsOnWindows10", "win10-x64", 1, {70, "f%03d.dat", {}, false}, kNoAccess},
    {"NoPackageAccessIsFineOnWindows8", "win8-x64", 1, {70, "f%03d.dat", {}, false}, nullptr},
};

void PrintTo(const Case &row, std::ostream *out) { *out << row.name; }

class InstallReport : public ::testing::TestWithParam<Case> {};

TEST_P(InstallReport, ShowsTheFirstFailedCheckOnly) {
  const Case &row = GetParam();
  ScopedMachine machine(row.preset);
  program.interfaceChoice = row.interface;
  DetectWindows();
  MakeInstallDir(*machine, row.layout);
  EXPECT_EQ(ShowInstallReport(), row.conclusion ? 1 : 0);
  const auto boxes = machine->events.OfKind("messagebox");
  ASSERT_EQ(boxes.size(), row.conclusion ? 1u : 0u);
  if (!row.conclusion) return;
  EXPECT_EQ(boxes[0].Field("caption"), u8"智能Qelvo");
  EXPECT_EQ(boxes[0].Field("text").rfind(MessageWithout(row.conclusion), 0), 0u) << boxes[0].Field("text");
}

INSTANTIATE_TEST_SUITE_P(Checks, InstallReport, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

// The codes after the advice: the directory with its flag (listed 1,
// enterable 10, plain directory 3), the entry count and each check's last
// probe value, 19 bytes read being 0x1300.
TEST(InstallReportMessage, EndsWithTheCheckCodes) {
  ScopedMachine machine;
  program.interfaceChoice = 1;
  MakeInstallDir(*machine, {70, "f%03d.dat", {{"vorlpyck.voh", -1}, {"vorlpyck.dat", 19}}});
  ASSERT_EQ(ShowInstallReport(), 1);
  EXPECT_EQ(machine->events.OfKind("messagebox").at(0).Field("text"),
            MessageWithout(kNoPinyin) + "path--C:\\Program Files\\morvak8\\--14;F--74;FR1--1400;FR2--1300;");
}

// The scan enters every entry to tell a subdirectory; the program is left
// where it was, and the working block is gone.
TEST(InstallReportMessage, LeavesCurrentDirectoryAndMemoryAsBefore) {
  ScopedMachine machine;
  MakeInstallDir(*machine, {});
  char before[MAX_PATH], after[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(sizeof before, before), 0u);
  ShowInstallReport();
  ASSERT_GT(GetCurrentDirectoryA(sizeof after, after), 0u);
  EXPECT_STREQ(after, before);
  EXPECT_TRUE(machine->process.memoryBlocks.empty());
}

// Without its working memory the report checks nothing and the wizard's
// own completion message follows.
TEST(InstallReportMessage, NothingWithoutMemory) {
  ScopedMachine machine;
  machine->process.globalAllocLimit = 0x10000;
  EXPECT_EQ(ShowInstallReport(), 0);
  EXPECT_TRUE(machine->events.OfKind("messagebox").empty());
}

}  // namespace
