#include "cli/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zelconv {
namespace {

#ifdef _WIN32
using file_stat = struct _stat64;
int stat_path(const char* path, file_stat* st) { return _stat64(path, st); }
int stat_file(std::FILE* f, file_stat* st) { return _fstat64(_fileno(f), st); }
bool is_regular(const file_stat& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }
#else
using file_stat = struct stat;
int stat_path(const char* path, file_stat* st) { return ::stat(path, st); }
int stat_file(std::FILE* f, file_stat* st) { return ::fstat(fileno(f), st); }
bool is_regular(const file_stat& st) { return S_ISREG(st.st_mode); }
#endif

// A new file next to `path`, made exclusively so that no other file is
// clobbered; null with errno set when none can be made.
std::FILE* create_temporary(const std::string& path, std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
#ifdef _WIN32
    name =
        path + ".zelconv-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
    const int fd =
        _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    name = path + ".zelconv-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    if (fd >= 0) {
#ifdef _WIN32
      std::FILE* f = _fdopen(fd, "wb");
#else
      std::FILE* f = fdopen(fd, "wb");
#endif
      if (f) return f;
      const int saved = errno;
#ifdef _WIN32
      _close(fd);
#else
      close(fd);
#endif
      std::remove(name.c_str());
      errno = saved;
      return nullptr;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// Replaces `to` with `from`. rename() on Windows refuses an existing target.
bool replace_file(const char* from, const char* to) {
#ifdef _WIN32
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  errno = EACCES;
  return false;
#else
  return std::rename(from, to) == 0;
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
  const bool exists = stat_path(path.c_str(), &st) == 0;
  if (exists && !is_regular(st)) {
    // A device or a pipe is written as it is: renaming over it would
    // replace it with a regular file.
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) error_ = errno;
    return file_ != nullptr;
  }
  file_ = create_temporary(path, temp_);
  if (!file_) {
    error_ = errno;
    return false;
  }
#ifndef _WIN32
  if (exists) fchmod(fileno(file_), st.st_mode & 07777);
#endif
  return true;
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
    if (ok && !replace_file(temp_.c_str(), path_.c_str())) {
      saved = errno;
      ok = false;
    }
    if (!ok) std::remove(temp_.c_str());
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
  if (!temp_.empty()) std::remove(temp_.c_str());
  temp_.clear();
}

std::string output::describe() const { return is_stdout() ? "standard output" : "'" + path_ + "'"; }

input::~input() {
  if (file_ && file_ != stdin) std::fclose(file_);
}

bool input::open(const std::string& path) {
  path_ = path;
  file_ = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (!file_) {
    error_ = errno;
    return false;
  }
  file_stat st;
  if (stat_file(file_, &st) == 0 && is_regular(st)) size_ = static_cast<std::uint64_t>(st.st_size);
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
