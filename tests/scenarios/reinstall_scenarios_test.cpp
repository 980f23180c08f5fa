// Reinstallations through the wizard over an earlier installation whose
// user has data of their own: the messages in order and the user's files
// afterwards, byte for byte; and runs that end at every stage between the
// package overwriting the user's files and the restore, each followed by
// an installation that keeps the data.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <cstring>

#include "common/program_state.h"
#include "package/phrase_list.h"
#include "shell/program_entry.h"
#include "shell/stage_code.h"
#include "support/program_state_reset.h"
#include "sim/archive_fixtures.h"
#include "support/test_machine.h"
#include "support/user_actions.h"

namespace {

// A run that ends at a stage: the program stops there as if its process were
// killed, leaving the machine as it was at that moment. The stage hook ends
// it once the stage code is set.
int endAtStage = 0;
struct RunEnded : std::runtime_error {
  RunEnded() : std::runtime_error("the run ended at a stage") {}
};
void EndAtTheChosenStage(int code) {
  if (code == endAtStage) throw RunEnded();
}

const char kDir[] = "C:\\Program Files\\morvak8\\";
const char kProductCaption[] = u8"智能Qelvo";
const char kKeepQuestion[] = u8"检测到安装目录下有智能Qelvo以前的词组等数据文件，是否保留？";
const char kInstalled[] = u8"安装完毕，如不能使用，请重新启动计算机！";

using testing_support::Click;
using testing_support::DialogClick;
using testing_support::QuitPrograms;

// Confirm on the intro, profile and install screens (the IME: on a 64-bit
// machine its finish timer ends the run), then OK in the skin dialog.
std::vector<sim::UserAction> Walk() {
  return {Click(300, 225), Click(90, 257), Click(90, 257), Click(90, 257), DialogClick(105)};
}

// What a run of the program left.
struct ProgramRun {
  int exitCode = -1;
  bool stopped = false;  // it waited for an answer or action not given
  bool ended = false;    // it ended at the stage asked for
  std::vector<std::string> messages;
};

class Reinstallation : public testing::Test {
 protected:
  void SetUp() override { root_ = testing_support::FreshFolder(testing::UnitTest::GetInstance()->current_test_info()->name()); }

  // Runs the program once on the machine kept in the root.
  ProgramRun RunProgram(const char *commandLine, const std::vector<sim::UserAction> &actions,
                 const std::vector<bool> &answers, int endAt = 0) {
    std::unique_ptr<sim::Machine> machine = std::filesystem::exists(root_ / "machine.ini")
                                                ? sim::Machine::Load(root_)
                                                : sim::Machine::CreateFromPreset(preset_, root_);
    machine->process.packagePath = VOZ_SMALL_PACKAGE_FILE;
    for (const auto &action : actions) machine->script.actions.push_back(action);
    for (bool answer : answers) machine->script.yesNoAnswers.push_back(answer);
    sim::Machine::Install(machine.get());
    testing_support::ResetProgramState();
    endAtStage = endAt;
    SetStageHook(EndAtTheChosenStage);
    ProgramRun run;
    std::vector<char> line(commandLine, commandLine + strlen(commandLine) + 1);
    try {
      run.exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, line.data(), SW_SHOWNORMAL);
    } catch (const sim::ScriptExhausted &) {
      run.stopped = true;
    } catch (const RunEnded &) {
      run.ended = true;
    }
    endAtStage = 0;
    testing_support::ResetProgramState();
    for (const auto &box : machine->events.OfKind("messagebox")) run.messages.push_back(box.Field("text"));
    machine->Save();
    sim::Machine::Install(nullptr);
    return run;
  }

  // The program in a process of its own, for a crash that must end it, on
  // the machine kept in the root; its exit code. `arguments` follow "--".
  int RunCrashing(const std::string &arguments, std::string *output) {
    return testing_support::RunSetupSim("--root " + root_.string() + " --package " + VOZ_SMALL_PACKAGE_FILE +
                                            (arguments.empty() ? "" : " -- " + arguments),
                                        output);
  }

  // A first installation, then the user's own data in every file the
  // backup keeps; returns what they wrote, by file name.
  std::map<std::string, std::string> InstallAndUse() {
    EXPECT_EQ(RunProgram("setvosrf32", {}, {}).exitCode, 0);
    return Use();
  }

  // The user's own data written into every file the backup keeps, as after
  // a while of using the input method; returns it, by file name.
  std::map<std::string, std::string> Use() {
    std::map<std::string, std::string> data;
    for (const char *name : {"voszsj43.voh", "cfontset.voh", "cwbzlcz1.voh", "vowbcmxz.voh", "vodhzcm.voh",
                             "vorldhz.voh", "vogbkhz.voh", "vorldwdw.txt", "vorlzdym.voh", "vopyzdym.voh",
                             "vowbpy.txt", "vorlynhz.txt", "vorlzdfh.voh", "userck.txt", "delck.txt"})
      data[name] = std::string("the user's own ") + name + std::string(300, 'x');
    data["voszsj43.voh"] = std::string(200, '\x02');
    data["vorlcyzk.voh"] = "\xb0\xa1\xb0\xa2; \xb0\xa3; \xb0\xa4\xb0\xa5; ";  // without trailer
    for (const auto &[name, content] : data) WriteFile(name, content);
    return data;
  }

  // Lines for machine.ini's [files] (links, files in use, faults), as a
  // user or the machine set them up before the next run.
  void AddFilesLines(const std::string &lines) { std::ofstream(root_ / "machine.ini", std::ios::app) << "[files]\n" << lines; }
  // The program's headers name the C runtime's rename for its own use.
  void MoveFolder(const std::filesystem::path &from, const std::filesystem::path &to) {
    std::filesystem::create_directories(to.parent_path());
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive);
    std::filesystem::remove_all(from);
  }
  // A file anywhere on C:, by its Windows path below C:\.
  std::filesystem::path DrivePath(const std::string &path) { return root_ / "drives" / "c" / path; }
  std::string ReadDriveFile(const std::string &path) {
    std::string content;
    sim::Machine::Load(root_)->files.ReadFile("C:\\" + path, &content);
    return content;
  }
  void WriteDriveFile(const std::string &path, const std::string &content) {
    std::filesystem::create_directories(DrivePath(path).parent_path());
    std::ofstream(DrivePath(path), std::ios::binary | std::ios::trunc) << content;
  }

  void WriteFile(const std::string &name, const std::string &content) {
    std::ofstream(HostPath(name), std::ios::binary | std::ios::trunc) << content;
  }
  std::string ReadFile(const std::string &name) {
    std::ifstream in(HostPath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Where a backup waits for its restore: beside the record, where only
  // administrators write.
  std::filesystem::path PendingMark() { return root_ / "drives" / "c" / "Windows" / "vorlback.pnd"; }
  std::filesystem::path HostPath(const std::string &name) {
    return root_ / "drives" / "c" / programFiles_ / "morvak8" / name;
  }

  // Every file of the user's is back: the ones archived through a ".bak"
  // copy as that copy (the phrase list compacted), the others as themselves.
  void ExpectUserDataBack(const std::map<std::string, std::string> &data, const std::string &context) {
    for (const auto &[name, content] : data) {
      std::string expected = content;
      std::string restored = name;
      const bool copied = name != "vorldwdw.txt" && name != "vorlzdym.voh" && name != "vopyzdym.voh" &&
                          name != "vowbpy.txt" && name != "vorlynhz.txt" && name != "vorlzdfh.voh" &&
                          name != "userck.txt" && name != "delck.txt";
      if (copied) restored = name.substr(0, name.size() - 3) + "bak";
      if (name == "vorlcyzk.voh") {
        expected.resize(content.size() + kPhraseListTrailerSize);
        expected.resize(CompactPhraseList(reinterpret_cast<uint8_t *>(&expected[0]), content.size()) +
                        kPhraseListTrailerSize);
      }
      EXPECT_EQ(ReadFile(restored), expected) << restored << " " << context;
    }
    EXPECT_EQ(ReadFile("voszsj43.voh"), data.at("voszsj43.voh")) << "the options as the user left them " << context;
  }

  // `names` in the installation folder (of a fresh machine when there is
  // none), each with content of its own and held by another program as `how`.
  void HoldInFolder(const std::vector<std::string> &names, sim::InUse how) {
    auto machine = std::filesystem::exists(root_ / "machine.ini") ? sim::Machine::Load(root_)
                                                                  : sim::Machine::CreateFromPreset(preset_, root_);
    for (const std::string &name : names) {
      machine->files.WriteFile(kDir + name, "another program's " + name);
      machine->files.SetInUse(kDir + name, how);
    }
    machine->Save();
  }

  std::filesystem::path root_;
  std::string preset_ = "win10-x64";
  std::string programFiles_ = "Program Files";  // where HostPath looks
};

// A first installation with the defaults (Wubi, TSF): the package check
// passes over the modules the TSF deployment removes, so the only message
// is the completion. The text service is in no sort order yet, which skips
// the checks for programs holding the input method: a status window and
// the shared memory of the TSF input method name nothing.
TEST_F(Reinstallation, AFirstTsfInstallationShowsOnlyTheCompletion) {
  ASSERT_TRUE(RunProgram("", {}, {}).stopped);
  std::ofstream(root_ / "machine.ini", std::ios::app)
      << u8"[windows]\nwindow = Notepad | 记事本\nwindow = STATKELT | | owner 1\nfile_mapping = morvakkelt80\n";
  ProgramRun run = RunProgram("", {Click(90, 257), Click(90, 257), Click(90, 257), DialogClick(105)}, {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.messages, std::vector<std::string>{kInstalled});
  EXPECT_TRUE(std::filesystem::exists(HostPath("vorlkelt.exe")));
}

// Programs that hold the input method (an IME window owned by another
// program's window, and one on its own) are named; the wizard waits on the
// install screen until the user has ended them and confirms again.
TEST_F(Reinstallation, ProgramsHoldingTheInputMethodAreNamedThenClosedAndTheInstallationGoesOn) {
  ASSERT_TRUE(RunProgram("", {}, {}).stopped);
  std::ofstream(root_ / "machine.ini", std::ios::app)
      << u8"[windows]\nwindow = Notepad | 无标题 - 记事本\nwindow = UIKELT | | owner 1\nwindow = UIKELT |\n";
  ProgramRun run = RunProgram("", {Click(300, 225), Click(90, 257), Click(90, 257), Click(90, 257),
                                   QuitPrograms("UIKELT"), Click(90, 257), DialogClick(105)},
                              {});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.messages.size(), 2u);
  EXPECT_NE(run.messages[0].find(u8"下列 2 个软件"), std::string::npos) << run.messages[0];
  EXPECT_NE(run.messages[0].find(u8"1：无标题 - 记事本"), std::string::npos) << run.messages[0];
  EXPECT_EQ(run.messages[0].find(u8"2："), std::string::npos) << "the window without an owner has no title to name";
  EXPECT_EQ(run.messages[1], kInstalled);
  EXPECT_TRUE(std::filesystem::exists(HostPath("vorlkelt.exe")));
}

// The earlier IME is the thread's input method: the IME installation is
// refused with its message and nothing is installed over it.
TEST_F(Reinstallation, AnEarlierImeThatIsTheDefaultInputMethodRefusesTheInstallation) {
  ASSERT_EQ(RunProgram("setvosrf32", {}, {}).exitCode, 0);
  std::filesystem::remove_all(HostPath("vorlkelt.exe"));
  std::ifstream in(root_ / "machine.ini");
  std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ini.replace(ini.find("keyboard_layout = "), std::string("keyboard_layout = ").size(), "keyboard_layout = E0200804");
  std::ofstream(root_ / "machine.ini", std::ios::trunc) << ini;
  ProgramRun run = RunProgram("", Walk(), {});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_NE(run.messages[0].find(u8"为系统默认输入法"), std::string::npos) << run.messages[0];
  EXPECT_FALSE(std::filesystem::exists(HostPath("vorlkelt.exe"))) << "nothing unpacked";
}

TEST_F(Reinstallation, KeepingTheDataBringsBackEveryFile) {
  const auto data = InstallAndUse();
  ProgramRun run = RunProgram("", Walk(), {true});
  ASSERT_FALSE(run.stopped || run.ended);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.messages.size(), 3u);
  EXPECT_EQ(run.messages[0], kKeepQuestion);
  EXPECT_EQ(run.messages[1], u8"成功恢复了24个原有数据文件！");
  EXPECT_EQ(run.messages[2], kInstalled);
  ExpectUserDataBack(data, "after keeping the data");
  EXPECT_FALSE(std::filesystem::exists(PendingMark()));
}

TEST_F(Reinstallation, LettingTheDataGoKeepsTheDefaults) {
  const auto data = InstallAndUse();
  ProgramRun run = RunProgram("", Walk(), {false});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.messages.size(), 2u);
  EXPECT_EQ(run.messages[0], kKeepQuestion);
  EXPECT_EQ(run.messages[1], kInstalled);
  EXPECT_NE(ReadFile("vorldwdw.txt"), data.at("vorldwdw.txt"));
  EXPECT_FALSE(std::filesystem::exists(PendingMark()));
}

// A file missing from the earlier installation keeps nothing else from
// being backed up and kept.
TEST_F(Reinstallation, AnEarlierInstallationWithoutAnEssentialFileStillKeepsTheRest) {
  auto data = InstallAndUse();
  std::filesystem::remove_all(HostPath("vorlzdfh.voh"));
  data.erase("vorlzdfh.voh");
  ProgramRun run = RunProgram("", Walk(), {true});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.messages.size(), 3u);
  EXPECT_EQ(run.messages[1], u8"成功恢复了23个原有数据文件！");
  ExpectUserDataBack(data, "without vorlzdfh.voh");
}

TEST_F(Reinstallation, AnEarlierInstallationRecordedElsewhereIsRestoredIntoTheNewDirectory) {
  const auto data = InstallAndUse();
  const std::filesystem::path earlier = root_ / "drives" / "c" / "old" / "morvak8";
  std::filesystem::create_directories(earlier.parent_path());
  std::filesystem::copy(HostPath(""), earlier, std::filesystem::copy_options::recursive);
  std::filesystem::remove_all(HostPath(""));
  std::ofstream(root_ / "drives" / "c" / "Windows" / "vorlpat8.voh", std::ios::binary | std::ios::trunc)
      << "C:\\old\\morvak8\\";
  ProgramRun run = RunProgram("", Walk(), {true});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_GE(run.messages.size(), 2u);
  EXPECT_EQ(run.messages[0], u8"检测到有智能Qelvo以前的词组等数据文件，是否保留？");
  ExpectUserDataBack(data, "restored from the earlier directory");
}

// An earlier interactive installation left a whole skin: keeping the data
// keeps it, without the dialog.
TEST_F(Reinstallation, KeptDataWithACompleteSkinShowsNoDialog) {
  InstallAndUse();
  ASSERT_EQ(RunProgram("", Walk(), {false}).exitCode, 0);
  std::vector<sim::UserAction> withoutDialog = Walk();
  withoutDialog.pop_back();
  ProgramRun run = RunProgram("", withoutDialog, {true});
  EXPECT_FALSE(run.stopped) << "the skin dialog was shown";
  EXPECT_EQ(run.exitCode, 0);
}

// The run ends after the package went over the user's files and before the
// restore; the next installation that keeps the data brings all of it back.
// Each stage starts from an installation the user has used since.
TEST_F(Reinstallation, ARunEndedAtAnyStageBeforeTheRestoreLosesNothing) {
  const auto data = InstallAndUse();
  const struct {
    const char *stage;
    int endAt;
    std::vector<bool> answers;
    bool dialogAnswered;
  } stages[] = {
      {"at the keep-data question", 0, {}, false},
      {"at the registration", 10043, {true}, true},
      {"at the registry entries", 10044, {true}, true},
      {"at the skin dialog", 0, {true}, false},
      {"before the restore", 1005, {true}, true},
  };
  for (const auto &stage : stages) {
    Use();
    // An incomplete skin, so that the skin dialog shows.
    std::filesystem::remove_all(HostPath("vobmp8.voh"));
    std::vector<sim::UserAction> actions = Walk();
    if (!stage.dialogAnswered) actions.pop_back();
    ProgramRun ended = RunProgram("", actions, stage.answers, stage.endAt);
    ASSERT_TRUE(ended.stopped || ended.ended) << stage.stage;
    EXPECT_NE(ReadFile("vorldwdw.txt"), data.at("vorldwdw.txt")) << "the defaults went over it " << stage.stage;
    EXPECT_TRUE(std::filesystem::exists(PendingMark())) << stage.stage;
    ProgramRun kept = RunProgram("", Walk(), {true});
    EXPECT_EQ(kept.exitCode, 0) << stage.stage;
    ExpectUserDataBack(data, stage.stage);
  }
}

// ---- What an ordinary user can leave in the installation folder, which
// every user may write, before the administrator reinstalls ----

// A backup of their own with a program and a module in it, marked as
// pending in the folder: nothing of it is restored, started or copied into
// a system folder, and the user's real data comes back.
TEST_F(Reinstallation, APlantedBackupIsNeitherRestoredNorStarted) {
  const auto data = InstallAndUse();
  using archive_fixtures::LongEntry;
  WriteFile("vorlback.voz", archive_fixtures::Archive("C0", 3, {LongEntry("vorlkelt.exe", "planted program"),
                                                              LongEntry("morvak4.ime", "planted module"),
                                                              LongEntry("vorldwdw.txt", "planted words")}));
  WriteFile("vorlback.pnd", "");
  ProgramRun run = RunProgram("", Walk(), {true});
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.messages.size(), 3u);
  EXPECT_EQ(run.messages[1], u8"成功恢复了24个原有数据文件！");
  EXPECT_NE(ReadFile("vorlkelt.exe"), "planted program");
  EXPECT_NE(ReadDriveFile("Windows\\SysWOW64\\morvak4.ime"), "planted module");
  ExpectUserDataBack(data, "over a planted backup");
}

// A garbage backup with a mark beside it, or a folder under the backup's
// name: the user's data is still backed up before anything is unpacked,
// or nothing is unpacked at all.
TEST_F(Reinstallation, APlantedMarkOrFolderNeverLeavesTheDataUnprotected) {
  const auto data = InstallAndUse();
  WriteFile("vorlback.voz", "garbage");
  WriteFile("vorlback.pnd", "");
  ProgramRun kept = RunProgram("", Walk(), {true});
  ASSERT_EQ(kept.messages.size(), 3u);
  EXPECT_EQ(kept.messages[1], u8"成功恢复了24个原有数据文件！");
  ExpectUserDataBack(data, "after a garbage backup");
  const auto used = Use();
  // A folder with something in it stays (an empty one would be removed).
  std::filesystem::remove_all(HostPath("vorlback.voz"));
  std::filesystem::create_directory(HostPath("vorlback.voz"));
  WriteFile("vorlback.voz/inside.txt", "planted");
  ProgramRun refused = RunProgram("", Walk(), {});
  ASSERT_EQ(refused.messages.size(), 1u) << "no question, no completion";
  EXPECT_NE(refused.messages[0].find(u8"无法备份"), std::string::npos) << refused.messages[0];
  for (const auto &[name, content] : used) EXPECT_EQ(ReadFile(name), content) << name << " was unpacked over";
}

// Links and second names planted under the names the installer writes and
// reads: no write reaches a file outside the folder, no file is made where
// a dangling link points, and no file the user cannot read is copied into
// one they can.
TEST_F(Reinstallation, NoWriteOrCopyFollowsALinkPlantedInTheFolder) {
  InstallAndUse();
  const char *const victims[] = {"victim/bak.txt", "victim/install.txt", "victim/net.txt", "victim/dat.txt",
                                 "victim/mark.txt", "victim/profile.txt"};
  for (const char *victim : victims) WriteDriveFile(victim, std::string("untouched ") + victim);
  WriteDriveFile("Windows/secret.txt", "administrators only");
  for (const char *name :
       {"cfontset.bak", "install.voh", "vonetsj.dat", "vorldat.dat", "vorlback.pnd", "readme.txt", "vokey21.wav"})
    std::filesystem::remove_all(HostPath(name));
  std::filesystem::remove_all(HostPath("vorldwdw.txt"));
  std::filesystem::remove_all(HostPath("voyhgl0.dat"));
  AddFilesLines(
      "symlink = C:\\Program Files\\morvak8\\cfontset.bak | C:\\victim\\bak.txt\n"
      "symlink = C:\\Program Files\\morvak8\\install.voh | C:\\victim\\install.txt\n"
      "symlink = C:\\Program Files\\morvak8\\vonetsj.dat | C:\\victim\\net.txt\n"
      "symlink = C:\\Program Files\\morvak8\\vorldat.dat | C:\\victim\\dat.txt\n"
      "symlink = C:\\Program Files\\morvak8\\vorlback.pnd | C:\\victim\\mark.txt\n"
      "symlink = C:\\Program Files\\morvak8\\readme.txt | C:\\victim\\created.txt\n"
      "hardlink = C:\\Program Files\\morvak8\\vorldwdw.txt | C:\\Windows\\secret.txt\n"
      "hardlink = C:\\Program Files\\morvak8\\voyhgl0.dat | C:\\victim\\profile.txt\n"
      "junction = C:\\Program Files\\morvak8\\vokey21.wav | C:\\victim\n");
  ProgramRun run = RunProgram("", Walk(), {true});
  EXPECT_EQ(run.exitCode, 0);
  for (const std::string &message : run.messages) EXPECT_EQ(message.find(u8"没有成功"), std::string::npos) << message;
  EXPECT_TRUE(std::filesystem::is_regular_file(HostPath("vokey21.wav"))) << "the junction is still in its place";
  for (const char *victim : victims)
    EXPECT_EQ(ReadDriveFile(std::string("victim\\") + (victim + 7)), std::string("untouched ") + victim);
  EXPECT_FALSE(std::filesystem::exists(DrivePath("victim/created.txt"))) << "made through a dangling link";
  EXPECT_EQ(ReadDriveFile("Windows\\secret.txt"), "administrators only");
  EXPECT_EQ(ReadFile("vorldwdw.txt").find("administrators only"), std::string::npos) << "copied where users read";
}

// The installation folder itself replaced by a junction: nothing is written
// or given other rights there, and the user is told why.
TEST_F(Reinstallation, AJunctionAtTheInstallationFolderIsRefused) {
  InstallAndUse();
  MoveFolder(HostPath(""), DrivePath("elsewhere"));
  std::filesystem::create_directories(DrivePath("victim"));
  AddFilesLines("junction = C:\\Program Files\\morvak8 | C:\\victim\n");
  for (const char *command : {"", "setvosrf32"}) {
    ProgramRun run = RunProgram(command, Walk(), {});
    ASSERT_EQ(run.messages.size(), 1u) << command;
    EXPECT_NE(run.messages[0].find(u8"链接"), std::string::npos) << run.messages[0];
    EXPECT_TRUE(std::filesystem::is_empty(DrivePath("victim"))) << command;
  }
  const auto machine = sim::Machine::Load(root_);
  EXPECT_EQ(machine->files.SecurityOf("C:\\victim"), "") << "the folder's access was changed";
}

// ---- Histories that once lost the user's data ----

// The backup cannot be written (its name held open by another program, a
// read-only file, a full disk): nothing is unpacked and the user is told.
TEST_F(Reinstallation, ABackupThatCannotBeWrittenStopsBeforeUnpacking) {
  const struct {
    const char *what;
    const char *lines;
  } rows[] = {
      {"held open", "in_use = open-no-share-delete C:\\Program Files\\morvak8\\vorlback.voz\n"},
      {"read-only", "attributes = 0x1 C:\\Program Files\\morvak8\\vorlback.voz\n"},
      {"full disk", "short_write = 5 C:\\Program Files\\morvak8\\vorlback.vo~\n"},
  };
  InstallAndUse();
  for (const auto &row : rows) {
    const auto data = Use();
    WriteFile("vorlback.voz", "an earlier backup");
    AddFilesLines(row.lines);
    ProgramRun run = RunProgram("setvosrf32", {}, {});
    EXPECT_EQ(run.exitCode, 1) << row.what;
    ASSERT_EQ(run.messages.size(), 1u) << row.what;
    EXPECT_NE(run.messages[0].find(u8"无法备份"), std::string::npos) << row.what;
    for (const auto &[name, content] : data) EXPECT_EQ(ReadFile(name), content) << name << ", " << row.what;
    auto machine = sim::Machine::Load(root_);
    machine->files.ClearInUse("C:\\Program Files\\morvak8\\vorlback.voz");
    machine->files.SetAttributesOf("C:\\Program Files\\morvak8\\vorlback.voz", FILE_ATTRIBUTE_ARCHIVE);
    machine->Save();
  }
}

// Files the archive cannot carry (empty, larger than an entry the installer
// can unpack) stay in place and are not counted as restored.
TEST_F(Reinstallation, FilesTheArchiveCannotCarryStayInPlace) {
  auto data = InstallAndUse();
  const std::string large(2 * 1024 * 1024 + 100, 'L');
  WriteFile("vorldwdw.txt", "");
  WriteFile("userck.txt", large);
  data.erase("vorldwdw.txt");
  data.erase("userck.txt");
  ProgramRun run = RunProgram("", Walk(), {true});
  ASSERT_EQ(run.messages.size(), 3u);
  EXPECT_EQ(run.messages[1], u8"成功恢复了22个原有数据文件！");
  EXPECT_EQ(ReadFile("vorldwdw.txt"), "");
  EXPECT_EQ(ReadFile("userck.txt"), large);
  ExpectUserDataBack(data, "beside the files kept in place");
  EXPECT_FALSE(std::filesystem::exists(PendingMark()));
}

// Two reinstallations keeping the data, with no start of the input method
// in between to merge the ".bak" copies: the copies are the user's data.
TEST_F(Reinstallation, TwoKeepingReinstallationsInARowKeepTheCopies) {
  const auto data = InstallAndUse();
  ASSERT_EQ(RunProgram("", Walk(), {true}).exitCode, 0);
  ProgramRun again = RunProgram("", Walk(), {true});
  EXPECT_EQ(again.exitCode, 0);
  ExpectUserDataBack(data, "after the second reinstallation");
}

// A first run in a new folder that quits on its first screen leaves the
// record of the earlier installation elsewhere as it was, and a crash right
// after start leaves the record whole: the next installation still finds
// the user's data.
TEST_F(Reinstallation, AQuitOrACrashAtStartKeepsTheEarlierRecord) {
  const auto data = InstallAndUse();
  MoveFolder(HostPath(""), DrivePath("old/morvak8"));
  WriteDriveFile("Windows/vorlpat8.voh", "C:\\old\\morvak8\\");
  RunProgram("", {Click(310, 257)}, {});
  EXPECT_EQ(ReadDriveFile("Windows\\vorlpat8.voh"), "C:\\old\\morvak8\\") << "after a quit";
  AddFilesLines("crash_on_write = C:\\Windows\\vorlpat8.voh\ncrash_on_write = C:\\Windows\\vorlpat8.vo~\n");
  std::string output;
  EXPECT_EQ(RunCrashing("", &output), 4)
      << output;
  EXPECT_EQ(ReadDriveFile("Windows\\vorlpat8.voh"), "C:\\old\\morvak8\\") << "after a crash";
  ProgramRun kept = RunProgram("", Walk(), {true});
  EXPECT_EQ(kept.exitCode, 0);
  ExpectUserDataBack(data, "after a quit and a crash at start");
}

// The windowless run keeps the user's data as the wizard's Yes does, and
// says nothing about it.
TEST_F(Reinstallation, AWindowlessReinstallationKeepsTheData) {
  const auto data = InstallAndUse();
  ProgramRun run = RunProgram("setvosrf32", {}, {});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.messages.empty());
  ExpectUserDataBack(data, "after the windowless run");
  EXPECT_FALSE(std::filesystem::exists(PendingMark()));
}

// ---- Runs with a file of the package held by another program ----

// A package file held open stays as it was and fails the check: the run
// that showed that failure does not say it is complete, on the TSF ending
// (whose report finds nothing wrong) nor on the IME's finish timer.
TEST_F(Reinstallation, ACompletionIsToldOnlyWhenNothingFailed) {
  std::vector<sim::UserAction> tsf = Walk();
  tsf.erase(tsf.begin());
  for (const auto &walk : {Walk(), tsf}) {
    std::filesystem::remove_all(root_);
    ASSERT_EQ(RunProgram("setvosrf32", {}, {}).exitCode, 0);
    HoldInFolder({"votb05.bmp"}, sim::InUse::OpenNoShareDelete);
    ProgramRun run = RunProgram("", walk, {});
    EXPECT_EQ(run.exitCode, 0);
    std::string told;
    for (const std::string &message : run.messages) told += message + "\n";
    EXPECT_NE(told.find("votb05.bmp...."), std::string::npos) << told;
    EXPECT_EQ(told.find(kInstalled), std::string::npos) << told;
  }
}

// A package file that can be renamed but not replaced is not moved aside
// onto another file of the package ("votb02.bmp" would become "votb01.bmp"):
// that file is unpacked whole and checks out.
TEST_F(Reinstallation, AHeldFileIsNeverMovedAsideOntoAnotherPackageFile) {
  HoldInFolder({"votb02.bmp"}, sim::InUse::LoadedModule);
  ProgramRun run = RunProgram("", Walk(), {});
  ASSERT_FALSE(run.messages.empty());
  EXPECT_EQ(run.messages.back().find("votb01.bmp"), std::string::npos) << run.messages.back();
  std::ifstream in(std::filesystem::path(VOZ_SMALL_PACKAGE_FILE).parent_path() / "files" / "votb01.bmp",
                   std::ios::binary);
  EXPECT_TRUE(ReadFile("votb01.bmp") == std::string(std::istreambuf_iterator<char>(in), {})) << "not the package's";
}

// The list of every package file that failed its check, longer than any
// other message, reads the same on a machine of code page 950.
TEST_F(Reinstallation, ALongListOfFailedFilesReadsTheSameOnCodePage950) {
  preset_ = "win10-x64-cp950";
  std::vector<std::string> names;
  for (int i = 101; i <= 124; ++i) {
    names.push_back("votb" + std::to_string(i).substr(1) + ".bmp");
    names.push_back("vokey" + std::to_string(i).substr(1) + ".wav");
  }
  HoldInFolder(names, sim::InUse::OpenNoShareDelete);
  ProgramRun run = RunProgram("", Walk(), {});
  ASSERT_FALSE(run.messages.empty());
  const std::string &list = run.messages.back();
  const char kClosing[] = u8"有文件没有成功解压，请重新下载安装！\r\n\r\n\r\n上述文件没有成功复制，请重新下载安装！";
  EXPECT_NE(list.find(kClosing), std::string::npos) << list;
  for (const std::string &name : names) EXPECT_NE(list.find(name + "...."), std::string::npos) << name;
}

// ".bak" copies not merged yet that the archive cannot carry (empty, too
// large) are the user's data as much as the others: they stay as they are.
TEST_F(Reinstallation, CopiesTheArchiveCannotCarryStayInPlace) {
  InstallAndUse();
  const std::string large(2 * 1024 * 1024 + 100, 'L');
  WriteFile("cwbzlcz1.bak", "");
  WriteFile("vodhzcm.bak", large);
  ASSERT_EQ(RunProgram("", Walk(), {true}).exitCode, 0);
  EXPECT_TRUE(std::filesystem::exists(HostPath("cwbzlcz1.bak")));
  EXPECT_EQ(ReadFile("cwbzlcz1.bak"), "");
  EXPECT_TRUE(ReadFile("vodhzcm.bak") == large) << "the large copy changed";
}

// A run into another Program Files folder stops at the keep question (the
// user walks away): the copy too large for the backup stayed in the earlier
// folder, and the next installation keeping the data brings it over too.
TEST_F(Reinstallation, ACopyTooLargeToCarryFollowsARunIntoANewFolder) {
  InstallAndUse();
  const std::string large(2 * 1024 * 1024 + 100, 'L');
  WriteFile("vodhzcm.bak", large);
  {
    auto machine = sim::Machine::Load(root_);
    machine->profile.programFilesX86Dir = "C:\\Program Files B";
    machine->Save();
  }
  std::filesystem::create_directories(DrivePath("Program Files B"));
  EXPECT_TRUE(RunProgram("", Walk(), {}).stopped);
  programFiles_ = "Program Files B";
  EXPECT_EQ(RunProgram("", Walk(), {true}).exitCode, 0);
  EXPECT_TRUE(ReadFile("vodhzcm.bak") == large) << "the large copy is not in the new folder";
}

// A run into another Program Files folder ends as it writes the record on
// the data drive, right after the one in the Windows folder names the new
// folder: the next installation keeping the data brings all of it there.
TEST_F(Reinstallation, ARunEndedAsTheRecordNamesANewFolderLosesNothing) {
  const auto data = InstallAndUse();
  {
    auto machine = sim::Machine::Load(root_);
    machine->profile.programFilesX86Dir = "C:\\Program Files B";
    machine->files.SetCrashOnWrite("C:\\morvak8\\vorlpat8.vo~");
    machine->Save();
  }
  std::filesystem::create_directories(DrivePath("Program Files B"));
  std::string output;
  EXPECT_EQ(RunCrashing("setvosrf32", &output), 4) << output;
  EXPECT_EQ(ReadDriveFile("Windows\\vorlpat8.voh"), "C:\\Program Files B\\morvak8\\") << "the record names it";
  programFiles_ = "Program Files B";
  ProgramRun kept = RunProgram("", Walk(), {true});
  EXPECT_EQ(kept.exitCode, 0);
  ExpectUserDataBack(data, "in the new folder");
}

// A first installation that crashed before it wrote any file of the user's
// leaves a record of its folder but no data in it: the next run has nothing
// to ask about. With only a file the archive cannot carry there, the backup
// holds no entry, and one left waiting by a run stopped at the question
// does not stop the next run: the file stays as it is.
TEST_F(Reinstallation, ABackupWithNothingToCarryNeverStopsAnInstallation) {
  std::string output;
  {
    auto machine = sim::Machine::CreateFromPreset(preset_, root_);
    machine->files.SetCrashOnWrite(std::string(kDir) + "vorlcyzk.vo~");
    machine->Save();
  }
  ASSERT_EQ(RunCrashing("setvosrf32", &output), 4) << output;
  ProgramRun first = RunProgram("", Walk(), {});
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(first.messages, std::vector<std::string>{kInstalled}) << "no question about data there is none of";

  for (const auto &entry : std::filesystem::directory_iterator(HostPath(""))) {
    const std::string name = entry.path().filename().string();
    const std::string type = name.size() > 4 ? name.substr(name.size() - 4) : "";
    if (type == ".voh" || type == ".txt" || type == ".ov1")
      std::filesystem::remove_all(entry.path());
  }
  WriteFile("vorldwdw.txt", "");
  ProgramRun stopped = RunProgram("", Walk(), {});
  ASSERT_TRUE(stopped.stopped);
  ASSERT_EQ(stopped.messages, std::vector<std::string>{kKeepQuestion});
  ASSERT_TRUE(std::filesystem::exists(PendingMark()));
  ProgramRun windowless = RunProgram("setvosrf32", {}, {});
  EXPECT_EQ(windowless.exitCode, 0);
  EXPECT_TRUE(windowless.messages.empty());
  EXPECT_EQ(ReadFile("vorldwdw.txt"), "");
  EXPECT_FALSE(std::filesystem::exists(PendingMark()));
}

}  // namespace
