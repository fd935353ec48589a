// Character reference decoding: the HTML references in UTF-8, GBK or GB18030
// text are replaced by their characters, written in that same encoding by
// utf8_writer, gbk_writer or gb18030_writer.
//
// The text itself is never decoded or validated. Only "&" starts a reference,
// and 0x26 is never part of a multi-byte character in these encodings (trail
// bytes start at 0x80, 0x40 and 0x30), so scanning raw bytes cannot split one.
// A reference that yields 0 (no digits, an unknown or mis-cased name, the
// value 0 itself, a lone "&") stays as written: its "&" is copied and the
// bytes after it are read again as ordinary text. A value the writer cannot
// hold becomes a space (GBK; GB18030 for a surrogate or a value beyond
// U+10FFFF) or nothing (UTF-8 beyond U+10FFFF).
//
// The shortest reference takes three bytes ("&lt", "&#1") and a writer emits
// at most four, so the output needs at most four thirds of the input; GBK
// output (two bytes at most) never outgrows the input, nor does UTF-8, whose
// four-byte characters take references of at least seven bytes ("&#65536").
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/core/report.h"
#include "src/entity/reference_scanner.h"
#include "src/string/byte_sink.h"

namespace zel {

using code_point_writer = void (*)(std::uint32_t, byte_sink&);

inline constexpr std::size_t shortest_reference = 3;

// Bytes to reserve for decoding n input bytes with a writer that emits at
// most max_bytes per character. The writer's room check before each
// character is covered too: room left never drops below what the rest of
// the input may still need.
inline std::size_t reference_output_bound(std::size_t n, std::size_t max_bytes) {
  if (max_bytes <= shortest_reference) return n;
  // Each started group of three input bytes may gain what a character
  // written from its shortest reference gains.
  return n + (n + shortest_reference - 1) / shortest_reference * (max_bytes - shortest_reference);
}

// Copies the bytes from i up to the next "&" (or the end) and returns the
// index it stopped at. The plain form steps byte by byte; tests hold the
// fast form to it.
template <bool find_runs>
std::size_t copy_until_ampersand(const std::uint8_t* in, std::size_t n, std::size_t i,
                                 byte_sink& sink) {
  if constexpr (find_runs) {
    const void* found = std::memchr(in + i, '&', n - i);
    const std::size_t stop =
        found ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - in) : n;
    sink.put(in + i, stop - i);
    return stop;
  } else {
    for (; i < n && in[i] != '&'; ++i) {
      sink.need(1);
      sink.put(in[i]);
    }
    return i;
  }
}

// With a tally (the report exports), each reference whose character the
// writer could not write is counted where the reference starts: a space
// written for it is a character the target cannot hold, nothing at all a
// dropped reference (UTF-8 beyond U+10FFFF), and output that stops fitting
// in a string is placed where it stopped.
//
// Returns how many bytes it took: all of them for the last piece of a text
// (`last`); else it stops at an "&" whose reference may go on in the next
// piece: one that runs to the piece's end, or a numeric one whose "x" is the
// piece's last byte (the scanner takes an "x" for a prefix only with a byte
// after it).
template <code_point_writer write, bool find_runs = true, bool with_report = false>
std::size_t decode_references(const std::uint8_t* in, std::size_t n, byte_sink& sink,
                              report_tally* tally = nullptr, bool last = true) {
  std::size_t i = 0;
  while (i < n) {
    if constexpr (with_report) {
      const std::size_t run_start = i, before_run = sink.size();
      i = copy_until_ampersand<find_runs>(in, n, i, sink);
      if (sink.full) tally->cut_at(run_start + (sink.kept - before_run));
    } else {
      i = copy_until_ampersand<find_runs>(in, n, i, sink);
    }
    if (i >= n) break;
    std::uint32_t value = 0;
    std::size_t end = i;
    if (i + 1 < n) {
      if (in[i + 1] == '#') {
        value = parse_numeric_reference(in, n, i + 2, end);
      } else {
        zel_slice name;
        scan_reference_name(in, n, i + 1, name, end);
        value = lookup_entity(name);
      }
    }
    if (!last && (i + 1 >= n || end >= n || (in[i + 1] == '#' && end + 2 == n && is_x(in[n - 1]))))
      return i;
    if (value != 0) {
      [[maybe_unused]] const std::size_t before = with_report ? sink.size() : 0;
      write(value, sink);
      if constexpr (with_report) {
        const std::size_t wrote = sink.size() - before;
        if (sink.full)
          tally->cut_at(i);
        else if (wrote == 0)
          tally->add(degradation::dropped, i, std::min(end + 1, n) - i);
        else if (wrote == 1 && value != 0x20 && sink_last_byte(sink) == 0x20)
          tally->add(degradation::unmappable, i, 1);
      }
      i = end + 1;
    } else {
      sink.need(1);
      sink.put('&');
      if constexpr (with_report)
        if (sink.full) tally->cut_at(i);
      i += 1;
    }
  }
  return n;
}

}  // namespace zel
