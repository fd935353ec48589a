// The shuffles that move chosen 16-bit units of an SSE register to its
// front, in order: for each set of 8 unit positions, the byte shuffle and
// how many units it keeps. Kernels without a compress instruction (below
// AVX-512) write their units with these, 8 positions at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel {

struct compress_entry {
  std::uint8_t shuffle[16];
  std::uint8_t count;
};

constexpr std::array<compress_entry, 256> make_compress_table() {
  std::array<compress_entry, 256> table{};
  for (unsigned m = 0; m < 256; ++m) {
    std::size_t k = 0;
    for (std::size_t j = 0; j < 8; ++j) {
      if (!(m >> j & 1)) continue;
      table[m].shuffle[2 * k] = static_cast<std::uint8_t>(2 * j);
      table[m].shuffle[2 * k + 1] = static_cast<std::uint8_t>(2 * j + 1);
      ++k;
    }
    table[m].count = static_cast<std::uint8_t>(k);
    for (; k < 8; ++k) table[m].shuffle[2 * k] = table[m].shuffle[2 * k + 1] = 0x80;
  }
  return table;
}

inline constexpr std::array<compress_entry, 256> compress_units = make_compress_table();

}  // namespace zel
