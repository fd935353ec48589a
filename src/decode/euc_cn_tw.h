// EUC-CN, EUC-TW and ISO-2022-CN input.
//
// EUC-CN: a pair A1..FE A1..FE reads gb2312_to_ucs2 (GB 2312's own A1A4 and
// A1AA, not GBK's). EUC-TW: such a pair is CNS 11643 plane 1, and 8E A1/A2/A3
// b3 b4 reads plane 1/2/3 at b3 b4 taken unchecked; a 0x8E before another
// byte or with under four bytes left is dropped, the next byte read afresh
// (a final 0x8E passes through).
// ISO-2022-CN: ESC $ ) A (GB 2312), ESC $ ) G (plane 1), ESC $ * H (plane 2),
// ESC ( B set one designation, the last winning; SO shifts into GB 2312 or
// plane 1 when designated, ESC N into plane 2 and holds until SI. Shifted, any
// two bytes are a pair, line ends and escapes included; GB 2312 pairs read
// gbk_to_ucs2 at each byte plus 0x80, so give GBK's forms. ESC goes with the
// one sequence it starts; SO and SI give nothing. Other bytes pass through.
// A pair whose bytes fall outside its table passes both bytes through, so
// line ends and escapes stay visible.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/two_byte.h"
#include "src/tables/cns_gb2312.h"
#include "src/tables/gbk_gb18030.h"

namespace zel {

// Each decoder returns how many bytes it took: all of them for the last
// piece of a text (`last`), else up to where the next piece must go on.
template <class Out>
std::size_t euc_cn_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  return square_decoder<cns_gb2312_columns>(gb2312_to_ucs2, cns_gb2312_past_end, in, n, out, last);
}

// The cells of a CNS 11643 plane, 94 rows of 94.
inline constexpr std::size_t cns_plane_cells = cns_gb2312_columns * cns_gb2312_columns;

// The cell of CNS 11643 row and column bytes (0x21..0x7E), or -1 outside
// the plane.
constexpr std::ptrdiff_t cns_index(int row, int column) noexcept {
  if (row < 0x21 || row > 0x7E || column < 0x21 || column > 0x7E) return -1;
  return square_index<cns_gb2312_columns>(row + 0x80, column + 0x80);
}

// The pair at `pair` in a plane's 7-bit form (ISO-2022-CN), or in its 8-bit
// form (EUC-TW) after the `prefix` bytes of a single shift.
template <class Out, std::size_t N>
inline void cns_pair(const std::uint16_t (&plane)[N], const std::uint8_t* pair, Out& out) {
  cell_or_pair(plane, cns_index(pair[0], pair[1]), cns_plane_cells, cns_gb2312_past_end, pair, out);
}
template <class Out, std::size_t N>
inline void cns_euc_pair(const std::uint16_t (&plane)[N], const std::uint8_t* pair,
                         std::size_t prefix, Out& out) {
  cell_or_pair(plane, cns_index(pair[0] - 0x80, pair[1] - 0x80), cns_plane_cells,
               cns_gb2312_past_end, pair, out, prefix);
}

template <class Out>
std::size_t euc_tw_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  std::size_t i = 0;
  while (i < n) {
    if (!copy_ascii_run(in, n, i, out)) break;
    const std::uint8_t b1 = in[i];
    if (b1 == 0x8E) {
      const bool plane_1_to_3 = n - i < 2 || (in[i + 1] >= 0xA1 && in[i + 1] <= 0xA3);
      if (plane_1_to_3 && cut_short(i, 4, n, last)) break;
      if (i + 1 >= n) {
        pass_byte(out, in + i);
        ++i;
      } else if (i + 3 < n && in[i + 1] == 0xA1) {
        cns_euc_pair(cns_plane1_to_ucs2, in + i + 2, 2, out);
        i += 4;
      } else if (i + 3 < n && in[i + 1] == 0xA2) {
        cns_euc_pair(cns_plane2_to_ucs2, in + i + 2, 2, out);
        i += 4;
      } else if (i + 3 < n && in[i + 1] == 0xA3) {
        cns_euc_pair(cns_plane3_to_ucs2, in + i + 2, 2, out);
        i += 4;
      } else {
        // Another plane, or cut short: the single shift goes, the rest is
        // read afresh.
        drop(out, in + i);
        ++i;
      }
      continue;
    }
    if (square_byte(b1) && cut_short(i, 2, n, last)) break;
    if (square_byte(b1) && i + 1 < n && square_byte(in[i + 1])) {
      cns_euc_pair(cns_plane1_to_ucs2, in + i, 0, out);
      i += 2;
      continue;
    }
    pass_byte(out, in + i);
    ++i;
  }
  return i;
}

// What may follow an ESC here: the designations and the single shift.
inline constexpr std::string_view iso2022cn_escapes[] = {"(B", "$)A", "$)G", "$*H", "N"};

template <class Out>
std::size_t iso2022cn_decoder(const std::uint8_t* in, std::size_t n, Out& out, decoder_state& st,
                              bool last = true) {
  constexpr std::uint8_t esc = 0x1B, so = 0x0E, si = 0x0F;
  // designation: 0 ASCII, 1 GB 2312 (G1), 2 CNS plane 1 (G1), 3 CNS plane 2
  // (G2); one value for G1 and G2, so each designation replaces the last.
  // shift: 0 single bytes, else the set pairs are read from (as designation).
  // Both carry over from the piece before (`st`).
  int designation = st.set;
  int shift = st.shift;
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t b1 = in[i];
    if (b1 == esc) {
      if (!last && escape_cut_short(iso2022cn_escapes, in + i + 1, n - i - 1)) break;
      const std::uint8_t* at = in + i;
      ++i;
      const std::size_t left = n - i;
      const std::uint8_t* s = in + i;
      if (left >= 2 && s[0] == '(' && s[1] == 'B') {
        designation = 0;
        i += 2;
      } else if (left >= 3 && s[0] == '$' && s[1] == ')' && s[2] == 'A') {
        designation = 1;
        i += 3;
      } else if (left >= 3 && s[0] == '$' && s[1] == ')' && s[2] == 'G') {
        designation = 2;
        i += 3;
      } else if (left >= 3 && s[0] == '$' && s[1] == '*' && s[2] == 'H') {
        designation = 3;
        i += 3;
      } else if (left >= 1 && s[0] == 'N') {
        if (designation == 3)
          shift = 3;
        else
          drop(out, at, 2);  // plane 2 is not designated
        i += 1;
      } else {
        drop(out, at);  // an escape that selects nothing loses its ESC
      }
      continue;
    }
    if (b1 == si) {
      shift = 0;
      ++i;
      continue;
    }
    if (b1 == so) {
      if (designation == 1 || designation == 2)
        shift = designation;
      else
        drop(out, in + i);  // nothing designated to shift into
      ++i;
      continue;
    }
    if (shift == 0) {
      std::size_t end = i;
      while (end < n && in[end] < 0x80 && in[end] != esc && in[end] != so && in[end] != si) ++end;
      if (end > i) {
        out.ascii(in + i, end - i);
        i = end;
      } else {
        pass_byte(out, in + i);  // no byte from 0x80 belongs to this 7-bit form
        ++i;
      }
      continue;
    }
    if (cut_short(i, 2, n, last)) break;
    if (i + 1 >= n) {
      pass_byte(out, in + i);  // the odd last byte of shifted text
      ++i;
      continue;
    }
    const std::uint8_t b2 = in[i + 1];
    if (shift == 1) {
      // gbk_to_ucs2 read as a flat array at lead (b1 + 0x80), trail (b2 + 0x80):
      // a second byte from 0x7F reaches into the next row; only an entry
      // before the first row or after the last has no cell.
      cell_or_pair(gbk_to_ucs2, seven_bit_lead_trail_index<gbk_columns>(b1, b2), gbk_to_ucs2_size,
                   std::uint16_t{0xFFFD}, in + i, out);
    } else if (shift == 2) {
      cns_pair(cns_plane1_to_ucs2, in + i, out);
    } else {
      cns_pair(cns_plane2_to_ucs2, in + i, out);
    }
    i += 2;
  }
  st.set = static_cast<std::uint8_t>(designation);
  st.shift = static_cast<std::uint8_t>(shift);
  return i;
}

}  // namespace zel
