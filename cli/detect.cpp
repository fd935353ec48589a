#include "cli/detect.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "cli/charsets.h"
#include "cli/output.h"

namespace zelconv {
namespace {

constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

const char* reason_text(int reason) {
  switch (reason) {
    case ZEL_DETECT_BOM:
      return "by its byte-order mark";
    case ZEL_DETECT_ASCII:
      return "7-bit text";
    case ZEL_DETECT_STRUCTURE:
      return "by its structure";
    case ZEL_DETECT_STATISTICS:
      return "by statistics";
    case ZEL_DETECT_BINARY:
      return "binary data";
    default:
      return "nothing fits well";
  }
}

std::string confidence(double c) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2f", c);
  return text;
}

}  // namespace

bool read_for_guess(input& in, std::vector<std::uint8_t>& prefix, std::size_t first, bool& at_end) {
  prefix.resize(first);
  std::size_t have = in.read(prefix.data(), first);
  if (in.failed()) return false;
  at_end = have < first;
  const auto seven_bit = [&](std::size_t from) {
    return std::all_of(prefix.begin() + static_cast<std::ptrdiff_t>(from),
                       prefix.begin() + static_cast<std::ptrdiff_t>(have),
                       [](std::uint8_t b) { return b < 0x80 && b != 0; });
  };
  for (std::size_t checked = 0; !at_end && have < guess_limit && seven_bit(checked);) {
    checked = have;
    const std::size_t more = std::min(have, guess_limit - have);
    prefix.resize(have + more);
    const std::size_t got = in.read(prefix.data() + have, more);
    if (in.failed()) return false;
    have += got;
    at_end = got < more;
  }
  prefix.resize(have);
  return true;
}

zel_guess guess_charset(const std::uint8_t* p, std::size_t n) {
  zel_guess g{};
  const auto size = static_cast<std::int32_t>(std::min(n, guess_limit));
  const int flags = n > guess_prefix ? ZEL_DETECT_WHOLE : 0;
  if (zel_detect(reinterpret_cast<const char*>(p), size, nullptr, 0, flags, &g) != ZEL_RESULT_OK) {
    // Not for these arguments; should it happen, the text is taken as UTF-8.
    g = zel_guess{};
    g.id = ZEL_CHARSET_UTF8;
  }
  return g;
}

int auto_charset(const zel_guess& g, const std::uint8_t* p, std::size_t n) {
  if (n >= 2 && ((p[0] == 0xFE && p[1] == 0xFF) || (p[0] == 0xFF && p[1] == 0xFE)))
    return ZEL_CHARSET_UTF16;
  return g.id;
}

std::size_t seven_bit_text::extent(const std::uint8_t* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] >= 0x80) return i;
    seen_[p[i]] = true;
  }
  return n;
}

bool seven_bit_text::read_alike(int id) const {
  std::string bytes;
  for (std::size_t b = 0; b < seen_.size(); ++b)
    if (seen_[b]) bytes += static_cast<char>(b);
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, bytes.data(), static_cast<std::int32_t>(bytes.size()));
  const bool alike =
      zel_convert(id, ZEL_CHARSET_UTF8, ZEL_UNMAPPABLE_SUBSTITUTE, &s, nullptr) == ZEL_RESULT_OK &&
      std::string_view(s.data, s.length > 0 ? s.length : 0) == bytes;
  zel_string_free(&s);
  return alike;
}

std::string describe_guess(const zel_guess& g, bool detail) {
  if (g.id == ZEL_CHARSET_UNKNOWN && g.reason == ZEL_DETECT_BINARY) return "binary";
  std::string text = g.id == ZEL_CHARSET_UNKNOWN ? "none (" : label_of(g.id) + " (";
  if (g.language) text += std::string(g.language) + ", ";
  text += "confidence " + confidence(g.confidence);
  if (detail) {
    text += std::string(", ") + reason_text(g.reason);
    if (g.runner_up != ZEL_CHARSET_UNKNOWN)
      text += "; runner-up " + label_of(g.runner_up) + " at " + confidence(g.runner_up_confidence);
  }
  return text + ")";
}

int detect_files(const options& o) {
  if (!o.from.empty() || !o.to.empty() || o.entities || o.big5_to_gbk || o.gbk_to_big5 ||
      o.in_place || o.output != "-") {
    std::fputs("zelconv: --detect takes no -f, -t, -E, -o, --in-place or transcoding\n", stderr);
    return exit_usage;
  }
  std::vector<std::string> files = o.files;
  if (files.empty()) files.emplace_back("-");
  std::vector<std::uint8_t> prefix;
  int status = 0;
  for (const std::string& path : files) {
    input in;
    bool at_end = false;
    if (!in.open(path) || !read_for_guess(in, prefix, guess_prefix, at_end)) {
      std::fprintf(stderr, "zelconv: cannot read %s: %s\n", in.describe().c_str(),
                   std::strerror(in.error()));
      status = exit_failure;
      continue;
    }
    const zel_guess g = guess_charset(prefix.data(), prefix.size());
    std::printf("%s: %s\n", path.c_str(), describe_guess(g, o.verbose).c_str());
  }
  return std::fflush(stdout) == 0 ? status : exit_failure;
}

}  // namespace zelconv
