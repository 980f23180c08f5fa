// pack_bench: packing the demo payload on every core against one core.
//
//   pack_bench [LIST_FILE] [RUNS]
//
// Builds the package from the files the list names (default: the demo
// payload's list) with one compression thread and with one per core, checks
// that both archives are the same bytes, and prints the best of RUNS runs of
// each (default 3) and the speed-up.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "archive_builder.h"
#include "source_files.h"

namespace {

using Clock = std::chrono::steady_clock;

double TimeBuild(const std::vector<SourceFile> &files, unsigned jobs, int runs, Bytes *archive) {
  double best = 1e9;
  for (int run = 0; run < runs; ++run) {
    Clock::time_point start = Clock::now();
    *archive = BuildArchive(files, Layout::kLong, jobs, nullptr);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char **argv) {
  const std::filesystem::path list =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(VOZ_PAYLOAD_FILES).parent_path() / "package.lst";
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::vector<SourceFile> files = ReadSourceFiles(ListedFiles(list));
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  Bytes sequential, parallel;
  const double one = TimeBuild(files, 1, runs, &sequential);
  const double all = TimeBuild(files, cores, runs, &parallel);
  std::printf("payload: %zu files from %s\n", files.size(), list.c_str());
  std::printf("1 thread: %.3f s, %u threads: %.3f s, speed-up %.2f, best of %d runs\n", one, cores, all, one / all, runs);
  std::printf("archives identical: %s (%zu bytes)\n", sequential == parallel ? "yes" : "NO", parallel.size());
  return sequential == parallel ? 0 : 1;
}
