// Runs of ASCII copied sixteen bytes at a time. A block is always written
// whole, and the caller then moves its output on by only the leading bytes
// below 0x80, so a run of any length costs one load, one compare and one
// store per block, with no per-byte branch. Callers check for room for the
// whole block first; the bytes written past the run are overwritten by what
// follows it.
//
// SSE2 (always there on x86-64; on 32-bit x86 only when the compiler may use
// it) does a block in a few instructions; elsewhere two 64-bit words do.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/string/byte_sink.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zel {

inline constexpr std::size_t ascii_block_bytes = 16;

// The high bit of each byte of a 64-bit word: a word is ASCII when none is set.
inline constexpr std::uint64_t ascii_high_bits = 0x8080808080808080ull;

// Whether the eight bytes at p are all below 0x80.
inline bool eight_ascii(const std::uint8_t* p) noexcept {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return (word & ascii_high_bits) == 0;
}

#if !defined(__SSE2__)
// How many bytes of the 8 in `word` (as loaded from memory), from the first,
// are below 0x80.
inline unsigned leading_ascii_in_word(std::uint64_t word, const std::uint8_t* p) noexcept {
  const std::uint64_t high = word & ascii_high_bits;
  if (!high) return 8;
  if constexpr (std::endian::native == std::endian::little) {
    return static_cast<unsigned>(std::countr_zero(high)) / 8;
  } else {
    unsigned k = 0;
    while (p[k] < 0x80) ++k;
    return k;
  }
}
#endif

// Bytes that end a run of ASCII: those from 0x80, and `Stops`, bytes below
// 0x80 that a charset does not map to themselves (Shift_JIS's 0x5C and 0x7E).
template <std::uint8_t... Stops>
inline bool ends_ascii_run(std::uint8_t b) noexcept {
  return b >= 0x80 || ((b == Stops) || ...);
}

#if defined(__SSE2__)
// One bit for each of the 16 bytes of v that ends a run.
template <std::uint8_t... Stops>
inline unsigned ascii_run_ends(__m128i v) noexcept {
  __m128i ends = v;  // the high bit of a byte from 0x80
  ((ends = _mm_or_si128(ends, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(Stops))))), ...);
  return static_cast<unsigned>(_mm_movemask_epi8(ends));
}
#endif

// One bit for each of the 16 bytes at p from 0x80, bit k for byte k.
inline unsigned high_byte_bits(const std::uint8_t* p) noexcept {
#if defined(__SSE2__)
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
#else
  unsigned bits = 0;
  for (unsigned k = 0; k < 16; ++k) bits |= unsigned{p[k] >= 0x80} << k;
  return bits;
#endif
}

// How many of the 16 bytes at p, from the first, continue the run.
template <std::uint8_t... Stops>
inline unsigned leading_ascii(const std::uint8_t* p) noexcept {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<unsigned>(std::countr_zero(ascii_run_ends<Stops...>(v) | 0x10000u));
#else
  if constexpr (sizeof...(Stops) == 0) {
    std::uint64_t lo, hi;
    std::memcpy(&lo, p, 8);
    std::memcpy(&hi, p + 8, 8);
    const unsigned k = leading_ascii_in_word(lo, p);
    return k < 8 ? k : 8 + leading_ascii_in_word(hi, p + 8);
  } else {
    unsigned k = 0;
    while (k < 16 && !ends_ascii_run<Stops...>(p[k])) ++k;
    return k;
  }
#endif
}

// How many of the 16 bytes at p, from the first, are below 0x80 (and not
// `Stops`); the 16 bytes are copied to dst unchanged.
template <std::uint8_t... Stops>
inline unsigned copy_ascii_block(const std::uint8_t* p, std::uint8_t* dst) noexcept {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), v);
  return static_cast<unsigned>(std::countr_zero(ascii_run_ends<Stops...>(v) | 0x10000u));
#else
  std::memcpy(dst, p, 16);
  return leading_ascii<Stops...>(p);
#endif
}

// The same count; the 16 bytes are written to dst as 16 UCS-2 little-endian
// units (the byte, then 0), 32 bytes.
template <std::uint8_t... Stops>
inline unsigned widen_ascii_block(const std::uint8_t* p, std::uint8_t* dst) noexcept {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i zero = _mm_setzero_si128();
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi8(v, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), _mm_unpackhi_epi8(v, zero));
  return static_cast<unsigned>(std::countr_zero(ascii_run_ends<Stops...>(v) | 0x10000u));
#else
  for (std::size_t k = 0; k < 16; ++k) {
    dst[2 * k] = p[k];
    dst[2 * k + 1] = 0;
  }
  return leading_ascii<Stops...>(p);
#endif
}

// How many of the 8 UCS-2 little-endian units at p (16 bytes), from the
// first, are below U+0080; their low bytes, 8 of them, are written to dst.
inline unsigned narrow_ascii_units(const std::uint8_t* p, std::uint8_t* dst) noexcept {
#if defined(__SSE2__)
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(v, v));
  const __m128i ascii =
      _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(-0x80)), _mm_setzero_si128());
  // Two mask bits a unit; a unit from U+0080 clears its pair.
  const auto kept = static_cast<unsigned>(_mm_movemask_epi8(ascii));
  return static_cast<unsigned>(std::countr_zero(~kept | 0x10000u)) / 2;
#else
  unsigned k = 8;
  for (unsigned j = 0; j < 8; ++j) {
    dst[j] = p[2 * j];
    if (k == 8 && (p[2 * j] >= 0x80 || p[2 * j + 1] != 0)) k = j;
  }
  return k;
#endif
}

// A run of n bytes below 0x80 for an output that keeps ASCII as itself.
inline void put_ascii(sink_cursor& at, const std::uint8_t* p, std::size_t n) {
  if (at.has_room(n)) {
    std::memcpy(at.pos, p, n);
    at.pos += n;
    return;
  }
  for (std::size_t i = 0; i < n; ++i) {
    at.need(1);
    at.put(p[i]);
  }
}

// The leading ASCII (but `Stops`) of the `avail` bytes at p into an output
// that keeps ASCII as itself, by whole blocks: returns how many bytes are now
// written.
// It stops at a byte from 0x80, with less than a block of input left, or
// without room for a whole block; the caller goes on unit by unit, asking
// for exactly its bytes. A block of all ASCII moves on by a constant, so the
// next load does not wait for the count of this one.
template <std::uint8_t... Stops>
inline std::size_t narrow_ascii_blocks(sink_cursor& at, const std::uint8_t* p, std::size_t avail) {
  std::size_t done = 0;
  while (avail - done >= ascii_block_bytes && at.has_room(ascii_block_bytes)) {
    const unsigned k = copy_ascii_block<Stops...>(p + done, at.pos);
    if (k == ascii_block_bytes) {
      at.pos += ascii_block_bytes;
      done += ascii_block_bytes;
      continue;
    }
    at.pos += k;
    return done + k;
  }
  return done;
}

// The same for pivot text (two bytes a unit) read into such an output, eight
// units a block: returns how many input bytes are now written.
inline std::size_t narrow_pivot_blocks(sink_cursor& at, const std::uint8_t* p, std::size_t avail) {
  constexpr std::size_t units = ascii_block_bytes / 2;
  std::size_t done = 0;
  while (avail - done >= ascii_block_bytes && at.has_room(units)) {
    const unsigned k = narrow_ascii_units(p + done, at.pos);
    if (k == units) {
      at.pos += units;
      done += ascii_block_bytes;
      continue;
    }
    at.pos += k;
    return done + static_cast<std::size_t>(2 * k);  // k < 8: no overflow
  }
  return done;
}

// The leading ASCII (but `Stops`) of the `avail` bytes at p into pivot
// text, by whole blocks (each byte a unit, two bytes): returns how many input
// bytes are now written.
template <std::uint8_t... Stops>
inline std::size_t widen_ascii_blocks(sink_cursor& at, const std::uint8_t* p, std::size_t avail) {
  std::size_t done = 0;
  while (avail - done >= ascii_block_bytes && at.has_room(2 * ascii_block_bytes)) {
    const unsigned k = widen_ascii_block<Stops...>(p + done, at.pos);
    if (k == ascii_block_bytes) {
      at.pos += 2 * ascii_block_bytes;
      done += ascii_block_bytes;
      continue;
    }
    at.pos += static_cast<std::size_t>(2 * k);  // k < 16: no overflow
    return done + k;
  }
  return done;
}

}  // namespace zel
