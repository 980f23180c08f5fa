// list, verify and extract: the commands that read archives, through the
// installer's own entry walk, over the archive mapped rather than read, so
// that its size costs no memory. Every entry inflates no further than the
// installer would take it.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>

#include "archive_builder.h"
#include "commands.h"
#include "file_bytes.h"
#include "gbk_text.h"
#include "progress_bar.h"

namespace {

using EntryVisit = std::function<void(const ArchiveEntry &, const std::string &)>;

// Calls `visit` with each entry and its name in host form; `*walk` is the
// walk at its end. Returns false, after saying why, when the walk ended
// before the counted entries.
bool WalkArchive(const MappedFile &archive, ArchiveWalk *walk, const EntryVisit &visit) {
  ArchiveEntry entry;
  if (!BeginArchiveWalk(walk, archive.data(), archive.size())) {
    std::printf("the archive is shorter than its 10-byte header\n");
    return false;
  }
  while (NextArchiveEntry(walk, &entry)) {
    char name[kLongNameFieldSize + 1];
    CopyEntryName(&entry, name, sizeof name);
    visit(entry, GbkToUtf8(name));
  }
  if (walk->end == kWalkComplete) return true;
  std::printf("the archive counts %u entries but ends after %u: %s\n", walk->count, walk->visited,
              walk->end == kWalkNoMark ? "the next header has no \"CF\" mark"
                                       : "the next entry would run past the end of the file");
  return false;
}

// What verify and extract found wrong, said after the progress bar is done.
struct Problems {
  std::vector<std::string> lines;
  void Add(const std::string &name, const std::string &what) { lines.push_back(Printable(name) + ": " + what); }
  void Print() const {
    for (const std::string &line : lines) std::printf("%s\n", line.c_str());
  }
};

Arguments Expect(const Arguments &arguments, size_t count, const char *usage) {
  if (arguments.size() != count) throw UsageError{usage};
  return arguments;
}

// Why list calls an entry bad, or "" when it is not.
std::string EntryProblem(const ArchiveEntry &entry, Bytes *content) {
  std::string problem;
  ReadEntryContent(entry, content, &problem);
  if (EntryNameIsSafe(&entry)) return problem;
  return "not a plain file name, extract skips it" + (problem.empty() ? "" : "; " + problem);
}

void PrintEntry(const ArchiveEntry &entry, const std::string &name, const Bytes &content, const std::string &problem) {
  const std::string inflated = content.size() > kLargestInstallableEntry
                                   ? ">" + std::to_string(kLargestInstallableEntry)
                                   : std::to_string(content.size());
  const std::string digest = entry.digestText ? std::string(entry.digestText, strnlen(entry.digestText, kDigestTextLength))
                                              : "(short layout: none)";
  std::printf("%-16s %10u %10s  %s%s\n", Printable(name).c_str(), entry.compressedLength, inflated.c_str(),
              digest.c_str(), problem.empty() ? "" : ("  BAD: " + problem).c_str());
}

void PrintHeader(const std::string &path, const MappedFile &archive) {
  if (archive.size() >= kArchiveHeaderSize)
    std::printf("%s: %s layout, %u entries, %llu bytes (header total %u)\n", path.c_str(),
                archive.data()[kArchiveLayoutOffset] == kLongLayoutByte ? "long" : "short",
                ReadLe32(archive.data() + kArchiveCountOffset), static_cast<unsigned long long>(archive.size()),
                ReadLe32(archive.data() + kArchiveTotalOffset));
  std::printf("%-16s %10s %10s  %s\n", "name", "stored", "inflated", "digest");
}

// Bytes after the counted entries do not stop the installer, which never
// looks there, but they are what an append cut short leaves behind.
void WarnAboutTail(const MappedFile &archive, const ArchiveWalk &walk) {
  if (walk.offset >= archive.size()) return;
  uint32_t whole = 0;
  const uint64_t end = WalkUncountedEntries(walk, [&](const ArchiveEntry &) { ++whole; });
  std::printf("warning: %llu bytes after the last counted entry: %u whole entries%s (an append cut short? "
              "append --recover counts them in)\n",
              static_cast<unsigned long long>(archive.size() - walk.offset), whole,
              end < archive.size() ? " and a partial one" : "");
}

}  // namespace

int RunList(const Arguments &arguments) {
  Expect(arguments, 1, "list needs exactly one archive");
  const MappedFile archive(arguments[0]);
  PrintHeader(arguments[0], archive);
  int failures = 0;
  uint32_t number = 0;
  std::map<std::string, uint32_t> firstWithName;
  std::vector<std::string> warnings;
  ArchiveWalk walk;
  const bool complete = WalkArchive(archive, &walk, [&](const ArchiveEntry &entry, const std::string &name) {
    Bytes content;
    const std::string problem = EntryProblem(entry, &content);
    PrintEntry(entry, name, content, problem);
    if (!problem.empty()) ++failures;
    const auto first = firstWithName.emplace(name, ++number).first->second;
    if (first != number)
      warnings.push_back("warning: entry " + std::to_string(number) + " has the name " + Printable(name) +
                         " of entry " + std::to_string(first));
  });
  for (const std::string &warning : warnings) std::printf("%s\n", warning.c_str());
  if (complete) WarnAboutTail(archive, walk);
  return complete && failures == 0 ? 0 : 1;
}

int RunVerify(const Arguments &arguments) {
  Expect(arguments, 2, "verify needs the archive and the folder to check");
  const MappedFile archive(arguments[0]);
  const std::filesystem::path folder = arguments[1];
  Problems problems;
  int checked = 0;
  ArchiveWalk walk;
  bool complete;
  {
    ProgressBar progress("verifying", archive.size());
    complete = WalkArchive(archive, &walk, [&](const ArchiveEntry &entry, const std::string &name) {
      progress.Advance(entry.compressedLength);
      ++checked;
      Bytes content;
      std::string problem;
      if (!EntryNameIsSafe(&entry)) return problems.Add(name, "not a plain file name");
      if (!ReadEntryContent(entry, &content, &problem)) return problems.Add(name, "entry unusable: " + problem);
      std::error_code error;
      if (!std::filesystem::is_regular_file(folder / name, error)) return problems.Add(name, "missing");
      // One byte more than the entry is enough to see that a file differs.
      if (ReadFileBytes(folder / name, content.size()) != content) problems.Add(name, "differs from the archive");
    });
  }
  problems.Print();
  std::printf("%d of %d files match\n", checked - static_cast<int>(problems.lines.size()), checked);
  return complete && problems.lines.empty() ? 0 : 1;
}

int RunExtract(const Arguments &arguments) {
  Expect(arguments, 2, "extract needs the archive and the folder to write to");
  const MappedFile archive(arguments[0]);
  const std::filesystem::path folder = arguments[1];
  std::filesystem::create_directories(folder);
  Problems problems;
  int written = 0;
  ArchiveWalk walk;
  bool complete;
  {
    ProgressBar progress("extracting", archive.size());
    complete = WalkArchive(archive, &walk, [&](const ArchiveEntry &entry, const std::string &name) {
      progress.Advance(entry.compressedLength);
      Bytes content;
      std::string problem;
      if (!EntryNameIsSafe(&entry)) return problems.Add(name, "not written: not a plain file name");
      if (!ReadEntryContent(entry, &content, &problem)) return problems.Add(name, "not written: " + problem);
      // One entry that cannot be written does not keep the others from the folder.
      try {
        WriteFileBytes(folder / name, content);
        ++written;
      } catch (const std::runtime_error &error) {
        problems.Add(name, std::string("not written: ") + error.what());
      }
    });
  }
  problems.Print();
  std::printf("%d files written to %s\n", written, folder.c_str());
  return complete && problems.lines.empty() ? 0 : 1;
}
