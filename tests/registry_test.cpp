// Charset labels to ids.
#include <gtest/gtest.h>

#include <string>

#include "zel_code.h"

namespace {

struct Label {
  const char* label;
  int id;
};

int lookup(const std::string& label, std::string* normalised = nullptr) {
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, label.data(), static_cast<std::int32_t>(label.size()));
  int id = zel_code_charset(&s);
  if (normalised) normalised->assign(s.data, static_cast<std::size_t>(s.length));
  zel_string_free(&s);
  return id;
}

// Every alias, written the way documents and headers spell it (lower case,
// hyphens), typed from the published list rather than from the library.
const Label every_alias[] = {
    {"ansi_x3.4", 24}, {"ascii", 24}, {"arabic", 29}, {"asmo-708", 29}, {"armscii-8", 53},
    {"big5", 3},
    {"cp936", 2}, {"csgb2312", 2}, {"cp874", 39}, {"cp1250", 40}, {"cp1251", 41},
    {"cp1252", 42}, {"cp1253", 43}, {"cp1254", 44}, {"cp1255", 45}, {"cp1256", 46},
    {"cp1257", 47}, {"cp1258", 48}, {"cp367", 24}, {"csascii", 24}, {"csksc56011987", 12},
    {"csiso2022kr", 16}, {"cseuckr", 20}, {"csiso2022jp", 15}, {"csiso87jisx0208", 5},
    {"cp819", 24}, {"csisolatin1", 24}, {"csisolatin2", 25}, {"csisolatin3", 26},
    {"csisolatin4", 27}, {"csisolatinarabic", 29}, {"csisolatingreek", 30},
    {"csisolatinhebrew", 31}, {"cyrillic", 28}, {"csisolatincyrillic", 28},
    {"csisolatin5", 32}, {"csisolatin6", 33}, {"csiso159jisx02121990", 6}, {"cskoi8r", 21},
    {"csshiftjis", 7}, {"csbig5", 3}, {"cspc850multilingual", 49}, {"csibm866", 50},
    {"cp1133", 51}, {"cseucpkdfmtjapanese", 19},
    {"euc-jp", 19}, {"euc-kr", 20}, {"euc-cn", 17}, {"ecma-114", 29}, {"elot_928", 30},
    {"ecma-118", 30},
    {"gb18030", 2}, {"gb2312", 2}, {"gbk", 2}, {"greek", 30},
    {"hebrew", 31},
    {"iso-2022-jp", 15}, {"iso-2022-cn", 14}, {"iso-8859-1", 24}, {"iso_8859-1:", 24},
    {"iso-8859-2", 25}, {"iso-8859-3", 26}, {"iso-8859-4", 27}, {"iso-8859-5", 28},
    {"iso-8859-6", 29}, {"iso-8859-7", 30}, {"iso-8859-8", 31}, {"iso-8859-9", 32},
    {"iso-8859-10", 33}, {"iso-8859-11", 34}, {"iso-8859-13", 35}, {"iso-8859-14", 36},
    {"iso-8859-15", 37}, {"iso-8859-16", 38}, {"iso_646.irv::1991", 24}, {"iso646-us", 24},
    {"iso-ir-6", 24}, {"ibm367", 24}, {"iso-ir-149", 12}, {"iso-ir-87", 5},
    {"iso-ir-100", 24}, {"ibm819", 24}, {"iso-ir-101", 25}, {"iso-ir-109", 26},
    {"iso-ir-110", 27}, {"iso-ir-127", 29}, {"iso-ir-126", 30}, {"iso-ir-138", 31},
    {"iso-ir-144", 28}, {"iso-ir-148", 32}, {"iso-ir-157", 33}, {"iso-ir-159", 6},
    {"iso-ir-199", 36}, {"iso-celtic", 36}, {"iso-ir-226", 38}, {"iso-2022-kr", 16},
    {"ibm850", 49}, {"ibm866", 50},
    {"jis0208", 5}, {"jis0201", 4}, {"jis0212", 6}, {"jis_c6226", 5}, {"jis_x0208", 5},
    {"jis_x0212", 6},
    {"koi8-r", 21}, {"koi8-u", 22}, {"koi8-ru", 23}, {"ksc_5601", 12}, {"ksx1001", 13},
    {"ks_c_5601", 12}, {"korean", 12},
    {"latin1", 24}, {"latin2", 25}, {"latin3", 26}, {"latin4", 27}, {"latin5", 32},
    {"latin6", 33}, {"latin8", 36}, {"latin9", 37}, {"latin10", 38},
    {"ms936", 2}, {"ms_kanji", 7}, {"macthai", 54}, {"mulelao-1", 55},
    {"shift_jis", 7},
    {"tis-620", 34}, {"tcvn", 52},
    {"utf-16", 9}, {"unicode", 1}, {"utf-16be", 10}, {"utf-16le", 11}, {"utf-8", 8},
    {"us-ascii", 24}, {"us", 24},
    {"windows-1250", 40}, {"windows-1251", 41}, {"windows-1252", 42}, {"windows-1253", 43},
    {"windows-1254", 44}, {"windows-1255", 45}, {"windows-1256", 46}, {"windows-1257", 47},
    {"windows-1258", 48}, {"windows-936", 2}, {"windows-874", 39},
    {"x-sjis", 7}, {"x-euc-jp", 19}, {"x0208", 5}, {"x0212", 6},
};

TEST(CharsetRegistry, EveryAliasGivesItsId) {
  EXPECT_EQ(std::size(every_alias), 149u);
  for (const Label& l : every_alias) EXPECT_EQ(lookup(l.label), l.id) << l.label;
}

// Exact against prefix entries, and the order in which a group is tested.
const Label matching_rules[] = {
    {"Shift_JIS", 7}, {"x-sjis", 7}, {"MS_Kanji", 7}, {"SJIS", 0},
    {"ISO_8859-1:1987", 24}, {"ISO-8859-1X", 0},
    {"ISO-8859-3:1988", 26}, {"ISO-8859-2:1987", 0}, {"ISO-8859-15:1998", 0},
    {"ISO-8859-14:1998", 36}, {"ISO-8859-16:2001", 38},
    {"ISO-8859-10", 33}, {"ISO-8859-9X", 32}, {"ISO-8859-10X", 0},
    {"big5-hkscs", 3}, {"GB2312-80", 2}, {"GREEK8", 30}, {"ks_c_5601-1987", 12},
    {"KSC5601", 0}, {"ISO-2022-JP-2", 15}, {"csISO2022JP2", 15}, {"ANSI_X3.4-1968", 24},
    {"ISO_646.IRV:1991", 0}, {"UTF8", 0}, {"UCS-2", 0}, {"EUC-TW", 0},
    {"UTF-16", 9}, {"UTF-16BE", 10}, {"UTF-16LE", 11}, {"Unicode", 1},
    {"windows-1257", 47}, {"CP1257", 47}, {"windows-1258", 48}, {"CP1258", 48},
    {"US", 24}, {"USA", 0}, {"GBK2", 0}, {"GB18030-2005", 0},
    {"ISO-2022-KR-X", 16}, {"JIS0201X", 0}, {"JIS0208-1983", 5},
};

// Labels whose first byte selects no group.
const Label no_group[] = {
    {"DEC-MCS", 0}, {"8859-1", 0}, {"_UTF-8", 0}, {"\xC3\xA9UC-JP", 0}, {" utf-8", 0},
    {"Zh", 0}, {"-", 0},
};

TEST(CharsetRegistry, MatchesExactlyOrByPrefixInOrder) {
  for (const Label& l : matching_rules) EXPECT_EQ(lookup(l.label), l.id) << l.label;
  for (const Label& l : no_group) EXPECT_EQ(lookup(l.label), l.id) << l.label;
}

TEST(CharsetRegistry, LeavesTheLabelNormalised) {
  const std::pair<const char*, const char*> cases[] = {
      {"utf-8", "UTF_8"}, {"x-euc-jp", "X_EUC_JP"}, {"ru-\xC3\xA9", "RU_\xC3\xA9"},
      {"no-such-thing", "NO_SUCH_THING"}, {"8-bit", "8_BIT"},
  };
  for (auto [label, normalised] : cases) {
    std::string after;
    lookup(label, &after);
    EXPECT_EQ(after, normalised) << label;
  }
  std::string after = "untouched";
  EXPECT_EQ(lookup("", &after), 0);
  EXPECT_EQ(after, "");
}

TEST(CharsetRegistry, ANulByteEndsTheLabel) {
  EXPECT_EQ(lookup(std::string("utf-8\0junk", 10)), 8);
  EXPECT_EQ(lookup(std::string("us\0-ascii", 9)), 24);
  EXPECT_EQ(lookup(std::string("\0utf-8", 6)), 0);
}

TEST(CharsetRegistry, NegativeLengthIsEmpty) {
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, "utf-8", 5);
  s.length = -1;
  EXPECT_EQ(zel_code_charset(&s), 0);
  zel_string_free(&s);
}

}  // namespace
