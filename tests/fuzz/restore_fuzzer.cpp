// Any bytes as the backup of the user's data, restored as a reinstallation
// that keeps the earlier data restores it: read from the earlier
// installation's directory, checked against the length and digest it was
// made with (here those of the input, as if the run had made it),
// unpacked, checked and reported. Nothing may be read or written out of
// bounds, nothing outside the installation directory may change, and no
// entry but the user's own files may be written.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/install_dir.h"
#include "common/text_buffer.h"
#include "fuzz_machine.h"
#include "package/md5_digest.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_files.h"
#include "userdata/user_data_restore.h"

namespace {

// A name the restore may create: one of the user's files, or the name its
// content is written under first (the last character "~").
bool OfUserDataEntry(const std::string &name) {
  if (IsUserDataEntry(name.c_str())) return true;
  for (const UserDataFile &row : kUserDataFiles) {
    const std::string entry = row.entry;
    if (name.size() == entry.size() && name.back() == '~' && name.compare(0, name.size() - 1, entry, 0, entry.size() - 1) == 0)
      return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  sim::Machine &machine = fuzz_machine::Ready();
  SetPreviousInstallation(fuzz_machine::kInstallDir);
  {
    std::string backup = std::string(fuzz_machine::kInstallDir) + "vorlback.voz";
    std::ofstream file(machine.files.HostPath(backup), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  CopyText(userDataBackup.made.folder, sizeof userDataBackup.made.folder, fuzz_machine::kInstallDir);
  userDataBackup.made.size = static_cast<DWORD>(size);
  char digest[kDigestFieldSize];
  Md5Hex(data, static_cast<DWORD>(size), digest);
  lstrcpynA(userDataBackup.made.digest, digest, sizeof userDataBackup.made.digest);
  userDataBackup.state = 2;
  RestoreUserData();
  userDataBackup.state = 0;
  for (const sim::Event &file : machine.events.OfKind("file")) {
    const std::string path = file.Field("path");
    const std::string name = path.substr(path.rfind('\\') + 1);
    if (file.Field("op") == "create" && file.Field("error") == "0" && !OfUserDataEntry(name)) std::abort();
  }
  fuzz_machine::Finish(machine);
  return 0;
}
