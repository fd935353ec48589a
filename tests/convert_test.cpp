// The conversion exports: result codes, refused ids, pass-through ids, and
// strings that are empty, negative in length or missing.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <string>

#include "src/string/byte_sink.h"
#include "tests/support/conversion.h"

using zel_test::convert;
using zel_test::from_hex;
using zel_test::to_hex;

namespace {

struct Export {
  const char* name;
  zel_test::convert_fn fn;
};

const Export exports[] = {{"zel_code_unicode", zel_code_unicode}, {"zel_code_utf8", zel_code_utf8}};

TEST(ConversionExports, RefusedIdsLeaveTheStringAlone) {
  const std::string in = from_hex("FF 00 E4 B8 AD 41");
  for (const Export& e : exports) {
    for (auto [id, expected] :
         {std::pair{ZEL_CHARSET_UNKNOWN, 1001}, std::pair{ZEL_CHARSET_RESERVED, 1002}}) {
      int result = -1;
      EXPECT_EQ(convert(e.fn, id, in, &result), in) << e.name << " id " << id;
      EXPECT_EQ(result, expected) << e.name << " id " << id;
    }
  }
}

TEST(ConversionExports, EmptyTextStaysEmptyForEveryAcceptedId) {
  for (const Export& e : exports) {
    for (int id : std::initializer_list<int>{
             -5, ZEL_CHARSET_UCS2LE, ZEL_CHARSET_GB18030, ZEL_CHARSET_JIS_X0201, ZEL_CHARSET_UTF8,
             ZEL_CHARSET_UTF16, ZEL_CHARSET_UTF16BE, ZEL_CHARSET_UTF16LE, ZEL_CHARSET_ISO_8859_1,
             ZEL_CHARSET_MULELAO_1, ZEL_CHARSET_RESERVED + 1, INT_MAX, INT_MIN}) {
      int result = -1;
      EXPECT_EQ(convert(e.fn, id, "", &result), "") << e.name << " id " << id;
      EXPECT_EQ(result, 0) << e.name << " id " << id;
    }
  }
}

TEST(ConversionExports, PassThroughIdsCopyBytesUnvalidated) {
  const std::string odd = from_hex("FF C3 00 41 F0");
  EXPECT_EQ(convert(zel_code_utf8, ZEL_CHARSET_UTF8, odd), odd)
      << "UTF-8 to UTF-8 is not validated";
  EXPECT_EQ(convert(zel_code_unicode, ZEL_CHARSET_UCS2LE, odd), odd)
      << "the pivot keeps even an odd byte";
  EXPECT_EQ(convert(zel_code_unicode, ZEL_CHARSET_RESERVED + 1, odd), odd)
      << "no decoder: untouched";
  EXPECT_EQ(to_hex(convert(zel_code_utf8, ZEL_CHARSET_RESERVED + 1, from_hex("41 42"))), "E4 89 81")
      << "no decoder: read as pivot U+4241";
}

TEST(ConversionExports, NegativeLengthIsEmpty) {
  for (const Export& e : exports) {
    zel_string s;
    zel_string_init(&s);
    zel_string_assign(&s, "AB", 2);
    s.length = -7;
    EXPECT_EQ(e.fn(ZEL_CHARSET_UTF16, &s), 0) << e.name;
    EXPECT_LE(s.length, 0) << e.name;
    EXPECT_EQ(e.fn(ZEL_CHARSET_UNKNOWN, &s), 1001) << e.name;
    zel_string_free(&s);
  }
}

TEST(ConversionExports, NullStringKeepsResultCodes) {
  for (const Export& e : exports) {
    EXPECT_EQ(e.fn(ZEL_CHARSET_UTF8, nullptr), 0) << e.name;
    EXPECT_EQ(e.fn(ZEL_CHARSET_UNKNOWN, nullptr), 1001) << e.name;
    EXPECT_EQ(e.fn(ZEL_CHARSET_RESERVED, nullptr), 1002) << e.name;
  }
  EXPECT_EQ(zel_code_charset(nullptr), ZEL_CHARSET_UNKNOWN);
}

TEST(ConversionExports, CallsDoNotDependOnEarlierCalls) {
  const std::string in = from_hex("E4 B8 AD C3");  // ends cut off
  const std::string first = convert(zel_code_unicode, ZEL_CHARSET_UTF8, in);
  convert(zel_code_unicode, ZEL_CHARSET_UTF16, from_hex("D8 00"));
  EXPECT_EQ(convert(zel_code_unicode, ZEL_CHARSET_UTF8, in), first);
}

// A result is written into room for the decoder's worst case (three UTF-8
// bytes a CP1252 byte) and handed to the caller; the caller's string must
// not keep that room once the result is known.
TEST(ConversionExports, ResultKeepsNoWorstCaseRoom) {
  const std::string ascii(1 << 20, 'a');
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, ascii.data(), static_cast<std::int32_t>(ascii.size()));
  EXPECT_EQ(zel_code_utf8(ZEL_CHARSET_CP1252, &s), 0);
  EXPECT_EQ(std::string(s.data, static_cast<std::size_t>(s.length)), ascii);
  EXPECT_LE(s.reserved, ascii.size() + ascii.size() / 4);
  zel_string_free(&s);
}

// Output that reaches the longest content a string can hold keeps whole
// units up to there and drops the rest, whichever path wrote them.
TEST(ByteSink, StopsAtTheLimitOnAUnitBoundary) {
  for (std::size_t limit : {0u, 1u, 5u, 6u, 7u}) {
    zel::byte_sink sink(2, limit);
    for (int i = 0; i < 4; ++i) {
      sink.need(3);
      for (int k = 0; k < 3; ++k) sink.put(static_cast<std::uint8_t>('a' + i));
    }
    const std::uint8_t run[] = {'x', 'y', 'z'};
    sink.put(run, sizeof run);
    zel_string s;
    zel_string_init(&s);
    sink.hand_over(&s);
    std::string expected = std::string("aaabbbcccddd").substr(0, limit / 3 * 3);
    EXPECT_EQ(std::string(s.data, static_cast<std::size_t>(s.length)), expected) << limit;
    zel_string_free(&s);
  }
}

TEST(ByteSink, GrowsPastAShortEstimate) {
  zel::byte_sink sink(1);
  std::string expected;
  for (int i = 0; i < 10000; ++i) {
    sink.need(2);
    sink.put(static_cast<std::uint8_t>(i));
    sink.put(static_cast<std::uint8_t>(i >> 8));
    expected.push_back(static_cast<char>(i));
    expected.push_back(static_cast<char>(i >> 8));
  }
  zel_string s;
  zel_string_init(&s);
  sink.hand_over(&s);
  EXPECT_EQ(std::string(s.data, static_cast<std::size_t>(s.length)), expected);
  zel_string_free(&s);
}

}  // namespace
