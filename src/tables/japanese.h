// The Japanese mapping tables. The arrays are generated
// (tools/tablegen/gen_japanese.py, from tools/tablegen/inputs/euc_jp.txt);
// this header is written by hand. Read every table through cell() with
// japanese_past_end: each stops after its last character, and every cell
// past it reads as U+FFFD, never 0 (a NUL would cut the decoded text short).
//
// jisx0201_to_ucs2: by the byte. 0x20..0x7D as ASCII but 0x5C, the yen sign;
//   0x7E the overline; 0xA1..0xDF the half-width katakana U+FF61..U+FF9F;
//   U+FFFD for 0x00..0x1F, 0x7F..0xA0 and, past the stored cells, 0xE0..0xFF.
// jisx0208_to_ucs2, jisx0212_to_ucs2: 94 cells a row. Row byte r and column
//   byte c of the 8-bit form (0xA1..0xFE) read (r - 0xA1) * 94 + (c - 0xA1);
//   the 7-bit form (0x21..0x7E) reads the same cell. Unassigned positions
//   hold U+FFFD. JIS X 0208 ends at 0x7426 and keeps 0x2140 as U+005C;
//   JIS X 0212 ends at 0x6D63.
// sjis_to_ucs2: 191 cells a lead byte. Lead a (0x81..0xFF) and trail t
//   (0x40..0xFE) read (a - 0x81) * 191 + (t - 0x40); the single-byte leads
//   0xA0..0xDF keep their rows, all U+FFFD. Each code of a JIS X 0208
//   position holds that position's cell, every other code through 0xEAA4
//   holds U+FFFD (row 0x87 included), and the table ends at 0xEAA4.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/cell.h"

namespace zel {

inline constexpr std::uint16_t japanese_past_end = 0xFFFD;

// Bytes 0x00..0xDF; 0xE0..0xFF read as japanese_past_end.
inline constexpr std::size_t jisx0201_to_ucs2_size = 0xE0;
extern const std::uint16_t jisx0201_to_ucs2[jisx0201_to_ucs2_size];

inline constexpr std::size_t jis_columns = 94;
// Through 0x7426: (0x74 - 0x21) * 94 + (0x26 - 0x21) + 1.
inline constexpr std::size_t jisx0208_to_ucs2_size = 7808;
extern const std::uint16_t jisx0208_to_ucs2[jisx0208_to_ucs2_size];
// Through 0x6D63: (0x6D - 0x21) * 94 + (0x63 - 0x21) + 1.
inline constexpr std::size_t jisx0212_to_ucs2_size = 7211;
extern const std::uint16_t jisx0212_to_ucs2[jisx0212_to_ucs2_size];

inline constexpr std::size_t sjis_columns = 191;
// Through 0xEAA4: (0xEA - 0x81) * 191 + (0xA4 - 0x40) + 1.
inline constexpr std::size_t sjis_to_ucs2_size = 20156;
extern const std::uint16_t sjis_to_ucs2[sjis_to_ucs2_size];

}  // namespace zel
