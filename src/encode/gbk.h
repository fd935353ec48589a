// GBK output. GBK has no character for U+0080..U+FFFF outside code page
// 936's double-byte set (and no single-byte euro); such a code point, and
// any value above U+FFFF, becomes one space.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/encode/ascii_block.h"
#include "src/encode/narrow_output.h"
#include "src/simd/utf8_to_gbk.h"
#include "src/string/byte_sink.h"
#include "src/tables/gbk_gb18030.h"

namespace zel {

// Like utf8_put, each branch asks for exactly the bytes it writes.
template <class Cursor>
inline void gbk_put(std::uint32_t cp, Cursor& c) {
  if (cp < 0x80) {
    c.need(1);
    c.put(static_cast<std::uint8_t>(cp));
    return;
  }
  std::uint16_t code = cell(ucs2_to_gbk, cp, std::uint16_t{0xFFFF});
  if (code == 0xFFFF) {
    c.need(1);
    c.put(0x20);
    return;
  }
  c.need(2);
  c.put(static_cast<std::uint8_t>(code >> 8));
  c.put(static_cast<std::uint8_t>(code & 0xFF));
}

inline bool gbk_holds(std::uint16_t u) noexcept {
  return u < 0x80 || cell(ucs2_to_gbk, u, gbk_none) != gbk_none;
}

inline void gbk_writer(std::uint32_t cp, byte_sink& sink) { gbk_put(cp, sink); }

// Well-formed UTF-8 goes a piece at a time through the vector kernel of the
// CPU's level, looked up once per conversion.
struct gbk_output : narrow_output<2, gbk_put<sink_cursor>, gbk_holds> {
  static constexpr std::size_t short_run = utf8_to_gbk_window;
  static constexpr std::size_t longest_backoff = std::size_t{1} << 16;
  utf8_to_gbk_fn utf8_kernel = utf8_to_gbk_active();
  // Text whose characters GBK mostly lacks (Hangul, say) would stop the
  // kernel at nearly every one, a window decoded each time for little:
  // after a short run the decoder's own loop takes the next `backoff`
  // bytes, twice as many after each short run in a row. The decoder's
  // limit stays put, so what is left to it marks its place.
  std::size_t backoff = 0;
  std::size_t resume_when_left = SIZE_MAX;

  explicit gbk_output(byte_sink& sink) noexcept : narrow_output(sink) {}
  // The leading well-formed UTF-8 of the `avail` bytes at p, up to a
  // character GBK lacks (left to unit(), so a report counts it): returns
  // how many bytes are now written. Only what fits the room at hand is
  // written, so output that reaches the longest string still stops on the
  // same whole character. The last byte is left to the decoder, whose
  // loop would end on reaching `avail` before the ASCII it copies past it.
  std::size_t utf8_blocks(const std::uint8_t* p, std::size_t avail) {
    if (!utf8_kernel || avail <= utf8_to_gbk_window || avail > resume_when_left) return 0;
    const utf8_gbk_run run =
        utf8_kernel(p, avail - 1, at.pos, static_cast<std::size_t>(at.end - at.pos));
    at.pos += run.bytes;
    if (run.read >= short_run) {
      backoff = 0;
    } else {
      backoff =
          backoff ? (backoff < longest_backoff ? 2 * backoff : backoff) : 2 * utf8_to_gbk_window;
      const std::size_t left = avail - run.read;
      resume_when_left = left > backoff ? left - backoff : 0;
    }
    return run.read;
  }
};

}  // namespace zel
