// zel_code_charset and its alias table. A label's first letter selects one
// group, so a label is compared with at most the 39 aliases of group C, and a
// label starting with any other byte costs no comparison. Within a group the
// first match wins, which is why "ISO_8859_1" (exact) stands before the
// "ISO_8859_1:" prefix and why the prefix "ANSI_X3.4" stands first.
#include "src/core/charset_registry.h"

#include <array>
#include <cstring>

#include "src/string/string_ops.h"
#include "zel_code.h"

namespace zel {
namespace {

constexpr bool exact = false;
constexpr bool prefix = true;

constexpr charset_alias aliases[] = {
    {"ANSI_X3.4", prefix, 24},
    {"ASCII", exact, 24},
    {"ARABIC", exact, 29},
    {"ASMO_708", exact, 29},
    {"ARMSCII_8", exact, 53},

    {"BIG5", prefix, 3},

    {"CP936", exact, 2},
    {"CSGB2312", exact, 2},
    {"CP874", exact, 39},
    {"CP1250", exact, 40},
    {"CP1251", exact, 41},
    {"CP1252", exact, 42},
    {"CP1253", exact, 43},
    {"CP1254", exact, 44},
    {"CP1255", exact, 45},
    {"CP1256", exact, 46},
    {"CP1257", exact, 47},
    {"CP1258", exact, 48},
    {"CP367", exact, 24},
    {"CSASCII", exact, 24},
    {"CSKSC56011987", exact, 12},
    {"CSISO2022KR", exact, 16},
    {"CSEUCKR", exact, 20},
    {"CSISO2022JP", prefix, 15},
    {"CSISO87JISX0208", exact, 5},
    {"CP819", exact, 24},
    {"CSISOLATIN1", exact, 24},
    {"CSISOLATIN2", exact, 25},
    {"CSISOLATIN3", exact, 26},
    {"CSISOLATIN4", exact, 27},
    {"CSISOLATINARABIC", exact, 29},
    {"CSISOLATINGREEK", exact, 30},
    {"CSISOLATINHEBREW", exact, 31},
    {"CYRILLIC", exact, 28},
    {"CSISOLATINCYRILLIC", exact, 28},
    {"CSISOLATIN5", exact, 32},
    {"CSISOLATIN6", exact, 33},
    {"CSISO159JISX02121990", exact, 6},
    {"CSKOI8R", exact, 21},
    {"CSSHIFTJIS", exact, 7},
    {"CSBIG5", exact, 3},
    {"CSPC850MULTILINGUAL", exact, 49},
    {"CSIBM866", exact, 50},
    {"CP1133", exact, 51},
    {"CSEUCPKDFMTJAPANESE", exact, 19},

    {"EUC_JP", exact, 19},
    {"EUC_KR", exact, 20},
    {"EUC_CN", exact, 17},
    {"ECMA_114", exact, 29},
    {"ELOT_928", exact, 30},
    {"ECMA_118", exact, 30},

    {"GB18030", exact, 2},
    {"GB2312", prefix, 2},
    {"GBK", exact, 2},
    {"GREEK", prefix, 30},

    {"HEBREW", exact, 31},

    {"ISO_2022_JP", prefix, 15},
    {"ISO_2022_CN", prefix, 14},
    {"ISO_8859_1", exact, 24},
    {"ISO_8859_1:", prefix, 24},
    {"ISO_8859_2", exact, 25},
    {"ISO_8859_3", prefix, 26},
    {"ISO_8859_4", prefix, 27},
    {"ISO_8859_5", prefix, 28},
    {"ISO_8859_6", prefix, 29},
    {"ISO_8859_7", prefix, 30},
    {"ISO_8859_8", prefix, 31},
    {"ISO_8859_9", prefix, 32},
    {"ISO_8859_10", exact, 33},
    {"ISO_8859_11", exact, 34},
    {"ISO_8859_13", exact, 35},
    {"ISO_8859_14", prefix, 36},
    {"ISO_8859_15", exact, 37},
    {"ISO_8859_16", prefix, 38},
    {"ISO_646.IRV::1991", exact, 24},
    {"ISO646_US", exact, 24},
    {"ISO_IR_6", exact, 24},
    {"IBM367", exact, 24},
    {"ISO_IR_149", exact, 12},
    {"ISO_IR_87", exact, 5},
    {"ISO_IR_100", exact, 24},
    {"IBM819", exact, 24},
    {"ISO_IR_101", exact, 25},
    {"ISO_IR_109", exact, 26},
    {"ISO_IR_110", exact, 27},
    {"ISO_IR_127", exact, 29},
    {"ISO_IR_126", exact, 30},
    {"ISO_IR_138", exact, 31},
    {"ISO_IR_144", exact, 28},
    {"ISO_IR_148", exact, 32},
    {"ISO_IR_157", exact, 33},
    {"ISO_IR_159", exact, 6},
    {"ISO_IR_199", exact, 36},
    {"ISO_CELTIC", exact, 36},
    {"ISO_IR_226", exact, 38},
    {"ISO_2022_KR", prefix, 16},
    {"IBM850", exact, 49},
    {"IBM866", exact, 50},

    {"JIS0208", prefix, 5},
    {"JIS0201", exact, 4},
    {"JIS0212", prefix, 6},
    {"JIS_C6226", prefix, 5},
    {"JIS_X0208", prefix, 5},
    {"JIS_X0212", prefix, 6},

    {"KOI8_R", exact, 21},
    {"KOI8_U", exact, 22},
    {"KOI8_RU", exact, 23},
    {"KSC_5601", prefix, 12},
    {"KSX1001", prefix, 13},
    {"KS_C_5601", prefix, 12},
    {"KOREAN", exact, 12},

    {"LATIN1", exact, 24},
    {"LATIN2", exact, 25},
    {"LATIN3", exact, 26},
    {"LATIN4", exact, 27},
    {"LATIN5", exact, 32},
    {"LATIN6", exact, 33},
    {"LATIN8", exact, 36},
    {"LATIN9", exact, 37},
    {"LATIN10", exact, 38},

    {"MS936", exact, 2},
    {"MS_KANJI", exact, 7},
    {"MACTHAI", exact, 54},
    {"MULELAO_1", exact, 55},

    {"SHIFT_JIS", prefix, 7},

    {"TIS_620", exact, 34},
    {"TCVN", exact, 52},

    {"UTF_16", exact, 9},
    {"UNICODE", exact, 1},
    {"UTF_16BE", exact, 10},
    {"UTF_16LE", exact, 11},
    {"UTF_8", exact, 8},
    {"US_ASCII", exact, 24},
    {"US", exact, 24},

    {"WINDOWS_1250", exact, 40},
    {"WINDOWS_1251", exact, 41},
    {"WINDOWS_1252", exact, 42},
    {"WINDOWS_1253", exact, 43},
    {"WINDOWS_1254", exact, 44},
    {"WINDOWS_1255", exact, 45},
    {"WINDOWS_1256", exact, 46},
    {"WINDOWS_1257", exact, 47},
    {"WINDOWS_1258", exact, 48},
    {"WINDOWS_936", exact, 2},
    {"WINDOWS_874", exact, 39},

    {"X_SJIS", exact, 7},
    {"X_EUC_JP", exact, 19},
    {"X0208", exact, 5},
    {"X0212", exact, 6},
};

static_assert(std::size(aliases) == 149);

struct group_range {
  unsigned char begin = 0, end = 0;
};

// For each letter A..Z, the aliases whose name starts with it.
constexpr std::array<group_range, 26> make_groups() {
  std::array<group_range, 26> groups{};
  for (std::size_t i = 0; i < std::size(aliases); ++i) {
    auto& g = groups[static_cast<std::size_t>(aliases[i].name[0] - 'A')];
    if (g.begin == g.end) g.begin = static_cast<unsigned char>(i);
    g.end = static_cast<unsigned char>(i + 1);
  }
  return groups;
}

constexpr bool grouped_by_letter() {
  for (std::size_t i = 1; i < std::size(aliases); ++i)
    if (aliases[i].name[0] < aliases[i - 1].name[0]) return false;
  return true;
}
static_assert(grouped_by_letter(), "a letter's aliases must stand together");

constexpr std::array<group_range, 26> groups = make_groups();

bool matches(const charset_alias& alias, const char* label, std::size_t length) noexcept {
  std::size_t n = std::strlen(alias.name);
  if (alias.prefix ? length < n : length != n) return false;
  return std::memcmp(label, alias.name, n) == 0;
}

}  // namespace

std::span<const charset_alias> charset_aliases() noexcept { return aliases; }

int lookup_charset(const char* label, std::size_t length) noexcept {
  // The label is compared as NUL-terminated text: a NUL inside ends it.
  if (!label) return ZEL_CHARSET_UNKNOWN;
  if (const void* nul = std::memchr(label, 0, length))
    length = static_cast<std::size_t>(static_cast<const char*>(nul) - label);
  if (length == 0 || label[0] < 'A' || label[0] > 'Z') return ZEL_CHARSET_UNKNOWN;
  const group_range g = groups[static_cast<std::size_t>(label[0] - 'A')];
  for (std::size_t i = g.begin; i < g.end; ++i)
    if (matches(aliases[i], label, length)) return aliases[i].id;
  return ZEL_CHARSET_UNKNOWN;
}

}  // namespace zel

extern "C" ZEL_API int ZEL_CALL zel_code_charset(zel_string* s) noexcept {
  if (!s) return ZEL_CHARSET_UNKNOWN;
  zel_string_prepare(s);
  if (zel_string_is_empty(s)) return ZEL_CHARSET_UNKNOWN;
  zel_string_upper(s);
  zel_string_replace_char(s, '-', '_');
  return zel::lookup_charset(s->data, zel::string_size(s));
}
