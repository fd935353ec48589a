// ASCII in the decoders: where a charset maps bytes below 0x80 to
// themselves, their runs are written in bulk, a word or a block at a time.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

#include "src/decode/degrade.h"
#include "src/encode/ascii_block.h"

namespace zel {

// Length of the run of bytes below 0x80 at p (and not `Stops`, bytes the
// charset does not map to themselves), read a word at a time when every
// byte below 0x80 is its own.
template <std::uint8_t... Stops>
inline std::size_t ascii_run(const std::uint8_t* p, std::size_t n) noexcept {
  std::size_t i = 0;
  if constexpr (sizeof...(Stops) == 0)
    while (i + 8 <= n && eight_ascii(p + i)) i += 8;
  while (i < n && !ends_ascii_run<Stops...>(p[i])) ++i;
  return i;
}

// Outputs that write ASCII a block at a time (ascii_blocks) take that path;
// plain outputs, like the tests' reference, take the simple one.
template <class Out>
concept writes_ascii_blocks = requires(Out& out, const std::uint8_t* p, std::size_t n) {
  { out.ascii_blocks(p, n) } -> std::same_as<std::size_t>;
};

// The block path of such an output for a run that also ends at `Stops`:
// the output's own for plain ASCII, else the block writer of its unit size
// (one or two bytes).
template <std::uint8_t... Stops, class Out>
inline std::size_t ascii_blocks(Out& out, const std::uint8_t* p, std::size_t avail) {
  if constexpr (sizeof...(Stops) == 0)
    return out.ascii_blocks(p, avail);
  else if constexpr (Out::ascii_unit_bytes == 1)
    return narrow_ascii_blocks<Stops...>(out.at, p, avail);
  else if constexpr (Out::ascii_unit_bytes == 2)
    return widen_ascii_blocks<Stops...>(out.at, p, avail);
  else
    return 0;  // an encoder's own bytes: the run goes unit by unit
}

// Where a charset maps bytes below 0x80 (but `Stops`) to themselves, a
// decoder writes their runs in bulk: emits the run at in[i], moves i past
// it, and says whether a byte is left to start a sequence at.
template <std::uint8_t... Stops, class Out>
inline bool copy_ascii_run(const std::uint8_t* in, std::size_t n, std::size_t& i, Out& out) {
  if (ends_ascii_run<Stops...>(in[i])) return true;
  if constexpr (writes_ascii_blocks<Out>) {
    // A lone ASCII byte (a space between words) costs less written as a unit.
    if (n - i >= 2 && ends_ascii_run<Stops...>(in[i + 1])) {
      emit(out, in[i], in + i);
      ++i;
      return true;
    }
    i += ascii_blocks<Stops...>(out, in + i, n - i);
    if (i >= n) return false;
    if (ends_ascii_run<Stops...>(in[i])) return true;
  }
  std::size_t run = ascii_run<Stops...>(in + i, n - i);
  if (run) {
    out.ascii(in + i, run);
    i += run;
  }
  return i < n;
}

}  // namespace zel
