// Single-byte input, ids 21 to 55: KOI8-R, KOI8-U, KOI8-RU, ISO-8859-1 to
// -16, Windows code pages 874 and 1250 to 1258, IBM code pages 850 and 866,
// CP1133, TCVN, ARMSCII-8, MacThai and MULELAO-1.
//
// Every byte is one code unit, the cell at the byte's value in the charset's
// 256-cell table (single_byte_tables). Nothing is combined, skipped or cut
// off, so n bytes give n units, and a byte the charset leaves empty gives
// U+FFFD. Where a table maps 0x00..0x7F to themselves, runs of those bytes
// are copied in bulk, or with AVX2 or AVX-512 every byte is read by a kernel
// that holds cells 0x80..0xFF in registers (src/simd/single_byte_kernel.h);
// TCVN, which puts capital letters among the C0 controls, reads every byte
// from its table. An id outside 21..55 has no table (the dispatch never
// sends one): its bytes pass through as themselves.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/decode/ascii.h"
#include "src/decode/degrade.h"
#include "src/simd/single_byte_kernel.h"
#include "src/tables/single_byte.h"

namespace zel {

// Whether the eight bytes at in[i] are there and all below 0x80.
inline bool eight_ascii_at(const std::uint8_t* in, std::size_t n, std::size_t i) noexcept {
  return n - i >= 8 && eight_ascii(in + i);
}

// Where bytes below 0x80 are themselves, 16 bytes at a time: the block is
// written as ASCII, then each byte from 0x80 in it is written from its cell,
// so text with scattered accented letters costs no branch on each byte.
// Into UCS-2 a cell is stored over its byte's unit. Into a narrow target
// the ASCII before each such byte is stored 16 bytes at a time from where it
// starts (the output moves on by only its length), which reads up to 32
// bytes ahead. Returns how far it got; the caller finishes byte by byte.
// Without a report only: a report counts each empty cell as it is written.
template <class Out>
std::size_t single_byte_blocks(const single_byte_table& cells, const std::uint8_t* in,
                               std::size_t n, Out& out) {
  constexpr std::uint16_t past_end = 0xFFFD;
  std::size_t i = 0;
  if constexpr (Out::ascii_unit_bytes == 2) {
    while (n - i >= ascii_block_bytes && out.at.has_room(2 * ascii_block_bytes)) {
      const std::uint8_t* p = in + i;
      std::uint8_t* d = out.at.pos;
      widen_ascii_block(p, d);
      for (unsigned high = high_byte_bits(p); high; high &= high - 1) {
        const auto k = static_cast<unsigned>(std::countr_zero(high));
        const std::uint16_t u = cell(cells, p[k], past_end);
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(u & 0xFF),
                                       static_cast<std::uint8_t>(u >> 8)};
        std::memcpy(d + std::size_t{2} * k, bytes, 2);
      }
      out.at.pos = d + 2 * ascii_block_bytes;
      i += ascii_block_bytes;
    }
  } else {
    // Each byte gives at most max_unit_bytes, and the last ASCII store runs
    // 16 bytes past where the output stops.
    constexpr std::size_t room = Out::max_unit_bytes * ascii_block_bytes + ascii_block_bytes;
    while (n - i >= 2 * ascii_block_bytes && out.at.has_room(room)) {
      const std::uint8_t* p = in + i;
      unsigned from = 0;
      for (unsigned high = high_byte_bits(p); high; high &= high - 1) {
        const auto k = static_cast<unsigned>(std::countr_zero(high));
        std::memcpy(out.at.pos, p + from, ascii_block_bytes);
        out.at.pos += k - from;
        out.unit(cell(cells, p[k], past_end));
        from = k + 1;
      }
      std::memcpy(out.at.pos, p + from, ascii_block_bytes);
      out.at.pos += ascii_block_bytes - from;
      i += ascii_block_bytes;
    }
  }
  return i;
}

// Outputs with a vector path for single-byte text.
template <class Out>
concept has_byte_cell_blocks = requires(Out& out, const std::uint16_t* cells, const std::uint8_t* p,
                                        std::size_t n) {
  out.byte_cell_blocks(cells, p, n);
};

// Every byte is decided alone, so every piece is taken whole.
template <class Out>
std::size_t single_byte_decoder(int id, const std::uint8_t* in, std::size_t n, Out& out) {
  const std::size_t at = single_byte_index(id);
  const single_byte_table* table =
      cell(single_byte_tables, at, static_cast<const single_byte_table*>(nullptr));
  if (!table) {
    for (std::size_t i = 0; i < n; ++i) pass_byte(out, in + i);
    return n;
  }
  const single_byte_table& cells = *table;
  // A byte indexes 256 cells: the past-end value is never read.
  constexpr std::uint16_t past_end = 0xFFFD;
  std::size_t i = 0;
  if (!cell(single_byte_ascii_kept, at, false)) {
    for (; i < n; ++i) emit_cell(out, cell(cells, in[i], past_end), in + i);
    return n;
  }
  // The vector kernel reads every byte from a table held in registers where
  // the CPU has one. It counts no U+FFFD cell, so with a report it reads
  // only up to the next byte whose cell is empty, which is read here; each
  // search looks a window ahead, so that the kernel reads the bytes again
  // from cache.
  if constexpr (has_byte_cell_blocks<Out> && !keeps_report<Out>)
    i = out.byte_cell_blocks(cells, in, n);
  if constexpr (has_byte_cell_blocks<Out> && keeps_report<Out>) {
    constexpr std::size_t window = std::size_t{64} * 1024;
    const first_empty_cell_fn first_empty = first_empty_cell_active();
    while (i < n) {
      const std::size_t end = n - i < window ? n : i + window;
      const std::size_t stop = i + first_empty(cells, in + i, end - i);
      const std::size_t took = out.byte_cell_blocks(cells, in + i, stop - i);
      i += took;
      // No kernel, or no room for one: the loops below.
      if (took == 0 && stop - i >= single_byte_step) break;
      for (const std::size_t to = stop < end ? stop + 1 : end; i < to; ++i)
        emit_cell(out, cell(cells, in[i], past_end), in + i);
    }
  }
  // What a kernel leaves is too short, or its room too tight, for blocks.
  if constexpr (writes_ascii_blocks<Out> && !keeps_report<Out>)
    if (i == 0) i = single_byte_blocks(cells, in, n, out);
  while (i < n) {
    if (!copy_ascii_run(in, n, i, out)) break;
    // From a byte of 0x80 up, every byte reads its cell until eight ASCII
    // bytes in a row come: a bulk copy pays only for runs that long, not for
    // the lone spaces between Cyrillic or Greek words, and the table maps
    // ASCII bytes to themselves all the same.
    do {
      emit_cell(out, cell(cells, in[i], past_end), in + i);
      ++i;
    } while (i < n && !eight_ascii_at(in, n, i));
  }
  return n;
}

}  // namespace zel
