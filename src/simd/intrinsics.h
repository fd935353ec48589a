// The x86 intrinsics for the vector kernels; ZEL_SIMD_X86 is defined where
// they exist. Include it only from a kernel's .cpp: GCC 12's AVX-512
// headers start vectors from a self-initialised "undefined" one and take
// the pass-through operand of the zeroing and narrowing forms for a read,
// which -Wmaybe-uninitialized reports as a bug wherever those intrinsics
// are inlined, so the warning is off for the rest of the including file.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#define ZEL_SIMD_X86 1
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

// Makes the vector `v` opaque to the compiler, so that a constant built
// before a loop is kept in a register, or spilled once and read from the
// stack, instead of being built again from an immediate at every use
// inside the loop, which GCC 12 does for broadcasts.
#define ZEL_KEEP(v) __asm__("" : "+x"(v))
#endif
