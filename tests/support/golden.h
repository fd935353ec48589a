// Test support for golden files: running their lines through an export one
// at a time or as one text, and the places where the library departs from
// the converter a file was written with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
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

// A golden file holds its source's answers unedited, empty where the source
// has none. Where the library departs from them is data in the test that
// reads the file: cells, one input each, and rules over many inputs.

// One input whose output the library gives differently, and why.
struct Deviation {
  const char* in_hex;
  const char* out_hex;
  const char* why;
};

// Departs for many inputs at once: from a line's input and the source's
// answer, the library's output, or nothing where the rule does not apply.
struct Rule {
  const char* why;
  std::function<std::optional<std::string>(const std::string& in, const std::string& source)> give;
};

// The rule for every input the source refuses: the library gives `out_hex`.
Rule refused_gives(const char* out_hex, const char* why);

// A rule's answer: `out` where the rule applies, else nothing.
std::optional<std::string> when(bool applies, const std::string& out);

// A golden file, how many lines it holds, and the library's departures from
// its source.
struct GoldenFile {
  const char* name;
  std::size_t lines;
  std::span<const Deviation> cells = {};
  std::span<const Rule> rules = {};
};

struct LibraryLines {
  std::vector<GoldenLine> lines;
  std::size_t answered = 0;            // lines the source has an answer for
  std::vector<std::size_t> rule_uses;  // lines each rule gave
};

// The source's lines with the library's output as each expectation: the
// cell that names the line's input, else the first rule that applies, else
// the source's answer (so an input the source refuses and nothing departs
// for expects no output). Fails where a cell names no line or more than one,
// and where a cell or a rule's use changes nothing: it no longer says
// anything about the source.
LibraryLines with_departures(const std::vector<GoldenLine>& source,
                             std::span<const Deviation> cells, std::span<const Rule> rules);

// with_departures over a golden file, which must hold `file.lines` lines;
// fails too where a rule gives no line.
LibraryLines library_lines(const GoldenFile& file);

// GBK output's private-use runs, which code page 936 lacks: U+E000..U+E29E
// from F8A0 and U+E2A0..U+E4DF from AAA0, 96 codes a lead (trails A0..FE,
// then the next lead's 40). The code `unit` has there, or nothing.
std::optional<std::string> gbk_private_use_code(std::uint16_t unit);
// Whether `code` is one of those runs' codes.
bool in_gbk_private_use_runs(const std::string& code);

}  // namespace zel_test
