// Character references: reading one reference, the entity table, and the
// three decoding exports. The oracles are references and their characters
// typed in below (the bytes taken from Python's codecs), rule sweeps over the
// entity table, and the golden files of tools/testdata/make_golden_entities.py,
// which come from Python's html.entities and codecs and share no code with
// the table generator.
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include "src/encode/gb18030.h"
#include "src/encode/gbk.h"
#include "src/encode/utf8.h"
#include "src/entity/decode_references.h"
#include "src/entity/reference_scanner.h"
#include "src/string/byte_sink.h"
#include "src/tables/entities.h"
#include "tests/support/conversion.h"
#include "tests/support/golden.h"
#include "tests/support/sweep.h"
#include "zel_code.h"

namespace {

using zel_test::from_hex;
using zel_test::repeat;
using zel_test::to_hex;

const std::uint8_t* bytes_of(const std::string& s) {
  return reinterpret_cast<const std::uint8_t*>(s.data());
}

// --- reading one reference ---------------------------------------------------
// These reach what the exports cannot show: where a reference that yields
// nothing would have ended, and the scanned name itself.

struct NumericCase {
  const char* text;  // starts with "&#"; reading starts after it
  std::uint32_t value;
  std::size_t end;
  const char* why;
};

const NumericCase numeric_digits[] = {
    {"&#65;", 65, 4, "decimal"},
    {"&#20013;", 20013, 7, "decimal, five digits"},
    {"&#x41;", 65, 5, "x starts hex"},
    {"&#X41;", 65, 5, "so does X"},
    {"&#0x41;", 65, 6, "0x starts hex"},
    {"&#0X41;", 65, 6, "so does 0X"},
    {"&#x0x41;", 65, 7, "both prefixes together"},
    {"&#x4a;", 74, 5, "lower-case hex digit"},
    {"&#x4A;", 74, 5, "upper-case hex digit"},
    {"&#x4E2D;", 0x4E2D, 7, "hex, four digits"},
    {"&#00065;", 65, 7, "leading zeros"},
    {"&#x00041;", 65, 8, "leading zeros after x"},
};

const NumericCase numeric_ends[] = {
    {"&#65", 65, 4, "runs to the end: the end is the length"},
    {"&#65 ", 65, 3, "stops on a space: the end is the last digit"},
    {"&#12ab;", 12, 3, "letters are no decimal digits"},
    {"&#x41g;", 65, 4, "g is no hex digit"},
    {"&#1F;", 1, 2, "F is a digit only after a hex prefix"},
    {"&#65;;", 65, 4, "the first ; ends it"},
    {"&#xA", 10, 4, "x with one byte after it is a prefix"},
    {"&#0xA", 10, 5, "0x with one byte after it is a prefix"},
    {"&#65\xC3\xA9", 65, 3, "stops on a byte above 0x7F"},
};

const NumericCase numeric_nothing[] = {
    {"&#;", 0, 2, "no digits"},
    {"&#x;", 0, 3, "no digits after x"},
    {"&#abc;", 0, 1, "letters only"},
    {"&#", 0, 2, "nothing after &#"},
    {"&#x", 0, 1, "x as the last byte is no prefix but a non-digit"},
    {"&#0x", 0, 2, "0x as the last two bytes: decimal 0, stopped by x"},
    {"&#00x41;", 0, 3, "0x must follow &# or x directly"},
    {"&#xx41;", 0, 2, "one x only"},
    {"&#-65;", 0, 1, "no sign"},
    {"&# 65;", 0, 1, "no space"},
};

const NumericCase numeric_wraps[] = {
    {"&#x100000041;", 65, 12, "nine hex digits keep the last eight"},
    {"&#4294967361;", 65, 12, "2^32 + 65 in decimal"},
    {"&#xFFFFFFFF;", 0xFFFFFFFF, 11, "the largest value"},
    {"&#x100000000;", 0, 12, "wraps to 0, which is no reference"},
    {"&#x1F600;", 0x1F600, 8, "above U+FFFF is passed on"},
};

void check_numeric(const NumericCase& c) {
  SCOPED_TRACE(std::string(c.text) + ": " + c.why);
  const std::string text = c.text;
  std::size_t end = 12345;
  EXPECT_EQ(zel::parse_numeric_reference(bytes_of(text), text.size(), 2, end), c.value);
  EXPECT_EQ(end, c.end);
  // Text before the reference moves the positions with it.
  const std::string shifted = "abc" + text;
  end = 12345;
  EXPECT_EQ(zel::parse_numeric_reference(bytes_of(shifted), shifted.size(), 5, end), c.value);
  EXPECT_EQ(end, c.end + 3);
}

TEST(NumericReference, Digits) {
  for (const NumericCase& c : numeric_digits) check_numeric(c);
}
TEST(NumericReference, WhereItEnds) {
  for (const NumericCase& c : numeric_ends) check_numeric(c);
}
TEST(NumericReference, NoDigitsGiveZero) {
  for (const NumericCase& c : numeric_nothing) check_numeric(c);
}
TEST(NumericReference, ValuesWrapAt32Bits) {
  for (const NumericCase& c : numeric_wraps) check_numeric(c);
}

struct NameCase {
  const char* text;  // starts with "&"; scanning starts after it
  std::uint16_t value;
  const char* name;  // the scanned name
  std::size_t end;
  const char* why;
};

const NameCase names_known[] = {
    {"&amp;", 38, "amp", 4, ""},
    {"&lt;", 60, "lt", 3, ""},
    {"&gt;", 62, "gt", 3, ""},
    {"&quot;", 34, "quot", 5, ""},
    {"&apos;", 39, "apos", 5, "not in HTML 4.01, read all the same"},
    {"&nbsp;", 160, "nbsp", 5, ""},
    {"&frac14;", 188, "frac14", 7, "a digit inside a name"},
    {"&sup2;", 178, "sup2", 5, "a name ending in a digit"},
    {"&sup;", 8835, "sup", 4, "a prefix of sup2 is a name of its own"},
    {"&Alpha;", 913, "Alpha", 6, "upper-case first letter"},
    {"&alpha;", 945, "alpha", 6, "lower-case twin"},
    {"&there4;", 8756, "there4", 7, ""},
    {"&euro;", 8364, "euro", 5, ""},
    {"&zwj;", 8205, "zwj", 4, "last letter group"},
    {"&AElig;", 198, "AElig", 6, "first name in byte order"},
    {"&thetasym;", 977, "thetasym", 9, "eight letters, the longest"},
};

const NameCase names_ends[] = {
    {"&amp", 38, "amp", 4, "runs to the end: the end is the length"},
    {"&amp x", 38, "amp", 3, "stops on a space: the end is the p"},
    {"&lt&gt;", 60, "lt", 2, "stops on the next &"},
    {"&amp\xC3\xA9", 38, "amp", 3, "stops on a byte above 0x7F"},
    {"&amp;;", 38, "amp", 4, "the first ; ends it"},
};

const NameCase names_unknown[] = {
    {"&ampx;", 0, "ampx", 5, "a name's prefix is not enough"},
    {"&Amp;", 0, "Amp", 4, "case matters"},
    {"&AMP;", 0, "AMP", 4, "case matters"},
    {"&;", 0, "", 1, "empty name"},
    {"&", 0, "", 1, "nothing after &"},
    {"& x", 0, "", 0, "empty name before a space"},
    {"&1;", 0, "1", 2, "a digit begins no name"},
    {"&sup22;", 0, "sup22", 6, ""},
    {"&thetasymx;", 0, "thetasymx", 10, "nine letters, longer than any name"},
    {"&bogus;", 0, "bogus", 6, ""},
    {"&am\xE9;", 0, "am", 2, "the name stops before a non-ASCII byte"},
    {"&Fo;", 0, "Fo", 3, "F begins no name"},
};

void check_name(const NameCase& c) {
  SCOPED_TRACE(std::string(c.text) + ": " + c.why);
  for (const std::string& before : {std::string(), std::string("x&y")}) {
    const std::string text = before + c.text;
    zel_slice name{nullptr, -1};
    std::size_t end = 12345;
    zel::scan_reference_name(bytes_of(text), text.size(), before.size() + 1, name, end);
    ASSERT_GE(name.length, 0);
    EXPECT_EQ(std::string(name.data, static_cast<std::size_t>(name.length)), c.name);
    EXPECT_EQ(name.data, text.data() + before.size() + 1) << "the name points into the text";
    EXPECT_EQ(end, c.end + before.size());
    EXPECT_EQ(zel::lookup_entity(name), c.value);
  }
}

TEST(NamedReference, KnownNames) {
  for (const NameCase& c : names_known) check_name(c);
}
TEST(NamedReference, WhereItEnds) {
  for (const NameCase& c : names_ends) check_name(c);
}
TEST(NamedReference, UnknownNamesGiveZero) {
  for (const NameCase& c : names_unknown) check_name(c);
}

TEST(NamedReference, LookupOfSlicesTheScannerNeverMakes) {
  struct Slice {
    std::string bytes;
    const char* why;
  };
  const Slice slices[] = {
      {"", "empty"},
      {std::string("am\0", 3), "a NUL where the p should be"},
      {std::string("amp\0", 4), "a NUL after the name"},
      {"\xFFmp", "first byte past every group"},
      {std::string("\0mp", 3), "first byte below every group"},
      {"[mp", "first byte between the upper- and lower-case groups"},
      {"ampampamp", "longer than any name"},
  };
  for (const Slice& s : slices) {
    const zel_slice slice{s.bytes.data(), static_cast<std::int32_t>(s.bytes.size())};
    EXPECT_EQ(zel::lookup_entity(slice), 0) << s.why;
  }
  const zel_slice negative{"amp", -3};
  EXPECT_EQ(zel::lookup_entity(negative), 0) << "a negative length is empty";
}

// --- the entity table ---------------------------------------------------------

std::string row_name(const zel::named_entity& row) {
  std::string name;
  for (char ch : row.name) {
    if (ch == '\0') break;
    name.push_back(ch);
  }
  return name;
}

TEST(NamedEntities, RowsAreWellFormedSortedAndDistinct) {
  EXPECT_EQ(std::size(zel::named_entities), 253u) << "HTML 4.01's 252 names and apos";
  std::string previous;
  for (const zel::named_entity& row : zel::named_entities) {
    const std::string name = row_name(row);
    SCOPED_TRACE(name);
    EXPECT_GE(name.size(), 2u);
    EXPECT_LE(name.size(), 8u);
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(name[0])));
    for (char ch : name) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(ch)));
    for (std::size_t k = name.size(); k < sizeof row.name; ++k) EXPECT_EQ(row.name[k], '\0');
    EXPECT_NE(row.code_point, 0);
    EXPECT_LT(previous, name) << "rows ascend in byte order, so no name repeats";
    previous = name;
  }
}

TEST(NamedEntities, EachGroupHoldsExactlyTheNamesOfItsFirstByte) {
  std::size_t covered = 0;
  std::size_t largest = 0;
  for (unsigned byte = 0; byte < 256; ++byte) {
    const zel::entity_group group = zel::cell(
        zel::named_entity_groups, byte - zel::named_entity_groups_first_byte, zel::no_entity_group);
    std::size_t expected = 0;
    for (const zel::named_entity& row : zel::named_entities)
      expected += static_cast<unsigned char>(row.name[0]) == byte;
    EXPECT_EQ(group.count, expected) << "first byte " << byte;
    for (std::size_t k = group.first; k < std::size_t{group.first} + group.count; ++k) {
      ASSERT_LT(k, std::size(zel::named_entities));
      EXPECT_EQ(static_cast<unsigned char>(zel::named_entities[k].name[0]), byte);
    }
    covered += group.count;
    if (group.count > largest) largest = group.count;
  }
  EXPECT_EQ(covered, 253u);
  EXPECT_EQ(largest, 18u) << "the s names; a lookup compares at most this many";
}

// --- decoding through the exports ------------------------------------------

using decode_fn = zel_test::string_fn;

std::string decode(decode_fn fn, const std::string& in) { return zel_test::run_in_place(fn, in); }

struct Export {
  decode_fn fn;
  const char* name;
};
const Export exports[] = {
    {zel_decode_utf8, "utf8"}, {zel_decode_gbk, "gbk"}, {zel_decode_gb18030, "gb18030"}};

struct DecodeCase {
  const char* in;    // text; bytes above 0x7F as escapes
  const char* utf8;  // the expected output of each export, hex
  const char* gbk;
  const char* gb18030;
  const char* why;
  // The input ends in a reference without ";" that a copy of it would
  // extend, so it is not repeated.
  bool at_end = false;
};

// Checks the case alone, behind 1 to 16 letters (which must not join the
// reference) and behind long runs of text, followed by a space, and repeated
// 2 and 1000 times.
void check_decode(const DecodeCase& c) {
  SCOPED_TRACE(std::string("\"") + c.in + "\": " + c.why);
  const std::string in = c.in;
  const char* wanted[] = {c.utf8, c.gbk, c.gb18030};
  for (int e = 0; e < 3; ++e) {
    SCOPED_TRACE(exports[e].name);
    const std::string out = from_hex(wanted[e]);
    zel_test::check_in_place(exports[e].fn, in, out, c.at_end);
    for (std::size_t run : {63u, 64u, 65u, 300u, 4097u}) {
      const std::string text = repeat("text. ", static_cast<int>(run / 6 + 1)).substr(0, run);
      ASSERT_EQ(to_hex(decode(exports[e].fn, text + in)), to_hex(text + out)) << run;
    }
    EXPECT_EQ(to_hex(decode(exports[e].fn, in + " ")), to_hex(out + " "));
  }
}

const DecodeCase named[] = {
    {"a&amp;b", "61 26 62", "61 26 62", "61 26 62", ""},
    {"&lt;p&gt;", "3C 70 3E", "3C 70 3E", "3C 70 3E", ""},
    {"&quot;&apos;", "22 27", "22 27", "22 27", ""},
    {"&euro;", "E2 82 AC", "20", "A2 E3", "GBK has no euro"},
    {"&nbsp;", "C2 A0", "20", "81 30 84 32", "GBK has no U+00A0"},
    {"&copy;", "C2 A9", "20", "81 30 84 38", ""},
    {"&eacute;", "C3 A9", "A8 A6", "A8 A6", ""},
    {"&Alpha;&alpha;", "CE 91 CE B1", "A6 A1 A6 C1", "A6 A1 A6 C1", ""},
    {"&there4;", "E2 88 B4", "A1 E0", "A1 E0", ""},
    {"&zwj;", "E2 80 8D", "20", "81 36 A4 39", ""},
};

const DecodeCase numeric[] = {
    {"&#20013;", "E4 B8 AD", "D6 D0", "D6 D0", ""},
    {"&#x4E2D;", "E4 B8 AD", "D6 D0", "D6 D0", ""},
    {"&#X4e2d;", "E4 B8 AD", "D6 D0", "D6 D0", ""},
    {"&#0x4E2D;", "E4 B8 AD", "D6 D0", "D6 D0", ""},
    {"&#65;&#x41;", "41 41", "41 41", "41 41", ""},
    {"&#1;", "01", "01", "01", "the smallest value"},
    {"&#128;", "C2 80", "20", "81 30 81 30", ""},
    {"&#xFFFF;", "EF BF BF", "98 7F", "84 31 A4 39", "GBK's U+FFFF"},
    {"&#xD800;", "ED A0 80", "20", "20", "a surrogate is written alone or is a space"},
    {"&#x100000041;", "41", "41", "41", "wraps to 65"},
};

const DecodeCase above_ffff[] = {
    {"a&#x1F600;b", "61 F0 9F 98 80 62", "61 20 62", "61 94 39 FC 36 62",
     "UTF-8 and GB18030 write it in four bytes; GBK writes a space"},
    {"&#65536;", "F0 90 80 80", "20", "90 30 81 30", "the first value past U+FFFF"},
    {"&#x10FFFF;", "F4 8F BF BF", "20", "E3 32 9A 35", "the last character"},
    {"&#x110000;", "", "20", "20", ""},
    {"&#xFFFFFFFF;", "", "20", "20", ""},
};

const DecodeCase without_semicolon[] = {
    {"&amp x", "26 20 78", "26 20 78", "26 20 78", "the space is copied"},
    {"&#65 x", "41 20 78", "41 20 78", "41 20 78", ""},
    {"&#12ab;", "0C 61 62 3B", "0C 61 62 3B", "0C 61 62 3B",
     "the letters after the digits are copied"},
    {"&lt&gt", "3C 3E", "3C 3E", "3C 3E", ""},
    {"&amp\xC3\xA9", "26 C3 A9", "26 C3 A9", "26 C3 A9",
     "the name stops before a multi-byte character"},
    {"&amp", "26", "26", "26", "a name running to the end", true},
    {"&#x41", "41", "41", "41", "a number running to the end", true},
    {"&#xA", "0A", "0A", "0A", "x with one byte after it is still a prefix", true},
};

const DecodeCase left_as_written[] = {
    {"&#0;", "26 23 30 3B", "26 23 30 3B", "26 23 30 3B", "the value 0 is no reference"},
    {"&#;", "26 23 3B", "26 23 3B", "26 23 3B", ""},
    {"&#x;", "26 23 78 3B", "26 23 78 3B", "26 23 78 3B", ""},
    {"&#x100000000;", "26 23 78 31 30 30 30 30 30 30 30 30 3B",
     "26 23 78 31 30 30 30 30 30 30 30 30 3B", "26 23 78 31 30 30 30 30 30 30 30 30 3B",
     "wraps to 0"},
    {"&bogus;", "26 62 6F 67 75 73 3B", "26 62 6F 67 75 73 3B", "26 62 6F 67 75 73 3B", ""},
    {"&AMP;", "26 41 4D 50 3B", "26 41 4D 50 3B", "26 41 4D 50 3B", "case matters"},
    {"AT&T", "41 54 26 54", "41 54 26 54", "41 54 26 54", ""},
    {"&;", "26 3B", "26 3B", "26 3B", ""},
    {"& ", "26 20", "26 20", "26 20", ""},
    {"&1;", "26 31 3B", "26 31 3B", "26 31 3B", ""},
    {"&", "26", "26", "26", "a last byte & stays"},
    {"&#", "26 23", "26 23", "26 23", "&# at the end stays"},
};

const DecodeCase read_again[] = {
    {"&&amp;", "26 26", "26 26", "26 26", "the first & stays, the second starts a reference"},
    {"&&#65;", "26 41", "26 41", "26 41", ""},
    {"&#&amp;", "26 23 26", "26 23 26", "26 23 26", ""},
    {"&am&amp;", "26 61 6D 26", "26 61 6D 26", "26 61 6D 26", ""},
    {"&amp;amp;", "26 61 6D 70 3B", "26 61 6D 70 3B", "26 61 6D 70 3B",
     "decoded text is not decoded again"},
};

const DecodeCase text_unchecked[] = {
    {"\xD6\xD0&amp;\xD6\xD0", "D6 D0 26 D6 D0", "D6 D0 26 D6 D0", "D6 D0 26 D6 D0",
     "GBK bytes pass as they are"},
    {"\xD6&amp;", "D6 26", "D6 26", "D6 26", "a lead byte before & does not swallow it"},
    {"\xFF\xFE&#65;\x80", "FF FE 41 80", "FF FE 41 80", "FF FE 41 80", "invalid bytes pass"},
    {"\x81\x30\x81\x30&#x41;", "81 30 81 30 41", "81 30 81 30 41", "81 30 81 30 41",
     "a four-byte GB18030 code's digits are not read"},
    {"\xE4\xB8\xAD&lt;", "E4 B8 AD 3C", "E4 B8 AD 3C", "E4 B8 AD 3C", ""},
};

TEST(DecodeReferences, NamedReferences) {
  for (const DecodeCase& c : named) check_decode(c);
}
TEST(DecodeReferences, NumericReferences) {
  for (const DecodeCase& c : numeric) check_decode(c);
}
TEST(DecodeReferences, ValuesAboveFfff) {
  for (const DecodeCase& c : above_ffff) check_decode(c);
}
TEST(DecodeReferences, ReferencesWithoutSemicolon) {
  for (const DecodeCase& c : without_semicolon) check_decode(c);
}
TEST(DecodeReferences, WhatYieldsNothingStaysAsWritten) {
  for (const DecodeCase& c : left_as_written) check_decode(c);
}
TEST(DecodeReferences, BytesAfterALoneAmpersandAreReadAgain) {
  for (const DecodeCase& c : read_again) check_decode(c);
}
TEST(DecodeReferences, TextBytesAreCopiedUnchecked) {
  for (const DecodeCase& c : text_unchecked) check_decode(c);
}

TEST(DecodeReferences, EmptyNulAndMissingStrings) {
  for (const Export& e : exports) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(decode(e.fn, ""), "");
    const std::string with_nul("a\0&amp;\0&#0;", 13);
    EXPECT_EQ(to_hex(decode(e.fn, with_nul)), to_hex(std::string("a\0&\0&#0;", 9)));
    e.fn(nullptr);  // must not crash
    zel_string negative;
    zel_string_init(&negative);
    zel_string_assign(&negative, "&amp;", 5);
    negative.length = -1;  // 0 or less is empty
    e.fn(&negative);
    EXPECT_EQ(negative.length, 0);
    zel_string_free(&negative);
  }
}

// --- golden files -----------------------------------------------------------

// The golden files hold Python's codecs' answers for each referenced
// character, empty where a codec has no code for it.
const zel_test::Rule gbk_rules[] = {
    zel_test::refused_gives("20", "a character without a GBK code gives a space")};

struct GoldenFile {
  decode_fn fn;
  zel_test::GoldenFile file;
};

TEST(EntityGolden, EveryNameAndItsNumbersInEachEncoding) {
  const GoldenFile files[] = {{zel_decode_utf8, {"entities_utf8_golden.txt", 3 * 253}},
                              {zel_decode_gbk, {"entities_gbk_golden.txt", 3 * 253, {}, gbk_rules}},
                              {zel_decode_gb18030, {"entities_gb18030_golden.txt", 3 * 253}}};
  for (const GoldenFile& g : files) {
    SCOPED_TRACE(g.file.name);
    const auto lines = zel_test::library_lines(g.file).lines;
    std::set<std::string> names;
    zel_test::Mismatches bad("references in their forms");
    for (const zel_test::GoldenLine& line : lines) {
      const std::string& ref = line.given;  // "&name;", "&#decimal;" or "&#xhex;"
      const std::string& ch = line.expected;
      ASSERT_GE(ref.size(), 3u);
      ASSERT_EQ(ref.back(), ';');
      if (ref[1] != '#') names.insert(ref);
      const std::string bare = ref.substr(0, ref.size() - 1);
      // Each spelling of the reference, and the text around it, is decoded
      // the same way.
      const struct {
        std::string in, out;
      } forms[] = {
          {ref, ch},
          {"<p>" + ref + "</p>", "<p>" + ch + "</p>"},
          {bare, ch},
          {bare + " x", ch + " x"},
          {ref + ref, ch + ch},
          {"&" + ref, "&" + ch},
      };
      for (const auto& form : forms) {
        const std::string got = decode(g.fn, form.in);
        bad.check(got == form.out,
                  form.in + " gives " + to_hex(got) + ", expected " + to_hex(form.out));
      }
    }
    EXPECT_EQ(names.size(), 253u);
  }
}

TEST(EntityGolden, NamesInOtherCases) {
  const auto lines = zel_test::read_golden("entities_case_golden.txt");
  EXPECT_GT(lines.size(), 253u);
  std::size_t still_names = 0;
  for (const zel_test::GoldenLine& line : lines) {
    EXPECT_EQ(to_hex(decode(zel_decode_utf8, line.given)), to_hex(line.expected)) << line.given;
    still_names += line.given != line.expected;
  }
  // Such as aelig from AElig and ETH from eth: not every other case is unknown.
  EXPECT_GT(still_names, 0u);
}

// --- fast path and reservation ------------------------------------------------

template <zel::code_point_writer write, bool find_runs>
std::string decode_with(const std::string& in, std::size_t reserve) {
  zel::byte_sink sink(reserve);
  zel::decode_references<write, find_runs>(bytes_of(in), in.size(), sink);
  if (sink.size() == 0) return "";
  return std::string(sink.buffer.data, sink.size());
}

// Text made of the bytes references are built from, real names among them;
// sparse text puts long runs without "&" between them.
std::string adversarial(std::mt19937& rng, std::size_t length, bool sparse) {
  static const std::string pieces[] = {
      "&",  "#",    "x",   "X",    "0",    "1",     "9",   "a",
      "F",  "g",    ";",   " ",    "\xD6", "\x80",  "amp", "lt",
      "ni", "sup2", "&#x", "&#0x", "&amp", "Alpha", "&#1", std::string(1, '\0')};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  std::string out;
  std::uniform_int_distribution<std::size_t> gap(0, 200);
  while (out.size() < length) {
    if (sparse) out += std::string(gap(rng), 'w');
    out += pieces[pick(rng)];
  }
  return out;
}

TEST(DecodeReferences, RunCopyingAgreesWithTheByteLoop) {
  std::mt19937 rng(20240611);
  zel_test::Mismatches bad("run copying against the byte loop");
  for (int round = 0; round < 3000; ++round) {
    const std::string in = adversarial(rng, static_cast<std::size_t>(round % 97), round % 3 == 0);
    const std::string fast_utf8 = decode_with<zel::utf8_writer, true>(in, 0);
    const std::string fast_gbk = decode_with<zel::gbk_writer, true>(in, 0);
    const std::string fast_gb18030 = decode_with<zel::gb18030_writer, true>(in, 0);
    const bool same = fast_utf8 == decode_with<zel::utf8_writer, false>(in, 0) &&
                      fast_gbk == decode_with<zel::gbk_writer, false>(in, 0) &&
                      fast_gb18030 == decode_with<zel::gb18030_writer, false>(in, 0);
    bad.check(same, "differ on " + to_hex(in));
  }
}

// Decodes `in` into a sink reserved as the exports reserve it, and checks
// that the sink never had to grow.
template <zel::code_point_writer write>
void check_one_reservation(const std::string& in, std::size_t max_bytes, const char* why) {
  const std::size_t bound = zel::reference_output_bound(in.size(), max_bytes);
  zel::byte_sink sink(bound);
  const char* before = sink.buffer.data;
  const std::uint32_t capacity = sink.buffer.reserved;
  zel::decode_references<write>(bytes_of(in), in.size(), sink);
  EXPECT_EQ(sink.buffer.data, before) << why << ", " << in.size() << " bytes: grew";
  EXPECT_EQ(sink.buffer.reserved, capacity) << why << ", " << in.size() << " bytes";
  EXPECT_LE(sink.size(), bound) << why << ", " << in.size() << " bytes";
}

TEST(DecodeReferences, OneReservationHoldsTheLargestOutput) {
  // The shortest references to each writer's longest characters, in runs
  // that end on every phase of three bytes.
  for (int times : {1, 2, 3, 100, 1001}) {
    for (const char* tail : {"", "a", "ab"}) {
      const auto run = [&](const char* unit) { return repeat(unit, times) + tail; };
      check_one_reservation<zel::gb18030_writer>(run("&ni"), zel::gb18030_output::max_unit_bytes,
                                                 "GB18030: three bytes to four");
      check_one_reservation<zel::gb18030_writer>(run("&#128"), zel::gb18030_output::max_unit_bytes,
                                                 "GB18030: five bytes to four");
      check_one_reservation<zel::gb18030_writer>(run("x"), zel::gb18030_output::max_unit_bytes,
                                                 "GB18030: plain text");
      check_one_reservation<zel::utf8_writer>(run("&ni"), zel::utf8_output::max_unit_bytes,
                                              "UTF-8: three bytes to three");
      check_one_reservation<zel::utf8_writer>(run("&#2048"), zel::utf8_output::max_unit_bytes,
                                              "UTF-8: six bytes to three");
      check_one_reservation<zel::gbk_writer>(run("&pi"), zel::gbk_output::max_unit_bytes,
                                             "GBK: three bytes to two");
    }
  }
  // GB18030 output really can outgrow its input by a third.
  EXPECT_EQ(decode(zel_decode_gb18030, repeat("&ni", 300)).size(), 1200u);
}

}  // namespace
