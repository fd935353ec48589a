// A decoder run into a counted output (a reporting_output over a target
// writer) whose sink starts with `expected` bytes of room and stops at
// `limit`: what it wrote, its report, and how many bytes it took. The
// vector-path tests run it twice, with and without the bulk path, and
// compare the two.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "src/core/report.h"
#include "src/string/byte_sink.h"
#include "tests/support/conversion.h"

namespace zel_test {

struct Decoded {
  std::string bytes;
  zel::report_tally tally;
  std::size_t took = 0;
};

// `decode(in, n, out)` runs the decoder and returns what it took.
template <class Output, class Decode>
Decoded counted_decode(const std::string& text, std::size_t expected, std::size_t limit,
                       Decode&& decode) {
  const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());
  Decoded d;
  zel::byte_sink sink(expected, limit);
  Output out(sink, d.tally, in);
  d.took = decode(in, text.size(), out);
  out.done();
  if (sink.size()) d.bytes.assign(sink.buffer.data, sink.size());
  return d;
}

// The vector path's run `got` against the decoder's own loop's `want`: the
// same bytes, bytes taken and report. Wrap it in ASSERT_NO_FATAL_FAILURE.
inline void expect_same_decoded(const Decoded& got, const Decoded& want) {
  ASSERT_EQ(to_hex(got.bytes), to_hex(want.bytes));
  ASSERT_EQ(got.took, want.took);
  for (int kind = 0; kind < 5; ++kind)
    ASSERT_EQ(got.tally.counts[kind], want.tally.counts[kind]) << "kind " << kind;
  ASSERT_EQ(got.tally.first, want.tally.first);
  ASSERT_EQ(got.tally.truncated_at, want.tally.truncated_at);
}

}  // namespace zel_test
