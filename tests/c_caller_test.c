/* A C caller of the library: the headers compile as C99 and the exports are
 * reachable by their plain names from the shared library; and the strings a
 * C caller hands a stream, however they are made, are safe to feed. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "zel_code.h"

static int failures = 0;

static void expect(int ok, const char* what) {
  if (!ok) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

static int same(const zel_string* s, const char* bytes, int n) {
  return s->length == n && memcmp(s->data, bytes, (size_t)n) == 0;
}

/* A piece read from the output string itself, which grows (and moves) as
 * the piece is read: the same as feeding a copy of it. */
static void feed_own_output(void) {
  zel_stream* st = zel_stream_open(ZEL_STREAM_TO_UTF8, ZEL_CHARSET_GB18030, NULL);
  zel_stream* twin = zel_stream_open(ZEL_STREAM_TO_UTF8, ZEL_CHARSET_GB18030, NULL);
  zel_string out, want;
  zel_string_init(&out);
  zel_string_init(&want);
  zel_string_assign(&out, "\xD6\xD0\xCE\xC4 abc", 8);
  zel_string_assign(&want, out.data, out.length);
  for (int round = 0; round < 12; ++round) {
    char* copy = malloc((size_t)want.length);
    memcpy(copy, want.data, (size_t)want.length);
    expect(zel_stream_feed(twin, copy, want.length, 0, &want) == 0, "feed a copy");
    free(copy);
    expect(zel_stream_feed(st, out.data, out.length, 0, &out) == 0, "feed the output itself");
  }
  expect(same(&out, want.data, want.length), "own output read as a copy would be");
  zel_string_free(&out);
  zel_string_free(&want);
  zel_stream_free(st);
  zel_stream_free(twin);
}

/* A record over the caller's own array: the output follows its content,
 * and the array is left as it was. */
static void feed_caller_buffer(void) {
  char mine[] = "HELLO, ";
  zel_string out = {mine, 7, 0};
  zel_stream* st = zel_stream_open(ZEL_STREAM_TO_UTF8, ZEL_CHARSET_GB18030, NULL);
  expect(zel_stream_feed(st, "\xD6\xD0\xCE\xC4", 4, 1, &out) == 0, "feed after caller's text");
  expect(same(&out, "HELLO, \xE4\xB8\xAD\xE6\x96\x87", 13), "caller's text kept");
  expect(strcmp(mine, "HELLO, ") == 0, "caller's array untouched");
  zel_string_free(&out);
  zel_stream_free(st);
}

/* An empty final piece with no bytes at all, for every conversion. */
static void final_feed_without_bytes(void) {
  const int kinds[][2] = {{ZEL_STREAM_TO_UTF8, ZEL_CHARSET_UTF8},
                          {ZEL_STREAM_TO_GB18030, ZEL_CHARSET_GB18030},
                          {ZEL_STREAM_TO_UTF8 | ZEL_STREAM_REPORT, ZEL_CHARSET_UTF8},
                          {ZEL_STREAM_TO_UCS2, ZEL_CHARSET_UCS2LE},
                          {ZEL_STREAM_BIG5_TO_GBK, 0}};
  for (size_t k = 0; k < sizeof kinds / sizeof kinds[0]; ++k) {
    zel_stream* st = zel_stream_open(kinds[k][0], kinds[k][1], NULL);
    zel_string out;
    zel_string_init(&out);
    expect(zel_stream_feed(st, "ab", 2, 0, &out) == 0 && zel_stream_feed(st, NULL, 0, 1, &out) == 0,
           "final feed of nothing");
    zel_string_free(&out);
    zel_stream_free(st);
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
  feed_own_output();
  feed_caller_buffer();
  final_feed_without_bytes();
  printf("%d failed\n", failures);
  return failures != 0;
}
