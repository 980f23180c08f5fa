// A simulated machine prepared as the install driver meets it before the
// registration: the program-wide values of the start (code page, the
// Windows facts, the installation directory) set from the machine, and
// helpers to read what the registration left in the registry and the log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "support/test_machine.h"

namespace registration_fixture {

const std::string kLayouts = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Keyboard Layouts\\";
const std::string kUserPreload = "HKEY_CURRENT_USER\\Keyboard Layout\\Preload";
const std::string kDefaultPreload = "HKEY_USERS\\.DEFAULT\\Keyboard Layout\\Preload";
const std::string kUserPreload9x = "HKEY_CURRENT_USER\\keyboard layout\\preload\\";
// The text service's key and its item list (text service to category).
const std::string kTextService = "{65653599-5030-4C0F-8871-83F6AFDE5098}";
const std::string kTextServiceKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\CTF\\TIP\\" + kTextService;
const std::string kTextServiceItems = kTextServiceKey + "\\Category\\Item\\" + kTextService + "\\";

class RegistrationMachine : public testing_support::ScopedMachine {
 public:
  explicit RegistrationMachine(const std::string &preset, int interface = 0) : ScopedMachine(preset) {
    DetectWindows();
    program.interfaceChoice = interface;
    ComputeInstallDir();
  }

  std::string Text(const std::string &key, const std::string &name) {
    std::string value;
    return (*this)->registry.GetString(key, name, &value) ? value : "<missing>";
  }

  // The NT preload list of a profile as "1=...,2=...".
  std::string PreloadList(const std::string &key) {
    std::string list;
    for (const std::string &name : (*this)->registry.ValueNames(key))
      list += (list.empty() ? "" : ",") + name + "=" + Text(key, name);
    return list;
  }

  // The subkeys of every keyboard-layout id that is an IME ("E..."), removed.
  void RemoveImeLayouts() {
    for (const std::string &name : (*this)->registry.SubkeyNames(kLayouts.substr(0, kLayouts.size() - 1)))
      if (name[0] == 'E' || name[0] == 'e') (*this)->registry.DeleteTree(kLayouts + name);
  }

  // "caption: text" of each message box, in order.
  std::vector<std::string> Messages() {
    std::vector<std::string> shown;
    for (const auto &box : (*this)->events.OfKind("messagebox"))
      shown.push_back(box.Field("caption") + ": " + box.Field("text"));
    return shown;
  }

  std::vector<std::string> Commands() {
    std::vector<std::string> started;
    for (const auto &exec : (*this)->events.OfKind("exec")) started.push_back(exec.Field("command"));
    return started;
  }
};

}  // namespace registration_fixture
