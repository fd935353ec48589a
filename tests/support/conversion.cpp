#include "tests/support/conversion.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>

#include "src/string/string_ops.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZEL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEL_TEST_ASAN 1
#endif
#endif
#ifdef ZEL_TEST_ASAN
#include <sanitizer/asan_interface.h>
#endif
#include <stdexcept>

namespace zel_test {

std::string from_hex(const std::string& hex) {
  std::string out;
  int high = -1;
  for (char c : hex) {
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else if (c == ' ')
      continue;
    else
      throw std::invalid_argument("bad hex: " + hex);
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<char>(high << 4 | v));
      high = -1;
    }
  }
  if (high >= 0) throw std::invalid_argument("odd hex: " + hex);
  return out;
}

std::string to_hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out.push_back(' ');
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
  }
  return out;
}

char byte_after_content(const zel_string& s) {
  char* at = s.data + (s.length > 0 ? s.length : 0);
#ifdef ZEL_TEST_ASAN
  if (__asan_address_is_poisoned(at)) {
    __asan_unpoison_memory_region(at, 1);
    char c = *at;
    __asan_poison_memory_region(at, 1);
    return c;
  }
#endif
  return *at;
}

namespace {

// Runs `call` on a zel_string holding a copy of `in` and returns what the
// string holds after it.
template <class Call>
std::string on_string(const std::string& in, Call call) {
  // In test-mode builds every buffer a call allocates is freed by its end.
  const long alive = zel::string_buffers_alive();
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  call(&s);
  std::string out(s.data, static_cast<std::size_t>(s.length > 0 ? s.length : 0));
  EXPECT_EQ(byte_after_content(s), '\0') << "content must stay NUL-terminated";
  zel_string_free(&s);
  EXPECT_EQ(zel::string_buffers_alive(), alive) << "string buffers left allocated";
  return out;
}

}  // namespace

std::string convert(convert_fn fn, int id, const std::string& in, int* result) {
  return on_string(in, [&](zel_string* s) {
    const int r = fn(id, s);
    if (result) *result = r;
  });
}

std::string run_in_place(string_fn fn, const std::string& in) {
  return on_string(in, [&](zel_string* s) { fn(s); });
}

std::string convert_general(int from, int to, const std::string& in, int unmappable, int* result) {
  return on_string(in, [&](zel_string* s) {
    const int r = zel_convert(from, to, unmappable, s, nullptr);
    if (result) *result = r;
  });
}

std::string utf8_of_pivot(const std::string& pivot) {
  std::string out;
  for (std::size_t i = 0; i + 1 < pivot.size(); i += 2) {
    unsigned lo = static_cast<unsigned char>(pivot[i]);
    unsigned hi = static_cast<unsigned char>(pivot[i + 1]);
    unsigned u = lo | hi << 8;
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | u >> 6));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | u >> 12));
      out.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

std::string unit_bytes(std::uint16_t unit) {
  return std::string{static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
}

std::string repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

namespace {

// Ids 2..55 but 4 have a decoder; the others' bytes are read as pivot text.
bool has_decoder(int id) { return id >= 2 && id <= 55 && id != 4; }

// A character that decodes alone to itself: its bytes in an id's encoding,
// and its pivot text.
struct Prefix {
  std::string bytes;
  std::string pivot;
};

// The letter 'a' in the id's encoding, a line feed where letters pair up, or
// nothing where a prefix would change the meaning of what follows (UTF-16
// with a byte-order mark).
Prefix letter_in(int id) {
  const std::string a("a\0", 2);
  switch (id) {
    case 9:
      return {};
    // 7-bit KS X 1001 pairs every letter with the next byte; a line feed
    // passes through alone.
    case 13:
      return {"\n", std::string("\n\0", 2)};
    case 10:
      return {std::string("\0a", 2), a};
    case 11:
      return {a, a};
    default:
      return {has_decoder(id) ? "a" : a, a};
  }
}

void check_once(const Case& c, const std::string& in, const std::string& pivot) {
  int result = -1;
  std::string got = convert(zel_code_unicode, c.id, in, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(to_hex(got), to_hex(pivot)) << "to UCS-2, " << in.size() << " input bytes";
  std::string utf8 = c.id == ZEL_CHARSET_UTF8 ? in : utf8_of_pivot(pivot);
  got = convert(zel_code_utf8, c.id, in, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(to_hex(got), to_hex(utf8)) << "to UTF-8, " << in.size() << " input bytes";
}

}  // namespace

void check_case(const Case& c) {
  SCOPED_TRACE(std::string("id ") + std::to_string(c.id) + ", " + c.in_hex + ": " + c.why);
  const std::string in = from_hex(c.in_hex);
  const std::string out = from_hex(c.out_hex);
  check_once(c, in, out);

  const Prefix letter = letter_in(c.id);
  if (!letter.bytes.empty()) {
    for (int k = 1; k <= 16; ++k)
      check_once(c, repeat(letter.bytes, k) + in, repeat(letter.pivot, k) + out);
  }
  if (!c.cut_tail && c.id != ZEL_CHARSET_UTF16) {
    for (int times : {2, 1000}) check_once(c, repeat(in, times), repeat(out, times));
  }
}

void check_cases(std::span<const Case> cases) {
  for (const Case& c : cases) check_case(c);
}

void check_in_place(string_fn fn, const std::string& in, const std::string& out, bool cut_tail) {
  EXPECT_EQ(to_hex(run_in_place(fn, in)), to_hex(out));
  for (int k = 1; k <= 16; ++k) {
    const std::string letters(static_cast<std::size_t>(k), 'a');
    EXPECT_EQ(to_hex(run_in_place(fn, letters + in)), to_hex(letters + out))
        << k << " letters before";
  }
  if (!cut_tail) {
    for (int times : {2, 1000})
      EXPECT_EQ(run_in_place(fn, repeat(in, times)), repeat(out, times)) << times << " times";
  }
}

void check_empty_input(int id) {
  for (convert_fn fn : {zel_code_unicode, zel_code_utf8, zel_code_gbk, zel_code_gb18030}) {
    int result = -1;
    EXPECT_EQ(convert(fn, id, "", &result), "") << "id " << id;
    EXPECT_EQ(result, 0) << "id " << id;
  }
}

void check_targets_agree(int id, const std::string& in) {
  const std::string pivot = convert(zel_code_unicode, id, in);
  ASSERT_EQ(pivot.size() % 2, 0u) << "id " << id;
  EXPECT_LE(pivot.size(), 2 * in.size()) << "id " << id << ": at most one unit a byte";
  EXPECT_TRUE(convert(zel_code_utf8, id, in) == utf8_of_pivot(pivot))
      << "id " << id << ": UTF-8 differs from the pivot text's";
  for (convert_fn fn : {zel_code_gbk, zel_code_gb18030}) {
    EXPECT_TRUE(convert(fn, id, in) == convert(fn, ZEL_CHARSET_UCS2LE, pivot))
        << "id " << id << ": decoding straight into " << (fn == zel_code_gbk ? "GBK" : "GB18030")
        << " differs from going through the pivot";
  }
}

std::string random_bytes(std::mt19937& rng, std::size_t n, std::string_view from) {
  std::string out(n, '\0');
  for (char& b : out) b = from.empty() ? static_cast<char>(rng() % 256) : from[rng() % from.size()];
  return out;
}

}  // namespace zel_test

#ifndef ZEL_TEST_DATA_DIR
#define ZEL_TEST_DATA_DIR "tests/data"
#endif

namespace zel_test {

std::vector<GoldenLine> read_golden(const std::string& name) {
  const std::string path = std::string(ZEL_TEST_DATA_DIR) + "/" + name;
  std::ifstream file(path);
  std::vector<GoldenLine> lines;
  if (!file) {
    ADD_FAILURE() << "cannot open " << path << " (written by tools/testdata/regenerate.sh)";
    return lines;
  }
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      ADD_FAILURE() << path << ": no tab in " << line;
      continue;
    }
    lines.push_back({from_hex(line.substr(0, tab)), from_hex(line.substr(tab + 1))});
  }
  return lines;
}

std::string all_units() {
  std::string pivot;
  for (unsigned u = 0; u <= 0xFFFF; ++u) pivot += unit_bytes(static_cast<std::uint16_t>(u));
  return pivot;
}

std::string all_bytes() {
  std::string bytes;
  for (unsigned b = 0; b <= 0xFF; ++b) bytes.push_back(static_cast<char>(b));
  return bytes;
}

}  // namespace zel_test
