// Well-formed UTF-8 into GBK or GB18030, in bulk, for the stretches of a
// text where the lenient UTF-8 decoder and a strict one agree (see
// utf8_to_ucs2.h) and every character has a two-byte code: there the writer
// gives U+0000..U+007F as one byte and any other unit as its two-byte code,
// lead byte first, and nothing degrades.
//
// A kernel reads the n bytes at `in` and writes at most `room` bytes at
// `out` (it may write scratch anywhere in that room past its bytes). It
// stops before the first byte that does not begin a whole well-formed
// sequence of at most three bytes within the n, before a character without
// a two-byte code (GBK's space, unless the kernel puts it, see gbk_lacking,
// or a GB18030 four-byte code, which the writer puts), before a character
// whose bytes would not fit the room, or at n; it never reads past
// in[n - 1]. Every level gives exactly what the plain twin gives.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/simd/cpu.h"

namespace zel {

struct utf8_gbk_run {
  std::size_t read;    // input bytes taken, whole sequences
  std::size_t bytes;   // GBK bytes written
  std::size_t spaces;  // of them, GBK's spaces put for units it lacks
};

using utf8_to_gbk_fn = utf8_gbk_run (*)(const std::uint8_t* in, std::size_t n, std::uint8_t* out,
                                        std::size_t room) noexcept;

// Whose two-byte codes a kernel writes. GB18030's differ from GBK's in a
// few cells, so each reads its own reverse table.
enum class gbk_target : std::uint8_t { gbk, gb18030 };

// What a GBK kernel does at a unit GBK lacks: stop before it, so that an
// output keeping a report places the space the writer puts for it, or put
// that space itself and count it (web text is full of U+00A0, which GBK
// lacks). GB18030 kernels always stop before a four-byte code.
enum class gbk_lacking : std::uint8_t { stop, space };

// The kernel of the highest level at or below `level` (below AVX-512, whose
// gather and byte compress it is built on, the plain twin).
utf8_to_gbk_fn utf8_to_gbk_kernel(simd level, gbk_target target = gbk_target::gbk,
                                  gbk_lacking lacking = gbk_lacking::stop) noexcept;

// The vector kernel of simd_level(), or null where there is none: callers
// then keep their own loop, which the plain twin is no faster than.
utf8_to_gbk_fn utf8_to_gbk_active(gbk_target target = gbk_target::gbk,
                                  gbk_lacking lacking = gbk_lacking::stop) noexcept;

// Input shorter than this is left to the caller's own loop.
inline constexpr std::size_t utf8_to_gbk_window = 64;

}  // namespace zel
