// The label registry on any bytes: the id is one the registry can give, and
// the label is left upper-cased with '_' for '-', every other byte as it was.
#include "fuzz/fuzz_common.h"

using zel_fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string label(reinterpret_cast<const char*>(data), size);
  const long alive = zel::string_buffers_alive();
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, label.data(), static_cast<std::int32_t>(label.size()));
  const int id = zel_code_charset(&s);
  check(id >= 0 && id <= 55 && id != 18);
  check(static_cast<std::size_t>(s.length) == label.size());
  for (std::size_t i = 0; i < label.size(); ++i) {
    char want = label[i] >= 'a' && label[i] <= 'z' ? static_cast<char>(label[i] - 32)
                : label[i] == '-'                  ? '_'
                                                   : label[i];
    check(s.data[i] == want);
  }
  zel_string_free(&s);
  check(zel::string_buffers_alive() == alive);
  return 0;
}
