#include "fleet/package_contents.h"

#include <zlib.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "fleet/user_data.h"
#include "package/archive_format.h"

namespace fleet {

const std::map<std::string, std::string> &PackageContents(const std::string &packagePath) {
  static std::map<std::string, std::unique_ptr<std::map<std::string, std::string>>> read;
  std::unique_ptr<std::map<std::string, std::string>> &files = read[packagePath];
  if (files) return *files;
  files.reset(new std::map<std::string, std::string>);
  std::ifstream in(packagePath, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ArchiveWalk walk;
  ArchiveEntry entry;
  BeginArchiveWalk(&walk, reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
  std::vector<Bytef> buffer(kLargestArchivedFile);
  while (NextArchiveEntry(&walk, &entry)) {
    char name[kLongNameFieldSize + 1];
    CopyEntryName(&entry, name, sizeof name);
    uLongf length = uLongf(buffer.size());
    if (uncompress(buffer.data(), &length, entry.data, entry.compressedLength) != Z_OK) continue;
    (*files)[name].assign(reinterpret_cast<const char *>(buffer.data()), length);
  }
  return *files;
}

}  // namespace fleet
