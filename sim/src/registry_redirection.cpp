// The WOW64 registry redirector: which keys under HKLM\SOFTWARE a 32-bit
// program on 64-bit Windows finds in the 32-bit view, and which it shares with
// 64-bit programs. Subkeys follow the nearest listed parent; SOFTWARE itself is
// redirected. Narrower than Windows: of its list of shared keys only those
// below are kept, HKCU\Software\Classes is never redirected, and the
// compatibility links inside Wow6432Node are not modelled.
#include "simmachine/code_page.h"
#include "simmachine/profile.h"
#include "registry_tree.h"

namespace sim {
namespace {

struct Wow64Rule {
  const char16_t *path;  // below HKLM\SOFTWARE
  bool sharedFrom7;      // Windows 7 and later
  bool sharedBefore7;    // XP x64, Vista (whose reflection is not modelled)
};

// Only the keys the program opens, and the App Paths key its tests use to
// check a shared key, are listed: a rule for a key nobody opens would change
// nothing a run can see.
const Wow64Rule kRules[] = {
    {u"Classes", true, false},
    {u"Classes\\CLSID", false, false},
    {u"Microsoft\\CTF\\TIP", true, true},
    {u"Microsoft\\Windows\\CurrentVersion\\App Paths", true, false},
};

// Whether `path` (below SOFTWARE) starts with all the names of `prefix`.
bool StartsWith(const std::vector<std::u16string> &path, size_t from, const std::vector<std::u16string> &prefix) {
  if (path.size() - from < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (!EqualNoCase(path[from + i], prefix[i])) return false;
  return true;
}

bool IsShared(const Profile &profile, const std::vector<std::u16string> &path) {
  const bool from7 = profile.major > 6 || (profile.major == 6 && profile.minor >= 1);
  size_t longest = 0;
  bool shared = false;  // SOFTWARE itself is redirected
  for (const Wow64Rule &rule : kRules) {
    const std::vector<std::u16string> prefix = SplitKeyPath(rule.path);
    if (prefix.size() > longest && StartsWith(path, 1, prefix)) {
      longest = prefix.size();
      shared = from7 ? rule.sharedFrom7 : rule.sharedBefore7;
    }
  }
  return shared;
}

bool IsWow64Node(const std::vector<std::u16string> &path, size_t index) {
  return index < path.size() && EqualNoCase(path[index], u"Wow6432Node");
}

}  // namespace

std::vector<std::u16string> RedirectToWow64(const Profile &profile, int hive, std::vector<std::u16string> path) {
  if (hive != kLocalMachine || path.empty() || !EqualNoCase(path[0], u"SOFTWARE")) return path;
  const bool classes = path.size() > 1 && EqualNoCase(path[1], u"Classes");
  const size_t nodeAt = classes ? 2 : 1;
  // A path that names the 32-bit view itself is taken as it is.
  if (IsWow64Node(path, nodeAt) || IsShared(profile, path)) return path;
  path.insert(path.begin() + nodeAt, classes ? u"Wow6432Node" : u"WOW6432Node");
  return path;
}

}  // namespace sim
