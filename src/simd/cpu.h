// Which vector instructions this process may use, decided once when the
// library loads. Kernels come in levels; a caller picks the kernel of the
// highest level at or below simd_level(). The plain level is the portable
// C++ twin every kernel is tested against.
//
// ZEL_SIMD in the environment caps the level (plain, sse2, ssse3, avx2,
// avx512), so that tests and benchmarks can run every kernel on one machine;
// it never raises it above what the CPU and the system support.
#pragma once

namespace zel {

enum class simd : int {
  plain = 0,
  sse2 = 1,    // x86-64 baseline; the 32-bit build is compiled with it
  ssse3 = 2,   // byte shuffles (SSSE3 and SSE4.1)
  avx2 = 3,    // 32-byte vectors, with BMI1 and BMI2
  avx512 = 4,  // AVX-512 F, BW, VL, VBMI and VBMI2 (byte compress)
};

// The level chosen at load. Constant afterwards, so reading it from any
// thread is safe.
simd simd_level() noexcept;

// Parses a ZEL_SIMD value; an unknown name gives `fallback`.
simd parse_simd_level(const char* name, simd fallback) noexcept;

// The level the CPU and system offer, before any cap.
simd detect_simd_level() noexcept;

const char* simd_level_name(simd level) noexcept;

}  // namespace zel
