// The output of GBK or GB18030: a narrow output whose well-formed UTF-8
// input goes a piece at a time through the vector kernel of the CPU's
// level, looked up once per conversion, up to each character without a
// two-byte code that unit() must write: GB18030's four bytes, and GBK's
// space while a report has not placed its first event.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/encode/narrow_output.h"
#include "src/simd/utf8_to_gbk.h"
#include "src/string/byte_sink.h"

namespace zel {

template <std::size_t MaxUnitBytes, void (*Put)(std::uint32_t, sink_cursor&),
          bool (*Holds)(std::uint16_t), gbk_target Target>
struct gbk_family_output : narrow_output<MaxUnitBytes, Put, Holds> {
  static constexpr std::size_t short_run = utf8_to_gbk_window;
  static constexpr std::size_t longest_backoff = std::size_t{1} << 16;
  // GBK's space is put by the kernel itself, and counted in `spaces`, unless
  // keep_report() has it stop.
  utf8_to_gbk_fn utf8_kernel = utf8_to_gbk_active(Target, gbk_lacking::space);
  std::size_t spaces = 0;
  // Text whose characters mostly lack a two-byte code (Hangul, say) would
  // stop the kernel at nearly every one, a window decoded each time for
  // little: after a short run the decoder's own loop takes the next
  // `backoff` bytes, twice as many after each short run in a row. The
  // decoder's limit stays put, so what is left to it marks its place.
  std::size_t backoff = 0;
  std::size_t resume_when_left = SIZE_MAX;

  explicit gbk_family_output(byte_sink& sink) noexcept
      : narrow_output<MaxUnitBytes, Put, Holds>(sink) {}
  // An output that keeps a report places the first GBK space: its kernel
  // stops before them and leaves them to unit(), until count_spaces().
  void keep_report() noexcept { utf8_kernel = utf8_to_gbk_active(Target, gbk_lacking::stop); }
  void count_spaces() noexcept { utf8_kernel = utf8_to_gbk_active(Target, gbk_lacking::space); }
  // The leading well-formed UTF-8 of the `avail` bytes at p, up to a
  // character without a two-byte code (GB18030's four bytes, and GBK's
  // space from keep_report() to count_spaces(), are left to unit()):
  // returns how many of the bytes were converted. Only what fits the room
  // at hand is written, so output that reaches the longest string still
  // stops on the same whole character. The last byte is left to the
  // decoder, whose loop would end on reaching `avail` before the ASCII it
  // copies past it.
  bool has_utf8_blocks() const noexcept { return utf8_kernel != nullptr; }
  std::size_t utf8_blocks(const std::uint8_t* p, std::size_t avail) {
    if (avail <= utf8_to_gbk_window || avail > resume_when_left) return 0;
    sink_cursor& to = this->at;
    const utf8_gbk_run run =
        utf8_kernel(p, avail - 1, to.pos, static_cast<std::size_t>(to.end - to.pos));
    to.pos += run.bytes;
    spaces += run.spaces;
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
