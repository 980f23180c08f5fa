// What the fleet came to: each machine's result, and the table of machines
// by axis value and invariant, printed and written as an HTML page with the
// failing machines linked to their replay folders and screens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fleet {

struct MachineResult {
  uint64_t seed = 0;
  bool demoPackage = false;
  double seconds = 0;      // the machine's whole history, shrinking not counted
  size_t steps = 0;        // steps run
  std::string invariant;   // the first invariant broken, "" when none was
  std::string detail;      // what broke it, in one line
  std::string shrunk;      // the shrunk history, its steps separated by " / "
  std::string replay;      // the replay folder, relative to the report's folder
};

// One line without tabs or newlines in its fields, and back.
std::string ResultLine(const MachineResult &result);
bool ParseResultLine(const std::string &line, MachineResult *result);

class FleetReport {
 public:
  explicit FleetReport(std::vector<std::string> invariants) : invariants_(std::move(invariants)) {}
  void Add(const MachineResult &result, const std::vector<std::pair<std::string, std::string>> &axes);
  size_t failed() const { return failures_.size(); }
  size_t machines() const { return machines_; }

  // The table: one row per axis value with its machines and the failures
  // of each invariant; then the failing machines; then the packages' rates.
  void Print(FILE *out, double wallSeconds) const;
  // The same as an HTML page, index.html in `folder`, linking the replay
  // folders and the screens in them.
  void WriteHtml(const std::filesystem::path &folder, double wallSeconds) const;

 private:
  struct Row {
    size_t machines = 0;
    std::map<std::string, size_t> failures;  // by invariant
  };
  std::vector<std::string> invariants_;
  std::vector<std::string> axisOrder_;
  std::map<std::string, std::vector<std::string>> valueOrder_;  // by axis
  std::map<std::pair<std::string, std::string>, Row> rows_;
  std::vector<MachineResult> failures_;
  size_t machines_ = 0;
  // By package ("small", "demo"): machines and the seconds they took.
  std::map<std::string, std::pair<size_t, double>> packages_;
};

}  // namespace fleet
