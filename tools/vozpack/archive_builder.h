// Making archives: the entries of a list of files, compressed on several
// threads, laid out in either layout; and adding files to an archive.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "entry_codec.h"

class ProgressBar;

struct SourceFile {
  std::string entryName;  // GBK, a writable entry name
  std::string hostPath;   // where it came from, for messages
  Bytes content;
};

enum class Layout { kLong, kShort };

// The archive of `files` in their order. Each entry is compressed exactly as
// zlib compress does at the default level, on up to `jobs` threads at once,
// so the bytes do not depend on `jobs`. Throws std::runtime_error when a name
// is not writable or appears twice.
Bytes BuildArchive(const std::vector<SourceFile> &files, Layout layout, unsigned jobs, ProgressBar *progress);

struct AppendResult {
  uint32_t recovered = 0;     // whole entries after the counted ones, now counted
  uint64_t droppedBytes = 0;  // bytes of a partial entry at the end, dropped
};

// Adds `files` to the end of a long-layout archive and updates its header.
// Whole entries after the counted ones (the state an append cut short
// leaves) are counted in when `recover` and their names and contents check
// out; otherwise their presence is refused. Bytes of a partial entry at the
// end are dropped. Throws std::runtime_error, leaving `archive` unchanged,
// when the archive is not a complete long-layout archive, a name is not
// writable or is already there, or an entry after the counted ones cannot be
// kept.
AppendResult AppendToArchiveBytes(Bytes *archive, const std::vector<SourceFile> &files, bool recover);

// Goes on, after a walk that visited every counted entry, over the whole
// entries that follow (what an append cut short leaves), calling `visit`
// with each. Returns the offset where the last of them ends.
uint64_t WalkUncountedEntries(ArchiveWalk walk, const std::function<void(const ArchiveEntry &)> &visit);
