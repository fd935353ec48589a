// Korean input: code page 949 (id 12), 7-bit KS X 1001 (id 13), ISO-2022-KR
// (id 16), EUC-KR (id 20), and their two tables.
//
// Oracles: the expected units below are typed in from Python's cp949 codec;
// the table counts come from the structure of the encodings (the 11,172
// modern Hangul syllables, KS X 1001's 2,350 + 4,888 + 986 characters); the
// golden files of tools/testdata/make_golden_korean.py hold Python's cp949,
// euc_kr and iso2022_kr answers unedited and share no code with the
// generator; the library's departures from them are listed here as data.
#include "src/tables/korean.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/conversion.h"
#include "tests/support/golden.h"
#include "tests/support/sweep.h"

using zel_test::Case;
using zel_test::Cell;
using zel_test::check_cases;
using zel_test::convert;
using zel_test::from_hex;
using zel_test::hex;
using zel_test::Mismatches;
using zel_test::to_hex;

namespace {

constexpr int ksc5601_id = ZEL_CHARSET_KS_C_5601, ksx1001_id = ZEL_CHARSET_KS_X_1001,
              iso2022kr_id = ZEL_CHARSET_ISO_2022_KR, euc_kr_id = ZEL_CHARSET_EUC_KR;

// --- code page 949 (id 12) --------------------------------------------------

const Case ksc5601_characters[] = {
    {ZEL_CHARSET_KS_C_5601, "41 0A", "41 00 0A 00", "ASCII"},
    {ZEL_CHARSET_KS_C_5601, "B0 A1", "00 AC", "first KS X 1001 syllable"},
    {ZEL_CHARSET_KS_C_5601, "81 41", "02 AC", "first additional syllable"},
    {ZEL_CHARSET_KS_C_5601, "B0 8F", "E6 CE", "additional syllable inside a KS X 1001 lead's row"},
    {ZEL_CHARSET_KS_C_5601, "C6 52", "A3 D7", "last additional syllable"},
    {ZEL_CHARSET_KS_C_5601, "A0 A1", "29 C8", "additional syllable with a high trail"},
    {ZEL_CHARSET_KS_C_5601, "81 C0", "B4 AC", "additional syllable, trail 0xC0"},
    {ZEL_CHARSET_KS_C_5601, "A1 A1", "00 30", "ideographic space"},
    {ZEL_CHARSET_KS_C_5601, "A4 D4", "64 31", "Hangul filler"},
    {ZEL_CHARSET_KS_C_5601, "FD FE", "70 8A", "last cell of the table"},
    {ZEL_CHARSET_KS_C_5601, "C8 FE", "9D D7", "last KS X 1001 syllable"},
};

const Case ksc5601_empty_cells[] = {
    {ZEL_CHARSET_KS_C_5601, "A2 E6", "FD FF", "code page 949's euro is left out"},
    {ZEL_CHARSET_KS_C_5601, "A2 E7", "FD FF", "code page 949's registered sign is left out"},
    {ZEL_CHARSET_KS_C_5601, "81 40", "FD FF", "trail 0x40 is read but unused: both bytes go"},
    {ZEL_CHARSET_KS_C_5601, "81 5B", "FD FF", "trail 0x5B is unused"},
    {ZEL_CHARSET_KS_C_5601, "A1 60", "FD FF", "trail 0x60 is unused"},
    {ZEL_CHARSET_KS_C_5601, "C6 7B", "FD FF", "trail 0x7B is unused"},
    {ZEL_CHARSET_KS_C_5601, "B0 80", "FD FF", "trail 0x80 is unused"},
    {ZEL_CHARSET_KS_C_5601, "C6 53", "FD FF", "past the last additional syllable"},
    {ZEL_CHARSET_KS_C_5601, "C9 A1", "FD FF", "user-defined row C9"},
    {ZEL_CHARSET_KS_C_5601, "FE A1", "FD FF", "lead 0xFE is past the table"},
    {ZEL_CHARSET_KS_C_5601, "FE 40", "FD FF", "lead 0xFE, first trail"},
    {ZEL_CHARSET_KS_C_5601, "FF FE", "FD FF", "lead 0xFF reads past the table"},
};

const Case ksc5601_pass_through[] = {
    {ZEL_CHARSET_KS_C_5601, "81 39", "81 00 39 00", "0x39 is no trail byte"},
    {ZEL_CHARSET_KS_C_5601, "81 FF 41", "81 00 FD FF",
     "0xFF is no trail byte, but a lead reading past the table"},
    {ZEL_CHARSET_KS_C_5601, "B0 0A", "B0 00 0A 00", "a line end after a lead stays visible"},
    {ZEL_CHARSET_KS_C_5601, "A1 20 A1 A1", "A1 00 20 00 00 30", "the failed trail is read afresh"},
};

// Code page 949 has no lead 0x80; the table starts at 0x81.
const Case ksc5601_lead_80[] = {
    {ZEL_CHARSET_KS_C_5601, "80 41", "80 00 41 00", "0x80 passes alone, its trail is read afresh"},
    {ZEL_CHARSET_KS_C_5601, "80 B0 A1", "80 00 00 AC",
     "the byte after 0x80 leads a pair of its own"},
    {ZEL_CHARSET_KS_C_5601, "80 80 41", "80 00 80 00 41 00", "two 0x80 in a row"},
    {ZEL_CHARSET_KS_C_5601, "80 FE", "80 00 FE 00", "0x80 then a lead cut off", true},
};

const Case ksc5601_cut_tails[] = {
    {ZEL_CHARSET_KS_C_5601, "B0", "B0 00", "a final lead passes through", true},
    {ZEL_CHARSET_KS_C_5601, "81 FF", "81 00 FF 00", "0xFF is no trail, and last it leads nothing",
     true},
    {ZEL_CHARSET_KS_C_5601, "41 B0 A1 B0", "41 00 00 AC B0 00", "a final lead after a pair", true},
};

TEST(Ksc5601Input, DecodesAndDegrades) {
  check_cases(ksc5601_characters);
  check_cases(ksc5601_empty_cells);
  check_cases(ksc5601_pass_through);
  check_cases(ksc5601_lead_80);
  check_cases(ksc5601_cut_tails);
}

// --- KS X 1001, 7-bit (id 13) -----------------------------------------------

const Case ksx1001_characters[] = {
    {ZEL_CHARSET_KS_X_1001, "30 21", "00 AC", "row 0x30 column 0x21 is B0A1"},
    {ZEL_CHARSET_KS_X_1001, "21 21", "00 30", "ideographic space"},
    {ZEL_CHARSET_KS_X_1001, "41 42", "8C C8", "the letters AB are one character"},
    {ZEL_CHARSET_KS_X_1001, "24 54", "64 31", "Hangul filler"},
    {ZEL_CHARSET_KS_X_1001, "7D 7E", "70 8A", "last stored cell"},
    {ZEL_CHARSET_KS_X_1001, "21 7E", "E2 FF", "last column"},
};

const Case ksx1001_empty_cells[] = {
    {ZEL_CHARSET_KS_X_1001, "22 66", "FD FF", "the euro is left out"},
    {ZEL_CHARSET_KS_X_1001, "22 67", "FD FF", "the registered sign is left out"},
    {ZEL_CHARSET_KS_X_1001, "49 21", "FD FF", "user-defined row 0x49"},
    {ZEL_CHARSET_KS_X_1001, "7E 21", "FD FF", "row 0x7E is past the table"},
    {ZEL_CHARSET_KS_X_1001, "7E 7E", "FD FF", "last cell of row 0x7E"},
};

const Case ksx1001_pass_through[] = {
    {ZEL_CHARSET_KS_X_1001, "30 20", "30 00 20 00", "space completes no pair"},
    {ZEL_CHARSET_KS_X_1001, "20 30 21", "20 00 00 AC", "space starts no pair"},
    {ZEL_CHARSET_KS_X_1001, "30 7F", "30 00 7F 00", "0x7F completes no pair"},
    {ZEL_CHARSET_KS_X_1001, "0D 0A", "0D 00 0A 00", "line ends pass through"},
    {ZEL_CHARSET_KS_X_1001, "B0 A1", "B0 00 A1 00", "8-bit bytes pass through"},
    {ZEL_CHARSET_KS_X_1001, "1B 28 42", "1B 00 71 32", "an escape's ESC passes, the rest pairs up"},
};

const Case ksx1001_cut_tails[] = {
    {ZEL_CHARSET_KS_X_1001, "41", "41 00", "a lone final letter passes through", true},
    {ZEL_CHARSET_KS_X_1001, "30 21 41", "00 AC 41 00", "odd letter out at the end", true},
};

TEST(Ksx1001Input, DecodesAndDegrades) {
  check_cases(ksx1001_characters);
  check_cases(ksx1001_empty_cells);
  check_cases(ksx1001_pass_through);
  check_cases(ksx1001_cut_tails);
}

// --- EUC-KR (id 20) ---------------------------------------------------------

const Case euc_kr_characters[] = {
    {ZEL_CHARSET_EUC_KR, "B0 A1", "00 AC", "first syllable"},
    {ZEL_CHARSET_EUC_KR, "A4 D4", "64 31", "Hangul filler, alone"},
    {ZEL_CHARSET_EUC_KR, "A1 A1 41", "00 30 41 00", "ideographic space, then ASCII"},
    {ZEL_CHARSET_EUC_KR, "FD FE", "70 8A", "last stored cell"},
};

const Case euc_kr_empty_cells[] = {
    {ZEL_CHARSET_EUC_KR, "A2 E6", "FD FF", "the euro is left out"},
    {ZEL_CHARSET_EUC_KR, "C9 A1", "FD FF", "user-defined row C9"},
    {ZEL_CHARSET_EUC_KR, "FE A1", "FD FF", "row 0xFE is past the table"},
    {ZEL_CHARSET_EUC_KR, "FE FE", "FD FF", "last cell of row 0xFE"},
};

const Case euc_kr_pass_through[] = {
    {ZEL_CHARSET_EUC_KR, "B0 FF", "B0 00 FF 00", "0xFF completes no pair"},
    {ZEL_CHARSET_EUC_KR, "81 41", "81 00 41 00", "the additional syllables are not read here"},
    {ZEL_CHARSET_EUC_KR, "A0 A1 A1", "A0 00 00 30", "0xA0 starts no pair"},
    {ZEL_CHARSET_EUC_KR, "B0 A0", "B0 00 A0 00", "0xA0 completes no pair"},
    {ZEL_CHARSET_EUC_KR, "FF A1 A1", "FF 00 00 30", "0xFF starts no pair"},
};

const Case euc_kr_cut_tails[] = {
    {ZEL_CHARSET_EUC_KR, "B0", "B0 00", "a final lead passes through", true},
};

TEST(EucKrInput, DecodesAndDegrades) {
  check_cases(euc_kr_characters);
  check_cases(euc_kr_empty_cells);
  check_cases(euc_kr_pass_through);
  check_cases(euc_kr_cut_tails);
}

// --- ISO-2022-KR (id 16) ----------------------------------------------------
// ESC $ ) C is 1B 24 29 43; SO 0E, SI 0F.

const Case iso2022kr_shifts[] = {
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 30 21 0F 41", "00 AC 41 00",
     "designate, shift, character, shift back"},
    {ZEL_CHARSET_ISO_2022_KR, "0E 30 21 0F 41", "30 00 21 00 41 00",
     "SO before any designation is dropped"},
    // Not repeated: a second copy would find the first one's designation.
    {ZEL_CHARSET_ISO_2022_KR, "0E 41 1B 24 29 43 0E 30 21 0F", "41 00 00 AC",
     "SO counts once a designation came", true},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 41 0E 30 21 0F 42", "41 00 00 AC 42 00",
     "ASCII before and after a run"},
    {ZEL_CHARSET_ISO_2022_KR, "41 0F 42", "41 00 42 00", "SI while not shifted is dropped"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 0E 30 21 0F 0F", "00 AC",
     "repeated shifts change nothing"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 30 21 1B 24 29 43 30 21 0F", "00 AC 00 AC",
     "a designation inside a run keeps the shift"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 30 21 0F 0E 22 66 0F", "00 AC FD FF",
     "the euro is left out"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 7D 7E 0F", "70 8A", "last stored cell"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 7E 21 0F", "FD FF",
     "row 0x7E is past the characters"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 80 A1 0F", "FD FF",
     "8-bit bytes read cells past the table"},
};

const Case iso2022kr_escapes[] = {
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43", "", "a designation alone gives nothing"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 28 42", "28 00 42 00", "an unknown escape loses only its ESC"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 1B 24 29 43 0E 30 21 0F", "00 AC",
     "ESC before a designation is dropped"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 44 0E 30 21", "24 00 29 00 44 00 30 00 21 00",
     "a near miss designates nothing"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 28 43 41", "24 00 28 00 43 00 41 00", "ESC $ ( C is not ours"},
    {ZEL_CHARSET_ISO_2022_KR, "41 1B", "41 00", "ESC at the very end is dropped"},
};

// Shifted, a byte takes the next one whatever it is: the pair reads the
// cell of the code (b + 0x80, c + 0x80).
const Case iso2022kr_second_bytes[] = {
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 30 0F", "E6 CE",
     "SI as the second byte: B08F, and the shift stays"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 30 0F 30 21 0F", "E6 CE 00 AC",
     "still shifted after that pair"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 30 1B 0F", "FA CE", "ESC as the second byte: B09B"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 30 0E 0F", "E3 CE", "SO as the second byte: B08E"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 0A 0A 0F", "8D B4",
     "line ends do not shift out: LF LF is 8A8A"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 0D 0A 30 21 0F", "07 B7 00 AC", "CR LF is 8D8A"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 20 21 0F", "29 C8", "space pairs too: A0A1"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 41 42 0F", "8C C8", "C1C2"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 1B 28 42 0F", "71 32",
     "unknown escape while shifted: 28 42 pairs"},
};

// Row 0x00 lies before the table; only a second byte from 0x7F reaches a
// cell, running on into lead 0x81. Before it, both bytes pass through.
const Case iso2022kr_row_00[] = {
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 00 0A 0F", "00 00 0A 00",
     "NUL LF passes both, the LF stays visible"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 00 1B 24 29 43 0F", "00 00 1B 00 39 31 95 D6",
     "an ESC taken as a second byte passes through; what follows pairs up: A4A9, C38F"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 00 7E 0F", "00 00 7E 00",
     "last second byte before the table"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 00 7F 0F", "FD FF", "cell 0, 8140"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 00 80 0F", "02 AC", "cell 1, 8141"},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 00 FF 0F", "B4 AC", "cell 128, 81C0"},
};

const Case iso2022kr_cut_tails[] = {
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 41", "41 00",
     "shifted, a lone last byte passes through", true},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29", "24 00 29 00",
     "a designation cut short loses its ESC only", true},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24", "24 00", "ESC $ at the end", true},
    {ZEL_CHARSET_ISO_2022_KR, "1B 24 29 43 0E 30 21 1B", "00 AC", "ESC at the end of a run", true},
};

TEST(Iso2022KrInput, DecodesAndDegrades) {
  check_cases(iso2022kr_shifts);
  check_cases(iso2022kr_escapes);
  check_cases(iso2022kr_second_bytes);
  check_cases(iso2022kr_row_00);
  check_cases(iso2022kr_cut_tails);
}

TEST(Iso2022KrInput, StateDiesWithTheCall) {
  const std::string shifted = from_hex("1B 24 29 43 0E 30 21");
  EXPECT_EQ(to_hex(convert(zel_code_unicode, iso2022kr_id, shifted)), "00 AC");
  EXPECT_EQ(to_hex(convert(zel_code_unicode, iso2022kr_id, from_hex("30 21 0E 30 21"))),
            "30 00 21 00 30 00 21 00")
      << "a second call starts neither designated nor shifted";
}

TEST(KoreanInput, EmptyStaysEmpty) {
  for (int id : {ksc5601_id, ksx1001_id, iso2022kr_id, euc_kr_id}) zel_test::check_empty_input(id);
}

TEST(KoreanInput, OtherTargetsGetTheSameCharacters) {
  // U+AC00 has no GBK code (a space); U+3000 is A1A1 in both.
  const std::string text = from_hex("B0 A1 A1 A1 41");
  EXPECT_EQ(to_hex(convert(zel_code_utf8, euc_kr_id, text)), "EA B0 80 E3 80 80 41");
  EXPECT_EQ(to_hex(convert(zel_code_gbk, euc_kr_id, text)), "20 A1 A1 41");
  EXPECT_EQ(to_hex(convert(zel_code_gb18030, euc_kr_id, text)), "82 37 CF 35 A1 A1 41");
  EXPECT_EQ(to_hex(convert(zel_code_gb18030, ksc5601_id, text)), "82 37 CF 35 A1 A1 41");
}

// Random bytes, weighted towards the bytes these decoders branch on. Every
// target must equal the staged conversion: decode to pivot text, then encode
// that with id 1.
TEST(KoreanInput, RandomBytesGiveTheStagedResultInEveryTarget) {
  const unsigned char interesting[] = {0x00, 0x0A, 0x0E, 0x0F, 0x1B, 0x24, 0x29, 0x43, 0x21,
                                       0x7E, 0x7F, 0x80, 0x81, 0xA1, 0xB0, 0xFE, 0xFF};
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 16;
  };
  for (int id : {ksc5601_id, ksx1001_id, iso2022kr_id, euc_kr_id}) {
    for (int round = 0; round < 20; ++round) {
      std::string in;
      const std::size_t n = next() % 4000;
      for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t r = next();
        in.push_back(
            static_cast<char>(r % 3 ? interesting[r / 3 % std::size(interesting)] : r >> 8));
      }
      SCOPED_TRACE("id " + std::to_string(id) + ", round " + std::to_string(round));
      zel_test::check_targets_agree(id, in);
    }
  }
}

// --- tables -----------------------------------------------------------------

// Written out again on purpose rather than taken from the decoders.
std::size_t uhc_index(std::uint32_t code) {
  return ((code >> 8) - 0x81) * 191 + ((code & 0xFF) - 0x40);
}
std::size_t square_index(std::uint32_t code) {
  return ((code >> 8) - 0xA1) * 94 + ((code & 0xFF) - 0xA1);
}
std::uint16_t uhc_cell(std::uint32_t code) {
  return zel::cell(zel::ksc5601_to_ucs2, uhc_index(code), zel::ksc5601_past_end);
}
std::uint16_t square_cell(std::uint32_t code) {
  return zel::cell(zel::ksx1001_to_ucs2, square_index(code), zel::ksx1001_past_end);
}

bool is_syllable(std::uint16_t unit) { return unit >= 0xAC00 && unit <= 0xD7A3; }

TEST(KoreanTables, Shapes) {
  EXPECT_EQ(std::size(zel::ksc5601_to_ucs2), uhc_index(0xFDFE) + 1) << "stored through FDFE";
  EXPECT_EQ(std::size(zel::ksc5601_to_ucs2), 23875u);
  EXPECT_EQ(std::size(zel::ksx1001_to_ucs2), square_index(0xFDFE) + 1) << "stored through FDFE";
  EXPECT_EQ(std::size(zel::ksx1001_to_ucs2), 93u * 94u);
  EXPECT_EQ(zel::ksc5601_past_end, 0xFFFD);
  EXPECT_EQ(zel::ksx1001_past_end, 0xFFFD);
}

TEST(KoreanTables, TellingCells) {
  const Cell uhc[] = {
      {0x8141, 0xAC02, "first additional syllable"},
      {0xA1A1, 0x3000, "ideographic space"},
      {0xB0A1, 0xAC00, "first KS X 1001 syllable"},
      {0xB08F, 0xCEE6, "additional syllable in row B0"},
      {0xC652, 0xD7A3, "last syllable"},
      {0xFDFE, 0x8A70, "last cell"},
      {0xA2E6, 0xFFFD, "code page 949's euro left out"},
      {0xA2E7, 0xFFFD, "code page 949's registered sign left out"},
      {0x8140, 0xFFFD, "trail 0x40"},
      {0xFE40, 0xFFFD, "lead 0xFE"},
      {0xFFFE, 0xFFFD, "lead 0xFF"},
  };
  zel_test::check_cells(uhc, uhc_cell);
  const Cell square[] = {
      {0xA1A1, 0x3000, "ideographic space"}, {0xB0A1, 0xAC00, "first syllable"},
      {0xA2E6, 0xFFFD, "euro left out"},     {0xA2E7, 0xFFFD, "registered sign left out"},
      {0xA4D4, 0x3164, "Hangul filler"},     {0xFDFE, 0x8A70, "last cell"},
      {0xFEA1, 0xFFFD, "row 0xFE"},          {0xFEFE, 0xFFFD, "last nominal cell"},
  };
  zel_test::check_cells(square, square_cell);
}

TEST(KoreanTables, ReadsPastTheStoredCellsGiveTheReplacementCharacter) {
  // The nominal tables have 65,536 cells; every one past the stored range is U+FFFD.
  for (std::size_t at = zel::ksc5601_to_ucs2_size; at < 65536; at += 97)
    ASSERT_EQ(zel::cell(zel::ksc5601_to_ucs2, at, zel::ksc5601_past_end), 0xFFFD) << at;
  for (std::size_t at = zel::ksx1001_to_ucs2_size; at < 65536; at += 97)
    ASSERT_EQ(zel::cell(zel::ksx1001_to_ucs2, at, zel::ksx1001_past_end), 0xFFFD) << at;
}

// The Unified Hangul Code's trail bytes: 0x41..0x5A, 0x61..0x7A, 0x81..0xFE.
bool uhc_trail(std::uint32_t trail) {
  return (trail >= 0x41 && trail <= 0x5A) || (trail >= 0x61 && trail <= 0x7A) || trail >= 0x81;
}
bool in_square(std::uint32_t lead, std::uint32_t trail) { return lead >= 0xA1 && trail >= 0xA1; }

TEST(KoreanTables, Ksc5601Counts) {
  std::size_t additional = 0, square_characters = 0, replacements = 0;
  std::uint16_t last_additional = 0;
  Mismatches bad("ksc5601_to_ucs2 rules");
  for (std::uint32_t lead = 0x81; lead <= 0xFD; ++lead) {
    for (std::uint32_t trail = 0x40; trail <= 0xFE; ++trail) {
      const std::uint32_t code = lead << 8 | trail;
      const std::uint16_t unit = uhc_cell(code);
      bad.check(unit != 0, hex(code) + " holds 0 before lead 0xFE");
      if (unit == 0xFFFD) {
        ++replacements;
      } else if (in_square(lead, trail)) {
        ++square_characters;
      } else {
        // Outside the square only the additional syllables, in Unicode order.
        bad.check(uhc_trail(trail), hex(code) + ": a character on an unused trail");
        bad.check(is_syllable(unit) && unit > last_additional,
                  hex(code) + " holds " + hex(unit) + " out of order");
        last_additional = unit;
        ++additional;
      }
    }
  }
  EXPECT_EQ(additional, 8822u);
  EXPECT_EQ(square_characters, 8224u);
  EXPECT_EQ(replacements, 125u * 191u - 8822u - 8224u);
  // Leads 0x81..0xA0 use all 178 trails, 0xA1..0xC5 the 84 below 0xA1, and
  // lead 0xC6 stops at C652.
  std::size_t expected = 0;
  for (std::uint32_t lead = 0x81; lead <= 0xC6; ++lead) {
    for (std::uint32_t trail = 0x41; trail <= 0xFE; ++trail) {
      if (!uhc_trail(trail) || in_square(lead, trail)) continue;
      if (lead == 0xC6 && trail > 0x52) continue;
      ++expected;
      bad.check(is_syllable(uhc_cell(lead << 8 | trail)), hex(lead << 8 | trail) + " is empty");
    }
  }
  EXPECT_EQ(expected, 32u * 178u + 37u * 84u + 18u);
}

TEST(KoreanTables, EverySyllableHasExactlyOneCode) {
  std::vector<int> seen(0xD7A4 - 0xAC00, 0);
  for (std::uint32_t lead = 0x81; lead <= 0xFD; ++lead)
    for (std::uint32_t trail = 0x40; trail <= 0xFE; ++trail) {
      const std::uint16_t unit = uhc_cell(lead << 8 | trail);
      if (is_syllable(unit)) ++seen[unit - 0xAC00];
    }
  Mismatches bad("syllables");
  for (std::size_t i = 0; i < seen.size(); ++i)
    bad.check(seen[i] == 1, "U+" + hex(0xAC00 + static_cast<std::uint32_t>(i)) + " appears " +
                                std::to_string(seen[i]) + " times");
  EXPECT_EQ(bad.checked(), 11172u);
}

TEST(KoreanTables, Ksx1001Rows) {
  // KS X 1001: 986 symbols and letters in rows A1..AF, the 2,350 syllables
  // in rows B0..C8 in Unicode order, 4,888 Hanja in rows CA..FD.
  struct Rows {
    std::uint32_t first, last;
    std::size_t characters;
  };
  const Rows rows[] = {{0xA1, 0xAF, 986}, {0xB0, 0xC8, 2350}, {0xC9, 0xC9, 0}, {0xCA, 0xFD, 4888}};
  Mismatches bad("ksx1001_to_ucs2 rows");
  std::size_t total = 0;
  for (const Rows& r : rows) {
    std::size_t characters = 0;
    std::uint16_t last_syllable = 0;
    for (std::uint32_t row = r.first; row <= r.last; ++row) {
      for (std::uint32_t column = 0xA1; column <= 0xFE; ++column) {
        const std::uint32_t code = row << 8 | column;
        const std::uint16_t unit = square_cell(code);
        bad.check(unit != 0, hex(code) + " holds 0");
        if (unit == 0xFFFD) continue;
        ++characters;
        if (row >= 0xB0 && row <= 0xC8) {
          bad.check(is_syllable(unit) && unit > last_syllable, hex(code) + " out of order");
          last_syllable = unit;
        }
      }
    }
    EXPECT_EQ(characters, r.characters) << "rows " << hex(r.first) << ".." << hex(r.last);
    total += characters;
  }
  EXPECT_EQ(total, 8224u);
  for (std::uint32_t column = 0xA1; column <= 0xFE; ++column)
    bad.check(square_cell(0xFE00 | column) == 0xFFFD, "row FE");
}

TEST(KoreanTables, TheSquareHoldsTheSameCellsInBothTables) {
  Mismatches bad("ksx1001_to_ucs2 against ksc5601_to_ucs2");
  for (std::uint32_t row = 0xA1; row <= 0xFE; ++row)
    for (std::uint32_t column = 0xA1; column <= 0xFE; ++column) {
      const std::uint32_t code = row << 8 | column;
      bad.check(square_cell(code) == uhc_cell(code), hex(code));
    }
  EXPECT_EQ(bad.checked(), 94u * 94u);
}

TEST(KoreanTables, UnusedTrailColumnsHoldTheReplacementCharacter) {
  Mismatches bad("unused trails");
  for (std::uint32_t lead = 0x81; lead <= 0xFD; ++lead)
    for (std::uint32_t trail = 0x40; trail <= 0x80; ++trail)
      if (!uhc_trail(trail))
        bad.check(uhc_cell(lead << 8 | trail) == 0xFFFD, hex(lead << 8 | trail));
  EXPECT_EQ(bad.checked(), 125u * 13u);
}

// --- golden files -----------------------------------------------------------

using zel_test::Deviation;
using zel_test::GoldenLine;

// Where the library departs from Python's cp949 and euc_kr.
const Deviation later_additions[] = {
    {"A2 E6", "FD FF", "the euro that code page 949 added is left out"},
    {"A2 E7", "FD FF", "the registered sign likewise"},
};
const Deviation euc_kr_cells[] = {
    later_additions[0],
    later_additions[1],
    {"A4 D4", "64 31",
     "the Hangul filler alone, which euc_kr refuses as the start of an "
     "eight-byte composed syllable"},
};
const zel_test::Rule refused[] = {zel_test::refused_gives(
    "FD FF",
    "a code the codec refuses gives U+FFFD, in the lead rows 0xFE and 0xFF past the last "
    "character too")};

const zel_test::GoldenFile ksc5601_file{"ksc5601_decode_golden.txt", 127 * 191, later_additions,
                                        refused};
const zel_test::GoldenFile euc_kr_file{"euc_kr_decode_golden.txt", 94 * 94, euc_kr_cells, refused};

TEST(Golden, Ksc5601EveryPair) {
  SCOPED_TRACE("code page 949");
  zel_test::check_decoding(ksc5601_id, zel_test::library_lines(ksc5601_file).lines);
}

TEST(Golden, EucKrEveryPair) {
  SCOPED_TRACE("EUC-KR");
  zel_test::check_decoding(euc_kr_id, zel_test::library_lines(euc_kr_file).lines);
}

// The 7-bit forms read the same cells: every EUC-KR pair less 0x80 a byte.
TEST(Golden, SevenBitFormsEveryPair) {
  std::vector<GoldenLine> lines = zel_test::library_lines(euc_kr_file).lines;
  for (GoldenLine& line : lines)
    for (char& b : line.given) b = static_cast<char>(static_cast<unsigned char>(b) - 0x80);
  {
    SCOPED_TRACE("KS X 1001, 7-bit");
    zel_test::check_decoding(ksx1001_id, lines);
  }
  SCOPED_TRACE("ISO-2022-KR, one run");
  lines.insert(lines.begin(), {from_hex("1B 24 29 43 0E"), ""});
  lines.push_back({from_hex("0F"), ""});
  zel_test::check_decoding(iso2022kr_id, lines);
}

TEST(Golden, Iso2022KrTexts) {
  SCOPED_TRACE("ISO-2022-KR texts");
  zel_test::check_decoding(iso2022kr_id,
                           zel_test::library_lines({"iso2022kr_decode_golden.txt", 600}).lines);
}

}  // namespace
