// The degradation report: counts hand-made for each decoder family, the
// reference decoders and the transcoders, and the report exports against the
// plain ones on random input.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "tests/support/conversion.h"
#include "zel_code.h"

namespace {

using zel_test::from_hex;
using zel_test::to_hex;

using convert_report_fn = int(ZEL_CALL*)(int, zel_string*, zel_report*);
using rewrite_report_fn = void(ZEL_CALL*)(zel_string*, zel_report*);

// What a report should say, in the order of its fields.
struct Counts {
  std::int64_t passed, dropped, replaced, unmappable, malformed, first;
};

std::string describe(const zel_report& r) {
  return "passed " + std::to_string(r.passed) + ", dropped " + std::to_string(r.dropped) +
         ", replaced " + std::to_string(r.replaced) + ", unmappable " +
         std::to_string(r.unmappable) + ", malformed " + std::to_string(r.malformed) + ", first " +
         std::to_string(r.first_offset);
}

std::string describe(const Counts& c) {
  return describe(
      zel_report{c.passed, c.dropped, c.replaced, c.unmappable, c.malformed, c.first, -1, 0, 0});
}

// Runs a report export on a copy of `in`; the report is filled with junk
// first, so a call that leaves a field alone is caught.
template <class Call>
std::string run(const std::string& in, zel_report& r, Call call) {
  std::memset(&r, 0x5A, sizeof r);
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  call(&s);
  std::string out(s.data ? s.data : "", static_cast<std::size_t>(s.length > 0 ? s.length : 0));
  zel_string_free(&s);
  return out;
}

struct ConvertCase {
  int id;
  convert_report_fn fn;
  const char* in_hex;
  Counts want;
  const char* why;
};

constexpr convert_report_fn to_ucs2 = zel_code_unicode_report;
constexpr convert_report_fn to_utf8 = zel_code_utf8_report;
constexpr convert_report_fn to_gbk = zel_code_gbk_report;
constexpr convert_report_fn to_gb18030 = zel_code_gb18030_report;

// clang-format off
const ConvertCase convert_cases[] = {
    {ZEL_CHARSET_GB18030, to_ucs2, "41 D6 D0 0A", {0, 0, 0, 0, 0, -1}, "clean text"},
    {ZEL_CHARSET_GB18030, to_ucs2, "41 42 81", {1, 0, 0, 0, 0, 2}, "a lead cut off by the end"},
    {ZEL_CHARSET_GB18030, to_ucs2, "41 90 30 81 30", {0, 0, 1, 0, 0, 1}, "beyond U+FFFF"},
    {ZEL_CHARSET_GB18030, to_ucs2, "84 31 A4 37", {0, 0, 0, 0, 0, -1}, "U+FFFD itself"},
    {ZEL_CHARSET_GB18030, to_gbk, "41 81 30 81 30", {0, 0, 0, 1, 0, 1}, "U+0080: not in GBK"},
    {ZEL_CHARSET_BIG5, to_ucs2, "A4 40 A1 7F", {0, 0, 1, 0, 0, 2}, "no trail byte"},
    {ZEL_CHARSET_BIG5, to_ucs2, "F9 D6 80 41", {0, 0, 2, 0, 0, 0}, "past F9D5; row 0x80"},
    {ZEL_CHARSET_JIS_X0208, to_ucs2, "41 A1", {1, 0, 0, 0, 0, 1}, "a row byte cut off"},
    {ZEL_CHARSET_SHIFT_JIS, to_ucs2, "0D 0A 82 30 80", {1, 0, 1, 0, 0, 2}, "controls are text"},
    {ZEL_CHARSET_UTF8, to_ucs2, "41 80 E4 B8", {0, 3, 0, 0, 0, 1}, "stray and cut-off bytes"},
    {ZEL_CHARSET_UTF8, to_ucs2, "F0 9F 98 80 C3 41", {0, 0, 1, 0, 1, 0}, "four bytes; C3 41"},
    {ZEL_CHARSET_UTF8, to_gb18030, "ED A0 80 C0 80", {0, 0, 0, 1, 2, 0}, "surrogate; overlong"},
    {ZEL_CHARSET_UTF16, to_ucs2, "FF FE 41 00 42", {0, 1, 0, 0, 0, 4}, "offsets count the mark"},
    {ZEL_CHARSET_UTF16BE, to_gbk, "00 41 D8 00 00 41", {2, 0, 0, 1, 0, 2}, "unpaired surrogate"},
    {ZEL_CHARSET_UTF16LE, to_ucs2, "3D D8 00 DE 41 00 00 D8", {0, 2, 1, 0, 0, 0}, "pair; last"},
    {ZEL_CHARSET_KS_C_5601, to_ucs2, "A2 E6 81 39", {1, 0, 1, 0, 0, 0}, "no cell; no trail"},
    {ZEL_CHARSET_KS_X_1001, to_ucs2, "30 21 20 30 0A", {1, 0, 0, 0, 0, 3}, "space is text"},
    {ZEL_CHARSET_ISO_2022_CN, to_ucs2, "0E 41 1B 4E 1B 51 B0", {1, 4, 0, 0, 0, 0},
     "SO, SS2 and an escape selecting nothing; a byte from 0x80"},
    {ZEL_CHARSET_ISO_2022_CN, to_ucs2, "1B 24 29 41 0E 30 21 0F 41", {0, 0, 0, 0, 0, -1},
     "designation and shifts are no degradation"},
    {ZEL_CHARSET_ISO_2022_JP, to_ucs2, "1B 28 49 B1 1B 24 42 30", {2, 1, 0, 0, 0, 0},
     "unknown escape, a byte from 0x80, a lone last byte"},
    {ZEL_CHARSET_ISO_2022_JP, to_ucs2, "1B 28 4A 5C 0D 0A", {0, 0, 0, 0, 0, -1}, "Roman lines"},
    {ZEL_CHARSET_ISO_2022_JP, to_ucs2, "1B 24 42 0A 0A", {2, 0, 0, 0, 0, 3}, "a pair off the table"},
    {ZEL_CHARSET_ISO_2022_KR, to_ucs2, "0E 41 1B 28 42", {0, 2, 0, 0, 0, 0}, "SO undesignated"},
    {ZEL_CHARSET_ISO_2022_KR, to_ucs2, "1B 24 29 43 0E 30 21 30", {1, 0, 0, 0, 0, 7}, "lone byte"},
    {ZEL_CHARSET_EUC_CN, to_ucs2, "F8 A1 A1", {1, 0, 1, 0, 0, 0}, "row F8; a final lead"},
    {ZEL_CHARSET_EUC_TW, to_ucs2, "8E A4 41 8E A2 21 21", {3, 3, 0, 0, 0, 0},
     "no such plane; a plane-2 pair outside the plane passes"},
    {ZEL_CHARSET_EUC_JP, to_ucs2, "8E E0 8F A2", {2, 2, 0, 0, 0, 0}, "single shifts dropped"},
    {ZEL_CHARSET_EUC_KR, to_ucs2, "B0 FF FE A1", {2, 0, 1, 0, 0, 0}, "no partner; row FE"},
    {ZEL_CHARSET_CP1252, to_ucs2, "41 81 8D", {0, 0, 2, 0, 0, 1}, "bytes without a character"},
    {ZEL_CHARSET_CP1250, to_gbk, "81 E9", {0, 0, 1, 0, 0, 0}, "CP1250 0x81"},
    {ZEL_CHARSET_UCS2LE, to_utf8, "41 00 42", {0, 1, 0, 0, 0, 2}, "odd byte of pivot text"},
    {ZEL_CHARSET_RESERVED + 1, to_gb18030, "00 D8 41", {0, 1, 0, 1, 0, 0},
     "no decoder: a surrogate unit"},
    {ZEL_CHARSET_UTF8, to_utf8, "41 80 E0 80 F0 9F 98 80 ED A0 80 E4 B8", {0, 0, 0, 0, 7, 1},
     "copied, checked strictly: stray 1, overlong 2, surrogate 3, cut off 1; four bytes fine"},
    {ZEL_CHARSET_GB18030, to_gb18030, "41 81 0A 90 30 81 30 85 30 81 30 80 D6", {0, 0, 0, 0, 5, 1},
     "copied, checked: no trail; 85 30 81 30 is no character (85, then 81 30 80); 80; cut off"},
    {ZEL_CHARSET_UCS2LE, to_ucs2, "41", {0, 0, 0, 0, 0, -1}, "left untouched"},
};
// clang-format on

TEST(Report, CountsEachFamilysDegradations) {
  for (const ConvertCase& c : convert_cases) {
    SCOPED_TRACE("id " + std::to_string(c.id) + ", " + c.in_hex + ": " + c.why);
    const std::string in = from_hex(c.in_hex);
    zel_report r;
    const std::string out = run(in, r, [&](zel_string* s) { EXPECT_EQ(c.fn(c.id, s, &r), 0); });
    EXPECT_EQ(describe(r), describe(c.want));
    EXPECT_EQ(r.truncated, 0);
    EXPECT_EQ(r.truncated_at, -1);
    EXPECT_EQ(r.unused, 0);
  }
}

struct RewriteCase {
  rewrite_report_fn fn;
  const char* in;  // text; bytes above 0x7F as escapes
  Counts want;
  const char* why;
};

// clang-format off
const RewriteCase rewrite_cases[] = {
    {zel_decode_utf8_report, "a&amp;&#x1F600;&bogus;", {0, 0, 0, 0, 0, -1}, "all kept"},
    {zel_decode_utf8_report, "ab&#x110000;", {0, 10, 0, 0, 0, 2}, "beyond U+10FFFF"},
    {zel_decode_gbk_report, "&copy;&#32;&#x4E2D;", {0, 0, 0, 1, 0, 0}, "not in GBK"},
    {zel_decode_gb18030_report, "x&#xD800;", {0, 0, 0, 1, 0, 1}, "a surrogate"},
    {zel_code_big5_gbk_report, "A\xA4\x40\xA4", {0, 1, 0, 0, 0, 3}, "a final lead"},
    {zel_code_big5_gbk_report, "\x80\x83\xD3\xF9\xD6", {3, 0, 0, 1, 0, 0},
     "0x80; an extension pair; past Big5's last character"},
    {zel_code_gbk_big5_report, "\xA1\xA1\xA2\xAB", {0, 0, 0, 1, 0, 2}, "no Big5 counterpart"},
    {zel_code_gbk_big5_report, "\xAA\xA1\xB0\x41\x81\x40\xB0\x0A", {7, 0, 0, 0, 0, 0},
     "a row GB 2312 lacks, two extension pairs, a lead without a trail"},
};
// clang-format on

TEST(Report, CountsReferencesAndTranscoding) {
  for (const RewriteCase& c : rewrite_cases) {
    SCOPED_TRACE(to_hex(c.in) + ": " + c.why);
    zel_report r;
    run(c.in, r, [&](zel_string* s) { c.fn(s, &r); });
    EXPECT_EQ(describe(r), describe(c.want));
    EXPECT_EQ(r.truncated_at, -1);
  }
}

// Every report export gives the plain export's bytes and result, and takes a
// null report; a clean report has no offset, any event one inside the input.
TEST(Report, SameBytesAsThePlainExportsOnRandomInput) {
  struct Pair {
    zel_test::convert_fn plain;
    convert_report_fn counted;
  };
  const Pair conversions[] = {{zel_code_unicode, zel_code_unicode_report},
                              {zel_code_utf8, zel_code_utf8_report},
                              {zel_code_gbk, zel_code_gbk_report},
                              {zel_code_gb18030, zel_code_gb18030_report}};
  struct RewritePair {
    void(ZEL_CALL* plain)(zel_string*);
    rewrite_report_fn counted;
  };
  const RewritePair rewrites[] = {{zel_decode_utf8, zel_decode_utf8_report},
                                  {zel_decode_gbk, zel_decode_gbk_report},
                                  {zel_decode_gb18030, zel_decode_gb18030_report},
                                  {zel_code_big5_gbk, zel_code_big5_gbk_report},
                                  {zel_code_gbk_big5, zel_code_gbk_big5_report}};
  auto check_offsets = [](const zel_report& r, std::size_t n) {
    const bool clean = r.passed + r.dropped + r.replaced + r.unmappable + r.malformed == 0;
    if (clean)
      EXPECT_EQ(r.first_offset, -1);
    else
      EXPECT_TRUE(r.first_offset >= 0 && r.first_offset < static_cast<std::int64_t>(n));
  };
  std::mt19937 rng(15);
  for (int round = 0; round < 40; ++round) {
    const std::string in =
        zel_test::random_bytes(rng, rng() % 300, round % 2 ? "&#x;1F6aA\x80\xA4\xD8" : "");
    SCOPED_TRACE(to_hex(in));
    for (int id = -1; id <= ZEL_CHARSET_RESERVED + 1; ++id) {
      for (const Pair& p : conversions) {
        zel_report r;
        int counted_result = -1;
        const std::string counted =
            run(in, r, [&](zel_string* s) { counted_result = p.counted(id, s, &r); });
        int plain_result = -1;
        ASSERT_EQ(to_hex(counted), to_hex(zel_test::convert(p.plain, id, in, &plain_result)))
            << "id " << id;
        ASSERT_EQ(counted_result, plain_result);
        check_offsets(r, in.size());
        zel_report unused;
        ASSERT_EQ(run(in, unused, [&](zel_string* s) { p.counted(id, s, nullptr); }), counted);
      }
    }
    for (const RewritePair& p : rewrites) {
      zel_report r;
      const std::string counted = run(in, r, [&](zel_string* s) { p.counted(s, &r); });
      const std::string plain = run(in, r, [&](zel_string* s) { p.plain(s); });
      ASSERT_EQ(to_hex(counted), to_hex(plain));
      run(in, r, [&](zel_string* s) { p.counted(s, &r); });
      check_offsets(r, in.size());
    }
  }
}

// Single-byte text long enough for the vector kernels, which count nothing
// and so stop before each byte whose cell is empty: every such byte is
// counted, the first placed, the bytes are the plain export's. Text with few
// and with many letters from 0x80, and one empty cell 100 KiB in, past the
// first window the search looks ahead.
TEST(Report, CountsEveryEmptyCellOfLongSingleByteText) {
  std::mt19937 rng(5);
  const int ids[] = {ZEL_CHARSET_CP1252, ZEL_CHARSET_ISO_8859_3, ZEL_CHARSET_ISO_8859_8,
                     ZEL_CHARSET_CP874, ZEL_CHARSET_KOI8_R};
  std::string far_off(150000, 'a');
  far_off[100000] = '\x81';
  for (int id : ids)
    for (const unsigned ascii_in_8 : {7u, 1u, 8u}) {
      std::string in = far_off;
      if (ascii_in_8 < 8) {
        in.clear();
        while (in.size() < 5000)
          in +=
              static_cast<char>(rng() % 8 < ascii_in_8 ? 0x20 + rng() % 0x60 : 0x80 + rng() % 0x80);
      }
      const std::string units = zel_test::convert(zel_code_unicode, id, in);
      std::int64_t empty = 0, first = -1;
      for (std::size_t k = 0; k < in.size(); ++k)
        if (units[2 * k] == '\xFD' && units[2 * k + 1] == '\xFF' && (++empty, first < 0))
          first = static_cast<std::int64_t>(k);
      for (const convert_report_fn fn : {to_ucs2, to_utf8}) {
        zel_report r;
        const std::string out = run(in, r, [&](zel_string* s) { fn(id, s, &r); });
        ASSERT_EQ(describe(r), describe(Counts{0, 0, empty, 0, 0, first})) << "id " << id;
        ASSERT_EQ(out, fn == to_ucs2 ? units : zel_test::convert(zel_code_utf8, id, in));
      }
    }
}

// UTF-8 into GBK, long enough for the vector kernel: the first letter GBK
// lacks is placed by the writer, and the spaces the kernel puts after it
// are all counted.
TEST(Report, CountsEverySpaceGbkPutsInLongText) {
  std::mt19937 rng(8);
  const std::string pieces[] = {"a", " ", "\xE4\xB8\xAD", "\xE2\x80\x94"};
  const std::string lacking[] = {"\xC2\xA0", "\xE2\x80\xA7"};
  for (const unsigned one_in : {3u, 40u, 1000u}) {
    std::string in;
    std::int64_t count = 0, first = -1;
    while (in.size() < 20000) {
      if (rng() % one_in == 0) {
        if (first < 0) first = static_cast<std::int64_t>(in.size());
        in += lacking[rng() % 2];
        ++count;
      } else {
        in += pieces[rng() % 4];
      }
    }
    zel_report r;
    const std::string out = run(in, r, [&](zel_string* s) { to_gbk(ZEL_CHARSET_UTF8, s, &r); });
    ASSERT_EQ(describe(r), describe(Counts{0, 0, 0, count, 0, first})) << "1 in " << one_in;
    ASSERT_EQ(out, zel_test::convert(zel_code_gbk, ZEL_CHARSET_UTF8, in));
  }
}

}  // namespace
