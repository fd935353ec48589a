// The byte-string operations. A string either owns a heap buffer of
// `reserved` bytes plus one for the NUL that always follows the content, or
// (reserved == 0) points at a shared empty literal, so that every operation is
// safe on a fresh or freed string and no allocation happens until bytes
// arrive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#ifdef ZEL_STRING_TEST_MODE
#include <atomic>
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ZEL_HAS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEL_HAS_ASAN 1
#endif
#endif
#ifdef ZEL_HAS_ASAN
#include <sanitizer/asan_interface.h>
#endif

#include "src/string/string_ops.h"
#include "zel_std.h"

namespace zel {
namespace {

char empty_content[1] = {0};

bool owns_buffer(const zel_string* s) { return s->reserved != 0; }

#ifdef ZEL_STRING_TEST_MODE
std::atomic<long> live_buffers{0};
#endif

// Test mode lets ASan catch reads of the NUL after the content and of unused
// capacity: only the bytes of the content are addressable between calls.
void guard_tail(zel_string* s) {
#if defined(ZEL_STRING_TEST_MODE) && defined(ZEL_HAS_ASAN)
  if (owns_buffer(s))
    ASAN_POISON_MEMORY_REGION(s->data + string_size(s), s->reserved + 1 - string_size(s));
#else
  (void)s;
#endif
}

void open_buffer(zel_string* s) {
#if defined(ZEL_STRING_TEST_MODE) && defined(ZEL_HAS_ASAN)
  if (owns_buffer(s)) ASAN_UNPOISON_MEMORY_REGION(s->data, s->reserved + 1);
#else
  (void)s;
#endif
}

// Large buffers ask for transparent huge pages where the system offers them
// on request: a fresh multi-megabyte result then costs one page fault per
// 2 MiB written instead of one per 4 KiB. Only the whole huge pages inside
// the buffer are advised; the allocator keeps its own bookkeeping.
constexpr std::size_t huge_page = std::size_t{2} << 20;
// From here up the system allocator may map a block of its own (glibc's
// first threshold is 128 KiB).
constexpr std::size_t large_block = std::size_t{128} << 10;

void advise_huge_pages(char* buf, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (size < 2 * huge_page) return;
  const std::size_t misalign = reinterpret_cast<std::uintptr_t>(buf) % huge_page;
  const std::size_t lead = misalign ? huge_page - misalign : 0;
  const std::size_t span = (size - lead) / huge_page * huge_page;
  if (span) madvise(buf + lead, span, MADV_HUGEPAGE);  // advice only: nothing to do if refused
#else
  (void)buf;
  (void)size;
#endif
}

// How ensure_capacity treats the buffer it may replace.
struct growth {
  // Test mode moves the buffer even when it has room (appends and assigns do,
  // so that code keeping a pointer across a call is caught).
  bool move_in_test_mode = false;
  // The content is carried over to a new buffer (not when it is about to be
  // replaced anyway).
  bool keep_content = true;
};

// Makes room for `need` content bytes; a source pointer into the old buffer
// is carried over to the new one. Returns false when `need` is beyond what
// the record's length can express. In test mode every growth is to the exact
// size asked.
bool ensure_capacity(zel_string* s, std::size_t need, const char** source = nullptr,
                     growth how = {}) {
  const bool move = how.move_in_test_mode, keep_content = how.keep_content;
#ifdef ZEL_STRING_TEST_MODE
  constexpr bool exact = true;
#else
  constexpr bool exact = false;
#endif
  open_buffer(s);
  if (need <= s->reserved && !(exact && move)) return true;
  if (need > max_string_length) return false;
  std::size_t grown = exact ? need : std::size_t{s->reserved} + s->reserved / 2;
  std::size_t cap = need > grown ? need : grown;
  if (cap > max_string_length) cap = max_string_length;
  if (cap == 0) return true;
  std::size_t keep = keep_content ? string_size(s) : 0;
  char* buf = nullptr;
  if (owns_buffer(s) && !exact && keep >= s->reserved / 2) {
    // Mostly full (an output growing past its estimate): the allocator may
    // extend the buffer where it is, or remap its pages, instead of copying.
    const std::ptrdiff_t offset =
        source && *source >= s->data && *source <= s->data + keep ? *source - s->data : -1;
    buf = static_cast<char*>(std::realloc(s->data, cap + 1));
    if (!buf) std::abort();  // no caller can act on a failed allocation
    if (offset >= 0) *source = buf + offset;
  } else {
    buf = static_cast<char*>(std::malloc(cap + 1));
    if (!buf) std::abort();
    if (keep) std::memcpy(buf, s->data, keep);
    if (source && owns_buffer(s) && *source >= s->data && *source <= s->data + keep)
      *source = buf + (*source - s->data);
    if (owns_buffer(s)) {
      std::free(s->data);
    } else {
#ifdef ZEL_STRING_TEST_MODE
      ++live_buffers;
#endif
    }
  }
  buf[keep] = 0;
  advise_huge_pages(buf, cap + 1);
  s->data = buf;
  s->reserved = static_cast<std::uint32_t>(cap);
  return true;
}

void set_content(zel_string* s, const char* data, std::int32_t n) {
  if (!s) return;
  std::size_t len = n > 0 && data ? static_cast<std::size_t>(n) : 0;
  // The old content is replaced, so a growth need not carry it over, unless
  // the source lies inside it: then room for all of it, so the source
  // survives a move.
  const bool inside = owns_buffer(s) && data >= s->data && data < s->data + string_size(s);
  std::size_t room = inside && string_size(s) > len ? string_size(s) : len;
  if (!ensure_capacity(s, room, &data, {.move_in_test_mode = len != 0, .keep_content = inside}))
    return;
  if (owns_buffer(s)) {
    std::memmove(s->data, data, len);  // data may lie inside s itself
    s->data[len] = 0;
    s->length = static_cast<std::int32_t>(len);
  } else {
    s->data = empty_content;
    s->length = 0;
  }
  guard_tail(s);
}

}  // namespace

char* reserve_bytes(zel_string* s, std::size_t n) {
  if (!ensure_capacity(s, n)) return nullptr;
  return owns_buffer(s) ? s->data : nullptr;
}

void release_spare_room(zel_string* s) {
  if (!s || !owns_buffer(s)) return;
  const std::size_t len = string_size(s);
  // Small slack is not worth a call.
  const std::size_t spare = s->reserved - len;
  if (spare < 4096 || spare < len / 4) return;
  if (len == 0) {
    // An owned buffer has room for content (reserved 0 means none).
    zel_string_free(s);
    return;
  }
  open_buffer(s);
  void* buf = nullptr;
  if (len < large_block) {
    buf = std::realloc(s->data, len + 1);
  } else if ((buf = std::malloc(len + 1))) {
    // A large block may be mapped by the allocator: shrunk where it lies,
    // it stays mapped and teaches the allocator that blocks of the small
    // size are large, so the next conversion's reservation is mapped (and
    // its pages faulted in) afresh. Freed whole, it teaches the reserved
    // size, which later calls then take from the heap already touched.
    std::memcpy(buf, s->data, len + 1);
    std::free(s->data);
  }
  if (buf) {
    s->data = static_cast<char*>(buf);
    s->reserved = static_cast<std::uint32_t>(len);
  }
  guard_tail(s);
}

long string_buffers_alive() noexcept {
#ifdef ZEL_STRING_TEST_MODE
  return live_buffers.load();
#else
  return -1;
#endif
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
  if (zel::owns_buffer(s)) {
    zel::open_buffer(s);
    std::free(s->data);
#ifdef ZEL_STRING_TEST_MODE
    --zel::live_buffers;
#endif
  }
  zel_string_init(s);
}

ZEL_API void ZEL_CALL zel_string_reserve(zel_string* s, std::int32_t n) noexcept {
  if (!s || n <= 0) return;
  zel::ensure_capacity(s, static_cast<std::size_t>(n));
  zel::guard_tail(s);
}

ZEL_API void ZEL_CALL zel_string_set_length(zel_string* s, std::int32_t n) noexcept {
  if (!s) return;
  std::size_t len = n > 0 ? static_cast<std::size_t>(n) : 0;
  if (len > s->reserved) len = s->reserved;
  zel::open_buffer(s);
  if (zel::owns_buffer(s)) s->data[len] = 0;
  s->length = static_cast<std::int32_t>(len);
  zel::guard_tail(s);
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
  if (add > zel::max_string_length - len) return;
  // data may lie inside s; ensure_capacity carries it over if the buffer moves.
  if (!zel::ensure_capacity(s, len + add, &data, {.move_in_test_mode = true})) return;
  std::memmove(s->data + len, data, add);
  s->data[len + add] = 0;
  s->length = static_cast<std::int32_t>(len + add);
  zel::guard_tail(s);
}

ZEL_API int ZEL_CALL zel_string_is_empty(const zel_string* s) noexcept {
  return string_size(s) == 0;
}

ZEL_API void ZEL_CALL zel_string_prepare(zel_string* s) noexcept {
  // Normalises the record so that the content can be read as NUL-terminated
  // text: a negative length or a missing buffer becomes the empty string.
  if (!s) return;
  if (!s->data || s->length <= 0) {
    if (zel::owns_buffer(s) && s->data) {
      zel_string_set_length(s, 0);
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
  std::size_t have =
      slice && slice->data && slice->length > 0 ? static_cast<std::size_t>(slice->length) : 0;
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
