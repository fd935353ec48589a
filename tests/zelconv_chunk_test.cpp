// zelconv's streaming: converting a stream piece by piece, cut where the
// cutting rules allow, gives exactly what one call over the whole stream
// gives, output and degradation report, for every charset id and target, the
// reference decoders and the Big5/GBK transcoders; and the rules do cut, and
// do matter.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "cli/charsets.h"
#include "cli/chunking.h"
#include "cli/plan.h"
#include "tests/support/conversion.h"
#include "zel_code.h"

namespace {

using zelconv::chunked_stage;
using zelconv::piece_status;
using zelconv::split_rule;
using zelconv::step;

// Byte strings that make cuts interesting: sequence leads and trails of
// every family, single shifts, surrogate halves, escapes and shifts, the
// bytes the rules call fresh, references and their pieces; and sequences
// that give one U+FFFD or pass through together: four-byte UTF-8, UTF-16
// surrogate pairs (big- and little-endian) and an unpaired surrogate,
// GB18030 beyond U+FFFF, a transcoder pair led by 0x81..0xA0.
const std::vector<std::string>& tokens() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> t;
    for (int b : {0x00, 0x0A, 0x20, 0x2F, 0x30, 0x39, 0x3A, 0x3F, 0x40, 0x7E, 0x7F, 0x80, 0x81,
                  0x84, 0x8E, 0x8F, 0x90, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xB0, 0xC0, 0xC3, 0xD8,
                  0xDB, 0xDC, 0xDF, 0xE0, 0xE4, 0xEF, 0xF0, 0xFE, 0xFF, 0x1B, 0x0E, 0x0F})
      t.emplace_back(1, static_cast<char>(b));
    for (const char* s : {"$",
                          ")",
                          "(",
                          "*",
                          "A",
                          "B",
                          "C",
                          "G",
                          "H",
                          "J",
                          "N",
                          "@",
                          "D",
                          "&",
                          "#",
                          "x",
                          ";",
                          "0",
                          "a",
                          "\x1b$)A\x0e",
                          "\x1b$)C\x0e",
                          "\x1b$B",
                          "\x1b(B",
                          "\x1b$)G\x0e",
                          "\x1b$*H\x1bN",
                          "&amp;",
                          "&#20013;",
                          "&#x4E2D;",
                          "&#x0x41",
                          "&lt",
                          "&eacute;",
                          "&#",
                          "\x8e\xa1",
                          "\x8e\xa2\xa1",
                          "\xfe\xff",
                          "\xff\xfe",
                          "\xef\xbb\xbf",
                          "\x81\x30\x81\x30",
                          "\x81\x39\xee\x39",
                          "\x84\x31\xa4\x39",
                          "\x82\x35",
                          "\xf0\x9f\x98\x80",
                          "\xd8\x3d\xde\x00",
                          "\x3d\xd8\x00\xde",
                          "\xdb\xff\x00\x41",
                          "\x90\x30\x81\x30",
                          "\x95\x40"})
      t.emplace_back(s);
    return t;
  }();
  return all;
}

// Random text: tokens and random bytes, sometimes behind a byte-order mark.
std::string random_text(std::mt19937& rng, std::size_t max_len) {
  std::string s;
  std::uniform_int_distribution<int> pick(0, 3);
  std::uniform_int_distribution<std::size_t> token(0, tokens().size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  const std::size_t len = std::uniform_int_distribution<std::size_t>(0, max_len)(rng);
  if (pick(rng) == 0) s += pick(rng) < 2 ? "\xfe\xff" : "\xff\xfe";
  while (s.size() < len) {
    if (pick(rng) == 0)
      s += static_cast<char>(byte(rng));
    else
      s += tokens()[token(rng)];
  }
  return s;
}

struct result {
  std::string out;
  zel_report report = zelconv::empty_report();
};

// The step's call over the whole input at once.
result whole(const step& s, const std::string& in) {
  zel_string z;
  zel_string_init(&z);
  zel_string_assign(&z, in.data(), static_cast<std::int32_t>(in.size()));
  result r;
  if (s.convert)
    s.convert(s.id, &z, &r.report);
  else
    s.rewrite(&z, &r.report);
  if (z.length > 0) r.out.assign(z.data, static_cast<std::size_t>(z.length));
  zel_string_free(&z);
  return r;
}

std::string show(const zel_report& r) {
  return "passed " + std::to_string(r.passed) + ", dropped " + std::to_string(r.dropped) +
         ", replaced " + std::to_string(r.replaced) + ", unmappable " +
         std::to_string(r.unmappable) + ", malformed " + std::to_string(r.malformed) +
         ", first at " + std::to_string(r.first_offset) + ", truncated " +
         std::to_string(r.truncated) + " at " + std::to_string(r.truncated_at);
}

struct piecewise : result {
  std::size_t calls = 0;
  piece_status status = piece_status::ok;
};

// The input pushed in random slices of 1 to 2 * block bytes.
piecewise in_pieces(const step& s, const split_rule& rule, std::size_t block, const std::string& in,
                    std::mt19937& rng) {
  piecewise r;
  chunked_stage stage(s, rule, block, [&r](const std::uint8_t* p, std::size_t n) {
    r.out.append(reinterpret_cast<const char*>(p), n);
    return true;
  });
  std::uniform_int_distribution<std::size_t> slice(1, 2 * block);
  for (std::size_t at = 0; at < in.size() && r.status == piece_status::ok;) {
    const std::size_t n = std::min(slice(rng), in.size() - at);
    r.status = stage.push(reinterpret_cast<const std::uint8_t*>(in.data() + at), n);
    at += n;
  }
  if (r.status == piece_status::ok) r.status = stage.finish();
  r.calls = stage.calls();
  r.report = stage.report();
  return r;
}

// Pieces and one call agree on output and report.
void expect_same(const piecewise& got, const result& want, const std::string& what) {
  ASSERT_EQ(got.status, piece_status::ok) << what;
  ASSERT_EQ(zel_test::to_hex(got.out), zel_test::to_hex(want.out)) << what;
  ASSERT_EQ(show(got.report), show(want.report)) << what;
}

struct target_case {
  const char* name;
  zelconv::convert_fn fn;
  std::size_t unit_bytes;
};

constexpr target_case targets[] = {
    {"UCS-2LE", zel_code_unicode_report, 2},
    {"UTF-8", zel_code_utf8_report, 3},
    {"GBK", zel_code_gbk_report, 2},
    {"GB18030", zel_code_gb18030_report, 4},
};

constexpr std::size_t blocks[] = {1, 2, 3, 5, 8, 31};

// Every id the library may be handed: refused, pivot, decoders, none.
constexpr int first_id = -1;
constexpr int last_id = ZEL_CHARSET_RESERVED + 1;

// Calls that show a rule cutting: inputs average 80 bytes, so small blocks
// give several pieces each, and even the largest more than one.
std::size_t enough_cuts(std::size_t inputs, std::size_t block) {
  return block <= 8 ? 2 * inputs : inputs;
}

// Ids whose text is converted whole, in one call.
bool kept_whole(int id) {
  return id == ZEL_CHARSET_ISO_2022_CN || id == ZEL_CHARSET_ISO_2022_JP ||
         id == ZEL_CHARSET_ISO_2022_KR;
}

TEST(ChunkedConversion, EqualsWholeForEveryIdTargetAndBlockSize) {
  std::mt19937 rng(20240611);
  for (int id = first_id; id <= last_id; ++id) {
    for (const target_case& t : targets) {
      const step s = zelconv::conversion_step(t.fn, id, t.unit_bytes);
      for (std::size_t block : blocks) {
        std::size_t calls = 0, inputs = 0;
        for (int round = 0; round < 100; ++round) {
          const std::string in = random_text(rng, 160);
          const piecewise got = in_pieces(s, zelconv::charset_rule(id), block, in, rng);
          ASSERT_NO_FATAL_FAILURE(expect_same(got, whole(s, in),
                                              "id " + std::to_string(id) + " to " + t.name +
                                                  ", block " + std::to_string(block) + ", input " +
                                                  zel_test::to_hex(in)));
          calls += got.calls;
          inputs += in.empty() ? 0 : 1;
        }
        // The rules must cut, or streaming would hold whole files.
        if (kept_whole(id)) {
          EXPECT_EQ(calls, inputs) << "id " << id << " must be converted whole";
        } else {
          EXPECT_GT(calls, enough_cuts(inputs, block))
              << "id " << id << " to " << t.name << ", block " << block << ": too few cuts";
        }
      }
    }
  }
}

// Cutting without the rules changes the result for every charset whose
// sequences span bytes: the inputs above are sharp enough to notice a cut
// in the wrong place.
TEST(ChunkedConversion, CuttingAnywhereWouldBeWrong) {
  const split_rule anywhere = [] {
    split_rule r;
    r.kind = zelconv::split_kind::anywhere;
    return r;
  }();
  for (int id = ZEL_CHARSET_UCS2LE; id <= ZEL_CHARSET_EUC_KR; ++id) {
    if (id == ZEL_CHARSET_UCS2LE || id == ZEL_CHARSET_JIS_X0201) continue;  // no decoding
    // The stage picks UTF-16's rule from the byte-order mark itself; ids 10
    // and 11 show that order matters.
    if (id == ZEL_CHARSET_UTF16) continue;
    std::mt19937 rng(7 + id);
    const step s = zelconv::conversion_step(zel_code_unicode_report, id, 2);
    bool differs = false;
    for (int round = 0; round < 400 && !differs; ++round) {
      const std::string in = random_text(rng, 64);
      differs = in_pieces(s, anywhere, 1, in, rng).out != whole(s, in).out;
    }
    EXPECT_TRUE(differs) << "id " << id << ": cutting between any two bytes never mattered";
  }
}

struct rewrite_case {
  const char* name;
  zelconv::rewrite_fn fn;
  split_rule (*rule)();
  std::size_t grows_to;
};

const rewrite_case rewrites[] = {
    {"references in UTF-8", zel_decode_utf8_report, zelconv::reference_rule, 3},
    {"references in GBK", zel_decode_gbk_report, zelconv::reference_rule, 3},
    {"references in GB18030", zel_decode_gb18030_report, zelconv::reference_rule, 4},
    {"Big5 to GBK", zel_code_big5_gbk_report, zelconv::big5_to_gbk_rule, 3},
    {"GBK to Big5", zel_code_gbk_big5_report, zelconv::gbk_to_big5_rule, 3},
};

TEST(ChunkedRewrite, EqualsWholeForEveryRewriteAndBlockSize) {
  std::mt19937 rng(99);
  for (const rewrite_case& c : rewrites) {
    const step s = zelconv::rewrite_step(c.fn, c.grows_to, 3);
    for (std::size_t block : blocks) {
      std::size_t calls = 0, inputs = 0;
      for (int round = 0; round < 400; ++round) {
        const std::string in = random_text(rng, 160);
        const piecewise got = in_pieces(s, c.rule(), block, in, rng);
        ASSERT_NO_FATAL_FAILURE(expect_same(got, whole(s, in),
                                            std::string(c.name) + ", block " +
                                                std::to_string(block) + ", input " +
                                                zel_test::to_hex(in)));
        calls += got.calls;
        inputs += in.empty() ? 0 : 1;
      }
      EXPECT_GT(calls, enough_cuts(inputs, block))
          << c.name << ", block " << block << ": too few cuts";
    }
  }
}

// A conversion followed by reference decoding, as -t with -E runs it: each
// stage cuts by its own rule.
TEST(ChunkedPipeline, ConversionThenReferencesEqualsWhole) {
  struct pipeline_case {
    const char* from;
    const char* to;
  };
  const pipeline_case cases[] = {
      {"gbk", "utf-8"},    {"utf-8", "gb18030"}, {"big5", "gbk"},          {"utf-16", "utf-8"},
      {"euc-jp", "utf-8"}, {"#18", "gb18030"},   {"iso-2022-jp", "utf-8"}, {"koi8-r", "gbk"},
  };
  std::mt19937 rng(5);
  for (const pipeline_case& c : cases) {
    zelconv::options o;
    o.from = c.from;
    o.to = c.to;
    o.entities = true;
    zelconv::plan p;
    ASSERT_EQ(zelconv::make_plan(o, p), 0) << c.from << " to " << c.to;
    for (std::size_t block : blocks) {
      for (int round = 0; round < 40; ++round) {
        const std::string in = random_text(rng, 160);
        std::string out;
        zelconv::pipeline stages(p, p.from.id, block, [&out](const std::uint8_t* d, std::size_t n) {
          out.append(reinterpret_cast<const char*>(d), n);
          return true;
        });
        std::uniform_int_distribution<std::size_t> slice(1, 2 * block);
        for (std::size_t at = 0; at < in.size();) {
          const std::size_t n = std::min(slice(rng), in.size() - at);
          ASSERT_EQ(stages.push(reinterpret_cast<const std::uint8_t*>(in.data() + at), n),
                    piece_status::ok);
          at += n;
        }
        ASSERT_EQ(stages.finish(), piece_status::ok);
        const result converted = whole(zelconv::conversion_step(p.to->convert, p.from.id, 1), in);
        const result decoded = whole(*p.rewrite, converted.out);
        // Counts of both stages add up; offsets are the conversion's first.
        zel_report both = converted.report;
        zelconv::add_report(both, decoded.report, 0);
        const std::string what = std::string(c.from) + " to " + c.to + ", block " +
                                 std::to_string(block) + ", input " + zel_test::to_hex(in);
        ASSERT_EQ(zel_test::to_hex(out), zel_test::to_hex(decoded.out)) << what;
        ASSERT_EQ(show(stages.losses().report), show(both)) << what;
      }
    }
  }
}

// Text with no safe cut is held whole; past what one call may take it is
// refused, never converted in a wrong place. The limit is lowered here so
// that a few bytes reach it.
TEST(ChunkedConversion, TextWithoutCutsPastOneCallIsRefused) {
  struct case_t {
    int id;
    const char* text;
    piece_status status;
    const char* why;
  };
  const case_t cases[] = {
      {ZEL_CHARSET_ISO_2022_JP, "abcdefghijklmnopq", piece_status::too_large,
       "ISO-2022-JP keeps its state: 17 bytes in one call"},
      {ZEL_CHARSET_ISO_2022_JP, "abcdefghijklmnop", piece_status::ok, "16 bytes fit one call"},
      {ZEL_CHARSET_BIG5, "\xa4\xa1\xa4\xa1\xa4\xa1\xa4\xa1\xa4\xa1\xa4\xa1\xa4\xa1\xa4\xa1\xa4",
       piece_status::too_large, "Big5 pairs with trails from 0x80 up, any of which may lead"},
      {ZEL_CHARSET_BIG5, "\xa4\xa1\xa4\xa1\xa4\xa1\xa4\xa1\xa4\x40\xa4\xa1\xa4\xa1\xa4\xa1\xa4",
       piece_status::ok, "a trail below 0x80 ends its pair wherever it stands"},
      {ZEL_CHARSET_UTF8, "\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8\xad\xe4\xb8",
       piece_status::ok, "after three bytes of a three-byte sequence"},
      {ZEL_CHARSET_UTF8, "\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4\xe4",
       piece_status::too_large, "every byte leads a sequence that may reach past a cut"},
  };
  for (const case_t& c : cases) {
    step s = zelconv::conversion_step(zel_code_utf8_report, c.id, 3);
    s.longest = 16;
    std::string out;
    chunked_stage stage(s, zelconv::charset_rule(c.id), 4,
                        [&out](const std::uint8_t* p, std::size_t n) {
                          out.append(reinterpret_cast<const char*>(p), n);
                          return true;
                        });
    const std::string in = c.text;
    piece_status status = piece_status::ok;
    for (std::size_t at = 0; at < in.size() && status == piece_status::ok; at += 4)
      status = stage.push(reinterpret_cast<const std::uint8_t*>(in.data() + at),
                          std::min<std::size_t>(4, in.size() - at));
    if (status == piece_status::ok) status = stage.finish();
    EXPECT_EQ(status, c.status) << c.why;
    if (status == piece_status::ok) {
      EXPECT_EQ(zel_test::to_hex(out), zel_test::to_hex(whole(s, in).out)) << c.why;
    }
  }
}

// A write that fails stops the stage and is reported as such.
TEST(ChunkedConversion, FailedWriteIsReported) {
  const step s = zelconv::conversion_step(zel_code_utf8_report, ZEL_CHARSET_KOI8_R, 3);
  std::size_t writes = 0;
  chunked_stage stage(s, zelconv::charset_rule(ZEL_CHARSET_KOI8_R), 2,
                      [&writes](const std::uint8_t*, std::size_t) {
                        ++writes;
                        return false;
                      });
  const std::string in = "\xc1\xc2\xc3\xc4";
  EXPECT_EQ(stage.push(reinterpret_cast<const std::uint8_t*>(in.data()), in.size()),
            piece_status::write_failed);
  EXPECT_EQ(writes, 1u);
}

}  // namespace
