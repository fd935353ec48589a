// What kind of character a decoded unit is, as the detector weighs it: the
// alphabet of a letter, the small form of a capital, and whether it is a
// symbol. Plain range tests over UCS-2, covering the scripts the models are
// trained on; anything else counts as a letter of no alphabet.
#pragma once

#include <cstdint>

namespace zel::detect {

// The alphabet a letter belongs to, for the alphabets that do not mix
// within a word: 0 for everything else (digits, punctuation, the scripts
// of East Asia, which sit next to Latin letters in ordinary text).
enum : std::uint8_t { no_alphabet, latin, greek, cyrillic, armenian, hebrew, arabic, thai, lao };

constexpr std::uint8_t alphabet(std::uint16_t u) noexcept {
  if (u < 0x80) return (u | 0x20) >= 'a' && (u | 0x20) <= 'z' ? latin : no_alphabet;
  if (u >= 0xC0 && u <= 0x24F) return u == 0xD7 || u == 0xF7 ? no_alphabet : latin;
  if (u >= 0x1E00 && u <= 0x1EFF) return latin;
  if (u >= 0x370 && u <= 0x3FF) return greek;
  if (u >= 0x400 && u <= 0x52F) return cyrillic;
  if (u >= 0x531 && u <= 0x58F) return armenian;
  if (u >= 0x5D0 && u <= 0x5EA) return hebrew;
  if (u >= 0x620 && u <= 0x64A) return arabic;
  if (u >= 0xE01 && u <= 0xE2E) return thai;
  if (u >= 0xE81 && u <= 0xEAE) return lao;
  return no_alphabet;
}

// The small letter of a capital of the Latin, Greek, Cyrillic and Armenian
// alphabets; any other unit as itself. Latin Extended-A and the Cyrillic
// additions pair capital and small letter as neighbours, the capital first
// (on an odd code in the runs from U+0139 and U+0179).
constexpr std::uint16_t small_letter(std::uint16_t u) noexcept {
  const auto up = [](unsigned v) { return static_cast<std::uint16_t>(v); };
  if (u < 0x80) return u >= 'A' && u <= 'Z' ? up(u + 0x20U) : u;
  if (u < 0xC0) return u;
  if (u <= 0xDE) return u == 0xD7 ? u : up(u + 0x20U);
  if (u < 0x100) return u;
  if (u == 0x130) return 'i';
  if (u == 0x178) return 0xFF;
  if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return u & 1 ? up(u + 1U) : u;
  if (u <= 0x177 && u != 0x138 && u != 0x149) return u & 1 ? u : up(u + 1U);
  if (u == 0x1A0 || u == 0x1AF || (u >= 0x218 && u <= 0x21B && !(u & 1))) return up(u + 1U);
  if (u == 0x386) return 0x3AC;
  if (u >= 0x388 && u <= 0x38A) return up(u + 0x25U);
  if (u == 0x38C) return 0x3CC;
  if (u == 0x38E || u == 0x38F) return up(u + 0x3FU);
  if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return up(u + 0x20U);
  if (u >= 0x400 && u <= 0x40F) return up(u + 0x50U);
  if (u >= 0x410 && u <= 0x42F) return up(u + 0x20U);
  if (u >= 0x460 && u <= 0x4BF && !(u & 1) && (u < 0x482 || u >= 0x48A)) return up(u + 1U);
  if (u >= 0x531 && u <= 0x556) return up(u + 0x30U);
  if (u >= 0x1EA0 && u <= 0x1EF9 && !(u & 1)) return up(u + 1U);
  return u;
}

// Punctuation and symbols from U+02B0 on (spacing accents, general
// punctuation, arrows, mathematical and technical signs, box drawing,
// shapes, the punctuation of CJK text and its full-width forms, enclosed
// and squared signs): what decorates a text and how it punctuates says
// little about its language, and the rows of them differ between the
// East Asian sets by habit more than by language. The Latin-1 signs are
// left to the models: they are the single-byte sets' ordinary punctuation.
constexpr bool symbol(std::uint16_t u) noexcept {
  if (u < 0x2B0) return false;
  if (u <= 0x2FF) return true;
  if (u >= 0x2000 && u <= 0x2BFF) return true;
  if (u >= 0x3000 && u <= 0x303F) return u < 0x3005 || u > 0x3007;
  if (u >= 0x3200 && u <= 0x33FF) return true;
  if (u >= 0xFE30 && u <= 0xFE4F) return true;
  if (u >= 0xFF01 && u <= 0xFF65) {
    const unsigned k = u - 0xFF00U;  // the ASCII character it is the full-width form of, less 0x20
    const bool letter_or_digit =
        (k >= 0x10 && k <= 0x19) || (k >= 0x21 && k <= 0x3A) || (k >= 0x41 && k <= 0x5A);
    return !letter_or_digit;
  }
  return u >= 0xFFE0 && u <= 0xFFEE;
}

}  // namespace zel::detect
