// The second stage of the general conversion into a charset written through
// an encoder: a window of UTF-16LE text, whole characters (the first stage
// decodes the source into it through the fast UTF-16LE output), encoded by
// one loop built for the target's encoder. The encoder's switch is then
// taken once a window rather than once a character, the output is written
// into room reserved a batch of units at a time, ASCII goes four units at
// a time into the encoders that copy it, and a single-byte charset's other
// characters through a loop without a branch a unit.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/encode/any_encoder.h"
#include "src/encode/general_output.h"

namespace zel {

inline std::uint16_t le_unit(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Four ASCII units (in v, little-endian) as four bytes.
inline std::uint32_t narrow_quad(std::uint64_t v) noexcept {
  v = (v | v >> 8) & 0x0000FFFF0000FFFFu;  // units 0,1 and 2,3 side by side
  return static_cast<std::uint32_t>(v | v >> 16);
}

// Four units at p as four bytes at out, when all four are ASCII.
inline bool ascii_quad(const std::uint8_t* p, std::uint8_t* out) noexcept {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if (v & 0xFF80FF80FF80FF80u) return false;
  const std::uint32_t bytes = narrow_quad(v);
  std::memcpy(out, &bytes, sizeof bytes);
  return true;
}

// Eight units at p as eight bytes at out, when all eight are ASCII.
inline bool ascii_octet(const std::uint8_t* p, std::uint8_t* out) noexcept {
  std::uint64_t v[2];
  std::memcpy(v, p, sizeof v);
  if ((v[0] | v[1]) & 0xFF80FF80FF80FF80u) return false;
  const std::uint64_t bytes = narrow_quad(v[0]) | std::uint64_t{narrow_quad(v[1])} << 32;
  std::memcpy(out, &bytes, sizeof bytes);
  return true;
}

// Units i.. of the `units` at p, up to the first character the target
// lacks, which is written as the caller chose: returns where it stopped.
template <class Encoder, class Cursor>
[[gnu::always_inline]] inline std::size_t encode_units(Encoder& enc, const std::uint8_t* p,
                                                       std::size_t i, std::size_t units, Cursor& at,
                                                       lacking_policy& rule) {
  constexpr bool quick = requires { enc.quick(std::uint16_t{}); };
  const bool quads = enc.copies_ascii();
  while (i < units) {
    if (quads) {
      while (i + 8 <= units && at.has_room(8) && ascii_octet(p + 2 * i, at.pos)) {
        at.pos += 8;
        i += 8;
      }
      while (i + 4 <= units && at.has_room(4) && ascii_quad(p + 2 * i, at.pos)) {
        at.pos += 4;
        i += 4;
      }
      if (i == units) break;
    }
    // A single-byte charset's runs: four ASCII units in one step, else
    // table reads without a branch.
    if constexpr (quick) {
      for (; i + 4 <= units && at.has_room(4); i += 4) {
        if (quads && ascii_quad(p + 2 * i, at.pos)) {
          at.pos += 4;
          continue;
        }
        const std::uint32_t c0 = enc.quick(le_unit(p + 2 * i)),
                            c1 = enc.quick(le_unit(p + 2 * i + 2)),
                            c2 = enc.quick(le_unit(p + 2 * i + 4)),
                            c3 = enc.quick(le_unit(p + 2 * i + 6));
        if (!(c0 & c1 & c2 & c3 & 0x100)) break;
        const std::uint32_t bytes = (c0 & 0xFF) | (c1 & 0xFF) << 8 | (c2 & 0xFF) << 16 | c3 << 24;
        std::memcpy(at.pos, &bytes, sizeof bytes);
        at.pos += 4;
      }
      std::uint32_t code;
      while (i < units && at.has_room(1) && (code = enc.quick(le_unit(p + 2 * i)))) {
        at.put(static_cast<std::uint8_t>(code));
        ++i;
      }
      if (i == units) break;
    }
    char32_t cp = le_unit(p + 2 * i++);
    // The first stage writes pairs whole, within one window.
    if (cp >= 0xD800 && cp < 0xDC00 && i < units) {
      const std::uint16_t low = le_unit(p + 2 * i);
      if (low >= 0xDC00 && low < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (enc.put(cp, at)) [[likely]]
      continue;
    write_lacking(rule, cp, [&](char32_t c) { return enc.put(c, at); });
    break;
  }
  return i;
}

template <class Encoder>
void encode_window_with(Encoder enc, const std::uint8_t* p, std::size_t units, sink_cursor& at,
                        lacking_policy& rule) {
  constexpr std::size_t batch = 1024;
  // A batch's characters, and one lacking one's decimal reference: at most
  // ten characters, each of at most max_bytes.
  constexpr std::size_t room = (batch + 10) * Encoder::max_bytes;
  std::size_t i = 0;
  while (i < units && !rule.stopped) {
    if (!at.reserve(room)) {
      // The string is full: the sink's own checks drop what is past it.
      while (i < units && !rule.stopped) i = encode_units(enc, p, i, units, at, rule);
      return;
    }
    reserved_cursor r{at.pos};
    i = encode_units(enc, p, i, std::min(units, i + batch), r, rule);
    at.pos = r.pos;
  }
}

// The `units` UTF-16LE units at p into `at` through e.
inline void encode_window(const any_encoder& e, const std::uint8_t* p, std::size_t units,
                          sink_cursor& at, lacking_policy& rule) {
  e.with_encoder([&](auto enc) { encode_window_with(enc, p, units, at, rule); });
}

}  // namespace zel
