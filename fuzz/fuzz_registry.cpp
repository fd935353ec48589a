// The label registry on any bytes: the id is one the registry can give, and
// the label is left upper-cased with '_' for '-', every other byte as it was.
#include "fuzz/fuzz_common.h"

using zel_fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string label(reinterpret_cast<const char*>(data), size);
  int id = -1;
  const std::string out = zel_fuzz::run_on(label, [&](zel_string* s) { id = zel_code_charset(s); });
  check(id >= 0 && id <= 55 && id != 18);
  check(out.size() == label.size());
  for (std::size_t i = 0; i < label.size(); ++i) {
    char want = label[i] >= 'a' && label[i] <= 'z' ? static_cast<char>(label[i] - 32)
                : label[i] == '-'                  ? '_'
                                                   : label[i];
    check(out[i] == want);
  }
  return 0;
}
