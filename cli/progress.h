// A progress bar on standard error for long conversions, drawn only when
// standard error is a terminal and the input is large: a script reading
// zelconv's messages never sees it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zelconv {

// Inputs at least this large get a bar (a few MB).
inline constexpr std::uint64_t progress_threshold = std::uint64_t{4} << 20;

bool stderr_is_terminal();
bool stdout_is_terminal();

class progress {
 public:
  // total: the input's size, or 0 when unknown (a pipe); then the bar
  // counts bytes once past the threshold.
  progress(bool enabled, std::string name, std::uint64_t total);
  progress(const progress&) = delete;
  progress& operator=(const progress&) = delete;
  ~progress();

  void advance(std::size_t n);
  // Clears the bar's line.
  void done();

  // The line drawn for `done` of `total` bytes (total 0: unknown), without
  // its leading carriage return; width is the bar's in cells.
  static std::string line(const std::string& name, std::uint64_t done, std::uint64_t total,
                          int width);

 private:
  void draw();

  bool enabled_;
  bool shown_ = false;
  std::string name_;
  std::uint64_t total_;
  std::uint64_t done_ = 0;
  std::chrono::steady_clock::time_point next_draw_{};
};

}  // namespace zelconv
