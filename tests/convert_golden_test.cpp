// zel_convert both ways against Python's codecs, glibc's iconv and the other
// references of tools/testdata/make_golden_convert.py. A charset's file
// holds N lines of UTF-8 with what the reference writes for them (the last
// one with characters the charset lacks, written as '?'), then N lines of
// the reference's bytes with the UTF-8 it reads from them. Each line runs
// alone and, where the charset keeps no state between characters, each half
// runs as one text. Where the library departs from a reference is listed
// here by charset, with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <ostream>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "tests/support/conversion.h"
#include "tests/support/golden.h"

namespace {

using zel_test::Deviation;
using zel_test::GoldenLine;
using zel_test::Rule;
using zel_test::when;

// Python writes UTF-16 and UTF-32 with a mark little-endian; the library
// writes big-endian after a mark, as its decoders read a text without one.
template <std::size_t Unit>
const Rule big_endian_after_mark = {
    "a big-endian mark and units, where Python writes them little-endian",
    [](const std::string&, const std::string& source) {
      std::string out = source;
      for (std::size_t at = 0; at + Unit <= out.size(); at += Unit)
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(at),
                     out.begin() + static_cast<std::ptrdiff_t>(at + Unit));
      return when(source.starts_with(Unit == 2 ? "\xFF\xFE" : std::string("\xFF\xFE\0\0", 4)), out);
    }};
const Rule utf16_mark[] = {big_endian_after_mark<2>};
const Rule utf32_mark[] = {big_endian_after_mark<4>};

const Rule gb2312_escape[] = {
    {"GB 2312 designated by ESC $ A as RFC 1554 has it, where Python writes ESC $ ( A",
     [](const std::string&, const std::string& source) {
       std::string out = source;
       for (std::size_t at; (at = out.find("\x1B$(A")) != std::string::npos;) out.erase(at + 2, 1);
       return when(out != source, out);
     }}};

const Rule iso2022cn_end[] = {
    {"no SI at the end of a text already shifted in to ASCII, where glibc writes one more",
     [](const std::string&, const std::string& source) {
       if (source.size() < 2 || !source.ends_with("\x0F")) return when(false, source);
       const std::size_t earlier_si = source.rfind('\x0F', source.size() - 2);
       const std::size_t last_so = source.rfind('\x0E');
       const bool extra = earlier_si != std::string::npos &&
                          (last_so == std::string::npos || last_so < earlier_si);
       return when(extra, source.substr(0, source.size() - 1));
     }}};

// CNS 11643 plane 3 is Unihan's kCNS1992 mapping (its golden file is the
// oracle here), which lacks many of the characters glibc puts there.
bool plane3(const std::string& code) { return code.size() == 4 && code.starts_with("\x8E\xA3"); }
bool unihan_plane3(const std::string& code) {
  static const std::set<std::string> codes = [] {
    std::set<std::string> held;
    for (const GoldenLine& line : zel_test::read_golden("cns_plane3_unihan_golden.txt"))
      if (!line.expected.empty()) held.insert(line.given);
    return held;
  }();
  return codes.count(code) != 0;
}
const Rule cns_plane3_to[] = {
    {"a character glibc writes in plane 3 that Unihan does not place there is lacking",
     [](const std::string&, const std::string& source) {
       return when(plane3(source) && !unihan_plane3(source), "?");
     }}};
const Rule cns_plane3_from[] = {{"a plane 3 code Unihan does not map has no character",
                                 [](const std::string& in, const std::string&) {
                                   return when(plane3(in) && !unihan_plane3(in), "\xEF\xBF\xBD");
                                 }}};

const Deviation pivot_to[] = {{"61 F09F9880 62 F0A08080 63", "61 00 FD FF 62 00 FD FF 63 00",
                               "the pivot holds no character beyond U+FFFF: U+FFFD stands in"}};
const Deviation shift_jis_to[] = {
    {"5C", "81 5F", "JIS X 0208's reverse solidus: byte 0x5C is JIS X 0201's yen sign"},
    {"7E", "3F", "no tilde: byte 0x7E is JIS X 0201's overline"},
    {"7F", "3F", "JIS X 0201 has no 0x7F"}};
const Deviation shift_jis_from[] = {{"5C", "C2 A5", "JIS X 0201 Roman's yen sign"},
                                    {"7E", "E2 80 BE", "JIS X 0201 Roman's overline"},
                                    {"7F", "EF BF BD", "JIS X 0201 has no 0x7F"}};
const Deviation escape_to[] = {{"1B", "3F", "a lone ESC would begin an escape sequence"}};
const Deviation koi8_ru_to[] = {{"E2 95 9D", "3F", "0xAE is KOI8-RU's short u, not KOI8-U's box"},
                                {"E2 95 AC", "3F", "0xBE is KOI8-RU's capital short u"}};
const Deviation koi8_ru_from[] = {{"AE", "D1 9E", "KOI8-RU's Belarusian short u"},
                                  {"BE", "D0 8E", "KOI8-RU's capital short u"}};
const Deviation cp1133_to[] = {{"C2 A0", "A0", "the no-break space at 0xA0, glibc's at 0xFF"}};
const Deviation cp1133_from[] = {{"DF", "E2 82 AD", "the kip sign, where glibc reads a letter"},
                                 {"FF", "EF BF BD", "empty, where glibc reads a no-break space"}};
constexpr const char* older = "the older punctuation, where glibc has the newer";
const Deviation armscii_to[] = {
    {"D5 9A", "3F", older}, {"D6 87", "3F", older}, {"D6 8A", "3F", older}};
const Deviation armscii_from[] = {{"A2", "C2 A7", older}, {"AD", "D5 9F", older}};
constexpr const char* thai = "one private-use character where Perl writes the mark and a hint";
const Deviation macthai_to[] = {{"E2 81 A0", "3F", "0xDB is the zero-width no-break space"}};
// clang-format off
const Deviation macthai_from[] = {
    {"83", "EF A2 8C", thai}, {"84", "EF A2 8F", thai}, {"86", "EF A2 95", thai},
    {"87", "EF A2 98", thai}, {"88", "EF A2 8B", thai}, {"89", "EF A2 8E", thai},
    {"8A", "EF A2 91", thai}, {"8C", "EF A2 97", thai}, {"8F", "EF A2 99", thai},
    {"93", "EF A2 89", thai}, {"94", "EF A2 85", thai}, {"95", "EF A2 86", thai},
    {"96", "EF A2 87", thai}, {"97", "EF A2 88", thai}, {"99", "EF A2 8D", thai},
    {"9A", "EF A2 90", thai}, {"9B", "EF A2 93", thai}, {"9C", "EF A2 96", thai},
    {"DB", "EF BB BF", "the zero-width no-break space, where Perl has the word joiner"}};
// clang-format on

constexpr const char* mac_apple = "Python's 1998 table: the Apple logo, glibc's private-use letter";
const Deviation mac_roman_to[] = {
    {"CE 94", "3F", "0xC6 is the increment sign U+2206, glibc's Greek capital delta"},
    {"EE 80 9E", "3F", mac_apple}};
const Deviation mac_roman_from[] = {
    {"C6", "E2 88 86", "the increment sign U+2206, glibc's Greek capital delta"},
    {"F0", "EF A3 BF", mac_apple}};

struct Charset {
  int id;
  std::span<const Deviation> to_cells = {}, from_cells = {};
  std::span<const Rule> to_rules = {}, from_rules = {};
  bool stateful = false;  // its lines run together are not the lines one by one
  const char* name = "";  // of its file, convert_<name>_golden.txt
};

const Charset departing[] = {
    {1, pivot_to},
    {4, pivot_to},
    {7, shift_jis_to, shift_jis_from},
    {.id = 9, .to_rules = utf16_mark, .stateful = true},
    {.id = 14, .to_cells = escape_to, .to_rules = iso2022cn_end, .stateful = true},
    {.id = 15, .to_cells = escape_to, .to_rules = gb2312_escape, .stateful = true},
    {.id = 16, .to_cells = escape_to, .stateful = true},
    {.id = 18, .to_rules = cns_plane3_to, .from_rules = cns_plane3_from},
    {23, koi8_ru_to, koi8_ru_from},
    {51, cp1133_to, cp1133_from},
    {53, armscii_to, armscii_from},
    {54, macthai_to, macthai_from},
    {.id = 57, .to_rules = utf32_mark, .stateful = true},
    {63, mac_roman_to, mac_roman_from},
};

// Every charset, ids 1..55 and 57..63 in order, with its departures.
std::vector<Charset> charsets() {
  const char* const names[] = {
      "ucs2le",     "gb18030",    "big5",       "jis_x0201",  "jis_x0208",  "jis_x0212",
      "shift_jis",  "utf8",       "utf16",      "utf16be",    "utf16le",    "ks_c_5601",
      "ks_x_1001",  "iso2022cn",  "iso2022jp",  "iso2022kr",  "euc_cn",     "euc_tw",
      "euc_jp",     "euc_kr",     "koi8_r",     "koi8_u",     "koi8_ru",    "iso8859_1",
      "iso8859_2",  "iso8859_3",  "iso8859_4",  "iso8859_5",  "iso8859_6",  "iso8859_7",
      "iso8859_8",  "iso8859_9",  "iso8859_10", "iso8859_11", "iso8859_13", "iso8859_14",
      "iso8859_15", "iso8859_16", "cp874",      "cp1250",     "cp1251",     "cp1252",
      "cp1253",     "cp1254",     "cp1255",     "cp1256",     "cp1257",     "cp1258",
      "cp850",      "cp866",      "cp1133",     "tcvn",       "armscii8",   "macthai",
      "mulelao1",   "utf32",      "utf32be",    "utf32le",    "cp932",      "cp950",
      "cp437",      "macintosh"};
  std::vector<Charset> all;
  for (int k = 0; k < static_cast<int>(std::size(names)); ++k) {
    Charset c{k < 55 ? k + 1 : k + 2};
    for (const Charset& d : departing)
      if (d.id == c.id) c = d;
    c.name = names[k];
    all.push_back(c);
  }
  return all;
}

// The charset's `half` of lines, with the library's departures, through
// zel_convert from UTF-8 to the charset or back.
void check_half(const Charset& c, const std::vector<GoldenLine>& half, bool to) {
  SCOPED_TRACE(to ? "UTF-8 to the charset" : "the charset to UTF-8");
  const auto rules = to ? c.to_rules : c.from_rules;
  const auto library = zel_test::with_departures(half, to ? c.to_cells : c.from_cells, rules);
  for (std::size_t r = 0; r < rules.size(); ++r)
    EXPECT_GT(library.rule_uses[r], 0u) << "no line for the rule: " << rules[r].why;
  const int from = to ? ZEL_CHARSET_UTF8 : c.id, into = to ? c.id : ZEL_CHARSET_UTF8;
  const zel_test::Runner run = [from, into](const std::string& in) {
    int result = -1;
    std::string out = zel_test::convert_general(from, into, in, ZEL_UNMAPPABLE_SUBSTITUTE, &result);
    EXPECT_EQ(result, ZEL_RESULT_OK);
    return out;
  };
  zel_test::check_each_alone(run, library.lines);
  if (!c.stateful) zel_test::check_as_one_text(run, library.lines);
}

void PrintTo(const Charset& c, std::ostream* os) { *os << c.name; }

class ConvertGolden : public testing::TestWithParam<Charset> {};

TEST_P(ConvertGolden, BothWaysAgainstTheReference) {
  const Charset& c = GetParam();
  const auto lines = zel_test::read_golden(std::string("convert_") + c.name + "_golden.txt");
  ASSERT_FALSE(lines.empty());
  ASSERT_EQ(lines.size() % 2, 0u) << "as many lines each way";
  const auto middle = lines.begin() + static_cast<std::ptrdiff_t>(lines.size() / 2);
  check_half(c, {lines.begin(), middle}, true);
  check_half(c, {middle, lines.end()}, false);
}

INSTANTIATE_TEST_SUITE_P(EveryCharset, ConvertGolden, testing::ValuesIn(charsets()),
                         [](const testing::TestParamInfo<Charset>& info) {
                           return std::to_string(info.param.id) + "_" + info.param.name;
                         });

}  // namespace
