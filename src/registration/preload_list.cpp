#include "registration/preload_list.h"

#include "common/message_box.h"
#include "common/os_detection.h"
#include "common/registry_values.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "registration/layout_id.h"

const char kPreloadParentKey[] = "keyboard layout";
const char kPreloadSubkey[] = "preload";
const char kPreloadKey9x[] = "keyboard layout\\preload";

PreloadList preloadList;

namespace {

// A position belongs to the product when its layout text begins with this
// (GBK only: the Big5 layout text does not begin with it).
const char kProductText[] = "智能Qelvo输入";
// The thread's input method is the product's when its description begins
// with this.
const char kProductDescription[] = "智能Qelvo输入平台";

const char kDefaultProfilePreloadParent[] = ".DEFAULT\\keyboard layout";
// A preload value as read when the product's id is added.
const int kValueSize = 200;
int BeginsWith(const char *text, const char *prefix) { return memcmp(text, prefix, lstrlenA(prefix)) == 0; }

int Show(const WCHAR *text, UINT buttons) { return MessageBoxW(NULL, text, kSetupCaptionW, buttons); }

void PositionName(char *name, int position) { wsprintfA(name, "%d", position); }

// Reads an id into its table entry, which is cleared first and always ends
// in a terminator: a longer id does not fit (the read fails).
int ReadId(HKEY key, const char *name, char *entry) {
  ZeroMemory(entry, kPreloadIdSize);
  DWORD size = kPreloadIdSize;
  const LSTATUS result = RegQueryValueExA(key, name, NULL, NULL, (LPBYTE)entry, &size);
  entry[kPreloadIdSize - 1] = '\0';
  return result == ERROR_SUCCESS;
}

// 9x: one subkey per position; the count is that of the subkeys up to the
// first missing one.
int Read9xList() {
  HKEY preload = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreloadKey9x, 0, KEY_READ, &preload) != ERROR_SUCCESS) return 0;
  for (int position = 1; position <= kMaxPreloadPositions; ++position) {
    char name[16];
    PositionName(name, position);
    HKEY key = NULL;
    if (RegOpenKeyExA(preload, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
      preloadList.count = position - 1;
      break;
    }
    ReadId(key, NULL, preloadList.table[position - 1]);
    RegCloseKey(key);
  }
  RegCloseKey(preload);
  return 1;
}

// NT: one value per position; the count is that of the values read up to
// the first that cannot be.
int ReadNtList() {
  HKEY parent = NULL, preload = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreloadParentKey, 0, KEY_READ, &parent) != ERROR_SUCCESS) return 0;
  if (RegOpenKeyExA(parent, kPreloadSubkey, 0, KEY_ALL_ACCESS, &preload) == ERROR_SUCCESS) {
    for (int position = 1; position <= kMaxPreloadPositions; ++position) {
      char name[16];
      PositionName(name, position);
      if (!ReadId(preload, name, preloadList.table[position - 1])) {
        preloadList.count = position - 1;
        break;
      }
    }
    RegCloseKey(preload);
  }
  RegCloseKey(parent);
  return 1;
}

// The layout text of each position's entry; an entry that cannot be opened
// or read keeps what its table entry held.
int ReadLayoutTexts() {
  HKEY layouts = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyboardLayoutsKey, 0, KEY_READ, &layouts) != ERROR_SUCCESS) return 0;
  for (int i = 0; i < preloadList.count; ++i) {
    HKEY entry = NULL;
    if (RegOpenKeyExA(layouts, preloadList.table[i], 0, KEY_ALL_ACCESS, &entry) != ERROR_SUCCESS) continue;
    char text[kLayoutTextSize];
    DWORD size = sizeof text - 1;  // the table entry keeps its terminator
    if (RegQueryValueExA(entry, "layout text", NULL, NULL, (LPBYTE)text, &size) == ERROR_SUCCESS) {
      ZeroMemory(preloadList.layoutTexts[i], kLayoutTextSize);
      memcpy(preloadList.layoutTexts[i], text, size);
    }
    RegCloseKey(entry);
  }
  RegCloseKey(layouts);
  return 1;
}

// Positions to write, each with the id it receives.
struct PreloadWrite {
  int position;
  const char *id;
};

void Write9xPositions(const PreloadWrite *writes, int count) {
  HKEY preload = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreloadKey9x, 0, KEY_READ, &preload) != ERROR_SUCCESS) return;
  for (int i = 0; i < count; ++i) {
    char name[16];
    PositionName(name, writes[i].position);
    HKEY key = NULL;
    if (RegOpenKeyExA(preload, name, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
    SetTextValue(key, NULL, writes[i].id);
    RegCloseKey(key);
  }
  RegCloseKey(preload);
}

// Answers 0 when the parent key cannot be opened, which ends the writing.
int WriteNtPositions(HKEY root, const char *parentPath, const PreloadWrite *writes, int count) {
  HKEY parent = NULL, preload = NULL;
  if (RegOpenKeyExA(root, parentPath, 0, KEY_READ, &parent) != ERROR_SUCCESS) return 0;
  if (RegOpenKeyExA(parent, kPreloadSubkey, 0, KEY_ALL_ACCESS, &preload) == ERROR_SUCCESS) {
    for (int i = 0; i < count; ++i) {
      char name[16];
      PositionName(name, writes[i].position);
      SetTextValue(preload, name, writes[i].id);
    }
    RegCloseKey(preload);
  }
  RegCloseKey(parent);
  return 1;
}

// On NT the default profile's list receives the same ids as the user's.
void WritePreloadPositions(const PreloadWrite *writes, int count) {
  if (windowsFacts.windows9xFamily) {
    Write9xPositions(writes, count);
    return;
  }
  if (WriteNtPositions(HKEY_CURRENT_USER, kPreloadParentKey, writes, count))
    WriteNtPositions(HKEY_USERS, kDefaultProfilePreloadParent, writes, count);
}

// Whether the installer's own thread types with the product: the layout's
// name and then its description are read into one scratch buffer, which has
// room for a terminator behind the 50 bytes asked for.
int ThreadUsesProduct() {
  HKL layout = GetKeyboardLayout(0);
  char scratch[64];
  ZeroMemory(scratch, sizeof scratch);
  GetKeyboardLayoutNameA(scratch);
  ImmGetDescriptionA(layout, scratch, 50);
  return BeginsWith(scratch, kProductDescription);
}

// The product's default-input-method case: always ends the installation,
// after offering (not on 64-bit Windows) to make another input method the
// default for the next attempt.
int RefuseAsDefault() {
  if (preloadList.count < 2) {
    Show(kOnlyInputMethodText, MB_OK);
    return 0;
  }
  Show(kDefaultInputMethodText, MB_OK);
  if (windowsFacts.is64BitWindows) return 0;
  if (Show(kSetNonDefaultQuestion, MB_YESNO) != IDYES) return 0;
  SwapFirstTwoPreloadEntries();
  Show(kRestartText, MB_OK);
  return 0;
}

// What a position that holds `value` means for the id `id` of `length`
// characters: 2 it is there already, 1 this position takes it (same layout
// number, other language part), 0 go on.
int PositionVerdict(const char *value, const char *id, int length) {
  const int agreeing = CountAgreeingCharacters(value, id, length);
  if (agreeing == length) return 2;
  return agreeing >= length - 3 ? 1 : 0;
}

void AddToNtList(HKEY preload, const char *id, int length) {
  for (int position = 1; position <= kMaxPreloadPositions; ++position) {
    char name[16];
    wsprintfA(name, "%d", position);
    char value[kValueSize + 1];
    DWORD size = 0;
    if (!ReadTextValue(preload, name, value, sizeof value, &size)) {
      SetTextValue(preload, name, id);
      return;
    }
    const int verdict = PositionVerdict(value, id, length);
    if (verdict == 1) SetTextValue(preload, name, id);
    if (verdict) return;
  }
  SetTextValue(preload, "49", id);
}

int AddToNtPreloadList(const char *id, int length) {
  HKEY parent = NULL, preload = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreloadParentKey, 0, KEY_READ, &parent) != ERROR_SUCCESS) {
    ShowFailure(kPreloadOpenError, kEditionCaption);
    return 1;
  }
  if (RegOpenKeyExA(parent, kPreloadSubkey, 0, KEY_ALL_ACCESS, &preload) == ERROR_SUCCESS) {
    AddToNtList(preload, id, length);
    RegCloseKey(preload);
  }
  RegCloseKey(parent);
  return 0;
}

// One position subkey of the 9x list: 1 when the search ends here (written
// or found), 0 to go on. A missing subkey is a free position.
int TryPosition9x(HKEY preload, const char *name, const char *id, int length) {
  HKEY position = NULL;
  if (RegOpenKeyExA(preload, name, 0, KEY_ALL_ACCESS, &position) != ERROR_SUCCESS) {
    if (RegCreateKeyExA(preload, name, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &position, NULL) ==
        ERROR_SUCCESS) {
      SetTextValue(position, NULL, id);
      RegCloseKey(position);
    }
    return 1;
  }
  char value[kValueSize + 1];
  DWORD size = 0;
  int verdict = 0;
  if (ReadTextValue(position, NULL, value, sizeof value, &size)) verdict = PositionVerdict(value, id, length);
  if (verdict == 1) SetTextValue(position, NULL, id);
  RegCloseKey(position);
  return verdict != 0;
}

int AddTo9xPreloadList(const char *id, int length) {
  HKEY preload = NULL;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreloadKey9x, 0, KEY_READ, &preload) != ERROR_SUCCESS) {
    ShowFailure(kPreloadOpenError, kEditionCaption);
    return 1;
  }
  int done = 0;
  for (int position = 1; position <= kMaxPreloadPositions && !done; ++position) {
    char name[16];
    wsprintfA(name, "%d", position);
    done = TryPosition9x(preload, name, id, length);
  }
  HKEY last = NULL;
  if (!done && RegCreateKeyExA(preload, "49", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &last, NULL) ==
                   ERROR_SUCCESS) {
    SetTextValue(last, NULL, id);
    RegCloseKey(last);
  }
  RegCloseKey(preload);
  return 0;
}

}  // namespace

void ResetPreloadList() { preloadList = PreloadList(); }

int ReadPreloadList() {
  preloadList.count = 0;
  if (!(windowsFacts.windows9xFamily ? Read9xList() : ReadNtList())) return 0;
  if (!ReadLayoutTexts()) return 0;
  return preloadList.count;
}

int FindOwnPreloadEntry() {
  preloadList.ownEntryFound = 0;
  preloadList.ownPosition = 0;
  preloadList.count = 0;
  if (ReadPreloadList() == 0) return 0;
  for (int i = 0; i < preloadList.count; ++i) {
    if (BeginsWith(preloadList.layoutTexts[i], kProductText)) {
      preloadList.ownPosition = i + 1;
      preloadList.ownEntryFound = kOwnEntryFound;
      return 1;
    }
  }
  return 0;
}

void MoveOwnEntryToSecond() {
  if (preloadList.ownEntryFound != kOwnEntryFound || preloadList.count < 3 || preloadList.ownPosition < 3 ||
      windowsFacts.osMajorVersion > 5)
    return;
  MoveEntryToSecond(preloadList.table, preloadList.ownPosition);
  PreloadWrite writes[kMaxPreloadPositions];
  int count = 0;
  for (int position = 2; position <= preloadList.count; ++position)
    writes[count++] = {position, preloadList.table[position - 1]};
  WritePreloadPositions(writes, count);
}

void SwapFirstTwoPreloadEntries() {
  const PreloadWrite writes[] = {{1, preloadList.table[1]}, {2, preloadList.table[0]}};
  WritePreloadPositions(writes, 2);
}

int CheckDefaultInputMethod() {
  FindOwnPreloadEntry();
  if (preloadList.ownEntryFound == kOwnEntryFound && preloadList.ownPosition == 1) return RefuseAsDefault();
  if (ThreadUsesProduct()) {
    Show(kEditionDefaultText, MB_OK);
    return 0;
  }
  return 1;
}

void MoveEntryToSecond(char table[][kPreloadIdSize], int from) {
  if (from < 3 || from > kMaxPreloadPositions) return;
  char moving[kPreloadIdSize];
  memcpy(moving, table[from - 1], kPreloadIdSize);
  for (int position = from; position > 2; --position) memcpy(table[position - 1], table[position - 2], kPreloadIdSize);
  memcpy(table[1], moving, kPreloadIdSize);
}

int AddLayoutToPreloadList(const char *layoutId) {
  char id[kValueSize + 1];
  CopyText(id, sizeof id, layoutId);
  const int win9x = windowsFacts.windows9xFamily;
  SetLayoutIdCase(id, win9x);
  const int length = lstrlenA(id);
  return win9x ? AddTo9xPreloadList(id, length) : AddToNtPreloadList(id, length);
}

int CountAgreeingCharacters(const char *text, const char *id, int limit) {
  int count = 0;
  while (count < limit && text[count] && id[count]) {
    char a = text[count], b = id[count];
    if (a >= 'A' && a <= 'Z') a = (char)(a + 32);
    if (b >= 'A' && b <= 'Z') b = (char)(b + 32);
    if (a != b) break;
    ++count;
  }
  return count;
}
