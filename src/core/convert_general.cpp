// zel_convert: the general conversion of a whole text, in place. The text
// is the one piece that is also the last; the output replaces the string's
// content only when the conversion was not stopped.
#include <cstddef>
#include <cstdint>

#include "src/core/decoder_dispatch.h"
#include "src/core/general_conversion.h"
#include "src/core/report.h"
#include "src/encode/window_encoder.h"
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

// A target written through an encoder, with no report to place what
// degrades: the piece is decoded a window at a time into UTF-16LE scratch
// through the fast UTF-16LE output and its vector paths, and each window is
// encoded by a loop built for the target's encoder. The same bytes as the
// counted path's character-at-a-time writes (tested side by side).
std::size_t staged_piece(general_conversion& c, const std::uint8_t* in, std::size_t n, bool last,
                         byte_sink& sink) {
  constexpr std::size_t window = 16384;
  byte_sink units(2 * (n < window ? n : window) + 64);
  const any_encoder enc = encoder_for(c.to, c.encoding);
  sink_cursor at(sink);
  std::size_t done = 0;
  bool stalled = false;
  for (;;) {
    const std::size_t rest = n - done;
    // A window that takes nothing (a sequence held open across it) is
    // widened to the rest of the piece.
    const bool final_window = rest <= window || stalled;
    const std::size_t size = final_window ? rest : window;
    units.rewind();
    const std::size_t took = flat_piece_into<general_utf16le_output, false>(
        c, in + done, size, last && final_window, units, nullptr, c.rule);
    encode_window(enc, units.data(), units.size() / 2, at, c.rule);
    done += took;
    if (final_window || c.rule.stopped) break;
    stalled = took == 0;
  }
  if (last && !c.rule.stopped) enc.finish(at);
  at.done();
  return done;
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
      if constexpr (!counted)
        return staged_piece(c, in, n, last, sink);
      else
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
