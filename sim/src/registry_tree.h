// The registry's tree as the model, the .reg text and the WOW64 redirector
// share it: keys own their subkeys (kept in Windows' enumeration order) and
// their values (in the order they were made).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "simmachine/registry_model.h"

namespace sim {

struct Registry::Key {
  std::u16string name;
  std::vector<RegistryValue> values;
  std::vector<std::shared_ptr<Key>> subkeys;  // sorted by upper-cased name
  bool deleted = false;                        // handles still open see ERROR_KEY_DELETED
};

// The hives in the order of the .reg text; HKEY_CLASSES_ROOT is
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
enum HiveIndex { kLocalMachine = 0, kCurrentUser = 1, kUsers = 2, kHiveCount = 3 };
const char *HiveName(int hive);
// The hive of a spelled-out or abbreviated root name ("HKEY_USERS", "HKU"); -1 if none.
int HiveFromName(std::string_view name);

std::shared_ptr<Registry::Key> FindSubkey(const Registry::Key &key, std::u16string_view name);
// The subkey of that name, made (with this spelling) when missing.
std::shared_ptr<Registry::Key> EnsureSubkey(Registry::Key &key, std::u16string_view name, bool *created);
// Index of the value of that name (any case), or -1.
int FindValue(const Registry::Key &key, std::u16string_view name);
// Replaces the value's type and data in place, or appends a new value.
void PutValue(Registry::Key &key, std::u16string_view name, uint32_t type, std::string data);

// String data as Windows stores it (UTF-16LE bytes; an odd last byte is
// dropped when read as text), and back.
std::u16string Utf16FromData(std::string_view data);
std::string DataFromUtf16(std::u16string_view text);

// "A\B\C" split into names; runs of separators count as one.
std::vector<std::u16string> SplitKeyPath(std::u16string_view path);

// Where a key of the program's view lies in the registry for a 32-bit program
// on 64-bit Windows: HKLM\SOFTWARE goes to SOFTWARE\WOW6432Node (classes to
// SOFTWARE\Classes\Wow6432Node) except the keys Windows shares between the
// views. Paths that need no redirection come back unchanged.
std::vector<std::u16string> RedirectToWow64(const Profile &profile, int hive, std::vector<std::u16string> path);

}  // namespace sim
