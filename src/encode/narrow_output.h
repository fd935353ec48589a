// The output of a target encoding that writes U+0000..U+007F as single
// bytes (UTF-8, GBK, GB18030): each unit through the encoding's writer, ASCII
// runs and blocks copied as they are. The cursor keeps the write position in
// a register while the decoder runs; done() hands it back to the sink.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/encode/ascii_block.h"
#include "src/string/byte_sink.h"

namespace zel {

// `Holds` says whether the encoding has the unit, or writes a space for it.
template <std::size_t MaxUnitBytes, void (*Put)(std::uint32_t, sink_cursor&),
          bool (*Holds)(std::uint16_t)>
struct narrow_output {
  static constexpr std::size_t max_unit_bytes = MaxUnitBytes;
  static constexpr std::size_t ascii_unit_bytes = 1;
  sink_cursor at;

  static bool holds(std::uint16_t u) noexcept { return Holds(u); }
  explicit narrow_output(byte_sink& sink) noexcept : at(sink) {}
  void unit(std::uint16_t u) { Put(u, at); }
  void ascii(const std::uint8_t* p, std::size_t n) { put_ascii(at, p, n); }
  std::size_t ascii_blocks(const std::uint8_t* p, std::size_t avail) {
    return narrow_ascii_blocks(at, p, avail);
  }
  std::size_t pivot_ascii_blocks(const std::uint8_t* p, std::size_t avail) {
    return narrow_pivot_blocks(at, p, avail);
  }
  void done() noexcept { at.done(); }
};

}  // namespace zel
