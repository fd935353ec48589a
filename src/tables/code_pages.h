// The tables of code pages 932 and 950. The arrays are generated
// (tools/tablegen/gen_code_pages.py, from tools/tablegen/inputs/cp932.txt
// and cp950.txt); this header is written by hand. Read every table through
// cell() with code_pages_past_end: each stops after its last character, and
// every cell past it reads as U+FFFD.
//
// cp932_to_ucs2: 191 cells a lead byte, as sjis_to_ucs2. Lead a (0x81..0xFF)
//   and trail t (0x40..0xFE) read (a - 0x81) * 191 + (t - 0x40); codes
//   without a character hold U+FFFD; the table ends at 0xFC4B.
// cp932_single_to_ucs2: by the byte. 0x00..0x7F are ASCII; 0x80 is U+0080,
//   0xA0 and 0xFD..0xFF U+F8F0..U+F8F3, 0xA1..0xDF the half-width katakana;
//   the lead bytes hold U+FFFD.
// cp950_to_ucs2: 191 cells a lead byte, as big5_to_ucs2. Lead a (0x80..0xFF)
//   and trail t (0x40..0xFE) read (a - 0x80) * 191 + (t - 0x40); the table
//   ends at 0xF9FE.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/cell.h"

namespace zel {

inline constexpr std::uint16_t code_pages_past_end = 0xFFFD;
inline constexpr std::size_t code_page_columns = 191;

// Through 0xFC4B: (0xFC - 0x81) * 191 + (0x4B - 0x40) + 1.
inline constexpr std::size_t cp932_to_ucs2_size = 23505;
extern const std::uint16_t cp932_to_ucs2[cp932_to_ucs2_size];

inline constexpr std::size_t cp932_single_to_ucs2_size = 256;
extern const std::uint16_t cp932_single_to_ucs2[cp932_single_to_ucs2_size];

// Through 0xF9FE: (0xF9 - 0x80) * 191 + (0xFE - 0x40) + 1.
inline constexpr std::size_t cp950_to_ucs2_size = 23302;
extern const std::uint16_t cp950_to_ucs2[cp950_to_ucs2_size];

}  // namespace zel
