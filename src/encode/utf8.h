// UTF-8 output. The pivot holds 16-bit units only, so a unit takes one to
// three bytes; surrogate units are not paired but each written on its own
// (the pair D83D DE00 gives ED A0 BD ED B8 80), as the pivot cannot tell a
// pair from two stray halves. utf8_writer, which emits decoded character
// references, may be handed a code point above U+FFFF and then writes nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/string/byte_sink.h"

namespace zel {

// Each branch asks the sink for exactly its bytes, so that output reaching
// the longest possible string keeps every character that fits.
inline void utf8_writer(std::uint32_t cp, byte_sink& sink) {
  if (cp < 0x80) {
    sink.need(1);
    sink.put(static_cast<std::uint8_t>(cp));
  } else if (cp < 0x800) {
    sink.need(2);
    sink.put(static_cast<std::uint8_t>(0xC0 | (cp >> 6)));
    sink.put(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    sink.need(3);
    sink.put(static_cast<std::uint8_t>(0xE0 | (cp >> 12)));
    sink.put(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
    sink.put(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
  }
}

struct utf8_output {
  static constexpr std::size_t max_unit_bytes = 3;
  byte_sink& sink;

  void unit(std::uint16_t u) { utf8_writer(u, sink); }
  void ascii(const std::uint8_t* p, std::size_t n) { sink.put(p, n); }
};

}  // namespace zel
