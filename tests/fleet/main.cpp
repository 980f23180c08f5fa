// history_fleet: seeded histories of runs on one simulated machine, each
// step followed by every invariant of the user's data and the folder's
// safety.
//
//   history_fleet [--seed S] [--histories N] [--steps I,J,...] [--shrink N]
//                 [--package FILE] [--work DIR] [--verbose]
//
// Runs the histories of seeds S, S+1, ... S+N-1 (default: one, seed 1).
// --steps runs only those steps of the history of S, as a shrunk history
// prints them. A failing history prints its seed, its steps and what broke,
// and the first --shrink of them (default 10) are shrunk to the fewest
// steps that still break the same invariant; the machine of each shrunk
// history is kept for setup-sim --root. Exits 1 when any history failed.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fleet/history.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
  uint64_t seed = 1;
  uint64_t histories = 1;
  std::vector<size_t> steps;  // empty: all
  int shrink = 10;
  std::string package = VOZ_SMALL_PACKAGE_FILE;
  fs::path work;
  bool verbose = false;
};

bool ParseIndices(const std::string &text, std::vector<size_t> *indices) {
  size_t start = 0;
  while (start < text.size()) {
    char *end = nullptr;
    const unsigned long value = std::strtoul(text.c_str() + start, &end, 10);
    if (end == text.c_str() + start) return false;
    indices->push_back(value);
    start = size_t(end - text.c_str());
    if (start < text.size() && text[start] != ',') return false;
    ++start;
  }
  return !indices->empty();
}

bool ParseOptions(int argc, char **argv, Options *options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--verbose") options->verbose = true;
    else if (arg == "--seed" && hasValue) options->seed = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--histories" && hasValue) options->histories = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--shrink" && hasValue) options->shrink = std::atoi(argv[++i]);
    else if (arg == "--package" && hasValue) options->package = argv[++i];
    else if (arg == "--work" && hasValue) options->work = argv[++i];
    else if (arg == "--steps" && hasValue) {
      if (!ParseIndices(argv[++i], &options->steps)) return false;
    } else return false;
  }
  return true;
}

// A folder of this process's own, on a memory file system when there is one.
fs::path DefaultWork() {
  const char *tmp = std::getenv("TMPDIR");
  const fs::path base = tmp && *tmp ? fs::path(tmp) : fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::path("/tmp");
  return base / ("history-fleet-" + std::to_string(getpid()));
}

std::vector<std::string> PackageNames(const fs::path &folder) {
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string IndexList(const std::vector<size_t> &indices) {
  std::string text;
  for (size_t index : indices) text += (text.empty() ? "" : ",") + std::to_string(index);
  return text;
}

void PrintSteps(const std::vector<fleet::Step> &steps, const std::vector<size_t> &indices, int failedAt) {
  for (size_t n = 0; n < indices.size(); ++n)
    std::printf("    %2zu: %s%s\n", indices[n], fleet::Describe(steps[indices[n]]).c_str(),
                int(n) == failedAt ? "   <- broke here" : "");
}

void PrintViolations(const fleet::HistoryResult &result) {
  for (const fleet::Violation &violation : result.violations)
    std::printf("    %s: %s\n", violation.invariant.c_str(), violation.detail.c_str());
}

std::vector<fleet::Step> Chosen(const std::vector<fleet::Step> &steps, const std::vector<size_t> &indices) {
  std::vector<fleet::Step> chosen;
  for (size_t index : indices) chosen.push_back(steps[index]);
  return chosen;
}

// Shrinks a failing history, prints the result, and keeps its machine.
void ShrinkAndReport(fleet::HistoryRunner &runner, const Options &options, uint64_t seed,
                     const std::vector<fleet::Step> &steps, const std::vector<size_t> &indices,
                     const fleet::HistoryResult &failure) {
  std::vector<size_t> kept;
  for (size_t n : runner.Shrink(Chosen(steps, indices), failure, 200)) kept.push_back(indices[n]);
  const fleet::HistoryResult shrunk = runner.Run(Chosen(steps, kept));
  std::printf("  shrunk to %zu steps (replay: history_fleet --seed %llu --steps %s):\n", kept.size(),
              (unsigned long long)seed, IndexList(kept).c_str());
  PrintSteps(steps, kept, shrunk.failedStep);
  PrintViolations(shrunk);
  const fs::path keptMachine = options.work / ("failed-" + std::to_string(seed));
  fs::remove_all(keptMachine);
  fs::rename(runner.machine_root(), keptMachine);
  std::printf("  its machine: %s\n", keptMachine.c_str());
}

// What the histories came to: counts of steps and failures, by invariant
// and by the kind of step that broke it, and the time taken.
struct Tally {
  size_t steps = 0, failed = 0;
  std::map<std::string, size_t> byInvariant, byBreak;
  double running = 0, shrinking = 0;

  void Failure(const fleet::HistoryResult &result, const fleet::Step &breaking) {
    ++failed;
    ++byInvariant[result.violations.front().invariant];
    ++byBreak[result.violations.front().invariant + " after " + fleet::KindOf(breaking)];
  }

  void Print(uint64_t histories) const {
    std::printf("histories: %llu, steps: %zu, failed: %zu", (unsigned long long)histories, steps, failed);
    for (const auto &[invariant, count] : byInvariant) std::printf(", %s %zu", invariant.c_str(), count);
    std::printf("\n");
    for (const auto &[what, count] : byBreak) std::printf("  %4zu %s\n", count, what.c_str());
    std::printf("ran in %.2f s (%.0f steps/s)", running, running > 0 ? steps / running : 0.0);
    if (shrinking > 0) std::printf(", shrinking took %.1f s", shrinking);
    std::printf("\n");
  }
};

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Runs the history of one seed, or the chosen steps of it; false when the
// choice names a step the history does not have.
bool RunSeed(fleet::HistoryRunner &runner, const Options &options, uint64_t seed, Tally *tally) {
  const std::vector<fleet::Step> drawn = runner.Draw(seed);
  std::vector<size_t> indices = options.steps;
  if (indices.empty())
    for (size_t i = 0; i < drawn.size(); ++i) indices.push_back(i);
  if (std::any_of(indices.begin(), indices.end(), [&](size_t i) { return i >= drawn.size(); })) {
    std::fprintf(stderr, "history_fleet: the history of seed %llu has %zu steps\n", (unsigned long long)seed,
                 drawn.size());
    return false;
  }
  if (options.verbose) std::printf("history %llu:\n", (unsigned long long)seed);
  const Clock::time_point start = Clock::now();
  const fleet::HistoryResult result = runner.Run(Chosen(drawn, indices));
  tally->running += SecondsSince(start);
  tally->steps += result.stepsRun;
  if (!result.Failed()) return true;
  tally->Failure(result, drawn[indices[size_t(result.failedStep)]]);
  std::printf("FAILED history %llu at step %d of %zu:\n", (unsigned long long)seed, result.failedStep, indices.size());
  PrintSteps(drawn, indices, result.failedStep);
  PrintViolations(result);
  if (int(tally->failed) <= options.shrink) {
    const Clock::time_point shrinkStart = Clock::now();
    ShrinkAndReport(runner, options, seed, drawn, indices, result);
    tally->shrinking += SecondsSince(shrinkStart);
  }
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: history_fleet [--seed S] [--histories N] [--steps I,J,...] [--shrink N]\n"
                 "                     [--package FILE] [--work DIR] [--verbose]\n");
    return 2;
  }
  if (options.work.empty()) options.work = DefaultWork();
  fleet::SetPackageNames(PackageNames(VOZ_SMALL_PAYLOAD_FILES));
  fleet::SetPackageCopies(options.package);
  fleet::HistoryRunner runner({{}, options.package, options.work, options.verbose});
  Tally tally;
  for (uint64_t n = 0; n < options.histories; ++n)
    if (!RunSeed(runner, options, options.seed + n, &tally)) return 2;
  tally.Print(options.histories);
  for (const char *folder : {"template", "machine", "trial"}) fs::remove_all(options.work / folder);
  if (fs::is_empty(options.work)) fs::remove(options.work);
  return tally.failed > 0 ? 1 : 0;
}
