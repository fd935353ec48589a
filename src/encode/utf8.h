// UTF-8 output. The pivot holds 16-bit units only, so a unit takes one to
// three bytes (code points beyond, from references and the general
// conversion, four); surrogate units are not paired but each written on its own
// (the pair D83D DE00 gives ED A0 BD ED B8 80), as the pivot cannot tell a
// pair from two stray halves. utf8_writer, which emits decoded character
// references, writes U+10000..U+10FFFF in four bytes and nothing for a value
// beyond.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/encode/ascii_block.h"
#include "src/encode/narrow_output.h"
#include "src/simd/pairs_to_ucs2.h"
#include "src/simd/single_byte_kernel.h"
#include "src/simd/utf16_to_utf8.h"
#include "src/string/byte_sink.h"

namespace zel {

// Each branch asks for exactly its bytes, so that output reaching the
// longest possible string keeps every character that fits. `Cursor` is the
// sink itself or an output's sink_cursor.
template <class Cursor>
inline void utf8_put(std::uint32_t cp, Cursor& c) {
  if (cp < 0x80) {
    c.need(1);
    c.put(static_cast<std::uint8_t>(cp));
  } else if (cp < 0x800) {
    c.need(2);
    c.put(static_cast<std::uint8_t>(0xC0 | (cp >> 6)));
    c.put(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    c.need(3);
    c.put(static_cast<std::uint8_t>(0xE0 | (cp >> 12)));
    c.put(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
    c.put(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x110000) {
    c.need(4);
    c.put(static_cast<std::uint8_t>(0xF0 | (cp >> 18)));
    c.put(static_cast<std::uint8_t>(0x80 | ((cp >> 12) & 0x3F)));
    c.put(static_cast<std::uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
    c.put(static_cast<std::uint8_t>(0x80 | (cp & 0x3F)));
  }
}

inline bool utf8_holds(std::uint16_t) noexcept { return true; }

// Decoded character references, up to U+10FFFF; nothing for a value beyond.
inline void utf8_writer(std::uint32_t cp, byte_sink& sink) { utf8_put(cp, sink); }

// UTF-8 writes U+0000..U+007F as single bytes. Runs of UTF-16 units go a
// vector step at a time through the kernel of the CPU's level, looked up
// once per conversion.
struct utf8_output : narrow_output<3, utf8_put<sink_cursor>, utf8_holds> {
  utf16_to_utf8_fn little;
  utf16_to_utf8_fn big;
  std::size_t step_units;
  std::size_t step_room;

  explicit utf8_output(byte_sink& sink) noexcept : narrow_output(sink) {
    const utf16_to_utf8_kernel& k = utf16_to_utf8_active();
    little = k.little;
    big = k.big;
    step_units = k.step_units;
    step_room = k.step_room;
  }
  // How many units a call needs to convert any.
  std::size_t utf16_step() const noexcept { return step_units; }
  // The leading units of the `units` whole UTF-16 units at p, up to the
  // first surrogate: returns how many were written, none with less than a
  // step left or without room for a step's widest output. No unit of such
  // a run degrades, and nothing is written that would not fit whole.
  std::size_t utf16_units(const std::uint8_t* p, std::size_t units, bool big_endian) {
    if (units < step_units || !at.has_room(step_room)) return 0;
    const utf16_utf8_run run =
        (big_endian ? big : little)(p, units, at.pos, static_cast<std::size_t>(at.end - at.pos));
    at.pos += run.bytes;
    return run.units;
  }
  // The leading ASCII and whole pairs of the `avail` bytes at p, as
  // pivot_output::pair_blocks takes them: decoded a piece at a time into
  // units on the stack, then written as UTF-8 by the UTF-16 kernel and unit
  // by unit for what it leaves. A piece is read only with room for three
  // bytes a byte, so nothing is written that would not fit whole.
  std::size_t pair_blocks(pairs_to_ucs2_fn kernel, const pair_table& t, const std::uint8_t* p,
                          std::size_t avail) {
    // Each piece ends in the plain twin's tail and the unit-by-unit rest,
    // so a piece is large; its units stay in the first-level cache.
    constexpr std::size_t piece = 4096;
    std::uint8_t units[2 * piece];
    std::size_t done = 0;
    while (avail - done >= pairs_to_ucs2_window) {
      const std::size_t take = avail - done < piece ? avail - done : piece;
      if (!at.has_room(3 * take)) break;
      const pairs_step step = kernel(t, p + done, take, units);
      std::size_t k = utf16_units(units, step.units, false);
      for (; k < step.units; ++k)
        utf8_put(static_cast<std::uint32_t>(units[2 * k] | units[2 * k + 1] << 8), at);
      done += step.read;
      // Short of a lead cut off by the piece's end, it stopped at a pair the
      // decoder must read.
      if (step.read + 1 < take) break;
    }
    return done;
  }
  // The `avail` bytes at p of a single-byte charset that keeps ASCII, read
  // through its 256 `cells` by the vector kernel a step at a time while a
  // step's widest stores fit: returns how many bytes are now written.
  std::size_t byte_cell_blocks(const std::uint16_t* cells, const std::uint8_t* p,
                               std::size_t avail) {
    const single_byte_to_utf8_fn kernel = single_byte_to_utf8_active();
    if (!kernel || avail < single_byte_step || !at.has_room(single_byte_utf8_room)) return 0;
    const single_byte_utf8_run run =
        kernel(cells, p, avail, at.pos, static_cast<std::size_t>(at.end - at.pos));
    at.pos += run.bytes;
    return run.read;
  }
};

}  // namespace zel
