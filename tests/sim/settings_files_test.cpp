// The settings files the wizard leaves in the installation directory, byte
// for byte, on simulated machines.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "settings/settings_files.h"
#include "support/test_machine.h"
#include "userdata/backup_state.h"

namespace {

using testing_support::ScopedMachine;

const std::string kDir = "C:\\Program Files\\morvak8\\";

class SettingsFiles : public ::testing::Test {
 protected:
  SettingsFiles() {
    machine_->files.MakeDirectories(kDir);
    ComputeInstallDir();
    program.editionChoice = 0;
    program.windowModeChoice = 3;
    userDataBackup.state = 0;
    DetectWindows();
    std::memset(program.profileRecord, 0, sizeof program.profileRecord);
    ResetSettingsRecords();
  }
  std::string File(const std::string &name) {
    std::string content;
    EXPECT_TRUE(machine_->files.ReadFile(kDir + name, &content)) << name;
    return content;
  }
  // The non-zero bytes of the options file, as position: value.
  std::map<int, int> Options() {
    std::map<int, int> set;
    const std::string bytes = File("voszsj43.voh");
    EXPECT_EQ(bytes.size(), 200u);
    for (size_t i = 0; i < bytes.size(); ++i)
      if (bytes[i]) set[static_cast<int>(i)] = static_cast<unsigned char>(bytes[i]);
    return set;
  }
  ScopedMachine machine_;
};

const char kNetworkText[] =
    "VONETURL1=\r\nVONETURL2=\r\nVONETTIME=1\r\nVOBJTIME=7\r\nVOWYTIME=3\r\nVOSJOFF=0\r\nVONETTIME0=0\r\nVOBJTIME0=0\r\n"
    "VONEONE=1\r\n";

// The network record goes out before its text is composed: the first call
// writes zeros, the second the text the first composed.
TEST_F(SettingsFiles, EditionNetworkAndProfileFilesHaveTheirExactBytes) {
  program.editionChoice = 1;
  WriteSettingsFiles();
  EXPECT_EQ(File("wbpybz.voh"), std::string("VOWBPYBZ=1", 11));
  EXPECT_EQ(File("vonetsj.dat"), kNetworkText);
  EXPECT_EQ(std::string(kNetworkText).size(), 110u);
  EXPECT_EQ(File("vorldat.dat"), std::string(1000, '\0'));
  program.editionChoice = 0;
  WriteSettingsFiles();
  EXPECT_EQ(File("wbpybz.voh"), std::string("VOWBPYBZ=0", 11));
  EXPECT_EQ(File("vorldat.dat"), std::string(300, '\0') + kNetworkText + std::string(590, '\0'));
  EXPECT_EQ(File("voyhgl0.dat"), std::string(492, '\0'));
}

// Loaded over the earlier file, the fields replace only their text and
// terminator; the value at 188 is cleared.
TEST_F(SettingsFiles, ProfileKeepsEveryByteTheFieldsDoNotWrite) {
  std::string earlier(492, 'e');
  std::memcpy(program.profileRecord, earlier.data(), 492);
  std::strcpy(reinterpret_cast<char *>(program.profileRecord) + kProfileNameOffset, "Li");
  std::strcpy(reinterpret_cast<char *>(program.profileRecord) + kProfilePasswordOffset, "pw");
  WriteSettingsFiles();
  std::string expected = earlier;
  expected.replace(0, 3, std::string("Li\0", 3));
  expected.replace(188, 4, std::string(4, '\0'));
  expected.replace(392, 3, std::string("pw\0", 3));
  EXPECT_EQ(File("voyhgl0.dat"), expected);
}

TEST_F(SettingsFiles, OptionsForEachEditionAndWindowMode) {
  WriteInputOptionsRecord();
  EXPECT_EQ(Options(), (std::map<int, int>{{0, 4}, {1, 1}, {8, 54}, {9, 1}, {10, 1}, {12, 1}, {15, 1}, {19, 1},
                                           {21, 1}, {22, 1}, {24, 1}, {36, 1}, {41, 1}, {42, 1}, {43, 1}, {58, 1},
                                           {78, 6}}));
  ResetSettingsRecords();
  std::filesystem::remove_all(machine_->files.HostPath(kDir + "voszsj43.voh"));
  program.editionChoice = 1;
  WriteInputOptionsRecord();
  EXPECT_EQ(Options(), (std::map<int, int>{{0, 4}, {1, 1}, {8, 54}, {9, 1}, {10, 1}, {12, 1}, {15, 1}, {19, 1},
                                           {21, 1}, {24, 1}, {25, 1}, {41, 1}, {42, 1}, {43, 1}, {58, 1}, {64, 1},
                                           {70, 1}, {72, 1}, {78, 6}, {80, 10}}));
  for (int mode : {1, 2, 4, 7}) {
    program.windowModeChoice = mode;
    WriteInputOptionsRecord();
    const std::map<int, int> options = Options();
    const int byte0 = mode == 2 ? 1 : mode == 4 ? 3 : 0;
    EXPECT_EQ(options.count(0) ? options.at(0) : 0, byte0) << mode;
    EXPECT_EQ(options.count(21) ? options.at(21) : 0, mode == 4 ? 1 : 0) << mode;
  }
}

TEST_F(SettingsFiles, EarlierOptionsAreKeptOrLeftAloneWhenTheDataIsRestored) {
  const std::string earlier(200, '\x07');
  machine_->files.WriteFile(kDir + "voszsj43.voh", earlier);
  userDataBackup.state = 2;
  WriteInputOptionsRecord();
  EXPECT_EQ(File("voszsj43.voh"), earlier);
  userDataBackup.state = 1;
  machine_->profile.oemCodePage = 950;
  DetectWindows();
  WriteInputOptionsRecord();
  std::string expected = earlier;
  for (int byte : {91, 62, 63, 54, 27, 25}) expected[byte] = 0;
  expected[0] = 4, expected[1] = 1, expected[15] = 1, expected[21] = 1, expected[36] = 1, expected[43] = 1;
  expected[78] = 6;
  EXPECT_EQ(File("voszsj43.voh"), expected);
}

TEST_F(SettingsFiles, InstallStampIsTheSignedTickCount) {
  machine_->profile.tickCount = 4294967295u;
  WriteInstallStamp();
  EXPECT_EQ(File("install.voh"), "-1");
}

}  // namespace
