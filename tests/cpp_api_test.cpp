// The C++ layer, built as C++17: each wrapper reaches the right export, and
// streams, pumps and moves keep the bytes of one call.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "zel_code.hpp"

namespace {

using namespace std::string_view_literals;
using one_call = std::string (*)(std::string_view, zel_report*);

std::string utf8_from_gbk(std::string_view s, zel_report* r) {
  return zel_code::to_utf8(ZEL_CHARSET_GB18030, s, r);
}

TEST(CppString, RoundTripAndMove) {
  const std::string text("a\0b\xff", 4);
  zel_code::string s(text);
  EXPECT_EQ(s.view(), text);
  zel_code::string t(std::move(s));
  EXPECT_TRUE(s.empty());
  EXPECT_EQ(t.str(), text);
  s = std::move(t);
  EXPECT_EQ(std::string(std::string_view(s)), text);
  EXPECT_TRUE(t.empty());
}

TEST(CppFunctions, ReachTheirExports) {
  struct Case {
    one_call call;
    std::string_view in, out, why;
  } cases[] = {
      {[](auto s, auto r) { return zel_code::to_ucs2(ZEL_CHARSET_GB18030, s, r); }, "\xD6\xD0",
       "\x2D\x4E", "GBK 中 to UCS-2LE"},
      {utf8_from_gbk, "\xD6\xD0", "\xE4\xB8\xAD", "GBK 中 to UTF-8"},
      {[](auto s, auto r) { return zel_code::to_gbk(ZEL_CHARSET_UTF8, s, r); }, "\xE4\xB8\xAD",
       "\xD6\xD0", "UTF-8 中 to GBK"},
      {[](auto s, auto r) { return zel_code::to_gb18030(ZEL_CHARSET_ISO_8859_1, s, r); }, "\x80",
       "\x81\x30\x81\x30", "U+0080 takes a four-byte code"},
      {zel_code::big5_to_gbk, "\xAD\xCC", "\xC3\xC7", "們 simplified to 们"},
      {zel_code::gbk_to_big5, "\xC3\xC7", "\xAD\xCC", "们 back to 們"},
      {zel_code::decode_references_utf8, "&#20013;", "\xE4\xB8\xAD", "decimal reference"},
      {zel_code::decode_references_gbk, "&#x4E2D&#x80", "\xD6\xD0 ", "U+0080 has no GBK code"},
      {zel_code::decode_references_gb18030, "&#x10000;", "\x90\x30\x81\x30", "beyond U+FFFF"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.call(c.in, nullptr), c.out) << c.why;
  EXPECT_EQ(zel_code::charset_id("gbk"), ZEL_CHARSET_GB18030);
  EXPECT_EQ(zel_code::charset_id("no-such-set"), ZEL_CHARSET_UNKNOWN);
}

TEST(CppFunctions, RefusedIdsThrowTheirCode) {
  for (int id : {int{ZEL_CHARSET_UNKNOWN}, int{ZEL_CHARSET_RESERVED}}) {
    const int code = id ? ZEL_RESULT_RESERVED_CHARSET : ZEL_RESULT_UNKNOWN_CHARSET;
    try {
      zel_code::to_gbk(id, "x");
      ADD_FAILURE() << "to_gbk took id " << id;
    } catch (const zel_code::error& e) {
      EXPECT_EQ(e.code(), code);
    }
    try {
      zel_code::stream st(zel_code::stream_kind::to_utf8, id);
      ADD_FAILURE() << "a stream opened with id " << id;
    } catch (const zel_code::error& e) {
      EXPECT_EQ(e.code(), code);
    }
  }
}

TEST(CppFunctions, ReportOverloadCounts) {
  zel_report r;
  // 한 has no GBK code: a space, counted at its offset.
  EXPECT_EQ(zel_code::to_gbk(ZEL_CHARSET_UTF8, "a\xED\x95\x9C", &r), "a ");
  EXPECT_EQ(r.unmappable, 1);
  EXPECT_EQ(r.first_offset, 1);
}

TEST(CppConvert, OneCallAndStreamCarryCodePoints) {
  using zel_code::unmappable;
  struct Case {
    int from, to;
    unmappable choice;
    std::string_view in, out, why;
  } cases[] = {
      {ZEL_CHARSET_UTF8, ZEL_CHARSET_UTF16LE, unmappable::stop, "a\xF0\x9F\x98\x80",
       "a\0\x3D\xD8\x00\xDE"sv, "U+1F600 as a surrogate pair"},
      {ZEL_CHARSET_GB18030, ZEL_CHARSET_UTF32BE, unmappable::stop, "\x94\x39\xFC\x36",
       "\0\x01\xF6\0"sv, "a four-byte GB18030 code whole"},
      {ZEL_CHARSET_UTF8, ZEL_CHARSET_ISO_8859_1, unmappable::substitute, "a\xE2\x82\xAC\xC3\xA9",
       "a?\xE9", "the byte charsets' substitute"},
      {ZEL_CHARSET_UTF8, ZEL_CHARSET_ISO_8859_1, unmappable::skip, "a\xE2\x82\xAC", "a", "skipped"},
      {ZEL_CHARSET_UTF8, ZEL_CHARSET_BIG5, unmappable::ncr, "\xF0\x9F\x98\x80", "&#128512;",
       "a reference in the target"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(zel_code::convert(c.from, c.to, c.in, c.choice), c.out) << c.why;
    zel_code::stream st(c.from, c.to, c.choice);
    std::string out;
    for (char byte : c.in) st.feed(std::string_view(&byte, 1), false, out);
    st.finish(out);
    EXPECT_EQ(out, c.out) << c.why << ", a byte a feed";
  }
}

TEST(CppConvert, StopThrowsAndPlaces) {
  zel_report r;
  try {
    zel_code::convert(ZEL_CHARSET_UTF8, ZEL_CHARSET_KOI8_R, "ab\xE4\xB8\xAD",
                      zel_code::unmappable::stop, &r);
    ADD_FAILURE() << "KOI8-R took 中";
  } catch (const zel_code::error& e) {
    EXPECT_EQ(e.code(), ZEL_RESULT_UNMAPPABLE);
    EXPECT_EQ(r.first_offset, 2);
  }
  zel_code::stream st(ZEL_CHARSET_UTF8, ZEL_CHARSET_KOI8_R, zel_code::unmappable::stop);
  EXPECT_EQ(st.feed("ab"), "ab");
  EXPECT_THROW(st.feed("\xE4\xB8\xAD"), zel_code::error);
  EXPECT_EQ(st.feed("c", true), "c");
}

// Text with sequences to cut: GBK pairs, a four-byte GB18030 code, a lead
// byte at the end.
constexpr std::string_view gbk_text = "ab\xD6\xD0\xCE\xC4\x81\x30\x81\x30 \xAD\xCC\xD6"sv;

auto counts(const zel_report& r) {
  return std::make_tuple(r.passed, r.dropped, r.replaced, r.first_offset);
}

TEST(CppStream, PiecesEqualOneCall) {
  zel_report whole;
  const std::string expected = utf8_from_gbk(gbk_text, &whole);
  zel_code::stream st(zel_code::stream_kind::to_utf8, ZEL_CHARSET_GB18030, true);
  for (std::size_t size = 1; size <= 5; ++size) {
    std::string out;
    for (std::size_t i = 0; i < gbk_text.size(); i += size)
      st.feed(gbk_text.substr(i, size), false, out);
    st.finish(out);
    EXPECT_EQ(out, expected) << "pieces of " << size;
    EXPECT_EQ(counts(st.report()), counts(whole)) << "pieces of " << size;
  }
}

TEST(CppStream, LongPieceEqualsOneCall) {
  // Longer than one C call takes: the parts meet inside a pair.
  std::string text = "a";
  for (int i = 0; i <= 1 << 23; ++i) text += "\xD6\xD0";
  zel_code::stream st(zel_code::stream_kind::to_utf8, ZEL_CHARSET_GB18030);
  EXPECT_TRUE(st.feed(text, true) == utf8_from_gbk(text, nullptr));
}

TEST(CppStream, IstreamPumpEqualsOneCall) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += gbk_text.substr(0, 13);  // no pair cut by the copies
  for (std::size_t block : {std::size_t{7}, std::size_t{64} << 10}) {
    std::istringstream in(text);
    std::ostringstream out;
    zel_code::stream st(zel_code::stream_kind::to_utf8, ZEL_CHARSET_GB18030);
    zel_code::convert(in, out, st, block);
    EXPECT_EQ(out.str(), utf8_from_gbk(text, nullptr)) << "blocks of " << block;
  }
}

TEST(CppStream, RangePumpEqualsOneCall) {
  const std::vector<std::string_view> pieces{"&#2", "0013", ";&am", "p;&l", "t"};
  zel_code::stream st(zel_code::stream_kind::references_utf8);
  std::string appended, sunk;
  zel_code::convert(pieces, st, appended);
  zel_code::convert(pieces, st, [&sunk](std::string_view v) { sunk += v; });
  EXPECT_EQ(appended, zel_code::decode_references_utf8("&#20013;&amp;&lt"));
  EXPECT_EQ(sunk, appended);
}

TEST(CppStream, MoveCarriesHeldBytes) {
  zel_code::stream a(zel_code::stream_kind::to_utf8, ZEL_CHARSET_GB18030);
  EXPECT_EQ(a.feed("\xD6"), "");
  zel_code::stream b(std::move(a));
  zel_code::stream c(zel_code::stream_kind::to_gbk, ZEL_CHARSET_UTF8);
  c = std::move(b);
  EXPECT_EQ(c.feed("\xD0", true), "\xE4\xB8\xAD");
  EXPECT_THROW(a.feed("x"), zel_code::error);
}

}  // namespace
