// pivot_output: UCS-2 little-endian, the library's pivot text. Each code unit
// is its low byte, then its high byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/string/byte_sink.h"

namespace zel {

struct pivot_output {
  static constexpr std::size_t max_unit_bytes = 2;
  byte_sink& sink;

  void unit(std::uint16_t u) {
    sink.need(2);
    sink.put(static_cast<std::uint8_t>(u & 0xFF));
    sink.put(static_cast<std::uint8_t>(u >> 8));
  }
  // A run of bytes below 0x80 that decode to themselves.
  void ascii(const std::uint8_t* p, std::size_t n) {
    if (!sink.need_run(2 * n)) {
      for (std::size_t i = 0; i < n; ++i) unit(p[i]);
      return;
    }
    std::uint8_t* out = sink.pos;
    for (std::size_t i = 0; i < n; ++i) {
      out[2 * i] = p[i];
      out[2 * i + 1] = 0;
    }
    sink.pos += 2 * n;
  }
};

}  // namespace zel
