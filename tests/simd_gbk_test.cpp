// The UTF-8 to GBK and GB18030 vector kernels against their plain twins,
// and the UTF-8 decoder into the GBK and GB18030 writers with their vector
// path against the same without.
//
// Texts mix ASCII, characters with two-byte codes (U+2014 and U+2015 among
// them, whose codes differ between the two, and U+9F44, F7 FE, in the last
// column, where GB18030's division would first go wrong), characters
// without (U+0080, U+00A0, U+2027, U+FFFF: GBK's space, GB18030's four
// bytes) and what stops a strict UTF-8 reader, at every offset 0..64,
// length 0..200 and a room that is ample, tight or short, so that each kind
// of unit meets each edge of a window, a piece and a step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "src/core/report.h"
#include "src/decode/unicode.h"
#include "src/encode/gb18030.h"
#include "src/encode/gbk.h"
#include "src/simd/cpu.h"
#include "src/simd/utf8_to_gbk.h"
#include "src/string/byte_sink.h"
#include "tests/support/conversion.h"
#include "tests/support/counted_decode.h"

namespace {

using zel_test::Decoded;

using zel_test::from_hex;
using zel_test::to_hex;

struct Mix {
  const char* what;
  std::vector<std::string> pieces;  // hex, drawn at random
};

const Mix mixes[] = {
    {"ASCII and characters GBK holds",
     {"41", "20", "0a", "7f", "c3a9", "c2b7", "d0b0", "ceb1", "e4b8ad", "e69687", "e38182",
      "e4b880", "efbc8c", "e28094", "e28095", "e9bd84", "e4b8ad", "e69687"}},
    {"characters GBK lacks", {"c2a0", "c280", "e280a7", "efbfbf"}},
    {"what stops a strict reader",
     {"c080", "e08080", "eda080", "f09f9880", "80", "c3", "e4b8", "ff", "c341"}},
};

// Text of at least `size` bytes: mostly the first mix, with a piece of
// `other` one time in `spoil`.
std::string random_text(std::mt19937& rng, std::size_t size, const Mix& other, unsigned spoil) {
  std::string s;
  while (s.size() < size) {
    const Mix& from = spoil && rng() % spoil == 0 ? other : mixes[0];
    s += from_hex(from.pieces[rng() % from.pieces.size()]);
  }
  return s;
}

struct KernelRun {
  zel::utf8_gbk_run run;
  std::string bytes;
};

// The kernel on exactly these bytes; a byte written past the room fails.
KernelRun run_kernel(zel::utf8_to_gbk_fn kernel, const std::string& text, std::size_t room) {
  const std::vector<std::uint8_t> in(text.begin(), text.end());
  std::vector<std::uint8_t> out(room + 64, 0xAA);
  KernelRun r;
  r.run = kernel(in.data(), in.size(), out.data(), room);
  for (std::size_t b = room; b < out.size(); ++b) EXPECT_EQ(out[b], 0xAA) << "past the room";
  r.bytes.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(r.run.bytes));
  return r;
}

using zel::gbk_lacking;
using zel::gbk_target;
constexpr gbk_target targets[] = {gbk_target::gbk, gbk_target::gb18030};

// Each kind of kernel: GBK stopping at or putting its space, and GB18030.
struct Kind {
  gbk_target target;
  gbk_lacking lacking;
};
constexpr Kind kinds[] = {{gbk_target::gbk, gbk_lacking::stop},
                          {gbk_target::gbk, gbk_lacking::space},
                          {gbk_target::gb18030, gbk_lacking::stop}};

TEST(SimdGbk, EveryLevelEqualsTheTwinAtEveryOffsetLengthAndRoom) {
  std::mt19937 rng(5);
  for (const auto [target, lacking] : kinds) {
    const auto twin = zel::utf8_to_gbk_kernel(zel::simd::plain, target, lacking);
    for (const Mix& other : mixes) {
      for (unsigned spoil : {0u, 60u, 4u}) {
        const std::string text = random_text(rng, 64 + 200, other, spoil);
        for (int l = 1; l <= static_cast<int>(zel::detect_simd_level()); ++l) {
          const auto kernel = zel::utf8_to_gbk_kernel(static_cast<zel::simd>(l), target, lacking);
          for (std::size_t offset = 0; offset <= 64; ++offset) {
            for (std::size_t length = 0; length <= 200; ++length) {
              const std::string slice = text.substr(offset, length);
              for (std::size_t room : {2 * length, length / 2 + 1, std::size_t{40}}) {
                const KernelRun want = run_kernel(twin, slice, room);
                const KernelRun got = run_kernel(kernel, slice, room);
                ASSERT_TRUE(got.run.read == want.run.read && got.bytes == want.bytes &&
                            got.run.spaces == want.run.spaces)
                    << other.what << ", target " << int(target) << ", lacking " << int(lacking)
                    << ", spoilt 1 in " << spoil << ", level " << l << ", offset " << offset
                    << ", length " << length << ", room " << room << ": read " << got.run.read
                    << " of " << want.run.read << ", input " << to_hex(slice);
              }
            }
          }
        }
      }
    }
  }
}

// A plain GBK or GB18030 output for the lenient decoder: no vector path, no
// limit.
struct plain_gbk {
  gbk_target target;
  std::string bytes;
  void need(std::size_t) {}
  void put(std::uint8_t b) { bytes.push_back(static_cast<char>(b)); }
  void unit(std::uint16_t u) {
    if (target == gbk_target::gbk)
      zel::gbk_put(u, *this);
    else
      zel::gb18030_put(u, *this);
  }
  void ascii(const std::uint8_t* p, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) unit(p[k]);
  }
};

std::string lenient_gbk(gbk_target target, const std::string& text) {
  plain_gbk out{target, {}};
  zel::utf8_decoder(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), out);
  return out.bytes;
}

// The twin writes what the writer writes for what it read, counts the
// spaces it puts for letters GBK lacks, and stops only at a sequence a
// strict reader refuses, a character without a two-byte code (unless it
// puts GBK's space) or one that does not fit.
TEST(SimdGbk, TwinStopsOnlyWhereTheDecoderMustJudge) {
  std::mt19937 rng(9);
  for (const auto [target, lacking] : kinds) {
    const auto twin = zel::utf8_to_gbk_kernel(zel::simd::plain, target, lacking);
    for (const Mix& other : mixes) {
      for (int k = 0; k < 300; ++k) {
        const std::string text = random_text(rng, rng() % 100, other, 5);
        const std::size_t room = rng() % 2 ? 2 * text.size() : rng() % (text.size() + 1);
        const KernelRun r = run_kernel(twin, text, room);
        SCOPED_TRACE(std::string(other.what) + ", target " + std::to_string(int(target)) +
                     ", lacking " + std::to_string(int(lacking)) + ", room " +
                     std::to_string(room) + ": " + to_hex(text));
        ASSERT_EQ(to_hex(r.bytes), to_hex(lenient_gbk(target, text.substr(0, r.run.read))));
        // The spaces it counts are those it wrote for letters.
        const auto put = [](const std::string& s) { return std::count(s.begin(), s.end(), ' '); };
        ASSERT_EQ(static_cast<std::ptrdiff_t>(r.run.spaces),
                  put(r.bytes) - put(text.substr(0, r.run.read)));
        if (r.run.read == text.size()) continue;
        const auto* p = reinterpret_cast<const std::uint8_t*>(text.data()) + r.run.read;
        const std::size_t left = text.size() - r.run.read;
        const std::size_t length = p[0] < 0x80 ? 1 : p[0] >= 0xC0 && p[0] < 0xE0 ? 2 : 3;
        if (p[0] >= 0xF0 || (p[0] >= 0x80 && p[0] < 0xC0) || left < length ||
            (length > 1 && zel::utf8_malformed(p, length)))
          continue;  // refused by a strict reader
        const std::string next = lenient_gbk(target, text.substr(r.run.read, length));
        const bool lacks = p[0] >= 0x80 && next.size() != 2 && lacking == gbk_lacking::stop;
        ASSERT_TRUE(lacks || next.size() > room - r.run.bytes) << "stopped at " << r.run.read;
      }
    }
  }
}

// A writer with its vector path hidden: the decoder's own loop.
template <class Base>
struct without_vector : zel::reporting_output<Base> {
  using zel::reporting_output<Base>::reporting_output;
  void utf8_blocks() = delete;
};

template <class Output>
Decoded decode(const std::string& text, std::size_t expected, std::size_t limit, bool last) {
  return zel_test::counted_decode<Output>(text, expected, limit,
                                          [&](const std::uint8_t* in, std::size_t n, Output& out) {
                                            return zel::utf8_decoder(in, n, out, last);
                                          });
}

// The output as the plain exports run it, counting nothing (its GBK kernel
// puts the spaces itself).
template <class Base>
Decoded uncounted(const std::string& text, std::size_t expected, std::size_t limit, bool last) {
  const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());
  Decoded d;
  zel::byte_sink sink(expected, limit);
  Base out(sink);
  d.took = zel::utf8_decoder(in, text.size(), out, last);
  out.done();
  if (sink.size()) d.bytes.assign(sink.buffer.data, sink.size());
  return d;
}

// Counted, grown from one byte or stopped at a limit, whole or as a piece
// that is not the last: the same bytes, report and cut; uncounted, the same
// bytes and cut.
template <class Base>
void expect_same_as_own_loop() {
  std::mt19937 rng(17);
  for (const Mix& other : mixes) {
    for (int k = 0; k < 40; ++k) {
      const std::string text = random_text(rng, 64 + rng() % 1500, other, k % 2 ? 80 : 0);
      const std::size_t whole = 2 * text.size();
      for (std::size_t limit : {whole, text.size() / 2, text.size() / 2 + 1, std::size_t{130}}) {
        for (std::size_t expected : {std::size_t{1}, whole}) {
          for (bool last : {true, false}) {
            const Decoded want = decode<without_vector<Base>>(text, expected, limit, last);
            const Decoded got = decode<zel::reporting_output<Base>>(text, expected, limit, last);
            SCOPED_TRACE(std::string(other.what) + ", limit " + std::to_string(limit) +
                         ", estimate " + std::to_string(expected) + (last ? "" : ", a piece") +
                         ", input " + to_hex(text));
            ASSERT_NO_FATAL_FAILURE(zel_test::expect_same_decoded(got, want));
            const Decoded plain = uncounted<Base>(text, expected, limit, last);
            ASSERT_EQ(to_hex(plain.bytes), to_hex(want.bytes));
            ASSERT_EQ(plain.took, want.took);
          }
        }
      }
    }
  }
}

TEST(SimdGbk, DecoderWithTheVectorPathEqualsItsOwnLoop) {
  for (const gbk_target target : targets)
    ASSERT_TRUE(zel::utf8_to_gbk_active(target) || zel::simd_level() < zel::simd::avx512);
  expect_same_as_own_loop<zel::gbk_output>();
  expect_same_as_own_loop<zel::gb18030_output>();
}

}  // namespace
