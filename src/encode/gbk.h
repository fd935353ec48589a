// GBK output. GBK has no character for U+0080..U+FFFF outside code page
// 936's double-byte set (and no single-byte euro); such a code point, and
// any value above U+FFFF, becomes one space.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/encode/gbk_family_output.h"
#include "src/string/byte_sink.h"
#include "src/tables/gbk_gb18030.h"

namespace zel {

// Like utf8_put, each branch asks for exactly the bytes it writes.
template <class Cursor>
inline void gbk_put(std::uint32_t cp, Cursor& c) {
  if (cp < 0x80) {
    c.need(1);
    c.put(static_cast<std::uint8_t>(cp));
    return;
  }
  std::uint16_t code = cell(ucs2_to_gbk, cp, std::uint16_t{0xFFFF});
  if (code == 0xFFFF) {
    c.need(1);
    c.put(0x20);
    return;
  }
  c.need(2);
  c.put(static_cast<std::uint8_t>(code >> 8));
  c.put(static_cast<std::uint8_t>(code & 0xFF));
}

inline bool gbk_holds(std::uint16_t u) noexcept {
  return u < 0x80 || cell(ucs2_to_gbk, u, gbk_none) != gbk_none;
}

inline void gbk_writer(std::uint32_t cp, byte_sink& sink) { gbk_put(cp, sink); }

using gbk_output = gbk_family_output<2, gbk_put<sink_cursor>, gbk_holds, gbk_target::gbk>;

}  // namespace zel
