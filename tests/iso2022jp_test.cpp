// ISO-2022-JP input (id 15): the escape sequences, the six sets, and what a
// pair outside its table gives.
//
// Oracles: expected units typed in from the published mappings (Python's
// euc_jp, cp949 and gb18030 codecs give the same values); the golden file of
// tools/testdata/make_golden_japanese.py, Python's iso2022_jp_2 answers for
// every code of every set and for texts its encoder wrote, with this
// library's differences listed here as data.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/conversion.h"
#include "tests/support/golden.h"

using zel_test::Case;
using zel_test::check_cases;
using zel_test::convert;
using zel_test::from_hex;
using zel_test::to_hex;

namespace {

constexpr int iso2022jp_id = ZEL_CHARSET_ISO_2022_JP;

// ESC ( B = 1B 28 42, ESC ( J = 1B 28 4A, ESC $ @ = 1B 24 40, ESC $ B = 1B 24 42,
// ESC $ A = 1B 24 41, ESC $ ( C = 1B 24 28 43, ESC $ ( D = 1B 24 28 44.

const Case escape_sequences[] = {
    {ZEL_CHARSET_ISO_2022_JP, "41 42 0A", "41 00 42 00 0A 00", "text without ESC is ASCII"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 30 21 1B 28 42", "9C 4E",
     "the closing escape at the very end is taken"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 40 30 21 1B 28 42", "9C 4E",
     "ESC $ @ selects JIS X 0208 as well"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 24 41 1B 28 42", "61 30",
     "a pair spelling $ A is text, not an escape"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 28 4A 5C 7E 0A 1B 28 42", "A5 00 3E 20 0A 00",
     "JIS X 0201 Roman: yen sign, overline, and the line feed kept"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 30 21 1B 28 42", "4A 55", "GB 2312"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 30 21 1B 28 42", "00 AC", "KS X 1001"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 44 22 2F 1B 28 42", "D8 02", "JIS X 0212"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 1B 24 28 43 30 21 1B 28 42", "00 AC",
     "one designation right after another"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42", "", "a designation alone gives nothing"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 44", "", "a four-byte designation alone"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 28 49 B1", "28 00 49 00 B1 00",
     "ESC ( I is unknown: only the ESC goes"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 45 41", "24 00 28 00 45 00 41 00", "ESC $ ( E is unknown"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 43 41", "24 00 43 00 41 00", "ESC $ C is unknown"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 1B 28 42 41", "41 00",
     "an ESC after an ESC starts the escape itself"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 1B 28 49 1B 28 42", "FD FF",
     "an unknown escape in JIS X 0208: its bytes form a pair of the set"},
};

const Case ascii_and_roman[] = {
    {ZEL_CHARSET_ISO_2022_JP, "0E 0F", "0E 00 0F 00", "SO and SI are text"},
    {ZEL_CHARSET_ISO_2022_JP, "00 7F 80 FF", "00 00 7F 00 80 00 FF 00",
     "ASCII passes every byte but ESC through"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 28 4A 41 A1 DF E0 FF 1B 28 42", "41 00 61 FF 9F FF FD FF FD FF",
     "Roman reads jisx0201_to_ucs2 for every byte"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 28 4A 00 0D 1F 7F A0 1B 28 42", "00 00 0D 00 1F 00 FD FF FD FF",
     "Roman keeps the C0 controls; 0x7F and 0xA0 have no character"},
};

const Case two_byte_sets[] = {
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 30 21 0A 0A 30 21 1B 28 42", "9C 4E 0A 00 0A 00 9C 4E",
     "a line end resets nothing; LF LF passes through"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 30 1B 28 42 30 21", "FD FF FD FF 9C 4E",
     "ESC as a second byte is taken: (30, ESC) and (28, 42) are pairs and the set stays"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 30 0F 1B 28 42", "FD FF",
     "SI is a second byte like any other"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 0A 1B", "0A 00 1B 00",
     "an ESC taken with a line feed stays visible"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 21 24 1B 28 42", "B7 00", "GB 2312 with GBK's middle dot"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 21 2A 1B 28 42", "14 20", "GB 2312 with GBK's em dash"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 22 66 22 67 1B 28 42", "FD FF FD FF",
     "no euro, no registered sign"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 24 54 1B 28 42", "64 31", "Hangul filler"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 44 22 37 1B 28 42", "7E 00", "JIS X 0212 tilde"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 44 6D 63 1B 28 42", "A5 9F", "last JIS X 0212 character"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 74 26 1B 28 42", "99 71", "last JIS X 0208 character"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 21 40 1B 28 42", "5C 00", "0x2140 is the reverse solidus"},
};

// Cells beyond a table's last character read U+FFFD; a pair whose index falls
// before a table, or past gbk_to_ucs2's last row, passes both bytes through.
const Case pairs_at_the_edges[] = {
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 74 27 1B 28 42", "FD FF",
     "past JIS X 0208's last character"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 7E 7E 1B 28 42", "FD FF", "last 7-bit cell"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 FF FF 1B 28 42", "FD FF",
     "index 21,090 is a cell, past the last character"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 20 7E 1B 28 42", "20 00 7E 00",
     "index -1: both bytes pass"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 20 7F 1B 28 42", "00 30", "index 0 is a cell"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 21 20 1B 28 42", "21 00 20 00",
     "0x21 then a byte below 0x21: before the table"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 22 0A 1B 28 42", "34 22",
     "0x22 0x0A lands on cell 71, JIS 0x2168"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 00 00 1B 28 42", "00 00 00 00", "NUL NUL passes through"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 44 0A 0A 1B 28 42", "0A 00 0A 00", "LF LF in JIS X 0212"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 44 6D 64 1B 28 42", "FD FF",
     "past JIS X 0212's last character"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 00 7E 1B 28 42", "00 00 7E 00", "GB 2312 index -1"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 00 7F 1B 28 42", "02 4E", "GB 2312 index 0, GBK 8140"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 0A 0A 1B 28 42", "B8 59",
     "LF LF in GB 2312 reaches GBK 8A8A"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 7E 7E 1B 28 42", "C5 E4", "GBK FEFE, the last cell"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 7E 7F 1B 28 42", "7E 00 7F 00", "one past gbk_to_ucs2"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 7F 21 1B 28 42", "7F 00 21 00",
     "first byte 0x7F is past the last row"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 41 FF FF 1B 28 42", "FF 00 FF 00", "far past the last row"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 00 7E 1B 28 42", "00 00 7E 00", "KS X 1001 index -1"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 00 7F 1B 28 42", "FD FF",
     "KS X 1001 index 0, code 8140, unused"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 0A 0A 1B 28 42", "8D B4",
     "LF LF in KS X 1001 reaches code 8A8A"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 7E 21 1B 28 42", "FD FF",
     "row 0x7E reads lead 0xFE, past the table"},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 FF FF 1B 28 42", "FD FF",
     "index 48,833 is a cell, past the last character"},
};

const Case cut_tails[] = {
    {ZEL_CHARSET_ISO_2022_JP, "1B", "", "a lone ESC at the end gives nothing", true},
    {ZEL_CHARSET_ISO_2022_JP, "41 1B 24", "41 00 24 00", "ESC $ cut short: the $ is text", true},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28", "24 00 28 00", "ESC $ ( cut short", true},
    {ZEL_CHARSET_ISO_2022_JP, "1B 28", "28 00", "ESC ( cut short", true},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 30", "30 00", "a lone last byte in a two-byte set", true},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 28 43 30 21 30", "00 AC 30 00", "after a pair", true},
    {ZEL_CHARSET_ISO_2022_JP, "1B 24 42 30 1B", "FD FF", "(30, ESC) is a pair even at the end",
     true},
};

TEST(Iso2022JpInput, EscapeSequences) { check_cases(escape_sequences); }
TEST(Iso2022JpInput, AsciiAndRoman) { check_cases(ascii_and_roman); }
TEST(Iso2022JpInput, TwoByteSets) { check_cases(two_byte_sets); }
TEST(Iso2022JpInput, PairsAtTheEdgesOfTheTables) { check_cases(pairs_at_the_edges); }
TEST(Iso2022JpInput, CutTails) { check_cases(cut_tails); }

TEST(Iso2022JpInput, EachCallStartsInAscii) {
  EXPECT_EQ(to_hex(convert(zel_code_unicode, iso2022jp_id, from_hex("1B 24 42"))), "");
  EXPECT_EQ(to_hex(convert(zel_code_unicode, iso2022jp_id, from_hex("30 21"))), "30 00 21 00");
  EXPECT_EQ(convert(zel_code_unicode, iso2022jp_id, ""), "");
  int result = -1;
  EXPECT_EQ(convert(zel_code_gb18030, iso2022jp_id, from_hex("1B 24 41 30 21 1B 28 42"), &result),
            from_hex("B0 A1"));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(convert(zel_code_gbk, iso2022jp_id, from_hex("1B 24 42 30 21")), from_hex("81 84"))
      << "JIS X 0208's U+4E9C into GBK";
}

// Random texts of pieces whose output is known on its own, with ESC bytes at
// every offset of the word-at-a-time ASCII runs: the whole text must give
// the pieces' outputs in order.
TEST(Iso2022JpInput, AsciiRunsStopAtEveryEscape) {
  struct Piece {
    std::string in, out;
  };
  const Piece fixed[] = {
      {from_hex("1B 28 42"), ""},
      {from_hex("1B 7A"), from_hex("7A 00")},  // unknown escape
      {from_hex("1B 28 4A 5C 1B 28 42"), from_hex("A5 00")},
      {from_hex("1B 24 42 30 21 1B 28 42"), from_hex("9C 4E")},
      {from_hex("1B 24 28 43 0A 0A 1B 28 42"), from_hex("8D B4")},
  };
  std::mt19937 rng(15);
  for (int text = 0; text < 3000; ++text) {
    std::string in, out;
    const int pieces = static_cast<int>(rng() % 40);
    for (int p = 0; p < pieces; ++p) {
      const unsigned kind = rng() % 8;
      if (kind < 3) {
        // A run of bytes other than ESC, mostly ASCII.
        const unsigned length = rng() % 20;
        for (unsigned k = 0; k < length; ++k) {
          unsigned b = rng() % 10 ? 0x20 + rng() % 0x5F : rng() % 256;
          if (b == 0x1B) b = 0x1C;
          in.push_back(static_cast<char>(b));
          out.push_back(static_cast<char>(b));
          out.push_back('\0');
        }
      } else {
        const Piece& piece = fixed[rng() % std::size(fixed)];
        in += piece.in;
        out += piece.out;
      }
    }
    const std::string got = convert(zel_code_unicode, iso2022jp_id, in);
    if (got != out) {
      ADD_FAILURE() << to_hex(in) << "\ngives    " << to_hex(got) << "\nexpected " << to_hex(out);
      break;
    }
  }
}

// Random bytes rich in escape bytes give the same characters through every
// export, and never more units than bytes.
TEST(Iso2022JpInput, RandomBytesAgreeAcrossExports) {
  std::mt19937 rng(2022);
  const char escape_bytes[] = "\x1b\x1b\x1b$$((@ABCDJ\x0a\x00\x7e\x7f\x21";
  const std::string_view telling(escape_bytes, sizeof escape_bytes - 1);
  for (int round = 0; round < 6; ++round) {
    const std::string in =
        zel_test::random_bytes(rng, 1 << 16, round % 2 ? telling : std::string_view());
    zel_test::check_targets_agree(iso2022jp_id, in);
  }
}

// --- every code against Python's iso2022_jp_2 ---------------------------------

const zel_test::Deviation python_cells[] = {
    {"1B 24 42 21 40 1B 28 42", "5C 00", "JIS X 0208 0x2140 is the reverse solidus, not U+FF3C"},
    {"1B 24 28 43 22 66 1B 28 42", "FD FF", "the euro that code page 949 added is left out"},
    {"1B 24 28 43 22 67 1B 28 42", "FD FF", "the registered sign likewise"},
};

bool starts_with(const std::string& s, const char* hex) { return s.rfind(from_hex(hex), 0) == 0; }

// A one-pair line of JIS X 0208 (ESC $ B), JIS X 0212 (ESC $ ( D) or
// KS X 1001 (ESC $ ( C) the codec refuses; any other refused line expects
// no output, and fails.
const zel_test::Rule python_rules[] = {
    {"a pair the codec refuses gives U+FFFD, before the set's last character and after it alike",
     [](const std::string& in, const std::string& source) {
       const bool pair_of_a_set = starts_with(in, "1B 24 42") || starts_with(in, "1B 24 28 44") ||
                                  starts_with(in, "1B 24 28 43");
       return zel_test::when(source.empty() && pair_of_a_set, from_hex("FD FF"));
     }},
};

TEST(Iso2022JpGolden, EveryCodeOfEverySetAndEncodedTexts) {
  // 94 Roman bytes, four sets of 94 x 94 pairs, 120 texts.
  const zel_test::LibraryLines library = zel_test::library_lines(
      {"iso2022jp_decode_golden.txt", 94u + 4 * 94 * 94 + 120, python_cells, python_rules});
  // JIS X 0208's 6,879, JIS X 0212's 6,067, KS X 1001's 8,224 with the euro
  // and registered sign, every GBK cell of the square.
  EXPECT_EQ(library.answered, 94u + 6879 + 6067 + 8226 + 94 * 94 + 120);

  // Each line alone, and all of them as one text.
  zel_test::check_each_alone(zel_test::through(zel_code_unicode, iso2022jp_id), library.lines);
  zel_test::check_decoding(iso2022jp_id, library.lines);
}

}  // namespace
