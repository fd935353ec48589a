// Outputs at the 32-bit length limit. A zel_string holds at most 0x7FFFFFFE
// content bytes; a conversion whose output would pass that keeps the whole
// characters that fit and drops the rest, never wrapping the length or
// writing past its buffer. Slow and memory-hungry (about 6 GiB): CTest runs it
// under the label "slow", and not on 32-bit builds, where no input this large
// can exist.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "zel_code.h"

namespace {

constexpr std::int32_t limit = 0x7FFFFFFE;

struct Case {
  const char* what;
  int(ZEL_CALL* convert)(int, zel_string*);
  int id;
  unsigned char byte;      // the input, repeated
  std::size_t unit_bytes;  // what each input byte becomes
  const char* unit;        // ... and its bytes
  // When set, the conversion goes through this report export instead, which
  // must flag the cut and place it at the first input byte left out.
  int(ZEL_CALL* counted)(int, zel_string*, zel_report*) = nullptr;
};

TEST(OutputLimit, KeepsWholeCharactersUpToTheLimit) {
  if (sizeof(void*) < 8) GTEST_SKIP() << "needs a 64-bit address space";
  const Case cases[] = {
      {"Latin-1 to UTF-8", zel_code_utf8, ZEL_CHARSET_ISO_8859_1, 0xE9, 2, "\xC3\xA9"},
      {"Latin-1 to GB18030", zel_code_gb18030, ZEL_CHARSET_ISO_8859_1, 0x80, 4, "\x81\x30\x81\x30",
       zel_code_gb18030_report},
      {"UTF-8 to UCS-2", zel_code_unicode, ZEL_CHARSET_UTF8, 'a', 2, "a\0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Enough input for one unit more than fits.
    const std::size_t n = limit / c.unit_bytes + 1;
    zel_string s;
    zel_string_init(&s);
    zel_string_reserve(&s, static_cast<std::int32_t>(n));
    std::memset(s.data, c.byte, n);
    zel_string_set_length(&s, static_cast<std::int32_t>(n));
    zel_report r{};
    ASSERT_EQ(c.counted ? c.counted(c.id, &s, &r) : c.convert(c.id, &s), 0);
    const std::size_t kept = limit / c.unit_bytes * c.unit_bytes;
    if (c.counted) {
      EXPECT_EQ(r.truncated, 1);
      EXPECT_EQ(r.truncated_at, static_cast<std::int64_t>(kept / c.unit_bytes));
    }
    ASSERT_EQ(static_cast<std::size_t>(s.length), kept);
    EXPECT_EQ(std::memcmp(s.data, c.unit, c.unit_bytes), 0);
    EXPECT_EQ(std::memcmp(s.data + kept - c.unit_bytes, c.unit, c.unit_bytes), 0);
    zel_string_free(&s);
  }
}

}  // namespace
