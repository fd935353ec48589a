// The conversion exports on any bytes and any id from -1 to 57. The first
// byte picks the id. Checks: result codes, refused ids leave the text as it
// was, and converting in one pass equals converting into UCS-2 first and
// encoding that.
#include "fuzz/fuzz_common.h"

using zel_fuzz::check;
using zel_fuzz::run;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int id = static_cast<int>(data[0] % 59) - 1;
  const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  const int refusal = id == 0 ? 1001 : id == 56 ? 1002 : 0;

  int result = -1;
  const std::string pivot = run(zel_code_unicode, id, in, &result);
  check(result == refusal);
  if (refusal) {
    check(pivot == in);
    return 0;
  }
  struct {
    zel_fuzz::convert_fn fn;
    int pass_through;
  } const targets[] = {{zel_code_utf8, 8}, {zel_code_gbk, 0}, {zel_code_gb18030, 2}};
  for (const auto& t : targets) {
    const std::string one_pass = run(t.fn, id, in, &result);
    check(result == 0);
    check(one_pass == (id == t.pass_through ? in : run(t.fn, 1, pivot)));
  }
  return 0;
}
