// The fast paths against the simple ones, on input built to break them.
//
// The exports write ASCII sixteen bytes at a time, keep the output position
// in a local cursor, and read runs of ASCII pivot units eight at a time. The
// same decoders run into a plain output (no blocks, every unit appended to a
// std::string) and that pivot text encoded unit by unit is the simple path;
// every export must give the same bytes, with its output growing from one
// byte or stopping at a short limit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "src/core/decoder_dispatch.h"
#include "src/core/report.h"
#include "src/decode/pivot.h"
#include "src/encode/ascii_block.h"
#include "src/encode/gb18030.h"
#include "src/encode/gbk.h"
#include "src/encode/pivot_output.h"
#include "src/encode/utf8.h"
#include "src/string/byte_sink.h"
#include "tests/support/conversion.h"
#include "zel_code.h"

namespace {

using zel_test::convert;
using zel_test::to_hex;

// The simple path's output: pivot units appended one at a time, ASCII runs
// too, with no block path for the decoders to take. It keeps where each unit
// starts in the input, to place where a report says output was cut.
struct plain_pivot {
  static constexpr bool reports = true;
  std::vector<std::uint16_t> units;
  std::vector<const std::uint8_t*> starts;
  const std::uint8_t* here = nullptr;
  void mark(const std::uint8_t* at) { here = at; }
  void note(zel::degradation, const std::uint8_t*, std::size_t) {}
  void unit(std::uint16_t u) {
    units.push_back(u);
    starts.push_back(here);
  }
  void ascii(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      mark(p + i);
      unit(p[i]);
    }
  }
};

// A cursor over a std::string for the one-code-point encoders: unlimited
// room, one byte at a time.
struct string_cursor {
  std::string bytes;
  void need(std::size_t) {}
  void put(std::uint8_t b) { bytes.push_back(static_cast<char>(b)); }
};

enum class Target { unicode, utf8, gbk, gb18030 };

struct TargetInfo {
  Target target;
  const char* name;
  zel_test::convert_fn fn;
};

const TargetInfo targets[] = {
    {Target::unicode, "UCS-2", zel_code_unicode},
    {Target::utf8, "UTF-8", zel_code_utf8},
    {Target::gbk, "GBK", zel_code_gbk},
    {Target::gb18030, "GB18030", zel_code_gb18030},
};

// One unit in the target, by the one-code-point encoders.
std::string encode_unit(Target t, std::uint16_t u) {
  string_cursor c;
  switch (t) {
    case Target::unicode:
      c.put(static_cast<std::uint8_t>(u & 0xFF));
      c.put(static_cast<std::uint8_t>(u >> 8));
      break;
    case Target::utf8:
      zel::utf8_put(u, c);
      break;
    case Target::gbk:
      zel::gbk_put(u, c);
      break;
    case Target::gb18030:
      zel::gb18030_put(u, c);
      break;
  }
  return c.bytes;
}

// The simple path: the units the decoder of `id` gives through the plain
// output (or the input read as pivot pairs when the id has none), each as
// the target's bytes. Empty when the id leaves the input untouched.
// `starts`, when given, receives the input offset each unit starts at.
std::vector<std::string> simple_units(int id, const std::string& in, Target t, bool* decoded,
                                      std::vector<std::size_t>* starts = nullptr) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(in.data());
  plain_pivot pivot;
  pivot.here = p;
  *decoded = zel::decoder_dispatch(id, p, in.size(), pivot);
  if (!*decoded) zel::pivot_reader(p, in.size(), pivot);
  if (starts)
    for (const std::uint8_t* at : pivot.starts) starts->push_back(static_cast<std::size_t>(at - p));
  std::vector<std::string> out;
  for (std::uint16_t u : pivot.units) out.push_back(encode_unit(t, u));
  return out;
}

std::string joined(const std::vector<std::string>& units) {
  std::string s;
  for (const std::string& u : units) s += u;
  return s;
}

// Whole units from the start while they fit in `limit` bytes: what a
// conversion keeps when its output reaches the longest string.
std::string whole_units_within(const std::vector<std::string>& units, std::size_t limit) {
  std::string s;
  for (const std::string& u : units) {
    if (s.size() + u.size() > limit) break;
    s += u;
  }
  return s;
}

// The fast path into a sink made here: starting from `expected` bytes and
// holding at most `limit`; counted into `tally` when one is given, as the
// report exports count.
template <class Output>
std::string fast_into_sink(int id, const std::string& in, std::size_t expected, std::size_t limit,
                           zel::report_tally* tally) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(in.data());
  zel::byte_sink sink(expected, limit);
  auto run = [&](auto& out) {
    if (!zel::decoder_dispatch(id, p, in.size(), out)) zel::pivot_reader(p, in.size(), out);
    out.done();
  };
  if (tally) {
    zel::reporting_output<Output> out(sink, *tally, p);
    run(out);
  } else {
    Output out(sink);
    run(out);
  }
  if (sink.size() == 0) return "";
  return std::string(sink.buffer.data, sink.size());
}

std::string fast_into_sink(Target t, int id, const std::string& in, std::size_t expected,
                           std::size_t limit, zel::report_tally* tally = nullptr) {
  switch (t) {
    case Target::unicode:
      return fast_into_sink<zel::pivot_output>(id, in, expected, limit, tally);
    case Target::utf8:
      return fast_into_sink<zel::utf8_output>(id, in, expected, limit, tally);
    case Target::gbk:
      return fast_into_sink<zel::gbk_output>(id, in, expected, limit, tally);
    case Target::gb18030:
      return fast_into_sink<zel::gb18030_output>(id, in, expected, limit, tally);
  }
  return {};
}

// Pieces that adversarial input is made of: ASCII runs around the block
// size, lone ASCII between other bytes, every kind of lead byte, escapes and
// shifts of the 7-bit forms, and pivot pairs (a byte then 0x00).
std::vector<std::string> pieces() {
  std::vector<std::string> out;
  for (std::size_t len : {1u, 2u, 3u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 32u, 33u, 47u}) {
    std::string run;
    for (std::size_t k = 0; k < len; ++k) run.push_back(static_cast<char>('a' + k % 26));
    out.push_back(run);
    // The same run as pivot units, low byte first.
    std::string units;
    for (char c : run) {
      units.push_back(c);
      units.push_back('\0');
    }
    out.push_back(units);
  }
  // Runs broken by a byte that is not itself in some charset (Shift_JIS's
  // 0x5C and 0x7E, 0x7F) or by a lone letter from 0x80 (CP1252's e acute),
  // at a block's first, middle and last byte and just past it.
  for (int b : {0x5C, 0x7E, 0x7F, 0xE9}) {
    for (std::size_t at : {0u, 1u, 7u, 15u, 16u, 31u}) {
      std::string run(33, 'q');
      run[at] = static_cast<char>(b);
      out.push_back(run);
    }
  }
  for (const char* s :
       {" ", "\n", "\r\n", "\x1b", "\x0e", "\x0f", "\x1b$B", "\x1b(B", "\x1b(J", "\x1b$)C",
        "\x1b$)A", "\x1b$)G", "\x1b$*H", "\x1bN", "~{", "~}", "&#20013;"})
    out.push_back(s);
  for (int b : {0x80, 0x81, 0x84, 0x8E, 0x8F, 0xA0, 0xA1, 0xB0, 0xC0, 0xC3, 0xDF, 0xE0, 0xE4, 0xEF,
                0xF0, 0xF9, 0xFE, 0xFF})
    out.push_back(std::string(1, static_cast<char>(b)));
  // Well-formed characters of several charsets, so the decoders leave their
  // pass-through branches too.
  for (const char* hex :
       {"b0a1",  "d6d0",   "8130 8130", "8431 a439", "a440",      "f9d5",     "82a0", "93fa",
        "8ea1",  "8fb0a1", "b0a1",      "e4b8ad",    "c3a9",      "f09f9880", "4e2d", "00d8 00dc",
        "ff fe", "fe ff",  "9030 8130", "e332 9a35", "d800 dc00", "83d3"})
    out.push_back(zel_test::from_hex(hex));
  return out;
}

// `count` inputs of up to `max_pieces` pieces each, drawn with a fixed seed.
std::vector<std::string> adversarial_inputs(unsigned seed, int count, int max_pieces) {
  static const std::vector<std::string> all = pieces();
  std::mt19937 rng(seed);
  std::uniform_int_distribution<std::size_t> pick(0, all.size() - 1);
  std::uniform_int_distribution<int> length(0, max_pieces);
  std::vector<std::string> out;
  for (int k = 0; k < count; ++k) {
    std::string s;
    for (int p = length(rng); p > 0; --p) s += all[pick(rng)];
    out.push_back(s);
  }
  // Random bytes too, where every branch may be taken.
  for (int k = 0; k < count / 4; ++k) out.push_back(zel_test::random_bytes(rng, 1 + rng() % 200));
  return out;
}

// Every id with a decoder, the pivot itself and ids without one.
std::vector<int> all_ids() {
  std::vector<int> ids = {-1, ZEL_CHARSET_UCS2LE, ZEL_CHARSET_JIS_X0201, ZEL_CHARSET_RESERVED + 1};
  for (int id = ZEL_CHARSET_GB18030; id <= ZEL_CHARSET_MULELAO_1; ++id) ids.push_back(id);
  return ids;
}

// Ids whose text a target copies untouched, unvalidated: no decoder runs.
bool passes_through(Target t, int id) {
  return (t == Target::utf8 && id == ZEL_CHARSET_UTF8) ||
         (t == Target::gb18030 && id == ZEL_CHARSET_GB18030);
}

// --- The block primitives against the plain definition -------------------

struct BlockCase {
  const char* what;
  std::uint8_t high;  // the byte planted at each position in turn
};

TEST(AsciiBlocks, CountLeadingAsciiAndCopyEveryByte) {
  const BlockCase cases[] = {
      {"0x80, the lowest byte outside ASCII", 0x80},
      {"0xFF, the highest", 0xFF},
      {"0xC3, a UTF-8 lead", 0xC3},
      {"0x5C, ASCII but not itself in Shift_JIS", 0x5C},
      {"0x7E, likewise", 0x7E},
  };
  for (const BlockCase& c : cases) {
    for (std::size_t at = 0; at <= 16; ++at) {
      std::uint8_t in[16];
      for (std::size_t k = 0; k < 16; ++k) in[k] = static_cast<std::uint8_t>(0x7F - k * 7);
      if (at < 16) in[at] = c.high;
      // Bytes after the planted one may be ASCII or not: it is the first
      // that counts.
      if (at + 1 < 16) in[15] = static_cast<std::uint8_t>(at % 2 ? 0x90 : 0x10);
      std::size_t leading = 0, high_bits = 0;
      while (leading < 16 && in[leading] < 0x80) ++leading;
      // Shift_JIS's runs also end at 0x5C, 0x7E and 0x7F.
      std::size_t own = 0;
      while (own < leading && in[own] != 0x5C && in[own] != 0x7E && in[own] != 0x7F) ++own;
      for (std::size_t k = 0; k < 16; ++k) high_bits |= std::size_t{in[k] >= 0x80} << k;
      EXPECT_EQ(zel::high_byte_bits(in), high_bits) << c.what << " at " << at;

      std::uint8_t narrow[16] = {};
      EXPECT_EQ(zel::copy_ascii_block(in, narrow), leading) << c.what << " at " << at;
      EXPECT_EQ(std::memcmp(narrow, in, 16), 0) << c.what << " at " << at;
      EXPECT_EQ((zel::copy_ascii_block<0x5C, 0x7E, 0x7F>(in, narrow)), own)
          << c.what << " at " << at;
      std::uint8_t wide_own[32] = {};
      EXPECT_EQ((zel::widen_ascii_block<0x5C, 0x7E, 0x7F>(in, wide_own)), own)
          << c.what << " at " << at;

      std::uint8_t wide[32] = {};
      EXPECT_EQ(zel::widen_ascii_block(in, wide), leading) << c.what << " at " << at;
      for (std::size_t k = 0; k < 16; ++k) {
        EXPECT_EQ(wide[2 * k], in[k]) << c.what << " at " << at << ", unit " << k;
        EXPECT_EQ(wide[2 * k + 1], 0) << c.what << " at " << at << ", unit " << k;
      }
    }
  }
}

struct UnitBlockCase {
  const char* what;
  std::uint16_t unit;  // planted at each of the eight places in turn
};

TEST(AsciiBlocks, CountLeadingAsciiPivotUnits) {
  const UnitBlockCase cases[] = {
      {"U+0080, the first unit outside ASCII", 0x0080},
      {"U+0100, low byte ASCII, high byte not zero", 0x0100},
      {"U+4E2D", 0x4E2D},
      {"U+FFFF", 0xFFFF},
      {"U+007F stays ASCII", 0x007F},
  };
  for (const UnitBlockCase& c : cases) {
    for (std::size_t at = 0; at <= 8; ++at) {
      std::uint16_t units[8];
      for (std::size_t k = 0; k < 8; ++k) units[k] = static_cast<std::uint16_t>(0x41 + k);
      if (at < 8) units[at] = c.unit;
      std::uint8_t in[16];
      for (std::size_t k = 0; k < 8; ++k) {
        in[2 * k] = static_cast<std::uint8_t>(units[k] & 0xFF);
        in[2 * k + 1] = static_cast<std::uint8_t>(units[k] >> 8);
      }
      std::size_t leading = 0;
      while (leading < 8 && units[leading] < 0x80) ++leading;
      std::uint8_t out[8] = {};
      EXPECT_EQ(zel::narrow_ascii_units(in, out), leading) << c.what << " at " << at;
      for (std::size_t k = 0; k < leading; ++k)
        EXPECT_EQ(out[k], units[k]) << c.what << " at " << at << ", unit " << k;
    }
  }
}

// --- The exports against the simple path ---------------------------------

struct InputSet {
  const char* what;
  unsigned seed;
  int count;
  int max_pieces;
};

const InputSet input_sets[] = {
    {"short mixes, offsets around every block edge", 1, 160, 12},
    {"long mixes, many blocks and runs in one input", 2, 24, 150},
};

TEST(FastPath, ExportsEqualTheSimplePathOnEveryId) {
  for (const InputSet& set : input_sets) {
    const std::vector<std::string> inputs = adversarial_inputs(set.seed, set.count, set.max_pieces);
    for (int id : all_ids()) {
      for (const TargetInfo& t : targets) {
        if (passes_through(t.target, id)) continue;
        for (const std::string& in : inputs) {
          bool decoded = false;
          const std::string simple = joined(simple_units(id, in, t.target, &decoded));
          // zel_code_unicode leaves text without a decoder as it was.
          const std::string expected = t.target == Target::unicode && !decoded ? in : simple;
          ASSERT_EQ(to_hex(convert(t.fn, id, in)), to_hex(expected))
              << set.what << ": id " << id << " to " << t.name << ", input " << to_hex(in);
        }
      }
    }
  }
}

// Growing from a one-byte estimate, the cursor hands its position back to
// the sink at every growth; block writes must then wait for room.
TEST(FastPath, OutputGrownFromOneByteEqualsTheSimplePath) {
  const std::vector<std::string> inputs = adversarial_inputs(3, 80, 40);
  for (int id : all_ids()) {
    for (const TargetInfo& t : targets) {
      for (const std::string& in : inputs) {
        bool decoded = false;
        const std::string expected = joined(simple_units(id, in, t.target, &decoded));
        ASSERT_EQ(to_hex(fast_into_sink(t.target, id, in, 1, zel::max_string_length)),
                  to_hex(expected))
            << "id " << id << " to " << t.name << ", input " << to_hex(in);
      }
    }
  }
}

struct LimitCase {
  const char* what;
  int id;
  std::string input;
};

// At a short limit, every path stops on the same whole unit: block writes
// must not keep bytes that unit-by-unit writing would drop. Counted, the
// output is the same, and the report places the cut where the first lost
// unit starts.
TEST(FastPath, OutputAtTheLimitKeepsTheSameWholeUnits) {
  const std::string ascii40 = "The quick brown fox jumps over the dog 0";
  const LimitCase cases[] = {
      {"ASCII runs in GB18030", ZEL_CHARSET_GB18030,
       ascii40 + zel_test::from_hex("d6d0 cec4") + ascii40 + zel_test::from_hex("8130 8130")},
      {"ASCII runs around UTF-8 characters", ZEL_CHARSET_UTF8,
       ascii40 + zel_test::from_hex("e4b8ad c3a9") + ascii40 + "x"},
      {"single bytes of CP1252", ZEL_CHARSET_CP1252,
       ascii40 + zel_test::from_hex("80 e9 ff") + ascii40},
      {"pivot text, ASCII units in blocks", ZEL_CHARSET_UCS2LE,
       zel_test::from_hex("4100 4200 4300 4400 4500 4600 4700 4800 4900 4a00 2d4e 4b00 4c00 "
                          "4d00 4e00 4f00 5000 5100 5200 5300 5400 e900 5500")},
      {"Shift_JIS, runs ended by the yen sign and the overline", ZEL_CHARSET_SHIFT_JIS,
       ascii40 + zel_test::from_hex("82a0 93fa") + ascii40 + "\\~" + ascii40},
      {"lone ASCII between Shift_JIS pairs", ZEL_CHARSET_SHIFT_JIS,
       zel_test::from_hex("82a0 20 93fa 5c 82a0 20 93fa 41 82a0")},
      {"CP1252 letters scattered through blocks", ZEL_CHARSET_CP1252,
       ascii40 + "caf\xe9 na\xefve \x80 " + ascii40 + "\x9d" + ascii40},
  };
  for (const LimitCase& c : cases) {
    for (const TargetInfo& t : targets) {
      if (passes_through(t.target, c.id)) continue;
      bool decoded = false;
      std::vector<std::size_t> starts;
      const std::vector<std::string> units =
          simple_units(c.id, c.input, t.target, &decoded, &starts);
      for (std::size_t limit = 0; limit <= joined(units).size() + 1; ++limit) {
        const std::string kept = whole_units_within(units, limit);
        std::size_t lost = 0, bytes = 0;
        while (lost < units.size() && bytes + units[lost].size() <= limit)
          bytes += units[lost++].size();
        const std::int64_t cut_at =
            lost < units.size() ? static_cast<std::int64_t>(starts[lost]) : -1;
        for (std::size_t expected : {std::size_t{1}, joined(units).size() + 64}) {
          SCOPED_TRACE(std::string(c.what) + " to " + t.name + ", limit " + std::to_string(limit) +
                       ", estimate " + std::to_string(expected));
          ASSERT_EQ(to_hex(fast_into_sink(t.target, c.id, c.input, expected, limit)), to_hex(kept));
          zel::report_tally tally;
          ASSERT_EQ(to_hex(fast_into_sink(t.target, c.id, c.input, expected, limit, &tally)),
                    to_hex(kept));
          ASSERT_EQ(tally.truncated_at, cut_at);
        }
      }
    }
  }
}

}  // namespace
