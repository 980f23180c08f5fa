#include "tree_watch.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <sys/inotify.h>
#include <unistd.h>

namespace fuzz_machine {

namespace {

// Every change to the folder's entries and to the folder itself; opening and
// reading change nothing and are left out.
const uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB |
                          IN_DELETE_SELF | IN_MOVE_SELF;

std::string WhatChanged(uint32_t mask) {
  static const struct {
    uint32_t bit;
    const char *what;
  } kNames[] = {{IN_CREATE, "created"},      {IN_DELETE, "deleted"},          {IN_MOVED_FROM, "renamed away"},
                {IN_MOVED_TO, "renamed in"}, {IN_MODIFY, "written"},          {IN_ATTRIB, "metadata changed"},
                {IN_DELETE_SELF, "deleted"}, {IN_MOVE_SELF, "renamed away"}, {IN_Q_OVERFLOW, "changes lost"},
                {IN_IGNORED, "no longer watched"}};
  std::string what;
  for (const auto &name : kNames)
    if (mask & name.bit) what += std::string(what.empty() ? "" : ", ") + name.what;
  return what;
}

[[noreturn]] void Fail(const char *what, const std::filesystem::path &path) {
  std::fprintf(stderr, "tree watch: %s %s failed (errno %d)\n", what, path.c_str(), errno);
  std::abort();
}

}  // namespace

TreeWatch::TreeWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (fd_ < 0) Fail("inotify_init1", "");
}

TreeWatch::~TreeWatch() { close(fd_); }

void TreeWatch::WatchFolder(const std::filesystem::path &folder) {
  const int watch = inotify_add_watch(fd_, folder.c_str(), kChanges | IN_ONLYDIR);
  if (watch < 0) Fail("watching", folder);
  folders_[watch] = folder;
}

void TreeWatch::WatchTree(const std::filesystem::path &top, const std::filesystem::path &excluded) {
  WatchFolder(top);
  for (auto it = std::filesystem::recursive_directory_iterator(top); it != std::filesystem::end(it); ++it) {
    if (!it->is_directory() || it->is_symlink()) continue;
    if (it->path() == excluded) {
      it.disable_recursion_pending();
      continue;
    }
    WatchFolder(it->path());
  }
}

std::vector<TreeWatch::Change> TreeWatch::TakeChanges() {
  alignas(inotify_event) char buffer[4096];
  std::vector<Change> changes;
  ssize_t got;
  while ((got = read(fd_, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at < got;) {
      const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
      const auto folder = folders_.find(event->wd);
      std::filesystem::path path = folder != folders_.end() ? folder->second : "";
      if (event->len) path /= event->name;
      changes.push_back({path, event->mask});
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (got < 0 && errno != EAGAIN) Fail("reading the watch queue of", "");
  return changes;
}

std::string TreeWatch::Describe(const Change &change) { return change.path.string() + ": " + WhatChanged(change.what); }

}  // namespace fuzz_machine
