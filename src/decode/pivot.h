// pivot_reader: text that no decoder claims (the pivot itself, id 1, and ids
// without a decoder) is read as UCS-2 little-endian pairs. A last byte
// without a partner is not a unit and is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

template <class Out>
void pivot_reader(const std::uint8_t* in, std::size_t n, Out& out) {
  for (std::size_t i = 0; i + 1 < n; i += 2)
    out.unit(static_cast<std::uint16_t>(in[i] | in[i + 1] << 8));
}

}  // namespace zel
