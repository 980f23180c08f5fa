// The deployment step of the installation: the package unpacked into the
// installation directory, the builds of the input-method modules that fit the
// interface, the Windows version and the code page given their fixed names,
// the others removed, and the modules copied into the system directories;
// then the uninstaller. The directory itself is made, and the uninstall entry
// written, by the install driver around the pass.
#pragma once

#include "package/archive_reader.h"

const int kFullPass = 0;
const int kModulesOnlyPass = 1;

// Asked right after the full pass unpacked the whole package: whether to keep
// the user's earlier data. The user-data code owns the question; the shell
// installs it. Null (the start): nothing is asked.
typedef void (*EarlierDataQuestion)();
void SetEarlierDataQuestion(EarlierDataQuestion question);

// Which package entries the full pass unpacks: the user-data code passes
// over the user's files it keeps in place. Null (the start): every entry.
void SetUnpackSelector(EntrySelector selected);
// Both hooks null, as at start.
void ResetDeploymentHooks();

// The full pass (kFullPass) removes the old helper executables, unpacks the
// package (telling the user when that is incomplete, and asking the earlier-
// data question when it is complete), turns the phrase-list backups
// into the phrase lists, arranges the module builds, copies the modules and
// the uninstaller into the Windows directory.
// The modules-only pass (kModulesOnlyPass, IME interface) repeats the module
// copies from the package's own IME modules and stops there. Progress is
// advanced throughout; failures are shown and the step goes on, except when
// the full pass could unpack no entry at all: it stops after the message and
// returns 0, so that nothing registers files that are not there. Returns 1
// otherwise.
int DeployFiles(int pass);

// 1 when there is a package with entries to unpack; else shows the
// incomplete-unpacking message and returns 0, before anything was changed.
int CheckPackageUsable();

// The IME module copies under the name "morvak4.ime": on 64-bit Windows the
// 32-bit build into syswow64 and the 64-bit build into the native system
// directory, else the 32-bit build into the system directory. The full pass
// copies the code page's builds after patching their version text (and
// patches setupw64.exe); the modules-only pass copies morvak4.ime and
// morvak64.ime and deletes the four code-page builds. Restarts the progress
// at 0 of 64.
void DeployImeModule(int pass);
