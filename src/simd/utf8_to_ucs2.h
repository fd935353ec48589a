// UTF-8 into UCS-2 little-endian, in bulk, for the stretches of a text made
// of well-formed one-, two- and three-byte sequences: there the lenient
// UTF-8 decoder and a strict one agree, so a vector kernel may take them.
//
// A kernel reads the n bytes at `in` and writes two bytes a unit at `out`,
// which has room for 2 * n bytes (it may write scratch anywhere in that room
// past its units). It stops before the first byte that does not begin a
// whole well-formed sequence of at most three bytes within the n (a
// four-byte sequence, C0/C1, an overlong three-byte form, an encoded
// surrogate, a stray continuation, a sequence cut off), or at n; it never
// reads past in[n - 1]. Every level gives exactly what the plain twin gives.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/simd/cpu.h"

namespace zel {

struct utf8_ucs2_step {
  std::size_t read;   // input bytes taken, whole sequences
  std::size_t units;  // units written, 2 bytes each
};

using utf8_to_ucs2_fn = utf8_ucs2_step (*)(const std::uint8_t* in, std::size_t n,
                                           std::uint8_t* out) noexcept;

// The kernel of the highest level at or below `level` (sse2 has none of its
// own: the plain twin).
utf8_to_ucs2_fn utf8_to_ucs2_kernel(simd level) noexcept;

// The kernel of simd_level().
utf8_ucs2_step utf8_to_ucs2(const std::uint8_t* in, std::size_t n, std::uint8_t* out) noexcept;

// The AVX-512 kernel without its plain tail, for callers that read in
// pieces of their own: it stops where the kernel would hand the rest to the
// plain twin (under a window left, or a window a strict reader refuses).
// Null below AVX-512.
utf8_to_ucs2_fn utf8_to_ucs2_windows(simd level) noexcept;

// Whether simd_level() has a vector kernel; without one, callers keep their
// own loop, which the plain twin is no faster than.
bool utf8_to_ucs2_vectored() noexcept;

// Input shorter than this is left to the caller's own loop: a kernel would
// only run its plain tail on it.
inline constexpr std::size_t utf8_to_ucs2_window = 64;

}  // namespace zel
