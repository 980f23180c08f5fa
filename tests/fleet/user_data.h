// The user's data files a reinstallation must keep, and the model of what
// the user last wrote into them: where each byte has to be found on the
// machine, and in which forms it counts as kept.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "simmachine/machine.h"

namespace fleet {

// One row of the backup: the file the user keeps data in, and whether it is
// archived through a ".bak" copy beside it.
struct DataRow {
  const char *file;
  bool copied;
};

// The 24 rows in the order the backup takes them (the options record twice:
// through its copy and as itself).
extern const DataRow kDataRows[24];

// The 23 distinct files of the rows, in row order.
std::vector<std::string> DataFiles();
// Whether `file` is one of them.
bool IsDataFile(const std::string &file);
// Whether the backup archives `file` through a ".bak" copy.
bool IsCopiedFile(const std::string &file);
// "cfontset.voh" -> "cfontset.bak".
std::string BakName(const std::string &file);
// The name the row's entry has in the backup.
std::string ArchivedName(const DataRow &row);
// The phrase list, which comes back compacted.
extern const char kPhraseList[];

// The largest file the archive carries.
const size_t kLargestArchivedFile = 2097008;

// What the user last wrote into each data file; a file not in the model has
// nothing of theirs to keep (never written, let go, or replaced by someone
// else).
class UserDataModel {
 public:
  void Wrote(const std::string &file, const std::string &content) { files_[file] = content; }
  void Forget(const std::string &file) { files_.erase(file); }
  void Clear() { files_.clear(); }
  const std::map<std::string, std::string> &files() const { return files_; }

 private:
  std::map<std::string, std::string> files_;
};

// The package ships a ".bak" of its own (the phrase list's, written
// compacted): that copy holds none of the user's data, and the helper does
// not merge it. Read once from the package the program carries.
void SetPackageCopies(const std::string &packagePath);
// Whether `content` under `copy` (a ".bak" name) is the package's own copy.
bool IsPackageCopy(const std::string &copy, const std::string &content);

// What the input method reads for `file` in `folder` (a Windows path ending
// in a backslash): a file archived through a copy is read from that copy
// while it is there as a plain file and not the package's own, since the
// product's helper merges it back over the file; otherwise the file itself.
// False when that cannot be read.
bool EffectiveContent(const sim::Machine &machine, const std::string &folder, const std::string &file,
                      std::string *content);

// Whether `found` keeps `written`: the same bytes, or for the phrase list
// their compacted form.
bool Keeps(const std::string &file, const std::string &written, const std::string &found);

// The files of the model whose content is not kept in `folder`.
std::vector<std::string> FilesNotInPlace(const sim::Machine &machine, const std::string &folder,
                                         const UserDataModel &model);

}  // namespace fleet
