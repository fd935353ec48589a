// Internal helpers over zel_string used by the converters.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zel_std.h"

namespace zel {

// The longest content a zel_string can hold: its length is a signed 32-bit
// word, and one more byte is kept for the NUL.
inline constexpr std::size_t max_string_length = 0x7FFFFFFE;

// Content length of a string as an unsigned size; null strings, missing
// buffers and negative lengths are empty.
inline std::size_t string_size(const zel_string* s) noexcept {
  return s && s->data && s->length > 0 ? static_cast<std::size_t>(s->length) : 0;
}

inline const std::uint8_t* string_bytes(const zel_string* s) noexcept {
  return reinterpret_cast<const std::uint8_t*>(s->data);
}

// Makes room for n content bytes and returns the buffer to write them into,
// or null when n is beyond max_string_length.
// The buffer's bytes past the content may be written until the next
// operation on the string.
char* reserve_bytes(zel_string* s, std::size_t n);

// Gives back the room reserved past the content when it is large against
// the content (a conversion reserved for its worst case); the content stays
// where it is.
void release_spare_room(zel_string* s);

// Test builds (ZEL_STRING_TEST_MODE): how many string buffers are allocated
// and not yet freed, across all strings; -1 in other builds.
long string_buffers_alive() noexcept;

}  // namespace zel
