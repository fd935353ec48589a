// What zelconv knows beside the library's registry and charset descriptions
// (src/core/charsets.h): the four targets it writes, labels of its own, and
// how a -f argument becomes an id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace zelconv {

// The charset's name from its description, or null for ids the library
// refuses or does not know.
const char* charset_name(int id);
// Whether text of the id can be converted: it has a decoder, or it is the
// pivot itself.
bool readable_charset(int id);

struct target {
  const char* name;
  int stream;      // the zel_stream_kind converting into it
  int references;  // the kind decoding references in it, 0 when none
  int id;          // the registry id of text in it, for -E alone
  // Its byte-order mark, for --add-bom; null where it has none to write.
  const char* mark;
  // GBK writes U+FEFF as a space and GB18030 as a four-byte code no reader
  // expects: a leading one is dropped unless --keep-bom.
  bool drops_mark;
};

// Target names are zelconv's own: the registry answers one id for GBK,
// GB 2312 and GB18030, so it cannot tell which output is meant. Matched
// without regard to case and to '-' versus '_'.
const target* find_target(std::string_view name);
// The canonical target names, for messages: "UTF-8, GBK, GB18030 or UCS-2LE".
const char* target_names();

// The id of a registry label, 0 when unknown.
int registry_id(std::string_view label);

// Labels that users and detectors print but the registry does not know.
// Some only approximate the charset they name: `note` says how.
struct own_label {
  const char* label;
  int id;
  const char* note;  // null when the charset is read as it is
  bool drops_mark;   // a leading byte-order mark is part of the label's text
};

// A -f argument: a registry label, one of zelconv's own, "#N" for a raw id,
// or "auto".
struct source {
  enum class kind { label, raw_id, sniffed } how = kind::label;
  int id = 0;
  const own_label* own = nullptr;  // when the label is zelconv's own
};
enum class source_error { none, unknown_label, bad_number, no_decoder };
source_error parse_source(std::string_view arg, source& out);

// The label zelconv prints for the id, one that --resolve maps back to it:
// the charset's own name where that is a label, else one of zelconv's own
// labels, else the registry's first, else "#N".
std::string label_of(int id);

// The bytes a leading U+FEFF takes in text of the id, empty when the id
// cannot write it or (UTF-16 with a mark) its decoder reads the mark itself.
std::string_view source_mark(int id);

// Prints every registry label, grouped by id with the charset's name, then
// zelconv's own labels.
void print_labels(std::FILE* to);

}  // namespace zelconv
