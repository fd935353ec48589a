// Every reverse table against its decoding table, both ways over every cell:
// each code gives its code point back, and each character of the decoding
// table gets a code. The oracle for how many code points have a code is not
// the tables: the number of characters Python's codecs (or glibc's iconv, or
// Unihan) decode in that table, typed in below with this library's own
// departures from them.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "src/tables/big5.h"
#include "src/tables/cns_gb2312.h"
#include "src/tables/code_pages.h"
#include "src/tables/japanese.h"
#include "src/tables/korean.h"
#include "src/tables/reverse.h"
#include "src/tables/single_byte.h"

namespace zel {
namespace {

struct Case {
  std::string name;
  reverse_table reverse;
  std::span<const std::uint16_t> decoding;
  std::size_t with_code;  // code points that have a code
};

// By id, from KOI8-R (21): each Python codec's count, or where Python has
// none (KOI8-RU, CP1133, TCVN, ARMSCII-8, MacThai, MULELAO-1) glibc's or the
// charset's layout.
constexpr std::size_t single_byte_with_code[] = {
    256, 256,
    256,  // KOI8-RU: koi8_u with two box pieces made Belarusian letters
    256, 256, 249, 256, 256, 211, 253, 220, 256, 256, 248, 256, 256, 256, 256,  // ISO-8859
    225, 251, 255, 251, 239, 249, 233, 256, 244, 247, 256, 256,                 // CP874 .. CP866
    230,  // CP1133: glibc's 229 and the kip sign at DF
    256,  // TCVN: glibc
    250,  // ARMSCII-8: 256 less six ASCII punctuation marks repeated higher up
    250,  // MacThai: 256 less 90, 9F and FC..FF
    226,  // MULELAO-1: bytes 00..A0 and 65 Lao letters
    256,  // CP437, ids from here on the later ones
    256,  // Mac Roman
};
static_assert(std::size(single_byte_with_code) == single_byte_table_count);

std::vector<Case> cases() {
  std::vector<Case> all = {
      // Python's big5 less U+02CD, U+2574 and U+FFE3 (A1C5, A15A, A1C3).
      {"Big5", big5_reverse, big5_to_ucs2, 13703},
      {"GB 2312", gb2312_reverse, gb2312_to_ucs2, 7445},
      // glibc's EUC-TW plane 1 less the three radicals of row 0x27.
      {"CNS plane 1", cns_plane1_reverse, cns_plane1_to_ucs2, 5864},
      {"CNS plane 2", cns_plane2_reverse, cns_plane2_to_ucs2, 7650},
      // Unihan's BMP characters with a plane 3 kCNS1992.
      {"CNS plane 3", cns_plane3_reverse, cns_plane3_to_ucs2, 4197},
      // 95 printable ASCII places and euc_jp's 63 half-width katakana.
      {"JIS X 0201", jisx0201_reverse, jisx0201_to_ucs2, 158},
      {"JIS X 0208", jisx0208_reverse, jisx0208_to_ucs2, 6879},
      {"JIS X 0212", jisx0212_reverse, jisx0212_to_ucs2, 6067},
      {"Shift_JIS", sjis_reverse, sjis_to_ucs2, 6879},
      // cp949 less the euro and registered signs; euc_kr less those two, plus
      // U+3164 (A4D4), which Python reads as the start of a composed syllable.
      {"code page 949", ksc5601_reverse, ksc5601_to_ucs2, 17046},
      {"KS X 1001", ksx1001_reverse, ksx1001_to_ucs2, 8224},
      // Python's cp932 pairs: 9604 codes, 396 characters with two or three.
      {"code page 932", cp932_reverse, cp932_to_ucs2, 9206},
      // ASCII, 63 half-width katakana, U+0080 and U+F8F0..U+F8F3.
      {"code page 932 bytes", cp932_single_reverse, cp932_single_to_ucs2, 196},
      // Python's cp950: 13752 codes, ten characters with two.
      {"code page 950", cp950_reverse, cp950_to_ucs2, 13742},
  };
  for (std::size_t at = 0; at < single_byte_table_count; ++at) {
    const int id = at < single_byte_run_count ? single_byte_first_id + static_cast<int>(at)
                                              : single_byte_later_ids[at - single_byte_run_count];
    all.push_back({"single-byte id " + std::to_string(id), single_byte_reverse(id),
                   *single_byte_tables[at], single_byte_with_code[at]});
  }
  return all;
}

TEST(ReverseTables, EveryCodeComesBackAndEveryCharacterHasOne) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    std::size_t with_code = 0, wrong = 0;
    for (char32_t cp = 0; cp < (c.reverse.index_size << 8); ++cp) {
      const std::size_t at = forward_index(c.reverse, cp);
      if (at == no_code) continue;
      ++with_code;
      if (at >= c.decoding.size() || c.decoding[at] != cp) ++wrong;
    }
    EXPECT_EQ(wrong, 0u) << "codes that give another code point";
    EXPECT_EQ(with_code, c.with_code);

    std::size_t lost = 0;
    for (const std::uint16_t unit : c.decoding) {
      if (unit == 0xFFFD) continue;
      const std::size_t at = forward_index(c.reverse, unit);
      if (at == no_code || c.decoding[at] != unit) ++lost;
    }
    EXPECT_EQ(lost, 0u) << "characters without a code that decodes to them";

    // Past the stored blocks, in the supplementary planes and beyond, and
    // U+FFFD (no character): no code, and no read outside the arrays.
    for (const char32_t cp : {char32_t{0xFFFD}, static_cast<char32_t>(c.reverse.index_size << 8),
                              char32_t{0x10FFFF}, char32_t{0x110000}, char32_t{0xFFFFFFFF}})
      EXPECT_EQ(forward_index(c.reverse, cp), no_code)
          << std::hex << static_cast<std::uint32_t>(cp);
  }
}

// The window encoder reads ASCII through the table where the charset keeps it.
TEST(ReverseTables, KeptAsciiEncodesAsItself) {
  for (std::size_t at = 0; at < single_byte_table_count; ++at) {
    if (!single_byte_ascii_kept[at]) continue;
    for (std::uint16_t u = 0; u < 0x80; ++u)
      ASSERT_EQ(reverse_cell(single_byte_reverses[at], u), u + 1u) << at << " " << u;
  }
}

TEST(ReverseTables, IdsOutsideTheSingleByteRangeHaveNoCode) {
  for (const int id : {single_byte_first_id - 1, single_byte_last_id + 1, -1, 0})
    EXPECT_EQ(forward_index(single_byte_reverse(id), U'A'), no_code) << id;
}

}  // namespace
}  // namespace zel
