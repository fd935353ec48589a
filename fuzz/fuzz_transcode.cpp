// The Big5/GBK transcoders on any bytes. The first byte picks the direction.
// Checks: the output is never longer than the input (every pair gives a
// pair, a byte at most itself), bytes below 0xA1 that start no pair come
// through, each report twin agrees with its export, and no string buffer is
// left allocated.
#include "fuzz/fuzz_common.h"

using zel_fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  struct {
    zel_fuzz::in_place_fn fn;
    zel_fuzz::in_place_report_fn report;
  } const directions[] = {{zel_code_big5_gbk, zel_code_big5_gbk_report},
                          {zel_code_gbk_big5, zel_code_gbk_big5_report}};
  const auto& d = directions[data[0] & 1];
  const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string out = zel_fuzz::run(d.fn, d.report, in).out;
  check(out.size() <= in.size());
  bool all_low = true;
  for (unsigned char c : in) all_low = all_low && c < 0xA1;
  if (all_low) check(out == in);
  return 0;
}
