// The shapes the two-byte decoders share: a 94x94 set beside ASCII (EUC-CN,
// EUC-KR, the 8-bit JIS X 0208 and 0212), a lead byte with a trail 0x40..0xFE
// over 191 columns (Big5, code page 949), the indexes of both shapes, and
// the rule for a pair whose index lies outside its table.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "src/decode/ascii.h"
#include "src/decode/decoder_state.h"
#include "src/decode/degrade.h"
#include "src/simd/pairs_to_ucs2.h"
#include "src/tables/cell.h"

namespace zel {

// A byte of a 94x94 set in 8-bit form, 0xA1..0xFE.
inline bool square_byte(std::uint8_t b) noexcept { return b >= 0xA1 && b <= 0xFE; }

// The cell of row byte r and column byte c in 8-bit form, `Columns` (94)
// cells a row. The 7-bit forms pass their bytes plus 0x80; a control byte
// there gives a negative index, which the 8-bit decoders never compute.
template <std::size_t Columns>
constexpr std::ptrdiff_t square_index(int r, int c) noexcept {
  return (r - 0xA1) * static_cast<std::ptrdiff_t>(Columns) + (c - 0xA1);
}

// The cell of lead a and trail t (0x40..0xFE) in a table of `Columns` (191)
// cells a lead whose first row is lead 0x81, as GBK and code page 949 lay
// them out. Their 7-bit forms (ISO-2022's GB 2312 and KS X 1001) read the
// code of each byte plus 0x80.
template <std::size_t Columns>
constexpr std::ptrdiff_t lead_trail_index(int a, int t) noexcept {
  return (a - 0x81) * static_cast<std::ptrdiff_t>(Columns) + (t - 0x40);
}
template <std::size_t Columns>
constexpr std::ptrdiff_t seven_bit_lead_trail_index(int b, int c) noexcept {
  return lead_trail_index<Columns>(b + 0x80, c + 0x80);
}

// Outputs with a vector path for pairs take the stretches of ASCII and whole
// pairs with a character in bulk, through the kernel of the CPU's level.
template <class Out>
concept writes_pair_blocks = requires(Out& o, pairs_to_ucs2_fn k, const pair_table& t,
                                      const std::uint8_t* p, std::size_t n) {
  { o.pair_blocks(k, t, p, n) } -> std::same_as<std::size_t>;
};

// Runs a decoder's loop, given the kernel of `shape` where the output and
// the CPU have one and nullptr where not: two copies of the loop, so that
// one without a kernel does not test for it at every step.
template <class Out, class Loop>
inline std::size_t with_pair_kernel(const Out&, Loop&& loop,
                                    pair_shape shape = pair_shape::lead_trail) {
  if constexpr (writes_pair_blocks<Out>)
    if (const pairs_to_ucs2_fn kernel = pairs_to_ucs2_active(shape)) return loop(kernel);
  return loop(nullptr);
}

// The bytes at in[i] the kernel takes; the decoder's own loop then reads
// what stopped it, a byte or a pair. A kernel stops short of the piece's
// last byte, so the loop always takes the last step itself and a piece ends
// where it would without one.
template <class Out>
inline std::size_t pair_run(pairs_to_ucs2_fn kernel, Out& out, const pair_table& t,
                            const std::uint8_t* in, std::size_t i, std::size_t n) {
  return out.pair_blocks(kernel, t, in + i, n - i - 1);
}
template <class Out>
inline std::size_t pair_run(std::nullptr_t, Out&, const pair_table&, const std::uint8_t*,
                            std::size_t, std::size_t) {
  return 0;
}

// The character whose pair is at `pair`, after the `prefix` bytes of a
// single shift: the cell at `index` of a table holding `cells` cells (read
// through cell() with `past_end` beyond the stored ones); where the index
// falls outside them, the pair passes through as its two bytes, so that line
// ends and escapes read as pairs stay visible, and the prefix goes.
template <std::size_t N, class Out>
inline void cell_or_pair(const std::uint16_t (&table)[N], std::ptrdiff_t index, std::size_t cells,
                         std::uint16_t past_end, const std::uint8_t* pair, Out& out,
                         std::size_t prefix = 0) {
  if (index < 0 || static_cast<std::size_t>(index) >= cells) {
    if (prefix) drop(out, pair - prefix, prefix);
    pass_pair(out, pair);
    return;
  }
  emit_cell(out, cell(table, static_cast<std::size_t>(index), past_end), pair - prefix);
}

// At in[i]: a pair of square bytes reads `table`, anything else passes
// through. Returns the bytes taken.
template <std::size_t Columns, std::size_t N, class Out>
inline std::size_t square_step(const std::uint16_t (&table)[N], std::uint16_t past_end,
                               const std::uint8_t* in, std::size_t n, std::size_t i, Out& out) {
  const std::uint8_t b = in[i];
  if (square_byte(b) && i + 1 < n && square_byte(in[i + 1])) {
    const unsigned at = static_cast<unsigned>(Columns) * (b - 0xA1u) + (in[i + 1] - 0xA1u);
    emit_cell(out, cell(table, at, past_end), in + i);
    return 2;
  }
  pass_byte(out, in + i);
  return 1;
}

// ASCII and one 94x94 set in 8-bit form. Returns how many bytes it took:
// all of them for the last piece of a text (`last`), else up to a lead the
// piece ends after.
template <std::size_t Columns, std::size_t N, class Out>
std::size_t square_decoder(const std::uint16_t (&table)[N], std::uint16_t past_end,
                           const std::uint8_t* in, std::size_t n, Out& out, bool last) {
  const pair_table pairs = make_pair_table(table, Columns, 0xA1, 0xFE, 0xA1, 0xFE);
  return with_pair_kernel(out, [&](auto kernel) {
    std::size_t i = 0;
    while (i < n) {
      i += pair_run(kernel, out, pairs, in, i, n);
      if (!copy_ascii_run(in, n, i, out)) break;
      if (square_byte(in[i]) && cut_short(i, 2, n, last)) break;
      i += square_step<Columns>(table, past_end, in, n, i, out);
    }
    return i;
  });
}

// ASCII and pairs of a lead from `first_lead` (0x80 or above) with a trail
// 0x40..0xFE, read from a table of `Columns` (191) cells a lead whose first
// row is `first_lead`. A pair is taken whatever its cell holds; a byte from
// 0x80 below `first_lead`, or a lead without a trail, passes through alone.
template <std::size_t Columns, std::size_t N, class Out>
std::size_t lead_trail_decoder(const std::uint16_t (&table)[N], std::uint8_t first_lead,
                               std::uint16_t past_end, const std::uint8_t* in, std::size_t n,
                               Out& out, bool last) {
  const pair_table pairs = make_pair_table(table, Columns, first_lead, 0xFF, 0x40, 0xFE);
  return with_pair_kernel(out, [&](auto kernel) {
    std::size_t i = 0;
    while (i < n) {
      i += pair_run(kernel, out, pairs, in, i, n);
      if (!copy_ascii_run(in, n, i, out)) break;
      const std::uint8_t lead = in[i];  // 0x80 or above here
      if (lead >= first_lead && cut_short(i, 2, n, last)) break;
      if (lead >= first_lead && i + 1 < n && in[i + 1] >= 0x40 && in[i + 1] <= 0xFE) {
        const unsigned at =
            static_cast<unsigned>(Columns) * unsigned(lead - first_lead) + (in[i + 1] - 0x40u);
        emit_cell(out, cell(table, at, past_end), in + i);
        i += 2;
        continue;
      }
      pass_byte(out, in + i);
      ++i;
    }
    return i;
  });
}

}  // namespace zel
