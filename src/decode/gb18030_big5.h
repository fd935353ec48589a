// GB18030, Big5 and code page 950 input.
//
// GB18030: four-byte codes b1 b2 b3 b4 (b2, b4 digits 0x30..0x39, b3
// 0x81..0xFE) from 81 30 81 30 to 84 31 A4 39, the Basic Multilingual Plane
// part, read gb18030_four_byte_to_ucs2 at 12800(b1-81) + 1280(b2-30) +
// 10(b3-80) + (b4-30); two-byte codes (lead 0x81..0xFE, trail 0x40..0x7E or
// 0x80..0xFE) read gbk_to_ucs2 at 191(lead-81) + (trail-40). A four-byte
// code beyond U+FFFF (lead 0x90..0xE3, same shape) is U+10000 plus its
// place from 90 30 81 30, computed: whole for the general conversion, one
// U+FFFD in the 16-bit pivot of the ten exports. Anything else, including a
// lead cut off by the end, passes through as itself and the next byte is
// read afresh.
// Big5: a lead 0x80..0xFF with a trail 0x40..0xFE reads big5_to_ucs2 at
// 191(lead-80) + (trail-40), consuming both bytes even where the cell is
// empty (U+FFFD: trails 0x7F..0xA0, rows outside A1..F9, codes past F9D5);
// anything else passes through. Code page 950 reads cp950_to_ucs2 the same
// way, its cells through F9FE.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/two_byte.h"
#include "src/tables/big5.h"
#include "src/tables/code_pages.h"
#include "src/tables/gbk_gb18030.h"

namespace zel {

inline bool is_digit_byte(std::uint8_t b) noexcept { return b >= 0x30 && b <= 0x39; }

// Whether the four bytes at p form a code of gb18030_four_byte_to_ucs2.
inline bool gb18030_four_byte_code(const std::uint8_t* p) noexcept {
  const std::uint8_t b1 = p[0], b2 = p[1], b3 = p[2], b4 = p[3];
  if (b1 < 0x81 || b1 > 0x84 || !is_digit_byte(b2) || b3 < 0x81 || b3 > 0xFE || !is_digit_byte(b4))
    return false;
  // The table ends at 84 31 A4 39 (U+FFFF).
  return b1 < 0x84 || b2 == 0x30 || (b2 == 0x31 && b3 <= 0xA4);
}

// Whether the four bytes at p form a four-byte code beyond U+FFFF, the
// supplementary planes from 90 30 81 30 (U+10000).
inline bool is_gb18030_supplementary(const std::uint8_t* p) noexcept {
  return p[0] >= 0x90 && p[0] <= 0xE3 && is_digit_byte(p[1]) && p[2] >= 0x81 && p[2] <= 0xFE &&
         is_digit_byte(p[3]);
}

// Whether the k bytes at p begin a code that more bytes would complete: a
// lead alone, or the start of a four-byte code (leads 81..84 and 90..E3).
inline bool gb18030_cut_short(const std::uint8_t* p, std::size_t k) noexcept {
  if (p[0] < 0x81 || p[0] > 0xFE || k >= 4) return false;
  if (k == 1) return true;
  const bool four_byte_lead = p[0] <= 0x84 || (p[0] >= 0x90 && p[0] <= 0xE3);
  return four_byte_lead && is_digit_byte(p[1]) && (k == 2 || (p[2] >= 0x81 && p[2] <= 0xFE));
}

// 84 31 A4 37 is U+FFFD itself, a character, not a code without one.
inline constexpr std::size_t gb18030_replacement_index = 12800u * 3 + 1280u * 1 + 10u * 0x24 + 7;

// Each decoder returns how many bytes it took: all of them for the last
// piece of a text (`last`), else up to where the next piece must go on.
template <class Out>
std::size_t gb18030_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  // Column 0x7F holds U+FFFD, so the vector path leaves a lead before 0x7F
  // (which is no pair here) to this loop, as it does a four-byte code.
  constexpr pair_table gbk_pairs =
      make_pair_table(gbk_to_ucs2, gbk_columns, 0x81, 0xFE, 0x40, 0xFE);
  return with_pair_kernel(out, [&](auto kernel) {
    std::size_t i = 0;
    while (i < n) {
      i += pair_run(kernel, out, gbk_pairs, in, i, n);
      if (!copy_ascii_run(in, n, i, out)) break;
      const std::uint8_t b1 = in[i];
      if (!last && gb18030_cut_short(in + i, n - i)) break;
      // A two-byte code's trail (0x40 up) is never a four-byte code's second
      // byte (a digit), so the common two-byte case is tested first.
      if (b1 >= 0x81 && b1 <= 0xFE && i + 1 < n) {
        const std::uint8_t b2 = in[i + 1];
        if (b2 >= 0x40 && b2 <= 0xFE && b2 != 0x7F) {
          emit_cell(
              out,
              cell(gbk_to_ucs2, static_cast<unsigned>(gbk_columns) * (b1 - 0x81u) + (b2 - 0x40u),
                   std::uint16_t{0xFFFD}),
              in + i);
          i += 2;
          continue;
        }
      }
      if (i + 3 < n && gb18030_four_byte_code(in + i)) {
        std::size_t index = 12800u * (b1 - 0x81) + 1280u * (in[i + 1] - 0x30) +
                            10u * (in[i + 2] - 0x80) + (in[i + 3] - 0x30);
        const std::uint16_t u = cell(gb18030_four_byte_to_ucs2, index, std::uint16_t{0xFFFD});
        if (index == gb18030_replacement_index)
          emit(out, u, in + i);
        else
          emit_cell(out, u, in + i);
        i += 4;
        continue;
      }
      if (i + 3 < n && is_gb18030_supplementary(in + i)) {
        const std::uint32_t linear = ((b1 - 0x90u) * 10 + (in[i + 1] - 0x30u)) * 1260 +
                                     (in[i + 2] - 0x81u) * 10 + (in[i + 3] - 0x30u);
        supplementary(out, 0x10000 + linear, in + i);
        i += 4;
        continue;
      }
      pass_byte(out, in + i);
      ++i;
    }
    return i;
  });
}

template <class Out>
std::size_t big5_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  return lead_trail_decoder<big5_columns>(big5_to_ucs2, 0x80, big5_past_end, in, n, out, last);
}

// Code page 950: Big5's layout with the code page's own table.
template <class Out>
std::size_t cp950_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  return lead_trail_decoder<code_page_columns>(cp950_to_ucs2, 0x80, code_pages_past_end, in, n, out,
                                               last);
}

}  // namespace zel
