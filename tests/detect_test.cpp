// Charset detection through the export: the hard pairs of the golden texts
// must be read right whole and behind a prefix cut short, junk must give a
// weak guess of a real charset, and bad arguments are refused.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/conversion.h"
#include "zel_code.h"

namespace {

using zel_test::convert;
using zel_test::read_golden;
using zel_test::to_hex;

zel_guess detect(const std::string& bytes, std::vector<int> candidates = {}, int flags = 0) {
  zel_guess g{};
  const int r = zel_detect(bytes.data(), static_cast<int32_t>(bytes.size()),
                           candidates.empty() ? nullptr : candidates.data(),
                           static_cast<int32_t>(candidates.size()), flags, &g);
  EXPECT_EQ(r, ZEL_RESULT_OK);
  EXPECT_GE(g.confidence, 0.0);
  EXPECT_LE(g.confidence, 1.0);
  EXPECT_LE(g.runner_up_confidence, g.confidence);
  return g;
}

// A guess is right when the guessed charset reads the text as it was.
TEST(Detect, ReadsTheGoldenTextsRight) {
  for (const auto& line : read_golden("detect_golden.txt")) {
    const zel_guess g = detect(line.given);
    EXPECT_EQ(to_hex(convert(zel_code_unicode, g.id, line.given)), to_hex(line.expected))
        << "input " << to_hex(line.given) << " guessed " << g.id;
    bool ascii = true;
    for (char c : line.given) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii && line.given.find('\x1b') == std::string::npos) {
      EXPECT_EQ(g.reason, ZEL_DETECT_ASCII) << to_hex(line.given);
    }
  }
}

TEST(Detect, StructureDecides) {
  struct Case {
    std::string bytes;
    int id;
    int reason;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBFtext", ZEL_CHARSET_UTF8, ZEL_DETECT_BOM},
      {std::string("\xFF\xFEh\0i\0", 6), ZEL_CHARSET_UTF16, ZEL_DETECT_BOM},
      {std::string("h\0e\0l\0l\0o\0", 10), ZEL_CHARSET_UTF16LE, ZEL_DETECT_STRUCTURE},
      {std::string("\0h\0e\0l\0l\0o", 10), ZEL_CHARSET_UTF16BE, ZEL_DETECT_STRUCTURE},
      {"", ZEL_CHARSET_UTF8, ZEL_DETECT_NOTHING},
  };
  for (const Case& c : cases) {
    const zel_guess g = detect(c.bytes);
    EXPECT_EQ(g.id, c.id) << to_hex(c.bytes);
    EXPECT_EQ(g.reason, c.reason) << to_hex(c.bytes);
  }
}

// Text that Shift_JIS or Big5 reads is the code page where bytes say so: a
// backslash or an NEC-row code, the euro.
TEST(Detect, CodePagesWhereTheBytesSaySo) {
  const std::string ja = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8F\xCD\x82\xC5\x82\xB7\x81\x42";
  const std::string zh = "\xA4\xA4\xA4\xE5\xAA\xBA\xA4\xE5\xB3\xB9\xA1\x43";
  const struct {
    std::string bytes;
    int id;
  } cases[] = {
      {ja + ja + ja, ZEL_CHARSET_SHIFT_JIS},
      {ja + "C:\\tmp " + ja + ja, ZEL_CHARSET_CP932},
      {ja + "\x87\x40" + ja + ja, ZEL_CHARSET_CP932},
      {zh + zh + zh, ZEL_CHARSET_BIG5},
      {zh + "\xA3\xE1" + zh + zh, ZEL_CHARSET_CP950},
  };
  for (const auto& c : cases) EXPECT_EQ(detect(c.bytes).id, c.id) << to_hex(c.bytes);
}

// Candidates limit the answer; an ASCII text goes to the first
// ASCII-compatible one.
TEST(Detect, CandidatesLimitTheAnswer) {
  EXPECT_EQ(detect("plain", {ZEL_CHARSET_KOI8_R, ZEL_CHARSET_CP1251}).id, ZEL_CHARSET_KOI8_R);
  const std::string gbk = "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7";  // 你好，世界
  EXPECT_EQ(detect(gbk, {ZEL_CHARSET_BIG5, ZEL_CHARSET_SHIFT_JIS, 0, 999}).id != 0, true);
  const zel_guess g = detect(gbk, {ZEL_CHARSET_UTF16LE});
  EXPECT_EQ(g.id, ZEL_CHARSET_UTF16LE);
}

// Every text cut at every length up to 40 bytes, and random junk: a real
// charset, or none with a weak guess beside it, and junk only weakly.
TEST(Detect, CutTextsAndJunkGiveACharsetWithADecoder) {
  const auto check = [](const zel_guess& g) {
    if (g.id == 0) {
      EXPECT_TRUE(g.reason == ZEL_DETECT_NOTHING || g.reason == ZEL_DETECT_BINARY) << g.reason;
    }
    EXPECT_NE(g.id, ZEL_CHARSET_UCS2LE);
  };
  for (const auto& line : read_golden("detect_golden.txt"))
    for (std::size_t n = 0; n <= 40 && n <= line.given.size(); ++n) {
      const zel_guess g = detect(line.given.substr(0, n));
      check(g);
      EXPECT_LE(g.examined, static_cast<int32_t>(n));
    }
  std::mt19937 rng(20261207);
  for (std::size_t n : {7, 64, 1000, 70000}) {
    const zel_guess g = detect(zel_test::random_bytes(rng, n));
    check(g);
    EXPECT_TRUE(g.id == 0 || g.confidence < 0.5) << n;
    EXPECT_EQ(detect(zel_test::random_bytes(rng, n), {}, ZEL_DETECT_WHOLE).examined,
              static_cast<int32_t>(n));
  }
}

// Binary data and text in a charset no candidate is get no charset; the
// statistics name the language where one model is one language.
TEST(Detect, SaysWhatItDoesNotKnow) {
  struct Case {
    std::string bytes;
    int id;
    int reason;
    const char* language;
  };
  const std::string elf(
      "\x7F"
      "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0\x01\0\0\0",
      24);
  std::string utf32;
  for (char c : std::string("UTF-32 text, four bytes a letter"))
    utf32 += std::string(1, c) + '\0' + '\0' + '\0';
  std::string controls;
  for (int k = 0; k < 16; ++k) controls += "\x03\x07text\x08\xC4\x1C";
  const std::string greek =
      "\xD4\xE9\xEC\xDD\xF2 \xF4\xEF\xF5 \xF0\xE5\xF4\xF1\xE5\xEB\xE1\xDF\xEF\xF5";
  const Case cases[] = {
      {elf, 0, ZEL_DETECT_BINARY, nullptr},
      {elf + std::string(4000, 'a'), 0, ZEL_DETECT_BINARY, nullptr},
      {controls, 0, ZEL_DETECT_BINARY, nullptr},
      {utf32, 0, ZEL_DETECT_NOTHING, nullptr},
      {greek, ZEL_CHARSET_ISO_8859_7, ZEL_DETECT_STATISTICS, "Greek"},
      {"Die Stra\xDF"
       "e f\xFChrt \xFC"
       "ber die Br\xFC"
       "cke",
       ZEL_CHARSET_CP1252, ZEL_DETECT_STATISTICS, nullptr},
  };
  for (const Case& c : cases) {
    const zel_guess g = detect(c.bytes);
    EXPECT_EQ(g.id == 0, c.id == 0) << to_hex(c.bytes) << " guessed " << g.id;
    if (g.id && c.id) {
      EXPECT_EQ(to_hex(convert(zel_code_unicode, g.id, c.bytes)),
                to_hex(convert(zel_code_unicode, c.id, c.bytes)));
    }
    EXPECT_EQ(g.reason, c.reason) << to_hex(c.bytes);
    EXPECT_STREQ(g.language, c.language) << to_hex(c.bytes);
  }
}

TEST(Detect, RefusesBadArguments) {
  zel_guess g{};
  const int none[] = {0, ZEL_CHARSET_UCS2LE, ZEL_CHARSET_RESERVED, -5};
  EXPECT_EQ(zel_detect("x", 1, nullptr, 0, 0, nullptr), ZEL_RESULT_BAD_ARGUMENT);
  EXPECT_EQ(zel_detect(nullptr, 1, nullptr, 0, 0, &g), ZEL_RESULT_BAD_ARGUMENT);
  EXPECT_EQ(zel_detect("x", -1, nullptr, 0, 0, &g), ZEL_RESULT_BAD_ARGUMENT);
  EXPECT_EQ(zel_detect("x", 1, none, 4, 0, &g), ZEL_RESULT_BAD_ARGUMENT);
  EXPECT_EQ(zel_detect("x", 1, nullptr, -1, 0, &g), ZEL_RESULT_BAD_ARGUMENT);
}

}  // namespace
