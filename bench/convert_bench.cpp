// Conversion throughput in input bytes per second, side by side with glibc
// iconv(3), ICU and memcpy of the same bytes, in one binary and one run.
//
// "zel_report" is the same call through its *_report twin, counting every
// degradation: the price of the report, beside the plain call.
// "zel_stream" feeds a stream 64 KiB pieces: the price of streaming.
//
// Each cell reads one corpus file of bench/make_corpus.py (ZEL_BENCH_CORPUS
// names another folder). Every library call in a timed loop pays what a real
// caller pays: ours copies the input into a fresh zel_string, converts it in
// place and frees it; a peer allocates its output buffer, converts into it and
// frees it. Converters are opened once per cell, outside the timed loop, and
// the heap is kept warm for all of them alike (see main).
//
// `convert_bench --count=CELL/PEER [--count-bytes=N]` runs one conversion of
// the first N bytes (cut at a line end; default 1 MiB) through
// counted_call(), once after a warm-up run: under
// `valgrind --tool=callgrind --toggle-collect=*counted_call*` that gives the
// instructions per input byte (bench/count.sh).
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <malloc.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "zel_code.h"

namespace {

std::string corpus_dir() {
  const char* dir = std::getenv("ZEL_BENCH_CORPUS");
  return dir ? dir : ZEL_SOURCE_DIR "/bench/corpus";
}

std::string read_corpus(const std::string& name) {
  std::ifstream f(corpus_dir() + "/" + name, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  if (text.empty()) {
    std::fprintf(stderr, "missing corpus file %s/%s: run bench/make_corpus.py\n",
                 corpus_dir().c_str(), name.c_str());
    std::exit(2);
  }
  return text;
}

enum class Target { ucs2, utf8, gbk, gb18030, big5_gbk, references };

// One cell: a corpus file converted from one encoding into one target. The
// peers' names for the two sides; an empty name means the peer has no such
// conversion.
struct Cell {
  std::string name;
  std::string file;
  int id;  // our charset id of the input
  Target target;
  const char* iconv_from;
  const char* iconv_to;
  const char* icu_from;
  const char* icu_to;
};

std::vector<Cell> cells() {
  struct Legacy {
    const char* label;
    const char* file;
    int id;
    const char* iconv_name;
    const char* icu_name;
  };
  const Legacy legacy[] = {
      {"GB18030", "zh_hans.gb18030", ZEL_CHARSET_GB18030, "GB18030", "GB18030"},
      {"GBK", "zh_hans.gbk", ZEL_CHARSET_GB18030, "GBK", "GBK"},
      {"Big5", "zh_hant.big5", ZEL_CHARSET_BIG5, "BIG5", "Big5"},
      {"Shift_JIS", "ja.sjis", ZEL_CHARSET_SHIFT_JIS, "SHIFT_JIS", "Shift_JIS"},
      {"EUC-JP", "ja.eucjp", ZEL_CHARSET_EUC_JP, "EUC-JP", "EUC-JP"},
      {"EUC-KR", "ko.euckr", ZEL_CHARSET_EUC_KR, "EUC-KR", "EUC-KR"},
      {"CP1252", "western.cp1252", ZEL_CHARSET_CP1252, "CP1252", "windows-1252"},
  };
  std::vector<Cell> out;
  for (const Legacy& l : legacy) {
    out.push_back({std::string(l.label) + ">UTF-8", l.file, l.id, Target::utf8, l.iconv_name,
                   "UTF-8", l.icu_name, "UTF-8"});
    out.push_back({std::string(l.label) + ">UCS-2", l.file, l.id, Target::ucs2, l.iconv_name,
                   "UTF-16LE", l.icu_name, "UTF-16LE"});
  }
  for (const char* text : {"zh_hans", "ja", "ko", "western"}) {
    out.push_back({std::string("UTF-8>UCS-2:") + text, std::string(text) + ".utf8",
                   ZEL_CHARSET_UTF8, Target::ucs2, "UTF-8", "UTF-16LE", "UTF-8", "UTF-16LE"});
    out.push_back({std::string("UCS-2>UTF-8:") + text, std::string(text) + ".utf16le",
                   ZEL_CHARSET_UCS2LE, Target::utf8, "UTF-16LE", "UTF-8", "UTF-16LE", "UTF-8"});
  }
  out.push_back(
      {"UTF-8>GBK", "zh_hans.utf8", ZEL_CHARSET_UTF8, Target::gbk, "UTF-8", "GBK", "UTF-8", "GBK"});
  out.push_back({"UTF-8>GB18030", "zh_hans.utf8", ZEL_CHARSET_UTF8, Target::gb18030, "UTF-8",
                 "GB18030", "UTF-8", "GB18030"});
  out.push_back({"Big5>GBK", "zh_hant.big5", ZEL_CHARSET_BIG5, Target::big5_gbk, "BIG5", "GBK",
                 "Big5", "GBK"});
  out.push_back(
      {"references:with", "html_refs.utf8", ZEL_CHARSET_UTF8, Target::references, "", "", "", ""});
  out.push_back({"references:without", "html_plain.utf8", ZEL_CHARSET_UTF8, Target::references, "",
                 "", "", ""});
  return out;
}

// A converter ready to run one conversion of `in`: what a timed iteration
// calls. Returns the output size, so every byte written is used.
using Runner = std::function<std::size_t(const std::string& in)>;

// `counted`: the same conversion through its *_report twin, which also
// fills a degradation report; the plain call compiles the counting away.
Runner zel_runner(const Cell& c, bool counted) {
  return [c, counted](const std::string& in) {
    zel_string s;
    zel_string_init(&s);
    zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
    zel_report r{};
    zel_report* report = counted ? &r : nullptr;
    switch (c.target) {
      case Target::ucs2:
        counted ? zel_code_unicode_report(c.id, &s, report) : zel_code_unicode(c.id, &s);
        break;
      case Target::utf8:
        counted ? zel_code_utf8_report(c.id, &s, report) : zel_code_utf8(c.id, &s);
        break;
      case Target::gbk:
        counted ? zel_code_gbk_report(c.id, &s, report) : zel_code_gbk(c.id, &s);
        break;
      case Target::gb18030:
        counted ? zel_code_gb18030_report(c.id, &s, report) : zel_code_gb18030(c.id, &s);
        break;
      case Target::big5_gbk:
        counted ? zel_code_big5_gbk_report(&s, report) : zel_code_big5_gbk(&s);
        break;
      case Target::references:
        counted ? zel_decode_utf8_report(&s, report) : zel_decode_utf8(&s);
        break;
    }
    benchmark::DoNotOptimize(s.data);
    benchmark::DoNotOptimize(r);
    std::size_t n = static_cast<std::size_t>(s.length);
    zel_string_free(&s);
    return n;
  };
}

// The same conversion through a stream fed 64 KiB pieces, each piece's
// output taken from the string before the next (its buffer kept): what a
// caller converting a file block by block pays, in memory bounded by the
// piece size.
Runner zel_stream_runner(const Cell& c) {
  int kind = 0;
  switch (c.target) {
    case Target::ucs2:
      kind = ZEL_STREAM_TO_UCS2;
      break;
    case Target::utf8:
      kind = ZEL_STREAM_TO_UTF8;
      break;
    case Target::gbk:
      kind = ZEL_STREAM_TO_GBK;
      break;
    case Target::gb18030:
      kind = ZEL_STREAM_TO_GB18030;
      break;
    case Target::big5_gbk:
      kind = ZEL_STREAM_BIG5_TO_GBK;
      break;
    case Target::references:
      kind = ZEL_STREAM_REFERENCES_UTF8;
      break;
  }
  return [c, kind](const std::string& in) {
    constexpr std::size_t piece = 64 << 10;
    zel_stream* st = zel_stream_open(kind, c.id, nullptr);
    zel_string s;
    zel_string_init(&s);
    std::size_t out = 0;
    for (std::size_t at = 0; at < in.size() || at == 0; at += piece) {
      const std::size_t n = std::min(piece, in.size() - at);
      zel_stream_feed(st, in.data() + at, static_cast<std::int32_t>(n), at + n >= in.size(), &s);
      benchmark::DoNotOptimize(s.data);
      out += static_cast<std::size_t>(s.length);
      zel_string_set_length(&s, 0);
      if (n == 0) break;
    }
    zel_stream_free(st);
    zel_string_free(&s);
    return out;
  };
}

// Four output bytes per input byte covers every cell (CP1252 to UTF-8 takes
// at most three).
std::size_t output_room(std::size_t n) { return 4 * n + 16; }

// iconv stops at a sequence it does not know; like our decoders, the runner
// then passes one byte over and goes on, counting the bytes it skipped.
struct IconvPeer {
  iconv_t cd;
  std::size_t skipped = 0;
};

Runner iconv_runner(const Cell& c, std::shared_ptr<IconvPeer>& peer) {
  if (!*c.iconv_from) return nullptr;
  iconv_t cd = iconv_open(c.iconv_to, c.iconv_from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::fprintf(stderr, "iconv cannot convert %s to %s\n", c.iconv_from, c.iconv_to);
    return nullptr;
  }
  peer = std::make_shared<IconvPeer>();
  peer->cd = cd;
  return [p = peer](const std::string& in) {
    std::size_t room = output_room(in.size());
    char* out = static_cast<char*>(std::malloc(room));
    iconv(p->cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = out;
    std::size_t dst_left = room;
    std::size_t skipped = 0;
    while (src_left) {
      if (iconv(p->cd, &src, &src_left, &dst, &dst_left) != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) break;
      ++src;  // EILSEQ or EINVAL: one byte passed over
      --src_left;
      ++skipped;
    }
    iconv(p->cd, nullptr, nullptr, &dst, &dst_left);
    p->skipped = skipped;
    benchmark::DoNotOptimize(out);
    std::size_t n = room - dst_left;
    std::free(out);
    return n;
  };
}

// ICU's fastest call for each shape: its UTF-8 and UTF-16 string functions
// where one side is Unicode and the other UTF-8, ucnv_toUChars into UTF-16,
// and ucnv_convertEx (with its direct paths to and from UTF-8) otherwise.
struct IcuPeer {
  UConverter* from = nullptr;
  UConverter* to = nullptr;
  ~IcuPeer() {
    if (from) ucnv_close(from);
    if (to) ucnv_close(to);
  }
};

Runner icu_runner(const Cell& c, std::shared_ptr<IcuPeer>& peer) {
  if (!*c.icu_from) return nullptr;
  const std::string from = c.icu_from, to = c.icu_to;
  if (from == "UTF-8" && to == "UTF-16LE") {
    return [](const std::string& in) {
      std::size_t room = in.size() + 8;
      auto* out = static_cast<UChar*>(std::malloc(room * sizeof(UChar)));
      UErrorCode err = U_ZERO_ERROR;
      int32_t len = 0;
      u_strFromUTF8WithSub(out, static_cast<int32_t>(room), &len, in.data(),
                           static_cast<int32_t>(in.size()), 0xFFFD, nullptr, &err);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return static_cast<std::size_t>(len) * 2;
    };
  }
  if (from == "UTF-16LE" && to == "UTF-8") {
    return [](const std::string& in) {
      std::size_t room = output_room(in.size());
      char* out = static_cast<char*>(std::malloc(room));
      UErrorCode err = U_ZERO_ERROR;
      int32_t len = 0;
      // The corpus holds whole units in host order (little-endian here).
      u_strToUTF8WithSub(out, static_cast<int32_t>(room), &len,
                         reinterpret_cast<const UChar*>(in.data()),
                         static_cast<int32_t>(in.size() / 2), 0xFFFD, nullptr, &err);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return static_cast<std::size_t>(len);
    };
  }
  peer = std::make_shared<IcuPeer>();
  UErrorCode err = U_ZERO_ERROR;
  peer->from = ucnv_open(c.icu_from, &err);
  if (to != "UTF-16LE") peer->to = ucnv_open(c.icu_to, &err);
  if (U_FAILURE(err)) {
    std::fprintf(stderr, "ICU cannot convert %s to %s: %s\n", c.icu_from, c.icu_to,
                 u_errorName(err));
    return nullptr;
  }
  if (to == "UTF-16LE") {
    return [p = peer](const std::string& in) {
      std::size_t room = in.size() + 8;
      auto* out = static_cast<UChar*>(std::malloc(room * sizeof(UChar)));
      UErrorCode e = U_ZERO_ERROR;
      int32_t len = ucnv_toUChars(p->from, out, static_cast<int32_t>(room), in.data(),
                                  static_cast<int32_t>(in.size()), &e);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return static_cast<std::size_t>(len) * 2;
    };
  }
  return [p = peer](const std::string& in) {
    std::size_t room = output_room(in.size());
    char* out = static_cast<char*>(std::malloc(room));
    UChar pivot[1024] = {};
    UChar* pivot_source = pivot;
    UChar* pivot_target = pivot;
    char* dst = out;
    const char* src = in.data();
    // ICU declares the limit const char*; g++ would take it for a read of the
    // fresh buffer.
    const char* limit = out + room;
    benchmark::DoNotOptimize(limit);
    UErrorCode e = U_ZERO_ERROR;
    ucnv_convertEx(p->to, p->from, &dst, limit, &src, in.data() + in.size(), pivot, &pivot_source,
                   &pivot_target, pivot + 1024, true, true, &e);
    benchmark::DoNotOptimize(out);
    std::size_t n = static_cast<std::size_t>(dst - out);
    std::free(out);
    return n;
  };
}

Runner memcpy_runner() {
  return [](const std::string& in) {
    static std::vector<char> out;
    if (out.size() < in.size()) out.resize(in.size());
    std::memcpy(out.data(), in.data(), in.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
    return in.size();
  };
}

struct Peer {
  std::string name;
  Runner run;
  std::shared_ptr<IconvPeer> iconv;
};

std::vector<Peer> peers_of(const Cell& c) {
  std::vector<Peer> peers;
  peers.push_back({"zel", zel_runner(c, false), nullptr});
  peers.push_back({"zel_report", zel_runner(c, true), nullptr});
  peers.push_back({"zel_stream", zel_stream_runner(c), nullptr});
  std::shared_ptr<IconvPeer> ic;
  if (Runner r = iconv_runner(c, ic)) peers.push_back({"iconv", r, ic});
  // The ICU converters live as long as the runner holding them.
  std::shared_ptr<IcuPeer> icu;
  if (Runner r = icu_runner(c, icu)) peers.push_back({"icu", r, nullptr});
  peers.push_back({"memcpy", memcpy_runner(), nullptr});
  return peers;
}

void register_all() {
  for (const Cell& c : cells()) {
    auto input = std::make_shared<std::string>(read_corpus(c.file));
    for (Peer& p : peers_of(c)) {
      benchmark::RegisterBenchmark(
          (c.name + "/" + p.name).c_str(), [input, p](benchmark::State& state) {
            std::size_t out_bytes = 0;
            for (auto _ : state) out_bytes = p.run(*input);
            state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                                    static_cast<std::int64_t>(input->size()));
            state.counters["in_MB"] = static_cast<double>(input->size()) / 1e6;
            state.counters["out_per_in"] =
                static_cast<double>(out_bytes) / static_cast<double>(input->size());
            if (p.iconv) state.counters["skipped"] = static_cast<double>(p.iconv->skipped);
          });
    }
  }
}

// The first `limit` bytes of a text, cut after a line end (for UTF-16LE
// input, after a whole "\n" unit).
std::string prefix(const std::string& text, std::size_t limit, bool utf16) {
  if (text.size() <= limit) return text;
  std::size_t cut = limit;
  while (cut > 1) {
    if (utf16 ? (cut % 2 == 0 && text[cut - 2] == '\n' && text[cut - 1] == 0)
              : text[cut - 1] == '\n')
      break;
    --cut;
  }
  return text.substr(0, cut);
}

// Kept out of line so that callgrind can collect exactly this call.
__attribute__((noinline)) std::size_t counted_call(const Runner& run, const std::string& in) {
  return run(in);
}
__attribute__((noinline)) std::size_t warm_up_call(const Runner& run, const std::string& in) {
  return run(in);
}

int count_main(const std::string& which, std::size_t limit) {
  const std::size_t slash = which.rfind('/');
  for (const Cell& c : cells()) {
    if (c.name != which.substr(0, slash)) continue;
    const bool utf16 = c.file.find("utf16") != std::string::npos;
    const std::string in = prefix(read_corpus(c.file), limit, utf16);
    for (Peer& p : peers_of(c)) {
      if (p.name != which.substr(slash + 1)) continue;
      warm_up_call(p.run, in);
      std::size_t out = counted_call(p.run, in);
      std::printf("%s\tinput_bytes=%zu\toutput_bytes=%zu\n", which.c_str(), in.size(), out);
      return 0;
    }
  }
  std::fprintf(stderr, "no cell %s\n", which.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // glibc serves a large block by mmap when it is at least as big as the
  // last one it unmapped, so the same conversion repeated either faults in
  // fresh pages every time or not, depending on which cell ran before. Fixed
  // thresholds give every peer's buffers a warm heap, in any order.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  std::string count;
  std::size_t count_bytes = std::size_t{1} << 20;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--count=", 0) == 0) {
      count = a.substr(8);
    } else if (a.rfind("--count-bytes=", 0) == 0) {
      count_bytes = std::strtoull(a.c_str() + 14, nullptr, 10);
    } else if (a == "--list-cells") {
      for (const Cell& c : cells())
        for (const Peer& p : peers_of(c)) std::printf("%s/%s\n", c.name.c_str(), p.name.c_str());
      return 0;
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (!count.empty()) return count_main(count, count_bytes);
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  if (benchmark::ReportUnrecognizedArguments(n, rest.data())) return 1;
  register_all();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
