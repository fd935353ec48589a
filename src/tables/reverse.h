// The reverse tables, for encoding: from a code point to the cell of a
// decoding table that gives it. Each family's generator writes them from the
// same cells as its decoding tables (tools/tablegen/gen_big5.py into
// big5_reverse.cpp, and so on); this header is written by hand. Read every
// reverse through forward_index().
//
// A reverse is two arrays. <name>_index, by code point >> 8, holds the number
// of a page of <name>_pages, whose 256 cells are the block's code points in
// order. Page 0 is all zero, for the blocks without a code, and the index
// stops after its last block with a code, so any code point above it (the
// supplementary planes too) reads as no code. A cell holds 0 for no code,
// else 1 + the index of the decoding table's cell that gives the code point:
// the encoder turns that index into bytes by the decoding table's own layout,
// and the decoding table's cell there is the code point again. U+FFFD, which
// the decoding tables hold for no character, has no code in any reverse.
// Where several cells give one code point, the generator keeps the lowest
// unless its list of choices names another.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/single_byte.h"

namespace zel {

inline constexpr std::size_t reverse_page_size = 256;

struct reverse_table {
  const std::uint16_t* index;
  std::size_t index_size;
  const std::uint16_t* pages;
  std::size_t pages_size;
};

// The sizes come from the arrays themselves, so a reverse_table never claims
// a cell it does not have.
template <std::size_t IndexSize, std::size_t PagesSize>
constexpr reverse_table reverse_table_of(const std::uint16_t (&index)[IndexSize],
                                         const std::uint16_t (&pages)[PagesSize]) noexcept {
  static_assert(PagesSize % reverse_page_size == 0, "pages come whole");
  return {index, IndexSize, pages, PagesSize};
}

inline constexpr std::size_t no_code = SIZE_MAX;

// 1 + the index of the decoding table's cell that gives BMP unit u, or 0:
// without a branch to mispredict, for loops over text.
inline std::uint32_t reverse_cell(const reverse_table& table, std::uint16_t u) noexcept {
  const std::size_t block = u >> 8;
  const std::size_t page = block < table.index_size ? table.index[block] : 0;
  const std::size_t at = page * reverse_page_size + (u & 0xFFu);
  return at < table.pages_size ? table.pages[at] : 0;
}

// The index of the decoding table's cell that gives cp, or no_code.
inline std::size_t forward_index(const reverse_table& table, char32_t cp) noexcept {
  if (cp > 0xFFFF) return no_code;
  const std::uint32_t value = reverse_cell(table, static_cast<std::uint16_t>(cp));
  return value == 0 ? no_code : std::size_t{value} - 1;
}

// Big5, of big5_to_ucs2 (big5_reverse.cpp). Index through U+FFxx; 99 blocks
// and the empty page.
inline constexpr std::size_t big5_from_unicode_index_size = 0x100;
inline constexpr std::size_t big5_from_unicode_pages_size = 100 * reverse_page_size;
extern const std::uint16_t big5_from_unicode_index[big5_from_unicode_index_size];
extern const std::uint16_t big5_from_unicode_pages[big5_from_unicode_pages_size];
inline constexpr reverse_table big5_reverse =
    reverse_table_of(big5_from_unicode_index, big5_from_unicode_pages);

// GB 2312 and CNS 11643 planes 1 to 3, of gb2312_to_ucs2 and
// cns_plane1_to_ucs2 .. cns_plane3_to_ucs2 (cns_gb2312_reverse.cpp).
// GB 2312 and plane 1 through U+FFxx with 97 blocks, planes 2 and 3 through
// U+9Fxx with 82; each has the empty page besides.
inline constexpr std::size_t gb2312_from_unicode_index_size = 0x100;
inline constexpr std::size_t gb2312_from_unicode_pages_size = 98 * reverse_page_size;
extern const std::uint16_t gb2312_from_unicode_index[gb2312_from_unicode_index_size];
extern const std::uint16_t gb2312_from_unicode_pages[gb2312_from_unicode_pages_size];
inline constexpr reverse_table gb2312_reverse =
    reverse_table_of(gb2312_from_unicode_index, gb2312_from_unicode_pages);

inline constexpr std::size_t cns_plane1_from_unicode_index_size = 0x100;
inline constexpr std::size_t cns_plane1_from_unicode_pages_size = 98 * reverse_page_size;
extern const std::uint16_t cns_plane1_from_unicode_index[cns_plane1_from_unicode_index_size];
extern const std::uint16_t cns_plane1_from_unicode_pages[cns_plane1_from_unicode_pages_size];
inline constexpr reverse_table cns_plane1_reverse =
    reverse_table_of(cns_plane1_from_unicode_index, cns_plane1_from_unicode_pages);

inline constexpr std::size_t cns_plane2_from_unicode_index_size = 0xA0;
inline constexpr std::size_t cns_plane2_from_unicode_pages_size = 83 * reverse_page_size;
extern const std::uint16_t cns_plane2_from_unicode_index[cns_plane2_from_unicode_index_size];
extern const std::uint16_t cns_plane2_from_unicode_pages[cns_plane2_from_unicode_pages_size];
inline constexpr reverse_table cns_plane2_reverse =
    reverse_table_of(cns_plane2_from_unicode_index, cns_plane2_from_unicode_pages);

inline constexpr std::size_t cns_plane3_from_unicode_index_size = 0xA0;
inline constexpr std::size_t cns_plane3_from_unicode_pages_size = 83 * reverse_page_size;
extern const std::uint16_t cns_plane3_from_unicode_index[cns_plane3_from_unicode_index_size];
extern const std::uint16_t cns_plane3_from_unicode_pages[cns_plane3_from_unicode_pages_size];
inline constexpr reverse_table cns_plane3_reverse =
    reverse_table_of(cns_plane3_from_unicode_index, cns_plane3_from_unicode_pages);

// JIS X 0201, JIS X 0208, JIS X 0212 and Shift_JIS, of jisx0201_to_ucs2 ..
// sjis_to_ucs2 (japanese_reverse.cpp). JIS X 0201, JIS X 0208 and Shift_JIS
// through U+FFxx with 3, 93 and 93 blocks, JIS X 0212 through U+9Fxx with 88;
// each has the empty page besides.
inline constexpr std::size_t jisx0201_from_unicode_index_size = 0x100;
inline constexpr std::size_t jisx0201_from_unicode_pages_size = 4 * reverse_page_size;
extern const std::uint16_t jisx0201_from_unicode_index[jisx0201_from_unicode_index_size];
extern const std::uint16_t jisx0201_from_unicode_pages[jisx0201_from_unicode_pages_size];
inline constexpr reverse_table jisx0201_reverse =
    reverse_table_of(jisx0201_from_unicode_index, jisx0201_from_unicode_pages);

inline constexpr std::size_t jisx0208_from_unicode_index_size = 0x100;
inline constexpr std::size_t jisx0208_from_unicode_pages_size = 94 * reverse_page_size;
extern const std::uint16_t jisx0208_from_unicode_index[jisx0208_from_unicode_index_size];
extern const std::uint16_t jisx0208_from_unicode_pages[jisx0208_from_unicode_pages_size];
inline constexpr reverse_table jisx0208_reverse =
    reverse_table_of(jisx0208_from_unicode_index, jisx0208_from_unicode_pages);

inline constexpr std::size_t jisx0212_from_unicode_index_size = 0xA0;
inline constexpr std::size_t jisx0212_from_unicode_pages_size = 89 * reverse_page_size;
extern const std::uint16_t jisx0212_from_unicode_index[jisx0212_from_unicode_index_size];
extern const std::uint16_t jisx0212_from_unicode_pages[jisx0212_from_unicode_pages_size];
inline constexpr reverse_table jisx0212_reverse =
    reverse_table_of(jisx0212_from_unicode_index, jisx0212_from_unicode_pages);

inline constexpr std::size_t sjis_from_unicode_index_size = 0x100;
inline constexpr std::size_t sjis_from_unicode_pages_size = 94 * reverse_page_size;
extern const std::uint16_t sjis_from_unicode_index[sjis_from_unicode_index_size];
extern const std::uint16_t sjis_from_unicode_pages[sjis_from_unicode_pages_size];
inline constexpr reverse_table sjis_reverse =
    reverse_table_of(sjis_from_unicode_index, sjis_from_unicode_pages);

// Code page 949 and KS X 1001, of ksc5601_to_ucs2 and ksx1001_to_ucs2
// (korean_reverse.cpp). Both through U+FFxx with 145 blocks and the empty page.
inline constexpr std::size_t ksc5601_from_unicode_index_size = 0x100;
inline constexpr std::size_t ksc5601_from_unicode_pages_size = 146 * reverse_page_size;
extern const std::uint16_t ksc5601_from_unicode_index[ksc5601_from_unicode_index_size];
extern const std::uint16_t ksc5601_from_unicode_pages[ksc5601_from_unicode_pages_size];
inline constexpr reverse_table ksc5601_reverse =
    reverse_table_of(ksc5601_from_unicode_index, ksc5601_from_unicode_pages);

inline constexpr std::size_t ksx1001_from_unicode_index_size = 0x100;
inline constexpr std::size_t ksx1001_from_unicode_pages_size = 146 * reverse_page_size;
extern const std::uint16_t ksx1001_from_unicode_index[ksx1001_from_unicode_index_size];
extern const std::uint16_t ksx1001_from_unicode_pages[ksx1001_from_unicode_pages_size];
inline constexpr reverse_table ksx1001_reverse =
    reverse_table_of(ksx1001_from_unicode_index, ksx1001_from_unicode_pages);

// Code pages 932 (pairs and single bytes) and 950, of cp932_to_ucs2,
// cp932_single_to_ucs2 and cp950_to_ucs2 (code_pages_reverse.cpp), each
// through U+FFxx with 106, 3 and 99 blocks and the empty page.
inline constexpr std::size_t cp932_from_unicode_index_size = 0x100;
inline constexpr std::size_t cp932_from_unicode_pages_size = 107 * reverse_page_size;
extern const std::uint16_t cp932_from_unicode_index[cp932_from_unicode_index_size];
extern const std::uint16_t cp932_from_unicode_pages[cp932_from_unicode_pages_size];
inline constexpr reverse_table cp932_reverse =
    reverse_table_of(cp932_from_unicode_index, cp932_from_unicode_pages);

inline constexpr std::size_t cp932_single_from_unicode_index_size = 0x100;
inline constexpr std::size_t cp932_single_from_unicode_pages_size = 4 * reverse_page_size;
extern const std::uint16_t cp932_single_from_unicode_index[cp932_single_from_unicode_index_size];
extern const std::uint16_t cp932_single_from_unicode_pages[cp932_single_from_unicode_pages_size];
inline constexpr reverse_table cp932_single_reverse =
    reverse_table_of(cp932_single_from_unicode_index, cp932_single_from_unicode_pages);

inline constexpr std::size_t cp950_from_unicode_index_size = 0x100;
inline constexpr std::size_t cp950_from_unicode_pages_size = 100 * reverse_page_size;
extern const std::uint16_t cp950_from_unicode_index[cp950_from_unicode_index_size];
extern const std::uint16_t cp950_from_unicode_pages[cp950_from_unicode_pages_size];
inline constexpr reverse_table cp950_reverse =
    reverse_table_of(cp950_from_unicode_index, cp950_from_unicode_pages);

// The single-byte charsets (single_byte_reverse.cpp), entry
// single_byte_index(id) as in single_byte_tables.
extern const reverse_table single_byte_reverses[single_byte_table_count];

// Gives no code for any code point: it has no cell to read.
inline constexpr reverse_table no_reverse{nullptr, 0, nullptr, 0};

// The reverse of a single-byte charset id; any other id gets no_reverse.
inline const reverse_table& single_byte_reverse(int id) noexcept {
  const std::size_t at = single_byte_index(id);
  return at < single_byte_table_count ? single_byte_reverses[at] : no_reverse;
}

}  // namespace zel
