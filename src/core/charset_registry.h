// The charset label registry: labels normalised to upper case with '_' for
// '-', matched exactly or by prefix, in a fixed order within the group of
// the label's first letter.
#pragma once

#include <cstddef>
#include <span>

namespace zel {

struct charset_alias {
  const char* name;
  bool prefix;  // matches every label that begins with name
  int id;
};

// Every alias, grouped by first letter, each group in testing order.
std::span<const charset_alias> charset_aliases() noexcept;

// The id of a normalised label (NUL-terminated, at most `length` bytes), 0 when
// no alias matches.
int lookup_charset(const char* label, std::size_t length) noexcept;

}  // namespace zel
