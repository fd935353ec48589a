// GB18030 output. GB18030 reaches every unit but the surrogates, whose table
// value 0xFFFD lies in none of its one-, two- or four-byte ranges and so
// becomes a space. gb18030_writer, which emits decoded character
// references, also writes U+10000..U+10FFFF, in the four-byte codes from
// 90 30 81 30; a value beyond becomes a space.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/encode/gbk_family_output.h"
#include "src/string/byte_sink.h"
#include "src/tables/gbk_gb18030.h"

namespace zel {

// The four-byte code of a code point U+10000..U+10FFFF: the supplementary
// planes run on from 90 30 81 30 in the order of the four-byte codes.
inline std::uint32_t gb18030_supplementary_code(std::uint32_t cp) noexcept {
  const std::uint32_t at = cp - 0x10000;
  return (0x90 + at / 12600) << 24 | (0x30 + at / 1260 % 10) << 16 | (0x81 + at / 10 % 126) << 8 |
         (0x30 + at % 10);
}

template <class Cursor>
inline void gb18030_put(std::uint32_t cp, Cursor& c) {
  std::uint32_t code = cp <= 0xFFFF ? gb18030_code(static_cast<std::uint16_t>(cp)) : 0xFFFD;
  // The ranges are tests on the whole value, not on each byte.
  if (code <= 0xFF) {
    c.need(1);
    c.put(static_cast<std::uint8_t>(code));
  } else if (code >= 0x8140 && code <= 0xFEFE) {
    c.need(2);
    c.put(static_cast<std::uint8_t>(code >> 8));
    c.put(static_cast<std::uint8_t>(code & 0xFF));
  } else if (code >= 0x81308130 && code <= 0xFE39FE39) {
    c.need(4);
    c.put(static_cast<std::uint8_t>(code >> 24));
    c.put(static_cast<std::uint8_t>(code >> 16 & 0xFF));
    c.put(static_cast<std::uint8_t>(code >> 8 & 0xFF));
    c.put(static_cast<std::uint8_t>(code & 0xFF));
  } else {
    c.need(1);
    c.put(0x20);
  }
}

inline bool gb18030_holds(std::uint16_t u) noexcept { return u < 0xD800 || u > 0xDFFF; }

// Code points beyond U+FFFF come only from character references: the units
// of decoded text never reach this branch.
inline void gb18030_writer(std::uint32_t cp, byte_sink& sink) {
  if (cp > 0xFFFF && cp < 0x110000) {
    const std::uint32_t code = gb18030_supplementary_code(cp);
    sink.need(4);
    for (int shift = 24; shift >= 0; shift -= 8) sink.put(static_cast<std::uint8_t>(code >> shift));
    return;
  }
  gb18030_put(cp, sink);
}

// GB18030 maps U+0000..U+007F to their own single bytes.
using gb18030_output =
    gbk_family_output<4, gb18030_put<sink_cursor>, gb18030_holds, gbk_target::gb18030>;

}  // namespace zel
