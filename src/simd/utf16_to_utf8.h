// UTF-16 units to UTF-8 a vector at a time, for runs without surrogates.
//
// A kernel reads whole units (little- or big-endian) and writes each as one,
// two or three bytes, the bytes utf8_put writes. It works in whole steps of
// its vector width and only while the output has room for a step's widest
// stores, so a caller at the end of a string's room never gets a cut
// character; it stops before the first surrogate (converting the units in
// front of it), with less than a step of units left, or without room. The
// caller goes on unit by unit from there.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/simd/cpu.h"

namespace zel {

// The one to three UTF-8 bytes of a unit at o, as utf8_put writes them (a
// surrogate as three bytes); returns the end.
inline std::uint8_t* put_utf8_unit(std::uint32_t u, std::uint8_t* o) noexcept {
  if (u < 0x80) {
    *o++ = static_cast<std::uint8_t>(u);
  } else if (u < 0x800) {
    *o++ = static_cast<std::uint8_t>(0xC0 | u >> 6);
    *o++ = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
  } else {
    *o++ = static_cast<std::uint8_t>(0xE0 | u >> 12);
    *o++ = static_cast<std::uint8_t>(0x80 | (u >> 6 & 0x3F));
    *o++ = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
  }
  return o;
}

struct utf16_utf8_run {
  std::size_t units;  // units read
  std::size_t bytes;  // bytes written
};

// `units` whole units at `in`, into `room` bytes at `out`.
using utf16_to_utf8_fn = utf16_utf8_run (*)(const std::uint8_t* in, std::size_t units,
                                            std::uint8_t* out, std::size_t room) noexcept;

struct utf16_to_utf8_kernel {
  utf16_to_utf8_fn little;
  utf16_to_utf8_fn big;
  // With fewer units or bytes of room than these, a call converts nothing.
  std::size_t step_units;
  std::size_t step_room;
};

// The kernel of a level (the highest this build has at or below it); below
// SSSE3 (no byte shuffle) that is the plain twin, which still beats
// writing unit by unit through a cursor. Tests and fuzzing compare every
// level's kernel with the plain twin.
const utf16_to_utf8_kernel& utf16_to_utf8_kernel_of(simd level) noexcept;

// The kernel for simd_level().
const utf16_to_utf8_kernel& utf16_to_utf8_active() noexcept;

}  // namespace zel
