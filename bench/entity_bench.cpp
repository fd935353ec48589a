// Character reference decoding throughput in input bytes per second. Each
// iteration copies the text into a fresh zel_string and decodes it, as a
// caller pays.
//
// The text is HTML (the file named by ZEL_BENCH_HTML, or a page built here
// from the bundled multilingual sample, with markup and a reference every few
// dozen bytes) repeated to about 4 MB. The same text with every "&" turned
// into "+" measures text without references.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "zel_code.h"

namespace {

std::string read_file(const char* path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

std::string built_page() {
  zel_string s;
  zel_string_init(&s);
  const std::string sample = read_file(ZEL_SOURCE_DIR "/samples/hello-utf16.txt");
  zel_string_assign(&s, sample.data(), static_cast<std::int32_t>(sample.size()));
  zel_code_utf8(ZEL_CHARSET_UTF16, &s);
  const std::string text(s.data, static_cast<std::size_t>(s.length));
  zel_string_free(&s);
  std::string page =
      "<!DOCTYPE html>\n<html><head><title>Caf&eacute; &amp; more</title></head>\n<body>\n";
  std::size_t line_start = 0;
  while (line_start < text.size()) {
    std::size_t line_end = text.find('\n', line_start);
    if (line_end == std::string::npos) line_end = text.size();
    page += "<p class=\"line\">&ldquo;" + text.substr(line_start, line_end - line_start) +
            "&rdquo; &mdash; see <a href=\"/q?a=1&amp;b=2\">&#20013;&#x6587;</a>&nbsp;&copy; "
            "AT&T &lt;tag&gt;</p>\n";
    line_start = line_end + 1;
  }
  return page + "</body></html>\n";
}

const std::string& html_text() {
  static const std::string text = [] {
    const char* path = std::getenv("ZEL_BENCH_HTML");
    const std::string seed = path ? read_file(path) : built_page();
    if (seed.empty()) std::abort();
    std::string t;
    while (t.size() < (4u << 20)) t += seed;
    return t;
  }();
  return text;
}

const std::string& plain_text() {
  static const std::string text = [] {
    std::string t = html_text();
    for (char& c : t)
      if (c == '&') c = '+';
    return t;
  }();
  return text;
}

void run(benchmark::State& state, void(ZEL_CALL* fn)(zel_string*), const std::string& in) {
  for (auto _ : state) {
    zel_string s;
    zel_string_init(&s);
    zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
    fn(&s);
    benchmark::DoNotOptimize(s.data);
    zel_string_free(&s);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

std::size_t ampersands(const std::string& t) {
  std::size_t n = 0;
  for (char c : t) n += c == '&';
  return n;
}

void BM_CopyOnly(benchmark::State& state) {
  // What the caller's string costs without any decoding: assign and free.
  const std::string& in = html_text();
  for (auto _ : state) {
    zel_string s;
    zel_string_init(&s);
    zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
    benchmark::DoNotOptimize(s.data);
    zel_string_free(&s);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_DecodeUtf8Html(benchmark::State& state) {
  run(state, zel_decode_utf8, html_text());
  state.counters["refs_per_KB"] = 1024.0 * static_cast<double>(ampersands(html_text())) /
                                  static_cast<double>(html_text().size());
}
void BM_DecodeUtf8NoReferences(benchmark::State& state) {
  run(state, zel_decode_utf8, plain_text());
}
void BM_DecodeGbkHtml(benchmark::State& state) { run(state, zel_decode_gbk, html_text()); }
void BM_DecodeGb18030Html(benchmark::State& state) { run(state, zel_decode_gb18030, html_text()); }

}  // namespace

BENCHMARK(BM_CopyOnly);
BENCHMARK(BM_DecodeUtf8Html);
BENCHMARK(BM_DecodeUtf8NoReferences);
BENCHMARK(BM_DecodeGbkHtml);
BENCHMARK(BM_DecodeGb18030Html);
BENCHMARK_MAIN();
