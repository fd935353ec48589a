/* Detection speed: this library's zel_detect against uchardet on the samples
 * of the detection corpus, one length at a time.
 *
 * Each round runs every sample of a length through one detector, repeated
 * so that a round takes at least 50 ms of this thread's CPU time; the median
 * of the rounds gives bytes per second. uchardet keeps one handle, reset
 * between samples, its cheapest use; ours reads each sample whole.
 *
 * Usage: detect_speed CORPUS_DIR [ROUNDS]   (prints a markdown table) */
#define _POSIX_C_SOURCE 200809L
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <uchardet/uchardet.h>
#include <zel_code.h>

typedef struct {
  char* data;
  size_t n;
} sample;

typedef struct {
  sample* items;
  size_t count, cap, bytes;
} sample_set;

static const char* const CUTS[] = {"32", "256", "4096", "whole"};
static const char* const CUT_NAMES[] = {"32 B", "256 B", "4 KiB", "whole"};
enum { N_CUTS = 4, MAX_ROUNDS = 99 };

static double thread_seconds(void) {
  struct timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static char* read_file(const char* path, size_t* n) {
  FILE* f = fopen(path, "rb");
  if (!f) return NULL;
  fseek(f, 0, SEEK_END);
  long size = ftell(f);
  fseek(f, 0, SEEK_SET);
  char* data = malloc(size > 0 ? (size_t)size : 1);
  *n = data ? fread(data, 1, (size_t)size, f) : 0;
  fclose(f);
  return data;
}

static void add(sample_set* set, char* data, size_t n) {
  if (set->count == set->cap) {
    set->cap = set->cap ? set->cap * 2 : 256;
    set->items = realloc(set->items, set->cap * sizeof *set->items);
    if (!set->items) exit(1);
  }
  set->items[set->count].data = data;
  set->items[set->count].n = n;
  set->count++;
  set->bytes += n;
}

/* The manifest's columns: file, set, id, model, document, cut, bytes. */
static int load(const char* corpus, sample_set sets[N_CUTS]) {
  char path[4096];
  snprintf(path, sizeof path, "%s/MANIFEST.tsv", corpus);
  FILE* f = fopen(path, "r");
  if (!f) {
    fprintf(stderr, "detect_speed: cannot read %s\n", path);
    return 0;
  }
  char line[4096];
  if (!fgets(line, sizeof line, f)) line[0] = 0;
  while (fgets(line, sizeof line, f)) {
    char* field[7];
    char* p = line;
    int k = 0;
    for (; k < 7 && p; k++) {
      field[k] = p;
      p = strpbrk(p, "\t\n");
      if (p) *p++ = 0;
    }
    if (k < 7) continue;
    for (int c = 0; c < N_CUTS; c++) {
      if (strcmp(field[5], CUTS[c]) != 0) continue;
      snprintf(path, sizeof path, "%s/%s", corpus, field[0]);
      size_t n;
      char* data = read_file(path, &n);
      if (!data) {
        fprintf(stderr, "detect_speed: cannot read %s\n", path);
        fclose(f);
        return 0;
      }
      add(&sets[c], data, n);
    }
  }
  fclose(f);
  return 1;
}

/* The result sum keeps the calls from being optimised away. */
static volatile long sink;

static void run_ours(const sample_set* set) {
  long sum = 0;
  for (size_t i = 0; i < set->count; i++) {
    zel_guess g;
    zel_detect(set->items[i].data, (int32_t)set->items[i].n, NULL, 0, ZEL_DETECT_WHOLE, &g);
    sum += g.id;
  }
  sink += sum;
}

static uchardet_t handle;

static void run_uchardet(const sample_set* set) {
  long sum = 0;
  for (size_t i = 0; i < set->count; i++) {
    uchardet_reset(handle);
    uchardet_handle_data(handle, set->items[i].data, set->items[i].n);
    uchardet_data_end(handle);
    sum += uchardet_get_charset(handle)[0];
  }
  sink += sum;
}

static int by_value(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

/* Median bytes per second over the rounds. */
static double measure(void (*run)(const sample_set*), const sample_set* set, int rounds) {
  double t0 = thread_seconds();
  run(set);
  double once = thread_seconds() - t0;
  long repeat = once > 0 ? (long)(0.05 / once) + 1 : 1000;
  double speed[MAX_ROUNDS];
  for (int r = 0; r < rounds; r++) {
    t0 = thread_seconds();
    for (long k = 0; k < repeat; k++) run(set);
    speed[r] = (double)set->bytes * (double)repeat / (thread_seconds() - t0);
  }
  qsort(speed, (size_t)rounds, sizeof speed[0], by_value);
  return speed[rounds / 2];
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: detect_speed CORPUS_DIR [ROUNDS]\n");
    return 2;
  }
  int rounds = argc > 2 ? atoi(argv[2]) : 7;
  if (rounds < 1 || rounds > MAX_ROUNDS) rounds = 7;
  sample_set sets[N_CUTS];
  memset(sets, 0, sizeof sets);
  if (!load(argv[1], sets)) return 1;
  handle = uchardet_new();
  printf("| length | samples | bytes | ours MB/s | uchardet MB/s | ours / uchardet |\n");
  printf("|---|---:|---:|---:|---:|---:|\n");
  for (int c = 0; c < N_CUTS; c++) {
    if (!sets[c].count) continue;
    double ours = measure(run_ours, &sets[c], rounds);
    double theirs = measure(run_uchardet, &sets[c], rounds);
    printf("| %s | %zu | %zu | %.1f | %.1f | %.1f |\n", CUT_NAMES[c], sets[c].count, sets[c].bytes,
           ours / 1e6, theirs / 1e6, ours / theirs);
    fflush(stdout);
  }
  uchardet_delete(handle);
  for (int c = 0; c < N_CUTS; c++) {
    for (size_t i = 0; i < sets[c].count; i++) free(sets[c].items[i].data);
    free(sets[c].items);
  }
  return 0;
}
