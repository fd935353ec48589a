// The tables of the single-byte charsets, KOI8-R to MULELAO-1, code page
// 437 and Mac Roman. The arrays are
// generated (tools/tablegen/gen_single_byte.py, into single_byte.cpp); this
// header is written by hand. Read every cell through cell() (src/tables/cell.h).
//
// single_byte_tables, entry single_byte_index(id): the charset's 256 cells,
//   one per byte, each the code unit of that byte. A byte without a
//   character holds U+FFFD; only byte 0x00 holds 0, so no other byte can put
//   a NUL into the decoded text. Indexed by a byte value, a read cannot leave it.
// single_byte_ascii_kept, same entry: whether bytes 0x00..0x7F decode to
//   themselves. True for every charset but TCVN, which puts twelve capital
//   letters among the C0 controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "src/tables/cell.h"
#include "zel_code.h"

namespace zel {

// The 35 ids KOI8-R to MULELAO-1 in a row, then code page 437 and Mac Roman,
// which the general conversion alone reads.
inline constexpr int single_byte_first_id = ZEL_CHARSET_KOI8_R;
inline constexpr int single_byte_last_id = ZEL_CHARSET_MULELAO_1;
inline constexpr std::size_t single_byte_run_count =
    static_cast<std::size_t>(single_byte_last_id) - static_cast<std::size_t>(single_byte_first_id) +
    1;
inline constexpr int single_byte_later_ids[] = {ZEL_CHARSET_CP437, ZEL_CHARSET_MACINTOSH};
inline constexpr std::size_t single_byte_table_count =
    single_byte_run_count + std::size(single_byte_later_ids);
inline constexpr std::size_t single_byte_table_size = 256;

using single_byte_table = std::uint16_t[single_byte_table_size];

extern const single_byte_table* const single_byte_tables[single_byte_table_count];
extern const bool single_byte_ascii_kept[single_byte_table_count];

// Where an id's entries sit in the two arrays above; any other id lands
// past their end.
inline std::size_t single_byte_index(int id) noexcept {
  for (std::size_t k = 0; k < std::size(single_byte_later_ids); ++k)
    if (id == single_byte_later_ids[k]) return single_byte_run_count + k;
  const std::size_t at =
      static_cast<std::size_t>(id) - static_cast<std::size_t>(single_byte_first_id);
  return at < single_byte_run_count ? at : single_byte_table_count;
}

}  // namespace zel
