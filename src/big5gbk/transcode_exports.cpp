// The Big5/GBK transcoding exports (the transcoders are in transcoders.h).
#include <cstddef>
#include <cstdint>

#include "src/big5gbk/transcoders.h"
#include "src/core/report.h"
#include "src/string/byte_sink.h"
#include "src/string/string_ops.h"
#include "zel_code.h"

namespace zel {
namespace {

// An empty string is left as it is; otherwise the output, never longer than
// the input, is built once and stored into the caller's string.
template <bool with_report>
void transcode_in_place(zel_string* s,
                        std::size_t (*pairs)(const std::uint8_t*, std::size_t, byte_sink&,
                                             transcode_events<with_report>, bool),
                        zel_report* r = nullptr) {
  report_tally tally;
  if (s && !zel_string_is_empty(s)) {
    const std::size_t n = string_size(s);
    byte_sink sink(n);
    pairs(string_bytes(s), n, sink, transcode_events<with_report>{&tally}, true);
    sink.hand_over(s);
  }
  if constexpr (with_report) tally.store(r);
}

}  // namespace
}  // namespace zel

extern "C" {

ZEL_API void ZEL_CALL zel_code_big5_gbk(zel_string* s) noexcept {
  zel::transcode_in_place<false>(s, zel::big5_to_gbk_pairs<false>);
}

ZEL_API void ZEL_CALL zel_code_gbk_big5(zel_string* s) noexcept {
  zel::transcode_in_place<false>(s, zel::gbk_to_big5_pairs<false>);
}

ZEL_API void ZEL_CALL zel_code_big5_gbk_report(zel_string* s, zel_report* r) noexcept {
  zel::transcode_in_place<true>(s, zel::big5_to_gbk_pairs<true>, r);
}

ZEL_API void ZEL_CALL zel_code_gbk_big5_report(zel_string* s, zel_report* r) noexcept {
  zel::transcode_in_place<true>(s, zel::gbk_to_big5_pairs<true>, r);
}

}  // extern "C"
