// UTF-8 and UTF-16 input, into 16-bit code units.
//
// UTF-8: a lead byte C0..DF takes one following byte, E0..EF two, and the
// low six bits of whatever follows are used unvalidated (C0 80 gives U+0000,
// C3 41 gives U+00C1; a report counts such a sequence as malformed). A
// well-formed four-byte sequence (F0..F4, three continuation bytes,
// U+10000..U+10FFFF) is beyond the 16-bit pivot and gives one U+FFFD.
// For the general conversion (outputs that take code points) UTF-8 is read
// strictly instead, each ill-formed start one U+FFFD, and UTF-16 pairs and
// four-byte sequences give their code points.
// Stray continuation bytes, other leads F0..FF and a lead with too few bytes
// left are dropped one byte at a time.
// UTF-16: a surrogate followed by a low surrogate gives one U+FFFD for both
// units (the character is beyond the pivot); followed by anything else it
// passes unchanged and the next unit is read afresh; with no whole unit
// after it, it is dropped. An odd last byte is never a unit and is dropped.
// `utf16_decoder` reads a byte-order mark (big-endian without one);
// `utf16_fixed_decoder` keeps a leading mark as U+FEFF or U+FFFE.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "src/decode/ascii.h"
#include "src/decode/degrade.h"

namespace zel {

inline bool continuation_byte(std::uint8_t b) noexcept { return (b & 0xC0) == 0x80; }

// Whether the four bytes at p are a well-formed sequence of U+10000..U+10FFFF.
inline bool utf8_four_byte_sequence(const std::uint8_t* p) noexcept {
  if (p[0] < 0xF0 || p[0] > 0xF4 || !continuation_byte(p[1]) || !continuation_byte(p[2]) ||
      !continuation_byte(p[3]))
    return false;
  // F0 80..8F would be overlong, F4 90 and up beyond U+10FFFF.
  return (p[0] != 0xF0 || p[1] >= 0x90) && (p[0] != 0xF4 || p[1] <= 0x8F);
}

// Whether the two- or three-byte sequence at p, read leniently, is not what
// a strict reader would accept: a following byte that continues nothing, an
// overlong form or an encoded surrogate. Asked only when a report is kept.
inline bool utf8_malformed(const std::uint8_t* p, std::size_t length) noexcept {
  if (length == 2) return p[0] < 0xC2 || !continuation_byte(p[1]);
  if (!continuation_byte(p[1]) || !continuation_byte(p[2])) return true;
  return (p[0] == 0xE0 && p[1] < 0xA0) || (p[0] == 0xED && p[1] >= 0xA0);
}

// The length of the UTF-8 sequence at p if well-formed (k bytes at hand);
// else minus the length of its ill-formed start, or 0 when the k bytes are
// a start that more bytes may complete.
// Strict: no overlong forms, surrogates or values past U+10FFFF; an
// ill-formed start is the longest that some well-formed sequence has.
inline std::ptrdiff_t utf8_sequence(const std::uint8_t* p, std::size_t k) noexcept {
  const std::uint8_t b = p[0];
  std::size_t length = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // the second byte's range
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return -1;
  }
  for (std::size_t j = 1; j < length; ++j) {
    if (j >= k) return 0;
    const std::uint8_t lo = j == 1 ? low : 0x80, hi = j == 1 ? high : 0xBF;
    if (p[j] < lo || p[j] > hi) return -static_cast<std::ptrdiff_t>(j);
  }
  return static_cast<std::ptrdiff_t>(length);
}

// Whether the k bytes at p begin a sequence that more bytes would complete:
// a two- or three-byte lead (which takes whatever follows), or the start of
// a well-formed four-byte sequence.
inline bool utf8_cut_short(const std::uint8_t* p, std::size_t k) noexcept {
  const std::uint8_t b = p[0];
  if (b >= 0xC0 && b <= 0xDF) return k < 2;
  if (b >= 0xE0 && b <= 0xEF) return k < 3;
  if (b < 0xF0 || b > 0xF4 || k >= 4) return false;
  if (k >= 2) {
    const std::uint8_t low = b == 0xF0 ? 0x90 : 0x80, high = b == 0xF4 ? 0x8F : 0xBF;
    if (p[1] < low || p[1] > high) return false;
  }
  return k < 3 || continuation_byte(p[2]);
}

// The code point of the well-formed sequence of `length` bytes at p.
inline std::uint32_t utf8_code_point(const std::uint8_t* p, std::ptrdiff_t length) noexcept {
  static constexpr std::uint8_t lead_bits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  std::uint32_t cp = p[0] & lead_bits[length];
  for (std::ptrdiff_t k = 1; k < length; ++k) cp = cp << 6 | (p[k] & 0x3Fu);
  return cp;
}

// Outputs with a vector path for UTF-8, which has_utf8_blocks() says the
// CPU's level gives them.
template <class Out>
concept writes_utf8_blocks = requires(Out& o, const std::uint8_t* p, std::size_t k) {
  { o.utf8_blocks(p, k) } -> std::same_as<std::size_t>;
  { o.has_utf8_blocks() } -> std::same_as<bool>;
};

// Outputs with a vector path take the well-formed stretches, whole
// sequences, in bulk; this loop then reads what stopped it for a few bytes
// and hands back.
template <bool Bulk, class Out>
std::size_t utf8_loop(const std::uint8_t* in, std::size_t n, Out& out, bool last) {
  std::size_t i = 0;
  while (i < n) {
    bool took_bulk = false;
    if constexpr (Bulk) {
      const std::size_t took = out.utf8_blocks(in + i, n - i);
      i += took;
      if (i >= n) break;
      took_bulk = took != 0;
    }
    if (!copy_ascii_run(in, n, i, out)) break;
    const std::size_t stretch_end = took_bulk ? i + 16 : n;
    // Sequences from a lead byte up, until the next ASCII byte; three-byte
    // ones (most of CJK text) are tested first.
    do {
      const std::uint8_t b = in[i];
      if constexpr (takes_code_points<Out>) {
        // Strict, for the general conversion: one U+FFFD an ill-formed
        // start, and characters beyond U+FFFF whole.
        const std::ptrdiff_t length = utf8_sequence(in + i, n - i);
        if (length == 0 && !last) return i;
        if (length <= 0) {
          malformed(out, in + i);
          i += length < 0 ? static_cast<std::size_t>(-length) : n - i;
        } else {
          i += static_cast<std::size_t>(length);
          const std::uint32_t cp = utf8_code_point(in + i - length, length);
          if (cp > 0xFFFF)
            supplementary(out, cp, in + i - length);
          else
            emit(out, static_cast<std::uint16_t>(cp), in + i - length);
        }
        continue;
      }
      if (!last && utf8_cut_short(in + i, n - i)) return i;
      if (b >= 0xE0 && b <= 0xEF && i + 2 < n) {
        if constexpr (keeps_report<Out>)
          if (utf8_malformed(in + i, 3)) note(out, degradation::malformed, in + i);
        emit(out,
             static_cast<std::uint16_t>((b & 0x0F) << 12 | (in[i + 1] & 0x3F) << 6 |
                                        (in[i + 2] & 0x3F)),
             in + i);
        i += 3;
      } else if (b >= 0xC0 && b <= 0xDF && i + 1 < n) {
        if constexpr (keeps_report<Out>)
          if (utf8_malformed(in + i, 2)) note(out, degradation::malformed, in + i);
        emit(out, static_cast<std::uint16_t>((b & 0x1F) << 6 | (in[i + 1] & 0x3F)), in + i);
        i += 2;
      } else [[unlikely]] {
        if (b >= 0xF0 && i + 3 < n && utf8_four_byte_sequence(in + i)) {
          supplementary(out, utf8_code_point(in + i, 4), in + i);
          i += 4;
        } else {
          drop(out, in + i);  // stray continuation, lead F0..FF, or a lead cut off by the end
          ++i;
        }
      }
    } while (i < stretch_end && i < n && in[i] >= 0x80);
  }
  return i;
}

// Each decoder returns how many bytes it took: all of them for the last
// piece of a text (`last`), else up to where the next piece must go on.
// Two copies of the loop, so that one without a vector path does not ask
// for it at every stretch.
template <class Out>
std::size_t utf8_decoder(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  if constexpr (writes_utf8_blocks<Out>)
    if (out.has_utf8_blocks()) return utf8_loop<true>(in, n, out, last);
  return utf8_loop<false>(in, n, out, last);
}

// little_endian: nonzero for UTF-16LE, 0 for UTF-16BE.
template <class Out>
std::size_t utf16_fixed_decoder(const std::uint8_t* in, std::size_t n, int little_endian, Out& out,
                                bool last = true) {
  const int hi = little_endian ? 1 : 0;
  const int lo = 1 - hi;
  auto unit_at = [&](std::size_t p) {
    return static_cast<std::uint16_t>(in[p + static_cast<std::size_t>(hi)] << 8 |
                                      in[p + static_cast<std::size_t>(lo)]);
  };
  auto low_surrogate = [](std::uint16_t v) { return v >= 0xDC00 && v <= 0xDFFF; };
  // Outputs that take runs of units in bulk (UTF-8) get the run from a
  // unit up to a surrogate, while a step of them is left: before bulk_end.
  std::size_t bulk_end = 0;
  if constexpr (requires { out.utf16_units(in, n, false); })
    if (const std::size_t step = out.utf16_step(); step <= n / 2) bulk_end = n - 2 * step + 1;
  std::size_t p = 0;
  while (p + 1 < n) {
    std::uint16_t u = unit_at(p);
    if (u < 0xD800 || u > 0xDFFF) {
      if constexpr (requires { out.utf16_units(in, n, false); }) {
        if (p < bulk_end) {
          if (const std::size_t k = out.utf16_units(in + p, (n - p) / 2, !little_endian)) {
            p += 2 * k;
            continue;
          }
        }
      }
      emit(out, u, in + p);
      p += 2;
    } else if (cut_short(p, 4, n, last)) {
      return p;  // a surrogate whose next unit is to come
    } else if (p + 3 < n && low_surrogate(unit_at(p + 2)) &&
               (!takes_code_points<Out> || !low_surrogate(u))) {
      supplementary(out, 0x10000 + ((u & 0x3FFu) << 10) + (unit_at(p + 2) & 0x3FFu), in + p);
      p += 4;
    } else if (p + 3 < n) {
      // An unpaired surrogate; the unit after it is read afresh.
      if constexpr (takes_code_points<Out>) {
        malformed(out, in + p);
      } else {
        note(out, degradation::passed, in + p, 2);
        emit(out, u, in + p);
      }
      p += 2;
    } else {
      drop(out, in + p, n - p);  // a surrogate with no whole unit after it
      return n;
    }
  }
  if (!last) return p;
  if (p < n) drop(out, in + p);  // the odd last byte
  return n;
}

// The byte order comes from a mark in the first two bytes, read once per
// text: `st` keeps it for the pieces that follow.
template <class Out>
std::size_t utf16_decoder(const std::uint8_t* in, std::size_t n, Out& out, decoder_state& st,
                          bool last = true) {
  std::size_t start = 0;
  if (st.byte_order < 0) {
    if (n < 2 && !last) return 0;
    st.byte_order = 0;
    if (n >= 2 && in[0] == 0xFE && in[1] == 0xFF) {
      start = 2;
    } else if (n >= 2 && in[0] == 0xFF && in[1] == 0xFE) {
      st.byte_order = 1;
      start = 2;
    }
  }
  return start + utf16_fixed_decoder(in + start, n - start, st.byte_order, out, last);
}

// UTF-32, for the general conversion only: four-byte units in the byte
// order `big` gives; a value that is a surrogate or beyond U+10FFFF is
// malformed, as are the one to three bytes a text ends with.
template <class Out>
std::size_t utf32_fixed_decoder(const std::uint8_t* in, std::size_t n, bool big, Out& out,
                                bool last = true) {
  std::size_t p = 0;
  for (; p + 3 < n; p += 4) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) v = v << 8 | in[p + (big ? k : 3 - k)];
    if (v < 0x10000 && (v < 0xD800 || v > 0xDFFF))
      emit(out, static_cast<std::uint16_t>(v), in + p);
    else if (v >= 0x10000 && v <= 0x10FFFF)
      supplementary(out, v, in + p);
    else
      drop(out, in + p, 4);
  }
  if (!last) return p;
  if (p < n) drop(out, in + p, n - p);
  return n;
}

// UTF-32 with an optional byte-order mark (big-endian without), read once
// per text like UTF-16's.
template <class Out>
std::size_t utf32_decoder(const std::uint8_t* in, std::size_t n, Out& out, decoder_state& st,
                          bool last = true) {
  std::size_t start = 0;
  if (st.byte_order < 0) {
    if (n < 4 && !last) return 0;
    st.byte_order = 0;
    if (n >= 4 && in[0] == 0 && in[1] == 0 && in[2] == 0xFE && in[3] == 0xFF) {
      start = 4;
    } else if (n >= 4 && in[0] == 0xFF && in[1] == 0xFE && in[2] == 0 && in[3] == 0) {
      st.byte_order = 1;
      start = 4;
    }
  }
  return start + utf32_fixed_decoder(in + start, n - start, st.byte_order == 0, out, last);
}

}  // namespace zel
