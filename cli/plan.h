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
};

// Returns 0 with the plan made, else 2 with a one-line message printed.
int make_plan(const options& o, plan& p);

// The stages one input goes through, its source id known.
class pipeline {
 public:
  pipeline(const plan& p, int id, std::size_t block, chunked_stage::emit_fn emit);
  // The conversion's output goes to the rewrite through `this`.
  pipeline(const pipeline&) = delete;
  pipeline& operator=(const pipeline&) = delete;

  piece_status push(const std::uint8_t* data, std::size_t n);
  piece_status finish();

 private:
  // A failure of the rewrite is reported through the conversion's emit as a
  // failed write; this keeps what it was.
  piece_status rewrite_status_ = piece_status::ok;
  std::optional<chunked_stage> rewrite_;
  std::optional<chunked_stage> convert_;
};

}  // namespace zelconv
