// Conversion throughput in input bytes per second, side by side with glibc
// iconv(3), ICU, encoding_rs and memcpy of the same bytes, in one binary and
// one run.
//
// "zel_report" is the same call through its *_report twin, counting every
// degradation: the price of the report, beside the plain call.
// "zel_stream" feeds a stream 64 KiB pieces: the price of streaming.
// "zel_convert" is the general conversion (zel_convert) of the same text:
// beside the ten exports on every cell both serve, and alone for ours on
// the cells only it serves (a legacy charset written, text beyond U+FFFF).
//
// Each cell reads one corpus file of bench/make_corpus.py (ZEL_BENCH_CORPUS
// names another folder). Every library call in a timed loop pays what a real
// caller pays: ours copies the input into a fresh zel_string, converts it in
// place and frees it; a peer allocates its output buffer, converts into it and
// frees it. iconv and ICU converters are opened once per cell, outside the
// timed loop; encoding_rs looks its encoding up once per cell and makes its
// decoder or encoder in every call, as its users do (it has no reset). The
// heap is kept warm for all of them alike (see main).
//
// `convert_bench --count=CELL/PEER [--count-bytes=N]` runs one conversion of
// the first N bytes (cut at a line end; default 1 MiB) through
// counted_call(), once after a warm-up run: under
// `valgrind --tool=callgrind --toggle-collect=*counted_call*` that gives the
// instructions per input byte (bench/count.sh).
//
// `convert_bench --sweep [--sizes=64K,1M,...] [--sweep-peers=zel,iconv,...]
// [--cold-runs=N]` prints, as TSV, CPU time per input byte against input size
// on a few cells with glibc's heap left at its defaults, warm (repeated calls)
// and cold (the first call), with page faults per call; each figure comes from
// a fresh process (`--warm=CELL/PEER --size=N`, `--cold=...`).
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>
#include <unistd.h>

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

#include "zel_bench_ers.h"
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

enum class Target { ucs2, utf8, gbk, gb18030, big5_gbk, references, general };

// One cell: a corpus file converted from one encoding into one target. The
// peers' names for the two sides; an empty name means the peer has no such
// conversion. encoding_rs takes WHATWG labels, with "UTF-16LE" on one side
// meaning its UTF-8 / UTF-16 string conversions. `to` is the target id of
// the general conversion on a Target::general cell.
struct Cell {
  std::string name;
  std::string file;
  int id;  // our charset id of the input
  Target target;
  const char* iconv_from;
  const char* iconv_to;
  const char* icu_from;
  const char* icu_to;
  const char* ers_from;
  const char* ers_to;
  int to = 0;
};

// The id zel_convert writes to give the bytes of a cell of the ten exports,
// or 0 where it has no such conversion (GBK without GB18030's four-byte
// codes has no id of its own; Big5 to GBK and references are not
// conversions it makes). UCS-2 cells become UTF-16LE: the same bytes for
// text within U+FFFF.
int general_target(const Cell& c) {
  switch (c.target) {
    case Target::ucs2:
      return ZEL_CHARSET_UTF16LE;
    case Target::utf8:
      return ZEL_CHARSET_UTF8;
    case Target::gb18030:
      return ZEL_CHARSET_GB18030;
    case Target::general:
      return c.to;
    default:
      return 0;
  }
}

std::vector<Cell> cells() {
  struct Legacy {
    const char* label;
    const char* file;
    int id;
    const char* iconv_name;
    const char* icu_name;
    const char* ers_name;
  };
  const Legacy legacy[] = {
      {"GB18030", "zh_hans.gb18030", ZEL_CHARSET_GB18030, "GB18030", "GB18030", "gb18030"},
      {"GBK", "zh_hans.gbk", ZEL_CHARSET_GB18030, "GBK", "GBK", "gbk"},
      {"Big5", "zh_hant.big5", ZEL_CHARSET_BIG5, "BIG5", "Big5", "big5"},
      {"Shift_JIS", "ja.sjis", ZEL_CHARSET_SHIFT_JIS, "SHIFT_JIS", "Shift_JIS", "shift_jis"},
      {"EUC-JP", "ja.eucjp", ZEL_CHARSET_EUC_JP, "EUC-JP", "EUC-JP", "euc-jp"},
      {"EUC-KR", "ko.euckr", ZEL_CHARSET_EUC_KR, "EUC-KR", "EUC-KR", "euc-kr"},
      {"CP1252", "western.cp1252", ZEL_CHARSET_CP1252, "CP1252", "windows-1252", "windows-1252"},
  };
  std::vector<Cell> out;
  for (const Legacy& l : legacy) {
    out.push_back({std::string(l.label) + ">UTF-8", l.file, l.id, Target::utf8, l.iconv_name,
                   "UTF-8", l.icu_name, "UTF-8", l.ers_name, "UTF-8"});
    out.push_back({std::string(l.label) + ">UCS-2", l.file, l.id, Target::ucs2, l.iconv_name,
                   "UTF-16LE", l.icu_name, "UTF-16LE", l.ers_name, "UTF-16LE"});
  }
  for (const char* text : {"zh_hans", "ja", "ko", "western"}) {
    out.push_back({std::string("UTF-8>UCS-2:") + text, std::string(text) + ".utf8",
                   ZEL_CHARSET_UTF8, Target::ucs2, "UTF-8", "UTF-16LE", "UTF-8", "UTF-16LE",
                   "UTF-8", "UTF-16LE"});
    out.push_back({std::string("UCS-2>UTF-8:") + text, std::string(text) + ".utf16le",
                   ZEL_CHARSET_UCS2LE, Target::utf8, "UTF-16LE", "UTF-8", "UTF-16LE", "UTF-8",
                   "UTF-16LE", "UTF-8"});
  }
  out.push_back({"UTF-8>GBK", "zh_hans.utf8", ZEL_CHARSET_UTF8, Target::gbk, "UTF-8", "GBK",
                 "UTF-8", "GBK", "UTF-8", "gbk"});
  out.push_back({"UTF-8>GB18030", "zh_hans.utf8", ZEL_CHARSET_UTF8, Target::gb18030, "UTF-8",
                 "GB18030", "UTF-8", "GB18030", "UTF-8", "gb18030"});
  out.push_back({"Big5>GBK", "zh_hant.big5", ZEL_CHARSET_BIG5, Target::big5_gbk, "BIG5", "GBK",
                 "Big5", "GBK", "big5", "gbk"});
  out.push_back({"references:with", "html_refs.utf8", ZEL_CHARSET_UTF8, Target::references, "", "",
                 "", "", "", ""});
  out.push_back({"references:without", "html_plain.utf8", ZEL_CHARSET_UTF8, Target::references, "",
                 "", "", "", "", ""});
  // The general conversion alone: legacy charsets written from Unicode text
  // they hold whole, and text with characters beyond U+FFFF.
  struct Written {
    const char* label;
    const char* file;
    int to;
    const char* iconv_name;
    const char* icu_name;
    const char* ers_name;
  };
  const Written written[] = {
      {"Shift_JIS", "ja_sjis.utf8", ZEL_CHARSET_SHIFT_JIS, "SHIFT_JIS", "Shift_JIS", "shift_jis"},
      {"EUC-JP", "ja_eucjp.utf8", ZEL_CHARSET_EUC_JP, "EUC-JP", "EUC-JP", "euc-jp"},
      {"EUC-KR", "ko_euckr.utf8", ZEL_CHARSET_EUC_KR, "EUC-KR", "EUC-KR", "euc-kr"},
      {"Big5", "zh_hant_big5.utf8", ZEL_CHARSET_BIG5, "BIG5", "Big5", "big5"},
      {"CP1252", "western_cp1252.utf8", ZEL_CHARSET_CP1252, "CP1252", "windows-1252",
       "windows-1252"},
      {"KOI8-R", "ru_koi8r.utf8", ZEL_CHARSET_KOI8_R, "KOI8-R", "KOI8-R", "koi8-r"},
  };
  for (const Written& w : written)
    out.push_back({std::string("UTF-8>") + w.label, w.file, ZEL_CHARSET_UTF8, Target::general,
                   "UTF-8", w.iconv_name, "UTF-8", w.icu_name, "UTF-8", w.ers_name, w.to});
  out.push_back({"UTF-16LE>Shift_JIS", "ja_sjis.utf16le", ZEL_CHARSET_UTF16LE, Target::general,
                 "UTF-16LE", "SHIFT_JIS", "UTF-16LE", "Shift_JIS", "UTF-16LE", "shift_jis",
                 ZEL_CHARSET_SHIFT_JIS});
  out.push_back({"UTF-8>UTF-16LE:emoji", "emoji.utf8", ZEL_CHARSET_UTF8, Target::general, "UTF-8",
                 "UTF-16LE", "UTF-8", "UTF-16LE", "UTF-8", "UTF-16LE", ZEL_CHARSET_UTF16LE});
  out.push_back({"UTF-16LE>UTF-8:emoji", "emoji.utf16le", ZEL_CHARSET_UTF16LE, Target::general,
                 "UTF-16LE", "UTF-8", "UTF-16LE", "UTF-8", "UTF-16LE", "UTF-8", ZEL_CHARSET_UTF8});
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
      case Target::general:
        break;
    }
    benchmark::DoNotOptimize(s.data);
    benchmark::DoNotOptimize(r);
    std::size_t n = static_cast<std::size_t>(s.length);
    zel_string_free(&s);
    return n;
  };
}

// The general conversion of a cell's text, substituting what the target
// lacks; `report`, when given, is filled (for the one check before timing).
Runner zel_convert_runner(const Cell& c, std::shared_ptr<zel_report> report = nullptr) {
  const int to = general_target(c);
  if (!to) return nullptr;
  return [from = c.id, to, report](const std::string& in) {
    zel_string s;
    zel_string_init(&s);
    zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
    zel_convert(from, to, ZEL_UNMAPPABLE_SUBSTITUTE, &s, report.get());
    benchmark::DoNotOptimize(s.data);
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
    case Target::general:
      return nullptr;
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
// ucnv_fromUChars out of it, and ucnv_convertEx (with its direct paths to
// and from UTF-8) otherwise.
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
  if (from == "UTF-16LE") {
    peer->to = ucnv_open(c.icu_to, &err);
    if (U_FAILURE(err)) {
      std::fprintf(stderr, "ICU cannot convert into %s: %s\n", c.icu_to, u_errorName(err));
      return nullptr;
    }
    return [p = peer](const std::string& in) {
      std::size_t room = output_room(in.size());
      char* out = static_cast<char*>(std::malloc(room));
      UErrorCode e = U_ZERO_ERROR;
      // The corpus holds whole units in host order (little-endian here).
      int32_t len = ucnv_fromUChars(p->to, out, static_cast<int32_t>(room),
                                    reinterpret_cast<const UChar*>(in.data()),
                                    static_cast<int32_t>(in.size() / 2), &e);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return static_cast<std::size_t>(len);
    };
  }
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

// encoding_rs converts into a buffer of the size it asks for (its worst case
// for decoding, ours for encoding); unmappable characters to GBK become
// decimal references there, where iconv stops and ICU writes one byte.
const zel_bench_ers_encoding* ers_encoding(const char* label) {
  const zel_bench_ers_encoding* e = zel_bench_ers_for_label(label);
  if (!e) std::fprintf(stderr, "encoding_rs has no encoding %s\n", label);
  return e;
}

std::size_t ers_checked(std::size_t n, const char* what) {
  if (n == ZEL_BENCH_ERS_FAILED) {
    std::fprintf(stderr, "encoding_rs %s: output buffer too small or input not UTF-8\n", what);
    std::abort();
  }
  return n;
}

const std::uint8_t* ers_bytes(const std::string& in) {
  return reinterpret_cast<const std::uint8_t*>(in.data());
}

Runner ers_runner(const Cell& c) {
  if (!*c.ers_from) return nullptr;
  const std::string from = c.ers_from, to = c.ers_to;
  if (from == "UTF-8" && to == "UTF-16LE") {
    return [](const std::string& in) {
      std::size_t room = in.size() + 8;
      auto* out = static_cast<std::uint16_t*>(std::malloc(room * 2));
      std::size_t n = zel_bench_ers_utf8_to_utf16(ers_bytes(in), in.size(), out, room);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return ers_checked(n, "utf8_to_utf16") * 2;
    };
  }
  if (from == "UTF-16LE" && to == "UTF-8") {
    return [](const std::string& in) {
      std::size_t room = output_room(in.size());
      auto* out = static_cast<std::uint8_t*>(std::malloc(room));
      // The corpus holds whole units in host order (little-endian here).
      std::size_t n = zel_bench_ers_utf16_to_utf8(reinterpret_cast<const std::uint16_t*>(in.data()),
                                                  in.size() / 2, out, room);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return ers_checked(n, "utf16_to_utf8");
    };
  }
  if (from == "UTF-16LE") {
    const zel_bench_ers_encoding* dst = ers_encoding(c.ers_to);
    if (!dst) return nullptr;
    return [dst](const std::string& in) {
      std::size_t room = output_room(in.size());
      auto* out = static_cast<std::uint8_t*>(std::malloc(room));
      std::size_t n = zel_bench_ers_encode_from_utf16(
          dst, reinterpret_cast<const std::uint16_t*>(in.data()), in.size() / 2, out, room);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return ers_checked(n, "encode_from_utf16");
    };
  }
  const zel_bench_ers_encoding* src = from == "UTF-8" ? nullptr : ers_encoding(c.ers_from);
  const zel_bench_ers_encoding* dst =
      to == "UTF-8" || to == "UTF-16LE" ? nullptr : ers_encoding(c.ers_to);
  if (from != "UTF-8" && !src) return nullptr;
  if (to != "UTF-8" && to != "UTF-16LE" && !dst) return nullptr;
  if (to == "UTF-16LE") {
    return [src](const std::string& in) {
      std::size_t room = ers_checked(zel_bench_ers_utf16_room(src, in.size()), "utf16_room");
      auto* out = static_cast<std::uint16_t*>(std::malloc(room * 2));
      std::size_t n = zel_bench_ers_decode_to_utf16(src, ers_bytes(in), in.size(), out, room);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return ers_checked(n, "decode_to_utf16") * 2;
    };
  }
  if (to == "UTF-8") {
    return [src](const std::string& in) {
      std::size_t room = ers_checked(zel_bench_ers_utf8_room(src, in.size()), "utf8_room");
      auto* out = static_cast<std::uint8_t*>(std::malloc(room));
      std::size_t n = zel_bench_ers_decode_to_utf8(src, ers_bytes(in), in.size(), out, room);
      benchmark::DoNotOptimize(out);
      std::free(out);
      return ers_checked(n, "decode_to_utf8");
    };
  }
  return [src, dst](const std::string& in) {
    std::size_t room = output_room(in.size());
    auto* out = static_cast<std::uint8_t*>(std::malloc(room));
    std::size_t n = src ? zel_bench_ers_transcode(src, dst, ers_bytes(in), in.size(), out, room)
                        : zel_bench_ers_encode_from_utf8(dst, ers_bytes(in), in.size(), out, room);
    benchmark::DoNotOptimize(out);
    std::free(out);
    return ers_checked(n, src ? "transcode" : "encode_from_utf8");
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
  if (c.target != Target::general) {
    peers.push_back({"zel", zel_runner(c, false), nullptr});
    peers.push_back({"zel_report", zel_runner(c, true), nullptr});
    peers.push_back({"zel_stream", zel_stream_runner(c), nullptr});
  }
  if (Runner r = zel_convert_runner(c)) peers.push_back({"zel_convert", r, nullptr});
  std::shared_ptr<IconvPeer> ic;
  if (Runner r = iconv_runner(c, ic)) peers.push_back({"iconv", r, ic});
  // The ICU converters live as long as the runner holding them.
  std::shared_ptr<IcuPeer> icu;
  if (Runner r = icu_runner(c, icu)) peers.push_back({"icu", r, nullptr});
  if (Runner r = ers_runner(c)) peers.push_back({"encoding_rs", r, nullptr});
  peers.push_back({"memcpy", memcpy_runner(), nullptr});
  return peers;
}

void register_all() {
  for (const Cell& c : cells()) {
    auto input = std::make_shared<std::string>(read_corpus(c.file));
    for (Peer& p : peers_of(c)) {
      benchmark::RegisterBenchmark(
          (c.name + "/" + p.name).c_str(), [c, input, p](benchmark::State& state) {
            if (p.name == "zel_convert") {
              // What the general conversion replaced in this text, counted
              // once before the timed loop.
              auto r = std::make_shared<zel_report>();
              zel_convert_runner(c, r)(*input);
              state.counters["unmappable"] = static_cast<double>(r->unmappable);
              state.counters["malformed"] = static_cast<double>(r->malformed);
              state.counters["replaced"] = static_cast<double>(r->replaced);
            }
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
// noipa: the two bodies are identical, and without it the compiler folds
// them into one function, so that callgrind would count the warm-up too.
__attribute__((noipa)) std::size_t counted_call(const Runner& run, const std::string& in) {
  return run(in);
}
__attribute__((noipa)) std::size_t warm_up_call(const Runner& run, const std::string& in) {
  return run(in);
}

bool is_utf16(const Cell& c) { return c.file.find("utf16") != std::string::npos; }

// CELL/PEER: the cell and the peer's runner, or false when there is none.
bool find_peer(const std::string& which, Cell& cell, Peer& peer) {
  const std::size_t slash = which.rfind('/');
  if (slash == std::string::npos) return false;
  for (const Cell& c : cells()) {
    if (c.name != which.substr(0, slash)) continue;
    for (Peer& p : peers_of(c)) {
      if (p.name != which.substr(slash + 1)) continue;
      cell = c;
      peer = p;
      return true;
    }
  }
  std::fprintf(stderr, "no cell %s\n", which.c_str());
  return false;
}

int count_main(const std::string& which, std::size_t limit) {
  Cell c;
  Peer p;
  if (!find_peer(which, c, p)) return 2;
  const std::string in = prefix(read_corpus(c.file), limit, is_utf16(c));
  warm_up_call(p.run, in);
  std::size_t out = counted_call(p.run, in);
  std::printf("%s\tinput_bytes=%zu\toutput_bytes=%zu\n", which.c_str(), in.size(), out);
  return 0;
}

// Size sweep. Each cell's corpus file is repeated to the size and cut after a
// line end. Nothing here touches glibc's heap settings: buffers from 32 MiB
// up are mmapped and unmapped on every call, smaller ones come from the heap
// once glibc has raised its mmap threshold, as in any program.
const char* const kSweepCells[] = {"GB18030>UTF-8", "CP1252>UCS-2", "UCS-2>UTF-8:zh_hans"};

std::string sized_input(const Cell& c, std::size_t size) {
  const std::string text = read_corpus(c.file);
  std::string s;
  s.reserve(size + text.size());
  while (s.size() < size) s += text;
  return prefix(s, size, is_utf16(c));
}

double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct Faults {
  long minor = 0;
  long major = 0;
};

Faults faults() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return {u.ru_minflt, u.ru_majflt};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

std::size_t parse_size(const std::string& s) {
  char* end = nullptr;
  std::size_t n = std::strtoull(s.c_str(), &end, 10);
  switch (*end) {
    case 'K':
    case 'k':
      return n << 10;
    case 'M':
    case 'm':
      return n << 20;
    case 'G':
    case 'g':
      return n << 30;
    default:
      return n;
  }
}

std::vector<std::string> split(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t at = 0; at <= s.size();) {
    std::size_t comma = std::min(s.find(',', at), s.size());
    if (comma > at) out.push_back(s.substr(at, comma - at));
    at = comma + 1;
  }
  return out;
}

void print_row(const char* mode, const std::string& cell, std::size_t size, const std::string& peer,
               double seconds_per_call, std::size_t in_bytes, double minflt, double majflt) {
  const double b = static_cast<double>(in_bytes);
  std::printf("%s\t%s\t%zu\t%s\t%.3f\t%.0f\t%.1f\t%.1f\n", mode, cell.c_str(), size, peer.c_str(),
              1e9 * seconds_per_call / b, b / seconds_per_call / 1e6, minflt, majflt);
  std::fflush(stdout);
}

// One measurement in a fresh process, so that glibc's heap (whose mmap
// threshold rises with what was freed before) has seen only this peer. CPU
// time is user and system time, so the kernel's work of faulting in new
// pages counts; faults are per call.
//
// Cold: the first conversion. Warm: after one uncounted call, batches of
// calls of at least 20 ms each, at least 5 batches and 0.3 s in all; the
// median of the batches' time per call.
int sweep_child(bool warm, const std::string& which, std::size_t size) {
  Cell c;
  Peer p;
  if (!find_peer(which, c, p)) return 2;
  const std::string in = sized_input(c, size);
  int calls = 1, batches = 1;
  if (warm) {
    const double t0 = cpu_seconds();
    benchmark::DoNotOptimize(p.run(in));
    const double first = std::max(cpu_seconds() - t0, 1e-7);
    calls = static_cast<int>(std::max(1.0, 0.02 / first));
    batches = static_cast<int>(std::clamp(0.3 / (first * calls), 5.0, 100.0));
  }
  std::vector<double> per_call;
  const Faults f0 = faults();
  for (int b = 0; b < batches; ++b) {
    const double t0 = cpu_seconds();
    for (int i = 0; i < calls; ++i) benchmark::DoNotOptimize(p.run(in));
    per_call.push_back((cpu_seconds() - t0) / calls);
  }
  const Faults f1 = faults();
  const double n = static_cast<double>(batches) * calls;
  print_row(warm ? "warm" : "cold", c.name, size, p.name, median(per_call), in.size(),
            static_cast<double>(f1.minor - f0.minor) / n,
            static_cast<double>(f1.major - f0.major) / n);
  return 0;
}

// Every cell, size and peer, warm then cold, each in processes of its own
// (`cold_runs` of them for cold, with the medians of their figures).
int sweep_main(const std::vector<std::size_t>& sizes, const std::vector<std::string>& peers,
               int cold_runs) {
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  std::printf("mode\tcell\tsize\tpeer\tns_per_byte\tMB_s\tminflt\tmajflt\n");
  for (const char* mode : {"warm", "cold"}) {
    const int runs = std::string(mode) == "warm" ? 1 : std::max(cold_runs, 1);
    for (const char* name : kSweepCells) {
      for (std::size_t size : sizes) {
        for (const std::string& peer : peers) {
          std::vector<double> v[4];
          for (int r = 0; r < runs; ++r) {
            const std::string cmd = std::string("'") + self + "' '--" + mode + "=" + name + "/" +
                                    peer + "' --size=" + std::to_string(size);
            FILE* child = popen(cmd.c_str(), "r");
            if (!child) return 1;
            char line[512] = {};
            double x[4];
            const bool ok = std::fgets(line, sizeof line, child) &&
                            std::sscanf(line, "%*s %*s %*s %*s %lf %lf %lf %lf", &x[0], &x[1],
                                        &x[2], &x[3]) == 4;
            if (pclose(child) != 0 || !ok) break;
            for (int i = 0; i < 4; ++i) v[i].push_back(x[i]);
          }
          if (v[0].empty()) continue;
          std::printf("%s\t%s\t%zu\t%s\t%.3f\t%.0f\t%.1f\t%.1f\n", mode, name, size, peer.c_str(),
                      median(v[0]), median(v[1]), median(v[2]), median(v[3]));
          std::fflush(stdout);
        }
      }
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::size_t> sizes;
  std::vector<std::string> sweep_peers = {"zel", "iconv", "encoding_rs"};
  std::string child;
  bool warm = false;
  int cold_runs = 3;
  bool sweep = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--sweep") {
      sweep = true;
    } else if (a.rfind("--sizes=", 0) == 0 || a.rfind("--size=", 0) == 0) {
      for (const std::string& s : split(a.substr(a.find('=') + 1))) sizes.push_back(parse_size(s));
    } else if (a.rfind("--sweep-peers=", 0) == 0) {
      sweep_peers = split(a.substr(14));
    } else if (a.rfind("--cold-runs=", 0) == 0) {
      cold_runs = std::atoi(a.c_str() + 12);
    } else if (a.rfind("--cold=", 0) == 0 || a.rfind("--warm=", 0) == 0) {
      warm = a[2] == 'w';
      child = a.substr(7);
    }
  }
  if (sizes.empty()) sizes = {64 << 10, 1 << 20, 16 << 20, 64 << 20, 256 << 20};
  // The sweep measures glibc's heap as every program gets it: no mallopt.
  if (!child.empty()) return sweep_child(warm, child, sizes.front());
  if (sweep) return sweep_main(sizes, sweep_peers, cold_runs);

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
  benchmark::AddCustomContext(
      "encoding_rs", std::string(ZEL_BENCH_ENCODING_RS_VERSION " ") + zel_bench_ers_features());
  register_all();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
