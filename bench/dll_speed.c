/* One conversion cell timed through the C exports only, so that the same
 * source runs against the Linux library and, under Wine, against the 32-bit
 * and 64-bit Windows DLLs: wall time, median of the rounds, input MB per second (bench/dll-speed.sh
 * runs the cells).
 *
 *   dll_speed FILE ID TARGET [ROUNDS]    TARGET: ucs2, utf8, gbk, gb18030 */
#define _POSIX_C_SOURCE 199309L /* clock_gettime under -std=c99 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "zel_code.h"

/* Wall time: Wine's thread CPU clock ticks in 10 ms steps, too coarse for
 * a round; run on an otherwise idle machine. */
#ifdef _WIN32
#include <windows.h>
static double now_seconds(void) {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return (double)count.QuadPart / (double)frequency.QuadPart;
}
#else
#include <time.h>
static double now_seconds(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}
#endif

static int by_value(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: dll_speed FILE ID ucs2|utf8|gbk|gb18030 [ROUNDS]\n");
    return 2;
  }
  FILE* f = fopen(argv[1], "rb");
  if (!f) return 2;
  fseek(f, 0, SEEK_END);
  const long size = ftell(f);
  fseek(f, 0, SEEK_SET);
  char* text = (char*)malloc((size_t)size);
  if (!text || fread(text, 1, (size_t)size, f) != (size_t)size) return 2;
  fclose(f);
  const int id = atoi(argv[2]);
  int(ZEL_CALL * convert)(int, zel_string*) = zel_code_unicode;
  if (!strcmp(argv[3], "utf8")) convert = zel_code_utf8;
  if (!strcmp(argv[3], "gbk")) convert = zel_code_gbk;
  if (!strcmp(argv[3], "gb18030")) convert = zel_code_gb18030;
  const int rounds = argc > 4 ? atoi(argv[4]) : 15;
  double* times = (double*)malloc(sizeof(double) * (size_t)rounds);
  /* A round converts about 64 MiB, however small the file. */
  const long reps = size < (64L << 20) ? (64L << 20) / (size + 1) + 1 : 1;
  for (int r = 0; r < rounds; ++r) {
    const double start = now_seconds();
    for (long k = 0; k < reps; ++k) {
      /* What a caller pays: the text into a string, converted, freed. */
      zel_string s;
      zel_string_init(&s);
      zel_string_assign(&s, text, (int32_t)size);
      convert(id, &s);
      zel_string_free(&s);
    }
    times[r] = (now_seconds() - start) / (double)reps;
  }
  qsort(times, (size_t)rounds, sizeof(double), by_value);
  printf("%.0f\n", (double)size / times[rounds / 2] / 1e6);
  free(times);
  free(text);
  return 0;
}
