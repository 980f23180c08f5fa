// Any bytes as the backup of the user's data, restored as a reinstallation
// that keeps the earlier data restores it: read from the earlier
// installation's directory, unpacked, checked and reported. The folder is
// open to every user, so the backup is whatever anyone put there: nothing
// may be read or written out of bounds, and nothing outside the
// installation directory may change.
#include <cstdint>
#include <fstream>

#include "common/install_dir.h"
#include "fuzz_machine.h"
#include "userdata/user_data_restore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  sim::Machine &machine = fuzz_machine::Ready();
  SetPreviousInstallation(fuzz_machine::kInstallDir);
  {
    std::string backup = std::string(fuzz_machine::kInstallDir) + "vorlback.voz";
    std::ofstream file(machine.files.HostPath(backup), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
  }
  RestoreUserData();
  fuzz_machine::Finish(machine);
  return 0;
}
