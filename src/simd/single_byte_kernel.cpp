// Single-byte charsets into UCS-2 and UTF-8 a 64-byte step at a time
// (AVX-512 VBMI).
//
// Method: the 128 cells from 0x80 are turned once a call into byte planes
// of 128 bytes each, two registers a plane: the cells' low and high bytes
// for UCS-2, the first, second and third bytes of their UTF-8 forms for
// UTF-8. vpermi2b looks up 64 bytes at once in such a pair of registers by
// the low seven bits of each index, so a step reads each plane with one
// lookup; bytes below 0x80 keep themselves in the first plane and get zero
// in the others through the lookups' masks. Into UCS-2 the step's 8-byte
// groups are first reordered so that two byte interleaves write its 64
// units in place. Into UTF-8 a step of only ASCII is stored as it is;
// otherwise each 16 of its bytes become 16 four-byte slots (first, second,
// third byte, zero) by one two-register and one one-register lookup, and a
// byte compress keeps each slot's first byte and its nonzero others (a
// second or third UTF-8 byte is never zero).
#include "src/simd/single_byte_kernel.h"

#include <bit>

#include "src/simd/intrinsics.h"

namespace zel {
namespace {

constexpr std::size_t step = single_byte_step;

inline std::uint16_t unit_of(const std::uint16_t* cells, std::uint8_t b) noexcept {
  return b < 0x80 ? std::uint16_t{b} : cells[b];
}

void ucs2_from(const std::uint16_t* cells, const std::uint8_t* in, std::size_t n, std::uint8_t* out,
               std::size_t i) noexcept {
  for (; i < n; ++i) {
    const std::uint16_t u = unit_of(cells, in[i]);
    out[2 * i] = static_cast<std::uint8_t>(u & 0xFF);
    out[2 * i + 1] = static_cast<std::uint8_t>(u >> 8);
  }
}

void ucs2_plain(const std::uint16_t* cells, const std::uint8_t* in, std::size_t n,
                std::uint8_t* out) noexcept {
  ucs2_from(cells, in, n, out, 0);
}

single_byte_utf8_run utf8_plain(const std::uint16_t* cells, const std::uint8_t* in, std::size_t n,
                                std::uint8_t* out, std::size_t room) noexcept {
  std::size_t i = 0, o = 0;
  for (; n - i >= step && room - o >= single_byte_utf8_room; i += step) {
    for (std::size_t k = i; k < i + step; ++k) {
      const unsigned u = unit_of(cells, in[k]);
      if (u < 0x80) {
        out[o++] = static_cast<std::uint8_t>(u);
      } else if (u < 0x800) {
        out[o++] = static_cast<std::uint8_t>(0xC0 | u >> 6);
        out[o++] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
      } else {
        out[o++] = static_cast<std::uint8_t>(0xE0 | u >> 12);
        out[o++] = static_cast<std::uint8_t>(0x80 | (u >> 6 & 0x3F));
        out[o++] = static_cast<std::uint8_t>(0x80 | (u & 0x3F));
      }
    }
  }
  return {i, o};
}

#ifdef ZEL_SIMD_X86

// Index vectors. `even`: byte 2k of a pair of registers, the low bytes of
// 64 16-bit lanes. `slots[c]`: for
// bytes 16c..16c+15 of a step, the four-byte slots (first plane, second
// plane, first plane again for the third plane's one-register lookup, any).
struct index_vectors {
  std::uint8_t even[64];
  std::uint8_t slots[4][64];
};

constexpr index_vectors make_indexes() {
  index_vectors v{};
  for (std::size_t k = 0; k < 64; ++k) v.even[k] = static_cast<std::uint8_t>(2 * k);
  for (std::size_t c = 0; c < 4; ++c)
    for (std::size_t j = 0; j < 16; ++j) {
      const auto at = static_cast<std::uint8_t>(16 * c + j);
      v.slots[c][4 * j] = at;
      v.slots[c][4 * j + 1] = static_cast<std::uint8_t>(64 + at);
      v.slots[c][4 * j + 2] = at;
    }
  return v;
}

constexpr index_vectors indexes = make_indexes();

#define ZEL_AVX512 \
  __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,popcnt")))

// A plane of 128 bytes from the low bytes of four registers of 32 lanes.
struct plane {
  __m512i a, b;  // bytes 0x80..0xBF, 0xC0..0xFF
};

ZEL_AVX512 inline plane low_bytes(const __m512i (&w)[4]) noexcept {
  const __m512i even = _mm512_loadu_si512(indexes.even);
  return {_mm512_permutex2var_epi8(w[0], even, w[1]), _mm512_permutex2var_epi8(w[2], even, w[3])};
}

ZEL_AVX512 inline void load_cells(const std::uint16_t* cells, __m512i (&w)[4]) noexcept {
  for (std::size_t r = 0; r < 4; ++r) w[r] = _mm512_loadu_si512(cells + 0x80 + 32 * r);
}

ZEL_AVX512 void ucs2_avx512(const std::uint16_t* cells, const std::uint8_t* in, std::size_t n,
                            std::uint8_t* out) noexcept {
  __m512i w[4];
  load_cells(cells, w);
  const plane low = low_bytes(w);
  __m512i high_bytes[4];
  for (std::size_t r = 0; r < 4; ++r) high_bytes[r] = _mm512_srli_epi16(w[r], 8);
  const plane high = low_bytes(high_bytes);
  // Groups 0, 4, 1, 5, 2, 6, 3, 7: each 16-byte lane then holds the groups
  // the two interleaves widen into the first and the second 32 units.
  const __m512i order = _mm512_set_epi64(7, 3, 6, 2, 5, 1, 4, 0);
  std::size_t i = 0;
  for (; n - i >= step; i += step) {
    const __m512i x = _mm512_permutexvar_epi64(order, _mm512_loadu_si512(in + i));
    const __mmask64 from80 = _mm512_movepi8_mask(x);
    const __m512i lo = _mm512_mask2_permutex2var_epi8(low.a, x, from80, low.b);
    const __m512i hi = _mm512_maskz_permutex2var_epi8(from80, high.a, x, high.b);
    std::uint8_t* d = out + 2 * i;
    _mm512_storeu_si512(d, _mm512_unpacklo_epi8(lo, hi));
    _mm512_storeu_si512(d + step, _mm512_unpackhi_epi8(lo, hi));
  }
  ucs2_from(cells, in, n, out, i);
}

ZEL_AVX512 single_byte_utf8_run utf8_avx512(const std::uint16_t* cells, const std::uint8_t* in,
                                            std::size_t n, std::uint8_t* out,
                                            std::size_t room) noexcept {
  __m512i w[4];
  load_cells(cells, w);
  // The UTF-8 bytes of each cell in 16-bit lanes: one byte below 0x80, two
  // below 0x800, else three.
  __m512i first[4], second[4], third[4];
  const __m512i six_bits = _mm512_set1_epi16(0x3F);
  const __m512i cont = _mm512_set1_epi16(0x80);
  for (std::size_t r = 0; r < 4; ++r) {
    const __m512i u = w[r];
    const __mmask32 two = _mm512_cmpge_epu16_mask(u, _mm512_set1_epi16(0x80));
    const __mmask32 three = _mm512_cmpge_epu16_mask(u, _mm512_set1_epi16(0x800));
    const __m512i last = _mm512_or_si512(cont, _mm512_and_si512(u, six_bits));
    const __m512i middle =
        _mm512_or_si512(cont, _mm512_and_si512(_mm512_srli_epi16(u, 6), six_bits));
    first[r] = _mm512_mask_mov_epi16(
        _mm512_mask_mov_epi16(u, two,
                              _mm512_or_si512(_mm512_set1_epi16(0xC0), _mm512_srli_epi16(u, 6))),
        three, _mm512_or_si512(_mm512_set1_epi16(0xE0), _mm512_srli_epi16(u, 12)));
    second[r] = _mm512_mask_mov_epi16(_mm512_maskz_mov_epi16(two, last), three, middle);
    third[r] = _mm512_maskz_mov_epi16(three, last);
  }
  const plane p0 = low_bytes(first), p1 = low_bytes(second), p2 = low_bytes(third);
  __m512i slots[4];
  for (std::size_t c = 0; c < 4; ++c) slots[c] = _mm512_loadu_si512(indexes.slots[c]);
  constexpr __mmask64 first_two = 0x3333333333333333;
  constexpr __mmask64 third_slot = 0x4444444444444444;
  constexpr __mmask64 first_slot = 0x1111111111111111;
  std::size_t i = 0, o = 0;
  for (; n - i >= step && room - o >= single_byte_utf8_room; i += step) {
    const __m512i x = _mm512_loadu_si512(in + i);
    const __mmask64 from80 = _mm512_movepi8_mask(x);
    if (!from80) {
      _mm512_storeu_si512(out + o, x);
      o += step;
      continue;
    }
    const __m512i b0 = _mm512_mask2_permutex2var_epi8(p0.a, x, from80, p0.b);
    const __m512i b1 = _mm512_maskz_permutex2var_epi8(from80, p1.a, x, p1.b);
    const __m512i b2 = _mm512_maskz_permutex2var_epi8(from80, p2.a, x, p2.b);
    for (std::size_t c = 0; c < 4; ++c) {
      const __m512i s = _mm512_mask_permutexvar_epi8(
          _mm512_maskz_permutex2var_epi8(first_two, b0, slots[c], b1), third_slot, slots[c], b2);
      const __mmask64 keep = _mm512_test_epi8_mask(s, s) | first_slot;
      _mm512_storeu_si512(out + o, _mm512_maskz_compress_epi8(keep, s));
      o += static_cast<std::size_t>(std::popcount(keep));
    }
  }
  return {i, o};
}

#endif  // ZEL_SIMD_X86

}  // namespace

single_byte_to_ucs2_fn single_byte_to_ucs2_kernel(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return ucs2_avx512;
#else
  (void)level;
#endif
  return ucs2_plain;
}

single_byte_to_utf8_fn single_byte_to_utf8_kernel(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return utf8_avx512;
#else
  (void)level;
#endif
  return utf8_plain;
}

single_byte_to_ucs2_fn single_byte_to_ucs2_active() noexcept {
  const single_byte_to_ucs2_fn k = single_byte_to_ucs2_kernel(simd_level());
  return k == ucs2_plain ? nullptr : k;
}

single_byte_to_utf8_fn single_byte_to_utf8_active() noexcept {
  const single_byte_to_utf8_fn k = single_byte_to_utf8_kernel(simd_level());
  return k == utf8_plain ? nullptr : k;
}

}  // namespace zel
