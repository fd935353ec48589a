// decoder_dispatch: sends a charset id to the decoder its description
// (src/core/charsets.h) names, one table read a call. The decoder writes
// code units into any output (pivot text, or a target encoding written as
// the units arrive). Returns false, having written nothing, for ids without
// a decoder; their bytes are then read as pivot text by the caller.
//
// decode_piece is the same for one piece of a text: the decoder goes on in
// the state `st` the pieces before left, and returns how many bytes it took
// (all of them when `last`); no_decoder for ids without one. A whole text is
// the one piece that is also the last, from a fresh state.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/core/charsets.h"
#include "src/decode/decoder_state.h"
#include "src/decode/euc_cn_tw.h"
#include "src/decode/gb18030_big5.h"
#include "src/decode/iso2022jp.h"
#include "src/decode/japanese.h"
#include "src/decode/korean.h"
#include "src/decode/single_byte.h"
#include "src/decode/unicode.h"
#include "zel_code.h"

namespace zel {

inline constexpr std::size_t no_decoder = static_cast<std::size_t>(-1);

template <class Out>
std::size_t decode_piece(int id, const std::uint8_t* in, std::size_t n, Out& out, decoder_state& st,
                         bool last) {
  switch (charset_of(id).decoder) {
    case decoder_kind::gb18030:
      return gb18030_decoder(in, n, out, last);
    case decoder_kind::big5:
      return big5_decoder(in, n, out, last);
    case decoder_kind::jisx0208:
      return jisx0208_decoder(in, n, out, last);
    case decoder_kind::jisx0212:
      return jisx0212_decoder(in, n, out, last);
    case decoder_kind::shift_jis:
      return shift_jis_decoder(in, n, out, last);
    case decoder_kind::utf8:
      return utf8_decoder(in, n, out, last);
    case decoder_kind::utf16:
      return utf16_decoder(in, n, out, st, last);
    case decoder_kind::utf16be:
      return utf16_fixed_decoder(in, n, 0, out, last);
    case decoder_kind::utf16le:
      return utf16_fixed_decoder(in, n, 1, out, last);
    case decoder_kind::ksc5601:
      return ksc5601_decoder(in, n, out, last);
    case decoder_kind::ksx1001:
      return ksx1001_decoder(in, n, out, last);
    case decoder_kind::iso2022cn:
      return iso2022cn_decoder(in, n, out, st, last);
    case decoder_kind::iso2022jp:
      return iso2022jp_decoder(in, n, out, st, last);
    case decoder_kind::iso2022kr:
      return iso2022kr_decoder(in, n, out, st, last);
    case decoder_kind::euc_cn:
      return euc_cn_decoder(in, n, out, last);
    case decoder_kind::euc_tw:
      return euc_tw_decoder(in, n, out, last);
    case decoder_kind::euc_jp:
      return euc_jp_decoder(in, n, out, last);
    case decoder_kind::euc_kr:
      return euc_kr_decoder(in, n, out, last);
    case decoder_kind::single_byte:
      return single_byte_decoder(id, in, n, out);
    case decoder_kind::none:
      break;
  }
  return no_decoder;
}

// The same for the general conversion, whose outputs take code points:
// the ids of the ten conversions, the pivot and ids without a decoder read
// as UTF-16LE (surrogate pairs joined), UTF-32, code pages 932, 950 and 437
// and Mac Roman.
template <class Out>
std::size_t decode_general(int id, const std::uint8_t* in, std::size_t n, Out& out,
                           decoder_state& st, bool last) {
  switch (id) {
    case ZEL_CHARSET_UTF32:
      return utf32_decoder(in, n, out, st, last);
    case ZEL_CHARSET_UTF32BE:
      return utf32_fixed_decoder(in, n, true, out, last);
    case ZEL_CHARSET_UTF32LE:
      return utf32_fixed_decoder(in, n, false, out, last);
    case ZEL_CHARSET_CP932:
      return cp932_decoder(in, n, out, last);
    case ZEL_CHARSET_CP950:
      return cp950_decoder(in, n, out, last);
    case ZEL_CHARSET_CP437:
    case ZEL_CHARSET_MACINTOSH:
      return single_byte_decoder(id, in, n, out);
    default:
      break;
  }
  if (charset_of(id).decoder == decoder_kind::none) return utf16_fixed_decoder(in, n, 1, out, last);
  return decode_piece(id, in, n, out, st, last);
}

template <class Out>
bool decoder_dispatch(int id, const std::uint8_t* in, std::size_t n, Out& out) {
  decoder_state st;
  return decode_piece(id, in, n, out, st, true) != no_decoder;
}

}  // namespace zel
