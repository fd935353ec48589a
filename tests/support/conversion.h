// Test support: hex notation, running the exports on std::string, and one
// runner that checks a decoding case every way it applies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zel_code.h"

namespace zel_test {

using convert_fn = int(ZEL_CALL*)(int, zel_string*);

// "41 00 e4" -> bytes; spaces are ignored.
std::string from_hex(const std::string& hex);
std::string to_hex(const std::string& bytes);

// The byte after a string's content, which must be NUL. Test-mode builds
// poison it for ASan (only the registry may read it); this looks through.
char byte_after_content(const zel_string& s);

// Runs a conversion export on a copy of `in` held in a zel_string.
std::string convert(convert_fn fn, int id, const std::string& in, int* result = nullptr);

// The UTF-8 of pivot text, written independently of the library: units
// encoded one to three bytes each, an odd last byte ignored.
std::string utf8_of_pivot(const std::string& pivot);

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
// 0 to 16 ASCII characters (in the id's own encoding) and repeated 2 and
// 1000 times.
void check_case(const Case& c);

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

}  // namespace zel_test
