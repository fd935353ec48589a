// The most bytes a conversion can write for n bytes of input, from what
// each decoder can emit per input byte and what the target writes per unit.
// The output is reserved once at this size and written where the caller's
// string keeps it; pages never written are never committed, so a loose
// bound costs address space, not memory, but a tight one keeps large
// results below the sizes where every call maps fresh memory.
#pragma once

#include <cstddef>

#include "src/core/charsets.h"

namespace zel {

// `unit_bytes` is the target's longest unit (2 for pivot text, 3 for UTF-8,
// 2 for GBK, 4 for GB18030), `ascii_bytes` what it writes for U+0000..U+007F
// (2 for pivot text, else 1).
constexpr std::size_t output_bound(decoder_kind decoder, std::size_t unit_bytes,
                                   std::size_t ascii_bytes, std::size_t n) {
  switch (decoder) {
    case decoder_kind::none:  // read as pivot pairs
    case decoder_kind::utf16:
    case decoder_kind::utf16be:
    case decoder_kind::utf16le:
      // One unit per two bytes; a surrogate pair's one U+FFFD per four.
      return (n / 2) * unit_bytes;
    case decoder_kind::utf8:
      // A byte of ASCII gives a unit; a two-byte sequence a unit below
      // U+0800 (two bytes in UTF-8, GBK and pivot text, four in GB18030); a
      // three- or four-byte one at most as many bytes as it had.
      return unit_bytes == 4 ? 2 * n : n * ascii_bytes;
    default:
      // At most one unit per byte: two-byte codes give one unit, passed
      // pairs two, escapes and shifts none.
      return n * unit_bytes;
  }
}

}  // namespace zel
