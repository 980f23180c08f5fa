// The simulated registry as the program meets it: names without case, Windows'
// enumeration order, strings stored as written, ANSI conversion through the
// machine's code page, rights without administrator, WOW64 redirection and the
// registry.reg file.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>
#include <string>

#include "platform/win32.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;


std::string Utf16Bytes(const std::u16string &text) {
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

std::string RawValue(sim::Machine &machine, const std::string &key, const std::string &name) {
  uint32_t type = 0;
  std::string data;
  EXPECT_TRUE(machine.registry.GetRaw(key, name, &type, &data)) << key << " " << name;
  return data;
}

HKEY CreateUserKey(const char *path) {
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  return key;
}

TEST(Registry, KeyNamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  ScopedMachine machine;
  RegCloseKey(CreateUserKey("Software\\MixedCase"));
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\MIXEDCASE", 0, nullptr, 0, KEY_READ, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\mixedcase", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  auto names = machine->registry.SubkeyNames("HKEY_CURRENT_USER\\Software");
  EXPECT_EQ(std::count(names.begin(), names.end(), "MixedCase"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "MIXEDCASE"), 0);
}

TEST(Registry, SubkeysEnumerateSortedWithoutCaseAndValuesInCreationOrder) {
  ScopedMachine machine;
  HKEY parent = CreateUserKey("Software\\Order");
  for (const char *name : {"b", "_x", "A", "c"})
    RegCloseKey(CreateUserKey((std::string("Software\\Order\\") + name).c_str()));
  for (const char *name : {"z", "a", "M"}) RegSetValueExA(parent, name, 0, REG_SZ, (const BYTE *)"v", 2);

  std::vector<std::string> keys, values;
  char name[16];
  DWORD size = sizeof name;
  for (DWORD i = 0; RegEnumKeyExA(parent, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i)
    keys.push_back(name), size = sizeof name;
  for (DWORD i = 0; RegEnumValueA(parent, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i)
    values.push_back(name), size = sizeof name;
  EXPECT_EQ(keys, (std::vector<std::string>{"A", "b", "c", "_x"}));  // '_' sorts after the letters
  EXPECT_EQ(values, (std::vector<std::string>{"z", "a", "M"}));
  RegCloseKey(parent);
}

TEST(Registry, EnumKeyPastTheEndOrIntoASmallBufferLeavesTheBuffer) {
  ScopedMachine machine;
  HKEY parent = CreateUserKey("Software\\Enumerated");
  for (const char *name : {"00000804", "00000404", "E0200804"})
    RegCloseKey(CreateUserKey((std::string("Software\\Enumerated\\") + name).c_str()));
  DWORD count = 0, longest = 0;
  ASSERT_EQ(RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(longest, 8u);

  char name[200] = "canary";
  DWORD size = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(parent, count, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  EXPECT_STREQ(name, "canary");
  size = 8;  // "00000404" needs 9 with its terminator
  EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_STREQ(name, "canary");
  EXPECT_EQ(size, 8u);
  size = 9;
  EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "00000404");
  EXPECT_EQ(size, 8u);
  RegCloseKey(parent);
}

TEST(Registry, AnsiStringWithoutTerminatorIsStoredAndReadWithItsOwnLength) {
  ScopedMachine machine;
  HKEY key = CreateUserKey("Software\\Strings");
  const char source[] = "kbdus.dllXYZ";  // no zero after the ninth byte
  ASSERT_EQ(RegSetValueExA(key, "layout file", 0, REG_SZ, (const BYTE *)source, 9), ERROR_SUCCESS);
  EXPECT_EQ(RawValue(*machine, "HKEY_CURRENT_USER\\Software\\Strings", "layout file"), Utf16Bytes(u"kbdus.dll"));

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "layout file", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 9u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  char buffer[200];
  std::memset(buffer, '#', sizeof buffer);
  size = 8;
  EXPECT_EQ(RegQueryValueExA(key, "layout file", nullptr, nullptr, (BYTE *)buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 9u);
  EXPECT_EQ(buffer[0], '#');
  size = 9;
  EXPECT_EQ(RegQueryValueExA(key, "layout file", nullptr, nullptr, (BYTE *)buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(buffer, 10), "kbdus.dll#");  // no room, no terminator
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "layout file", nullptr, nullptr, (BYTE *)buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 9u);
  EXPECT_STREQ(buffer, "kbdus.dll");
  RegCloseKey(key);
}

TEST(Registry, AnsiStringSizeStoppingJustBeforeAZeroTakesTheZeroIn) {
  ScopedMachine machine;
  HKEY key = CreateUserKey("Software\\Strings");
  ASSERT_EQ(RegSetValueExA(key, "layout file", 0, REG_SZ, (const BYTE *)"kbdus.dll", 9), ERROR_SUCCESS);
  EXPECT_EQ(RawValue(*machine, "HKEY_CURRENT_USER\\Software\\Strings", "layout file"),
            Utf16Bytes(std::u16string(u"kbdus.dll") + u'\0'));
  RegCloseKey(key);
}

struct CodePageCase {
  const char *preset;
  std::u16string text;  // a text of the machine's language
  std::string ansi;     // the same in the machine's code page
};

class RegistryCodePage : public testing::TestWithParam<CodePageCase> {};

TEST_P(RegistryCodePage, AnsiCallsConvertThroughTheMachineCodePage) {
  ScopedMachine machine(GetParam().preset);
  HKEY key = CreateUserKey("Software\\Text");
  const std::string &ansi = GetParam().ansi;
  const std::string source = ansi + "!";  // no zero right after the text
  ASSERT_EQ(RegSetValueExA(key, "text", 0, REG_SZ, (const BYTE *)source.data(), (DWORD)ansi.size()), ERROR_SUCCESS);
  EXPECT_EQ(RawValue(*machine, "HKEY_CURRENT_USER\\Software\\Text", "text"), Utf16Bytes(GetParam().text));

  char buffer[32] = {};
  DWORD size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key, "text", nullptr, nullptr, (BYTE *)buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, ansi.size());
  EXPECT_EQ(std::string(buffer), ansi);
  WCHAR wide[8] = {};
  size = sizeof wide;
  ASSERT_EQ(RegQueryValueExW(key, L"text", nullptr, nullptr, (BYTE *)wide, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(std::u16string(reinterpret_cast<char16_t *>(wide), 4), GetParam().text);
  RegCloseKey(key);
}

INSTANTIATE_TEST_SUITE_P(Pages, RegistryCodePage,
                         testing::Values(CodePageCase{"win10-x64", u"输入平台", "输入平台"},
                                         // "輸入平台" in Big5
                                         CodePageCase{"win10-x64-cp950", u"輸入平台",
                                                      "\xBF\xE9\xA4\x4A\xA5\xAD\xA5\x78"}));

TEST(Registry, RegFileKeepsEveryStoredByte) {
  ScopedMachine machine;
  sim::Registry &r = machine->registry;
  const std::string key = "HKEY_CURRENT_USER\\Software\\Morvak";
  r.SetRaw(key, "layout file", REG_SZ, Utf16Bytes(u"kbdus.dll"));
  r.SetString(key, "Say \"hi\"", u8"C:\\Path\\智能");
  r.SetString(key, "", "default");
  r.SetDword(key, "Count", 0xE0010804);
  const char16_t multi[] = u"one\0two\0three\0four\0five\0six\0";  // and the list's final zero
  r.SetRaw(key, "Multi", REG_MULTI_SZ, Utf16Bytes(std::u16string(multi, sizeof multi / sizeof multi[0])));
  r.SetRaw(key, "Empty", REG_BINARY, "");

  const std::string text = r.Export();
  EXPECT_NE(text.find("; \"layout file\" = \"kbdus.dll\"\n\"layout file\"=hex(1):6b,00,62,00"), std::string::npos);
  EXPECT_NE(text.find(u8"\"Say \\\"hi\\\"\"=\"C:\\\\Path\\\\智能\"\n"), std::string::npos);
  EXPECT_NE(text.find("@=\"default\"\n\"Count\"=dword:e0010804\n"), std::string::npos);
  EXPECT_NE(text.find(",\\\n  "), std::string::npos);  // long hex data goes on continuation lines

  sim::Registry loaded;
  std::string error;
  ASSERT_TRUE(loaded.Import(text, &error)) << error;
  EXPECT_EQ(loaded.Export(), text);
  uint32_t type = 0;
  std::string data;
  ASSERT_TRUE(loaded.GetRaw(key, "Multi", &type, &data));
  EXPECT_EQ(type, static_cast<uint32_t>(REG_MULTI_SZ));
  EXPECT_EQ(data.size(), 58u);
}

TEST(Registry, EveryPresetRegistrySurvivesExportAndImport) {
  for (const std::string &preset : sim::PresetNames()) {
    ScopedMachine machine(preset);
    const std::string text = machine->registry.Export();
    sim::Registry loaded;
    std::string error;
    ASSERT_TRUE(loaded.Import(text, &error)) << preset << ": " << error;
    EXPECT_EQ(loaded.Export(), text) << preset;
  }
}

TEST(Registry, ImportNamesTheLineItCannotRead) {
  sim::Registry r;
  std::string error;
  EXPECT_FALSE(r.Import("REGEDIT4\n", &error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
  EXPECT_FALSE(r.Import("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:zz\n", &error));
  EXPECT_NE(error.find("line 4"), std::string::npos);
  EXPECT_FALSE(r.KeyExists("HKEY_CURRENT_USER\\A"));
}

TEST(Registry, WithoutAdministratorRightsMachineKeysOnlyOpenForReading) {
  ScopedMachine machine("win7-x86");
  machine->profile.administrator = false;
  const char *version = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  for (REGSAM access : {REGSAM(KEY_ALL_ACCESS), REGSAM(KEY_SET_VALUE), REGSAM(KEY_CREATE_SUB_KEY), REGSAM(KEY_WRITE),
                        REGSAM(DELETE)}) {
    HKEY key = HKEY_CURRENT_USER;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, version, 0, access, &key), ERROR_ACCESS_DENIED) << access;
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_USERS, ".DEFAULT\\Keyboard Layout\\Preload", 0, access, &key), ERROR_ACCESS_DENIED);
  }
  HKEY parent = nullptr, created = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, version, 0, KEY_READ, &parent), ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKeyExA(parent, "Run", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr), ERROR_SUCCESS);
  RegCloseKey(created);
  EXPECT_EQ(RegCreateKeyExA(parent, "New", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExA(parent, "x", 0, REG_SZ, (const BYTE *)"1", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "x", 0, REG_SZ, (const BYTE *)"1", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(parent, "Run"), ERROR_ACCESS_DENIED);
  RegCloseKey(parent);
  EXPECT_FALSE(machine->registry.KeyExists(std::string("HKEY_LOCAL_MACHINE\\") + version + "\\New"));
  RegCloseKey(CreateUserKey("Software\\Still\\Writable"));
}

TEST(Registry, HandleRightsDecideValueWritesButNotSubkeyCreation) {
  ScopedMachine machine;
  RegCloseKey(CreateUserKey("Software\\Rights"));
  HKEY readOnly = nullptr, child = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Rights", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(readOnly, "x", 0, REG_SZ, (const BYTE *)"1", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(readOnly, "x"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyExA(readOnly, "Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(child, "x", 0, REG_SZ, (const BYTE *)"1", 1), ERROR_SUCCESS);
  RegCloseKey(child);
  RegCloseKey(readOnly);
}

struct RedirectionCase {
  const char *preset;
  unsigned processBits;
  REGSAM view;          // KEY_WOW64_* flags the program adds, or 0
  const char *written;  // path below HKLM that the program names
  const char *stored;   // where the key lands, below HKLM
};

class RegistryWow64 : public testing::TestWithParam<RedirectionCase> {};

TEST_P(RegistryWow64, MachineKeysLandInTheProgramsView) {
  const RedirectionCase &c = GetParam();
  ScopedMachine machine(c.preset);
  machine->profile.processBits = c.processBits;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, c.written, 0, nullptr, 0, KEY_ALL_ACCESS | c.view, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE *)"x", 1), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_TRUE(machine->registry.KeyExists(std::string("HKEY_LOCAL_MACHINE\\") + c.stored)) << c.stored;
  if (std::strcmp(c.written, c.stored) != 0) {
    EXPECT_FALSE(machine->registry.KeyExists(std::string("HKEY_LOCAL_MACHINE\\") + c.written));
  }
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.written, 0, KEY_READ | c.view, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "DisplayName", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(key);
}

const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vorlqwb8";
const char kUninstall32[] = "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\vorlqwb8";
const char kLayout[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts\\E0010804";
const char kAppPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vorl.exe";

INSTANTIATE_TEST_SUITE_P(
    Views, RegistryWow64,
    testing::Values(RedirectionCase{"win10-x64", 32, 0, kUninstall, kUninstall32},
                    RedirectionCase{"win7-x64", 32, 0, kUninstall, kUninstall32},
                    RedirectionCase{"win10-x64", 32, 0, kLayout, kLayout},
                    RedirectionCase{"win10-x64", 32, 0, kAppPath, kAppPath},  // shared since Windows 7
                    RedirectionCase{"win10-x64", 32, KEY_WOW64_64KEY, kUninstall, kUninstall},
                    RedirectionCase{"win10-x64", 64, 0, kUninstall, kUninstall},
                    RedirectionCase{"win10-x64", 64, KEY_WOW64_32KEY, kUninstall, kUninstall32},
                    RedirectionCase{"win7-x86", 32, 0, kUninstall, kUninstall}));

TEST(Registry, DeletingAKeyWithSubkeysIsRefusedOnNtAndTakesTheTreeOn9x) {
  for (const char *preset : {"win10-x64", "win98"}) {
    ScopedMachine machine(preset);
    RegCloseKey(CreateUserKey("Software\\Tree\\Leaf"));
    HKEY leaf = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tree\\Leaf", 0, KEY_ALL_ACCESS, &leaf), ERROR_SUCCESS);
    const bool nt = std::strcmp(preset, "win98") != 0;
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree"), nt ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
    EXPECT_EQ(machine->registry.KeyExists("HKEY_CURRENT_USER\\Software\\Tree\\Leaf"), nt) << preset;
    if (nt) {
      EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree\\Leaf"), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegSetValueExA(leaf, "x", 0, REG_SZ, (const BYTE *)"1", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(leaf), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(leaf), ERROR_INVALID_HANDLE);
  }
}

TEST(Registry, UserNameSizesCountTheTerminator) {
  ScopedMachine machine;
  machine->profile.userName = "operator";
  char name[16] = "";
  DWORD size = 8;
  machine->process.lastError = 0;
  EXPECT_FALSE(GetUserNameA(name, &size));
  EXPECT_EQ(machine->process.lastError, static_cast<uint32_t>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(size, 9u);
  EXPECT_STREQ(name, "");
  EXPECT_TRUE(GetUserNameA(name, &size));
  EXPECT_EQ(size, 9u);
  EXPECT_STREQ(name, "operator");
}

}  // namespace
