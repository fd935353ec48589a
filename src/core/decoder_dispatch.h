// decoder_dispatch: sends a charset id to its decoder, which writes code
// units into any output (pivot text, or a target encoding written as the
// units arrive). Returns false, having written nothing, for ids without a
// decoder; their bytes are then read as pivot text by the caller.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/gb18030_big5.h"
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
    default:
      return false;
  }
}

}  // namespace zel
