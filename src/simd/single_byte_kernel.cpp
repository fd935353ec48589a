// Single-byte charsets into UCS-2 and UTF-8 a vector at a time.
//
// AVX-512 VBMI, 64 bytes a step: the 128 cells from 0x80 are turned once a
// call into byte planes of 128 bytes each, two registers a plane: the
// cells' low and high bytes for UCS-2, the first, second and third bytes of
// their UTF-8 forms for UTF-8. vpermi2b looks up 64 bytes at once in such a
// pair of registers by the low seven bits of each index, so a step reads
// each plane with one lookup; bytes below 0x80 keep themselves in the first
// plane and get zero in the others through the lookups' masks. Into UCS-2
// the step's 8-byte groups are first reordered so that two byte interleaves
// write its 64 units in place. Into UTF-8 a step of only ASCII is stored as
// it is; otherwise each 16 of its bytes become 16 four-byte slots (first,
// second, third byte, zero) by one two-register and one one-register
// lookup, and a byte compress keeps each slot's first byte and its nonzero
// others (a second or third UTF-8 byte is never zero).
//
// AVX2: a step with few bytes from 0x80 is widened into UCS-2, or copied
// into UTF-8, and those few written in from their cells. In a denser step
// byte shuffles look up only 16 entries, so each plane is eight lookups,
// one per row of 16 cells, chained by xor (see put_units_256); into UTF-8
// its units then go through the UTF-16 kernel.
#include "src/simd/single_byte_kernel.h"

#include <bit>
#include <cstring>

#include "src/simd/intrinsics.h"
#include "src/simd/utf16_to_utf8.h"

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
      o = static_cast<std::size_t>(put_utf8_unit(unit_of(cells, in[k]), out + o) - out);
    }
  }
  return {i, o};
}

std::size_t first_empty_from(const std::uint16_t* cells, const std::uint8_t* in, std::size_t n,
                             std::size_t i) noexcept {
  while (i < n && (in[i] < 0x80 || cells[in[i]] != 0xFFFD)) ++i;
  return i;
}

std::size_t first_empty_plain(const std::uint16_t* cells, const std::uint8_t* in,
                              std::size_t n) noexcept {
  return first_empty_from(cells, in, n, 0);
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

#define ZEL_AVX2 __attribute__((target("avx2,bmi,bmi2")))

// The 128 cells from 0x80 as byte lookups of 16 entries, one per row of 16
// cells and byte plane. Row r's lookup holds row r's bytes xor row r-1's,
// so that the xor of the lookups of rows 0..r is row r itself.
struct row_lookups {
  __m256i low[8], high[8];  // each 16-entry lookup in both 16-byte lanes
};

ZEL_AVX2 inline row_lookups make_row_lookups(const std::uint16_t* cells) noexcept {
  row_lookups t;
  alignas(16) std::uint8_t low[16], high[16], prev_low[16] = {}, prev_high[16] = {};
  for (std::size_t r = 0; r < 8; ++r) {
    for (std::size_t j = 0; j < 16; ++j) {
      const std::uint16_t u = cells[0x80 + 16 * r + j];
      low[j] = static_cast<std::uint8_t>(u ^ prev_low[j]);
      high[j] = static_cast<std::uint8_t>((u >> 8) ^ prev_high[j]);
      prev_low[j] = static_cast<std::uint8_t>(u);
      prev_high[j] = static_cast<std::uint8_t>(u >> 8);
    }
    t.low[r] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(low)));
    t.high[r] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(high)));
  }
  return t;
}

// Thirty-two bytes as 32 units, little-endian, at out. With few bytes
// from 0x80 the bytes are widened and those few units written over. With
// more, the lookups: a byte from 0x80 in row r (its value less 0x80, over
// 16) indexes row k's lookup at its value less 0x80 + 16k, below 16 for
// k = r, and for k above r a negative index, which byte shuffles read as
// zero, so the xor over all rows is row r's cell.
ZEL_AVX2 inline void put_units_256(const row_lookups& t, const std::uint16_t* cells, __m256i x,
                                   std::uint8_t* out) noexcept {
  constexpr int few = 6;
  const auto from80 = static_cast<std::uint32_t>(_mm256_movemask_epi8(x));
  __m256i low = x, high = _mm256_setzero_si256();
  if (std::popcount(from80) > few) {
    __m256i index = _mm256_xor_si256(x, _mm256_set1_epi8(static_cast<char>(0x80)));
    __m256i lo = _mm256_shuffle_epi8(t.low[0], index);
    __m256i hi = _mm256_shuffle_epi8(t.high[0], index);
    for (std::size_t r = 1; r < 8; ++r) {
      index = _mm256_sub_epi8(index, _mm256_set1_epi8(16));
      lo = _mm256_xor_si256(lo, _mm256_shuffle_epi8(t.low[r], index));
      hi = _mm256_xor_si256(hi, _mm256_shuffle_epi8(t.high[r], index));
    }
    low = _mm256_blendv_epi8(x, lo, x);
    high = _mm256_blendv_epi8(high, hi, x);
  }
  // The interleaves give units 0-7 and 16-23, then 8-15 and 24-31.
  const __m256i a = _mm256_unpacklo_epi8(low, high), b = _mm256_unpackhi_epi8(low, high);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(a, b, 0x20));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_permute2x128_si256(a, b, 0x31));
  if (std::popcount(from80) > few) return;
  alignas(32) std::uint8_t bytes[32];
  _mm256_store_si256(reinterpret_cast<__m256i*>(bytes), x);
  for (std::uint32_t left = from80; left; left = _blsr_u32(left)) {
    const std::size_t at = _tzcnt_u32(left);
    const std::uint16_t u = cells[bytes[at]];
    out[2 * at] = static_cast<std::uint8_t>(u);
    out[2 * at + 1] = static_cast<std::uint8_t>(u >> 8);
  }
}

ZEL_AVX2 std::size_t ucs2_steps_avx2(const row_lookups& t, const std::uint16_t* cells,
                                     const std::uint8_t* in, std::size_t n,
                                     std::uint8_t* out) noexcept {
  std::size_t i = 0;
  for (; n - i >= 32; i += 32)
    put_units_256(t, cells, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i)),
                  out + 2 * i);
  return i;
}

ZEL_AVX2 void ucs2_avx2(const std::uint16_t* cells, const std::uint8_t* in, std::size_t n,
                        std::uint8_t* out) noexcept {
  const row_lookups t = make_row_lookups(cells);
  ucs2_from(cells, in, n, out, ucs2_steps_avx2(t, cells, in, n, out));
}

ZEL_AVX2 inline void copy_64(const std::uint8_t* from, std::uint8_t* to) noexcept {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to),
                      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 32),
                      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 32)));
}

// A step with a few bytes from 0x80, from a copy of its 64 bytes in the
// first half of `copy` (the second is zeros, so that 64 bytes can be read
// from any place of the step): the ASCII up to each such byte is stored 64
// bytes at a time (the next store writes over the extra), then the byte's
// UTF-8 form, four bytes of which one to three count. The stores reach at
// most 256 bytes past `o`.
ZEL_AVX2 inline std::uint8_t* put_sparse_step(const std::uint16_t* cells, __m256i a, __m256i b,
                                              std::uint64_t from80, std::uint8_t (&copy)[2 * step],
                                              std::uint8_t* o) noexcept {
  _mm256_store_si256(reinterpret_cast<__m256i*>(copy), a);
  _mm256_store_si256(reinterpret_cast<__m256i*>(copy + 32), b);
  std::size_t from = 0;
  for (; from80; from80 &= from80 - 1) {
    const auto at = static_cast<std::size_t>(std::countr_zero(from80));
    copy_64(copy + from, o);
    o += at - from;
    const std::uint32_t u = cells[copy[at]];
    const std::uint32_t two = 0x80C0u | u >> 6 | (u & 0x3F) << 8;
    const std::uint32_t three = 0x8080E0u | u >> 12 | (u >> 6 & 0x3F) << 8 | (u & 0x3F) << 16;
    const std::uint32_t form = u < 0x80 ? u : u < 0x800 ? two : three;
    std::memcpy(o, &form, 4);
    o += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    from = at + 1;
  }
  copy_64(copy + from, o);
  return o + (step - from);
}

// Into UTF-8: a step of only ASCII is stored as it is, a step with a few
// bytes from 0x80 by put_sparse_step. The other steps become units in a
// first-level-cache buffer, which the AVX2 UTF-16 kernel writes as UTF-8
// before the next step of the other kinds, or at the end of the steps that
// the room holds for certain; what it leaves (it stops short of its own
// room) is written unit by unit. The steps taken are the twin's: each
// begins with at least single_byte_utf8_room of room, which is what a step
// may write.
ZEL_AVX2 single_byte_utf8_run utf8_avx2(const std::uint16_t* cells, const std::uint8_t* in,
                                        std::size_t n, std::uint8_t* out,
                                        std::size_t room) noexcept {
  constexpr std::size_t widest = 3 * step, piece = 16 * step, sparse = 16;
  const row_lookups t = make_row_lookups(cells);
  const utf16_to_utf8_fn to_utf8 = utf16_to_utf8_kernel_of(simd::avx2).little;
  alignas(32) std::uint8_t units[2 * piece], copy[2 * step] = {};
  std::size_t i = 0, o = 0, pending = 0;
  const auto flush = [&] {
    const utf16_utf8_run run = to_utf8(units, pending, out + o, room - o);
    o += run.bytes;
    for (std::size_t k = run.units; k < pending; ++k)
      o = static_cast<std::size_t>(
          put_utf8_unit(static_cast<unsigned>(units[2 * k] | units[2 * k + 1] << 8), out + o) -
          out);
    pending = 0;
  };
  while (n - i >= step && room - o >= single_byte_utf8_room) {
    std::size_t steps = (room - o - single_byte_utf8_room) / widest + 1;
    if (steps > (n - i) / step) steps = (n - i) / step;
    if (steps > piece / step) steps = piece / step;
    for (const std::size_t end = i + steps * step; i < end; i += step) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 32));
      const std::uint64_t from80 =
          static_cast<std::uint32_t>(_mm256_movemask_epi8(a)) |
          std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(b))} << 32;
      if (static_cast<std::size_t>(std::popcount(from80)) > sparse) {
        put_units_256(t, cells, a, units + 2 * pending);
        put_units_256(t, cells, b, units + 2 * pending + step);
        pending += step;
        continue;
      }
      if (pending) flush();
      if (from80) {
        o = static_cast<std::size_t>(put_sparse_step(cells, a, b, from80, copy, out + o) - out);
      } else {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + o), a);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + o + 32), b);
        o += step;
      }
    }
    if (pending) flush();
  }
  return {i, o};
}

// The empty cells as a set of bytes, 32 at a time: a byte's low four bits
// index a lookup of which high halves (0x8 to 0xF) make an empty cell with
// them, its high four bits a lookup of the one bit it stands for there
// (none below 0x8, so ASCII is never found).
ZEL_AVX2 std::size_t first_empty_avx2(const std::uint16_t* cells, const std::uint8_t* in,
                                      std::size_t n) noexcept {
  alignas(16) std::uint8_t rows[16] = {};
  bool any = false;
  for (unsigned b = 0x80; b < 0x100; ++b)
    if (cells[b] == 0xFFFD) {
      rows[b & 15] = static_cast<std::uint8_t>(rows[b & 15] | 1u << (b / 16 - 8));
      any = true;
    }
  if (!any) return n;
  const __m256i row_of =
      _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(rows)));
  const __m256i bit_of =
      _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, static_cast<char>(0x80), 0,
                       0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, static_cast<char>(0x80));
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  std::size_t i = 0;
  for (; n - i >= 32; i += 32) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i row = _mm256_shuffle_epi8(row_of, _mm256_and_si256(x, nibble));
    const __m256i bit =
        _mm256_shuffle_epi8(bit_of, _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble));
    const __m256i hit = _mm256_and_si256(row, bit);
    const auto found = ~static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(hit, _mm256_setzero_si256())));
    if (found) return i + static_cast<std::size_t>(std::countr_zero(found));
  }
  return first_empty_from(cells, in, n, i);
}

#endif  // ZEL_SIMD_X86

}  // namespace

single_byte_to_ucs2_fn single_byte_to_ucs2_kernel(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return ucs2_avx512;
  if (level >= simd::avx2) return ucs2_avx2;
#else
  (void)level;
#endif
  return ucs2_plain;
}

single_byte_to_utf8_fn single_byte_to_utf8_kernel(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return utf8_avx512;
  if (level >= simd::avx2) return utf8_avx2;
#else
  (void)level;
#endif
  return utf8_plain;
}

first_empty_cell_fn first_empty_cell_kernel(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx2) return first_empty_avx2;
#else
  (void)level;
#endif
  return first_empty_plain;
}

first_empty_cell_fn first_empty_cell_active() noexcept {
  return first_empty_cell_kernel(simd_level());
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
