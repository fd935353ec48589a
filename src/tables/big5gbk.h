// The direct tables of the Big5/GBK transcoders. The arrays are generated
// (tools/tablegen/gen_big5gbk.py, from the Big5 and GBK tables' snapshots,
// Python's gb2312 codec and Unihan's kSimplifiedVariant and
// kTraditionalVariant); this header is written by hand. Read every cell
// through cell() (src/tables/cell.h). A cell holds the two output bytes of
// a pair, the first in the low half: the cell for output A1 40 is 0x40A1.
//
// big5_to_gbk: Big5 lead 0xA1..0xFE, trail 0x40..0xFE, cell (lead - 0xA1) *
//   191 + (trail - 0x40). A GB 2312 code (the character or its simplified
//   form), or big5_gbk_marker: the pair is found through Unicode
//   (big5_to_ucs2, then ucs2_to_gbk). Columns 0x7F..0xA0 hold the input pair.
//   Stored through FEA0; the marker cells after it read as the marker.
// gbk_to_big5: GB 2312 lead 0xA1..0xA9 (row lead - 0xA1) and 0xB0..0xFE (row
//   lead - 0xA7), trail 0xA1..0xFE, cell row * 94 + (trail - 0xA1). The Big5
//   code of the character or its traditional form, or the full-width space
//   A1 40; the user-defined rows 0xFA..0xFE run in order onto Big5's
//   user-defined codes from FA 40, but FE A1 gives F3 54.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/cell.h"

namespace zel {

inline constexpr std::size_t big5_gbk_columns = 191;
inline constexpr std::uint16_t big5_gbk_marker = 0xA1A1;
// Through FEA0, (0xFE - 0xA1) * 191 + (0xA0 - 0x40) + 1, of 94 * 191 cells.
inline constexpr std::size_t big5_to_gbk_size = 17860;
extern const std::uint16_t big5_to_gbk[big5_to_gbk_size];

inline constexpr std::size_t gbk_big5_columns = 94;
inline constexpr std::uint16_t gbk_big5_space = 0x40A1;  // output A1 40
// Rows 0xA1..0xA9 and 0xB0..0xFE, 88 * 94.
inline constexpr std::size_t gbk_to_big5_size = 8272;
extern const std::uint16_t gbk_to_big5[gbk_to_big5_size];

}  // namespace zel
