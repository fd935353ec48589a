// Calls on different strings may run at the same time: eight threads make
// mixed calls on their own strings and every result equals the one made
// alone. Run under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/conversion.h"

namespace {

struct Call {
  zel_test::convert_fn fn;  // null: the registry
  int id;
  std::string in;
};

std::vector<Call> make_calls(unsigned seed, int count) {
  const zel_test::convert_fn fns[] = {zel_code_unicode, zel_code_utf8, zel_code_gbk,
                                      zel_code_gb18030, nullptr};
  const char* labels[] = {"utf-8", "Shift_JIS", "gb2312-80", "nope", "iso-8859-16:2001"};
  std::mt19937 rng(seed);
  std::vector<Call> calls;
  for (int i = 0; i < count; ++i) {
    Call c{fns[rng() % 5], static_cast<int>(rng() % 59) - 1, {}};
    if (!c.fn) {
      c.in = labels[rng() % 5];
    } else {
      c.in.resize(rng() % 64);
      for (char& b : c.in) b = static_cast<char>(rng());
    }
    calls.push_back(std::move(c));
  }
  return calls;
}

// Not zel_test::convert: its count of live string buffers is global and
// other threads move it.
std::string run(const Call& c) {
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, c.in.data(), static_cast<std::int32_t>(c.in.size()));
  std::string out = c.fn ? std::to_string(c.fn(c.id, &s)) : std::to_string(zel_code_charset(&s));
  out.push_back(':');
  out.append(s.data, static_cast<std::size_t>(s.length));
  zel_string_free(&s);
  return out;
}

TEST(Concurrency, ThreadsAgreeWithASingleThread) {
  constexpr int threads = 8, per_thread = 20000;
  std::vector<std::vector<Call>> calls;
  std::vector<std::vector<std::string>> expected(threads);
  for (int t = 0; t < threads; ++t) {
    calls.push_back(make_calls(100 + t, per_thread));
    for (const Call& c : calls[t]) expected[t].push_back(run(c));
  }
  std::vector<int> mismatches(threads, 0);
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      for (int i = 0; i < per_thread; ++i)
        if (run(calls[t][i]) != expected[t][i]) ++mismatches[t];
    });
  }
  for (std::thread& th : pool) th.join();
  for (int t = 0; t < threads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
