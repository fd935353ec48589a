// Big5 <-> GBK transcoding, pair by pair through direct tables, without the
// pivot; the script changes with the encoding (traditional forms become
// simplified ones and back).
//
// Big5 to GBK: a lead 0xA1..0xFE with a trail 0x40..0xFE reads big5_to_gbk at
// 191(lead-A1) + (trail-40). A marked cell (A1 A1) is found through Unicode:
// ucs2_to_gbk of the big5_to_ucs2 cell, written lead byte first, so an empty
// Big5 cell gives FF FF (U+0000) or A3 4D (U+FFFD), as the tables hold them.
// GBK to Big5: a lead 0xA1..0xFE with a trail 0xA1..0xFE (the GB 2312 area)
// reads gbk_to_big5; GBK's extension codes, whose trails lie below 0xA1, pass
// through byte by byte. Leads 0xAA..0xAF have no row: such a pair passes
// through as its two bytes, so escapes stay visible.
// Both: any other byte passes through, a lead byte at the very end is
// dropped, and a lead whose next byte is no trail passes through alone, the
// next byte read afresh. Output is never longer than the input.
#include <cstddef>
#include <cstdint>

#include "src/string/byte_sink.h"
#include "src/string/string_ops.h"
#include "src/tables/big5gbk.h"
#include "src/tables/tables.h"
#include "zel_code.h"

namespace zel {
namespace {

// Bytes below 0xA1 and 0xFF lead no pair in either direction.
inline bool leads_pair(std::uint8_t b) noexcept { return b >= 0xA1 && b != 0xFF; }

// Copies the run of bytes at in[i] that lead no pair, moves i past it, and
// says whether input remains.
inline bool copy_plain_run(const std::uint8_t* in, std::size_t n, std::size_t& i, byte_sink& sink) {
  std::size_t end = i;
  while (end < n && !leads_pair(in[end])) ++end;
  if (end > i) {
    sink.put(in + i, end - i);
    i = end;
  }
  return i < n;
}

// A direct table cell holds its first output byte in the low half.
inline void put_cell(byte_sink& sink, std::uint16_t v) {
  sink.need(2);
  sink.put(static_cast<std::uint8_t>(v & 0xFF));
  sink.put(static_cast<std::uint8_t>(v >> 8));
}

inline void put_byte(byte_sink& sink, std::uint8_t b) {
  sink.need(1);
  sink.put(b);
}

// A marked Big5 pair: its character through Unicode, GBK code lead byte first.
inline void put_through_unicode(byte_sink& sink, std::uint8_t b1, std::uint8_t b2) {
  const std::uint16_t unit =
      cell(big5_to_ucs2, big5_columns * (b1 - 0x80u) + (b2 - 0x40u), big5_past_end);
  const std::uint16_t code = cell(ucs2_to_gbk, unit, gbk_none);
  sink.need(2);
  sink.put(static_cast<std::uint8_t>(code >> 8));
  sink.put(static_cast<std::uint8_t>(code & 0xFF));
}

void big5_to_gbk_pairs(const std::uint8_t* in, std::size_t n, byte_sink& sink) {
  std::size_t i = 0;
  while (copy_plain_run(in, n, i, sink)) {
    const std::uint8_t b1 = in[i];
    if (i + 1 >= n) break;  // a lead cut off by the end is dropped
    const std::uint8_t b2 = in[i + 1];
    if (b2 < 0x40 || b2 == 0xFF) {
      put_byte(sink, b1);
      ++i;
      continue;
    }
    const std::uint16_t v =
        cell(big5_to_gbk, big5_gbk_columns * (b1 - 0xA1u) + (b2 - 0x40u), big5_gbk_marker);
    if (v == big5_gbk_marker)
      put_through_unicode(sink, b1, b2);
    else
      put_cell(sink, v);
    i += 2;
  }
}

void gbk_to_big5_pairs(const std::uint8_t* in, std::size_t n, byte_sink& sink) {
  std::size_t i = 0;
  while (copy_plain_run(in, n, i, sink)) {
    const std::uint8_t b1 = in[i];
    if (i + 1 >= n) break;  // a lead cut off by the end is dropped
    const std::uint8_t b2 = in[i + 1];
    if (b2 < 0xA1 || b2 == 0xFF) {
      put_byte(sink, b1);
      ++i;
      continue;
    }
    if (b1 >= 0xAA && b1 <= 0xAF) {
      // GB 2312 leaves these rows empty and the table has none.
      put_byte(sink, b1);
      put_byte(sink, b2);
      i += 2;
      continue;
    }
    const std::size_t row = b1 <= 0xA9 ? b1 - 0xA1u : b1 - 0xA7u;
    put_cell(sink, cell(gbk_to_big5, gbk_big5_columns * row + (b2 - 0xA1u), gbk_big5_space));
    i += 2;
  }
}

// An empty string is left as it is; otherwise the output, never longer than
// the input, is built once and stored into the caller's string.
void transcode_in_place(zel_string* s,
                        void (*pairs)(const std::uint8_t*, std::size_t, byte_sink&)) {
  if (!s || zel_string_is_empty(s)) return;
  const std::size_t n = string_size(s);
  byte_sink sink(n);
  pairs(string_bytes(s), n, sink);
  sink.store_into(s);
}

}  // namespace
}  // namespace zel

extern "C" {

ZEL_API void ZEL_CALL zel_code_big5_gbk(zel_string* s) noexcept {
  zel::transcode_in_place(s, zel::big5_to_gbk_pairs);
}

ZEL_API void ZEL_CALL zel_code_gbk_big5(zel_string* s) noexcept {
  zel::transcode_in_place(s, zel::gbk_to_big5_pairs);
}

}  // extern "C"
