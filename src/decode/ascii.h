// ASCII in the decoders: where a charset maps bytes below 0x80 to
// themselves, their runs are written in bulk, a word or a block at a time.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "src/encode/ascii_block.h"

namespace zel {

// Length of the run of bytes below 0x80 at p, read a word at a time.
inline std::size_t ascii_run(const std::uint8_t* p, std::size_t n) noexcept {
  std::size_t i = 0;
  while (i + 8 <= n && eight_ascii(p + i)) i += 8;
  while (i < n && p[i] < 0x80) ++i;
  return i;
}

// Outputs that write ASCII a block at a time (ascii_blocks) take that path;
// plain outputs, like the tests' reference, take the simple one.
template <class Out>
concept writes_ascii_blocks = requires(Out& out, const std::uint8_t* p, std::size_t n) {
  { out.ascii_blocks(p, n) } -> std::same_as<std::size_t>;
};

// Where a charset maps bytes below 0x80 to themselves, a decoder writes
// their runs in bulk: emits the run at in[i], moves i past it, and says
// whether a sequence is to be started at i (i below `limit`, where the
// decoder stops starting them; see start_limit). A run may go past `limit`:
// a byte below 0x80 is always a character of its own there.
template <class Out>
inline bool copy_ascii_run(const std::uint8_t* in, std::size_t n, std::size_t limit, std::size_t& i,
                           Out& out) {
  if (in[i] >= 0x80) return true;
  if constexpr (writes_ascii_blocks<Out>) {
    // A lone ASCII byte (a space between words) costs less written as a unit.
    if (n - i >= 2 && in[i + 1] >= 0x80) {
      out.unit(in[i]);
      ++i;
      // A byte follows; in a whole text (limit == n) that settles it.
      return limit == n || i < limit;
    }
    i += out.ascii_blocks(in + i, n - i);
    if (i >= limit) return false;
    if (in[i] >= 0x80) return true;
  }
  std::size_t run = ascii_run(in + i, n - i);
  if (run) {
    out.ascii(in + i, run);
    i += run;
  }
  return i < limit;
}

}  // namespace zel
