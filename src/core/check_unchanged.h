// The check of text a conversion copies unchanged (UTF-8 into UTF-8,
// GB18030 into GB18030) when a report is kept: the bytes are not touched,
// but each ill-formed sequence counts as one malformed event at its first
// byte, so that a validating caller hears of text that is not what its
// label says.
//
// UTF-8 is read strictly: no overlong forms, surrogates or values past
// U+10FFFF; an ill-formed sequence is its longest start that some
// well-formed sequence has (one byte where none does), as Unicode counts
// them. GB18030 takes ASCII, two-byte codes (lead 81..FE, trail 40..7E or
// 80..FE) and the four-byte codes that stand for a character (81 30 81 30
// to 84 31 A4 39, 90 30 81 30 to E3 32 9A 35); anything else is one
// malformed byte, and the next byte is read afresh.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/core/report.h"
#include "src/decode/unicode.h"
#include "src/encode/ascii_block.h"
#include "zel_code.h"

namespace zel {

// The length of the GB18030 sequence at p if well-formed (k bytes at hand);
// else minus the length of its ill-formed start, or 0 when the k bytes are
// a start that more bytes may complete.
inline std::ptrdiff_t gb18030_sequence(const std::uint8_t* p, std::size_t k) noexcept {
  const std::uint8_t b = p[0];
  if (b < 0x80) return 1;
  if (b == 0x80 || b == 0xFF) return -1;
  if (k < 2) return 0;
  const std::uint8_t b2 = p[1];
  if (b2 >= 0x40 && b2 <= 0xFE && b2 != 0x7F) return 2;
  if (b2 < 0x30 || b2 > 0x39) return -1;
  if (k < 3) return 0;
  if (p[2] < 0x81 || p[2] > 0xFE) return -1;
  if (k < 4) return 0;
  if (p[3] < 0x30 || p[3] > 0x39) return -1;
  // Linear within its plane group: 10 * 126 * 10 codes a lead.
  const unsigned linear =
      ((b - 0x81u) * 10 + (b2 - 0x30u)) * 1260 + (p[2] - 0x81u) * 10 + (p[3] - 0x30u);
  constexpr unsigned bmp_last = ((0x84 - 0x81) * 10 + 1) * 1260 + (0xA4 - 0x81) * 10 + 9;
  constexpr unsigned supplementary_first = (0x90 - 0x81) * 10 * 1260;
  constexpr unsigned supplementary_last = supplementary_first + 0x10FFFF - 0x10000;
  const bool character =
      linear <= bmp_last || (linear >= supplementary_first && linear <= supplementary_last);
  return character ? 4 : -1;
}

// Checks the n bytes at `in` (a piece of a text; `last` when it ends the
// text) and counts what is ill-formed into `tally`. Returns how many bytes
// were decided: all of them for the last piece, else all but a sequence
// the piece cuts short.
template <auto sequence>
std::size_t check_text(const std::uint8_t* in, std::size_t n, report_tally& tally, bool last) {
  std::size_t i = 0;
  while (i < n) {
    while (i + 8 <= n && eight_ascii(in + i)) i += 8;
    if (i == n) break;
    if (in[i] < 0x80) {
      ++i;
      continue;
    }
    const std::ptrdiff_t took = sequence(in + i, n - i);
    if (took > 0) {
      i += static_cast<std::size_t>(took);
    } else if (took < 0) {
      tally.add(degradation::malformed, i, 1);
      i += static_cast<std::size_t>(-took);
    } else {
      if (!last) return i;
      tally.add(degradation::malformed, i, 1);  // cut short by the end of the text
      return n;
    }
  }
  return n;
}

// Checks text of `id`, UTF-8 or GB18030, copied unchanged.
inline std::size_t check_unchanged(int id, const std::uint8_t* in, std::size_t n,
                                   report_tally& tally, bool last) {
  if (id == ZEL_CHARSET_UTF8) return check_text<utf8_sequence>(in, n, tally, last);
  return check_text<gb18030_sequence>(in, n, tally, last);
}

}  // namespace zel
