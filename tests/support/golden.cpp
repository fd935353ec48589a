#include "tests/support/golden.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

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

std::optional<std::string> when(bool applies, const std::string& out) {
  return applies ? std::optional<std::string>(out) : std::nullopt;
}

Rule refused_gives(const char* out_hex, const char* why) {
  const std::string out = from_hex(out_hex);
  return {why, [out](const std::string&, const std::string& source) {
            return when(source.empty(), out);
          }};
}

LibraryLines with_departures(const std::vector<GoldenLine>& source,
                             std::span<const Deviation> cells, std::span<const Rule> rules) {
  std::map<std::string, std::size_t> cell_of;
  for (std::size_t c = 0; c < cells.size(); ++c)
    EXPECT_TRUE(cell_of.emplace(from_hex(cells[c].in_hex), c).second)
        << cells[c].in_hex << " is listed twice";
  std::vector<std::size_t> cell_uses(cells.size(), 0);
  Mismatches bad("departures that change nothing");
  LibraryLines out;
  out.rule_uses.assign(rules.size(), 0);
  for (const GoldenLine& line : source) {
    out.answered += !line.expected.empty();
    std::optional<std::string> want;
    std::string why;
    if (auto c = cell_of.find(line.given); c != cell_of.end()) {
      ++cell_uses[c->second];
      want = from_hex(cells[c->second].out_hex);
      why = cells[c->second].why;
    }
    for (std::size_t r = 0; r < rules.size() && !want; ++r) {
      want = rules[r].give(line.given, line.expected);
      if (want) ++out.rule_uses[r], why = rules[r].why;
    }
    if (want)
      bad.check(*want != line.expected, to_hex(line.given) + ": the source gives " +
                                            to_hex(line.expected) + " already (" + why + ")");
    out.lines.push_back({line.given, want.value_or(line.expected)});
  }
  for (std::size_t c = 0; c < cells.size(); ++c)
    EXPECT_EQ(cell_uses[c], 1u) << cells[c].in_hex << " (" << cells[c].why
                                << ") should name one line";
  return out;
}

LibraryLines library_lines(const GoldenFile& file) {
  SCOPED_TRACE(file.name);
  const std::vector<GoldenLine> source = read_golden(file.name);
  EXPECT_EQ(source.size(), file.lines);
  LibraryLines out = with_departures(source, file.cells, file.rules);
  for (std::size_t r = 0; r < file.rules.size(); ++r)
    EXPECT_GT(out.rule_uses[r], 0u) << "no line for the rule: " << file.rules[r].why;
  return out;
}

std::optional<std::string> gbk_private_use_code(std::uint16_t unit) {
  unsigned k, lead;
  if (unit >= 0xE000 && unit <= 0xE29E) {
    k = unit - 0xE000, lead = 0xF8;
  } else if (unit >= 0xE2A0 && unit <= 0xE4DF) {
    k = unit - 0xE2A0, lead = 0xAA;
  } else {
    return std::nullopt;
  }
  lead += k / 96;
  if (k % 96 == 95) return std::string{static_cast<char>(lead + 1), '\x40'};
  return std::string{static_cast<char>(lead), static_cast<char>(0xA0 + k % 96)};
}

bool in_gbk_private_use_runs(const std::string& code) {
  static const std::set<std::string> codes = [] {
    std::set<std::string> all;
    for (unsigned unit = 0xE000; unit <= 0xE4DF; ++unit)
      if (auto c = gbk_private_use_code(static_cast<std::uint16_t>(unit))) all.insert(*c);
    return all;
  }();
  return codes.count(code) != 0;
}

}  // namespace zel_test
