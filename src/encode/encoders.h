// The encoders of the general conversion: one per target charset, each
// writing one code point at a time through a cursor, and saying when the
// charset has no code for it (then it writes nothing, and the output applies
// the caller's choice for what a target lacks).
//
// Each table charset encodes through the reverse of the very table its
// decoder reads (src/tables/reverse.h gives the forward cell of a code
// point), and writes the bytes that cell's index stands for in the
// decoder's layout, so every character a decoder gives for exactly one code
// encodes back to it. The stateful ISO-2022 forms keep their shift state in
// an encoder_state, which a stream keeps from piece to piece: they write an
// escape only when the set changes, return to ASCII before every line end
// and at the end of the text, and ISO-2022-KR writes its header once, before
// its first shift.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/string/byte_sink.h"
#include "src/tables/gbk_gb18030.h"
#include "src/tables/korean.h"
#include "src/tables/reverse.h"
#include "zel_code.h"

namespace zel {

struct encoder_state {
  std::uint8_t set = 0;    // ISO-2022-JP: the set in use; ISO-2022-CN: the G1/G2 designation
  std::uint8_t shift = 0;  // ISO-2022-KR and -CN: the shift state
  bool header = false;     // ISO-2022-KR: its header has been written
};

// What writes U+0000..U+007F as the bytes themselves (all of them).
inline bool ascii_code(char32_t cp) noexcept { return cp < 0x80; }

template <class Cursor>
inline void put_bytes(Cursor& at, std::uint32_t code, int bytes) {
  at.need(static_cast<std::size_t>(bytes));
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
    at.put(static_cast<std::uint8_t>(code >> shift));
}

// The forward index of cp in `t` as the two bytes of a table of `columns`
// cells a row whose first row is `first` and first column `column0`.
inline std::uint32_t row_column_code(std::size_t index, std::size_t columns, std::uint32_t first,
                                     std::uint32_t column0) noexcept {
  return (first + static_cast<std::uint32_t>(index / columns)) << 8 |
         (column0 + static_cast<std::uint32_t>(index % columns));
}

// A table charset of single bytes.
struct single_byte_encoder {
  static constexpr std::size_t max_bytes = 1;
  reverse_table reverse;  // a copy, kept in registers by a loop over text
  bool ascii_kept;
  bool copies_ascii() const noexcept { return ascii_kept; }
  // The byte of BMP unit u plus 0x100, or 0 where put() must decide: runs
  // of text go through this without a branch. Where ASCII is kept, its
  // table gives each ASCII byte for itself (reverse_tables_test).
  std::uint32_t quick(std::uint16_t u) const noexcept {
    const std::uint32_t cell = reverse_cell(reverse, u);
    return cell ? cell - 1 + 0x100 : 0;
  }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (ascii_kept && cp < 0x80) {
      put_bytes(at, cp, 1);
      return true;
    }
    const std::size_t i = forward_index(reverse, cp);
    if (i == no_code) return false;
    put_bytes(at, static_cast<std::uint32_t>(i), 1);
    return true;
  }
};

// ASCII beside one table of two-byte codes in row/column layout: Big5 and
// code page 949 (lead/trail, 191 columns), EUC-CN, EUC-KR and the 8-bit
// JIS X 0208 and 0212 (94 x 94 from A1 A1).
struct two_byte_encoder {
  static constexpr std::size_t max_bytes = 2;
  reverse_table reverse;  // a copy, kept in registers by a loop over text
  std::size_t columns;
  std::uint32_t first_row, first_column;
  bool copies_ascii() const noexcept { return true; }
  // Two column counts, each a constant: a multiply, not a division.
  std::uint32_t code(std::size_t i) const noexcept {
    return columns == 94 ? row_column_code(i, 94, first_row, first_column)
                         : row_column_code(i, 191, first_row, first_column);
  }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (ascii_code(cp)) {
      put_bytes(at, cp, 1);
      return true;
    }
    const std::size_t i = forward_index(reverse, cp);
    if (i == no_code) return false;
    put_bytes(at, code(i), 2);
    return true;
  }
};

// Where JIS X 0201 has its letters beyond ASCII: the yen sign, the
// overline and the half-width katakana. Other characters skip its table.
inline bool jisx0201_letter(char32_t cp) noexcept {
  return cp == 0xA5 || cp == 0x203E || (cp >= 0xFF61 && cp <= 0xFF9F);
}

// Shift_JIS: bytes below 0x80 but the yen sign (0x5C), the overline (0x7E)
// and 0x7F are ASCII; JIS X 0201's yen sign, overline and half-width kana
// are single bytes; the rest is the lead/trail table.
struct shift_jis_encoder {
  static constexpr std::size_t max_bytes = 2;
  bool copies_ascii() const noexcept { return false; }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (cp < 0x80 && cp != 0x5C && cp != 0x7E && cp != 0x7F) {
      put_bytes(at, cp, 1);
      return true;
    }
    if (jisx0201_letter(cp)) {
      if (const std::size_t b = forward_index(jisx0201_reverse, cp);
          b != no_code && (b == 0x5C || b == 0x7E || (b >= 0xA1 && b <= 0xDF))) {
        put_bytes(at, static_cast<std::uint32_t>(b), 1);
        return true;
      }
    }
    const std::size_t i = forward_index(sjis_reverse, cp);
    if (i == no_code) return false;
    put_bytes(at, row_column_code(i, 191, 0x81, 0x40), 2);
    return true;
  }
};

// Code page 932: ASCII, its single bytes (the half-width katakana and the
// few others), then its lead/trail table.
struct cp932_encoder {
  static constexpr std::size_t max_bytes = 2;
  bool copies_ascii() const noexcept { return true; }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (ascii_code(cp)) {
      put_bytes(at, cp, 1);
      return true;
    }
    if (const std::size_t b = forward_index(cp932_single_reverse, cp); b != no_code) {
      put_bytes(at, static_cast<std::uint32_t>(b), 1);
      return true;
    }
    const std::size_t i = forward_index(cp932_reverse, cp);
    if (i == no_code) return false;
    put_bytes(at, row_column_code(i, 191, 0x81, 0x40), 2);
    return true;
  }
};

// EUC-JP: ASCII, JIS X 0208 in A1..FE pairs, half-width kana after 8E,
// JIS X 0212 after 8F.
struct euc_jp_encoder {
  static constexpr std::size_t max_bytes = 3;
  bool copies_ascii() const noexcept { return true; }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (ascii_code(cp)) {
      put_bytes(at, cp, 1);
      return true;
    }
    if (const std::size_t i = forward_index(jisx0208_reverse, cp); i != no_code) {
      put_bytes(at, row_column_code(i, 94, 0xA1, 0xA1), 2);
      return true;
    }
    if (const std::size_t b = jisx0201_letter(cp) ? forward_index(jisx0201_reverse, cp) : no_code;
        b != no_code && b >= 0xA1 && b <= 0xDF) {
      put_bytes(at, 0x8E00 | static_cast<std::uint32_t>(b), 2);
      return true;
    }
    if (const std::size_t i = forward_index(jisx0212_reverse, cp); i != no_code) {
      put_bytes(at, 0x8F0000 | row_column_code(i, 94, 0xA1, 0xA1), 3);
      return true;
    }
    return false;
  }
};

// EUC-TW: ASCII, CNS 11643 plane 1 in A1..FE pairs, planes 2 and 3 after
// 8E A2 and 8E A3.
struct euc_tw_encoder {
  static constexpr std::size_t max_bytes = 4;
  bool copies_ascii() const noexcept { return true; }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (ascii_code(cp)) {
      put_bytes(at, cp, 1);
      return true;
    }
    if (const std::size_t i = forward_index(cns_plane1_reverse, cp); i != no_code) {
      put_bytes(at, row_column_code(i, 94, 0xA1, 0xA1), 2);
      return true;
    }
    const reverse_table* planes[] = {&cns_plane2_reverse, &cns_plane3_reverse};
    for (std::uint32_t k = 0; k < 2; ++k) {
      if (const std::size_t i = forward_index(*planes[k], cp); i != no_code) {
        put_bytes(at, (0x8EA2u + k) << 16 | row_column_code(i, 94, 0xA1, 0xA1), 4);
        return true;
      }
    }
    return false;
  }
};

// KS X 1001 in its 7-bit form: pairs of 0x21..0x7E; only the controls and
// space stand alone (any other lone byte would start a pair).
struct ksx1001_encoder {
  static constexpr std::size_t max_bytes = 2;
  bool copies_ascii() const noexcept { return false; }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (cp < 0x21) {
      put_bytes(at, cp, 1);
      return true;
    }
    const std::size_t i = forward_index(ksx1001_reverse, cp);
    if (i == no_code) return false;
    put_bytes(at, row_column_code(i, 94, 0x21, 0x21), 2);
    return true;
  }
};

inline constexpr std::uint8_t esc = 0x1B, shift_out = 0x0E, shift_in = 0x0F;

inline bool line_end(char32_t cp) noexcept { return cp == '\n' || cp == '\r'; }

// The 7-bit pair of a 94 x 94 forward index.
inline std::uint32_t seven_bit_pair(std::size_t index) noexcept {
  return row_column_code(index, 94, 0x21, 0x21);
}

// The ISO-2022 forms read their GB 2312 and KS X 1001 pairs from the GBK
// and code page 949 tables with 0x80 added to both bytes. A character is
// written there only where GB 2312 (KS X 1001) itself has it and the wider
// table reads that code as the same character, so that other readers of
// the set read it too: GBK's additions, and the few codes the two tables
// read differently, are left to the other sets. Returns the 7-bit pair, or
// 0 for none.
template <std::size_t N>
inline std::uint32_t seven_bit_in(const reverse_table& set, const std::uint16_t (&wide)[N],
                                  std::size_t wide_columns, std::uint16_t past_end, char32_t cp) {
  const std::size_t i = forward_index(set, cp);
  if (i == no_code) return 0;
  const std::size_t row = i / 94, column = i % 94;  // from A1 A1
  const std::size_t at = (0xA1 - 0x81 + row) * wide_columns + (0xA1 - 0x40 + column);
  return cell(wide, at, past_end) == cp ? seven_bit_pair(i) : 0;
}
inline std::uint32_t gb2312_seven_bit(char32_t cp) noexcept {
  return seven_bit_in(gb2312_reverse, gbk_to_ucs2, gbk_columns, 0xFFFD, cp);
}
inline std::uint32_t ksx1001_seven_bit(char32_t cp) noexcept {
  return seven_bit_in(ksx1001_reverse, ksc5601_to_ucs2, ksc5601_columns, ksc5601_past_end, cp);
}

// ISO-2022-JP with the sets its decoder reads: ASCII, JIS X 0201 Roman for
// the yen sign and overline, JIS X 0208, then JIS X 0212, GB 2312 and
// KS X 1001 for what JIS X 0208 lacks.
struct iso2022jp_encoder {
  static constexpr std::size_t max_bytes = 6;
  enum : std::uint8_t { ascii, roman, jisx0208, jisx0212, gb2312, ksx1001 };
  encoder_state& st;
  bool copies_ascii() const noexcept { return false; }
  template <class Cursor>
  void select(std::uint8_t set, Cursor& at) {
    if (st.set == set) return;
    static constexpr const char* escapes[] = {"(B", "(J", "$B", "$(D", "$A", "$(C"};
    const char* e = escapes[set];
    std::size_t k = 0;
    while (e[k]) ++k;
    at.need(1 + k);
    at.put(esc);
    for (std::size_t j = 0; j < k; ++j) at.put(static_cast<std::uint8_t>(e[j]));
    st.set = set;
  }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (cp == esc) return false;  // it would start an escape
    if (cp < 0x80) {
      // Roman's letters are ASCII's but for 0x5C and 0x7E: no escape for
      // them, but a line ends in ASCII.
      const bool roman_alike = st.set == roman && cp >= 0x20 && cp != 0x5C && cp != 0x7E;
      if (!roman_alike || line_end(cp)) select(ascii, at);
      put_bytes(at, cp, 1);
      return true;
    }
    if (cp == 0xA5 || cp == 0x203E) {
      select(roman, at);
      put_bytes(at, cp == 0xA5 ? 0x5C : 0x7E, 1);
      return true;
    }
    std::uint32_t pair = 0;
    std::uint8_t set = jisx0208;
    if (const std::size_t i = forward_index(jisx0208_reverse, cp); i != no_code) {
      pair = seven_bit_pair(i);
    } else if (const std::size_t j = forward_index(jisx0212_reverse, cp); j != no_code) {
      pair = seven_bit_pair(j);
      set = jisx0212;
    } else if ((pair = gb2312_seven_bit(cp))) {
      set = gb2312;
    } else if ((pair = ksx1001_seven_bit(cp))) {
      set = ksx1001;
    } else {
      return false;
    }
    select(set, at);
    put_bytes(at, pair, 2);
    return true;
  }
  template <class Cursor>
  void finish(Cursor& at) {
    select(ascii, at);
  }
};

// ISO-2022-KR: KS X 1001 pairs between SO and SI, after the header
// ESC $ ) C, written once before the first SO.
struct iso2022kr_encoder {
  static constexpr std::size_t max_bytes = 7;
  encoder_state& st;
  bool copies_ascii() const noexcept { return false; }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (cp < 0x80) {
      if (cp == esc || cp == shift_out || cp == shift_in) return false;  // the form's own bytes
      if (st.shift) put_bytes(at, shift_in, 1);
      st.shift = 0;
      put_bytes(at, cp, 1);
      return true;
    }
    const std::uint32_t pair = ksx1001_seven_bit(cp);
    if (!pair) return false;
    if (!st.header) put_bytes(at, 0x1B242943, 4);  // ESC $ ) C
    st.header = true;
    if (!st.shift) put_bytes(at, shift_out, 1);
    st.shift = 1;
    put_bytes(at, pair, 2);
    return true;
  }
  template <class Cursor>
  void finish(Cursor& at) {
    if (st.shift) put_bytes(at, shift_in, 1);
    st.shift = 0;
  }
};

// ISO-2022-CN: GB 2312 (ESC $ ) A) or CNS 11643 plane 1 (ESC $ ) G) shifted
// in by SO, plane 2 (ESC $ * H) by SS2 (ESC N), which its decoder keeps
// until the next SO or SI. One designation stands at a time, and each line
// designates afresh.
struct iso2022cn_encoder {
  static constexpr std::size_t max_bytes = 8;
  enum : std::uint8_t { none, gb2312, cns1, cns2 };
  encoder_state& st;
  bool copies_ascii() const noexcept { return false; }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (cp < 0x80) {
      if (cp == esc || cp == shift_out || cp == shift_in) return false;
      if (st.shift) put_bytes(at, shift_in, 1);
      st.shift = 0;
      // Designations last to the end of a line for other readers: the next
      // line designates again.
      if (line_end(cp)) st.set = none;
      put_bytes(at, cp, 1);
      return true;
    }
    const reverse_table* planes[] = {&cns_plane1_reverse, &cns_plane2_reverse};
    for (std::uint8_t set = gb2312; set <= cns2; ++set) {
      std::uint32_t pair = 0;
      if (set == gb2312) {
        pair = gb2312_seven_bit(cp);
      } else if (const std::size_t i = forward_index(*planes[set - cns1], cp); i != no_code) {
        pair = seven_bit_pair(i);
      }
      if (!pair) continue;
      if (st.set != set) {
        static constexpr std::uint32_t designations[] = {0, 0x1B242941, 0x1B242947, 0x1B242A48};
        put_bytes(at, designations[set], 4);
        st.set = set;
      }
      if (st.shift != set) put_bytes(at, set == cns2 ? 0x1B4E : shift_out, set == cns2 ? 2 : 1);
      st.shift = set;
      put_bytes(at, pair, 2);
      return true;
    }
    return false;
  }
  template <class Cursor>
  void finish(Cursor& at) {
    if (st.shift) put_bytes(at, shift_in, 1);
    st.shift = 0;
  }
};

// An id without an encoder: no code for anything.
struct no_encoder {
  static constexpr std::size_t max_bytes = 1;
  bool copies_ascii() const noexcept { return false; }
  template <class Cursor>
  bool put(char32_t, Cursor&) {
    return false;
  }
};

// UTF-16 and UTF-32 in either byte order; `mark` writes a byte-order mark
// (big-endian, as the decoders read a text without one) before the first
// character.
template <int UnitBytes, bool Big>
struct unicode_encoder {
  static constexpr std::size_t max_bytes = 8;  // a mark and a character
  encoder_state& st;
  bool mark;
  bool copies_ascii() const noexcept { return false; }
  template <class Cursor>
  void unit(std::uint32_t u, Cursor& at) {
    at.need(UnitBytes);
    for (int k = 0; k < UnitBytes; ++k) {
      const int shift = 8 * (Big ? UnitBytes - 1 - k : k);
      at.put(static_cast<std::uint8_t>(u >> shift));
    }
  }
  template <class Cursor>
  bool put(char32_t cp, Cursor& at) {
    if (mark && !st.header) unit(0xFEFF, at);
    st.header = true;
    if (UnitBytes == 2 && cp > 0xFFFF) {
      unit(0xD800 + ((cp - 0x10000) >> 10), at);
      unit(0xDC00 + (cp & 0x3FF), at);
    } else {
      unit(cp, at);
    }
    return true;
  }
  template <class Cursor>
  void finish(Cursor&) {}
};

}  // namespace zel
