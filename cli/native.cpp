#include "cli/native.h"

#include <fcntl.h>

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

// A descriptor of a file just made at `path`, as a stream; on failure the
// file is gone again.
std::FILE* as_stream(int fd, const std::string& path) {
  if (fd < 0) return nullptr;
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
  remove_file(path);
  errno = saved;
  return nullptr;
}

}  // namespace

#ifdef _WIN32

namespace {

std::wstring wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string narrow(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();  // the terminating NUL
  return out;
}

}  // namespace

std::FILE* open_file(const std::string& path, const char* mode) {
  return _wfopen(wide(path).c_str(), wide(mode).c_str());
}

bool stat_path(const std::string& path, file_stat& st) {
  return _wstat64(wide(path).c_str(), &st) == 0;
}

bool stat_file(std::FILE* f, file_stat& st) { return _fstat64(_fileno(f), &st) == 0; }

bool is_regular(const file_stat& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }

std::FILE* create_new_file(const std::string& path) {
  return as_stream(
      _wopen(wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE),
      path);
}

// _wrename refuses an existing target.
bool replace_file(const std::string& from, const std::string& to) {
  if (MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = EACCES;
  return false;
}

void remove_file(const std::string& path) { _wremove(wide(path).c_str()); }

std::string follow_links(const std::string& path) { return path; }

bool identify(const std::string& path, file_id& id) {
  // Directories open only with backup semantics; sharing everything keeps
  // this look from getting in anyone's way.
  HANDLE h =
      CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!ok) return false;
  id.device = info.dwVolumeSerialNumber;
  id.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

std::vector<std::string> utf8_arguments(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(narrow(argv[i]));
  return args;
}

#else

std::FILE* open_file(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool stat_path(const std::string& path, file_stat& st) { return ::stat(path.c_str(), &st) == 0; }

bool stat_file(std::FILE* f, file_stat& st) { return ::fstat(fileno(f), &st) == 0; }

bool is_regular(const file_stat& st) { return S_ISREG(st.st_mode); }

std::FILE* create_new_file(const std::string& path) {
  return as_stream(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666), path);
}

bool replace_file(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

void remove_file(const std::string& path) { ::unlink(path.c_str()); }

std::string follow_links(const std::string& path) {
  std::string at = path;
  // As many links as the system itself follows before it gives up (ELOOP):
  // past that, the path is left for open to refuse.
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    std::string to(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    const ssize_t n = ::readlink(at.c_str(), to.data(), to.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= to.size()) return at;
    to.resize(static_cast<std::size_t>(n));
    // A relative link counts from the folder the link is in.
    const std::size_t slash = at.rfind('/');
    at = to[0] == '/' || slash == std::string::npos ? to : at.substr(0, slash + 1) + to;
  }
  return path;
}

bool identify(const std::string& path, file_id& id) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  id.device = static_cast<std::uint64_t>(st.st_dev);
  id.index = static_cast<std::uint64_t>(st.st_ino);
  return true;
}

#endif

}  // namespace zelconv
