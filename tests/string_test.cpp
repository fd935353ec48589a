// The byte-string operations the converters rely on.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/conversion.h"
#include "zel_std.h"

namespace {

std::string content(const zel_string& s) {
  return s.length > 0 ? std::string(s.data, static_cast<std::size_t>(s.length)) : std::string();
}

struct Str {
  zel_string s;
  Str() { zel_string_init(&s); }
  explicit Str(const std::string& text) : Str() {
    zel_string_assign(&s, text.data(), static_cast<std::int32_t>(text.size()));
  }
  ~Str() { zel_string_free(&s); }
};

TEST(ByteString, EveryOperationIsSafeOnAnEmptyString) {
  Str e;
  EXPECT_NE(e.s.data, nullptr);
  EXPECT_EQ(e.s.data[0], '\0');
  EXPECT_TRUE(zel_string_is_empty(&e.s));
  zel_string_prepare(&e.s);
  zel_string_upper(&e.s);
  zel_string_replace_char(&e.s, '-', '_');
  zel_string_set_length(&e.s, 5);  // beyond any reservation: stays empty
  EXPECT_EQ(e.s.length, 0);
  zel_string_assign(&e.s, nullptr, 3);
  zel_string_append(&e.s, nullptr, 1);
  zel_string_store(&e.s, "x", 0);
  EXPECT_TRUE(zel_string_is_empty(&e.s));
  EXPECT_EQ(e.s.data[0], '\0');
  zel_string_free(&e.s);
  zel_string_free(&e.s);  // freeing twice is harmless
  EXPECT_TRUE(zel_string_is_empty(nullptr));
}

TEST(ByteString, ContentIsAlwaysFollowedByNul) {
  Str raw(std::string("ab\0c", 4));
  EXPECT_EQ(content(raw.s), std::string("ab\0c", 4));
  EXPECT_EQ(zel_test::byte_after_content(raw.s), '\0');
  zel_string_reserve(&raw.s, 100);
  EXPECT_EQ(content(raw.s), std::string("ab\0c", 4)) << "reserve keeps the content";
  zel_string_set_length(&raw.s, 0);
  EXPECT_EQ(zel_test::byte_after_content(raw.s), '\0');
}

TEST(ByteString, AppendsPastAReservationGrow) {
  Str s;
  zel_string_reserve(&s.s, 2);
  zel_string_set_length(&s.s, 0);
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    char c = static_cast<char>(i * 7);
    zel_string_append(&s.s, &c, 1);
    expected.push_back(c);
    ASSERT_EQ(zel_test::byte_after_content(s.s), '\0');
  }
  EXPECT_EQ(content(s.s), expected);
}

TEST(ByteString, AssignAndAppendMayReadTheirOwnContent) {
  Str s("hello world");
  zel_string_assign(&s.s, s.s.data + 6, 5);
  EXPECT_EQ(content(s.s), "world");
  for (int i = 0; i < 8; ++i) zel_string_append(&s.s, s.s.data, s.s.length);
  EXPECT_EQ(s.s.length, 5 * 256);
  EXPECT_EQ(content(s.s).substr(1275), "world");
}

TEST(ByteString, UpperAndReplaceTouchOnlyTheirBytes) {
  Str s("utf-8 \xC3\xA9-z{`@");
  zel_string_upper(&s.s);
  zel_string_replace_char(&s.s, '-', '_');
  EXPECT_EQ(content(s.s), "UTF_8 \xC3\xA9_Z{`@");
}

TEST(ByteString, PrepareKeepsTheNameAndMendsNegativeLengths) {
  Str s("utf-8");
  zel_string_prepare(&s.s);
  EXPECT_EQ(content(s.s), "utf-8");
  s.s.length = -3;
  zel_string_prepare(&s.s);
  EXPECT_EQ(s.s.length, 0);
  EXPECT_EQ(zel_test::byte_after_content(s.s), '\0');
}

TEST(ByteString, CompareIsExactUnlessLimited) {
  struct Case {
    std::string slice;
    const char* literal;
    int limit;
    bool equal;
  };
  const Case cases[] = {
      {"amp", "amp", -1, true},
      {"amp", "amp;", -1, false},
      {"amps", "amp", -1, false},
      {"Amp", "amp", -1, false},
      {"", "", -1, true},
      {"ampx", "ampy", 3, true},
      {"am", "amp", 2, true},
      {"am", "amp", 3, false},
      {std::string("a\0", 2), "a", -1, false},
      {"", "a", 0, true},
  };
  for (const Case& c : cases) {
    zel_slice slice{c.slice.data(), static_cast<std::int32_t>(c.slice.size())};
    EXPECT_EQ(zel_string_compare(&slice, c.literal, c.limit) == 0, c.equal)
        << c.slice << " vs " << c.literal << " limit " << c.limit;
  }
}

}  // namespace
