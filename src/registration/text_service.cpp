#include "registration/text_service.h"

#include "common/message_box.h"
#include "common/module_copy.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/safe_command.h"
#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "common/wow64.h"
#include "platform/win32.h"

const char kTextServiceClassId[] = "{65653599-5030-4C0F-8871-83F6AFDE5098}";

namespace {

const char kSortOrderKey[] =
    "SOFTWARE\\Microsoft\\CTF\\SortOrder\\AssemblyItem\\0x00000804\\{34745C63-B2F0-4784-8B67-5E12C8701A31}";
const int kSortOrderEntries = 100;

const char kTextServiceKey[] = "SOFTWARE\\Microsoft\\CTF\\TIP\\{65653599-5030-4C0F-8871-83F6AFDE5098}";
// regsvr32 is given this long to register a module before the next start.
const DWORD kRegistrationPauseMs = 2000;

// The categories the text service's own registration makes, checked in this
// order on Windows 10 and later (their position is the error code, after 0
// for the text service key itself).
const char *const kCheckedCategories[] = {
    "{13A016DF-560B-46CD-947A-4C3AF1E0E35D}",  // immersive support
    "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",  // system tray support
    "{34745C63-B2F0-4784-8B67-5E12C8701A31}",  // keyboard
};
// The categories the final check completes, in this order.
const char *const kCompletedCategories[] = {
    "{046B8C80-1647-40F7-9B21-B93B81AABC1B}",  // display attribute provider
    "{364215D9-75BC-11D7-A6EF-00065B84435C}",  // COM-less
    "{49D2F9CE-1F5E-11D7-A6D3-00065B84435C}",  // secure mode
    "{49D2F9CF-1F5E-11D7-A6D3-00065B84435C}",  // UI-element enabled
    "{CCF05DD7-4A87-11D7-A6E2-00065B84435C}",  // input-mode compartment
};
const int kCategoryTextSize = 39;  // a GUID with braces and its terminator
const int kKeyPathSize = 300;

// "...\Category\Category": category to text service.
void FormCategoryListKey(char *path) { JoinPath(path, kKeyPathSize, kTextServiceKey, "Category\\Category"); }
// "...\Category\Item\{class id}": text service to category.
void FormItemListKey(char *path) {
  char list[kKeyPathSize];
  JoinPath(list, sizeof list, kTextServiceKey, "Category\\Item");
  JoinPath(path, kKeyPathSize, list, kTextServiceClassId);
}

// Starts regsvr32 from the system folder for the module in `directory`,
// then gives it the pause.
void StartRegistration(const char *directory, const char *module) {
  char path[kSyswow64PathSize + 16], arguments[sizeof "/s " + sizeof path];
  char command[kSystemDirSize + sizeof arguments + 32];
  if (JoinPath(path, sizeof path, directory, module)) {
    CopyText(arguments, sizeof arguments, "/s ");
    AppendText(arguments, sizeof arguments, path);
    if (FormatSystemToolCommand(command, sizeof command, "regsvr32.exe", arguments)) WinExec(command, SW_SHOW);
  }
  Sleep(kRegistrationPauseMs);
}

// Both modules of a 64-bit system: the 32-bit one from syswow64, the 64-bit
// one from the system directory. 0 when the folders could not be had and
// nothing was started.
int StartBothRegistrations(void *) {
  char systemDir[kSystemDirSize];
  if (!windowsFacts.syswow64Path[0] || !ReadSystemFolder(systemDir, kSystemDirSize)) return 0;
  StartRegistration(windowsFacts.syswow64Path, "vorlsrf.dll");
  StartRegistration(systemDir, "vorlsrf6.dll");
  return 1;
}

// From a WOW64 process the starts above reach the 32-bit regsvr32 only;
// with redirection off they reach the native one as well.
void StartRegistrationsWithoutRedirection() {
  int started = 0;
  RunWithoutRedirection(StartBothRegistrations, NULL, &started);
}

void ShowCopyFailure(const char *module) {
  char text[256];
  wsprintfA(text, kModuleNotCopiedFormat, module);
  ShowFailure(text, kEditionSetupCaption);
}

// 1 when the module's copy in the directory of `code` has the installed
// module's size; otherwise the copy-failure message and 0.
int CopyMatches(const char *module, int code) {
  if (CompareCopySizes(module, module, code) == kSizesEqual) return 1;
  ShowCopyFailure(module);
  return 0;
}

// The error code of the first missing key: 0 the text service key, 1 to 3
// its checked categories; -1 when all exist.
int FirstMissingKey() {
  if (!TextServiceKeyExists(kTextServiceKey)) return 0;
  char items[kKeyPathSize];
  FormItemListKey(items);
  for (int i = 0; i < 3; ++i) {
    char path[kKeyPathSize + kCategoryTextSize];
    JoinPath(path, sizeof path, items, kCheckedCategories[i]);
    if (!TextServiceKeyExists(path)) return i + 1;
  }
  return -1;
}

// One entry of the sort order as read; nothing reads it afterwards.
struct SortOrderRecord {
  char classId[46];
  char profile[46];
  DWORD keyboardLayout;
};

// Reads one sort-order entry: 1 to go on to the next, 0 to stop, with
// *position set when it is the product's and cleared when a value cannot be
// read.
int ReadSortOrderEntry(HKEY entry, int position, int *found) {
  SortOrderRecord record;
  ZeroMemory(&record, sizeof record);
  DWORD size = sizeof record.classId;
  if (RegQueryValueExA(entry, "CLSID", NULL, NULL, (LPBYTE)record.classId, &size) != ERROR_SUCCESS)
    return *found = 0, 0;
  if (memcmp(record.classId, kTextServiceClassId, lstrlenA(kTextServiceClassId)) == 0) *found = position;
  size = sizeof record.profile;
  if (RegQueryValueExA(entry, "profile", NULL, NULL, (LPBYTE)record.profile, &size) != ERROR_SUCCESS)
    return *found = 0, 0;
  size = sizeof record.keyboardLayout;
  if (RegQueryValueExA(entry, "KeyboardLayout", NULL, NULL, (LPBYTE)&record.keyboardLayout, &size) != ERROR_SUCCESS)
    return *found = 0, 0;
  return *found == 0;
}

}  // namespace

int RegisterTextService() {
  if (windowsFacts.bitness != 64) {
    char systemDir[kSystemDirSize];
    if (ReadSystemFolder(systemDir, kSystemDirSize)) StartRegistration(systemDir, "vorlsrf.dll");
    return 1;
  }
  StartBothRegistrations(NULL);
  StartRegistrationsWithoutRedirection();
  return 1;
}

void CheckTextServiceFiles() {
  if (program.interfaceChoice == 1) {
    if (windowsFacts.bitness == 64) {
      if (!CopyMatches("vorlsrf.dll", kTargetSyswow64) || !CopyMatches("vorlsrf6.dll", kTargetNativeSystem)) return;
    } else if (!CopyMatches("vorlsrf.dll", kTargetSystem)) {
      return;
    }
  }
  VerifyTextServiceRegistration();
}

void VerifyTextServiceRegistration() {
  if (program.interfaceChoice != 1 || windowsFacts.windows10 != 1) {
    RunDirectoryHelper();
    return;
  }
  const int missing = FirstMissingKey();
  if (missing >= 0) {
    char text[160];
    wsprintfA(text, kTextServiceNotHookedFormat, 32, missing);
    ShowFailure(text, kEditionSetupCaption);
    return;
  }
  for (const char *category : kCompletedCategories) AddTextServiceCategory(category);
  RunDirectoryHelper();
}

int TextServiceKeyExists(const char *path) {
  HKEY key = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  RegCloseKey(key);
  return 1;
}

void AddTextServiceCategory(const char *category) {
  if (lstrlenA(category) >= kCategoryTextSize) return;
  char categories[kKeyPathSize], items[kKeyPathSize], categoryKey[kKeyPathSize + kCategoryTextSize];
  FormCategoryListKey(categories);
  FormItemListKey(items);
  JoinPath(categoryKey, sizeof categoryKey, categories, category);
  CreateHklmSubkey(categories, category);
  CreateHklmSubkey(categoryKey, kTextServiceClassId);
  CreateHklmSubkey(items, category);
}

void CreateHklmSubkey(const char *parent, const char *subkey) {
  HKEY parentKey = NULL, key = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, parent, 0, KEY_READ, &parentKey) != ERROR_SUCCESS) return;
  if (RegCreateKeyExA(parentKey, subkey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key, NULL) ==
      ERROR_SUCCESS)
    RegCloseKey(key);
  RegCloseKey(parentKey);
}

void RunDirectoryHelper() {
  char command[kSystemDirSize + MAX_PATH + 64];
  if (FormatSystemToolCommand(command, sizeof command, "runas.exe", "/trustlevel:0x20000 c:\\Progra~1\\morvak8\\vqjcdir"))
    WinExec(command, SW_SHOW);
}

int FindTextServiceInSortOrder() {
  HKEY order = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSortOrderKey, 0, KEY_READ, &order) != ERROR_SUCCESS) return 0;
  int found = 0;
  for (int i = 0; i < kSortOrderEntries; ++i) {
    char name[16];
    wsprintfA(name, "%08d", i);
    HKEY entry = NULL;
    if (RegOpenKeyExA(order, name, 0, KEY_ALL_ACCESS, &entry) != ERROR_SUCCESS) break;
    const int goOn = ReadSortOrderEntry(entry, i + 1, &found);
    RegCloseKey(entry);
    if (!goOn) break;
  }
  RegCloseKey(order);
  return found;
}
