#include "cli/plan.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "zel_code.h"

namespace zelconv {
namespace {

constexpr int usage_error = 2;

int usage(const std::string& message) {
  std::fprintf(stderr, "zelconv: %s\n", message.c_str());
  return usage_error;
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// Splits iconv's "//TRANSLIT" and "//IGNORE" endings off a target, with one
// line of warning. Returns false for an ending iconv does not know either.
bool strip_suffixes(std::string& to, bool silent) {
  const std::size_t at = to.find("//");
  if (at == std::string::npos) return true;
  const std::string suffixes = to.substr(at);
  for (std::size_t i = 0; i < suffixes.size();) {
    std::size_t next = suffixes.find("//", i + 2);
    if (next == std::string::npos) next = suffixes.size();
    const std::string word = upper(std::string_view(suffixes).substr(i + 2, next - i - 2));
    if (word != "TRANSLIT" && word != "IGNORE" && !word.empty()) return false;
    i = next;
  }
  if (!silent)
    std::fprintf(stderr, "zelconv: warning: ignoring %s: what the target lacks becomes a space\n",
                 suffixes.c_str());
  to.erase(at);
  return true;
}

// References: utf8_writer and gbk_writer never write more than the three
// bytes of the shortest reference, gb18030_writer four.
step references_step(const target& t) {
  return rewrite_step(t.decode_references, std::max<std::size_t>(t.reference_bytes, 3), 3);
}

int source_usage(source_error e, const std::string& from, const source& s) {
  switch (e) {
    case source_error::unknown_label:
      return usage("unknown source charset '" + from + "' (see 'zelconv --list')");
    case source_error::bad_number:
      return usage("'" + from + "' is not a charset id (#1 to #55)");
    case source_error::no_decoder:
      return usage("source charset '" + from + "' (id " + std::to_string(s.id) +
                   ") has no decoder (see 'zelconv --list')");
    case source_error::none:
      break;
  }
  return 0;
}

}  // namespace

int make_plan(const options& o, plan& p) {
  if (o.big5_to_gbk || o.gbk_to_big5) {
    if (!o.from.empty() || !o.to.empty() || o.entities)
      return usage("--big5-to-gbk and --gbk-to-big5 take no -f, -t or -E");
    if (o.big5_to_gbk) {
      p.rewrite = rewrite_step(zel_code_big5_gbk_report, 1, 1);
      p.rewrite_rule = big5_to_gbk_rule();
      p.writes = "GBK";
    } else {
      p.rewrite = rewrite_step(zel_code_gbk_big5_report, 1, 1);
      p.rewrite_rule = gbk_to_big5_rule();
      p.writes = "Big5";
    }
    return 0;
  }
  if (o.from.empty() || (o.to.empty() && !o.entities))
    return usage("-f LABEL and -t TARGET (or -E) are needed (see 'zelconv --help')");
  if (o.to.empty()) {
    // References alone, in the encoding -f names.
    const target* t = find_target(o.from);
    if (!t || !t->decode_references)
      return usage("-E alone decodes UTF-8, GBK or GB18030 text, not '" + o.from + "'");
    p.rewrite = references_step(*t);
    p.rewrite_rule = reference_rule();
    p.writes = t->name;
    return 0;
  }
  if (int status = source_usage(parse_source(o.from, p.from), o.from, p.from)) return status;
  std::string to = o.to;
  if (!strip_suffixes(to, o.silent)) return usage("unknown suffix in target '" + o.to + "'");
  p.to = find_target(to);
  if (!p.to) return usage("unsupported target charset '" + o.to + "' (" + target_names() + ")");
  p.writes = p.to->name;
  if (o.entities) {
    if (!p.to->decode_references)
      return usage(std::string("-E cannot decode references in ") + p.to->name + " text");
    p.rewrite = references_step(*p.to);
    p.rewrite_rule = reference_rule();
  }
  return 0;
}

pipeline::pipeline(const plan& p, int id, std::size_t block, chunked_stage::emit_fn emit,
                   std::int64_t skipped) {
  if (p.rewrite) rewrite_.emplace(*p.rewrite, p.rewrite_rule, block, std::move(emit));
  if (!p.to) return;
  chunked_stage::emit_fn into_rewrite;
  if (rewrite_) {
    into_rewrite = [this](const std::uint8_t* data, std::size_t n) {
      rewrite_status_ = rewrite_->push(data, n);
      return rewrite_status_ == piece_status::ok;
    };
  } else {
    into_rewrite = std::move(emit);
  }
  convert_.emplace(conversion_step(p.to->convert, id, p.to->unit_bytes), charset_rule(id), block,
                   std::move(into_rewrite), skipped);
}

piece_status pipeline::push(const std::uint8_t* data, std::size_t n) {
  if (!convert_) return rewrite_->push(data, n);
  const piece_status s = convert_->push(data, n);
  return s == piece_status::write_failed && rewrite_ ? rewrite_status_ : s;
}

piece_status pipeline::finish() {
  if (convert_) {
    const piece_status s = convert_->finish();
    if (s != piece_status::ok)
      return s == piece_status::write_failed && rewrite_ ? rewrite_status_ : s;
  }
  return rewrite_ ? rewrite_->finish() : piece_status::ok;
}

input_losses pipeline::losses() const {
  input_losses l;
  if (convert_) l.report = convert_->report();
  if (!rewrite_) return l;
  const bool had_first = l.report.first_offset >= 0;
  const bool had_truncation = l.report.truncated != 0;
  add_report(l.report, rewrite_->report(), 0);
  l.first_in_converted = convert_ && !had_first && l.report.first_offset >= 0;
  l.truncated_in_converted = convert_ && !had_truncation && l.report.truncated;
  return l;
}

}  // namespace zelconv
