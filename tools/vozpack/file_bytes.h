// Whole files as bytes on the host: read, mapped, and written through a
// temporary file that no one else can plant or predict.
#pragma once

#include <cstdint>
#include <filesystem>

#include "entry_codec.h"

// Reads a regular file, stopping once it has more than `limit` bytes (the
// caller then sees a size above the limit and need not read the rest).
// Throws std::runtime_error naming the file when it cannot be read or is not
// a regular file (a FIFO would block, a device would never end).
Bytes ReadFileBytes(const std::filesystem::path &path, size_t limit = SIZE_MAX);

// A regular file mapped read-only, so that an archive of any size costs
// address space, not memory. Throws std::runtime_error as ReadFileBytes.
class MappedFile {
 public:
  explicit MappedFile(const std::filesystem::path &path);
  ~MappedFile();
  MappedFile(const MappedFile &) = delete;
  MappedFile &operator=(const MappedFile &) = delete;

  const uint8_t *data() const { return data_; }
  uint64_t size() const { return size_; }

 private:
  const uint8_t *data_ = nullptr;
  uint64_t size_ = 0;
};

// Writes `bytes` to `path` through a temporary file beside it, created
// exclusively under a name no one can predict, then renamed over `path`; a
// failed write never leaves a half file under the target's name, and no link
// planted beside it is ever followed. An existing `path` that is not a
// regular file (a link, a FIFO, a device, a folder) is refused and left as
// it is. The temporary file is removed on failure and when SIGINT, SIGTERM
// or SIGHUP ends the program. One thread at a time may write. Throws
// std::runtime_error naming the file.
void WriteFileBytes(const std::filesystem::path &path, const Bytes &bytes);
