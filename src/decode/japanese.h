// Japanese input: JIS X 0208 and JIS X 0212 in 8-bit form, Shift_JIS, code
// page 932, EUC-JP.
//
// JIS X 0208 and JIS X 0212: a row byte and a column byte, both 0xA1..0xFE,
// read jisx0208_to_ucs2 or jisx0212_to_ucs2 at 94(row-A1) + (column-A1);
// any other byte (0xFF, a 7-bit byte, a row byte cut off by the end) passes
// through as itself and the next byte is read afresh.
// Shift_JIS: 0x00..0x1F pass through; 0x20..0x80 and 0xA0..0xDF are single
// bytes of jisx0201_to_ucs2 (0x5C the yen sign, 0x7E the overline, 0x7F,
// 0x80 and 0xA0 U+FFFD). A lead 0x81..0x9F or 0xE0..0xFF with a trail
// 0x40..0xFE reads sjis_to_ucs2 at 191(lead-81) + (trail-40): trails 0x7F,
// 0xFD and 0xFE are taken and give U+FFFD, as do codes past EAA4. A lead
// without a trail passes through alone.
// Code page 932: Shift_JIS's layout, but every byte below 0x80 is ASCII and
// the single bytes 0x80, 0xA0..0xDF and 0xFD..0xFF read cp932_single_to_ucs2;
// pairs read cp932_to_ucs2 (NEC and IBM rows, user-defined codes).
// EUC-JP: ASCII and JIS X 0208 pairs as above; 0x8E with a katakana byte
// 0xA1..0xDF reads jisx0201_to_ucs2, 0x8F with two bytes 0xA1..0xFE reads
// jisx0212_to_ucs2. A single shift without what it needs is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/two_byte.h"
#include "src/tables/code_pages.h"
#include "src/tables/japanese.h"

namespace zel {

// Each decoder returns how many bytes it took: all of them for the last
// piece of a text (`last`), else up to where the next piece must go on.
template <class Out>
std::size_t jisx0208_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  return square_decoder<jis_columns>(jisx0208_to_ucs2, japanese_past_end, in, n, out, last);
}

template <class Out>
std::size_t jisx0212_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  return square_decoder<jis_columns>(jisx0212_to_ucs2, japanese_past_end, in, n, out, last);
}

// One character of the Shift_JIS layout at in[i], where an ASCII run
// stopped: a single byte from `singles`, a lead and trail 0x40..0xFE from
// `pairs` (191 cells a lead from 0x81), or a lead without its trail, which
// passes through alone. False where a lead is cut short at the piece's end.
template <std::size_t S, std::size_t P, class Out>
bool shift_jis_step(const std::uint16_t (&singles)[S], const std::uint16_t (&pairs)[P], bool lead,
                    const std::uint8_t* in, std::size_t n, std::size_t& i, bool last, Out& out) {
  static_assert(sjis_columns == code_page_columns && japanese_past_end == code_pages_past_end);
  if (lead && cut_short(i, 2, n, last)) return false;
  if (!lead) {
    emit_cell(out, cell(singles, in[i], japanese_past_end), in + i);
    ++i;
  } else if (i + 1 < n && in[i + 1] >= 0x40 && in[i + 1] <= 0xFE) {
    const std::size_t at = sjis_columns * (in[i] - 0x81u) + (in[i + 1] - 0x40u);
    emit_cell(out, cell(pairs, at, japanese_past_end), in + i);
    i += 2;
  } else {
    pass_byte(out, in + i);  // a lead with no trail; what follows is read afresh
    ++i;
  }
  return true;
}

template <class Out>
std::size_t shift_jis_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  const pair_table pairs = make_pair_table(sjis_to_ucs2, sjis_columns, 0x81, 0xFF, 0x40, 0xFE);
  return with_pair_kernel(
      out,
      [&](auto kernel) {
        std::size_t i = 0;
        while (i < n) {
          i += pair_run(kernel, out, pairs, in, i, n);
          // Below 0x80 every byte but the yen sign, the overline and 0x7F is
          // its own character (the C0 controls are Shift_JIS's own), so those
          // runs are copied as ASCII is elsewhere.
          if (!copy_ascii_run<0x5C, 0x7E, 0x7F>(in, n, i, out)) break;
          const std::uint8_t b = in[i];
          const bool lead = b > 0x80 && (b < 0xA0 || b > 0xDF);
          if (!shift_jis_step(jisx0201_to_ucs2, sjis_to_ucs2, lead, in, n, i, last, out)) break;
        }
        return i;
      },
      pair_shape::shift_jis);
}

// Code page 932: bytes below 0x80 are all ASCII, 0x80, 0xA0..0xDF and
// 0xFD..0xFF single characters (cp932_single_to_ucs2), leads 0x81..0x9F and
// 0xE0..0xFC take a trail 0x40..0xFE from cp932_to_ucs2 as Shift_JIS does.
template <class Out>
std::size_t cp932_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  std::size_t i = 0;
  while (i < n) {
    if (!copy_ascii_run(in, n, i, out)) break;
    const std::uint8_t b = in[i];
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (!shift_jis_step(cp932_single_to_ucs2, cp932_to_ucs2, lead, in, n, i, last, out)) break;
  }
  return i;
}

template <class Out>
std::size_t euc_jp_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  constexpr std::uint8_t single_shift_2 = 0x8E, single_shift_3 = 0x8F;
  const pair_table pairs = make_pair_table(jisx0208_to_ucs2, jis_columns, 0xA1, 0xFE, 0xA1, 0xFE);
  return with_pair_kernel(
      out,
      [&](auto kernel) {
        std::size_t i = 0;
        while (i < n) {
          i += pair_run(kernel, out, pairs, in, i, n);
          if (!copy_ascii_run(in, n, i, out)) break;
          const std::uint8_t b = in[i];
          // A shift or lead the piece ends after, or a single shift 3 and a
          // square byte with the third byte to come.
          if ((b == single_shift_2 || b == single_shift_3 || square_byte(b)) &&
              cut_short(i, 2, n, last))
            break;
          if (b == single_shift_3 && n - i >= 2 && square_byte(in[i + 1]) &&
              cut_short(i, 3, n, last))
            break;
          if (b == single_shift_2) {
            if (i + 1 < n && in[i + 1] >= 0xA1 && in[i + 1] <= 0xDF) {
              emit_cell(out, cell(jisx0201_to_ucs2, in[i + 1], japanese_past_end), in + i);
              i += 2;
            } else {
              drop(out, in + i);  // the byte after it is read as a byte of its own
              ++i;
            }
          } else if (b == single_shift_3) {
            if (i + 2 < n && square_byte(in[i + 1]) && square_byte(in[i + 2])) {
              const auto at =
                  static_cast<std::size_t>(square_index<jis_columns>(in[i + 1], in[i + 2]));
              emit_cell(out, cell(jisx0212_to_ucs2, at, japanese_past_end), in + i);
              i += 3;
            } else {
              drop(out, in + i);  // likewise
              ++i;
            }
          } else {
            i += square_step<jis_columns>(jisx0208_to_ucs2, japanese_past_end, in, n, i, out);
          }
        }
        return i;
      },
      pair_shape::euc_jp);
}

}  // namespace zel
