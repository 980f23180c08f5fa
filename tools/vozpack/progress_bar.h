// A progress bar on the terminal for long work: drawn on standard error only
// when it is a terminal, safe to advance from several threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class ProgressBar {
 public:
  ProgressBar(std::string label, uint64_t total);
  ~ProgressBar();  // completes the line
  ProgressBar(const ProgressBar &) = delete;
  ProgressBar &operator=(const ProgressBar &) = delete;

  void Advance(uint64_t amount);

 private:
  void Draw(int permille);

  std::string label_;
  uint64_t total_;
  uint64_t done_ = 0;
  int drawn_ = -1;
  bool enabled_;
  std::mutex mutex_;
};
