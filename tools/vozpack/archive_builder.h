// Making archives: the entries of a list of files, compressed on several
// threads, laid out in either layout; and adding files to an archive.
#pragma once

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

// Adds `files` to the end of a long-layout archive and updates its header.
// Throws std::runtime_error, leaving `archive` unchanged, when the archive
// is not a complete long-layout archive or a name is not writable or is
// already there.
void AppendToArchiveBytes(Bytes *archive, const std::vector<SourceFile> &files);
