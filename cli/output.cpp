#include "cli/output.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include "cli/native.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zelconv {
namespace {

#ifndef _WIN32
// The temporary file being written, for a signal that ends the run: the
// handler may only make async-signal-safe calls, so the name waits in a
// fixed buffer. Signals are blocked while it changes.
char pending_temp[4096];
volatile std::sig_atomic_t have_pending_temp = 0;

constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ};

extern "C" void remove_temp_and_end(int sig) {
  if (have_pending_temp) unlink(pending_temp);
  // SA_RESETHAND restored the default action: the signal, blocked while
  // this runs, ends the process as it would have without us.
  raise(sig);
}

// Once, before the first temporary: a signal that was ignored when zelconv
// started (nohup, or a test that wants the write error) stays ignored.
void install_handlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (int sig : ending_signals) {
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction now;
    std::memset(&now, 0, sizeof now);
    now.sa_handler = remove_temp_and_end;
    sigemptyset(&now.sa_mask);
    now.sa_flags = SA_RESETHAND;
    sigaction(sig, &now, nullptr);
  }
}

// Blocks the ending signals for its lifetime.
class signals_held {
 public:
  signals_held() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : ending_signals) sigaddset(&set, sig);
    sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~signals_held() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
  signals_held(const signals_held&) = delete;
  signals_held& operator=(const signals_held&) = delete;

 private:
  sigset_t old_;
};

void set_pending(const std::string& name) {
  // A name too long for the buffer is not removed by a signal; it is by
  // everything else.
  if (name.size() >= sizeof pending_temp) return;
  std::memcpy(pending_temp, name.c_str(), name.size() + 1);
  have_pending_temp = 1;
}
void clear_pending() { have_pending_temp = 0; }
#else
// Windows ends a process on Ctrl+C without a signal a handler can rely on.
void install_handlers() {}
struct signals_held {
  signals_held() {}
};
void set_pending(const std::string&) {}
void clear_pending() {}
#endif

// The folder part of `path`, with its last separator; empty for a bare name.
std::string folder_of(const std::string& path) {
#ifdef _WIN32
  const std::size_t end = path.find_last_of("/\\:");
#else
  const std::size_t end = path.rfind('/');
#endif
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

// A new file in the folder of `path`, so that renaming it over `path` is
// atomic, made exclusively so that no other file is clobbered; null with
// errno set when none can be made. Its name is short whatever the file's:
// one the file system takes for the file may be too long with more added.
std::FILE* create_temporary(const std::string& path, std::string& name) {
  install_handlers();
#ifdef _WIN32
  const unsigned long pid = GetCurrentProcessId();
#else
  const long pid = static_cast<long>(getpid());
#endif
  const std::string folder = folder_of(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + ".zelconv-" + std::to_string(pid) + "-" + std::to_string(attempt);
    signals_held held;
    if (std::FILE* f = create_new_file(name)) {
      set_pending(name);
      return f;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// The replaced file's owner, group and permissions, on the temporary that
// replaces it. Only root may give a file away; others keep what they may.
bool keep_attributes(std::FILE* f, const file_stat& st) {
#ifdef _WIN32
  (void)f;
  (void)st;
  return true;
#else
  // Owner first: changing it clears the set-user-ID and set-group-ID bits.
  if (fchown(fileno(f), st.st_uid, st.st_gid) != 0 && errno != EPERM) return false;
  return fchmod(fileno(f), st.st_mode & 07777) == 0;
#endif
}

}  // namespace

output::~output() { abandon(); }

bool output::open(const std::string& path) {
  path_ = path;
  if (is_stdout()) {
    file_ = stdout;
    return true;
  }
  file_stat st;
  if (stat_path(path, st) && !is_regular(st)) {
    // A device or a pipe is written as it is: renaming over it would
    // replace it with a regular file.
    file_ = open_file(path, "wb");
    if (!file_) error_ = errno;
    return file_ != nullptr;
  }
  // The temporary goes next to the file a link points to, so that the
  // rename replaces that file and leaves the link.
  target_ = follow_links(path);
  const bool exists = stat_path(target_, st);
  file_ = create_temporary(target_, temp_);
  if (file_ && exists && !keep_attributes(file_, st)) {
    error_ = errno;
    abandon();
    return false;
  }
  if (!file_) error_ = errno;
  return file_ != nullptr;
}

bool output::write(const std::uint8_t* data, std::size_t n) {
  if (failed_) return false;
  if (std::fwrite(data, 1, n, file_) == n) return true;
  failed_ = true;
  error_ = errno;
  return false;
}

bool output::commit() {
  if (!file_) return false;
  bool ok = !failed_;
  int saved = error_;
  if (std::fflush(file_) != 0 || std::ferror(file_)) {
    if (ok) saved = errno;
    ok = false;
  }
  if (file_ != stdout) {
    if (std::fclose(file_) != 0 && ok) {
      saved = errno;
      ok = false;
    }
  }
  file_ = nullptr;
  if (!temp_.empty()) {
    signals_held held;
    if (ok && !replace_file(temp_, target_)) {
      saved = errno;
      ok = false;
    }
    if (!ok) remove_file(temp_);
    clear_pending();
    temp_.clear();
  }
  error_ = saved;
  errno = saved;
  return ok;
}

void output::abandon() {
  if (file_ && file_ != stdout) std::fclose(file_);
  if (file_ == stdout) std::fflush(stdout);
  file_ = nullptr;
  if (!temp_.empty()) {
    signals_held held;
    remove_file(temp_);
    clear_pending();
  }
  temp_.clear();
}

std::string output::describe() const { return is_stdout() ? "standard output" : "'" + path_ + "'"; }

input::~input() {
  if (file_ && file_ != stdin) std::fclose(file_);
}

bool input::open(const std::string& path) {
  path_ = path;
  file_ = path == "-" ? stdin : open_file(path, "rb");
  if (!file_) {
    error_ = errno;
    return false;
  }
  file_stat st;
  if (stat_file(file_, st) && is_regular(st)) size_ = static_cast<std::uint64_t>(st.st_size);
  return true;
}

std::size_t input::read(std::uint8_t* into, std::size_t n) {
  const std::size_t got = std::fread(into, 1, n, file_);
  if (got < n && std::ferror(file_)) error_ = errno;
  return got;
}

bool input::failed() const { return std::ferror(file_) != 0; }

std::string input::describe() const { return path_ == "-" ? "standard input" : "'" + path_ + "'"; }

}  // namespace zelconv
