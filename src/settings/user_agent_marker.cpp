#include "settings/user_agent_marker.h"

#include "common/registry_values.h"
#include "platform/win32.h"

namespace {

const char kUserAgentKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent";
const char kMarker[] = "kelt8800";

// The markers of earlier versions: kelt6300 to kelt6800, kelt7000 to
// kelt7900 and kelt8000 to kelt8900, this version's among them.
void DeleteEarlierMarkers(HKEY postPlatform) {
  char name[] = "kelt6300";
  const struct {
    char major, firstMinor, lastMinor;
  } versions[] = {{'6', '3', '8'}, {'7', '0', '9'}, {'8', '0', '9'}};
  for (const auto &version : versions) {
    name[4] = version.major;
    for (char minor = version.firstMinor; minor <= version.lastMinor; ++minor) {
      name[5] = minor;
      RegDeleteValueA(postPlatform, name);
    }
  }
}

}  // namespace

void WriteUserAgentMarker() {
  HKEY userAgent = NULL, postPlatform = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUserAgentKey, 0, KEY_ALL_ACCESS, &userAgent) != ERROR_SUCCESS) return;
  if (RegCreateKeyExA(userAgent, "Post Platform", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                      &postPlatform, NULL) != ERROR_SUCCESS) {
    RegCloseKey(userAgent);
    return;
  }
  DeleteEarlierMarkers(postPlatform);
  SetTextValue(postPlatform, kMarker, "");
  RegCloseKey(postPlatform);
  RegCloseKey(userAgent);
}
