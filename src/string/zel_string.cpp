// The byte-string operations. A string either owns a heap buffer of
// `reserved` bytes plus one for the NUL that always follows the content, or
// (reserved == 0) points at a shared empty literal, so that every operation is
// safe on a fresh or freed string and no allocation happens until bytes
// arrive.
#include <cstdlib>
#include <cstring>

#include "src/string/string_ops.h"
#include "zel_std.h"

namespace zel {
namespace {

char empty_content[1] = {0};

bool owns_buffer(const zel_string* s) { return s->reserved != 0; }

// Grows the buffer to hold at least `need` content bytes, keeping the content.
// Returns false when `need` is beyond what the record's length can express.
bool ensure_capacity(zel_string* s, std::size_t need) {
  if (need <= s->reserved) return true;
  if (need > max_string_length) return false;
  std::size_t grown = std::size_t{s->reserved} + s->reserved / 2;
  std::size_t cap = need > grown ? need : grown;
  if (cap > max_string_length) cap = max_string_length;
  std::size_t keep = string_size(s);
  char* buf = static_cast<char*>(std::malloc(cap + 1));
  if (!buf) std::abort();  // no caller can act on a failed allocation
  if (keep) std::memcpy(buf, s->data, keep);
  buf[keep] = 0;
  if (owns_buffer(s)) std::free(s->data);
  s->data = buf;
  s->reserved = static_cast<std::uint32_t>(cap);
  return true;
}

void set_content(zel_string* s, const char* data, std::int32_t n) {
  if (!s) return;
  std::size_t len = n > 0 && data ? static_cast<std::size_t>(n) : 0;
  if (len && !ensure_capacity(s, len)) return;
  if (!owns_buffer(s)) {
    s->data = empty_content;
    s->length = 0;
    return;
  }
  std::memmove(s->data, data, len);  // data may lie inside s itself
  s->data[len] = 0;
  s->length = static_cast<std::int32_t>(len);
}

}  // namespace

char* reserve_bytes(zel_string* s, std::size_t n) {
  if (!ensure_capacity(s, n)) return nullptr;
  return owns_buffer(s) ? s->data : nullptr;
}

}  // namespace zel

using zel::string_size;

extern "C" {

ZEL_API void ZEL_CALL zel_string_init(zel_string* s) noexcept {
  if (!s) return;
  s->data = zel::empty_content;
  s->length = 0;
  s->reserved = 0;
}

ZEL_API void ZEL_CALL zel_string_free(zel_string* s) noexcept {
  if (!s) return;
  if (zel::owns_buffer(s)) std::free(s->data);
  zel_string_init(s);
}

ZEL_API void ZEL_CALL zel_string_reserve(zel_string* s, std::int32_t n) noexcept {
  if (s && n > 0) zel::ensure_capacity(s, static_cast<std::size_t>(n));
}

ZEL_API void ZEL_CALL zel_string_set_length(zel_string* s, std::int32_t n) noexcept {
  if (!s) return;
  std::size_t len = n > 0 ? static_cast<std::size_t>(n) : 0;
  if (len > s->reserved) len = s->reserved;
  if (zel::owns_buffer(s)) s->data[len] = 0;
  s->length = static_cast<std::int32_t>(len);
}

ZEL_API void ZEL_CALL zel_string_assign(zel_string* s, const char* data, std::int32_t n) noexcept {
  zel::set_content(s, data, n);
}

ZEL_API void ZEL_CALL zel_string_store(zel_string* s, const char* data, std::int32_t n) noexcept {
  zel::set_content(s, data, n);
}

ZEL_API void ZEL_CALL zel_string_append(zel_string* s, const char* data, std::int32_t n) noexcept {
  if (!s || !data || n <= 0) return;
  std::size_t len = string_size(s);
  std::size_t add = static_cast<std::size_t>(n);
  // Appending part of the string to itself: remember the offset, the buffer may move.
  bool inside = zel::owns_buffer(s) && data >= s->data && data < s->data + len;
  std::size_t offset = inside ? static_cast<std::size_t>(data - s->data) : 0;
  if (!zel::ensure_capacity(s, len + add)) return;
  std::memmove(s->data + len, inside ? s->data + offset : data, add);
  s->data[len + add] = 0;
  s->length = static_cast<std::int32_t>(len + add);
}

ZEL_API int ZEL_CALL zel_string_is_empty(const zel_string* s) noexcept { return string_size(s) == 0; }

ZEL_API void ZEL_CALL zel_string_prepare(zel_string* s) noexcept {
  // Normalises the record so that the content can be read as NUL-terminated
  // text: a negative length or a missing buffer becomes the empty string.
  if (!s) return;
  if (!s->data || s->length <= 0) {
    if (zel::owns_buffer(s) && s->data) {
      s->data[0] = 0;
      s->length = 0;
    } else {
      zel_string_init(s);
    }
  }
}

ZEL_API void ZEL_CALL zel_string_upper(zel_string* s) noexcept {
  std::size_t len = string_size(s);
  for (std::size_t i = 0; i < len; ++i) {
    char c = s->data[i];
    if (c >= 'a' && c <= 'z') s->data[i] = static_cast<char>(c - 'a' + 'A');
  }
}

ZEL_API void ZEL_CALL zel_string_replace_char(zel_string* s, char from, char to) noexcept {
  std::size_t len = string_size(s);
  for (std::size_t i = 0; i < len; ++i)
    if (s->data[i] == from) s->data[i] = to;
}

ZEL_API int ZEL_CALL zel_string_compare(const zel_slice* slice, const char* literal,
                                        std::int32_t limit) noexcept {
  std::size_t have = slice && slice->data && slice->length > 0
                         ? static_cast<std::size_t>(slice->length)
                         : 0;
  if (!literal) literal = "";
  std::size_t lit = std::strlen(literal);
  if (limit >= 0) {
    std::size_t cap = static_cast<std::size_t>(limit);
    if (have > cap) have = cap;
    if (lit > cap) lit = cap;
  }
  if (have != lit) return have < lit ? -1 : 1;
  return have ? std::memcmp(slice->data, literal, have) : 0;
}

}  // extern "C"
