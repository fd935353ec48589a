// The ways input degrades, shared by every decoder family, so that each
// branch of a decoder names the rule it applies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/decoder_state.h"

namespace zel {

// What an event of degradation was. Outputs that keep a report (the
// *_report exports) count them; every other output compiles the counting
// away, so the ten plain exports pay nothing for it.
enum class degradation : std::uint8_t { passed, dropped, replaced, unmappable, malformed };

// An output keeps a report when it says so.
template <class Out>
concept keeps_report = requires {
  requires Out::reports;
};

// n of a kind, at the input byte `at`.
template <class Out>
inline void note(Out& out, degradation kind, const std::uint8_t* at, std::size_t n = 1) {
  if constexpr (keeps_report<Out>) out.note(kind, at, n);
}

// Outputs of the general conversion (zel_convert) carry every code point:
// a character beyond U+FFFF comes to them whole (code_point()), and input
// that the ten exports pass through as U+00xx or drop is malformed there and
// becomes one U+FFFD per ill-formed sequence, as Unicode recommends.
template <class Out>
concept takes_code_points = requires {
  requires Out::code_points;
};

// The character about to be written starts at `at`: where a report places a
// character the target cannot hold, or output that no longer fits.
template <class Out>
inline void mark(Out& out, const std::uint8_t* at) {
  if constexpr (keeps_report<Out>) out.mark(at);
}

// A decoded character starting at `at`.
template <class Out>
inline void emit(Out& out, std::uint16_t u, const std::uint8_t* at) {
  mark(out, at);
  out.unit(u);
}

// A table cell read for the code at `at`: U+FFFD where the code has no
// character.
template <class Out>
inline void emit_cell(Out& out, std::uint16_t u, const std::uint8_t* at) {
  if (u == 0xFFFD) note(out, degradation::replaced, at);
  emit(out, u, at);
}

// An ill-formed sequence at `at`, for the outputs of the general conversion.
template <class Out>
inline void malformed(Out& out, const std::uint8_t* at) {
  note(out, degradation::malformed, at);
  emit(out, 0xFFFD, at);
}

// A character beyond U+FFFF, coded at `at`: whole where the output takes
// code points; else the 16-bit pivot cannot hold it, and it becomes one
// U+FFFD rather than vanishing or turning into another one.
template <class Out>
inline void supplementary(Out& out, std::uint32_t cp, const std::uint8_t* at) {
  if constexpr (takes_code_points<Out>) {
    if (cp > 0x10FFFF) {
      malformed(out, at);  // a code past the last code point
    } else {
      mark(out, at);
      out.code_point(cp);
    }
  } else {
    note(out, degradation::replaced, at);
    emit(out, 0xFFFD, at);
  }
}

// A byte that begins no recognised sequence, or begins one the text cuts
// short, comes out as the code unit of the same value (U+0000..U+00FF), so
// line ends and escapes stay visible.
template <class Out>
inline void pass_byte(Out& out, const std::uint8_t* at) {
  if constexpr (takes_code_points<Out>) {
    malformed(out, at);
  } else {
    note(out, degradation::passed, at);
    emit(out, *at, at);
  }
}

// A pair whose index falls outside its table passes through as its two
// bytes, so that line ends and escapes read as pairs stay visible.
template <class Out>
inline void pass_pair(Out& out, const std::uint8_t* at) {
  if constexpr (takes_code_points<Out>) {
    malformed(out, at);
  } else {
    note(out, degradation::passed, at, 2);
    emit(out, at[0], at);
    emit(out, at[1], at + 1);
  }
}

// n bytes at `at` that give nothing.
template <class Out>
inline void drop(Out& out, const std::uint8_t* at, std::size_t n = 1) {
  if constexpr (takes_code_points<Out>)
    malformed(out, at);
  else
    note(out, degradation::dropped, at, n);
}

}  // namespace zel
