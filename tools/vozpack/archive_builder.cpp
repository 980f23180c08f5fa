#include "archive_builder.h"

#include <atomic>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <thread>

#include "gbk_text.h"
#include "progress_bar.h"

namespace {

// The layout byte this tool gives short-layout archives; readers take any
// byte but '0' as the short layout.
const char kShortLayoutByte = '1';

void CheckNames(const std::vector<SourceFile> &files, std::set<std::string> names) {
  for (const SourceFile &file : files) {
    if (file.entryName.find('\0') != std::string::npos || !IsWritableEntryName(file.entryName.c_str()))
      throw std::runtime_error(file.hostPath + ": \"" + file.entryName +
                               "\" is not an entry name (1 to 12 bytes, no \\ / :, not . .. or a device name)");
    if (!names.insert(file.entryName).second)
      throw std::runtime_error(file.hostPath + ": the name " + file.entryName + " is already in the archive");
  }
}

// Every entry's zlib stream, compressed by `jobs` threads that each take the
// next entry not yet taken.
std::vector<Bytes> CompressAll(const std::vector<SourceFile> &files, unsigned jobs, ProgressBar *progress) {
  std::vector<Bytes> streams(files.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < files.size(); i = next++) {
      streams[i] = CompressEntry(files[i].content);
      if (progress) progress->Advance(files[i].content.size());
    }
  };
  std::vector<std::thread> threads;
  for (unsigned j = 1; j < jobs && j < files.size(); ++j) threads.emplace_back(work);
  work();
  for (std::thread &thread : threads) thread.join();
  return streams;
}

void AppendEntry(Bytes *archive, const SourceFile &file, const Bytes &stream, Layout layout) {
  if (layout == Layout::kLong) {
    uint8_t header[kLongEntryHeaderSize];
    ComposeLongEntryHeader(header, file.entryName.c_str(), DigestText(file.content).c_str(),
                           static_cast<uint32_t>(stream.size()));
    archive->insert(archive->end(), header, header + sizeof header);
  } else {
    uint8_t header[kShortEntryHeaderSize];
    ComposeShortEntryHeader(header, file.entryName.c_str(), static_cast<uint32_t>(stream.size()));
    archive->insert(archive->end(), header, header + sizeof header);
  }
  archive->insert(archive->end(), stream.begin(), stream.end());
}

void UpdateHeader(Bytes *archive, char layoutByte, uint32_t count) {
  if (archive->size() > UINT32_MAX) throw std::runtime_error("the archive would pass 4 GB");
  ComposeArchiveHeader(archive->data(), layoutByte, static_cast<uint32_t>(archive->size()), count);
}

std::string EntryName(const ArchiveEntry &entry) {
  char name[kLongNameFieldSize + 1];
  CopyEntryName(&entry, name, sizeof name);
  return name;
}

// An entry found after the counted ones is kept only if it is one that
// append itself would have written: a writable, new name and a content the
// installer can use.
void CheckUncountedEntry(const ArchiveEntry &entry, std::set<std::string> *names) {
  const std::string name = EntryName(entry);
  Bytes content;
  std::string problem;
  if (!IsWritableEntryName(name.c_str())) problem = "it has no usable name";
  else if (!names->insert(name).second) problem = "its name is already in the archive";
  else ReadEntryContent(entry, &content, &problem);
  if (!problem.empty())
    throw std::runtime_error("the entry " + Printable(GbkToUtf8(name)) + " after the counted ones cannot be kept: " + problem +
                             "; nothing was added");
}

// Where the kept part of a complete walk's archive ends: after the whole
// entries that follow the counted ones when `recover` (counted in
// `*recovered`), else after the counted ones, which is refused when whole
// entries follow them. Bytes of a partial entry after them are dropped.
uint64_t KeepUncountedEntries(const ArchiveWalk &walk, bool recover, std::set<std::string> *names, uint32_t *recovered) {
  *recovered = 0;
  const uint64_t end = WalkUncountedEntries(walk, [&](const ArchiveEntry &entry) {
    if (recover) CheckUncountedEntry(entry, names);
    ++*recovered;
  });
  if (recover || *recovered == 0) return end;
  throw std::runtime_error("the archive has " + std::to_string(*recovered) + " whole entries after the " +
                           std::to_string(walk.count) +
                           " it counts (an append that was cut short); nothing was added. "
                           "append --recover counts them in");
}

}  // namespace

Bytes BuildArchive(const std::vector<SourceFile> &files, Layout layout, unsigned jobs, ProgressBar *progress) {
  CheckNames(files, {});
  std::vector<Bytes> streams = CompressAll(files, jobs == 0 ? 1 : jobs, progress);
  Bytes archive(kArchiveHeaderSize);
  for (size_t i = 0; i < files.size(); ++i) AppendEntry(&archive, files[i], streams[i], layout);
  UpdateHeader(&archive, layout == Layout::kLong ? kLongLayoutByte : kShortLayoutByte, static_cast<uint32_t>(files.size()));
  return archive;
}

uint64_t WalkUncountedEntries(ArchiveWalk walk, const std::function<void(const ArchiveEntry &)> &visit) {
  ArchiveEntry entry;
  walk.count = UINT32_MAX;  // every header that follows is taken as counted
  while (NextArchiveEntry(&walk, &entry)) visit(entry);
  return walk.offset;
}

AppendResult AppendToArchiveBytes(Bytes *archive, const std::vector<SourceFile> &files, bool recover) {
  ArchiveWalk walk;
  ArchiveEntry entry;
  if (!BeginArchiveWalk(&walk, archive->data(), archive->size()) || !walk.longLayout)
    throw std::runtime_error("files can be added only to an archive in the long layout");
  std::set<std::string> names;
  while (NextArchiveEntry(&walk, &entry)) names.insert(EntryName(entry));
  if (walk.end != kWalkComplete) throw std::runtime_error("the archive is damaged; nothing was added");
  AppendResult result;
  const uint64_t kept = KeepUncountedEntries(walk, recover, &names, &result.recovered);
  result.droppedBytes = archive->size() - kept;
  CheckNames(files, names);
  Bytes grown(archive->begin(), archive->begin() + static_cast<ptrdiff_t>(kept));
  std::vector<Bytes> streams = CompressAll(files, 1, nullptr);
  for (size_t i = 0; i < files.size(); ++i) AppendEntry(&grown, files[i], streams[i], Layout::kLong);
  UpdateHeader(&grown, kLongLayoutByte, walk.count + result.recovered + static_cast<uint32_t>(files.size()));
  archive->swap(grown);
  return result;
}
