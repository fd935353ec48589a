// What zelconv does to each input, decided once from the options: a
// conversion, a stream that decodes references or transcodes, or the one
// followed by the other. Each is one of the library's streams, which carry
// what a block leaves open into the next, so zelconv feeds blocks as they
// are read and knows nothing of the charsets' sequences.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cli/charsets.h"
#include "cli/options.h"
#include "zel_code.h"

namespace zelconv {

struct plan {
  source from;                                 // used when `to` is set
  std::optional<target> to;                    // the conversion, if any
  int unmappable = ZEL_UNMAPPABLE_SUBSTITUTE;  // of the general conversion
  int rewrite = 0;  // the zel_stream_kind after the conversion or alone, 0 for none
  // The registry id of the input's text when it is known before reading
  // (0 for "auto" and the transcoders, which read no byte-order mark).
  int text_id = 0;
  std::string writes;      // the encoding written, for messages
  bool drop_mark = false;  // a leading byte-order mark of the input is dropped
  std::string_view mark;   // the mark each output starts with, if any
};

// Returns 0 with the plan made, else 2 with a one-line message printed.
int make_plan(const options& o, plan& p);

// How many of the input's first n bytes are a byte-order mark the plan drops
// from text of the id: 0 or the mark's length.
std::size_t mark_to_drop(const plan& p, int id, const std::uint8_t* data, std::size_t n);

// What one input lost, both streams together: counts added up, and the first
// offset and a truncation taken from the conversion when it has them, in
// bytes of the input. The rewrite's count bytes of the converted text when a
// conversion came first, as the flags say.
struct input_losses {
  zel_report report{};
  bool first_in_converted = false;
  bool truncated_in_converted = false;
};

// stopped: --unmappable=stop met a character the target lacks.
enum class feed_status { ok, write_failed, output_full, stopped };

// The streams one input goes through, its source id known. `skipped` input
// bytes came before what is fed (a byte-order mark dropped), so that offsets
// still count from the input's first byte. Throws std::bad_alloc when the
// library cannot open a stream (the plan's ids are valid).
class pipeline {
 public:
  // Writes converted bytes; false when it could not.
  using emit_fn = std::function<bool(const std::uint8_t*, std::size_t)>;

  pipeline(const plan& p, int id, std::int64_t skipped, emit_fn emit);
  pipeline(const pipeline&) = delete;
  pipeline& operator=(const pipeline&) = delete;
  ~pipeline();

  // Converts the next n bytes (at most a block; last: the input ends here)
  // and writes what they give.
  feed_status feed(const std::uint8_t* data, std::size_t n, bool last);
  // Reads what follows as text of the id, from input byte `at` on: -f auto
  // guessing again. What the conversion read so far leaves nothing open and
  // lost nothing, being 7-bit text read as UTF-8, so its stream is dropped.
  void reopen(int id, std::int64_t at);
  input_losses losses() const;

 private:
  const plan& plan_;
  zel_stream* convert_ = nullptr;
  zel_stream* rewrite_ = nullptr;
  zel_string converted_;  // the conversion's output on its way to the rewrite
  zel_string out_;
  std::int64_t skipped_;
  emit_fn emit_;
};

}  // namespace zelconv
