// The simulated machine a history runs on: made from a preset with
// administrators' files outside the installation folder that a planted link
// could reach, copied whole for a trial run, and the places on it that the
// steps act on and the checks watch.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "fleet/machine_axes.h"
#include "simmachine/machine.h"

namespace fleet {

// Windows paths (UTF-8) on one machine.
struct Places {
  std::string installDir;    // where the program installs, ending in a backslash
  std::string earlierDir;    // a folder an earlier installation may have used, ending in a backslash
  std::string recordPath;    // the record of the earlier installation, in the Windows folder
  std::string protectedDir;  // administrators' files, no backslash at the end
  std::vector<std::string> systemDirs;  // the Windows folder and the system folders
  // Where the record's second copy goes on Windows 6 and later: the data
  // drive's folder, ending in a backslash.
  std::string dataDriveDir;
};
Places PlacesOf(const sim::Profile &profile);

// The beginning of the administrators' file only they may read.
extern const char kSecretMarker[];
// Names in the protected folder a planted link may lead to: existing files
// (administrators' only; read-only, hidden and system; plain) and one that
// does not exist.
extern const char *const kLinkTargets[4];

// Makes the machine of `traits` in `root` (emptied first), with the
// administrators' files, and saves it.
void MakeMachine(const MachineTraits &traits, const std::filesystem::path &root);

// Makes `copy` (emptied first) the same machine as `root`, with the hard
// links between its files kept.
void CopyMachine(const std::filesystem::path &root, const std::filesystem::path &copy);

// The folder the input method uses: the one the record names when it names
// a folder, else the installation directory.
std::string DataFolder(const sim::Machine &machine, const Places &places);

// The protected folder as it stands: every file and the folder itself, by
// Windows path, as content, attributes and DACL in one text.
std::map<std::string, std::string> ReadProtected(const sim::Machine &machine, const Places &places);

// "C:\a\" -> "C:\a"; other paths as they are.
std::string WithoutBackslash(std::string path);
// Whether a path (a trailing backslash allowed) names a junction or file link itself.
bool IsLink(const sim::Machine &machine, const std::string &windowsPath);

// Whether the host file behind a Windows path is a regular file with a
// single name (not a folder, not a link, not one of several hard links).
bool IsPlainFile(const sim::Machine &machine, const std::string &windowsPath);

// Removes what lies at a Windows path, whatever it is: a link's mark, a
// folder with its content, a file.
void RemoveEntry(sim::Machine &machine, const std::string &windowsPath);

// Drops the [files] lines of machine.ini that start with one of `keys`.
void DropStateLines(sim::Machine &machine, const std::vector<std::string> &keys);

}  // namespace fleet
