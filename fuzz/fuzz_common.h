// Shared pieces of the fuzz harnesses.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "src/string/string_ops.h"
#include "zel_code.h"

namespace zel_fuzz {

using convert_fn = int(ZEL_CALL*)(int, zel_string*);

// Runs fn over a copy of the bytes and returns the result; aborts when the
// call leaves a string buffer allocated (test-mode strings count them).
inline std::string run(convert_fn fn, int id, const std::string& in, int* result = nullptr) {
  const long alive = zel::string_buffers_alive();
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  int r = fn(id, &s);
  if (result) *result = r;
  std::string out(s.data, static_cast<std::size_t>(s.length > 0 ? s.length : 0));
  zel_string_free(&s);
  if (zel::string_buffers_alive() != alive) std::abort();
  return out;
}

inline void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace zel_fuzz
