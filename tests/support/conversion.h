// Test support: hex notation, running the exports on std::string, and one
// runner that checks a decoding case every way it applies.
#pragma once

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "zel_code.h"

namespace zel_test {

using convert_fn = int(ZEL_CALL*)(int, zel_string*);
// An export that rewrites a string in place: the transcoders and the
// character reference decoders.
using string_fn = void(ZEL_CALL*)(zel_string*);

// "41 00 e4" -> bytes; spaces are ignored.
std::string from_hex(const std::string& hex);
std::string to_hex(const std::string& bytes);

// The byte after a string's content, which must be NUL. Test-mode builds
// poison it for ASan (only the registry may read it); this looks through.
char byte_after_content(const zel_string& s);

// Runs a conversion export on a copy of `in` held in a zel_string.
std::string convert(convert_fn fn, int id, const std::string& in, int* result = nullptr);

// Runs an in-place export on a copy of `in` held in a zel_string. Like
// convert, it checks that the content stays NUL-terminated and that the call
// frees every buffer it made.
std::string run_in_place(string_fn fn, const std::string& in);

// Runs zel_convert from charset `from` to `to` on a copy of `in`, checked as
// convert is; the string as the call leaves it.
std::string convert_general(int from, int to, const std::string& in,
                            int unmappable = ZEL_UNMAPPABLE_SUBSTITUTE, int* result = nullptr);

// The UTF-8 of pivot text, written independently of the library: units
// encoded one to three bytes each, an odd last byte ignored.
std::string utf8_of_pivot(const std::string& pivot);

// One code unit as pivot text (UCS-2 little-endian).
std::string unit_bytes(std::uint16_t unit);

// `s` written `times` times over.
std::string repeat(const std::string& s, int times);

// A decoding case: `in_hex` of charset `id` decodes to the pivot `out_hex`.
struct Case {
  int id;
  const char* in_hex;
  const char* out_hex;
  const char* why;
  // The input ends in a cut-off sequence: nothing may follow it, so it is
  // not repeated.
  bool cut_tail = false;
};

// Checks the case through zel_code_unicode and zel_code_utf8, alone, behind
// 1 to 16 prefix characters (ASCII in the id's own encoding; line feeds for
// 7-bit KS X 1001, where letters pair up) and repeated 2 and 1000 times.
void check_case(const Case& c);
void check_cases(std::span<const Case> cases);

// Checks an in-place export on `in`, which must give `out`: alone, behind 1
// to 16 ASCII letters (which every in-place export copies as they are) and,
// unless the input ends cut off, repeated 2 and 1000 times.
void check_in_place(string_fn fn, const std::string& in, const std::string& out, bool cut_tail);

// Empty text of charset `id` stays empty, with result 0, through every
// conversion export.
void check_empty_input(int id);

// Decoding `in` of charset `id` straight into each target equals the staged
// conversion: into pivot text first (at most one unit a byte), then that
// encoded as pivot text.
void check_targets_agree(int id, const std::string& in);

// `n` random bytes, each drawn evenly from `from`, or from 00..FF when
// `from` is empty; one draw of `rng` a byte.
std::string random_bytes(std::mt19937& rng, std::size_t n, std::string_view from = {});

}  // namespace zel_test

namespace zel_test {

// The lines of a golden file of tools/testdata/make_golden.py: hex input, a
// tab, hex expected output; '#' lines are comments.
struct GoldenLine {
  std::string given;
  std::string expected;
};
std::vector<GoldenLine> read_golden(const std::string& name);

// Every code unit U+0000..U+FFFF in order, as pivot text.
std::string all_units();

// Every byte 00..FF in order.
std::string all_bytes();

}  // namespace zel_test
