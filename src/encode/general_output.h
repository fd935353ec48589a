// The outputs of the general conversion (zel_convert). They take every code
// point: BMP characters through unit(), the rest through code_point(). Text
// whose target has a fast output already (UTF-8, GB18030, UTF-16LE and the
// pivot) goes through that output and its vector paths, which only ever take
// text the general conversion reads the same way; every other target goes
// through any_encoder, one code point at a time.
//
// A character the target lacks is the caller's choice (zel_unmappable):
// the charset's substitute ('?' in byte charsets, U+FFFD in Unicode ones),
// nothing, a decimal character reference, or a stop that fails the call.
// Each counts as unmappable, placed where its character starts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/core/report.h"
#include "src/encode/any_encoder.h"
#include "src/encode/gb18030.h"
#include "src/encode/pivot_output.h"
#include "src/encode/utf8.h"
#include "zel_code.h"

namespace zel {

struct lacking_policy {
  int mode = ZEL_UNMAPPABLE_SUBSTITUTE;
  char32_t substitute = '?';
  bool stopped = false;
  // Set by a reporting_output around the output: where each lacking
  // character is counted.
  report_tally* tally = nullptr;
  const std::uint8_t* const* here = nullptr;
  const std::uint8_t* origin = nullptr;

  std::size_t offset() const noexcept { return static_cast<std::size_t>(*here - origin); }
  void count() noexcept {
    if (tally) tally->add(degradation::unmappable, offset(), 1);
  }
  void stop() noexcept {
    stopped = true;
    if (tally) tally->stop_at(offset());
  }
};

// What stands for cp, which the target lacks, written through `put` (one
// code point; false where the target lacks it too).
template <class Put>
void write_lacking(lacking_policy& rule, char32_t cp, Put&& put) {
  if (rule.mode == ZEL_UNMAPPABLE_STOP) {
    // The first stops the conversion; what follows is thrown away with it.
    if (!rule.stopped) rule.stop();
    return;
  }
  rule.count();
  switch (rule.mode) {
    case ZEL_UNMAPPABLE_SKIP:
      return;
    case ZEL_UNMAPPABLE_NCR: {
      char digits[8];
      int k = 0;
      do {
        digits[k++] = static_cast<char>('0' + cp % 10);
        cp /= 10;
      } while (cp);
      put('&');
      put('#');
      while (k) put(static_cast<char32_t>(digits[--k]));
      put(';');
      return;
    }
    default:
      if (!put(rule.substitute)) put('?');
  }
}

// An existing output given the characters beyond U+FFFF: `Wide` writes one
// (false where the target lacks it).
template <class Base, bool (*Wide)(std::uint32_t, sink_cursor&)>
struct general_output : Base {
  static constexpr bool code_points = true;
  lacking_policy& rule;

  general_output(byte_sink& sink, lacking_policy& r) noexcept : Base(sink), rule(r) {
    // A bulk path that would put a substitute of its own stops instead.
    if constexpr (requires(Base & b) { b.keep_report(); }) Base::keep_report();
  }
  static bool holds(std::uint16_t) noexcept { return true; }  // lacking is counted here
  void code_point(std::uint32_t cp) {
    if (Wide(cp, this->at)) return;
    write_lacking(rule, cp, [this](char32_t c) {
      if (c > 0xFFFF) return Wide(c, this->at);
      Base::unit(static_cast<std::uint16_t>(c));
      return true;
    });
  }
  void finish() noexcept {}
};

inline bool utf8_wide(std::uint32_t cp, sink_cursor& at) {
  utf8_put(cp, at);
  return true;
}
inline bool gb18030_wide(std::uint32_t cp, sink_cursor& at) {
  put_bytes(at, gb18030_supplementary_code(cp), 4);
  return true;
}
inline bool utf16le_wide(std::uint32_t cp, sink_cursor& at) {
  const std::uint32_t hi = 0xD800 + ((cp - 0x10000) >> 10), lo = 0xDC00 + (cp & 0x3FF);
  put_bytes(at, (hi & 0xFF) << 24 | (hi >> 8) << 16 | (lo & 0xFF) << 8 | lo >> 8, 4);
  return true;
}
inline bool ucs2_wide(std::uint32_t, sink_cursor&) { return false; }

using general_utf8_output = general_output<utf8_output, utf8_wide>;
using general_gb18030_output = general_output<gb18030_output, gb18030_wide>;
using general_utf16le_output = general_output<pivot_output, utf16le_wide>;
using general_ucs2_output = general_output<pivot_output, ucs2_wide>;

// Every other target, through its encoder.
struct encoder_output {
  static constexpr bool code_points = true;
  static constexpr std::size_t max_unit_bytes = any_encoder::max_bytes;
  static constexpr std::size_t ascii_unit_bytes = any_encoder::max_bytes;
  sink_cursor at;
  any_encoder enc;
  lacking_policy& rule;

  // Bit b: U+00b is written as the byte b, without the encoder's call.
  std::uint64_t itself[2] = {};
  bool all_itself;

  encoder_output(byte_sink& sink, const any_encoder& e, lacking_policy& r) noexcept
      : at(sink), enc(e), rule(r) {
    for (std::uint8_t b = 0; b < 0x80; ++b)
      if (enc.writes_itself(b)) itself[b >> 6] |= std::uint64_t{1} << (b & 63);
    all_itself = ~itself[0] == 0 && ~itself[1] == 0;
  }
  static bool holds(std::uint16_t) noexcept { return true; }
  void unit(std::uint16_t u) { code_point(u); }
  void code_point(std::uint32_t cp) {
    if (cp < 0x80 && (itself[cp >> 6] >> (cp & 63) & 1)) {
      at.need(1);
      at.put(static_cast<std::uint8_t>(cp));
      return;
    }
    if (enc.put(cp, at)) return;
    write_lacking(rule, cp, [this](char32_t c) { return enc.put(c, at); });
  }
  // No block paths: those write ASCII as itself, which only some encoders
  // do, and that is known only once a conversion starts.
  void ascii(const std::uint8_t* p, std::size_t n) {
    if (all_itself) {
      put_ascii(at, p, n);
      return;
    }
    for (std::size_t i = 0; i < n; ++i) code_point(p[i]);
  }
  void finish() { enc.finish(at); }
  void done() noexcept { at.done(); }
};

}  // namespace zel
