#include "cli/charsets.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "src/core/charset_registry.h"
#include "src/core/charsets.h"
#include "zel_code.h"

namespace zelconv {
namespace {

constexpr const char* utf8_mark = "\xEF\xBB\xBF";

// The description stops at id 56; the general conversion also reads and
// writes UTF-32 (ids 57..59), named here until the description has them.
constexpr const char* utf32_names[] = {"UTF-32 (mark, else BE)", "UTF-32BE", "UTF-32LE"};

bool utf32(int id) { return id >= ZEL_CHARSET_UTF32 && id <= ZEL_CHARSET_UTF32LE; }

// Code pages 932 and 950 extend the tables the library reads: their
// additions have no cell there, and a few symbols map differently (code page
// 932's 0x815F is U+FF3C, Shift_JIS's U+005C).
constexpr const char* cp932_note =
    "approximate: the NEC and IBM rows (0x87, 0xED, 0xEE, 0xFA..0xFC) and user-defined codes "
    "(0xF0..0xF9) give U+FFFD; 7 symbols differ";
constexpr const char* cp950_note =
    "approximate: code page 950's additions (0xF9D6..0xF9FE, the euro at 0xA3E1, a few "
    "symbols) give U+FFFD; 11 symbols differ";

constexpr own_label own_labels[] = {
    {"UTF8", ZEL_CHARSET_UTF8, nullptr, false},
    {"UTF-8-SIG", ZEL_CHARSET_UTF8, "a leading byte-order mark is dropped", true},
    {"SJIS", ZEL_CHARSET_SHIFT_JIS, nullptr, false},
    {"CP932", ZEL_CHARSET_SHIFT_JIS, cp932_note, false},
    {"WINDOWS-31J", ZEL_CHARSET_SHIFT_JIS, cp932_note, false},
    {"CP949", ZEL_CHARSET_KS_C_5601, nullptr, false},
    {"UHC", ZEL_CHARSET_KS_C_5601, nullptr, false},
    {"CP950", ZEL_CHARSET_BIG5, cp950_note, false},
    {"EUC-TW", ZEL_CHARSET_EUC_TW, nullptr, false},
    {"UCS-2LE", ZEL_CHARSET_UCS2LE, nullptr, false},
    {"UCS-2", ZEL_CHARSET_UCS2LE, nullptr, false},
    {"UTF-32", ZEL_CHARSET_UTF32, nullptr, false},
    {"UTF-32BE", ZEL_CHARSET_UTF32BE, nullptr, false},
    {"UTF-32LE", ZEL_CHARSET_UTF32LE, nullptr, false},
    // UCS-4 has no mark of its own: big-endian, as iconv reads it.
    {"UCS-4", ZEL_CHARSET_UTF32BE, nullptr, false},
    {"UCS-4BE", ZEL_CHARSET_UTF32BE, nullptr, false},
    {"UCS-4LE", ZEL_CHARSET_UTF32LE, nullptr, false},
};

// The registry gives id 2 for GBK and GB 2312 labels too, since the GB18030
// decoder reads all three; written, they differ. GB 2312 text is EUC-CN.
// The general conversion writes no GBK apart from GB18030, whose four-byte
// codes are no GBK, so GBK keeps the GBK stream of the ten conversions.
struct gb_target {
  const char* label;
  bool prefix;  // also every label that begins with it, as in the registry
  int id;
};
constexpr gb_target gb_targets[] = {
    {"GBK", false, 0},
    {"CP936", false, 0},
    {"MS936", false, 0},
    {"WINDOWS-936", false, 0},
    {"GB2312", true, ZEL_CHARSET_EUC_CN},
    {"CSGB2312", false, ZEL_CHARSET_EUC_CN},
};

char fold(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  return c == '_' ? '-' : c;
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

// One id's line: its number, its name, then the words, wrapped under the
// first of them.
void print_group(std::FILE* to, int id, const std::vector<std::string>& words) {
  constexpr int name_width = 24;
  constexpr std::size_t line_width = 100;
  constexpr std::size_t words_column = 4 + 2 + name_width + 2;
  char head[words_column + 1];
  std::snprintf(head, sizeof head, "%4d  %-*s  ", id, name_width, charset_name(id));
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

const char* charset_name(int id) {
  if (const char* name = zel::charset_of(id).name) return name;
  return utf32(id) ? utf32_names[id - ZEL_CHARSET_UTF32] : nullptr;
}

bool readable_charset(int id) {
  const zel::charset_description& c = zel::charset_of(id);
  return c.decoder != zel::decoder_kind::none || c.family == zel::charset_family::pivot ||
         utf32(id);
}

target_error parse_target(std::string_view arg, target& out) {
  source s;
  if (same_name(arg, "auto")) return target_error::unknown_label;
  switch (parse_source(arg, s)) {
    case source_error::unknown_label:
      return target_error::unknown_label;
    case source_error::bad_number:
      return target_error::bad_number;
    case source_error::no_decoder:
      return target_error::no_encoder;
    case source_error::none:
      break;
  }
  out = target{};
  out.id = s.id;
  if (s.how == source::kind::label && !s.own && s.id == ZEL_CHARSET_GB18030) {
    for (const gb_target& gb : gb_targets) {
      const std::size_t n = gb.prefix ? std::strlen(gb.label) : arg.size();
      if (arg.size() < n || !same_name(arg.substr(0, n), gb.label)) continue;
      out.id = gb.id ? gb.id : s.id;
      out.stream = gb.id ? 0 : ZEL_STREAM_TO_GBK;
    }
  }
  out.name = out.stream ? "GBK" : label_of(out.id);
  const bool unicode = zel::charset_of(out.id).family == zel::charset_family::unicode ||
                       out.id == ZEL_CHARSET_UCS2LE || utf32(out.id);
  out.drops_mark = !unicode;
  if (unicode) out.mark = source_mark(out.id);
  switch (out.id) {
    // These start with a mark and go on big-endian. zelconv writes the mark
    // itself, at the start of each output, and the rest as the big-endian
    // form: a stream opened again for a new guess of -f auto would write a
    // second mark, and so would each further input.
    case ZEL_CHARSET_UTF16:
      out.id = ZEL_CHARSET_UTF16BE;
      out.mark = source_mark(out.id);
      out.marked = true;
      break;
    case ZEL_CHARSET_UTF32:
      out.id = ZEL_CHARSET_UTF32BE;
      out.mark = source_mark(out.id);
      out.marked = true;
      break;
    case ZEL_CHARSET_UTF8:
      out.references = ZEL_STREAM_REFERENCES_UTF8;
      out.marked = s.own && s.own->drops_mark;  // UTF-8-SIG, as Python writes it
      break;
    case ZEL_CHARSET_GB18030:
      out.references = out.stream ? ZEL_STREAM_REFERENCES_GBK : ZEL_STREAM_REFERENCES_GB18030;
      break;
    default:
      break;
  }
  return target_error::none;
}

int registry_id(std::string_view label) {
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, label.data(), static_cast<std::int32_t>(label.size()));
  const int id = zel_code_charset(&s);
  zel_string_free(&s);
  return id;
}

source_error parse_source(std::string_view arg, source& out) {
  if (same_name(arg, "auto")) {
    out.how = source::kind::sniffed;
    out.id = 0;
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
  out.how = source::kind::label;
  out.own = nullptr;
  // The registry reads a label as NUL-terminated text: one with a NUL in it
  // is no label at all. Its labels come first, so that one it learns later
  // means what the library says.
  out.id = arg.find('\0') == std::string_view::npos ? registry_id(arg) : 0;
  for (const own_label& own : own_labels) {
    if (out.id == ZEL_CHARSET_UNKNOWN && same_name(arg, own.label)) {
      out.own = &own;
      out.id = own.id;
    }
  }
  if (out.id == ZEL_CHARSET_UNKNOWN) return source_error::unknown_label;
  return readable_charset(out.id) ? source_error::none : source_error::no_decoder;
}

std::string label_of(int id) {
  const auto names = [id](std::string_view label) {
    source s;
    return parse_source(label, s) == source_error::none && s.id == id;
  };
  // Names read "GB18030, GBK, GB 2312" or "KS C 5601 (CP949)": the part
  // before a comma or parenthesis, or the one inside, is often a label.
  if (const char* name = charset_name(id)) {
    const std::string_view full = name;
    const std::size_t cut = full.find_first_of(",(");
    std::string_view head = full.substr(0, cut);
    while (!head.empty() && head.back() == ' ') head.remove_suffix(1);
    if (names(head)) return std::string(head);
    if (cut != std::string_view::npos && full[cut] == '(') {
      const std::string_view inside = full.substr(cut + 1, full.find(')', cut) - cut - 1);
      if (names(inside)) return std::string(inside);
    }
  }
  for (const own_label& own : own_labels)
    if (own.id == id && !own.note && !own.drops_mark) return own.label;
  for (const zel::charset_alias& a : zel::charset_aliases()) {
    if (a.id != id) continue;
    std::string label = a.name;
    std::replace(label.begin(), label.end(), '_', '-');
    return label;
  }
  std::string raw = "#";
  raw += std::to_string(id);
  return raw;
}

std::string_view source_mark(int id) {
  switch (id) {
    case ZEL_CHARSET_UTF8:
      return utf8_mark;
    case ZEL_CHARSET_GB18030:
      return "\x84\x31\x95\x33";
    case ZEL_CHARSET_UTF16BE:
      return "\xFE\xFF";
    case ZEL_CHARSET_UTF16LE:
    case ZEL_CHARSET_UCS2LE:
      return "\xFF\xFE";
    case ZEL_CHARSET_UTF32BE:
      return {"\0\0\xFE\xFF", 4};
    case ZEL_CHARSET_UTF32LE:
      return {"\xFF\xFE\0\0", 4};
    default:
      return {};
  }
}

void print_labels(std::FILE* to) {
  for (const zel::charset_description& c : zel::charsets) {
    if (c.family == zel::charset_family::none) continue;
    std::vector<std::string> labels;
    for (const zel::charset_alias& a : zel::charset_aliases())
      if (a.id == c.id) labels.push_back(std::string(a.name) + (a.prefix ? "*" : ""));
    std::sort(labels.begin(), labels.end());
    if (labels.empty())
      labels.push_back("(no label in the library: -f '#" + std::to_string(c.id) + "')");
    print_group(to, c.id, labels);
  }
  std::fprintf(to, "\nzelconv's own labels, on top of the library's:\n");
  // Labels that mean the same share a line.
  for (std::size_t i = 0; i < std::size(own_labels); ++i) {
    const own_label& own = own_labels[i];
    auto same = [&own](const own_label& other) {
      return other.id == own.id && other.note == own.note && other.drops_mark == own.drops_mark;
    };
    if (std::any_of(own_labels, own_labels + i, same)) continue;
    std::vector<std::string> words;
    for (const own_label& other : own_labels)
      if (same(other)) words.push_back(other.label);
    if (own.note) {
      const std::string note = std::string("(") + own.note + ")";
      for (std::size_t at = 0; at < note.size();) {
        std::size_t space = note.find(' ', at);
        if (space == std::string::npos) space = note.size();
        words.push_back(note.substr(at, space - at));
        at = space + 1;
      }
    }
    print_group(to, own.id, words);
  }
}

}  // namespace zelconv
