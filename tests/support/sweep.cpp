#include "tests/support/sweep.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace zel_test {

std::string hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
  return text;
}

void Mismatches::check(bool ok, const std::string& detail) {
  ++checked_;
  if (ok) return;
  if (++count_ <= 10) ADD_FAILURE() << what_ << ": " << detail;
}

Mismatches::~Mismatches() {
  EXPECT_EQ(count_, 0u) << what_ << ": mismatches among " << checked_ << " checked";
}

void check_cells(std::span<const Cell> cells,
                 const std::function<std::uint32_t(std::uint32_t)>& read, const char* prefix) {
  for (const Cell& c : cells)
    EXPECT_EQ(read(c.code), c.value) << prefix << hex(c.code) << ": " << c.why;
}

}  // namespace zel_test
