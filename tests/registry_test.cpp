// Charset labels to ids: the older registry (zel_code_charset) and the
// general lookup (zel_charset_lookup) over the charset descriptions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "src/core/charsets.h"
#include "tests/support/conversion.h"
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
// clang-format off
const Label every_alias[] = {
    {"ansi_x3.4", ZEL_CHARSET_ISO_8859_1}, {"ascii", ZEL_CHARSET_ISO_8859_1},
    {"arabic", ZEL_CHARSET_ISO_8859_6}, {"asmo-708", ZEL_CHARSET_ISO_8859_6},
    {"armscii-8", ZEL_CHARSET_ARMSCII_8},
    {"big5", ZEL_CHARSET_BIG5},
    {"cp936", ZEL_CHARSET_GB18030}, {"csgb2312", ZEL_CHARSET_GB18030}, {"cp874", ZEL_CHARSET_CP874},
    {"cp1250", ZEL_CHARSET_CP1250}, {"cp1251", ZEL_CHARSET_CP1251},
    {"cp1252", ZEL_CHARSET_CP1252}, {"cp1253", ZEL_CHARSET_CP1253}, {"cp1254", ZEL_CHARSET_CP1254},
    {"cp1255", ZEL_CHARSET_CP1255}, {"cp1256", ZEL_CHARSET_CP1256},
    {"cp1257", ZEL_CHARSET_CP1257}, {"cp1258", ZEL_CHARSET_CP1258},
    {"cp367", ZEL_CHARSET_ISO_8859_1}, {"csascii", ZEL_CHARSET_ISO_8859_1},
    {"csksc56011987", ZEL_CHARSET_KS_C_5601},
    {"csiso2022kr", ZEL_CHARSET_ISO_2022_KR}, {"cseuckr", ZEL_CHARSET_EUC_KR},
    {"csiso2022jp", ZEL_CHARSET_ISO_2022_JP}, {"csiso87jisx0208", ZEL_CHARSET_JIS_X0208},
    {"cp819", ZEL_CHARSET_ISO_8859_1}, {"csisolatin1", ZEL_CHARSET_ISO_8859_1},
    {"csisolatin2", ZEL_CHARSET_ISO_8859_2}, {"csisolatin3", ZEL_CHARSET_ISO_8859_3},
    {"csisolatin4", ZEL_CHARSET_ISO_8859_4}, {"csisolatinarabic", ZEL_CHARSET_ISO_8859_6},
    {"csisolatingreek", ZEL_CHARSET_ISO_8859_7},
    {"csisolatinhebrew", ZEL_CHARSET_ISO_8859_8}, {"cyrillic", ZEL_CHARSET_ISO_8859_5},
    {"csisolatincyrillic", ZEL_CHARSET_ISO_8859_5},
    {"csisolatin5", ZEL_CHARSET_ISO_8859_9}, {"csisolatin6", ZEL_CHARSET_ISO_8859_10},
    {"csiso159jisx02121990", ZEL_CHARSET_JIS_X0212}, {"cskoi8r", ZEL_CHARSET_KOI8_R},
    {"csshiftjis", ZEL_CHARSET_SHIFT_JIS}, {"csbig5", ZEL_CHARSET_BIG5},
    {"cspc850multilingual", ZEL_CHARSET_CP850}, {"csibm866", ZEL_CHARSET_CP866},
    {"cp1133", ZEL_CHARSET_CP1133}, {"cseucpkdfmtjapanese", ZEL_CHARSET_EUC_JP},
    {"euc-jp", ZEL_CHARSET_EUC_JP}, {"euc-kr", ZEL_CHARSET_EUC_KR}, {"euc-cn", ZEL_CHARSET_EUC_CN},
    {"ecma-114", ZEL_CHARSET_ISO_8859_6}, {"elot_928", ZEL_CHARSET_ISO_8859_7},
    {"ecma-118", ZEL_CHARSET_ISO_8859_7},
    {"gb18030", ZEL_CHARSET_GB18030}, {"gb2312", ZEL_CHARSET_GB18030}, {"gbk", ZEL_CHARSET_GB18030},
    {"greek", ZEL_CHARSET_ISO_8859_7},
    {"hebrew", ZEL_CHARSET_ISO_8859_8},
    {"iso-2022-jp", ZEL_CHARSET_ISO_2022_JP}, {"iso-2022-cn", ZEL_CHARSET_ISO_2022_CN},
    {"iso-8859-1", ZEL_CHARSET_ISO_8859_1}, {"iso_8859-1:", ZEL_CHARSET_ISO_8859_1},
    {"iso-8859-2", ZEL_CHARSET_ISO_8859_2}, {"iso-8859-3", ZEL_CHARSET_ISO_8859_3},
    {"iso-8859-4", ZEL_CHARSET_ISO_8859_4}, {"iso-8859-5", ZEL_CHARSET_ISO_8859_5},
    {"iso-8859-6", ZEL_CHARSET_ISO_8859_6}, {"iso-8859-7", ZEL_CHARSET_ISO_8859_7},
    {"iso-8859-8", ZEL_CHARSET_ISO_8859_8}, {"iso-8859-9", ZEL_CHARSET_ISO_8859_9},
    {"iso-8859-10", ZEL_CHARSET_ISO_8859_10}, {"iso-8859-11", ZEL_CHARSET_ISO_8859_11},
    {"iso-8859-13", ZEL_CHARSET_ISO_8859_13}, {"iso-8859-14", ZEL_CHARSET_ISO_8859_14},
    {"iso-8859-15", ZEL_CHARSET_ISO_8859_15}, {"iso-8859-16", ZEL_CHARSET_ISO_8859_16},
    {"iso_646.irv::1991", ZEL_CHARSET_ISO_8859_1}, {"iso646-us", ZEL_CHARSET_ISO_8859_1},
    {"iso-ir-6", ZEL_CHARSET_ISO_8859_1}, {"ibm367", ZEL_CHARSET_ISO_8859_1},
    {"iso-ir-149", ZEL_CHARSET_KS_C_5601}, {"iso-ir-87", ZEL_CHARSET_JIS_X0208},
    {"iso-ir-100", ZEL_CHARSET_ISO_8859_1}, {"ibm819", ZEL_CHARSET_ISO_8859_1},
    {"iso-ir-101", ZEL_CHARSET_ISO_8859_2}, {"iso-ir-109", ZEL_CHARSET_ISO_8859_3},
    {"iso-ir-110", ZEL_CHARSET_ISO_8859_4}, {"iso-ir-127", ZEL_CHARSET_ISO_8859_6},
    {"iso-ir-126", ZEL_CHARSET_ISO_8859_7}, {"iso-ir-138", ZEL_CHARSET_ISO_8859_8},
    {"iso-ir-144", ZEL_CHARSET_ISO_8859_5}, {"iso-ir-148", ZEL_CHARSET_ISO_8859_9},
    {"iso-ir-157", ZEL_CHARSET_ISO_8859_10}, {"iso-ir-159", ZEL_CHARSET_JIS_X0212},
    {"iso-ir-199", ZEL_CHARSET_ISO_8859_14}, {"iso-celtic", ZEL_CHARSET_ISO_8859_14},
    {"iso-ir-226", ZEL_CHARSET_ISO_8859_16}, {"iso-2022-kr", ZEL_CHARSET_ISO_2022_KR},
    {"ibm850", ZEL_CHARSET_CP850}, {"ibm866", ZEL_CHARSET_CP866},
    {"jis0208", ZEL_CHARSET_JIS_X0208}, {"jis0201", ZEL_CHARSET_JIS_X0201},
    {"jis0212", ZEL_CHARSET_JIS_X0212}, {"jis_c6226", ZEL_CHARSET_JIS_X0208},
    {"jis_x0208", ZEL_CHARSET_JIS_X0208},
    {"jis_x0212", ZEL_CHARSET_JIS_X0212},
    {"koi8-r", ZEL_CHARSET_KOI8_R}, {"koi8-u", ZEL_CHARSET_KOI8_U},
    {"koi8-ru", ZEL_CHARSET_KOI8_RU}, {"ksc_5601", ZEL_CHARSET_KS_C_5601},
    {"ksx1001", ZEL_CHARSET_KS_X_1001},
    {"ks_c_5601", ZEL_CHARSET_KS_C_5601}, {"korean", ZEL_CHARSET_KS_C_5601},
    {"latin1", ZEL_CHARSET_ISO_8859_1}, {"latin2", ZEL_CHARSET_ISO_8859_2},
    {"latin3", ZEL_CHARSET_ISO_8859_3}, {"latin4", ZEL_CHARSET_ISO_8859_4},
    {"latin5", ZEL_CHARSET_ISO_8859_9},
    {"latin6", ZEL_CHARSET_ISO_8859_10}, {"latin8", ZEL_CHARSET_ISO_8859_14},
    {"latin9", ZEL_CHARSET_ISO_8859_15}, {"latin10", ZEL_CHARSET_ISO_8859_16},
    {"ms936", ZEL_CHARSET_GB18030}, {"ms_kanji", ZEL_CHARSET_SHIFT_JIS},
    {"macthai", ZEL_CHARSET_MACTHAI}, {"mulelao-1", ZEL_CHARSET_MULELAO_1},
    {"shift_jis", ZEL_CHARSET_SHIFT_JIS},
    {"tis-620", ZEL_CHARSET_ISO_8859_11}, {"tcvn", ZEL_CHARSET_TCVN},
    {"utf-16", ZEL_CHARSET_UTF16}, {"unicode", ZEL_CHARSET_UCS2LE},
    {"utf-16be", ZEL_CHARSET_UTF16BE}, {"utf-16le", ZEL_CHARSET_UTF16LE},
    {"utf-8", ZEL_CHARSET_UTF8},
    {"us-ascii", ZEL_CHARSET_ISO_8859_1}, {"us", ZEL_CHARSET_ISO_8859_1},
    {"windows-1250", ZEL_CHARSET_CP1250}, {"windows-1251", ZEL_CHARSET_CP1251},
    {"windows-1252", ZEL_CHARSET_CP1252}, {"windows-1253", ZEL_CHARSET_CP1253},
    {"windows-1254", ZEL_CHARSET_CP1254}, {"windows-1255", ZEL_CHARSET_CP1255},
    {"windows-1256", ZEL_CHARSET_CP1256}, {"windows-1257", ZEL_CHARSET_CP1257},
    {"windows-1258", ZEL_CHARSET_CP1258}, {"windows-936", ZEL_CHARSET_GB18030},
    {"windows-874", ZEL_CHARSET_CP874},
    {"x-sjis", ZEL_CHARSET_SHIFT_JIS}, {"x-euc-jp", ZEL_CHARSET_EUC_JP},
    {"x0208", ZEL_CHARSET_JIS_X0208}, {"x0212", ZEL_CHARSET_JIS_X0212},
};
// clang-format on

TEST(CharsetRegistry, EveryAliasGivesItsId) {
  EXPECT_EQ(std::size(every_alias), 149u);
  for (const Label& l : every_alias) EXPECT_EQ(lookup(l.label), l.id) << l.label;
}

// zel_code_label lists the registry: as many labels as above, each one
// found again by its own name.
TEST(CharsetRegistry, LabelsListTheRegistry) {
  zel_slice label;
  int prefix = 0, count = 0, found = 0;
  for (int id; (id = zel_code_label(count, &label, &prefix)) != 0; ++count)
    found += lookup(std::string(label.data, static_cast<std::size_t>(label.length))) == id;
  EXPECT_EQ(count, 149);
  EXPECT_EQ(found, count);
  EXPECT_EQ(zel_code_label(-1, &label, nullptr), 0);
  EXPECT_EQ(label.length, 0);
}

// Exact against prefix entries, and the order in which a group is tested.
const Label matching_rules[] = {
    {"Shift_JIS", ZEL_CHARSET_SHIFT_JIS},
    {"x-sjis", ZEL_CHARSET_SHIFT_JIS},
    {"MS_Kanji", ZEL_CHARSET_SHIFT_JIS},
    {"SJIS", ZEL_CHARSET_UNKNOWN},
    {"ISO_8859-1:1987", ZEL_CHARSET_ISO_8859_1},
    {"ISO-8859-1X", ZEL_CHARSET_UNKNOWN},
    {"ISO-8859-3:1988", ZEL_CHARSET_ISO_8859_3},
    {"ISO-8859-2:1987", ZEL_CHARSET_UNKNOWN},
    {"ISO-8859-15:1998", ZEL_CHARSET_UNKNOWN},
    {"ISO-8859-14:1998", ZEL_CHARSET_ISO_8859_14},
    {"ISO-8859-16:2001", ZEL_CHARSET_ISO_8859_16},
    {"ISO-8859-10", ZEL_CHARSET_ISO_8859_10},
    {"ISO-8859-9X", ZEL_CHARSET_ISO_8859_9},
    {"ISO-8859-10X", ZEL_CHARSET_UNKNOWN},
    {"big5-hkscs", ZEL_CHARSET_BIG5},
    {"GB2312-80", ZEL_CHARSET_GB18030},
    {"GREEK8", ZEL_CHARSET_ISO_8859_7},
    {"ks_c_5601-1987", ZEL_CHARSET_KS_C_5601},
    {"KSC5601", ZEL_CHARSET_UNKNOWN},
    {"ISO-2022-JP-2", ZEL_CHARSET_ISO_2022_JP},
    {"csISO2022JP2", ZEL_CHARSET_ISO_2022_JP},
    {"ANSI_X3.4-1968", ZEL_CHARSET_ISO_8859_1},
    {"ISO_646.IRV:1991", ZEL_CHARSET_UNKNOWN},
    {"UTF8", ZEL_CHARSET_UNKNOWN},
    {"UCS-2", ZEL_CHARSET_UNKNOWN},
    {"EUC-TW", ZEL_CHARSET_UNKNOWN},
    {"UTF-16", ZEL_CHARSET_UTF16},
    {"UTF-16BE", ZEL_CHARSET_UTF16BE},
    {"UTF-16LE", ZEL_CHARSET_UTF16LE},
    {"Unicode", ZEL_CHARSET_UCS2LE},
    {"windows-1257", ZEL_CHARSET_CP1257},
    {"CP1257", ZEL_CHARSET_CP1257},
    {"windows-1258", ZEL_CHARSET_CP1258},
    {"CP1258", ZEL_CHARSET_CP1258},
    {"US", ZEL_CHARSET_ISO_8859_1},
    {"USA", ZEL_CHARSET_UNKNOWN},
    {"GBK2", ZEL_CHARSET_UNKNOWN},
    {"GB18030-2005", ZEL_CHARSET_UNKNOWN},
    {"ISO-2022-KR-X", ZEL_CHARSET_ISO_2022_KR},
    {"JIS0201X", ZEL_CHARSET_UNKNOWN},
    {"JIS0208-1983", ZEL_CHARSET_JIS_X0208},
};

// Labels whose first byte selects no group.
const Label no_group[] = {
    {"DEC-MCS", ZEL_CHARSET_UNKNOWN}, {"8859-1", ZEL_CHARSET_UNKNOWN},
    {"_UTF-8", ZEL_CHARSET_UNKNOWN},  {"\xC3\xA9UC-JP", ZEL_CHARSET_UNKNOWN},
    {" utf-8", ZEL_CHARSET_UNKNOWN},  {"Zh", ZEL_CHARSET_UNKNOWN},
    {"-", ZEL_CHARSET_UNKNOWN},
};

TEST(CharsetRegistry, MatchesExactlyOrByPrefixInOrder) {
  for (const Label& l : matching_rules) EXPECT_EQ(lookup(l.label), l.id) << l.label;
  for (const Label& l : no_group) EXPECT_EQ(lookup(l.label), l.id) << l.label;
}

TEST(CharsetRegistry, LeavesTheLabelNormalised) {
  const std::pair<const char*, const char*> cases[] = {
      {"utf-8", "UTF_8"},
      {"x-euc-jp", "X_EUC_JP"},
      {"ru-\xC3\xA9", "RU_\xC3\xA9"},
      {"no-such-thing", "NO_SUCH_THING"},
      {"8-bit", "8_BIT"},
  };
  for (auto [label, normalised] : cases) {
    std::string after;
    lookup(label, &after);
    EXPECT_EQ(after, normalised) << label;
  }
  std::string after = "untouched";
  EXPECT_EQ(lookup("", &after), ZEL_CHARSET_UNKNOWN);
  EXPECT_EQ(after, "");
}

TEST(CharsetRegistry, ANulByteEndsTheLabel) {
  EXPECT_EQ(lookup(std::string("utf-8\0junk", 10)), ZEL_CHARSET_UTF8);
  EXPECT_EQ(lookup(std::string("us\0-ascii", 9)), ZEL_CHARSET_ISO_8859_1);
  EXPECT_EQ(lookup(std::string("\0utf-8", 6)), ZEL_CHARSET_UNKNOWN);
}

TEST(CharsetRegistry, NegativeLengthIsEmpty) {
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, "utf-8", 5);
  s.length = -1;
  EXPECT_EQ(zel_code_charset(&s), ZEL_CHARSET_UNKNOWN);
  zel_string_free(&s);
}

// The general lookup: a sample of the WHATWG Encoding Standard's labels
// (those meaning another charset there, where this library's meaning
// stands, marked), names users and tools type, folding, refusals.
// clang-format off
const Label general_labels[] = {
    {"unicode-1-1-utf-8", ZEL_CHARSET_UTF8}, {"866", ZEL_CHARSET_CP866}, {"l2", ZEL_CHARSET_ISO_8859_2},
    {"iso_8859-3:1988", ZEL_CHARSET_ISO_8859_3}, {"csiso88596i", ZEL_CHARSET_ISO_8859_6},
    {"sun_eu_greek", ZEL_CHARSET_ISO_8859_7}, {"logical", ZEL_CHARSET_ISO_8859_8},
    {"iso885910", ZEL_CHARSET_ISO_8859_10}, {"csisolatin9", ZEL_CHARSET_ISO_8859_15},
    {"koi", ZEL_CHARSET_KOI8_R}, {"dos-874", ZEL_CHARSET_CP874}, {"x-cp1253", ZEL_CHARSET_CP1253},
    {"chinese", ZEL_CHARSET_GB18030}, {"iso-ir-58", ZEL_CHARSET_GB18030},
    {"x-x-big5", ZEL_CHARSET_BIG5}, {"ms932", ZEL_CHARSET_CP932},
    {"windows-949", ZEL_CHARSET_KS_C_5601}, {"unicodefffe", ZEL_CHARSET_UTF16BE},
    {"csunicode", ZEL_CHARSET_UCS2LE},
    {"shift_jis", ZEL_CHARSET_SHIFT_JIS}, {"euc-kr", ZEL_CHARSET_EUC_KR},        // WHATWG: CP932, CP949
    {"koi8-ru", ZEL_CHARSET_KOI8_RU}, {"tis-620", ZEL_CHARSET_ISO_8859_11},      // KOI8-U, CP874
    {"latin1", ZEL_CHARSET_ISO_8859_1}, {"utf-16", ZEL_CHARSET_UTF16},           // CP1252, UTF-16LE
    {"latin-1", ZEL_CHARSET_ISO_8859_1}, {"iso8859-1", ZEL_CHARSET_ISO_8859_1}, {"eucjp", ZEL_CHARSET_EUC_JP},
    {"big-5", ZEL_CHARSET_BIG5}, {"GB_2312-80", ZEL_CHARSET_GB18030}, {"windows1252", ZEL_CHARSET_CP1252},
    {"Shift JIS", ZEL_CHARSET_SHIFT_JIS}, {"utf-32", ZEL_CHARSET_UTF32}, {"utf8", ZEL_CHARSET_UTF8},
    {"sjis", ZEL_CHARSET_SHIFT_JIS}, {"windows-31j", ZEL_CHARSET_CP932}, {"uhc", ZEL_CHARSET_KS_C_5601},
    {"cp950", ZEL_CHARSET_CP950}, {"euc-tw", ZEL_CHARSET_EUC_TW}, {"utf-8-sig", ZEL_CHARSET_UTF8},
    {"ucs-2", ZEL_CHARSET_UCS2LE}, {"ucs-4", ZEL_CHARSET_UTF32BE}, {"UCS-4LE", ZEL_CHARSET_UTF32LE},
    {"ISO_8859-1:1987", ZEL_CHARSET_ISO_8859_1}, {"ANSI_X3.4-1968", ZEL_CHARSET_ISO_8859_1},
    {"JIS_C6226-1983", ZEL_CHARSET_JIS_X0208}, {"ISO-8859-16:2001", ZEL_CHARSET_ISO_8859_16},
    {" utf 8 ", ZEL_CHARSET_UTF8}, {"U.T.F-8", ZEL_CHARSET_UTF8}, {"__koi8r", ZEL_CHARSET_KOI8_R},
    {"big5-hkscs", 0}, {"ISO-2022-JP-2", 0}, {"shift_jisx0213", 0}, {"ibm437", ZEL_CHARSET_CP437}, {"x-mac-roman", ZEL_CHARSET_MACINTOSH},
    {"big5x", 0}, {"utf-8:", 0}, {"", 0}, {"-", 0},
};
// clang-format on

int general(const char* label, zel_label* found = nullptr) {
  return zel_charset_lookup(label, found);
}

std::string text(const zel_label& l) { return {l.label, static_cast<std::size_t>(l.length)}; }

TEST(CharsetLabels, LookupTakesLabelsFoldedAndWhole) {
  for (const Label& l : general_labels) EXPECT_EQ(general(l.label), l.id) << l.label;
  // Every label of the registry, its prefixes whole ("iso_8859-1:" stands
  // for no name by itself).
  for (const Label& l : every_alias) {
    if (std::string_view(l.label).back() == ':') continue;
    EXPECT_EQ(general(l.label), l.id) << l.label;
  }
  zel_label found;
  EXPECT_EQ(general("gb2312", &found), ZEL_CHARSET_GB18030);
  EXPECT_EQ(found.written, ZEL_CHARSET_EUC_CN);
  EXPECT_EQ(general("cp936", &found), ZEL_CHARSET_GB18030);
  EXPECT_EQ(found.flags, ZEL_LABEL_GBK_WRITER);
  EXPECT_EQ(general("big5-hkscs", &found), 0);
  EXPECT_NE(found.note, nullptr);
  EXPECT_EQ(general("no-such", &found), 0);
  EXPECT_EQ(found.note, nullptr);
  EXPECT_EQ(general(nullptr), 0);
}

// Each listed label finds itself, so no two labels of different charsets
// fold alike; a refused one says why.
TEST(CharsetLabels, EachListedLabelFindsItself) {
  int listed = 0;
  for (int id = 0; id < zel_charset_count(); ++id) {
    zel_label l, again;
    for (int i = 0; zel_charset_label(id, i, &l); ++i, ++listed) {
      EXPECT_EQ(general(text(l).c_str(), &again), id) << text(l);
      EXPECT_EQ(text(again), text(l));
      EXPECT_TRUE(id != 0 || l.note != nullptr) << text(l);
    }
  }
  EXPECT_GT(listed, 250);
  zel_label l;
  EXPECT_EQ(zel_charset_label(ZEL_CHARSET_UTF8, -1, &l), 0);
}

TEST(CharsetLabels, SuggestsTheNearestLabel) {
  const std::pair<const char*, const char*> cases[] = {
      {"shfit_jis", "shift_jis"},
      {"SHFIT-JIS", "Shift_JIS"},
      {"latn1", "latin1"},
      {"windows-1525", "windows-1255"},
      {"utf-8-sgi", "utf-8-sig"},
      {"ut", ""},
      {"zzzzzz", ""},
  };
  for (auto [typed, nearest] : cases) {
    char out[64] = "x";
    EXPECT_EQ(zel_charset_suggest(typed, out, sizeof out), std::strlen(nearest)) << typed;
    EXPECT_STREQ(out, nearest);
  }
}

// A description's byte-order mark is what zel_convert writes for U+FEFF;
// what it reads and writes, zel_convert takes.
TEST(CharsetDescriptions, MarksAndFlagsAreWhatZelConvertDoes) {
  EXPECT_EQ(zel_charset_count(), ZEL_CHARSET_MACINTOSH + 1);
  EXPECT_EQ(zel_charset_name(ZEL_CHARSET_RESERVED), nullptr);
  EXPECT_EQ(zel_charset_name(zel_charset_count()), nullptr);
  for (int id = 0; id < zel_charset_count(); ++id) {
    const int flags = zel_charset_flags(id);
    int result = -1;
    zel_test::convert_general(ZEL_CHARSET_UTF8, id, "A", ZEL_UNMAPPABLE_SUBSTITUTE, &result);
    EXPECT_TRUE(!(flags & ZEL_CHARSET_FLAG_WRITE) || result == ZEL_RESULT_OK) << id;
    zel_slice mark;
    const int after = zel_charset_mark(id, &mark);
    if (mark.length == 0) continue;
    EXPECT_EQ(zel_test::convert_general(ZEL_CHARSET_UTF8, after ? after : id, "\xEF\xBB\xBF"),
              std::string(mark.data, static_cast<std::size_t>(mark.length)))
        << id;
  }
}

// A description's claim that bytes below 0x80 are ASCII, held to zel_convert.
TEST(CharsetDescriptions, AsciiCharsetsDecodeEachByteBelow0x80AsItself) {
  std::string bytes, units;
  for (int b = 0; b < 0x80; ++b) {
    bytes += static_cast<char>(b);
    units += zel_test::unit_bytes(static_cast<std::uint16_t>(b));
  }
  int ascii = 0;
  for (const zel::charset_description& c : zel::charsets) {
    if (!c.ascii) continue;
    ++ascii;
    EXPECT_EQ(zel_test::convert_general(c.id, ZEL_CHARSET_UTF16LE, bytes), units) << c.name;
  }
  EXPECT_GT(ascii, 0);
}

}  // namespace
