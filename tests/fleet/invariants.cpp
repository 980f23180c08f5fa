#include "fleet/invariants.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "fleet/allowed_places.h"
#include "fleet/outcome_check.h"

namespace fleet {

namespace {

namespace fs = std::filesystem;

const char kRestoredPrefix[] = u8"成功恢复了";
const char kRestoreFailedText[] = u8"原有数据文件没有成功复制";
// A violation names at most this many paths.
const size_t kNamesShown = 6;

std::string Join(const std::vector<std::string> &names) {
  std::string text;
  for (const std::string &name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

// The content of a host file that is a regular file with a single name:
// a planted link has no host file behind its name, a planted hard link
// has a second name.
bool ReadPlainHostFile(const fs::path &path, std::string *content) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) return false;
  std::ifstream in(path, std::ios::binary);
  content->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// The plain files directly in a folder that is no link, by Windows path:
// those of `names`, or all with none given.
std::map<std::string, std::string> PlainFilesIn(const sim::Machine &machine, const std::string &folder,
                                                const std::vector<std::string> &names = {}) {
  std::map<std::string, std::string> files;
  const std::string path = WithoutBackslash(folder);
  if (!machine.files.IsDirectory(path) || IsLink(machine, path)) return files;
  const fs::path host = machine.files.HostPath(path);
  std::vector<std::string> listed = names;
  std::error_code error;
  if (names.empty())
    for (const auto &entry : fs::directory_iterator(host, error)) listed.push_back(entry.path().filename().string());
  for (const std::string &name : listed) {
    std::string content;
    if (ReadPlainHostFile(host / name, &content)) files[path + "\\" + name] = std::move(content);
  }
  return files;
}

// The names in the installation folder that the installer fills with a
// user's data: the data files, their copies, and the copies made of those.
std::vector<std::string> DataNames() {
  std::vector<std::string> names = DataFiles();
  for (const std::string &file : DataFiles())
    if (IsCopiedFile(file)) names.push_back(BakName(file));
  names.insert(names.end(), {"vorlcyzk.dat", "vorlpyck.dat"});
  return names;
}

void CheckDataKept(const StepContext &context, std::vector<Violation> *violations) {
  const std::string folder = DataFolder(context.machine, context.places);
  const std::vector<std::string> missing = FilesNotInPlace(context.machine, folder, context.model);
  if (missing.empty()) return;
  const std::vector<std::string> lost = context.filesLostOnReinstall();
  if (lost.empty()) return;
  violations->push_back({"data-kept", "not in " + folder + ": " + Join(missing) +
                                          "; a reinstallation keeping the data does not bring back: " + Join(lost)});
}

void CheckOutsideUnchanged(const StepContext &context, std::vector<Violation> *violations) {
  const std::map<std::string, std::string> now = ReadProtected(context.machine, context.places);
  std::vector<std::string> changed;
  for (const auto &[path, state] : now) {
    auto before = context.protectedFiles.find(path);
    if (before == context.protectedFiles.end() || before->second != state) changed.push_back(path);
  }
  for (const auto &[path, state] : context.protectedFiles)
    if (!now.count(path)) changed.push_back(path + " (gone)");
  if (changed.size() > kNamesShown) {
    const size_t more = changed.size() - kNamesShown;
    changed.resize(kNamesShown);
    changed.push_back("and " + std::to_string(more) + " more");
  }
  if (!changed.empty()) violations->push_back({"outside-unchanged", "changed: " + Join(changed)});
  // Reading through a link puts its target where the user's data goes.
  static const std::vector<std::string> names = DataNames();
  std::set<std::string> folders = {context.places.installDir, DataFolder(context.machine, context.places)};
  for (const std::string &folder : folders)
    for (const auto &[path, content] : PlainFilesIn(context.machine, folder, names))
      if (content.find(kSecretMarker) != std::string::npos)
        violations->push_back({"outside-unchanged", "the administrators' file copied to " + path});
}

void CheckPlantedNotRun(const StepContext &context, std::vector<Violation> *violations) {
  if (!context.run) return;
  for (const sim::Event &event : context.run->events) {
    if (event.kind != "exec" || event.Field("program").empty()) continue;
    std::string content;
    if (context.machine.files.ReadFile(event.Field("program"), &content) &&
        content.find(kPlantedMarker) != std::string::npos)
      violations->push_back({"planted-not-run", "started " + event.Field("program") + ": " + event.Field("command")});
  }
  for (const std::string &folder : context.places.systemDirs)
    for (const auto &[path, content] : PlainFilesIn(context.machine, folder))
      if (content.find(kPlantedMarker) != std::string::npos)
        violations->push_back({"planted-not-run", "planted bytes in " + path});
}

// A failure named for a row whose data is in place, or whose file the
// backup cannot carry, is not true.
void CheckFailureNames(const StepContext &context, const std::string &text, std::vector<Violation> *violations) {
  const std::string folder = DataFolder(context.machine, context.places);
  const std::vector<std::string> missing = FilesNotInPlace(context.machine, folder, context.model);
  for (const DataRow &row : kDataRows) {
    const std::string name = ArchivedName(row);
    if (text.find(name + "....") == std::string::npos) continue;
    const auto size = context.sizesBefore.find(row.file);
    const bool uncarried = size != context.sizesBefore.end() && (size->second == 0 || size->second > kLargestArchivedFile);
    const bool inPlace = context.model.files().count(row.file) &&
                         std::find(missing.begin(), missing.end(), row.file) == missing.end();
    if (uncarried || inPlace)
      violations->push_back({"messages-true", "the restore names " + name + " as failed, but " +
                                                  (uncarried ? "the backup cannot carry it" : "it is in place")});
  }
}

void CheckMessagesTrue(const StepContext &context, std::vector<Violation> *violations) {
  if (!context.run) return;
  for (const std::string &text : context.run->Messages()) {
    if (text.rfind(kRestoredPrefix, 0) == 0) {
      const std::string folder = DataFolder(context.machine, context.places);
      const std::vector<std::string> missing = FilesNotInPlace(context.machine, folder, context.model);
      if (!missing.empty())
        violations->push_back({"messages-true", "\"" + text + "\" but not in " + folder + ": " + Join(missing)});
    }
    if (text.find(kRestoreFailedText) != std::string::npos) CheckFailureNames(context, text, violations);
  }
}

void CheckCrashChosen(const StepContext &context, std::vector<Violation> *violations) {
  if (!context.run) return;
  if (context.run->crashed && !context.run->chosenCrash)
    violations->push_back({"crash-chosen", "the program crashed where no fault was placed"});
  if (!context.run->harnessError.empty())
    violations->push_back({"crash-chosen", "the run threw: " + context.run->harnessError});
}

std::string Limited(std::vector<std::string> items) {
  if (items.size() > kNamesShown) {
    const size_t more = items.size() - kNamesShown;
    items.resize(kNamesShown);
    items.push_back("and " + std::to_string(more) + " more");
  }
  return Join(items);
}

void CheckPlacesKept(const StepContext &context, std::vector<Violation> *violations) {
  if (!context.run || !context.before) return;
  const MachineSnapshot after = TakeSnapshot(context.machine);
  const std::vector<std::string> outside =
      ChangesOutsideAllowedPlaces(context.machine, context.places, context.earlierFolders, *context.before, after);
  if (!outside.empty()) violations->push_back({"places-kept", "changed outside its places: " + Limited(outside)});
  const std::vector<std::string> lost = ForeignPreloadIdsLost(context.machine, *context.before, after);
  if (!lost.empty()) violations->push_back({"places-kept", "other input methods taken from the preload list: " + Join(lost)});
}

void CheckOutcomeTrue(const StepContext &context, std::vector<Violation> *violations) {
  if (!context.run) return;
  if (SuccessTold(context.step.run, *context.run)) {
    const std::vector<std::string> problems =
        InstallationProblems(context.machine, context.places, context.package, context.run->events);
    if (!problems.empty())
      violations->push_back({"outcome-true", "the installation is told complete, but: " + Limited(problems)});
  }
  for (const std::string &why : context.run->falseFailures) violations->push_back({"outcome-true", why});
  const std::vector<std::string> unreadable = UnreadableMessages(context.machine, *context.run);
  if (!unreadable.empty()) violations->push_back({"outcome-true", "a message that cannot be read: " + Limited(unreadable)});
}

void CheckReinstallSucceeds(const StepContext &context, std::vector<Violation> *violations) {
  if (!context.run || !context.step.run.reinstallation || !context.whyNoReinstallation.empty()) return;
  if (SuccessTold(context.step.run, *context.run)) return;
  std::vector<std::string> messages = context.run->Messages();
  std::string how = context.run->crashed   ? "it crashed"
                    : context.run->stopped ? "it waited for the user"
                                           : "exit code " + std::to_string(context.run->exitCode);
  violations->push_back({"reinstall-succeeds", "the machine allows a reinstallation, but it did not succeed (" + how +
                                                   "); its messages: " + Limited(messages)});
}

}  // namespace

const std::vector<Invariant> &Invariants() {
  static const std::vector<Invariant> invariants = {
      {"data-kept", CheckDataKept},         {"outside-unchanged", CheckOutsideUnchanged},
      {"planted-not-run", CheckPlantedNotRun}, {"messages-true", CheckMessagesTrue},
      {"crash-chosen", CheckCrashChosen},   {"places-kept", CheckPlacesKept},
      {"outcome-true", CheckOutcomeTrue},   {"reinstall-succeeds", CheckReinstallSucceeds},
  };
  return invariants;
}

bool SameBreak(const Violation &a, const Violation &b) {
  return a.invariant == b.invariant && a.detail.substr(0, a.detail.find(':')) == b.detail.substr(0, b.detail.find(':'));
}

}  // namespace fleet
