// One pass against stages: converting straight into UTF-8, GBK or GB18030
// gives the same bytes as converting into UCS-2 first and encoding that, for
// every id (the refused ids and each export's pass-through id aside) and
// every input of one and two bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/conversion.h"

using zel_test::convert;
using zel_test::convert_fn;
using zel_test::to_hex;

namespace {

struct Target {
  const char* name;
  convert_fn fn;
  int pass_through;  // id this export leaves as it is, or 0
};

const Target targets[] = {
    {"utf8", zel_code_utf8, ZEL_CHARSET_UTF8},
    {"gbk", zel_code_gbk, 0},
    {"gb18030", zel_code_gb18030, ZEL_CHARSET_GB18030},
};

// Returns the number of mismatches, reporting the first few.
int compare_stages(int id, const std::string& in, int& reported) {
  const std::string pivot = convert(zel_code_unicode, id, in);
  int bad = 0;
  for (const Target& t : targets) {
    if (id == t.pass_through) continue;
    const std::string one_pass = convert(t.fn, id, in);
    const std::string staged = convert(t.fn, ZEL_CHARSET_UCS2LE, pivot);
    if (one_pass != staged) {
      ++bad;
      if (reported++ < 10)
        ADD_FAILURE() << t.name << " id " << id << " input " << to_hex(in) << ": one pass "
                      << to_hex(one_pass) << ", staged " << to_hex(staged);
    }
  }
  return bad;
}

bool refused(int id) { return id == ZEL_CHARSET_UNKNOWN || id == ZEL_CHARSET_RESERVED; }

TEST(OnePass, EqualsStagedOnEveryShortInput) {
  int reported = 0, bad = 0;
  for (int id = -1; id <= ZEL_CHARSET_RESERVED + 1; ++id) {
    if (refused(id)) continue;
    std::string in(1, '\0');
    for (int a = 0; a < 256; ++a) {
      in[0] = static_cast<char>(a);
      bad += compare_stages(id, in, reported);
    }
    in.resize(2);
    for (int a = 0; a < 256; ++a) {
      for (int b = 0; b < 256; ++b) {
        in[0] = static_cast<char>(a);
        in[1] = static_cast<char>(b);
        bad += compare_stages(id, in, reported);
      }
    }
  }
  EXPECT_EQ(bad, 0);
}

TEST(OnePass, EqualsStagedOnRandomText) {
  std::mt19937 rng(7);
  int reported = 0, bad = 0;
  for (int id = -1; id <= ZEL_CHARSET_RESERVED + 1; ++id) {
    if (refused(id)) continue;
    for (int round = 0; round < 40; ++round) {
      std::string in(rng() % 300, '\0');
      // Mostly high bytes with some escapes, shifts and ASCII between them.
      for (char& c : in) {
        unsigned r = rng() % 16;
        c = static_cast<char>(r < 2   ? "\x1b\x0e\x0f$()BJ@A"[rng() % 11]
                              : r < 5 ? 'a' + rng() % 26
                                      : 0x80 + rng() % 128);
      }
      bad += compare_stages(id, in, reported);
    }
  }
  EXPECT_EQ(bad, 0);
}

// Every id, a megabyte of random bytes: the exports survive it (run under
// ASan and UBSan in CI) and one pass still equals the stages.
TEST(OnePass, EqualsStagedOnAMegabyteOfRandomBytes) {
  std::mt19937 rng(57);
  std::string in(1 << 20, '\0');
  for (char& c : in) c = static_cast<char>(rng());
  int reported = 0, bad = 0;
  for (int id = -1; id <= ZEL_CHARSET_RESERVED + 1; ++id) {
    if (!refused(id)) bad += compare_stages(id, in, reported);
  }
  EXPECT_EQ(bad, 0);
}

}  // namespace
