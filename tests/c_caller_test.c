/* A C caller of the library: the headers compile as C99 and the exports are
 * reachable by their plain names from the shared library. */
#include <stdio.h>
#include <string.h>

#include "zel_code.h"

static int failures = 0;

static void expect(int ok, const char* what) {
  if (!ok) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

int main(void) {
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, "utf-16le", 8);
  expect(zel_code_charset(&s) == ZEL_CHARSET_UTF16LE, "utf-16le is UTF-16LE");
  expect(s.length == 8 && memcmp(s.data, "UTF_16LE", 8) == 0, "label normalised");

  zel_string_assign(&s, "\x2D\x4E\x41\x00", 4);
  expect(zel_code_utf8(ZEL_CHARSET_UCS2LE, &s) == ZEL_RESULT_OK, "pivot to UTF-8");
  expect(s.length == 4 && memcmp(s.data, "\xE4\xB8\xAD\x41", 4) == 0, "U+4E2D U+0041");
  expect(zel_code_unicode(ZEL_CHARSET_UNKNOWN, &s) == ZEL_RESULT_UNKNOWN_CHARSET, "id 0");
  expect(zel_code_unicode(ZEL_CHARSET_RESERVED, &s) == ZEL_RESULT_RESERVED_CHARSET, "id 56");
  zel_string_free(&s);
  printf("%d passed, %d failed\n", 6 - failures, failures);
  return failures != 0;
}
