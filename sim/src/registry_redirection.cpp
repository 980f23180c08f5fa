// The WOW64 registry redirector: which keys under HKLM\SOFTWARE a 32-bit
// program on 64-bit Windows finds in the 32-bit view, and which it shares with
// 64-bit programs. Subkeys follow the nearest listed parent; SOFTWARE itself is
// redirected. Narrower than Windows: HKCU\Software\Classes is never
// redirected, and the compatibility links inside Wow6432Node are not modelled.
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

const Wow64Rule kRules[] = {
    {u"Classes", true, false},
    {u"Classes\\Appid", true, false},
    {u"Classes\\CLSID", false, false},
    {u"Classes\\DirectShow", false, false},
    {u"Classes\\HCP", true, true},
    {u"Classes\\Interface", false, false},
    {u"Classes\\Media Type", false, false},
    {u"Classes\\MediaFoundation", false, false},
    {u"Clients", true, false},
    {u"Microsoft\\COM3", true, false},
    {u"Microsoft\\Cryptography\\Calais\\Current", true, true},
    {u"Microsoft\\Cryptography\\Calais\\Readers", true, true},
    {u"Microsoft\\Cryptography\\Services", true, true},
    {u"Microsoft\\CTF\\SystemShared", true, true},
    {u"Microsoft\\CTF\\TIP", true, true},
    {u"Microsoft\\DFS", true, true},
    {u"Microsoft\\Driver Signing", true, true},
    {u"Microsoft\\EnterpriseCertificates", true, true},
    {u"Microsoft\\EventSystem", true, false},
    {u"Microsoft\\MSMQ", true, true},
    {u"Microsoft\\Non-Driver Signing", true, true},
    {u"Microsoft\\Notepad\\DefaultFonts", true, false},
    {u"Microsoft\\OLE", true, false},
    {u"Microsoft\\RAS", true, true},
    {u"Microsoft\\RPC", true, false},
    {u"Microsoft\\SOFTWARE\\Microsoft\\Shared Tools\\MSInfo", true, true},
    {u"Microsoft\\SystemCertificates", true, true},
    {u"Microsoft\\TermServLicensing", true, true},
    {u"Microsoft\\TransactionServer", true, true},
    {u"Microsoft\\Windows\\CurrentVersion\\App Paths", true, false},
    {u"Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cursors\\Schemes", true, true},
    {u"Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoplayHandlers", true, false},
    {u"Microsoft\\Windows\\CurrentVersion\\Explorer\\DriveIcons", true, false},
    {u"Microsoft\\Windows\\CurrentVersion\\Explorer\\KindMap", true, false},
    {u"Microsoft\\Windows\\CurrentVersion\\Group Policy", true, true},
    {u"Microsoft\\Windows\\CurrentVersion\\Policies", true, true},
    {u"Microsoft\\Windows\\CurrentVersion\\PreviewHandlers", true, false},
    {u"Microsoft\\Windows\\CurrentVersion\\Setup", true, true},
    {u"Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Console", true, false},
    {u"Microsoft\\Windows NT\\CurrentVersion\\FontDpi", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\FontLink", true, false},
    {u"Microsoft\\Windows NT\\CurrentVersion\\FontMapper", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Fonts", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Gre_Initialize", true, false},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options", true, false},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Language Pack", true, false},
    {u"Microsoft\\Windows NT\\CurrentVersion\\NetworkCards", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Perflib", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Ports", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Print", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\ProfileList", true, true},
    {u"Microsoft\\Windows NT\\CurrentVersion\\Time Zones", true, true},
    {u"Policies", true, true},
    {u"RegisteredApplications", true, true},
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
