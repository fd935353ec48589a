#include "cli/losses.h"

#include <vector>

namespace zelconv {
namespace {

// "1 byte dropped", "2 bytes dropped": `noun` takes an "s" after its first
// word.
std::string count(std::int64_t n, const char* noun, const std::string& rest) {
  std::string s = with_separators(n);
  s.append(" ").append(noun).append(n == 1 ? "" : "s").append(rest);
  return s;
}

std::string place(std::int64_t offset, bool in_converted) {
  std::string s = "byte ";
  s.append(with_separators(offset)).append(in_converted ? " of the converted text" : "");
  return s;
}

}  // namespace

std::string with_separators(std::int64_t n) {
  const std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const std::size_t left = digits.size() - i;
    if (i > 0 && left % 3 == 0 && digits[i - 1] != '-') out += ',';
    out += digits[i];
  }
  return out;
}

std::string describe_losses(const input_losses& l, const char* writes) {
  const zel_report& r = l.report;
  std::vector<std::string> parts;
  if (r.passed > 0) parts.push_back(count(r.passed, "byte", " passed through"));
  if (r.dropped > 0) parts.push_back(count(r.dropped, "byte", " dropped"));
  if (r.malformed > 0) parts.push_back(count(r.malformed, "malformed sequence", ""));
  if (r.replaced > 0) parts.push_back(count(r.replaced, "replacement character", ""));
  if (r.unmappable > 0)
    parts.push_back(count(r.unmappable, "character", std::string(" ") + writes + " cannot hold"));
  if (parts.empty()) return {};
  std::string line;
  for (const std::string& part : parts) line.append(line.empty() ? "" : ", ").append(part);
  if (r.first_offset >= 0)
    line.append(" (first at ").append(place(r.first_offset, l.first_in_converted)).append(")");
  return line;
}

std::string stop_place(const input_losses& l) {
  const zel_report& r = l.report;
  const bool alone = r.passed + r.dropped + r.malformed + r.replaced == 0;
  return (alone ? "at " : "after ") + place(r.first_offset, l.first_in_converted);
}

std::string truncation_place(const input_losses& l) {
  return place(l.report.truncated_at, l.truncated_in_converted);
}

}  // namespace zelconv
