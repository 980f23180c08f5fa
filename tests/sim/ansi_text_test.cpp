// The "A" calls that hand back text give it in the machine's ANSI code page:
// on a machine whose folders and user have Chinese names (characters that
// both GBK and Big5 have), each gives the GBK or Big5 bytes, never UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "simmachine/code_page.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

struct TextCall {
  const char *name;
  std::string (*call)();
  const char *expected;  // UTF-8
};

void PrintTo(const TextCall &row, std::ostream *out) { *out << row.name; }

std::string Text(const char *buffer) { return buffer; }

std::string WindowsDirectory() {
  char buffer[MAX_PATH];
  GetWindowsDirectoryA(buffer, sizeof buffer);
  return Text(buffer);
}

std::string SystemDirectory() {
  char buffer[MAX_PATH];
  GetSystemDirectoryA(buffer, sizeof buffer);
  return Text(buffer);
}

std::string CurrentDirectory() {
  char buffer[MAX_PATH];
  GetCurrentDirectoryA(sizeof buffer, buffer);
  return Text(buffer);
}

std::string TempPath() {
  char buffer[MAX_PATH];
  GetTempPathA(sizeof buffer, buffer);
  return Text(buffer);
}

std::string ProgramPath() {
  char buffer[MAX_PATH];
  GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return Text(buffer);
}

std::string SpecialFolder(int folder) {
  char buffer[MAX_PATH] = "";
  return SHGetSpecialFolderPathA(nullptr, buffer, folder, FALSE) ? Text(buffer) : "<failed>";
}

std::string UserName() {
  char buffer[64] = "";
  DWORD size = sizeof buffer;
  return GetUserNameA(buffer, &size) ? Text(buffer) : "<failed>";
}

class AnsiTextCall : public ::testing::TestWithParam<TextCall> {};

TEST_P(AnsiTextCall, GivesChineseNamesInTheAnsiCodePage) {
  for (const char *preset : {"win10-x64", "win10-x64-cp950"}) {
    ScopedMachine machine(preset);
    sim::Profile &profile = machine->profile;
    profile.windowsDir = u8"C:\\中文";
    profile.systemDir = u8"C:\\中文\\文字";
    profile.programFilesX86Dir = u8"C:\\程式 (x86)";
    profile.appDir = u8"C:\\文件\\中文";
    profile.appName = u8"王.exe";
    profile.userName = u8"王";
    EXPECT_EQ(GetParam().call(), sim::Utf8ToCodePage(profile.ansiCodePage, GetParam().expected)) << preset;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, AnsiTextCall,
    ::testing::Values(TextCall{"GetWindowsDirectoryA", WindowsDirectory, u8"C:\\中文"},
                      TextCall{"GetSystemDirectoryA", SystemDirectory, u8"C:\\中文\\文字"},
                      TextCall{"GetCurrentDirectoryA", CurrentDirectory, u8"C:\\文件\\中文"},
                      TextCall{"GetTempPathA", TempPath, u8"C:\\中文\\Temp\\"},
                      TextCall{"GetModuleFileNameA", ProgramPath, u8"C:\\文件\\中文\\王.exe"},
                      TextCall{"SHGetSpecialFolderPathA_ProgramFiles", [] { return SpecialFolder(CSIDL_PROGRAM_FILES); },
                               u8"C:\\程式 (x86)"},
                      TextCall{"SHGetSpecialFolderPathA_Windows", [] { return SpecialFolder(CSIDL_WINDOWS); },
                               u8"C:\\中文"},
                      TextCall{"GetUserNameA", UserName, u8"王"}),
    [](const ::testing::TestParamInfo<TextCall> &info) { return std::string(info.param.name); });

}  // namespace
