#include "source_files.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "file_bytes.h"
#include "gbk_text.h"

namespace {

// Refuses, before anything is written, what the installer would refuse when
// it unpacks the entry.
void CheckInstallable(const SourceFile &file) {
  if (file.content.empty())
    throw std::runtime_error(file.hostPath + ": refused: it is empty (the installer refuses empty entries)");
  if (file.content.size() > kLargestInstallableEntry)
    throw std::runtime_error(file.hostPath + ": refused: it is larger than " + std::to_string(kLargestInstallableEntry) +
                             " bytes, the most the installer can install");
}

}  // namespace

std::vector<SourceFile> ReadSourceFiles(const std::vector<std::filesystem::path> &paths) {
  std::vector<SourceFile> files;
  files.reserve(paths.size());
  for (const std::filesystem::path &path : paths) {
    SourceFile file;
    file.hostPath = path.string();
    file.entryName = Utf8ToGbk(path.filename().string());
    file.content = ReadFileBytes(path, kLargestInstallableEntry);
    CheckInstallable(file);
    files.push_back(std::move(file));
  }
  return files;
}

std::vector<std::filesystem::path> FolderFiles(const std::filesystem::path &folder) {
  std::vector<std::filesystem::path> paths;
  size_t leftOut = 0;
  for (const auto &item : std::filesystem::directory_iterator(folder)) {
    if (item.is_regular_file()) {
      paths.push_back(item.path());
    } else if (!item.is_directory()) {
      // A FIFO, device, socket or a link that leads nowhere: the package
      // would silently lack it, so it is named and nothing is written.
      std::fprintf(stderr, "vozpack: %s: is not a regular file, left out\n", item.path().c_str());
      ++leftOut;
    }
  }
  if (leftOut)
    throw std::runtime_error(folder.string() + ": " + std::to_string(leftOut) +
                             " of its files are not regular files; nothing written");
  std::sort(paths.begin(), paths.end(),
            [](const auto &a, const auto &b) { return a.filename().string() < b.filename().string(); });
  if (paths.empty()) throw std::runtime_error(folder.string() + ": no files to pack");
  return paths;
}

std::vector<std::filesystem::path> ListedFiles(const std::filesystem::path &listFile) {
  const Bytes text = ReadFileBytes(listFile);
  std::istringstream in(std::string(text.begin(), text.end()));
  std::vector<std::filesystem::path> paths;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    paths.push_back(listFile.parent_path() / line);
  }
  if (paths.empty()) throw std::runtime_error(listFile.string() + ": lists no files");
  return paths;
}
