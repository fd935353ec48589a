// Test support for sweeps over whole tables and files: hex numbers in
// messages, a counter that reports the first few mismatches of a sweep, and
// typed-in cells checked against a lookup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>

namespace zel_test {

// 0x8140 -> "8140".
std::string hex(std::uint32_t value);

// Reports the first ten mismatches of a sweep and, when it goes out of scope,
// how many there were, so a broken table does not print 65,536 failures.
class Mismatches {
 public:
  explicit Mismatches(std::string what) : what_(std::move(what)) {}
  Mismatches(const Mismatches&) = delete;
  Mismatches& operator=(const Mismatches&) = delete;
  ~Mismatches();
  void check(bool ok, const std::string& detail);
  std::size_t checked() const { return checked_; }

 private:
  std::string what_;
  std::size_t checked_ = 0;
  std::size_t count_ = 0;
};

// A code and what a table or function must give for it.
struct Cell {
  std::uint32_t code;
  std::uint32_t value;
  const char* why;
};

// Checks `read(code)` for every cell; messages name the code in hex behind
// `prefix` ("U+" for code units).
void check_cells(std::span<const Cell> cells,
                 const std::function<std::uint32_t(std::uint32_t)>& read, const char* prefix = "");

}  // namespace zel_test
