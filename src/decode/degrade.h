// The ways input degrades, shared by every decoder family, so that each
// branch of a decoder names the rule it applies.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/encode/ascii_block.h"

namespace zel {

// A byte that begins no recognised sequence comes out as the code unit of the
// same value (U+0000..U+00FF), so line ends and escapes stay visible.
template <class Out>
inline void pass_byte(Out& out, std::uint8_t b) {
  out.unit(b);
}

// A pair whose index falls outside its table passes through as its two
// bytes, so that line ends and escapes read as pairs stay visible.
template <class Out>
inline void pass_pair(Out& out, std::uint8_t b1, std::uint8_t b2) {
  out.unit(b1);
  out.unit(b2);
}

// Length of the run of bytes below 0x80 at p, read a word at a time.
inline std::size_t ascii_run(const std::uint8_t* p, std::size_t n) noexcept {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & 0x8080808080808080ull) break;
  }
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
// whether input remains.
template <class Out>
inline bool copy_ascii_run(const std::uint8_t* in, std::size_t n, std::size_t& i, Out& out) {
  if (in[i] >= 0x80) return true;
  if constexpr (writes_ascii_blocks<Out>) {
    // A lone ASCII byte (a space between words) costs less written as a unit.
    if (n - i >= 2 && in[i + 1] >= 0x80) {
      out.unit(in[i]);
      ++i;
      return true;
    }
    i += out.ascii_blocks(in + i, n - i);
    if (i == n) return false;
    if (in[i] >= 0x80) return true;
  }
  std::size_t run = ascii_run(in + i, n - i);
  if (run) {
    out.ascii(in + i, run);
    i += run;
  }
  return i < n;
}

}  // namespace zel
