// A simulated machine ready for the deployment step: the program's facts
// about Windows found as at start, the installation directory computed, the
// built package loaded and the working buffer allocated.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "package/module_deployment.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "shell/deployment_pass.h"
#include "support/test_machine.h"
#include "userdata/backup_state.h"

namespace deployment_fixtures {

const char kInstallDir[] = "C:\\Program Files\\morvak8\\";
const char kCopyCaption[] = u8"智能Qelvo(Kelt五笔)安装";

inline std::string PayloadFile(const std::string &name) {
  std::ifstream in(std::string(VOZ_PAYLOAD_FILES) + "/" + name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The payload's module with its version text rewritten to 9.3.
inline std::string PatchedPayloadFile(const std::string &name) {
  std::string content = PayloadFile(name);
  std::u16string version = u"智能Qelvo输入平台 V6.7";
  std::string from(reinterpret_cast<const char *>(version.data()), version.size() * 2);
  version[version.size() - 3] = u'9';
  version[version.size() - 1] = u'3';
  std::string to(reinterpret_cast<const char *>(version.data()), version.size() * 2);
  for (size_t at = content.find(from); at != std::string::npos; at = content.find(from, at + 1))
    content.replace(at, to.size(), to);
  return content;
}

class DeploymentMachine {
 public:
  // `interface`: 1 TSF, 0 IME.
  DeploymentMachine(const std::string &preset, int interface) : machine_(preset) {
    DetectWindows();
    ComputeInstallDir();
    program.interfaceChoice = interface;
    userDataBackup.state = 0;
    progress.step = 0;
    progress.total = 110;
    machine_->process.packagePath = VOZ_PACKAGE_FILE;
    EXPECT_EQ(LoadPackageResource(), 1);
    EXPECT_EQ(AllocateWorkingBuffer(), 1);
  }
  ~DeploymentMachine() {
    FreeWorkingBuffer();
    carriedPackage.data = nullptr;
    carriedPackage.size = 0;
  }

  sim::Machine *operator->() { return machine_.get(); }

  std::string File(const std::string &path) {
    std::string content;
    EXPECT_TRUE(machine_->files.ReadFile(path, &content)) << path;
    return content;
  }
  std::string Installed(const std::string &name) { return File(kInstallDir + name); }
  bool IsInstalled(const std::string &name) { return machine_->files.Exists(kInstallDir + name); }
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const sim::Event &event : machine_->events.OfKind("messagebox")) texts.push_back(event.Field("text"));
    return texts;
  }

 private:
  testing_support::ScopedMachine machine_;
};

}  // namespace deployment_fixtures
