// UTF-16 to UTF-8 by widening and compacting: each unit is widened to a
// 32-bit lane holding its whole UTF-8 form (lead byte first), chosen per
// lane by comparing the unit with 0x80 and 0x800; the one to three bytes of
// every lane are then packed together, by a byte shuffle looked up from the
// lanes' lengths (SSSE3, AVX2: four lanes a 16-byte block) or by a byte
// compress on a mask of the bytes kept (AVX-512 VBMI2). AVX2 computes the
// forms in the units' own 16-bit lanes, the first two bytes in one vector
// and the third in another, and widens by interleaving the two. Steps of
// ASCII units only are narrowed with a saturating pack (AVX2: two steps at
// once), and steps below U+0800 are compacted in 16-bit lanes; AVX2 writes
// a step with one such unit among ASCII ones by two overlapping stores and
// the unit's form from a table. Big-endian input is byte-swapped on load.
#include "src/simd/utf16_to_utf8.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/simd/intrinsics.h"

namespace zel {
namespace {

template <bool Big>
inline std::uint32_t unit_at(const std::uint8_t* p) noexcept {
  return Big ? static_cast<std::uint32_t>(p[0] << 8 | p[1])
             : static_cast<std::uint32_t>(p[1] << 8 | p[0]);
}

inline bool surrogate(std::uint32_t u) noexcept { return (u & 0xF800) == 0xD800; }

// The bits that are zero in four ASCII units, as a word loaded from memory:
// the high byte, and the top bit of the low byte, of each.
template <bool Big>
constexpr std::uint64_t non_ascii_bits() noexcept {
  std::uint64_t word = 0;
  for (unsigned b = 0; b < 8; ++b) {
    const std::uint64_t byte = (b % 2 == 0) == Big ? 0xFF : 0x80;
    word |= byte << (std::endian::native == std::endian::little ? 8 * b : 8 * (7 - b));
  }
  return word;
}

// The plain twin: a step is one unit, which needs room for three bytes.
// Rather than test the room at each unit, it converts as many units as
// the room holds at three bytes each, then again in what is left. After an
// ASCII unit, four at a time are tested as one word.
template <bool Big>
utf16_utf8_run plain_run(const std::uint8_t* in, std::size_t units, std::uint8_t* out,
                         std::size_t room) noexcept {
  std::uint8_t* o = out;
  std::size_t k = 0;
  for (;;) {
    const std::size_t left = room - static_cast<std::size_t>(o - out);
    const std::size_t stop = units - k < left / 3 ? units : k + left / 3;
    if (stop == k) break;
    while (k < stop) {
      const std::uint32_t u = unit_at<Big>(in + 2 * k);
      if (u < 0x80) {
        *o++ = static_cast<std::uint8_t>(u);
        ++k;
        std::uint64_t word;
        while (stop - k >= 4 &&
               (std::memcpy(&word, in + 2 * k, 8), !(word & non_ascii_bits<Big>()))) {
          for (std::size_t j = 0; j < 4; ++j) *o++ = in[2 * (k + j) + (Big ? 1 : 0)];
          k += 4;
        }
        continue;
      }
      if (surrogate(u)) return {k, static_cast<std::size_t>(o - out)};
      o = put_utf8_unit(u, o);
      ++k;
    }
  }
  return {k, static_cast<std::size_t>(o - out)};
}

// A vector step found a surrogate: the units in front of it, one by one.
// The step's room covers them.
template <bool Big>
utf16_utf8_run finish_before_surrogate(const std::uint8_t* in, std::size_t k, std::uint8_t* out,
                                       std::uint8_t* o) noexcept {
  for (std::uint32_t u; !surrogate(u = unit_at<Big>(in + 2 * k)); ++k) o = put_utf8_unit(u, o);
  return {k, static_cast<std::size_t>(o - out)};
}

#ifdef ZEL_SIMD_X86
constexpr std::uint8_t zeroing = 0x80;  // a shuffle index that writes 0

struct shuffle_table {
  alignas(16) std::uint8_t shuffle[256][16];
  std::uint8_t length[256];
};

// Four 32-bit lanes, indexed by which lanes reach U+0080 (bits 0 to 3) and
// which reach U+0800 (bits 4 to 7): the first one, two or three bytes of
// each lane, in order.
constexpr shuffle_table make_lane_table() {
  shuffle_table t{};
  for (unsigned index = 0; index < 256; ++index) {
    unsigned n = 0;
    for (unsigned lane = 0; lane < 4; ++lane) {
      const unsigned length = 1 + (index >> lane & 1) + (index >> (lane + 4) & 1);
      for (unsigned b = 0; b < length; ++b)
        t.shuffle[index][n++] = static_cast<std::uint8_t>(4 * lane + b);
    }
    t.length[index] = static_cast<std::uint8_t>(n);
    for (unsigned b = n; b < 16; ++b) t.shuffle[index][b] = zeroing;
  }
  return t;
}

// Eight 16-bit lanes below U+0800, indexed by which reach U+0080: the low
// byte of each, and the high byte of those.
constexpr shuffle_table make_pair_table() {
  shuffle_table t{};
  for (unsigned index = 0; index < 256; ++index) {
    unsigned n = 0;
    for (unsigned lane = 0; lane < 8; ++lane) {
      t.shuffle[index][n++] = static_cast<std::uint8_t>(2 * lane);
      if (index >> lane & 1) t.shuffle[index][n++] = static_cast<std::uint8_t>(2 * lane + 1);
    }
    t.length[index] = static_cast<std::uint8_t>(n);
    for (unsigned b = n; b < 16; ++b) t.shuffle[index][b] = zeroing;
  }
  return t;
}

constexpr shuffle_table lane_table = make_lane_table();
constexpr shuffle_table pair_table = make_pair_table();

// For a step of sixteen units with one unit from U+0080 to U+07FF: rows of
// sixteen bytes with a two-byte gap at place j (the bytes before j stay,
// those after j + 1 move up by one, the 17th is stored apart), and the
// two-byte form of each such unit, lead byte lowest. One record, so that a
// step finds both from one address.
struct one_pair_table {
  alignas(16) std::uint8_t gap[16][16];
  std::uint16_t form[0x800];
};

constexpr one_pair_table make_one_pair_table() {
  one_pair_table t{};
  for (unsigned j = 0; j < 16; ++j)
    for (unsigned b = 0; b < 16; ++b)
      t.gap[j][b] = static_cast<std::uint8_t>(b < j ? b : b < j + 2 ? zeroing : b - 1);
  for (unsigned u = 0x80; u < 0x800; ++u)
    t.form[u] = static_cast<std::uint16_t>((0xC0 | u >> 6) | (0x80 | (u & 0x3F)) << 8);
  return t;
}

constexpr one_pair_table one_pair = make_one_pair_table();

#define ZEL_SSE41 __attribute__((target("ssse3,sse4.1")))
#define ZEL_AVX2 __attribute__((target("avx2,bmi,bmi2")))
#define ZEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,bmi2")))

// --- SSSE3 and SSE4.1: eight units a step --------------------------------

template <bool Big>
ZEL_SSE41 inline __m128i load_units_128(const std::uint8_t* p) {
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  if constexpr (Big)
    v = _mm_shuffle_epi8(v, _mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14));
  return v;
}

// Each 32-bit lane's unit as its UTF-8 bytes, lead byte lowest.
ZEL_SSE41 inline __m128i utf8_lanes_128(__m128i x, __m128i from80, __m128i from800) {
  const __m128i six = _mm_set1_epi32(0x3F);
  const __m128i low = _mm_and_si128(x, six);
  const __m128i mid = _mm_and_si128(_mm_srli_epi32(x, 6), six);
  const __m128i two = _mm_or_si128(_mm_or_si128(_mm_srli_epi32(x, 6), _mm_slli_epi32(low, 8)),
                                   _mm_set1_epi32(0x80C0));
  const __m128i three =
      _mm_or_si128(_mm_or_si128(_mm_srli_epi32(x, 12), _mm_slli_epi32(mid, 8)),
                   _mm_or_si128(_mm_slli_epi32(low, 16), _mm_set1_epi32(0x8080E0)));
  return _mm_blendv_epi8(_mm_blendv_epi8(x, two, from80), three, from800);
}

// Each 16-bit lane below U+0800 as its UTF-8 bytes, lead byte lowest.
ZEL_SSE41 inline __m128i utf8_pairs_128(__m128i v, __m128i from80) {
  const __m128i two = _mm_or_si128(
      _mm_or_si128(_mm_srli_epi16(v, 6), _mm_slli_epi16(_mm_and_si128(v, _mm_set1_epi16(0x3F)), 8)),
      _mm_set1_epi16(static_cast<short>(0x80C0)));
  return _mm_blendv_epi8(v, two, from80);
}

ZEL_SSE41 inline std::uint8_t* put_lanes_128(__m128i x, std::uint8_t* o) {
  const __m128i from80 = _mm_cmpgt_epi32(x, _mm_set1_epi32(0x7F));
  const __m128i from800 = _mm_cmpgt_epi32(x, _mm_set1_epi32(0x7FF));
  const auto index = static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(from80)) |
                                           _mm_movemask_ps(_mm_castsi128_ps(from800)) << 4);
  const __m128i order = _mm_load_si128(reinterpret_cast<const __m128i*>(lane_table.shuffle[index]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                   _mm_shuffle_epi8(utf8_lanes_128(x, from80, from800), order));
  return o + lane_table.length[index];
}

// The widest step: two blocks of four lanes, 12 bytes then a 16-byte store.
constexpr std::size_t sse_step = 8, sse_room = 32;

template <bool Big>
ZEL_SSE41 utf16_utf8_run sse_run(const std::uint8_t* in, std::size_t units, std::uint8_t* out,
                                 std::size_t room) noexcept {
  std::uint8_t* o = out;
  std::size_t k = 0;
  const __m128i ascii_bits = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i pair_bits = _mm_set1_epi16(static_cast<short>(0xF800));
  while (units - k >= sse_step && room - static_cast<std::size_t>(o - out) >= sse_room) {
    const __m128i v = load_units_128<Big>(in + 2 * k);
    if (_mm_testz_si128(v, ascii_bits)) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_packus_epi16(v, v));
      o += 8;
    } else if (_mm_testz_si128(v, pair_bits)) {
      const __m128i from80 = _mm_cmpgt_epi16(v, _mm_set1_epi16(0x7F));
      const auto index =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(from80, _mm_setzero_si128())));
      const __m128i order =
          _mm_load_si128(reinterpret_cast<const __m128i*>(pair_table.shuffle[index]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                       _mm_shuffle_epi8(utf8_pairs_128(v, from80), order));
      o += pair_table.length[index];
    } else {
      const __m128i high =
          _mm_cmpeq_epi16(_mm_and_si128(v, pair_bits), _mm_set1_epi16(static_cast<short>(0xD800)));
      if (_mm_movemask_epi8(high)) return finish_before_surrogate<Big>(in, k, out, o);
      o = put_lanes_128(_mm_cvtepu16_epi32(v), o);
      o = put_lanes_128(_mm_cvtepu16_epi32(_mm_srli_si128(v, 8)), o);
    }
    k += sse_step;
  }
  return {k, static_cast<std::size_t>(o - out)};
}

// --- AVX2: sixteen units a step, the same blocks two at a time -----------

template <bool Big>
ZEL_AVX2 inline __m256i load_units_256(const std::uint8_t* p) {
  __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  if constexpr (Big)
    v = _mm256_shuffle_epi8(
        v, _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14, 1, 0, 3, 2, 5, 4,
                            7, 6, 9, 8, 11, 10, 13, 12, 15, 14));
  return v;
}

// The shuffles of two table rows, one for each 16-byte half.
ZEL_AVX2 inline __m256i shuffles_of(const shuffle_table& table, unsigned first, unsigned second) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(
          _mm_load_si128(reinterpret_cast<const __m128i*>(table.shuffle[first]))),
      _mm_load_si128(reinterpret_cast<const __m128i*>(table.shuffle[second])), 1);
}

// Two 16-byte blocks, each compacted by its own shuffle, stored one after
// the other.
ZEL_AVX2 inline std::uint8_t* put_blocks_256(__m256i bytes, const shuffle_table& table,
                                             unsigned first, unsigned second, std::uint8_t* o) {
  const __m256i packed = _mm256_shuffle_epi8(bytes, shuffles_of(table, first, second));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm256_castsi256_si128(packed));
  o += table.length[first];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm256_extracti128_si256(packed, 1));
  return o + table.length[second];
}

ZEL_AVX2 inline __m256i repeated(std::uint16_t u) {
  __m256i v = _mm256_set1_epi16(static_cast<short>(u));
  ZEL_KEEP(v);
  return v;
}

struct avx2_constants {
  __m256i ascii_bits, below80, pair_bits, surrogate, sign, reach80, reach800, six, mid, two_mark,
      three_mark, trail_mark;
};

ZEL_AVX2 inline avx2_constants make_avx2_constants() {
  return {repeated(0xFF80), repeated(0x7F),   repeated(0xF800), repeated(0xD800),
          repeated(0x8000), repeated(0x807F), repeated(0x87FF), repeated(0x3F),
          repeated(0x3F00), repeated(0x80C0), repeated(0x80E0), repeated(0x80)};
}

// The widest step: four blocks, 3 * 12 bytes then a 16-byte store.
constexpr std::size_t avx2_step = 16, avx2_room = 64;

// Sixteen units below U+0800, in their 16-bit lanes, lead byte lowest;
// `from80` marks those from U+0080.
ZEL_AVX2 inline std::uint8_t* put_pairs_256(__m256i v, __m256i from80, const avx2_constants& c,
                                            std::uint8_t* o) {
  const __m256i two = _mm256_or_si256(
      _mm256_or_si256(_mm256_srli_epi16(v, 6), _mm256_slli_epi16(_mm256_and_si256(v, c.six), 8)),
      c.two_mark);
  // Packed within each 16-byte half: units 0-7 to bits 0-7, 8-15 to 16-23.
  const auto m = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_packs_epi16(from80, from80)));
  return put_blocks_256(_mm256_blendv_epi8(v, two, from80), pair_table, m & 0xFF, m >> 16 & 0xFF,
                        o);
}

// Sixteen units of which only one is from U+0080 (and below U+0800),
// Western text's usual step; `at` is its byte offset, twice its place j.
// The units narrowed to bytes are stored at o + 1, stored again at o with
// a gap at j, and the unit's two bytes fill the gap. The first store leaves
// the 17th byte.
template <bool Big>
ZEL_AVX2 inline std::uint8_t* put_one_pair_256(const std::uint8_t* p, __m256i v, std::size_t at,
                                               std::uint8_t* o) {
  const auto* table = reinterpret_cast<const std::uint8_t*>(&one_pair);
  const __m128i bytes = _mm_packus_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 1), bytes);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                   _mm_shuffle_epi8(bytes, _mm_load_si128(reinterpret_cast<const __m128i*>(
                                               table + offsetof(one_pair_table, gap) + 8 * at))));
  std::memcpy(o + at / 2, table + offsetof(one_pair_table, form) + 2 * unit_at<Big>(p + at), 2);
  return o + avx2_step + 1;
}

// Sixteen units of any length, computed in their 16-bit lanes: the first
// two bytes of each form in one vector, the third in another, interleaved
// into 32-bit lanes (units 0-3 and 8-11 by the low unpack, 4-7 and 12-15 by
// the high). Comparing with the sign bit flipped makes the signed compares
// unsigned.
ZEL_AVX2 inline std::uint8_t* put_units_256(__m256i v, const avx2_constants& c, std::uint8_t* o) {
  const __m256i flipped = _mm256_xor_si256(v, c.sign);
  const __m256i from80 = _mm256_cmpgt_epi16(flipped, c.reach80);
  const __m256i from800 = _mm256_cmpgt_epi16(flipped, c.reach800);
  const __m256i low = _mm256_and_si256(v, c.six);
  const __m256i two = _mm256_or_si256(
      _mm256_or_si256(_mm256_srli_epi16(v, 6), _mm256_slli_epi16(low, 8)), c.two_mark);
  const __m256i three = _mm256_or_si256(
      _mm256_or_si256(_mm256_srli_epi16(v, 12), _mm256_and_si256(_mm256_slli_epi16(v, 2), c.mid)),
      c.three_mark);
  const __m256i first_two = _mm256_blendv_epi8(_mm256_blendv_epi8(v, two, from80), three, from800);
  const __m256i third = _mm256_or_si256(low, c.trail_mark);
  // Bytes 0-3 of the mask: units 0-7 reaching U+0080, then U+0800, then
  // the same for units 8-15; each group of four units' table index is
  // their nibble of the first byte under their nibble of the second.
  const auto m =
      static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_packs_epi16(from80, from800)));
  const std::uint32_t low_nibbles = (m & 0x0F0F0F0F) | (m & 0x0F0F0F0F) >> 4;
  const std::uint32_t high_nibbles = (m & 0xF0F0F0F0) >> 4 | (m & 0xF0F0F0F0) >> 8;
  const unsigned first = low_nibbles & 0xFF, second = high_nibbles & 0xFF,
                 third_group = low_nibbles >> 16 & 0xFF, fourth = high_nibbles >> 16 & 0xFF;
  const __m256i packed_low = _mm256_shuffle_epi8(_mm256_unpacklo_epi16(first_two, third),
                                                 shuffles_of(lane_table, first, third_group));
  const __m256i packed_high = _mm256_shuffle_epi8(_mm256_unpackhi_epi16(first_two, third),
                                                  shuffles_of(lane_table, second, fourth));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm256_castsi256_si128(packed_low));
  o += lane_table.length[first];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm256_castsi256_si128(packed_high));
  o += lane_table.length[second];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm256_extracti128_si256(packed_low, 1));
  o += lane_table.length[third_group];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm256_extracti128_si256(packed_high, 1));
  return o + lane_table.length[fourth];
}

// Sixteen units of any kind; false, with nothing written, at a surrogate.
template <bool Big>
ZEL_AVX2 inline bool put_step_256(const std::uint8_t* p, __m256i v, const avx2_constants& c,
                                  std::uint8_t*& o) {
  if (_mm256_testz_si256(v, c.ascii_bits)) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                     _mm_packus_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1)));
    o += avx2_step;
  } else if (_mm256_testz_si256(v, c.pair_bits)) {
    // Below U+0800, signed compares are exact. Two mask bits a unit.
    const __m256i from80 = _mm256_cmpgt_epi16(v, c.below80);
    const auto m = static_cast<unsigned>(_mm256_movemask_epi8(from80));
    o = _blsr_u32(_blsr_u32(m)) == 0 ? put_one_pair_256<Big>(p, v, _tzcnt_u32(m), o)
                                     : put_pairs_256(v, from80, c, o);
  } else {
    const __m256i high = _mm256_cmpeq_epi16(_mm256_and_si256(v, c.pair_bits), c.surrogate);
    if (_mm256_movemask_epi8(high)) return false;
    o = put_units_256(v, c, o);
  }
  return true;
}

// Two steps at a time: one test passes 32 ASCII units, the common case of
// Western text, whose other letters are far apart. A pair writes at most
// 96 bytes and its second step needs a step's room after the first's 48.
constexpr std::size_t avx2_pair_room = 48 + avx2_room;

// The pairs the room holds for certain go first, then single steps while
// the room lasts.
template <bool Big>
ZEL_AVX2 utf16_utf8_run avx2_run(const std::uint8_t* in, std::size_t units, std::uint8_t* out,
                                 std::size_t room) noexcept {
  const avx2_constants c = make_avx2_constants();
  const std::uint8_t* p = in;
  std::uint8_t* o = out;
  const auto stopped = [&](std::size_t more) {
    return finish_before_surrogate<Big>(in, static_cast<std::size_t>(p - in) / 2 + more, out, o);
  };
  if (room >= avx2_pair_room) {
    const std::size_t sure = (room - avx2_pair_room) / 96 + 1, pairs = units / (2 * avx2_step);
    const std::uint8_t* const stop = in + 4 * avx2_step * (pairs < sure ? pairs : sure);
    while (p < stop) {
      const __m256i a = load_units_256<Big>(p), b = load_units_256<Big>(p + 2 * avx2_step);
      if (_mm256_testz_si256(_mm256_or_si256(a, b), c.ascii_bits)) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
        o += 2 * avx2_step;
      } else {
        if (!put_step_256<Big>(p, a, c, o)) return stopped(0);
        if (!put_step_256<Big>(p + 2 * avx2_step, b, c, o)) return stopped(avx2_step);
      }
      p += 4 * avx2_step;
    }
  }
  while (units - static_cast<std::size_t>(p - in) / 2 >= avx2_step &&
         static_cast<std::size_t>(out + room - o) >= avx2_room) {
    if (!put_step_256<Big>(p, load_units_256<Big>(p), c, o)) return stopped(0);
    p += 2 * avx2_step;
  }
  return {static_cast<std::size_t>(p - in) / 2, static_cast<std::size_t>(o - out)};
}

// --- AVX-512 VBMI2: thirty-two units a step, compressed by mask ----------

template <bool Big>
ZEL_AVX512 inline __m512i load_units_512(const std::uint8_t* p) {
  __m512i v = _mm512_loadu_si512(p);
  if constexpr (Big)
    v = _mm512_shuffle_epi8(v, _mm512_broadcast_i32x4(_mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8,
                                                                    11, 10, 13, 12, 15, 14)));
  return v;
}

// Sixteen units in 32-bit lanes: each lane's bytes, kept by a byte mask
// that compares each byte's place in its lane with the lane's length.
ZEL_AVX512 inline std::uint8_t* put_lanes_512(__m512i x, std::uint8_t* o) {
  const __mmask16 from80 = _mm512_cmpgt_epu32_mask(x, _mm512_set1_epi32(0x7F));
  const __mmask16 from800 = _mm512_cmpgt_epu32_mask(x, _mm512_set1_epi32(0x7FF));
  const __m512i six = _mm512_set1_epi32(0x3F);
  const __m512i low = _mm512_and_si512(x, six);
  const __m512i mid = _mm512_and_si512(_mm512_srli_epi32(x, 6), six);
  const __m512i two =
      _mm512_or_si512(_mm512_or_si512(_mm512_srli_epi32(x, 6), _mm512_slli_epi32(low, 8)),
                      _mm512_set1_epi32(0x80C0));
  const __m512i three =
      _mm512_or_si512(_mm512_or_si512(_mm512_srli_epi32(x, 12), _mm512_slli_epi32(mid, 8)),
                      _mm512_or_si512(_mm512_slli_epi32(low, 16), _mm512_set1_epi32(0x8080E0)));
  const __m512i bytes =
      _mm512_mask_mov_epi32(_mm512_mask_mov_epi32(x, from80, two), from800, three);
  const __m512i one_each = _mm512_set1_epi32(0x01010101);
  __m512i length = _mm512_mask_add_epi32(one_each, from80, one_each, one_each);
  length = _mm512_mask_add_epi32(length, from800, length, one_each);
  const __mmask64 keep = _mm512_cmplt_epu8_mask(_mm512_set1_epi32(0x03020100), length);
  _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(keep, bytes));
  return o + std::popcount(static_cast<std::uint64_t>(keep));
}

// The widest step: two halves, 48 bytes then a 64-byte store.
constexpr std::size_t avx512_step = 32, avx512_room = 112;

template <bool Big>
ZEL_AVX512 utf16_utf8_run avx512_run(const std::uint8_t* in, std::size_t units, std::uint8_t* out,
                                     std::size_t room) noexcept {
  std::uint8_t* o = out;
  std::size_t k = 0;
  while (units - k >= avx512_step && room - static_cast<std::size_t>(o - out) >= avx512_room) {
    const __m512i v = load_units_512<Big>(in + 2 * k);
    if (!_mm512_test_epi16_mask(v, _mm512_set1_epi16(static_cast<short>(0xFF80)))) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), _mm512_cvtepi16_epi8(v));
      o += 32;
    } else if (!_mm512_test_epi16_mask(v, _mm512_set1_epi16(static_cast<short>(0xF800)))) {
      const __mmask32 from80 = _mm512_cmpgt_epu16_mask(v, _mm512_set1_epi16(0x7F));
      const __m512i two = _mm512_or_si512(
          _mm512_or_si512(_mm512_srli_epi16(v, 6),
                          _mm512_slli_epi16(_mm512_and_si512(v, _mm512_set1_epi16(0x3F)), 8)),
          _mm512_set1_epi16(static_cast<short>(0x80C0)));
      const __m512i one_each = _mm512_set1_epi16(0x0101);
      const __m512i length = _mm512_mask_add_epi16(one_each, from80, one_each, one_each);
      const __mmask64 keep = _mm512_cmplt_epu8_mask(_mm512_set1_epi16(0x0100), length);
      _mm512_storeu_si512(o,
                          _mm512_maskz_compress_epi8(keep, _mm512_mask_mov_epi16(v, from80, two)));
      o += std::popcount(static_cast<std::uint64_t>(keep));
    } else {
      const __mmask32 high = _mm512_cmpeq_epi16_mask(
          _mm512_and_si512(v, _mm512_set1_epi16(static_cast<short>(0xF800))),
          _mm512_set1_epi16(static_cast<short>(0xD800)));
      if (high) return finish_before_surrogate<Big>(in, k, out, o);
      o = put_lanes_512(_mm512_cvtepu16_epi32(_mm512_castsi512_si256(v)), o);
      o = put_lanes_512(_mm512_cvtepu16_epi32(_mm512_extracti64x4_epi64(v, 1)), o);
    }
    k += avx512_step;
  }
  return {k, static_cast<std::size_t>(o - out)};
}

#endif

constexpr utf16_to_utf8_kernel plain_kernel = {plain_run<false>, plain_run<true>, 1, 3};
#ifdef ZEL_SIMD_X86
constexpr utf16_to_utf8_kernel sse_kernel = {sse_run<false>, sse_run<true>, sse_step, sse_room};
constexpr utf16_to_utf8_kernel avx2_kernel = {avx2_run<false>, avx2_run<true>, avx2_step,
                                              avx2_room};
constexpr utf16_to_utf8_kernel avx512_kernel = {avx512_run<false>, avx512_run<true>, avx512_step,
                                                avx512_room};
#endif

}  // namespace

const utf16_to_utf8_kernel& utf16_to_utf8_kernel_of(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return avx512_kernel;
  if (level >= simd::avx2) return avx2_kernel;
  if (level >= simd::ssse3) return sse_kernel;
#else
  (void)level;
#endif
  return plain_kernel;
}

const utf16_to_utf8_kernel& utf16_to_utf8_active() noexcept {
  return utf16_to_utf8_kernel_of(simd_level());
}

}  // namespace zel
