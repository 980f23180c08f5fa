// Windows path rules as the simulated file system applies them: a path taken
// apart into its drive and names, and the upper-case key that every mark on a
// file or folder is kept under.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The drive and names of a Windows path, with "." and ".." applied and the
// trailing dots and blanks of each name dropped. A relative path, or one
// without a drive, goes from `current` (an absolute path; empty when parsing
// the current directory itself). UNC and device paths name nothing here
// (ERROR_PATH_NOT_FOUND); a forbidden character gives ERROR_INVALID_NAME.
uint32_t ParsePath(std::u16string_view text, std::u16string_view current, char16_t *drive,
                   std::vector<std::u16string> *names);

// The key of a profile folder (an absolute path without short names); "" when
// the profile has no such folder.
std::u16string FolderKey(const std::string &folder);

// Whether the key `key` names the folder `folder` or something below it.
bool IsAtOrBelow(const std::u16string &key, const std::u16string &folder);

}  // namespace sim
