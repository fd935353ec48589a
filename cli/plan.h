// What zelconv does to each input, decided once from the options: an
// optional conversion, then an optional rewrite, each run piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "cli/charsets.h"
#include "cli/chunking.h"
#include "cli/options.h"

namespace zelconv {

struct plan {
  source from;                  // used when `to` is set
  const target* to = nullptr;   // the conversion, if any
  std::optional<step> rewrite;  // references or Big5/GBK, after it or alone
  split_rule rewrite_rule;
  const char* writes = "";  // the encoding written, for messages
};

// Returns 0 with the plan made, else 2 with a one-line message printed.
int make_plan(const options& o, plan& p);

// What one input lost, both stages together: counts added up, and the first
// offset and a truncation taken from the conversion when it has them, in
// bytes of the input. The rewrite's count bytes of the converted text when a
// conversion came first, as the flags say.
struct input_losses {
  zel_report report = empty_report();
  bool first_in_converted = false;
  bool truncated_in_converted = false;
};

// The stages one input goes through, its source id known. `skipped` input
// bytes came before what is pushed (a byte-order mark "auto" read), so that
// offsets still count from the input's first byte.
class pipeline {
 public:
  pipeline(const plan& p, int id, std::size_t block, chunked_stage::emit_fn emit,
           std::int64_t skipped = 0);
  // The conversion's output goes to the rewrite through `this`.
  pipeline(const pipeline&) = delete;
  pipeline& operator=(const pipeline&) = delete;

  piece_status push(const std::uint8_t* data, std::size_t n);
  piece_status finish();
  input_losses losses() const;

 private:
  // A failure of the rewrite is reported through the conversion's emit as a
  // failed write; this keeps what it was.
  piece_status rewrite_status_ = piece_status::ok;
  std::optional<chunked_stage> rewrite_;
  std::optional<chunked_stage> convert_;
};

}  // namespace zelconv
