// GBK and GB18030 output. GBK has no character for U+0080..U+FFFF outside
// code page 936's double-byte set (and no single-byte euro); such a code
// point, and any value above U+FFFF, becomes one space. GB18030 reaches every
// unit but the surrogates, whose table value 0xFFFD lies in none of its
// one-, two- or four-byte ranges and so also becomes a space.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/string/byte_sink.h"
#include "src/tables/tables.h"

namespace zel {

// Like utf8_writer, each writer asks the sink for exactly the bytes it writes.
inline void gbk_writer(std::uint32_t cp, byte_sink& sink) {
  if (cp < 0x80) {
    sink.need(1);
    sink.put(static_cast<std::uint8_t>(cp));
    return;
  }
  std::uint16_t code = cell(ucs2_to_gbk, cp, std::uint16_t{0xFFFF});
  if (code == 0xFFFF) {
    sink.need(1);
    sink.put(0x20);
    return;
  }
  sink.need(2);
  sink.put(static_cast<std::uint8_t>(code >> 8));
  sink.put(static_cast<std::uint8_t>(code & 0xFF));
}

inline void gb18030_writer(std::uint32_t cp, byte_sink& sink) {
  std::uint32_t code = cp <= 0xFFFF ? gb18030_code(static_cast<std::uint16_t>(cp)) : 0xFFFD;
  // The ranges are tests on the whole value, not on each byte.
  if (code <= 0xFF) {
    sink.need(1);
    sink.put(static_cast<std::uint8_t>(code));
  } else if (code >= 0x8140 && code <= 0xFEFE) {
    sink.need(2);
    sink.put(static_cast<std::uint8_t>(code >> 8));
    sink.put(static_cast<std::uint8_t>(code & 0xFF));
  } else if (code >= 0x81308130 && code <= 0xFE39FE39) {
    sink.need(4);
    sink.put(static_cast<std::uint8_t>(code >> 24));
    sink.put(static_cast<std::uint8_t>(code >> 16 & 0xFF));
    sink.put(static_cast<std::uint8_t>(code >> 8 & 0xFF));
    sink.put(static_cast<std::uint8_t>(code & 0xFF));
  } else {
    sink.need(1);
    sink.put(0x20);
  }
}

struct gbk_output {
  static constexpr std::size_t max_unit_bytes = 2;
  byte_sink& sink;

  void unit(std::uint16_t u) { gbk_writer(u, sink); }
  void ascii(const std::uint8_t* p, std::size_t n) { sink.put(p, n); }
};

// GB18030 maps U+0000..U+007F to their own single bytes.
struct gb18030_output {
  static constexpr std::size_t max_unit_bytes = 4;
  byte_sink& sink;

  void unit(std::uint16_t u) { gb18030_writer(u, sink); }
  void ascii(const std::uint8_t* p, std::size_t n) { sink.put(p, n); }
};

}  // namespace zel
