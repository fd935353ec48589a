// Two-byte charsets into UCS-2 little-endian, in bulk, for the stretches of
// a text made of single bytes and whole pairs whose cells hold a character:
// there every decoder of the lead/trail shape writes one unit a character
// and degrades nothing, so a vector kernel may take them.
//
// A kernel reads the n bytes at `in` and writes two bytes a unit at `out`,
// which has room for 2 * n bytes (it may write scratch anywhere in that room
// past its units). Its pair_shape says which bytes are single characters
// (in the plain shape, those below 0x80, each its own unit); every other
// byte is a lead and takes the byte after it. It stops before the first
// single byte without a character, the first lead outside the table's
// leads, whose next byte is outside its trails or past the n, whose index
// reaches the stored cells, or whose cell is U+FFFD (the decoder counts
// that one), or at n; it never reads past in[n - 1]. Every level gives
// exactly what the plain twin gives.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/simd/cpu.h"

namespace zel {

// A table of pairs: lead l and trail t read cells[columns * (l - lead_first)
// + (t - trail_first)], for cells below `size` (at most 65,535).
struct pair_table {
  const std::uint16_t* cells;
  std::uint32_t size;
  std::uint16_t columns;
  std::uint8_t lead_first, lead_last;  // from 0x80
  std::uint8_t trail_first, trail_last;
};

template <std::size_t N>
constexpr pair_table make_pair_table(const std::uint16_t (&cells)[N], std::size_t columns,
                                     std::uint8_t lead_first, std::uint8_t lead_last,
                                     std::uint8_t trail_first, std::uint8_t trail_last) noexcept {
  static_assert(N >= 2 && N <= 0xFFFF, "the kernels compare indexes in 16-bit lanes");
  return {cells,
          static_cast<std::uint32_t>(N),
          static_cast<std::uint16_t>(columns),
          lead_first,
          lead_last,
          trail_first,
          trail_last};
}

// How the bytes around the pairs read.
enum class pair_shape : std::uint8_t {
  lead_trail,  // a byte below 0x80 is its own unit, every other one a lead
  // JIS X 0201 singles: below 0x80 as ASCII but 0x5C (U+00A5) and 0x7E
  // (U+203E), 0xA1..0xDF the half-width katakana; 0x7F, 0x80 and 0xA0 have
  // no character, and the rest from 0x81 are leads.
  shift_jis,
  // As lead_trail, and 0x8E with a trail 0xA1..0xDF is a half-width
  // katakana whatever the table holds.
  euc_jp,
};

struct pairs_step {
  std::size_t read;   // input bytes taken, whole characters
  std::size_t units;  // units written, 2 bytes each
};

using pairs_to_ucs2_fn = pairs_step (*)(const pair_table& t, const std::uint8_t* in, std::size_t n,
                                        std::uint8_t* out) noexcept;

// The kernel of the highest level at or below `level` for `shape` (AVX-512
// or AVX2, whose gathers it is built on; below them the plain twin).
pairs_to_ucs2_fn pairs_to_ucs2_kernel(simd level,
                                      pair_shape shape = pair_shape::lead_trail) noexcept;

// The vector kernel of simd_level(), or null where there is none: callers
// then keep their own loop, which the plain twin is no faster than.
pairs_to_ucs2_fn pairs_to_ucs2_active(pair_shape shape = pair_shape::lead_trail) noexcept;

// Input shorter than this is left to the caller's own loop.
inline constexpr std::size_t pairs_to_ucs2_window = 64;

}  // namespace zel
