#include "fleet/outcome_check.h"

#include <algorithm>
#include <sstream>

#include "fleet/allowed_places.h"
#include "fleet/history_steps.h"
#include "fleet/machine_snapshot.h"
#include "fleet/package_contents.h"
#include "fleet/run_grammar.h"
#include "fleet/user_data.h"
#include "simmachine/code_page.h"

namespace fleet {

namespace {

const char kInstalledText[] = u8"安装完毕，如不能使用，请重新启动计算机！";
const char kProductName[] = u8"智能Qelvo";
const char kNotUnpackedPrefix[] = u8"没有成功解压复制";
const char kNotUnpackedSuffix[] = u8"文件！";
const char kPackageCheckLine[] = u8"上述文件没有成功复制";
const char kUnpackIncomplete[] = u8"文件解压不完整";
const char kFolderIsLink[] = u8"安装目录是指向别处的链接";
const char kNeedsAdministrator[] = u8"本安装程序需要以管理员权限运行";
const char kNotBackedUp[] = u8"数据文件无法备份";
const char kNotHookedPrefix[] = u8"系统32位dll文件没有挂接成功(err=";
const char kLayoutsKey[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Keyboard Layouts";
const char kTextServiceKey[] = "Microsoft\\CTF\\TIP\\{65653599-5030-4C0F-8871-83F6AFDE5098}";
const char kItemKey[] = "\\Category\\Item\\{65653599-5030-4C0F-8871-83F6AFDE5098}\\";
// The categories the final check wants, by its error code.
const char *const kCheckedCategories[] = {"", "{13A016DF-560B-46CD-947A-4C3AF1E0E35D}",
                                          "{25504FB4-7BAB-4BC1-9C69-CF81890F0EF5}",
                                          "{34745C63-B2F0-4784-8B67-5E12C8701A31}"};

// The package's files an installation changes on purpose, and so does not
// leave as the package has them: the user's data and the settings files,
// the modules it arranges, renames or patches, the helpers it replaces.
const char kChangedOnPurpose[] =
    "vorlcyzk.dat vorlpyck.dat wbpybz.voh vorldat.dat vonetsj.dat voyhgl0.dat install.voh voszsj43.voh vorlcyzk.bak "
    "vorlkelt.exe vorlkel6.exe csrf732.dll csrf764.dll vosrf10.dll vosrf610.dll vorlsrf.dll vorlsrf6.dll vorl320.ime "
    "vorl321.ime vorl640.ime vorl641.ime morvak4.ime morvak64.ime morvak32.ime setupw64.exe";

bool ChangedOnPurpose(const std::string &name) {
  if (IsDataFile(name)) return true;
  for (const DataRow &row : kDataRows)
    if (name == ArchivedName(row)) return true;
  std::istringstream words(kChangedOnPurpose);
  for (std::string word; words >> word;)
    if (word == name) return true;
  return false;
}

// A name as the package spells it (GBK) and as the machine does.
std::string MachineName(const sim::Machine &machine, const std::string &gbk) {
  return sim::CodePageToUtf8(machine.profile.ansiCodePage, gbk);
}

std::string PlainContent(const sim::Machine &machine, const std::string &path, bool *plain) {
  std::string content;
  *plain = IsPlainFile(machine, path) && machine.files.ReadFile(path, &content);
  return content;
}

void CheckFile(const sim::Machine &machine, const std::string &path, const std::string &expected,
               std::vector<std::string> *problems) {
  bool plain = false;
  const std::string found = PlainContent(machine, path, &plain);
  if (!plain) problems->push_back(path + " missing");
  else if (found != expected) problems->push_back(path + " not the package's");
}

bool HasEvent(const std::vector<sim::Event> &events, const char *kind, const char *inCommand = nullptr) {
  return std::any_of(events.begin(), events.end(), [&](const sim::Event &event) {
    return event.kind == kind && (!inCommand || event.Field("command").find(inCommand) != std::string::npos);
  });
}

// The facts of Windows the program decides its modules by.
struct WindowsFacts {
  bool sixtyFour, windows10, windows11;
};

WindowsFacts FactsOf(const sim::Profile &p) {
  const bool nt6 = p.family == sim::Family::NT && p.major >= 6;
  const bool windows10 = p.family == sim::Family::NT && p.major == 10 && p.minor == 0;
  return {nt6 && !p.syswow64Dir.empty(), windows10, windows10 && p.build >= 22000};
}


bool InPreload(const sim::Machine &machine, const std::string &id) {
  const sim::Registry &registry = machine.registry;
  std::vector<std::string> ids;
  if (machine.profile.family == sim::Family::NT) {
    const std::string list = "HKEY_CURRENT_USER\\Keyboard Layout\\Preload";
    for (const std::string &name : registry.ValueNames(list)) {
      std::string value;
      if (registry.GetString(list, name, &value)) ids.push_back(value);
    }
  } else {
    const std::string list = "HKEY_CURRENT_USER\\keyboard layout\\preload";
    for (const std::string &name : registry.SubkeyNames(list)) {
      std::string value;
      if (registry.GetString(list + "\\" + name, "", &value)) ids.push_back(value);
    }
  }
  return std::any_of(ids.begin(), ids.end(), [&](const std::string &value) { return SnapshotKey(value) == SnapshotKey(id); });
}

// A layout of the product's with its module, in the user's preload list.
void CheckImeRegistration(const sim::Machine &machine, std::vector<std::string> *problems) {
  std::string found;
  for (const std::string &id : machine.registry.SubkeyNames(kLayoutsKey)) {
    const std::string key = std::string(kLayoutsKey) + "\\" + id;
    std::string text, module;
    if (!machine.registry.GetString(key, "Layout Text", &text) || !IsProductLayoutText(machine.profile, text)) continue;
    if (!machine.registry.GetString(key, "Ime File", &module) || SnapshotKey(module) != "MORVAK4.IME") continue;
    if (InPreload(machine, id)) return;
    found = id;
  }
  problems->push_back(found.empty() ? "no keyboard layout of the product"
                                    : "the product's layout " + found + " is not in the preload list");
}

// The text service's key, which both registry views share, as it stands
// in either.
bool TextServiceKeyExists(const sim::Machine &machine, const std::string &below) {
  for (const char *view : {"HKEY_LOCAL_MACHINE\\SOFTWARE\\", "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\"})
    if (machine.registry.KeyExists(view + std::string(kTextServiceKey) + below)) return true;
  return false;
}

// The text service's class with its module, for 32-bit programs and on a
// 64-bit Windows for 64-bit ones too, in the keyboard category.
void CheckTextServiceRegistration(const sim::Machine &machine, const WindowsFacts &facts,
                                  std::vector<std::string> *problems) {
  // Windows 9x has no text services, and setup.exe does not load there: a
  // win98 machine tests the program's own registry code, not this.
  if (machine.profile.family != sim::Family::NT) return;
  const std::string classes = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\";
  const std::string server = "CLSID\\{65653599-5030-4C0F-8871-83F6AFDE5098}\\InprocServer32";
  if (!machine.registry.KeyExists(classes + (machine.profile.Is64BitWindows() ? "Wow6432Node\\" : "") + server))
    problems->push_back("the text service's class not registered for 32-bit programs");
  if (facts.sixtyFour && !machine.registry.KeyExists(classes + server))
    problems->push_back("the text service's class not registered for 64-bit programs");
  if (!TextServiceKeyExists(machine, kItemKey + std::string(kCheckedCategories[3])))
    problems->push_back("the text service not in the keyboard category");
}

}  // namespace

std::vector<std::string> InstallationProblems(const sim::Machine &machine, const Places &places,
                                              const std::string &package, const std::vector<sim::Event> &events) {
  std::vector<std::string> problems;
  const std::map<std::string, std::string> &files = PackageContents(package);
  auto content = [&](const char *name) {
    auto found = files.find(name);
    return found == files.end() ? std::string() : found->second;
  };
  for (const auto &[name, bytes] : files)
    if (!ChangedOnPurpose(name)) CheckFile(machine, places.installDir + MachineName(machine, name), bytes, &problems);
  const sim::Profile &profile = machine.profile;
  const WindowsFacts facts = FactsOf(profile);
  const std::string system = profile.systemDir + "\\", wow = profile.syswow64Dir + "\\";
  const bool ime = HasEvent(events, "imm_install"), tsf = HasEvent(events, "exec", "regsvr32");
  if (ime) {
    if (facts.sixtyFour) {
      CheckFile(machine, wow + "morvak4.ime", content("morvak4.ime"), &problems);
      CheckFile(machine, system + "morvak4.ime", content("morvak64.ime"), &problems);
    } else {
      CheckFile(machine, system + "morvak4.ime", content("morvak4.ime"), &problems);
    }
    CheckImeRegistration(machine, &problems);
  } else if (tsf) {
    const char *source32 = facts.windows11 ? "vorlsrf.dll" : facts.windows10 ? "vosrf10.dll" : "csrf732.dll";
    const char *source64 = facts.windows11 ? "vorlsrf6.dll" : facts.windows10 ? "vosrf610.dll" : "csrf764.dll";
    CheckFile(machine, places.installDir + "vorlsrf.dll", content(source32), &problems);
    CheckFile(machine, (facts.sixtyFour ? wow : system) + "vorlsrf.dll", content(source32), &problems);
    if (facts.sixtyFour) {
      CheckFile(machine, places.installDir + "vorlsrf6.dll", content(source64), &problems);
      CheckFile(machine, system + "vorlsrf6.dll", content(source64), &problems);
    }
    CheckTextServiceRegistration(machine, facts, &problems);
  } else {
    problems.push_back("no registration was started");
  }
  CheckFile(machine, profile.windowsDir + "\\vorldel8.exe", content("vorldel8.exe"), &problems);
  return problems;
}

std::vector<std::string> UnreadableMessages(const sim::Machine &machine, const RunOutcome &run) {
  std::vector<std::string> unreadable;
  // Windows 9x without the simplified-Chinese code page shows the bytes as
  // they are; setup.exe does not load there.
  if (machine.profile.family != sim::Family::NT) return unreadable;
  for (const sim::Event &event : run.events)
    if (event.kind == "messagebox" && event.Field("caption").rfind(kProductName, 0) != 0)
      unreadable.push_back(event.Field("caption") + ": " + event.Field("text").substr(0, 60));
  return unreadable;
}

bool SuccessTold(const RunPlan &plan, const RunOutcome &run) {
  if (run.crashed || run.stopped || !run.harnessError.empty()) return false;
  if (plan.windowless) return run.exitCode == 0;
  const std::vector<std::string> messages = run.Messages();
  return std::find(messages.begin(), messages.end(), kInstalledText) != messages.end();
}

std::set<std::string> Obstacles(const sim::Machine &machine, const Fault &fault) {
  std::set<std::string> obstacles;
  if (fault.kind != Fault::Kind::kNone) obstacles.insert(SnapshotKey(fault.path));
  for (const std::string &path : fault.morePaths) obstacles.insert(SnapshotKey(path));
  std::istringstream marks(machine.files.StateIni());
  for (std::string line; std::getline(marks, line);) {
    const size_t equals = line.find(" = ");
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 3);
    if (key == "read_only_folder") obstacles.insert(SnapshotKey(value));
    else if (key == "in_use" || key == "attributes") obstacles.insert(SnapshotKey(value.substr(value.find(' ') + 1)));
  }
  return obstacles;
}

namespace {

// Whether something stands in the way of writing `path`: an obstacle at it,
// at the name it is written under first, or at its folder; or it is not a
// plain file where a file is.
bool Obstructed(const sim::Machine &machine, const std::string &path, const std::set<std::string> &obstacles) {
  const std::string folder = path.substr(0, path.rfind('\\'));
  for (const std::string &place : {path, FreshName(path), folder})
    if (obstacles.count(SnapshotKey(place))) return true;
  return machine.files.Exists(path) && !IsPlainFile(machine, path);
}

// A message that says the package's file `gbkName` was not unpacked while
// it holds the package's content and nothing stood in the way.
std::string FalseNotUnpacked(const std::string &gbkName, const sim::Machine &machine, const Places &places,
                             const std::string &package, const std::set<std::string> &obstacles) {
  const std::map<std::string, std::string> &files = PackageContents(package);
  auto expected = files.find(gbkName);
  if (expected == files.end() || ChangedOnPurpose(gbkName)) return "";
  const std::string path = places.installDir + MachineName(machine, gbkName);
  if (Obstructed(machine, path, obstacles)) return "";
  bool plain = false;
  const std::string found = PlainContent(machine, path, &plain);
  return plain && found == expected->second ? path + " is named as not unpacked but holds the package's content" : "";
}

// The names a message lists, each followed by "....".
std::vector<std::string> ListedNames(const std::string &text) {
  std::vector<std::string> names;
  for (size_t end = text.find("...."); end != std::string::npos; end = text.find("....", end + 4)) {
    size_t start = text.find_last_of("\r\n ", end);
    start = start == std::string::npos ? 0 : start + 1;
    if (end > start) names.push_back(text.substr(start, end - start));
  }
  return names;
}

bool AnyObstacleBelow(const std::set<std::string> &obstacles, const std::string &folder) {
  const std::string key = SnapshotKey(folder);
  return std::any_of(obstacles.begin(), obstacles.end(),
                     [&](const std::string &path) { return path.compare(0, key.size(), key) == 0; });
}

// No product layout to reuse, and one at the last number: above it no id
// is left.
bool NoLayoutIdLeft(const sim::Machine &machine) {
  bool last = false;
  for (const std::string &id : machine.registry.SubkeyNames(kLayoutsKey)) {
    std::string text;
    if (machine.registry.GetString(std::string(kLayoutsKey) + "\\" + id, "Layout Text", &text) &&
        IsProductLayoutText(machine.profile, text))
      return false;
    last = last || SnapshotKey(id).rfind("FFFF", 0) == 0;
  }
  return last;
}

}  // namespace

std::string FalseFailure(const std::string &text, const sim::Machine &machine, const Places &places,
                         const std::string &package, const std::set<std::string> &obstacles) {
  const sim::Profile &profile = machine.profile;
  if (text.rfind(kNotUnpackedPrefix, 0) == 0) {
    const size_t end = text.find(kNotUnpackedSuffix);
    if (end == std::string::npos) return "";
    const std::string name = text.substr(sizeof kNotUnpackedPrefix - 1, end - (sizeof kNotUnpackedPrefix - 1));
    return FalseNotUnpacked(sim::Utf8ToCodePage(936, name), machine, places, package, obstacles);
  }
  if (text.find(kPackageCheckLine) != std::string::npos) {
    for (const std::string &name : ListedNames(text)) {
      const std::string why = FalseNotUnpacked(sim::Utf8ToCodePage(936, name), machine, places, package, obstacles);
      if (!why.empty()) return why;
    }
    return "";
  }
  if (text.rfind(kFolderIsLink, 0) == 0) {
    for (const std::string &folder : EarlierFolders(machine))
      if (IsLink(machine, folder)) return "";
    return IsLink(machine, places.installDir) ? "" : "the installation folder is said to be a link, but it is none";
  }
  if (text.rfind(kNeedsAdministrator, 0) == 0) {
    if (!profile.administrator || Obstructed(machine, places.recordPath, obstacles)) return "";
    return "administrator rights are said to be missing, but the program has them";
  }
  if (text.find(kNotBackedUp) != std::string::npos) {
    // Without administrator rights the folder in Program Files is not the
    // user's to write (Windows XP lets such a run go on this far).
    if (!profile.administrator) return "";
    std::vector<std::string> written = {"vorlback.voz"};
    for (const DataRow &row : kDataRows)
      if (row.copied) written.push_back(ArchivedName(row));
    for (const std::string &folder : EarlierFolders(machine)) {
      if (AnyObstacleBelow(obstacles, folder)) return "";
      for (const std::string &name : written)
        if (Obstructed(machine, folder + name, obstacles)) return "";
    }
    return "the earlier data is said not to be backed up, but nothing stood in the way";
  }
  if (text.rfind(kNotHookedPrefix, 0) == 0) {
    const int code = std::atoi(text.c_str() + sizeof kNotHookedPrefix - 1);
    if (code < 0 || code > 3) return "";
    const std::string below = code == 0 ? "" : kItemKey + std::string(kCheckedCategories[code]);
    return TextServiceKeyExists(machine, below) ? "the text service is said not to be hooked, but its key is there" : "";
  }
  if (text.rfind(kUnpackIncomplete, 0) == 0) {
    for (const auto &[name, bytes] : PackageContents(package)) {
      const std::string path = places.installDir + MachineName(machine, name);
      bool plain = false;
      if (Obstructed(machine, path, obstacles) || PlainContent(machine, path, &plain) != bytes || !plain) return "";
    }
    return "the unpacking is said to be incomplete, but every file holds the package's content";
  }
  return "";
}

std::string WhyNoReinstallation(const sim::Machine &machine, const Places &places, const RunPlan &run) {
  const sim::Profile &profile = machine.profile;
  if (profile.family == sim::Family::NT && !profile.administrator) return "no administrator rights";
  if (IsLink(machine, places.installDir)) return "the installation folder is a link";
  for (const std::string &folder : EarlierFolders(machine))
    if (IsLink(machine, folder)) return "the earlier installation's folder is a link";
  std::istringstream marks(machine.files.StateIni());
  const bool unlinkKeepsName = profile.build < 18362;
  for (std::string line; std::getline(marks, line);) {
    if (line.rfind("read_only_folder = ", 0) == 0) return "a read-only folder: " + line.substr(19);
    if (line.rfind("in_use = ", 0) != 0) continue;
    const bool loaded = line.find("loaded-module") != std::string::npos;
    const bool shareDelete = line.find("open-share-delete") != std::string::npos;
    if (!loaded && !(shareDelete && !unlinkKeepsName)) return "a file held: " + line.substr(9);
  }
  if (profile.family == sim::Family::NT && profile.major >= 6 &&
      (machine.files.AttributesOf(places.recordPath) & 0x1) && machine.files.Exists(places.recordPath))
    return "the record is read-only";
  const std::vector<std::string> folders = {places.installDir, DataFolder(machine, places)};
  for (const std::string &folder : folders)
    for (const std::string &name : InstallerNames())
      if (machine.files.IsDirectory(folder + name) && !IsLink(machine, folder + name)) {
        std::error_code error;
        if (!std::filesystem::is_empty(machine.files.HostPath(folder + name), error))
          return "a folder planted at " + folder + name;
      }
  if (ChoosesIme(run) && NoLayoutIdLeft(machine)) return "no keyboard layout id is left for the product";
  if (ChoosesIme(run) && profile.oemCodePage != 950) {
    std::string first, text;
    const bool nt = profile.family == sim::Family::NT;
    machine.registry.GetString(nt ? "HKEY_CURRENT_USER\\Keyboard Layout\\Preload" : "HKEY_CURRENT_USER\\keyboard layout\\preload\\1",
                               nt ? "1" : "", &first);
    machine.registry.GetString(std::string(kLayoutsKey) + "\\" + first, "Layout Text", &text);
    if (!first.empty() && IsProductLayoutText(profile, text)) return "the product is the default input method";
  }
  return "";
}

}  // namespace fleet
