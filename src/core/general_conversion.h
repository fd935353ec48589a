// The general conversion: any charset id to any other, every code point
// whole. One piece of a text at a time, so that zel_convert (one piece, the
// last) and its streams take the same steps; the decoders are the ten
// exports' own, given outputs that take code points.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/core/report.h"
#include "src/encode/general_output.h"
#include "src/string/byte_sink.h"
#include "zel_code.h"

namespace zel {

// What a general conversion keeps from one piece of a text to the next.
struct general_conversion {
  int from = 0, to = 0;
  lacking_policy rule;
  decoder_state decoding;
  encoder_state encoding;

  void restart() noexcept {
    rule.stopped = false;
    decoding = decoder_state{};
    encoding = encoder_state{};
  }
};

// Whether an id names a charset the general conversion reads and writes.
constexpr bool general_charset(int id) noexcept {
  return (id >= ZEL_CHARSET_UCS2LE && id < ZEL_CHARSET_RESERVED) ||
         (id >= ZEL_CHARSET_UTF32 && id <= ZEL_CHARSET_MACINTOSH);
}

// ZEL_RESULT_OK, or why the ids or the choice cannot be converted.
constexpr int general_refusal(int from, int to, int unmappable) noexcept {
  for (int id : {from, to}) {
    if (id == ZEL_CHARSET_RESERVED) return ZEL_RESULT_RESERVED_CHARSET;
    if (!general_charset(id)) return ZEL_RESULT_UNKNOWN_CHARSET;
  }
  if (unmappable < ZEL_UNMAPPABLE_SUBSTITUTE || unmappable > ZEL_UNMAPPABLE_STOP)
    return ZEL_RESULT_BAD_ARGUMENT;
  return ZEL_RESULT_OK;
}

// The substitute of a target: U+FFFD where the target is Unicode (or
// GB18030, which holds it), '?' in the byte charsets.
constexpr char32_t substitute_of(int to) noexcept {
  switch (to) {
    case ZEL_CHARSET_UCS2LE:
    case ZEL_CHARSET_JIS_X0201:
    case ZEL_CHARSET_GB18030:
    case ZEL_CHARSET_UTF8:
    case ZEL_CHARSET_UTF16:
    case ZEL_CHARSET_UTF16BE:
    case ZEL_CHARSET_UTF16LE:
    case ZEL_CHARSET_UTF32:
    case ZEL_CHARSET_UTF32BE:
    case ZEL_CHARSET_UTF32LE:
      return 0xFFFD;
    case ZEL_CHARSET_KS_X_1001:
      return 0xFF1F;  // its pairs leave no byte for '?': the full-width one
    default:
      return '?';
  }
}

inline general_conversion make_general(int from, int to, int unmappable) noexcept {
  general_conversion c;
  c.from = from;
  c.to = to;
  c.rule.mode = unmappable;
  c.rule.substitute = substitute_of(to);
  return c;
}

// Room to reserve for n bytes of input: most targets write at most two
// bytes a byte; the sink grows past it where a text needs more.
inline std::size_t general_estimate(int to, std::size_t n) noexcept {
  const std::size_t per_byte = to >= ZEL_CHARSET_UTF32 && to <= ZEL_CHARSET_UTF32LE ? 4 : 2;
  return n <= (SIZE_MAX - 64) / per_byte ? n * per_byte + 64 : n;
}

// Converts the n bytes at `in`, a piece of the text (`last` when it ends
// it), appending to `sink`: returns how many bytes were taken, all of them
// for the last piece. Counted into `tally` when it is not null.
std::size_t general_piece(general_conversion& c, const std::uint8_t* in, std::size_t n, bool last,
                          byte_sink& sink, report_tally* tally);

}  // namespace zel
