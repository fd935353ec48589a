// Streams on any bytes, cut where the fuzzer says. The first byte picks the
// kind, the second the charset id (-1 to 57), the third how many cuts, and
// that many bytes after it the length of each piece but the last; the third
// also where the output goes: a fresh string, a record over the caller's own
// array, or the string that holds the text itself, each piece read from the
// output's own (moving) buffer. Checks: the pieces give the bytes and the
// report of one call of the matching report export on the whole text, after
// what the output held; the caller's array is untouched; and no string
// buffer is left allocated.
#include <algorithm>
#include <vector>

#include "fuzz/fuzz_common.h"

using zel_fuzz::check;

namespace {

// The one call a stream kind stands for.
zel_fuzz::outcome one_call(int kind, int id, const std::string& in) {
  using namespace zel_fuzz;
  switch (kind) {
    case ZEL_STREAM_TO_UCS2:
      return run(zel_code_unicode, zel_code_unicode_report, id, in);
    case ZEL_STREAM_TO_UTF8:
      return run(zel_code_utf8, zel_code_utf8_report, id, in);
    case ZEL_STREAM_TO_GBK:
      return run(zel_code_gbk, zel_code_gbk_report, id, in);
    case ZEL_STREAM_TO_GB18030:
      return run(zel_code_gb18030, zel_code_gb18030_report, id, in);
    case ZEL_STREAM_BIG5_TO_GBK:
      return run(zel_code_big5_gbk, zel_code_big5_gbk_report, in);
    case ZEL_STREAM_GBK_TO_BIG5:
      return run(zel_code_gbk_big5, zel_code_gbk_big5_report, in);
    case ZEL_STREAM_REFERENCES_UTF8:
      return run(zel_decode_utf8, zel_decode_utf8_report, in);
    case ZEL_STREAM_REFERENCES_GBK:
      return run(zel_decode_gbk, zel_decode_gbk_report, in);
    default:
      return run(zel_decode_gb18030, zel_decode_gb18030_report, in);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int kind = 1 + data[0] % 9;
  const int id = static_cast<int>(data[1] % 59) - 1;
  std::size_t cuts = data[2] % 16, at = 3;
  enum class into { fresh, caller_array, own_text };
  const auto output = static_cast<into>(data[2] / 16 % 3);
  std::vector<std::size_t> lengths;
  for (; cuts > 0 && at < size; --cuts) lengths.push_back(data[at++] % 8);
  const std::string in(reinterpret_cast<const char*>(data + at), size - at);
  if (kind <= ZEL_STREAM_TO_GB18030 && (id == 0 || id == 56)) return 0;

  const long alive = zel::string_buffers_alive();
  const zel_fuzz::outcome want = one_call(kind, id, in);
  zel_stream* st = zel_stream_open(kind | ZEL_STREAM_REPORT, id, nullptr);
  check(st != nullptr);
  char mine[] = "HELLO, ";
  std::string before;
  zel_string out;
  zel_string_init(&out);
  if (output == into::caller_array) {
    out = zel_string{mine, 7, 0};
    before = mine;
  } else if (output == into::own_text) {
    zel_string_assign(&out, in.data(), static_cast<std::int32_t>(in.size()));
    before = in;
  }
  // The text's bytes, looked up again before each feed: in the own-text
  // case the buffer moves as output is appended after the text.
  auto text = [&] { return output == into::own_text ? out.data : in.data(); };
  std::size_t from = 0;
  for (std::size_t len : lengths) {
    len = std::min(len, in.size() - from);
    check(zel_stream_feed(st, text() + from, static_cast<std::int32_t>(len), 0, &out) == 0);
    from += len;
  }
  check(zel_stream_feed(st, text() + from, static_cast<std::int32_t>(in.size() - from), 1, &out) ==
        0);
  zel_report r;
  zel_stream_report(st, &r);
  check(std::string(out.data, static_cast<std::size_t>(out.length)) == before + want.out);
  check(std::string(mine) == "HELLO, ");
  check(std::memcmp(&r, &want.report, sizeof r) == 0);
  zel_string_free(&out);
  zel_stream_free(st);
  check(zel::string_buffers_alive() == alive);
  return 0;
}
