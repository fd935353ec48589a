// One description per charset id, the one place that says what an id is:
// the decoder dispatch switches on its decoder, zelconv prints its names and
// groups -l by it, and a zelconv test holds the README's table to it.
// charsets[id] describes id; charset_of() answers the entry of id 0 for any
// id outside 0..56. Labels stay in the registry (charset_registry.cpp).
#pragma once

#include <array>
#include <cstddef>

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

// The decoder that reads a charset. none: the id is refused, or (JIS X 0201)
// its bytes are read as pivot text.
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

struct charset_description {
  int id;
  // zelconv's name for it, also the README's; null for the refused ids.
  const char* name;
  charset_family family;
  decoder_kind decoder;
  // Every byte 0x00..0x7F, wherever it stands, decodes to itself. False for
  // the pivot and UTF-16 (byte pairs), the 7-bit forms, the ISO-2022 forms
  // (shift states), Shift_JIS (JIS X 0201 Roman's yen sign and overline at
  // 0x5C and 0x7E) and TCVN (letters among the C0 controls).
  bool ascii;
};

namespace charsets_detail {

using family = charset_family;
using decoder = decoder_kind;

constexpr charset_description listed[] = {
    {ZEL_CHARSET_UNKNOWN, nullptr, family::none, decoder::none, false},
    {ZEL_CHARSET_UCS2LE, "UCS-2LE (the pivot)", family::pivot, decoder::none, false},
    {ZEL_CHARSET_GB18030, "GB18030, GBK, GB 2312", family::chinese, decoder::gb18030, true},
    {ZEL_CHARSET_BIG5, "Big5", family::chinese, decoder::big5, true},
    {ZEL_CHARSET_JIS_X0201, "JIS X 0201 (no decoder)", family::japanese, decoder::none, false},
    {ZEL_CHARSET_JIS_X0208, "JIS X 0208", family::japanese, decoder::jisx0208, false},
    {ZEL_CHARSET_JIS_X0212, "JIS X 0212", family::japanese, decoder::jisx0212, false},
    {ZEL_CHARSET_SHIFT_JIS, "Shift_JIS", family::japanese, decoder::shift_jis, false},
    {ZEL_CHARSET_UTF8, "UTF-8", family::unicode, decoder::utf8, true},
    {ZEL_CHARSET_UTF16, "UTF-16 (mark, else BE)", family::unicode, decoder::utf16, false},
    {ZEL_CHARSET_UTF16BE, "UTF-16BE", family::unicode, decoder::utf16be, false},
    {ZEL_CHARSET_UTF16LE, "UTF-16LE", family::unicode, decoder::utf16le, false},
    {ZEL_CHARSET_KS_C_5601, "KS C 5601 (CP949)", family::korean, decoder::ksc5601, true},
    {ZEL_CHARSET_KS_X_1001, "KS X 1001 (7-bit)", family::korean, decoder::ksx1001, false},
    {ZEL_CHARSET_ISO_2022_CN, "ISO-2022-CN", family::chinese, decoder::iso2022cn, false},
    {ZEL_CHARSET_ISO_2022_JP, "ISO-2022-JP", family::japanese, decoder::iso2022jp, false},
    {ZEL_CHARSET_ISO_2022_KR, "ISO-2022-KR", family::korean, decoder::iso2022kr, false},
    {ZEL_CHARSET_EUC_CN, "EUC-CN", family::chinese, decoder::euc_cn, true},
    {ZEL_CHARSET_EUC_TW, "EUC-TW", family::chinese, decoder::euc_tw, true},
    {ZEL_CHARSET_EUC_JP, "EUC-JP", family::japanese, decoder::euc_jp, true},
    {ZEL_CHARSET_EUC_KR, "EUC-KR", family::korean, decoder::euc_kr, true},
    {ZEL_CHARSET_RESERVED, nullptr, family::none, decoder::none, false},
};

// The single-byte charsets, ids KOI8-R to MULELAO-1 in order, as their
// tables stand (src/tables/single_byte.h); the single-byte decoder reads them.
// clang-format off
constexpr const char* single_byte_names[] = {
    "KOI8-R", "KOI8-U", "KOI8-RU",
    "ISO-8859-1, US-ASCII", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5",
    "ISO-8859-6", "ISO-8859-7", "ISO-8859-8", "ISO-8859-9", "ISO-8859-10",
    "ISO-8859-11 (TIS-620)", "ISO-8859-13", "ISO-8859-14", "ISO-8859-15", "ISO-8859-16",
    "CP874", "CP1250", "CP1251", "CP1252", "CP1253", "CP1254", "CP1255", "CP1256", "CP1257",
    "CP1258", "CP850", "CP866", "CP1133",
    "TCVN", "ARMSCII-8", "MacThai", "MULELAO-1",
};
// clang-format on
static_assert(std::size(single_byte_names) == single_byte_table_count);

inline constexpr std::size_t count = ZEL_CHARSET_RESERVED + 1;

constexpr std::array<charset_description, count> make() {
  std::array<charset_description, count> all{};
  for (const charset_description& c : listed) all[static_cast<std::size_t>(c.id)] = c;
  for (int id = single_byte_first_id; id <= single_byte_last_id; ++id)
    all[static_cast<std::size_t>(id)] = {id, single_byte_names[id - single_byte_first_id],
                                         family::single_byte, decoder::single_byte,
                                         id != ZEL_CHARSET_TCVN};
  return all;
}

// Every id is described once, at its own index.
constexpr bool each_id_once(const std::array<charset_description, count>& all) {
  if (std::size(listed) + std::size(single_byte_names) != count) return false;
  for (std::size_t i = 0; i < count; ++i)
    if (all[i].id != static_cast<int>(i)) return false;
  return true;
}

}  // namespace charsets_detail

inline constexpr std::array<charset_description, charsets_detail::count> charsets =
    charsets_detail::make();
static_assert(charsets_detail::each_id_once(charsets));

// The description of id; the refused id 0's for any id outside the table.
constexpr const charset_description& charset_of(int id) noexcept {
  return static_cast<unsigned>(id) < charsets.size() ? charsets[static_cast<std::size_t>(id)]
                                                     : charsets[ZEL_CHARSET_UNKNOWN];
}

}  // namespace zel
