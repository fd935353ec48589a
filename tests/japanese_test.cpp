// Japanese input: JIS X 0208 (id 5), JIS X 0212 (id 6), Shift_JIS (id 7),
// EUC-JP (id 19), and their four tables.
//
// Oracles: the expected units below are typed in from the published JIS
// mappings (as Python's euc_jp and shift_jis codecs give them); the counts
// and last codes come from the character sets (JIS X 0208's 6,879 characters
// ending at 0x7426, JIS X 0212's 6,067 ending at 0x6D63); the golden files of
// tools/testdata/make_golden_japanese.py hold Python's answers unedited, and
// this library's differences from them are listed here as data. The index
// arithmetic is written out again on purpose rather than taken from a header.
#include "src/tables/japanese.h"

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
#include "tests/support/sweep.h"

using zel_test::Case;
using zel_test::check_cases;
using zel_test::convert;
using zel_test::from_hex;
using zel_test::to_hex;

namespace {

constexpr int jisx0208_id = ZEL_CHARSET_JIS_X0208, jisx0212_id = ZEL_CHARSET_JIS_X0212,
              shift_jis_id = ZEL_CHARSET_SHIFT_JIS, euc_jp_id = ZEL_CHARSET_EUC_JP;

// --- JIS X 0208 and JIS X 0212, 8-bit form (ids 5 and 6) ---------------------

const Case jisx0208_characters[] = {
    {ZEL_CHARSET_JIS_X0208, "A1 A1", "00 30", "ideographic space"},
    {ZEL_CHARSET_JIS_X0208, "A1 C0", "5C 00", "0x2140 is the reverse solidus itself"},
    {ZEL_CHARSET_JIS_X0208, "A1 C1", "1C 30", "wave dash"},
    {ZEL_CHARSET_JIS_X0208, "A1 DD", "12 22", "minus sign"},
    {ZEL_CHARSET_JIS_X0208, "A1 F1", "A2 00", "cent sign"},
    {ZEL_CHARSET_JIS_X0208, "A1 F2", "A3 00", "pound sign"},
    {ZEL_CHARSET_JIS_X0208, "A4 A2", "42 30", "hiragana"},
    {ZEL_CHARSET_JIS_X0208, "B0 A1", "9C 4E", "first level-1 kanji"},
    {ZEL_CHARSET_JIS_X0208, "CF D3", "55 81", "last level-1 kanji"},
    {ZEL_CHARSET_JIS_X0208, "D0 A1", "0C 5F", "first level-2 kanji"},
    {ZEL_CHARSET_JIS_X0208, "F4 A6", "99 71", "last character"},
    {ZEL_CHARSET_JIS_X0208, "41 A1 A1 0A", "41 00 00 30 0A 00", "ASCII around a pair"},
};

const Case jisx0208_empty_cells[] = {
    {ZEL_CHARSET_JIS_X0208, "A2 AF", "FD FF", "unassigned position in row 0x22"},
    {ZEL_CHARSET_JIS_X0208, "A8 C1", "FD FF", "just past the box-drawing characters"},
    {ZEL_CHARSET_JIS_X0208, "A9 A1", "FD FF", "row 0x29 is empty"},
    {ZEL_CHARSET_JIS_X0208, "F4 A7", "FD FF", "past the last character, same row"},
    {ZEL_CHARSET_JIS_X0208, "F5 A1", "FD FF", "row 0x75 and beyond hold no character"},
    {ZEL_CHARSET_JIS_X0208, "FE A1", "FD FF", "last row byte"},
    {ZEL_CHARSET_JIS_X0208, "FE FE", "FD FF", "last cell the decoder can read"},
};

const Case jisx0208_pass_through[] = {
    {ZEL_CHARSET_JIS_X0208, "30 21", "30 00 21 00", "the 7-bit form is not decoded by this id"},
    {ZEL_CHARSET_JIS_X0208, "A1 FF", "A1 00 FF 00", "0xFF completes no pair"},
    {ZEL_CHARSET_JIS_X0208, "FF A1 A1", "FF 00 00 30",
     "0xFF begins no pair; the next byte is read afresh"},
    {ZEL_CHARSET_JIS_X0208, "A0 A1 A1", "A0 00 00 30", "0xA0 is no row byte"},
    {ZEL_CHARSET_JIS_X0208, "80 8E 8F", "80 00 8E 00 8F 00",
     "the EUC-JP single shifts mean nothing here"},
    {ZEL_CHARSET_JIS_X0208, "A1 41", "A1 00 41 00", "a row byte without a column byte"},
};

const Case jisx0208_cut_tails[] = {
    {ZEL_CHARSET_JIS_X0208, "B0", "B0 00", "a lone row byte at the end passes through", true},
    {ZEL_CHARSET_JIS_X0208, "A1 A1 B0", "00 30 B0 00", "after a pair", true},
};

const Case jisx0212_cases[] = {
    {ZEL_CHARSET_JIS_X0212, "A2 AF", "D8 02", "first character, breve"},
    {ZEL_CHARSET_JIS_X0212, "A2 B7", "7E 00", "0x2237 is the tilde"},
    {ZEL_CHARSET_JIS_X0212, "A9 A1", "C6 00", "row 0x29, AE ligature"},
    {ZEL_CHARSET_JIS_X0212, "B0 A1", "02 4E", "first kanji"},
    {ZEL_CHARSET_JIS_X0212, "ED E3", "A5 9F", "last character"},
    {ZEL_CHARSET_JIS_X0212, "A1 A1", "FD FF", "row 0x21 holds no character"},
    {ZEL_CHARSET_JIS_X0212, "A1 FE", "FD FF", "row 0x21, last column"},
    {ZEL_CHARSET_JIS_X0212, "A2 AE", "FD FF", "just before the first character"},
    {ZEL_CHARSET_JIS_X0212, "ED E4", "FD FF", "past the last character, same row"},
    {ZEL_CHARSET_JIS_X0212, "EE A1", "FD FF", "rows past 0x6D hold no character"},
    {ZEL_CHARSET_JIS_X0212, "FE FE", "FD FF", "last cell the decoder can read"},
    {ZEL_CHARSET_JIS_X0212, "22 2F", "22 00 2F 00", "7-bit bytes pass through"},
    {ZEL_CHARSET_JIS_X0212, "A2 FF", "A2 00 FF 00", "0xFF completes no pair"},
    {ZEL_CHARSET_JIS_X0212, "B0", "B0 00", "a lone row byte at the end", true},
};

TEST(JisX0208Input, DecodesAndDegrades) {
  check_cases(jisx0208_characters);
  check_cases(jisx0208_empty_cells);
  check_cases(jisx0208_pass_through);
  check_cases(jisx0208_cut_tails);
}

TEST(JisX0212Input, DecodesAndDegrades) { check_cases(jisx0212_cases); }

// --- Shift_JIS (id 7) ---------------------------------------------------------

const Case shift_jis_single_bytes[] = {
    {ZEL_CHARSET_SHIFT_JIS, "41 5C 42 7E", "41 00 A5 00 42 00 3E 20",
     "JIS X 0201 Roman: yen sign and overline"},
    {ZEL_CHARSET_SHIFT_JIS, "0A", "0A 00", "control bytes pass through"},
    {ZEL_CHARSET_SHIFT_JIS, "00 1B 1F", "00 00 1B 00 1F 00",
     "every byte below 0x20 passes through"},
    {ZEL_CHARSET_SHIFT_JIS, "20 7D", "20 00 7D 00", "space and brace as in ASCII"},
    {ZEL_CHARSET_SHIFT_JIS, "7F", "FD FF", "0x7F has no JIS X 0201 character"},
    {ZEL_CHARSET_SHIFT_JIS, "80", "FD FF", "0x80 is a single byte without a character"},
    {ZEL_CHARSET_SHIFT_JIS, "A0", "FD FF", "0xA0 likewise"},
    {ZEL_CHARSET_SHIFT_JIS, "A1", "61 FF", "first half-width katakana"},
    {ZEL_CHARSET_SHIFT_JIS, "B1", "71 FF", "half-width katakana A"},
    {ZEL_CHARSET_SHIFT_JIS, "DF", "9F FF", "last half-width katakana"},
    {ZEL_CHARSET_SHIFT_JIS, "A1 40", "61 FF 40 00", "a katakana byte takes no trail"},
};

const Case shift_jis_pairs[] = {
    {ZEL_CHARSET_SHIFT_JIS, "81 40", "00 30", "ideographic space"},
    {ZEL_CHARSET_SHIFT_JIS, "81 5F", "5C 00", "JIS 0x2140, the reverse solidus"},
    {ZEL_CHARSET_SHIFT_JIS, "81 7E", "D7 00", "last trail below 0x7F, JIS 0x215F"},
    {ZEL_CHARSET_SHIFT_JIS, "81 80", "F7 00", "trail 0x80 is the next column, JIS 0x2160"},
    {ZEL_CHARSET_SHIFT_JIS, "81 9E", "C7 25", "last trail of the odd row, JIS 0x217E"},
    {ZEL_CHARSET_SHIFT_JIS, "81 9F", "C6 25", "trail 0x9F starts the even row, JIS 0x2221"},
    {ZEL_CHARSET_SHIFT_JIS, "82 A0", "42 30", "hiragana"},
    {ZEL_CHARSET_SHIFT_JIS, "83 40", "A1 30", "katakana"},
    {ZEL_CHARSET_SHIFT_JIS, "88 9F", "9C 4E", "first level-1 kanji"},
    {ZEL_CHARSET_SHIFT_JIS, "98 72", "55 81", "last level-1 kanji"},
    {ZEL_CHARSET_SHIFT_JIS, "98 9F", "0C 5F", "first level-2 kanji"},
    {ZEL_CHARSET_SHIFT_JIS, "9F 40", "97 6A", "last lead below the katakana bytes"},
    {ZEL_CHARSET_SHIFT_JIS, "9F FC", "CC 6E", "its last trail"},
    {ZEL_CHARSET_SHIFT_JIS, "E0 40", "3E 6F", "lead 0xE0 carries JIS row 0x5F"},
    {ZEL_CHARSET_SHIFT_JIS, "E0 9F", "F9 71", "and row 0x60"},
    {ZEL_CHARSET_SHIFT_JIS, "EA 9E", "A0 9F", ""},
    {ZEL_CHARSET_SHIFT_JIS, "EA A4", "99 71", "last character"},
};

const Case shift_jis_empty_cells[] = {
    {ZEL_CHARSET_SHIFT_JIS, "81 7F", "FD FF", "trail 0x7F is taken and holds nothing"},
    {ZEL_CHARSET_SHIFT_JIS, "81 FD", "FD FF", "trail 0xFD likewise"},
    {ZEL_CHARSET_SHIFT_JIS, "81 FE", "FD FF", "trail 0xFE likewise"},
    {ZEL_CHARSET_SHIFT_JIS, "87 40", "FD FF", "row 0x87 holds no extra symbols"},
    {ZEL_CHARSET_SHIFT_JIS, "87 9C", "FD FF", "row 0x87, last of its symbol codes"},
    {ZEL_CHARSET_SHIFT_JIS, "84 BF", "FD FF", "unassigned JIS position"},
    {ZEL_CHARSET_SHIFT_JIS, "88 9E", "FD FF", "unassigned JIS position before the kanji"},
    {ZEL_CHARSET_SHIFT_JIS, "98 73", "FD FF", "gap between the kanji levels"},
    {ZEL_CHARSET_SHIFT_JIS, "EA A5", "FD FF", "past the last character, same row"},
    {ZEL_CHARSET_SHIFT_JIS, "EA FE", "FD FF", "end of row 0xEA"},
    {ZEL_CHARSET_SHIFT_JIS, "EB 40", "FD FF", "lead 0xEB"},
    {ZEL_CHARSET_SHIFT_JIS, "EF FC", "FD FF", "last JIS row, past the characters"},
    {ZEL_CHARSET_SHIFT_JIS, "F0 40", "FD FF", "user-defined leads hold no character"},
    {ZEL_CHARSET_SHIFT_JIS, "FF FE", "FD FF", "lead 0xFF, last trail"},
};

const Case shift_jis_pass_through[] = {
    {ZEL_CHARSET_SHIFT_JIS, "82 30", "82 00 30 00", "a trail below 0x40 is none: both bytes alone"},
    {ZEL_CHARSET_SHIFT_JIS, "81 3F", "81 00 3F 00", "0x3F likewise"},
    {ZEL_CHARSET_SHIFT_JIS, "81 0A", "81 00 0A 00", "a line end after a lead stays a line end"},
    {ZEL_CHARSET_SHIFT_JIS, "E0 20", "E0 00 20 00", "lead 0xE0 without a trail"},
};

const Case shift_jis_cut_tails[] = {
    {ZEL_CHARSET_SHIFT_JIS, "88", "88 00", "a lone lead at the end", true},
    {ZEL_CHARSET_SHIFT_JIS, "81 40 FF", "00 30 FF 00", "lead 0xFF at the end", true},
    {ZEL_CHARSET_SHIFT_JIS, "81 FF", "81 00 FF 00", "0xFF is no trail, but a lead for what follows",
     true},
};

TEST(ShiftJisInput, DecodesAndDegrades) {
  check_cases(shift_jis_single_bytes);
  check_cases(shift_jis_pairs);
  check_cases(shift_jis_empty_cells);
  check_cases(shift_jis_pass_through);
  check_cases(shift_jis_cut_tails);
}

// --- EUC-JP (id 19) -----------------------------------------------------------

const Case euc_jp_cases[] = {
    {ZEL_CHARSET_EUC_JP, "48 69 0A", "48 00 69 00 0A 00", "ASCII: each byte becomes two"},
    {ZEL_CHARSET_EUC_JP, "5C 7E", "5C 00 7E 00", "ASCII, not JIS X 0201 Roman"},
    {ZEL_CHARSET_EUC_JP, "A4 A2", "42 30", "JIS X 0208 pair"},
    {ZEL_CHARSET_EUC_JP, "A1 C0", "5C 00", "0x2140, the reverse solidus"},
    {ZEL_CHARSET_EUC_JP, "F4 A7", "FD FF", "past JIS X 0208's last character"},
    {ZEL_CHARSET_EUC_JP, "8E B1", "71 FF", "single shift 2: half-width katakana"},
    {ZEL_CHARSET_EUC_JP, "8E A1", "61 FF", "first katakana"},
    {ZEL_CHARSET_EUC_JP, "8E DF", "9F FF", "last katakana"},
    {ZEL_CHARSET_EUC_JP, "8F A2 AF", "D8 02", "single shift 3: JIS X 0212"},
    {ZEL_CHARSET_EUC_JP, "8F A2 B7", "7E 00", "JIS X 0212 tilde"},
    {ZEL_CHARSET_EUC_JP, "8F ED E3", "A5 9F", "last JIS X 0212 character"},
    {ZEL_CHARSET_EUC_JP, "8F A1 A1", "FD FF", "JIS X 0212 row 0x21 is empty"},
    {ZEL_CHARSET_EUC_JP, "8F FE FE", "FD FF", "past JIS X 0212's last character"},
};

const Case euc_jp_single_shifts_dropped[] = {
    {ZEL_CHARSET_EUC_JP, "8E E0", "E0 00", "0xE0 is no katakana byte: 0x8E goes, 0xE0 passes"},
    {ZEL_CHARSET_EUC_JP, "8E A0", "A0 00", "0xA0 neither"},
    {ZEL_CHARSET_EUC_JP, "8E 41", "41 00", "ASCII after a single shift"},
    {ZEL_CHARSET_EUC_JP, "8E E0 A1", "F9 71", "0xE0 0xA1 is then read as a JIS X 0208 pair"},
    {ZEL_CHARSET_EUC_JP, "8E A4 A2", "64 FF A2 00", "0xA4 is a katakana byte: 0xA2 is left alone"},
    {ZEL_CHARSET_EUC_JP, "8E 8E B1", "71 FF", "a second 0x8E takes over"},
    {ZEL_CHARSET_EUC_JP, "8F A2 41", "A2 00 41 00", "0x8F without two square bytes goes"},
    {ZEL_CHARSET_EUC_JP, "8F 41 A4 A2", "41 00 42 30", "and the rest is read afresh"},
    {ZEL_CHARSET_EUC_JP, "8F 8E B1", "71 FF", "0x8E after a dropped 0x8F"},
    {ZEL_CHARSET_EUC_JP, "8F A4 A2 FF", "FD FF FF 00", "JIS X 0212 row 0x24 is empty; 0xFF passes"},
};

const Case euc_jp_pass_through[] = {
    {ZEL_CHARSET_EUC_JP, "80", "80 00", "0x80 passes through"},
    {ZEL_CHARSET_EUC_JP, "A0 FF", "A0 00 FF 00", "0xA0 and 0xFF pass through"},
    {ZEL_CHARSET_EUC_JP, "A1 FF", "A1 00 FF 00", "0xFF completes no pair"},
    {ZEL_CHARSET_EUC_JP, "A4 8E B1", "A4 00 71 FF", "a single shift is no column byte"},
};

const Case euc_jp_cut_tails[] = {
    {ZEL_CHARSET_EUC_JP, "8E", "", "0x8E at the end gives nothing", true},
    {ZEL_CHARSET_EUC_JP, "8F A2", "A2 00", "0x8F with one byte left is dropped", true},
    {ZEL_CHARSET_EUC_JP, "8F", "", "0x8F at the end", true},
    {ZEL_CHARSET_EUC_JP, "8F A2 AF 8F A2 AF 8F", "D8 02 D8 02", "after whole sequences", true},
    {ZEL_CHARSET_EUC_JP, "A4", "A4 00", "a lone row byte", true},
};

TEST(EucJpInput, DecodesAndDegrades) {
  check_cases(euc_jp_cases);
  check_cases(euc_jp_single_shifts_dropped);
  check_cases(euc_jp_pass_through);
  check_cases(euc_jp_cut_tails);
}

TEST(JapaneseInput, EmptyTextStaysEmpty) {
  for (int id : {jisx0208_id, jisx0212_id, shift_jis_id, euc_jp_id})
    zel_test::check_empty_input(id);
}

TEST(JapaneseInput, EveryTargetGetsTheSameCharacters) {
  // Shift_JIS "日本語" with a half-width katakana and a yen sign.
  const std::string sjis = from_hex("93 FA 96 7B 8C EA B1 5C");
  EXPECT_EQ(to_hex(convert(zel_code_utf8, shift_jis_id, sjis)),
            to_hex("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xEF\xBD\xB1\xC2\xA5"));
  // GBK has the three ideographs; the katakana and the yen sign become spaces.
  EXPECT_EQ(to_hex(convert(zel_code_gbk, shift_jis_id, sjis)),
            to_hex(from_hex("C8 D5 B1 BE D5 5A") + "  "));
  const std::string euc = from_hex("C6 FC CB DC B8 EC 8E B1");
  EXPECT_EQ(convert(zel_code_utf8, euc_jp_id, euc),
            convert(zel_code_utf8, shift_jis_id, from_hex("93 FA 96 7B 8C EA B1")));
}

// Random bytes, and random bytes drawn from the bytes that matter to these
// decoders, give the same characters through every export, and never more
// units than bytes.
TEST(JapaneseInput, RandomBytesAgreeAcrossExports) {
  std::mt19937 rng(19);
  constexpr std::string_view telling = "\x8E\x8F\xA1\xDF\xE0\xEA\xFE\xFF\x80\x40\x7F";
  for (int id : {jisx0208_id, jisx0212_id, shift_jis_id, euc_jp_id}) {
    for (int round = 0; round < 4; ++round) {
      const std::string in =
          zel_test::random_bytes(rng, 1 << 16, round % 2 ? telling : std::string_view());
      zel_test::check_targets_agree(id, in);
    }
  }
}

}  // namespace

// --- the tables -----------------------------------------------------------------

namespace zel {
namespace {

using zel_test::Cell;
using zel_test::hex;

constexpr std::uint32_t last_jisx0208 = 0x7426, last_jisx0212 = 0x6D63, last_sjis = 0xEAA4;

// 7-bit JIS code (row byte high) -> cell.
std::size_t square_at(std::uint32_t code) {
  return ((code >> 8) - 0x21) * 94 + ((code & 0xFF) - 0x21);
}
std::size_t sjis_at(std::uint32_t code) {
  return ((code >> 8) - 0x81) * 191 + ((code & 0xFF) - 0x40);
}
std::uint16_t jisx0208_cell(std::uint32_t code) {
  return cell(jisx0208_to_ucs2, square_at(code), japanese_past_end);
}
std::uint16_t jisx0212_cell(std::uint32_t code) {
  return cell(jisx0212_to_ucs2, square_at(code), japanese_past_end);
}
std::uint16_t sjis_cell(std::uint32_t code) {
  return cell(sjis_to_ucs2, sjis_at(code), japanese_past_end);
}

// The JIS X 0208 position (7-bit code) of a Shift_JIS code, or 0 if it has
// none. Each lead carries an odd row (trails 0x40..0x7E, 0x80..0x9E) and the
// even row after it (trails 0x9F..0xFC).
std::uint32_t jis_position(std::uint32_t lead, std::uint32_t trail) {
  std::uint32_t first_row;
  if (lead >= 0x81 && lead <= 0x9F)
    first_row = (lead - 0x81) * 2 + 0x21;
  else if (lead >= 0xE0 && lead <= 0xEF)
    first_row = (lead - 0xC1) * 2 + 0x21;
  else
    return 0;
  if (trail >= 0x40 && trail <= 0x7E) return first_row << 8 | (trail - 0x1F);
  if (trail >= 0x80 && trail <= 0x9E) return first_row << 8 | (trail - 0x20);
  if (trail >= 0x9F && trail <= 0xFC) return (first_row + 1) << 8 | (trail - 0x7E);
  return 0;
}

bool is_character(std::uint16_t unit) { return unit != 0xFFFD && unit != 0; }

TEST(JapaneseTables, ShapesEndAtTheLastCharacter) {
  struct Shape {
    const char* table;
    std::size_t stored;
    std::size_t expected;
  };
  const Shape shapes[] = {
      {"jisx0201_to_ucs2 through 0xDF", std::size(jisx0201_to_ucs2), 0xE0},
      {"jisx0208_to_ucs2 through 0x7426", std::size(jisx0208_to_ucs2),
       square_at(last_jisx0208) + 1},
      {"jisx0208_to_ucs2 cells", jisx0208_to_ucs2_size, 7808},
      {"jisx0212_to_ucs2 through 0x6D63", std::size(jisx0212_to_ucs2),
       square_at(last_jisx0212) + 1},
      {"jisx0212_to_ucs2 cells", jisx0212_to_ucs2_size, 7211},
      {"sjis_to_ucs2 through 0xEAA4", std::size(sjis_to_ucs2), sjis_at(last_sjis) + 1},
      {"sjis_to_ucs2 cells", sjis_to_ucs2_size, 20156},
  };
  for (const Shape& shape : shapes) EXPECT_EQ(shape.stored, shape.expected) << shape.table;
  // The largest indexes the decoders compute read U+FFFD, not outside a table.
  EXPECT_EQ(cell(jisx0208_to_ucs2, square_at(0x7E7E), japanese_past_end), 0xFFFD);
  EXPECT_EQ(cell(jisx0212_to_ucs2, 21090, japanese_past_end), 0xFFFD);
  EXPECT_EQ(cell(sjis_to_ucs2, 24256, japanese_past_end), 0xFFFD);
  EXPECT_EQ(cell(jisx0201_to_ucs2, 0xFF, japanese_past_end), 0xFFFD);
}

TEST(JapaneseTables, TellingCells) {
  const Cell jisx0208[] = {
      {0x2121, 0x3000, "ideographic space"}, {0x2140, 0x005C, "reverse solidus, not U+FF3C"},
      {0x2141, 0x301C, "wave dash"},         {0x215D, 0x2212, "minus sign"},
      {0x2171, 0x00A2, "cent sign"},         {0x2172, 0x00A3, "pound sign"},
      {0x3021, 0x4E9C, "first kanji"},       {0x7426, 0x7199, "last character"},
      {0x2F21, 0xFFFD, "empty row"},         {0x7427, 0xFFFD, "past the last character"},
  };
  zel_test::check_cells(jisx0208, jisx0208_cell);
  const Cell jisx0212[] = {
      {0x222F, 0x02D8, "first character"}, {0x2237, 0x007E, "tilde"},
      {0x3021, 0x4E02, "first kanji"},     {0x6D63, 0x9FA5, "last character"},
      {0x2121, 0xFFFD, "row 0x21"},        {0x6D64, 0xFFFD, "past the last character"},
  };
  zel_test::check_cells(jisx0212, jisx0212_cell);
  const Cell sjis[] = {
      {0x8140, 0x3000, "ideographic space"},
      {0x815F, 0x005C, "reverse solidus"},
      {0x889F, 0x4E9C, "first kanji"},
      {0xEAA4, 0x7199, "last character"},
      {0x8740, 0xFFFD, "row 0x87"},
      {0xA040, 0xFFFD, "single-byte row 0xA0"},
      {0xDFFE, 0xFFFD, "single-byte row 0xDF"},
      {0xEAA5, 0xFFFD, "past the last character"},
  };
  zel_test::check_cells(sjis, sjis_cell);
}

TEST(JapaneseTables, JisX0201FollowsItsRanges) {
  int checked = 0;
  for (std::uint32_t b = 0; b <= 0xFF; ++b, ++checked) {
    std::uint16_t expected;
    if (b < 0x20 || (b >= 0x7F && b <= 0xA0) || b > 0xDF)
      expected = 0xFFFD;
    else if (b == 0x5C)
      expected = 0x00A5;
    else if (b == 0x7E)
      expected = 0x203E;
    else if (b < 0x7F)
      expected = static_cast<std::uint16_t>(b);
    else
      expected = static_cast<std::uint16_t>(b + 0xFEC0);
    EXPECT_EQ(cell(jisx0201_to_ucs2, b, japanese_past_end), expected) << hex(b);
  }
  EXPECT_EQ(checked, 256);
}

// Characters (neither U+FFFD nor 0) up to the last one, U+FFFD between them
// and after: the counts are the character sets' own.
TEST(JapaneseTables, SquaresCountTheirCharacters) {
  struct Square {
    const char* name;
    std::uint16_t (*read)(std::uint32_t);
    std::uint32_t last;
    std::size_t characters;
  };
  const Square squares[] = {
      {"JIS X 0208", jisx0208_cell, last_jisx0208, 6879},
      {"JIS X 0212", jisx0212_cell, last_jisx0212, 6067},
  };
  for (const Square& s : squares) {
    std::size_t characters = 0, empty = 0, zero_before = 0, filler_after = 0;
    for (std::uint32_t row = 0x21; row <= 0x7E; ++row) {
      for (std::uint32_t column = 0x21; column <= 0x7E; ++column) {
        const std::uint32_t code = row << 8 | column;
        const std::uint16_t unit = s.read(code);
        if (code > s.last) {
          filler_after += unit == 0xFFFD;
        } else if (unit == 0) {
          ++zero_before;
        } else {
          (unit == 0xFFFD ? empty : characters)++;
        }
      }
    }
    EXPECT_EQ(characters, s.characters) << s.name;
    EXPECT_EQ(characters + empty, square_at(s.last) + 1) << s.name;
    EXPECT_EQ(zero_before, 0u) << s.name;
    EXPECT_EQ(filler_after, 8836 - (square_at(s.last) + 1)) << s.name;
  }
  for (std::uint32_t column = 0x21; column <= 0x7E; ++column)
    EXPECT_EQ(jisx0212_cell(0x2100 | column), 0xFFFD) << "JIS X 0212 row 0x21 holds no character";
  EXPECT_EQ(jisx0212_cell(0x222E), 0xFFFD);
}

TEST(JapaneseTables, ShiftJisIsJisX0208AtItsShiftJisCodes) {
  std::size_t positions = 0, characters = 0;
  std::vector<bool> position_seen(94 * 94, false);
  zel_test::Mismatches bad("sjis_to_ucs2 against jisx0208_to_ucs2");
  for (std::uint32_t lead = 0x81; lead <= 0xFF; ++lead) {
    for (std::uint32_t trail = 0x40; trail <= 0xFE; ++trail) {
      const std::uint32_t code = lead << 8 | trail;
      const std::uint16_t unit = sjis_cell(code);
      const std::uint32_t jis = jis_position(lead, trail);
      std::uint16_t expected;
      if (jis) {
        ++positions;
        position_seen[square_at(jis)] = true;
        expected = jisx0208_cell(jis);
      } else {
        expected = 0xFFFD;
      }
      if (code > last_sjis) expected = 0xFFFD;
      characters += is_character(unit);
      bad.check(unit == expected,
                hex(code) + " holds " + hex(unit) + ", expected " + hex(expected));
    }
  }
  EXPECT_EQ(positions, 94u * 94) << "every JIS X 0208 position has one Shift_JIS code";
  for (std::size_t at = 0; at < position_seen.size(); ++at) EXPECT_TRUE(position_seen[at]) << at;
  EXPECT_EQ(characters, 6879u);
  // The cells through 0xEAA4 hold no 0, and the stored table stops there.
  std::size_t zeros = 0;
  for (std::uint16_t unit : sjis_to_ucs2) zeros += unit == 0;
  EXPECT_EQ(zeros, 0u);
}

TEST(JapaneseTables, ShiftJisFillerRowsAndColumns) {
  std::size_t checked = 0;
  for (std::uint32_t lead = 0x81; lead <= 0xEA; ++lead) {
    for (std::uint32_t trail = 0x40; trail <= 0xFE; ++trail) {
      const std::uint32_t code = lead << 8 | trail;
      const bool single_byte_row = lead >= 0xA0 && lead <= 0xDF;
      const bool no_trail = trail == 0x7F || trail >= 0xFD;
      if ((single_byte_row || no_trail || lead == 0x87) && code <= last_sjis) {
        ++checked;
        EXPECT_EQ(sjis_cell(code), 0xFFFD) << hex(code);
      }
    }
  }
  // 64 rows of 191, 42 other leads with 3 non-trail columns (0xEA's 0xFD and
  // 0xFE lie past 0xEAA4), and 188 more codes of row 0x87.
  EXPECT_EQ(checked, 64u * 191 + 42 * 3 - 2 + 188);
}

}  // namespace
}  // namespace zel

// --- every code against Python's codecs ----------------------------------------

namespace {

using zel_test::Deviation;
using zel_test::Rule;

// Where the library departs from Python's codecs.
// JIS X 0208 and EUC-JP write 0x2140 alike.
const Deviation square_cells[] = {
    {"A1 C0", "5C 00", "JIS X 0208 0x2140 is the reverse solidus, not U+FF3C"},
};
const Deviation shift_jis_cells[] = {
    {"81 5F", "5C 00", "JIS X 0208 0x2140 is the reverse solidus, not U+FF3C"},
    {"5C", "A5 00", "JIS X 0201 Roman's yen sign, where the codec reads ASCII"},
    {"7E", "3E 20", "JIS X 0201 Roman's overline"},
    {"7F", "FD FF", "JIS X 0201 has no character at 0x7F"},
};
const Rule refused[] = {zel_test::refused_gives(
    "FD FF",
    "a code the codec refuses gives U+FFFD, before a table's last character and after "
    "it alike, and so do the single bytes 0x80 and 0xA0")};

struct Decoding {
  zel_test::GoldenFile file;
  int id;
  std::size_t answered;  // lines the codec decodes
};

TEST(JapaneseGolden, EveryCodeAgainstPythonsCodecs) {
  const Decoding files[] = {
      {{"jisx0208_decode_golden.txt", 94 * 94, square_cells, refused}, jisx0208_id, 6879},
      {{"jisx0212_decode_golden.txt", 94 * 94, {}, refused}, jisx0212_id, 6067},
      // Single bytes 00..80 and A0..DF, then 63 leads of 191 trails.
      {{"shift_jis_decode_golden.txt", 129 + 64 + 63 * 191, shift_jis_cells, refused},
       shift_jis_id,
       128 + 63 + 6879},
      // ASCII, 63 katakana, both squares.
      {{"euc_jp_decode_golden.txt", 128 + 63 + 2 * 94 * 94, square_cells, refused},
       euc_jp_id,
       128 + 63 + 6879 + 6067},
  };
  for (const Decoding& f : files) {
    SCOPED_TRACE(f.file.name);
    const zel_test::LibraryLines library = zel_test::library_lines(f.file);
    EXPECT_EQ(library.answered, f.answered);
    zel_test::check_decoding(f.id, library.lines);
  }
}

}  // namespace
