// The UTF-8 to UCS-2 vector kernels against their plain twin, and the
// decoder with its vector path against the decoder without one.
//
// Every level the CPU offers runs on input built to break it: every lead
// byte, overlong forms, encoded surrogates, four-byte sequences, stray and
// missing continuations, sequences cut by the end, at every offset 0..64 and
// length 0..200, so that each window edge meets each kind of byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "src/core/report.h"
#include "src/decode/unicode.h"
#include "src/encode/pivot_output.h"
#include "src/simd/cpu.h"
#include "src/simd/utf8_to_ucs2.h"
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
    {"well-formed one-, two- and three-byte sequences",
     {"41", "20", "0a", "7f", "c280", "c3a9", "dfbf", "e0a080", "e4b8ad", "ed9fbf", "ee8080",
      "efbfbf", "eab080"}},
    {"three-byte sequences only, an ASCII byte now and then",
     {"e4b8ad", "e69687", "e38182", "ed9e98", "e4b8ad", "e69687", "e38182", "20"}},
    {"two-byte sequences only", {"d0b0", "d18f", "c3a9", "ceb1", "c2a0"}},
    {"what stops a strict reader",
     {"c080",     "c1bf",     "e08080", "e09fbf", "eda080", "edbfbf", "f09f9880",
      "f48fbfbf", "f4908080", "80",     "bf",     "c3",     "e4b8",   "f0",
      "f8",       "fe",       "ff",     "c341",   "e441",   "e4b841"}},
};

const std::vector<std::string>& piece_bytes(const Mix& mix) {
  static std::vector<std::vector<std::string>> cache(std::size(mixes));
  auto& bytes = cache[static_cast<std::size_t>(&mix - mixes)];
  if (bytes.empty())
    for (const std::string& hex : mix.pieces) bytes.push_back(from_hex(hex));
  return bytes;
}

// Text of at least `size` bytes: mostly pieces of `mix`, with a piece of the
// well-formed mix or of what stops a reader now and then, per `spoil`.
std::string random_text(std::mt19937& rng, const Mix& mix, std::size_t size, unsigned spoil) {
  const auto& own = piece_bytes(mix);
  const auto& bad = piece_bytes(mixes[3]);
  std::string s;
  while (s.size() < size) {
    const bool spoilt = spoil && rng() % spoil == 0;
    const auto& from = spoilt ? bad : own;
    s += from[rng() % from.size()];
  }
  return s;
}

std::vector<zel::simd> levels_here() {
  std::vector<zel::simd> levels;
  for (int k = 0; k <= static_cast<int>(zel::detect_simd_level()); ++k)
    levels.push_back(static_cast<zel::simd>(k));
  return levels;
}

struct KernelRun {
  zel::utf8_ucs2_step step;
  std::string units;  // the bytes written for the units
};

// The kernel on exactly these bytes, into exactly the room it may use (an
// over-read or over-write is then a sanitizer's error).
KernelRun run_kernel(zel::utf8_to_ucs2_fn kernel, const std::string& text) {
  const std::vector<std::uint8_t> in(text.begin(), text.end());
  std::vector<std::uint8_t> out(2 * in.size());
  KernelRun r;
  r.step = kernel(in.data(), in.size(), out.data());
  r.units.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(2 * r.step.units));
  return r;
}

// A plain output for the lenient decoder: units as bytes, no vector path.
struct plain_units {
  std::string bytes;
  void unit(std::uint16_t u) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  void ascii(const std::uint8_t* p, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) unit(p[k]);
  }
};

std::string lenient_units(const std::string& text) {
  plain_units out;
  zel::utf8_decoder(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), out);
  return out.bytes;
}

// Whether text[at..] opens with a whole well-formed sequence of one to
// three bytes: asked of the byte where the twin stops, which must not.
bool opens_strict_sequence(const std::string& text, std::size_t at) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data()) + at;
  const std::size_t left = text.size() - at;
  if (p[0] < 0x80) return true;
  const std::size_t length = p[0] >= 0xC0 && p[0] < 0xE0 ? 2 : p[0] >= 0xE0 && p[0] < 0xF0 ? 3 : 0;
  return length && left >= length && !zel::utf8_malformed(p, length);
}

TEST(SimdUtf8, TwinStopsAtTheFirstSequenceAStrictReaderRefuses) {
  std::mt19937 rng(7);
  const auto twin = zel::utf8_to_ucs2_kernel(zel::simd::plain);
  for (const Mix& mix : mixes) {
    for (int k = 0; k < 400; ++k) {
      const std::string text = random_text(rng, mix, rng() % 120, 6);
      const KernelRun r = run_kernel(twin, text);
      SCOPED_TRACE(std::string(mix.what) + ": " + to_hex(text));
      ASSERT_EQ(r.units, lenient_units(text.substr(0, r.step.read)));
      ASSERT_EQ(r.units.size(), 2 * r.step.units);
      if (r.step.read < text.size()) {
        ASSERT_FALSE(opens_strict_sequence(text, r.step.read));
      }
    }
  }
}

TEST(SimdUtf8, EveryLevelEqualsTheTwinAtEveryOffsetAndLength) {
  std::mt19937 rng(11);
  const auto twin = zel::utf8_to_ucs2_kernel(zel::simd::plain);
  for (const Mix& mix : mixes) {
    for (unsigned spoil : {0u, 40u, 3u}) {
      const std::string text = random_text(rng, mix, 64 + 200, spoil);
      for (zel::simd level : levels_here()) {
        const auto kernel = zel::utf8_to_ucs2_kernel(level);
        for (std::size_t offset = 0; offset <= 64; ++offset) {
          for (std::size_t length = 0; length <= 200; ++length) {
            const std::string slice = text.substr(offset, length);
            const KernelRun want = run_kernel(twin, slice), got = run_kernel(kernel, slice);
            ASSERT_TRUE(got.step.read == want.step.read && got.units == want.units)
                << mix.what << ", spoilt 1 in " << spoil << ", level "
                << zel::simd_level_name(level) << ", offset " << offset << ", length " << length
                << ": read " << got.step.read << " of " << want.step.read << ", input "
                << to_hex(slice);
          }
        }
      }
    }
  }
}

// One planted byte in a long well-formed text, at every place of a window:
// each check must stop the kernel exactly there.
TEST(SimdUtf8, EveryLevelStopsAtAPlantedFault) {
  const std::string faults[] = {"80", "c0", "c1", "f0", "f4", "ff", "e080", "ed a0", "c3 41"};
  const std::string base[] = {std::string(200, 'a'), [] {
                                std::string s;
                                while (s.size() < 200) s += from_hex("e4b8ad");
                                return s;
                              }()};
  const auto twin = zel::utf8_to_ucs2_kernel(zel::simd::plain);
  for (const std::string& text : base) {
    for (const std::string& fault : faults) {
      for (std::size_t at = 0; at + 16 < text.size(); ++at) {
        const std::string planted = text.substr(0, at) + from_hex(fault) + text.substr(at);
        const KernelRun want = run_kernel(twin, planted);
        for (zel::simd level : levels_here()) {
          const KernelRun got = run_kernel(zel::utf8_to_ucs2_kernel(level), planted);
          ASSERT_TRUE(got.step.read == want.step.read && got.units == want.units)
              << zel::simd_level_name(level) << ", fault " << fault << " at " << at;
        }
      }
    }
  }
}

// The pivot writer with its vector path hidden: the decoder's own loop.
struct without_vector : zel::reporting_output<zel::pivot_output> {
  using reporting_output::reporting_output;
  void utf8_blocks() = delete;
};

template <class Output>
Decoded decode(const std::string& text, std::size_t expected, std::size_t limit, bool last) {
  return zel_test::counted_decode<Output>(text, expected, limit,
                                          [&](const std::uint8_t* in, std::size_t n, Output& out) {
                                            return zel::utf8_decoder(in, n, out, last);
                                          });
}

// The decoder into the pivot writer, counted, against the same without the
// vector path: grown from one byte or stopped at a limit, whole or as a
// piece that is not the last, the same bytes, report and cut.
TEST(SimdUtf8, DecoderWithTheVectorPathEqualsItsOwnLoop) {
  ASSERT_TRUE(zel::utf8_to_ucs2_vectored() || zel::simd_level() < zel::simd::ssse3);
  std::mt19937 rng(13);
  for (const Mix& mix : mixes) {
    for (int k = 0; k < 40; ++k) {
      const std::string text = random_text(rng, mix, 64 + rng() % 300, k % 2 ? 50 : 0);
      const std::size_t whole = 2 * text.size();
      for (std::size_t limit : {whole, whole / 3, whole / 3 + 1, std::size_t{130}}) {
        for (std::size_t expected : {std::size_t{1}, whole}) {
          for (bool last : {true, false}) {
            const Decoded want = decode<without_vector>(text, expected, limit, last);
            const Decoded got =
                decode<zel::reporting_output<zel::pivot_output>>(text, expected, limit, last);
            SCOPED_TRACE(std::string(mix.what) + ", limit " + std::to_string(limit) +
                         ", estimate " + std::to_string(expected) + (last ? "" : ", a piece") +
                         ", input " + to_hex(text));
            ASSERT_NO_FATAL_FAILURE(zel_test::expect_same_decoded(got, want));
          }
        }
      }
    }
  }
}

}  // namespace
