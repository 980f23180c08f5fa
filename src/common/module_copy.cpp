#include "common/module_copy.h"

#include "common/file_operations.h"
#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/os_detection.h"
#include "common/plain_files.h"
#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "common/wow64.h"
#include "platform/win32.h"

namespace {

// What a copy attempt has to tell the user, once redirection is back on.
enum CopyOutcome { kCopied = 0, kNotUnpacked, kNotCopied };

// A work on the full source and target paths, done with redirection off.
typedef int (*TargetWork)(const char *sourcePath, const char *targetPath);

// A directory of at most kSystemDirSize - 1 characters, a backslash and a
// module name (the installation directory is shorter than that).
const int kPathSize = kSyswow64PathSize + 32;

void ShowCopyMessage(const char *format, const char *name) {
  char text[kPathSize + 128];
  wsprintfA(text, format, name);
  ShowFailure(text, kEditionSetupCaption);
}

// The target directory of `code` into `directory` of kSyswow64PathSize
// bytes; 0, with the directory empty, when Windows could not give it.
int ReadTargetDirectory(int code, char *directory) {
  if (code == kTargetSyswow64) {
    CopyText(directory, kSyswow64PathSize, windowsFacts.syswow64Path);
    return directory[0] != '\0';
  }
  if (code == kTargetNativeSystem || code == kTargetSystem) return ReadSystemFolder(directory, kSystemDirSize);
  return ReadWindowsFolder(directory, kSystemDirSize);
}

// A work on its two paths, as RunWithoutRedirection takes it.
struct PathWork {
  TargetWork work;
  const char *sourcePath;
  const char *targetPath;
};

int DoPathWork(void *context) {
  const PathWork *pathWork = (const PathWork *)context;
  return pathWork->work(pathWork->sourcePath, pathWork->targetPath);
}

// Does `work` with redirection off when the process runs under WOW64 and the
// switch works; otherwise with redirection as it is.
int WithoutRedirection(TargetWork work, const char *sourcePath, const char *targetPath) {
  PathWork pathWork = {work, sourcePath, targetPath};
  int result = 0;
  return RunWithoutRedirection(DoPathWork, &pathWork, &result) ? result : work(sourcePath, targetPath);
}

// Reads the target directory, forms both paths (the target's into
// `targetPath` of kPathSize bytes) and does `work` on them; without a target
// directory, or when a path does not fit, nothing is done and the result is
// `noDirectory`.
int WorkOnTarget(TargetWork work, const char *source, const char *target, int code, char *targetPath,
                 int noDirectory) {
  char directory[kSyswow64PathSize], sourcePath[kPathSize];
  const int found = ReadTargetDirectory(code, directory);
  const int formed = JoinPath(targetPath, kPathSize, directory, target) &&
                     JoinPath(sourcePath, kPathSize, installDir, source);
  return found && formed ? WithoutRedirection(work, sourcePath, targetPath) : noDirectory;
}

// The source in the installation directory is copied only as a plain file:
// a link or a second name planted there could lead to any file.
int CopyAttempt(const char *sourcePath, const char *targetPath) {
  if (!PlainFileThere(sourcePath, NULL)) return kNotUnpacked;
  SetFileAttributesA(targetPath, FILE_ATTRIBUTE_ARCHIVE);
  if (CopyFileA(sourcePath, targetPath, FALSE)) return kCopied;
  if (GetLastError() == ERROR_FILE_NOT_FOUND) return kNotUnpacked;
  MoveAside(targetPath, NULL);
  return CopyFileA(sourcePath, targetPath, FALSE) ? kCopied : kNotCopied;
}

// The file's length, or -1 when it cannot be opened for reading.
LONG LengthOf(const char *path) {
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return -1;
  const LONG length = _llseek(file, 0, FILE_END);
  _lclose(file);
  return length;
}

int CompareLengths(const char *sourcePath, const char *targetPath) {
  const LONG sourceLength = LengthOf(sourcePath);
  if (sourceLength < 0) return kSourceMissing;
  const LONG targetLength = LengthOf(targetPath);
  if (targetLength < 0) return kTargetMissing;
  return sourceLength == targetLength ? kSizesEqual : kSizesDiffer;
}

}  // namespace

void CopyModule(const char *source, const char *target, int code) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    CopyOnce(source, target, code);
    if (CompareCopySizes(source, target, code) == kSizesEqual) return;
  }
  ShowCopyMessage(kModuleNotCopiedFormat, target);
}

// The message waits until redirection is back on: a message box may load
// system libraries, which must come from the process's own system directory.
void CopyOnce(const char *source, const char *target, int code) {
  char targetPath[kPathSize];
  const int outcome = WorkOnTarget(CopyAttempt, source, target, code, targetPath, kNotCopied);
  if (outcome == kNotUnpacked) ShowCopyMessage(kModuleNotUnpackedFormat, targetPath);
  if (outcome == kNotCopied) ShowCopyMessage(kModuleNotCopiedFormat, targetPath);
}

int CompareCopySizes(const char *source, const char *target, int code) {
  char targetPath[kPathSize];
  return WorkOnTarget(CompareLengths, source, target, code, targetPath, kTargetMissing);
}
