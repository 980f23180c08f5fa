// The archive tool: what it writes, what it finds wrong, and its exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_machine.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string output;
};

ToolRun Vozpack(const std::string &arguments) {
  ToolRun run{-1, ""};
  FILE *pipe = popen((std::string(VOZPACK) + " " + arguments + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Read(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Write(const fs::path &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class VozpackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = testing_support::FreshFolder(std::string("vozpack.") + info->name());
    fs::create_directories(dir_ / "in");
    Write(dir_ / "in" / "b.dat", std::string(300000, 'b') + "tail");
    Write(dir_ / "in" / "a.txt", "alpha");
    Write(dir_ / "in" / u8"小天使.voz", "skin");
  }
  std::string Path(const std::string &name) { return "'" + (dir_ / name).string() + "'"; }

  fs::path dir_;
};

TEST_F(VozpackTest, CreateGivesTheSameBytesOnAnyNumberOfThreads) {
  ASSERT_EQ(Vozpack("create --jobs 1 " + Path("one.voz") + " " + Path("in")).status, 0);
  ASSERT_EQ(Vozpack("create --jobs 3 " + Path("three.voz") + " " + Path("in")).status, 0);
  const std::string archive = Read(dir_ / "one.voz");
  EXPECT_EQ(archive, Read(dir_ / "three.voz"));
  EXPECT_EQ(archive.substr(0, 2), "C0");
  // Entries in byte order of the UTF-8 names; the skin's name stored as GBK.
  EXPECT_EQ(archive.substr(12, 5), "a.txt");
  ToolRun list = Vozpack("list " + Path("one.voz"));
  EXPECT_EQ(list.status, 0) << list.output;
  EXPECT_NE(list.output.find(u8"小天使.voz"), std::string::npos) << list.output;
  EXPECT_NE(archive.find("\xD0\xA1\xCC\xEC\xCA\xB9.voz"), std::string::npos);
}

TEST_F(VozpackTest, ShortLayoutHasTwentyByteHeadersWithFiller) {
  ASSERT_EQ(Vozpack("create --short " + Path("skin.voz") + " " + Path("in/a.txt")).status, 0);
  const std::string archive = Read(dir_ / "skin.voz");
  EXPECT_NE(archive[1], '0');
  EXPECT_EQ(archive.substr(10, 8), std::string("CFa.txt") + '\0');
  EXPECT_EQ(archive.substr(18, 8), std::string(8, '\xCC'));
  EXPECT_EQ(Vozpack("extract " + Path("skin.voz") + " " + Path("out")).status, 0);
  EXPECT_EQ(Read(dir_ / "out" / "a.txt"), "alpha");
}

TEST_F(VozpackTest, VerifyNamesTheFilesThatDiffer) {
  ASSERT_EQ(Vozpack("create " + Path("p.voz") + " --list " + Path("list.txt")).status, 1);  // no list yet
  Write(dir_ / "list.txt", "# order\nin/b.dat\nin/a.txt\n");
  ASSERT_EQ(Vozpack("create " + Path("p.voz") + " --list " + Path("list.txt")).status, 0);
  EXPECT_EQ(Vozpack("verify " + Path("p.voz") + " " + Path("in")).status, 0);
  Write(dir_ / "in" / "a.txt", "changed");
  fs::remove(dir_ / "in" / "b.dat");
  ToolRun verify = Vozpack("verify " + Path("p.voz") + " " + Path("in"));
  EXPECT_EQ(verify.status, 1);
  EXPECT_NE(verify.output.find("a.txt: differs"), std::string::npos) << verify.output;
  EXPECT_NE(verify.output.find("b.dat: missing"), std::string::npos) << verify.output;
}

TEST_F(VozpackTest, DamagedArchivesAreReportedWithStatusOne) {
  ASSERT_EQ(Vozpack("create " + Path("p.voz") + " " + Path("in")).status, 0);
  std::string archive = Read(dir_ / "p.voz");
  Write(dir_ / "cut.voz", archive.substr(0, archive.size() - 10));
  ToolRun list = Vozpack("list " + Path("cut.voz"));
  EXPECT_EQ(list.status, 1);
  EXPECT_NE(list.output.find("run past the end"), std::string::npos) << list.output;

  std::string escape = archive;
  escape.replace(12, 5, "..\\xx");  // the first entry, a.txt
  Write(dir_ / "escape.voz", escape);
  ToolRun extract = Vozpack("extract " + Path("escape.voz") + " " + Path("out"));
  EXPECT_EQ(extract.status, 1);
  EXPECT_NE(extract.output.find("not a plain file name"), std::string::npos) << extract.output;
  EXPECT_FALSE(fs::exists(dir_ / "xx"));
  EXPECT_TRUE(fs::exists(dir_ / "out" / "b.dat"));
}

TEST_F(VozpackTest, AppendRefusesNamesAlreadyThereAndShortArchives) {
  ASSERT_EQ(Vozpack("append " + Path("back.voz") + " " + Path("in/a.txt")).status, 0);
  const std::string before = Read(dir_ / "back.voz");
  EXPECT_EQ(before.substr(0, 2), "C0");
  EXPECT_EQ(before.substr(6, 4), std::string("\x01\0\0\0", 4));
  ToolRun duplicate = Vozpack("append " + Path("back.voz") + " " + Path("in/b.dat") + " " + Path("in/a.txt"));
  EXPECT_EQ(duplicate.status, 1);
  EXPECT_NE(duplicate.output.find("already in the archive"), std::string::npos) << duplicate.output;
  EXPECT_EQ(Read(dir_ / "back.voz"), before);
  ASSERT_EQ(Vozpack("create --short " + Path("skin.voz") + " " + Path("in/a.txt")).status, 0);
  EXPECT_EQ(Vozpack("append " + Path("skin.voz") + " " + Path("in/b.dat")).status, 1);
}

TEST_F(VozpackTest, BadUsageAndBadNamesAreRefused) {
  EXPECT_EQ(Vozpack("--help").status, 0);
  EXPECT_EQ(Vozpack("pack x").status, 2);
  EXPECT_EQ(Vozpack("create --jobs 0 x y").status, 2);
  EXPECT_EQ(Vozpack("list").status, 2);
  Write(dir_ / "thirteen.char", "t");
  ToolRun create = Vozpack("create " + Path("p.voz") + " " + Path("thirteen.char"));
  EXPECT_EQ(create.status, 1);
  EXPECT_NE(create.output.find("is not an entry name"), std::string::npos) << create.output;
  EXPECT_FALSE(fs::exists(dir_ / "p.voz"));
}

}  // namespace
