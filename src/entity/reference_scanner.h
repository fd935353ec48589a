// Reading one character reference from the bytes after its "&": numeric
// (&#65; &#x41; &#0x41;) or named (&amp;). Each reader yields the code point,
// or 0 for no reference, and the index of the reference's last byte: its ";",
// or without one its last digit or letter, or the text's length when the
// reference runs to the end. A caller resumes one byte after that index.
//
// Numbers are read in unsigned 32-bit arithmetic that wraps, so nine or more
// hex digits keep only the last eight (&#x100000041; is 65); values above
// U+FFFF reach the writers, which decide what becomes of them. Names are
// matched case-sensitively against named_entities, comparing only the names
// that share the reference's first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/tables/entities.h"
#include "zel_std.h"

namespace zel {

// The index of a reference's last byte, given where its digits or letters
// stopped.
inline std::size_t reference_end(const std::uint8_t* text, std::size_t len, std::size_t stop) {
  if (stop >= len) return len;
  return text[stop] == ';' ? stop : stop - 1;
}

inline bool is_x(std::uint8_t b) { return b == 'x' || b == 'X'; }

// 0..15 for a digit of the base in use, 16 for any other byte.
inline unsigned digit_value(std::uint8_t b, bool hex) {
  if (b >= '0' && b <= '9') return b - '0';
  if (hex && b >= 'a' && b <= 'f') return b - 'a' + 10;
  if (hex && b >= 'A' && b <= 'F') return b - 'A' + 10;
  return 16;
}

// `p` is the index just after "&#".
inline std::uint32_t parse_numeric_reference(const std::uint8_t* text, std::size_t len,
                                             std::size_t p, std::size_t& end) {
  bool hex = false;
  // "x" and "0x" are both hex prefixes, and may come together: &#x0x41; is 65.
  // Each needs a byte after it, so a prefix at the very end is read as a
  // non-digit instead (which gives 0 either way).
  if (p + 1 < len && is_x(text[p])) {
    hex = true;
    p += 1;
  }
  if (p + 2 < len && text[p] == '0' && is_x(text[p + 1])) {
    hex = true;
    p += 2;
  }
  std::uint32_t value = 0;
  for (; p < len; ++p) {
    const unsigned digit = digit_value(text[p], hex);
    if (digit > 15) break;
    value = value * (hex ? 16u : 10u) + digit;
  }
  end = reference_end(text, len, p);
  return value;
}

inline bool is_ascii_alnum(std::uint8_t b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// `p` is the index just after "&". The name may be empty.
inline void scan_reference_name(const std::uint8_t* text, std::size_t len, std::size_t p,
                                zel_slice& name, std::size_t& end) {
  const std::size_t start = p;
  while (p < len && is_ascii_alnum(text[p])) ++p;
  name.data = reinterpret_cast<const char*>(text + start);
  name.length = static_cast<std::int32_t>(p - start);
  end = reference_end(text, len, p);
}

inline std::uint16_t lookup_entity(const zel_slice& name) {
  if (name.length <= 0 || static_cast<std::size_t>(name.length) > named_entity_longest) return 0;
  const std::size_t length = static_cast<std::size_t>(name.length);
  const auto first = static_cast<std::uint8_t>(name.data[0]);
  // A byte below 'A' wraps to an index past the table: no group.
  const entity_group group =
      cell(named_entity_groups, first - named_entity_groups_first_byte, no_entity_group);
  // The name NUL-padded to eight bytes, like the rows, so that a candidate is
  // one 64-bit compare: an out-of-line string compare per candidate took over
  // a third of the time on text dense with references.
  static_assert(named_entity_longest <= sizeof(std::uint64_t));
  static_assert(sizeof named_entity::name > sizeof(std::uint64_t));
  char padded[sizeof(std::uint64_t)] = {};
  for (std::size_t k = 0; k < length; ++k) padded[k] = name.data[k];
  std::uint64_t key;
  std::memcpy(&key, padded, sizeof key);
  for (std::size_t k = group.first; k < std::size_t{group.first} + group.count; ++k) {
    const named_entity entry = cell(named_entities, k, no_named_entity);
    std::uint64_t row;
    std::memcpy(&row, entry.name, sizeof row);
    // Equal padded bytes leave the row no longer than the slice; a set last
    // byte makes it as long (row names hold no NUL), whatever the slice holds.
    if (row == key && entry.name[length - 1] != '\0') return entry.code_point;
  }
  return 0;
}

}  // namespace zel
