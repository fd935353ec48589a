// decoder_dispatch: sends a charset id to its decoder, which writes code
// units into any output (pivot text, or a target encoding written as the
// units arrive). Returns false, having written nothing, for ids without a
// decoder; their bytes are then read as pivot text by the caller.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/euc_cn_tw.h"
#include "src/decode/gb18030_big5.h"
#include "src/decode/iso2022jp.h"
#include "src/decode/japanese.h"
#include "src/decode/korean.h"
#include "src/decode/single_byte.h"
#include "src/decode/unicode.h"

namespace zel {

template <class Out>
bool decoder_dispatch(int id, const std::uint8_t* in, std::size_t n, Out& out) {
  switch (id) {
    case 2:
      gb18030_decoder(in, n, out);
      return true;
    case 3:
      big5_decoder(in, n, out);
      return true;
    case 5:
      jisx0208_decoder(in, n, out);
      return true;
    case 6:
      jisx0212_decoder(in, n, out);
      return true;
    case 7:
      shift_jis_decoder(in, n, out);
      return true;
    case 8:
      utf8_decoder(in, n, out);
      return true;
    case 9:
      utf16_decoder(in, n, out);
      return true;
    case 10:
      utf16_fixed_decoder(in, n, 0, out);
      return true;
    case 11:
      utf16_fixed_decoder(in, n, 1, out);
      return true;
    case 12:
      ksc5601_decoder(in, n, out);
      return true;
    case 13:
      ksx1001_decoder(in, n, out);
      return true;
    case 14:
      iso2022cn_decoder(in, n, out);
      return true;
    case 15:
      iso2022jp_decoder(in, n, out);
      return true;
    case 16:
      iso2022kr_decoder(in, n, out);
      return true;
    case 17:
      euc_cn_decoder(in, n, out);
      return true;
    case 18:
      euc_tw_decoder(in, n, out);
      return true;
    case 19:
      euc_jp_decoder(in, n, out);
      return true;
    case 20:
      euc_kr_decoder(in, n, out);
      return true;
    // The single-byte charsets, KOI8-R (21) to MULELAO-1 (55).
    case 21:
    case 22:
    case 23:
    case 24:
    case 25:
    case 26:
    case 27:
    case 28:
    case 29:
    case 30:
    case 31:
    case 32:
    case 33:
    case 34:
    case 35:
    case 36:
    case 37:
    case 38:
    case 39:
    case 40:
    case 41:
    case 42:
    case 43:
    case 44:
    case 45:
    case 46:
    case 47:
    case 48:
    case 49:
    case 50:
    case 51:
    case 52:
    case 53:
    case 54:
    case 55:
      single_byte_decoder(id, in, n, out);
      return true;
    default:
      return false;
  }
}

}  // namespace zel
