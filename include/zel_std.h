/* zel_std: the byte-string record and the twelve operations zel_code relies on.
 *
 * This is the library's own stand-in for the caller's string library: the
 * record layout and the operations' behaviour are what callers' strings
 * provide, so code written against this header works with either. */
#ifndef ZEL_STD_H
#define ZEL_STD_H

#include <stdint.h>

#include "zel_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Content pointer, signed byte length (0 or less is empty), and a word the
 * string layer owns (here: the capacity; 0 means no owned buffer). Content is
 * raw bytes and is always followed by a NUL byte. */
typedef struct zel_string {
  char* data;
  int32_t length;
  uint32_t reserved;
} zel_string;

/* A view of bytes inside another string; owns nothing. */
typedef struct zel_slice {
  const char* data;
  int32_t length;
} zel_slice;

ZEL_API void ZEL_CALL zel_string_init(zel_string* s) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_free(zel_string* s) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_reserve(zel_string* s, int32_t n) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_set_length(zel_string* s, int32_t n) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_assign(zel_string* s, const char* data, int32_t n) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_store(zel_string* s, const char* data, int32_t n) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_append(zel_string* s, const char* data, int32_t n) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_string_is_empty(const zel_string* s) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_prepare(zel_string* s) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_upper(zel_string* s) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_string_replace_char(zel_string* s, char from, char to) ZEL_NOEXCEPT;
/* 0 exactly when the slice equals the NUL-terminated literal; limit -1
 * compares both whole, limit n >= 0 at most n bytes. */
ZEL_API int ZEL_CALL zel_string_compare(const zel_slice* slice, const char* literal,
                                        int32_t limit) ZEL_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif
