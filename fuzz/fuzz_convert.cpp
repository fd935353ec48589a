// The conversion exports on any bytes and any id from -1 to 57. The first
// byte picks the id. Checks: result codes, refused ids leave the text as it
// was, converting in one pass equals converting into UCS-2 first and
// encoding that, and each report twin agrees with its export; text a
// conversion copies unchanged is only checked: it can report nothing but
// malformed sequences.
#include "fuzz/fuzz_common.h"

using zel_fuzz::check;
using zel_fuzz::report_empty;
using zel_fuzz::run;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int id = static_cast<int>(data[0] % 59) - 1;
  const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  const int refusal = id == 0 ? 1001 : id == 56 ? 1002 : 0;

  const auto pivot = run(zel_code_unicode, zel_code_unicode_report, id, in);
  check(pivot.result == refusal);
  if (refusal) {
    check(pivot.out == in && report_empty(pivot.report));
    return 0;
  }
  if (id == 1) check(report_empty(pivot.report));
  struct {
    zel_fuzz::convert_fn fn;
    zel_fuzz::convert_report_fn report;
    int pass_through;
  } const targets[] = {{zel_code_utf8, zel_code_utf8_report, 8},
                       {zel_code_gbk, zel_code_gbk_report, 0},
                       {zel_code_gb18030, zel_code_gb18030_report, 2}};
  for (const auto& t : targets) {
    const auto one_pass = run(t.fn, t.report, id, in);
    check(one_pass.result == 0);
    if (id == t.pass_through) {
      const zel_report& r = one_pass.report;
      check(one_pass.out == in && r.passed == 0 && r.dropped == 0 && r.replaced == 0 &&
            r.unmappable == 0);
    } else {
      check(one_pass.out == run(t.fn, t.report, 1, pivot.out).out);
    }
  }
  return 0;
}
