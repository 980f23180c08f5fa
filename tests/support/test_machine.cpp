#include "support/test_machine.h"

#include <sys/wait.h>

#include <cstdio>

namespace testing_support {

std::filesystem::path FreshFolder(const std::string &name) {
  std::filesystem::path folder = std::filesystem::path(VOZ_TEST_TMP) / name;
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

}  // namespace testing_support
