// The reference decoders on any bytes. The first byte picks UTF-8, GBK or
// GB18030. Checks: text without '&' comes back unchanged, the output is never
// longer than the reservation the decoders promise (4/3 of the input), and no
// string buffer is left allocated.
#include "fuzz/fuzz_common.h"

using zel_fuzz::check;

namespace {

std::string decode(void(ZEL_CALL* fn)(zel_string*), const std::string& in) {
  const long alive = zel::string_buffers_alive();
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  fn(&s);
  std::string out(s.data, static_cast<std::size_t>(s.length > 0 ? s.length : 0));
  zel_string_free(&s);
  check(zel::string_buffers_alive() == alive);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  void(ZEL_CALL * const decoders[])(zel_string*) = {zel_decode_utf8, zel_decode_gbk,
                                                    zel_decode_gb18030};
  auto fn = decoders[data[0] % 3];
  const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string out = decode(fn, in);
  check(out.size() <= in.size() + in.size() / 3 + 4);
  if (in.find('&') == std::string::npos) check(out == in);
  return 0;
}
