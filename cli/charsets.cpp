#include "cli/charsets.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "src/core/charset_registry.h"
#include "zel_code.h"

namespace zelconv {
namespace {

constexpr const char* names[] = {
    nullptr,  // 0: refused
    "UCS-2LE (the pivot)",
    "GB18030, GBK, GB 2312",
    "Big5",
    "JIS X 0201 (no decoder)",
    "JIS X 0208",
    "JIS X 0212",
    "Shift_JIS",
    "UTF-8",
    "UTF-16 (mark, else BE)",
    "UTF-16BE",
    "UTF-16LE",
    "KS C 5601 (CP949)",
    "KS X 1001 (7-bit)",
    "ISO-2022-CN",
    "ISO-2022-JP",
    "ISO-2022-KR",
    "EUC-CN",
    "EUC-TW",
    "EUC-JP",
    "EUC-KR",
    "KOI8-R",
    "KOI8-U",
    "KOI8-RU",
    "ISO-8859-1, US-ASCII",
    "ISO-8859-2",
    "ISO-8859-3",
    "ISO-8859-4",
    "ISO-8859-5",
    "ISO-8859-6",
    "ISO-8859-7",
    "ISO-8859-8",
    "ISO-8859-9",
    "ISO-8859-10",
    "ISO-8859-11 (TIS-620)",
    "ISO-8859-13",
    "ISO-8859-14",
    "ISO-8859-15",
    "ISO-8859-16",
    "CP874",
    "CP1250",
    "CP1251",
    "CP1252",
    "CP1253",
    "CP1254",
    "CP1255",
    "CP1256",
    "CP1257",
    "CP1258",
    "CP850",
    "CP866",
    "CP1133",
    "TCVN",
    "ARMSCII-8",
    "MacThai",
    "MULELAO-1",
};
static_assert(std::size(names) == ZEL_CHARSET_RESERVED);

constexpr target targets[] = {
    {"UTF-8", zel_code_utf8_report, 3, zel_decode_utf8_report, 3},
    {"UTF8", zel_code_utf8_report, 3, zel_decode_utf8_report, 3},
    {"GBK", zel_code_gbk_report, 2, zel_decode_gbk_report, 2},
    {"CP936", zel_code_gbk_report, 2, zel_decode_gbk_report, 2},
    {"GB18030", zel_code_gb18030_report, 4, zel_decode_gb18030_report, 4},
    {"UCS-2LE", zel_code_unicode_report, 2, nullptr, 0},
    {"UCS-2", zel_code_unicode_report, 2, nullptr, 0},
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

}  // namespace

const char* charset_name(int id) {
  return id > 0 && id < ZEL_CHARSET_RESERVED ? names[id] : nullptr;
}

bool readable_charset(int id) { return charset_name(id) && id != ZEL_CHARSET_JIS_X0201; }

const target* find_target(std::string_view name) {
  for (const target& t : targets)
    if (same_name(name, t.name)) return &t;
  return nullptr;
}

const char* target_names() { return "UTF-8, GBK, GB18030 or UCS-2LE"; }

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
  // The registry reads a label as NUL-terminated text: one with a NUL in it
  // is no label at all.
  out.id = arg.find('\0') == std::string_view::npos ? registry_id(arg) : 0;
  if (out.id == ZEL_CHARSET_UNKNOWN) return source_error::unknown_label;
  return readable_charset(out.id) ? source_error::none : source_error::no_decoder;
}

int sniff_charset(const std::uint8_t* p, std::size_t n, std::size_t& skip) {
  skip = 0;
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    skip = 3;
    return ZEL_CHARSET_UTF8;
  }
  if (n >= 2 && ((p[0] == 0xFE && p[1] == 0xFF) || (p[0] == 0xFF && p[1] == 0xFE)))
    return ZEL_CHARSET_UTF16;
  return ZEL_CHARSET_UTF8;
}

void print_labels(std::FILE* to) {
  constexpr int name_width = 24;
  constexpr std::size_t line_width = 100;
  constexpr std::size_t labels_column = 4 + 2 + name_width + 2;
  for (int id = 1; id < ZEL_CHARSET_RESERVED; ++id) {
    std::vector<std::string> labels;
    for (const zel::charset_alias& a : zel::charset_aliases())
      if (a.id == id) labels.push_back(std::string(a.name) + (a.prefix ? "*" : ""));
    std::sort(labels.begin(), labels.end());
    char head[labels_column + 1];
    std::snprintf(head, sizeof head, "%4d  %-*s  ", id, name_width, names[id]);
    std::string line = head;
    if (labels.empty()) line += "(no label: -f '#" + std::to_string(id) + "')";
    std::size_t on_line = 0;
    for (const std::string& label : labels) {
      if (on_line > 0 && line.size() + 1 + label.size() > line_width) {
        std::fprintf(to, "%s\n", line.c_str());
        line.assign(labels_column, ' ');
        on_line = 0;
      }
      if (on_line > 0) line += ' ';
      line += label;
      ++on_line;
    }
    std::fprintf(to, "%s\n", line.c_str());
  }
}

}  // namespace zelconv
