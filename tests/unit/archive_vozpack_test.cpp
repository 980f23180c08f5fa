// The archive tool: what it writes, what it finds wrong, and its exit codes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "package/archive_format.h"
#include "support/test_machine.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status;
  std::string output;
  long peakKilobytes;  // the tool's largest resident set, from wait4
};

// Runs the tool with a time limit, so that a command that blocks (on a FIFO)
// fails its test instead of hanging the suite.
// The shell execs the time limit, which runs the tool as its child, so the
// rusage of the process waited for covers the tool.
ToolRun Vozpack(const std::string &arguments) {
  ToolRun run{-1, "", -1};
  int out[2];
  if (pipe(out) != 0) return run;
  const std::string command = "exec timeout 20 " + std::string(VOZPACK) + " " + arguments + " 2>&1";
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char *>(nullptr));
    _exit(127);
  }
  close(out[1]);
  char buffer[4096];
  ssize_t n;
  while (child > 0 && (n = read(out[0], buffer, sizeof buffer)) > 0) run.output.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  struct rusage usage {};
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKilobytes = usage.ru_maxrss;
  }
  return run;
}

std::string Read(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Write(const fs::path &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// The names in a folder, links and FIFOs included, in byte order.
std::string FolderNames(const fs::path &folder) {
  std::vector<std::string> names;
  for (const auto &item : fs::directory_iterator(folder)) names.push_back(item.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const std::string &name : names) joined += name + " ";
  return joined;
}

const uint32_t kCapacity = kLargestInstallableEntry;

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// A zlib stream of `size` zero bytes, made a block at a time, so that a
// stream of any size costs the test no memory.
std::string ZerosStream(size_t size) {
  static const Bytef kZeros[1 << 16] = {};
  z_stream zlib{};
  deflateInit(&zlib, Z_BEST_COMPRESSION);
  std::string stream;
  Bytef out[1 << 12];
  for (int result = Z_OK; result != Z_STREAM_END;) {
    const size_t block = std::min(size, sizeof kZeros);
    zlib.next_in = const_cast<Bytef *>(kZeros);
    zlib.avail_in = static_cast<uInt>(block);
    size -= block;
    do {
      zlib.next_out = out;
      zlib.avail_out = sizeof out;
      result = deflate(&zlib, size == 0 ? Z_FINISH : Z_NO_FLUSH);
      stream.append(reinterpret_cast<char *>(out), sizeof out - zlib.avail_out);
    } while (zlib.avail_out == 0);
  }
  deflateEnd(&zlib);
  return stream;
}

// A long-layout entry the tool would not write: any stream, a digest of zeros.
std::string CraftedEntry(const std::string &name, const std::string &stream) {
  std::string field = name;
  field.resize(kLongNameFieldSize + kDigestTextLength, '\0');
  field.replace(kLongNameFieldSize, kDigestTextLength, kDigestTextLength, '0');
  return "CF" + field + std::string(2, '\0') + Le32(static_cast<uint32_t>(stream.size())) + stream;
}

// A long-layout archive whose header counts `count` of the entries in `body`.
std::string CountedArchive(uint32_t count, const std::string &body) {
  return "C0" + Le32(static_cast<uint32_t>(kArchiveHeaderSize + body.size())) + Le32(count) + body;
}

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
  // The entry the tool itself makes of a file `name` holding `content`.
  std::string EntryOf(const std::string &name, const std::string &content) {
    fs::create_directories(dir_ / "entry");
    Write(dir_ / "entry" / name, content);
    EXPECT_EQ(Vozpack("create " + Path("entry.voz") + " " + Path("entry/" + name)).status, 0) << name;
    fs::remove_all(dir_ / "entry");
    return Read(dir_ / "entry.voz").substr(kArchiveHeaderSize);
  }

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

TEST_F(VozpackTest, EveryReadingCommandStopsInflatingAtTheInstallersCapacity) {
  // Three entries of 48 MB of zeros each (about 47 KB stored), and the
  // largest content the installer takes and one byte more. A tool that
  // inflated a bomb whole would hold its 48 MB at once.
  const long kBombKilobytes = 48 << 10;
  const std::string bomb = ZerosStream(kBombKilobytes << 10);
  std::string entries = EntryOf("full.dat", std::string(kCapacity, 'f')) +
                        CraftedEntry("over.dat", ZerosStream(kCapacity + 1));
  for (const char *name : {"b1", "b2", "b3"}) entries += CraftedEntry(name, bomb);
  Write(dir_ / "bomb.voz", CountedArchive(5, entries));
  for (const std::string command : {"list", "verify", "extract"}) {
    ToolRun run = Vozpack(command + " " + Path("bomb.voz") + " " + (command == "list" ? "" : Path("out")));
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_GT(run.peakKilobytes, 0) << command;
    EXPECT_LT(run.peakKilobytes, kBombKilobytes) << command;
    const std::string tooLarge = "inflates to more than " + std::to_string(kCapacity) + " bytes";
    for (const char *name : {"b1", "b2", "b3", "over.dat"})
      EXPECT_NE(run.output.find(name + std::string(command == "list" ? "" : ":")), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(tooLarge), std::string::npos) << command << run.output;
    EXPECT_EQ(run.output.find("zlib stream is damaged"), std::string::npos) << command << run.output;
  }
  EXPECT_EQ(Read(dir_ / "out" / "full.dat"), std::string(kCapacity, 'f'));
  EXPECT_EQ(FolderNames(dir_ / "out"), "full.dat ");
}

TEST_F(VozpackTest, WritesNeverGoThroughLinksPlantedBesideOrAtTheOutput) {
  Write(dir_ / "outside", "keep");
  fs::create_directories(dir_ / "out");
  fs::create_symlink("../outside", dir_ / "out" / "a.txt.part");
  ASSERT_EQ(Vozpack("create " + Path("p.voz") + " " + Path("in")).status, 0);
  ToolRun extract = Vozpack("extract " + Path("p.voz") + " " + Path("out"));
  EXPECT_EQ(extract.status, 0) << extract.output;
  EXPECT_EQ(Read(dir_ / "out" / "a.txt"), "alpha");
  EXPECT_EQ(FolderNames(dir_ / "out"), u8"a.txt a.txt.part b.dat 小天使.voz ");
  // Written files get the permissions a plain create gives, not the
  // temporary file's owner-only ones.
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(fs::status(dir_ / "out" / "a.txt").permissions(), static_cast<fs::perms>(0666 & ~mask));

  const std::string archive = Read(dir_ / "p.voz");
  fs::create_symlink("p.voz", dir_ / "linked.voz");
  ASSERT_EQ(mkfifo((dir_ / "fifo.voz").c_str(), 0600), 0);
  Write(dir_ / "new.txt", "new");
  for (const char *target : {"linked.voz", "fifo.voz"}) {
    for (const std::string command : {"create", "append"}) {
      ToolRun run = Vozpack(command + " " + Path(target) + " " + Path("new.txt"));
      EXPECT_EQ(run.status, 1) << command << " " << target;
      EXPECT_NE(run.output.find(std::string(target) + ": is not a regular file"), std::string::npos) << run.output;
    }
  }
  EXPECT_EQ(Read(dir_ / "outside"), "keep");
  EXPECT_EQ(Read(dir_ / "p.voz"), archive);
  EXPECT_TRUE(fs::is_symlink(dir_ / "linked.voz"));
  EXPECT_EQ(FolderNames(dir_), "fifo.voz in linked.voz new.txt out outside p.voz ");
}

TEST_F(VozpackTest, CreateAndAppendRefuseWhatTheInstallerRefuses) {
  Write(dir_ / "empty.dat", "");
  Write(dir_ / "full.dat", std::string(kCapacity, 'f'));
  Write(dir_ / "over.dat", std::string(kCapacity + 1, 'o'));
  ASSERT_EQ(mkfifo((dir_ / "fifo.dat").c_str(), 0600), 0);
  Write(dir_ / "fifo.lst", "fifo.dat\n");
  fs::create_directories(dir_ / "mixed" / "sub");
  Write(dir_ / "mixed" / "a.dat", "a");
  ASSERT_EQ(mkfifo((dir_ / "mixed" / "fifo.dat").c_str(), 0600), 0);
  fs::create_symlink("nowhere", dir_ / "mixed" / "gone.dat");
  const struct {
    const char *sources;
    const char *message;
  } kRefused[] = {
      {"full.dat empty.dat", "empty.dat: refused: it is empty"},
      {"full.dat over.dat", "over.dat: refused: it is larger than 2097008 bytes"},
      {"full.dat fifo.dat", "fifo.dat: is not a regular file"},
      {"--list fifo.dat", "fifo.dat: is not a regular file"},
      {"--list fifo.lst", "fifo.dat: is not a regular file"},
      {"mixed", "mixed/fifo.dat: is not a regular file, left out"},
      {"mixed", "mixed/gone.dat: is not a regular file, left out"},
  };
  for (const auto &row : kRefused) {
    std::istringstream words(row.sources);
    std::string arguments, word;
    while (words >> word) arguments += " " + (word[0] == '-' ? word : Path(word));
    ToolRun create = Vozpack("create " + Path("p.voz") + arguments);
    EXPECT_EQ(create.status, 1) << row.sources;
    EXPECT_NE(create.output.find(row.message), std::string::npos) << create.output;
    EXPECT_FALSE(fs::exists(dir_ / "p.voz")) << row.sources;
  }
  ASSERT_EQ(Vozpack("append " + Path("back.voz") + " " + Path("full.dat")).status, 0);
  const std::string before = Read(dir_ / "back.voz");
  ToolRun append = Vozpack("append " + Path("back.voz") + " " + Path("empty.dat"));
  EXPECT_EQ(append.status, 1);
  EXPECT_NE(append.output.find("empty.dat: refused: it is empty"), std::string::npos) << append.output;
  EXPECT_EQ(Read(dir_ / "back.voz"), before);
}

TEST_F(VozpackTest, ListSaysWhyEachEntryIsBadWarnsAndEscapesNames) {
  const std::string good = EntryOf("a.txt", "alpha"), late = EntryOf("late.txt", "late");
  std::string up = EntryOf("up", "up"), sum = EntryOf("sum.txt", "sum");
  up.replace(kEntryNameOffset, 2, "..");
  sum[kDigestOffset] = sum[kDigestOffset] == 'A' ? 'B' : 'A';
  const std::string bad = CountedArchive(5, good + up + EntryOf("red\x1B[31m", "ink") + sum + good) + late +
                          late.substr(0, 30);
  Write(dir_ / "bad.voz", bad);
  ToolRun list = Vozpack("list " + Path("bad.voz"));
  EXPECT_EQ(list.status, 1);
  for (const char *expected : {"..", "BAD: not a plain file name", "red\\x1B[31m", "sum.txt",
                               "BAD: its content does not match its digest", "warning: entry 5 has the name a.txt of entry 1",
                               "bytes after the last counted entry: 1 whole entries and a partial one"})
    EXPECT_NE(list.output.find(expected), std::string::npos) << expected << "\n" << list.output;
  EXPECT_NE(list.output.find("warning: " + std::to_string(late.size() + 30) + " bytes"), std::string::npos);
  EXPECT_EQ(list.output.find('\x1B'), std::string::npos) << list.output;
  EXPECT_EQ(list.output.find("late.txt"), std::string::npos) << list.output;

  // Warnings alone leave the status at 0: the installer uses such an archive.
  Write(dir_ / "tail.voz", CountedArchive(1, good) + late);
  ToolRun tail = Vozpack("list " + Path("tail.voz"));
  EXPECT_EQ(tail.status, 0) << tail.output;
  const std::string warning = "warning: " + std::to_string(late.size()) + " bytes after the last counted entry: 1 whole entries (";
  EXPECT_NE(tail.output.find(warning), std::string::npos) << tail.output;
}

TEST_F(VozpackTest, AppendCountsInEntriesAfterTheCountedOnesOnlyWithRecover) {
  const std::string counted = CountedArchive(1, EntryOf("a.txt", "alpha"));
  const std::string whole = EntryOf("late.txt", "late");
  std::string damaged = whole;
  damaged[kDigestOffset] = damaged[kDigestOffset] == 'A' ? 'B' : 'A';
  const std::string cut = counted + whole + whole.substr(0, 30);
  Write(dir_ / "cut.voz", cut);
  ToolRun refused = Vozpack("append " + Path("cut.voz") + " " + Path("in/b.dat"));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("1 whole entries after the 1 it counts"), std::string::npos) << refused.output;
  EXPECT_NE(refused.output.find("--recover"), std::string::npos) << refused.output;
  EXPECT_EQ(Read(dir_ / "cut.voz"), cut);

  Write(dir_ / "damaged.voz", counted + damaged);
  ToolRun recoverDamaged = Vozpack("append --recover " + Path("damaged.voz") + " " + Path("in/b.dat"));
  EXPECT_EQ(recoverDamaged.status, 1);
  EXPECT_NE(recoverDamaged.output.find("late.txt after the counted ones cannot be kept: its content does not match"),
            std::string::npos)
      << recoverDamaged.output;

  ToolRun recovered = Vozpack("append --recover " + Path("cut.voz") + " " + Path("in/b.dat"));
  EXPECT_EQ(recovered.status, 0) << recovered.output;
  EXPECT_NE(recovered.output.find("1 entries after the counted ones recovered"), std::string::npos) << recovered.output;
  EXPECT_NE(recovered.output.find("30 bytes of a partial entry at the end dropped"), std::string::npos)
      << recovered.output;
  const std::string grown = Read(dir_ / "cut.voz");
  EXPECT_EQ(grown.substr(6, 4), std::string("\x03\0\0\0", 4));
  EXPECT_EQ(grown.substr(counted.size(), whole.size()), whole);
  ToolRun list = Vozpack("list " + Path("cut.voz"));
  EXPECT_EQ(list.status, 0) << list.output;
  EXPECT_EQ(list.output.find("warning"), std::string::npos) << list.output;
}

TEST_F(VozpackTest, ExtractWritesWhatItCanAndNamesEveryEntryItCouldNot) {
  ASSERT_EQ(Vozpack("create " + Path("p.voz") + " " + Path("in")).status, 0);
  Write(dir_ / "outside", "keep");
  fs::create_directories(dir_ / "out" / "a.txt");
  ASSERT_EQ(mkfifo((dir_ / "out" / "b.dat").c_str(), 0600), 0);
  ToolRun extract = Vozpack("extract " + Path("p.voz") + " " + Path("out"));
  EXPECT_EQ(extract.status, 1);
  const size_t first = extract.output.find("a.txt: not written: ");
  const size_t second = extract.output.find("b.dat: not written: ");
  const size_t summary = extract.output.find("1 files written");
  EXPECT_NE(first, std::string::npos) << extract.output;
  EXPECT_NE(second, std::string::npos) << extract.output;
  EXPECT_LT(std::max(first, second), summary) << extract.output;
  EXPECT_EQ(Read(dir_ / "out" / u8"小天使.voz"), "skin");
  EXPECT_TRUE(fs::is_directory(dir_ / "out" / "a.txt"));
  EXPECT_TRUE(fs::is_fifo(dir_ / "out" / "b.dat"));
}

}  // namespace
