#include "progress_bar.h"

#include <unistd.h>

#include <cstdio>

namespace {
const int kBarWidth = 30;
}

ProgressBar::ProgressBar(std::string label, uint64_t total)
    : label_(std::move(label)), total_(total), enabled_(isatty(STDERR_FILENO) == 1) {
  if (enabled_) Draw(0);
}

ProgressBar::~ProgressBar() {
  if (!enabled_) return;
  Draw(1000);
  std::fputc('\n', stderr);
}

void ProgressBar::Advance(uint64_t amount) {
  if (!enabled_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  done_ += amount;
  int permille = total_ == 0 ? 1000 : static_cast<int>(done_ * 1000 / total_);
  // Redraw only when the figure shown changes, so that small steps cost nothing.
  if (permille / 10 != drawn_ / 10) Draw(permille > 1000 ? 1000 : permille);
}

void ProgressBar::Draw(int permille) {
  drawn_ = permille;
  int filled = permille * kBarWidth / 1000;
  std::string bar(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(kBarWidth - filled), '.');
  std::fprintf(stderr, "\r%s [%s] %3d%%", label_.c_str(), bar.c_str(), permille / 10);
  std::fflush(stderr);
}
