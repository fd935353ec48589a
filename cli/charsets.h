// What zelconv knows beside the library's registry and charset descriptions
// (src/core/charsets.h): labels of its own, how a -f argument becomes an id,
// and what a -t argument writes.
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

// What -t writes: an id of the general conversion, or (GBK) one of the
// stream kinds of the ten conversions.
struct target {
  std::string name;    // for messages: "CP1252"
  int id = 0;          // the general conversion's target, and the id of text in it
  int stream = 0;      // the zel_stream_kind used instead of the general conversion
  int references = 0;  // the kind decoding references in it, 0 when none
  // Its byte-order mark, for --add-bom; empty where it has none to write.
  std::string_view mark;
  bool marked = false;  // the output always starts with the mark
  // Outside Unicode a leading U+FEFF is no character of the text: GBK writes
  // it as a space, GB18030 as a four-byte code no reader expects, the rest
  // as their substitute. It is dropped unless --keep-bom.
  bool drops_mark = false;
};
enum class target_error { none, unknown_label, bad_number, no_encoder };
// A -t argument (without iconv's //-endings): any label or #N that -f
// takes, except auto and the ids without a decoder.
target_error parse_target(std::string_view arg, target& out);

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
