// Conversion throughput in input bytes per second. Each iteration copies the
// input into a fresh zel_string and converts it, as a caller pays.
//
// The text is the bundled multilingual sample (or the file named by
// ZEL_BENCH_TEXT, UTF-8) repeated to about 4 MB; bench/RESULTS.md records runs.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "zel_code.h"

namespace {

std::string read_file(const char* path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string convert_once(int(ZEL_CALL* fn)(int, zel_string*), int id, const std::string& in) {
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  fn(id, &s);
  std::string out(s.data, static_cast<std::size_t>(s.length));
  zel_string_free(&s);
  return out;
}

const std::string& utf8_text() {
  static const std::string text = [] {
    const char* path = std::getenv("ZEL_BENCH_TEXT");
    std::string seed = path ? read_file(path)
                            : convert_once(zel_code_utf8, ZEL_CHARSET_UTF16,
                                           read_file(ZEL_SOURCE_DIR "/samples/hello-utf16.txt"));
    if (seed.empty()) std::abort();
    std::string t;
    while (t.size() < (4u << 20)) t += seed;
    return t;
  }();
  return text;
}

const std::string& ucs2_text() {
  static const std::string text = convert_once(zel_code_unicode, ZEL_CHARSET_UTF8, utf8_text());
  return text;
}

void run(benchmark::State& state, int(ZEL_CALL* fn)(int, zel_string*), int id, const std::string& in) {
  for (auto _ : state) {
    zel_string s;
    zel_string_init(&s);
    zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
    fn(id, &s);
    benchmark::DoNotOptimize(s.data);
    zel_string_free(&s);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_Memcpy(benchmark::State& state) {
  const std::string& in = utf8_text();
  std::string out(in.size(), '\0');
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), in.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_Utf8ToUcs2(benchmark::State& state) { run(state, zel_code_unicode, 8, utf8_text()); }
void BM_Ucs2ToUtf8(benchmark::State& state) { run(state, zel_code_utf8, 1, ucs2_text()); }
void BM_Utf16LeToUtf8(benchmark::State& state) { run(state, zel_code_utf8, 11, ucs2_text()); }

}  // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_Utf8ToUcs2);
BENCHMARK(BM_Ucs2ToUtf8);
BENCHMARK(BM_Utf16LeToUtf8);
BENCHMARK_MAIN();
