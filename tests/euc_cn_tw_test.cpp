// EUC-CN, EUC-TW and ISO-2022-CN input.
//
// Oracles: the cases, counts and telling cells of these encodings typed in
// below; golden files of tools/testdata/make_golden_cns_gb2312.py, written
// straight from Python's gb2312 codec, glibc's EUC-TW converter and Unihan's
// kCNS1992 field (with an empty expectation where the source has no
// character); and make_golden.py's GB18030 file for the GBK cells that
// ISO-2022-CN reads. What this library puts where a source has no character,
// and the cells where it departs from a source, are listed here as data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "src/tables/cns_gb2312.h"
#include "tests/support/conversion.h"
#include "tests/support/golden.h"
#include "tests/support/sweep.h"

using zel_test::Case;
using zel_test::check_cases;
using zel_test::convert;
using zel_test::from_hex;
using zel_test::GoldenLine;
using zel_test::Mismatches;
using zel_test::to_hex;
using zel_test::unit_bytes;

namespace {

constexpr int euc_cn = ZEL_CHARSET_EUC_CN;
constexpr int euc_tw = ZEL_CHARSET_EUC_TW;
constexpr int iso2022cn = ZEL_CHARSET_ISO_2022_CN;

// --- decoding rules, through the exports --------------------------------------

const Case euc_cn_cases[] = {
    {euc_cn, "41", "41 00", "ASCII"},
    {euc_cn, "B0 A1", "4A 55", "first level-1 ideograph"},
    {euc_cn, "A1 A4", "FB 30", "GB 2312's katakana middle dot, where GBK has U+00B7"},
    {euc_cn, "A1 AA", "15 20", "GB 2312's horizontal bar, where GBK has U+2014"},
    {euc_cn, "A1 A1", "00 30", "ideographic space"},
    {euc_cn, "A2 B1", "88 24", "first number with full stop"},
    {euc_cn, "D2 BB", "00 4E", "one"},
    {euc_cn, "D7 F9", "A7 5E", "last of level 1"},
    {euc_cn, "F7 FE", "44 9F", "last character"},
    {euc_cn, "D7 FA", "FD FF", "unassigned at the end of level 1"},
    {euc_cn, "A2 A1", "FD FF", "unassigned"},
    {euc_cn, "A2 E3", "FD FF", "GBK's euro sign is not GB 2312"},
    {euc_cn, "A8 BC", "FD FF", "GB18030's private-use cell is not GB 2312"},
    {euc_cn, "AA A1", "FD FF", "rows AA..AF are empty"},
    {euc_cn, "AF FE", "FD FF", "rows AA..AF are empty"},
    {euc_cn, "F8 A1", "FD FF", "rows F8..FE hold no character"},
    {euc_cn, "FE FE", "FD FF", "rows F8..FE hold no character"},
    {euc_cn, "B0 41", "B0 00 41 00", "no trail byte: both pass"},
    {euc_cn, "A1 FF", "A1 00 FF 00", "0xFF is no trail byte"},
    {euc_cn, "A0 A1 A1", "A0 00 00 30", "0xA0 is no lead; the next pair is read afresh"},
    {euc_cn, "81 40", "81 00 40 00", "GBK's own leads are no EUC-CN leads"},
    {euc_cn, "8E A1 A1", "8E 00 00 30", "EUC-CN has no single shift"},
    {euc_cn, "0D 0A", "0D 00 0A 00", "line ends"},
};

const Case euc_cn_cut_tails[] = {
    {euc_cn, "B0", "B0 00", "a final lead passes through", true},
};

const Case euc_tw_cases[] = {
    {euc_tw, "41", "41 00", "ASCII"},
    {euc_tw, "C4 A1", "00 4E", "plane 1 4421 in two bytes"},
    {euc_tw, "A1 A1", "00 30", "plane 1 2121"},
    {euc_tw, "A1 A2", "0C FF", "plane 1 2122"},
    {euc_tw, "A4 A1", "10 FF", "plane 1 2421"},
    {euc_tw, "C2 A1", "00 24", "plane 1 4221"},
    {euc_tw, "C4 A2", "59 4E", "plane 1 4422"},
    {euc_tw, "FD CB", "72 7C", "plane 1 7D4B, the last character"},
    {euc_tw, "FD CC", "FD FF", "plane 1 after 7D4B"},
    {euc_tw, "FE FE", "FD FF", "plane 1 7E7E"},
    {euc_tw, "A7 A8", "FD FF", "plane 1 row 0x27 is empty, though glibc maps 2728"},
    {euc_tw, "C1 FE", "FD FF", "plane 1 row 0x41 is empty"},
    {euc_tw, "C3 A1", "FD FF", "plane 1 row 0x43 is empty"},
    {euc_tw, "F6 C1", "5E 5F", "plane 1 7641, where Big5 C255 has U+5F5D"},
    {ZEL_CHARSET_BIG5, "C2 55", "5D 5F", "Big5's reading of the same ideograph"},
    {euc_tw, "8E A1 A1 A1", "00 30", "plane 1 in four bytes"},
    {euc_tw, "8E A1 C4 A1", "00 4E", "plane 1 in four bytes"},
    {euc_tw, "8E A2 A1 A1", "42 4E", "plane 2 2121"},
    {euc_tw, "8E A2 A1 A2", "5C 4E", "plane 2 2122"},
    {euc_tw, "8E A2 C4 A1", "48 6B", "plane 2 4421"},
    {euc_tw, "8E A2 F2 C4", "98 9F", "plane 2 7244, the last character"},
    {euc_tw, "8E A2 F2 C5", "FD FF", "plane 2 after 7244"},
    {euc_tw, "8E A3 A1 A1", "28 4E", "plane 3 2121"},
    {euc_tw, "8E A3 A1 A2", "36 4E", "plane 3 2122"},
    {euc_tw, "8E A3 A2 A1", "FD FF", "plane 3 2221: glibc's U+361E is no kCNS1992 entry"},
    {euc_tw, "8E A3 C4 A1", "FD FF", "plane 3 4421"},
    {euc_tw, "8E A3 E7 AA", "B0 92", "plane 3 672A, the last character"},
    {euc_tw, "8E A3 E7 AB", "FD FF", "plane 3 after 672A"},
    {euc_tw, "C4 41", "C4 00 41 00", "no trail byte: both pass"},
    {euc_tw, "A1 FF", "A1 00 FF 00", "0xFF is no trail byte"},
    {euc_tw, "80 A0 FF", "80 00 A0 00 FF 00", "no leads"},
};

// A 0x8E before anything but A1..A3 goes; what follows is read afresh.
const Case euc_tw_dropped_shifts[] = {
    {euc_tw, "8E A5 41", "A5 00 41 00", "plane 5 is not read"},
    {euc_tw, "8E A4 A1 41", "10 FF 41 00", "A4 A1 is then plane 1 2421"},
    {euc_tw, "8E 41", "41 00", "before ASCII"},
    {euc_tw, "8E A0 41", "A0 00 41 00", "plane byte below A1"},
    {euc_tw, "8E 8E A2 A1 A1", "42 4E", "a second single shift is read afresh"},
    {euc_tw, "8E C4 A1", "00 4E", "the pair after it is plane 1"},
};

// 8E A1..A3 takes the next two bytes whatever they are; outside the plane
// they pass through as themselves.
const Case euc_tw_pairs_outside[] = {
    {euc_tw, "8E A1 0D 0A", "0D 00 0A 00", "a line end stays visible"},
    {euc_tw, "8E A2 41 A1", "41 00 A1 00", "ASCII first byte"},
    {euc_tw, "8E A3 A1 FF", "A1 00 FF 00", "0xFF second byte"},
    {euc_tw, "8E A1 8E A1", "8E 00 A1 00", "a single shift as the pair"},
    {euc_tw, "8E A2 1B 24", "1B 00 24 00", "an escape stays visible"},
    {euc_tw, "8E A3 A0 A1", "A0 00 A1 00", "just below the square"},
};

const Case euc_tw_cut_tails[] = {
    {euc_tw, "8E A2 A1", "A3 32", "too short: 8E goes, A2 A1 is plane 1 2221", true},
    {euc_tw, "8E A1", "A1 00", "too short: 8E goes, A1 is a final lead", true},
    {euc_tw, "8E", "8E 00", "a final single shift passes through", true},
    {euc_tw, "C4", "C4 00", "a final lead passes through", true},
};

// ESC $ ) A designates GB 2312, ESC $ ) G plane 1, ESC $ * H plane 2.
const Case iso2022cn_designations[] = {
    {iso2022cn, "41 42", "41 00 42 00", "ASCII"},
    {iso2022cn, "1B 24 29 41 0E 30 21 0F 41", "4A 55 41 00", "GB 2312 0x3021 is GBK B0A1"},
    {iso2022cn, "1B 24 29 47 0E 44 21 0F", "00 4E", "plane 1 4421"},
    {iso2022cn, "1B 24 2A 48 1B 4E 21 21", "42 4E", "plane 2 2121 after ESC N"},
    {iso2022cn, "1B 24 29 41 1B 24 2A 48 0E 30 21", "30 00 21 00",
     "plane 2 replaced GB 2312: SO does not shift"},
    {iso2022cn, "1B 24 2A 48 1B 24 29 41 0E 30 21 0F", "4A 55", "GB 2312 replaced plane 2"},
    {iso2022cn, "1B 24 29 41 1B 24 29 47 0E 44 21 0F", "00 4E", "plane 1 replaced GB 2312"},
    {iso2022cn, "1B 24 29 41 1B 28 42 0E 30 21", "30 00 21 00", "ESC ( B replaced GB 2312"},
    {iso2022cn, "0E 30 21", "30 00 21 00", "SO before any designation"},
    {iso2022cn, "1B 24 2A 48 0E 21 21", "21 00 21 00", "SO under plane 2 does not shift"},
    {iso2022cn, "1B 24 29 41 1B 4E 21 21", "21 00 21 00", "ESC N without plane 2 does nothing"},
    {iso2022cn, "1B 24 29 47 1B 4E 44 21", "44 00 21 00", "ESC N under plane 1 does nothing"},
};

const Case iso2022cn_shifts[] = {
    {iso2022cn, "1B 24 29 41 0E 30 21 30 21 0F", "4A 55 4A 55", "SO holds"},
    {iso2022cn, "1B 24 29 41 0E 30 21 0F 30 21", "4A 55 30 00 21 00", "SI ends it"},
    {iso2022cn, "0F 41", "41 00", "SI in ASCII gives nothing"},
    {iso2022cn, "1B 24 2A 48 1B 4E 21 21 21 22 0F", "42 4E 5C 4E", "ESC N holds like SO"},
    {iso2022cn, "1B 24 2A 48 1B 4E 1B 24 29 47 0E 44 21 0F", "00 4E", "SO leaves plane 2"},
    {iso2022cn, "1B 24 2A 48 1B 4E 21 21 1B 24 29 41 21 22 0F", "42 4E 5C 4E",
     "a designation does not move the shift: still plane 2"},
    {iso2022cn, "1B 24 29 41 0E 1B 24 29 47 30 21 0F", "4A 55",
     "a designation does not move the shift: still GB 2312"},
    {iso2022cn, "1B 24 29 41 0E 0E 30 21 0F 0F", "4A 55", "repeated shifts"},
    {iso2022cn, "1B 24 29 41 0E 30 21 1B 28 42 30 21 0F", "4A 55 4A 55",
     "ESC ( B changes the designation, not the shift"},
    {iso2022cn, "1B 24 2A 48 1B 4E", "", "ESC N at the very end is taken"},
};

const Case iso2022cn_escapes[] = {
    {iso2022cn, "1B 78", "78 00", "unknown escape: only ESC goes"},
    {iso2022cn, "1B 28 41 41", "28 00 41 00 41 00", "ESC ( A is no designation here"},
    {iso2022cn, "1B 24 41 41", "24 00 41 00 41 00", "ESC $ A is no designation here"},
    {iso2022cn, "1B 24 29 42", "24 00 29 00 42 00", "ESC $ ) B is no designation"},
    {iso2022cn, "1B 24 2A 47", "24 00 2A 00 47 00", "ESC $ * G is no designation"},
    {iso2022cn, "1B 1B 24 29 41 0E 30 21 0F", "4A 55", "ESC after ESC: the second starts"},
    {iso2022cn, "1B 28 42 28 42", "28 00 42 00", "one ESC, one sequence"},
    {iso2022cn, "41 1B 28 42", "41 00", "a closing ESC ( B gives nothing"},
    {iso2022cn, "1B 0E 30 21", "30 00 21 00", "ESC then SO: SO still acts"},
    {iso2022cn, "41 C4 A1", "41 00 C4 00 A1 00", "8-bit bytes pass in ASCII"},
};

// Shifted, any two bytes are a pair: line ends and escapes included.
const Case iso2022cn_pairs[] = {
    {iso2022cn, "1B 24 29 41 0E 21 24 0F", "B7 00", "GB 2312 reads GBK's A1A4"},
    {iso2022cn, "1B 24 29 41 0E 21 2A 0F", "14 20", "GB 2312 reads GBK's A1AA"},
    {iso2022cn, "1B 24 29 41 0E 0D 0A 0F", "10 5D", "CR LF is GBK 8D8A"},
    {iso2022cn, "1B 24 29 47 0E 0D 0A 0F", "0D 00 0A 00", "CR LF outside plane 1 passes"},
    {iso2022cn, "1B 24 2A 48 1B 4E 0D 0A 0F", "0D 00 0A 00", "CR LF outside plane 2 passes"},
    {iso2022cn, "1B 24 29 47 0E 44 1B 28 42 0F", "44 00 1B 00 FD FF",
     "ESC as a second byte passes; ( B is then plane 1 2842"},
    {iso2022cn, "1B 24 29 47 0E 44 0E 0F", "44 00 0E 00", "SO as a second byte"},
    {iso2022cn, "1B 24 29 47 0E C4 A1 0F", "C4 00 A1 00", "8-bit bytes are outside plane 1"},
    {iso2022cn, "1B 24 29 47 0E 28 42 0F", "FD FF", "plane 1 row 0x28 is empty"},
    {iso2022cn, "1B 24 29 47 0E 7D 4C 0F", "FD FF", "plane 1 after 7D4B"},
    {iso2022cn, "1B 24 29 41 0E 00 7F 0F", "02 4E", "0x00 0x7F reaches GBK 8140"},
    {iso2022cn, "1B 24 29 41 0E 00 7E 0F", "00 00 7E 00", "before GBK's first cell: passes"},
    {iso2022cn, "1B 24 29 41 0E 00 BE 0F", "FD FF", "0x00 0xBE reaches GBK 817F, no trail"},
    {iso2022cn, "1B 24 29 41 0E 7E 7E 0F", "C5 E4", "GBK FEFE, the last cell"},
    {iso2022cn, "1B 24 29 41 0E 7E 7F 0F", "7E 00 7F 00", "after GBK's last cell: passes"},
    {iso2022cn, "1B 24 29 41 0E 7F 21 0F", "7F 00 21 00", "lead 0x7F is past GBK"},
    {iso2022cn, "1B 24 29 41 0E B0 A1 0F", "B0 00 A1 00", "8-bit bytes are past GBK"},
};

const Case iso2022cn_cut_tails[] = {
    {iso2022cn, "1B 24 29 41 0E 30", "30 00", "odd final byte of shifted text", true},
    {iso2022cn, "1B 24 2A 48 1B 4E 21", "21 00", "odd final byte under ESC N", true},
    {iso2022cn, "41 1B", "41 00", "a final ESC is dropped", true},
    {iso2022cn, "1B 24 29", "24 00 29 00", "a cut designation loses only ESC", true},
};

TEST(EucCnInput, DecodesAndDegrades) {
  check_cases(euc_cn_cases);
  check_cases(euc_cn_cut_tails);
}

TEST(EucTwInput, DecodesAndDegrades) {
  check_cases(euc_tw_cases);
  check_cases(euc_tw_dropped_shifts);
  check_cases(euc_tw_pairs_outside);
  check_cases(euc_tw_cut_tails);
}

TEST(Iso2022CnInput, DecodesAndDegrades) {
  check_cases(iso2022cn_designations);
  check_cases(iso2022cn_shifts);
  check_cases(iso2022cn_escapes);
  check_cases(iso2022cn_pairs);
  check_cases(iso2022cn_cut_tails);
}

TEST(Iso2022CnInput, StateStartsAfreshOnEveryCall) {
  const std::string shifted = from_hex("1B 24 29 41 0E 30 21");
  const std::string pair = from_hex("30 21");
  EXPECT_EQ(to_hex(convert(zel_code_unicode, iso2022cn, shifted)), "4A 55");
  EXPECT_EQ(to_hex(convert(zel_code_unicode, iso2022cn, pair)), "30 00 21 00");
}

// --- every code of every table -------------------------------------------------

// The codes behind `head` as golden lines: each code must give its expected
// unit, through the pivot and the UTF-8 export, in one call each.
void check_codes(const char* what, int id, const std::string& head,
                 const std::vector<std::string>& codes, const std::vector<std::string>& expected) {
  SCOPED_TRACE(what);
  ASSERT_EQ(codes.size(), expected.size());
  std::vector<GoldenLine> lines{{head, ""}};
  for (std::size_t k = 0; k < codes.size(); ++k) {
    EXPECT_EQ(expected[k].size(), 2u) << "every expectation is one code unit";
    lines.push_back({codes[k], expected[k]});
  }
  zel_test::check_decoding(id, lines);
}

// A 94 x 94 set: its golden file with the library's departures from the
// source, and the figures of what the library gives.
struct Square {
  const char* name;
  const zel_test::GoldenFile& file;
  std::string prefix;  // of the golden file's codes
  std::uint32_t last;  // last character, as the 7-bit code
  std::size_t characters, replacements, zeros;
  std::vector<std::uint32_t> empty_rows;  // rows of U+FFFD throughout
};

const zel_test::Rule no_character[] = {zel_test::refused_gives(
    "FD FF", "U+FFFD wherever the source has no character, after the last one too")};

const zel_test::Deviation plane1_cells[] = {
    {"8E A1 A7 A8", "FD FF", "rows 0x27..0x41 and 0x43 are empty; glibc maps 2728"},
    {"8E A1 A7 AF", "FD FF", "rows 0x27..0x41 and 0x43 are empty; glibc maps 272F"},
    {"8E A1 A7 B4", "FD FF", "rows 0x27..0x41 and 0x43 are empty; glibc maps 2734"},
};
const zel_test::GoldenFile gb2312_file{"gb2312_python_golden.txt", 94 * 94, {}, no_character};
const zel_test::GoldenFile euc_tw_file{"euc_tw_glibc_golden.txt", 3 * 94 * 94, {}, no_character};
const zel_test::GoldenFile plane1_file{"euc_tw_glibc_golden.txt", 3 * 94 * 94, plane1_cells,
                                       no_character};
const zel_test::GoldenFile plane3_file{"cns_plane3_unihan_golden.txt", 94 * 94, {}, no_character};

std::vector<std::uint32_t> rows(std::uint32_t first, std::uint32_t last) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t r = first; r <= last; ++r) out.push_back(r);
  return out;
}

// The expected unit for each of the 8,836 codes (index by 7-bit row and
// column), from the golden file with the library's departures.
std::vector<std::string> expected_square(const Square& sq) {
  std::map<std::string, std::string> source;
  for (const GoldenLine& l : zel_test::library_lines(sq.file).lines) source[l.given] = l.expected;
  std::vector<std::string> out(94 * 94);
  for (std::uint32_t row = 0x21; row <= 0x7E; ++row) {
    for (std::uint32_t column = 0x21; column <= 0x7E; ++column) {
      const std::string bytes =
          sq.prefix + std::string{static_cast<char>(row + 0x80), static_cast<char>(column + 0x80)};
      auto found = source.find(bytes);
      EXPECT_TRUE(found != source.end()) << sq.file.name << " lacks " << to_hex(bytes);
      if (found != source.end()) out[(row - 0x21) * 94 + (column - 0x21)] = found->second;
    }
  }
  return out;
}

std::vector<std::string> square_codes(const std::string& prefix, std::uint8_t offset) {
  std::vector<std::string> codes;
  for (int row = 0x21; row <= 0x7E; ++row)
    for (int column = 0x21; column <= 0x7E; ++column)
      codes.push_back(prefix + std::string{static_cast<char>(row + offset),
                                           static_cast<char>(column + offset)});
  return codes;
}

// GB 2312's last character F7FE ends its last row, so the rows after it,
// F8..FE, hold U+FFFD. The replacements count the cells after each square's
// last character too; no square holds 0.
const Square gb2312{"gb2312_to_ucs2", gb2312_file, "", 0x777E, 7445, 1391, 0, rows(0x2A, 0x2F)};
const Square plane1{"cns_plane1_to_ucs2", plane1_file, "\x8E\xA1", 0x7D4B, 5864, 2972, 0, [] {
                      std::vector<std::uint32_t> r = rows(0x27, 0x41);
                      r.push_back(0x43);
                      return r;
                    }()};
const Square plane2{"cns_plane2_to_ucs2", euc_tw_file, "\x8E\xA2", 0x7244, 7650, 1186, 0, {}};
const Square plane3{"cns_plane3_to_ucs2", plane3_file, "\x8E\xA3", 0x672A, 4197, 4639, 0, {}};

// The counts and the filler layout of one square, from what the exports gave.
void check_figures(const Square& sq, const std::vector<std::string>& got) {
  SCOPED_TRACE(sq.name);
  std::size_t characters = 0, replacements = 0, zeros = 0;
  std::uint32_t last_character = 0;
  Mismatches bad(std::string(sq.name) + " filler layout");
  for (std::size_t at = 0; at < got.size(); ++at) {
    const std::uint32_t row = static_cast<std::uint32_t>(at / 94 + 0x21);
    const std::uint32_t code = row << 8 | static_cast<std::uint32_t>(at % 94 + 0x21);
    const bool empty_row =
        std::find(sq.empty_rows.begin(), sq.empty_rows.end(), row) != sq.empty_rows.end();
    if (got[at] == unit_bytes(0xFFFD)) {
      ++replacements;
    } else if (got[at] == unit_bytes(0)) {
      ++zeros;
    } else {
      ++characters;
      last_character = code;
    }
    if (empty_row) bad.check(got[at] == unit_bytes(0xFFFD), "empty row holds " + to_hex(got[at]));
  }
  EXPECT_EQ(characters, sq.characters);
  EXPECT_EQ(replacements, sq.replacements);
  EXPECT_EQ(zeros, sq.zeros);
  EXPECT_EQ(last_character, sq.last) << std::hex << last_character;
}

std::vector<std::string> decode_each(int id, const std::string& head,
                                     const std::vector<std::string>& codes) {
  std::string in = head;
  for (const std::string& code : codes) in += code;
  const std::string got = convert(zel_code_unicode, id, in);
  std::vector<std::string> out;
  for (std::size_t at = 0; at + 1 < got.size(); at += 2) out.push_back(got.substr(at, 2));
  EXPECT_EQ(out.size(), codes.size());
  return out;
}

TEST(EucCnInput, EveryPairMatchesPythonsGb2312) {
  const std::vector<std::string> codes = square_codes("", 0x80);
  check_codes("EUC-CN against Python's gb2312", euc_cn, "", codes, expected_square(gb2312));
  check_figures(gb2312, decode_each(euc_cn, "", codes));
}

TEST(EucTwInput, EveryPlane1And2CodeMatchesGlibc) {
  const std::vector<std::string> p1 = expected_square(plane1);
  const std::vector<std::string> p2 = expected_square(plane2);
  check_codes("EUC-TW 8E A1 against glibc", euc_tw, "", square_codes("\x8E\xA1", 0x80), p1);
  check_codes("EUC-TW two-byte plane 1 against glibc", euc_tw, "", square_codes("", 0x80), p1);
  check_codes("EUC-TW 8E A2 against glibc", euc_tw, "", square_codes("\x8E\xA2", 0x80), p2);
  check_figures(plane1, decode_each(euc_tw, "", square_codes("\x8E\xA1", 0x80)));
  check_figures(plane2, decode_each(euc_tw, "", square_codes("\x8E\xA2", 0x80)));
}

TEST(EucTwInput, TwoBytePlane1FormAgreesWithGlibcsOwn) {
  // glibc reads the two-byte form as plane 1 too: its golden lines for both
  // forms must agree, or the file no longer says what the test assumes.
  std::map<std::string, std::string> source;
  for (const zel_test::GoldenLine& l : zel_test::read_golden("euc_tw_glibc_golden.txt"))
    source[l.given] = l.expected;
  EXPECT_EQ(source.size(), 3u * 94 * 94);
  Mismatches bad("glibc two-byte against 8E A1");
  for (const std::string& code : square_codes("", 0x80))
    bad.check(source[code] == source["\x8E\xA1" + code], to_hex(code));
}

TEST(EucTwInput, EveryPlane3CodeMatchesUnihan) {
  const std::vector<std::string> p3 = expected_square(plane3);
  check_codes("EUC-TW 8E A3 against Unihan kCNS1992", euc_tw, "", square_codes("\x8E\xA3", 0x80),
              p3);
  check_figures(plane3, decode_each(euc_tw, "", square_codes("\x8E\xA3", 0x80)));
}

TEST(Iso2022CnInput, EveryCnsPlane1And2CodeMatchesGlibc) {
  const std::vector<std::string> p1 = expected_square(plane1);
  const std::vector<std::string> p2 = expected_square(plane2);
  check_codes("ISO-2022-CN plane 1 against glibc", iso2022cn, from_hex("1B 24 29 47 0E"),
              square_codes("", 0), p1);
  check_codes("ISO-2022-CN plane 2 against glibc", iso2022cn, from_hex("1B 24 2A 48 1B 4E"),
              square_codes("", 0), p2);
}

// gbk_to_ucs2's cells as Python's GB18030 codec gives them: by lead and
// trail, column 0x7F (no trail byte) U+FFFD.
std::map<std::string, std::string> gbk_cells() {
  std::map<std::string, std::string> cells;
  for (const zel_test::GoldenLine& l : zel_test::read_golden("gb18030_decode_golden.txt"))
    if (l.given.size() == 2) cells[l.given] = l.expected;
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    cells[std::string{static_cast<char>(lead), '\x7F'}] = unit_bytes(0xFFFD);
  EXPECT_EQ(cells.size(), 126u * 191);
  return cells;
}

TEST(Iso2022CnInput, EveryGb2312CodeReadsGbk) {
  const std::map<std::string, std::string> gbk = gbk_cells();
  std::vector<std::string> expected;
  for (const std::string& code : square_codes("", 0x80)) expected.push_back(gbk.at(code));
  check_codes("ISO-2022-CN GB 2312 against Python's GB18030", iso2022cn, from_hex("1B 24 29 41 0E"),
              square_codes("", 0), expected);
}

// --- pairs outside the tables ----------------------------------------------------

// Every pair b1 b2 (b1 none of ESC, SO, SI) under each shift, against a
// model: GB 2312 pairs read gbk_to_ucs2 as one flat array at
// (b1 - 1) * 191 + (b2 + 0x40); CNS pairs need both bytes 0x21..0x7E; a pair
// without a cell gives its two bytes.
TEST(Iso2022CnInput, EveryPairUnderEveryShift) {
  const std::map<std::string, std::string> gbk = gbk_cells();
  const std::vector<std::string> p1 = expected_square(plane1);
  const std::vector<std::string> p2 = expected_square(plane2);
  struct Shift {
    const char* name;
    const char* head;
    int set;
  };
  const Shift shifts[] = {{"GB 2312", "1B 24 29 41 0E", 1},
                          {"CNS plane 1", "1B 24 29 47 0E", 2},
                          {"CNS plane 2", "1B 24 2A 48 1B 4E", 3}};
  for (const Shift& shift : shifts) {
    SCOPED_TRACE(std::string("ISO-2022-CN pairs under ") + shift.name);
    std::vector<GoldenLine> lines{{from_hex(shift.head), ""}};
    std::size_t passed = 0;
    for (int b1 = 0; b1 < 256; ++b1) {
      if (b1 == 0x1B || b1 == 0x0E || b1 == 0x0F) continue;
      for (int b2 = 0; b2 < 256; ++b2) {
        const std::string pair{static_cast<char>(b1), static_cast<char>(b2)};
        std::string want;
        if (shift.set == 1) {
          const long entry = 191L * (b1 - 1) + (b2 + 0x40);
          if (entry >= 0 && entry < 126 * 191)
            want = gbk.at(std::string{static_cast<char>(0x81 + entry / 191),
                                      static_cast<char>(0x40 + entry % 191)});
        } else if (b1 >= 0x21 && b1 <= 0x7E && b2 >= 0x21 && b2 <= 0x7E) {
          want = (shift.set == 2 ? p1 : p2)[(b1 - 0x21) * 94 + (b2 - 0x21)];
        }
        if (want.empty()) {
          want = unit_bytes(static_cast<std::uint16_t>(b1)) +
                 unit_bytes(static_cast<std::uint16_t>(b2));
          ++passed;
        }
        lines.push_back({pair, want});
      }
    }
    zel_test::check_as_one_text(zel_test::through(zel_code_unicode, iso2022cn), lines);
    // 8-bit first bytes, and 7-bit ones with an 8-bit or control second
    // byte, are the pairs the CNS planes do not hold.
    if (shift.set != 1) {
      EXPECT_EQ(passed, 253u * 256 - 94u * 94) << shift.name;
    }
  }
}

// Every 8E A1..A3 b3 b4: the plane's cell for b3 b4 in A1..FE, else b3 and
// b4 as themselves.
TEST(EucTwInput, EveryFourByteSequenceConsumesFourBytes) {
  const std::vector<std::string> planes[] = {expected_square(plane1), expected_square(plane2),
                                             expected_square(plane3)};
  for (int plane = 0; plane < 3; ++plane) {
    std::string in, expected;
    for (int b3 = 0; b3 < 256; ++b3) {
      for (int b4 = 0; b4 < 256; ++b4) {
        in += std::string{'\x8E', static_cast<char>(0xA1 + plane), static_cast<char>(b3),
                          static_cast<char>(b4)};
        if (b3 >= 0xA1 && b3 <= 0xFE && b4 >= 0xA1 && b4 <= 0xFE)
          expected += planes[plane][(b3 - 0xA1) * 94 + (b4 - 0xA1)];
        else
          expected += unit_bytes(static_cast<std::uint16_t>(b3)) +
                      unit_bytes(static_cast<std::uint16_t>(b4));
      }
    }
    const std::string got = convert(zel_code_unicode, euc_tw, in);
    EXPECT_EQ(got.size(), expected.size()) << "plane " << plane + 1;
    EXPECT_TRUE(got == expected) << "plane " << plane + 1;
  }
}

// 8E before any byte but A1..A3 is dropped and that byte read afresh: here
// followed by 'A', so the byte comes out as itself.
TEST(EucTwInput, EverySingleShiftBeforeAnotherByteIsDropped) {
  Mismatches bad("8E X 41");
  for (int x = 0; x < 256; ++x) {
    if (x >= 0xA1 && x <= 0xA3) continue;
    const std::string in{'\x8E', static_cast<char>(x), 'A'};
    // A second 8E is itself dropped before 'A'.
    const std::string expected =
        (x == 0x8E ? "" : unit_bytes(static_cast<std::uint16_t>(x))) + unit_bytes('A');
    bad.check(convert(zel_code_unicode, euc_tw, in) == expected, to_hex(in));
  }
}

// --- table shapes ------------------------------------------------------------------

TEST(CnsGb2312Tables, StoredThroughTheLastCharacter) {
  // Index arithmetic written out again: 94 cells a row.
  auto cells_through = [](std::uint32_t row, std::uint32_t column, std::uint32_t first) {
    return (row - first) * 94 + (column - first) + 1;
  };
  EXPECT_EQ(std::size(zel::gb2312_to_ucs2), cells_through(0xF7, 0xFE, 0xA1));
  EXPECT_EQ(std::size(zel::cns_plane1_to_ucs2), cells_through(0x7D, 0x4B, 0x21));
  EXPECT_EQ(std::size(zel::cns_plane2_to_ucs2), cells_through(0x72, 0x44, 0x21));
  EXPECT_EQ(std::size(zel::cns_plane3_to_ucs2), cells_through(0x67, 0x2A, 0x21));
  EXPECT_EQ(zel::cell(zel::cns_plane1_to_ucs2, 94 * 94 - 1, zel::cns_gb2312_past_end), 0xFFFD);
  EXPECT_EQ(zel::cell(zel::gb2312_to_ucs2, 94 * 94 - 1, zel::cns_gb2312_past_end), 0xFFFD);
}

}  // namespace
