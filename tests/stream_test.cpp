// Streams: a text fed in pieces, cut anywhere, gives the bytes and the report
// of one call on the whole text, for every kind and every charset id.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/conversion.h"
#include "zel_code.h"

namespace {

using zel_test::from_hex;
using zel_test::to_hex;

struct Result {
  std::string out;
  zel_report report;
};

std::string report_text(const zel_report& r) {
  return std::to_string(r.passed) + " " + std::to_string(r.dropped) + " " +
         std::to_string(r.replaced) + " " + std::to_string(r.unmappable) + " " +
         std::to_string(r.malformed) + " first " + std::to_string(r.first_offset) + " cut " +
         std::to_string(r.truncated) + "/" + std::to_string(r.truncated_at);
}

// One call of the export a stream kind stands for.
Result whole(int kind, int id, const std::string& in) {
  Result r;
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  switch (kind) {
    case ZEL_STREAM_TO_UCS2:
      zel_code_unicode_report(id, &s, &r.report);
      break;
    case ZEL_STREAM_TO_UTF8:
      zel_code_utf8_report(id, &s, &r.report);
      break;
    case ZEL_STREAM_TO_GBK:
      zel_code_gbk_report(id, &s, &r.report);
      break;
    case ZEL_STREAM_TO_GB18030:
      zel_code_gb18030_report(id, &s, &r.report);
      break;
    case ZEL_STREAM_BIG5_TO_GBK:
      zel_code_big5_gbk_report(&s, &r.report);
      break;
    case ZEL_STREAM_GBK_TO_BIG5:
      zel_code_gbk_big5_report(&s, &r.report);
      break;
    case ZEL_STREAM_REFERENCES_UTF8:
      zel_decode_utf8_report(&s, &r.report);
      break;
    case ZEL_STREAM_REFERENCES_GBK:
      zel_decode_gbk_report(&s, &r.report);
      break;
    default:
      zel_decode_gb18030_report(&s, &r.report);
      break;
  }
  r.out.assign(s.data, static_cast<std::size_t>(s.length > 0 ? s.length : 0));
  zel_string_free(&s);
  return r;
}

// The text fed to one stream in pieces ending at `cuts` (ascending, each
// below the text's length), then the rest as the last piece.
Result streamed(zel_stream* st, const std::string& in, const std::vector<std::size_t>& cuts) {
  Result r;
  zel_string out;
  zel_string_init(&out);
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    EXPECT_EQ(zel_stream_feed(st, in.data() + from, static_cast<std::int32_t>(cut - from), 0, &out),
              ZEL_RESULT_OK);
    from = cut;
  }
  EXPECT_EQ(
      zel_stream_feed(st, in.data() + from, static_cast<std::int32_t>(in.size() - from), 1, &out),
      ZEL_RESULT_OK);
  zel_stream_report(st, &r.report);
  r.out.assign(out.data, static_cast<std::size_t>(out.length));
  zel_string_free(&out);
  return r;
}

// Every way of cutting a short text into two or three pieces, and into
// single bytes; a long one at random places. The same stream serves every
// cut: each last piece ends one text and the next feed starts another.
void check_cuts(int kind, int id, const std::string& in, std::mt19937& rng) {
  const Result want = whole(kind, id, in);
  zel_stream* st = zel_stream_open(kind | ZEL_STREAM_REPORT, id, nullptr);
  ASSERT_NE(st, nullptr);
  std::vector<std::vector<std::size_t>> ways = {{}};
  const std::size_t n = in.size();
  if (n <= 24) {
    for (std::size_t a = 1; a < n; ++a) {
      ways.push_back({a});
      for (std::size_t b = a + 1; b < n; ++b) ways.push_back({a, b});
    }
  } else {
    for (int k = 0; k < 40; ++k) {
      std::vector<std::size_t> cuts;
      for (std::size_t at = 1 + rng() % 7; at < n; at += 1 + rng() % (k % 2 ? 9 : 300))
        cuts.push_back(at);
      ways.push_back(cuts);
    }
  }
  std::vector<std::size_t> bytewise;
  for (std::size_t a = 1; a < n; ++a) bytewise.push_back(a);
  ways.push_back(bytewise);
  for (const auto& cuts : ways) {
    const Result got = streamed(st, in, cuts);
    std::string where;
    for (std::size_t c : cuts) where += std::to_string(c) + " ";
    ASSERT_EQ(to_hex(got.out), to_hex(want.out))
        << "kind " << kind << ", id " << id << ", input " << to_hex(in) << ", cuts " << where;
    ASSERT_EQ(report_text(got.report), report_text(want.report))
        << "kind " << kind << ", id " << id << ", input " << to_hex(in) << ", cuts " << where;
  }
  zel_stream_free(st);
}

// Short texts made to be cut: escapes and shifts of every ISO-2022 form,
// references, lone leads, surrogates, four-byte codes.
const char* const short_texts[] = {
    "1b2442 3021 1b2842 41",  // ISO-2022-JP: JIS X 0208 and back
    "1b2428 43 3021 0a 1b284a 5c0a",
    "1b2429 43 0e 3021 0f 41",                   // KR
    "1b2429 41 0e 3021 0f 1b242a 48 1b4e 2121",  // CN
    "1b 1b2842 1b24 41",                         // escapes cut short and unknown
    "f09f9880 e4b8ad c3 41 80",                  // UTF-8 four-byte, three, malformed
    "d83d de00 d800 0041 dc00",                  // surrogates both ways
    "feff 0041 d83d",
    "fffe 4100 3dd8 00de",
    "90308130 81308130 d2bb 8431a437 81",                // GB18030 four-byte codes
    "a440 a1 7f f9d6 83d3 b0a1 a4",                      // Big5 and GBK pairs, extension codes
    "8ea2a1a1 8ea4 41 8fa2af 8ee0",                      // EUC-TW and EUC-JP single shifts
    "26 2378 3146 3630 30 3b 26 616d 70 20 26 2331 32",  // &#x1F600; &amp &#12
    "26 6c74 26 2320 26 2378 26",                        // references cut at every point
    "823082 a0 e0 fc fc 0d0a",                           // Shift_JIS leads
};

std::vector<int> conversion_ids() {
  std::vector<int> ids = {-1, ZEL_CHARSET_UCS2LE, ZEL_CHARSET_JIS_X0201, ZEL_CHARSET_RESERVED + 1};
  for (int id = ZEL_CHARSET_GB18030; id <= ZEL_CHARSET_MULELAO_1; ++id) ids.push_back(id);
  return ids;
}

TEST(Stream, EveryCutOfShortTextsEqualsOneCall) {
  std::mt19937 rng(16);
  for (const char* hex : short_texts) {
    const std::string in = from_hex(hex);
    for (int kind = ZEL_STREAM_TO_UCS2; kind <= ZEL_STREAM_TO_GB18030; ++kind)
      for (int id : conversion_ids()) check_cuts(kind, id, in, rng);
    for (int kind = ZEL_STREAM_BIG5_TO_GBK; kind <= ZEL_STREAM_REFERENCES_GB18030; ++kind)
      check_cuts(kind, 0, in, rng);
  }
}

TEST(Stream, RandomCutsOfLongTextsEqualOneCall) {
  std::mt19937 rng(61);
  for (int round = 0; round < 6; ++round) {
    std::string in = zel_test::random_bytes(rng, 3000);
    // Long runs of text, and the short texts, among the random bytes.
    for (const char* hex : short_texts) in.insert(rng() % in.size(), from_hex(hex));
    in.insert(rng() % in.size(), std::string(700, 'a'));
    for (int kind = ZEL_STREAM_TO_UCS2; kind <= ZEL_STREAM_TO_GB18030; ++kind)
      for (int id : {2, 3, 7, 8, 9, 10, 14, 15, 16, 18, 19, 20, 42, 57})
        check_cuts(kind, id, in, rng);
    for (int kind = ZEL_STREAM_BIG5_TO_GBK; kind <= ZEL_STREAM_REFERENCES_GB18030; ++kind)
      check_cuts(kind, 0, in, rng);
  }
}

// A reference held across many pieces: a long one ending in ";", one
// ending in a letter, a name that never ends.
TEST(Stream, LongReferencesAcrossPieces) {
  std::mt19937 rng(7);
  const std::string digits(3000, '7');
  for (const std::string& in :
       {"a&#" + digits + ";b", "&#x" + digits + "g" + digits, "&" + std::string(2000, 'q')}) {
    for (int kind = ZEL_STREAM_REFERENCES_UTF8; kind <= ZEL_STREAM_REFERENCES_GB18030; ++kind)
      check_cuts(kind, 0, in, rng);
  }
}

struct AtOnceCase {
  int kind, id;
  const char* in_hex;
};

// A piece that ends with whole characters gives all of them in its own
// feed, not the next: a line reader on a pipe must not wait for more text.
TEST(Stream, GivesEveryWholeCharacterInTheFeedThatBringsIt) {
  const AtOnceCase cases[] = {
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_GB18030, "d6d0 cec4 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_GB18030, "81308130 0a 81 30 20"},  // no four-byte code
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_BIG5, "a440 a441 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_SHIFT_JIS, "82a0 82a2 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_EUC_KR, "b0a1 b0a2 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_EUC_JP, "a4a2 8ea1 8fb0a1 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_EUC_TW, "c4a1 8ea2a1a1 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_UTF8, "e4b8ad f09f9880 0a"},
      {ZEL_STREAM_TO_GBK, ZEL_CHARSET_UTF8, "e4b8ad c3 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_UTF16LE, "2d4e 0a00"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_UTF16, "feff 4e2d 000a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_ISO_2022_JP, "1b2442 3021 1b2842 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_ISO_2022_KR, "1b242943 0e 3021 0f 0a"},
      {ZEL_STREAM_TO_UTF8, ZEL_CHARSET_ISO_2022_CN, "1b242941 0e 3021 0f 0a"},
      {ZEL_STREAM_TO_GB18030, ZEL_CHARSET_GB18030, "d6d0 90308130 0a"},
      {ZEL_STREAM_BIG5_TO_GBK, 0, "a440 0a"},
      {ZEL_STREAM_GBK_TO_BIG5, 0, "d6d0 8140 0a"},
      {ZEL_STREAM_REFERENCES_UTF8, 0, "26616d703b 262378343130 3b 26 6c 74 20"},
  };
  for (const AtOnceCase& c : cases) {
    for (int report : {0, int{ZEL_STREAM_REPORT}}) {
      const std::string in = from_hex(c.in_hex);
      zel_stream* st = zel_stream_open(c.kind | report, c.id, nullptr);
      zel_string out;
      zel_string_init(&out);
      ASSERT_EQ(zel_stream_feed(st, in.data(), static_cast<std::int32_t>(in.size()), 0, &out), 0);
      EXPECT_EQ(to_hex(std::string(out.data, out.length)), to_hex(whole(c.kind, c.id, in).out))
          << "kind " << c.kind << ", id " << c.id << ", " << c.in_hex;
      zel_string_free(&out);
      zel_stream_free(st);
    }
  }
}

struct OpenCase {
  int kind, id, result;
  const char* why;
};

TEST(Stream, OpenRefusesWhatTheExportsRefuse) {
  const OpenCase cases[] = {
      {ZEL_STREAM_TO_UTF8, 0, ZEL_RESULT_UNKNOWN_CHARSET, "id 0"},
      {ZEL_STREAM_TO_GBK | ZEL_STREAM_REPORT, 56, ZEL_RESULT_RESERVED_CHARSET, "id 56"},
      {0, 8, ZEL_RESULT_BAD_ARGUMENT, "no such kind"},
      {ZEL_STREAM_REFERENCES_GB18030 + 1, 8, ZEL_RESULT_BAD_ARGUMENT, "past the last kind"},
      {ZEL_STREAM_BIG5_TO_GBK, 0, ZEL_RESULT_OK, "transcoders take no id"},
  };
  for (const OpenCase& c : cases) {
    int result = -1;
    zel_stream* st = zel_stream_open(c.kind, c.id, &result);
    EXPECT_EQ(result, c.result) << c.why;
    EXPECT_EQ(st != nullptr, c.result == ZEL_RESULT_OK) << c.why;
    zel_stream_free(st);
  }
  zel_string out;
  zel_string_init(&out);
  EXPECT_EQ(zel_stream_feed(nullptr, "a", 1, 1, &out), ZEL_RESULT_BAD_ARGUMENT);
}

// Output is appended to what the string holds; a reset drops what was held
// back and the report.
TEST(Stream, AppendsAndResets) {
  zel_stream* st =
      zel_stream_open(ZEL_STREAM_TO_UTF8 | ZEL_STREAM_REPORT, ZEL_CHARSET_GB18030, nullptr);
  zel_string out;
  zel_string_init(&out);
  zel_string_assign(&out, "> ", 2);
  ASSERT_EQ(zel_stream_feed(st, "\xD6", 1, 0, &out), ZEL_RESULT_OK);
  EXPECT_EQ(std::string(out.data, out.length), "> ") << "a lead waits for its trail";
  ASSERT_EQ(zel_stream_feed(st, "\xD0", 1, 1, &out), ZEL_RESULT_OK);
  EXPECT_EQ(std::string(out.data, out.length), "> \xE4\xB8\xAD");
  ASSERT_EQ(zel_stream_feed(st, "\xD6", 1, 0, &out), ZEL_RESULT_OK);
  zel_stream_reset(st);
  ASSERT_EQ(zel_stream_feed(st, "A", 1, 1, &out), ZEL_RESULT_OK);
  EXPECT_EQ(std::string(out.data, out.length),
            "> \xE4\xB8\xAD"
            "A");
  zel_report r;
  zel_stream_report(st, &r);
  EXPECT_EQ(r.first_offset, -1) << "the held lead went with the reset";
  zel_string_free(&out);
  zel_stream_free(st);
}

}  // namespace
