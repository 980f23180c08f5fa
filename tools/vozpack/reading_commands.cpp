// list, verify and extract: the commands that read archives, through the
// installer's own entry walk.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include "commands.h"
#include "gbk_text.h"
#include "file_bytes.h"
#include "progress_bar.h"

namespace {

// Calls `visit` with each entry and its name in host form. Returns false,
// after saying why, when the walk ended before the counted entries.
bool WalkArchive(const Bytes &archive, const std::function<void(const ArchiveEntry &, const std::string &)> &visit) {
  ArchiveWalk walk;
  ArchiveEntry entry;
  if (!BeginArchiveWalk(&walk, archive.data(), archive.size())) {
    std::printf("the archive is shorter than its 10-byte header\n");
    return false;
  }
  while (NextArchiveEntry(&walk, &entry)) {
    char name[kLongNameFieldSize + 1];
    CopyEntryName(&entry, name, sizeof name);
    visit(entry, GbkToUtf8(name));
  }
  if (walk.end == kWalkComplete) return true;
  std::printf("the archive counts %u entries but ends after %u: %s\n", walk.count, walk.visited,
              walk.end == kWalkNoMark ? "the next header has no \"CF\" mark"
                                      : "the next entry would run past the end of the file");
  return false;
}

void Problem(const std::string &name, const std::string &what, int *failures) {
  std::printf("%s: %s\n", name.c_str(), what.c_str());
  ++*failures;
}

Arguments Expect(const Arguments &arguments, size_t count, const char *usage) {
  if (arguments.size() != count) throw UsageError{usage};
  return arguments;
}

}  // namespace

int RunList(const Arguments &arguments) {
  Expect(arguments, 1, "list needs exactly one archive");
  const Bytes archive = ReadFileBytes(arguments[0]);
  if (archive.size() >= kArchiveHeaderSize)
    std::printf("%s: %s layout, %u entries, %zu bytes (header total %u)\n", arguments[0].c_str(),
                archive[kArchiveLayoutOffset] == kLongLayoutByte ? "long" : "short",
                ReadLe32(archive.data() + kArchiveCountOffset), archive.size(),
                ReadLe32(archive.data() + kArchiveTotalOffset));
  std::printf("%-16s %10s %10s  %s\n", "name", "stored", "inflated", "digest");
  int failures = 0;
  bool complete = WalkArchive(archive, [&](const ArchiveEntry &entry, const std::string &name) {
    Bytes content;
    std::string problem;
    bool good = ReadEntryContent(entry, &content, &problem);
    std::printf("%-16s %10u %10zu  %s%s\n", name.c_str(), entry.compressedLength, content.size(),
                entry.digestText ? std::string(entry.digestText, strnlen(entry.digestText, kDigestTextLength)).c_str()
                                 : "(short layout: none)",
                good ? "" : ("  BAD: " + problem).c_str());
    if (!good || !EntryNameIsSafe(&entry)) ++failures;
  });
  return complete && failures == 0 ? 0 : 1;
}

int RunVerify(const Arguments &arguments) {
  Expect(arguments, 2, "verify needs the archive and the folder to check");
  const Bytes archive = ReadFileBytes(arguments[0]);
  const std::filesystem::path folder = arguments[1];
  int failures = 0, checked = 0;
  bool complete;
  {
    ProgressBar progress("verifying", archive.size());
    complete = WalkArchive(archive, [&](const ArchiveEntry &entry, const std::string &name) {
      progress.Advance(entry.compressedLength);
      ++checked;
      Bytes content;
      std::string problem;
      if (!EntryNameIsSafe(&entry)) return Problem(name, "not a plain file name", &failures);
      if (!ReadEntryContent(entry, &content, &problem)) return Problem(name, "entry unusable: " + problem, &failures);
      std::error_code error;
      if (!std::filesystem::is_regular_file(folder / name, error)) return Problem(name, "missing", &failures);
      if (ReadFileBytes(folder / name) != content) Problem(name, "differs from the archive", &failures);
    });
  }
  std::printf("%d of %d files match\n", checked - failures, checked);
  return complete && failures == 0 ? 0 : 1;
}

int RunExtract(const Arguments &arguments) {
  Expect(arguments, 2, "extract needs the archive and the folder to write to");
  const Bytes archive = ReadFileBytes(arguments[0]);
  const std::filesystem::path folder = arguments[1];
  std::filesystem::create_directories(folder);
  int failures = 0, written = 0;
  bool complete;
  {
    ProgressBar progress("extracting", archive.size());
    complete = WalkArchive(archive, [&](const ArchiveEntry &entry, const std::string &name) {
      progress.Advance(entry.compressedLength);
      Bytes content;
      std::string problem;
      if (!EntryNameIsSafe(&entry)) return Problem(name, "not written: not a plain file name", &failures);
      if (!ReadEntryContent(entry, &content, &problem)) return Problem(name, "not written: " + problem, &failures);
      WriteFileBytes(folder / name, content);
      ++written;
    });
  }
  std::printf("%d files written to %s\n", written, folder.c_str());
  return complete && failures == 0 ? 0 : 1;
}
