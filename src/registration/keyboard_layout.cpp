#include "registration/keyboard_layout.h"

#include "common/message_box.h"
#include "common/os_detection.h"
#include "common/registry_values.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "registration/layout_id.h"
#include "registration/preload_list.h"

namespace {

// An entry belongs to the product when its layout text begins with the
// display name; what follows is not looked at.
const char kDisplayNameGbk[] = "智能Qelvo输入平台";
// "智能Qelvo輸入平台" in Big5.
const char kDisplayNameBig5[] = "\xB4\xBC\xAF\xE0" "Qelvo" "\xBF\xE9\xA4\x4A\xA5\xAD\xA5\x78";



// The keyboard-layout key's subkey names, a table's worth at a time.
const int kNameTableSize = 250;
const int kNameSize = 200;
typedef char NameTable[kNameTableSize][kNameSize];

const int kValueSize = 200;

// Whether the `size` bytes read begin with `prefix` (without its terminator).
int BeginsWith(const char *data, DWORD size, const char *prefix) {
  const DWORD length = (DWORD)lstrlenA(prefix);
  return size >= length && memcmp(data, prefix, length) == 0;
}

// Fills `names` with the names of the indexes *index, *index - 1, ... down
// to 0, as many as it holds; *index moves on past them. A name that does not
// fit its slot still takes it, cut short.
int CollectNames(HKEY layouts, long long *index, NameTable names) {
  int collected = 0;
  for (; *index >= 0 && collected < kNameTableSize; --*index) {
    char *name = names[collected];
    ZeroMemory(name, kNameSize);
    DWORD size = kNameSize;
    const LSTATUS result = RegEnumKeyExA(layouts, (DWORD)*index, name, &size, NULL, NULL, NULL, NULL);
    name[kNameSize - 1] = '\0';
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) ++collected;
  }
  return collected;
}

// Opens the entry `name` and answers 1, with the entry left open in *entry,
// when it is the product's; otherwise its number raises *largest. An entry
// that cannot be opened for full access, or whose layout text cannot be
// read, counts for nothing.
int IsProductEntry(HKEY layouts, const char *name, HKEY *entry, DWORD *largest) {
  HKEY key = NULL;
  if (RegOpenKeyExA(layouts, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
  char text[kValueSize + 1];
  DWORD size = 0;
  if (!ReadTextValue(key, "layout text", text, sizeof text, &size)) {
    RegCloseKey(key);
    return 0;
  }
  if (BeginsWith(text, size, windowsFacts.codePage == kTraditionalCodePage ? kDisplayNameBig5 : kDisplayNameGbk)) {
    *entry = key;
    return 1;
  }
  DWORD number = 0;
  if (ReadLayoutNumber(name, &number) && number > *largest) *largest = number;
  RegCloseKey(key);
  return 0;
}

// Looks through the entries in reverse enumeration order, so that of several
// product entries the one enumerated last is found. 1 with the entry's name
// in `id` and the entry open in *entry; 0 with the largest number in
// *largest. The name table is filled and scanned a table's worth at a time,
// so any number of entries is looked at.
int FindEarlierEntry(HKEY layouts, char *id, int idSize, HKEY *entry, DWORD *largest) {
  DWORD count = 0;
  RegQueryInfoKeyA(layouts, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
  long long index = count;  // index n finds nothing; n - 1 down to 0 are the entries
  NameTable names;
  while (index >= 0) {
    const int collected = CollectNames(layouts, &index, names);
    for (int i = 0; i < collected; ++i) {
      if (IsProductEntry(layouts, names[i], entry, largest)) {
        CopyText(id, idSize, names[i]);
        return 1;
      }
    }
  }
  return 0;
}

// What creating an entry of a free id came to.
enum EntryCreation { kEntryCreated, kEntryRefused, kNoIdLeft };

// Creates the entry `id` (of `size` bytes) only where there is none: a key
// already there belongs to another keyboard layout, even one whose layout
// text could not be read and so was not counted, and must not be written
// over. Steps the id up past every taken one.
EntryCreation CreateFreshEntry(HKEY layouts, char *id, int size, HKEY *entry) {
  for (;;) {
    DWORD disposition = 0;
    if (RegCreateKeyExA(layouts, id, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, entry, &disposition) !=
        ERROR_SUCCESS)
      return kEntryRefused;
    if (disposition != REG_OPENED_EXISTING_KEY) return kEntryCreated;
    RegCloseKey(*entry);
    *entry = NULL;
    DWORD taken = 0;
    ReadLayoutNumber(id, &taken);
    if (!MakeNewLayoutId(taken, windowsFacts.codePage, id, size)) return kNoIdLeft;
  }
}

int EndsInLanguagePart(const char *id) {
  const int length = lstrlenA(id);
  return length >= 3 && lstrcmpA(id + length - 3, LayoutLanguagePart(windowsFacts.codePage)) == 0;
}

void WriteEntryValues(HKEY entry) {
  SetTextValue(entry, "IME file", "MORVAK4.IME");
  SetTextValue(entry, "layout file", windowsFacts.windows9xFamily ? "kbdus.kbd" : "kbdus.dll");
  const int big5 = windowsFacts.codePage == kTraditionalCodePage;
  SetTextValue(entry, "layout text", big5 ? kLayoutTextBig5 : kLayoutTextGbk);
}

}  // namespace

int InstallImeModule() {
  WCHAR systemDir[100];
  ZeroMemory(systemDir, sizeof systemDir);
  // A system directory that does not fit leaves the buffer as it was.
  if (GetSystemDirectoryW(systemDir, 100) >= 100) return 0;
  WCHAR path[120];
  wsprintfW(path, L"%s\\morvak4.ime", systemDir);
  return ImmInstallIMEW(path, kLayoutTextW) != NULL;
}

int RegisterKeyboardLayout() {
  const int win9x = windowsFacts.windows9xFamily;
  HKEY layouts = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey, 0, KEY_READ, &layouts) != ERROR_SUCCESS) {
    ShowFailure(win9x ? kLayoutsOpenError9x : kLayoutsAdministratorText, kProductCaption);
    return 1;
  }
  char id[kNameSize];
  HKEY entry = NULL;
  DWORD largest = 0;
  int haveId = 1;
  if (FindEarlierEntry(layouts, id, sizeof id, &entry, &largest)) {
    if (!EndsInLanguagePart(id)) {
      RegCloseKey(entry);
      entry = NULL;
      RegDeleteKeyA(layouts, id);
      ReplaceLanguagePart(id, sizeof id, windowsFacts.codePage);
    }
  } else {
    haveId = MakeNewLayoutId(largest, windowsFacts.codePage, id, sizeof id);
  }
  const EntryCreation creation = entry ? kEntryCreated : haveId ? CreateFreshEntry(layouts, id, sizeof id, &entry)
                                                                  : kNoIdLeft;
  if (creation != kEntryCreated) {
    RegCloseKey(layouts);
    const char *refused = win9x ? kLayoutEntryError9x : kLayoutsAdministratorText;
    ShowFailure(creation == kNoIdLeft ? kNoLayoutIdText : refused, kEditionCaption);
    return 1;
  }
  WriteEntryValues(entry);
  RegCloseKey(entry);
  RegCloseKey(layouts);
  return AddLayoutToPreloadList(id);
}
