// Creating, loading and saving a simulated machine.
#include "simmachine/machine.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "preset_registry.h"

namespace sim {
namespace {

Machine *current = nullptr;

std::string ReadText(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const std::filesystem::path &path, const std::string &text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Placeholder programs that a machine of this kind has, so that commands
// naming them are found where Windows would find them.
std::vector<std::string> SystemPrograms(const Profile &profile) {
  if (profile.family == Family::Win9x) return {"regsvr32.exe", "command.com"};
  std::vector<std::string> programs = {"regsvr32.exe", "cmd.exe", "runas.exe"};
  if (profile.major >= 6) programs.push_back("icacls.exe");
  return programs;
}

}  // namespace

Machine::Machine(std::filesystem::path root) : root_(std::move(root)) {}

// A machine that goes away stops being the one the calls act on, so that no
// call reaches a machine that is gone.
Machine::~Machine() {
  for (FILE *pipe : process.openPipes) std::fclose(pipe);
  if (current == this) current = nullptr;
}

Machine *Machine::Current() { return current; }
void Machine::Install(Machine *machine) { current = machine; }

Machine &CurrentMachine() {
  if (!current) throw std::logic_error("no simulated machine is installed");
  return *current;
}

std::unique_ptr<Machine> Machine::CreateFromPreset(const std::string &preset, const std::filesystem::path &root) {
  std::unique_ptr<Machine> machine(new Machine(root));
  if (!PresetProfile(preset, &machine->profile)) throw std::runtime_error("unknown machine preset: " + preset);
  std::filesystem::create_directories(root / "drives");
  machine->files.Attach(&machine->profile, &machine->process, root / "drives");
  machine->registry.Attach(&machine->profile);
  machine->LayOutFolders();
  SeedRegistry(machine->profile, machine->registry);
  return machine;
}

std::unique_ptr<Machine> Machine::Load(const std::filesystem::path &root) {
  std::unique_ptr<Machine> machine(new Machine(root));
  std::string ini = ReadText(root / "machine.ini");
  std::string error;
  if (!ProfileFromIni(ini, &machine->profile, &error)) throw std::runtime_error(error);
  machine->files.Attach(&machine->profile, &machine->process, root / "drives");
  if (!machine->files.LoadStateIni(ini, &error)) throw std::runtime_error("machine.ini: " + error);
  machine->registry.Attach(&machine->profile);
  if (!machine->registry.Import(ReadText(root / "registry.reg"), &error))
    throw std::runtime_error("registry.reg: " + error);
  machine->MakeProfileFolders();
  return machine;
}

void Machine::Save() const {
  WriteText(root_ / "machine.ini", ProfileToIni(profile) + "\n" + files.StateIni());
  WriteText(root_ / "registry.reg", registry.Export());
  WriteText(root_ / "events.log", events.Render());
}

void Machine::MakeProfileFolders() {
  for (const std::string &dir : {profile.windowsDir, profile.systemDir, profile.syswow64Dir,
                                 profile.programFilesDir, profile.programFilesX86Dir, profile.profileDir,
                                 profile.appDir})
    if (!dir.empty()) files.MakeDirectories(dir);
  files.MakeDirectories(profile.windowsDir + "\\Temp");
}

void Machine::LayOutFolders() {
  MakeProfileFolders();
  for (const std::string &program : SystemPrograms(profile)) {
    files.WriteFile(profile.systemDir + "\\" + program, "MZ");
    if (!profile.syswow64Dir.empty()) files.WriteFile(profile.syswow64Dir + "\\" + program, "MZ");
  }
  files.WriteFile(profile.appDir + "\\" + profile.appName, "MZ");
}

}  // namespace sim
