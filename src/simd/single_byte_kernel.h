// Single-byte charsets whose bytes 0x00..0x7F are ASCII, in bulk: each byte
// below 0x80 is its own unit, each byte from 0x80 the cell at its value in
// the charset's 256-cell table. The kernels read only cells 0x80..0xFF and
// take every byte, U+FFFD cells included, so callers use them only where
// nothing is counted per character. Every level of a kernel gives exactly
// what its plain twin gives.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/simd/cpu.h"

namespace zel {

// Into UCS-2 little-endian: reads the n bytes at `in` and writes exactly n
// units, two bytes each, at `out`.
using single_byte_to_ucs2_fn = void (*)(const std::uint16_t* cells, const std::uint8_t* in,
                                        std::size_t n, std::uint8_t* out) noexcept;

// Into UTF-8, the bytes utf8_put writes for each unit: reads whole steps of
// single_byte_step bytes while at least single_byte_utf8_room bytes of the
// `room` at `out` are left (a step may write scratch up to there), and
// stops before a step that would not have it or would go past the n.
struct single_byte_utf8_run {
  std::size_t read;   // input bytes taken
  std::size_t bytes;  // bytes written
};
using single_byte_to_utf8_fn = single_byte_utf8_run (*)(const std::uint16_t* cells,
                                                        const std::uint8_t* in, std::size_t n,
                                                        std::uint8_t* out,
                                                        std::size_t room) noexcept;

inline constexpr std::size_t single_byte_step = 64;
inline constexpr std::size_t single_byte_utf8_room = 4 * single_byte_step;

// Where a report has the kernels stop: the index of the first of the n
// bytes at `in` whose cell (from 0x80) is U+FFFD, or n when there is none.
using first_empty_cell_fn = std::size_t (*)(const std::uint16_t* cells, const std::uint8_t* in,
                                            std::size_t n) noexcept;

// The kernels of the highest level at or below `level` (AVX-512 or AVX2;
// below AVX2, whose byte shuffles they are built on, the plain twins).
single_byte_to_ucs2_fn single_byte_to_ucs2_kernel(simd level) noexcept;
single_byte_to_utf8_fn single_byte_to_utf8_kernel(simd level) noexcept;
first_empty_cell_fn first_empty_cell_kernel(simd level) noexcept;

// The vector kernels of simd_level(), or null where there is none: callers
// then keep their own loop, which the plain twins are no faster than.
single_byte_to_ucs2_fn single_byte_to_ucs2_active() noexcept;
single_byte_to_utf8_fn single_byte_to_utf8_active() noexcept;
// Never null: the plain twin where there is no vector search.
first_empty_cell_fn first_empty_cell_active() noexcept;

}  // namespace zel
