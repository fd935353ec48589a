// UTF-8 and UTF-16 input, and UTF-8 output of pivot text.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/support/conversion.h"

using zel_test::Case;
using zel_test::check_cases;

namespace {

const Case utf8_cases[] = {
    {ZEL_CHARSET_UTF8, "", "", "empty input stays empty"},
    {ZEL_CHARSET_UTF8, "41", "41 00", "ASCII"},
    {ZEL_CHARSET_UTF8, "00", "00 00", "NUL is a character"},
    {ZEL_CHARSET_UTF8, "C3 A9", "E9 00", "two-byte sequence"},
    {ZEL_CHARSET_UTF8, "E4 B8 AD", "2D 4E", "three-byte sequence"},
    {ZEL_CHARSET_UTF8, "EF BF BF", "FF FF", "largest three-byte value"},
    {ZEL_CHARSET_UTF8, "C0 80", "00 00", "overlong forms decode as computed"},
    {ZEL_CHARSET_UTF8, "ED A0 80", "00 D8", "encoded surrogates decode as computed"},
    {ZEL_CHARSET_UTF8, "C3 41", "C1 00", "the byte after a lead is taken unvalidated"},
    {ZEL_CHARSET_UTF8, "E4 41 42", "42 40", "both bytes after a three-byte lead are taken"},
    {ZEL_CHARSET_UTF8, "F0 9F 98 80", "FD FF",
     "a four-byte sequence, beyond the pivot, gives one U+FFFD"},
    {ZEL_CHARSET_UTF8, "F0 90 80 80 F4 8F BF BF", "FD FF FD FF",
     "U+10000 and U+10FFFF, the ends of the range"},
    {ZEL_CHARSET_UTF8, "F0 8F BF BF 41", "41 00",
     "an overlong four-byte form is dropped byte by byte"},
    {ZEL_CHARSET_UTF8, "F4 90 80 80 41", "41 00", "beyond U+10FFFF: dropped byte by byte"},
    {ZEL_CHARSET_UTF8, "F0 9F 98 41", "41 00",
     "a four-byte lead with a non-continuation is dropped"},
    {ZEL_CHARSET_UTF8, "F8 41 FF 42", "41 00 42 00", "leads F8..FF are dropped alone"},
    {ZEL_CHARSET_UTF8, "80 41", "41 00", "a stray continuation byte is dropped"},
    {ZEL_CHARSET_UTF8, "BF BF 41", "41 00", "stray continuation bytes are dropped one by one"},
};

const Case utf8_cut_tails[] = {
    {ZEL_CHARSET_UTF8, "41 C3", "41 00", "a two-byte lead at the end is dropped", true},
    {ZEL_CHARSET_UTF8, "E4 B8", "",
     "a three-byte lead with one byte left is dropped, then its trail", true},
    {ZEL_CHARSET_UTF8, "E4 41", "41 00", "the lead is dropped and 0x41 decoded alone", true},
    {ZEL_CHARSET_UTF8, "E4", "", "a lone lead is dropped", true},
    {ZEL_CHARSET_UTF8, "41 42 43 44 45 46 47 48 E4 B8",
     "41 00 42 00 43 00 44 00 45 00 46 00 47 00 48 00",
     "a cut-off tail right after a whole ASCII word", true},
};

const Case utf16_cases[] = {
    {ZEL_CHARSET_UTF16, "FF FE 41 00", "41 00", "little-endian byte-order mark"},
    {ZEL_CHARSET_UTF16, "FE FF 00 41", "41 00", "big-endian byte-order mark"},
    {ZEL_CHARSET_UTF16, "00 41", "41 00", "no mark reads big-endian"},
    {ZEL_CHARSET_UTF16, "41 00", "00 41",
     "no mark reads big-endian, even when it looks little-endian"},
    {ZEL_CHARSET_UTF16, "FE FF", "", "a mark alone gives nothing"},
    {ZEL_CHARSET_UTF16, "FF FE FF FE", "FF FE", "only the first mark is one"},
    {ZEL_CHARSET_UTF16, "FF", "", "a single byte is no unit", true},
    {ZEL_CHARSET_UTF16BE, "FE FF 00 41", "FF FE 41 00", "a stated order keeps the mark as U+FEFF"},
    {ZEL_CHARSET_UTF16LE, "FE FF", "FE FF", "a reversed mark is U+FFFE"},
    {ZEL_CHARSET_UTF16BE, "D8 3D DE 00", "FD FF", "U+1F600, beyond the pivot, gives one U+FFFD"},
    {ZEL_CHARSET_UTF16LE, "3D D8 00 DE", "FD FF", "U+1F600, beyond the pivot, gives one U+FFFD"},
    {ZEL_CHARSET_UTF16BE, "D8 00 DC 00", "FD FF", "U+10000 gives U+FFFD, not U+0000"},
    {ZEL_CHARSET_UTF16BE, "DB FF DF FF", "FD FF", "U+10FFFF gives U+FFFD"},
    {ZEL_CHARSET_UTF16BE, "D8 00 00 41", "00 D8 41 00",
     "an unpaired surrogate passes, the next unit is read afresh"},
    {ZEL_CHARSET_UTF16BE, "D8 00 E0 00", "00 D8 00 E0",
     "a unit above the low surrogates is not one"},
    {ZEL_CHARSET_UTF16BE, "D8 00 DB FF", "00 D8", "a high surrogate after a high one is not paired",
     true},
    {ZEL_CHARSET_UTF16BE, "D8 00 DB FF DC 00", "00 D8 FD FF",
     "the second high surrogate pairs with what follows"},
    {ZEL_CHARSET_UTF16BE, "DC 00 DC 01", "FD FF",
     "a low surrogate in the first position pairs like a high one"},
    {ZEL_CHARSET_UTF16BE, "D7 FF E0 00", "FF D7 00 E0", "units around the surrogate range pass"},
    {ZEL_CHARSET_UTF16BE, "00 41 D8 00", "41 00", "a surrogate in the last unit is dropped", true},
    {ZEL_CHARSET_UTF16BE, "00 41 00", "41 00", "an odd last byte is dropped", true},
    {ZEL_CHARSET_UTF16LE, "41 00 00 D8 41", "41 00", "a surrogate and one byte left: both dropped",
     true},
};

// Pivot text read by the UTF-8 writer, and ids without a decoder whose bytes
// are read as pivot text.
const Case utf8_output_cases[] = {
    {ZEL_CHARSET_UCS2LE, "41 00", "41 00", "ASCII"},
    {ZEL_CHARSET_UCS2LE, "E9 00", "E9 00", "two UTF-8 bytes"},
    {ZEL_CHARSET_UCS2LE, "AC 20", "AC 20", "the euro sign, three UTF-8 bytes"},
    {ZEL_CHARSET_UCS2LE, "FF FF", "FF FF", "U+FFFF"},
    {ZEL_CHARSET_UCS2LE, "00 00", "00 00", "U+0000 gives one NUL byte"},
    {ZEL_CHARSET_UCS2LE, "3D D8 00 DE", "3D D8 00 DE", "surrogates are written one by one"},
    {ZEL_CHARSET_UCS2LE, "41 00 42", "41 00 42", "an odd last byte is dropped on output", true},
    {ZEL_CHARSET_UCS2LE, "41", "41", "one byte is no unit", true},
    {ZEL_CHARSET_RESERVED + 1, "41 42", "41 42", "no decoder: read as U+4241"},
    {-1, "41 42", "41 42", "negative ids have no decoder"},
    {ZEL_CHARSET_JIS_X0201, "41 00", "41 00", "JIS X 0201 has no decoder"},
    {0x7FFFFFFF, "E9 00", "E9 00", "the largest id has no decoder"},
};

TEST(Utf8Input, DecodesAndDegrades) {
  check_cases(utf8_cases);
  check_cases(utf8_cut_tails);
}

TEST(Utf16Input, DecodesAndDegrades) { check_cases(utf16_cases); }

TEST(Utf8Output, EncodesPivotUnits) {
  check_cases(utf8_output_cases);
  // The writer's three rows at their edges.
  const std::pair<const char*, const char*> edges[] = {
      {"7F 00", "7F"},       {"80 00", "C2 80"},    {"FF 07", "DF BF"},
      {"00 08", "E0 A0 80"}, {"00 D8", "ED A0 80"}, {"FF FF", "EF BF BF"},
  };
  for (auto [pivot, utf8] : edges)
    EXPECT_EQ(zel_test::to_hex(
                  zel_test::convert(zel_code_utf8, ZEL_CHARSET_UCS2LE, zel_test::from_hex(pivot))),
              zel_test::to_hex(zel_test::from_hex(utf8)))
        << pivot;
}

// Plain transcriptions of the decoding rules, one byte at a time, without the
// ASCII fast path: the oracle for adversarial input.
std::string put(std::string out, unsigned u) {
  return out + zel_test::unit_bytes(static_cast<std::uint16_t>(u));
}

std::string simple_utf8(const std::string& s) {
  std::string out;
  std::size_t n = s.size();
  auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  for (std::size_t p = 0; p < n;) {
    unsigned c = b(p);
    if (c < 0x80) {
      out = put(out, c), p += 1;
    } else if (c >= 0xC0 && c < 0xE0 && p + 1 < n) {
      out = put(out, (c & 0x1F) << 6 | (b(p + 1) & 0x3F)), p += 2;
    } else if (c >= 0xE0 && c < 0xF0 && p + 2 < n) {
      out = put(out, ((c & 0x0F) << 12 | (b(p + 1) & 0x3F) << 6 | (b(p + 2) & 0x3F)) & 0xFFFF);
      p += 3;
    } else if (c >= 0xF0 && c <= 0xF4 && p + 3 < n && (b(p + 1) & 0xC0) == 0x80 &&
               (b(p + 2) & 0xC0) == 0x80 && (b(p + 3) & 0xC0) == 0x80 &&
               ((c & 7) << 18 | (b(p + 1) & 0x3F) << 12) - 0x10000 < 0x100000) {
      out = put(out, 0xFFFD), p += 4;
    } else {
      p += 1;
    }
  }
  return out;
}

std::string simple_utf16(const std::string& s, bool little, std::size_t p) {
  std::string out;
  auto unit = [&](std::size_t i) {
    unsigned a = static_cast<unsigned char>(s[i]), c = static_cast<unsigned char>(s[i + 1]);
    return little ? a | c << 8 : a << 8 | c;
  };
  while (p + 1 < s.size()) {
    unsigned u = unit(p);
    if (u < 0xD800 || u > 0xDFFF) {
      out = put(out, u), p += 2;
    } else if (p + 3 < s.size()) {
      unsigned v = unit(p + 2);
      bool paired = v >= 0xDC00 && v <= 0xDFFF;
      out = put(out, paired ? 0xFFFD : u), p += paired ? 4 : 2;
    } else {
      p += 2;
    }
  }
  return out;
}

std::string simple_decode(int id, const std::string& s) {
  switch (id) {
    case ZEL_CHARSET_UTF8:
      return simple_utf8(s);
    case ZEL_CHARSET_UTF16: {
      auto starts = [&](const char* m) { return s.size() >= 2 && s.compare(0, 2, m, 2) == 0; };
      if (starts("\xFE\xFF")) return simple_utf16(s, false, 2);
      if (starts("\xFF\xFE")) return simple_utf16(s, true, 2);
      return simple_utf16(s, false, 0);
    }
    case ZEL_CHARSET_UTF16BE:
      return simple_utf16(s, false, 0);
    default:
      return simple_utf16(s, true, 0);
  }
}

// Random text over the bytes that matter to these decoders (ASCII in runs
// that straddle word boundaries, continuation bytes, every kind of lead,
// surrogate halves), compared with the plain decoders, whole and cut short.
TEST(UnicodeInput, MatchesPlainDecodingOnAdversarialInput) {
  std::mt19937 rng(20261207);
  const unsigned char interesting[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0xBF,
                                       0xC0, 0xC3, 0xDF, 0xD8, 0xDB, 0xDC, 0xDF,
                                       0xE0, 0xE4, 0xEF, 0xF0, 0xF4, 0xFE, 0xFF};
  for (int round = 0; round < 3000; ++round) {
    std::string s;
    std::size_t len = rng() % 80;
    while (s.size() < len) {
      if (rng() % 3 == 0) {
        s.append(rng() % 20, static_cast<char>('a' + rng() % 26));
      } else {
        s.push_back(static_cast<char>(interesting[rng() % sizeof interesting]));
      }
    }
    for (int id : {8, 9, 10, 11}) {
      SCOPED_TRACE(zel_test::to_hex(s));
      std::string pivot = simple_decode(id, s);
      ASSERT_EQ(zel_test::to_hex(zel_test::convert(zel_code_unicode, id, s)),
                zel_test::to_hex(pivot));
      ASSERT_EQ(zel_test::to_hex(zel_test::convert(zel_code_utf8, id, s)),
                zel_test::to_hex(id == ZEL_CHARSET_UTF8 ? s : zel_test::utf8_of_pivot(pivot)));
    }
  }
}

}  // namespace

namespace {

TEST(RoundTrip, Utf8KeepsEveryUnit) {
  const std::string units = zel_test::all_units();
  const std::string utf8 = zel_test::convert(zel_code_utf8, ZEL_CHARSET_UCS2LE, units);
  EXPECT_EQ(utf8, zel_test::utf8_of_pivot(units));
  EXPECT_EQ(zel_test::convert(zel_code_unicode, ZEL_CHARSET_UTF8, utf8), units)
      << "no exceptions, surrogates included";
}

}  // namespace
