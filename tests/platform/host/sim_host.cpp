// Conformance host on the simulated Windows: a fresh win10-x64 machine whose
// program lies in a folder with a Chinese name, as under Wine.
#include <memory>
#include <string>

#include "platform/conformance.h"
#include "platform/conformance_host.h"
#include "simmachine/machine.h"
#include "support/test_machine.h"

namespace {
std::unique_ptr<sim::Machine> machine;
}

void PrepareConformanceHost() {
  const std::filesystem::path root = testing_support::FreshFolder("conformance");
  machine = sim::Machine::CreateFromPreset("win10-x64", root);
  machine->profile.appDir = u8"C:\\安装测试";
  machine->profile.appName = "platform_conformance.exe";
  machine->files.MakeDirectories(machine->profile.appDir);
  sim::Machine::Install(machine.get());
  machine->files.MakeDirectories(conformance::ScratchDir());
  // The folder link the Wine test script leaves in its prefix, here a junction.
  machine->files.MakeDirectories(std::string(conformance::ScratchDir()) + "prepared-target");
  machine->files.SetLink(std::string(conformance::ScratchDir()) + "prepared-link",
                         std::string(conformance::ScratchDir()) + "prepared-target", true);
}

const char *conformance::ScratchDir() { return "C:\\Windows\\Temp\\conformance\\"; }

bool conformance::MakeJunction(const char *path, const char *target, DWORD *error) {
  machine->files.SetLink(path, target, true);
  *error = 0;
  return true;
}
