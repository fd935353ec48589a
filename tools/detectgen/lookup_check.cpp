// Reads the counts in tools/detectgen/inputs/ and checks every answer of
// char_weight() and pair_weight() against them: each of the 65,536 units of
// each model, each counted pair (stored ones give their weight, and the
// stored ones are the most frequent), ASCII pairs, uncounted pairs and an
// out-of-range model. Built and run by tools/detectgen/check.sh.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "src/detect/stats.h"

namespace {

using zel::detect::model;

constexpr const char* model_names[] = {
    "zh_hans", "zh_hant", "ja",     "ko",         "cyrillic", "greek",
    "hebrew",  "arabic",  "thai",   "vietnamese", "lao",      "armenian",
    "western", "central", "baltic", "turkish",    "southern", "celtic",
};
static_assert(std::size(model_names) == zel::detect::model_count);

struct Counts {
  std::uint64_t total = 0;
  std::map<std::uint32_t, std::uint64_t> counts;
};

bool read_counts(const std::string& path, Counts& out) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto tab = line.find('\t');
    if (tab == std::string::npos) return false;
    const std::string key = line.substr(0, tab);
    const std::uint64_t count = std::stoull(line.substr(tab + 1));
    if (key == "total") {
      out.total = count;
      continue;
    }
    std::uint32_t value = 0;
    std::istringstream units(key);
    std::string unit;
    while (units >> unit)
      value = value << 16U | static_cast<std::uint32_t>(std::stoul(unit.substr(2), nullptr, 16));
    out.counts[value] = count;
  }
  return out.total != 0;
}

// clamp(floor(log2(count / total)) + offset, 1, 15)
int expected_weight(std::uint64_t count, std::uint64_t total, int offset) {
  int k = static_cast<int>(std::bit_width(count)) - static_cast<int>(std::bit_width(total));
  const bool below = k < 0 ? (count << -k) < total : count < (total << k);
  if (below) --k;
  return std::clamp(k + offset, 1, 15);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lookup_check INPUTS_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  int failures = 0;
  auto fail = [&failures](const char* name, const char* what, std::uint32_t key, int got,
                          int want) {
    if (++failures <= 20)
      std::fprintf(stderr, "lookup_check: %s %s %08X: %d, expected %d\n", name, what, key, got,
                   want);
  };
  std::size_t stored_total = 0;
  for (std::size_t index = 0; index < std::size(model_names); ++index) {
    const auto m = static_cast<model>(index);
    const char* name = model_names[index];
    Counts chars, pairs;
    if (!read_counts(folder + "/" + name + ".chars", chars) ||
        !read_counts(folder + "/" + name + ".pairs", pairs)) {
      std::fprintf(stderr, "lookup_check: cannot read the counts of %s\n", name);
      return 1;
    }
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
      const auto found = chars.counts.find(unit);
      const int want =
          found == chars.counts.end()
              ? 0
              : expected_weight(found->second, chars.total, zel::detect::char_weight_offset);
      const int got = zel::detect::char_weight(m, static_cast<char16_t>(unit));
      if (got != want) fail(name, "char", unit, got, want);
    }
    // A stored pair answers its weight; the stored ones are the most frequent.
    std::uint64_t least_stored = UINT64_MAX, most_dropped = 0;
    std::size_t stored = 0;
    for (const auto& [key, count] : pairs.counts) {
      const auto a = static_cast<char16_t>(key >> 16U), b = static_cast<char16_t>(key & 0xFFFFU);
      const int got = zel::detect::pair_weight(m, a, b);
      if (got == 0) {
        most_dropped = std::max(most_dropped, count);
        continue;
      }
      ++stored;
      least_stored = std::min(least_stored, count);
      const int want = expected_weight(count, pairs.total, zel::detect::pair_weight_offset);
      if (got != want) fail(name, "pair", key, got, want);
    }
    if (stored == 0 || most_dropped > least_stored)
      fail(name, "stored pairs are not the most frequent", 0, 0, 0);
    stored_total += stored;
    // Uncounted pairs, ASCII pairs among them, answer 0.
    for (std::uint32_t a = 0; a <= 0xFFFF; a += 0x3B) {
      for (std::uint32_t b = 0; b <= 0xFFFF; b += 0x3FD) {
        const std::uint32_t key = a << 16U | b;
        if (pairs.counts.count(key) != 0) continue;
        const int got =
            zel::detect::pair_weight(m, static_cast<char16_t>(a), static_cast<char16_t>(b));
        if (got != 0) fail(name, "uncounted pair", key, got, 0);
      }
    }
    for (std::uint32_t a = 0; a < 0x80; ++a)
      for (std::uint32_t b = 0; b < 0x80; ++b)
        if (const int got =
                zel::detect::pair_weight(m, static_cast<char16_t>(a), static_cast<char16_t>(b));
            got != 0)
          fail(name, "ASCII pair", a << 16U | b, got, 0);
  }
  const auto outside = static_cast<model>(std::size(model_names));
  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit)
    if (const int got = zel::detect::char_weight(outside, static_cast<char16_t>(unit)); got != 0)
      fail("model past the last", "char", unit, got, 0);
  if (const int got = zel::detect::pair_weight(outside, u'\u00E9', u'e'); got != 0)
    fail("model past the last", "pair", 0x00E90065, got, 0);
  if (failures != 0) {
    std::fprintf(stderr, "lookup_check: %d wrong answers\n", failures);
    return 1;
  }
  std::printf("detectgen check: every weight matches the counts (%zu stored pairs)\n",
              stored_total);
  return 0;
}
