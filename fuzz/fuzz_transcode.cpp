// The Big5/GBK transcoders on any bytes. The first byte picks the direction.
// Checks: the output is never longer than the input (every pair gives a
// pair, a byte at most itself), bytes below 0xA1 that start no pair come
// through, and no string buffer is left allocated.
#include "fuzz/fuzz_common.h"

using zel_fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  auto fn = data[0] & 1 ? zel_code_gbk_big5 : zel_code_big5_gbk;
  const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  const long alive = zel::string_buffers_alive();
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  fn(&s);
  const std::string out(s.data, static_cast<std::size_t>(s.length > 0 ? s.length : 0));
  zel_string_free(&s);
  check(zel::string_buffers_alive() == alive);
  check(out.size() <= in.size());
  bool all_low = true;
  for (unsigned char c : in) all_low = all_low && c < 0xA1;
  if (all_low) check(out == in);
  return 0;
}
