// Registry behaviour the program relies on: how string lengths and
// terminators are stored and read back, names without case, enumeration order
// and its ends, buffer-too-small answers, deleting keys, handle rights, the
// user name. Every check works below HKCU\Software\SetupConformance and
// removes it again.
#include <string.h>

#include "platform/conformance.h"

namespace {

const char kRoot[] = "Software\\SetupConformance";

// HKCU\Software\SetupConformance\<name>, made fresh for one check.
HKEY ScratchKey(const char *name) {
  char path[MAX_PATH];
  wsprintfA(path, "%s\\%s", kRoot, name);
  HKEY key = NULL;
  CHECK_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                           NULL),
           ERROR_SUCCESS);
  return key;
}

// Deletes a key and everything below it with the calls the program has.
void DeleteTree(HKEY parent, const char *name) {
  HKEY key;
  if (RegOpenKeyExA(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  char subkey[256];
  DWORD size = sizeof subkey;
  while (RegEnumKeyExA(key, 0, subkey, &size, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
    DeleteTree(key, subkey);
    size = sizeof subkey;
  }
  RegCloseKey(key);
  RegDeleteKeyA(parent, name);
}

void RemoveScratch() {
  DeleteTree(HKEY_CURRENT_USER, kRoot);
  HKEY key;
  CHECK_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

}  // namespace

CONFORMANCE_CHECK(RegistryStringWithoutTerminatorKeepsItsLength) {
  HKEY key = ScratchKey("Strings");
  const char source[] = "kbdus.dllXYZ";  // the byte after the ninth is not zero
  CHECK_EQ(RegSetValueExA(key, "layout file", 0, REG_SZ, (const BYTE *)source, 9), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  CHECK_EQ(RegQueryValueExA(key, "layout file", NULL, &type, NULL, &size), ERROR_SUCCESS);
  CHECK_EQ(type, REG_SZ);
  CHECK_EQ(size, 9);
  size = 0;
  CHECK_EQ(RegQueryValueExW(key, L"layout file", NULL, NULL, NULL, &size), ERROR_SUCCESS);
  CHECK_EQ(size, 18);

  char buffer[200];
  memset(buffer, '#', sizeof buffer);
  size = 9;
  CHECK_EQ(RegQueryValueExA(key, "layout file", NULL, NULL, (BYTE *)buffer, &size), ERROR_SUCCESS);
  CHECK(memcmp(buffer, "kbdus.dll#", 10) == 0);  // no room for a terminator, none written
  size = sizeof buffer;
  CHECK_EQ(RegQueryValueExA(key, "layout file", NULL, NULL, (BYTE *)buffer, &size), ERROR_SUCCESS);
  CHECK_EQ(size, 9);
  CHECK(strcmp(buffer, "kbdus.dll") == 0);  // room: terminated, length unchanged
  RegCloseKey(key);
  RemoveScratch();
}

CONFORMANCE_CHECK(RegistryStringSizeJustBeforeAZeroTakesTheZeroIn) {
  HKEY key = ScratchKey("Strings");
  CHECK_EQ(RegSetValueExA(key, "a", 0, REG_SZ, (const BYTE *)"kbdus.dll", 9), ERROR_SUCCESS);
  DWORD size = 0;
  CHECK_EQ(RegQueryValueExA(key, "a", NULL, NULL, NULL, &size), ERROR_SUCCESS);
  CHECK_EQ(size, 10);
  CHECK_EQ(RegSetValueExW(key, L"w", 0, REG_SZ, (const BYTE *)L"kbdus.dll", 18), ERROR_SUCCESS);
  size = 0;
  CHECK_EQ(RegQueryValueExW(key, L"w", NULL, NULL, NULL, &size), ERROR_SUCCESS);
  CHECK_EQ(size, 20);
  RegCloseKey(key);
  RemoveScratch();
}

CONFORMANCE_CHECK(RegistryValueTooLargeForTheBufferGivesItsSize) {
  HKEY key = ScratchKey("Sizes");
  const DWORD number = 0xE0010804;
  CHECK_EQ(RegSetValueExA(key, "n", 0, REG_DWORD, (const BYTE *)&number, 4), ERROR_SUCCESS);
  CHECK_EQ(RegSetValueExA(key, "s", 0, REG_SZ, (const BYTE *)"e0010804", 9), ERROR_SUCCESS);
  char buffer[8] = "canary";
  DWORD size = 2, type = 0;
  CHECK_EQ(RegQueryValueExA(key, "n", NULL, &type, (BYTE *)buffer, &size), ERROR_MORE_DATA);
  CHECK_EQ(size, 4);
  CHECK_EQ(type, REG_DWORD);
  size = 8;
  CHECK_EQ(RegQueryValueExA(key, "s", NULL, NULL, (BYTE *)buffer, &size), ERROR_MORE_DATA);
  CHECK_EQ(size, 9);
  CHECK(strcmp(buffer, "canary") == 0);
  size = sizeof buffer;
  CHECK_EQ(RegQueryValueExA(key, "missing", NULL, NULL, (BYTE *)buffer, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  RemoveScratch();
}

CONFORMANCE_CHECK(RegistryKeyNamesMatchWithoutCase) {
  RegCloseKey(ScratchKey("MixedCase"));
  HKEY key = NULL;
  DWORD disposition = 0;
  CHECK_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\SETUPCONFORMANCE\\mixedcase", 0, NULL, 0, KEY_READ, NULL,
                           &key, &disposition),
           ERROR_SUCCESS);
  CHECK_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);
  CHECK_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\setupconformance", 0, KEY_READ, &key), ERROR_SUCCESS);
  char name[32];
  DWORD size = sizeof name;
  CHECK_EQ(RegEnumKeyExA(key, 0, name, &size, NULL, NULL, NULL, NULL), ERROR_SUCCESS);
  CHECK(strcmp(name, "MixedCase") == 0);  // the first spelling stays
  RegCloseKey(key);
  RemoveScratch();
}

// Names whose order does not depend on the case folding: Windows compares
// upper-cased names, Wine lower-cased ones (they differ for '_'), and Wine
// enumerates values by name where Windows keeps the order they were made in.
CONFORMANCE_CHECK(RegistryEnumerationOrderAndItsEnds) {
  HKEY parent = ScratchKey("Order");
  const char *const names[] = {"b", "Cc", "A"};
  for (const char *name : names) {
    HKEY child;
    CHECK_EQ(RegCreateKeyExA(parent, name, 0, NULL, 0, KEY_READ, NULL, &child, NULL), ERROR_SUCCESS);
    RegCloseKey(child);
  }
  RegSetValueExA(parent, "v", 0, REG_SZ, (const BYTE *)"v", 2);
  DWORD subkeys = 0, values = 0, longest = 0;
  CHECK_EQ(RegQueryInfoKeyA(parent, NULL, NULL, NULL, &subkeys, &longest, NULL, &values, NULL, NULL, NULL, NULL),
           ERROR_SUCCESS);
  CHECK_EQ(subkeys, 3);
  CHECK_EQ(values, 1);
  CHECK_EQ(longest, 2);

  char name[8];
  DWORD size = sizeof name;
  const char *const sorted[] = {"A", "b", "Cc"};
  for (DWORD i = 0; i < 3; ++i, size = sizeof name) {
    CHECK_EQ(RegEnumKeyExA(parent, i, name, &size, NULL, NULL, NULL, NULL), ERROR_SUCCESS);
    CHECK(strcmp(name, sorted[i]) == 0);
    CHECK_EQ(size, lstrlenA(sorted[i]));
  }
  lstrcpyA(name, "canary");
  CHECK_EQ(RegEnumKeyExA(parent, 3, name, &size, NULL, NULL, NULL, NULL), ERROR_NO_MORE_ITEMS);
  CHECK_EQ(RegEnumValueA(parent, 1, name, &size, NULL, NULL, NULL, NULL), ERROR_NO_MORE_ITEMS);
  size = 2;  // "Cc" needs 3 with its terminator
  CHECK_EQ(RegEnumKeyExA(parent, 2, name, &size, NULL, NULL, NULL, NULL), ERROR_MORE_DATA);
  CHECK_EQ(size, 2);
  CHECK(strcmp(name, "canary") == 0);
  RegCloseKey(parent);
  RemoveScratch();
}

CONFORMANCE_CHECK(RegistryDeletingAKeyWithSubkeysFails) {
  HKEY leaf = ScratchKey("Tree\\Leaf");
  HKEY root;
  CHECK_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &root), ERROR_SUCCESS);
  CHECK_EQ(RegDeleteKeyA(root, "Tree"), ERROR_ACCESS_DENIED);
  CHECK_EQ(RegDeleteKeyA(root, "Tree\\Leaf"), ERROR_SUCCESS);  // the parent's rights do not matter
  CHECK_EQ(RegSetValueExA(leaf, "x", 0, REG_SZ, (const BYTE *)"1", 1), ERROR_KEY_DELETED);
  CHECK_EQ(RegDeleteKeyA(root, "Tree"), ERROR_SUCCESS);
  CHECK_EQ(RegDeleteKeyA(root, "Tree"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(leaf);
  RegCloseKey(root);
  RemoveScratch();
}

CONFORMANCE_CHECK(RegistryReadHandleWritesNoValuesButMakesSubkeys) {
  RegCloseKey(ScratchKey("Rights"));
  char path[MAX_PATH];
  wsprintfA(path, "%s\\Rights", kRoot);
  HKEY key, child;
  CHECK_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key), ERROR_SUCCESS);
  CHECK_EQ(RegSetValueExA(key, "x", 0, REG_SZ, (const BYTE *)"1", 1), ERROR_ACCESS_DENIED);
  CHECK_EQ(RegDeleteValueA(key, "x"), ERROR_ACCESS_DENIED);
  CHECK_EQ(RegCreateKeyExA(key, "Child", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &child, NULL), ERROR_SUCCESS);
  CHECK_EQ(RegSetValueExA(child, "x", 0, REG_SZ, (const BYTE *)"1", 1), ERROR_SUCCESS);
  CHECK_EQ(RegDeleteValueA(child, "x"), ERROR_SUCCESS);
  CHECK_EQ(RegDeleteValueA(child, "x"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(child);
  RegCloseKey(key);
  RemoveScratch();
}

CONFORMANCE_CHECK(RegistryChineseTextRoundTripsThroughTheCodePage) {
  if (GetACP() != 936) {  // the text below is GBK
    conformance::Skip("the ANSI code page is not 936");
    return;
  }
  HKEY key = ScratchKey("Text");
  const char text[] = "智能Qelvo输入平台I";
  CHECK_EQ(RegSetValueExA(key, "layout text", 0, REG_SZ, (const BYTE *)text, lstrlenA(text)), ERROR_SUCCESS);
  char buffer[200] = "";
  DWORD size = sizeof buffer;
  CHECK_EQ(RegQueryValueExA(key, "layout text", NULL, NULL, (BYTE *)buffer, &size), ERROR_SUCCESS);
  CHECK_EQ(size, lstrlenA(text) + 1);
  CHECK(strcmp(buffer, text) == 0);
  WCHAR wide[32];
  size = sizeof wide;
  CHECK_EQ(RegQueryValueExW(key, L"layout text", NULL, NULL, (BYTE *)wide, &size), ERROR_SUCCESS);
  CHECK_EQ(size, 13 * 2);  // twelve characters and the terminator
  CHECK_EQ(wide[0], 0x667A);  // 智
  RegCloseKey(key);
  RemoveScratch();
}

CONFORMANCE_CHECK(UserNameSizesCountTheTerminator) {
  char name[256];
  DWORD size = 1;
  SetLastError(0);
  CHECK(!GetUserNameA(name, &size));
  CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  const DWORD needed = size;
  CHECK(needed > 1);
  size = sizeof name;
  CHECK(GetUserNameA(name, &size));
  CHECK_EQ(size, needed);
  CHECK_EQ(lstrlenA(name) + 1, needed);
}
