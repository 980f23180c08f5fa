#include "support/test_machine.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/program_state_reset.h"

namespace testing_support {

namespace {

// Owns the folder TestTempRoot made, and removes it at exit if it may.
struct TempRoot {
  std::filesystem::path path;
  bool made = false;
  ~TempRoot() {
    if (!made) return;
    if (::testing::UnitTest::GetInstance()->Passed()) {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    } else {
      std::fprintf(stderr, "test files kept in %s\n", path.c_str());
    }
  }
};

TempRoot MakeTempRoot() {
  TempRoot root;
  if (const char *given = std::getenv("VOZ_TEST_TMP"); given && *given) {
    root.path = given;
    std::filesystem::create_directories(root.path);
    return root;
  }
  const char *tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/voz-tests.XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::abort();
  }
  root.path = pattern;
  root.made = true;
  return root;
}

}  // namespace

const std::filesystem::path &TestTempRoot() {
  static TempRoot root = MakeTempRoot();
  return root.path;
}

std::filesystem::path FreshFolder(const std::string &name) {
  std::filesystem::path folder = TestTempRoot() / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

namespace {

std::string CurrentTestName() {
  const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return "no-test";
  std::string name = std::string(info->test_suite_name()) + "." + info->name();
  for (char &c : name)
    if (c == '/') c = '_';
  return name;
}

}  // namespace

ScopedMachine::ScopedMachine(const std::string &preset)
    : machine_(sim::Machine::CreateFromPreset(preset, FreshFolder(CurrentTestName()))) {
  sim::Machine::Install(machine_.get());
  ResetProgramState();
}

ScopedMachine::~ScopedMachine() { sim::Machine::Install(nullptr); }

int RunSetupSim(const std::string &arguments, std::string *output) {
  std::string command = std::string(VOZ_SETUP_SIM) + " " + arguments + " 2>&1";
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  output->clear();
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output->append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sim::EventLog ReadEventLog(const std::filesystem::path &root) {
  std::ifstream file(root / "events.log", std::ios::binary);
  EXPECT_TRUE(file.is_open()) << root / "events.log";
  std::ostringstream text;
  text << file.rdbuf();
  sim::EventLog log;
  EXPECT_TRUE(log.Parse(text.str())) << "events.log holds a line the simulation does not write:\n" << text.str();
  return log;
}

}  // namespace testing_support
