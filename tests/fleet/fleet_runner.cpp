#include "fleet/fleet_runner.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>

#include "fleet/fleet_machines.h"
#include "fleet/fleet_report.h"
#include "fleet/history.h"
#include "fleet/run_grammar.h"
#include "fleet/step_application.h"

namespace fleet {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The exit code of a worker whose machine ran past its time.
const int kHangExit = 3;
int watchdogOutput = -1;

void Say(int fd, const std::string &line) {
  const std::string text = line + "\n";
  for (size_t done = 0; done < text.size();) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written <= 0) return;
    done += size_t(written);
  }
}

void Hung(int) {
  static const char kLine[] = "H\n";
  if (::write(watchdogOutput, kLine, sizeof kLine - 1) < 0) _exit(kHangExit);
  _exit(kHangExit);
}

std::vector<Step> Chosen(const std::vector<Step> &steps, const std::vector<size_t> &indices) {
  std::vector<Step> chosen;
  for (size_t index : indices) chosen.push_back(steps[index]);
  return chosen;
}

std::string Quoted(const std::string &word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string DescribeMachine(const MachineTraits &traits) {
  std::string text;
  const MachineTraits plain;
  for (const Axis &axis : MachineAxes())
    if (axis.name == std::string("preset") || axis.value(traits) != axis.value(plain))
      text += (text.empty() ? "" : ", ") + std::string(axis.name) + ": " + axis.value(traits);
  return text;
}

std::string DescribeSteps(const std::vector<Step> &steps) {
  std::string text;
  for (const Step &step : steps) text += (text.empty() ? "" : " / ") + Describe(step);
  return text;
}

// The smallest machine and history that still break the same invariant:
// the fewest steps, then each axis of the machine back to its plain value,
// then the failing run without its fault and with the fewest actions and
// answers.
struct Shrunk {
  MachineTraits traits;
  std::vector<Step> steps;
};

Shrunk ShrinkMachine(HistoryRunner &runner, const FleetMachine &machine, const HistoryResult &failure,
                     const std::string &package) {
  Shrunk shrunk{machine.traits, Chosen(machine.steps, runner.Shrink(machine.steps, failure, 60))};
  auto stillFails = [&](const MachineTraits &traits, const std::vector<Step> &steps) {
    const HistoryResult result = runner.Run(traits, steps, package);
    return result.Failed() && SameBreak(result.violations.front(), failure.violations.front());
  };
  for (const Axis &axis : MachineAxes()) {
    MachineTraits plain = shrunk.traits;
    axis.plain(&plain);
    if (axis.value(plain) != axis.value(shrunk.traits) && stillFails(plain, shrunk.steps)) shrunk.traits = plain;
  }
  const HistoryResult last = runner.Run(shrunk.traits, shrunk.steps, package);
  if (!last.Failed()) return shrunk;
  shrunk.steps.resize(size_t(last.failedStep) + 1);
  RunPlan &run = shrunk.steps.back().run;
  if (shrunk.steps.back().kind != Step::Kind::kRun) return shrunk;
  auto tryWithout = [&](auto change) {
    const RunPlan kept = run;
    change();
    if (!stillFails(shrunk.traits, shrunk.steps)) run = kept;
  };
  if (run.fault.kind != Fault::Kind::kNone) tryWithout([&] { run.fault = Fault(); });
  for (size_t i = run.actions.size(); i-- > 0;) tryWithout([&] { run.actions.erase(run.actions.begin() + long(i)); });
  for (size_t i = run.answers.size(); i-- > 0;) tryWithout([&] { run.answers.erase(run.answers.begin() + long(i)); });
  return shrunk;
}

// Writes the machine before the failing step, with the step's fault in
// place, its history and a script that replays the step with setup-sim;
// runs the script once when setup-sim is known, for the screens.
std::string KeepReplay(HistoryRunner &runner, const FleetOptions &options, uint64_t seed, const Shrunk &shrunk,
                       const std::string &package) {
  runner.set_keep_steps(true);
  const HistoryResult result = runner.Run(shrunk.traits, shrunk.steps, package);
  runner.set_keep_steps(false);
  if (!result.Failed()) return "";
  const std::string relative = "machines/seed-" + std::to_string(seed);
  const fs::path folder = options.report / relative;
  fs::remove_all(folder);
  fs::create_directories(folder);
  const Step &failing = shrunk.steps[size_t(result.failedStep)];
  CopyMachine(runner.step_root(size_t(result.failedStep)), folder / "machine");
  std::vector<std::string> words;
  if (failing.kind == Step::Kind::kRun) {
    std::unique_ptr<sim::Machine> machine = sim::Machine::Load(folder / "machine");
    PlaceFault(*machine, PlacedFault(failing.run.fault, *machine, PlacesOf(machine->profile)));
    machine->Save();
    words = SetupSimArguments(failing.run);
  }
  std::ofstream history(folder / "history.txt");
  history << "machine " << seed << " of the fleet: " << DescribeMachine(shrunk.traits) << "\npackage: " << package
          << "\n";
  for (size_t i = 0; i < shrunk.steps.size(); ++i)
    history << i << ": " << Describe(shrunk.steps[i]) << (int(i) == result.failedStep ? "   <- broke here" : "") << "\n";
  for (const Violation &violation : result.violations) history << violation.invariant << ": " << violation.detail << "\n";
  std::ofstream script(folder / "replay.sh");
  script << "#!/bin/sh\n# Replays the step of machine " << seed << " that broke " << result.violations.front().invariant
         << " (history.txt),\n# on a copy of the machine as it was before it, in replayed/.\ncd \"$(dirname \"$0\")\"\n"
         << "rm -rf replayed && cp -a machine replayed\n";
  if (failing.kind == Step::Kind::kRun) {
    script << "exec \"${SETUP_SIM:-" << options.setupSim << "}\" --root replayed --package " << Quoted(package);
    for (const std::string &word : words) script << " " << Quoted(word);
    script << "\n";
  } else {
    script << "echo 'The step that broke it is no run of the program: " << Describe(failing) << "'\n";
  }
  script.close();
  fs::permissions(folder / "replay.sh", fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
  if (!options.setupSim.empty())
    std::system(("sh " + Quoted((folder / "replay.sh").string()) + " >" + Quoted((folder / "replayed-output.txt").string()) +
                 " 2>&1")
                    .c_str());
  return relative;
}

void Work(const FleetOptions &options, const fs::path &work, const std::vector<uint64_t> &seeds, int fd) {
  watchdogOutput = fd;
  signal(SIGALRM, Hung);
  HistoryOptions historyOptions;
  historyOptions.work = work;
  historyOptions.verbose = options.verbose;
  HistoryRunner runner(historyOptions);
  int kept = 0;
  for (uint64_t seed : seeds) {
    Say(fd, "S " + std::to_string(seed));
    alarm(options.timeoutSeconds);
    const FleetMachine machine = DrawFleetMachine(seed);
    if (options.verbose)
      std::printf("machine %llu: %s\n", (unsigned long long)seed, DescribeMachine(machine.traits).c_str());
    const std::string &package = machine.demoPackage ? options.demoPackage : options.smallPackage;
    const Clock::time_point start = Clock::now();
    const HistoryResult result = runner.Run(machine.traits, machine.steps, package);
    MachineResult line;
    line.seed = seed, line.demoPackage = machine.demoPackage, line.steps = result.stepsRun;
    line.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (result.Failed()) {
      line.invariant = result.violations.front().invariant;
      line.detail = result.violations.front().detail;
      std::printf("FAILED machine %llu (replay: history_fleet --machines 1 --seed %llu): %s: %s\n",
                  (unsigned long long)seed, (unsigned long long)seed, line.invariant.c_str(), line.detail.c_str());
      std::fflush(stdout);
      if (kept++ < options.shrink) {
        alarm(options.timeoutSeconds * 10);
        const Shrunk shrunk = ShrinkMachine(runner, machine, result, package);
        line.shrunk = "machine: " + DescribeMachine(shrunk.traits) + "; steps: " + DescribeSteps(shrunk.steps);
        line.replay = KeepReplay(runner, options, seed, shrunk, package);
      }
    }
    alarm(0);
    Say(fd, "R " + ResultLine(line));
  }
  fs::remove_all(work);
}

struct Worker {
  pid_t pid = 0;
  int fd = -1;
  std::vector<uint64_t> seeds;  // not yet reported
  std::string pending;          // a line not yet whole
  bool hung = false;
  int generation = 0;
};

void Start(const FleetOptions &options, int index, Worker *worker) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) throw std::runtime_error("no pipe for a worker");
  std::fflush(stdout);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipeFds[0]);
    const fs::path work = options.work / ("worker-" + std::to_string(index) + "-" + std::to_string(worker->generation));
    Work(options, work, worker->seeds, pipeFds[1]);
    std::fflush(stdout);
    _exit(0);
  }
  ::close(pipeFds[1]);
  worker->pid = pid, worker->fd = pipeFds[0], worker->pending.clear(), worker->hung = false;
  ++worker->generation;
}

}  // namespace

int RunFleet(const FleetOptions &options) {
  std::vector<std::string> invariants;
  for (const Invariant &invariant : Invariants()) invariants.push_back(invariant.name);
  invariants.push_back("no-hang");
  FleetReport report(invariants);
  fs::remove_all(options.report / "machines");
  fs::create_directories(options.report);
  std::vector<Worker> workers(size_t(options.jobs));
  for (uint64_t n = 0; n < options.machines; ++n) workers[n % workers.size()].seeds.push_back(options.seed + n);
  for (size_t i = 0; i < workers.size(); ++i)
    if (!workers[i].seeds.empty()) Start(options, int(i), &workers[i]);
  const Clock::time_point start = Clock::now();
  uint64_t reported = 0, nextProgress = options.machines / 10;
  auto record = [&](Worker &worker, const MachineResult &result) {
    report.Add(result, DrawFleetMachine(result.seed).axes);
    worker.seeds.erase(worker.seeds.begin());
    if (++reported >= nextProgress && nextProgress > 0) {
      std::fprintf(stderr, "fleet: %llu of %llu machines, %zu failed\n", (unsigned long long)reported,
                   (unsigned long long)options.machines, report.failed());
      nextProgress += options.machines / 10;
    }
  };
  for (;;) {
    std::vector<pollfd> polled;
    for (const Worker &worker : workers)
      if (worker.fd >= 0) polled.push_back({worker.fd, POLLIN, 0});
    if (polled.empty()) break;
    ::poll(polled.data(), polled.size(), -1);
    for (Worker &worker : workers) {
      if (worker.fd < 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(worker.fd, buffer, sizeof buffer);
      if (got < 0) continue;
      if (got > 0) {
        worker.pending.append(buffer, size_t(got));
        for (size_t end; (end = worker.pending.find('\n')) != std::string::npos;) {
          const std::string line = worker.pending.substr(0, end);
          worker.pending.erase(0, end + 1);
          MachineResult result;
          if (line == "H") worker.hung = true;
          else if (line.rfind("R ", 0) == 0 && ParseResultLine(line.substr(2), &result)) record(worker, result);
        }
        continue;
      }
      // The worker ended: a machine it started and did not report hung or
      // died with it, and the others go to a new worker.
      ::close(worker.fd);
      worker.fd = -1;
      int status = 0;
      ::waitpid(worker.pid, &status, 0);
      if (worker.seeds.empty()) continue;
      MachineResult result;
      result.seed = worker.seeds.front();
      result.demoPackage = result.seed % kDemoPackageEvery == 0;
      result.invariant = worker.hung ? "no-hang" : "crash-chosen";
      result.detail = worker.hung ? "its history ran longer than " + std::to_string(options.timeoutSeconds) + " s"
                                  : "the process died (status " + std::to_string(status) + ")";
      std::printf("FAILED machine %llu (replay: history_fleet --machines 1 --seed %llu): %s: %s\n",
                  (unsigned long long)result.seed, (unsigned long long)result.seed, result.invariant.c_str(),
                  result.detail.c_str());
      record(worker, result);
      if (!worker.seeds.empty()) Start(options, int(&worker - workers.data()), &worker);
    }
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  report.Print(stdout, wall);
  report.WriteHtml(options.report, wall);
  if (FILE *text = std::fopen((options.report / "report.txt").c_str(), "w")) {
    report.Print(text, wall);
    std::fclose(text);
  }
  std::printf("report: %s\n", (options.report / "index.html").c_str());
  return report.failed() > 0 ? 1 : 0;
}

}  // namespace fleet
