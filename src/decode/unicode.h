// UTF-8 and UTF-16 input, into 16-bit code units.
//
// UTF-8: a lead byte C0..DF takes one following byte, E0..EF two, and the
// low six bits of whatever follows are used unvalidated (C0 80 gives U+0000,
// C3 41 gives U+00C1). Stray continuation bytes, leads F0..FF and a lead
// with too few bytes left are dropped one byte at a time, so a four-byte
// sequence (beyond the 16-bit pivot) vanishes whole.
// UTF-16: a surrogate followed by a low surrogate folds into the low 16 bits
// of the code point; followed by anything else it passes unchanged and the
// next unit is consumed with it; with no whole unit after it, it is dropped.
// An odd last byte is never a unit. `utf16_decoder` reads a byte-order mark
// (big-endian without one); `utf16_fixed_decoder` keeps a leading mark as
// U+FEFF or U+FFFE.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/degrade.h"

namespace zel {

template <class Out>
void utf8_decoder(const std::uint8_t* in, std::size_t n, Out& out) {
  std::size_t i = 0;
  while (i < n) {
    if (!copy_ascii_run(in, n, i, out)) break;
    // Sequences from a lead byte up, until the next ASCII byte; three-byte
    // ones (most of CJK text) are tested first.
    do {
      const std::uint8_t b = in[i];
      if (b >= 0xE0 && b <= 0xEF && i + 2 < n) {
        out.unit(static_cast<std::uint16_t>((b & 0x0F) << 12 | (in[i + 1] & 0x3F) << 6 |
                                            (in[i + 2] & 0x3F)));
        i += 3;
      } else if (b >= 0xC0 && b <= 0xDF && i + 1 < n) {
        out.unit(static_cast<std::uint16_t>((b & 0x1F) << 6 | (in[i + 1] & 0x3F)));
        i += 2;
      } else {
        ++i;  // stray continuation, lead F0..FF, or a lead cut off by the end
      }
    } while (i < n && in[i] >= 0x80);
  }
}

// little_endian: nonzero for UTF-16LE, 0 for UTF-16BE.
template <class Out>
void utf16_fixed_decoder(const std::uint8_t* in, std::size_t n, int little_endian, Out& out) {
  const int hi = little_endian ? 1 : 0;
  const int lo = 1 - hi;
  auto unit_at = [&](std::size_t p) {
    return static_cast<std::uint16_t>(in[p + hi] << 8 | in[p + lo]);
  };
  std::size_t p = 0;
  while (p + 1 < n) {
    std::uint16_t u = unit_at(p);
    if (u < 0xD800 || u > 0xDFFF) {
      out.unit(u);
      p += 2;
    } else if (p + 3 < n) {
      std::uint16_t v = unit_at(p + 2);
      if (v >= 0xDC00 && v <= 0xDFFF)
        out.unit(static_cast<std::uint16_t>((u & 0x3F) << 10 | (v & 0x3FF)));
      else
        out.unit(u);
      p += 4;
    } else {
      break;  // a surrogate with no whole unit after it
    }
  }
}

template <class Out>
void utf16_decoder(const std::uint8_t* in, std::size_t n, Out& out) {
  if (n >= 2 && in[0] == 0xFE && in[1] == 0xFF) {
    utf16_fixed_decoder(in + 2, n - 2, 0, out);
  } else if (n >= 2 && in[0] == 0xFF && in[1] == 0xFE) {
    utf16_fixed_decoder(in + 2, n - 2, 1, out);
  } else {
    utf16_fixed_decoder(in, n, 0, out);
  }
}

}  // namespace zel
