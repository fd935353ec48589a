// Big5 <-> GBK transcoding: zel_code_big5_gbk and zel_code_gbk_big5.
#include "src/tables/big5gbk.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "src/string/string_ops.h"
#include "tests/support/conversion.h"
#include "tests/support/golden.h"

using zel_test::from_hex;
using zel_test::to_hex;

namespace {

using transcode_fn = zel_test::string_fn;

std::string big5_gbk(const std::string& in) {
  return zel_test::run_in_place(zel_code_big5_gbk, in);
}
std::string gbk_big5(const std::string& in) {
  return zel_test::run_in_place(zel_code_gbk_big5, in);
}

std::string pair(unsigned lead, unsigned trail) {
  return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

struct Case {
  transcode_fn fn;
  const char* in_hex;
  const char* out_hex;
  const char* why;
  // The input ends in a cut-off pair: nothing may follow it.
  bool cut_tail = false;
};

constexpr transcode_fn to_gbk = zel_code_big5_gbk;
constexpr transcode_fn to_big5 = zel_code_gbk_big5;

// Alone, behind 1 to 16 ASCII letters (which pass through in both
// directions), and repeated 2 and 1000 times.
void check(const Case& c) {
  SCOPED_TRACE(std::string(c.fn == to_gbk ? "Big5 to GBK, " : "GBK to Big5, ") + c.in_hex + ": " +
               c.why);
  zel_test::check_in_place(c.fn, from_hex(c.in_hex), from_hex(c.out_hex), c.cut_tail);
}

const Case plain_bytes[] = {
    {to_gbk, "41 42 43", "41 42 43", "ASCII is unchanged"},
    {to_big5, "41 42 43", "41 42 43", "ASCII is unchanged"},
    {to_gbk, "00 0A 0D 1B 7F", "00 0A 0D 1B 7F", "control bytes and NUL are unchanged"},
    {to_big5, "00 0A 0D 1B 7F", "00 0A 0D 1B 7F", "control bytes and NUL are unchanged"},
    {to_gbk, "80 81 9F A0", "80 81 9F A0", "0x80..0xA0 lead no Big5 pair here"},
    {to_big5, "80 81 9F A0", "80 81 9F A0", "0x80..0xA0 lead no GB 2312 pair"},
    {to_gbk, "FF 40", "FF 40", "0xFF leads nothing"},
    {to_gbk, "FF A4 40", "FF D2 BB", "0xFF leads nothing; the byte after it may"},
    {to_big5, "FF B0 A1", "FF B0 DA", "0xFF leads nothing; the byte after it may"},
};

const Case big5_pairs[] = {
    {to_gbk, "A4 40", "D2 BB", "a character GB 2312 has"},
    {to_gbk, "A1 41", "A3 AC", "full-width comma"},
    {to_gbk, "A4 BA", "C4 DA", "U+5167 as its simplified form U+5185"},
    {to_gbk, "A4 E1", "BB A7", "U+6236 as U+6237"},
    {to_gbk, "A5 E1", "B6 AA", "U+4E1F as U+4E22"},
    {to_gbk, "A8 A3", "BC FB", "U+898B as U+89C1"},
    {to_gbk, "A8 AE", "B3 B5", "U+8ECA as U+8F66"},
    {to_gbk, "A8 D3", "C0 B4", "U+4F86 as U+6765"},
    {to_gbk, "A2 CC", "CA AE", "a numeral duplicate of U+5341 still reaches GB 2312"},
    {to_gbk, "A2 CE", "D8 A6", "a numeral duplicate of U+5345 still reaches GB 2312"},
    {to_gbk, "A1 45", "A1 A4", "U+2022 as the GB 2312 middle dot"},
    {to_gbk, "A1 4A", "A1 CB", "vertical two dots as a GB 2312 symbol"},
    {to_gbk, "A2 44", "A3 A4", "yen sign as its full-width form"},
    {to_gbk, "B7 52 B0 EA", "B0 AE B9 FA", "traditional 'love country' comes out simplified"},
    {to_gbk, "A8 D3 A8 AE A8 A3", "C0 B4 B3 B5 BC FB",
     "traditional 'come car see' comes out simplified"},
    {to_gbk, "B3 6F AD D3 B0 DD C3 44", "D5 E2 B8 F6 CE CA CC E2", "'this question' simplified"},
    {to_gbk, "BA 7E BB 79", "BA BA D3 EF", "'Chinese language' simplified"},
    {to_gbk, "AA 46 A6 E8", "B6 AB CE F7", "one simplified character, one shared"},
    {to_gbk, "48 69 20 B7 52 0D 0A", "48 69 20 B0 AE 0D 0A", "pairs between ASCII"},
};

const Case big5_through_unicode[] = {
    {to_gbk, "A1 40", "A1 A1", "the full-width space holds the marker's own value"},
    {to_gbk, "A1 4D", "A9 6F", "small comma: GBK's extension area, through Unicode"},
    {to_gbk, "A2 59", "83 BE", "a unit ideograph GB 2312 lacks, found in GBK"},
    {to_gbk, "F9 D5", "FD 93", "the last Big5 character, found in GBK"},
    {to_gbk, "F9 D6", "FF FF", "an empty Big5 cell reads U+0000, which GBK output lacks"},
    {to_gbk, "F9 FE", "FF FF", "the end of row F9 is empty too"},
    {to_gbk, "FA 40", "FF FF", "user-defined rows read U+0000"},
    {to_gbk, "FE FE", "FF FF", "the last pair"},
    {to_gbk, "C8 A1", "A3 4D", "row C8 reads U+FFFD, which GBK writes A3 4D"},
    {to_gbk, "A3 E1", "A3 4D", "the euro cell reads U+FFFD"},
};

const Case big5_bad_pairs[] = {
    {to_gbk, "A1 7F", "A1 7F", "0x7F is no Big5 trail: the pair comes back as it was"},
    {to_gbk, "A4 A0", "A4 A0", "nor is 0xA0"},
    {to_gbk, "FE 80", "FE 80", "in every row"},
    {to_gbk, "A4 20", "A4 20", "a trail below 0x40: the lead passes, the next byte is read afresh"},
    {to_gbk, "A4 3F", "A4 3F", "0x3F is below the trails"},
    {to_gbk, "A4 0A A4 40", "A4 0A D2 BB", "a line end after a lead stays a line end"},
    {to_gbk, "A4 FF", "A4 FF", "0xFF is no trail"},
    {to_gbk, "A4 A4 40", "D6 D0 40", "a lead is a trail for the lead before it"},
};

const Case gbk_pairs[] = {
    {to_big5, "B0 A1", "B0 DA", "a character Big5 has"},
    {to_big5, "D2 BB", "A4 40", "a character Big5 has"},
    {to_big5, "A1 A1", "A1 40", "ideographic space"},
    {to_big5, "A1 A2", "A1 42", "ideographic comma"},
    {to_big5, "A1 A4", "A1 45", "middle dot as the Big5 dot between parts of a name"},
    {to_big5, "A1 AB", "A1 E3", "full-width tilde as the Big5 tilde"},
    {to_big5, "A1 C6", "A3 55", "summation sign as the capital sigma"},
    {to_big5, "B0 A2", "AA FC", "a character Big5 has"},
    {to_big5, "B0 AE", "B7 52", "U+7231 as its traditional form U+611B"},
    {to_big5, "C4 DA", "A4 BA", "U+5185 as U+5167"},
    {to_big5, "B0 AE B9 FA", "B7 52 B0 EA", "simplified 'love country' comes out traditional"},
    {to_big5, "D5 E2 B8 F6 CE CA CC E2", "B3 6F AD D3 B0 DD C3 44", "'this question' traditional"},
    {to_big5, "CC A8 CD E5", "A5 78 C6 57",
     "a character Big5 has stays, the next turns traditional"},
    {to_big5, "B7 A2 D5 B9", "B5 6F AE 69", "the first traditional form is chosen"},
    {to_big5, "CA E9 C3 C5 C3 C7", "AE D1 AA F9 AD CC", "'book, door, plural' traditional"},
};

const Case gbk_no_counterpart[] = {
    {to_big5, "A1 BC", "A1 40", "a GB 2312 bracket Big5 lacks: the full-width space"},
    {to_big5, "A2 AB", "A1 40", "an unassigned GB 2312 code"},
    {to_big5, "F7 FE", "A1 40", "a character Big5 lacks in any form"},
    {to_big5, "F8 A1", "A1 40", "user-defined row F8"},
    {to_big5, "F9 FE", "A1 40", "user-defined row F9"},
};

const Case gbk_user_defined[] = {
    {to_big5, "FA A1", "FA 40", "the first user-defined code"},
    {to_big5, "FA FE", "FA BF", "counting only Big5 trail bytes"},
    {to_big5, "FB A1", "FA C0", "the next row carries on"},
    {to_big5, "FD FE", "FC 7D", "the end of row FD"},
    {to_big5, "FE A1", "F3 54", "row FE's one fixed cell"},
    {to_big5, "FE FE", "FC FD", "the last code"},
};

const Case gbk_bad_pairs[] = {
    {to_big5, "81 40", "81 40", "a GBK extension code passes through byte by byte"},
    {to_big5, "B0 41", "B0 41", "trail below 0xA1: the lead passes, the next byte is read afresh"},
    {to_big5, "B0 A0", "B0 A0", "0xA0 is below the trails"},
    {to_big5, "B0 FF", "B0 FF", "0xFF is no trail"},
    {to_big5, "B0 0D 0A", "B0 0D 0A", "a line end after a lead stays a line end"},
    {to_big5, "AA A1", "AA A1", "lead AA has no row: the pair passes through as it was"},
    {to_big5, "AF FE", "AF FE", "nor has AF"},
    {to_big5, "83 D3 B0 A1", "83 D3 B0 DA",
     "an extension code passes as one pair, keeping alignment"},
    {to_big5, "81 B0", "81 B0", "0x81..0xA0 takes the byte after it, though that could lead"},
    {to_big5, "B0 81 B0 A1", "B0 81 B0 DA", "an extension code with a lead from 0xA1 as well"},
    {to_gbk, "83 D3 A4 40", "83 D3 D2 BB", "the pair passes the other way too"},
    {to_gbk, "81 7F A4 40", "81 7F D2 BB", "0x7F is no trail: 0x81 passes alone"},
};

const Case cut_tails[] = {
    {to_gbk, "A4", "", "a final lead is dropped", true},
    {to_gbk, "41 A4", "41", "after ASCII too", true},
    {to_gbk, "A4 40 FE", "D2 BB", "after a pair too", true},
    {to_gbk, "A4 20 A4", "A4 20", "a lead that passed does not save the last one", true},
    {to_big5, "B0", "", "a final lead is dropped", true},
    {to_big5, "41 B0", "41", "after ASCII too", true},
    {to_big5, "B0 A1 AA", "B0 DA", "a lead without a row too", true},
    {to_gbk, "FF", "FF", "0xFF is no lead: kept at the end", true},
    {to_big5, "A0", "A0", "0xA0 is no lead: kept at the end", true},
};

TEST(Big5GbkTranscoding, PlainBytesPassThrough) {
  for (const Case& c : plain_bytes) check(c);
}

TEST(Big5GbkTranscoding, Big5PairsComeOutSimplified) {
  for (const Case& c : big5_pairs) check(c);
}

TEST(Big5GbkTranscoding, MarkedPairsGoThroughUnicode) {
  for (const Case& c : big5_through_unicode) check(c);
}

TEST(Big5GbkTranscoding, Big5BytesOutsideThePairRanges) {
  for (const Case& c : big5_bad_pairs) check(c);
}

TEST(Big5GbkTranscoding, GbkPairsComeOutTraditional) {
  for (const Case& c : gbk_pairs) check(c);
}

TEST(Big5GbkTranscoding, GbkPairsWithoutCounterpartGiveTheFullWidthSpace) {
  for (const Case& c : gbk_no_counterpart) check(c);
}

TEST(Big5GbkTranscoding, GbkUserDefinedRowsRunOntoBig5UserDefinedCodes) {
  for (const Case& c : gbk_user_defined) check(c);
}

TEST(Big5GbkTranscoding, GbkBytesOutsideThePairRanges) {
  for (const Case& c : gbk_bad_pairs) check(c);
}

TEST(Big5GbkTranscoding, CutOffTails) {
  for (const Case& c : cut_tails) check(c);
}

// An empty string is left exactly as it was: no buffer made, none replaced.
TEST(Big5GbkTranscoding, EmptyStringsAreNotTouched) {
  for (transcode_fn fn : {to_gbk, to_big5}) {
    const long alive = zel::string_buffers_alive();
    zel_string fresh;
    zel_string_init(&fresh);
    const zel_string before = fresh;
    fn(&fresh);
    EXPECT_EQ(fresh.data, before.data);
    EXPECT_EQ(fresh.length, 0);
    EXPECT_EQ(zel::string_buffers_alive(), alive);
    zel_string_free(&fresh);

    zel_string emptied;
    zel_string_init(&emptied);
    zel_string_assign(&emptied, "\xA4\x40", 2);
    zel_string_set_length(&emptied, 0);
    const char* data = emptied.data;
    fn(&emptied);
    EXPECT_EQ(emptied.data, data) << "a reserved but empty string keeps its buffer";
    EXPECT_EQ(emptied.length, 0);
    zel_string_free(&emptied);
  }
}

// Every single byte: those that lead no pair stay, a lone lead is dropped.
TEST(Big5GbkTranscoding, EveryLoneByte) {
  for (unsigned b = 0; b <= 0xFF; ++b) {
    const std::string in(1, static_cast<char>(b));
    const std::string kept = b >= 0xA1 && b != 0xFF ? "" : in;
    EXPECT_EQ(to_hex(big5_gbk(in)), to_hex(kept)) << "byte " << b;
    EXPECT_EQ(to_hex(gbk_big5(in)), to_hex(kept)) << "byte " << b;
  }
}

// Every lead followed by a byte below the trail ranges: both bytes stay.
TEST(Big5GbkTranscoding, EveryLeadBeforeANonTrail) {
  for (unsigned lead = 0xA1; lead <= 0xFE; ++lead) {
    for (unsigned next = 0; next < 0x40; ++next)
      EXPECT_EQ(big5_gbk(pair(lead, next)), pair(lead, next)) << std::hex << lead << " " << next;
    for (unsigned next = 0; next < 0xA1; ++next)
      EXPECT_EQ(gbk_big5(pair(lead, next)), pair(lead, next)) << std::hex << lead << " " << next;
    EXPECT_EQ(big5_gbk(pair(lead, 0xFF)), pair(lead, 0xFF));
    EXPECT_EQ(gbk_big5(pair(lead, 0xFF)), pair(lead, 0xFF));
  }
}

// Trails 0x7F..0xA0 are no Big5 trails: every such pair comes back as it was.
TEST(Big5GbkTranscoding, Big5ColumnsWithoutTrailsReturnTheInputPair) {
  for (unsigned lead = 0xA1; lead <= 0xFE; ++lead)
    for (unsigned trail = 0x7F; trail <= 0xA0; ++trail)
      EXPECT_EQ(big5_gbk(pair(lead, trail)), pair(lead, trail)) << std::hex << lead << " " << trail;
}

// The user-defined rows FA..FE of Big5 have no character: every pair of them
// reads U+0000 through Unicode, FF FF.
TEST(Big5GbkTranscoding, Big5UserDefinedRowsGiveFFFF) {
  for (unsigned lead = 0xFA; lead <= 0xFE; ++lead)
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
      if (trail < 0x7F || trail > 0xA0) {
        EXPECT_EQ(to_hex(big5_gbk(pair(lead, trail))), "FF FF") << std::hex << lead << " " << trail;
      }
}

// Rows AA..AF have no GB 2312 character and no table row: pairs pass whole.
TEST(Big5GbkTranscoding, GbkRowsWithoutTableRowPassThrough) {
  for (unsigned lead = 0xAA; lead <= 0xAF; ++lead)
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail)
      EXPECT_EQ(gbk_big5(pair(lead, trail)), pair(lead, trail)) << std::hex << lead << " " << trail;
}

// GBK's user-defined rows FA..FE, cell by cell in order, onto the Big5
// user-defined codes from FA 40 with a Big5 trail byte, but FE A1 gives
// F3 54; rows F8 and F9 give the full-width space.
TEST(Big5GbkTranscoding, GbkUserDefinedRowsInOrder) {
  std::vector<std::string> big5_user;
  for (unsigned lead = 0xFA; lead <= 0xFE; ++lead)
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
      if (trail < 0x7F || trail > 0xA0) big5_user.push_back(pair(lead, trail));
  std::size_t k = 0;
  for (unsigned lead = 0xF8; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
      std::string want = lead < 0xFA ? from_hex("A1 40") : big5_user.at(k++);
      if (lead == 0xFE && trail == 0xA1) want = from_hex("F3 54");
      EXPECT_EQ(to_hex(gbk_big5(pair(lead, trail))), to_hex(want))
          << std::hex << lead << " " << trail;
    }
  }
  EXPECT_EQ(k, 470u);
}

// --- every pair against the golden files ------------------------------------

// The golden files of tools/testdata/make_golden_big5gbk.py hold what Python's
// codecs and Unihan's variants give, unedited; where the library departs from
// them is listed here.
using zel_test::Deviation;
using zel_test::Rule;
using zel_test::when;

unsigned lead_of(const std::string& code) { return static_cast<unsigned char>(code[0]); }
unsigned trail_of(const std::string& code) { return static_cast<unsigned char>(code[1]); }

const Deviation big5_gbk_cells[] = {
    {"A1 45", "A1 A4",
     "U+2022 (code page 950: U+2027), the dot between parts of a name, as the "
     "middle dot"},
    {"A1 4A", "A1 CB", "U+FE30, vertical two dots, as the proportion sign"},
    {"A1 4E", "A1 A2", "U+FF64 (code page 950: U+FE51), the half-width ideographic comma"},
    {"A1 5A", "A3 DF", "empty in this library's Big5; code page 950's U+2574, drawn as a low line"},
    {"A1 C5", "A3 DF", "empty in this library's Big5; code page 950's U+02CD, drawn as a low line"},
    {"A1 C2", "A3 FE", "U+203E overline (code page 950: U+00AF) as the full-width macron"},
    {"A1 F2", "FF FF", "U+2641 (code page 950: U+2295), which GBK lacks"},
    {"A1 F3", "A8 91", "U+2609 (code page 950: U+2299)"},
    {"A2 41", "A3 AF", "U+FF0F (code page 950: U+2215)"},
    {"A2 42", "A3 DC", "U+FF3C (code page 950: U+FE68)"},
    {"C9 4A", "D8 A3", "U+FA0C, a compatibility twin of U+5140, which GB 2312 has"},
};
const Rule big5_gbk_rules[] = {
    {"0x7F..0xA0 are no Big5 trail bytes: the pair passes through",
     [](const std::string& in, const std::string&) {
       return when(trail_of(in) >= 0x7F && trail_of(in) <= 0xA0, in);
     }},
    {"past F9D5, Big5's last character, there is no character at all (the decoder gives U+FFFD "
     "there): FF FF",
     [](const std::string& in, const std::string&) {
       return when(in.compare(from_hex("F9 D5")) > 0, from_hex("FF FF"));
     }},
    {"code page 936's code for the ideograph is one the private-use runs take over, so GBK output "
     "has none: FF FF",
     [](const std::string&, const std::string& source) {
       return when(zel_test::in_gbk_private_use_runs(source), from_hex("FF FF"));
     }},
    zel_test::refused_gives("A3 4D",
                            "no character in this library's Big5 (A3E1 too: code page "
                            "950's euro) gives U+FFFD's GBK code"),
};

const Deviation gbk_big5_cells[] = {
    {"A1 A4", "A1 45", "U+00B7 middle dot as the dot Big5 text sets between parts of a name"},
    {"A1 C6", "A3 55", "U+2211 summation sign as the capital sigma"},
    {"A1 DC", "A1 D8", "U+2264 as less-than over equal"},
    {"A1 DD", "A1 D9", "U+2265 as greater-than over equal"},
    {"A3 AF", "A2 41", "U+FF0F, at A241 in this library's Big5 (code page 950: A1FE)"},
    {"A3 DC", "A2 42", "U+FF3C, at A242 in this library's Big5 (code page 950: A240)"},
    {"A3 FE", "A1 C2", "U+FFE3 full-width macron as the overline"},
    {"BA E3", "AB ED", "code page 950 writes its ETEN twin F9DA, past Big5's last character"},
    {"D0 E2", "C4 C3", "code page 950 writes its ETEN twin F9D7, past Big5's last character"},
    {"FE A1", "F3 54", "Big5 F3 54 (U+8E7B), kept for compatibility"},
};
const Rule gbk_big5_rules[] = {
    {"rows AA..AF have no GB 2312 character and no table row: the pair passes through",
     [](const std::string& in, const std::string&) {
       return when(lead_of(in) >= 0xAA && lead_of(in) <= 0xAF, in);
     }},
    {"GBK's user-defined rows FA..FE in order onto Big5's user-defined codes from FA 40, Big5 "
     "trail bytes only",
     [](const std::string& in, const std::string&) -> std::optional<std::string> {
       if (lead_of(in) < 0xFA) return std::nullopt;
       const unsigned k = (lead_of(in) - 0xFA) * 94 + (trail_of(in) - 0xA1), column = k % 157;
       return pair(0xFA + k / 157, column < 63 ? 0x40 + column : 0xA1 + column - 63);
     }},
    zel_test::refused_gives("A1 40", "no Big5 character: the full-width space"),
};

// Every pair, one at a time and all in one string.
void check_golden(const zel_test::GoldenFile& file, transcode_fn fn) {
  SCOPED_TRACE(file.name);
  const auto golden = zel_test::library_lines(file).lines;
  zel_test::check_each_alone(zel_test::through(fn), golden);
  zel_test::check_as_one_text(zel_test::through(fn), golden);
}

TEST(Big5GbkTranscoding, EveryBig5PairMatchesTheGoldenFile) {
  check_golden({"big5_gbk_golden.txt", 94u * 191u, big5_gbk_cells, big5_gbk_rules}, to_gbk);
}

TEST(Big5GbkTranscoding, EveryGbkPairMatchesTheGoldenFile) {
  check_golden({"gbk_big5_golden.txt", 94u * 94u, gbk_big5_cells, gbk_big5_rules}, to_big5);
}

// GB 2312's codes, typed from its row layout.
bool is_gb2312(unsigned lead, unsigned trail) {
  struct Range {
    unsigned lead, first, last;
  };
  static const Range symbol_rows[] = {
      {0xA1, 0xA1, 0xFE}, {0xA2, 0xB1, 0xE2}, {0xA2, 0xE5, 0xEE}, {0xA2, 0xF1, 0xFC},
      {0xA3, 0xA1, 0xFE}, {0xA4, 0xA1, 0xF3}, {0xA5, 0xA1, 0xF6}, {0xA6, 0xA1, 0xB8},
      {0xA6, 0xC1, 0xD8}, {0xA7, 0xA1, 0xC1}, {0xA7, 0xD1, 0xF1}, {0xA8, 0xA1, 0xBA},
      {0xA8, 0xC5, 0xE9}, {0xA9, 0xA4, 0xEF},
  };
  for (const Range& r : symbol_rows)
    if (lead == r.lead && trail >= r.first && trail <= r.last) return true;
  if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE)
    return lead != 0xD7 || trail <= 0xF9;
  return false;
}

TEST(Big5GbkTranscoding, TheGb2312LayoutHas7445Codes) {
  int codes = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) codes += is_gb2312(lead, trail);
  EXPECT_EQ(codes, 7445);
}

// What the Big5 pairs come out as, over the codes with a Big5 trail byte:
// GB 2312 codes from the direct table, and the marker's outcomes through
// Unicode (a GBK extension code, FF FF, A3 4D). The full-width space, whose
// cell holds the marker's own value, counts as a marker.
TEST(Big5GbkTranscoding, Big5ToGbkCounts) {
  int gb2312 = 0, marker = 0, extension = 0, ffff = 0, a34d = 0;
  for (unsigned lead = 0xA1; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail >= 0x7F && trail <= 0xA0) continue;
      const std::size_t index = (lead - 0xA1) * zel::big5_gbk_columns + (trail - 0x40);
      if (zel::cell(zel::big5_to_gbk, index, zel::big5_gbk_marker) == zel::big5_gbk_marker) {
        ++marker;
        const std::string out = big5_gbk(pair(lead, trail));
        ASSERT_EQ(out.size(), 2u);
        const unsigned b1 = static_cast<unsigned char>(out[0]),
                       b2 = static_cast<unsigned char>(out[1]);
        if (b1 == 0xFF && b2 == 0xFF)
          ++ffff;
        else if (b1 == 0xA3 && b2 == 0x4D)
          ++a34d;
        else if (!is_gb2312(b1, b2))
          ++extension;
        else
          EXPECT_EQ(lead << 8 | trail, 0xA140u) << "a marked pair found in GB 2312";
      } else {
        const std::string out = big5_gbk(pair(lead, trail));
        ASSERT_EQ(out.size(), 2u);
        EXPECT_TRUE(
            is_gb2312(static_cast<unsigned char>(out[0]), static_cast<unsigned char>(out[1])))
            << std::hex << lead << " " << trail << " gives " << to_hex(out);
        ++gb2312;
      }
    }
  }
  EXPECT_EQ(gb2312, 7172);
  EXPECT_EQ(marker, 7586);
  EXPECT_EQ(extension, 6528);
  EXPECT_EQ(ffff, 835);
  EXPECT_EQ(a34d, 222);
}

// What the GB 2312 area and rows F8, F9 come out as: the same character
// (read back through the library's GBK and Big5 decoders), another Big5
// character (a traditional form or a similar symbol), or A1 40.
TEST(Big5GbkTranscoding, GbkToBig5Counts) {
  int same = 0, other = 0, space = 0;
  for (unsigned lead = 0xA1; lead <= 0xF9; ++lead) {
    if (lead >= 0xAA && lead <= 0xAF) continue;
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
      const std::string in = pair(lead, trail);
      const std::string out = gbk_big5(in);
      ASSERT_EQ(out.size(), 2u);
      const std::string gbk_char = zel_test::convert(zel_code_unicode, ZEL_CHARSET_GB18030, in);
      const std::string big5_char = zel_test::convert(zel_code_unicode, ZEL_CHARSET_BIG5, out);
      if (is_gb2312(lead, trail) && gbk_char == big5_char)
        ++same;
      else if (out == from_hex("A1 40"))
        ++space;
      else
        ++other;
    }
  }
  EXPECT_EQ(same, 4884);
  EXPECT_EQ(other, 2133);
  EXPECT_EQ(space, 785);
}

// A GB 2312 character that Big5 holds as itself survives GBK -> Big5 -> GBK;
// a traditional character comes back as the traditional form stored for its
// simplified one.
TEST(Big5GbkTranscoding, RoundTrips) {
  int survived = 0;
  for (unsigned lead = 0xA1; lead <= 0xF7; ++lead) {
    for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
      if (!is_gb2312(lead, trail)) continue;
      const std::string in = pair(lead, trail);
      const std::string big5 = gbk_big5(in);
      if (zel_test::convert(zel_code_unicode, ZEL_CHARSET_GB18030, in) !=
          zel_test::convert(zel_code_unicode, ZEL_CHARSET_BIG5, big5))
        continue;
      EXPECT_EQ(to_hex(big5_gbk(big5)), to_hex(in)) << "through " << to_hex(big5);
      ++survived;
    }
  }
  EXPECT_EQ(survived, 4884);
  // Big5 U+9AEE (hair) -> GBK U+53D1 -> Big5 U+767C, the first traditional
  // form of U+53D1.
  EXPECT_EQ(to_hex(big5_gbk(from_hex("BE 76"))), "B7 A2");
  EXPECT_EQ(to_hex(gbk_big5(big5_gbk(from_hex("BE 76")))), "B5 6F");
}

// Table shapes: the generated sizes follow the indexing, and a read past the
// stored cells gives each table's filler.
TEST(Big5GbkTables, Shapes) {
  EXPECT_EQ(zel::big5_to_gbk_size, (0xFEu - 0xA1u) * 191u + (0xA0u - 0x40u) + 1u);
  EXPECT_EQ(zel::gbk_to_big5_size, 88u * 94u);
  EXPECT_EQ(zel::cell(zel::big5_to_gbk, 94 * 191 - 1, zel::big5_gbk_marker), 0xA1A1);
  EXPECT_EQ(zel::cell(zel::gbk_to_big5, 88 * 94, zel::gbk_big5_space), 0x40A1);
}

}  // namespace
