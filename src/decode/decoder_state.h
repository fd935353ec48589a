// What a decoder carries from one piece of a text to the next. A one-call
// conversion starts it fresh and drops it; a stream keeps it. Only the
// stateful charsets use it: the others start every piece afresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zel {

struct decoder_state {
  std::uint8_t set = 0;         // ISO-2022-JP: the current set; ISO-2022-CN: the designation
  std::uint8_t shift = 0;       // ISO-2022-CN: the set pairs are read from; ISO-2022-KR: shifted
  bool designated = false;      // ISO-2022-KR: ESC $ ) C has been read
  std::int8_t byte_order = -1;  // UTF-16 with a mark: -1 until read, then 0 big-, 1 little-endian
};

// Whether a decoder stops at a step that reads `want` bytes from i but
// finds fewer before n. The last piece of a text is read to its end, and
// such a step degrades there; any other piece stops at that step only, and
// the stream holds its bytes for the next piece. Every step the bytes at
// hand decide is taken, so a piece gives every character it completes, and
// a text read in pieces takes the same steps as read whole.
constexpr bool cut_short(std::size_t i, std::size_t want, std::size_t n, bool last) noexcept {
  return !last && n - i < want;
}

inline std::string_view escape_bytes(std::string_view e) noexcept { return e; }

// Whether the k bytes after an ESC are a proper start of one of `escapes`
// (the bytes that may follow it), so that only more bytes decide the escape.
template <class Escapes>
bool escape_cut_short(const Escapes& escapes, const std::uint8_t* p, std::size_t k) noexcept {
  for (const auto& e : escapes) {
    const std::string_view bytes = escape_bytes(e);
    if (k < bytes.size() && (k == 0 || std::memcmp(p, bytes.data(), k) == 0)) return true;
  }
  return false;
}

}  // namespace zel
