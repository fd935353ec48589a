// Growth is linear: time per input byte at 16 MiB against 64 KiB, for every
// export, on input built to be slow (dense escape sequences, character
// references, lead bytes without trails). Compare bytes_per_second across
// the sizes of each case (64 KiB fits the caches, 4 and 16 MiB do not);
// bench/RESULTS.md keeps the ratios.
//
// Buffers of many megabytes come from fresh mappings in every call, whose
// page faults cost more per byte than the conversion itself; a 64 KiB call
// reuses warm heap memory. --keep_memory (glibc) makes the allocator keep
// and reuse freed memory at every size, so that the comparison measures the
// library's own work; run it both ways.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "zel_code.h"

namespace {

std::string repeat_to(const std::string& unit, std::size_t size) {
  std::string s;
  s.reserve(size + unit.size());
  while (s.size() < size) s += unit;
  s.resize(size);
  return s;
}

struct Input {
  const char* name;
  std::string unit;
};

const Input inputs[] = {
    {"escapes", "\x1b$B\x30\x21\x1b(J\x1b$A\x0a\x0a\x1b$(D\x1b(B"},
    {"references", "&amp;&#20013;&#x4E2D&eacute;&#99999999;&&"},
    {"lone_leads", "\x81\x8e\xa1\xfe\x8f\x80"},
};

using convert_fn = int(ZEL_CALL*)(int, zel_string*);
using rewrite_fn = void(ZEL_CALL*)(zel_string*);

void measure(benchmark::State& state, const std::string& in, convert_fn convert, int id,
             rewrite_fn rewrite) {
  for (auto _ : state) {
    zel_string s;
    zel_string_init(&s);
    zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
    if (convert) convert(id, &s);
    if (rewrite) rewrite(&s);
    benchmark::DoNotOptimize(s.data);
    zel_string_free(&s);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void register_all() {
  struct Export {
    const char* name;
    convert_fn convert;
    rewrite_fn rewrite;
  } const exports[] = {
      {"unicode", zel_code_unicode, nullptr},
      {"utf8", zel_code_utf8, nullptr},
      {"gbk", zel_code_gbk, nullptr},
      {"gb18030", zel_code_gb18030, nullptr},
      {"decode_utf8", nullptr, zel_decode_utf8},
      {"decode_gbk", nullptr, zel_decode_gbk},
      {"decode_gb18030", nullptr, zel_decode_gb18030},
      {"big5_gbk", nullptr, zel_code_big5_gbk},
      {"gbk_big5", nullptr, zel_code_gbk_big5},
  };
  const int ids[] = {ZEL_CHARSET_ISO_2022_JP, ZEL_CHARSET_ISO_2022_CN, ZEL_CHARSET_EUC_TW,
                     ZEL_CHARSET_GB18030,     ZEL_CHARSET_SHIFT_JIS,   ZEL_CHARSET_UTF8};
  for (std::size_t size : {std::size_t{64} << 10, std::size_t{4} << 20, std::size_t{16} << 20}) {
    for (const Input& input : inputs) {
      const std::string text = repeat_to(input.unit, size);
      for (const Export& e : exports) {
        for (int id : ids) {
          if (!e.convert && id != ids[0]) continue;  // the rewrites take no id
          std::string name = std::string(e.name) + "/" +
                             (e.convert ? std::to_string(id) + "/" : "") + input.name + "/" +
                             std::to_string(size >> 10) + "KiB";
          benchmark::RegisterBenchmark(name.c_str(), [text, e, id](benchmark::State& st) {
            measure(st, text, e.convert, id, e.rewrite);
          });
        }
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keep_memory") != 0) continue;
#if defined(__GLIBC__)
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 0x7FFFFFFF);
#endif
    for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
    --argc;
    break;
  }
  register_all();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
