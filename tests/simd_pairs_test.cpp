// The two-byte vector kernel in each of its shapes against its plain twin,
// and the two-byte decoders with their vector path against the same
// decoders without it.
//
// Texts mix ASCII, the charset's own singles (Shift_JIS's yen sign, overline
// and katakana, EUC-JP's 0x8E katakana), pairs with a character and the
// pairs and bytes that must stop the kernel (every lead and trail edge of
// each table, cells of U+FFFD, the first index past the stored cells, lone
// leads and single shifts, single bytes without a character, GB18030
// four-byte codes, JIS X 0212 codes), at every offset 0..64 and length
// 0..200, so that each straddles every window edge.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "src/core/report.h"
#include "src/decode/gb18030_big5.h"
#include "src/decode/japanese.h"
#include "src/decode/korean.h"
#include "src/encode/pivot_output.h"
#include "src/encode/utf8.h"
#include "src/simd/cpu.h"
#include "src/simd/pairs_to_ucs2.h"
#include "src/string/byte_sink.h"
#include "tests/support/conversion.h"
#include "tests/support/counted_decode.h"

namespace {

using zel_test::Decoded;

using zel::pair_shape;
using zel_test::to_hex;

enum class Family { gb18030, big5, ksc5601, euc_kr, shift_jis, euc_jp };

struct Charset {
  const char* what;
  Family family;
  pair_shape shape;
  zel::pair_table table;  // as its decoder reads it
  // Clean single characters besides ASCII, and the charset's own pieces
  // that must stop the kernel.
  std::vector<std::string> singles, stops;
};

const Charset charsets[] = {
    {"GB18030",
     Family::gb18030,
     pair_shape::lead_trail,
     zel::make_pair_table(zel::gbk_to_ucs2, zel::gbk_columns, 0x81, 0xFE, 0x40, 0xFE),
     {"\x7f"},
     {}},
    {"Big5",
     Family::big5,
     pair_shape::lead_trail,
     zel::make_pair_table(zel::big5_to_ucs2, zel::big5_columns, 0x80, 0xFF, 0x40, 0xFE),
     {"\x7f"},
     {}},
    {"code page 949",
     Family::ksc5601,
     pair_shape::lead_trail,
     zel::make_pair_table(zel::ksc5601_to_ucs2, zel::ksc5601_columns, 0x81, 0xFF, 0x40, 0xFE),
     {"\x7f"},
     {}},
    {"EUC-KR",
     Family::euc_kr,
     pair_shape::lead_trail,
     zel::make_pair_table(zel::ksx1001_to_ucs2, zel::ksx1001_columns, 0xA1, 0xFE, 0xA1, 0xFE),
     {"\x7f"},
     {}},
    {"Shift_JIS",
     Family::shift_jis,
     pair_shape::shift_jis,
     zel::make_pair_table(zel::sjis_to_ucs2, zel::sjis_columns, 0x81, 0xFF, 0x40, 0xFE),
     {"\\", "~", "\xa1", "\xb1", "\xdf", "A\xdf"},
     {"\x7f", "\x80", "\xa0", "\x81", "\x9f", "\xe0", "\xfc", "\xff", "\x81\x3f", "\x9f\xff",
      "\xe0\x7f", "\xfd\x40", "\xff\xfe", "\x81\xa0", "\x81\x80", "\x82\x7f"}},
    {"EUC-JP",
     Family::euc_jp,
     pair_shape::euc_jp,
     zel::make_pair_table(zel::jisx0208_to_ucs2, zel::jis_columns, 0xA1, 0xFE, 0xA1, 0xFE),
     {"\x7f", "\x8e\xa1", "\x8e\xb1", "\x8e\xdf"},
     {"\x8e", "\x8e\xa0", "\x8e\xe0", "\x8e\x41", "\x8e\x8e\xb1", "\x8f", "\x8f\xb0\xa1",
      "\x8f\xa1\x41", "\x80", "\x8d", "\xa0", "\xff", "\xa1", "\xa1\xa0", "\xfe\xfe", "\xa1\xff",
      "\xa1\x41"}},
};

template <class Out>
std::size_t decode_with(Family f, const std::uint8_t* in, std::size_t n, Out& out, bool last) {
  switch (f) {
    case Family::gb18030:
      return zel::gb18030_decoder(in, n, out, last);
    case Family::big5:
      return zel::big5_decoder(in, n, out, last);
    case Family::ksc5601:
      return zel::ksc5601_decoder(in, n, out, last);
    case Family::shift_jis:
      return zel::shift_jis_decoder(in, n, out, last);
    case Family::euc_jp:
      return zel::euc_jp_decoder(in, n, out, last);
    case Family::euc_kr:
      break;
  }
  return zel::euc_kr_decoder(in, n, out, last);
}

std::string pair_of(int lead, int trail) {
  return {static_cast<char>(lead), static_cast<char>(trail)};
}

std::string pair_at(const zel::pair_table& t, std::size_t index) {
  return pair_of(static_cast<int>(t.lead_first + index / t.columns),
                 static_cast<int>(t.trail_first + index % t.columns));
}

struct Pieces {
  std::vector<std::string> clean, edges;
};

// Clean pieces: ASCII, the charset's singles and pairs drawn from the
// table's characters. Edges: each edge of the lead and trail ranges, the
// first and last U+FFFD cell a lead can reach, the first index past the
// stored cells, lone leads, four-byte codes and the charset's stops.
Pieces pieces_of(const Charset& c, std::mt19937& rng) {
  const zel::pair_table& t = c.table;
  Pieces p;
  for (const char* s : {"A", " ", "\n", "@", "0"}) p.clean.emplace_back(s);
  p.clean.insert(p.clean.end(), c.singles.begin(), c.singles.end());
  while (p.clean.size() < 40) {
    const std::size_t at = rng() % t.size;
    if (t.cells[at] != 0xFFFD) p.clean.push_back(pair_at(t, at));
  }
  for (int lead : {t.lead_first - 1, int{t.lead_first}, int{t.lead_last}, t.lead_last + 1})
    for (int trail :
         {t.trail_first - 1, int{t.trail_first}, 0x7F, int{t.trail_last}, t.trail_last + 1, 0x30})
      if (lead >= 0x80 && lead <= 0xFF) p.edges.push_back(pair_of(lead, trail & 0xFF));
  std::vector<std::size_t> empty;
  for (std::size_t at = 0; at < t.size; ++at) {
    // Shift_JIS reads these rows' leads as single bytes.
    const std::size_t lead = t.lead_first + at / t.columns;
    const bool single = c.shape == pair_shape::shift_jis && lead >= 0xA0 && lead <= 0xDF;
    if (t.cells[at] == 0xFFFD && !single) empty.push_back(at);
  }
  EXPECT_FALSE(empty.empty());
  if (!empty.empty())
    for (std::size_t at : {empty.front(), empty.back()}) p.edges.push_back(pair_at(t, at));
  if (t.lead_first + t.size / t.columns <= 0xFF) p.edges.push_back(pair_at(t, t.size));
  for (const char* s :
       {"\x80", "\x81", "\xa1", "\xfe", "\xff", "\x81\x30\x81\x30", "\x84\x31\xa4\x39"})
    p.edges.emplace_back(s);
  p.edges.insert(p.edges.end(), c.stops.begin(), c.stops.end());
  return p;
}

std::string random_text(std::mt19937& rng, const Pieces& p, std::size_t size, unsigned spoil) {
  std::string s;
  while (s.size() < size) {
    const auto& from = spoil && rng() % spoil == 0 ? p.edges : p.clean;
    s += from[rng() % from.size()];
  }
  return s;
}

struct KernelRun {
  zel::pairs_step step;
  std::string units;
};

// Exactly the input and the room a kernel may use, so that a stray read or
// write is a sanitizer's error.
KernelRun run_kernel(zel::pairs_to_ucs2_fn kernel, const zel::pair_table& t,
                     const std::string& text) {
  const std::vector<std::uint8_t> in(text.begin(), text.end());
  std::vector<std::uint8_t> out(2 * in.size());
  KernelRun r;
  r.step = kernel(t, in.data(), in.size(), out.data());
  r.units.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(2 * r.step.units));
  return r;
}

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

std::string decoded_units(Family f, const std::string& text) {
  plain_units out;
  decode_with(f, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), out, true);
  return out.bytes;
}

// The writers with their pair path hidden: the decoders' own loops.
template <class Base>
struct without_pairs : zel::reporting_output<Base> {
  using zel::reporting_output<Base>::reporting_output;
  void pair_blocks() = delete;
};

template <class Output>
Decoded decode(Family f, const std::string& text, std::size_t expected, std::size_t limit,
               bool last) {
  return zel_test::counted_decode<Output>(text, expected, limit,
                                          [&](const std::uint8_t* in, std::size_t n, Output& out) {
                                            return decode_with(f, in, n, out, last);
                                          });
}

// The twin writes what the decoder writes for the bytes it took, and stops
// only where the decoder would not read one clean character. In the plain
// shape every byte from 0x80 is a lead: the stop is at a lead cut off, or
// at two bytes that decode to anything but one unit other than U+FFFD. In
// the Japanese shapes single bytes from 0x80 have characters too: the stop
// is where the decoder degrades the next byte, or at EUC-JP's three-byte
// form, left to the decoder.
TEST(SimdPairs, TwinTakesWhatTheDecoderReadsCleanly) {
  std::mt19937 rng(5);
  for (const Charset& c : charsets) {
    const auto twin = zel::pairs_to_ucs2_kernel(zel::simd::plain, c.shape);
    const Pieces p = pieces_of(c, rng);
    for (int k = 0; k < 1000; ++k) {
      const std::string text = random_text(rng, p, rng() % 120, 5);
      const KernelRun r = run_kernel(twin, c.table, text);
      SCOPED_TRACE(std::string(c.what) + ": " + to_hex(text));
      ASSERT_EQ(to_hex(r.units), to_hex(decoded_units(c.family, text.substr(0, r.step.read))));
      if (r.step.read == text.size()) continue;
      if (c.shape != pair_shape::lead_trail) {
        if (c.shape == pair_shape::euc_jp && text[r.step.read] == '\x8f') continue;
        const std::string rest = text.substr(r.step.read);
        const Decoded d =
            decode<without_pairs<zel::pivot_output>>(c.family, rest, 1, 3 * rest.size(), true);
        ASSERT_EQ(d.tally.first, 0) << "stopped at " << r.step.read;
        continue;
      }
      ASSERT_GE(static_cast<std::uint8_t>(text[r.step.read]), 0x80) << "stopped at ASCII";
      if (r.step.read + 1 == text.size()) continue;  // a lead cut off
      const std::string next = decoded_units(c.family, text.substr(r.step.read, 2));
      ASSERT_TRUE(next.size() != 2 || next == "\xfd\xff") << "stopped at " << r.step.read;
    }
  }
}

TEST(SimdPairs, EveryLevelEqualsTheTwinAtEveryOffsetAndLength) {
  std::mt19937 rng(9);
  for (const Charset& c : charsets) {
    const auto twin = zel::pairs_to_ucs2_kernel(zel::simd::plain, c.shape);
    const Pieces p = pieces_of(c, rng);
    for (unsigned spoil : {0u, 60u, 4u}) {
      const std::string text = random_text(rng, p, 64 + 200, spoil);
      for (int l = 1; l <= static_cast<int>(zel::detect_simd_level()); ++l) {
        const auto kernel = zel::pairs_to_ucs2_kernel(static_cast<zel::simd>(l), c.shape);
        for (std::size_t offset = 0; offset <= 64; ++offset) {
          for (std::size_t length = 0; length <= 200; ++length) {
            const std::string slice = text.substr(offset, length);
            const KernelRun want = run_kernel(twin, c.table, slice);
            const KernelRun got = run_kernel(kernel, c.table, slice);
            ASSERT_TRUE(got.step.read == want.step.read && got.units == want.units)
                << c.what << ", spoilt 1 in " << spoil << ", level " << l << ", offset " << offset
                << ", length " << length << ": read " << got.step.read << " of " << want.step.read
                << ", input " << to_hex(slice);
          }
        }
      }
    }
  }
}

template <class Base>
void expect_same_as_own_loop(const Charset& c, const std::string& text) {
  const std::size_t whole = 3 * text.size();
  for (std::size_t limit : {whole, whole / 3, whole / 3 + 1, std::size_t{130}}) {
    for (std::size_t expected : {std::size_t{1}, whole}) {
      for (bool last : {true, false}) {
        const Decoded want = decode<without_pairs<Base>>(c.family, text, expected, limit, last);
        const Decoded got =
            decode<zel::reporting_output<Base>>(c.family, text, expected, limit, last);
        SCOPED_TRACE(std::string(c.what) + ", limit " + std::to_string(limit) + ", estimate " +
                     std::to_string(expected) + (last ? "" : ", a piece") + ", input " +
                     to_hex(text));
        ASSERT_NO_FATAL_FAILURE(zel_test::expect_same_decoded(got, want));
      }
    }
  }
}

// Into the pivot and into UTF-8, counted: grown from one byte or stopped at
// a limit, whole or as a piece that is not the last, the same bytes, report
// and cut.
TEST(SimdPairs, DecodersWithTheVectorPathEqualTheirOwnLoops) {
  std::mt19937 rng(13);
  for (const Charset& c : charsets) {
    const Pieces p = pieces_of(c, rng);
    for (int k = 0; k < 30; ++k) {
      const std::string text = random_text(rng, p, 64 + rng() % 700, k % 3 ? 80 : 0);
      expect_same_as_own_loop<zel::pivot_output>(c, text);
      expect_same_as_own_loop<zel::utf8_output>(c, text);
    }
  }
}

}  // namespace
