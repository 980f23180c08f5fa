// Seeing every change the host makes in a set of watched folders: an entry
// created, deleted or renamed in or out, written, or given other
// permissions or times; the folder itself deleted or renamed. The kernel queues each
// change as the call that makes it returns, so reading the queue after an
// input sees all that input changed, at the cost of one read instead of a
// walk over the whole tree. Linux only (inotify), like the fuzz build.
#pragma once

#include <filesystem>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fuzz_machine {

class TreeWatch {
 public:
  // Aborts when the kernel gives no watch queue: a fuzzer that could not see
  // changes would pass inputs it should have failed.
  TreeWatch();
  ~TreeWatch();
  TreeWatch(const TreeWatch &) = delete;
  TreeWatch &operator=(const TreeWatch &) = delete;

  // Watches `folder` alone; changes in folders below it are not seen, but
  // creating, deleting or renaming them is.
  void WatchFolder(const std::filesystem::path &folder);
  // Watches `top` and every folder below it except `excluded` and what lies
  // below that. A folder made later is seen being made, not watched.
  void WatchTree(const std::filesystem::path &top, const std::filesystem::path &excluded);

  // One change: the entry's host path (the folder's own for a change to
  // the folder itself) and the inotify bits saying what happened.
  struct Change {
    std::filesystem::path path;
    uint32_t what;
  };
  // The changes queued since the last call, in order; the queue is empty
  // afterwards. A queue that overflowed gives a change with an empty path:
  // changes were lost.
  std::vector<Change> TakeChanges();
  // "host path: what happened".
  static std::string Describe(const Change &change);

 private:
  int fd_ = -1;
  std::map<int, std::filesystem::path> folders_;  // by watch descriptor
};

}  // namespace fuzz_machine
