// The reference decoders on any bytes. The first byte picks UTF-8, GBK or
// GB18030. Checks: text without '&' comes back unchanged with nothing
// reported, the output is never longer than the reservation the decoders
// promise (4/3 of the input), each report twin agrees with its export, and
// no string buffer is left allocated.
#include "fuzz/fuzz_common.h"

using zel_fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  struct {
    zel_fuzz::in_place_fn fn;
    zel_fuzz::in_place_report_fn report;
  } const decoders[] = {{zel_decode_utf8, zel_decode_utf8_report},
                        {zel_decode_gbk, zel_decode_gbk_report},
                        {zel_decode_gb18030, zel_decode_gb18030_report}};
  const auto& d = decoders[data[0] % 3];
  const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  const auto decoded = zel_fuzz::run(d.fn, d.report, in);
  check(decoded.out.size() <= in.size() + in.size() / 3 + 4);
  if (in.find('&') == std::string::npos) {
    check(decoded.out == in && zel_fuzz::report_empty(decoded.report));
  }
  return 0;
}
