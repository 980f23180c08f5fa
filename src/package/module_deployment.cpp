#include "package/module_deployment.h"

#include "common/file_operations.h"
#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/module_copy.h"
#include "common/plain_files.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "package/archive_reader.h"
#include "package/package_data.h"
#include "package/version_patch.h"
#include "package/working_buffer.h"
#include "platform/win32.h"

namespace {

const int kPathSize = kInstallDirSize + 16;  // the directory and a module's name
const DWORD kStepPause = 50;
const int kImeProgressTotal = 64;


const char *const kOldHelpers[] = {"vorlkel6.exe", "vorlkelt.exe"};
const char *const kImeBuilds[] = {"vorl320.ime", "vorl321.ime", "vorl640.ime", "vorl641.ime"};
const char *const kImeModules[] = {"vorl320.ime", "vorl321.ime",  "vorl640.ime", "vorl641.ime",
                                   "morvak4.ime", "morvak64.ime", "morvak32.ime"};
const char *const kOlderTsfBuilds[] = {"csrf732.dll", "csrf764.dll"};
const char *const kTsfModules[] = {"csrf732.dll", "csrf764.dll", "vorlsrf.dll", "vorlsrf6.dll"};

// A path that does not fit stays empty: nothing is done to any file then.
void InstalledPath(char *path, const char *name) { JoinPath(path, kPathSize, installDir, name); }

// Deletions in the installation directory report nothing.
template <int N>
void RemoveInstalled(const char *const (&names)[N]) {
  char path[kPathSize];
  for (const char *name : names) {
    InstalledPath(path, name);
    remove(path);
  }
}

// `name` is replaced by the build unpacked as `build`.
void ReplaceInstalled(const char *name, const char *build) {
  char path[kPathSize], buildPath[kPathSize];
  InstalledPath(path, name);
  InstalledPath(buildPath, build);
  remove(path);
  rename(buildPath, path);
}

void RemoveOldHelpers() {
  char path[kPathSize];
  for (const char *name : kOldHelpers) {
    InstalledPath(path, name);
    SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
    DeleteIfPresent(path);
  }
}

// What the shell installed (SetEarlierDataQuestion, SetUnpackSelector).
struct DeploymentHooks {
  EarlierDataQuestion earlierDataQuestion;
  EntrySelector unpackSelector;
};
DeploymentHooks hooks;

// 0 when not a single entry was unpacked.
int UnpackPackage() {
  DWORD written = 0;
  const BufferRegion scratch = WorkingBufferRegion(kUnpackScratch);
  if (!ExtractSelectedEntries(carriedPackage.data, carriedPackage.size, installDir, hooks.unpackSelector,
                              scratch.bytes, scratch.size, &written)) {
    ShowFailure(kUnpackIncompleteText, kEditionSetupCaption);
    return written > 0;
  }
  if (hooks.earlierDataQuestion) hooks.earlierDataQuestion();
  return 1;
}

// The phrase lists the backup of earlier data left as .bak files; missing
// ones are passed over.
void RestorePhraseLists() {
  static const char *const kBackups[][2] = {{"vorlcyzk.bak", "vorlcyzk.dat"}, {"vorlpyck.bak", "vorlpyck.dat"}};
  char backup[kPathSize], list[kPathSize];
  for (const auto &names : kBackups) {
    InstalledPath(backup, names[0]);
    InstalledPath(list, names[1]);
    CopyPlainFile(backup, list);
  }
}

// TSF: Windows 11 takes the package's own vorlsrf.dll and vorlsrf6.dll,
// Windows 10 the vosrf10 builds, earlier Windows the csrf7 builds.
void ArrangeTsfModules() {
  RemoveInstalled(kImeModules);
  if (windowsFacts.windows10 == 1) {
    RemoveInstalled(kOlderTsfBuilds);
    if (windowsFacts.windows11 == 1) return;
    ReplaceInstalled("vorlsrf.dll", "vosrf10.dll");
    ReplaceInstalled("vorlsrf6.dll", "vosrf610.dll");
    return;
  }
  ReplaceInstalled("vorlsrf.dll", "csrf732.dll");
  ReplaceInstalled("vorlsrf6.dll", "csrf764.dll");
}

void ArrangeModules() {
  if (program.interfaceChoice == 1)
    ArrangeTsfModules();
  else
    RemoveInstalled(kTsfModules);
}

// The TSF copies go by the bitness of the processor.
void CopyTsfModules() {
  if (windowsFacts.bitness != 64) {
    CopyModule("vorlsrf.dll", "vorlsrf.dll", kTargetSystem);
    return;
  }
  CopyModule("vorlsrf.dll", "vorlsrf.dll", kTargetSyswow64);
  AdvanceProgress(1);
  CopyModule("vorlsrf6.dll", "vorlsrf6.dll", kTargetNativeSystem);
}

// The full pass copies the code page's build after patching its version text.
const char *ImeSource(int pass, const char *simplified, const char *traditional, const char *packaged) {
  if (pass != kFullPass) return packaged;
  const char *source = windowsFacts.codePage == kTraditionalCodePage ? traditional : simplified;
  char path[kPathSize];
  InstalledPath(path, source);
  PatchVersionText(path);
  return source;
}

}  // namespace

void SetEarlierDataQuestion(EarlierDataQuestion question) { hooks.earlierDataQuestion = question; }

void SetUnpackSelector(EntrySelector selected) { hooks.unpackSelector = selected; }

void ResetDeploymentHooks() { hooks = DeploymentHooks(); }

int CheckPackageUsable() {
  if (ArchiveHasEntries(carriedPackage.data, carriedPackage.size)) return 1;
  ShowFailure(kUnpackIncompleteText, kEditionSetupCaption);
  return 0;
}

int DeployFiles(int pass) {
  AdvanceProgressOnFreshScreen(1);
  Sleep(kStepPause);
  if (pass == kFullPass) {
    RemoveOldHelpers();
    if (!UnpackPackage()) return 0;
  }
  AdvanceProgressOnFreshScreen(1);
  RestorePhraseLists();
  Sleep(kStepPause);
  AdvanceProgress(2);
  ArrangeModules();
  AdvanceProgress(1);
  if (program.interfaceChoice == 1) {
    CopyTsfModules();
  } else {
    DeployImeModule(pass);
    if (pass != kFullPass) return 1;
  }
  AdvanceProgress(1);
  CopyModule("vorldel8.exe", "vorldel8.exe", kTargetWindowsDir);
  AdvanceProgress(1);
  return 1;
}

void DeployImeModule(int pass) {
  ShowProgressScreen();
  Sleep(kStepPause);
  ResetProgress(kImeProgressTotal);
  // On 64-bit Windows the 32-bit build goes to syswow64 and the 64-bit build
  // to the native system directory.
  const bool wide = windowsFacts.is64BitWindows;
  CopyModule(ImeSource(pass, "vorl320.ime", "vorl321.ime", "morvak4.ime"), "morvak4.ime",
             wide ? kTargetSyswow64 : kTargetSystem);
  if (wide)
    CopyModule(ImeSource(pass, "vorl640.ime", "vorl641.ime", "morvak64.ime"), "morvak4.ime", kTargetNativeSystem);
  char path[kPathSize];
  if (pass == kFullPass) {
    InstalledPath(path, "setupw64.exe");
    PatchVersionText(path);
    return;
  }
  for (const char *name : kImeBuilds) {
    InstalledPath(path, name);
    DeleteIfPresent(path);
  }
}
