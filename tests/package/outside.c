/* A program outside the project, built against the installed zel_code:
 * converts standard input from the charset its label names into UTF-8 on
 * standard output, the way any C caller would use the library. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zel_code.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: outside LABEL < text\n");
    return 2;
  }
  size_t size = 0, room = 1 << 16;
  char* text = malloc(room);
  size_t got;
  while (text && (got = fread(text + size, 1, room - size, stdin)) > 0) {
    size += got;
    if (size == room) text = realloc(text, room *= 2);
  }
  if (!text) return 1;

  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, argv[1], (int)strlen(argv[1]));
  int id = zel_code_charset(&s);
  if (id == ZEL_CHARSET_UNKNOWN) {
    fprintf(stderr, "outside: unknown label %s\n", argv[1]);
    zel_string_free(&s);
    free(text);
    return 2;
  }
  zel_string_assign(&s, text, (int)size);
  int result = zel_code_utf8(id, &s);
  if (result == ZEL_RESULT_OK && s.length > 0) fwrite(s.data, 1, (size_t)s.length, stdout);
  zel_string_free(&s);
  free(text);
  return result == ZEL_RESULT_OK ? 0 : 1;
}
