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
    {"ANSI_X3.4", prefix, ZEL_CHARSET_ISO_8859_1},
    {"ASCII", exact, ZEL_CHARSET_ISO_8859_1},
    {"ARABIC", exact, ZEL_CHARSET_ISO_8859_6},
    {"ASMO_708", exact, ZEL_CHARSET_ISO_8859_6},
    {"ARMSCII_8", exact, ZEL_CHARSET_ARMSCII_8},

    {"BIG5", prefix, ZEL_CHARSET_BIG5},

    {"CP936", exact, ZEL_CHARSET_GB18030},
    {"CSGB2312", exact, ZEL_CHARSET_GB18030},
    {"CP874", exact, ZEL_CHARSET_CP874},
    {"CP1250", exact, ZEL_CHARSET_CP1250},
    {"CP1251", exact, ZEL_CHARSET_CP1251},
    {"CP1252", exact, ZEL_CHARSET_CP1252},
    {"CP1253", exact, ZEL_CHARSET_CP1253},
    {"CP1254", exact, ZEL_CHARSET_CP1254},
    {"CP1255", exact, ZEL_CHARSET_CP1255},
    {"CP1256", exact, ZEL_CHARSET_CP1256},
    {"CP1257", exact, ZEL_CHARSET_CP1257},
    {"CP1258", exact, ZEL_CHARSET_CP1258},
    {"CP367", exact, ZEL_CHARSET_ISO_8859_1},
    {"CSASCII", exact, ZEL_CHARSET_ISO_8859_1},
    {"CSKSC56011987", exact, ZEL_CHARSET_KS_C_5601},
    {"CSISO2022KR", exact, ZEL_CHARSET_ISO_2022_KR},
    {"CSEUCKR", exact, ZEL_CHARSET_EUC_KR},
    {"CSISO2022JP", prefix, ZEL_CHARSET_ISO_2022_JP},
    {"CSISO87JISX0208", exact, ZEL_CHARSET_JIS_X0208},
    {"CP819", exact, ZEL_CHARSET_ISO_8859_1},
    {"CSISOLATIN1", exact, ZEL_CHARSET_ISO_8859_1},
    {"CSISOLATIN2", exact, ZEL_CHARSET_ISO_8859_2},
    {"CSISOLATIN3", exact, ZEL_CHARSET_ISO_8859_3},
    {"CSISOLATIN4", exact, ZEL_CHARSET_ISO_8859_4},
    {"CSISOLATINARABIC", exact, ZEL_CHARSET_ISO_8859_6},
    {"CSISOLATINGREEK", exact, ZEL_CHARSET_ISO_8859_7},
    {"CSISOLATINHEBREW", exact, ZEL_CHARSET_ISO_8859_8},
    {"CYRILLIC", exact, ZEL_CHARSET_ISO_8859_5},
    {"CSISOLATINCYRILLIC", exact, ZEL_CHARSET_ISO_8859_5},
    {"CSISOLATIN5", exact, ZEL_CHARSET_ISO_8859_9},
    {"CSISOLATIN6", exact, ZEL_CHARSET_ISO_8859_10},
    {"CSISO159JISX02121990", exact, ZEL_CHARSET_JIS_X0212},
    {"CSKOI8R", exact, ZEL_CHARSET_KOI8_R},
    {"CSSHIFTJIS", exact, ZEL_CHARSET_SHIFT_JIS},
    {"CSBIG5", exact, ZEL_CHARSET_BIG5},
    {"CSPC850MULTILINGUAL", exact, ZEL_CHARSET_CP850},
    {"CSIBM866", exact, ZEL_CHARSET_CP866},
    {"CP1133", exact, ZEL_CHARSET_CP1133},
    {"CSEUCPKDFMTJAPANESE", exact, ZEL_CHARSET_EUC_JP},

    {"EUC_JP", exact, ZEL_CHARSET_EUC_JP},
    {"EUC_KR", exact, ZEL_CHARSET_EUC_KR},
    {"EUC_CN", exact, ZEL_CHARSET_EUC_CN},
    {"ECMA_114", exact, ZEL_CHARSET_ISO_8859_6},
    {"ELOT_928", exact, ZEL_CHARSET_ISO_8859_7},
    {"ECMA_118", exact, ZEL_CHARSET_ISO_8859_7},

    {"GB18030", exact, ZEL_CHARSET_GB18030},
    {"GB2312", prefix, ZEL_CHARSET_GB18030},
    {"GBK", exact, ZEL_CHARSET_GB18030},
    {"GREEK", prefix, ZEL_CHARSET_ISO_8859_7},

    {"HEBREW", exact, ZEL_CHARSET_ISO_8859_8},

    {"ISO_2022_JP", prefix, ZEL_CHARSET_ISO_2022_JP},
    {"ISO_2022_CN", prefix, ZEL_CHARSET_ISO_2022_CN},
    {"ISO_8859_1", exact, ZEL_CHARSET_ISO_8859_1},
    {"ISO_8859_1:", prefix, ZEL_CHARSET_ISO_8859_1},
    {"ISO_8859_2", exact, ZEL_CHARSET_ISO_8859_2},
    {"ISO_8859_3", prefix, ZEL_CHARSET_ISO_8859_3},
    {"ISO_8859_4", prefix, ZEL_CHARSET_ISO_8859_4},
    {"ISO_8859_5", prefix, ZEL_CHARSET_ISO_8859_5},
    {"ISO_8859_6", prefix, ZEL_CHARSET_ISO_8859_6},
    {"ISO_8859_7", prefix, ZEL_CHARSET_ISO_8859_7},
    {"ISO_8859_8", prefix, ZEL_CHARSET_ISO_8859_8},
    {"ISO_8859_9", prefix, ZEL_CHARSET_ISO_8859_9},
    {"ISO_8859_10", exact, ZEL_CHARSET_ISO_8859_10},
    {"ISO_8859_11", exact, ZEL_CHARSET_ISO_8859_11},
    {"ISO_8859_13", exact, ZEL_CHARSET_ISO_8859_13},
    {"ISO_8859_14", prefix, ZEL_CHARSET_ISO_8859_14},
    {"ISO_8859_15", exact, ZEL_CHARSET_ISO_8859_15},
    {"ISO_8859_16", prefix, ZEL_CHARSET_ISO_8859_16},
    {"ISO_646.IRV::1991", exact, ZEL_CHARSET_ISO_8859_1},
    {"ISO646_US", exact, ZEL_CHARSET_ISO_8859_1},
    {"ISO_IR_6", exact, ZEL_CHARSET_ISO_8859_1},
    {"IBM367", exact, ZEL_CHARSET_ISO_8859_1},
    {"ISO_IR_149", exact, ZEL_CHARSET_KS_C_5601},
    {"ISO_IR_87", exact, ZEL_CHARSET_JIS_X0208},
    {"ISO_IR_100", exact, ZEL_CHARSET_ISO_8859_1},
    {"IBM819", exact, ZEL_CHARSET_ISO_8859_1},
    {"ISO_IR_101", exact, ZEL_CHARSET_ISO_8859_2},
    {"ISO_IR_109", exact, ZEL_CHARSET_ISO_8859_3},
    {"ISO_IR_110", exact, ZEL_CHARSET_ISO_8859_4},
    {"ISO_IR_127", exact, ZEL_CHARSET_ISO_8859_6},
    {"ISO_IR_126", exact, ZEL_CHARSET_ISO_8859_7},
    {"ISO_IR_138", exact, ZEL_CHARSET_ISO_8859_8},
    {"ISO_IR_144", exact, ZEL_CHARSET_ISO_8859_5},
    {"ISO_IR_148", exact, ZEL_CHARSET_ISO_8859_9},
    {"ISO_IR_157", exact, ZEL_CHARSET_ISO_8859_10},
    {"ISO_IR_159", exact, ZEL_CHARSET_JIS_X0212},
    {"ISO_IR_199", exact, ZEL_CHARSET_ISO_8859_14},
    {"ISO_CELTIC", exact, ZEL_CHARSET_ISO_8859_14},
    {"ISO_IR_226", exact, ZEL_CHARSET_ISO_8859_16},
    {"ISO_2022_KR", prefix, ZEL_CHARSET_ISO_2022_KR},
    {"IBM850", exact, ZEL_CHARSET_CP850},
    {"IBM866", exact, ZEL_CHARSET_CP866},

    {"JIS0208", prefix, ZEL_CHARSET_JIS_X0208},
    {"JIS0201", exact, ZEL_CHARSET_JIS_X0201},
    {"JIS0212", prefix, ZEL_CHARSET_JIS_X0212},
    {"JIS_C6226", prefix, ZEL_CHARSET_JIS_X0208},
    {"JIS_X0208", prefix, ZEL_CHARSET_JIS_X0208},
    {"JIS_X0212", prefix, ZEL_CHARSET_JIS_X0212},

    {"KOI8_R", exact, ZEL_CHARSET_KOI8_R},
    {"KOI8_U", exact, ZEL_CHARSET_KOI8_U},
    {"KOI8_RU", exact, ZEL_CHARSET_KOI8_RU},
    {"KSC_5601", prefix, ZEL_CHARSET_KS_C_5601},
    {"KSX1001", prefix, ZEL_CHARSET_KS_X_1001},
    {"KS_C_5601", prefix, ZEL_CHARSET_KS_C_5601},
    {"KOREAN", exact, ZEL_CHARSET_KS_C_5601},

    {"LATIN1", exact, ZEL_CHARSET_ISO_8859_1},
    {"LATIN2", exact, ZEL_CHARSET_ISO_8859_2},
    {"LATIN3", exact, ZEL_CHARSET_ISO_8859_3},
    {"LATIN4", exact, ZEL_CHARSET_ISO_8859_4},
    {"LATIN5", exact, ZEL_CHARSET_ISO_8859_9},
    {"LATIN6", exact, ZEL_CHARSET_ISO_8859_10},
    {"LATIN8", exact, ZEL_CHARSET_ISO_8859_14},
    {"LATIN9", exact, ZEL_CHARSET_ISO_8859_15},
    {"LATIN10", exact, ZEL_CHARSET_ISO_8859_16},

    {"MS936", exact, ZEL_CHARSET_GB18030},
    {"MS_KANJI", exact, ZEL_CHARSET_SHIFT_JIS},
    {"MACTHAI", exact, ZEL_CHARSET_MACTHAI},
    {"MULELAO_1", exact, ZEL_CHARSET_MULELAO_1},

    {"SHIFT_JIS", prefix, ZEL_CHARSET_SHIFT_JIS},

    {"TIS_620", exact, ZEL_CHARSET_ISO_8859_11},
    {"TCVN", exact, ZEL_CHARSET_TCVN},

    {"UTF_16", exact, ZEL_CHARSET_UTF16},
    {"UNICODE", exact, ZEL_CHARSET_UCS2LE},
    {"UTF_16BE", exact, ZEL_CHARSET_UTF16BE},
    {"UTF_16LE", exact, ZEL_CHARSET_UTF16LE},
    {"UTF_8", exact, ZEL_CHARSET_UTF8},
    {"US_ASCII", exact, ZEL_CHARSET_ISO_8859_1},
    {"US", exact, ZEL_CHARSET_ISO_8859_1},

    {"WINDOWS_1250", exact, ZEL_CHARSET_CP1250},
    {"WINDOWS_1251", exact, ZEL_CHARSET_CP1251},
    {"WINDOWS_1252", exact, ZEL_CHARSET_CP1252},
    {"WINDOWS_1253", exact, ZEL_CHARSET_CP1253},
    {"WINDOWS_1254", exact, ZEL_CHARSET_CP1254},
    {"WINDOWS_1255", exact, ZEL_CHARSET_CP1255},
    {"WINDOWS_1256", exact, ZEL_CHARSET_CP1256},
    {"WINDOWS_1257", exact, ZEL_CHARSET_CP1257},
    {"WINDOWS_1258", exact, ZEL_CHARSET_CP1258},
    {"WINDOWS_936", exact, ZEL_CHARSET_GB18030},
    {"WINDOWS_874", exact, ZEL_CHARSET_CP874},

    {"X_SJIS", exact, ZEL_CHARSET_SHIFT_JIS},
    {"X_EUC_JP", exact, ZEL_CHARSET_EUC_JP},
    {"X0208", exact, ZEL_CHARSET_JIS_X0208},
    {"X0212", exact, ZEL_CHARSET_JIS_X0212},
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

extern "C" ZEL_API int ZEL_CALL zel_code_label(int index, zel_slice* label, int* prefix) noexcept {
  const auto aliases = zel::charset_aliases();
  const bool inside = index >= 0 && static_cast<std::size_t>(index) < aliases.size();
  const zel::charset_alias* a = inside ? &aliases[static_cast<std::size_t>(index)] : nullptr;
  if (label) {
    label->data = a ? a->name : "";
    label->length = a ? static_cast<std::int32_t>(std::strlen(a->name)) : 0;
  }
  if (prefix) *prefix = a && a->prefix ? 1 : 0;
  return a ? a->id : ZEL_CHARSET_UNKNOWN;
}

extern "C" ZEL_API int ZEL_CALL zel_code_charset(zel_string* s) noexcept {
  if (!s) return ZEL_CHARSET_UNKNOWN;
  zel_string_prepare(s);
  if (zel_string_is_empty(s)) return ZEL_CHARSET_UNKNOWN;
  zel_string_upper(s);
  zel_string_replace_char(s, '-', '_');
  return zel::lookup_charset(s->data, zel::string_size(s));
}
