// The character reference exports. Each decodes the caller's bytes in one
// pass into one reservation and stores the result into the caller's string
// once; they differ only in the writer that emits a decoded character.
#include "src/entity/decode_references.h"

#include <cstddef>
#include <cstdint>

#include "src/encode/gbk.h"
#include "src/encode/utf8.h"
#include "src/string/byte_sink.h"
#include "src/string/string_ops.h"
#include "zel_code.h"

namespace zel {
namespace {

template <code_point_writer write>
void decode_in_place(zel_string* s, std::size_t max_bytes) {
  if (!s) return;
  const std::size_t n = string_size(s);
  byte_sink sink(reference_output_bound(n, max_bytes));
  decode_references<write>(string_bytes(s), n, sink);
  sink.store_into(s);
}

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

}  // extern "C"
