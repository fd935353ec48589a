// Character and character-pair statistics of the languages the charsets are
// written in, generated from text Debian packages ship
// (tools/detectgen/, data in src/detect/stats.cpp). A weight is a rounded
// base-2 logarithm of how often a character (or a pair, the second right
// after the first) occurs in the model's training text, shifted so that
// 1..15 cover the useful range; 0 means never seen. The detector adds them
// up per candidate charset, so only the differences between models and
// charsets matter, not the absolute scale.
#pragma once

#include <cstddef>

namespace zel::detect {

enum class model : unsigned char {
  zh_hans,
  zh_hant,
  ja,
  ko,
  cyrillic,
  greek,
  hebrew,
  arabic,
  thai,
  vietnamese,
  lao,
  armenian,
  western,  // English, German, French, Spanish, Italian, Portuguese, Dutch, Nordic
  central,  // Czech, Slovak, Polish, Hungarian, Slovene, Croatian, Romanian
  baltic,   // Lithuanian, Latvian, Estonian
  turkish,
  southern,  // Maltese, Esperanto
  celtic,    // Irish, Welsh, Scottish Gaelic
};
inline constexpr std::size_t model_count = 18;

// log2 of a character's share of the model's characters is about
// weight - char_weight_offset; of a pair's share of its pairs, weight -
// pair_weight_offset.
inline constexpr int char_weight_offset = 21;
inline constexpr int pair_weight_offset = 20;

// Weight 0..15 of UCS-2 unit u in model m's text.
unsigned char char_weight(model m, char16_t u) noexcept;

// Weight 0..15 of unit b right after unit a in model m's text. Only pairs
// with at least one unit above 0x7F are kept: pairs of ASCII read the same in
// every ASCII-compatible charset and tell nothing.
unsigned char pair_weight(model m, char16_t a, char16_t b) noexcept;

}  // namespace zel::detect
