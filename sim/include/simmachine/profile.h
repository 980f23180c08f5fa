// The facts of one simulated Windows machine: what its version, architecture,
// code page, user and folders are. Presets give realistic facts for each
// Windows the program distinguishes; machine.ini holds them as editable text.
#pragma once

#include <string>
#include <vector>

namespace sim {

enum class Family { Win9x, NT };

// A top-level window of another program that runs on the machine from the
// start ([windows] in machine.ini). It records the copy-data it receives; a
// faulting one stands for a fault in the program while it talks to that
// window (SendMessageA raises an access violation).
struct OtherWindow {
  std::string className;  // UTF-8
  std::string title;      // UTF-8, may be empty
  bool faults = false;
  int owner = 0;  // the 1-based number of an earlier window that owns this one (a popup); 0 none
};

struct Profile {
  std::string preset;            // the preset it was made from, informational
  Family family = Family::NT;
  unsigned major = 10, minor = 0, build = 19045;
  std::string servicePack;       // szCSDVersion, e.g. "Service Pack 1"
  unsigned servicePackMajor = 0;
  unsigned nativeArchitecture = 9;  // PROCESSOR_ARCHITECTURE_*: 0 x86, 9 AMD64
  unsigned processBits = 32;        // the program's own build: 32 (setup.exe) or 64
  unsigned oemCodePage = 936;
  unsigned ansiCodePage = 936;
  std::string userName = "user";
  bool administrator = true;
  std::string fixedDrives = "C";    // letters of the fixed drives
  std::string cdromDrives = "D";    // letters of CD-ROM drives
  std::string windowsDir = "C:\\Windows";
  std::string systemDir = "C:\\Windows\\System32";
  std::string syswow64Dir;          // empty on 32-bit Windows
  std::string programFilesDir = "C:\\Program Files";          // native Program Files
  std::string programFilesX86Dir = "C:\\Program Files (x86)"; // 64-bit Windows only
  std::string profileDir = "C:\\Users\\user";                 // the user's profile folder
  std::string appDir = "C:\\Users\\user\\Downloads";          // where the setup program was started
  std::string appName = "setup.exe";
  unsigned tickCount = 3600000;     // GetTickCount at start, in ms
  int screenWidth = 1920, screenHeight = 1080;
  bool specialFolderFails = false;  // SHGetSpecialFolderPathA answers FALSE
  bool imeInstallFails = false;     // ImmInstallIMEW answers no layout
  std::string keyboardLayout;       // the thread's layout id ("E0200804"); empty: the user's first preload entry
  std::vector<OtherWindow> otherWindows;
  std::vector<std::string> fileMappings;  // names of other programs' shared memory

  bool IsWow64() const { return nativeArchitecture == 9 && processBits == 32; }
  bool Is64BitWindows() const { return nativeArchitecture == 9 || nativeArchitecture == 6; }
  // What GetVersionExA and GetVersion report to a program that declares no
  // supported operating systems: Windows 8.1 and later say 6.2.9200.
  unsigned ReportedMajor() const;
  unsigned ReportedMinor() const;
  unsigned ReportedBuild() const;
  // The Program Files folder as SHGetSpecialFolderPathA gives it to this
  // program (the x86 folder for a 32-bit program on 64-bit Windows).
  std::string ProgramFilesForProgram() const;
};

// Names of the presets ("win98", "winxp-x86", ..., and each with "-cp950").
std::vector<std::string> PresetNames();
// Fills `profile` from a preset name; false for an unknown name.
bool PresetProfile(const std::string &name, Profile *profile);

// machine.ini text of a profile ([machine] and [windows]), and back. Unknown
// keys are an error so that a typing mistake in a hand-edited file is noticed.
std::string ProfileToIni(const Profile &profile);
bool ProfileFromIni(const std::string &text, Profile *profile, std::string *error);

}  // namespace sim
