// The degradation report of the *_report exports: a tally that the
// decoders' events (src/decode/degrade.h) and the target's writer add to,
// copied into the caller's zel_report at the end of the call.
//
// reporting_output wraps any output. It places each event at an input
// offset: decoders pass the byte an event is about, and mark() the start of
// each character before writing it, so that a character the target cannot
// hold, or output that no longer fits in a string, is placed too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/decode/degrade.h"
#include "src/string/byte_sink.h"
#include "zel_code.h"

namespace zel {

struct report_tally {
  std::int64_t counts[5] = {};  // by degradation
  std::int64_t first = -1;
  std::int64_t truncated_at = -1;
  // Where the bytes being read start in the whole text: a stream reads a
  // text in pieces, and its offsets count from the text's first byte.
  std::int64_t base = 0;
  // A conversion stopped on a character its target lacks: the report ends
  // there, first placing that character.
  bool frozen = false;

  void add(degradation kind, std::size_t offset, std::size_t n) noexcept {
    if (frozen) return;
    counts[static_cast<int>(kind)] += static_cast<std::int64_t>(n);
    const std::int64_t at = base + static_cast<std::int64_t>(offset);
    if (first < 0 || at < first) first = at;
  }
  void stop_at(std::size_t offset) noexcept {
    add(degradation::unmappable, offset, 1);
    first = base + static_cast<std::int64_t>(offset);
    frozen = true;
  }
  void cut_at(std::size_t offset) noexcept {
    if (frozen) return;
    if (truncated_at < 0) truncated_at = base + static_cast<std::int64_t>(offset);
  }
  void store(zel_report* r) const noexcept {
    if (!r) return;
    *r = zel_report{};
    r->passed = counts[static_cast<int>(degradation::passed)];
    r->dropped = counts[static_cast<int>(degradation::dropped)];
    r->replaced = counts[static_cast<int>(degradation::replaced)];
    r->unmappable = counts[static_cast<int>(degradation::unmappable)];
    r->malformed = counts[static_cast<int>(degradation::malformed)];
    r->first_offset = first;
    r->truncated = truncated_at >= 0;
    r->truncated_at = truncated_at;
  }
};

// A report of nothing: what a refused id or an untouched string gives.
inline void store_empty_report(zel_report* r) noexcept { report_tally{}.store(r); }

template <class Base>
struct reporting_output : Base {
  static constexpr bool reports = true;
  report_tally& tally;
  const std::uint8_t* origin;
  const std::uint8_t* here;
  bool spaces_counted = false;

  template <class... Args>
  reporting_output(byte_sink& sink, report_tally& t, const std::uint8_t* in,
                   Args&&... args) noexcept
      : Base(sink, args...), tally(t), origin(in), here(in) {
    // A base whose bulk path would degrade text uncounted has it stop instead.
    if constexpr (requires(Base & b) { b.keep_report(); }) Base::keep_report();
    // An output of the general conversion counts what its target lacks
    // itself, here.
    if constexpr (requires(Base & b) { b.rule.tally; }) {
      this->rule.tally = &tally;
      this->rule.here = &here;
      this->rule.origin = in;
    }
  }

  // A bulk path that puts GBK's space has it stop before each while the
  // report has no first place yet; from then on spaces need only be
  // counted, so it puts them and they are added here.
  template <class B = Base>
  requires requires(B& b, const std::uint8_t* p, std::size_t n) { b.utf8_blocks(p, n); }
  std::size_t utf8_blocks(const std::uint8_t* p, std::size_t avail) {
    if constexpr (requires(B & b) { b.count_spaces(); }) {
      if (!spaces_counted && tally.first >= 0) {
        Base::count_spaces();
        spaces_counted = true;
      }
      const std::size_t read = Base::utf8_blocks(p, avail);
      if (this->spaces) {
        tally.add(degradation::unmappable, static_cast<std::size_t>(p - origin), this->spaces);
        this->spaces = 0;
      }
      return read;
    } else {
      return Base::utf8_blocks(p, avail);
    }
  }

  void mark(const std::uint8_t* pos) noexcept { here = pos; }
  void note(degradation kind, const std::uint8_t* pos, std::size_t n) noexcept {
    tally.add(kind, static_cast<std::size_t>(pos - origin), n);
  }
  bool full() const noexcept { return this->at.sink.full; }

  void unit(std::uint16_t u) {
    if (!Base::holds(u))
      tally.add(degradation::unmappable, static_cast<std::size_t>(here - origin), 1);
    Base::unit(u);
    if (full()) [[unlikely]]
      tally.cut_at(static_cast<std::size_t>(here - origin));
  }
  template <class B = Base>
  requires takes_code_points<B>
  void code_point(std::uint32_t cp) {
    Base::code_point(cp);
    if (full()) [[unlikely]]
      tally.cut_at(static_cast<std::size_t>(here - origin));
  }
  // A run that may not fit goes unit by unit, so the cut is placed exactly.
  void ascii(const std::uint8_t* p, std::size_t n) {
    if (this->at.has_room(n * Base::ascii_unit_bytes)) {
      Base::ascii(p, n);
      return;
    }
    for (std::size_t k = 0; k < n; ++k) {
      mark(p + k);
      unit(p[k]);
    }
  }
  // Blocks are written only where they fit; pivot_ascii_blocks, when the
  // base has it, likewise.
};

}  // namespace zel
