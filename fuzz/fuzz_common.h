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
using convert_report_fn = int(ZEL_CALL*)(int, zel_string*, zel_report*);
using in_place_fn = void(ZEL_CALL*)(zel_string*);
using in_place_report_fn = void(ZEL_CALL*)(zel_string*, zel_report*);

inline void check(bool ok) {
  if (!ok) std::abort();
}

// Runs call(&s) on a string holding a copy of the bytes and returns what it
// leaves there; aborts when the call leaves a string buffer allocated
// (test-mode strings count them).
template <class Call>
std::string run_on(const std::string& in, Call call) {
  const long alive = zel::string_buffers_alive();
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, in.data(), static_cast<std::int32_t>(in.size()));
  call(&s);
  std::string out(s.data, static_cast<std::size_t>(s.length > 0 ? s.length : 0));
  zel_string_free(&s);
  check(zel::string_buffers_alive() == alive);
  return out;
}

inline bool report_empty(const zel_report& r) {
  return r.passed == 0 && r.dropped == 0 && r.replaced == 0 && r.unmappable == 0 &&
         r.malformed == 0;
}

// What any report on a fuzz-sized input must satisfy. passed and dropped
// count distinct input bytes, so together they fit in the input.
inline void check_report(const zel_report& r, std::size_t in_size) {
  const auto size = static_cast<std::int64_t>(in_size);
  check(r.passed >= 0 && r.dropped >= 0 && r.replaced >= 0 && r.unmappable >= 0 &&
        r.malformed >= 0);
  check(r.passed + r.dropped <= size);
  check(report_empty(r) ? r.first_offset == -1 : r.first_offset >= 0 && r.first_offset < size);
  check(r.truncated == 0 && r.truncated_at == -1 && r.unused == 0);
}

struct outcome {
  std::string out;
  int result;
  zel_report report;
};

// One conversion three ways, each on its own copy of the bytes: the plain
// export, its report twin with a record and the twin with NULL. The report
// must not change the conversion, so all three give the same bytes and
// result; the record is filled with junk first because the call must reset it.
template <class Plain, class Report>
outcome run_three_ways(const std::string& in, Plain plain, Report report) {
  outcome o{};
  o.out = run_on(in, [&](zel_string* s) { o.result = plain(s); });
  std::memset(&o.report, 0xA5, sizeof o.report);
  int result = -1;
  check(run_on(in, [&](zel_string* s) { result = report(s, &o.report); }) == o.out);
  check(result == o.result);
  result = -1;
  check(run_on(in, [&](zel_string* s) { result = report(s, nullptr); }) == o.out);
  check(result == o.result);
  check_report(o.report, in.size());
  return o;
}

inline outcome run(convert_fn plain, convert_report_fn report, int id, const std::string& in) {
  return run_three_ways(
      in, [&](zel_string* s) { return plain(id, s); },
      [&](zel_string* s, zel_report* r) { return report(id, s, r); });
}

inline outcome run(in_place_fn plain, in_place_report_fn report, const std::string& in) {
  return run_three_ways(
      in,
      [&](zel_string* s) {
        plain(s);
        return 0;
      },
      [&](zel_string* s, zel_report* r) {
        report(s, r);
        return 0;
      });
}

}  // namespace zel_fuzz
