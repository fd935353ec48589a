#include "src/simd/cpu.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define ZEL_X86 1
#include <cpuid.h>
#endif

namespace zel {
namespace {

#ifdef ZEL_X86
// The OS must save the wider registers on a context switch: XCR0 says which
// state components it enabled (bit 1 SSE, bit 2 AVX, bits 5 to 7 AVX-512).
unsigned long long enabled_state() noexcept {
  unsigned lo = 0, hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return static_cast<unsigned long long>(hi) << 32 | lo;
}
#endif

simd choose() noexcept {
  const simd best = detect_simd_level();
  const char* cap = std::getenv("ZEL_SIMD");
  const simd wanted = cap ? parse_simd_level(cap, best) : best;
  return wanted < best ? wanted : best;
}

// Filled by the first call, which the initializer below makes at load. An
// atomic rather than a function-local static: the static library must link
// into C programs, which have no C++ runtime for guarded initialisation.
std::atomic<int> chosen{-1};
[[maybe_unused]] const simd chosen_at_load = simd_level();
}  // namespace

simd detect_simd_level() noexcept {
#ifdef ZEL_X86
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return simd::plain;
  if (!(d & bit_SSE2)) return simd::plain;
  if (!(c & bit_SSSE3) || !(c & bit_SSE4_1)) return simd::sse2;
  if (!(c & bit_OSXSAVE) || !(c & bit_AVX)) return simd::ssse3;
  const unsigned long long xcr0 = enabled_state();
  if ((xcr0 & 0x6) != 0x6) return simd::ssse3;
  unsigned b7 = 0, c7 = 0, d7 = 0;
  if (!__get_cpuid_count(7, 0, &a, &b7, &c7, &d7)) return simd::ssse3;
  if (!(b7 & bit_AVX2) || !(b7 & bit_BMI) || !(b7 & bit_BMI2)) return simd::ssse3;
  const bool avx512 = (b7 & bit_AVX512F) && (b7 & bit_AVX512BW) && (b7 & bit_AVX512VL) &&
                      (c7 & bit_AVX512VBMI) && (c7 & bit_AVX512VBMI2) && (xcr0 & 0xE6) == 0xE6;
  return avx512 ? simd::avx512 : simd::avx2;
#else
  return simd::plain;
#endif
}

simd parse_simd_level(const char* name, simd fallback) noexcept {
  static constexpr struct {
    const char* name;
    simd level;
  } names[] = {{"plain", simd::plain},
               {"sse2", simd::sse2},
               {"ssse3", simd::ssse3},
               {"avx2", simd::avx2},
               {"avx512", simd::avx512}};
  for (const auto& entry : names)
    if (std::strcmp(name, entry.name) == 0) return entry.level;
  return fallback;
}

const char* simd_level_name(simd level) noexcept {
  static constexpr const char* names[] = {"plain", "sse2", "ssse3", "avx2", "avx512"};
  return names[static_cast<int>(level)];
}

simd simd_level() noexcept {
  int level = chosen.load(std::memory_order_relaxed);
  if (level < 0) {
    level = static_cast<int>(choose());
    chosen.store(level, std::memory_order_relaxed);
  }
  return static_cast<simd>(level);
}

}  // namespace zel
