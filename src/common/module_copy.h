// Copying the input-method modules from the installation directory into the
// Windows directories: one attempt with its move-aside retry, the size check,
// and the copy that checks and tries once more. On 64-bit Windows a 32-bit
// installer switches file-system redirection off around each copy and each
// check, so that the system directory is the native one.
#pragma once

// Target directory codes; any code other than 1 to 3 behaves as 0.
const int kTargetWindowsDir = 0;    // the Windows directory: the uninstaller
const int kTargetSyswow64 = 1;      // the Windows directory's syswow64: 32-bit modules on 64-bit Windows
const int kTargetNativeSystem = 2;  // the system directory: 64-bit modules on 64-bit Windows
const int kTargetSystem = 3;        // the system directory: modules on 32-bit Windows

// CompareCopySizes results.
const int kSizesEqual = 0;
const int kSourceMissing = 1;
const int kTargetMissing = 2;
const int kSizesDiffer = 3;

// Copies installation directory + `source` to the target directory of `code`
// + "\" + `target`; when the copy's length differs from the source's (or
// either is missing), tries once more, and if that does not help either,
// tells the user, naming `target` alone. Installation goes on in any case.
void CopyModule(const char *source, const char *target, int code);

// One attempt: clears the attributes of an old copy and copies over it. A
// source that is missing is reported at once; a target that cannot be
// overwritten (typically one a running program holds) is moved aside and the
// copy tried again, reported if that fails too. Messages name the full
// target path.
void CopyOnce(const char *source, const char *target, int code);

// Compares the lengths of the source and the copy (not their contents):
// kSizesEqual, kSourceMissing, kTargetMissing or kSizesDiffer.
int CompareCopySizes(const char *source, const char *target, int code);
