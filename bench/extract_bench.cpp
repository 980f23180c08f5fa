// extract_bench: how close the installer's extraction on the simulated
// machine comes to the least work the same job needs.
//
//   extract_bench [PACKAGE] [RUNS]
//
// Measures ExtractArchive on the demo package (every entry inflated, its
// digest computed through advapi32's MD5 and compared, the file written
// through the simulated file system) and the floor: the same entries
// inflated with zlib, digested with OpenSSL's MD5 and written with plain
// host calls. Prints the best of RUNS runs of each (default 5) and the
// ratio floor / extraction; the target is at least 0.8. Both write into
// empty folders, as a first installation does.
#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/install_dir.h"
#include "common/program_state.h"
#include "package/archive_format.h"
#include "package/archive_reader.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "simmachine/machine.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Inflates, digests, compares and writes every entry with the libraries
// directly; returns the number of entries written.
int ExtractDirectly(const uint8_t *package, uint32_t size, uint8_t *buffer, const std::filesystem::path &folder) {
  ArchiveWalk walk;
  ArchiveEntry entry;
  int written = 0;
  BeginArchiveWalk(&walk, package, size);
  while (NextArchiveEntry(&walk, &entry)) {
    uLongf length = kLargestInstallableEntry;
    if (uncompress(buffer, &length, entry.data, entry.compressedLength) != Z_OK) continue;
    uint8_t digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    char text[kDigestFieldSize];
    EVP_Digest(buffer, length, digest, &digestLength, EVP_md5(), nullptr);
    FormatDigestText(digest, text);
    if (std::strncmp(text, entry.digestText, kDigestFieldSize) != 0) continue;
    char name[kLongNameFieldSize + 1];
    CopyEntryName(&entry, name, sizeof name);
    int file = open((folder / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0) continue;
    if (write(file, buffer, length) == static_cast<ssize_t>(length)) ++written;
    close(file);
  }
  return written;
}

}  // namespace

int main(int argc, char **argv) {
  const std::string package = argc > 1 ? argv[1] : VOZ_PACKAGE_FILE;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("extract-bench-" + std::to_string(getpid()));
  std::unique_ptr<sim::Machine> machine = sim::Machine::CreateFromPreset("win10-x64", root / "machine");
  sim::Machine::Install(machine.get());
  machine->process.packagePath = package;
  if (!LoadPackageResource() || !AllocateWorkingBuffer()) {
    std::fprintf(stderr, "extract_bench: cannot load %s\n", package.c_str());
    return 1;
  }
  ComputeInstallDir();
  const std::filesystem::path installed = machine->files.HostPath(installDir), floorFolder = root / "floor";
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kLargestInstallableEntry]);

  double extraction = 1e9, floor = 1e9;
  int extracted = 0, written = 0;
  for (int run = 0; run < runs; ++run) {
    for (const std::filesystem::path &folder : {installed, floorFolder}) {
      std::filesystem::remove_all(folder);
      std::filesystem::create_directories(folder);
    }
    Clock::time_point start = Clock::now();
    extracted = ExtractArchive(carriedPackage.data, carriedPackage.size, WorkingBufferRegion(kUnpackScratch).bytes,
                               kUnpackScratch.size, nullptr);
    extraction = std::min(extraction, Seconds(start));
    machine->events.Clear();
    start = Clock::now();
    written = ExtractDirectly(carriedPackage.data, carriedPackage.size, buffer.get(), floorFolder);
    floor = std::min(floor, Seconds(start));
  }
  std::printf("package: %s, %u bytes\n", package.c_str(), static_cast<unsigned>(carriedPackage.size));
  std::printf("ExtractArchive on the simulated machine: %.3f s (result %d)\n", extraction, extracted);
  std::printf("floor (zlib + MD5 + write, %d entries): %.3f s\n", written, floor);
  std::printf("ratio floor / extraction: %.2f (target >= 0.80), best of %d runs\n", floor / extraction, runs);
  FreeWorkingBuffer();
  sim::Machine::Install(nullptr);
  machine.reset();
  std::filesystem::remove_all(root);
  return extracted == 1 ? 0 : 1;
}
