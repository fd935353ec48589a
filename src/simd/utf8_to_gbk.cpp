// UTF-8 to GBK or GB18030 a piece at a time: the vector windows of the
// UTF-8 to UCS-2 kernel decode a piece into units on the stack, and the
// units then become two-byte codes 32 at a step. A step packs its units
// beyond ASCII together, so that a text of mostly ASCII needs fewer gathers,
// and reads their reverse-table cells 16 at a gather (32 bits at unit - 1,
// the cell in the high half, so no read leaves the table); GBK's cells are
// the codes, GB18030's the index of a two-byte code (lead 0x81 + index / 191,
// trail 0x40 + index % 191, the division done by a multiplication) or past
// them for a four-byte one. The codes go back to their units, lead byte
// first, and one byte compress drops the second byte of each ASCII unit. A
// step that meets a unit without a two-byte code writes the units before it
// and ends the call; a kernel that puts GBK's space puts it in that unit's
// lane instead, kept as one byte like ASCII, and counts it. Units short of a step wait for
// the next piece; what the windows leave (a window a strict reader refuses,
// the last bytes) goes through the UTF-8 kernel's plain tail, and the last
// units one at a time, as the plain twin writes them.
#include "src/simd/utf8_to_gbk.h"

#include <bit>
#include <cstring>

#include "src/simd/intrinsics.h"
#include "src/simd/utf8_to_ucs2.h"
#include "src/tables/gbk_gb18030.h"

namespace zel {
namespace {

inline bool continues(std::uint8_t b) noexcept { return (b & 0xC0) == 0x80; }

// The two-byte code of a unit from 0x80, or none.
template <gbk_target T>
inline std::uint32_t two_byte_code(unsigned u) noexcept {
  if constexpr (T == gbk_target::gbk) {
    const std::uint16_t code = cell(ucs2_to_gbk, u, gbk_none);
    return code == gbk_none ? 0 : code;
  } else {
    const std::uint32_t code = gb18030_code(static_cast<std::uint16_t>(u));
    return code >= 0x8140 && code <= 0xFEFE ? code : 0;
  }
}

// A kernel's kind: whose codes, and whether it puts GBK's space.
template <gbk_target T, gbk_lacking L>
struct kernel_kind {
  static constexpr gbk_target target = T;
  static constexpr bool spaces = T == gbk_target::gbk && L == gbk_lacking::space;
};

// The unit u at out[o..], as the writer puts it; false, with nothing
// written, for a unit without a two-byte code (unless the kernel puts
// GBK's space) or whose bytes do not fit the room.
template <class K>
inline bool put_gbk(unsigned u, std::uint8_t* out, std::size_t& o, std::size_t room,
                    std::size_t& spaces) noexcept {
  if (u < 0x80) {
    if (o == room) return false;
    out[o++] = static_cast<std::uint8_t>(u);
    return true;
  }
  const std::uint32_t code = two_byte_code<K::target>(u);
  if (K::spaces && !code) {
    if (o == room) return false;
    out[o++] = 0x20;
    ++spaces;
    return true;
  }
  if (!code || room - o < 2) return false;
  out[o++] = static_cast<std::uint8_t>(code >> 8);
  out[o++] = static_cast<std::uint8_t>(code & 0xFF);
  return true;
}

template <class K>
utf8_gbk_run utf8_to_gbk_plain(const std::uint8_t* in, std::size_t n, std::uint8_t* out,
                               std::size_t room) noexcept {
  std::size_t i = 0, o = 0, spaces = 0;
  while (i < n) {
    const std::uint8_t b = in[i];
    unsigned u = b;
    std::size_t length = 1;
    if (b >= 0xC2 && b <= 0xDF) {
      if (n - i < 2 || !continues(in[i + 1])) break;
      u = (b & 0x1Fu) << 6 | (in[i + 1] & 0x3Fu);
      length = 2;
    } else if (b >= 0x80) {
      if (b < 0xE0 || b > 0xEF || n - i < 3) break;
      const std::uint8_t b1 = in[i + 1];
      // E0 80..9F would be overlong, ED A0..BF a surrogate.
      if (!continues(b1) || !continues(in[i + 2]) || (b == 0xE0 && b1 < 0xA0) ||
          (b == 0xED && b1 >= 0xA0))
        break;
      u = (b & 0x0Fu) << 12 | (b1 & 0x3Fu) << 6 | (in[i + 2] & 0x3Fu);
      length = 3;
    }
    if (!put_gbk<K>(u, out, o, room, spaces)) break;
    i += length;
  }
  return {i, o, spaces};
}

#ifdef ZEL_SIMD_X86

#define ZEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi2,bmi2,popcnt")))

constexpr std::size_t window = utf8_to_ucs2_window;

// The most input bytes decoded at a time: a unit GBK lacks ends the call,
// and the units decoded after it are wasted.
constexpr std::size_t piece = 1024;

// The gather reads cells u - 1 and u of any unit from 0x80 up.
static_assert(ucs2_to_gbk_size == 0x10000 && ucs2_to_gb18030_size == 0x10000,
              "every unit indexes the reverse tables");
// GB18030's two-byte indexes: index / 191 is (index * 2745) >> 19 below
// 2^15, and so for all of them.
static_assert(gbk_columns == 191 && gbk_to_ucs2_size < 0x8000);

struct units_taken {
  std::size_t units;
  std::size_t bytes;   // GBK bytes written
  std::size_t read;    // UTF-8 bytes of those units
  std::size_t spaces;  // GBK's spaces put
  bool stopped;        // at a unit GBK lacks or that does not fit
};

// The bytes kept of 16 units, two bytes each: the first of each unit in
// `units`, the second of each in `wide`. (32-bit deposits: the 32-bit build
// has no 64-bit ones.)
ZEL_AVX512 inline std::uint32_t kept_bytes(std::uint32_t units, std::uint32_t wide) noexcept {
  return _pdep_u32(units, 0x55555555u) | _pdep_u32(wide, 0xAAAAAAAAu);
}

template <gbk_target T>
constexpr const std::uint16_t* reverse_table() noexcept {
  return T == gbk_target::gbk ? ucs2_to_gbk : ucs2_to_gb18030;
}

// The places among 32 cells whose unit has no two-byte code (cells of
// unused lanes are 0).
template <gbk_target T>
ZEL_AVX512 inline std::uint32_t without_code(__m512i cells) noexcept {
  if constexpr (T == gbk_target::gbk)
    return _mm512_cmpeq_epi16_mask(cells, _mm512_set1_epi16(static_cast<short>(gbk_none)));
  return _mm512_cmpge_epu16_mask(cells, _mm512_set1_epi16(static_cast<short>(gbk_to_ucs2_size)));
}

// The two-byte codes of 32 cells, lead byte high.
template <gbk_target T>
ZEL_AVX512 inline __m512i codes_of(__m512i cells) noexcept {
  if constexpr (T == gbk_target::gbk) return cells;
  const __m512i lead = _mm512_srli_epi16(_mm512_mulhi_epu16(cells, _mm512_set1_epi16(2745)), 3);
  const __m512i trail =
      _mm512_sub_epi16(cells, _mm512_mullo_epi16(lead, _mm512_set1_epi16(gbk_columns)));
  return _mm512_or_si512(_mm512_slli_epi16(_mm512_add_epi16(lead, _mm512_set1_epi16(0x81)), 8),
                         _mm512_add_epi16(trail, _mm512_set1_epi16(0x40)));
}

// The n units at `units` as two-byte codes, 32 at a step while a step's 64
// bytes fit; the units left over go one at a time when `all` or the room is
// short, else they wait for the next piece.
template <class K>
ZEL_AVX512 units_taken units_to_gbk_avx512(const std::uint8_t* units, std::size_t n, bool all,
                                           std::uint8_t* out, std::size_t room) noexcept {
  constexpr gbk_target T = K::target;
  std::size_t k = 0, o = 0, read = 0, spaces = 0;
  while (n - k >= 32 && room - o >= 64) {
    const __m512i u = _mm512_loadu_si512(units + 2 * k);
    const std::uint32_t wide = _mm512_cmpge_epu16_mask(u, _mm512_set1_epi16(0x80));
    if (!wide) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + o), _mm512_cvtepi16_epi8(u));
      k += 32;
      o += 32;
      read += 32;
      continue;
    }
    // The units beyond ASCII, packed, read their cells 16 at a gather: the
    // cell of unit u is the high half of the 32 bits at cell u - 1.
    const __m512i packed = _mm512_maskz_compress_epi16(wide, u);
    const auto count = static_cast<unsigned>(std::popcount(wide));
    const __m512i one = _mm512_set1_epi32(1);
    const __m512i low = _mm512_cvtepu16_epi32(_mm512_castsi512_si256(packed));
    const auto low_lanes = static_cast<__mmask16>(count >= 16 ? 0xFFFF : (1u << count) - 1);
    __m256i cells_high = _mm256_setzero_si256();
    const __m256i cells_low = _mm512_cvtepi32_epi16(
        _mm512_srli_epi32(_mm512_mask_i32gather_epi32(one, low_lanes, _mm512_sub_epi32(low, one),
                                                      reverse_table<T>(), 2),
                          16));
    if (count > 16) {
      const __m512i high = _mm512_cvtepu16_epi32(_mm512_extracti64x4_epi64(packed, 1));
      const auto high_lanes =
          static_cast<__mmask16>(count == 32 ? 0xFFFF : (1u << (count - 16)) - 1);
      cells_high = _mm512_cvtepi32_epi16(_mm512_srli_epi32(
          _mm512_mask_i32gather_epi32(one, high_lanes, _mm512_sub_epi32(high, one),
                                      reverse_table<T>(), 2),
          16));
    }
    const __m512i cells = _mm512_inserti64x4(_mm512_castsi256_si512(cells_low), cells_high, 1);
    std::uint32_t lacking = without_code<T>(cells);
    // Each code back at its unit, lead byte first; ASCII units as they are.
    const __m512i codes = _mm512_maskz_expand_epi16(wide, codes_of<T>(cells));
    const __m512i swapped =
        _mm512_or_si512(_mm512_srli_epi16(codes, 8), _mm512_slli_epi16(codes, 8));
    __m512i bytes = _mm512_mask_mov_epi16(u, wide, swapped);
    // The units that keep two bytes; GBK's spaces keep one, like ASCII.
    std::uint32_t pairs = wide;
    if constexpr (K::spaces) {
      if (lacking) [[unlikely]] {
        const std::uint32_t spaced = _pdep_u32(lacking, wide);
        bytes = _mm512_mask_mov_epi16(bytes, spaced, _mm512_set1_epi16(0x20));
        pairs &= ~spaced;
        spaces += static_cast<std::size_t>(std::popcount(lacking));
        lacking = 0;
      }
    }
    const std::uint32_t three = _mm512_cmpge_epu16_mask(u, _mm512_set1_epi16(0x800));
    // A branch rather than a count taken from the gather, so that the next
    // step need not wait for this one's cells.
    std::uint32_t valid = 0xFFFFFFFF;
    if (lacking) [[unlikely]]
      valid = (_pdep_u32(lacking & (0u - lacking), wide)) - 1;
    const std::uint64_t keep = kept_bytes(valid & 0xFFFF, pairs & valid & 0xFFFF) |
                               std::uint64_t{kept_bytes(valid >> 16, (pairs & valid) >> 16)} << 32;
    _mm512_storeu_si512(out + o, _mm512_maskz_compress_epi8(keep, bytes));
    o += static_cast<std::size_t>(std::popcount(keep));
    read += static_cast<std::size_t>(std::popcount(valid) + std::popcount(wide & valid) +
                                     std::popcount(three & valid));
    if (lacking) [[unlikely]]
      return {k + static_cast<std::size_t>(std::popcount(valid)), o, read, spaces, true};
    k += 32;
  }
  if (all || room - o < 64) {
    for (; k < n; ++k) {
      const unsigned u = units[2 * k] | static_cast<unsigned>(units[2 * k + 1]) << 8;
      if (!put_gbk<K>(u, out, o, room, spaces)) return {k, o, read, spaces, true};
      read += u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
    }
  }
  return {k, o, read, spaces, false};
}

template <class K>
ZEL_AVX512 utf8_gbk_run utf8_to_gbk_avx512(const std::uint8_t* in, std::size_t n, std::uint8_t* out,
                                           std::size_t room) noexcept {
  const utf8_to_ucs2_fn windows = utf8_to_ucs2_windows(simd::avx512);
  const utf8_to_ucs2_fn whole = utf8_to_ucs2_kernel(simd::avx512);
  // Units decoded and not yet written wait at the front for the next piece.
  alignas(64) std::uint8_t units[2 * (piece + 32)];
  std::size_t i = 0, decoded = 0, o = 0, held = 0, spaces = 0;
  bool last = false;
  // Pieces start at a window and double: a call often ends soon, at the
  // next unit GBK lacks.
  for (std::size_t size = window; !last; size = size < piece ? 2 * size : piece) {
    std::size_t take = n - decoded < size ? n - decoded : size;
    utf8_ucs2_step step = windows(in + decoded, take, units + 2 * held);
    if (!step.read) {
      // Under a window left, or a window with a byte a strict reader
      // refuses: the whole kernel reads up to that byte, or on past a
      // sequence that this window's end cuts short.
      take = n - decoded < window ? n - decoded : window;
      step = whole(in + decoded, take, units + 2 * held);
      last = take < window || step.read + 3 <= take;
    }
    decoded += step.read;
    held += step.units;
    const units_taken t = units_to_gbk_avx512<K>(units, held, last, out + o, room - o);
    i += t.read;
    o += t.bytes;
    spaces += t.spaces;
    if (t.stopped) break;
    held -= t.units;
    std::memmove(units, units + 2 * t.units, 2 * held);
  }
  return {i, o, spaces};
}

#endif  // ZEL_SIMD_X86

template <class K>
utf8_to_gbk_fn kernel_of(simd level) noexcept {
#ifdef ZEL_SIMD_X86
  if (level >= simd::avx512) return utf8_to_gbk_avx512<K>;
#else
  (void)level;
#endif
  return utf8_to_gbk_plain<K>;
}

}  // namespace

utf8_to_gbk_fn utf8_to_gbk_kernel(simd level, gbk_target target, gbk_lacking lacking) noexcept {
  if (target == gbk_target::gb18030)
    return kernel_of<kernel_kind<gbk_target::gb18030, gbk_lacking::stop>>(level);
  return lacking == gbk_lacking::space
             ? kernel_of<kernel_kind<gbk_target::gbk, gbk_lacking::space>>(level)
             : kernel_of<kernel_kind<gbk_target::gbk, gbk_lacking::stop>>(level);
}

utf8_to_gbk_fn utf8_to_gbk_active(gbk_target target, gbk_lacking lacking) noexcept {
  const utf8_to_gbk_fn k = utf8_to_gbk_kernel(simd_level(), target, lacking);
  return k == utf8_to_gbk_kernel(simd::plain, target, lacking) ? nullptr : k;
}

}  // namespace zel
