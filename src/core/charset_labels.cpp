// The zel_charset_* exports: the charset descriptions (charsets.h) and the
// general label lookup over their labels. A label matches a listed one
// when both are equal with case, '-', '_', '.' and spaces ignored, never by
// prefix: "Big5-HKSCS" is not Big5. A few hundred labels are compared at a
// few bytes each, which costs less than the conversion a label is looked
// up for; front ends that look up per call keep their answers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "src/core/charsets.h"
#include "zel_code.h"

namespace zel {
namespace {

constexpr bool ignored(char c) noexcept { return c == '-' || c == '_' || c == '.' || c == ' '; }

constexpr char upper(char c) noexcept {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether the NUL-terminated label and the word are equal once folded.
bool same_folded(const char* label, std::string_view word) noexcept {
  std::size_t i = 0;
  for (;; ++label, ++i) {
    while (*label && ignored(*label)) ++label;
    while (i < word.size() && ignored(word[i])) ++i;
    if (!*label || i == word.size()) return !*label && i == word.size();
    if (upper(*label) != upper(word[i])) return false;
  }
}

// One listed label and what it resolves to.
struct label_entry {
  std::string_view word;
  int id;
  int written;
  label_use use;
  const char* note;
};

// Calls f(entry) for each label of `labels`; stops and returns true when f does.
template <class F>
bool each_word(const char* labels, const label_entry& as, F f) {
  for (std::string_view rest = labels; !rest.empty();) {
    const std::size_t space = rest.find(' ');
    label_entry e = as;
    e.word = rest.substr(0, space);
    if (f(e)) return true;
    rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
  }
  return false;
}

// Every label: each charset's in id order, then the groups.
template <class F>
bool each_label(F f) {
  for (const charset_description& c : charsets)
    if (each_word(c.labels, {{}, c.id, c.id, label_use::as_charset, nullptr}, f)) return true;
  for (const label_group& g : label_groups)
    if (each_word(g.labels, {{}, g.id, g.written, g.use, g.note}, f)) return true;
  return false;
}

void fill(zel_label* out, const label_entry* e) noexcept {
  if (!out) return;
  *out = zel_label{};
  out->label = "";
  if (!e) return;
  out->label = e->word.data();
  out->length = static_cast<std::int32_t>(e->word.size());
  out->note = e->note;
  out->id = e->id;
  out->written = e->written;
  out->flags = (e->use == label_use::gbk_writer ? ZEL_LABEL_GBK_WRITER : 0) |
               (e->use == label_use::marked ? ZEL_LABEL_MARKED : 0);
}

// Suggestions compare folded text of at most this many bytes.
constexpr std::size_t longest_folded = 48;

struct folded {
  char text[longest_folded];
  std::size_t size = 0;
  bool fits = true;
};

folded fold(std::string_view s) noexcept {
  folded f;
  for (char c : s) {
    if (ignored(c)) continue;
    if (f.size == longest_folded) {
      f.fits = false;
      break;
    }
    f.text[f.size++] = upper(c);
  }
  return f;
}

// The edit distance of a and b, an adjacent transposition counting as one
// edit ("shfit" is one from "shift"): the optimal string alignment distance.
std::size_t distance(const folded& a, const folded& b) noexcept {
  std::size_t rows[3][longest_folded + 1];
  std::size_t *before = rows[0], *last = rows[1], *row = rows[2];
  for (std::size_t j = 0; j <= b.size; ++j) last[j] = j;
  for (std::size_t i = 1; i <= a.size; ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size; ++j) {
      const std::size_t change = last[j - 1] + (a.text[i - 1] == b.text[j - 1] ? 0 : 1);
      std::size_t best = std::min(change, std::min(last[j], row[j - 1]) + 1);
      if (i > 1 && j > 1 && a.text[i - 1] == b.text[j - 2] && a.text[i - 2] == b.text[j - 1])
        best = std::min(best, before[j - 2] + 1);
      row[j] = best;
    }
    std::size_t* const oldest = before;
    before = last;
    last = row;
    row = oldest;
  }
  return last[b.size];
}

// How far a typed label may be from a known one to be suggested: one edit
// in short labels, more in longer ones; none under three characters, where
// one edit reaches too many labels.
constexpr std::size_t allowed_edits(std::size_t n) noexcept {
  return n < 3 ? 0 : n < 8 ? 1 : n < 13 ? 2 : 3;
}

}  // namespace
}  // namespace zel

extern "C" ZEL_API int ZEL_CALL zel_charset_count(void) noexcept {
  return static_cast<int>(zel::charsets.size());
}

extern "C" ZEL_API const char* ZEL_CALL zel_charset_name(int id) noexcept {
  return zel::charset_of(id).name;
}

extern "C" ZEL_API int ZEL_CALL zel_charset_flags(int id) noexcept {
  const zel::charset_description& c = zel::charset_of(id);
  return (c.reads ? ZEL_CHARSET_FLAG_READ : 0) | (c.writes ? ZEL_CHARSET_FLAG_WRITE : 0) |
         (c.ascii ? ZEL_CHARSET_FLAG_ASCII : 0) |
         (c.marks != zel::mark_rule::none ? ZEL_CHARSET_FLAG_UNICODE : 0);
}

extern "C" ZEL_API int ZEL_CALL zel_charset_mark(int id, zel_slice* mark) noexcept {
  const zel::charset_description& c = zel::charset_of(id);
  if (mark) {
    mark->data = c.mark.empty() ? "" : c.mark.data();
    mark->length = static_cast<std::int32_t>(c.mark.size());
  }
  return c.marks == zel::mark_rule::leading ? c.after_mark : 0;
}

extern "C" ZEL_API int ZEL_CALL zel_charset_label(int id, int index, zel_label* found) noexcept {
  int seen = 0;
  const bool listed = zel::each_label([&](const zel::label_entry& e) {
    if (e.id != id || seen++ != index) return false;
    zel::fill(found, &e);
    return true;
  });
  if (!listed) zel::fill(found, nullptr);
  return listed ? 1 : 0;
}

extern "C" ZEL_API int ZEL_CALL zel_charset_lookup(const char* label, zel_label* found) noexcept {
  int id = ZEL_CHARSET_UNKNOWN;
  bool matched = false;
  if (label) {
    matched = zel::each_label([&](const zel::label_entry& e) {
      if (!zel::same_folded(label, e.word)) return false;
      zel::fill(found, &e);
      id = e.id;
      return true;
    });
  }
  if (!matched) zel::fill(found, nullptr);
  return id;
}

extern "C" ZEL_API int32_t ZEL_CALL zel_charset_suggest(const char* label, char* out,
                                                        int32_t size) noexcept {
  if (out && size > 0) out[0] = '\0';
  if (!label) return 0;
  const std::string_view typed = label;
  const zel::folded want = zel::fold(typed);
  if (!want.fits) return 0;
  std::size_t best = zel::allowed_edits(want.size) + 1;
  std::string_view nearest;
  zel::each_label([&](const zel::label_entry& e) {
    const zel::folded known = zel::fold(e.word);
    if (e.id == ZEL_CHARSET_UNKNOWN || !known.fits) return false;
    const std::size_t d = zel::distance(want, known);
    if (d < best) {
      best = d;
      nearest = e.word;
    }
    return false;
  });
  if (nearest.empty()) return 0;
  // Spelled as the table spells it, or all in lower case for a typed label
  // in lower case.
  bool has_upper = false, has_lower = false;
  for (char c : typed) {
    has_upper = has_upper || (c >= 'A' && c <= 'Z');
    has_lower = has_lower || (c >= 'a' && c <= 'z');
  }
  const bool lower = has_lower && !has_upper;
  if (out && size > 0) {
    const std::size_t n = std::min(nearest.size(), static_cast<std::size_t>(size) - 1);
    for (std::size_t i = 0; i < n; ++i) {
      const char c = nearest[i];
      out[i] = lower && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    out[n] = '\0';
  }
  return static_cast<std::int32_t>(nearest.size());
}
