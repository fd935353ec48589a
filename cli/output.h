// Where converted text goes: standard output, a device or pipe written as it
// is, or a regular file written through a temporary next to it and renamed
// over it at the end, so that a failed run never leaves half a file. A run
// ended by a signal removes the temporary too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zelconv {

class output {
 public:
  output() = default;
  output(const output&) = delete;
  output& operator=(const output&) = delete;
  ~output();

  // Opens `path` ("-": standard output). A symbolic link is written
  // through. A file that exists keeps its permissions when replaced, and its
  // owner and group where the system lets us set them. False with errno set
  // when it cannot.
  bool open(const std::string& path);
  bool write(const std::uint8_t* data, std::size_t n);
  // Flushes and, for a temporary, renames it over the target. False with
  // errno set when it cannot; the temporary is then gone.
  bool commit();
  // Drops a temporary; standard output and devices keep what they got.
  void abandon();

  // How messages name it: "standard output" or the path in quotes.
  std::string describe() const;
  bool is_stdout() const { return path_ == "-"; }
  // The errno of the last failure.
  int error() const { return error_; }

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string target_;  // the file replaced: path_ past its symbolic links
  std::string temp_;    // empty when writing straight to the target
  bool failed_ = false;
  int error_ = 0;
};

// Input from a path ("-": standard input), read in blocks.
class input {
 public:
  input() = default;
  input(const input&) = delete;
  input& operator=(const input&) = delete;
  ~input();

  bool open(const std::string& path);
  // Reads up to n bytes; fewer only at the end or on an error (see failed()).
  std::size_t read(std::uint8_t* into, std::size_t n);
  bool failed() const;
  // The errno of a failed open or read.
  int error() const { return error_; }
  // The size when known (a regular file), else 0.
  std::uint64_t size() const { return size_; }
  std::string describe() const;

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
  std::uint64_t size_ = 0;
  int error_ = 0;
};

}  // namespace zelconv
