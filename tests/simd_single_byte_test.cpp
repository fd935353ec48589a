// The single-byte vector kernels and the search for empty cells against
// their plain twins and the tables, and the single-byte decoder with its
// vector path against the same decoder without it.
//
// Every table of the 35 charsets, every byte value at every position of a
// step, every offset 0..64 and length 0..200, and into UTF-8 rooms around
// a step's widest stores.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "src/decode/single_byte.h"
#include "src/encode/pivot_output.h"
#include "src/encode/utf8.h"
#include "src/simd/cpu.h"
#include "src/simd/single_byte_kernel.h"
#include "src/string/byte_sink.h"
#include "src/tables/single_byte.h"
#include "tests/support/conversion.h"

namespace {

using zel_test::to_hex;

const std::uint16_t* cells_of(std::size_t table) { return *zel::single_byte_tables[table]; }

// What a kernel must give, read off the table: ASCII as itself, the rest
// from the cells.
std::string expected_ucs2(const std::uint16_t* cells, const std::string& text) {
  std::string units;
  for (char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    units += zel_test::unit_bytes(b < 0x80 ? std::uint16_t{b} : cells[b]);
  }
  return units;
}

std::string run_ucs2(zel::single_byte_to_ucs2_fn kernel, const std::uint16_t* cells,
                     const std::string& text) {
  const std::vector<std::uint8_t> in(text.begin(), text.end());
  std::vector<std::uint8_t> out(2 * in.size());
  kernel(cells, in.data(), in.size(), out.data());
  return {out.begin(), out.end()};
}

struct Utf8Run {
  std::size_t read;
  std::string bytes;
};

// Exactly the input and the room a kernel may use, so that a stray read or
// write is a sanitizer's error.
Utf8Run run_utf8(zel::single_byte_to_utf8_fn kernel, const std::uint16_t* cells,
                 const std::string& text, std::size_t room) {
  const std::vector<std::uint8_t> in(text.begin(), text.end());
  std::vector<std::uint8_t> out(room);
  const zel::single_byte_utf8_run run = kernel(cells, in.data(), in.size(), out.data(), room);
  return {run.read, {out.begin(), out.begin() + static_cast<std::ptrdiff_t>(run.bytes)}};
}

// The plain level and every level with kernels of its own.
std::vector<int> levels_to_test() {
  std::vector<int> levels = {0};
  for (int l = 1; l <= static_cast<int>(zel::detect_simd_level()); ++l)
    if (zel::single_byte_to_ucs2_kernel(static_cast<zel::simd>(l)) !=
        zel::single_byte_to_ucs2_kernel(static_cast<zel::simd>(l - 1)))
      levels.push_back(l);
  return levels;
}

// Each kernel at `level` gives the table's units for `text`; into UTF-8 it
// takes the whole steps its room allows, as the twin does.
void expect_kernels_read_the_table(int level, std::size_t table, const std::string& text,
                                   std::initializer_list<std::size_t> rooms) {
  const std::uint16_t* cells = cells_of(table);
  const auto simd = static_cast<zel::simd>(level);
  const std::string units = expected_ucs2(cells, text);
  ASSERT_EQ(to_hex(run_ucs2(zel::single_byte_to_ucs2_kernel(simd), cells, text)), to_hex(units))
      << "table " << table << ", level " << level << ", input " << to_hex(text);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  ASSERT_EQ(zel::first_empty_cell_kernel(simd)(cells, bytes, text.size()),
            zel::first_empty_cell_kernel(zel::simd::plain)(cells, bytes, text.size()))
      << "table " << table << ", level " << level << ", input " << to_hex(text);
  for (std::size_t room : rooms) {
    const Utf8Run want =
        run_utf8(zel::single_byte_to_utf8_kernel(zel::simd::plain), cells, text, room);
    const Utf8Run got = run_utf8(zel::single_byte_to_utf8_kernel(simd), cells, text, room);
    // The twin takes every whole step while a step's widest stores fit.
    const std::size_t steps = text.size() / zel::single_byte_step;
    ASSERT_EQ(want.read % zel::single_byte_step, 0u);
    ASSERT_TRUE(want.read == steps * zel::single_byte_step ||
                room - want.bytes.size() < zel::single_byte_utf8_room);
    ASSERT_EQ(to_hex(want.bytes), to_hex(zel_test::utf8_of_pivot(units.substr(0, 2 * want.read))));
    ASSERT_TRUE(got.read == want.read && got.bytes == want.bytes)
        << "table " << table << ", level " << level << ", room " << room << ": read " << got.read
        << " of " << want.read << ", input " << to_hex(text);
  }
}

TEST(SimdSingleByte, EveryByteAtEveryPlaceOfAStep) {
  for (int level : levels_to_test())
    for (std::size_t table = 0; table < zel::single_byte_table_count; ++table)
      for (std::size_t place = 0; place < 16; ++place) {
        // Step v holds byte v at `place` and every 16th place after it,
        // among ASCII letters.
        std::string text;
        for (int v = 0; v < 256; ++v) {
          std::string step(zel::single_byte_step, static_cast<char>('a' + v % 26));
          for (std::size_t at = place; at < zel::single_byte_step; at += 16)
            step[at] = static_cast<char>(v);
          text += step;
        }
        expect_kernels_read_the_table(level, table, text,
                                      {0, zel::single_byte_utf8_room - 1,
                                       zel::single_byte_utf8_room + 130, 3 * text.size() + 200});
      }
}

TEST(SimdSingleByte, EveryLevelEqualsTheTwinAtEveryOffsetAndLength) {
  std::mt19937 rng(17);
  for (int level : levels_to_test()) {
    if (level == 0) continue;
    for (std::size_t table = 0; table < zel::single_byte_table_count; ++table) {
      // Mostly ASCII with one byte in 8 from 0x80, so that steps of only
      // ASCII come too, for half the tables; for the other half, text with
      // seven bytes in 8 from 0x80, as in Cyrillic or Greek.
      const unsigned ascii_in_8 = table % 2 ? 1 : 7;
      std::string text;
      while (text.size() < 64 + 200)
        text +=
            static_cast<char>(rng() % 8 < ascii_in_8 ? 0x20 + rng() % 0x60 : 0x80 + rng() % 0x80);
      for (std::size_t offset = 0; offset <= 64; ++offset)
        for (std::size_t length = 0; length <= 200; ++length)
          expect_kernels_read_the_table(level, table, text.substr(offset, length),
                                        {3 * length + zel::single_byte_utf8_room});
    }
  }
}

// The writers with their vector path hidden: the decoder's own loops.
template <class Base>
struct without_kernel : Base {
  using Base::Base;
  void byte_cell_blocks() = delete;
};

template <class Output>
std::string decode(int id, const std::string& text, std::size_t expected, std::size_t limit) {
  const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());
  zel::byte_sink sink(expected, limit);
  Output out(sink);
  EXPECT_EQ(zel::single_byte_decoder(id, in, text.size(), out), text.size());
  out.done();
  return sink.size() ? std::string(sink.buffer.data, sink.size()) : std::string();
}

// Into the pivot and into UTF-8, grown from one byte or stopped at every
// limit around where the output ends: the same bytes, cut on the same unit.
template <class Base>
void expect_same_as_own_loop(int id, const std::string& text) {
  const std::size_t whole =
      decode<without_kernel<Base>>(id, text, 1, zel::max_string_length).size();
  std::vector<std::size_t> limits = {whole, whole / 2, zel::max_string_length};
  for (std::size_t cut = 0; cut < 300 && cut <= whole; ++cut) limits.push_back(whole - cut);
  for (std::size_t limit : limits)
    for (std::size_t expected : {std::size_t{1}, whole + 64}) {
      ASSERT_EQ(to_hex(decode<Base>(id, text, expected, limit)),
                to_hex(decode<without_kernel<Base>>(id, text, expected, limit)))
          << "id " << id << ", limit " << limit << ", estimate " << expected;
    }
}

TEST(SimdSingleByte, DecoderWithTheVectorPathEqualsItsOwnLoop) {
  std::mt19937 rng(23);
  for (int id : {ZEL_CHARSET_CP1252, ZEL_CHARSET_KOI8_R, ZEL_CHARSET_CP874, ZEL_CHARSET_TCVN}) {
    for (unsigned high_share : {64u, 4u, 1u}) {
      std::string text;
      const std::size_t size = 64 + rng() % 900;
      while (text.size() < size)
        text += static_cast<char>(rng() % high_share ? rng() % 0x80 : 0x80 + rng() % 0x80);
      expect_same_as_own_loop<zel::pivot_output>(id, text);
      expect_same_as_own_loop<zel::utf8_output>(id, text);
    }
  }
}

}  // namespace
