// Two-byte charsets into UCS-2 a 32-byte window at a time (AVX-512).
//
// Method: a lead takes the byte after it whatever that is, so within each
// run of bytes from 0x80 the first, third, fifth ... are leads, and a run of
// odd length hands its last lead a trail below 0x80. The leads of a window
// come from its mask of high bytes by one addition: adding the first bit of
// each run that starts at an even place carries through that run and clears
// it, which splits the runs by the parity of their start (the carry trick
// vector parsers use to find runs of odd length). Each place's pair index is
// computed in 16-bit lanes from the byte and the one after it; the leads'
// indexes are compressed together and their cells read by one masked 32-bit
// gather (at most 16 leads in 32 bytes), from an index clamped one short of
// the table's end so that no read leaves it, the wanted half chosen by a
// shift. The cells are expanded back over the leads' places, the ASCII
// bytes keeping theirs, and a compress over the places that begin a
// character writes the units in order. A window with a lead out of range or
// a cell of U+FFFD is taken up to that lead only, and the kernel stops there.
// Shift_JIS keeps its single bytes from 0x80 out of the mask of leads, and
// they, 0x5C and 0x7E get their units before the cells are expanded; EUC-JP
// lets the pairs of 0x8E with a katakana byte through the lead checks and
// writes their units over the expanded cells.
//
// The AVX2 kernel takes 32-byte windows the same way, in two halves of 16
// places and without compress and expand: it gathers the cells at every
// lead's own place (masked gathers of 8), blends them over the single
// bytes' units, and writes the units at the places that begin a character
// through the shuffle tables of compress_units.h, 8 places at a time.
#include "src/simd/pairs_to_ucs2.h"

#include <bit>
#include <cstring>

#include "src/simd/compress_units.h"
#include "src/simd/intrinsics.h"

namespace zel {
namespace {

constexpr std::uint16_t replacement = 0xFFFD;

inline void put_unit(std::uint8_t* out, std::size_t k, unsigned u) noexcept {
  out[2 * k] = static_cast<std::uint8_t>(u & 0xFF);
  out[2 * k + 1] = static_cast<std::uint8_t>(u >> 8);
}

// JIS X 0201 has the half-width katakana 0xA1..0xDF at U+FF61 in order.
constexpr unsigned katakana_offset = 0xFF61 - 0xA1;

// The unit of a byte that is a character of its own in shape S, U+FFFD for
// a single byte without one, or -1 for a lead.
template <pair_shape S>
constexpr int single_unit(std::uint8_t b) noexcept {
  if constexpr (S == pair_shape::shift_jis) {
    if (b == 0x5C) return 0xA5;
    if (b == 0x7E) return 0x203E;
    if (b == 0x7F || b == 0x80 || b == 0xA0) return replacement;
    if (b >= 0xA1 && b <= 0xDF) return static_cast<int>(b + katakana_offset);
  }
  return b < 0x80 ? b : -1;
}

// The plain twin, from byte i and unit o on.
template <pair_shape S>
pairs_step plain_from(const pair_table& t, const std::uint8_t* in, std::size_t n, std::uint8_t* out,
                      std::size_t i, std::size_t o) noexcept {
  while (i < n) {
    const std::uint8_t b = in[i];
    if (const int u = single_unit<S>(b); u >= 0) {
      if (u == replacement) break;
      put_unit(out, o++, static_cast<unsigned>(u));
      ++i;
      continue;
    }
    if (n - i < 2) break;
    const std::uint8_t c = in[i + 1];
    if (S == pair_shape::euc_jp && b == 0x8E && c >= 0xA1 && c <= 0xDF) {
      put_unit(out, o++, c + katakana_offset);
      i += 2;
      continue;
    }
    if (b < t.lead_first || b > t.lead_last || c < t.trail_first || c > t.trail_last) break;
    const std::size_t at =
        std::size_t{t.columns} * unsigned(b - t.lead_first) + unsigned(c - t.trail_first);
    if (at >= t.size || t.cells[at] == replacement) break;
    put_unit(out, o++, t.cells[at]);
    i += 2;
  }
  return {i, o};
}

template <pair_shape S>
pairs_step pairs_plain(const pair_table& t, const std::uint8_t* in, std::size_t n,
                       std::uint8_t* out) noexcept {
  return plain_from<S>(t, in, n, out, 0, 0);
}

#ifdef ZEL_SIMD_X86

constexpr std::size_t window = 32;
constexpr std::uint32_t even_places = 0x55555555;

// The leads among a window's bytes that may lead (`high`), the window
// starting a character.
inline std::uint32_t lead_places(std::uint32_t high) noexcept {
  const std::uint32_t starts = high & ~(high << 1);
  const std::uint64_t carried = std::uint64_t{high} + (starts & even_places);
  const std::uint32_t from_even = high & ~static_cast<std::uint32_t>(carried);
  return (from_even & even_places) | (high & ~from_even & ~even_places);
}

// How a window with `leads` ends: the places that begin a character, and
// the bytes taken. A lead at the last place takes the next window's first
// byte; a stop ends the window before its first place.
struct window_end {
  std::uint32_t begins;
  std::size_t read;
};

inline window_end end_of_window(std::uint32_t leads, std::uint32_t stop) noexcept {
  if (!stop) return {~(leads << 1), window + (leads >> 31)};
  const auto before = static_cast<unsigned>(std::countr_zero(stop));
  return {~(leads << 1) & ((1u << before) - 1), before};
}

#define ZEL_AVX512 \
  __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,bmi,bmi2,popcnt")))

template <pair_shape S>
ZEL_AVX512 pairs_step pairs_avx512(const pair_table& t, const std::uint8_t* in, std::size_t n,
                                   std::uint8_t* out) noexcept {
  const __m256i lead_first = _mm256_set1_epi8(static_cast<char>(t.lead_first));
  const __m256i lead_last = _mm256_set1_epi8(static_cast<char>(t.lead_last));
  const __m256i trail_first = _mm256_set1_epi8(static_cast<char>(t.trail_first));
  const __m256i trail_last = _mm256_set1_epi8(static_cast<char>(t.trail_last));
  const __m512i lead_base = _mm512_set1_epi16(t.lead_first);
  const __m512i trail_base = _mm512_set1_epi16(t.trail_first);
  const __m512i columns = _mm512_set1_epi16(static_cast<short>(t.columns));
  const __m512i stored = _mm512_set1_epi16(static_cast<short>(t.size));
  const __m512i last_pair = _mm512_set1_epi32(static_cast<int>(t.size - 2));
  const __m256i replaced_unit = _mm256_set1_epi16(static_cast<short>(replacement));
  const __m256i kana_first = _mm256_set1_epi8(static_cast<char>(0xA1));
  const __m256i kana_last = _mm256_set1_epi8(static_cast<char>(0xDF));
  const __m512i to_kana = _mm512_set1_epi16(static_cast<short>(katakana_offset));
  std::size_t i = 0, o = 0;
  // A lead at the window's last byte reads its trail from the byte after.
  while (n - i > window) {
    const std::uint8_t* p = in + i;
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m512i bytes = _mm512_cvtepu8_epi16(v);
    auto high = static_cast<std::uint32_t>(_mm256_movemask_epi8(v));  // bytes that may lead
    __m512i singles = bytes;
    std::uint32_t lost = 0;  // single bytes without a character
    if constexpr (S == pair_shape::shift_jis) {
      const std::uint32_t kana =
          _mm256_cmpge_epu8_mask(v, kana_first) & _mm256_cmple_epu8_mask(v, kana_last);
      const std::uint32_t yen =
          _mm256_cmpeq_epi8_mask(v, _mm256_set1_epi8(static_cast<char>(0x5C)));
      const std::uint32_t overline =
          _mm256_cmpeq_epi8_mask(v, _mm256_set1_epi8(static_cast<char>(0x7E)));
      lost = _mm256_cmpeq_epi8_mask(v, _mm256_set1_epi8(static_cast<char>(0x7F))) |
             _mm256_cmpeq_epi8_mask(v, _mm256_set1_epi8(static_cast<char>(0x80))) |
             _mm256_cmpeq_epi8_mask(v, _mm256_set1_epi8(static_cast<char>(0xA0)));
      high &= ~(kana | lost);
      singles = _mm512_mask_add_epi16(singles, kana, singles, to_kana);
      singles = _mm512_mask_mov_epi16(singles, yen, _mm512_set1_epi16(0xA5));
      singles = _mm512_mask_mov_epi16(singles, overline, _mm512_set1_epi16(0x203E));
    }
    if (!(high | lost)) {
      _mm512_storeu_si512(out + 2 * o, singles);
      i += window;
      o += window;
      continue;
    }
    const std::uint32_t leads = lead_places(high);
    std::uint32_t stop = lost & ~(leads << 1);  // a trail may be any of them
    __m512i units = singles;
    if (leads) {
      const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
      const std::uint32_t lead_in =
          _mm256_cmpge_epu8_mask(v, lead_first) & _mm256_cmple_epu8_mask(v, lead_last);
      const std::uint32_t trail_in =
          _mm256_cmpge_epu8_mask(next, trail_first) & _mm256_cmple_epu8_mask(next, trail_last);
      const __m512i trails = _mm512_cvtepu8_epi16(next);
      // Exact for every lead and trail in range: at most 191 * 127 + 190.
      const __m512i index =
          _mm512_add_epi16(_mm512_mullo_epi16(_mm512_sub_epi16(bytes, lead_base), columns),
                           _mm512_sub_epi16(trails, trail_base));
      stop |= leads & ~(lead_in & trail_in);
      stop |= leads & _mm512_cmpge_epu16_mask(index, stored);
      const auto count = static_cast<unsigned>(std::popcount(leads));  // at most 16
      const auto lanes = static_cast<__mmask16>((1u << count) - 1);
      const __m512i wanted =
          _mm512_cvtepu16_epi32(_mm512_castsi512_si256(_mm512_maskz_compress_epi16(leads, index)));
      // Two cells a read: the wanted one low, or high for the table's last.
      const __m512i at = _mm512_min_epu32(wanted, last_pair);
      const __m512i two =
          _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), lanes, at, t.cells, 2);
      const __m512i shift = _mm512_slli_epi32(_mm512_sub_epi32(wanted, at), 4);
      const __m256i cells = _mm512_cvtepi32_epi16(
          _mm512_and_si512(_mm512_srlv_epi32(two, shift), _mm512_set1_epi32(0xFFFF)));
      const std::uint32_t empty = _mm256_cmpeq_epi16_mask(cells, replaced_unit) & lanes;
      stop |= _pdep_u32(empty, leads);
      units = _mm512_mask_expand_epi16(singles, leads, _mm512_zextsi256_si512(cells));
      if constexpr (S == pair_shape::euc_jp) {
        const std::uint32_t kana =
            leads & _mm256_cmpeq_epi8_mask(v, _mm256_set1_epi8(static_cast<char>(0x8E))) &
            _mm256_cmpge_epu8_mask(next, kana_first) & _mm256_cmple_epu8_mask(next, kana_last);
        stop &= ~kana;
        units = _mm512_mask_add_epi16(units, kana, trails, to_kana);
      }
    }
    const window_end end = end_of_window(leads, stop);
    _mm512_storeu_si512(out + 2 * o, _mm512_maskz_compress_epi16(end.begins, units));
    i += end.read;
    o += static_cast<std::size_t>(std::popcount(end.begins));
    if (stop) return {i, o};
  }
  return plain_from<S>(t, in, n, out, i, o);
}

#define ZEL_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))

// The places of `bits` (16 of them) as 16-bit lanes of all ones.
ZEL_AVX2 inline __m256i unit_lanes(std::uint32_t bits) noexcept {
  const __m256i place = _mm256_setr_epi16(1, 2, 4, 8, 16, 32, 64, 128, 0x100, 0x200, 0x400, 0x800,
                                          0x1000, 0x2000, 0x4000, static_cast<short>(0x8000));
  const __m256i spread = _mm256_set1_epi16(static_cast<short>(bits));
  return _mm256_cmpeq_epi16(_mm256_and_si256(spread, place), place);
}

// Constants of the loop, built once a call (ZEL_KEEP).
ZEL_AVX2 inline __m256i byte_vector(std::uint8_t b) noexcept {
  __m256i v = _mm256_set1_epi8(static_cast<char>(b));
  ZEL_KEEP(v);
  return v;
}

ZEL_AVX2 inline __m256i unit_vector(unsigned u) noexcept {
  __m256i v = _mm256_set1_epi16(static_cast<short>(u));
  ZEL_KEEP(v);
  return v;
}

// A range of bytes first..last (narrower than all 256), tested by one
// addition and one signed compare: the addition moves first to -128, so the
// range's bytes are exactly those below -128 + (last - first + 1).
struct byte_range {
  __m256i offset, limit;
};

ZEL_AVX2 inline byte_range byte_range_of(std::uint8_t first, std::uint8_t last) noexcept {
  return {byte_vector(static_cast<std::uint8_t>(0x80 - first)),
          byte_vector(static_cast<std::uint8_t>(last - first + 0x81))};
}

// The bytes of v within r, as all ones.
ZEL_AVX2 inline __m256i bytes_within(__m256i v, const byte_range& r) noexcept {
  return _mm256_cmpgt_epi8(r.limit, _mm256_add_epi8(v, r.offset));
}

ZEL_AVX2 inline std::uint32_t byte_bits(__m256i m) noexcept {
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(m));
}

// The 16-bit lanes of a window's two halves as one bit each, in order.
ZEL_AVX2 inline std::uint32_t unit_bits(__m256i first, __m256i second) noexcept {
  return byte_bits(_mm256_permute4x64_epi64(_mm256_packs_epi16(first, second), 0xD8));
}

// Half H of a window's 32 bytes.
template <int H>
ZEL_AVX2 inline __m128i half(__m256i v) noexcept {
  if constexpr (H == 0) return _mm256_castsi256_si128(v);
  return _mm256_extracti128_si256(v, 1);
}

// Half h of a byte mask, as 16-bit lanes.
ZEL_AVX2 inline __m256i mask_lanes(__m256i m, int h) noexcept {
  return _mm256_cvtepi8_epi16(h ? half<1>(m) : half<0>(m));
}

// The cells of 8 places' indexes (32-bit lanes) where `mask` is set, 0
// elsewhere, read as the AVX-512 kernel reads them.
ZEL_AVX2 inline __m256i cells_at(const std::uint16_t* cells, __m256i last_pair, __m256i wanted,
                                 __m256i mask) noexcept {
  const __m256i at = _mm256_min_epu32(wanted, last_pair);
  const __m256i two = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(),
                                                  reinterpret_cast<const int*>(cells), at, mask, 2);
  const __m256i shift = _mm256_slli_epi32(_mm256_sub_epi32(wanted, at), 4);
  return _mm256_and_si256(_mm256_srlv_epi32(two, shift), _mm256_set1_epi32(0xFFFF));
}

// Writes the units of `units` at the places of `begins` (16 bits) in order.
ZEL_AVX2 inline void put_begins(__m256i units, std::uint32_t begins, std::uint8_t* out,
                                std::size_t& o) noexcept {
  const compress_entry& lo = compress_units[begins & 0xFF];
  const compress_entry& hi = compress_units[begins >> 8 & 0xFF];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * o),
                   _mm_shuffle_epi8(_mm256_castsi256_si128(units),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(lo.shuffle))));
  o += lo.count;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * o),
                   _mm_shuffle_epi8(_mm256_extracti128_si256(units, 1),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(hi.shuffle))));
  o += hi.count;
}

struct pair_constants {
  const std::uint16_t* cells;
  __m256i lead_base, trail_base, columns, stored, replaced_unit, last_pair;
};

// Half H of a window with leads: the cells of its leads over `singles`, and
// in `bad` the leads whose index passes the stored cells or whose cell is
// U+FFFD.
template <int H>
ZEL_AVX2 inline __m256i half_units(const pair_constants& c, __m256i v, __m256i trails,
                                   __m256i singles, std::uint32_t leads, __m256i& bad) noexcept {
  // Exact for every lead and trail in range: at most 191 * 127 + 190.
  const __m256i index = _mm256_add_epi16(
      _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_cvtepu8_epi16(half<H>(v)), c.lead_base),
                         c.columns),
      _mm256_sub_epi16(trails, c.trail_base));
  const __m256i lead_lanes = unit_lanes(leads >> 16 * H);
  const __m256i low =
      cells_at(c.cells, c.last_pair, _mm256_cvtepu16_epi32(_mm256_castsi256_si128(index)),
               _mm256_cvtepi16_epi32(_mm256_castsi256_si128(lead_lanes)));
  const __m256i high =
      cells_at(c.cells, c.last_pair, _mm256_cvtepu16_epi32(_mm256_extracti128_si256(index, 1)),
               _mm256_cvtepi16_epi32(_mm256_extracti128_si256(lead_lanes, 1)));
  const __m256i found = _mm256_permute4x64_epi64(_mm256_packus_epi32(low, high), 0xD8);
  bad = _mm256_or_si256(_mm256_cmpeq_epi16(_mm256_max_epu16(index, c.stored), index),
                        _mm256_cmpeq_epi16(found, c.replaced_unit));
  return _mm256_blendv_epi8(singles, found, lead_lanes);
}

template <pair_shape S>
ZEL_AVX2 pairs_step pairs_avx2(const pair_table& t, const std::uint8_t* in, std::size_t n,
                               std::uint8_t* out) noexcept {
  __m256i last_pair = _mm256_set1_epi32(static_cast<int>(t.size - 2));
  ZEL_KEEP(last_pair);
  const pair_constants c{t.cells,
                         unit_vector(t.lead_first),
                         unit_vector(t.trail_first),
                         unit_vector(t.columns),
                         unit_vector(t.size),
                         unit_vector(replacement),
                         last_pair};
  const __m256i to_kana = unit_vector(katakana_offset);
  const byte_range lead_bytes = byte_range_of(t.lead_first, t.lead_last);
  const byte_range trail_bytes = byte_range_of(t.trail_first, t.trail_last);
  const byte_range kana_bytes = byte_range_of(0xA1, 0xDF);
  const __m256i yen_byte = byte_vector(0x5C), overline_byte = byte_vector(0x7E);
  // 0x80 and 0xA0 differ in bit 5 alone.
  const __m256i lost_byte = byte_vector(0x7F), lost_pair = byte_vector(0xA0),
                lost_bit = byte_vector(0x20);
  const __m256i kana_lead = byte_vector(0x8E);
  const __m256i yen_unit = unit_vector(0xA5), overline_unit = unit_vector(0x203E);
  std::size_t i = 0, o = 0;
  // A lead at the window's last byte reads its trail from the byte after.
  while (n - i > window) {
    const std::uint8_t* p = in + i;
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    std::uint32_t high = byte_bits(v);  // bytes that may lead
    __m256i singles[2] = {_mm256_cvtepu8_epi16(half<0>(v)), _mm256_cvtepu8_epi16(half<1>(v))};
    std::uint32_t lost = 0;  // single bytes without a character
    if constexpr (S == pair_shape::shift_jis) {
      const __m256i kana = bytes_within(v, kana_bytes);
      const __m256i yen = _mm256_cmpeq_epi8(v, yen_byte);
      const __m256i overline = _mm256_cmpeq_epi8(v, overline_byte);
      lost = byte_bits(_mm256_or_si256(_mm256_cmpeq_epi8(v, lost_byte),
                                       _mm256_cmpeq_epi8(_mm256_or_si256(v, lost_bit), lost_pair)));
      const std::uint32_t kana_bits = byte_bits(kana);
      high &= ~(kana_bits | lost);
      // Most windows of Japanese text hold none of them.
      if (kana_bits | byte_bits(_mm256_or_si256(yen, overline))) {
        for (int h = 0; h < 2; ++h) {
          singles[h] = _mm256_add_epi16(singles[h], _mm256_and_si256(mask_lanes(kana, h), to_kana));
          singles[h] = _mm256_blendv_epi8(singles[h], yen_unit, mask_lanes(yen, h));
          singles[h] = _mm256_blendv_epi8(singles[h], overline_unit, mask_lanes(overline, h));
        }
      }
    }
    if (!(high | lost)) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * o), singles[0]);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * o + 32), singles[1]);
      i += window;
      o += window;
      continue;
    }
    const std::uint32_t leads = lead_places(high);
    std::uint32_t stop = lost & ~(leads << 1);  // a trail may be any of them
    __m256i units[2] = {singles[0], singles[1]};
    if (leads) {
      const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
      // `next` holds each lead's trail in the lead's own place.
      const std::uint32_t in_range =
          byte_bits(_mm256_and_si256(bytes_within(v, lead_bytes), bytes_within(next, trail_bytes)));
      const __m256i trails[2] = {_mm256_cvtepu8_epi16(half<0>(next)),
                                 _mm256_cvtepu8_epi16(half<1>(next))};
      __m256i bad[2];
      units[0] = half_units<0>(c, v, trails[0], singles[0], leads, bad[0]);
      units[1] = half_units<1>(c, v, trails[1], singles[1], leads, bad[1]);
      stop |= leads & (~in_range | unit_bits(bad[0], bad[1]));
      if constexpr (S == pair_shape::euc_jp) {
        // Katakana pairs are rare: most windows have no lead 0x8E.
        if (const std::uint32_t kana_leads = leads & byte_bits(_mm256_cmpeq_epi8(v, kana_lead))) {
          const std::uint32_t kana = kana_leads & byte_bits(bytes_within(next, kana_bytes));
          stop &= ~kana;
          for (int h = 0; h < 2; ++h)
            units[h] = _mm256_blendv_epi8(units[h], _mm256_add_epi16(trails[h], to_kana),
                                          unit_lanes(kana >> 16 * h));
        }
      }
    }
    const window_end end = end_of_window(leads, stop);
    put_begins(units[0], end.begins & 0xFFFF, out, o);
    put_begins(units[1], end.begins >> 16, out, o);
    i += end.read;
    if (stop) return {i, o};
  }
  return plain_from<S>(t, in, n, out, i, o);
}

#endif  // ZEL_SIMD_X86

template <pair_shape S>
pairs_to_ucs2_fn kernel_of(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return pairs_avx512<S>;
  if (level >= simd::avx2) return pairs_avx2<S>;
#else
  (void)level;
#endif
  return pairs_plain<S>;
}

}  // namespace

pairs_to_ucs2_fn pairs_to_ucs2_kernel(simd level, pair_shape shape) noexcept {
  switch (shape) {
    case pair_shape::shift_jis:
      return kernel_of<pair_shape::shift_jis>(level);
    case pair_shape::euc_jp:
      return kernel_of<pair_shape::euc_jp>(level);
    case pair_shape::lead_trail:
      break;
  }
  return kernel_of<pair_shape::lead_trail>(level);
}

pairs_to_ucs2_fn pairs_to_ucs2_active(pair_shape shape) noexcept {
  const pairs_to_ucs2_fn k = pairs_to_ucs2_kernel(simd_level(), shape);
  return k == pairs_to_ucs2_kernel(simd::plain, shape) ? nullptr : k;
}

}  // namespace zel
