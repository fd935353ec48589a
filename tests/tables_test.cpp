// Table checks for the GBK, GB18030 and Big5 tables, and one sweep over every
// decoding table for cells that would decode to a NUL. The oracles are the
// shapes and telling cells of these encodings typed in below, rule sweeps over
// whole rows and columns, and the golden files of tools/testdata/make_golden.py,
// which hold Python's codecs' answers unedited and share no code with the
// table generators; the library's departures from them are listed as data.
// The index arithmetic is written out here again on purpose rather than taken
// from the header.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "src/tables/big5.h"
#include "src/tables/cns_gb2312.h"
#include "src/tables/code_pages.h"
#include "src/tables/gbk_gb18030.h"
#include "src/tables/japanese.h"
#include "src/tables/korean.h"
#include "src/tables/single_byte.h"
#include "tests/support/conversion.h"
#include "tests/support/golden.h"
#include "tests/support/sweep.h"

namespace zel {
namespace {

using zel_test::Cell;
using zel_test::check_cells;
using zel_test::hex;
using zel_test::Mismatches;

// Never stored in these tables, so a read that falls off one shows up.
constexpr std::uint16_t outside = 0xDFFF;

std::size_t gbk_index(std::uint32_t code) {
  return ((code >> 8) - 0x81) * 191 + ((code & 0xFF) - 0x40);
}
std::size_t big5_index(std::uint32_t code) {
  return ((code >> 8) - 0x80) * 191 + ((code & 0xFF) - 0x40);
}
std::size_t four_byte_index(std::uint32_t code) {
  const std::uint32_t b1 = code >> 24, b2 = code >> 16 & 0xFF, b3 = code >> 8 & 0xFF,
                      b4 = code & 0xFF;
  return 12800 * (b1 - 0x81) + 1280 * (b2 - 0x30) + 10 * (b3 - 0x80) + (b4 - 0x30);
}

std::uint16_t gbk_cell(std::uint32_t code) { return cell(gbk_to_ucs2, gbk_index(code), outside); }
std::uint16_t big5_cell(std::uint32_t code) {
  return cell(big5_to_ucs2, big5_index(code), big5_past_end);
}
std::uint16_t four_byte_cell(std::uint32_t code) {
  return cell(gb18030_four_byte_to_ucs2, four_byte_index(code), outside);
}
std::uint16_t gbk_code(std::uint32_t unit) { return cell(ucs2_to_gbk, unit, outside); }

// --- shapes -----------------------------------------------------------------

TEST(TableShapes, SizesFollowTheIndexing) {
  struct Shape {
    const char* table;
    std::size_t stored;
    std::size_t expected;
  };
  const Shape shapes[] = {
      {"gbk_to_ucs2, 126 leads x 191 trails", std::size(gbk_to_ucs2), 24066},
      {"gbk_to_ucs2 ends at FEFE", gbk_to_ucs2_size, gbk_index(0xFEFE) + 1},
      {"gb18030_four_byte_to_ucs2, 81308030..8431A439", std::size(gb18030_four_byte_to_ucs2),
       40050},
      {"gb18030_four_byte_to_ucs2 ends at 84 31 A4 39", gb18030_four_byte_to_ucs2_size,
       four_byte_index(0x8431A439) + 1},
      {"big5_to_ucs2 stored through F9D5", std::size(big5_to_ucs2), big5_index(0xF9D5) + 1},
      {"big5_to_ucs2 nominal, 128 leads x 191 trails", big5_rows * big5_columns,
       big5_index(0xFFFE) + 1},
      {"big5 nominal cells", big5_rows * big5_columns, 24448},
      {"ucs2_to_gbk, one cell a code unit", std::size(ucs2_to_gbk), 65536},
      {"ucs2_to_gb18030, one cell a code unit", std::size(ucs2_to_gb18030), 65536},
  };
  for (const Shape& shape : shapes) EXPECT_EQ(shape.stored, shape.expected) << shape.table;
}

TEST(TableShapes, ReadsPastTheEndGiveThePastEndValue) {
  EXPECT_EQ(cell(big5_to_ucs2, big5_to_ucs2_size, big5_past_end), 0xFFFD);
  EXPECT_EQ(cell(big5_to_ucs2, big5_index(0xFFFE), big5_past_end), 0xFFFD);
  EXPECT_EQ(cell(gbk_to_ucs2, gbk_to_ucs2_size, outside), outside);
  EXPECT_EQ(cell(gb18030_four_byte_to_ucs2, gb18030_four_byte_to_ucs2_size, outside), outside);
  EXPECT_EQ(cell(ucs2_to_gbk, 0x10000, outside), outside);
}

// --- telling cells ----------------------------------------------------------

TEST(GbkToUcs2, TellingCells) {
  const Cell cells[] = {
      {0x8140, 0x4E02, "first cell"},
      {0xA1A1, 0x3000, "ideographic space"},
      {0xA1A4, 0x00B7, "middle dot"},
      {0xA1AA, 0x2014, "em dash"},
      {0xA2E3, 0x20AC, "euro"},
      {0xA6D9, 0xE78D, "vertical form, private use"},
      {0xA8BC, 0xE7C7, "2000 edition of the mapping"},
      {0xAAA1, 0xE000, "user-defined area"},
      {0xF8A1, 0xE234, "user-defined area"},
      {0xA140, 0xE4C6, "user-defined area"},
      {0xB0A1, 0x554A, "first GB 2312 ideograph"},
      {0xD2BB, 0x4E00, "one"},
      {0xFE50, 0x2E81, "radical"},
      {0xFE51, 0xE816, "private use"},
      {0xFEFE, 0xE4C5, "last cell"},
      {0x817F, 0xFFFD, "0x7F is no trail byte"},
      {0xFE7F, 0xFFFD, "0x7F is no trail byte"},
  };
  check_cells(cells, gbk_cell);
}

TEST(GbkToUcs2, SevenBitGb2312BytesReadTheSameCells) {
  // The ISO-2022 forms add 0x80 to both bytes: 0x30 0x21 is B0A1.
  const Cell cells[] = {
      {0x2121, 0x3000, "A1A1"}, {0x3021, 0x554A, "B0A1"}, {0x523B, 0x4E00, "D2BB"}};
  for (const Cell& c : cells) {
    const std::size_t at = ((c.code >> 8) + 0x80 - 0x81) * 191 + ((c.code & 0xFF) + 0x80 - 0x40);
    EXPECT_EQ(cell(gbk_to_ucs2, at, outside), c.value) << c.why;
  }
}

TEST(Gb18030FourByteToUcs2, TellingCells) {
  const Cell cells[] = {
      {0x81308130, 0x0080, "first code"},
      {0x81308131, 0x0081, ""},
      {0x8130D330, 0x0452, ""},
      {0x8135F437, 0x1E3F, "2000 edition of the mapping"},
      {0x82358F33, 0x9FA6, "after the GBK ideographs"},
      {0x8336C738, 0xD7FF, "last before the surrogates"},
      {0x8336C739, 0xE76C, "first after the surrogates"},
      {0x84308130, 0xF8FF, ""},
      {0x8430A530, 0xFA7C, ""},
      {0x8430FE39, 0xFDFF, ""},
      {0x84318130, 0xFE00, ""},
      {0x8431A437, 0xFFFD, "the replacement character's own code"},
      {0x8431A439, 0xFFFF, "last code"},
      {0x81308030, 0xFFFD, "slot 0x80"},
      {0x8130FF39, 0xFFFD, "slot 0xFF"},
      {0x84318030, 0xFFFD, "slot 0x80 of the last block"},
  };
  check_cells(cells, four_byte_cell);
}

TEST(Big5ToUcs2, TellingCells) {
  const Cell cells[] = {
      {0xA140, 0x3000, "ideographic space"},
      {0xA440, 0x4E00, "one"},
      {0xF9D5, 0x9F98, "last character"},
      {0xC6A1, 0x30FE, "ETEN row C6"},
      {0xC7FC, 0x247D, "ETEN row C7"},
      {0xA145, 0x2022, "code page 950: U+2027"},
      {0xA14E, 0xFF64, "code page 950: U+FE51"},
      {0xA1C2, 0x203E, "code page 950: U+00AF"},
      {0xA1E3, 0x223C, "code page 950: U+FF5E"},
      {0xA1F2, 0x2641, "code page 950: U+2295"},
      {0xA1F3, 0x2609, "code page 950: U+2299"},
      {0xA241, 0xFF0F, "code page 950: U+2215"},
      {0xA242, 0xFF3C, "code page 950: U+FE68"},
      {0xA244, 0x00A5, "code page 950: U+FFE5"},
      {0xA246, 0x00A2, "code page 950: U+FFE0"},
      {0xA247, 0x00A3, "code page 950: U+FFE1"},
      {0xA15A, 0xFFFD, "mapped in code page 950"},
      {0xA1C3, 0xFFFD, "mapped in code page 950"},
      {0xA1C5, 0xFFFD, "mapped in code page 950"},
      {0xA1FE, 0xFFFD, "mapped in code page 950"},
      {0xA240, 0xFFFD, "mapped in code page 950"},
      {0xA2CC, 0xFFFD, "mapped in code page 950"},
      {0xA2CE, 0xFFFD, "mapped in code page 950"},
      {0xA3E1, 0xFFFD, "code page 950's euro"},
      {0xF9D6, 0xFFFD, "first ETEN code left out"},
      {0xF9FE, 0xFFFD, "last ETEN code left out"},
      {0xA17F, 0xFFFD, "0x7F is no trail byte"},
      {0xA1A0, 0xFFFD, "0xA0 is no trail byte"},
      {0x8041, 0xFFFD, "lead 0x80"},
      {0xA0FE, 0xFFFD, "lead 0xA0"},
      {0xFA40, 0xFFFD, "lead 0xFA, past the stored cells"},
      {0xFFFE, 0xFFFD, "last cell"},
  };
  check_cells(cells, big5_cell);
}

TEST(Ucs2ToGbk, TellingCells) {
  const Cell cells[] = {
      {0x0041, 0xFFFF, "one byte, not read"},
      {0x0080, 0xFFFF, "no code"},
      {0x4E00, 0xD2BB, "one"},
      {0x3000, 0xA1A1, "ideographic space"},
      {0x20AC, 0xFFFF, "no one-byte euro"},
      {0x7371, 0xFFFF, "AAA0 goes to private use"},
      {0xE000, 0xF8A0, "first private-use run"},
      {0xE05E, 0xF8FE, ""},
      {0xE05F, 0xF940, "96th of a run takes the next lead's 40"},
      {0xE060, 0xF9A0, ""},
      {0xE29E, 0xFEFE, "end of the first block"},
      {0xE29F, 0xFFFF, "between the blocks"},
      {0xE2A0, 0xAAA0, "second block"},
      {0xE4DF, 0xB040, "end of the second block"},
      {0xE4E0, 0xFFFF, "past the runs"},
      {0xE7C7, 0xFFFF, "GB18030's A8BC is not GBK"},
      {0xFFFD, 0xA34D, "replacement character"},
      {0xFFFF, 0x987F, "the one trail-0x7F code"},
  };
  check_cells(cells, gbk_code, "U+");
}

TEST(Gb18030Code, TellingCells) {
  const Cell cells[] = {
      {0x0000, 0x00, "one byte"},
      {0x007F, 0x7F, "one byte"},
      {0x0080, 0x81308130, "first four-byte code"},
      {0x00B7, 0xA1A4, ""},
      {0x4E00, 0xD2BB, ""},
      {0x20AC, 0xA2E3, "euro"},
      {0xE7C7, 0xA8BC, "2000 edition"},
      {0x1E3F, 0x8135F437, "2000 edition"},
      {0xE5E5, 0xA3A0, ""},
      {0xE78D, 0xA6D9, "vertical form stays in private use"},
      {0xFE10, 0x84318236, ""},
      {0xE000, 0xAAA1, "user-defined area"},
      {0xD7FF, 0x8336C738, ""},
      {0xE76C, 0x8336C739, ""},
      {0xFFFD, 0x8431A437, ""},
      {0xFFFF, 0x8431A439, "last code"},
      {0xD800, 0xFFFD, "surrogate: no code"},
      {0xDFFF, 0xFFFD, "surrogate: no code"},
  };
  check_cells(
      cells, [](std::uint32_t unit) { return gb18030_code(static_cast<std::uint16_t>(unit)); },
      "U+");
}

// --- rule sweeps ------------------------------------------------------------

TEST(GbkToUcs2, OnlyColumn7FHoldsTheReplacementCharacter) {
  Mismatches bad("gbk_to_ucs2");
  for (std::uint32_t lead = 0x81; lead <= 0xFE; ++lead) {
    for (std::uint32_t trail = 0x40; trail <= 0xFE; ++trail) {
      const std::uint32_t code = lead << 8 | trail;
      const std::uint16_t unit = gbk_cell(code);
      if (trail == 0x7F) {
        bad.check(unit == 0xFFFD, hex(code) + " holds " + hex(unit));
      } else {
        bad.check(unit != 0xFFFD && unit != 0 && unit != outside,
                  hex(code) + " holds " + hex(unit));
      }
    }
  }
  EXPECT_EQ(bad.checked(), 24066u);
}

TEST(Gb18030FourByteToUcs2, EachBlockStartsAndEndsWithTenFillers) {
  Mismatches bad("gb18030_four_byte_to_ucs2 slots");
  std::size_t blocks = 0;
  for (std::uint32_t b1 = 0x81; b1 <= 0x84; ++b1) {
    for (std::uint32_t b2 = 0x30; b2 <= 0x39; ++b2) {
      if (b1 == 0x84 && b2 > 0x31) break;
      ++blocks;
      for (std::uint32_t b4 = 0x30; b4 <= 0x39; ++b4) {
        const std::uint32_t first = b1 << 24 | b2 << 16 | 0x80 << 8 | b4;
        bad.check(four_byte_cell(first) == 0xFFFD, hex(first));
        const std::uint32_t last = b1 << 24 | b2 << 16 | 0xFF << 8 | b4;
        if (b1 == 0x84 && b2 == 0x31) {
          // The last block stops at 84 31 A4 39.
          bad.check(four_byte_index(last) >= gb18030_four_byte_to_ucs2_size, hex(last));
        } else {
          bad.check(four_byte_cell(last) == 0xFFFD, hex(last));
        }
      }
    }
  }
  EXPECT_EQ(blocks, 32u);
}

TEST(Gb18030FourByteToUcs2, EveryCodeOfTheRangeHoldsADistinctCharacter) {
  // 81 30 81 30 .. 84 31 A4 39 are 39,420 codes; with the 23,940 two-byte
  // codes and 128 one-byte ones they cover the 63,488 units outside the
  // surrogates exactly once.
  std::vector<bool> seen(0x10000, false);
  for (std::uint32_t unit = 0; unit < 0x80; ++unit) seen[unit] = true;
  Mismatches bad("one code per unit");
  std::size_t codes = 0;
  for (std::uint32_t lead = 0x81; lead <= 0xFE; ++lead) {
    for (std::uint32_t trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::uint16_t unit = gbk_cell(lead << 8 | trail);
      bad.check(!seen[unit], "U+" + hex(unit) + " again at " + hex(lead << 8 | trail));
      seen[unit] = true;
    }
  }
  for (std::size_t at = 0; at < gb18030_four_byte_to_ucs2_size; ++at) {
    const std::size_t slot = at / 10 % 128;
    if (slot == 0 || slot == 127) continue;
    ++codes;
    const std::uint16_t unit = gb18030_four_byte_to_ucs2[at];
    bad.check(!seen[unit], "U+" + hex(unit) + " again at four-byte index " + std::to_string(at));
    seen[unit] = true;
  }
  EXPECT_EQ(codes, 39420u);
  for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    bad.check(seen[unit] != surrogate,
              "U+" + hex(unit) + (surrogate ? " has a code" : " has none"));
  }
}

enum class Big5Kind { character, replacement, zero };

Big5Kind kind_of(std::uint16_t unit) {
  return unit == 0xFFFD ? Big5Kind::replacement : unit == 0 ? Big5Kind::zero : Big5Kind::character;
}

TEST(Big5ToUcs2, CountsOverTheRealCodes) {
  std::size_t characters = 0, replacements = 0, zeros = 0, codes = 0;
  for (std::uint32_t lead = 0xA1; lead <= 0xF9; ++lead) {
    for (std::uint32_t trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail >= 0x7F && trail <= 0xA0) continue;
      ++codes;
      switch (kind_of(big5_cell(lead << 8 | trail))) {
        case Big5Kind::character:
          ++characters;
          break;
        case Big5Kind::replacement:
          ++replacements;
          break;
        case Big5Kind::zero:
          ++zeros;
          break;
      }
    }
  }
  EXPECT_EQ(codes, 13973u);
  EXPECT_EQ(characters, 13703u);
  // 229 unassigned codes and the 41 ETEN codes F9D6..F9FE left out.
  EXPECT_EQ(replacements, 229u + 41);
  EXPECT_EQ(zeros, 0u);
}

TEST(Big5ToUcs2, FillerRowsAndColumns) {
  Mismatches bad("big5_to_ucs2 fillers");
  for (std::uint32_t lead = 0x80; lead <= 0xFF; ++lead) {
    for (std::uint32_t trail = 0x40; trail <= 0xFE; ++trail) {
      const std::uint32_t code = lead << 8 | trail;
      const std::uint16_t unit = big5_cell(code);
      if (lead <= 0xA0 || lead >= 0xFA) {
        bad.check(unit == 0xFFFD, hex(code) + " outside the Big5 leads holds " + hex(unit));
      } else if (trail >= 0x7F && trail <= 0xA0) {
        bad.check(unit == 0xFFFD, hex(code) + " with no trail byte holds " + hex(unit));
      } else if (lead == 0xC8) {
        bad.check(unit == 0xFFFD, hex(code) + " in row C8 holds " + hex(unit));
      }
    }
  }
  // 39 filler rows of 191, 89 rows of 34 non-trail columns, 157 codes of row C8.
  EXPECT_EQ(bad.checked(), 39u * 191 + 89 * 34 + 157);
}

TEST(Ucs2ToGbk, OneByteUnitsAndSurrogatesHaveNoCell) {
  Mismatches bad("ucs2_to_gbk");
  for (std::uint32_t unit = 0; unit < 0x80; ++unit)
    bad.check(gbk_code(unit) == gbk_none, hex(unit));
  for (std::uint32_t unit = 0xD800; unit <= 0xDFFF; ++unit) {
    bad.check(gbk_code(unit) == gbk_none, hex(unit));
  }
}

TEST(Ucs2ToGbk, TheTwentyFourIdeographsOfThePrivateUseCodesAreUnmapped) {
  const Cell ideographs[] = {
      {0x7371, 0xAAA0, ""}, {0x7372, 0xAB40, ""}, {0x73F7, 0xABA0, ""}, {0x73F8, 0xAC40, ""},
      {0x747A, 0xACA0, ""}, {0x747B, 0xAD40, ""}, {0x74F2, 0xADA0, ""}, {0x74F3, 0xAE40, ""},
      {0x7587, 0xAEA0, ""}, {0x7588, 0xAF40, ""}, {0x7644, 0xAFA0, ""}, {0x7645, 0xB040, ""},
      {0x9D42, 0xF8A0, ""}, {0x9D43, 0xF940, ""}, {0x9DA2, 0xF9A0, ""}, {0x9DA3, 0xFA40, ""},
      {0x9E02, 0xFAA0, ""}, {0x9E03, 0xFB40, ""}, {0x9EAA, 0xFBA0, ""}, {0x9EAB, 0xFC40, ""},
      {0x9F31, 0xFCA0, ""}, {0x9F32, 0xFD40, ""}, {0xF9F1, 0xFDA0, ""}, {0xFA0C, 0xFE40, ""},
  };
  for (const Cell& c : ideographs) {
    EXPECT_EQ(gbk_code(c.code), gbk_none) << "U+" << hex(c.code);
    // Their code page 936 codes are what GB18030 decodes them from.
    EXPECT_EQ(gbk_cell(c.value), c.code) << hex(c.value);
  }
}

TEST(Ucs2ToGbk, PrivateUseRunsFollowTheFormulaForEveryK) {
  struct Run {
    std::uint32_t first_unit, count, first_lead;
  };
  const Run runs[] = {{0xE000, 671, 0xF8}, {0xE2A0, 576, 0xAA}};
  Mismatches bad("private-use runs");
  std::set<std::uint32_t> in_runs;
  for (const Run& run : runs) {
    for (std::uint32_t k = 0; k < run.count; ++k) {
      const std::uint32_t lead = run.first_lead + k / 96, j = k % 96;
      const std::uint32_t code = j < 95 ? lead << 8 | (0xA0 + j) : (lead + 1) << 8 | 0x40;
      bad.check(gbk_code(run.first_unit + k) == code, "U+" + hex(run.first_unit + k) + " gives " +
                                                          hex(gbk_code(run.first_unit + k)) +
                                                          ", not " + hex(code));
      in_runs.insert(run.first_unit + k);
    }
  }
  EXPECT_EQ(bad.checked(), 1247u);
  for (std::uint32_t unit = 0xE000; unit <= 0xF8FF; ++unit) {
    if (!in_runs.count(unit))
      bad.check(gbk_code(unit) == gbk_none, "U+" + hex(unit) + " has a code");
  }
}

TEST(Ucs2ToGbk, CodesAreDistinctGbkCodes) {
  Mismatches bad("ucs2_to_gbk codes");
  std::vector<std::uint32_t> owner(0x10000, 0x10000);
  std::size_t mapped = 0;
  for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
    const std::uint16_t code = gbk_code(unit);
    if (code == gbk_none) continue;
    ++mapped;
    const std::uint32_t lead = code >> 8, trail = code & 0xFF;
    const bool shape = lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE &&
                       (trail != 0x7F || unit == 0xFFFF);
    bad.check(shape, "U+" + hex(unit) + " gives " + hex(code));
    bad.check(owner[code] == 0x10000,
              hex(code) + " given to U+" + hex(owner[code]) + " and U+" + hex(unit));
    owner[code] = unit;
  }
  // Code page 936's 21,791 two-byte codes, less 24 ideographs, plus 1,247
  // private-use codes, U+FFFD and U+FFFF.
  EXPECT_EQ(mapped, 21791u - 24 + 1247 + 2);
}

TEST(Gb18030Code, SurrogatesHaveNoCodeAndEveryOtherUnitOneInRange) {
  Mismatches bad("gb18030_code ranges");
  for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
    const std::uint32_t code = gb18030_code(static_cast<std::uint16_t>(unit));
    if (unit >= 0xD800 && unit <= 0xDFFF) {
      bad.check(code == 0xFFFD, "surrogate U+" + hex(unit) + " gives " + hex(code));
    } else if (unit < 0x80) {
      bad.check(code == unit, "U+" + hex(unit) + " gives " + hex(code));
    } else {
      const bool two = code >= 0x8140 && code <= 0xFEFE;
      const bool four = code >= 0x81308130 && code <= 0x8431A439;
      bad.check(two || four, "U+" + hex(unit) + " gives " + hex(code));
    }
  }
}

TEST(Gb18030Code, DecodingTheCodeGivesTheUnitBack) {
  Mismatches bad("gb18030_code against the decoding tables");
  for (std::uint32_t unit = 0x80; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    const std::uint32_t code = gb18030_code(static_cast<std::uint16_t>(unit));
    const std::uint16_t back = code <= 0xFFFF ? gbk_cell(code) : four_byte_cell(code);
    bad.check(back == unit, "U+" + hex(unit) + " -> " + hex(code) + " -> U+" + hex(back));
  }
}

// A NUL inside decoded text would cut it short, so no decoding table holds 0
// or gives 0 past its stored cells: only byte 0x00 of a single-byte charset
// decodes to U+0000.
TEST(DecodingTables, NoCellButByteZeroHoldsZero) {
  struct Decoding {
    const char* name;
    std::span<const std::uint16_t> cells;
    std::uint16_t past_end;
  };
  const Decoding tables[] = {
      {"gbk_to_ucs2 (never read past)", gbk_to_ucs2, outside},
      {"gb18030_four_byte_to_ucs2 (never read past)", gb18030_four_byte_to_ucs2, outside},
      {"big5_to_ucs2", big5_to_ucs2, big5_past_end},
      {"jisx0201_to_ucs2", jisx0201_to_ucs2, japanese_past_end},
      {"jisx0208_to_ucs2", jisx0208_to_ucs2, japanese_past_end},
      {"jisx0212_to_ucs2", jisx0212_to_ucs2, japanese_past_end},
      {"sjis_to_ucs2", sjis_to_ucs2, japanese_past_end},
      {"ksc5601_to_ucs2", ksc5601_to_ucs2, ksc5601_past_end},
      {"ksx1001_to_ucs2", ksx1001_to_ucs2, ksx1001_past_end},
      {"gb2312_to_ucs2", gb2312_to_ucs2, cns_gb2312_past_end},
      {"cns_plane1_to_ucs2", cns_plane1_to_ucs2, cns_gb2312_past_end},
      {"cns_plane2_to_ucs2", cns_plane2_to_ucs2, cns_gb2312_past_end},
      {"cns_plane3_to_ucs2", cns_plane3_to_ucs2, cns_gb2312_past_end},
      {"cp932_to_ucs2", cp932_to_ucs2, code_pages_past_end},
      {"cp950_to_ucs2", cp950_to_ucs2, code_pages_past_end},
  };
  Mismatches bad("cells holding 0");
  for (const Decoding& t : tables) {
    bad.check(t.past_end != 0, std::string(t.name) + " gives 0 past its cells");
    for (std::size_t at = 0; at < t.cells.size(); ++at)
      bad.check(t.cells[at] != 0, std::string(t.name) + " cell " + std::to_string(at));
  }
  for (std::size_t k = 0; k < single_byte_table_count; ++k) {
    const std::string id = "single-byte table " + std::to_string(k);
    for (std::size_t b = 0; b < single_byte_table_size; ++b)
      bad.check(((*single_byte_tables[k])[b] == 0) == (b == 0), id + " byte " + hex(b));
  }
  // The 233,309 stored cells of the fifteen tables, their past-end values, 37 x 256 bytes.
  EXPECT_EQ(bad.checked(), 233'309u + 15 + 37 * 256);
}

// --- golden files -----------------------------------------------------------

using Bytes = std::vector<std::uint8_t>;
using zel_test::Deviation;
using zel_test::GoldenFile;
using zel_test::Rule;

// Where the library departs from Python's cp950 (Big5 input), gbk and
// gb18030 (output).
const Deviation big5_cells[] = {
    {"A1 45", "22 20", "the plain Big5 reading; code page 950 chose U+2027"},
    {"A1 4E", "64 FF", "the plain Big5 reading; code page 950 chose U+FE51"},
    {"A1 C2", "3E 20", "the plain Big5 reading; code page 950 chose U+00AF"},
    {"A1 E3", "3C 22", "the plain Big5 reading; code page 950 chose U+FF5E"},
    {"A1 F2", "41 26", "the plain Big5 reading; code page 950 chose U+2295"},
    {"A1 F3", "09 26", "the plain Big5 reading; code page 950 chose U+2299"},
    {"A2 41", "0F FF", "the plain Big5 reading; code page 950 chose U+2215"},
    {"A2 42", "3C FF", "the plain Big5 reading; code page 950 chose U+FE68"},
    {"A2 44", "A5 00", "the plain Big5 reading; code page 950 chose U+FFE5"},
    {"A2 46", "A2 00", "the plain Big5 reading; code page 950 chose U+FFE0"},
    {"A2 47", "A3 00", "the plain Big5 reading; code page 950 chose U+FFE1"},
    {"A1 5A", "FD FF", "no character in Big5; code page 950 reads U+2574"},
    {"A1 C3", "FD FF", "no character in Big5; code page 950 reads U+FFE3"},
    {"A1 C5", "FD FF", "no character in Big5; code page 950 reads U+02CD"},
    {"A1 FE", "FD FF", "no character in Big5: its U+FF0F is at A241"},
    {"A2 40", "FD FF", "no character in Big5: its U+FF3C is at A242"},
    {"A2 CC", "FD FF", "no character in Big5: its U+5341 is at A451"},
    {"A2 CE", "FD FF", "no character in Big5: its U+5345 is at A4CA"},
    {"A3 E1", "FD FF", "code page 950's euro, which Big5 lacks"},
};
const Rule big5_rules[] = {
    zel_test::refused_gives("FD FF",
                            "a code cp950 refuses gives U+FFFD, never a NUL: unassigned, no lead "
                            "byte (80..A0, FA..FF) or no trail byte (7F..A0)"),
    {"code page 950's ETEN additions after F9D5, Big5's last character, are left out",
     [](const std::string& in, const std::string&) {
       return zel_test::when(in > zel_test::from_hex("F9 D5"), zel_test::from_hex("FD FF"));
     }},
};

const Deviation gbk_cells[] = {
    {"FD FF", "A3 4D", "the replacement character, in the user-defined area"},
    {"FF FF", "98 7F", "the one code with trail 0x7F"},
};
const Rule gbk_rules[] = {
    {"GBK output's private-use runs, which the codec leaves out",
     [](const std::string& in, const std::string&) {
       return zel_test::gbk_private_use_code(static_cast<std::uint16_t>(
           static_cast<unsigned char>(in[0]) | static_cast<unsigned char>(in[1]) << 8));
     }},
    {"an ideograph code page 936 puts where the private-use runs are has no GBK code: a space",
     [](const std::string&, const std::string& source) {
       return zel_test::when(zel_test::in_gbk_private_use_runs(source), " ");
     }},
    zel_test::refused_gives("20",
                            "a unit without a GBK code gives a space: surrogates, "
                            "unassigned, characters GBK lacks"),
};
const Rule gb18030_encode_rules[] = {
    zel_test::refused_gives("20", "the surrogates, which the codec refuses, give a space")};

const GoldenFile gb18030_decode_file{"gb18030_decode_golden.txt", 23940 + 39420};
const GoldenFile big5_decode_file{"big5_decode_golden.txt", 128 * 191, big5_cells, big5_rules};
const GoldenFile gbk_encode_file{"gbk_encode_golden.txt", 65536, gbk_cells, gbk_rules};
const GoldenFile gb18030_encode_file{"gb18030_encode_golden.txt", 65536, {}, gb18030_encode_rules};

struct Golden {
  Bytes given;
  Bytes expected;
};

// The lines of a golden file with the library's departures applied.
std::vector<Golden> read_golden(const GoldenFile& file) {
  std::vector<Golden> lines;
  for (const zel_test::GoldenLine& l : zel_test::library_lines(file).lines)
    lines.push_back(
        {Bytes(l.given.begin(), l.given.end()), Bytes(l.expected.begin(), l.expected.end())});
  return lines;
}

std::uint32_t big_endian(const Bytes& bytes) {
  std::uint32_t value = 0;
  for (std::uint8_t byte : bytes) value = value << 8 | byte;
  return value;
}

std::uint16_t pivot_unit(const Bytes& bytes) {
  return bytes.size() == 2 ? static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8) : outside;
}

// Every line of a golden file, run through an export as one text: the
// concatenated inputs must give the concatenated outputs.
TEST(Golden, EveryCodeThroughTheExports) {
  const struct {
    const GoldenFile& file;
    zel_test::convert_fn fn;
    int id;
  } exports[] = {{gb18030_decode_file, zel_code_unicode, 2},
                 {big5_decode_file, zel_code_unicode, 3},
                 {gbk_encode_file, zel_code_gbk, 1},
                 {gb18030_encode_file, zel_code_gb18030, 1}};
  for (const auto& e : exports) {
    SCOPED_TRACE(e.file.name);
    zel_test::check_as_one_text(zel_test::through(e.fn, e.id),
                                zel_test::library_lines(e.file).lines);
  }
}

TEST(Golden, Gb18030DecodingTables) {
  const std::vector<Golden> lines = read_golden(gb18030_decode_file);
  Mismatches bad("gb18030 decoding");
  for (const Golden& line : lines) {
    const std::uint32_t code = big_endian(line.given);
    const std::uint16_t unit = line.given.size() == 2 ? gbk_cell(code) : four_byte_cell(code);
    bad.check(
        unit == pivot_unit(line.expected),
        hex(code) + " holds " + hex(unit) + ", Python gives " + hex(pivot_unit(line.expected)));
  }
}

TEST(Golden, Big5DecodingTable) {
  const std::vector<Golden> lines = read_golden(big5_decode_file);
  Mismatches bad("big5 decoding");
  for (const Golden& line : lines) {
    const std::uint32_t code = big_endian(line.given);
    bad.check(big5_cell(code) == pivot_unit(line.expected),
              hex(code) + " holds " + hex(big5_cell(code)) + ", expected " +
                  hex(pivot_unit(line.expected)));
  }
}

TEST(Golden, GbkEncodingTable) {
  const std::vector<Golden> lines = read_golden(gbk_encode_file);
  Mismatches bad("gbk encoding");
  for (const Golden& line : lines) {
    const std::uint16_t unit = pivot_unit(line.given);
    const std::uint16_t code = gbk_code(unit);
    if (line.expected.size() == 2) {
      bad.check(code == big_endian(line.expected), "U+" + hex(unit) + " gives " + hex(code));
    } else {
      // One byte: the unit itself below 0x80, else the space of no code.
      const bool one_byte = unit < 0x80 && line.expected == Bytes{static_cast<std::uint8_t>(unit)};
      const bool space = unit >= 0x80 && line.expected == Bytes{0x20};
      bad.check((one_byte || space) && code == gbk_none, "U+" + hex(unit) + " gives " + hex(code));
    }
  }
}

TEST(Golden, Gb18030Encoding) {
  const std::vector<Golden> lines = read_golden(gb18030_encode_file);
  Mismatches bad("gb18030 encoding");
  for (const Golden& line : lines) {
    const std::uint16_t unit = pivot_unit(line.given);
    const std::uint32_t code = gb18030_code(unit);
    // A space for a unit from 0x80 up means no code, which the table gives as 0xFFFD.
    const std::uint32_t expected =
        unit >= 0x80 && line.expected == Bytes{0x20} ? 0xFFFD : big_endian(line.expected);
    bad.check(code == expected,
              "U+" + hex(unit) + " gives " + hex(code) + ", Python " + hex(expected));
  }
}

}  // namespace
}  // namespace zel
