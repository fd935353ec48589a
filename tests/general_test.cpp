// The general conversion: every charset both ways, every code point, the
// caller's choice for what a target lacks, and streams of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/conversion.h"
#include "zel_code.h"

namespace {

using zel_test::from_hex;
using zel_test::to_hex;

struct Converted {
  int result;
  std::string out;
  zel_report report;
};

Converted convert(int from, int to, const std::string& in, int unmappable = 0) {
  Converted c;
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  c.result = zel_convert(from, to, unmappable, &s, &c.report);
  c.out.assign(s.data, static_cast<std::size_t>(s.length));
  // Without a report, legacy targets take the windowed path: the same bytes.
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  EXPECT_EQ(zel_convert(from, to, unmappable, &s, nullptr), c.result) << from << ">" << to;
  EXPECT_EQ(to_hex(std::string(s.data, static_cast<std::size_t>(s.length))), to_hex(c.out))
      << from << ">" << to;
  zel_string_free(&s);
  return c;
}

std::string utf32be(char32_t cp) {
  return {static_cast<char>(cp >> 24), static_cast<char>(cp >> 16 & 0xFF),
          static_cast<char>(cp >> 8 & 0xFF), static_cast<char>(cp & 0xFF)};
}

std::vector<int> every_charset() {
  std::vector<int> ids;
  for (int id = ZEL_CHARSET_UCS2LE; id < ZEL_CHARSET_RESERVED; ++id) ids.push_back(id);
  for (int id = ZEL_CHARSET_UTF32; id <= ZEL_CHARSET_UTF32LE; ++id) ids.push_back(id);
  return ids;
}

// Every code point U+0000..U+FFFF (but the surrogates) and a sample beyond,
// written into each charset with references for what it lacks, reads back
// as itself or as its reference: no character comes back as another.
TEST(General, EveryCharsetRoundTripsWhatItHolds) {
  std::string all;
  std::vector<char32_t> cps;
  for (char32_t cp = 0; cp < 0x10000; ++cp)
    if (cp < 0xD800 || cp > 0xDFFF) cps.push_back(cp);
  for (char32_t cp : {0x10000, 0x1F600, 0x20BB7, 0x2A6D6, 0x10FFFF}) cps.push_back(cp);
  for (char32_t cp : cps) all += utf32be(cp);
  for (int id : every_charset()) {
    const Converted there = convert(ZEL_CHARSET_UTF32BE, id, all, ZEL_UNMAPPABLE_NCR);
    ASSERT_EQ(there.result, ZEL_RESULT_OK) << id;
    const Converted back = convert(id, ZEL_CHARSET_UTF32BE, there.out);
    std::size_t at = 0, held = 0;
    for (char32_t cp : cps) {
      const std::string self = utf32be(cp);
      std::string reference;
      for (char c : "&#" + std::to_string(cp) + ";")
        reference += utf32be(static_cast<unsigned char>(c));
      if (back.out.compare(at, 4, self) == 0 &&
          (cp != '&' || back.out.compare(at, reference.size(), reference) != 0)) {
        at += 4;
        ++held;
      } else if (back.out.compare(at, reference.size(), reference) != 0 &&
                 id == ZEL_CHARSET_KS_X_1001) {
        // Its 7-bit pairs leave no byte for a reference's letters.
      } else {
        ASSERT_EQ(back.out.substr(at, reference.size()), reference)
            << "charset " << id << ", U+" << std::hex << static_cast<std::uint32_t>(cp);
        at += reference.size();
      }
    }
    EXPECT_EQ(at, back.out.size()) << id;
    EXPECT_GT(held, 120u) << "charset " << id << " holds next to nothing";
    EXPECT_EQ(there.report.unmappable, static_cast<std::int64_t>(cps.size() - held)) << id;
  }
}

struct Case {
  int from, to, unmappable;
  const char* in_hex;
  const char* out_hex;
  std::int64_t malformed, unmappable_count, first;
  int result;
  const char* why;
};

// clang-format off
const Case cases[] = {
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_UTF8, 0, "61 ff 62", "61 efbfbd 62", 1, 0, 1, 0, "a stray byte"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_UTF8, 0, "e0 80 41 ed a0 80 f0 9f 98", "efbfbd efbfbd 41 efbfbd efbfbd efbfbd efbfbd", 6, 0, 0, 0,
     "overlong and surrogate: one U+FFFD a byte; a cut-off sequence: one for all of it"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_UTF8, 0, "c3a9 f09f9880 f0a0aeb7", "c3a9 f09f9880 f0a0aeb7", 0, 0, -1, 0, "well-formed text unchanged"},
    {ZEL_CHARSET_UTF16LE, ZEL_CHARSET_UTF8, 0, "3dd8 00de 00dc 4100 00d8", "f09f9880 efbfbd 41 efbfbd", 2, 0, 4, 0, "a pair; lone halves"},
    {ZEL_CHARSET_GB18030, ZEL_CHARSET_UTF8, 0, "9439fc36 81 0a e3329a36", "f09f9880 efbfbd 0a efbfbd", 2, 0, 4, 0,
     "four bytes beyond the BMP; a lead without trail; past U+10FFFF"},
    {ZEL_CHARSET_UTF32, ZEL_CHARSET_UTF8, 0, "fffe0000 00f60100 0000d800", "f09f9880 efbfbd", 1, 0, 8, 0, "a mark, then LE"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_GB18030, 0, "f09f9880 f0a0aeb7", "9439fc36 9534b235", 0, 0, -1, 0, "supplementary in four bytes"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_UTF16, 0, "61 f09f9880", "feff 0061 d83dde00", 0, 0, -1, 0, "a mark, big-endian, a pair"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_CP1252, ZEL_UNMAPPABLE_SUBSTITUTE, "61 e4b8ad 62", "61 3f 62", 0, 1, 1, 0, "substitute '?'"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_UCS2LE, ZEL_UNMAPPABLE_SUBSTITUTE, "f09f9880", "fdff", 0, 1, 0, 0, "the pivot's substitute is U+FFFD"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_CP1252, ZEL_UNMAPPABLE_SKIP, "61 e4b8ad 62", "61 62", 0, 1, 1, 0, "skip"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_EUC_KR, ZEL_UNMAPPABLE_NCR, "61 f09f9880", "61 26233132383531323b", 0, 1, 1, 0, "&#128512;"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_UCS2LE, ZEL_UNMAPPABLE_STOP, "61 ff f09f9880 ff", "61 ff f09f9880 ff", 1, 1, 2,
     ZEL_RESULT_UNMAPPABLE, "stop: the string as it was, the report placing the character and ending there"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_ISO_2022_JP, 0, "e4b8ad 0a c2a5 41 0a", "1b2442 4366 1b2842 0a 1b284a 5c 41 1b2842 0a", 0, 0, -1, 0,
     "ASCII before a line end; Roman's letters need no escape"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_ISO_2022_KR, 0, "41 eab080 eab080 0a", "41 1b242943 0e 3021 3021 0f 0a", 0, 0, -1, 0,
     "the header once, before the first SO"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_ISO_2022_CN, 0, "e4b8ad 41", "1b242941 0e 5650 0f 41", 0, 0, -1, 0, "GB 2312 shifted in"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_SHIFT_JIS, 0, "5c c2a5 efbdb1", "815f 5c b1", 0, 0, -1, 0, "backslash, yen, half-width kana"},
    {0, ZEL_CHARSET_UTF8, 0, "41", "41", 0, 0, -1, ZEL_RESULT_UNKNOWN_CHARSET, "id 0"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_RESERVED, 0, "41", "41", 0, 0, -1, ZEL_RESULT_RESERVED_CHARSET, "id 56"},
    {ZEL_CHARSET_UTF8, ZEL_CHARSET_UTF8, 4, "41", "41", 0, 0, -1, ZEL_RESULT_BAD_ARGUMENT, "no such choice"},
};
// clang-format on

TEST(General, DegradesAsTheCallerChooses) {
  for (const Case& c : cases) {
    const Converted got = convert(c.from, c.to, from_hex(c.in_hex), c.unmappable);
    EXPECT_EQ(got.result, c.result) << c.why;
    EXPECT_EQ(to_hex(got.out), to_hex(from_hex(c.out_hex))) << c.why;
    EXPECT_EQ(got.report.malformed, c.malformed) << c.why;
    EXPECT_EQ(got.report.unmappable, c.unmappable_count) << c.why;
    EXPECT_EQ(got.report.first_offset, c.first) << c.why;
  }
}

// Emoji and Extension B pass UTF-8 -> GB18030 -> UTF-16 -> UTF-32 -> UTF-8.
TEST(General, SupplementaryCharactersSurviveEveryUnicodeForm) {
  const std::string text =
      "a\xF0\x9F\x98\x80\xF0\xA0\xAE\xB7\xF0\xAA\x9B\x96"
      "b\n";
  std::string s = text;
  int from = ZEL_CHARSET_UTF8;
  for (int to : {ZEL_CHARSET_GB18030, ZEL_CHARSET_UTF16, ZEL_CHARSET_UTF32LE, ZEL_CHARSET_UTF8}) {
    const Converted c = convert(from, to, s);
    ASSERT_EQ(c.report.first_offset, -1) << from << " -> " << to;
    s = c.out;
    from = to;
  }
  EXPECT_EQ(s, text);
}

// A stateful target cut anywhere gives the bytes of one call, its escapes
// and its return to ASCII at the end included.
TEST(General, StreamsOfStatefulTargetsEqualOneCall) {
  const std::string text = from_hex("41 e4b8ad e69687 0a c2a5 eab080 e4b8ad 42 f0a0aeb7");
  for (int to : {ZEL_CHARSET_ISO_2022_JP, ZEL_CHARSET_ISO_2022_KR, ZEL_CHARSET_ISO_2022_CN,
                 ZEL_CHARSET_UTF16, ZEL_CHARSET_UTF32}) {
    const Converted want = convert(ZEL_CHARSET_UTF8, to, text, ZEL_UNMAPPABLE_NCR);
    zel_stream* st = zel_stream_open_convert(ZEL_CHARSET_UTF8, to,
                                             int{ZEL_UNMAPPABLE_NCR} | ZEL_STREAM_REPORT, nullptr);
    ASSERT_NE(st, nullptr);
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
      zel_string out;
      zel_string_init(&out);
      ASSERT_EQ(zel_stream_feed(st, text.data(), static_cast<std::int32_t>(cut), 0, &out), 0);
      ASSERT_EQ(zel_stream_feed(st, text.data() + cut, static_cast<std::int32_t>(text.size() - cut),
                                1, &out),
                0);
      zel_report r;
      zel_stream_report(st, &r);
      EXPECT_EQ(to_hex(std::string(out.data, out.length)), to_hex(want.out))
          << to << " cut " << cut;
      EXPECT_EQ(r.unmappable, want.report.unmappable) << to << " cut " << cut;
      zel_string_free(&out);
    }
    zel_stream_free(st);
  }
}

// A stream that stops leaves the output as it was before the feed.
TEST(General, StreamStopKeepsTheOutput) {
  zel_stream* st =
      zel_stream_open_convert(ZEL_CHARSET_UTF8, ZEL_CHARSET_CP1252, ZEL_UNMAPPABLE_STOP, nullptr);
  zel_string out;
  zel_string_init(&out);
  ASSERT_EQ(zel_stream_feed(st, "ab", 2, 0, &out), 0);
  EXPECT_EQ(zel_stream_feed(st, "c\xE4\xB8\xAD", 4, 0, &out), ZEL_RESULT_UNMAPPABLE);
  EXPECT_EQ(std::string(out.data, out.length), "ab");
  zel_string_free(&out);
  zel_stream_free(st);
}

}  // namespace
