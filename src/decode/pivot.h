// pivot_reader: text that no decoder claims (the pivot itself, id 1, and ids
// without a decoder) is read as UCS-2 little-endian pairs. A last byte
// without a partner is not a unit and is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/degrade.h"

namespace zel {

// Returns how many bytes it took: all of them for the last piece of a text
// (`last`), else every whole unit.
template <class Out>
std::size_t pivot_reader(const std::uint8_t* in, std::size_t n, Out& out, bool last = true) {
  // Outputs that take runs of units in bulk (UTF-8) get every run up to a
  // surrogate while a step of units is left (before bulk_end); what they
  // leave goes on below.
  std::size_t bulk_end = 0;
  if constexpr (requires { out.utf16_units(in, n, false); })
    if (const std::size_t step = out.utf16_step(); step <= n / 2) bulk_end = n - 2 * step + 1;
  std::size_t i = 0;
  while (i + 1 < n) {
    const auto u = static_cast<std::uint16_t>(in[i] | in[i + 1] << 8);
    if constexpr (requires { out.utf16_units(in, n, false); }) {
      if (i < bulk_end && (u & 0xF800) != 0xD800) {
        if (const std::size_t k = out.utf16_units(in + i, (n - i) / 2, false)) {
          i += 2 * k;
          continue;
        }
      }
    }
    // Runs of ASCII units go a block at a time into the outputs that write
    // ASCII as single bytes; a lone one between other characters costs less
    // written as a unit.
    if constexpr (requires { out.pivot_ascii_blocks(in, n); }) {
      if (u < 0x80 && n - i >= 4 && in[i + 2] < 0x80 && in[i + 3] == 0) {
        i += out.pivot_ascii_blocks(in + i, n - i);
        if (i + 1 >= n) break;
        if (in[i] < 0x80 && in[i + 1] == 0) {
          // Less than a block left, or no room for one.
          emit(out, in[i], in + i);
          i += 2;
        }
        continue;
      }
    }
    emit(out, u, in + i);
    i += 2;
  }
  if (!last) return i;
  if (i < n) drop(out, in + i);
  return n;
}

}  // namespace zel
