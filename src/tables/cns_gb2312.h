// The GB 2312 and CNS 11643 mapping tables. The arrays are generated
// (tools/tablegen/gen_cns_gb2312.py, from snapshots of Python's gb2312 codec,
// glibc's EUC-TW converter and Unihan's kCNS1992 field); this header is
// written by hand. Read every cell through cell() (src/tables/cell.h).
//
// gb2312_to_ucs2: EUC-CN, lead and trail 0xA1..0xFE, cell (lead - 0xA1) * 94 +
//   (trail - 0xA1). GB 2312's own forms (A1A4 U+30FB, A1AA U+2015), U+FFFD at
//   the unassigned codes of rows 0xA1..0xF7. Stored through F7FE; rows 0xF8..0xFE
//   read as cns_gb2312_past_end, U+FFFD: never 0, which would cut the decoded
//   text short.
// cns_plane1_to_ucs2, cns_plane2_to_ucs2, cns_plane3_to_ucs2: planes 1 to 3 of
//   CNS 11643-1992, row and column 0x21..0x7E (EUC-TW bytes less 0x80), cell
//   (row - 0x21) * 94 + (column - 0x21). U+FFFD where a code has no character
//   of the Basic Multilingual Plane (all of plane 1's rows 0x27..0x41 and 0x43).
//   Each is stored through its last character (plane 1 7D4B, plane 2 7244,
//   plane 3 672A); the cells after it read as cns_gb2312_past_end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/cell.h"

namespace zel {

inline constexpr std::size_t cns_gb2312_columns = 94;
inline constexpr std::uint16_t cns_gb2312_past_end = 0xFFFD;

// Rows 0xA1..0xF7, 87 * 94.
inline constexpr std::size_t gb2312_to_ucs2_size = 8178;
extern const std::uint16_t gb2312_to_ucs2[gb2312_to_ucs2_size];

// Through 7D4B, (0x7D - 0x21) * 94 + (0x4B - 0x21) + 1.
inline constexpr std::size_t cns_plane1_to_ucs2_size = 8691;
extern const std::uint16_t cns_plane1_to_ucs2[cns_plane1_to_ucs2_size];

// Through 7244, (0x72 - 0x21) * 94 + (0x44 - 0x21) + 1.
inline constexpr std::size_t cns_plane2_to_ucs2_size = 7650;
extern const std::uint16_t cns_plane2_to_ucs2[cns_plane2_to_ucs2_size];

// Through 672A, (0x67 - 0x21) * 94 + (0x2A - 0x21) + 1.
inline constexpr std::size_t cns_plane3_to_ucs2_size = 6590;
extern const std::uint16_t cns_plane3_to_ucs2[cns_plane3_to_ucs2_size];

}  // namespace zel
