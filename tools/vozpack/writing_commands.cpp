// create and append: the commands that write archives.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "archive_builder.h"
#include "commands.h"
#include "file_bytes.h"
#include "progress_bar.h"
#include "source_files.h"

namespace {

struct CreateOptions {
  Layout layout = Layout::kLong;
  unsigned jobs = 0;  // 0: every core
  std::string archive;
  std::string listFile;
  Arguments sources;
};

unsigned ParseJobs(const std::string &text) {
  char *end = nullptr;
  unsigned long jobs = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end || jobs == 0 || jobs > 1024) throw UsageError{"--jobs takes a number from 1 to 1024"};
  return static_cast<unsigned>(jobs);
}

CreateOptions ParseCreate(const Arguments &arguments) {
  CreateOptions options;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string &argument = arguments[i];
    bool hasValue = i + 1 < arguments.size();
    if (argument == "--short") {
      options.layout = Layout::kShort;
    } else if (argument == "--jobs" || argument == "--list") {
      if (!hasValue) throw UsageError{argument + " needs a value"};
      if (argument == "--jobs") options.jobs = ParseJobs(arguments[++i]);
      else options.listFile = arguments[++i];
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw UsageError{"create: unknown option " + argument};
    } else if (options.archive.empty()) {
      options.archive = argument;
    } else {
      options.sources.push_back(argument);
    }
  }
  if (options.archive.empty()) throw UsageError{"create needs the archive to write"};
  if (options.sources.empty() == options.listFile.empty())
    throw UsageError{"create needs a folder, files, or --list FILE (one of them)"};
  return options;
}

struct AppendOptions {
  bool recover = false;
  std::filesystem::path archive;
  std::vector<std::filesystem::path> files;
};

AppendOptions ParseAppend(const Arguments &arguments) {
  AppendOptions options;
  options.recover = !arguments.empty() && arguments[0] == "--recover";
  const size_t next = options.recover ? 1 : 0;
  if (arguments.size() < next + 2) throw UsageError{"append needs the archive and at least one file"};
  if (arguments[next].size() > 1 && arguments[next][0] == '-')
    throw UsageError{"append: unknown option " + arguments[next]};
  options.archive = arguments[next];
  options.files.assign(arguments.begin() + static_cast<ptrdiff_t>(next) + 1, arguments.end());
  return options;
}

std::vector<std::filesystem::path> SourcePaths(const CreateOptions &options) {
  if (!options.listFile.empty()) return ListedFiles(options.listFile);
  if (options.sources.size() == 1 && std::filesystem::is_directory(options.sources[0]))
    return FolderFiles(options.sources[0]);
  return {options.sources.begin(), options.sources.end()};
}

uint64_t TotalSize(const std::vector<SourceFile> &files) {
  uint64_t total = 0;
  for (const SourceFile &file : files) total += file.content.size();
  return total;
}

}  // namespace

int RunCreate(const Arguments &arguments) {
  CreateOptions options = ParseCreate(arguments);
  std::vector<SourceFile> files = ReadSourceFiles(SourcePaths(options));
  unsigned jobs = options.jobs ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  Bytes archive;
  {
    ProgressBar progress("compressing", TotalSize(files));
    archive = BuildArchive(files, options.layout, jobs, &progress);
  }
  WriteFileBytes(options.archive, archive);
  std::printf("%s: %zu entries, %zu bytes (%s layout)\n", options.archive.c_str(), files.size(), archive.size(),
              options.layout == Layout::kLong ? "long" : "short");
  return 0;
}

int RunAppend(const Arguments &arguments) {
  const AppendOptions options = ParseAppend(arguments);
  std::vector<SourceFile> files = ReadSourceFiles(options.files);
  Bytes archive;
  if (std::filesystem::exists(options.archive)) {
    archive = ReadFileBytes(options.archive);
  } else {
    archive.resize(kArchiveHeaderSize);
    ComposeArchiveHeader(archive.data(), kLongLayoutByte, kArchiveHeaderSize, 0);
  }
  const AppendResult result = AppendToArchiveBytes(&archive, files, options.recover);
  WriteFileBytes(options.archive, archive);
  const char *name = options.archive.c_str();
  if (result.recovered) std::printf("%s: %u entries after the counted ones recovered\n", name, result.recovered);
  if (result.droppedBytes)
    std::printf("%s: %llu bytes of a partial entry at the end dropped\n", name,
                static_cast<unsigned long long>(result.droppedBytes));
  std::printf("%s: %zu entries added, %zu bytes\n", name, files.size(), archive.size());
  return 0;
}
