// The named character references, generated into src/tables/entities.cpp by
// tools/tablegen/gen_entities.py from the snapshot of Python's html.entities;
// this header is written by hand. Both tables are read through cell().
//
// named_entities: HTML 4.01's 252 character entity references and apos, as
//   (name, code point) rows sorted by the name's bytes, so that the names
//   sharing a first byte sit together. A name is 2 to 8 ASCII letters and
//   digits, NUL-padded to 9 bytes.
// named_entity_groups: one cell per byte from named_entity_groups_first_byte
//   ('A') to 'z': where the names beginning with that byte start in
//   named_entities and how many there are (0 where none does). Any other byte
//   reads as past the end, an empty group.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/tables/cell.h"

namespace zel {

struct named_entity {
  char name[9];
  std::uint16_t code_point;
};

struct entity_group {
  std::uint8_t first;
  std::uint8_t count;
};

inline constexpr std::size_t named_entities_size = 253;
inline constexpr std::size_t named_entity_longest = 8;
inline constexpr named_entity no_named_entity{};
extern const named_entity named_entities[named_entities_size];

inline constexpr std::size_t named_entity_groups_first_byte = 0x41;
inline constexpr std::size_t named_entity_groups_size = 58;
inline constexpr entity_group no_entity_group{0, 0};
extern const entity_group named_entity_groups[named_entity_groups_size];

}  // namespace zel
