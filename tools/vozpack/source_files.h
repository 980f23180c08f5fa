// The files that go into an archive, as the command line names them: a
// folder (its regular files, in byte order of their names), a list file (one
// path per line, relative to the list's folder), or files one by one.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "archive_builder.h"

// Reads the files and converts their names to entry names. Throws
// std::runtime_error naming the first file that cannot be read or named, is
// not a regular file, or that the installer would refuse: empty, or larger
// than it can install (read no further than that).
std::vector<SourceFile> ReadSourceFiles(const std::vector<std::filesystem::path> &paths);
// The regular files of `folder` (links to them included), its subfolders
// passed over. Names every other kind of file on stderr and then throws
// std::runtime_error: a package without them is not written.
std::vector<std::filesystem::path> FolderFiles(const std::filesystem::path &folder);
// Throws std::runtime_error when the list is not a regular file or lists
// nothing.
std::vector<std::filesystem::path> ListedFiles(const std::filesystem::path &listFile);
