#include "cli/charsets.h"

#include <charconv>
#include <string>
#include <vector>

namespace zelconv {
namespace {

// "auto", in any case: the one -f argument that names no charset.
bool is_auto(std::string_view arg) {
  constexpr std::string_view word = "auto";
  if (arg.size() != word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if ((arg[i] | 0x20) != word[i]) return false;
  return true;
}

std::string_view text(const zel_label& l) { return {l.label, static_cast<std::size_t>(l.length)}; }

std::string_view mark_of(int id, int* after = nullptr) {
  zel_slice m;
  const int follows = zel_charset_mark(id, &m);
  if (after) *after = follows;
  return {m.data, static_cast<std::size_t>(m.length)};
}

// One id's line: its number, its name, then the words, wrapped under the
// first of them.
void print_group(std::FILE* to, int id, const char* name, const std::vector<std::string>& words) {
  constexpr int name_width = 24;
  constexpr std::size_t line_width = 100;
  constexpr std::size_t words_column = 4 + 2 + name_width + 2;
  char head[words_column + 1];
  std::snprintf(head, sizeof head, "%4d  %-*s  ", id, name_width, name);
  std::string line = head;
  std::size_t on_line = 0;
  for (const std::string& word : words) {
    if (on_line > 0 && line.size() + 1 + word.size() > line_width) {
      std::fprintf(to, "%s\n", line.c_str());
      line.assign(words_column, ' ');
      on_line = 0;
    }
    if (on_line > 0) line += ' ';
    line += word;
    ++on_line;
  }
  std::fprintf(to, "%s\n", line.c_str());
}

}  // namespace

const char* charset_name(int id) { return zel_charset_name(id); }

bool readable_charset(int id) { return zel_charset_flags(id) & ZEL_CHARSET_FLAG_READ; }

target_error parse_target(std::string_view arg, target& out) {
  source s;
  if (is_auto(arg)) return target_error::unknown_label;
  switch (parse_source(arg, s)) {
    case source_error::unknown_label:
      return target_error::unknown_label;
    case source_error::refused_label:
      return target_error::refused_label;
    case source_error::bad_number:
      return target_error::bad_number;
    case source_error::no_decoder:
      return target_error::no_encoder;
    case source_error::none:
      break;
  }
  out = target{};
  const bool labelled = s.how == source::kind::label;
  out.id = labelled ? s.label.written : s.id;
  if (!(zel_charset_flags(out.id) & ZEL_CHARSET_FLAG_WRITE)) return target_error::no_encoder;
  if (labelled && (s.label.flags & ZEL_LABEL_GBK_WRITER)) out.stream = ZEL_STREAM_TO_GBK;
  out.name = out.stream ? "GBK" : label_of(out.id);
  const bool unicode = zel_charset_flags(out.id) & ZEL_CHARSET_FLAG_UNICODE;
  out.drops_mark = !unicode;
  int after = 0;
  if (unicode) out.mark = mark_of(out.id, &after);
  // UTF-16 and UTF-32 start with a mark and go on big-endian. zelconv
  // writes the mark itself, at the start of each output, and the rest as
  // the big-endian form: a stream opened again for a new guess of -f auto
  // would write a second mark, and so would each further input.
  if (after) {
    out.id = after;
    out.marked = true;
  }
  if (out.id == ZEL_CHARSET_UTF8) {
    out.references = ZEL_STREAM_REFERENCES_UTF8;
    out.marked = s.marked();  // UTF-8-SIG, as Python writes it
  } else if (out.id == ZEL_CHARSET_GB18030) {
    out.references = out.stream ? ZEL_STREAM_REFERENCES_GBK : ZEL_STREAM_REFERENCES_GB18030;
  }
  return target_error::none;
}

source_error parse_source(std::string_view arg, source& out) {
  out = source{};
  if (is_auto(arg)) {
    out.how = source::kind::sniffed;
    return source_error::none;
  }
  if (!arg.empty() && arg[0] == '#') {
    out.how = source::kind::raw_id;
    const char* first = arg.data() + 1;
    const char* last = arg.data() + arg.size();
    auto [end, ec] = std::from_chars(first, last, out.id);
    if (ec != std::errc{} || end != last || first == last) return source_error::bad_number;
    return readable_charset(out.id) ? source_error::none : source_error::no_decoder;
  }
  // The lookup reads a label as NUL-terminated text: one with a NUL in it
  // is no label at all.
  if (arg.find('\0') != std::string_view::npos) return source_error::unknown_label;
  out.id = zel_charset_lookup(std::string(arg).c_str(), &out.label);
  if (out.id == ZEL_CHARSET_UNKNOWN)
    return out.label.note ? source_error::refused_label : source_error::unknown_label;
  return readable_charset(out.id) ? source_error::none : source_error::no_decoder;
}

std::string label_trouble(std::string_view what, std::string_view label) {
  // A label with a NUL in it is none: the library reads NUL-terminated text.
  const bool whole = label.find('\0') == std::string_view::npos;
  const std::string typed(label);
  std::string message(what);
  message.append(" '").append(label).append("'");
  zel_label found;
  if (whole && !zel_charset_lookup(typed.c_str(), &found) && found.note)
    return message.append(" is refused: ").append(found.note);
  message = "unknown " + message;
  char nearest[64];
  if (whole && zel_charset_suggest(typed.c_str(), nearest, sizeof nearest) > 0)
    return message.append("; did you mean '").append(nearest).append("'?");
  return message.append(" (see 'zelconv --list')");
}

std::string label_of(int id) {
  // Id 0 lists the refused labels, none of which names it.
  zel_label first;
  if (charset_name(id) && zel_charset_label(id, 0, &first)) return std::string(text(first));
  std::string raw = "#";
  return raw.append(std::to_string(id));
}

std::string_view source_mark(int id) {
  int after = 0;
  const std::string_view mark = mark_of(id, &after);
  return after ? std::string_view{} : mark;
}

void print_labels(std::FILE* to) {
  const int count = zel_charset_count();
  for (int id = 1; id < count; ++id) {
    const char* name = charset_name(id);
    if (!name) continue;
    std::vector<std::string> labels;
    zel_label l;
    for (int i = 0; zel_charset_label(id, i, &l); ++i) labels.emplace_back(text(l));
    print_group(to, id, name, labels);
  }
  std::fprintf(to, "\nLabels set apart (read with a difference, or refused):\n");
  // A group's labels share their note; the group's words end with it. The
  // refused, listed as id 0, come last.
  for (int k = 1; k <= count; ++k) {
    const int id = k % count;
    std::vector<std::string> words;
    const char* note = nullptr;
    auto flush = [&] {
      if (words.empty()) return;
      std::string noted = std::string("(") + note + ")";
      for (std::size_t at = 0; at < noted.size();) {
        std::size_t space = noted.find(' ', at);
        if (space == std::string::npos) space = noted.size();
        words.push_back(noted.substr(at, space - at));
        at = space + 1;
      }
      print_group(to, id, id ? charset_name(id) : "refused", words);
      words.clear();
    };
    zel_label l;
    for (int i = 0; zel_charset_label(id, i, &l); ++i) {
      if (l.note != note) flush();
      note = l.note;
      if (note) words.emplace_back(text(l));
    }
    flush();
  }
}

}  // namespace zelconv
