#include "file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

std::runtime_error FileError(const std::filesystem::path &path, const char *what) {
  return std::runtime_error(path.string() + ": " + what + " (" + std::strerror(errno) + ")");
}

}  // namespace

Bytes ReadFileBytes(const std::filesystem::path &path) {
  FILE *file = std::fopen(path.c_str(), "rb");
  if (!file) throw FileError(path, "cannot be opened");
  Bytes bytes;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw FileError(path, "cannot be read");
  return bytes;
}

void WriteFileBytes(const std::filesystem::path &path, const Bytes &bytes) {
  std::filesystem::path temporary = path;
  temporary += ".part";
  FILE *file = std::fopen(temporary.c_str(), "wb");
  if (!file) throw FileError(temporary, "cannot be created");
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = std::fclose(file) == 0 && written;
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::runtime_error error = FileError(path, "cannot be written");
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    throw error;
  }
}
