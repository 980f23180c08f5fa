// The registry tree, its host view and the handle-based view the simulated
// ADVAPI32 calls use: access checks, WOW64 views and open keys.
#include "simmachine/registry_model.h"

#include <algorithm>
#include <cstring>

#include "simmachine/code_page.h"
#include "simmachine/profile.h"
#include "registry_tree.h"
#include "simwin/windows.h"

namespace sim {
namespace {

constexpr uint32_t kMaximumAllowed = 0x02000000;
constexpr uint32_t kWriteDac = 0x00040000, kWriteOwner = 0x00080000;
constexpr uint32_t kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | kWriteDac | kWriteOwner;


bool SortsBefore(const std::u16string &a, const std::u16string &b) {
  return Upcase(a) < Upcase(b);
}

// Access rights with the generic rights replaced by what they mean for keys.
uint32_t MapGenericRights(uint32_t access) {
  uint32_t mapped = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL |
                               KEY_WOW64_32KEY | KEY_WOW64_64KEY);
  if (access & (GENERIC_READ | GENERIC_EXECUTE)) mapped |= KEY_READ;
  if (access & GENERIC_WRITE) mapped |= KEY_WRITE;
  if (access & GENERIC_ALL) mapped |= KEY_ALL_ACCESS;
  return mapped;
}

void MarkDeleted(Registry::Key &key) {
  key.deleted = true;
  for (auto &subkey : key.subkeys) MarkDeleted(*subkey);
}

// Index of a predefined root (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,
// HKEY_USERS, HKEY_CLASSES_ROOT), or -1. Handles of the table never collide.
int PredefinedIndex(uintptr_t handle) {
  const uintptr_t predefined[] = {reinterpret_cast<uintptr_t>(HKEY_LOCAL_MACHINE),
                                  reinterpret_cast<uintptr_t>(HKEY_CURRENT_USER),
                                  reinterpret_cast<uintptr_t>(HKEY_USERS),
                                  reinterpret_cast<uintptr_t>(HKEY_CLASSES_ROOT)};
  for (int i = 0; i < 4; ++i)
    if (handle == predefined[i]) return i;
  return -1;
}

}  // namespace

// ---- The tree ----

const char *HiveName(int hive) {
  static const char *const names[kHiveCount] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS"};
  return names[hive];
}

int HiveFromName(std::string_view name) {
  const std::u16string upper = Upcase(Utf8ToUtf16(name));
  if (upper == u"HKEY_LOCAL_MACHINE" || upper == u"HKLM") return kLocalMachine;
  if (upper == u"HKEY_CURRENT_USER" || upper == u"HKCU") return kCurrentUser;
  if (upper == u"HKEY_USERS" || upper == u"HKU") return kUsers;
  return -1;
}

std::shared_ptr<Registry::Key> FindSubkey(const Registry::Key &key, std::u16string_view name) {
  for (const auto &subkey : key.subkeys)
    if (EqualNoCase(subkey->name, name)) return subkey;
  return nullptr;
}

std::shared_ptr<Registry::Key> EnsureSubkey(Registry::Key &key, std::u16string_view name, bool *created) {
  *created = false;
  if (auto existing = FindSubkey(key, name)) return existing;
  auto subkey = std::make_shared<Registry::Key>();
  subkey->name = std::u16string(name);
  auto at = std::upper_bound(key.subkeys.begin(), key.subkeys.end(), subkey,
                             [](const auto &a, const auto &b) { return SortsBefore(a->name, b->name); });
  key.subkeys.insert(at, subkey);
  *created = true;
  return subkey;
}

int FindValue(const Registry::Key &key, std::u16string_view name) {
  for (size_t i = 0; i < key.values.size(); ++i)
    if (EqualNoCase(key.values[i].name, name)) return static_cast<int>(i);
  return -1;
}

void PutValue(Registry::Key &key, std::u16string_view name, uint32_t type, std::string data) {
  const int index = FindValue(key, name);
  if (index >= 0) {
    key.values[index].type = type;
    key.values[index].data = std::move(data);
  } else {
    key.values.push_back(RegistryValue{std::u16string(name), type, std::move(data)});
  }
}

// UTF-16LE is the host's own order on every machine the simulation runs on.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the registry keeps UTF-16LE bytes as char16_t");

std::u16string Utf16FromData(std::string_view data) {
  std::u16string text(data.size() / 2, u'\0');
  std::memcpy(text.data(), data.data(), text.size() * 2);
  return text;
}

std::string DataFromUtf16(std::u16string_view text) {
  return std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2);
}

std::vector<std::u16string> SplitKeyPath(std::u16string_view path) {
  std::vector<std::u16string> names;
  size_t begin = 0;
  while (begin <= path.size()) {
    size_t end = path.find(u'\\', begin);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > begin) names.emplace_back(path.substr(begin, end - begin));
    begin = end + 1;
  }
  return names;
}

namespace {

std::shared_ptr<Registry::Key> Walk(const std::shared_ptr<Registry::Key> &root,
                                    const std::vector<std::u16string> &path) {
  std::shared_ptr<Registry::Key> key = root;
  for (const auto &name : path) {
    key = FindSubkey(*key, name);
    if (!key) return nullptr;
  }
  return key;
}

std::shared_ptr<Registry::Key> WalkCreating(const std::shared_ptr<Registry::Key> &root,
                                            const std::vector<std::u16string> &path, bool *created) {
  std::shared_ptr<Registry::Key> key = root;
  *created = false;
  for (const auto &name : path) key = EnsureSubkey(*key, name, created);
  return key;
}

// "HKEY_LOCAL_MACHINE\A\B" as a hive and names; hive -1 for an unknown root.
std::pair<int, std::vector<std::u16string>> ParseHostPath(const std::string &path) {
  std::vector<std::u16string> names = SplitKeyPath(Utf8ToUtf16(path));
  if (names.empty()) return {-1, {}};
  const int hive = HiveFromName(Utf16ToUtf8(names.front()));
  names.erase(names.begin());
  return {hive, names};
}

}  // namespace

Registry::Registry() {
  for (int i = 0; i < kHiveCount; ++i) {
    hives_.push_back(std::make_shared<Key>());
    hives_.back()->name = Utf8ToUtf16(HiveName(i));
  }
}

Registry::~Registry() = default;

void Registry::Attach(const Profile *profile) { profile_ = profile; }

void Registry::Clear() {
  for (auto &hive : hives_) {
    MarkDeleted(*hive);
    auto fresh = std::make_shared<Key>();
    fresh->name = hive->name;
    hive = fresh;
  }
  handles_.clear();
}

std::shared_ptr<Registry::Key> Registry::HostKey(const std::string &path) const {
  auto [hive, names] = ParseHostPath(path);
  return hive < 0 ? nullptr : Walk(hives_[hive], names);
}

std::shared_ptr<Registry::Key> Registry::HostKeyCreating(const std::string &path) {
  auto [hive, names] = ParseHostPath(path);
  if (hive < 0) return nullptr;
  bool created;
  return WalkCreating(hives_[hive], names, &created);
}

// ---- Host view ----

bool Registry::KeyExists(const std::string &path) const { return HostKey(path) != nullptr; }

void Registry::CreateKey(const std::string &path) { HostKeyCreating(path); }

void Registry::DeleteTree(const std::string &path) {
  auto [hive, names] = ParseHostPath(path);
  if (hive < 0) return;
  if (names.empty()) {
    for (auto &subkey : hives_[hive]->subkeys) MarkDeleted(*subkey);
    hives_[hive]->subkeys.clear();
    hives_[hive]->values.clear();
    return;
  }
  const std::u16string last = names.back();
  names.pop_back();
  auto parent = Walk(hives_[hive], names);
  if (parent) RemoveSubkey(*parent, last);
}

void Registry::SetString(const std::string &path, const std::string &name, const std::string &value) {
  SetRaw(path, name, REG_SZ, DataFromUtf16(Utf8ToUtf16(value) + u'\0'));
}

void Registry::SetDword(const std::string &path, const std::string &name, uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  SetRaw(path, name, REG_DWORD, data);
}

void Registry::SetRaw(const std::string &path, const std::string &name, uint32_t type, const std::string &data) {
  if (auto key = HostKeyCreating(path)) PutValue(*key, Utf8ToUtf16(name), type, data);
}

bool Registry::GetRaw(const std::string &path, const std::string &name, uint32_t *type, std::string *data) const {
  auto key = HostKey(path);
  const int index = key ? FindValue(*key, Utf8ToUtf16(name)) : -1;
  if (index < 0) return false;
  *type = key->values[index].type;
  *data = key->values[index].data;
  return true;
}

bool Registry::GetString(const std::string &path, const std::string &name, std::string *value) const {
  uint32_t type;
  std::string data;
  if (!GetRaw(path, name, &type, &data) || type != REG_SZ) return false;
  const std::u16string text = Utf16FromData(data);
  *value = Utf16ToUtf8(text.substr(0, text.find(u'\0')));
  return true;
}

std::vector<std::string> Registry::SubkeyNames(const std::string &path) const {
  std::vector<std::string> names;
  if (auto key = HostKey(path))
    for (const auto &subkey : key->subkeys) names.push_back(Utf16ToUtf8(subkey->name));
  return names;
}

std::vector<std::string> Registry::ValueNames(const std::string &path) const {
  std::vector<std::string> names;
  if (auto key = HostKey(path))
    for (const auto &value : key->values) names.push_back(Utf16ToUtf8(value.name));
  return names;
}

// ---- Program view ----

bool Registry::Writable(const Location &location) const {
  if (!profile_ || profile_->family == Family::Win9x) return true;
  return location.hive == kCurrentUser || profile_->administrator;
}

bool Registry::Grant(const Location &location, uint32_t access, uint32_t *granted) const {
  const bool writable = Writable(location);
  if (profile_ && profile_->family == Family::Win9x) access = KEY_ALL_ACCESS;  // 9x ignores the mask
  uint32_t rights = MapGenericRights(access);
  if (rights & kMaximumAllowed) rights = (rights & ~kMaximumAllowed) | (writable ? KEY_ALL_ACCESS : KEY_READ);
  if ((rights & kWriteRights) && !writable) return false;
  *granted = rights;
  return true;
}

bool Registry::Resolve(uintptr_t handle, std::shared_ptr<Key> *key, Location *location, uint32_t *access) const {
  auto open = handles_.find(handle);
  if (open != handles_.end()) {
    *key = open->second.key;
    *location = open->second.location;
    *access = open->second.access;
    return true;
  }
  const int hive = PredefinedIndex(handle);
  if (hive < 0) return false;
  *location = hive == 3 ? Location{kLocalMachine, {u"SOFTWARE", u"Classes"}} : Location{hive, {}};
  bool created;  // every Windows has the classes key, so it is made when first used
  *key = WalkCreating(hives_[location->hive], location->path, &created);
  Grant(*location, kMaximumAllowed, access);
  return true;
}

uint32_t Registry::Target(uintptr_t parent, std::u16string_view path, uint32_t access, Location *target) const {
  std::shared_ptr<Key> key;
  uint32_t parentAccess;
  if (!Resolve(parent, &key, target, &parentAccess)) return ERROR_INVALID_HANDLE;
  if (key->deleted) return ERROR_KEY_DELETED;
  if (!path.empty() && path.front() == u'\\') return ERROR_BAD_PATHNAME;
  for (auto &name : SplitKeyPath(path)) target->path.push_back(std::move(name));
  if (profile_ && profile_->Is64BitWindows()) {
    const bool view32 = (access & KEY_WOW64_32KEY) ||
                        (profile_->processBits == 32 && !(access & KEY_WOW64_64KEY));
    if (view32) target->path = RedirectToWow64(*profile_, target->hive, std::move(target->path));
  }
  return ERROR_SUCCESS;
}

uintptr_t Registry::AddHandle(std::shared_ptr<Key> key, Location location, uint32_t access) {
  const uintptr_t handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = Handle{std::move(key), std::move(location), access};
  return handle;
}

uint32_t Registry::HandleKey(uintptr_t handle, uint32_t right, std::shared_ptr<Key> *key) const {
  Location location;
  uint32_t access;
  if (!Resolve(handle, key, &location, &access)) return ERROR_INVALID_HANDLE;
  if (!(access & right)) return ERROR_ACCESS_DENIED;
  return (*key)->deleted ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

void Registry::RemoveSubkey(Key &parent, std::u16string_view name) {
  auto &subkeys = parent.subkeys;
  auto it = std::find_if(subkeys.begin(), subkeys.end(), [&](const auto &k) { return EqualNoCase(k->name, name); });
  if (it == subkeys.end()) return;
  MarkDeleted(**it);
  subkeys.erase(it);
}

uint32_t Registry::OpenHandle(uintptr_t parent, std::u16string_view path, uint32_t access, uintptr_t *key) {
  if (path.empty() && PredefinedIndex(parent) >= 0) return *key = parent, ERROR_SUCCESS;
  Location target;
  if (uint32_t error = Target(parent, path, access, &target)) return error;
  auto node = Walk(hives_[target.hive], target.path);
  if (!node) return ERROR_FILE_NOT_FOUND;
  uint32_t granted;
  if (!Grant(target, access, &granted)) return ERROR_ACCESS_DENIED;
  *key = AddHandle(node, target, granted);
  return ERROR_SUCCESS;
}

uint32_t Registry::CreateHandle(uintptr_t parent, std::u16string_view path, uint32_t access, uintptr_t *key,
                                bool *created) {
  Location target;
  if (uint32_t error = Target(parent, path, access, &target)) return error;
  const bool exists = Walk(hives_[target.hive], target.path) != nullptr;
  uint32_t granted;
  if ((!exists && !Writable(target)) || !Grant(target, access, &granted)) return ERROR_ACCESS_DENIED;
  auto node = WalkCreating(hives_[target.hive], target.path, created);
  *key = AddHandle(node, target, granted);
  return ERROR_SUCCESS;
}

uint32_t Registry::CloseHandle(uintptr_t key) {
  if (PredefinedIndex(key) >= 0) return ERROR_SUCCESS;
  return handles_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

uint32_t Registry::DeleteSubkey(uintptr_t parent, std::u16string_view path, uint32_t access, bool withSubkeys) {
  Location target;
  if (uint32_t error = Target(parent, path, access & (KEY_WOW64_32KEY | KEY_WOW64_64KEY), &target)) return error;
  auto node = Walk(hives_[target.hive], target.path);
  if (!node) return ERROR_FILE_NOT_FOUND;
  // A hive root cannot go; a key with subkeys goes only as a whole tree.
  if (target.path.empty() || !Writable(target) || (!node->subkeys.empty() && !withSubkeys))
    return ERROR_ACCESS_DENIED;
  const std::u16string name = target.path.back();
  target.path.pop_back();
  RemoveSubkey(*Walk(hives_[target.hive], target.path), name);
  return ERROR_SUCCESS;
}

uint32_t Registry::QueryValue(uintptr_t key, std::u16string_view name, RegistryValue *value) const {
  std::shared_ptr<Key> node;
  if (uint32_t error = HandleKey(key, KEY_QUERY_VALUE, &node)) return error;
  const int index = FindValue(*node, name);
  if (index < 0) return ERROR_FILE_NOT_FOUND;
  *value = node->values[index];
  return ERROR_SUCCESS;
}

uint32_t Registry::SetValue(uintptr_t key, std::u16string_view name, uint32_t type, std::string data) {
  std::shared_ptr<Key> node;
  if (uint32_t error = HandleKey(key, KEY_SET_VALUE, &node)) return error;
  PutValue(*node, name, type, std::move(data));
  return ERROR_SUCCESS;
}

uint32_t Registry::DeleteValue(uintptr_t key, std::u16string_view name) {
  std::shared_ptr<Key> node;
  if (uint32_t error = HandleKey(key, KEY_SET_VALUE, &node)) return error;
  const int index = FindValue(*node, name);
  if (index < 0) return ERROR_FILE_NOT_FOUND;
  node->values.erase(node->values.begin() + index);
  return ERROR_SUCCESS;
}

uint32_t Registry::QueryKeyInfo(uintptr_t key, RegistryKeyInfo *info) const {
  std::shared_ptr<Key> node;
  if (uint32_t error = HandleKey(key, KEY_QUERY_VALUE, &node)) return error;
  *info = RegistryKeyInfo();
  info->subkeys = static_cast<uint32_t>(node->subkeys.size());
  info->values = static_cast<uint32_t>(node->values.size());
  for (const auto &subkey : node->subkeys)
    info->maxSubkeyLength = std::max(info->maxSubkeyLength, static_cast<uint32_t>(subkey->name.size()));
  for (const auto &value : node->values) {
    info->maxValueNameLength = std::max(info->maxValueNameLength, static_cast<uint32_t>(value.name.size()));
    info->maxValueLength = std::max(info->maxValueLength, static_cast<uint32_t>(value.data.size()));
  }
  return ERROR_SUCCESS;
}

uint32_t Registry::EnumSubkey(uintptr_t key, uint32_t index, std::u16string *name) const {
  std::shared_ptr<Key> node;
  if (uint32_t error = HandleKey(key, KEY_ENUMERATE_SUB_KEYS, &node)) return error;
  if (index >= node->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  *name = node->subkeys[index]->name;
  return ERROR_SUCCESS;
}

uint32_t Registry::EnumValue(uintptr_t key, uint32_t index, RegistryValue *value) const {
  std::shared_ptr<Key> node;
  if (uint32_t error = HandleKey(key, KEY_QUERY_VALUE, &node)) return error;
  if (index >= node->values.size()) return ERROR_NO_MORE_ITEMS;
  *value = node->values[index];
  return ERROR_SUCCESS;
}

}  // namespace sim
