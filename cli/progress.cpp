#include "cli/progress.h"

#include <cstdio>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zelconv {
namespace {

constexpr int bar_width = 30;
// Redrawn at most this often: a terminal write per block would cost more
// than the conversion of small blocks.
constexpr auto redraw_every = std::chrono::milliseconds(100);

std::string mebibytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

}  // namespace

namespace {

bool is_terminal(std::FILE* f) {
#ifdef _WIN32
  return _isatty(_fileno(f)) != 0;
#else
  return isatty(fileno(f)) != 0;
#endif
}

}  // namespace

bool stderr_is_terminal() { return is_terminal(stderr); }
bool stdout_is_terminal() { return is_terminal(stdout); }

progress::progress(bool enabled, std::string name, std::uint64_t total)
    : enabled_(enabled), name_(std::move(name)), total_(total) {
  if (total_ != 0 && total_ < progress_threshold) enabled_ = false;
}

progress::~progress() { done(); }

void progress::advance(std::size_t n) {
  done_ += n;
  if (!enabled_ || (total_ == 0 && done_ < progress_threshold)) return;
  const auto now = std::chrono::steady_clock::now();
  if (now < next_draw_) return;
  next_draw_ = now + redraw_every;
  draw();
}

void progress::draw() {
  std::fprintf(stderr, "\r%s", line(name_, done_, total_, bar_width).c_str());
  std::fflush(stderr);
  shown_ = true;
}

void progress::done() {
  if (!shown_) return;
  const std::string blank(line(name_, done_, total_, bar_width).size(), ' ');
  std::fprintf(stderr, "\r%s\r", blank.c_str());
  std::fflush(stderr);
  shown_ = false;
}

std::string progress::line(const std::string& name, std::uint64_t done, std::uint64_t total,
                           int width) {
  std::string text = "zelconv: " + name + " ";
  if (total == 0) return text + mebibytes(done);
  if (done > total) done = total;
  const auto filled = static_cast<int>(done * static_cast<std::uint64_t>(width) / total);
  text += '[';
  text.append(static_cast<std::size_t>(filled), '#');
  text.append(static_cast<std::size_t>(width - filled), '.');
  char percent[16];
  std::snprintf(percent, sizeof percent, "] %3d%% ", static_cast<int>(done * 100 / total));
  return text + percent + mebibytes(done) + " of " + mebibytes(total);
}

}  // namespace zelconv
