// Archives for the archive tests, laid out byte by byte from the format's
// description with zlib and OpenSSL (not with the program's writer), and a
// simulated machine with an installation directory and a working buffer.
#pragma once

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/install_dir.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "support/test_machine.h"

namespace archive_fixtures {

inline std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

inline std::string Compress(const std::string &content) {
  uLongf length = compressBound(static_cast<uLong>(content.size()));
  std::string stream(length, '\0');
  compress(reinterpret_cast<Bytef *>(&stream[0]), &length, reinterpret_cast<const Bytef *>(content.data()),
           static_cast<uLong>(content.size()));
  stream.resize(length);
  return stream;
}

inline std::string Md5Text(const std::string &content) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(content.data(), content.size(), digest, &length, EVP_md5(), nullptr);
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned i = 0; i < length; ++i) text += {kHex[digest[i] >> 4], kHex[digest[i] & 15]};
  return text;
}

// A name field of `size` bytes: the raw `name` bytes, then `filler`.
inline std::string NameField(const std::string &name, size_t size, char filler = '\0') {
  std::string field = name.substr(0, size);
  field.resize(size, filler);
  return field;
}

// A long entry (56-byte header) with the content's digest unless `digest`
// is given; `stream` replaces the compressed content when given.
inline std::string LongEntry(const std::string &name, const std::string &content, const std::string *digest = nullptr,
                             const std::string *stream = nullptr) {
  const std::string data = stream ? *stream : Compress(content);
  std::string digestField = digest ? *digest : Md5Text(content);
  digestField.resize(34, '\0');
  return "CF" + NameField(name, 16) + digestField + Le32(static_cast<uint32_t>(data.size())) + data;
}

// A short entry (20-byte header) whose name is followed by 0xCC filler, as
// other archive makers write it.
inline std::string ShortEntry(const std::string &name, const std::string &content) {
  const std::string data = Compress(content);
  return "CF" + NameField(name + '\0', 14, '\xCC') + Le32(static_cast<uint32_t>(data.size())) + data;
}

// The archive header with the given first two bytes and count, the total
// computed, followed by the entries.
inline std::string Archive(const std::string &mark, uint32_t count, const std::vector<std::string> &entries) {
  std::string body;
  for (const std::string &entry : entries) body += entry;
  return mark + Le32(static_cast<uint32_t>(10 + body.size())) + Le32(count) + body;
}

inline std::string LongArchive(const std::vector<std::pair<std::string, std::string>> &files) {
  std::vector<std::string> entries;
  for (const auto &file : files) entries.push_back(LongEntry(file.first, file.second));
  return Archive("C0", static_cast<uint32_t>(files.size()), entries);
}

inline const BYTE *BytesOf(const std::string &archive) { return reinterpret_cast<const BYTE *>(archive.data()); }

// A win10-x64 machine with C:\Program Files\morvak8\ as installation
// directory (created), the working buffer allocated and the progress at 0.
class ArchiveMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ComputeInstallDir();
    machine_->files.MakeDirectories(kInstallDir);
    ASSERT_EQ(AllocateWorkingBuffer(), 1);
    progress.step = 0;
    progress.total = 0;
  }
  void TearDown() override {
    FreeWorkingBuffer();
    carriedPackage.data = nullptr;
    carriedPackage.size = 0;
  }

  std::string InstalledFile(const std::string &name) {
    std::string content;
    EXPECT_TRUE(machine_->files.ReadFile(kInstallDir + name, &content)) << name;
    return content;
  }
  bool Installed(const std::string &name) { return machine_->files.Exists(kInstallDir + name); }
  void Install(const std::string &name, const std::string &content) {
    machine_->files.WriteFile(kInstallDir + name, content);
  }
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const sim::Event &event : machine_->events.OfKind("messagebox")) texts.push_back(event.Field("text"));
    return texts;
  }

  const std::string kInstallDir = "C:\\Program Files\\morvak8\\";
  testing_support::ScopedMachine machine_;
};

}  // namespace archive_fixtures
