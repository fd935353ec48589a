// ISO-2022-JP input, with the two-byte sets ISO-2022-JP-2 adds.
//
// Text starts in ASCII. ESC is always dropped; when the bytes after it are
// one of ( B (ASCII), ( J (JIS X 0201 Roman), $ @ or $ B (JIS X 0208),
// $ A (GB 2312), $ ( C (KS X 1001) or $ ( D (JIS X 0212), all present, they
// select that set and are consumed; otherwise they are text, so an unknown
// escape loses only its ESC. No other byte is special: SO, SI and line ends
// are text, and no set resets at a line end.
// ASCII passes each byte through; Roman reads jisx0201_to_ucs2 by the byte,
// but for the C0 controls, which are themselves there too (a line may end
// in that set).
// The two-byte sets take any next byte, ESC included, and read the 8-bit
// table with 0x80 added to both bytes: jisx0208_to_ucs2 and jisx0212_to_ucs2
// at 94(b+80-A1) + (c+80-A1), gbk_to_ucs2 and ksc5601_to_ucs2 at
// 191(b+80-81) + (c+80-40). A pair whose index falls before its table, or
// past the last row of gbk_to_ucs2, passes both bytes through, so line ends
// and escapes stay visible. A lone last byte of a two-byte set passes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/decode/japanese.h"
#include "src/decode/two_byte.h"
#include "src/tables/gbk_gb18030.h"
#include "src/tables/korean.h"

namespace zel {

enum class iso2022jp_set : std::uint8_t { ascii, roman, jisx0208, gb2312, ksx1001, jisx0212 };

struct iso2022jp_escape {
  char after_esc[4];  // the bytes after ESC
  std::size_t length;
  iso2022jp_set set;
};

// Tried in this order; the first whose bytes are all present and equal wins.
inline constexpr iso2022jp_escape iso2022jp_escapes[] = {
    {"(B", 2, iso2022jp_set::ascii},     {"(J", 2, iso2022jp_set::roman},
    {"$@", 2, iso2022jp_set::jisx0208},  {"$B", 2, iso2022jp_set::jisx0208},
    {"$A", 2, iso2022jp_set::gb2312},    {"$(C", 3, iso2022jp_set::ksx1001},
    {"$(D", 3, iso2022jp_set::jisx0212},
};

inline std::string_view escape_bytes(const iso2022jp_escape& e) noexcept {
  return {e.after_esc, e.length};
}

template <class Out>
inline void iso2022jp_pair(iso2022jp_set set, const std::uint8_t* pair, Out& out) {
  // Every 94-column index and every Unified Hangul index that 7-bit text can
  // give lies within the 65,536 cells these tables nominally have;
  // gbk_to_ucs2 ends with its lead 0xFE.
  constexpr std::size_t nominal = 65536;
  const int b8 = pair[0] + 0x80, c8 = pair[1] + 0x80;
  switch (set) {
    case iso2022jp_set::jisx0208:
      cell_or_pair(jisx0208_to_ucs2, square_index<jis_columns>(b8, c8), nominal, japanese_past_end,
                   pair, out);
      break;
    case iso2022jp_set::jisx0212:
      cell_or_pair(jisx0212_to_ucs2, square_index<jis_columns>(b8, c8), nominal, japanese_past_end,
                   pair, out);
      break;
    case iso2022jp_set::gb2312:
      cell_or_pair(gbk_to_ucs2, lead_trail_index<gbk_columns>(b8, c8), gbk_to_ucs2_size,
                   std::uint16_t{0xFFFD}, pair, out);
      break;
    case iso2022jp_set::ksx1001:
      cell_or_pair(ksc5601_to_ucs2, lead_trail_index<ksc5601_columns>(b8, c8), nominal,
                   ksc5601_past_end, pair, out);
      break;
    case iso2022jp_set::ascii:
    case iso2022jp_set::roman:
      break;  // single-byte sets never form pairs
  }
}

template <class Out>
std::size_t iso2022jp_decoder(const std::uint8_t* in, std::size_t n, Out& out, decoder_state& st,
                              bool last = true) {
  constexpr std::uint8_t esc = 0x1B;
  // The set carries over from the piece before (`st`).
  auto set = static_cast<iso2022jp_set>(st.set);
  // Where the next ESC at or after i lies (n if none), looked up again only
  // once i has passed it, so the ASCII runs cost one scan of the text in all.
  auto find_esc = [&](std::size_t from) {
    const void* found = std::memchr(in + from, esc, n - from);
    return found ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - in) : n;
  };
  std::size_t next_esc = n ? find_esc(0) : 0;
  std::size_t i = 0;
  while (i < n) {
    if (set == iso2022jp_set::ascii) {
      if (next_esc < i) next_esc = find_esc(i);
      const std::size_t run = ascii_run(in + i, next_esc - i);
      if (run) {
        out.ascii(in + i, run);
        i += run;
        continue;
      }
    }
    const std::uint8_t b = in[i];
    if (b == esc) {
      if (!last && escape_cut_short(iso2022jp_escapes, in + i + 1, n - i - 1)) break;
      ++i;
      bool selected = false;
      for (const iso2022jp_escape& e : iso2022jp_escapes) {
        if (n - i >= e.length && std::memcmp(in + i, e.after_esc, e.length) == 0) {
          set = e.set;
          i += e.length;
          selected = true;
          break;
        }
      }
      if (!selected) drop(out, in + i - 1);  // an escape that selects nothing loses its ESC
      continue;
    }
    switch (set) {
      case iso2022jp_set::ascii:
        pass_byte(out, in + i);  // from 0x80: no byte of this 7-bit form
        ++i;
        break;
      case iso2022jp_set::roman:
        if (b < 0x20)
          emit(out, b, in + i);
        else
          emit_cell(out, cell(jisx0201_to_ucs2, b, japanese_past_end), in + i);
        ++i;
        break;
      default:
        if (cut_short(i, 2, n, last)) {
          st.set = static_cast<std::uint8_t>(set);
          return i;
        }
        if (i + 1 < n) {
          iso2022jp_pair(set, in + i, out);
          i += 2;
        } else {
          pass_byte(out, in + i);  // a lone last byte
          ++i;
        }
        break;
    }
  }
  st.set = static_cast<std::uint8_t>(set);
  return i;
}

}  // namespace zel
