// Any bytes as an existing archive file that a file is appended to: the
// append either refuses and leaves the file as it was, or yields an archive
// whose walk is complete and ends with the new entry.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/plain_files.h"
#include "fuzz_machine.h"
#include "package/archive_format.h"
#include "package/archive_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  sim::Machine &machine = fuzz_machine::Ready();
  const std::string archivePath = std::string(fuzz_machine::kInstallDir) + "vorlback.voz";
  const std::string before(reinterpret_cast<const char *>(data), size);
  machine.files.WriteFile(archivePath, before);
  const std::string userFile = std::string(fuzz_machine::kInstallDir) + "userck.txt";
  machine.files.WriteFile(userFile, "user words\r\n");
  HANDLE archive = OpenPlainFile(archivePath.c_str(), GENERIC_READ | GENERIC_WRITE, nullptr);
  const int added = archive != INVALID_HANDLE_VALUE && AppendToArchive(archive, userFile.c_str());
  if (archive != INVALID_HANDLE_VALUE) CloseHandle(archive);
  std::string after;
  machine.files.ReadFile(archivePath, &after);
  fuzz_machine::Finish(machine);
  if (!added) {
    if (after != before) std::abort();
    return 0;
  }
  ArchiveWalk walk;
  ArchiveEntry entry, last = {};
  BeginArchiveWalk(&walk, reinterpret_cast<const uint8_t *>(after.data()), after.size());
  while (NextArchiveEntry(&walk, &entry)) last = entry;
  if (walk.end != kWalkComplete || !last.name || !EntryNameIs(&last, "userck.txt")) std::abort();
  return 0;
}
