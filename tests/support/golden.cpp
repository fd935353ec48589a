#include "tests/support/golden.h"

#include <gtest/gtest.h>

#include "tests/support/sweep.h"

namespace zel_test {

Runner through(convert_fn fn, int id) {
  return [fn, id](const std::string& in) { return convert(fn, id, in); };
}

Runner through(string_fn fn) {
  return [fn](const std::string& in) { return run_in_place(fn, in); };
}

void check_each_alone(const Runner& run, const std::vector<GoldenLine>& lines) {
  Mismatches bad("lines alone");
  for (const GoldenLine& line : lines) {
    const std::string got = run(line.given);
    bad.check(got == line.expected,
              to_hex(line.given) + " gives " + to_hex(got) + ", expected " + to_hex(line.expected));
  }
}

namespace {

// The lines' inputs, and their expectations, each run together.
GoldenLine joined(const std::vector<GoldenLine>& lines) {
  GoldenLine all;
  for (const GoldenLine& line : lines) {
    all.given += line.given;
    all.expected += line.expected;
  }
  return all;
}

}  // namespace

void check_as_one_text(const Runner& run, const std::vector<GoldenLine>& lines) {
  const GoldenLine all = joined(lines);
  const std::string got = run(all.given);
  ASSERT_EQ(got.size(), all.expected.size()) << "all lines as one text";
  Mismatches bad("lines as one text");
  std::size_t at = 0;
  for (const GoldenLine& line : lines) {
    const std::size_t n = line.expected.size();
    bad.check(got.compare(at, n, line.expected) == 0, to_hex(line.given) + " gives " +
                                                          to_hex(got.substr(at, n)) +
                                                          ", expected " + to_hex(line.expected));
    at += n;
  }
}

void check_decoding(int id, const std::vector<GoldenLine>& lines) {
  check_as_one_text(through(zel_code_unicode, id), lines);
  const GoldenLine all = joined(lines);
  EXPECT_TRUE(convert(zel_code_utf8, id, all.given) == utf8_of_pivot(all.expected))
      << "the UTF-8 export differs from the expected pivot text's UTF-8";
}

LibraryLines with_differences(const std::vector<GoldenLine>& lines, int id,
                              const std::function<std::uint16_t(const std::string&)>& refused,
                              std::span<const Difference> differences, std::vector<int>& used) {
  used.resize(differences.size(), 0);
  LibraryLines out;
  for (const GoldenLine& line : lines) {
    std::string want = line.expected;
    if (want.empty()) {
      want = unit_bytes(refused(line.given));
    } else {
      ++out.accepted;
    }
    for (std::size_t d = 0; d < differences.size(); ++d) {
      if (differences[d].id == id && from_hex(differences[d].in_hex) == line.given) {
        want = unit_bytes(differences[d].unit);
        ++used[d];
      }
    }
    out.lines.push_back({line.given, want});
  }
  return out;
}

void check_each_used_once(std::span<const Difference> differences, const std::vector<int>& used) {
  ASSERT_EQ(used.size(), differences.size());
  for (std::size_t d = 0; d < used.size(); ++d)
    EXPECT_EQ(used[d], 1) << differences[d].in_hex << ": " << differences[d].why;
}

}  // namespace zel_test
