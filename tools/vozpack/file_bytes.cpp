#include "file_bytes.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

std::runtime_error FileError(const std::filesystem::path &path, const char *what) {
  return std::runtime_error(path.string() + ": " + what + " (" + std::strerror(errno) + ")");
}

// Opens without blocking, so that a FIFO is refused instead of waited on;
// `*size` is the file's size.
int OpenRegularFile(const std::filesystem::path &path, uint64_t *size) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw FileError(path, "cannot be opened");
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    throw std::runtime_error(path.string() + ": is not a regular file");
  }
  *size = static_cast<uint64_t>(status.st_size);
  return fd;
}

// The temporary files being written, for the signal handler to remove. A
// slot's path is complete before it is marked in use, and both happen with
// the signals held back (SignalsHeld), so the handler never sees half a path.
const int kTemporarySlots = 4;
char temporaryPaths[kTemporarySlots][PATH_MAX];
volatile sig_atomic_t temporaryInUse[kTemporarySlots];
const int kCleanupSignals[] = {SIGHUP, SIGINT, SIGTERM};

// Only async-signal-safe calls: unlink, then the signal again with its
// default action (SA_RESETHAND restored it), so the program ends as it would
// have without this handler.
extern "C" void RemoveTemporariesAndDie(int signal) {
  for (int i = 0; i < kTemporarySlots; ++i)
    if (temporaryInUse[i]) unlink(temporaryPaths[i]);
  raise(signal);
}

// A signal ignored when the program started (nohup, a background job) stays
// ignored.
void InstallCleanupOnce() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = RemoveTemporariesAndDie;
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int signal : kCleanupSignals) {
    struct sigaction previous;
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
      sigaction(signal, &action, nullptr);
  }
}

class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : kCleanupSignals) sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld &) = delete;
  SignalsHeld &operator=(const SignalsHeld &) = delete;

 private:
  sigset_t previous_;
};

// Creates "<target>.part-XXXXXX" beside `target` with mkstemp (O_CREAT |
// O_EXCL: never through a link) and records it in a free slot. Returns the
// descriptor; `*slot` is the slot.
int CreateTemporary(const std::filesystem::path &target, int *slot) {
  const std::string pattern = target.string() + ".part-XXXXXX";
  if (pattern.size() >= PATH_MAX) throw std::runtime_error(target.string() + ": the path is too long");
  InstallCleanupOnce();
  SignalsHeld held;
  *slot = 0;
  while (*slot < kTemporarySlots && temporaryInUse[*slot]) ++*slot;
  if (*slot == kTemporarySlots) throw std::runtime_error(target.string() + ": too many files written at once");
  char *path = temporaryPaths[*slot];
  std::memcpy(path, pattern.c_str(), pattern.size() + 1);
  const int fd = mkstemp(path);
  if (fd < 0) throw FileError(target, "cannot be written: no temporary file beside it");
  temporaryInUse[*slot] = 1;
  return fd;
}

void ReleaseTemporary(int slot, bool remove) {
  SignalsHeld held;
  if (remove) unlink(temporaryPaths[slot]);
  temporaryInUse[slot] = 0;
}

// mkstemp makes the file readable by its owner only; an output gets the
// permissions a plain create would give it.
bool WriteAll(int fd, const Bytes &bytes) {
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(fd, 0666 & ~mask) != 0) return false;
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void RefuseIfNotRegular(const std::filesystem::path &path) {
  struct stat status;
  if (lstat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
    throw std::runtime_error(path.string() + ": is not a regular file (a link, FIFO, device or folder); left as it is");
}

}  // namespace

Bytes ReadFileBytes(const std::filesystem::path &path, size_t limit) {
  uint64_t size;
  const int fd = OpenRegularFile(path, &size);
  Bytes bytes;
  bytes.reserve(size < limit ? size : limit);
  uint8_t buffer[65536];
  ssize_t n = 0;
  while (bytes.size() <= limit && (n = read(fd, buffer, sizeof buffer)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  const int readError = n < 0 ? errno : 0;
  close(fd);
  errno = readError;
  if (readError) throw FileError(path, "cannot be read");
  return bytes;
}

MappedFile::MappedFile(const std::filesystem::path &path) {
  const int fd = OpenRegularFile(path, &size_);
  if (size_ > 0) {
    void *mapping = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    const int mapError = errno;
    close(fd);
    errno = mapError;
    if (mapping == MAP_FAILED) throw FileError(path, "cannot be read");
    madvise(mapping, size_, MADV_SEQUENTIAL);
    data_ = static_cast<const uint8_t *>(mapping);
  } else {
    close(fd);
  }
}

MappedFile::~MappedFile() {
  if (data_) munmap(const_cast<uint8_t *>(data_), size_);
}

void WriteFileBytes(const std::filesystem::path &path, const Bytes &bytes) {
  RefuseIfNotRegular(path);
  int slot;
  const int fd = CreateTemporary(path, &slot);
  bool written = WriteAll(fd, bytes);
  written = close(fd) == 0 && written;
  if (!written || std::rename(temporaryPaths[slot], path.c_str()) != 0) {
    std::runtime_error error = FileError(path, "cannot be written");
    ReleaseTemporary(slot, true);
    throw error;
  }
  ReleaseTemporary(slot, false);
}
