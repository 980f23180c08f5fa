// The user-agent marker on simulated machines: the markers of versions 63 to
// 89 replaced by this version's, and nothing written without the rights.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "settings/user_agent_marker.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

const std::string kPostPlatform =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\"
    "Post Platform";

TEST(UserAgentMarker, ReplacesTheMarkersOfVersions63To89AndKeepsOthers) {
  ScopedMachine machine("win10-x64");
  for (const char *name : {"kelt6200", "kelt6300", "kelt6800", "kelt6900", "kelt7500", "kelt8900", "kelt9000",
                           "kelt6350", "SV1"})
    machine->registry.SetString(kPostPlatform, name, "");
  WriteUserAgentMarker();
  EXPECT_EQ(machine->registry.ValueNames(kPostPlatform),
            (std::vector<std::string>{"kelt6200", "kelt6900", "kelt9000", "kelt6350", "SV1", "kelt8800"}));
  uint32_t type = 0;
  std::string data = "x";
  ASSERT_TRUE(machine->registry.GetRaw(kPostPlatform, "kelt8800", &type, &data));
  EXPECT_EQ(type, static_cast<uint32_t>(REG_SZ));
  EXPECT_EQ(data, "");
}

TEST(UserAgentMarker, MakesThePostPlatformKeyWhenMissing) {
  ScopedMachine machine("winxp-x86");
  const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\"
                          "User Agent\\Post Platform";
  machine->registry.DeleteTree(key);
  WriteUserAgentMarker();
  EXPECT_EQ(machine->registry.ValueNames(key), std::vector<std::string>{"kelt8800"});
}

TEST(UserAgentMarker, WithoutRightsOrUserAgentKeyWritesNothing) {
  ScopedMachine machine("win7-x64");
  machine->profile.administrator = false;
  std::string before = machine->registry.Export();
  WriteUserAgentMarker();
  EXPECT_EQ(machine->registry.Export(), before);
  machine->profile.administrator = true;
  machine->registry.DeleteTree(
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent");
  before = machine->registry.Export();
  WriteUserAgentMarker();
  EXPECT_EQ(machine->registry.Export(), before);
}

}  // namespace
