// What a decoder carries from one piece of a text to the next. A one-call
// conversion starts it fresh and drops it; a stream keeps it. Only the
// stateful charsets use it: the others start every piece afresh.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel {

struct decoder_state {
  std::uint8_t set = 0;         // ISO-2022-JP: the current set; ISO-2022-CN: the designation
  std::uint8_t shift = 0;       // ISO-2022-CN: the set pairs are read from; ISO-2022-KR: shifted
  bool designated = false;      // ISO-2022-KR: ESC $ ) C has been read
  std::int8_t byte_order = -1;  // UTF-16 with a mark: -1 until read, then 0 big-, 1 little-endian
};

// Where a decoder stops starting sequences. The last piece of a text is read
// to its end; any other piece only up to where every sequence started is
// decided by bytes at hand (a step reads at most `lookahead` bytes), and the
// bytes after that wait for the next piece. So a text read in pieces takes
// the same steps as read whole.
constexpr std::size_t start_limit(std::size_t n, bool last, std::size_t lookahead) noexcept {
  return last ? n : n >= lookahead - 1 ? n - (lookahead - 1) : 0;
}

}  // namespace zel
