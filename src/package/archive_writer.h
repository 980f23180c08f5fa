// Writing archives: adding one file to an archive file in the long layout,
// as the backup of the user's data is built.
#pragma once

// Appends the file at `filePath` to the archive file at `archivePath` (made
// with an empty header when it does not exist), under the file's name (the
// text after its last backslash). Returns 1 if the file was added; 0 when the
// name is empty, longer than 12 characters or not a plain file name, is
// already in the archive, the archive is not a well-formed long-layout
// archive, the file cannot be read or compressed within max(size, 8192)
// bytes, or a write fails. On 0 the archive's header still counts only the
// entries it had (a new archive keeps its empty header).
int AppendToArchive(const char *archivePath, const char *filePath);
