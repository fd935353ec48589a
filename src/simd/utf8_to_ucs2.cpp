// UTF-8 to UCS-2 a 64-byte window at a time.
//
// Method: the published vector validation and transcoding of UTF-8 (Keiser
// and Lemire, "Validating UTF-8 in less than one instruction per byte", and
// Lemire and Keiser, "Transcoding billions of Unicode characters per second
// with SIMD instructions", both 2021). The bytes of a window are classified
// into bitmasks (from 0x80, from 0xC0, from 0xE0); a window is taken when
// every continuation byte sits exactly where a lead asks for one and no byte
// is a four-byte lead, C0/C1, E0 80..9F (overlong) or ED A0..BF (a
// surrogate). Each position then gets the unit a sequence ending there
// gives, and the units at sequence ends are moved together by shuffle tables
// (SSSE3, AVX2) or by compressing 32-bit lanes (AVX-512). Windows of only
// ASCII are widened and windows of only three-byte sequences (CJK text)
// gathered directly. A window that fails the checks, and the bytes after the
// last whole window, go through the plain twin, which stops at the first
// byte that is not well formed: so every level reads and writes what the
// twin does.
#include "src/simd/utf8_to_ucs2.h"

#include <bit>
#include <cstring>

#include "src/simd/compress_units.h"
#include "src/simd/intrinsics.h"

namespace zel {
namespace {

constexpr std::size_t window = utf8_to_ucs2_window;

inline void put_unit(std::uint8_t* out, std::size_t k, unsigned u) noexcept {
  out[2 * k] = static_cast<std::uint8_t>(u & 0xFF);
  out[2 * k + 1] = static_cast<std::uint8_t>(u >> 8);
}

inline bool continues(std::uint8_t b) noexcept { return (b & 0xC0) == 0x80; }

// The plain twin, from byte i and unit o on.
utf8_ucs2_step strict_from(const std::uint8_t* in, std::size_t n, std::uint8_t* out, std::size_t i,
                           std::size_t o) noexcept {
  while (i < n) {
    const std::uint8_t b = in[i];
    if (b < 0x80) {
      put_unit(out, o++, b);
      ++i;
      continue;
    }
    if (b >= 0xC2 && b <= 0xDF) {
      if (n - i < 2 || !continues(in[i + 1])) break;
      put_unit(out, o++, (b & 0x1Fu) << 6 | (in[i + 1] & 0x3Fu));
      i += 2;
      continue;
    }
    if (b < 0xE0 || b > 0xEF || n - i < 3) break;
    const std::uint8_t b1 = in[i + 1];
    // E0 80..9F would be overlong, ED A0..BF a surrogate.
    if (!continues(b1) || !continues(in[i + 2]) || (b == 0xE0 && b1 < 0xA0) ||
        (b == 0xED && b1 >= 0xA0))
      break;
    put_unit(out, o++, (b & 0x0Fu) << 12 | (b1 & 0x3Fu) << 6 | (in[i + 2] & 0x3Fu));
    i += 3;
  }
  return {i, o};
}

utf8_ucs2_step utf8_to_ucs2_plain(const std::uint8_t* in, std::size_t n,
                                  std::uint8_t* out) noexcept {
  return strict_from(in, n, out, 0, 0);
}

#ifdef ZEL_SIMD_X86

// A window's bytes as bitmasks, bit k for byte k.
struct window_masks {
  std::uint64_t high = 0;   // from 0x80
  std::uint64_t lead = 0;   // from 0xC0
  std::uint64_t lead3 = 0;  // from 0xE0
  // F0..FF, C0 and C1 at the byte; E0 80..9F and ED A0..BF at the second.
  std::uint64_t bad = 0;
};

// How many of the window's first bytes are whole sequences (62 to 64: a
// sequence may run past the window's end), or 0 when any of them is not
// well formed. `ends` gets a bit at the last byte of each sequence.
inline unsigned whole_sequences(const window_masks& w, std::uint64_t& ends) noexcept {
  unsigned cut = 64;
  if (w.lead >> 63) cut = 63;
  if (w.lead3 >> 62 & 1) cut = 62;
  const std::uint64_t taken = cut == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << cut) - 1;
  const std::uint64_t cont = w.high & ~w.lead;
  // Every lead wants the byte after it, a three-byte lead the next one too.
  const std::uint64_t wanted = w.lead << 1 | w.lead3 << 2;
  // The byte at the cut must not be wanted either: a sequence before it
  // would be cut short.
  const std::uint64_t through_cut = cut >= 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << cut) - 1;
  if (((cont ^ wanted) & through_cut) | (w.bad & taken)) return 0;
  ends = (~cont >> 1 | std::uint64_t{1} << (cut - 1)) & taken;
  return cut;
}

// Leads at 0, 3, 6, ..., 45 and 0, 3, ..., 60: windows of only three-byte
// sequences.
constexpr std::uint64_t leads_48 = 0x249249249249;
constexpr std::uint64_t leads_63 = 0x1249249249249249;

inline bool only_three_byte(const window_masks& w, std::uint64_t ends, unsigned bytes,
                            std::uint64_t leads) noexcept {
  const std::uint64_t span = (std::uint64_t{1} << bytes) - 1;
  return (w.lead & span) == leads && (ends & span) == leads << 2;
}

// Three-byte sequences, 8 of them from 24 bytes read as bytes 0..15 (a) and
// 8..23 (b): the third byte and the lead of each as one unit, the middle
// byte as another.
alignas(16) constexpr std::uint8_t last_lead_a[16] = {
    2, 0, 5, 3, 8, 6, 11, 9, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
alignas(16) constexpr std::uint8_t last_lead_b[16] = {
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 6, 4, 9, 7, 12, 10, 15, 13};
alignas(16) constexpr std::uint8_t middle_a[16] = {1,    0x80, 4,    0x80, 7,    0x80, 10,   0x80,
                                                   0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
alignas(16) constexpr std::uint8_t middle_b[16] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
                                                   5,    0x80, 8,    0x80, 11,   0x80, 14,   0x80};

// --- SSSE3 and SSE4.1 ------------------------------------------------------

#define ZEL_SSSE3 __attribute__((target("ssse3,sse4.1")))

ZEL_SSSE3 inline __m128i load16(const void* p) {
  return _mm_loadu_si128(static_cast<const __m128i*>(p));
}
ZEL_SSSE3 inline void store16(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
ZEL_SSSE3 inline unsigned bits16(__m128i v) { return static_cast<unsigned>(_mm_movemask_epi8(v)); }

// Units from 8 leads, middles and last bytes placed as the tables above do.
ZEL_SSSE3 inline __m128i three_byte_units(__m128i last_lead, __m128i middle) {
  const __m128i low = _mm_and_si128(last_lead, _mm_set1_epi16(0x003F));
  const __m128i top = _mm_slli_epi16(_mm_and_si128(last_lead, _mm_set1_epi16(0x0F00)), 4);
  const __m128i mid = _mm_slli_epi16(_mm_and_si128(middle, _mm_set1_epi16(0x003F)), 6);
  return _mm_or_si128(_mm_or_si128(low, top), mid);
}

// 8 three-byte sequences at p into 8 units at out.
ZEL_SSSE3 inline void three_byte_8(const std::uint8_t* p, std::uint8_t* out) {
  const __m128i a = load16(p), b = load16(p + 8);
  const __m128i last_lead = _mm_or_si128(_mm_shuffle_epi8(a, load16(last_lead_a)),
                                         _mm_shuffle_epi8(b, load16(last_lead_b)));
  const __m128i middle =
      _mm_or_si128(_mm_shuffle_epi8(a, load16(middle_a)), _mm_shuffle_epi8(b, load16(middle_b)));
  store16(out, three_byte_units(last_lead, middle));
}

// The low and high bytes of the unit a sequence ending at each byte gives:
// an ASCII byte itself; else the continuation's six bits, the byte before's
// bits (five of a lead, six of a middle byte) and, when that byte is a
// continuation too, the four bits of the lead two back.
ZEL_SSSE3 inline void unit_bytes(__m128i v, __m128i p1, __m128i p2, __m128i cont, __m128i cont1,
                                 __m128i& low, __m128i& high) {
  const __m128i keep = _mm_xor_si128(_mm_set1_epi8(0x7F), _mm_and_si128(cont, _mm_set1_epi8(0x40)));
  const __m128i from_p1 =
      _mm_and_si128(_mm_slli_epi16(p1, 6), _mm_set1_epi8(static_cast<char>(0xC0)));
  low = _mm_or_si128(_mm_and_si128(v, keep), _mm_and_si128(from_p1, cont));
  const __m128i mid = _mm_and_si128(_mm_srli_epi16(p1, 2), _mm_set1_epi8(0x0F));
  const __m128i top = _mm_and_si128(
      _mm_and_si128(_mm_slli_epi16(p2, 4), _mm_set1_epi8(static_cast<char>(0xF0))), cont1);
  high = _mm_and_si128(_mm_or_si128(mid, top), cont);
}

// 8 units and the bits of those that end a sequence, moved to out[o..].
ZEL_SSSE3 inline void put_ends(__m128i units, unsigned ends8, std::uint8_t* out, std::size_t& o) {
  const compress_entry& e = compress_units[ends8];
  store16(out + 2 * o, _mm_shuffle_epi8(units, load16(e.shuffle)));
  o += e.count;
}

ZEL_SSSE3 utf8_ucs2_step utf8_to_ucs2_ssse3(const std::uint8_t* in, std::size_t n,
                                            std::uint8_t* out) noexcept {
  std::size_t i = 0, o = 0;
  const __m128i zero = _mm_setzero_si128();
  while (n - i >= window) {
    const std::uint8_t* p = in + i;
    __m128i v[4], p1[4], cont[4];
    window_masks w;
    for (std::size_t k = 0; k < 4; ++k) v[k] = load16(p + 16 * k);
    for (std::size_t k = 0; k < 4; ++k) w.high |= std::uint64_t{bits16(v[k])} << (16 * k);
    if (!w.high) {
      for (std::size_t k = 0; k < 4; ++k) {
        store16(out + 2 * o + 32 * k, _mm_unpacklo_epi8(v[k], zero));
        store16(out + 2 * o + 32 * k + 16, _mm_unpackhi_epi8(v[k], zero));
      }
      i += window;
      o += window;
      continue;
    }
    for (std::size_t k = 0; k < 4; ++k) {
      const __m128i prev = k ? v[k - 1] : zero;
      p1[k] = _mm_alignr_epi8(v[k], prev, 15);
      cont[k] = _mm_cmplt_epi8(v[k], _mm_set1_epi8(static_cast<char>(0xC0)));
      const std::uint64_t high = bits16(v[k]);
      // Bit 6 and bit 5 of each byte, moved to the top.
      w.lead |= (bits16(_mm_add_epi8(v[k], v[k])) & high) << (16 * k);
      w.lead3 |= (bits16(_mm_slli_epi16(v[k], 2)) & bits16(_mm_add_epi8(v[k], v[k])) & high)
                 << (16 * k);
      const __m128i f0 =
          _mm_cmpeq_epi8(_mm_max_epu8(v[k], _mm_set1_epi8(static_cast<char>(0xF0))), v[k]);
      const __m128i c01 =
          _mm_cmpeq_epi8(_mm_and_si128(v[k], _mm_set1_epi8(static_cast<char>(0xFE))),
                         _mm_set1_epi8(static_cast<char>(0xC0)));
      const __m128i below_a0 =
          _mm_cmplt_epi8(v[k], _mm_set1_epi8(static_cast<char>(0xA0)));  // 80..9F
      const __m128i after_e0 =
          _mm_and_si128(_mm_cmpeq_epi8(p1[k], _mm_set1_epi8(static_cast<char>(0xE0))), below_a0);
      const __m128i after_ed =
          _mm_andnot_si128(below_a0, _mm_cmpeq_epi8(p1[k], _mm_set1_epi8(static_cast<char>(0xED))));
      const __m128i bad = _mm_or_si128(_mm_or_si128(f0, c01), _mm_or_si128(after_e0, after_ed));
      w.bad |= std::uint64_t{bits16(bad)} << (16 * k);
    }
    std::uint64_t ends = 0;
    const unsigned cut = whole_sequences(w, ends);
    if (!cut) break;
    if (only_three_byte(w, ends, 48, leads_48)) {
      three_byte_8(p, out + 2 * o);
      three_byte_8(p + 24, out + 2 * o + 16);
      i += 48;
      o += 16;
      continue;
    }
    for (std::size_t k = 0; k < 4; ++k) {
      const __m128i prev = k ? v[k - 1] : zero;
      const __m128i prev_cont = k ? cont[k - 1] : zero;
      __m128i low, high;
      unit_bytes(v[k], p1[k], _mm_alignr_epi8(v[k], prev, 14), cont[k],
                 _mm_alignr_epi8(cont[k], prev_cont, 15), low, high);
      const auto e = static_cast<unsigned>(ends >> (16 * k));
      put_ends(_mm_unpacklo_epi8(low, high), e & 0xFF, out, o);
      put_ends(_mm_unpackhi_epi8(low, high), e >> 8 & 0xFF, out, o);
    }
    i += cut;
  }
  return strict_from(in, n, out, i, o);
}

// --- AVX2 --------------------------------------------------------------------

#define ZEL_AVX2 __attribute__((target("avx2,bmi2,popcnt")))

ZEL_AVX2 inline __m256i load32(const void* p) {
  return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}
ZEL_AVX2 inline unsigned bits32(__m256i v) {
  return static_cast<unsigned>(_mm256_movemask_epi8(v));
}
ZEL_AVX2 inline __m256i lanes(const std::uint8_t* lo, const std::uint8_t* hi) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(lo))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(hi)), 1);
}
ZEL_AVX2 inline __m256i both_lanes(const std::uint8_t* table) {
  return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(table)));
}

// 16 three-byte sequences at p into 16 units at out.
ZEL_AVX2 inline void three_byte_16(const std::uint8_t* p, std::uint8_t* out) {
  const __m256i a = lanes(p, p + 24), b = lanes(p + 8, p + 32);
  const __m256i last_lead = _mm256_or_si256(_mm256_shuffle_epi8(a, both_lanes(last_lead_a)),
                                            _mm256_shuffle_epi8(b, both_lanes(last_lead_b)));
  const __m256i middle = _mm256_or_si256(_mm256_shuffle_epi8(a, both_lanes(middle_a)),
                                         _mm256_shuffle_epi8(b, both_lanes(middle_b)));
  const __m256i low = _mm256_and_si256(last_lead, _mm256_set1_epi16(0x003F));
  const __m256i top = _mm256_slli_epi16(_mm256_and_si256(last_lead, _mm256_set1_epi16(0x0F00)), 4);
  const __m256i mid = _mm256_slli_epi16(_mm256_and_si256(middle, _mm256_set1_epi16(0x003F)), 6);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                      _mm256_or_si256(_mm256_or_si256(low, top), mid));
}

// The bytes before each byte of v by 1 and 2 positions, across the lanes.
ZEL_AVX2 inline __m256i before(__m256i v, __m256i prev, int by) {
  const __m256i joined = _mm256_permute2x128_si256(prev, v, 0x21);
  return by == 1 ? _mm256_alignr_epi8(v, joined, 15) : _mm256_alignr_epi8(v, joined, 14);
}

ZEL_AVX2 inline void put_ends8(__m128i units, unsigned ends8, std::uint8_t* out, std::size_t& o) {
  const compress_entry& e = compress_units[ends8];
  _mm_storeu_si128(
      reinterpret_cast<__m128i*>(out + 2 * o),
      _mm_shuffle_epi8(units, _mm_loadu_si128(reinterpret_cast<const __m128i*>(e.shuffle))));
  o += e.count;
}

ZEL_AVX2 utf8_ucs2_step utf8_to_ucs2_avx2(const std::uint8_t* in, std::size_t n,
                                          std::uint8_t* out) noexcept {
  std::size_t i = 0, o = 0;
  const __m256i zero = _mm256_setzero_si256();
  while (n - i >= window) {
    const std::uint8_t* p = in + i;
    const __m256i v[2] = {load32(p), load32(p + 32)};
    window_masks w;
    w.high = std::uint64_t{bits32(v[0])} | std::uint64_t{bits32(v[1])} << 32;
    if (!w.high) {
      for (std::size_t k = 0; k < 2; ++k) {
        const __m256i wide_lo = _mm256_cvtepu8_epi16(_mm256_castsi256_si128(v[k]));
        const __m256i wide_hi = _mm256_cvtepu8_epi16(_mm256_extracti128_si256(v[k], 1));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * o + 64 * k), wide_lo);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * o + 64 * k + 32), wide_hi);
      }
      i += window;
      o += window;
      continue;
    }
    __m256i p1[2], cont[2];
    for (std::size_t k = 0; k < 2; ++k) {
      const __m256i prev = k ? v[0] : zero;
      p1[k] = before(v[k], prev, 1);
      cont[k] = _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(0xC0)), v[k]);
      const std::uint64_t high = bits32(v[k]);
      const std::uint64_t lead = bits32(_mm256_add_epi8(v[k], v[k])) & high;
      w.lead |= lead << (32 * k);
      w.lead3 |= (bits32(_mm256_slli_epi16(v[k], 2)) & lead) << (32 * k);
      const __m256i f0 =
          _mm256_cmpeq_epi8(_mm256_max_epu8(v[k], _mm256_set1_epi8(static_cast<char>(0xF0))), v[k]);
      const __m256i c01 =
          _mm256_cmpeq_epi8(_mm256_and_si256(v[k], _mm256_set1_epi8(static_cast<char>(0xFE))),
                            _mm256_set1_epi8(static_cast<char>(0xC0)));
      const __m256i below_a0 =
          _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(0xA0)), v[k]);  // 80..9F
      const __m256i after_e0 = _mm256_and_si256(
          _mm256_cmpeq_epi8(p1[k], _mm256_set1_epi8(static_cast<char>(0xE0))), below_a0);
      const __m256i after_ed = _mm256_andnot_si256(
          below_a0, _mm256_cmpeq_epi8(p1[k], _mm256_set1_epi8(static_cast<char>(0xED))));
      const __m256i bad =
          _mm256_or_si256(_mm256_or_si256(f0, c01), _mm256_or_si256(after_e0, after_ed));
      w.bad |= std::uint64_t{bits32(bad)} << (32 * k);
    }
    std::uint64_t ends = 0;
    const unsigned cut = whole_sequences(w, ends);
    if (!cut) break;
    if (only_three_byte(w, ends, 48, leads_48)) {
      three_byte_16(p, out + 2 * o);
      i += 48;
      o += 16;
      continue;
    }
    for (std::size_t k = 0; k < 2; ++k) {
      const __m256i prev = k ? v[0] : zero;
      const __m256i prev_cont = k ? cont[0] : zero;
      const __m256i p2 = before(v[k], prev, 2);
      const __m256i cont1 = before(cont[k], prev_cont, 1);
      const __m256i keep = _mm256_xor_si256(_mm256_set1_epi8(0x7F),
                                            _mm256_and_si256(cont[k], _mm256_set1_epi8(0x40)));
      const __m256i from_p1 =
          _mm256_and_si256(_mm256_slli_epi16(p1[k], 6), _mm256_set1_epi8(static_cast<char>(0xC0)));
      const __m256i low =
          _mm256_or_si256(_mm256_and_si256(v[k], keep), _mm256_and_si256(from_p1, cont[k]));
      const __m256i mid = _mm256_and_si256(_mm256_srli_epi16(p1[k], 2), _mm256_set1_epi8(0x0F));
      const __m256i top = _mm256_and_si256(
          _mm256_and_si256(_mm256_slli_epi16(p2, 4), _mm256_set1_epi8(static_cast<char>(0xF0))),
          cont1);
      const __m256i high = _mm256_and_si256(_mm256_or_si256(mid, top), cont[k]);
      // Lane order: unpacklo holds positions 0..7 and 16..23, unpackhi 8..15
      // and 24..31.
      const __m256i u0 = _mm256_unpacklo_epi8(low, high), u1 = _mm256_unpackhi_epi8(low, high);
      const auto e = static_cast<unsigned>(ends >> (32 * k));
      put_ends8(_mm256_castsi256_si128(u0), e & 0xFF, out, o);
      put_ends8(_mm256_castsi256_si128(u1), e >> 8 & 0xFF, out, o);
      put_ends8(_mm256_extracti128_si256(u0, 1), e >> 16 & 0xFF, out, o);
      put_ends8(_mm256_extracti128_si256(u1, 1), e >> 24, out, o);
    }
    i += cut;
  }
  return strict_from(in, n, out, i, o);
}

// --- AVX-512 (F, BW, VL, VBMI) -----------------------------------------------

#define ZEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,bmi2,popcnt")))

struct byte_indexes {
  std::uint8_t before1[64];    // k - 1
  std::uint8_t before2[64];    // k - 2
  std::uint8_t pair_lo[64];    // units 0..31 from two tables: low byte j, high byte 64 + j
  std::uint8_t pair_hi[64];    // units 32..63
  std::uint8_t last_lead[64];  // unit j: bytes 3j + 2 and 3j
  std::uint8_t middle[64];     // unit j: byte 3j + 1 (the high byte is cleared)
};

constexpr byte_indexes make_byte_indexes() {
  byte_indexes t{};
  for (std::size_t k = 0; k < 64; ++k) {
    t.before1[k] = static_cast<std::uint8_t>((k + 63) % 64);
    t.before2[k] = static_cast<std::uint8_t>((k + 62) % 64);
    const std::size_t j = k / 2;
    t.pair_lo[k] = static_cast<std::uint8_t>(k % 2 ? 64 + j : j);
    t.pair_hi[k] = static_cast<std::uint8_t>(k % 2 ? 96 + j : 32 + j);
    t.last_lead[k] = static_cast<std::uint8_t>((k % 2 ? 3 * j : 3 * j + 2) % 64);
    t.middle[k] = static_cast<std::uint8_t>((3 * j + 1) % 64);
  }
  return t;
}

alignas(64) constexpr byte_indexes indexes = make_byte_indexes();

ZEL_AVX512 inline __m512i load64(const void* p) { return _mm512_loadu_si512(p); }

// 16 units at positions 16q.. of `units`, those at the bits of `ends16`,
// moved to out[o..].
ZEL_AVX512 inline void put_ends16(__m256i units, unsigned ends16, std::uint8_t* out,
                                  std::size_t& o) {
  const __m512i wide = _mm512_cvtepu16_epi32(units);
  const __m512i kept = _mm512_maskz_compress_epi32(static_cast<__mmask16>(ends16), wide);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * o), _mm512_cvtepi32_epi16(kept));
  o += static_cast<std::size_t>(std::popcount(ends16));
}

ZEL_AVX512 utf8_ucs2_step utf8_windows_avx512(const std::uint8_t* in, std::size_t n,
                                              std::uint8_t* out) noexcept {
  std::size_t i = 0, o = 0;
  while (n - i >= window) {
    const std::uint8_t* p = in + i;
    const __m512i v = load64(p);
    window_masks w;
    w.high = _mm512_movepi8_mask(v);
    if (!w.high) {
      _mm512_storeu_si512(out + 2 * o, _mm512_cvtepu8_epi16(_mm512_castsi512_si256(v)));
      _mm512_storeu_si512(out + 2 * o + 64, _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(v, 1)));
      i += window;
      o += window;
      continue;
    }
    w.lead = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xC0)));
    w.lead3 = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xE0)));
    const std::uint64_t below_a0 =
        _mm512_cmplt_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xA0)));
    const std::uint64_t e0 = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(static_cast<char>(0xE0)));
    const std::uint64_t ed = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(static_cast<char>(0xED)));
    const std::uint64_t f0 = _mm512_cmpge_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xF0)));
    const std::uint64_t below_c2 =
        _mm512_cmplt_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0xC2)));
    w.bad = f0 | (w.lead & below_c2) | (e0 << 1 & below_a0) | (ed << 1 & ~below_a0);
    std::uint64_t ends = 0;
    const unsigned cut = whole_sequences(w, ends);
    if (!cut) break;
    if (only_three_byte(w, ends, 63, leads_63)) {
      const __m512i last_lead = _mm512_permutexvar_epi8(load64(indexes.last_lead), v);
      const __m512i middle =
          _mm512_maskz_permutexvar_epi8(0x5555555555555555ull, load64(indexes.middle), v);
      const __m512i low = _mm512_and_si512(last_lead, _mm512_set1_epi16(0x003F));
      const __m512i top =
          _mm512_slli_epi16(_mm512_and_si512(last_lead, _mm512_set1_epi16(0x0F00)), 4);
      const __m512i mid = _mm512_slli_epi16(_mm512_and_si512(middle, _mm512_set1_epi16(0x003F)), 6);
      _mm512_storeu_si512(out + 2 * o, _mm512_ternarylogic_epi32(low, top, mid, 0xFE));
      i += 63;
      o += 21;
      continue;
    }
    const std::uint64_t cont = w.high & ~w.lead;
    // The bytes one and two before each continuation; zero elsewhere, so an
    // ASCII byte's unit is itself and a two-byte sequence's has no lead bits
    // from further back.
    const __m512i p1 = _mm512_maskz_permutexvar_epi8(cont, load64(indexes.before1), v);
    const __m512i p2 = _mm512_maskz_permutexvar_epi8(cont & cont << 1, load64(indexes.before2), v);
    const __m512i keep = _mm512_mask_mov_epi8(_mm512_set1_epi8(0x7F), cont, _mm512_set1_epi8(0x3F));
    const __m512i from_p1 =
        _mm512_and_si512(_mm512_slli_epi16(p1, 6), _mm512_set1_epi8(static_cast<char>(0xC0)));
    // (v & keep) | from_p1
    const __m512i low = _mm512_ternarylogic_epi32(v, keep, from_p1, 0xEA);
    // ((p1 >> 2) & 0x0F) | ((p2 << 4) & 0xF0)
    const __m512i high = _mm512_ternarylogic_epi32(_mm512_set1_epi8(0x0F), _mm512_srli_epi16(p1, 2),
                                                   _mm512_slli_epi16(p2, 4), 0xCA);
    const __m512i units_lo = _mm512_permutex2var_epi8(low, load64(indexes.pair_lo), high);
    const __m512i units_hi = _mm512_permutex2var_epi8(low, load64(indexes.pair_hi), high);
    put_ends16(_mm512_castsi512_si256(units_lo), static_cast<unsigned>(ends & 0xFFFF), out, o);
    put_ends16(_mm512_extracti64x4_epi64(units_lo, 1), static_cast<unsigned>(ends >> 16 & 0xFFFF),
               out, o);
    put_ends16(_mm512_castsi512_si256(units_hi), static_cast<unsigned>(ends >> 32 & 0xFFFF), out,
               o);
    put_ends16(_mm512_extracti64x4_epi64(units_hi, 1), static_cast<unsigned>(ends >> 48), out, o);
    i += cut;
  }
  return {i, o};
}

ZEL_AVX512 utf8_ucs2_step utf8_to_ucs2_avx512(const std::uint8_t* in, std::size_t n,
                                              std::uint8_t* out) noexcept {
  const utf8_ucs2_step w = utf8_windows_avx512(in, n, out);
  return strict_from(in, n, out, w.read, w.units);
}

#endif  // ZEL_SIMD_X86

}  // namespace

utf8_to_ucs2_fn utf8_to_ucs2_kernel(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return utf8_to_ucs2_avx512;
  if (level >= simd::avx2) return utf8_to_ucs2_avx2;
  if (level >= simd::ssse3) return utf8_to_ucs2_ssse3;
#else
  (void)level;
#endif
  return utf8_to_ucs2_plain;
}

utf8_ucs2_step utf8_to_ucs2(const std::uint8_t* in, std::size_t n, std::uint8_t* out) noexcept {
  return utf8_to_ucs2_kernel(simd_level())(in, n, out);
}

utf8_to_ucs2_fn utf8_to_ucs2_windows(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return utf8_windows_avx512;
#else
  (void)level;
#endif
  return nullptr;
}

bool utf8_to_ucs2_vectored() noexcept {
  return utf8_to_ucs2_kernel(simd_level()) != utf8_to_ucs2_plain;
}

}  // namespace zel
