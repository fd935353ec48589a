// The file system calls zelconv makes, with file names in UTF-8 everywhere.
// Windows' narrow calls read names in the ANSI code page, which cannot spell
// most names, so there they go through the wide-character calls.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zelconv {

#ifdef _WIN32
using file_stat = struct _stat64;
#else
using file_stat = struct stat;
#endif

std::FILE* open_file(const std::string& path, const char* mode);
// False with errno set when the path cannot be examined.
bool stat_path(const std::string& path, file_stat& st);
bool stat_file(std::FILE* f, file_stat& st);
bool is_regular(const file_stat& st);
// A new file opened for writing, made only if nothing has the name yet;
// null with errno set otherwise. Readable and writable by all, less umask.
std::FILE* create_new_file(const std::string& path);
// Renames `from` over `to`. False with errno set when it cannot.
bool replace_file(const std::string& from, const std::string& to);
void remove_file(const std::string& path);

// The path a write through `path` reaches: past each symbolic link, to the
// file it names or would create. The path itself where there is no link.
std::string follow_links(const std::string& path);

// What tells two paths to one file apart from two files.
struct file_id {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const file_id&) const = default;
};
// False when the path names nothing that can be examined.
bool identify(const std::string& path, file_id& id);

#ifdef _WIN32
// The command line as UTF-8, from wmain's arguments.
std::vector<std::string> utf8_arguments(int argc, wchar_t** argv);
#endif

}  // namespace zelconv
