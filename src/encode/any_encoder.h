// any_encoder: the encoder of a target charset id, chosen once a conversion
// and applied by a switch that every character of the text takes the same
// way. One output type serves every table charset, so each decoder is
// built once for them all rather than once a target.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/core/charsets.h"
#include "src/encode/encoders.h"
#include "src/tables/single_byte.h"

namespace zel {

enum class encoder_form : std::uint8_t {
  none,  // the id has no encoder here
  single_byte,
  two_byte,
  shift_jis,
  cp932,
  euc_jp,
  euc_tw,
  ksx1001,
  iso2022jp,
  iso2022kr,
  iso2022cn,
  utf16be,
  utf16le,
  utf32be,
  utf32le,
};

struct any_encoder {
  static constexpr std::size_t max_bytes = 8;
  encoder_form form = encoder_form::none;
  encoder_state* st = nullptr;
  const reverse_table* table = nullptr;  // single_byte and two_byte
  std::size_t columns = 0;
  std::uint32_t first_row = 0, first_column = 0;
  bool ascii_kept = true;  // single_byte
  bool mark = false;       // the Unicode forms: a byte-order mark first

  bool copies_ascii() const noexcept {
    return with_encoder([](auto e) { return e.copies_ascii(); });
  }

  // Whether U+0000..U+007F b is written as the byte b, whatever came before
  // (the stateful and Unicode forms answer no).
  bool writes_itself(std::uint8_t b) const noexcept {
    if (copies_ascii()) return true;
    switch (form) {
      case encoder_form::shift_jis:
        return b != 0x5C && b != 0x7E && b != 0x7F;
      case encoder_form::ksx1001:
        return b < 0x21;
      default:
        return false;
    }
  }

  // Calls f with the encoder of the form, by value: a loop inside f is
  // built for that one encoder, not for the switch.
  template <class F>
  auto with_encoder(F&& f) const -> decltype(f(no_encoder{})) {
    switch (form) {
      case encoder_form::single_byte:
        return f(single_byte_encoder{*table, ascii_kept});
      case encoder_form::two_byte:
        return f(two_byte_encoder{*table, columns, first_row, first_column});
      case encoder_form::shift_jis:
        return f(shift_jis_encoder{});
      case encoder_form::cp932:
        return f(cp932_encoder{});
      case encoder_form::euc_jp:
        return f(euc_jp_encoder{});
      case encoder_form::euc_tw:
        return f(euc_tw_encoder{});
      case encoder_form::ksx1001:
        return f(ksx1001_encoder{});
      case encoder_form::iso2022jp:
        return f(iso2022jp_encoder{*st});
      case encoder_form::iso2022kr:
        return f(iso2022kr_encoder{*st});
      case encoder_form::iso2022cn:
        return f(iso2022cn_encoder{*st});
      case encoder_form::utf16be:
        return f(unicode_encoder<2, true>{*st, mark});
      case encoder_form::utf16le:
        return f(unicode_encoder<2, false>{*st, mark});
      case encoder_form::utf32be:
        return f(unicode_encoder<4, true>{*st, mark});
      case encoder_form::utf32le:
        return f(unicode_encoder<4, false>{*st, mark});
      default:
        return f(no_encoder{});
    }
  }

  bool put(char32_t cp, sink_cursor& at) const {
    return with_encoder([&](auto e) { return e.put(cp, at); });
  }

  // The end of the text: the stateful forms return to ASCII.
  void finish(sink_cursor& at) const {
    with_encoder([&](auto e) {
      if constexpr (requires { e.finish(at); }) e.finish(at);
    });
  }
};

// The encoder of target `id`, keeping its state in `st`.
inline any_encoder encoder_for(int id, encoder_state& st) noexcept {
  any_encoder e;
  e.st = &st;
  auto two_byte = [&e](const reverse_table& t, std::size_t columns, std::uint32_t row,
                       std::uint32_t column) {
    e.form = encoder_form::two_byte;
    e.table = &t;
    e.columns = columns;
    e.first_row = row;
    e.first_column = column;
  };
  switch (id) {
    case ZEL_CHARSET_BIG5:
      two_byte(big5_reverse, 191, 0x80, 0x40);
      break;
    case ZEL_CHARSET_JIS_X0208:
      two_byte(jisx0208_reverse, 94, 0xA1, 0xA1);
      break;
    case ZEL_CHARSET_JIS_X0212:
      two_byte(jisx0212_reverse, 94, 0xA1, 0xA1);
      break;
    case ZEL_CHARSET_KS_C_5601:
      two_byte(ksc5601_reverse, 191, 0x81, 0x40);
      break;
    case ZEL_CHARSET_EUC_CN:
      two_byte(gb2312_reverse, 94, 0xA1, 0xA1);
      break;
    case ZEL_CHARSET_EUC_KR:
      two_byte(ksx1001_reverse, 94, 0xA1, 0xA1);
      break;
    case ZEL_CHARSET_CP950:
      two_byte(cp950_reverse, 191, 0x80, 0x40);
      break;
    case ZEL_CHARSET_SHIFT_JIS:
      e.form = encoder_form::shift_jis;
      break;
    case ZEL_CHARSET_CP932:
      e.form = encoder_form::cp932;
      break;
    case ZEL_CHARSET_EUC_JP:
      e.form = encoder_form::euc_jp;
      break;
    case ZEL_CHARSET_EUC_TW:
      e.form = encoder_form::euc_tw;
      break;
    case ZEL_CHARSET_KS_X_1001:
      e.form = encoder_form::ksx1001;
      break;
    case ZEL_CHARSET_ISO_2022_JP:
      e.form = encoder_form::iso2022jp;
      break;
    case ZEL_CHARSET_ISO_2022_KR:
      e.form = encoder_form::iso2022kr;
      break;
    case ZEL_CHARSET_ISO_2022_CN:
      e.form = encoder_form::iso2022cn;
      break;
    case ZEL_CHARSET_UTF16:
    case ZEL_CHARSET_UTF16BE:
      e.form = encoder_form::utf16be;
      e.mark = id == ZEL_CHARSET_UTF16;
      break;
    case ZEL_CHARSET_UTF32:
    case ZEL_CHARSET_UTF32BE:
      e.form = encoder_form::utf32be;
      e.mark = id == ZEL_CHARSET_UTF32;
      break;
    case ZEL_CHARSET_UTF32LE:
      e.form = encoder_form::utf32le;
      break;
    default:
      if (single_byte_index(id) < single_byte_table_count) {
        e.form = encoder_form::single_byte;
        e.table = &single_byte_reverse(id);
        e.ascii_kept = single_byte_ascii_kept[single_byte_index(id)];
      }
      break;
  }
  return e;
}

}  // namespace zel
