// zel_convert: the general conversion of a whole text, in place. The text
// is the one piece that is also the last; the output replaces the string's
// content only when the conversion was not stopped.
#include <cstddef>
#include <cstdint>

#include "src/core/decoder_dispatch.h"
#include "src/core/general_conversion.h"
#include "src/core/report.h"
#include "src/string/byte_sink.h"
#include "src/string/string_ops.h"
#include "zel_code.h"

namespace zel {
namespace {

// One function per output with every decoder in it. The fast outputs are
// flattened into it, so that the output and its cursor stay in registers
// (as in the ten conversions); the encoders' switch is not, which would
// copy every encoder into every place a decoder writes a character.
template <class Output, bool counted, class... Args>
std::size_t piece_into(general_conversion& c, const std::uint8_t* in, std::size_t n, bool last,
                       byte_sink& sink, report_tally* tally, Args&&... args) {
  auto run = [&](auto& out) {
    const std::size_t took = decode_general(c.from, in, n, out, c.decoding, last);
    if (last) out.finish();
    out.done();
    return took;
  };
  if constexpr (counted) {
    reporting_output<Output> out(sink, *tally, in, args...);
    return run(out);
  } else {
    Output out(sink, args...);
    return run(out);
  }
}

template <class Output, bool counted, class... Args>
[[gnu::flatten]] std::size_t flat_piece_into(general_conversion& c, const std::uint8_t* in,
                                             std::size_t n, bool last, byte_sink& sink,
                                             report_tally* tally, Args&&... args) {
  return piece_into<Output, counted>(c, in, n, last, sink, tally, args...);
}

template <bool counted>
std::size_t piece(general_conversion& c, const std::uint8_t* in, std::size_t n, bool last,
                  byte_sink& sink, report_tally* tally) {
  switch (c.to) {
    case ZEL_CHARSET_UTF8:
      return flat_piece_into<general_utf8_output, counted>(c, in, n, last, sink, tally, c.rule);
    case ZEL_CHARSET_GB18030:
      return flat_piece_into<general_gb18030_output, counted>(c, in, n, last, sink, tally, c.rule);
    case ZEL_CHARSET_UTF16LE:
      return flat_piece_into<general_utf16le_output, counted>(c, in, n, last, sink, tally, c.rule);
    case ZEL_CHARSET_UCS2LE:
    case ZEL_CHARSET_JIS_X0201:
      return flat_piece_into<general_ucs2_output, counted>(c, in, n, last, sink, tally, c.rule);
    default:
      return piece_into<encoder_output, counted>(c, in, n, last, sink, tally,
                                                 encoder_for(c.to, c.encoding), c.rule);
  }
}

}  // namespace

std::size_t general_piece(general_conversion& c, const std::uint8_t* in, std::size_t n, bool last,
                          byte_sink& sink, report_tally* tally) {
  return tally ? piece<true>(c, in, n, last, sink, tally)
               : piece<false>(c, in, n, last, sink, nullptr);
}

}  // namespace zel

using namespace zel;

extern "C" {

ZEL_API int ZEL_CALL zel_convert(int from, int to, int unmappable, zel_string* s,
                                 zel_report* r) noexcept {
  report_tally tally;
  int result = general_refusal(from, to, unmappable);
  if (!result && s) {
    general_conversion c = make_general(from, to, unmappable);
    const std::uint8_t* in = string_bytes(s);
    const std::size_t n = string_size(s);
    byte_sink sink(general_estimate(to, n));
    general_piece(c, in, n, true, sink, r ? &tally : nullptr);
    if (c.rule.stopped)
      result = ZEL_RESULT_UNMAPPABLE;
    else
      sink.hand_over(s);
  }
  tally.store(r);
  return result;
}

}  // extern "C"
