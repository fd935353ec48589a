// Big5 <-> GBK transcoding, pair by pair through direct tables, without the
// pivot; the script changes with the encoding (traditional forms become
// simplified ones and back).
//
// Big5 to GBK: a lead 0xA1..0xFE with a trail 0x40..0xFE reads big5_to_gbk at
// 191(lead-A1) + (trail-40). A marked cell (A1 A1) is found through Unicode:
// ucs2_to_gbk of the big5_to_ucs2 cell, written lead byte first, so an empty
// Big5 cell gives FF FF (U+0000) or A3 4D (U+FFFD), as the tables hold them.
// GBK to Big5: a lead 0xA1..0xFE with a trail 0xA1..0xFE (the GB 2312 area)
// reads gbk_to_big5; GBK's extension codes, whose trails lie below 0xA1, and
// pairs of the leads 0xAA..0xAF, which have no row, pass through as the
// pairs they are.
// Both: a byte 0x81..0xA0 (a lead of GBK's extension codes, like 83 D3 that
// Big5 to GBK writes for U+5187) passes through with the trail after it as
// one pair, so the trail never starts a pair of its own; any other byte
// passes through, a lead byte at the very end is dropped, and a lead whose
// next byte is no trail passes through alone, the next byte read afresh.
// Output is never longer than the input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/core/report.h"
#include "src/decode/decoder_state.h"
#include "src/string/byte_sink.h"
#include "src/string/string_ops.h"
#include "src/tables/big5.h"
#include "src/tables/big5gbk.h"
#include "src/tables/gbk_gb18030.h"
#include "zel_code.h"

namespace zel {

// What a transcoder tells its report; without a report (the plain exports)
// every call compiles away.
template <bool with_report>
struct transcode_events {
  report_tally* tally;
  void add(degradation kind, std::size_t at, std::size_t n = 1) noexcept {
    if constexpr (with_report) tally->add(kind, at, n);
  }
};

// Copies the run of ASCII at in[i], moves i past it, and says whether input
// remains.
inline bool copy_ascii(const std::uint8_t* in, std::size_t n, std::size_t& i, byte_sink& sink) {
  std::size_t end = i;
  while (end < n && in[end] < 0x80) ++end;
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

// Whether b may follow a lead byte as its trail in either encoding.
inline bool any_trail(std::uint8_t b) noexcept { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Bytes that lead no pair in either direction pass through unchanged: 0x80
// and 0xFF alone, and a byte 0x81..0xA0, a lead of GBK's extension codes,
// with the trail after it, so that the trail never starts a pair of its own
// and the text stays aligned. Returns the bytes taken.
template <bool with_report>
std::size_t pass_unchanged(const std::uint8_t* in, std::size_t n, std::size_t i, byte_sink& sink,
                           transcode_events<with_report> events) {
  const std::uint8_t b1 = in[i];
  if (b1 != 0x80 && b1 != 0xFF && i + 1 < n && any_trail(in[i + 1])) {
    put_byte(sink, b1);
    put_byte(sink, in[i + 1]);
    events.add(degradation::passed, i, 2);
    return 2;
  }
  put_byte(sink, b1);
  events.add(degradation::passed, i);
  return 1;
}

// Bytes 0xA1..0xFE lead the pairs the tables convert.
inline bool leads_pair(std::uint8_t b) noexcept { return b >= 0xA1 && b != 0xFF; }

// The cells after F9D5, Big5's last character, read here as U+0000, whose
// GBK code is none (FF FF), as this transcoder has always given them.
inline constexpr std::uint16_t big5_gbk_unicode_past_end = 0;

// A marked Big5 pair: its character through Unicode, GBK code lead byte first.
template <bool with_report>
inline void put_through_unicode(byte_sink& sink, std::uint8_t b1, std::uint8_t b2, std::size_t at,
                                transcode_events<with_report> events) {
  const std::uint16_t unit =
      cell(big5_to_ucs2, big5_columns * (b1 - 0x80u) + (b2 - 0x40u), big5_gbk_unicode_past_end);
  const std::uint16_t code = cell(ucs2_to_gbk, unit, gbk_none);
  if (unit == 0xFFFD) events.add(degradation::replaced, at);
  if (code == gbk_none) events.add(degradation::unmappable, at);
  sink.need(2);
  sink.put(static_cast<std::uint8_t>(code >> 8));
  sink.put(static_cast<std::uint8_t>(code & 0xFF));
}

// The scan both directions share: runs of ASCII are copied, bytes that lead
// no pair pass through, a lead at the very end is dropped, and each lead
// 0xA1..0xFE with a byte after it goes to `pair`, which writes what it makes
// of the two (lead, next byte, offset) and returns how many it took.
// Returns how many bytes it took: all of them for the last piece of a text
// (`last`), else all but a lead the piece ends after.
template <bool with_report, class Pair>
std::size_t transcode_scan(const std::uint8_t* in, std::size_t n, byte_sink& sink,
                           transcode_events<with_report> events, bool last, Pair pair) {
  std::size_t i = 0;
  while (copy_ascii(in, n, i, sink)) {
    const std::uint8_t b1 = in[i];
    if (i + 1 >= n && b1 != 0x80 && b1 != 0xFF && !last) return i;  // its trail is to come
    if (!leads_pair(b1)) [[unlikely]] {
      i += pass_unchanged(in, n, i, sink, events);
      continue;
    }
    if (i + 1 >= n) {
      events.add(degradation::dropped, i);  // a lead cut off by the end
      return n;
    }
    i += pair(b1, in[i + 1], i);
  }
  return i;
}

// A lead whose next byte is no trail passes through alone; that byte is read
// afresh.
template <bool with_report>
std::size_t pass_lead(byte_sink& sink, std::uint8_t b1, std::size_t at,
                      transcode_events<with_report> events) {
  put_byte(sink, b1);
  events.add(degradation::passed, at);
  return 1;
}

template <bool with_report>
std::size_t big5_to_gbk_pairs(const std::uint8_t* in, std::size_t n, byte_sink& sink,
                              transcode_events<with_report> events, bool last = true) {
  return transcode_scan(
      in, n, sink, events, last, [&](std::uint8_t b1, std::uint8_t b2, std::size_t at) {
        if (b2 < 0x40 || b2 == 0xFF) return pass_lead(sink, b1, at, events);
        const std::uint16_t v =
            cell(big5_to_gbk, big5_gbk_columns * (b1 - 0xA1u) + (b2 - 0x40u), big5_gbk_marker);
        if (v == big5_gbk_marker)
          put_through_unicode(sink, b1, b2, at, events);
        else
          put_cell(sink, v);
        return std::size_t{2};
      });
}

template <bool with_report>
std::size_t gbk_to_big5_pairs(const std::uint8_t* in, std::size_t n, byte_sink& sink,
                              transcode_events<with_report> events, bool last = true) {
  return transcode_scan(
      in, n, sink, events, last, [&](std::uint8_t b1, std::uint8_t b2, std::size_t at) {
        // GBK's extension codes with a trail below 0xA1 have no Big5 form, nor do
        // GB 2312's empty rows 0xAA..0xAF (the table has none): both bytes pass
        // through as the pair they are.
        if ((b2 < 0xA1 && any_trail(b2)) ||
            (b2 >= 0xA1 && b2 != 0xFF && b1 >= 0xAA && b1 <= 0xAF)) {
          put_byte(sink, b1);
          put_byte(sink, b2);
          events.add(degradation::passed, at, 2);
          return std::size_t{2};
        }
        if (b2 < 0xA1 || b2 == 0xFF) return pass_lead(sink, b1, at, events);
        const std::size_t row = b1 <= 0xA9 ? b1 - 0xA1u : b1 - 0xA7u;
        const std::uint16_t v =
            cell(gbk_to_big5, gbk_big5_columns * row + (b2 - 0xA1u), gbk_big5_space);
        // The full-width space stands in for a character Big5 lacks, except for
        // GB 2312's own full-width space, A1 A1.
        if (v == gbk_big5_space && (b1 != 0xA1 || b2 != 0xA1))
          events.add(degradation::unmappable, at);
        put_cell(sink, v);
        return std::size_t{2};
      });
}

}  // namespace zel
