// Streams: the one-call conversions fed in pieces.
//
// Every decoder, transcoder and reference decoder reads a piece with a flag
// that says whether it is the text's last: when it is not, it starts no
// sequence it cannot decide from the bytes at hand and returns how far it
// got. The stream holds the bytes after that point (a handful: a sequence
// cut short, or an unfinished reference) and the decoder's state, and reads
// them again in front of the next piece. So a text fed in pieces takes the
// very steps one call takes, and gives the same bytes and the same report.
//
// The held bytes go in front of the next piece through a small scratch
// buffer: they and the first bytes of the piece are read together, then the
// rest of the piece where that left off, without copying the piece. They are
// a handful but for a character reference, which is held until it ends: a
// stream's memory is its piece and the longest reference in the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <vector>

#include "src/big5gbk/transcoders.h"
#include "src/core/check_unchanged.h"
#include "src/core/decoder_dispatch.h"
#include "src/core/general_conversion.h"
#include "src/core/output_bound.h"
#include "src/core/report.h"
#include "src/decode/pivot.h"
#include "src/encode/gb18030.h"
#include "src/encode/gbk.h"
#include "src/encode/pivot_output.h"
#include "src/encode/utf8.h"
#include "src/entity/decode_references.h"
#include "src/string/byte_sink.h"
#include "zel_code.h"

struct zel_stream {
  zel_stream(int k, int i, bool c) : kind(k), id(i), counted(c) {}
  int kind;  // a zel_stream_kind, without ZEL_STREAM_REPORT, or general_kind
  int id;
  zel::general_conversion general;  // for general_kind
  bool counted;
  bool ended = false;  // the last piece has been read
  // The held bytes are a long character reference still open: "&", maybe
  // "#" and "x", then letters and digits only.
  bool open_reference = false;
  zel::decoder_state state;
  zel::report_tally tally;
  std::int64_t taken = 0;             // bytes of the text read for good
  std::vector<std::uint8_t> held;     // the bytes after them, read again
  std::vector<std::uint8_t> scratch;  // held bytes and the next piece's first
};

namespace zel {
namespace {

// The kind of the streams zel_stream_open_convert opens.
constexpr int general_kind = 0x80;

// How many of a piece's first bytes are read with the held ones: more than
// any sequence a decoder decides at once, so that reading them together
// always gets past the held bytes unless the piece ends first.
constexpr std::size_t joined_bytes = 16;

// Whether a conversion copies text of the stream's id unchanged, as the
// one-call export does.
bool copies_unchanged(const zel_stream& s) {
  switch (s.kind) {
    case ZEL_STREAM_TO_UTF8:
      return s.id == ZEL_CHARSET_UTF8;
    case ZEL_STREAM_TO_GB18030:
      return s.id == ZEL_CHARSET_GB18030;
    default:
      return false;
  }
}

template <class Output, bool counted>
[[gnu::flatten]] std::size_t convert_piece(zel_stream& s, const std::uint8_t* in, std::size_t n,
                                           bool last, byte_sink& sink) {
  auto go = [&](auto& out) {
    std::size_t took = decode_piece(s.id, in, n, out, s.state, last);
    if (took == no_decoder) {
      // zel_code_unicode leaves such text as it is; the other targets read
      // it as pivot text.
      if constexpr (std::is_same_v<Output, pivot_output>) {
        out.done();
        sink.put(in, n);
        return n;
      } else {
        took = pivot_reader(in, n, out, last);
      }
    }
    out.done();
    return took;
  };
  if constexpr (counted) {
    reporting_output<Output> out(sink, s.tally, in);
    return go(out);
  } else {
    Output out(sink);
    return go(out);
  }
}

template <code_point_writer write, bool counted>
std::size_t references_piece(zel_stream& s, const std::uint8_t* in, std::size_t n, bool last,
                             byte_sink& sink) {
  return decode_references<write, true, counted>(in, n, sink, &s.tally, last);
}

template <bool counted>
std::size_t read_piece(zel_stream& s, const std::uint8_t* in, std::size_t n, bool last,
                       byte_sink& sink) {
  s.tally.base = s.taken;
  if (copies_unchanged(s)) {
    // Checked when counted, as the one call is; a sequence the piece cuts
    // short then waits, so that it is checked whole.
    const std::size_t took = counted ? check_unchanged(s.id, in, n, s.tally, last) : n;
    sink.put(in, took);
    return took;
  }
  const transcode_events<counted> events{&s.tally};
  switch (s.kind) {
    case general_kind:
      return general_piece(s.general, in, n, last, sink, counted ? &s.tally : nullptr);
    case ZEL_STREAM_TO_UCS2:
      return convert_piece<pivot_output, counted>(s, in, n, last, sink);
    case ZEL_STREAM_TO_UTF8:
      return convert_piece<utf8_output, counted>(s, in, n, last, sink);
    case ZEL_STREAM_TO_GBK:
      return convert_piece<gbk_output, counted>(s, in, n, last, sink);
    case ZEL_STREAM_TO_GB18030:
      return convert_piece<gb18030_output, counted>(s, in, n, last, sink);
    case ZEL_STREAM_BIG5_TO_GBK:
      return big5_to_gbk_pairs(in, n, sink, events, last);
    case ZEL_STREAM_GBK_TO_BIG5:
      return gbk_to_big5_pairs(in, n, sink, events, last);
    case ZEL_STREAM_REFERENCES_UTF8:
      return references_piece<utf8_writer, counted>(s, in, n, last, sink);
    case ZEL_STREAM_REFERENCES_GBK:
      return references_piece<gbk_writer, counted>(s, in, n, last, sink);
    default:
      return references_piece<gb18030_writer, counted>(s, in, n, last, sink);
  }
}

std::size_t read(zel_stream& s, const std::uint8_t* in, std::size_t n, bool last, byte_sink& sink) {
  const std::size_t took =
      s.counted ? read_piece<true>(s, in, n, last, sink) : read_piece<false>(s, in, n, last, sink);
  s.taken += static_cast<std::int64_t>(took);
  return took;
}

// The most output the piece can give, so that a feed reserves once
// (references: four bytes from seven or more, see reference_output_bound).
std::size_t output_estimate(const zel_stream& s, std::size_t n) {
  const decoder_kind decoder = charset_of(s.id).decoder;
  switch (s.kind) {
    case general_kind:
      return general_estimate(s.general.to, n);
    case ZEL_STREAM_TO_UCS2:
      return output_bound(decoder, 2, 2, n);
    case ZEL_STREAM_TO_UTF8:
      return output_bound(decoder, 3, 1, n);
    case ZEL_STREAM_TO_GBK:
      return output_bound(decoder, 2, 1, n);
    case ZEL_STREAM_TO_GB18030:
      return output_bound(decoder, 4, 1, n);
    case ZEL_STREAM_REFERENCES_GB18030:
      return reference_output_bound(n, 4);
    default:
      return n;
  }
}

void reset(zel_stream& s) {
  s.ended = false;
  s.open_reference = false;
  s.state = decoder_state{};
  s.tally = report_tally{};
  s.general.restart();
  s.taken = 0;
  s.held.clear();
}

bool letter_or_digit(std::uint8_t b) noexcept {
  return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

bool reference_kind(const zel_stream& s) noexcept {
  return s.kind >= ZEL_STREAM_REFERENCES_UTF8 && s.kind <= ZEL_STREAM_REFERENCES_GB18030;
}

// Whether the held bytes are a reference that only a byte other than a
// letter or digit can end: a piece of letters and digits then just joins it.
// Without this, a reference of a million digits fed in small pieces would be
// read again from its "&" with every piece.
bool holds_open_reference(const zel_stream& s) {
  if (!reference_kind(s) || s.held.size() <= joined_bytes || s.held[0] != '&') return false;
  std::size_t k = 1;
  if (s.held[k] == '#') ++k;
  while (k < s.held.size() && (s.held[k] == 'x' || s.held[k] == 'X')) ++k;
  return std::all_of(s.held.begin() + static_cast<std::ptrdiff_t>(k), s.held.end(),
                     letter_or_digit);
}

// Whether p points into the buffer the string layer keeps for `out`.
bool within_buffer(const zel_string& out, const std::uint8_t* p) noexcept {
  if (!out.data || out.reserved == 0) return false;
  const auto at = reinterpret_cast<std::uintptr_t>(p);
  const auto first = reinterpret_cast<std::uintptr_t>(out.data);
  return at >= first && at - first <= out.reserved;
}

void feed(zel_stream& s, const std::uint8_t* data, std::size_t n, bool last, byte_sink& sink) {
  if (s.open_reference && !last && std::all_of(data, data + n, letter_or_digit)) {
    s.held.insert(s.held.end(), data, data + n);
    return;
  }
  if (!s.held.empty()) {
    // The held bytes and the piece's first bytes, read together.
    const std::size_t join = std::min(n, joined_bytes);
    s.scratch.assign(s.held.begin(), s.held.end());
    s.scratch.insert(s.scratch.end(), data, data + join);
    const std::size_t held = s.held.size();
    const std::size_t took = read(s, s.scratch.data(), s.scratch.size(), last && join == n, sink);
    s.held.clear();
    if (took < held) {
      // Not even the held bytes are decided yet (an unfinished reference, or
      // a piece shorter than a sequence): hold the rest of the piece too.
      s.held.assign(s.scratch.begin() + static_cast<std::ptrdiff_t>(took), s.scratch.end());
      s.held.insert(s.held.end(), data + join, data + n);
      if (last) {
        std::vector<std::uint8_t> rest;
        rest.swap(s.held);
        read(s, rest.data(), rest.size(), true, sink);
      }
      s.open_reference = holds_open_reference(s);
      return;
    }
    data += took - held;
    n -= took - held;
  }
  const std::size_t took = read(s, data, n, last, sink);
  s.held.assign(data + took, data + n);
  s.open_reference = holds_open_reference(s);
}

}  // namespace
}  // namespace zel

using namespace zel;

extern "C" {

ZEL_API zel_stream* ZEL_CALL zel_stream_open(int kind, int id, int* result) noexcept {
  auto say = [result](int r) {
    if (result) *result = r;
  };
  const bool counted = (kind & ZEL_STREAM_REPORT) != 0;
  kind &= ~ZEL_STREAM_REPORT;
  if (kind < ZEL_STREAM_TO_UCS2 || kind > ZEL_STREAM_REFERENCES_GB18030) {
    say(ZEL_RESULT_BAD_ARGUMENT);
    return nullptr;
  }
  if (kind <= ZEL_STREAM_TO_GB18030) {
    if (id == ZEL_CHARSET_UNKNOWN || id == ZEL_CHARSET_RESERVED) {
      say(id == ZEL_CHARSET_UNKNOWN ? ZEL_RESULT_UNKNOWN_CHARSET : ZEL_RESULT_RESERVED_CHARSET);
      return nullptr;
    }
  } else {
    id = ZEL_CHARSET_UNKNOWN;
  }
  auto* s = new (std::nothrow) zel_stream(kind, id, counted);
  say(s ? int{ZEL_RESULT_OK} : int{ZEL_RESULT_BAD_ARGUMENT});
  return s;
}

ZEL_API int ZEL_CALL zel_stream_feed(zel_stream* s, const char* data, std::int32_t n, int last,
                                     zel_string* out) noexcept {
  if (!s || !out || n < 0 || (n > 0 && !data)) return ZEL_RESULT_BAD_ARGUMENT;
  if (s->ended || s->general.rule.stopped) reset(*s);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
  const auto size = static_cast<std::size_t>(n);
  // A piece inside *out's own buffer is read from a copy: the sink takes
  // that buffer over and moves it as the output grows.
  std::vector<std::uint8_t> own_copy;
  if (size && within_buffer(*out, bytes)) {
    own_copy.assign(bytes, bytes + size);
    bytes = own_copy.data();
  }
  const std::int32_t before = out->length > 0 ? out->length : 0;
  byte_sink sink(out, output_estimate(*s, size + s->held.size()));
  feed(*s, bytes, size, last != 0, sink);
  s->ended = last != 0;
  if (s->general.rule.stopped) {
    // What the feed wrote goes: the string keeps what it held before.
    sink.give_back(out);
    zel_string_set_length(out, before);
    return ZEL_RESULT_UNMAPPABLE;
  }
  // The conversions place a cut themselves; the transcoders, whose output is
  // never longer than their input, only reach the limit through what *out
  // already held.
  if (sink.full && s->tally.truncated_at < 0) s->tally.truncated_at = s->taken;
  const bool full = sink.full;
  sink.give_back(out);
  return full ? int{ZEL_RESULT_OUTPUT_FULL} : int{ZEL_RESULT_OK};
}

ZEL_API zel_stream* ZEL_CALL zel_stream_open_convert(int from, int to, int flags,
                                                     int* result) noexcept {
  const bool counted = (flags & ZEL_STREAM_REPORT) != 0;
  const int unmappable = flags & ~ZEL_STREAM_REPORT;
  const int refused = general_refusal(from, to, unmappable);
  auto* s = refused ? nullptr : new (std::nothrow) zel_stream(general_kind, from, counted);
  if (s) s->general = make_general(from, to, unmappable);
  if (result) *result = refused ? refused : s ? int{ZEL_RESULT_OK} : int{ZEL_RESULT_BAD_ARGUMENT};
  return s;
}

ZEL_API void ZEL_CALL zel_stream_report(const zel_stream* s, zel_report* r) noexcept {
  if (!r) return;
  if (!s) {
    store_empty_report(r);
    return;
  }
  s->tally.store(r);
}

ZEL_API void ZEL_CALL zel_stream_reset(zel_stream* s) noexcept {
  if (s) reset(*s);
}

ZEL_API void ZEL_CALL zel_stream_free(zel_stream* s) noexcept { delete s; }

}  // extern "C"
