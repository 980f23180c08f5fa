#include "fleet/user_data.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "fleet/fleet_machine.h"
#include "package/archive_format.h"
#include "package/phrase_list.h"

namespace fleet {

const char kPhraseList[] = "vorlcyzk.voh";

const DataRow kDataRows[24] = {
    {"vorlcyzk.voh", true}, {"voszsj43.voh", true},  {"cfontset.voh", true},  {"cwbzlcz1.voh", true},
    {"vowbcmxz.voh", true}, {"vodhzcm.voh", true},   {"vorldhz.voh", true},   {"vogbkhz.voh", true},
    {"voszsj43.voh", false}, {"vorldwdw.txt", false}, {"vorlzdym.voh", false}, {"vopyzdym.voh", false},
    {"vowbpy.txt", false},  {"vorlynhz.txt", false}, {"vorlzdfh.voh", false}, {"userck.txt", false},
    {"delck.txt", false},   {"ftvozdym.txt", false}, {"ftpyzdym.txt", false}, {"cwb.ov1", false},
    {"vorlpymb.ov1", false}, {"vogbkbh.voh", false}, {"voszsj05.voh", false}, {"voszsj06.voh", false},
};

std::vector<std::string> DataFiles() {
  std::vector<std::string> files;
  for (const DataRow &row : kDataRows)
    if (std::find(files.begin(), files.end(), row.file) == files.end()) files.push_back(row.file);
  return files;
}

bool IsDataFile(const std::string &file) {
  for (const DataRow &row : kDataRows)
    if (file == row.file) return true;
  return false;
}

bool IsCopiedFile(const std::string &file) {
  for (const DataRow &row : kDataRows)
    if (row.copied && file == row.file) return true;
  return false;
}

std::string BakName(const std::string &file) { return file.substr(0, file.rfind('.')) + ".bak"; }

std::string ArchivedName(const DataRow &row) { return row.copied ? BakName(row.file) : row.file; }

namespace {

std::map<std::string, std::string> &PackageCopies() {
  static std::map<std::string, std::string> copies;
  return copies;
}

// The phrase list as the unpack writes it: compacted, with its trailer.
std::string Compacted(const std::string &list) {
  std::string compacted = list;
  compacted.resize(list.size() + kPhraseListTrailerSize);
  const uint32_t length = CompactPhraseList(reinterpret_cast<uint8_t *>(&compacted[0]), uint32_t(list.size()));
  compacted.resize(length + kPhraseListTrailerSize);
  return compacted;
}

}  // namespace

void SetPackageCopies(const std::string &packagePath) {
  std::ifstream in(packagePath, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ArchiveWalk walk;
  ArchiveEntry entry;
  BeginArchiveWalk(&walk, reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
  while (NextArchiveEntry(&walk, &entry)) {
    char name[kLongNameFieldSize + 1];
    CopyEntryName(&entry, name, sizeof name);
    const std::string copy = name;
    if (copy.size() < 4 || copy.substr(copy.size() - 4) != ".bak") continue;
    std::string content(kLargestArchivedFile, '\0');
    uLongf length = uLongf(content.size());
    if (uncompress(reinterpret_cast<Bytef *>(&content[0]), &length, entry.data, entry.compressedLength) != Z_OK) continue;
    content.resize(length);
    PackageCopies()[copy] = copy == BakName(kPhraseList) ? Compacted(content) : content;
  }
}

bool IsPackageCopy(const std::string &copy, const std::string &content) {
  auto found = PackageCopies().find(copy);
  return found != PackageCopies().end() && found->second == content;
}

bool EffectiveContent(const sim::Machine &machine, const std::string &folder, const std::string &file,
                      std::string *content) {
  const std::string copy = folder + BakName(file);
  if (IsCopiedFile(file) && IsPlainFile(machine, copy) && machine.files.ReadFile(copy, content) &&
      !IsPackageCopy(BakName(file), *content))
    return true;
  return machine.files.ReadFile(folder + file, content);
}

bool Keeps(const std::string &file, const std::string &written, const std::string &found) {
  return found == written || (file == kPhraseList && found == Compacted(written));
}

std::vector<std::string> FilesNotInPlace(const sim::Machine &machine, const std::string &folder,
                                         const UserDataModel &model) {
  std::vector<std::string> missing;
  for (const auto &[file, written] : model.files()) {
    std::string found;
    if (!EffectiveContent(machine, folder, file, &found) || !Keeps(file, written, found)) missing.push_back(file);
  }
  return missing;
}

}  // namespace fleet
