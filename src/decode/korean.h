// Korean input: code page 949, KS X 1001 in 7-bit form, ISO-2022-KR, EUC-KR.
//
// Code page 949: a lead 0x81..0xFF with a trail 0x40..0xFE reads
// ksc5601_to_ucs2 at 191(lead-81) + (trail-40), consuming both bytes even for
// an unused trail or a lead past the table (both U+FFFD). The table has no row
// for lead 0x80: it passes through alone and the next byte is read afresh.
// EUC-KR: both bytes 0xA1..0xFE read ksx1001_to_ucs2 at 94(row-A1) +
// (column-A1); the 7-bit form reads the same cell for bytes 0x21..0x7E plus
// 0x80, so every printable ASCII byte pairs up.
// ISO-2022-KR: every ESC is dropped; ESC $ ) C, all four bytes present,
// designates KS X 1001, and SO shifts into it only after that. Shifted, a byte
// takes the next one whatever it is (SI, ESC, a line end) and reads
// ksc5601_to_ucs2 as the code (b+80, c+80); a pair 0x00 c with c below 0x7F
// lies before the table, and both its bytes pass through.
// Elsewhere a byte that starts no pair, or a lead cut off, passes through.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/two_byte.h"
#include "src/tables/korean.h"

namespace zel {

// Each decoder returns how many bytes it took: all of them for the last
// piece of a text (`last`), else up to where the next piece must go on.
template <class Out>
std::size_t ksc5601_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  return lead_trail_decoder<ksc5601_columns>(ksc5601_to_ucs2, 0x81, ksc5601_past_end, in, n, out,
                                             last);
}

template <class Out>
std::size_t euc_kr_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  return square_decoder<ksx1001_columns>(ksx1001_to_ucs2, ksx1001_past_end, in, n, out, last);
}

template <class Out>
std::size_t ksx1001_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t row = in[i];
    if (row >= 0x21 && row <= 0x7E && cut_short(i, 2, n, last)) break;
    if (row >= 0x21 && row <= 0x7E && i + 1 < n && in[i + 1] >= 0x21 && in[i + 1] <= 0x7E) {
      const auto at =
          static_cast<std::size_t>(square_index<ksx1001_columns>(row + 0x80, in[i + 1] + 0x80));
      emit_cell(out, cell(ksx1001_to_ucs2, at, ksx1001_past_end), in + i);
      i += 2;
      continue;
    }
    // Space and the controls are text here; any other byte begins no pair
    // or one the text cuts short.
    if (row < 0x21)
      emit(out, row, in + i);
    else
      pass_byte(out, in + i);
    ++i;
  }
  return i;
}

template <class Out>
std::size_t iso2022kr_decoder(const std::uint8_t* in, std::size_t n, Out& out, decoder_state& st,
                              bool last = true) {
  constexpr std::uint8_t esc = 0x1B, shift_out = 0x0E, shift_in = 0x0F;
  constexpr std::string_view designation[] = {"$)C"};
  // Both carry over from the piece before (`st`).
  bool designated = st.designated, shifted = st.shift != 0;
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t b = in[i];
    if (b == esc) {
      if (!last && escape_cut_short(designation, in + i + 1, n - i - 1)) break;
      // Only the designation is consumed; any other byte after an ESC is
      // read as ordinary input, so an unknown escape loses just its ESC.
      if (i + 3 < n && in[i + 1] == '$' && in[i + 2] == ')' && in[i + 3] == 'C') {
        designated = true;
        i += 4;
      } else {
        drop(out, in + i);
        ++i;
      }
      continue;
    }
    if (b == shift_out) {
      if (!designated) drop(out, in + i);  // shifts into nothing
      shifted = shifted || designated;
      ++i;
      continue;
    }
    if (b == shift_in) {
      shifted = false;
      ++i;
      continue;
    }
    if (shifted && cut_short(i, 2, n, last)) break;
    if (shifted && i + 1 < n) {
      // The cell of the 8-bit code (b + 0x80, c + 0x80); only b = 0x00 with
      // c below 0x7F lands before the table. Every index 7-bit text gives
      // lies within the table's nominal 65,536 cells.
      constexpr std::size_t nominal = 65536;
      cell_or_pair(ksc5601_to_ucs2, seven_bit_lead_trail_index<ksc5601_columns>(b, in[i + 1]),
                   nominal, ksc5601_past_end, in + i, out);
      i += 2;
      continue;
    }
    // ASCII, unshifted; a byte from 0x80 has no place in this 7-bit form, and
    // a shifted byte without a partner is cut short.
    if (b < 0x80 && !shifted)
      emit(out, b, in + i);
    else
      pass_byte(out, in + i);
    ++i;
  }
  st.designated = designated;
  st.shift = shifted;
  return i;
}

}  // namespace zel
