// The UTF-16 to UTF-8 kernels against the one-unit writer, and the UTF-8
// output that calls them against the simple path at a short limit.
//
// Every level this CPU runs is tested here; the exports use the level
// chosen at load, so this suite and fast_path_test are worth running under
// each ZEL_SIMD value.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "src/core/decoder_dispatch.h"
#include "src/core/report.h"
#include "src/decode/pivot.h"
#include "src/encode/utf8.h"
#include "src/simd/cpu.h"
#include "src/simd/utf16_to_utf8.h"
#include "src/string/byte_sink.h"
#include "tests/support/conversion.h"
#include "zel_code.h"

namespace {

using zel::simd;
using zel_test::to_hex;

struct string_cursor {
  std::string bytes;
  void need(std::size_t) {}
  void put(std::uint8_t b) { bytes.push_back(static_cast<char>(b)); }
};

std::string utf8_of(const std::vector<std::uint16_t>& units, std::size_t from, std::size_t count) {
  string_cursor c;
  for (std::size_t k = from; k < from + count; ++k) zel::utf8_put(units[k], c);
  return c.bytes;
}

bool is_surrogate(std::uint16_t u) { return u >= 0xD800 && u <= 0xDFFF; }

// Units around every edge the kernels test: the UTF-8 lengths, the
// surrogates, the byte-order marks and the top.
const std::uint16_t edges[] = {0x0000, 0x0041, 0x007F, 0x0080, 0x00E9, 0x00FF, 0x0100,
                               0x07FF, 0x0800, 0x0FFF, 0x4E2D, 0xAC00, 0xD7FF, 0xD800,
                               0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFEFF, 0xFFFE, 0xFFFF};

// Mixes drawn with a fixed seed: each unit from one class (ASCII, two
// bytes, three bytes, an edge unit), runs of one class, and a surrogate
// one time in `surrogate_odds`.
struct Mix {
  const char* what;
  unsigned classes;  // bit 0 ASCII, 1 two bytes, 2 three bytes, 3 edges
  unsigned run;      // units drawn from one class in a row, at most
  unsigned surrogate_odds;
  bool lone_twos = false;  // two-byte units one at a time, as in Western text
};

const Mix mixes[] = {
    {"ASCII with rare surrogates", 0x1, 40, 300},
    {"ASCII and two-byte", 0x3, 6, 0},
    {"three-byte, no surrogates", 0x4, 64, 0},
    {"CJK text with ASCII", 0x5, 20, 200},
    {"every class, short runs", 0xF, 3, 40},
    {"edge units only", 0x8, 1, 8},
    {"ASCII with lone two-byte units", 0x3, 20, 0, true},
};

std::vector<std::uint16_t> draw(const Mix& m, std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint16_t> units;
  while (units.size() < n) {
    unsigned cls;
    do cls = rng() % 4;
    while (!(m.classes >> cls & 1));
    for (unsigned r = cls == 1 && m.lone_twos ? 1 : 1 + rng() % m.run; r > 0 && units.size() < n;
         --r) {
      std::uint32_t u = 0;
      switch (cls) {
        case 0:
          u = rng() % 0x80;
          break;
        case 1:
          u = 0x80 + rng() % 0x780;
          break;
        case 2:
          u = 0x800 + rng() % (0x10000 - 0x800 - 0x800);
          if (u >= 0xD800) u += 0x800;
          break;
        default:
          u = edges[rng() % std::size(edges)];
          break;
      }
      if (m.surrogate_odds && rng() % m.surrogate_odds == 0) u = 0xD800 + rng() % 0x800;
      units.push_back(static_cast<std::uint16_t>(u));
    }
  }
  return units;
}

std::string bytes_of(const std::vector<std::uint16_t>& units, bool big) {
  std::string s;
  for (std::uint16_t u : units) {
    const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    s.push_back(big ? hi : lo);
    s.push_back(big ? lo : hi);
  }
  return s;
}

std::vector<simd> levels_here() {
  std::vector<simd> out;
  for (int l = 0; l <= static_cast<int>(zel::detect_simd_level()); ++l)
    out.push_back(static_cast<simd>(l));
  return out;
}

// A text's units with the one-unit writer's bytes for all of them, and
// where each unit's bytes start.
struct Text {
  std::vector<std::uint16_t> units;
  std::string utf8;
  std::vector<std::size_t> at;
  explicit Text(std::vector<std::uint16_t> u) : units(std::move(u)) {
    for (std::size_t k = 0; k < units.size(); ++k) {
      at.push_back(utf8.size());
      utf8 += utf8_of(units, k, 1);
    }
    at.push_back(utf8.size());
  }
  std::string utf8_of_units(std::size_t from, std::size_t count) const {
    return utf8.substr(at[from], at[from + count] - at[from]);
  }
};

// What a kernel must do with `count` units from `from`: write the units it
// reads as the one-unit writer would, read no surrogate, and stop only
// before a surrogate, at the end, or with less than a step left.
void check_run(const zel::utf16_to_utf8_kernel& k, bool big, const Text& t, std::size_t from,
               std::size_t count, std::size_t misalign, const std::string& where) {
  const std::string in = std::string(misalign, '\x5a') +
                         bytes_of({t.units.begin() + static_cast<std::ptrdiff_t>(from),
                                   t.units.begin() + static_cast<std::ptrdiff_t>(from + count)},
                                  big);
  std::vector<std::uint8_t> out(3 * count + 256, 0xAA);
  const auto* p = reinterpret_cast<const std::uint8_t*>(in.data()) + misalign;
  const zel::utf16_utf8_run run = (big ? k.big : k.little)(p, count, out.data(), out.size());
  ASSERT_LE(run.units, count) << where;
  for (std::size_t j = 0; j < run.units; ++j)
    ASSERT_FALSE(is_surrogate(t.units[from + j])) << where;
  const bool stop_ok = run.units == count || is_surrogate(t.units[from + run.units]) ||
                       count - run.units < k.step_units;
  ASSERT_TRUE(stop_ok) << where << ": stopped at " << run.units << " of " << count;
  const std::string expected = t.utf8_of_units(from, run.units);
  if (run.bytes != expected.size() || std::memcmp(out.data(), expected.data(), run.bytes) != 0)
    FAIL() << where << ": "
           << to_hex(std::string(reinterpret_cast<const char*>(out.data()), run.bytes)) << " for "
           << to_hex(expected);
}

TEST(Utf16ToUtf8Kernels, EveryLevelWritesWhatTheUnitWriterWrites) {
  for (simd level : levels_here()) {
    const zel::utf16_to_utf8_kernel& k = zel::utf16_to_utf8_kernel_of(level);
    for (const Mix& m : mixes) {
      const Text t(draw(m, 300, m.classes * 31 + m.run));
      for (bool big : {false, true})
        for (std::size_t offset = 0; offset <= 64; ++offset)
          for (std::size_t count = 0; count <= 200; ++count)
            check_run(k, big, t, offset, count, offset % 4,
                      std::string(zel::simd_level_name(level)) + (big ? " BE, " : " LE, ") +
                          m.what + ", offset " + std::to_string(offset) + ", count " +
                          std::to_string(count));
    }
  }
}

// With less room than a step's widest stores, a kernel writes nothing;
// with more, it writes nothing past the room it was given.
TEST(Utf16ToUtf8Kernels, WriteOnlyWithinTheirRoom) {
  for (const Mix& m : mixes) {
    const std::vector<std::uint16_t> units = draw(m, 120, 7);
    const std::string in = bytes_of(units, false);
    const auto* p = reinterpret_cast<const std::uint8_t*>(in.data());
    for (simd level : levels_here()) {
      const zel::utf16_to_utf8_kernel& k = zel::utf16_to_utf8_kernel_of(level);
      for (std::size_t room = 0; room <= 3 * units.size(); ++room) {
        std::vector<std::uint8_t> out(room + 64, 0xAA);
        const zel::utf16_utf8_run run = k.little(p, units.size(), out.data(), room);
        SCOPED_TRACE(std::string(zel::simd_level_name(level)) + ", " + m.what + ", room " +
                     std::to_string(room));
        if (room < k.step_room) {
          EXPECT_EQ(run.units, 0u);
        } else if (!is_surrogate(units[0])) {
          EXPECT_GT(run.units, 0u);
        }
        EXPECT_LE(run.bytes, room);
        for (std::size_t b = room; b < out.size(); ++b) ASSERT_EQ(out[b], 0xAA) << "byte " << b;
        ASSERT_EQ(to_hex(std::string(reinterpret_cast<const char*>(out.data()), run.bytes)),
                  to_hex(utf8_of(units, 0, run.units)));
      }
    }
  }
}

// The decoders' units with where each starts, every unit appended one at a
// time: the simple path.
struct unit_list {
  static constexpr bool reports = true;
  std::vector<std::uint16_t> units;
  std::vector<std::size_t> starts;
  const std::uint8_t* origin;
  const std::uint8_t* here;
  void mark(const std::uint8_t* at) { here = at; }
  void note(zel::degradation, const std::uint8_t*, std::size_t) {}
  void unit(std::uint16_t u) {
    units.push_back(u);
    starts.push_back(static_cast<std::size_t>(here - origin));
  }
  void ascii(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      mark(p + i);
      unit(p[i]);
    }
  }
};

// Through the UTF-8 output at the level chosen at load: every limit keeps
// the same whole characters as writing unit by unit, and a report places
// the cut where the first lost character starts, with the output growing
// from one byte or reserved in full.
TEST(Utf16ToUtf8Output, OutputAtTheLimitKeepsTheSameWholeUnits) {
  const std::vector<std::uint16_t> text = draw(mixes[4], 260, 11);
  const struct {
    int id;
    bool big;
  } cases[] = {
      {ZEL_CHARSET_UTF16LE, false}, {ZEL_CHARSET_UTF16BE, true}, {ZEL_CHARSET_UCS2LE, false}};
  for (const auto& c : cases) {
    const std::string in = bytes_of(text, c.big) + "\x7f";  // and an odd last byte
    const auto* p = reinterpret_cast<const std::uint8_t*>(in.data());
    unit_list simple{{}, {}, p, p};
    if (!zel::decoder_dispatch(c.id, p, in.size(), simple)) zel::pivot_reader(p, in.size(), simple);
    const std::string all = utf8_of(simple.units, 0, simple.units.size());
    for (std::size_t limit = 0; limit <= all.size() + 1; ++limit) {
      std::string kept;
      std::size_t lost = 0;
      for (; lost < simple.units.size(); ++lost) {
        const std::string one = utf8_of(simple.units, lost, 1);
        if (kept.size() + one.size() > limit) break;
        kept += one;
      }
      const std::int64_t cut_at =
          lost < simple.units.size() ? static_cast<std::int64_t>(simple.starts[lost]) : -1;
      for (std::size_t expected : {std::size_t{1}, all.size() + 64}) {
        SCOPED_TRACE("id " + std::to_string(c.id) + ", limit " + std::to_string(limit) +
                     ", estimate " + std::to_string(expected));
        zel::byte_sink sink(expected, limit);
        zel::report_tally tally;
        zel::reporting_output<zel::utf8_output> out(sink, tally, p);
        if (!zel::decoder_dispatch(c.id, p, in.size(), out)) zel::pivot_reader(p, in.size(), out);
        out.done();
        ASSERT_EQ(to_hex(sink.size() ? std::string(sink.buffer.data, sink.size()) : ""),
                  to_hex(kept));
        ASSERT_EQ(tally.truncated_at, cut_at);
      }
    }
  }
}

}  // namespace
