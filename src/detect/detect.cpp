// Charset detection. Structure decides first: a byte-order mark, ISO-2022
// escapes, UTF-16's zero bytes, binary data (zero and control bytes), 7-bit
// text, well-formed UTF-8. What is left
// is weighed: each candidate charset decodes the text with its own decoder
// into a scorer that adds up how often each character and character pair
// occurs in the languages the charset is written in (src/detect/stats.h),
// less a penalty for every byte its decoder cannot read. The best total is
// the guess: in bits, it is the log-likelihood of the bytes under that
// charset and language, so charsets that read a byte pair as one character
// and those that read it as two compare fairly.
//
// Only the stretches around bytes from 0x80 (and the C0 letters of TCVN)
// are decoded: elsewhere every ASCII-compatible candidate reads the same
// characters, which add the same to every total. The stretches are taken a
// batch at a time, and a candidate far behind the leader after a batch is
// dropped, so a long text costs about one decoding of its non-ASCII part;
// far behind means decisively, once enough of the text is read (a title
// in capitals or rows of symbols are no sample of a language). A reading
// that is junk in every language is no guess: the text is in none of the
// candidates. Memory is fixed: no allocation.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/core/charsets.h"
#include "src/core/decoder_dispatch.h"
#include "src/decode/degrade.h"
#include "src/detect/letters.h"
#include "src/detect/stats.h"
#include "src/encode/ascii_block.h"
#include "src/tables/cell.h"
#include "src/tables/single_byte.h"
#include "zel_code.h"

namespace zel::detect {
namespace {

// A byte a decoder cannot read costs as much as a character never seen; a
// cell without a character a little less (it may be a rare addition).
constexpr int unseen_char = -(char_weight_offset + 3);
constexpr int bad_byte = -(char_weight_offset + 6);
constexpr int empty_cell = -(char_weight_offset + 2);

// 2 to the power x, without the maths library (a C program linking the
// static library need not add it): good to a few parts in a million.
double exp2_of(double x) noexcept {
  if (x < -1000) return 0;
  if (x > 1000) x = 1000;
  auto k = static_cast<int>(x);
  if (static_cast<double>(k) > x) --k;
  const double f = x - static_cast<double>(k);
  double r =
      1 + f * (0.6931472 + f * (0.2402265 + f * (0.0555041 + f * (0.0096181 + f * 0.0013334))));
  for (; k < 0; ++k) r *= 0.5;
  for (; k > 0; --k) r *= 2;
  return r;
}

// A candidate this many bits behind the leader after a batch is out: the
// chance that it reads the text better is below 2^-margin. But only once
// the text read holds decisive_bytes bytes the candidates read apart: until
// then a title in capitals, a row of symbols or a name may favour a wrong
// reading, and only a candidate sure_margin behind (bytes its decoder
// cannot read, mostly) goes.
constexpr std::int64_t drop_margin = 60;
constexpr std::int64_t sure_margin = 2 * drop_margin;
constexpr std::size_t decisive_bytes = 64;

// The most bits ASCII letters take off a language of another alphabet.
constexpr std::int64_t letter_cap = 30;

// Single-byte candidates weighed by their characters alone (no pairs) go
// on within this many bits of the best of them.
constexpr std::int64_t sift_margin = 60;

// Batches of stretches: at most this many stretches, and about this many
// bytes, the first batch fewer: most candidates fall behind within a few
// dozen characters, so the many are weighed on little text.
constexpr std::size_t first_batch_bytes = 32;
constexpr std::size_t batch_bytes = 1024;
constexpr std::size_t batch_stretches = 128;
constexpr std::size_t min_stretch = 16;

// Stretches this close together are decoded as one: a GB18030 four-byte
// code puts ASCII digits between its high bytes.
constexpr std::size_t join_gap = 3;

// Charsets that are not ASCII-compatible are decoded whole, so only so far;
// UTF-16 that its zero bytes do not show is tried on less, in every
// language.
constexpr std::size_t whole_bytes = 4096;
constexpr std::size_t wide_sample = 512;
constexpr std::size_t wide_glance = 64;

// Text with more than one control byte in this many is binary data, and
// so is text with a zero byte in this many (and no UTF-16 shape).
constexpr std::size_t binary_share = 32;
constexpr std::size_t binary_zero_share = 1024;

// A stretch to decode. A long run of high bytes is cut into several, so
// that a batch stays small: `cut` says the run goes on in the next one,
// `continued` that this one goes on from the one before.
struct stretch {
  std::size_t begin, end;
  bool cut, continued;
};

// Bytes of TCVN's letters below 0x20; elsewhere they are rare controls.
constexpr bool c0_letter(std::uint8_t b) noexcept {
  return b < 0x20 && b != 0 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x0B &&
         b != 0x1B;
}

constexpr bool marked(std::uint8_t b) noexcept { return b >= 0x80 || c0_letter(b); }

// Two letters of different alphabets side by side: in any language's text
// about as rare as a character never seen.
constexpr int mixed_alphabets = -(char_weight_offset / 2);

// A capital after a capital weighs as its small letter, a little less
// likely: the models learn from running text, where capitals are rare and
// mostly start a word, but a title or a heading is written in capitals of
// the same language. A capital right after a small letter of a word is
// rare in every language: it is what a charset that swaps the two cases of
// an alphabet reads.
constexpr int capital_bits = 2;
constexpr int case_break = -8;

// A symbol (letters.h) weighs the same in every model: as often as it is
// in the text of the model that has it most.
inline int symbol_bits(std::uint16_t u) noexcept {
  int best = 0;
  for (std::size_t k = 0; k < model_count; ++k) {
    const int w = char_weight(static_cast<model>(k), u);
    best = w > best ? w : best;
  }
  return best ? best - char_weight_offset : unseen_char;
}

// How a unit weighs in a model: its bits, and the small letter and bits it
// pairs as (no pairs for a symbol or an unseen unit).
struct weighed {
  int bits;
  int pair_log;  // log2 share of `folded`, 0 when it takes no pairs
  std::uint16_t folded;
  bool capital;
};

inline weighed weigh(model m, std::uint16_t u, bool after_capital) noexcept {
  if (symbol(u)) return {symbol_bits(u), 0, u, false};
  const std::uint16_t small = small_letter(u);
  const int w = char_weight(m, u);
  int bits = w ? w - char_weight_offset : unseen_char;
  if (small == u) return {bits, w ? bits : 0, u, false};
  const int ws = char_weight(m, small);
  const int small_log = ws ? ws - char_weight_offset : 0;
  if (ws && after_capital && small_log - capital_bits > bits) bits = small_log - capital_bits;
  return {bits, small_log, small, true};
}

// How a unit weighs in model m or, where m never saw it, in the model that
// knows it best, without pairs: what tells text that quotes another
// language from junk.
inline weighed weigh_anywhere(model m, std::uint16_t u, bool after_capital) noexcept {
  weighed best = weigh(m, u, after_capital);
  if (best.bits > unseen_char) return best;
  for (std::size_t k = 0; k < model_count; ++k) {
    const weighed w = weigh(static_cast<model>(k), u, after_capital);
    if (w.bits > best.bits) best = w;
  }
  best.pair_log = 0;
  return best;
}

constexpr bool cased(std::uint8_t a) noexcept {
  return a == latin || a == greek || a == cyrillic || a == armenian;
}

// The scorer a candidate's decoder writes into: a report-keeping output, so
// that the decoder tells it each byte it could not read.
struct scorer {
  static constexpr bool reports = true;
  model m;
  std::int64_t score = 0;
  std::int64_t high_units = 0;
  std::int64_t bad = 0;
  std::uint16_t prev = ' ';  // small letter of the unit before
  int prev_log = 0;          // log2 share of prev, 0 when it takes no pairs
  std::uint8_t prev_alphabet = no_alphabet;
  bool prev_small = false;    // a small letter of a cased alphabet
  bool prev_capital = false;  // a capital
  std::int64_t units = 0;
  std::int64_t symbols = 0;       // units that are symbols
  std::int64_t symbol_score = 0;  // and what they weigh
  bool anywhere = false;          // weigh by weigh_anywhere, not the model
  // Bytes from here on may be a character the end of what is examined cuts
  // short: what the decoder cannot read there costs nothing.
  const std::uint8_t* forgive_from = nullptr;
  std::size_t forgiven = 0;  // units still to pass over

  explicit scorer(model which) noexcept : m(which) {}

  void mark(const std::uint8_t*) noexcept {}
  void note(degradation kind, const std::uint8_t* at, std::size_t n) noexcept {
    if (forgive_from && at >= forgive_from) {
      forgiven += kind == degradation::dropped ? 0 : n;
      return;
    }
    const int cost = kind == degradation::replaced ? empty_cell : bad_byte;
    score += cost * static_cast<std::int64_t>(n);
    bad += static_cast<std::int64_t>(n);
  }
  void unit(std::uint16_t u) noexcept {
    if (forgiven) {
      --forgiven;
      return;
    }
    ++units;
    const weighed w = anywhere ? weigh_anywhere(m, u, prev_capital) : weigh(m, u, prev_capital);
    score += w.bits;
    if (symbol(u)) {
      ++symbols;
      symbol_score += w.bits;
    }
    if (u >= 0x80) ++high_units;
    if ((u >= 0x80 || prev >= 0x80) && w.pair_log && prev_log) {
      // How much likelier the pair is than its two characters side by side.
      const int pw = pair_weight(m, prev, w.folded);
      int gain = pw ? pw - pair_weight_offset - prev_log - w.pair_log : -1;
      gain = gain < -3 ? -3 : gain > 12 ? 12 : gain;
      score += gain;
    }
    const std::uint8_t a = alphabet(u);
    if (a != prev_alphabet && a != no_alphabet && prev_alphabet != no_alphabet)
      score += mixed_alphabets;
    else if (w.capital && prev_small && a == prev_alphabet && (u >= 0x80 || prev >= 0x80))
      score += case_break;
    prev = w.folded;
    prev_log = w.pair_log;
    prev_alphabet = a;
    prev_small = !w.capital && cased(a);
    prev_capital = w.capital;
  }
  void ascii(const std::uint8_t* p, std::size_t n) noexcept {
    for (std::size_t k = 0; k < n; ++k) unit(p[k]);
  }
};

struct contender {
  int id = 0;
  scorer s{model::western};
  bool alive = true;
  // Once dropped: how many bits behind the leader it was, or -1 where it
  // was dropped as the twin of a charset that reads all it reads alike.
  std::int64_t behind = 0;
  std::size_t carry = 0;   // bytes its decoder left at the end of a cut stretch
  std::uint16_t rank = 0;  // lower wins a tie
};

// Charsets that read every text the second reads, and read it alike: while
// the two agree, the second need not be weighed on.
constexpr int supersets[][2] = {
    {ZEL_CHARSET_GB18030, ZEL_CHARSET_EUC_CN},
    {ZEL_CHARSET_KS_C_5601, ZEL_CHARSET_EUC_KR},
};

// Which languages each charset is written in, the likeliest first; the
// order of the list settles exact ties (a superset before its subset, the
// common code page before the rarer standard).
struct charset_models {
  int id;
  model models[2];
  int count;
};

constexpr charset_models written_in[] = {
    {ZEL_CHARSET_UTF8, {model::western, model::western}, 0},
    {ZEL_CHARSET_GB18030, {model::zh_hans, model::zh_hant}, 2},
    {ZEL_CHARSET_BIG5, {model::zh_hant, model::zh_hant}, 1},
    {ZEL_CHARSET_SHIFT_JIS, {model::ja, model::ja}, 1},
    {ZEL_CHARSET_EUC_JP, {model::ja, model::ja}, 1},
    {ZEL_CHARSET_KS_C_5601, {model::ko, model::ko}, 1},
    {ZEL_CHARSET_EUC_KR, {model::ko, model::ko}, 1},
    {ZEL_CHARSET_EUC_CN, {model::zh_hans, model::zh_hans}, 1},
    {ZEL_CHARSET_EUC_TW, {model::zh_hant, model::zh_hant}, 1},
    {ZEL_CHARSET_CP1252, {model::western, model::western}, 1},
    {ZEL_CHARSET_ISO_8859_1, {model::western, model::western}, 1},
    {ZEL_CHARSET_ISO_8859_15, {model::western, model::western}, 1},
    {ZEL_CHARSET_CP850, {model::western, model::western}, 1},
    {ZEL_CHARSET_CP1250, {model::central, model::central}, 1},
    {ZEL_CHARSET_ISO_8859_2, {model::central, model::central}, 1},
    {ZEL_CHARSET_ISO_8859_16, {model::central, model::central}, 1},
    {ZEL_CHARSET_CP1251, {model::cyrillic, model::cyrillic}, 1},
    {ZEL_CHARSET_KOI8_R, {model::cyrillic, model::cyrillic}, 1},
    {ZEL_CHARSET_KOI8_U, {model::cyrillic, model::cyrillic}, 1},
    {ZEL_CHARSET_KOI8_RU, {model::cyrillic, model::cyrillic}, 1},
    {ZEL_CHARSET_ISO_8859_5, {model::cyrillic, model::cyrillic}, 1},
    {ZEL_CHARSET_CP866, {model::cyrillic, model::cyrillic}, 1},
    {ZEL_CHARSET_CP1253, {model::greek, model::greek}, 1},
    {ZEL_CHARSET_ISO_8859_7, {model::greek, model::greek}, 1},
    {ZEL_CHARSET_CP1255, {model::hebrew, model::hebrew}, 1},
    {ZEL_CHARSET_ISO_8859_8, {model::hebrew, model::hebrew}, 1},
    {ZEL_CHARSET_CP1256, {model::arabic, model::arabic}, 1},
    {ZEL_CHARSET_ISO_8859_6, {model::arabic, model::arabic}, 1},
    {ZEL_CHARSET_CP1254, {model::turkish, model::turkish}, 1},
    {ZEL_CHARSET_ISO_8859_9, {model::turkish, model::western}, 2},
    {ZEL_CHARSET_ISO_8859_3, {model::southern, model::turkish}, 2},
    {ZEL_CHARSET_CP1257, {model::baltic, model::baltic}, 1},
    {ZEL_CHARSET_ISO_8859_13, {model::baltic, model::central}, 2},
    {ZEL_CHARSET_ISO_8859_4, {model::baltic, model::baltic}, 1},
    {ZEL_CHARSET_ISO_8859_10, {model::western, model::baltic}, 2},
    {ZEL_CHARSET_ISO_8859_14, {model::celtic, model::celtic}, 1},
    {ZEL_CHARSET_CP874, {model::thai, model::thai}, 1},
    {ZEL_CHARSET_ISO_8859_11, {model::thai, model::thai}, 1},
    {ZEL_CHARSET_MACTHAI, {model::thai, model::thai}, 1},
    {ZEL_CHARSET_CP1258, {model::vietnamese, model::vietnamese}, 1},
    {ZEL_CHARSET_TCVN, {model::vietnamese, model::vietnamese}, 1},
    {ZEL_CHARSET_CP1133, {model::lao, model::lao}, 1},
    {ZEL_CHARSET_MULELAO_1, {model::lao, model::lao}, 1},
    {ZEL_CHARSET_ARMSCII_8, {model::armenian, model::armenian}, 1},
};

// How much likelier a charset is than the others of its language, in
// bits: what tips a short text with one or two letters that several code
// pages read as some letter. The common code pages lead; sets that few
// texts were ever written in trail.
constexpr int prior(int id) noexcept {
  switch (id) {
    case ZEL_CHARSET_ISO_8859_1:
    case ZEL_CHARSET_ISO_8859_15:
    case ZEL_CHARSET_KOI8_R:
    case ZEL_CHARSET_ISO_8859_2:
    case ZEL_CHARSET_ISO_8859_7:
    case ZEL_CHARSET_ISO_8859_9:
    case ZEL_CHARSET_ISO_8859_11:
      return -1;
    case ZEL_CHARSET_KOI8_U:
    case ZEL_CHARSET_CP866:
    case ZEL_CHARSET_ISO_8859_5:
    case ZEL_CHARSET_ISO_8859_8:
    case ZEL_CHARSET_ISO_8859_6:
    case ZEL_CHARSET_ISO_8859_13:
    case ZEL_CHARSET_CP850:
      return -2;
    case ZEL_CHARSET_KOI8_RU:
    case ZEL_CHARSET_ISO_8859_16:
    case ZEL_CHARSET_ISO_8859_4:
    case ZEL_CHARSET_ISO_8859_10:
    case ZEL_CHARSET_ISO_8859_3:
    case ZEL_CHARSET_ISO_8859_14:
    case ZEL_CHARSET_MACTHAI:
    case ZEL_CHARSET_TCVN:
      return -4;
    default:
      return 0;
  }
}

// log2 of the share of ASCII letters among a model's characters, in
// eighths of a bit: a text of mostly ASCII words is unlikely Russian or
// Thai whatever its few other bytes read as. The ASCII letters are read
// alike by every candidate, but not alike likely in every language.
int ascii_letter_eighths(model m) noexcept {
  // The shares in units of 2^-char_weight_offset: a weight w is 2^w of them.
  std::uint64_t sum = 0;
  for (char16_t c = 'A'; c <= 'z'; ++c) {
    if (c > 'Z' && c < 'a') continue;
    const int w = char_weight(m, c);
    if (w) sum += std::uint64_t{1} << w;
  }
  // No text is all ASCII letters, and a model trained on none (a word
  // list) still meets some: the share is bounded on both sides.
  constexpr int floor = -8 * 6;
  if (sum == 0) return floor;
  // floor(8 log2 sum): the whole bits by the highest one set, the eighths
  // by comparing with 2^(k/8) scaled alike.
  int bits = 0;
  while ((sum >> (bits + 1)) != 0) ++bits;
  const std::uint64_t scaled = bits <= 40 ? sum << (40 - bits) : sum >> (bits - 40);
  constexpr std::uint64_t eighth_steps[] = {// 2^40 * 2^(k/8), k = 1..7
                                            1199025932245ULL, 1307547050779ULL, 1425890169698ULL,
                                            1554944255987ULL, 1695678735018ULL, 1849150772653ULL,
                                            2016513216442ULL};
  int eighths = 8 * bits;
  for (std::uint64_t step : eighth_steps) eighths += scaled >= step ? 1 : 0;
  eighths -= 8 * char_weight_offset;
  return eighths < floor ? floor : eighths > 0 ? 0 : eighths;
}

// Models written in Latin letters, or with Latin letters among their own
// (East Asian text quotes ASCII freely): ASCII letters tell them apart from
// each other less than they tell them from the other alphabets.
constexpr bool latin_script(model m) noexcept {
  switch (m) {
    case model::cyrillic:
    case model::greek:
    case model::hebrew:
    case model::arabic:
    case model::thai:
    case model::lao:
    case model::armenian:
      return false;
    default:
      return true;
  }
}

// Every model, for text whose language nothing else tells (UTF-8 and
// UTF-16 read every script).
constexpr model all_models[] = {model::zh_hans,  model::zh_hant,    model::ja,     model::ko,
                                model::cyrillic, model::greek,      model::hebrew, model::arabic,
                                model::thai,     model::vietnamese, model::lao,    model::armenian,
                                model::western,  model::central,    model::baltic, model::turkish,
                                model::southern, model::celtic};
static_assert(std::size(all_models) == model_count);

constexpr std::size_t max_contenders = 2 * std::size(written_in) + 2 * model_count;

// Ids the caller allows, as a set.
struct allowed_ids {
  bool any[ZEL_CHARSET_RESERVED + 1] = {};
  int first_ascii = ZEL_CHARSET_UTF8;  // what reads 7-bit text
  bool listed = false;                 // the caller named the candidates
  bool has(int id) const noexcept {
    return static_cast<unsigned>(id) <= ZEL_CHARSET_RESERVED && any[id];
  }
};

bool has_decoder(int id) noexcept { return charset_of(id).decoder != decoder_kind::none; }

// What one pass over the bytes finds.
struct shape {
  std::size_t high = 0;                  // bytes from 0x80
  std::size_t c0_letters = 0;            // TCVN letters (other charsets' rare controls)
  std::size_t zeros[2] = {0, 0};         // zero bytes at even and odd offsets
  std::size_t zeros4[4] = {0, 0, 0, 0};  // by offset modulo 4, for UTF-32's shape
  // Bytes below 0x20 but tab, line feed, form feed and carriage return,
  // at even and odd offsets: in UTF-16 the high bytes of ASCII, Latin,
  // Greek, Cyrillic, Hebrew, Arabic and Thai, all on one side.
  std::size_t low[2] = {0, 0};
  std::size_t utf8_sequences = 0;  // multi-byte UTF-8 sequences
  std::size_t ascii_letters = 0;   // A..Z and a..z in words of 8 ASCII bytes
  bool utf8 = true;                // well-formed, but maybe cut at the end
  bool escape = false;             // ESC seen
};

// The length of the well-formed UTF-8 sequence at p (zel::utf8_sequence,
// the general conversion's strict reading), 0 for an ill-formed one. A
// sequence cut by the end of what is examined is no fault: the text goes on.
std::size_t utf8_length(const std::uint8_t* p, std::size_t left) noexcept {
  const std::ptrdiff_t length = zel::utf8_sequence(p, left);
  return length > 0 ? static_cast<std::size_t>(length) : length == 0 ? left : 0;
}

// How many bytes of a word have their high bit set, for a word with no
// other bit set: a multiply sums the bytes into the top one.
constexpr std::size_t bytes_set(std::uint64_t high_bits) noexcept {
  return static_cast<std::size_t>(((high_bits >> 7) * 0x0101010101010101ull) >> 56);
}

void read_control(shape& s, std::uint8_t b, std::size_t at) noexcept {
  if (b == 0) {
    ++s.zeros[at & 1];
    ++s.zeros4[at & 3];
  }
  if (b != '\t' && b != '\n' && b != '\f' && b != '\r') ++s.low[at & 1];
  if (b == 0x1B) s.escape = true;
  if (c0_letter(b)) ++s.c0_letters;
}

// Two passes: the counts a word at a time (a word without a byte below
// 0x20 needs only its high bits counted), then UTF-8 well-formedness up to
// the first fault, which in other charsets' text comes early.
shape read_shape(const std::uint8_t* p, std::size_t n) noexcept {
  constexpr std::uint64_t ones = 0x0101010101010101ull;
  shape s;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    const std::uint64_t high = w & ascii_high_bits;
    s.high += bytes_set(high);
    if (!high) {
      // Each byte, case folded, in 0x61..0x7A: adding 0x1F sets its high
      // bit from 0x61 up, adding 0x05 from 0x7B up; no byte carries over.
      const std::uint64_t folded = w | 0x20 * ones;
      const std::uint64_t letters =
          (folded + 0x1F * ones) & ~(folded + 0x05 * ones) & ascii_high_bits;
      s.ascii_letters += bytes_set(letters);
    }
    // Some byte is below 0x20 (the test may also fire for a byte from 0xA0
    // after one below; the bytes are then looked at one by one).
    if ((w - 0x20 * ones) & ~w & ascii_high_bits)
      for (std::size_t k = 0; k < 8; ++k)
        if (p[i + k] < 0x20) read_control(s, p[i + k], i + k);
  }
  for (; i < n; ++i) {
    if (p[i] >= 0x80) ++s.high;
    if (p[i] < 0x20) read_control(s, p[i], i);
  }
  for (i = 0; i < n;) {
    if (i + 8 <= n && eight_ascii(p + i)) {
      i += 8;
      continue;
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t len = utf8_length(p + i, n - i);
    if (len == 0) {
      s.utf8 = false;
      break;
    }
    ++s.utf8_sequences;
    i += len;
  }
  return s;
}

bool starts_with(const std::uint8_t* p, std::size_t n, const char* what) noexcept {
  const std::size_t k = std::strlen(what);
  return n >= k && std::memcmp(p, what, k) == 0;
}

// The ISO-2022 form whose designations the text uses, or 0.
int iso2022_form(const std::uint8_t* p, std::size_t n) noexcept {
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] != 0x1B) continue;
    const std::uint8_t* e = p + i + 1;
    const std::size_t left = n - i - 1;
    if (starts_with(e, left, "$B") || starts_with(e, left, "$@") || starts_with(e, left, "$(D") ||
        starts_with(e, left, "(J") || starts_with(e, left, "(I"))
      return ZEL_CHARSET_ISO_2022_JP;
    if (starts_with(e, left, "$)C")) return ZEL_CHARSET_ISO_2022_KR;
    if (starts_with(e, left, "$)A") || starts_with(e, left, "$)G") || starts_with(e, left, "$*H"))
      return ZEL_CHARSET_ISO_2022_CN;
  }
  return 0;
}

// UTF-32 of the Basic Multilingual Plane: in nine of ten characters the
// two high bytes are zero, on one side.
bool utf32_shape(const shape& s, std::size_t n) noexcept {
  const std::size_t most = n / 4 * 9 / 10;
  if (n < 8) return false;
  return (s.zeros4[2] >= most && s.zeros4[3] >= most) ||
         (s.zeros4[0] >= most && s.zeros4[1] >= most);
}

struct verdict {
  int id = 0;
  double confidence = 0;
  int runner_up = 0;
  double runner_up_confidence = 0;
  int reason = ZEL_DETECT_NOTHING;
  const char* language = nullptr;
};

// The language a model's text is written in, where it is one.
constexpr const char* language_of(model m) noexcept {
  switch (m) {
    case model::zh_hans:
    case model::zh_hant:
      return "Chinese";
    case model::ja:
      return "Japanese";
    case model::ko:
      return "Korean";
    case model::greek:
      return "Greek";
    case model::hebrew:
      return "Hebrew";
    case model::arabic:
      return "Arabic";
    case model::thai:
      return "Thai";
    case model::vietnamese:
      return "Vietnamese";
    case model::lao:
      return "Lao";
    case model::armenian:
      return "Armenian";
    case model::turkish:
      return "Turkish";
    default:
      return nullptr;  // a group of languages the statistics do not tell apart
  }
}

// The stretches of the text the candidates differ on, a batch at a time.
struct stretch_finder {
  const std::uint8_t* p;
  std::size_t n;
  std::size_t pos = 0;

  // Fills `out` with the next batch; returns how many.
  std::size_t want = first_batch_bytes;

  bool carrying = false;  // the last stretch was cut inside a run

  std::size_t next(std::array<stretch, batch_stretches>& out) noexcept {
    std::size_t count = 0, bytes = 0;
    while (pos < n && count < batch_stretches && bytes < want) {
      const bool continued = carrying;
      std::size_t begin = pos;
      if (!continued) {
        while (pos < n && !marked(p[pos])) {
          if (pos + 8 <= n && eight_ascii(p + pos) && !has_c0(p + pos)) {
            pos += 8;
            continue;
          }
          ++pos;
        }
        if (pos >= n) break;
        // One byte before, for the pair it starts.
        begin = pos > 0 ? pos - 1 : 0;
        if (count > 0 && out[count - 1].end > begin) begin = out[count - 1].end;
      }
      // The run, and one byte after, which a lead may take as its trail;
      // runs close together join.
      std::size_t end = pos;
      for (;;) {
        while (end < n && marked(p[end])) ++end;
        std::size_t gap = end;
        while (gap < n && gap - end <= join_gap && !marked(p[gap])) ++gap;
        if (gap < n && gap - end <= join_gap && marked(p[gap])) {
          end = gap;
          continue;
        }
        break;
      }
      end = end < n ? end + 1 : n;
      const std::size_t room = want - bytes > min_stretch ? want - bytes : min_stretch;
      carrying = end - begin > room;
      if (carrying) end = begin + room;
      out[count++] = {begin, end, carrying, continued};
      bytes += end - begin;
      pos = end;
    }
    want = want * 2 < batch_bytes ? want * 2 : batch_bytes;
    return count;
  }

  static bool has_c0(const std::uint8_t* q) noexcept {
    for (std::size_t k = 0; k < 8; ++k)
      if (c0_letter(q[k])) return true;
    return false;
  }
};

class weigher {
 public:
  weigher(const std::uint8_t* p, std::size_t n) noexcept : p_(p), n_(n) {}

  // A contender starts from its charset's prior and, weighed by its
  // language, the ASCII letters the text holds.
  void add(int id, model m, std::uint16_t rank, std::size_t ascii_letters) noexcept {
    if (count_ >= max_contenders) return;
    contender& c = all_[count_++];
    c.id = id;
    c.s = scorer{m};
    c.rank = rank;
    std::int64_t letters = 0;
    if (ascii_letters > 0 && !latin_script(m)) {
      int& eighths = letter_eighths_[static_cast<std::size_t>(m)];
      if (eighths == 0) {
        if (latin_eighths_ == 0) latin_eighths_ = ascii_letter_eighths(model::western);
        eighths = ascii_letter_eighths(m) - latin_eighths_;
      }
      letters = static_cast<std::int64_t>(ascii_letters) * (eighths < 0 ? eighths : 0) / 8;
      // Letters of one document are not independent (a manual quotes its
      // commands whole): enough to tip a few letters, never a page.
      letters = letters < -letter_cap ? -letter_cap : letters;
    }
    c.s.score = prior(id) + letters;
  }
  std::size_t count() const noexcept { return count_; }
  void narrow() noexcept { (void)prune(drop_margin); }

  // Decodes the marked stretches (or, `whole`, everything) into each
  // contender, dropping those far behind after each batch.
  void run(bool whole, std::size_t cap = whole_bytes) noexcept {
    whole_ = whole;
    cap_ = cap;
    if (whole) {
      const std::size_t end = n_ < cap ? n_ : cap;
      for (std::size_t k = 0; k < count_; ++k)
        if (all_[k].alive) decode(all_[k], {0, end, false, false});
      return;
    }
    stretch_finder finder{p_, n_};
    std::array<stretch, batch_stretches> batch{};
    for (bool first = true;; first = false) {
      const std::size_t got = finder.next(batch);
      if (got == 0) break;
      read_ += marked_in(batch, got);
      if (first) sift(batch, got);
      for (std::size_t k = 0; k < count_; ++k) {
        contender& c = all_[k];
        if (!c.alive) continue;
        for (std::size_t j = 0; j < got; ++j) decode(c, batch[j]);
      }
      if (prune(read_ >= decisive_bytes ? drop_margin : sure_margin) <= 1) break;
    }
  }

  verdict decide() const noexcept {
    verdict v;
    const contender* best = nullptr;
    for (std::size_t k = 0; k < count_; ++k)
      if (all_[k].alive && ahead(all_[k], best)) best = &all_[k];
    if (!best) return v;
    // Candidates that score exactly the same read the text alike: they are
    // the guess's equals, not its rivals. Those dropped count from how far
    // behind they were then.
    double rest = 0;
    const contender* second = nullptr;
    std::int64_t second_gap = 0;
    for (std::size_t k = 0; k < count_; ++k) {
      const contender& c = all_[k];
      if (&c == best || c.id == best->id || (c.alive && same_reading(c, *best))) continue;
      if (!c.alive && c.behind < 0) continue;
      const std::int64_t gap = c.alive ? best->s.score - c.s.score : c.behind;
      rest += exp2_of(-static_cast<double>(gap) / temperature);
      if (!second || gap < second_gap || (gap == second_gap && c.rank < second->rank)) {
        second = &c;
        second_gap = gap;
      }
    }
    v.id = best->id;
    v.confidence = 1 / (1 + rest);
    if (second) {
      v.runner_up = second->id;
      v.runner_up_confidence = exp2_of(-static_cast<double>(second_gap) / temperature) / (1 + rest);
    }
    // Few characters tell little, and a text no language reads well (binary
    // junk) tells nothing.
    const double evidence = 1 - exp2_of(-static_cast<double>(best->s.high_units + 1) / 3);
    v.confidence *= evidence;
    v.runner_up_confidence *= evidence;
    v.reason = ZEL_DETECT_STATISTICS;
    v.language = language_of(best->s.m);
    // Symbols say nothing of how well the letters read.
    if (best->s.bad * 8 > best->s.units || (junk(best->s) && junk(read_anywhere(*best)))) {
      v.confidence *= 0.2;
      v.runner_up_confidence *= 0.2;
      v.reason = ZEL_DETECT_NOTHING;
      v.language = nullptr;
    }
    return v;
  }

 private:
  // Bits of difference that halve a rival's odds: the scores' weights are
  // rounded logarithms, and characters of one text are not independent.
  static constexpr double temperature = 4;
  // A guess whose characters average fewer bits than this reads no
  // language: real text of any of them averages 5 to 11.
  static constexpr std::int64_t junk_bits = -14;

  // Whether a reading's letters average too few bits for any language.
  // Symbols say nothing of how well the letters read.
  static bool junk(const scorer& s) noexcept {
    const std::int64_t letters = s.units - s.symbols;
    return s.score - s.symbol_score < junk_bits * (letters > 0 ? letters : 1);
  }

  // The candidate's reading of what it was weighed on, weighed again in
  // the model that knows each character best: text in a language outside
  // the charset's own (Uyghur in GB18030) still reads as text.
  scorer read_anywhere(const contender& c) const noexcept {
    contender again;
    again.id = c.id;
    again.s.m = c.s.m;
    again.s.anywhere = true;
    if (whole_) {
      decode(again, {0, n_ < cap_ ? n_ : cap_, false, false});
      return again.s;
    }
    stretch_finder finder{p_, n_};
    std::array<stretch, batch_stretches> batch{};
    std::size_t read = 0;
    for (std::size_t got; read < read_ && (got = finder.next(batch)) != 0;) {
      for (std::size_t j = 0; j < got; ++j) decode(again, batch[j]);
      read += marked_in(batch, got);
    }
    return again.s;
  }

  static bool same_reading(const contender& a, const contender& b) noexcept {
    return a.s.score == b.s.score && a.s.high_units == b.s.high_units && a.s.bad == b.s.bad;
  }
  static bool ahead(const contender& c, const contender* than) noexcept {
    if (!than) return true;
    if (c.s.score != than->s.score) return c.s.score > than->s.score;
    return c.rank < than->rank;
  }

  // Bytes from 0x80 (and TCVN's C0 letters) in a batch.
  std::size_t marked_in(const std::array<stretch, batch_stretches>& batch,
                        std::size_t got) const noexcept {
    std::size_t count = 0;
    for (std::size_t j = 0; j < got; ++j)
      for (std::size_t i = batch[j].begin; i < batch[j].end; ++i) count += marked(p_[i]) ? 1U : 0U;
    return count;
  }

  // Before the first batch is decoded by every candidate, the single-byte
  // ones are sifted by their characters alone: each distinct marked byte of
  // the batch is read through each table and weighed once, so the many code
  // pages that read the text as unlikely letters cost a few table reads
  // instead of a decoding. Those within sift_margin bits of the best go on.
  // A byte is weighed without its neighbours, so each capital weighs as
  // its small letter would in a line of capitals: a title does not sift
  // its own language out.
  void sift(const std::array<stretch, batch_stretches>& batch, std::size_t got) noexcept {
    std::array<std::uint32_t, 256> counts{};
    std::array<std::uint8_t, 256> distinct{};
    std::size_t kinds = 0;
    for (std::size_t j = 0; j < got; ++j)
      for (std::size_t i = batch[j].begin; i < batch[j].end; ++i) {
        const std::uint8_t b = p_[i];
        if (!marked(b)) continue;
        if (counts[b]++ == 0) distinct[kinds++] = b;
      }
    std::array<std::int64_t, max_contenders> sifted{};
    bool any = false;
    std::int64_t best = 0;
    for (std::size_t k = 0; k < count_; ++k) {
      const contender& c = all_[k];
      if (charset_of(c.id).decoder != decoder_kind::single_byte) continue;
      const single_byte_table* table = cell(single_byte_tables, single_byte_index(c.id),
                                            static_cast<const single_byte_table*>(nullptr));
      if (!table) continue;
      std::int64_t score = c.s.score;
      for (std::size_t d = 0; d < kinds; ++d) {
        const weighed w = weigh(c.s.m, cell(*table, distinct[d], std::uint16_t{0xFFFD}), true);
        score += static_cast<std::int64_t>(counts[distinct[d]]) * w.bits;
      }
      sifted[k] = score;
      if (!any || score > best) best = score;
      any = true;
    }
    if (!any) return;
    for (std::size_t k = 0; k < count_; ++k) {
      contender& c = all_[k];
      if (charset_of(c.id).decoder != decoder_kind::single_byte || sifted[k] >= best - sift_margin)
        continue;
      c.alive = false;
      c.behind = best - sifted[k];
    }
  }

  void decode(contender& c, const stretch& at) const noexcept {
    decoder_state st;
    if (!at.continued) {
      c.s.prev = ' ';
      c.s.prev_log = 0;
      c.s.prev_alphabet = no_alphabet;
      c.s.prev_small = false;
      c.s.prev_capital = false;
      c.carry = 0;
    }
    // A piece of a run cut short leaves the few bytes of a sequence it
    // cannot decide to the next piece.
    const std::size_t begin = at.begin - c.carry;
    const std::size_t n = at.end - begin;
    // A sequence cut off by the end of what is examined is no fault of the
    // charset's: the text goes on, or the caller cut it. Elsewhere a
    // stretch ends on a byte below 0x80, which ends every sequence.
    c.s.forgive_from = at.end == n_ ? p_ + (n > 3 ? at.end - 3 : begin) : nullptr;
    c.s.forgiven = 0;
    const std::size_t took = decode_piece(c.id, p_ + begin, n, c.s, st, !at.cut);
    c.carry = at.cut && took <= n ? n - took : 0;
  }

  // Drops the contenders far behind the leader, and a subset charset
  // that has read all so far as its superset did; returns how many rivals
  // are left (contenders of one charset count once).
  std::size_t prune(std::int64_t margin) noexcept {
    const contender* lead = nullptr;
    for (std::size_t k = 0; k < count_; ++k)
      if (all_[k].alive && ahead(all_[k], lead)) lead = &all_[k];
    if (!lead) return 0;
    const std::int64_t top = lead->s.score;
    for (std::size_t k = 0; k < count_; ++k) {
      contender& c = all_[k];
      if (c.alive && c.s.score < top - margin) {
        c.alive = false;
        c.behind = top - c.s.score;
      }
    }
    for (const auto& pair : supersets)
      for (std::size_t k = 0; k < count_; ++k) {
        contender& sub = all_[k];
        if (!sub.alive || sub.id != pair[1]) continue;
        for (std::size_t j = 0; j < count_; ++j)
          if (all_[j].alive && all_[j].id == pair[0] && same_reading(all_[j], sub)) {
            sub.alive = false;
            sub.behind = -1;
            break;
          }
      }
    std::size_t ids = 0;
    int last = 0;
    for (std::size_t k = 0; k < count_; ++k)
      if (all_[k].alive && all_[k].id != last) {
        ++ids;
        last = all_[k].id;
      }
    return ids;
  }

  const std::uint8_t* p_;
  std::size_t n_;
  std::array<contender, max_contenders> all_{};
  std::array<int, model_count> letter_eighths_{};
  int latin_eighths_ = 0;
  std::size_t count_ = 0;
  std::size_t read_ = 0;  // marked bytes in the batches decoded
  bool whole_ = false;    // the last run decoded the text whole, up to cap_
  std::size_t cap_ = 0;
};

// The first allowed id of `ids`, in order, or 0.
template <std::size_t N>
int first_allowed(const allowed_ids& allowed, const int (&ids)[N]) noexcept {
  for (int id : ids)
    if (allowed.has(id)) return id;
  return 0;
}

verdict structural(int id, double confidence, int reason) noexcept {
  verdict v;
  v.id = id;
  v.confidence = confidence;
  v.reason = reason;
  return v;
}

verdict guess(const std::uint8_t* p, std::size_t n, const allowed_ids& allowed) noexcept {
  // Byte-order marks. UTF-16 with a mark goes to the charset that reads and
  // drops the mark.
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF && allowed.has(ZEL_CHARSET_UTF8))
    return structural(ZEL_CHARSET_UTF8, 1, ZEL_DETECT_BOM);
  if (n >= 4 && p[0] == 0x84 && p[1] == 0x31 && p[2] == 0x95 && p[3] == 0x33 &&
      allowed.has(ZEL_CHARSET_GB18030))
    return structural(ZEL_CHARSET_GB18030, 1, ZEL_DETECT_BOM);
  if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
    const bool little = p[0] == 0xFF;
    const int ids[] = {ZEL_CHARSET_UTF16, little ? ZEL_CHARSET_UTF16LE : ZEL_CHARSET_UTF16BE};
    if (const int id = first_allowed(allowed, ids)) return structural(id, 1, ZEL_DETECT_BOM);
  }

  const shape s = read_shape(p, n);

  // ISO-2022 designations are decisive, and come before the UTF-16 shapes:
  // their shifts are control bytes too.
  if (s.escape && s.high == 0) {
    const int form = iso2022_form(p, n);
    if (form && allowed.has(form)) return structural(form, 0.99, ZEL_DETECT_STRUCTURE);
  }

  // UTF-16 without a mark: text with ASCII or an alphabet in it has a byte
  // below 0x20 in many an other place, on one side only; 8-bit text has
  // such bytes almost nowhere.
  const std::size_t halves = n / 2;
  if (halves >= 2) {
    const std::size_t even = s.low[0], odd = s.low[1];
    const bool little = odd * 10 >= halves && even * 8 <= odd;
    const bool big = even * 10 >= halves && odd * 8 <= even;
    if (little || big) {
      const int ids[] = {little ? ZEL_CHARSET_UTF16LE : ZEL_CHARSET_UTF16BE};
      if (const int id = first_allowed(allowed, ids)) {
        const double share = static_cast<double>(little ? odd : even) / static_cast<double>(halves);
        return structural(id, share > 0.5 ? 0.99 : 0.9, ZEL_DETECT_STRUCTURE);
      }
    }
    // UTF-32: text, but in no charset this answers with.
    if (utf32_shape(s, n)) return verdict{};
    // Text of East Asian characters has fewer such bytes (from its ASCII
    // and punctuation), on both sides: it is UTF-16 if it reads as some
    // language that way.
    if (even + odd >= 2) {
      weigher wide(p, n);
      for (int id : {ZEL_CHARSET_UTF16LE, ZEL_CHARSET_UTF16BE})
        if (allowed.has(id))
          for (model m : all_models) wide.add(id, m, 0, 0);
      if (wide.count() > 0) {
        // A first look drops the languages far behind, so that only the
        // likely few read the whole sample.
        wide.run(true, wide_glance);
        wide.narrow();
        wide.run(true, wide_sample);
        verdict v = wide.decide();
        if (v.reason == ZEL_DETECT_STATISTICS) {
          v.reason = ZEL_DETECT_STRUCTURE;
          return v;
        }
      }
    }
  }

  // Zero bytes that no UTF-16 shape explains, more than a stray one in a
  // long text, are binary data.
  const std::size_t zero_count = s.zeros[0] + s.zeros[1];
  if (zero_count * binary_zero_share >= n && zero_count > 0)
    return structural(0, 0.99, ZEL_DETECT_BINARY);
  const bool zeros = zero_count > 0;
  if (s.high == 0 && s.c0_letters == 0 && !zeros) {
    if (const int id = allowed.first_ascii)
      return structural(id, n == 0 ? 0 : 1, n == 0 ? ZEL_DETECT_NOTHING : ZEL_DETECT_ASCII);
  }

  // Well-formed UTF-8 with enough multi-byte sequences: other charsets
  // almost never read that way by chance, less so with each sequence.
  verdict utf8;
  if (s.utf8 && s.utf8_sequences > 0 && allowed.has(ZEL_CHARSET_UTF8)) {
    utf8 = structural(ZEL_CHARSET_UTF8,
                      1 - exp2_of(-0.8625 * (static_cast<double>(s.utf8_sequences) + 1)),
                      ZEL_DETECT_STRUCTURE);
    if (s.utf8_sequences >= 8) return utf8;
  }

  weigher w(p, n);
  std::uint16_t rank = 0;
  for (const charset_models& c : written_in) {
    ++rank;
    if (c.id == ZEL_CHARSET_UTF8 || !allowed.has(c.id)) continue;
    for (int k = 0; k < c.count; ++k) w.add(c.id, c.models[k], rank, s.ascii_letters);
  }
  verdict a;
  if (w.count() > 0) {
    w.run(false);
    a = w.decide();
  } else {
    // Only charsets that are not ASCII-compatible are allowed (UTF-16, the
    // 7-bit and ISO-2022 forms): each is weighed on the text whole.
    weigher whole(p, n);
    for (int id = 1; id <= ZEL_CHARSET_MULELAO_1; ++id) {
      if (!allowed.has(id)) continue;
      const charset_family f = charset_of(id).family;
      const model m = f == charset_family::japanese  ? model::ja
                      : f == charset_family::korean  ? model::ko
                      : f == charset_family::chinese ? model::zh_hans
                                                     : model::western;
      if (f == charset_family::unicode)
        for (model each : all_models) whole.add(id, each, static_cast<std::uint16_t>(id), 0);
      else
        whole.add(id, m, static_cast<std::uint16_t>(id), 0);
    }
    whole.run(true);
    a = whole.decide();
  }

  if (utf8.id) {
    if (a.id != utf8.id) {
      utf8.runner_up = a.id;
      utf8.runner_up_confidence = (1 - utf8.confidence) * a.confidence;
    }
    return utf8;
  }
  // Control bytes other than line ends and tabs, in more than a few
  // places, are no text in any 8-bit charset (but TCVN, whose capitals
  // they are, where its reading is good): binary data.
  if ((s.low[0] + s.low[1]) * binary_share > n &&
      !(a.id == ZEL_CHARSET_TCVN && a.reason == ZEL_DETECT_STATISTICS))
    return structural(0, 0.9, ZEL_DETECT_BINARY);
  // Text no candidate reads well is in none of them: the least bad reading
  // is only the runner-up. Candidates the caller named are the caller's
  // word that the text is in one of them.
  if (a.reason == ZEL_DETECT_NOTHING && a.id && !allowed.listed) {
    a.runner_up = a.id;
    a.runner_up_confidence = a.confidence;
    a.id = 0;
  }
  return a;
}

}  // namespace
}  // namespace zel::detect

namespace zel::detect {

// Code pages 932 and 950 read what Shift_JIS and Big5 read alike; the
// statistics cannot tell them apart, the bytes can. Shift_JIS text is code
// page 932 where it holds a backslash or tilde (ASCII there, the yen sign
// and overline in Shift_JIS) or a code of the NEC and IBM rows or the
// user-defined area; Big5 text is code page 950 where it holds the euro
// (A3E1) or the ETEN codes F9D6..F9FE.
int code_page_of(const std::uint8_t* p, std::size_t n, int id) noexcept {
  if (id != ZEL_CHARSET_SHIFT_JIS && id != ZEL_CHARSET_BIG5) return id;
  const bool sjis = id == ZEL_CHARSET_SHIFT_JIS;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t b = p[i];
    if (b < 0x80) {
      if (sjis && (b == 0x5C || b == 0x7E)) return ZEL_CHARSET_CP932;
      continue;
    }
    const bool lead = sjis ? (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) : b >= 0x81;
    if (!lead || i + 1 >= n) continue;
    const unsigned code = unsigned{b} << 8 | p[i + 1];
    if (sjis && (b == 0x87 || b == 0xED || b == 0xEE || (b >= 0xF0 && b <= 0xFC)))
      return ZEL_CHARSET_CP932;
    if (!sjis && (code == 0xA3E1 || (code >= 0xF9D6 && code <= 0xF9FE))) return ZEL_CHARSET_CP950;
    ++i;  // the trail
  }
  return id;
}

}  // namespace zel::detect

extern "C" ZEL_API int ZEL_CALL zel_detect(const char* data, int32_t n, const int* candidates,
                                           int32_t n_candidates, int flags, zel_guess* g) noexcept {
  using namespace zel::detect;
  if (!g || n < 0 || n_candidates < 0 || (!data && n > 0) || (!candidates && n_candidates > 0))
    return ZEL_RESULT_BAD_ARGUMENT;
  allowed_ids allowed;
  bool any = false;
  if (candidates && n_candidates > 0) {
    for (int32_t k = 0; k < n_candidates; ++k) {
      const int id = candidates[k];
      if (static_cast<unsigned>(id) <= ZEL_CHARSET_RESERVED && has_decoder(id)) {
        if (!any) allowed.first_ascii = 0;
        allowed.listed = true;
        if (!allowed.first_ascii && zel::charset_of(id).ascii) allowed.first_ascii = id;
        allowed.any[id] = true;
        any = true;
      }
    }
    if (!any) return ZEL_RESULT_BAD_ARGUMENT;
  } else {
    for (int id = 0; id <= ZEL_CHARSET_RESERVED; ++id) allowed.any[id] = has_decoder(id);
  }
  const auto total = static_cast<std::size_t>(n);
  constexpr std::size_t prefix = ZEL_DETECT_PREFIX;
  const std::size_t examined = (flags & ZEL_DETECT_WHOLE) || total <= prefix ? total : prefix;
  const auto* p = reinterpret_cast<const std::uint8_t*>(data);
  verdict v = guess(p ? p : reinterpret_cast<const std::uint8_t*>(""), examined, allowed);
  if (allowed.listed && !v.id && v.reason != ZEL_DETECT_BINARY) {
    // Text none of the candidates reads well, or reads at all: the caller's
    // word is that it is one of them, so the first, with no confidence.
    for (int32_t k = 0; k < n_candidates && !v.id; ++k)
      if (allowed.has(candidates[k])) v.id = candidates[k];
    if (v.runner_up == v.id) v.runner_up = 0;
    v.confidence = v.runner_up_confidence = 0;
    v.language = nullptr;
  }
  *g = zel_guess{};
  // A caller's candidates name what it may get: the code pages only when
  // the detector chooses freely.
  g->id = allowed.listed ? v.id : code_page_of(p, examined, v.id);
  g->confidence = v.confidence;
  g->runner_up = v.runner_up;
  g->runner_up_confidence = v.runner_up_confidence;
  g->reason = v.reason;
  g->examined = static_cast<int32_t>(examined);
  g->language = v.language;
  return ZEL_RESULT_OK;
}
