#include "security/command_capture.h"

#include "common/install_dir.h"
#include "common/safe_command.h"
#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "platform/win32.h"
#include "security/directory_access.h"

namespace {

const char kAppPackagePrefix[] = "APPLICATION PACKAGE";
const int kAppPackagePrefixLength = sizeof kAppPackagePrefix - 1;
const int kLineSize = 128;

bool EndsLine(char c) { return (unsigned char)c < 0x20; }
bool IsBlankOrLineEnd(char c) { return c != '\0' && (unsigned char)c <= 0x20; }

}  // namespace

int RunAndCapture(const char *command, char *output, int size) {
  if (size > 0) output[0] = '\0';
  FILE *pipe = _popen(command, "rt");
  if (!pipe) return 0;
  char line[kLineSize];
  while (fgets(line, sizeof line, pipe)) AppendText(output, size, line);
  _pclose(pipe);
  return 1;
}

int ListingShowsAppPackagesFullAccess(const char *listing) {
  const char *at = listing;
  while (*at) {
    while (IsBlankOrLineEnd(*at)) ++at;
    const char *start = at;
    while (!EndsLine(*at)) ++at;
    // A line that holds the prefix is long enough for the letter; one that
    // does not is never read before its start.
    if (at - start >= kAppPackagePrefixLength && strncmp(start, kAppPackagePrefix, kAppPackagePrefixLength) == 0) {
      const char right = at[-2];
      if (right == 'F' || right == 'f') return 1;
    }
  }
  return 0;
}

int AppPackagesHaveFullAccess() {
  char command[kSystemDirSize + MAX_PATH];
  char folder[kInstallDirSize], arguments[kInstallDirSize + 2];
  // The directory itself may hold blanks; the short name is named bare, as always.
  const int shortName = IcaclsFolder(folder, sizeof folder, "C:\\Progra~1\\morvak8");
  wsprintfA(arguments, shortName ? "%s" : "\"%s\"", folder);
  if (!FormatSystemToolCommand(command, sizeof command, "icacls.exe", arguments)) return 0;
  char output[kCapturedOutputSize];
  if (!RunAndCapture(command, output, sizeof output)) return 0;
  return ListingShowsAppPackagesFullAccess(output);
}
