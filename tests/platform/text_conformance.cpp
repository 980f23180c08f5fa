// Conformance of the text the "A" calls hand back: on a machine whose ANSI
// code page is 936, Chinese names made through the wide calls come back from
// the 8-bit calls in GBK, never in another encoding. The 8-bit literals here
// are GBK, the wide ones UTF-16.
#include <string.h>

#include "platform/conformance.h"

namespace {

const char kCodePageReason[] = "the ANSI code page is not 936";

// The folder the conformance program is started from, on both platforms.
const char kProgramFolder[] = "\\安装测试\\";
const WCHAR kProgramFolderWide[] = L"\\安装测试\\";

bool HasCodePage936() {
  if (GetACP() == 936) return true;
  conformance::Skip(kCodePageReason);
  return false;
}

// wcsstr for 16-bit characters, which the simulation's C library lacks.
bool ContainsWide(const WCHAR *text, const WCHAR *part) {
  for (; *text; ++text) {
    int i = 0;
    while (part[i] && text[i] == part[i]) ++i;
    if (!part[i]) return true;
  }
  return false;
}

// The wide text in the ANSI code page, as the "A" form should give it.
void ToAnsi(const WCHAR *wide, char *out, int size) {
  out[0] = '\0';
  WideCharToMultiByte(CP_ACP, 0, wide, -1, out, size, NULL, NULL);
}

}  // namespace

CONFORMANCE_CHECK(RegistryAnsiCallsGiveChineseNamesAndDataInGbk) {
  if (!HasCodePage936()) return;
  HKEY key = NULL, parent = NULL;
  CHECK_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\SetupConformance\\输入法", 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                           &key, NULL),
           ERROR_SUCCESS);
  if (!key) return;
  const WCHAR data[] = L"智能输入";
  CHECK_EQ(RegSetValueExW(key, L"名称", 0, REG_SZ, (const BYTE *)data, sizeof data), ERROR_SUCCESS);

  char text[32];
  DWORD type = 0, size = sizeof text;
  memset(text, 'x', sizeof text);
  CHECK_EQ(RegQueryValueExA(key, "名称", NULL, &type, (BYTE *)text, &size), ERROR_SUCCESS);
  CHECK_EQ(type, REG_SZ);
  CHECK_EQ(size, sizeof "智能输入");
  CHECK(strcmp(text, "智能输入") == 0);

  DWORD nameSize = sizeof text;
  CHECK_EQ(RegEnumValueA(key, 0, text, &nameSize, NULL, NULL, NULL, NULL), ERROR_SUCCESS);
  CHECK_EQ(nameSize, strlen("名称"));
  CHECK(strcmp(text, "名称") == 0);

  CHECK_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\SetupConformance", 0, KEY_ALL_ACCESS, &parent), ERROR_SUCCESS);
  nameSize = sizeof text;
  CHECK_EQ(RegEnumKeyExA(parent, 0, text, &nameSize, NULL, NULL, NULL, NULL), ERROR_SUCCESS);
  CHECK_EQ(nameSize, strlen("输入法"));
  CHECK(strcmp(text, "输入法") == 0);

  RegCloseKey(key);
  CHECK_EQ(RegDeleteKeyA(parent, "输入法"), ERROR_SUCCESS);
  RegCloseKey(parent);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\SetupConformance");
}

CONFORMANCE_CHECK(WindowTitleComesBackInGbk) {
  if (!HasCodePage936()) return;
  HWND window = CreateWindowExW(0, L"EDIT", L"智能输入", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  if (!window) return conformance::Skip("no window can be made here (no display)");
  char title[32];
  memset(title, 'x', sizeof title);
  CHECK_EQ(GetWindowTextA(window, title, sizeof title), strlen("智能输入"));
  CHECK(strcmp(title, "智能输入") == 0);
  DestroyWindow(window);
}

// The program lies in a folder with a Chinese name (the simulated machine's
// program folder; under Wine the folder the test script starts it from).
CONFORMANCE_CHECK(ProgramPathInAChineseFolderComesInGbk) {
  if (!HasCodePage936()) return;
  WCHAR wide[MAX_PATH];
  char path[MAX_PATH * 2];
  CHECK(GetModuleFileNameW(NULL, wide, MAX_PATH) > 0);
  if (!ContainsWide(wide, kProgramFolderWide)) return conformance::Skip("the program was not started from \\安装测试\\");
  CHECK(GetModuleFileNameA(NULL, path, sizeof path) > 0);
  CHECK(strstr(path, kProgramFolder) != NULL);
}

// Each folder call's 8-bit form is its wide form in the ANSI code page.
CONFORMANCE_CHECK(FolderAnsiCallsAgreeWithTheirWideForms) {
  WCHAR wide[MAX_PATH];
  char expected[MAX_PATH * 2], actual[MAX_PATH * 2];
  GetWindowsDirectoryW(wide, MAX_PATH);
  ToAnsi(wide, expected, sizeof expected);
  GetWindowsDirectoryA(actual, sizeof actual);
  CHECK(strcmp(actual, expected) == 0);
  GetSystemDirectoryW(wide, MAX_PATH);
  ToAnsi(wide, expected, sizeof expected);
  GetSystemDirectoryA(actual, sizeof actual);
  CHECK(strcmp(actual, expected) == 0);
  CHECK(SHGetSpecialFolderPathW(NULL, wide, CSIDL_PROGRAM_FILES, FALSE));
  ToAnsi(wide, expected, sizeof expected);
  CHECK(SHGetSpecialFolderPathA(NULL, actual, CSIDL_PROGRAM_FILES, FALSE));
  CHECK(strcmp(actual, expected) == 0);
  GetModuleFileNameW(NULL, wide, MAX_PATH);
  ToAnsi(wide, expected, sizeof expected);
  GetModuleFileNameA(NULL, actual, sizeof actual);
  CHECK(strcmp(actual, expected) == 0);
}
