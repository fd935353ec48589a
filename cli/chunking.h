// Streaming through a library that converts one whole string per call: the
// stream is cut into pieces only where the library, converting piece after
// piece, gives exactly the bytes it would give converting everything at once.
//
// A cut at k is safe when the decoder, reading from the start of the piece,
// reaches k as the start of a sequence and decided nothing before k by
// looking at bytes from k on (a lookahead that sees the end of the piece
// instead of the next byte must come to the same answer). Each charset has a
// rule that proves this from the few bytes before k; the rules and their
// reasons are in chunking.cpp. Writers keep no state between code units, so
// outputs of consecutive pieces simply follow each other, and so do their
// degradation reports once each piece's offsets are moved by where it starts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "zel_code.h"

namespace zelconv {

// The library calls zelconv makes: each does what the call of the same name
// without "_report" does and also says what it lost.
using convert_fn = int(ZEL_CALL*)(int, zel_string*, zel_report*);
using rewrite_fn = void(ZEL_CALL*)(zel_string*, zel_report*);

enum class split_kind : std::uint8_t {
  anywhere,  // every byte is read on its own
  pairs,     // bytes are read two at a time from the start: even offsets
  utf16be,   // even offsets not after a surrogate, which looks at the next unit
  utf16le,
  utf8,        // out of reach of a lead byte before the cut
  fresh_byte,  // right after a byte that ends whatever sequence it is in
  never,       // the decoder keeps state across the text: no cut at all
};

struct split_rule {
  split_kind kind = split_kind::never;
  // fresh_byte: bytes after which the decoder starts afresh wherever they
  // stand: each stands alone or ends the sequence it is part of.
  std::array<bool, 256> fresh{};
  // fresh_byte: a single shift whose sequence takes two more bytes of any
  // value; it must not stand in the three bytes before the cut. -1: none.
  int reaching_shift = -1;
};

// The rule for text of a charset id, read by the id's decoder (or, for ids
// without one, as pivot pairs). UTF-16 with an optional byte-order mark (id
// 9) has no fixed rule: see utf16_rule and piece_ids.
split_rule charset_rule(int id);
split_rule utf16_rule(bool little_endian);
// Character references in UTF-8, GBK or GB18030 text.
split_rule reference_rule();
// Big5 to GBK, and GBK to Big5, pair by pair.
split_rule big5_to_gbk_rule();
split_rule gbk_to_big5_rule();

// Whether p[0..n) may be cut at k (0 < k <= n), given that the decoder starts
// afresh at p[0]. Only bytes before k are read.
bool is_boundary(const split_rule& rule, const std::uint8_t* p, std::size_t k);

// The largest safe cut k with from < k <= n, or 0 when there is none.
std::size_t last_boundary(const split_rule& rule, const std::uint8_t* p, std::size_t n,
                          std::size_t from);

// One library call over a piece: a conversion of charset `id`, or an in-place
// rewrite (reference decoding, Big5/GBK transcoding).
struct step {
  convert_fn convert = nullptr;
  int id = 0;
  rewrite_fn rewrite = nullptr;
  // The longest piece one call may take: its result must fit in a string,
  // whose length is a signed 32-bit number.
  std::size_t longest = 0;
};

// A conversion whose writer puts at most `unit_bytes` bytes per code unit;
// decoders give at most one unit per input byte.
step conversion_step(convert_fn fn, int id, std::size_t unit_bytes);
// A rewrite whose output is at most `grows_to`/`from` times its input.
step rewrite_step(rewrite_fn fn, std::size_t grows_to, std::size_t from);

// The ids a UTF-16 stream with an optional byte-order mark is converted
// with: the first piece as id 9 (which reads the mark), later pieces as the
// fixed order the first two bytes chose (10 big-endian, 11 little-endian).
int later_utf16_id(std::uint8_t b0, std::uint8_t b1);

// truncated: a call's output reached the longest string a zel_string holds.
// Piece sizes (step::longest) keep every call below it, so this guards their
// reasoning rather than an expected case.
enum class piece_status { ok, too_large, write_failed, truncated };

// A report with nothing in it: counts 0, offsets -1.
zel_report empty_report();
// Whether a report holds any loss (truncation aside).
bool has_losses(const zel_report& r);
// Adds `more`, whose offsets count from stream offset `at`, to `total`, which
// covers what came before it: so the first offset and truncation already in
// `total` stay.
void add_report(zel_report& total, const zel_report& more, std::int64_t at);

// Converts a stream with one step, piece by piece. Input is collected until
// `block` bytes are waiting, then converted up to the last safe cut; what
// follows the cut waits for more input. Each result goes to `emit`, which
// returns false when it could not write. The pieces' reports add up to one
// for the whole stream, offsets counted from `start` for its first byte.
class chunked_stage {
 public:
  using emit_fn = std::function<bool(const std::uint8_t*, std::size_t)>;

  chunked_stage(step s, split_rule rule, std::size_t block, emit_fn emit, std::int64_t start = 0);

  piece_status push(const std::uint8_t* data, std::size_t n);
  // Converts what is left: the end of the stream is always a safe cut.
  piece_status finish();

  std::size_t calls() const noexcept { return calls_; }
  // Bytes waiting for a cut: bounded by the block size plus the distance
  // between safe cuts, for every charset that has them.
  std::size_t waiting() const noexcept { return pending_.size(); }
  // What the calls so far lost, offsets into the stream. A truncated piece
  // is not written, and its stage takes no more.
  const zel_report& report() const noexcept { return report_; }

 private:
  piece_status convert_front(std::size_t k);

  step step_;
  split_rule rule_;
  std::size_t block_;
  emit_fn emit_;
  std::vector<std::uint8_t> pending_;
  std::int64_t pending_at_;  // the stream offset of pending_[0]
  zel_report report_ = empty_report();
  std::size_t searched_ = 0;  // cuts up to here were looked for already
  std::size_t calls_ = 0;
  bool utf16_open_ = false;  // id 9 before its order is known
};

}  // namespace zelconv
