// The one accessor of the mapping tables: every table is read through
// cell(), which returns the table's past-end value for an index beyond the
// stored cells, so no read can leave a table. Tables stop after their last
// character, and the cells after it read as the value they would hold.
#pragma once

#include <cstddef>

namespace zel {

template <class T, std::size_t N>
constexpr T cell(const T (&table)[N], std::size_t index, T past_end) noexcept {
  if (index < N) [[likely]]
    return table[index];
  return past_end;
}

}  // namespace zel
