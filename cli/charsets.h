// What zelconv knows beside the library's registry: a name for each charset
// id, the four targets it writes, and how a -f argument becomes an id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "cli/chunking.h"

namespace zelconv {

// The charset's name, or null for ids the library does not know.
const char* charset_name(int id);
// Whether text of the id can be converted: it has a decoder, or it is the
// pivot itself.
bool readable_charset(int id);

struct target {
  const char* name;
  convert_fn convert;
  std::size_t unit_bytes;        // at most, per code unit
  rewrite_fn decode_references;  // null where references cannot be decoded
  std::size_t reference_bytes;   // at most, per decoded reference
};

// Target names are zelconv's own: the registry answers one id for GBK,
// GB 2312 and GB18030, so it cannot tell which output is meant. Matched
// without regard to case and to '-' versus '_'.
const target* find_target(std::string_view name);
// The canonical target names, for messages: "UTF-8, GBK, GB18030 or UCS-2LE".
const char* target_names();

// The id of a registry label, 0 when unknown.
int registry_id(std::string_view label);

// A -f argument: a registry label, "#N" for a raw id, or "auto".
struct source {
  enum class kind { label, raw_id, sniffed } how = kind::label;
  int id = 0;
};
enum class source_error { none, unknown_label, bad_number, no_decoder };
source_error parse_source(std::string_view arg, source& out);

// For "auto": the id the start of a text shows, and how many bytes of it are
// a UTF-8 byte-order mark to skip. A UTF-16 mark is left to id 9, which reads
// it; without a mark the text is taken as UTF-8.
int sniff_charset(const std::uint8_t* p, std::size_t n, std::size_t& skip);

// Prints every registry label, grouped by id with the charset's name.
void print_labels(std::FILE* to);

}  // namespace zelconv
