// The conversion exports. Each decodes the caller's bytes straight into the
// target's writer in one pass and stores the result into the caller's string
// once; this gives the same bytes as decoding into a pivot string and then
// encoding it, including ids without a decoder, whose bytes are read as pivot
// pairs (an odd last byte dropped).
#include <cstddef>
#include <cstdint>

#include "src/core/check_unchanged.h"
#include "src/core/decoder_dispatch.h"
#include "src/core/output_bound.h"
#include "src/core/report.h"
#include "src/decode/pivot.h"
#include "src/encode/gb18030.h"
#include "src/encode/gbk.h"
#include "src/encode/pivot_output.h"
#include "src/encode/utf8.h"
#include "src/string/byte_sink.h"
#include "src/string/string_ops.h"
#include "zel_code.h"

namespace zel {
namespace {

// Ids 0 and 56 are refused and leave the string as it was.
int refusal(int id) noexcept {
  if (id == ZEL_CHARSET_UNKNOWN) return ZEL_RESULT_UNKNOWN_CHARSET;
  if (id == ZEL_CHARSET_RESERVED) return ZEL_RESULT_RESERVED_CHARSET;
  return ZEL_RESULT_OK;
}

// Room for the most the decoder can write into the target, reserved once
// and never copied. A 32-bit address space cannot spare three or four times
// a huge input up front: past 256 MiB there the estimate starts at the
// input's size and the sink grows.
template <class Output>
std::size_t expected_output(int id, std::size_t n) noexcept {
  const std::size_t bound =
      output_bound(charset_of(id).decoder, Output::max_unit_bytes, Output::ascii_unit_bytes, n);
  if constexpr (sizeof(void*) < 8) {
    constexpr std::size_t up_front = std::size_t{256} << 20;
    if (n > up_front / Output::max_unit_bytes) return n;
  }
  return bound;
}

// Flattened: every decoder and writer is inlined into one function per
// target, so the output and its cursor are locals whose position and end
// stay in registers. With a tally, the output is wrapped to count what
// degrades; without one, there is no counting at all.
template <class Output>
[[gnu::flatten]] void convert_in_place(int id, zel_string* s) {
  const std::uint8_t* in = string_bytes(s);
  std::size_t n = string_size(s);
  byte_sink sink(expected_output<Output>(id, n));
  Output out(sink);
  if (!decoder_dispatch(id, in, n, out)) pivot_reader(in, n, out);
  out.done();
  sink.hand_over(s);
}

// The same, counted into `tally`. Written out rather than sharing a body
// with the plain one: handing the output to a shared helper cost the plain
// UTF-8 to GB18030 path 1.4% more instructions.
template <class Output>
[[gnu::flatten]] void convert_in_place(int id, zel_string* s, report_tally& tally) {
  const std::uint8_t* in = string_bytes(s);
  std::size_t n = string_size(s);
  byte_sink sink(expected_output<Output>(id, n));
  reporting_output<Output> out(sink, tally, in);
  if (!decoder_dispatch(id, in, n, out)) pivot_reader(in, n, out);
  out.done();
  sink.hand_over(s);
}

// The pivot itself and ids without a decoder are left untouched.
template <class Output>
[[gnu::flatten]] void decode_into(int id, zel_string* s, Output& out, byte_sink& sink) {
  if (!decoder_dispatch(id, string_bytes(s), string_size(s), out)) return;
  out.done();
  sink.hand_over(s);
}

[[gnu::flatten]] void decode_in_place(int id, zel_string* s) {
  byte_sink sink(expected_output<pivot_output>(id, string_size(s)));
  pivot_output out(sink);
  decode_into(id, s, out, sink);
}

[[gnu::flatten]] void decode_in_place(int id, zel_string* s, report_tally& tally) {
  byte_sink sink(expected_output<pivot_output>(id, string_size(s)));
  reporting_output<pivot_output> out(sink, tally, string_bytes(s));
  decode_into(id, s, out, sink);
}

// The report exports: the same conversion, counted. `untouched` is the id
// the target copies as it is (none for GBK: id 0 is refused before), whose
// text is checked instead.
template <class Output>
int convert_reported(int id, zel_string* s, zel_report* r, int untouched) noexcept {
  report_tally tally;
  const int refused = refusal(id);
  if (!refused && s && id != untouched) convert_in_place<Output>(id, s, tally);
  if (!refused && s && id == untouched)
    check_unchanged(id, string_bytes(s), string_size(s), tally, true);
  tally.store(r);
  return refused;
}

}  // namespace
}  // namespace zel

using namespace zel;

extern "C" {

ZEL_API int ZEL_CALL zel_code_unicode(int id, zel_string* s) noexcept {
  if (int refused = refusal(id); refused || !s) return refused;
  decode_in_place(id, s);
  return ZEL_RESULT_OK;
}

ZEL_API int ZEL_CALL zel_code_utf8(int id, zel_string* s) noexcept {
  if (int refused = refusal(id); refused || !s) return refused;
  // UTF-8 given as UTF-8 is passed through unvalidated.
  if (id != ZEL_CHARSET_UTF8) convert_in_place<utf8_output>(id, s);
  return ZEL_RESULT_OK;
}

ZEL_API int ZEL_CALL zel_code_gbk(int id, zel_string* s) noexcept {
  if (int refused = refusal(id); refused || !s) return refused;
  // No pass-through: GB18030 text (id 2) is decoded and encoded again, so
  // characters beyond GBK become spaces.
  convert_in_place<gbk_output>(id, s);
  return ZEL_RESULT_OK;
}

ZEL_API int ZEL_CALL zel_code_gb18030(int id, zel_string* s) noexcept {
  if (int refused = refusal(id); refused || !s) return refused;
  if (id != ZEL_CHARSET_GB18030) convert_in_place<gb18030_output>(id, s);
  return ZEL_RESULT_OK;
}

ZEL_API int ZEL_CALL zel_code_unicode_report(int id, zel_string* s, zel_report* r) noexcept {
  report_tally tally;
  const int refused = refusal(id);
  if (!refused && s) decode_in_place(id, s, tally);
  tally.store(r);
  return refused;
}

ZEL_API int ZEL_CALL zel_code_utf8_report(int id, zel_string* s, zel_report* r) noexcept {
  return convert_reported<utf8_output>(id, s, r, ZEL_CHARSET_UTF8);
}

ZEL_API int ZEL_CALL zel_code_gbk_report(int id, zel_string* s, zel_report* r) noexcept {
  return convert_reported<gbk_output>(id, s, r, ZEL_CHARSET_UNKNOWN);
}

ZEL_API int ZEL_CALL zel_code_gb18030_report(int id, zel_string* s, zel_report* r) noexcept {
  return convert_reported<gb18030_output>(id, s, r, ZEL_CHARSET_GB18030);
}

}  // extern "C"
