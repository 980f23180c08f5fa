// ADVAPI32: the registry calls and the user name. The "A" calls convert names
// and string data through the machine's ANSI code page, as Windows does; keys,
// handles, access checks and WOW64 views are the registry model's. The calls
// return their error and never set the thread's last error.
#include <cstring>

#include "api_support.h"
#include "registry_tree.h"

using sim::M;

namespace {

// ERROR_NOACCESS answers a data size given without data.

uintptr_t Id(HKEY key) { return reinterpret_cast<uintptr_t>(key); }
HKEY KeyOf(uintptr_t id) { return reinterpret_cast<HKEY>(id); }
sim::Registry &Reg() { return M().registry; }
bool Is9x() { return M().profile.family == sim::Family::Win9x; }
bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::u16string FromAnsi(LPCSTR text) { return text ? sim::CodePageToUtf16(sim::AnsiCodePage(), text) : u""; }
std::string ToAnsi(std::u16string_view text) { return sim::Utf16ToCodePage(sim::AnsiCodePage(), text); }

LSTATUS OpenKey(HKEY key, std::u16string path, REGSAM access, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  // NT accepts one leading backslash below HKEY_CLASSES_ROOT only.
  if (key == HKEY_CLASSES_ROOT && !path.empty() && path[0] == u'\\') path.erase(0, 1);
  uintptr_t handle;
  const LSTATUS error = Reg().OpenHandle(Id(key), path, access, &handle);
  if (error == ERROR_SUCCESS) *result = KeyOf(handle);
  return error;
}

LSTATUS CreateKey(HKEY key, std::u16string path, DWORD reserved, REGSAM access, PHKEY result,
                  LPDWORD disposition) {
  if (!result) return ERROR_BADKEY;
  if (reserved) return ERROR_INVALID_PARAMETER;
  // Windows 9x passes over one leading backslash.
  if (Is9x() && !path.empty() && path[0] == u'\\') path.erase(0, 1);
  *result = nullptr;
  uintptr_t handle;
  bool created;
  const LSTATUS error = Reg().CreateHandle(Id(key), path, access, &handle, &created);
  if (error != ERROR_SUCCESS) return error;
  *result = KeyOf(handle);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

// Copies value data into a caller's buffer as RegQueryValueEx does: nothing
// is written when it does not fit (ERROR_MORE_DATA), and string data without
// a terminator gets one (of `unit` bytes) when the buffer has room for it.
LSTATUS CopyData(const std::string &bytes, DWORD type, LPBYTE data, DWORD capacity, size_t unit) {
  if (!data || bytes.empty()) return ERROR_SUCCESS;
  if (bytes.size() > capacity) return ERROR_MORE_DATA;
  std::memcpy(data, bytes.data(), bytes.size());
  const bool unterminated =
      bytes.size() >= unit && bytes.find_first_not_of('\0', bytes.size() - unit) != std::string::npos;
  if (IsString(type) && unterminated && bytes.size() + unit <= capacity) std::memset(data + bytes.size(), 0, unit);
  return ERROR_SUCCESS;
}

// A value's data as an "A" call returns it: strings in the ANSI code page.
std::string AnsiData(const sim::RegistryValue &value) {
  return IsString(value.type) ? ToAnsi(sim::Utf16FromData(value.data)) : value.data;
}

LSTATUS QueryValue(HKEY key, const std::u16string &name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                   LPDWORD size, bool ansi) {
  if ((data && !size) || reserved) return ERROR_INVALID_PARAMETER;
  const DWORD capacity = size ? *size : 0;
  if (!data && size) *size = 0;
  if (type) *type = REG_NONE;
  sim::RegistryValue value;
  if (LSTATUS error = Reg().QueryValue(Id(key), name, &value)) return error;
  const std::string bytes = ansi ? AnsiData(value) : value.data;
  const LSTATUS result = CopyData(bytes, value.type, data, capacity, ansi ? 1 : 2);
  if (type) *type = value.type;
  if (size) *size = static_cast<DWORD>(bytes.size());
  return result;
}

LSTATUS SetValue(HKEY key, const std::u16string &name, DWORD type, std::string data) {
  return Reg().SetValue(Id(key), name, type, std::move(data));
}

}  // namespace

// ---- Keys ----

// The key's class, volatile option and security attributes are not kept.
LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR, DWORD, REGSAM access,
                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  return CreateKey(key, FromAnsi(subKey), reserved, access, result, disposition);
}

// As RegCreateKeyExA.
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR, DWORD, REGSAM access,
                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  return CreateKey(key, sim::FromWide(subKey), reserved, access, result, disposition);
}

// Symbolic links (REG_OPTION_OPEN_LINK) do not exist here.
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
  return OpenKey(key, FromAnsi(subKey), access, result);
}

// As RegOpenKeyExA.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result) {
  return OpenKey(key, sim::FromWide(subKey), access, result);
}

// As Windows.
LSTATUS RegCloseKey(HKEY key) {
  if (!key) return ERROR_INVALID_HANDLE;
  return Reg().CloseHandle(Id(key));
}

// Windows 9x deletes the whole tree; NT refuses a key with subkeys
// (ERROR_ACCESS_DENIED). As Windows otherwise.
LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  return Reg().DeleteSubkey(Id(key), FromAnsi(subKey), 0, Is9x());
}

// Keys have no class, no security descriptor and no write time here: those
// come back empty or zero.
LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classSize, LPDWORD, LPDWORD subKeys,
                         LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                         LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptorSize,
                         FILETIME *lastWriteTime) {
  if (keyClass && !classSize && !Is9x()) return ERROR_INVALID_PARAMETER;
  sim::RegistryKeyInfo info;
  if (LSTATUS error = Reg().QueryKeyInfo(Id(key), &info)) return error;
  if (classSize) {
    if (keyClass && *classSize) keyClass[0] = '\0';
    *classSize = 0;
  }
  if (subKeys) *subKeys = info.subkeys;
  if (maxSubKeyLength) *maxSubKeyLength = info.maxSubkeyLength;  // in UTF-16 characters, as Windows
  if (maxClassLength) *maxClassLength = 0;
  if (values) *values = info.values;
  if (maxValueNameLength) *maxValueNameLength = info.maxValueNameLength;
  if (maxValueLength) *maxValueLength = info.maxValueLength;
  if (securityDescriptorSize) *securityDescriptorSize = 0;
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  return ERROR_SUCCESS;
}

// A name that does not fit with its terminator gives ERROR_MORE_DATA and
// leaves the buffer and *nameSize as they were, as Windows does. Keys have no
// class and no write time here.
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR keyClass,
                      LPDWORD classSize, FILETIME *lastWriteTime) {
  if (reserved || !name || !nameSize) return ERROR_INVALID_PARAMETER;
  std::u16string subkey;
  if (LSTATUS error = Reg().EnumSubkey(Id(key), index, &subkey)) return error;
  const std::string ansi = ToAnsi(subkey);
  if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
  if (ansi.size() >= *nameSize || (keyClass && classSize && *classSize == 0)) return ERROR_MORE_DATA;
  std::memcpy(name, ansi.c_str(), ansi.size() + 1);
  *nameSize = static_cast<DWORD>(ansi.size());
  if (classSize) {
    if (keyClass) keyClass[0] = '\0';
    *classSize = 0;
  }
  return ERROR_SUCCESS;
}

// ---- Values ----

// String data comes back in the ANSI code page with its 8-bit length; a
// terminator is added only when the stored string has none and the buffer has
// room. As Windows.
LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  return QueryValue(key, FromAnsi(name), reserved, type, data, size, true);
}

// As Windows.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  return QueryValue(key, sim::FromWide(name), reserved, type, data, size, false);
}

// String data is stored in UTF-16, converted from the ANSI code page byte for
// byte of `size`; as on Windows a size that stops just before a zero byte
// takes that zero in (NT), and Windows 9x takes REG_SZ up to its first zero.
LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE *data, DWORD size) {
  if (Is9x() && type == REG_SZ) {
    if (!data) return ERROR_INVALID_PARAMETER;
    size = static_cast<DWORD>(std::strlen(reinterpret_cast<const char *>(data)) + 1);
  }
  if (!data && size) return ERROR_NOACCESS;
  // Windows reads the byte after the data here, so this does too.
  if (size && IsString(type) && data[size - 1] && !data[size]) ++size;
  const std::string bytes(reinterpret_cast<const char *>(data), size);
  if (!IsString(type)) return SetValue(key, FromAnsi(name), type, bytes);
  return SetValue(key, FromAnsi(name), type,
                  sim::DataFromUtf16(sim::CodePageToUtf16(sim::AnsiCodePage(), bytes)));
}

// As RegSetValueExA for UTF-16 data: a size that stops just before a zero
// character takes that zero in.
LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE *data, DWORD size) {
  if (!data && size) return ERROR_NOACCESS;
  if (size >= 2 && IsString(type)) {
    const auto *text = reinterpret_cast<const WCHAR *>(data);
    if (text[size / 2 - 1] && !text[size / 2]) size += 2;
  }
  return SetValue(key, sim::FromWide(name), type, std::string(reinterpret_cast<const char *>(data), size));
}

// As Windows.
LSTATUS RegDeleteValueA(HKEY key, LPCSTR name) { return Reg().DeleteValue(Id(key), FromAnsi(name)); }

// Data as RegQueryValueExA gives it. A name that does not fit is cut to the
// buffer with ERROR_MORE_DATA (Windows XP leaves the buffer alone instead).
LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD dataSize) {
  if ((data && !dataSize) || reserved || !name || !nameSize) return ERROR_INVALID_PARAMETER;
  sim::RegistryValue value;
  if (LSTATUS error = Reg().EnumValue(Id(key), index, &value)) return error;
  const std::string bytes = AnsiData(value);
  LSTATUS result = CopyData(bytes, value.type, data, dataSize ? *dataSize : 0, 1);
  if (result == ERROR_SUCCESS) {
    const std::string ansi = ToAnsi(value.name);
    if (ansi.size() < *nameSize) {
      std::memcpy(name, ansi.c_str(), ansi.size() + 1);
      *nameSize = static_cast<DWORD>(ansi.size());
    } else {
      result = ERROR_MORE_DATA;
      if (*nameSize) {
        std::memcpy(name, ansi.data(), *nameSize - 1);
        name[*nameSize - 1] = '\0';
      }
    }
  }
  if (type) *type = value.type;
  if (dataSize) *dataSize = static_cast<DWORD>(bytes.size());
  return result;
}

// ---- User ----

// The profile's user name in the ANSI code page; the sizes count the
// terminator, on success and on ERROR_INSUFFICIENT_BUFFER alike.
BOOL GetUserNameA(LPSTR buffer, LPDWORD size) {
  if (!size) {
    sim::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string name = sim::Utf8ToAnsi(M().profile.userName);
  const DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (!buffer || *size < needed) {
    *size = needed;
    sim::SetError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), needed);
  *size = needed;
  return TRUE;
}
