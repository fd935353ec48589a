#include "cli/plan.h"

#include <cstdio>
#include <cstring>
#include <new>
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

// Splits iconv's "//TRANSLIT" and "//IGNORE" endings off a target and sets
// `chosen` to what they choose (-1 for nothing): //IGNORE drops what the
// target lacks, whatever comes with it; //TRANSLIT alone substitutes, as
// zelconv has no transliteration. Returns false for an ending iconv does not
// know either.
bool strip_suffixes(std::string& to, int& chosen) {
  chosen = -1;
  const std::size_t at = to.find("//");
  if (at == std::string::npos) return true;
  const std::string suffixes = to.substr(at);
  for (std::size_t i = 0; i < suffixes.size();) {
    std::size_t next = suffixes.find("//", i + 2);
    if (next == std::string::npos) next = suffixes.size();
    const std::string word = upper(std::string_view(suffixes).substr(i + 2, next - i - 2));
    if (word == "IGNORE")
      chosen = ZEL_UNMAPPABLE_SKIP;
    else if (word == "TRANSLIT" && chosen < 0)
      chosen = ZEL_UNMAPPABLE_SUBSTITUTE;
    else if (word != "TRANSLIT" && !word.empty())
      return false;
    i = next;
  }
  to.erase(at);
  return true;
}

int source_usage(source_error e, const std::string& from, const source& s) {
  switch (e) {
    case source_error::unknown_label:
    case source_error::refused_label:
      return usage(label_trouble("source charset", from));
    case source_error::bad_number:
      return usage("'" + from + "' is not a charset id (#1 to #59)");
    case source_error::no_decoder:
      return usage("source charset '" + from + "' (id " + std::to_string(s.id) +
                   ") has no decoder (see 'zelconv --list')");
    case source_error::none:
      break;
  }
  return 0;
}

int target_usage(target_error e, const std::string& to) {
  switch (e) {
    case target_error::unknown_label:
    case target_error::refused_label:
      return usage(label_trouble("target charset", to));
    case target_error::bad_number:
      return usage("'" + to + "' is not a charset id (#1 to #59)");
    case target_error::no_encoder:
      return usage("target charset '" + to + "' cannot be written (see 'zelconv --list')");
    case target_error::none:
      break;
  }
  return 0;
}

// -c and the //-endings choose what becomes of a character the target
// lacks the way iconv does (dropping wins), --unmappable zelconv's way; the
// two must agree. -t GBK keeps the GBK stream's space: another choice of
// --unmappable is an error, while iconv's ways of asking to drop are only
// warned about, so that iconv command lines still run.
int unmappable_usage(const options& o, int suffix, plan& p) {
  constexpr const char* names[] = {"substitute", "skip", "ncr", "stop"};
  const int chosen = o.omit_invalid ? ZEL_UNMAPPABLE_SKIP : suffix;
  int asked = -1;
  for (int i = 0; i < 4; ++i)
    if (o.unmappable == names[i]) asked = i;
  if (asked >= 0 && chosen >= 0 && asked != chosen)
    return usage("--unmappable=" + o.unmappable + " disagrees with -c, //IGNORE or //TRANSLIT");
  if (p.to->stream) {
    if (asked > ZEL_UNMAPPABLE_SUBSTITUTE)
      return usage("-t GBK writes a space for what GBK lacks and takes no --unmappable=" +
                   o.unmappable + " (-t GB18030 holds every character)");
    if (chosen == ZEL_UNMAPPABLE_SKIP && !o.silent)
      std::fprintf(stderr,
                   "zelconv: warning: -t GBK writes a space for what GBK lacks, whatever -c or "
                   "//IGNORE say (-t GB18030 holds every character)\n");
    return 0;
  }
  p.unmappable = asked >= 0 ? asked : chosen >= 0 ? chosen : ZEL_UNMAPPABLE_SUBSTITUTE;
  return 0;
}

// The mark each output starts with: the target's own, or --add-bom's.
int mark_usage(const options& o, plan& p, const target& written) {
  if (written.marked || o.add_bom) {
    if (written.mark.empty())
      return usage("--add-bom writes a mark in Unicode output, not in " + written.name);
    p.mark = written.mark;
    p.drop_mark = !o.keep_bom;  // the output starts with just one
  }
  return 0;
}

}  // namespace

int make_plan(const options& o, plan& p) {
  if (o.big5_to_gbk || o.gbk_to_big5) {
    if (!o.from.empty() || !o.to.empty() || o.entities || !o.unmappable.empty())
      return usage("--big5-to-gbk and --gbk-to-big5 take no -f, -t, -E or --unmappable");
    p.rewrite = o.big5_to_gbk ? ZEL_STREAM_BIG5_TO_GBK : ZEL_STREAM_GBK_TO_BIG5;
    p.writes = o.big5_to_gbk ? "GBK" : "Big5";
    if (o.add_bom) return usage("--add-bom writes no mark in " + p.writes + " output");
    return 0;
  }
  if (o.from.empty()) return usage("-f LABEL is needed (see 'zelconv --help')");
  if (o.to.empty() && o.entities) {
    // References alone, in the encoding -f names.
    target t;
    if (parse_target(o.from, t) != target_error::none || !t.references)
      return usage("-E alone decodes UTF-8, GBK or GB18030 text, not '" + o.from + "'");
    if (!o.unmappable.empty()) return usage("--unmappable needs a conversion (-t)");
    p.rewrite = t.references;
    p.text_id = t.id;
    p.writes = t.name;
    p.drop_mark = t.drops_mark && !o.keep_bom;
    return o.add_bom ? mark_usage(o, p, t) : 0;
  }
  if (int status = source_usage(parse_source(o.from, p.from), o.from, p.from)) return status;
  std::string to = o.to.empty() ? "UTF-8" : o.to;
  int suffix = -1;
  if (!strip_suffixes(to, suffix)) return usage("unknown suffix in target '" + o.to + "'");
  p.to.emplace();
  if (int status = target_usage(parse_target(to, *p.to), to)) return status;
  if (p.to->stream && p.from.id >= ZEL_CHARSET_UTF32)
    return usage("-t GBK reads no UTF-32 (-t GB18030 does)");
  if (int status = unmappable_usage(o, suffix, p)) return status;
  p.writes = p.to->name;
  p.text_id = p.from.id;
  // UTF-8-SIG and "auto" name text whose mark is no character of it.
  p.drop_mark =
      (p.to->drops_mark && !o.keep_bom) || p.from.how == source::kind::sniffed || p.from.marked();
  if (o.entities) {
    if (!p.to->references) return usage("-E cannot decode references in " + p.to->name + " text");
    p.rewrite = p.to->references;
  }
  return mark_usage(o, p, *p.to);
}

std::size_t mark_to_drop(const plan& p, int id, const std::uint8_t* data, std::size_t n) {
  if (!p.drop_mark) return 0;
  const std::string_view mark = source_mark(id);
  if (mark.empty() || n < mark.size() || std::memcmp(data, mark.data(), mark.size()) != 0) return 0;
  return mark.size();
}

namespace {

zel_stream* open_stream(int kind, int id) {
  zel_stream* s = zel_stream_open(kind | ZEL_STREAM_REPORT, id, nullptr);
  if (!s) throw std::bad_alloc();
  return s;
}

// The plan's conversion of text of the id, null when it has none.
zel_stream* open_conversion(const plan& p, int id) {
  if (!p.to) return nullptr;
  if (p.to->stream) return open_stream(p.to->stream, id);
  zel_stream* s = zel_stream_open_convert(id, p.to->id, p.unmappable | ZEL_STREAM_REPORT, nullptr);
  if (!s) throw std::bad_alloc();
  return s;
}

std::int32_t length(const zel_string& s) { return s.length > 0 ? s.length : 0; }

}  // namespace

pipeline::pipeline(const plan& p, int id, std::int64_t skipped, emit_fn emit)
    : plan_(p), skipped_(skipped), emit_(std::move(emit)) {
  zel_string_init(&converted_);
  zel_string_init(&out_);
  convert_ = open_conversion(p, id);
  try {
    if (p.rewrite) rewrite_ = open_stream(p.rewrite, 0);
  } catch (...) {
    zel_stream_free(convert_);
    throw;
  }
}

pipeline::~pipeline() {
  zel_stream_free(convert_);
  zel_stream_free(rewrite_);
  zel_string_free(&converted_);
  zel_string_free(&out_);
}

void pipeline::reopen(int id, std::int64_t at) {
  zel_stream* next = open_conversion(plan_, id);
  zel_stream_free(convert_);
  convert_ = next;
  skipped_ = at;
}

feed_status pipeline::feed(const std::uint8_t* data, std::size_t n, bool last) {
  // Blocks are far below 2 GiB (largest_block_size), and so is what the
  // conversion makes of one.
  const auto* bytes = reinterpret_cast<const char*>(data);
  const auto size = static_cast<std::int32_t>(n);
  int result = ZEL_RESULT_OK;
  if (convert_ && rewrite_) {
    result = zel_stream_feed(convert_, bytes, size, last, &converted_);
    if (result == ZEL_RESULT_OK)
      result = zel_stream_feed(rewrite_, converted_.data, length(converted_), last, &out_);
    zel_string_set_length(&converted_, 0);
  } else {
    result = zel_stream_feed(convert_ ? convert_ : rewrite_, bytes, size, last, &out_);
  }
  // Each feed's output is written and cleared, so the string never nears its
  // limit; should it, the text is not written cut. A stop leaves the
  // string as it was before the feed.
  if (result == ZEL_RESULT_UNMAPPABLE) return feed_status::stopped;
  if (result != ZEL_RESULT_OK) return feed_status::output_full;
  const bool written = emit_(reinterpret_cast<const std::uint8_t*>(out_.data),
                             static_cast<std::size_t>(length(out_)));
  zel_string_set_length(&out_, 0);
  return written ? feed_status::ok : feed_status::write_failed;
}

input_losses pipeline::losses() const {
  input_losses l;
  if (convert_) {
    zel_stream_report(convert_, &l.report);
    if (l.report.first_offset >= 0) l.report.first_offset += skipped_;
    if (l.report.truncated_at >= 0) l.report.truncated_at += skipped_;
  }
  if (!rewrite_) return l;
  zel_report more;
  zel_stream_report(rewrite_, &more);
  if (!convert_) {
    l.report = more;
    l.report.first_offset = more.first_offset >= 0 ? more.first_offset + skipped_ : -1;
    l.report.truncated_at = more.truncated_at >= 0 ? more.truncated_at + skipped_ : -1;
    return l;
  }
  l.report.passed += more.passed;
  l.report.dropped += more.dropped;
  l.report.replaced += more.replaced;
  l.report.unmappable += more.unmappable;
  l.report.malformed += more.malformed;
  if (l.report.first_offset < 0 && more.first_offset >= 0) {
    l.report.first_offset = more.first_offset;
    l.first_in_converted = true;
  }
  if (!l.report.truncated && more.truncated) {
    l.report.truncated = 1;
    l.report.truncated_at = more.truncated_at;
    l.truncated_in_converted = true;
  }
  return l;
}

}  // namespace zelconv
