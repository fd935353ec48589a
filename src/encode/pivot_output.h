// pivot_output: UCS-2 little-endian, the library's pivot text. Each code unit
// is its low byte, then its high byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/encode/ascii_block.h"
#include "src/simd/pairs_to_ucs2.h"
#include "src/simd/single_byte_kernel.h"
#include "src/simd/utf8_to_ucs2.h"
#include "src/string/byte_sink.h"

namespace zel {

struct pivot_output {
  static constexpr std::size_t max_unit_bytes = 2;
  static constexpr std::size_t ascii_unit_bytes = 2;
  sink_cursor at;
  bool vectored = utf8_to_ucs2_vectored();  // read once a conversion, not once a stretch

  static bool holds(std::uint16_t) noexcept { return true; }
  explicit pivot_output(byte_sink& sink) noexcept : at(sink) {}
  void unit(std::uint16_t u) {
    at.need(2);
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(u & 0xFF),
                                   static_cast<std::uint8_t>(u >> 8)};
    std::memcpy(at.pos, bytes, 2);
    at.pos += 2;
  }
  // A run of bytes below 0x80 that decode to themselves.
  void ascii(const std::uint8_t* p, std::size_t n) {
    if (!at.has_room(2 * n)) {
      for (std::size_t i = 0; i < n; ++i) unit(p[i]);
      return;
    }
    for (std::size_t i = 0; i < n; ++i) {
      at.pos[2 * i] = p[i];
      at.pos[2 * i + 1] = 0;
    }
    at.pos += 2 * n;
  }
  std::size_t ascii_blocks(const std::uint8_t* p, std::size_t avail) {
    return widen_ascii_blocks(at, p, avail);
  }
  // The leading well-formed UTF-8 of the `avail` bytes at p, by the vector
  // kernel: returns how many bytes are now written. It reads only as many
  // bytes as could fill the room at hand, two bytes a unit, so output that
  // reaches the longest string still stops on the same whole unit.
  bool has_utf8_blocks() const noexcept { return vectored; }
  std::size_t utf8_blocks(const std::uint8_t* p, std::size_t avail) {
    const std::size_t room = static_cast<std::size_t>(at.end - at.pos) / 2;
    const std::size_t take = avail < room ? avail : room;
    if (take < utf8_to_ucs2_window) return 0;
    const utf8_ucs2_step step = utf8_to_ucs2(p, take, at.pos);
    at.pos += 2 * step.units;
    return step.read;
  }
  // The leading ASCII and whole pairs of the `avail` bytes at p, read
  // through `t` by `kernel` up to the first pair the decoder must
  // see itself: returns how many bytes are now written. Like utf8_blocks it
  // reads only as many bytes as the room at hand holds, two bytes a byte.
  std::size_t pair_blocks(pairs_to_ucs2_fn kernel, const pair_table& t, const std::uint8_t* p,
                          std::size_t avail) {
    const std::size_t room = static_cast<std::size_t>(at.end - at.pos) / 2;
    const std::size_t take = avail < room ? avail : room;
    if (take < pairs_to_ucs2_window) return 0;
    const pairs_step step = kernel(t, p, take, at.pos);
    at.pos += 2 * step.units;
    return step.read;
  }
  // The `avail` bytes at p of a single-byte charset that keeps ASCII, read
  // through its 256 `cells` by the vector kernel: returns how many bytes
  // are now written, as many as the room at hand holds, two bytes a byte.
  std::size_t byte_cell_blocks(const std::uint16_t* cells, const std::uint8_t* p,
                               std::size_t avail) {
    const single_byte_to_ucs2_fn kernel = single_byte_to_ucs2_active();
    const std::size_t room = static_cast<std::size_t>(at.end - at.pos) / 2;
    const std::size_t take = avail < room ? avail : room;
    if (!kernel || take < single_byte_step) return 0;
    kernel(cells, p, take, at.pos);
    at.pos += 2 * take;
    return take;
  }
  void done() noexcept { at.done(); }
};

}  // namespace zel
