// How zelconv names charsets: -f and -t arguments become ids, ids become
// labels and names, all through the library's charset descriptions and
// label lookup (the zel_charset_* exports). zelconv keeps no label of its
// own; what it adds is "auto", "#N" for a raw id, and GBK's stream.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "zel_code.h"

namespace zelconv {

// The charset's name from its description, or null for ids the library
// refuses or does not know.
const char* charset_name(int id);
// Whether text of the id can be converted: the library reads it as what it is.
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
enum class target_error { none, unknown_label, refused_label, bad_number, no_encoder };
// A -t argument (without iconv's //-endings): any label or #N that -f
// takes, except auto and the ids without a decoder.
target_error parse_target(std::string_view arg, target& out);

// A -f argument: a label, "#N" for a raw id, or "auto".
struct source {
  enum class kind { label, raw_id, sniffed } how = kind::label;
  int id = 0;
  zel_label label{};  // what the lookup found, for kind::label
  // A leading byte-order mark is no character of the label's text (UTF-8-SIG).
  bool marked() const { return how == kind::label && (label.flags & ZEL_LABEL_MARKED); }
};
enum class source_error { none, unknown_label, refused_label, bad_number, no_decoder };
source_error parse_source(std::string_view arg, source& out);

// Why a label names nothing, for a message about `what` ("source charset"):
// "unknown source charset 'shfit_jis'; did you mean 'shift_jis'?", or the
// reason the library refuses it.
std::string label_trouble(std::string_view what, std::string_view label);

// The label zelconv prints for the id, one that --resolve maps back to it:
// the first of its labels, else "#N".
std::string label_of(int id);

// The bytes of a leading byte-order mark in text of the id, which a plan
// may drop; empty when the id has none or its decoder reads the mark itself.
std::string_view source_mark(int id);

// Prints every label grouped by charset id with the charset's name, then
// the labels set apart: those that differ from their charset, and those
// refused, each group with the library's note.
void print_labels(std::FILE* to);

}  // namespace zelconv
