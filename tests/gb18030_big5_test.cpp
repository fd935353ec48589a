// GB18030 and Big5 input; GBK and GB18030 output.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/conversion.h"
#include "tests/support/golden.h"

using zel_test::Case;
using zel_test::check_cases;
using zel_test::convert;
using zel_test::from_hex;
using zel_test::to_hex;

namespace {

const Case gb18030_cases[] = {
    {ZEL_CHARSET_GB18030, "41", "41 00", "ASCII"},
    {ZEL_CHARSET_GB18030, "81 30 81 30", "80 00", "first four-byte code"},
    {ZEL_CHARSET_GB18030, "81 30 81 31", "81 00", "second four-byte code"},
    {ZEL_CHARSET_GB18030, "81 35 F4 37", "3F 1E", "the 2000 mapping keeps U+1E3F four-byte"},
    {ZEL_CHARSET_GB18030, "84 31 A4 39", "FF FF", "last four-byte code of the table"},
    {ZEL_CHARSET_GB18030, "84 30 A5 30", "7C FA", "four-byte code in lead 0x84"},
    {ZEL_CHARSET_GB18030, "83 36 C7 39", "6C E7", "four-byte code after the surrogate gap"},
    {ZEL_CHARSET_GB18030, "D2 BB", "00 4E", "two-byte code"},
    {ZEL_CHARSET_GB18030, "A1 A1", "00 30", "ideographic space"},
    {ZEL_CHARSET_GB18030, "A8 BC", "C7 E7", "the 2000 mapping puts a private-use character here"},
    {ZEL_CHARSET_GB18030, "81 40", "02 4E", "first two-byte cell"},
    {ZEL_CHARSET_GB18030, "FE FE", "C5 E4", "last two-byte cell"},
    {ZEL_CHARSET_GB18030, "81 80", "90 4E", "trail 0x80 is a trail"},
    {ZEL_CHARSET_GB18030, "81 7F", "81 00 7F 00", "trail 0x7F is none: both bytes pass"},
    {ZEL_CHARSET_GB18030, "81 FF", "81 00 FF 00", "trail 0xFF is none"},
    {ZEL_CHARSET_GB18030, "80", "80 00", "0x80 is no lead"},
    {ZEL_CHARSET_GB18030, "FF", "FF 00", "0xFF is no lead"},
    {ZEL_CHARSET_GB18030, "90 30 81 30 41", "FD FF 41 00",
     "U+10000, beyond the pivot, gives one U+FFFD"},
    {ZEL_CHARSET_GB18030, "E3 32 9A 35 E3 39 FE 39", "FD FF FD FF",
     "first byte 0xE3 is the last of that range"},
    {ZEL_CHARSET_GB18030, "E4 30 81 30 41", "E4 00 30 00 81 00 30 00 41 00",
     "first byte 0xE4: no four-byte code"},
    {ZEL_CHARSET_GB18030, "90 30 80 30 90 3A 41", "90 00 30 00 80 00 30 00 90 00 3A 00 41 00",
     "a third byte below 0x81 or a second past the digits is no code"},
    {ZEL_CHARSET_GB18030, "84 31 A5 30 41", "84 00 31 00 A5 00 30 00 41 00",
     "past the table's last code"},
    {ZEL_CHARSET_GB18030, "84 32 81 30 41", "84 00 32 00 81 00 30 00 41 00",
     "84 32 is past the table"},
    {ZEL_CHARSET_GB18030, "85 30 81 30 41", "85 00 30 00 81 00 30 00 41 00",
     "lead 0x85 has no BMP code"},
};

const Case gb18030_cut_tails[] = {
    {ZEL_CHARSET_GB18030, "81 30 81", "81 00 30 00 81 00", "no four-byte code without four bytes",
     true},
    {ZEL_CHARSET_GB18030, "90 30 81", "90 00 30 00 81 00", "a supplementary code cut short", true},
    {ZEL_CHARSET_GB18030, "D2", "D2 00", "a final lead passes through", true},
};

const Case big5_cases[] = {
    {ZEL_CHARSET_BIG5, "41", "41 00", "ASCII"},
    {ZEL_CHARSET_BIG5, "A4 40", "00 4E", "first common ideograph"},
    {ZEL_CHARSET_BIG5, "A1 40", "00 30", "ideographic space"},
    {ZEL_CHARSET_BIG5, "F9 D5", "98 9F", "last character"},
    {ZEL_CHARSET_BIG5, "C6 A1", "FE 30", "the ETEN kana rows are kept"},
    {ZEL_CHARSET_BIG5, "C7 FC", "7D 24", "last ETEN cell kept"},
    {ZEL_CHARSET_BIG5, "A1 45", "22 20", "differs from code page 950: U+2022"},
    {ZEL_CHARSET_BIG5, "A2 44", "A5 00", "differs from code page 950: yen sign"},
    {ZEL_CHARSET_BIG5, "A1 C3", "FD FF", "a code page 950 character this table leaves out"},
    {ZEL_CHARSET_BIG5, "A1 7F", "FD FF", "trail 0x7F gives U+FFFD and consumes both bytes"},
    {ZEL_CHARSET_BIG5, "A1 A0", "FD FF", "trail 0xA0 likewise"},
    {ZEL_CHARSET_BIG5, "F9 D6", "FD FF", "the ETEN codes from F9D6 are empty"},
    {ZEL_CHARSET_BIG5, "C8 A1", "FD FF", "row C8 holds U+FFFD"},
    {ZEL_CHARSET_BIG5, "80 41", "FD FF", "lead 0x80 consumes its pair and gives U+FFFD"},
    {ZEL_CHARSET_BIG5, "FF FE", "FD FF", "lead 0xFF likewise"},
    {ZEL_CHARSET_BIG5, "A4 20", "A4 00 20 00", "no trail: both pass"},
};

const Case big5_cut_tails[] = {
    {ZEL_CHARSET_BIG5, "A4", "A4 00", "a final lead passes through", true},
    {ZEL_CHARSET_BIG5, "A4 FF", "A4 00 FF 00", "0xFF is no trail, but a lead for what follows",
     true},
};

TEST(Gb18030Input, DecodesAndDegrades) {
  check_cases(gb18030_cases);
  check_cases(gb18030_cut_tails);
}

TEST(Big5Input, DecodesAndDegrades) {
  check_cases(big5_cases);
  check_cases(big5_cut_tails);
}

struct Encoding {
  const char* pivot;
  const char* gbk;
  const char* gb18030;
  const char* why;
};

const Encoding encodings[] = {
    {"41 00", "41", "41", "ASCII"},
    {"00 00", "00", "00", "NUL"},
    {"00 4E", "D2 BB", "D2 BB", "common ideograph"},
    {"80 00", "20", "81 30 81 30", "GBK has no U+0080"},
    {"AC 20", "20", "A2 E3", "no single-byte euro; GB18030 two-byte"},
    {"71 73", "20", "AA A0", "GBK gives the ideograph's code to private use"},
    {"00 E0", "F8 A0", "AA A1", "first private-use run"},
    {"5E E0", "F8 FE", "AB A1", "the run's 95th code point"},
    {"5F E0", "F9 40", "AB A2", "the run's 96th goes to the next lead's 0x40"},
    {"9E E2", "FE FE", "F9 AD", "last code of the F8 block"},
    {"9F E2", "20", "F9 AE", "U+E29F is unmapped in GBK"},
    {"A0 E2", "AA A0", "F9 AF", "first code of the AA block"},
    {"DF E4", "B0 40", "A1 59", "last code of the AA block"},
    {"E0 E4", "20", "A1 5A", "past the private-use blocks"},
    {"C7 E7", "20", "A8 BC", "GB18030-2000's private-use cell"},
    {"3F 1E", "20", "81 35 F4 37", "GB18030-2000's four-byte U+1E3F"},
    {"E5 E5", "20", "A3 A0", ""},
    {"8D E7", "20", "A6 D9", ""},
    {"10 FE", "20", "84 31 82 36", "vertical form, four bytes"},
    {"00 D8", "20", "20", "surrogates have no code"},
    {"FF DF", "20", "20", "surrogates have no code"},
    {"FD FF", "A3 4D", "84 31 A4 37", "replacement character"},
    {"FF FF", "98 7F", "84 31 A4 39", "U+FFFF, GBK's only trail 0x7F"},
};

TEST(GbkAndGb18030Output, EncodeUnits) {
  for (const Encoding& e : encodings) {
    SCOPED_TRACE(std::string(e.pivot) + " " + e.why);
    const std::string pivot = from_hex(e.pivot);
    EXPECT_EQ(to_hex(convert(zel_code_gbk, ZEL_CHARSET_UCS2LE, pivot)), to_hex(from_hex(e.gbk)));
    EXPECT_EQ(to_hex(convert(zel_code_gb18030, ZEL_CHARSET_UCS2LE, pivot)),
              to_hex(from_hex(e.gb18030)));
    // Behind ASCII and repeated: the bulk path and the unit path agree.
    const std::string ascii_pivot("a\0b\0c\0", 6);
    EXPECT_EQ(to_hex(convert(zel_code_gbk, ZEL_CHARSET_UCS2LE, ascii_pivot + pivot + pivot)),
              to_hex("abc" + from_hex(e.gbk) + from_hex(e.gbk)));
    EXPECT_EQ(to_hex(convert(zel_code_gb18030, ZEL_CHARSET_UCS2LE, ascii_pivot + pivot + pivot)),
              to_hex("abc" + from_hex(e.gb18030) + from_hex(e.gb18030)));
  }
}

TEST(GbkAndGb18030Output, PassThroughAndOddBytes) {
  const std::string gb = from_hex("81 30 81 30 D2 BB 90 FF");
  EXPECT_EQ(convert(zel_code_gb18030, ZEL_CHARSET_GB18030, gb), gb)
      << "GB18030 to GB18030 is not validated";
  EXPECT_EQ(to_hex(convert(zel_code_gbk, ZEL_CHARSET_GB18030, from_hex("81 30 81 30"))), "20")
      << "GBK has no pass-through: U+0080 becomes a space";
  EXPECT_EQ(to_hex(convert(zel_code_gbk, ZEL_CHARSET_UCS2LE, from_hex("00 4E D2"))), "D2 BB");
  EXPECT_EQ(to_hex(convert(zel_code_gb18030, ZEL_CHARSET_UCS2LE, from_hex("D2"))), "");
  EXPECT_EQ(to_hex(convert(zel_code_gbk, ZEL_CHARSET_RESERVED + 1, from_hex("00 4E"))), "D2 BB")
      << "no decoder: read as pivot text";
  for (auto fn : {zel_code_gbk, zel_code_gb18030}) {
    int result = -1;
    EXPECT_EQ(convert(fn, ZEL_CHARSET_UNKNOWN, "x", &result), "x");
    EXPECT_EQ(result, 1001);
    EXPECT_EQ(convert(fn, ZEL_CHARSET_RESERVED, "x", &result), "x");
    EXPECT_EQ(result, 1002);
    EXPECT_EQ(fn(ZEL_CHARSET_UTF8, nullptr), 0);
  }
}

TEST(GbkAndGb18030Output, DecodedTextRoundTrips) {
  // Chinese text decoded from UTF-8 and GB18030 into every target.
  const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87 text \xE2\x82\xAC";  // 中文 text €
  EXPECT_EQ(to_hex(convert(zel_code_gbk, ZEL_CHARSET_UTF8, utf8)),
            to_hex(from_hex("D6 D0 CE C4") + " text  "));
  const std::string gb18030 = convert(zel_code_gb18030, ZEL_CHARSET_UTF8, utf8);
  EXPECT_EQ(to_hex(gb18030), to_hex(from_hex("D6 D0 CE C4") + " text " + from_hex("A2 E3")));
  EXPECT_EQ(convert(zel_code_utf8, ZEL_CHARSET_GB18030, gb18030), utf8);
}

}  // namespace

namespace {

// Every unit encoded and decoded again; what does not come back is counted
// by kind.
TEST(RoundTrip, Gb18030KeepsEveryUnitButSurrogates) {
  const std::string units = zel_test::all_units();
  const std::string back = convert(zel_code_unicode, ZEL_CHARSET_GB18030,
                                   convert(zel_code_gb18030, ZEL_CHARSET_UCS2LE, units));
  ASSERT_EQ(back.size(), units.size());
  int surrogates = 0, other = 0;
  for (std::size_t i = 0; i < units.size(); i += 2) {
    if (back.compare(i, 2, units, i, 2) == 0) continue;
    unsigned u = static_cast<unsigned>(i / 2);
    bool space = back.compare(i, 2, std::string(" \0", 2)) == 0;
    (u >= 0xD800 && u <= 0xDFFF && space ? surrogates : other)++;
  }
  EXPECT_EQ(surrogates, 2048);
  EXPECT_EQ(other, 0);
}

TEST(RoundTrip, GbkThroughTheGb18030Decoder) {
  const std::string units = zel_test::all_units();
  const std::string gbk = convert(zel_code_gbk, ZEL_CHARSET_UCS2LE, units);
  // Split the GBK text back into one code per unit by the encoder's rule:
  // one byte below 0x80 or for a space, else two.
  int unmapped = 0, private_use_moved = 0, ideograph_codes = 0, last_two = 0, other = 0;
  std::size_t at = 0;
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    std::size_t len = u < 0x80 || gbk[at] == ' ' ? 1 : 2;
    const std::string code = gbk.substr(at, len);
    at += len;
    if (u >= 0x80 && code == " ") {
      ++unmapped;
      continue;
    }
    const std::string back = convert(zel_code_unicode, ZEL_CHARSET_GB18030, code);
    unsigned got = static_cast<unsigned char>(back[0]) | static_cast<unsigned char>(back[1]) << 8;
    if (got == u) continue;
    // GBK's private-use runs sit on codes GB18030 maps to other private-use
    // code points, or (trails 0xA0 and 0x40) to the 24 ideographs GBK gave up for them;
    // U+FFFD's A34D is one of GB18030's user-defined codes, and U+FFFF's 987F
    // has no trail byte GB18030 accepts.
    if (u >= 0xE000 && u <= 0xE4DF && got >= 0xE000 && got <= 0xF8FF)
      ++private_use_moved;
    else if (u >= 0xE000 && u <= 0xE4DF && (code[1] == '\xA0' || code[1] == '\x40'))
      ++ideograph_codes;
    else if (u == 0xFFFD || u == 0xFFFF)
      ++last_two;
    else
      ++other;
  }
  EXPECT_EQ(at, gbk.size());
  EXPECT_EQ(private_use_moved, 671 + 576 - 24);
  EXPECT_EQ(ideograph_codes, 24);
  EXPECT_EQ(last_two, 2);
  EXPECT_EQ(other, 0);
  // Code page 936's double-byte characters outside private use number
  // 21,791; 24 of them lose their code to the private-use runs.
  EXPECT_EQ(unmapped, 65536 - 128 - (21791 - 24) - 2 - (671 + 576));
}

}  // namespace
