// The general conversion on any bytes. The first byte picks the source id,
// the second the target, the third what becomes of a character the target
// lacks and where a stream of it is cut. Checks:
// - the conversion equals two steps through UTF-32: decode, then encode;
// - it gives the same bytes with a report and without one;
// - a stream cut in two gives its bytes and result;
// - on text the one-call exports read without degrading anything, it gives
//   what they give (UTF-8 and GB18030 targets), so that the general decoders
//   are the exports' own on clean text;
// - no string buffer is left allocated.
#include <iterator>

#include "fuzz/fuzz_common.h"

using zel_fuzz::check;

namespace {

constexpr int ids[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
                       17, 18, 19, 20, 21, 24, 34, 41, 42, 49, 52, 53, 55, 57, 58, 59};

struct converted {
  int result;
  std::string out;
};

converted convert(int from, int to, int unmappable, const std::string& in) {
  converted c{};
  c.out = zel_fuzz::run_on(in, [&](zel_string* s) {
    zel_report r;
    c.result = zel_convert(from, to, unmappable, s, &r);
    zel_fuzz::check_report(r, in.size());
  });
  // Without a report, legacy targets take the windowed path: the same bytes.
  std::string quiet = zel_fuzz::run_on(
      in, [&](zel_string* s) { check(zel_convert(from, to, unmappable, s, nullptr) == c.result); });
  check(quiet == c.out);
  return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int from = ids[data[0] % std::size(ids)], to = ids[data[1] % std::size(ids)];
  const int unmappable = data[2] % 4;
  const std::string in(reinterpret_cast<const char*>(data + 3), size - 3);
  const long alive = zel::string_buffers_alive();

  const converted direct = convert(from, to, unmappable, in);
  const converted decoded = convert(from, ZEL_CHARSET_UTF32BE, unmappable, in);
  check(decoded.result == 0);
  const converted staged = convert(ZEL_CHARSET_UTF32BE, to, unmappable, decoded.out);
  // A stop leaves each string as it was, so only the results compare then.
  check(direct.result == staged.result && (direct.result != 0 || direct.out == staged.out));

  zel_stream* st = zel_stream_open_convert(from, to, unmappable, nullptr);
  check(st != nullptr);
  zel_string out;
  zel_string_init(&out);
  const std::size_t cut = data[2] / 4 % (in.size() + 1);
  int result = zel_stream_feed(st, in.data(), static_cast<std::int32_t>(cut), 0, &out);
  if (result == 0)
    result =
        zel_stream_feed(st, in.data() + cut, static_cast<std::int32_t>(in.size() - cut), 1, &out);
  check(result == direct.result);
  if (result == 0) check(std::string(out.data, static_cast<std::size_t>(out.length)) == direct.out);
  zel_string_free(&out);
  zel_stream_free(st);

  struct export_pair {
    int target;
    zel_fuzz::convert_fn plain;
    zel_fuzz::convert_report_fn report;
  };
  const export_pair exports[] = {{ZEL_CHARSET_UTF8, zel_code_utf8, zel_code_utf8_report},
                                 {ZEL_CHARSET_GB18030, zel_code_gb18030, zel_code_gb18030_report}};
  const bool ten_read_it =
      from != ZEL_CHARSET_UCS2LE && from != ZEL_CHARSET_JIS_X0201 && from <= ZEL_CHARSET_MULELAO_1;
  for (const export_pair& e : exports) {
    if (!ten_read_it) break;
    const zel_fuzz::outcome old = zel_fuzz::run(e.plain, e.report, from, in);
    if (zel_fuzz::report_empty(old.report))
      check(convert(from, e.target, unmappable, in).out == old.out);
  }
  check(zel::string_buffers_alive() == alive);
  return 0;
}
