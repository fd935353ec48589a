// One description per charset id, the one place that says what an id is:
// the decoder dispatch switches on its decoder, the label lookup
// (charset_labels.cpp) reads its labels, and zelconv, the Python package and
// the batch tool learn names, labels and byte-order marks from it through
// the zel_charset_* exports. charsets[id] describes id; charset_of() answers
// the entry of id 0 for any id outside 0..59. zel_code_charset keeps its
// own older registry (charset_registry.cpp), which this does not replace.
//
// A new charset is one row of `listed` (and its constant in zel_code.h);
// labels that mean something else than the charset they resolve to go into
// `label_groups`, each group with its note.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "src/tables/single_byte.h"
#include "zel_code.h"

namespace zel {

enum class charset_family : unsigned char {
  none,  // the refused ids
  pivot,
  chinese,
  japanese,
  korean,
  unicode,
  single_byte,
};

// The decoder that reads a charset. none: the id is refused, or (JIS X 0201,
// UTF-32) the ten conversions read its bytes as pivot text.
enum class decoder_kind : unsigned char {
  none,
  gb18030,
  big5,
  jisx0208,
  jisx0212,
  shift_jis,
  utf8,
  utf16,
  utf16be,
  utf16le,
  ksc5601,
  ksx1001,
  iso2022cn,
  iso2022jp,
  iso2022kr,
  euc_cn,
  euc_tw,
  euc_jp,
  euc_kr,
  single_byte,
};

// How text of a charset carries a byte-order mark (U+FEFF first).
enum class mark_rule : unsigned char {
  // No mark: a leading U+FEFF of the source is no character of such text
  // (GBK would write a space, GB18030 a code no reader expects, the rest
  // their substitute).
  none,
  // A Unicode form: its mark starts output only when asked for.
  optional,
  // Its text starts with its mark, which its decoder reads for the byte
  // order and its writer puts first; the text after it is `after_mark`.
  leading,
};

struct charset_description {
  int id;
  // Its name in listings (zelconv -l, the README); null for the refused ids.
  const char* name;
  charset_family family;
  decoder_kind decoder;
  // Every byte 0x00..0x7F, wherever it stands, decodes to itself. False for
  // the pivot, UTF-16 and UTF-32 (byte pairs and quads), the 7-bit forms,
  // the ISO-2022 forms (shift states), Shift_JIS (JIS X 0201 Roman's yen
  // sign and overline at 0x5C and 0x7E) and TCVN (letters among the C0
  // controls).
  bool ascii;
  // zel_convert reads / writes it as what it is. JIS X 0201 has no decoder:
  // its bytes are read as pivot text, so neither.
  bool reads, writes;
  mark_rule marks;
  // The bytes of U+FEFF in its text, which a front end drops from the
  // start of a source that has it; empty where it has none.
  std::string_view mark;
  int after_mark;  // for mark_rule::leading: the id written after the mark
  // The labels that name it, separated by single spaces, compared with case,
  // '-', '_', '.' and spaces ignored; the first is the one a front end
  // prints for the id. No label folds like another.
  const char* labels;
};

// Labels that resolve to a charset with a difference, and labels refused.
enum class label_use : unsigned char {
  as_charset,  // read and written as the charset `written` names
  gbk_writer,  // written by GBK's own writer (a space for what it lacks)
  marked,      // the text starts with a byte-order mark that is no character of it
};

struct label_group {
  int id;       // the charset read; 0: the labels are refused
  int written;  // the charset written for them as a target
  label_use use;
  const char* labels;  // as in charset_description
  const char* note;    // why they are set apart, for listings and messages
};

namespace charsets_detail {

using family = charset_family;
using decoder = decoder_kind;

inline constexpr std::string_view utf8_mark = "\xEF\xBB\xBF";
inline constexpr std::string_view be16_mark = "\xFE\xFF";
inline constexpr std::string_view le16_mark = "\xFF\xFE";
inline constexpr std::string_view be32_mark{"\0\0\xFE\xFF", 4};
inline constexpr std::string_view le32_mark{"\xFF\xFE\0\0", 4};
// GB18030 holds U+FEFF as a four-byte code, which no reader takes for a mark.
inline constexpr std::string_view gb18030_mark = "\x84\x31\x95\x33";

// A charset both conversions read and write, without a mark.
constexpr charset_description plain(int id, const char* name, family f, decoder d, bool ascii,
                                    const char* labels) {
  return {id, name, f, d, ascii, true, true, mark_rule::none, {}, 0, labels};
}

// A Unicode form, whose mark is written only when asked for.
constexpr charset_description unicode(int id, const char* name, decoder d, std::string_view mark,
                                      const char* labels) {
  return {id,   name, family::unicode, d, id == ZEL_CHARSET_UTF8, true, true, mark_rule::optional,
          mark, 0,    labels};
}

// A Unicode form whose text starts with its mark, then goes on as `after`.
constexpr charset_description marked(int id, const char* name, decoder d, int after,
                                     std::string_view mark, const char* labels) {
  return {id, name, family::unicode, d, false, true, true, mark_rule::leading, mark, after, labels};
}

constexpr charset_description single(int id, const char* name, const char* labels) {
  return plain(id, name, family::single_byte, decoder::single_byte, id != ZEL_CHARSET_TCVN, labels);
}

constexpr charset_description refused(int id) {
  return {id, nullptr, family::none, decoder::none, false, false, false, mark_rule::none, {},
          0,  ""};
}

// Labels are the IANA and WHATWG Encoding Standard names of each charset, the
// forms the older registry takes (its prefix entries as the exact names they
// stand for), and names tools print (iconv, Python). A WHATWG label whose
// charset there differs keeps the meaning it has here; README.md lists them.
// clang-format off
constexpr charset_description listed[] = {
    refused(ZEL_CHARSET_UNKNOWN),
    {ZEL_CHARSET_UCS2LE, "UCS-2LE (the pivot)", family::pivot, decoder::none, false, true, true,
     mark_rule::optional, le16_mark, 0,
     "UCS-2LE UCS-2 unicode csUnicode ISO-10646-UCS-2 unicodefeff"},
    {ZEL_CHARSET_GB18030, "GB18030, GBK, GB 2312", family::chinese, decoder::gb18030, true, true,
     true, mark_rule::none, gb18030_mark, 0, "GB18030"},
    plain(ZEL_CHARSET_BIG5, "Big5", family::chinese, decoder::big5, true,
          "Big5 csBig5 cn-big5 x-x-big5"),
    {ZEL_CHARSET_JIS_X0201, "JIS X 0201 (no decoder)", family::japanese, decoder::none, false,
     false, false, mark_rule::none, {}, 0, "JIS0201 JIS_X0201"},
    plain(ZEL_CHARSET_JIS_X0208, "JIS X 0208", family::japanese, decoder::jisx0208, false,
          "JIS_X0208 JIS_X0208-1983 JIS_X0208-1990 JIS0208 JIS_C6226 JIS_C6226-1983 x0208 "
          "iso-ir-87 csISO87JISX0208"),
    plain(ZEL_CHARSET_JIS_X0212, "JIS X 0212", family::japanese, decoder::jisx0212, false,
          "JIS_X0212 JIS_X0212-1990 JIS0212 x0212 iso-ir-159 csISO159JISX02121990"),
    plain(ZEL_CHARSET_SHIFT_JIS, "Shift_JIS", family::japanese, decoder::shift_jis, false,
          "Shift_JIS csShiftJIS MS_Kanji x-sjis sjis"),
    unicode(ZEL_CHARSET_UTF8, "UTF-8", decoder::utf8, utf8_mark,
            "UTF-8 unicode-1-1-utf-8 unicode20utf8 x-unicode20utf8"),
    marked(ZEL_CHARSET_UTF16, "UTF-16 (mark, else BE)", decoder::utf16, ZEL_CHARSET_UTF16BE,
           be16_mark, "UTF-16"),
    unicode(ZEL_CHARSET_UTF16BE, "UTF-16BE", decoder::utf16be, be16_mark, "UTF-16BE unicodefffe"),
    unicode(ZEL_CHARSET_UTF16LE, "UTF-16LE", decoder::utf16le, le16_mark, "UTF-16LE"),
    plain(ZEL_CHARSET_KS_C_5601, "KS C 5601 (CP949)", family::korean, decoder::ksc5601, true,
          "CP949 KS_C_5601-1987 KS_C_5601-1989 KSC_5601 csKSC56011987 iso-ir-149 korean uhc "
          "windows-949"),
    plain(ZEL_CHARSET_KS_X_1001, "KS X 1001 (7-bit)", family::korean, decoder::ksx1001, false,
          "KSX1001"),
    plain(ZEL_CHARSET_ISO_2022_CN, "ISO-2022-CN", family::chinese, decoder::iso2022cn, false,
          "ISO-2022-CN csISO2022CN"),
    plain(ZEL_CHARSET_ISO_2022_JP, "ISO-2022-JP", family::japanese, decoder::iso2022jp, false,
          "ISO-2022-JP csISO2022JP"),
    plain(ZEL_CHARSET_ISO_2022_KR, "ISO-2022-KR", family::korean, decoder::iso2022kr, false,
          "ISO-2022-KR csISO2022KR"),
    plain(ZEL_CHARSET_EUC_CN, "EUC-CN", family::chinese, decoder::euc_cn, true, "EUC-CN"),
    plain(ZEL_CHARSET_EUC_TW, "EUC-TW", family::chinese, decoder::euc_tw, true, "EUC-TW"),
    plain(ZEL_CHARSET_EUC_JP, "EUC-JP", family::japanese, decoder::euc_jp, true,
          "EUC-JP csEUCPkdFmtJapanese x-euc-jp"),
    plain(ZEL_CHARSET_EUC_KR, "EUC-KR", family::korean, decoder::euc_kr, true, "EUC-KR csEUCKR"),
    single(ZEL_CHARSET_KOI8_R, "KOI8-R", "KOI8-R csKOI8R koi koi8"),
    single(ZEL_CHARSET_KOI8_U, "KOI8-U", "KOI8-U"),
    single(ZEL_CHARSET_KOI8_RU, "KOI8-RU", "KOI8-RU"),
    single(ZEL_CHARSET_ISO_8859_1, "ISO-8859-1, US-ASCII",
           "ISO-8859-1 ISO_8859-1:1987 latin1 l1 iso-ir-100 csISOLatin1 CP819 IBM819 US-ASCII "
           "ASCII ANSI_X3.4 ANSI_X3.4-1968 ANSI_X3.4-1986 ISO646-US ISO_646.irv:1991 "
           "ISO_646.IRV::1991 iso-ir-6 us IBM367 CP367 csASCII"),
    single(ZEL_CHARSET_ISO_8859_2, "ISO-8859-2",
           "ISO-8859-2 ISO_8859-2:1987 latin2 l2 iso-ir-101 csISOLatin2"),
    single(ZEL_CHARSET_ISO_8859_3, "ISO-8859-3",
           "ISO-8859-3 ISO_8859-3:1988 latin3 l3 iso-ir-109 csISOLatin3"),
    single(ZEL_CHARSET_ISO_8859_4, "ISO-8859-4",
           "ISO-8859-4 ISO_8859-4:1988 latin4 l4 iso-ir-110 csISOLatin4"),
    single(ZEL_CHARSET_ISO_8859_5, "ISO-8859-5",
           "ISO-8859-5 ISO_8859-5:1988 cyrillic iso-ir-144 csISOLatinCyrillic"),
    single(ZEL_CHARSET_ISO_8859_6, "ISO-8859-6",
           "ISO-8859-6 ISO_8859-6:1987 arabic ASMO-708 ECMA-114 iso-ir-127 csISOLatinArabic "
           "ISO-8859-6-E ISO-8859-6-I csISO88596E csISO88596I"),
    single(ZEL_CHARSET_ISO_8859_7, "ISO-8859-7",
           "ISO-8859-7 ISO_8859-7:1987 greek greek8 ELOT_928 ECMA-118 iso-ir-126 csISOLatinGreek "
           "sun_eu_greek"),
    single(ZEL_CHARSET_ISO_8859_8, "ISO-8859-8",
           "ISO-8859-8 ISO_8859-8:1988 hebrew iso-ir-138 csISOLatinHebrew ISO-8859-8-E "
           "csISO88598E visual ISO-8859-8-I csISO88598I logical"),
    single(ZEL_CHARSET_ISO_8859_9, "ISO-8859-9",
           "ISO-8859-9 ISO_8859-9:1989 latin5 l5 iso-ir-148 csISOLatin5"),
    single(ZEL_CHARSET_ISO_8859_10, "ISO-8859-10",
           "ISO-8859-10 ISO_8859-10:1992 latin6 l6 iso-ir-157 csISOLatin6"),
    single(ZEL_CHARSET_ISO_8859_11, "ISO-8859-11 (TIS-620)", "ISO-8859-11 TIS-620"),
    single(ZEL_CHARSET_ISO_8859_13, "ISO-8859-13", "ISO-8859-13"),
    single(ZEL_CHARSET_ISO_8859_14, "ISO-8859-14",
           "ISO-8859-14 ISO_8859-14:1998 latin8 l8 iso-ir-199 iso-celtic"),
    single(ZEL_CHARSET_ISO_8859_15, "ISO-8859-15", "ISO-8859-15 latin9 l9 csISOLatin9"),
    single(ZEL_CHARSET_ISO_8859_16, "ISO-8859-16",
           "ISO-8859-16 ISO_8859-16:2001 latin10 l10 iso-ir-226"),
    single(ZEL_CHARSET_CP874, "CP874", "CP874 windows-874 dos-874"),
    single(ZEL_CHARSET_CP1250, "CP1250", "CP1250 windows-1250 x-cp1250"),
    single(ZEL_CHARSET_CP1251, "CP1251", "CP1251 windows-1251 x-cp1251"),
    single(ZEL_CHARSET_CP1252, "CP1252", "CP1252 windows-1252 x-cp1252"),
    single(ZEL_CHARSET_CP1253, "CP1253", "CP1253 windows-1253 x-cp1253"),
    single(ZEL_CHARSET_CP1254, "CP1254", "CP1254 windows-1254 x-cp1254"),
    single(ZEL_CHARSET_CP1255, "CP1255", "CP1255 windows-1255 x-cp1255"),
    single(ZEL_CHARSET_CP1256, "CP1256", "CP1256 windows-1256 x-cp1256"),
    single(ZEL_CHARSET_CP1257, "CP1257", "CP1257 windows-1257 x-cp1257"),
    single(ZEL_CHARSET_CP1258, "CP1258", "CP1258 windows-1258 x-cp1258"),
    single(ZEL_CHARSET_CP850, "CP850", "CP850 IBM850 850 csPC850Multilingual"),
    single(ZEL_CHARSET_CP866, "CP866", "CP866 IBM866 866 csIBM866"),
    single(ZEL_CHARSET_CP1133, "CP1133", "CP1133"),
    single(ZEL_CHARSET_TCVN, "TCVN", "TCVN"),
    single(ZEL_CHARSET_ARMSCII_8, "ARMSCII-8", "ARMSCII-8"),
    single(ZEL_CHARSET_MACTHAI, "MacThai", "MacThai"),
    single(ZEL_CHARSET_MULELAO_1, "MULELAO-1", "MULELAO-1"),
    refused(ZEL_CHARSET_RESERVED),
    marked(ZEL_CHARSET_UTF32, "UTF-32 (mark, else BE)", decoder::none, ZEL_CHARSET_UTF32BE,
           be32_mark, "UTF-32"),
    unicode(ZEL_CHARSET_UTF32BE, "UTF-32BE", decoder::none, be32_mark, "UTF-32BE UCS-4 UCS-4BE"),
    unicode(ZEL_CHARSET_UTF32LE, "UTF-32LE", decoder::none, le32_mark, "UTF-32LE UCS-4LE"),
    // Read and written by zel_convert alone (decoder none: the ten
    // conversions read these ids as pivot text, as they do UTF-32).
    plain(ZEL_CHARSET_CP932, "CP932 (Windows-31J)", family::japanese, decoder::none, true,
          "CP932 windows-31j ms932 csWindows31J IBM-943"),
    plain(ZEL_CHARSET_CP950, "CP950", family::chinese, decoder::none, true,
          "CP950 windows-950 ms950 x-windows-950"),
    plain(ZEL_CHARSET_CP437, "CP437", family::single_byte, decoder::none, true,
          "CP437 IBM437 437 csPC8CodePage437"),
    plain(ZEL_CHARSET_MACINTOSH, "Mac Roman", family::single_byte, decoder::none, true,
          "macintosh mac x-mac-roman csMacintosh MacRoman"),
};

constexpr label_group label_groups[] = {
    // GB18030's decoder reads GBK and GB 2312 too; written, they differ.
    // zel_convert writes no GBK apart from GB18030, whose four-byte codes
    // are no GBK, so GBK keeps the ten conversions' writer.
    {ZEL_CHARSET_GB18030, ZEL_CHARSET_GB18030, label_use::gbk_writer,
     "GBK CP936 MS936 windows-936 chinese x-gbk",
     "written as GBK: a space for what GBK lacks"},
    {ZEL_CHARSET_GB18030, ZEL_CHARSET_EUC_CN, label_use::as_charset,
     "GB2312 csGB2312 GB_2312-80 csISO58GB231280 iso-ir-58", "written as EUC-CN"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_UTF8, label_use::marked, "UTF-8-SIG",
     "a leading byte-order mark is dropped, and written"},
    // Names that begin like a charset's label but name a larger one: the
    // older registry takes them by prefix as the smaller, losing characters
    // without a word.
    {0, 0, label_use::as_charset, "Big5-HKSCS",
     "Big5-HKSCS is not supported yet, and Big5 lacks its characters"},
    {0, 0, label_use::as_charset,
     "ISO-2022-JP-1 ISO-2022-JP-2 csISO2022JP2 ISO-2022-JP-3 ISO-2022-JP-2004",
     "ISO-2022-JP reads none of the sets it adds"},
    {0, 0, label_use::as_charset,
     "Shift_JISX0213 Shift_JIS-2004 EUC-JISX0213 EUC-JIS-2004",
     "JIS X 0213 is not supported"},
    {0, 0, label_use::as_charset, "ISO-2022-CN-EXT",
     "ISO-2022-CN reads none of the planes it adds"},
};
// clang-format on

inline constexpr std::size_t count = ZEL_CHARSET_MACINTOSH + 1;

constexpr std::array<charset_description, count> make() {
  std::array<charset_description, count> all{};
  for (const charset_description& c : listed) all[static_cast<std::size_t>(c.id)] = c;
  return all;
}

// Every id is described once, at its own index; the single-byte decoder
// has a table for each of its ids.
constexpr bool each_id_once(const std::array<charset_description, count>& all) {
  if (std::size(listed) != count) return false;
  for (std::size_t i = 0; i < count; ++i) {
    if (all[i].id != static_cast<int>(i)) return false;
    const bool in_tables = all[i].id >= single_byte_first_id && all[i].id <= single_byte_last_id;
    if (in_tables != (all[i].decoder == decoder::single_byte)) return false;
  }
  return true;
}

}  // namespace charsets_detail

inline constexpr std::array<charset_description, charsets_detail::count> charsets =
    charsets_detail::make();
static_assert(charsets_detail::each_id_once(charsets));

inline constexpr std::span<const label_group> label_groups = charsets_detail::label_groups;

// The description of id; the refused id 0's for any id outside the table.
constexpr const charset_description& charset_of(int id) noexcept {
  return static_cast<unsigned>(id) < charsets.size() ? charsets[static_cast<std::size_t>(id)]
                                                     : charsets[ZEL_CHARSET_UNKNOWN];
}

}  // namespace zel
