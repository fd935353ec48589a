// The character reference exports. Each decodes the caller's bytes in one
// pass into one reservation and stores the result into the caller's string
// once; they differ only in the writer that emits a decoded character.
#include "src/entity/decode_references.h"

#include <cstddef>
#include <cstdint>

#include "src/encode/gb18030.h"
#include "src/encode/gbk.h"
#include "src/encode/utf8.h"
#include "src/string/byte_sink.h"
#include "src/string/string_ops.h"
#include "zel_code.h"

namespace zel {
namespace {

template <code_point_writer write, bool with_report = false>
void decode_in_place(zel_string* s, std::size_t max_bytes, zel_report* r = nullptr) {
  report_tally tally;
  if (s) {
    const std::size_t n = string_size(s);
    byte_sink sink(reference_output_bound(n, max_bytes));
    decode_references<write, true, with_report>(string_bytes(s), n, sink, &tally);
    sink.hand_over(s);
  }
  if constexpr (with_report) tally.store(r);
}

// A four-byte UTF-8 character takes a reference of seven bytes or more, so
// UTF-8 output is bounded as if it took three at most.

}  // namespace
}  // namespace zel

using namespace zel;

extern "C" {

ZEL_API void ZEL_CALL zel_decode_utf8(zel_string* s) noexcept {
  decode_in_place<utf8_writer>(s, utf8_output::max_unit_bytes);
}

ZEL_API void ZEL_CALL zel_decode_gbk(zel_string* s) noexcept {
  decode_in_place<gbk_writer>(s, gbk_output::max_unit_bytes);
}

ZEL_API void ZEL_CALL zel_decode_gb18030(zel_string* s) noexcept {
  decode_in_place<gb18030_writer>(s, gb18030_output::max_unit_bytes);
}

ZEL_API void ZEL_CALL zel_decode_utf8_report(zel_string* s, zel_report* r) noexcept {
  decode_in_place<utf8_writer, true>(s, utf8_output::max_unit_bytes, r);
}

ZEL_API void ZEL_CALL zel_decode_gbk_report(zel_string* s, zel_report* r) noexcept {
  decode_in_place<gbk_writer, true>(s, gbk_output::max_unit_bytes, r);
}

ZEL_API void ZEL_CALL zel_decode_gb18030_report(zel_string* s, zel_report* r) noexcept {
  decode_in_place<gb18030_writer, true>(s, gb18030_output::max_unit_bytes, r);
}

}  // extern "C"
