// Programs that hold the input method, and its shared memory, on simulated
// machines whose other programs' windows and mappings come from machine.ini.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/program_state.h"
#include "package/working_buffer.h"
#include "shell/conflict_detection.h"
#include "simmachine/code_page.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

std::string BufferText(BufferLayout region) {
  return sim::Utf16ToUtf8(sim::FromWide(reinterpret_cast<const wchar_t *>(WorkingBufferRegion(region).bytes)));
}

class ConflictDetection : public ::testing::Test {
 protected:
  ConflictDetection() { EXPECT_EQ(AllocateWorkingBuffer(), 1); }
  ~ConflictDetection() override { FreeWorkingBuffer(); }
  // Written to machine.ini and read back, as a user would set it up.
  void Windows(const std::string &lines) {
    machine_->Save();
    const std::filesystem::path path = machine_->root() / "machine.ini";
    std::ofstream(path, std::ios::app) << "\n[windows]\n" << lines;
    machine_->profile = sim::Machine::Load(machine_->root())->profile;
  }
  ScopedMachine machine_{"win10-x64"};
};

// Window 3 has no parent: it counts but adds no line, so the numbers skip.
// Window 4's chain climbs through 2 to 1. "uikelt" differs in case only.
TEST_F(ConflictDetection, ListsEachWindowOfTheClassUnderItsOutermostTitle) {
  Windows(u8"window = Notepad | 记事本\n"
          "window = UIKELT | ime ui | owner 1\n"
          "window = UIKELT | lonely\n"
          "window = UIKELT | nested | owner 2\n"
          "window = uikelt | other case | owner 1\n"
          "window = STATKELT | status | owner 1\n");
  program.interfaceChoice = 0;
  FindConflictingPrograms();
  EXPECT_EQ(conflicts.count, 3);
  EXPECT_EQ(BufferText(kConflictMessage), u8"智能Qelvo安装软件检测到有下列 3 个软件在使用智能Qelvo输入法:\r\n\r\n"
                           u8"　　1：记事本\r\n　　3：记事本\r\n\r\n\r\n请关闭上述软件后再继续安装！\r\n"
                           u8"如无法关闭，则请将智能Qelvo设置为非默认输入法后，重新启动机器进行安装！");
  program.interfaceChoice = 1;
  FindConflictingPrograms();
  EXPECT_EQ(conflicts.count, 1);
  EXPECT_EQ(BufferText(kConflictList), u8"　　1：记事本\r\n");
}

TEST_F(ConflictDetection, NoWindowOfTheClassComposesNothing) {
  Windows("window = Notepad | notes\n");
  FindConflictingPrograms();
  EXPECT_EQ(conflicts.count, 0);
  EXPECT_EQ(BufferText(kConflictMessage), "");
  EXPECT_EQ(BufferText(kConflictList), "");
}

// However many windows there are, the message stays below the line area it
// is composed beside; the ones past the room are counted, not listed, and a
// last line says how many those are.
TEST_F(ConflictDetection, ManyWindowsNeverRunTheMessageIntoItsScratch) {
  std::string lines = "window = Owner | " + std::string(250, 't') + "\n";
  for (int i = 0; i < 700; ++i) lines += "window = UIKELT | x | owner 1\n";
  Windows(lines);
  program.interfaceChoice = 0;
  FindConflictingPrograms();
  EXPECT_EQ(conflicts.count, 700);
  const std::string message = BufferText(kConflictMessage);
  EXPECT_LT(sim::Utf8ToUtf16(message).size() * 2, 0x40000u);
  const std::string line = std::string(200, 't') + "\r\n";
  EXPECT_NE(message.find(u8"　　1：" + line), std::string::npos);
  EXPECT_EQ(message.find(std::string(201, 't')), std::string::npos);
  EXPECT_EQ(message.find(u8"　　700："), std::string::npos);
  int listed = 0;
  for (size_t at = message.find(line); at != std::string::npos; at = message.find(line, at + 1)) ++listed;
  ASSERT_GT(listed, 500);
  EXPECT_NE(message.find(u8"　　" + std::to_string(listed) + u8"：" + line + u8"　　……另有 " +
                         std::to_string(700 - listed) + u8" 个软件没有列出\r\n\r\n\r\n请关闭上述软件"),
            std::string::npos)
      << message.substr(message.size() - 600);
}

TEST_F(ConflictDetection, SharedMemoryIsLookedForUnderTheInterfacesName) {
  Windows("file_mapping = morvakkelt\n");
  program.interfaceChoice = 0;
  ProbeImeSharedMemory();
  EXPECT_EQ(conflicts.count, 1);
  program.interfaceChoice = 1;
  ProbeImeSharedMemory();
  EXPECT_EQ(conflicts.count, 0);
  machine_->profile.fileMappings = {"morvakkelt80"};
  ProbeImeSharedMemory();
  EXPECT_EQ(conflicts.count, 1);
  EXPECT_TRUE(machine_->process.mappingHandles.empty());
}

}  // namespace
