// The simulated machine's registry: the hives HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER and HKEY_USERS, keys with case-insensitive names that keep
// their spelling, typed values stored as Windows stores them (strings in
// UTF-16), subkeys enumerated in sorted order as Windows does, values in the
// order they were made. Saved to and loaded from registry.reg in the syntax of
// a regedit export (UTF-8).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct Profile;

// One value as the registry holds it: strings are UTF-16LE bytes, with or
// without a terminating zero, exactly as they were written.
struct RegistryValue {
  std::u16string name;
  uint32_t type = 0;
  std::string data;
};

// What RegQueryInfoKey reports: counts, longest names in UTF-16 characters,
// longest data in bytes.
struct RegistryKeyInfo {
  uint32_t subkeys = 0, maxSubkeyLength = 0;
  uint32_t values = 0, maxValueNameLength = 0, maxValueLength = 0;
};

class Registry {
 public:
  Registry();
  ~Registry();
  Registry(const Registry &) = delete;
  Registry &operator=(const Registry &) = delete;

  // The machine whose rights (administrator, Windows family) and process
  // (32-bit on 64-bit Windows) decide access checks and WOW64 redirection.
  void Attach(const Profile *profile);

  // regedit export text ("Windows Registry Editor Version 5.00"), and back.
  // Import replaces the whole registry; on failure it names the line in
  // `error` and the registry is left empty.
  std::string Export() const;
  bool Import(const std::string &text, std::string *error);

  // ---- Host view, for the harness and tests. Paths are UTF-8 with the hive
  // spelled out first: "HKEY_LOCAL_MACHINE\SOFTWARE\...". No WOW64 redirection
  // is applied here: the 32-bit view is reached by writing WOW6432Node. ----

  bool KeyExists(const std::string &path) const;
  void CreateKey(const std::string &path);
  void DeleteTree(const std::string &path);
  // Strings are stored with their terminating zero, as regedit writes them.
  void SetString(const std::string &path, const std::string &name, const std::string &value);
  void SetDword(const std::string &path, const std::string &name, uint32_t value);
  // Stores `data` as it is (creating the key), e.g. a string without terminator.
  void SetRaw(const std::string &path, const std::string &name, uint32_t type, const std::string &data);
  // The value's type and raw data; false if there is no such value.
  bool GetRaw(const std::string &path, const std::string &name, uint32_t *type, std::string *data) const;
  // A REG_SZ value as UTF-8 up to its first zero; false if missing.
  bool GetString(const std::string &path, const std::string &name, std::string *value) const;
  // Names of the direct subkeys, in enumeration order.
  std::vector<std::string> SubkeyNames(const std::string &path) const;
  std::vector<std::string> ValueNames(const std::string &path) const;

  // ---- Program view, for the simulated ADVAPI32 calls. A key is reached
  // through a handle: a predefined root (HKEY_LOCAL_MACHINE, ...) or one that
  // OpenHandle/CreateHandle returned. Paths are relative to that key and
  // separated by "\". Each call returns a Win32 error code and sets its
  // out-parameters only on success. Access masks are checked as Windows
  // checks them: the rights a handle was opened with, and the machine's
  // security (HKEY_LOCAL_MACHINE and HKEY_USERS are read-only without
  // administrator rights; Windows 9x checks nothing). ----

  uint32_t OpenHandle(uintptr_t parent, std::u16string_view path, uint32_t access, uintptr_t *key);
  // Creates the missing keys of `path`; `created` tells whether the last one
  // was new. The parent handle's own rights are not looked at, as on Windows.
  uint32_t CreateHandle(uintptr_t parent, std::u16string_view path, uint32_t access, uintptr_t *key,
                        bool *created);
  uint32_t CloseHandle(uintptr_t key);
  // Deletes the key at `path` (the key itself when empty); a key with subkeys
  // is refused unless `withSubkeys` (Windows 9x deletes whole trees).
  uint32_t DeleteSubkey(uintptr_t parent, std::u16string_view path, uint32_t access, bool withSubkeys);
  uint32_t QueryValue(uintptr_t key, std::u16string_view name, RegistryValue *value) const;
  uint32_t SetValue(uintptr_t key, std::u16string_view name, uint32_t type, std::string data);
  uint32_t DeleteValue(uintptr_t key, std::u16string_view name);
  uint32_t QueryKeyInfo(uintptr_t key, RegistryKeyInfo *info) const;
  uint32_t EnumSubkey(uintptr_t key, uint32_t index, std::u16string *name) const;
  uint32_t EnumValue(uintptr_t key, uint32_t index, RegistryValue *value) const;

  struct Key;

 private:
  // A key as one hive and the spelled names below its root.
  struct Location {
    int hive = 0;
    std::vector<std::u16string> path;
  };
  struct Handle {
    std::shared_ptr<Key> key;
    Location location;
    uint32_t access = 0;
  };

  void Clear();
  std::shared_ptr<Key> HostKey(const std::string &path) const;
  std::shared_ptr<Key> HostKeyCreating(const std::string &path);
  void RemoveSubkey(Key &parent, std::u16string_view name);
  // What a handle refers to; false for an unknown handle.
  bool Resolve(uintptr_t handle, std::shared_ptr<Key> *key, Location *location, uint32_t *access) const;
  // Where `path` below `parent` lies, with the WOW64 view `access` selects.
  uint32_t Target(uintptr_t parent, std::u16string_view path, uint32_t access, Location *target) const;
  bool Writable(const Location &location) const;
  // The rights an open of `location` receives; false if security forbids them.
  bool Grant(const Location &location, uint32_t access, uint32_t *granted) const;
  uintptr_t AddHandle(std::shared_ptr<Key> key, Location location, uint32_t access);
  // The key of an open handle that holds `right`.
  uint32_t HandleKey(uintptr_t handle, uint32_t right, std::shared_ptr<Key> *key) const;

  const Profile *profile_ = nullptr;
  std::vector<std::shared_ptr<Key>> hives_;
  std::map<uintptr_t, Handle> handles_;
  uintptr_t nextHandle_ = 0x100;
};

}  // namespace sim
