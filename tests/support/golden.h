// Test support for golden files: running their lines through an export one
// at a time or as one text, and the places where the library departs from
// the converter a file was written with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "tests/support/conversion.h"

namespace zel_test {

// One export on one text.
using Runner = std::function<std::string(const std::string&)>;
Runner through(convert_fn fn, int id);
Runner through(string_fn fn);

// Each line's input alone must give its expectation; reports the first ten
// lines that differ.
void check_each_alone(const Runner& run, const std::vector<GoldenLine>& lines);

// The lines' inputs as one text must give their expectations in order;
// reports the first ten lines whose part differs.
void check_as_one_text(const Runner& run, const std::vector<GoldenLine>& lines);

// check_as_one_text through zel_code_unicode for charset `id`, and the UTF-8
// export must give the same text in UTF-8.
void check_decoding(int id, const std::vector<GoldenLine>& lines);

// Where the library departs from the converter a golden file came from: the
// input of charset `id` and the one unit the library gives for it.
struct Difference {
  int id;
  const char* in_hex;
  std::uint16_t unit;
  const char* why;
};

// A golden file whose empty expectations mean the converter refused the
// input, with the library's own expectation put in every line.
struct LibraryLines {
  std::vector<GoldenLine> lines;
  std::size_t accepted = 0;  // lines the converter decodes
};

// The lines of charset `id` with the library's expectations: the
// converter's answer; `refused(input)` where the converter has none; the
// listed difference where one names the line's id and input, counted in
// `used` (one count a difference).
LibraryLines with_differences(const std::vector<GoldenLine>& lines, int id,
                              const std::function<std::uint16_t(const std::string&)>& refused,
                              std::span<const Difference> differences, std::vector<int>& used);

// Each difference must have applied exactly once, or it no longer says
// anything about the file.
void check_each_used_once(std::span<const Difference> differences, const std::vector<int>& used);

}  // namespace zel_test
