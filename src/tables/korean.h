// The Korean mapping tables. The arrays are generated (tools/tablegen/gen_korean.py,
// from the code page 949 snapshot in tools/tablegen/inputs/); this header is
// written by hand. Read every cell through cell() (src/tables/cell.h).
//
// ksc5601_to_ucs2: code page 949 two-byte codes. Lead 0x81..0xFE, trail
//   0x40..0xFE, cell (lead - 0x81) * 191 + (trail - 0x40). Holds the 8,822
//   additional Hangul syllables and the 8,224 KS X 1001 characters, U+FFFD at
//   every other cell of leads 0x81..0xFD, and U+FFFD at A2E6 and A2E7 (the euro
//   and registered signs that code page 949 added late). Stored through FDFE;
//   every cell after it (lead 0xFE and beyond) reads as ksc5601_past_end,
//   U+FFFD: never 0, which would cut the decoded text short.
// ksx1001_to_ucs2: KS X 1001, 94 columns per row. Row and column bytes
//   0xA1..0xFE (or 0x21..0x7E in 7-bit form), cell (row - 0xA1) * 94 +
//   (column - 0xA1). Each cell holds what ksc5601_to_ucs2 holds for the same
//   8-bit code. Stored through row 0xFD; row 0xFE and beyond read as
//   ksx1001_past_end, U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/cell.h"

namespace zel {

inline constexpr std::size_t ksc5601_columns = 191;
// Cells through FDFE, (0xFD - 0x81) * 191 + (0xFE - 0x40) + 1.
inline constexpr std::size_t ksc5601_to_ucs2_size = 23875;
inline constexpr std::uint16_t ksc5601_past_end = 0xFFFD;
extern const std::uint16_t ksc5601_to_ucs2[ksc5601_to_ucs2_size];

inline constexpr std::size_t ksx1001_columns = 94;
// Cells of rows 0xA1..0xFD, 93 * 94.
inline constexpr std::size_t ksx1001_to_ucs2_size = 8742;
inline constexpr std::uint16_t ksx1001_past_end = 0xFFFD;
extern const std::uint16_t ksx1001_to_ucs2[ksx1001_to_ucs2_size];

}  // namespace zel
