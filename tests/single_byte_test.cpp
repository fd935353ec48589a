// Single-byte input, ids 21 to 55. The oracles are the golden file of
// tools/testdata/make_golden_single_byte.py (the answers of Python's codecs,
// glibc's iconv, Perl's Encode and Unicode 3.2's Lao block unedited; never
// this library's tables) with the library's departures from them listed
// below, the filler bytes and telling cells typed in below, and the layout
// rules of the charsets (ASCII kept, letters in code point order) computed
// here.
#include "src/decode/single_byte.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "src/tables/single_byte.h"
#include "tests/support/conversion.h"
#include "tests/support/golden.h"

namespace {

using zel_test::all_bytes;
using zel_test::Case;
using zel_test::check_case;
using zel_test::convert;
using zel_test::from_hex;
using zel_test::to_hex;
using zel_test::utf8_of_pivot;

constexpr int first_id = ZEL_CHARSET_KOI8_R;
constexpr int last_id = ZEL_CHARSET_MULELAO_1;

std::string pivot_of(const std::vector<unsigned>& units) {
  std::string out;
  for (unsigned u : units) out += zel_test::unit_bytes(static_cast<std::uint16_t>(u));
  return out;
}

// "A1-A3 C0" -> the bytes A1, A2, A3, C0.
std::vector<unsigned> byte_list(const std::string& text) {
  std::vector<unsigned> bytes;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    const unsigned first = std::stoul(text.substr(at, 2), nullptr, 16);
    unsigned last = first;
    at += 2;
    if (at < text.size() && text[at] == '-') {
      last = std::stoul(text.substr(at + 1, 2), nullptr, 16);
      at += 3;
    }
    for (unsigned b = first; b <= last; ++b) bytes.push_back(b);
  }
  return bytes;
}

// Runs `bytes` of charset `id`, expected to decode to `units`, through
// check_case: both exports, behind ASCII letters, repeated.
void check_units(int id, const std::vector<unsigned>& bytes, const std::vector<unsigned>& units,
                 const std::string& why) {
  std::string in;
  for (unsigned b : bytes) in.push_back(static_cast<char>(b));
  const std::string in_hex = to_hex(in), out_hex = to_hex(pivot_of(units));
  check_case(Case{id, in_hex.c_str(), out_hex.c_str(), why.c_str()});
}

// --- every byte of every id, against the golden file -----------------------

// Where the library departs from each id's source, by id.
struct SourceDeviation {
  int id;
  zel_test::Deviation cell;
};

constexpr const char* thai_variant =
    "one private-use code point for the mark's positional variant, where Perl's MacThai writes "
    "the mark and a hint (U+F873..U+F875)";

const SourceDeviation source_deviations[] = {
    {ZEL_CHARSET_KOI8_RU,
     {"AE", "5E 04", "KOI8-RU's Belarusian short u, where KOI8-U draws boxes"}},
    {ZEL_CHARSET_KOI8_RU, {"BE", "0E 04", "KOI8-RU's capital short u, where KOI8-U draws boxes"}},
    {ZEL_CHARSET_CP1133, {"A0", "A0 00", "the no-break space, which glibc leaves out"}},
    {ZEL_CHARSET_CP1133, {"DF", "AD 20", "the kip sign, where glibc reads a Latin letter"}},
    {ZEL_CHARSET_CP1133, {"FF", "FD FF", "empty, where glibc reads a no-break space"}},
    {ZEL_CHARSET_ARMSCII_8,
     {"A1", "41 27", "the older punctuation: the eternity sign, which glibc leaves out"}},
    {ZEL_CHARSET_ARMSCII_8, {"A2", "A7 00", "the older punctuation: the section sign"}},
    {ZEL_CHARSET_ARMSCII_8,
     {"AD", "5F 05", "the older punctuation: the Armenian abbreviation mark"}},
    {ZEL_CHARSET_ARMSCII_8,
     {"FE", "19 20", "the older punctuation: the right single quotation mark"}},
    {ZEL_CHARSET_ARMSCII_8,
     {"FF", "27 00", "the older punctuation: the apostrophe, which glibc leaves out"}},
    {ZEL_CHARSET_MACTHAI, {"7F", "7F 00", "ASCII's DEL, which Perl's MacThai leaves out"}},
    {ZEL_CHARSET_MACTHAI, {"83", "8C F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"84", "8F F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"85", "92 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"86", "95 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"87", "98 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"88", "8B F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"89", "8E F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"8A", "91 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"8B", "94 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"8C", "97 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"8F", "99 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"92", "84 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"93", "89 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"94", "85 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"95", "86 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"96", "87 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"97", "88 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"98", "8A F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"99", "8D F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"9A", "90 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"9B", "93 F8", thai_variant}},
    {ZEL_CHARSET_MACTHAI, {"9C", "96 F8", thai_variant}},
    {54,
     {"DB", "FF FE",
      "the older table's zero-width no-break space, where Perl has the word "
      "joiner"}}};
const zel_test::Rule refused_byte[] = {zel_test::refused_gives(
    "FD FF", "a byte its source refuses gives U+FFFD: no byte but 0x00 decodes to a NUL")};

struct Golden {
  std::string bytes;  // 00..FF
  std::string pivot;  // what they decode to, two bytes each
};

// The golden file holds 256 lines a id, ids 21..55 in turn.
std::vector<Golden> read_single_byte_golden() {
  const auto lines = zel_test::read_golden("single_byte_decode_golden.txt");
  std::vector<Golden> ids;
  if (lines.size() != (last_id - first_id + 1) * 256u) {
    ADD_FAILURE() << "expected 256 lines for each of ids 21..55, got " << lines.size();
    return ids;
  }
  std::size_t refused = 0;
  for (int id = first_id; id <= last_id; ++id) {
    SCOPED_TRACE("id " + std::to_string(id));
    std::vector<zel_test::Deviation> cells;
    for (const SourceDeviation& d : source_deviations)
      if (d.id == id) cells.push_back(d.cell);
    const auto first = lines.begin() + (id - first_id) * 256;
    const zel_test::LibraryLines library =
        zel_test::with_departures({first, first + 256}, cells, refused_byte);
    refused += library.rule_uses[0];
    Golden g;
    for (const zel_test::GoldenLine& line : library.lines) {
      g.bytes += line.given;
      g.pivot += line.expected;
    }
    ids.push_back(g);
  }
  EXPECT_GT(refused, 0u) << refused_byte[0].why;
  return ids;
}

std::string unit_at(const Golden& g, unsigned b) { return g.pivot.substr(2 * b, 2); }

// `bytes` of charset `id` decode, one unit a byte, to `expected` through
// both exports; reports each byte whose unit differs, up to ten.
void check_units_of(int id, const std::string& bytes, const std::string& expected,
                    const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_EQ(expected.size(), 2 * bytes.size()) << "n bytes give n units";
  std::vector<zel_test::GoldenLine> lines;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    lines.push_back({bytes.substr(i, 1), expected.substr(2 * i, 2)});
  zel_test::check_decoding(id, lines);
}

TEST(SingleByteGolden, EveryByteOfEveryIdThroughTheExports) {
  const std::vector<Golden> ids = read_single_byte_golden();
  ASSERT_EQ(ids.size(), 35u);
  for (int id = first_id; id <= last_id; ++id) {
    SCOPED_TRACE("id " + std::to_string(id));
    const Golden& g = ids[id - first_id];
    ASSERT_EQ(g.bytes.size(), 256u);
    for (unsigned b = 0; b < 256; ++b)
      ASSERT_EQ(static_cast<unsigned char>(g.bytes[b]), b) << "the file lists bytes 00..FF";

    // All bytes in order: one ASCII run, then every byte from 0x80 up.
    check_units_of(id, g.bytes, g.pivot, "00..FF");

    // Each byte alone.
    for (unsigned b = 0; b < 256; ++b) {
      const std::string one(1, static_cast<char>(b));
      EXPECT_EQ(to_hex(convert(zel_code_unicode, id, one)), to_hex(unit_at(g, b)));
      EXPECT_EQ(to_hex(convert(zel_code_utf8, id, one)), to_hex(utf8_of_pivot(unit_at(g, b))));
    }

    // Backwards, an ASCII letter after every third byte: short runs that
    // start and stop everywhere.
    std::string in, expected;
    for (int b = 255; b >= 0; --b) {
      in.push_back(static_cast<char>(b));
      expected += unit_at(g, static_cast<unsigned>(b));
      if (b % 3 == 0) {
        in.push_back('z');
        expected += unit_at(g, 'z');
      }
    }
    check_units_of(id, in, expected, "FF..00 with letters");
  }
}

// --- telling cells ------------------------------------------------------------

const Case telling_cells[] = {
    {ZEL_CHARSET_ISO_8859_1, "41 E9", "41 00 E9 00", "Latin-1: byte b is U+00b"},
    {ZEL_CHARSET_ISO_8859_1, "80 9F FF", "80 00 9F 00 FF 00",
     "Latin-1 above 0x7F, also read for US-ASCII names"},
    {ZEL_CHARSET_KOI8_R, "C1", "30 04", "KOI8-R small a"},
    {ZEL_CHARSET_KOI8_R, "E1 FF", "10 04 2A 04", "KOI8-R capital a, capital hard sign"},
    {ZEL_CHARSET_CP866, "80", "10 04", "CP866 capital a"},
    {ZEL_CHARSET_CP850, "80", "C7 00", "CP850 capital c cedilla"},
    {ZEL_CHARSET_KOI8_U, "AE BE", "5D 25 6C 25", "KOI8-U box-drawing pieces"},
    {ZEL_CHARSET_KOI8_RU, "AE BE", "5E 04 0E 04", "KOI8-RU short u where KOI8-U draws boxes"},
    {ZEL_CHARSET_KOI8_U, "A4 AD", "54 04 91 04", "KOI8-U Ukrainian ie, ghe with upturn"},
    {ZEL_CHARSET_KOI8_RU, "A4 AD", "54 04 91 04", "KOI8-RU keeps KOI8-U's Ukrainian letters"},
    {ZEL_CHARSET_CP1250, "81", "FD FF", "CP1250 has no character at 0x81"},
    {ZEL_CHARSET_CP1252, "81", "FD FF", "CP1252 leaves 0x81 empty with U+FFFD"},
    {ZEL_CHARSET_CP1252, "80", "AC 20", "CP1252 euro"},
    {ZEL_CHARSET_CP1257, "C0", "04 01", "CP1257 capital a ogonek"},
    {ZEL_CHARSET_CP1258, "D2", "09 03", "CP1258 combining hook above"},
    {ZEL_CHARSET_ISO_8859_7, "A4 A5 AA", "AC 20 AF 20 7A 03",
     "ISO-8859-7 2003 edition: euro, drachma, ypogegrammeni"},
    {ZEL_CHARSET_ISO_8859_8, "DF FD FE", "17 20 0E 20 0F 20",
     "ISO-8859-8 double low line and directional marks"},
    {ZEL_CHARSET_ISO_8859_11, "A0 A1", "A0 00 01 0E", "ISO-8859-11 no-break space, then Thai"},
    {ZEL_CHARSET_CP874, "85 A0", "26 20 A0 00", "CP874 ellipsis and no-break space"},
    {ZEL_CHARSET_CP1133, "A3", "84 0E", "CP1133 Lao letter"},
    {ZEL_CHARSET_CP1133, "DF", "AD 20", "CP1133 kip sign"},
    {ZEL_CHARSET_TCVN, "01", "DA 00", "TCVN: a capital letter, not U+0001"},
    {ZEL_CHARSET_TCVN, "B0 B1 B2 B3 B4", "00 03 09 03 03 03 01 03 23 03", "TCVN's five tone marks"},
    {ZEL_CHARSET_TCVN, "61 B3", "61 00 01 03", "a tone mark after a letter stays its own unit"},
    {ZEL_CHARSET_ARMSCII_8, "A1 A2 FE FF", "41 27 A7 00 19 20 27 00", "ARMSCII-8 punctuation"},
    {ZEL_CHARSET_ARMSCII_8, "B2 B3 FC FD", "31 05 61 05 56 05 86 05",
     "ARMSCII-8 first and last letter pairs"},
    {ZEL_CHARSET_MACTHAI, "DB", "FF FE", "MacThai zero-width no-break space"},
    {ZEL_CHARSET_MACTHAI, "FC", "FD FF", "MacThai has no character at 0xFC"},
    {ZEL_CHARSET_MACTHAI, "83 92", "8C F8 84 F8", "MacThai tone-mark variants in private use"},
    {ZEL_CHARSET_MULELAO_1, "A3", "FD FF", "MULELAO-1: no Lao character here"},
    {ZEL_CHARSET_MULELAO_1, "A1 FD", "81 0E DD 0E", "MULELAO-1 first and last Lao character"},
};

TEST(SingleByteInput, TellingCells) { zel_test::check_cases(telling_cells); }

TEST(SingleByteInput, EmptyInputStaysEmpty) {
  for (int id = first_id; id <= last_id; ++id) zel_test::check_empty_input(id);
}

// Code page 1257 and 1258 straight into UTF-8, in one pass.
TEST(SingleByteInput, IntoUtf8) {
  struct Utf8Case {
    int id;
    const char* in;
    const char* utf8;
    const char* why;
  };
  const Utf8Case cases[] = {
      {ZEL_CHARSET_CP1257, "C0", "C4 84", "CP1257 capital a ogonek, U+0104"},
      {ZEL_CHARSET_CP1258, "D2", "CC 89", "CP1258 combining hook above, U+0309"},
      {ZEL_CHARSET_KOI8_R, "C1 20 41", "D0 B0 20 41", "KOI8-R small a, then ASCII"},
      {ZEL_CHARSET_CP1252, "80 81", "E2 82 AC EF BF BD", "CP1252 euro, then its filler U+FFFD"},
      {ZEL_CHARSET_CP1250, "81", "EF BF BD", "CP1250 has no character at 0x81: U+FFFD, not a NUL"},
  };
  for (const Utf8Case& c : cases)
    EXPECT_EQ(to_hex(convert(zel_code_utf8, c.id, from_hex(c.in))), to_hex(from_hex(c.utf8)))
        << "id " << c.id << ": " << c.why;
}

TEST(SingleByteInput, IntoGbkAndGb18030) {
  struct TargetCase {
    int id;
    const char* in;
    const char* gbk;
    const char* gb18030;
    const char* why;
  };
  const TargetCase cases[] = {
      {ZEL_CHARSET_KOI8_R, "C1", "A7 D1", "A7 D1", "KOI8-R small a, in GB 2312's Cyrillic row"},
      {ZEL_CHARSET_ISO_8859_1, "E9", "A8 A6", "A8 A6", "e acute, in GB 2312's pinyin row"},
      {ZEL_CHARSET_CP1252, "80", "20", "A2 E3", "the euro: no GBK code, a space"},
      {ZEL_CHARSET_CP1250, "81", "A3 4D", "84 31 A4 37", "no character at 0x81: U+FFFD, not a NUL"},
  };
  for (const TargetCase& c : cases) {
    EXPECT_EQ(to_hex(convert(zel_code_gbk, c.id, from_hex(c.in))), to_hex(from_hex(c.gbk)))
        << "id " << c.id << ": " << c.why;
    EXPECT_EQ(to_hex(convert(zel_code_gb18030, c.id, from_hex(c.in))), to_hex(from_hex(c.gb18030)))
        << "id " << c.id << ": " << c.why;
  }
}

// --- fillers --------------------------------------------------------------------

// The bytes each charset leaves without a character, which hold U+FFFD; the
// second list stays empty, as no byte but 0x00 may decode to U+0000.
struct Fillers {
  int id;
  const char* fffd;
  const char* zero;
};

const Fillers fillers[] = {
    {ZEL_CHARSET_KOI8_R, "", ""},
    {ZEL_CHARSET_KOI8_U, "", ""},
    {ZEL_CHARSET_KOI8_RU, "", ""},
    {ZEL_CHARSET_ISO_8859_1, "", ""},
    {ZEL_CHARSET_ISO_8859_2, "", ""},
    {ZEL_CHARSET_ISO_8859_3, "A5 AE BE C3 D0 E3 F0", ""},
    {ZEL_CHARSET_ISO_8859_4, "", ""},
    {ZEL_CHARSET_ISO_8859_5, "", ""},
    {ZEL_CHARSET_ISO_8859_6, "A1-A3 A5-AB AE-BA BC-BE C0 DB-DF F3-FF", ""},
    {ZEL_CHARSET_ISO_8859_7, "AE D2 FF", ""},
    {ZEL_CHARSET_ISO_8859_8, "A1 BF-DE FB FC FF", ""},
    {ZEL_CHARSET_ISO_8859_9, "", ""},
    {ZEL_CHARSET_ISO_8859_10, "", ""},
    {ZEL_CHARSET_ISO_8859_11, "DB-DE FC-FF", ""},
    {ZEL_CHARSET_ISO_8859_13, "", ""},
    {ZEL_CHARSET_ISO_8859_14, "", ""},
    {ZEL_CHARSET_ISO_8859_15, "", ""},
    {ZEL_CHARSET_ISO_8859_16, "", ""},
    {ZEL_CHARSET_CP874, "81-84 86-90 98-9F DB-DE FC-FF", ""},
    {ZEL_CHARSET_CP1250, "81 83 88 90 98", ""},
    {ZEL_CHARSET_CP1251, "98", ""},
    {ZEL_CHARSET_CP1252, "81 8D 8F 90 9D", ""},
    {ZEL_CHARSET_CP1253, "81 88 8A 8C-90 98 9A 9C-9F AA D2 FF", ""},
    {ZEL_CHARSET_CP1254, "81 8D-90 9D 9E", ""},
    {ZEL_CHARSET_CP1255, "81 8A 8C-90 9A 9C-9F CA D9-DF FB FC FF", ""},
    {ZEL_CHARSET_CP1256, "", ""},
    {ZEL_CHARSET_CP1257, "81 83 88 8A 8C 90 98 9A 9C 9F A1 A5", ""},
    {ZEL_CHARSET_CP1258, "81 8A 8D-90 9A 9D 9E", ""},
    {ZEL_CHARSET_CP850, "", ""},
    {ZEL_CHARSET_CP866, "", ""},
    {ZEL_CHARSET_CP1133, "BC-BE CD-CF DC E0-EF FA FB FF", ""},
    {ZEL_CHARSET_TCVN, "", ""},
    {ZEL_CHARSET_ARMSCII_8, "", ""},
    {ZEL_CHARSET_MACTHAI, "90 9F FC-FF", ""},
    {ZEL_CHARSET_MULELAO_1,
     "A3 A5 A6 A9 AB AC AE AF B0-B3 B8 C0 C4 C6 C8 C9 CC DA DE DF E5 E7 EE EF FA FB FE FF", ""},
};

TEST(SingleByteFillers, EveryListedByteHoldsItsFiller) {
  ASSERT_EQ(std::size(fillers), 35u);
  for (const Fillers& f : fillers) {
    for (unsigned value : {0xFFFDu, 0x0000u}) {
      const std::vector<unsigned> bytes = byte_list(value ? f.fffd : f.zero);
      for (unsigned b : bytes)
        check_units(f.id, {b}, {value}, value ? "filler U+FFFD" : "filler 0");
      // All of them in a row, behind and between letters.
      std::vector<unsigned> text, units;
      for (unsigned b : bytes) {
        text.insert(text.end(), {b, 'q'});
        units.insert(units.end(), {value, 'q'});
      }
      if (!bytes.empty()) check_units(f.id, text, units, "the fillers in a row");
    }
  }
}

TEST(SingleByteFillers, NoOtherByteHoldsOne) {
  for (const Fillers& f : fillers) {
    SCOPED_TRACE("id " + std::to_string(f.id));
    const std::string pivot = convert(zel_code_unicode, f.id, all_bytes());
    ASSERT_EQ(pivot.size(), 512u);
    std::vector<unsigned> fffd, zero;
    for (unsigned b = 1; b < 256; ++b) {  // byte 0x00 is U+0000 everywhere
      const unsigned u = static_cast<unsigned char>(pivot[2 * b]) |
                         static_cast<unsigned char>(pivot[2 * b + 1]) << 8;
      if (u == 0xFFFD) fffd.push_back(b);
      if (u == 0x0000) zero.push_back(b);
    }
    EXPECT_EQ(fffd, byte_list(f.fffd));
    EXPECT_EQ(zero, byte_list(f.zero));
  }
}

// --- layout rules -------------------------------------------------------------

struct Identity {
  int id;
  unsigned first, last;
  const char* why;
};

TEST(SingleByteRules, BytesThatDecodeToThemselves) {
  std::vector<Identity> ranges;
  for (int id = first_id; id <= last_id; ++id)
    if (id != ZEL_CHARSET_TCVN) ranges.push_back({id, 0x00, 0x7F, "ASCII"});
  ranges.push_back({ZEL_CHARSET_ISO_8859_1, 0x80, 0xFF, "Latin-1"});
  for (int id : {ZEL_CHARSET_CP1133, ZEL_CHARSET_ARMSCII_8, ZEL_CHARSET_MULELAO_1})
    ranges.push_back({id, 0x80, 0xA0, "C1 controls, no-break space"});
  ranges.push_back({ZEL_CHARSET_MACTHAI, 0xA0, 0xA0, "no-break space"});
  for (const Identity& r : ranges) {
    std::vector<unsigned> bytes;
    for (unsigned b = r.first; b <= r.last; ++b) bytes.push_back(b);
    check_units(r.id, bytes, bytes, r.why);
  }
}

TEST(SingleByteRules, TcvnHoldsTwelveLettersAmongTheC0Controls) {
  const std::vector<std::pair<unsigned, unsigned>> letters = {
      {0x01, 0x00DA}, {0x02, 0x1EE4}, {0x04, 0x1EEA}, {0x05, 0x1EEC},
      {0x06, 0x1EEE}, {0x11, 0x1EE8}, {0x12, 0x1EF0}, {0x13, 0x1EF2},
      {0x14, 0x1EF6}, {0x15, 0x1EF8}, {0x16, 0x00DD}, {0x17, 0x1EF4},
  };
  std::vector<unsigned> bytes, units;
  for (unsigned b = 0; b < 0x80; ++b) {
    unsigned unit = b;
    for (const auto& [code, letter] : letters)
      if (code == b) unit = letter;
    bytes.push_back(b);
    units.push_back(unit);
  }
  // As one text that looks like ASCII: the letters must not be copied as
  // bytes.
  check_units(ZEL_CHARSET_TCVN, bytes, units, "00..7F with the letters");
  for (const auto& [code, letter] : letters)
    check_units(ZEL_CHARSET_TCVN, {'a', code, 'b'}, {'a', letter, 'b'}, "a letter between ASCII");
}

TEST(SingleByteRules, LettersInCodePointOrder) {
  struct Run {
    int id;
    const char* bytes;
    unsigned step;    // byte distance between neighbours
    unsigned offset;  // unit = byte + offset, or base + k for a stepped run
    bool by_offset;
    const char* why;
  };
  const Run runs[] = {
      {ZEL_CHARSET_ARMSCII_8, "B2-FD", 2, 0x0531, false,
       "ARMSCII-8 capitals from B2, every second byte"},
      {ZEL_CHARSET_ARMSCII_8, "B3-FD", 2, 0x0561, false,
       "ARMSCII-8 small letters from B3, every second byte"},
      {ZEL_CHARSET_MACTHAI, "A1-DA DF-ED EF-F9", 1, 0x0D60, true,
       "MacThai Thai as TIS-620, U+0E01 at A1"},
      {ZEL_CHARSET_ISO_8859_11, "A1-DA DF-FB", 1, 0x0D60, true, "ISO-8859-11 Thai, U+0E01 at A1"},
      {55,
       "A1 A2 A4 A7 A8 AA AD B4-B7 B9-BF C1-C3 C5 C7 CA CB CD-D9 DB-DD E0-E4 E6 E8-ED F0-F9 "
       "FC FD",
       1, 0x0DE0, true, "MULELAO-1 Lao, U+0E81 at A1"},
  };
  for (const Run& r : runs) {
    std::vector<unsigned> bytes, units;
    const std::vector<unsigned> listed = byte_list(r.bytes);
    for (std::size_t k = 0; k < listed.size(); k += r.step) {
      bytes.push_back(listed[k]);
      units.push_back(r.by_offset ? listed[k] + r.offset
                                  : r.offset + static_cast<unsigned>(k / r.step));
    }
    check_units(r.id, bytes, units, r.why);
  }
}

TEST(SingleByteRules, Koi8RuIsKoi8UWithTwoLetters) {
  const std::string koi8_u = convert(zel_code_unicode, ZEL_CHARSET_KOI8_U, all_bytes());
  const std::string koi8_ru = convert(zel_code_unicode, ZEL_CHARSET_KOI8_RU, all_bytes());
  ASSERT_EQ(koi8_u.size(), 512u);
  ASSERT_EQ(koi8_ru.size(), 512u);
  std::vector<unsigned> differ;
  for (unsigned b = 0; b < 256; ++b)
    if (koi8_u.compare(2 * b, 2, koi8_ru, 2 * b, 2) != 0) differ.push_back(b);
  EXPECT_EQ(differ, (std::vector<unsigned>{0xAE, 0xBE}));
}

// --- the bulk ASCII path against the plain one -----------------------------------

struct Recorder {
  std::vector<std::uint16_t> units;
  void unit(std::uint16_t u) { units.push_back(u); }
  void ascii(const std::uint8_t* p, std::size_t n) { units.insert(units.end(), p, p + n); }
};

// The plain path: one cell per byte, no runs.
std::vector<std::uint16_t> cell_by_cell(int id, const std::uint8_t* in, std::size_t n) {
  const auto& table = *zel::single_byte_tables[id - first_id];
  std::vector<std::uint16_t> units;
  for (std::size_t i = 0; i < n; ++i) units.push_back(table[in[i]]);
  return units;
}

TEST(SingleByteFastPath, AgreesWithCellByCellOnAdversarialInput) {
  std::mt19937 random(20240607);
  // Texts that switch between ASCII runs of every length up to 20, bytes
  // from 0x80 up, and the C0 bytes TCVN gives letters, read from every
  // alignment of a buffer.
  std::vector<std::string> texts;
  for (int t = 0; t < 300; ++t) {
    std::string text;
    while (text.size() < static_cast<std::size_t>(t % 70)) {
      const int kind = static_cast<int>(random() % 3);
      const std::size_t run = random() % 21;
      for (std::size_t k = 0; k < run; ++k) {
        if (kind == 0) text.push_back(static_cast<char>(0x20 + random() % 0x60));
        if (kind == 1) text.push_back(static_cast<char>(0x80 + random() % 0x80));
        if (kind == 2) text.push_back(static_cast<char>(random() % 0x18));
      }
    }
    texts.push_back(text);
  }
  texts.push_back(all_bytes());
  for (int id = first_id; id <= last_id; ++id) {
    for (const std::string& text : texts) {
      for (std::size_t shift = 0; shift < 8; ++shift) {
        std::vector<std::uint8_t> buffer(shift, 0xAA);
        buffer.insert(buffer.end(), text.begin(), text.end());
        const std::uint8_t* in = buffer.data() + shift;
        Recorder fast;
        zel::single_byte_decoder(id, in, text.size(), fast);
        ASSERT_EQ(fast.units, cell_by_cell(id, in, text.size()))
            << "id " << id << ", " << to_hex(text) << " at offset " << shift;
      }
    }
  }
}

TEST(SingleByteFastPath, TakenExactlyWhereBytesBelow0x80DecodeToThemselves) {
  for (int id = first_id; id <= last_id; ++id) {
    const auto& table = *zel::single_byte_tables[id - first_id];
    bool kept = true;
    for (unsigned b = 0; b < 0x80; ++b) kept = kept && table[b] == b;
    EXPECT_EQ(zel::single_byte_ascii_kept[id - first_id], kept) << "id " << id;
    EXPECT_EQ(kept, id != ZEL_CHARSET_TCVN) << "id " << id;
  }
}

TEST(SingleByteFastPath, IdsWithoutATablePassBytesThrough) {
  const std::uint8_t in[] = {0x41, 0x80, 0xFF, 0x00};
  for (int id : {INT_MIN, -1, 0, 20, 56, INT_MAX}) {
    Recorder out;
    zel::single_byte_decoder(id, in, std::size(in), out);
    EXPECT_EQ(out.units, (std::vector<std::uint16_t>{0x41, 0x80, 0xFF, 0x00})) << "id " << id;
  }
}

}  // namespace
