// The GBK and GB18030 mapping tables, both ways. The arrays are generated
// (tools/tablegen/gen_gbk_gb18030.py, from the snapshots in
// tools/tablegen/inputs/); this header is written by hand. Read every cell
// through cell() (src/tables/cell.h).
//
// gbk_to_ucs2: GBK two-byte codes, GB18030-2000 mapping. Lead 0x81..0xFE,
//   trail 0x40..0xFE (0x7F included), cell (lead - 0x81) * 191 + (trail - 0x40).
//   Column 0x7F holds U+FFFD. The 7-bit GB 2312 bytes b1 b2 of the ISO-2022
//   forms read cell (b1 + 0x80, b2 + 0x80).
// gb18030_four_byte_to_ucs2: four-byte codes b1 b2 b3 b4 of the Basic
//   Multilingual Plane, cell 12800 * (b1 - 0x81) + 1280 * (b2 - 0x30)
//   + 10 * (b3 - 0x80) + (b4 - 0x30). The third-byte slots 0x80 and 0xFF hold
//   U+FFFD; the table ends with 84 31 A4 39 (U+FFFF).
// ucs2_to_gbk: by code unit, the GBK code with the lead byte high, or 0xFFFF
//   (gbk_none) for a unit GBK output cannot hold. U+0000..U+007F hold 0xFFFF:
//   the encoders write them as one byte.
// ucs2_to_gb18030: by code unit, where its GB18030 code sits in the decoding
//   tables: a gbk_to_ucs2 index, or gbk_to_ucs2_size plus a
//   gb18030_four_byte_to_ucs2 index; 0xFFFF for U+0000..U+007F and the
//   surrogates. Read it through gb18030_code().
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/cell.h"

namespace zel {

inline constexpr std::size_t gbk_columns = 191;
inline constexpr std::size_t gbk_rows = 126;
inline constexpr std::size_t gbk_to_ucs2_size = gbk_rows * gbk_columns;  // 24,066
extern const std::uint16_t gbk_to_ucs2[gbk_to_ucs2_size];

inline constexpr std::size_t gb18030_four_byte_to_ucs2_size = 40050;
extern const std::uint16_t gb18030_four_byte_to_ucs2[gb18030_four_byte_to_ucs2_size];

inline constexpr std::size_t ucs2_to_gbk_size = 65536;
inline constexpr std::uint16_t gbk_none = 0xFFFF;
extern const std::uint16_t ucs2_to_gbk[ucs2_to_gbk_size];

inline constexpr std::size_t ucs2_to_gb18030_size = 65536;
extern const std::uint16_t ucs2_to_gb18030[ucs2_to_gb18030_size];

// The GB18030 code of a code unit, first byte most significant: the unit
// itself below 0x80, 0x8140..0xFEFE for two bytes, 0x81308130..0x8431A439 for
// four, and 0xFFFD (in none of those ranges) for a surrogate.
inline std::uint32_t gb18030_code(std::uint16_t unit) noexcept {
  if (unit < 0x80) return unit;
  std::uint32_t at = cell(ucs2_to_gb18030, unit, std::uint16_t{0xFFFF});
  if (at < gbk_to_ucs2_size)  // a two-byte code: it fits 16 bits
    return static_cast<std::uint32_t>((0x81 + at / gbk_columns) << 8 | (0x40 + at % gbk_columns));
  at -= static_cast<std::uint32_t>(gbk_to_ucs2_size);
  if (at >= gb18030_four_byte_to_ucs2_size) return 0xFFFD;
  return (0x81 + at / 12800) << 24 | (0x30 + at / 1280 % 10) << 16 | (0x80 + at / 10 % 128) << 8 |
         (0x30 + at % 10);
}

}  // namespace zel
