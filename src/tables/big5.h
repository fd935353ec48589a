// The Big5 mapping table. The array is generated (tools/tablegen/gen_big5.py,
// from the code page 950 snapshot in tools/tablegen/inputs/); this header is
// written by hand. Read every cell through cell() (src/tables/cell.h).
//
// big5_to_ucs2: Big5 two-byte codes. Lead 0x80..0xFF, trail 0x40..0xFE,
//   cell (lead - 0x80) * 191 + (trail - 0x40). Rows 0x80..0xA0 and 0xFA..0xFF
//   and trails 0x7F..0xA0 of rows 0xA1..0xF9 hold U+FFFD. Stored through F9D5,
//   its last character; every cell after it reads as U+FFFD (big5_past_end),
//   never 0: a NUL would cut the decoded text short. The Big5/GBK transcoder
//   reads the cells past F9D5 as no character at all (FF FF), so the stored
//   end must stay there.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/cell.h"

namespace zel {

inline constexpr std::size_t big5_columns = 191;
inline constexpr std::size_t big5_rows = 128;
// Cells through F9D5, (0xF9 - 0x80) * 191 + (0xD5 - 0x40) + 1, of the nominal
// big5_rows * big5_columns (24,448); the rest read as big5_past_end.
inline constexpr std::size_t big5_to_ucs2_size = 23261;
inline constexpr std::uint16_t big5_past_end = 0xFFFD;
extern const std::uint16_t big5_to_ucs2[big5_to_ucs2_size];

}  // namespace zel
