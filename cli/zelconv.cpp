// zelconv: convert text between charsets with the zel_code library, in the
// manner of iconv(1). Options are in options.cpp, what each input goes
// through in plan.cpp, and where output goes in output.cpp.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/charsets.h"
#include "cli/detect.h"
#include "cli/losses.h"
#include "cli/native.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/plan.h"
#include "cli/progress.h"

namespace zelconv {
namespace {

constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

enum class outcome { ok, unreadable, truncated, lossy, unwritable };

int resolve(const std::string& label) {
  source s;
  const source_error e = parse_source(label, s);
  // An id the library has no charset for (#0, #56, #99) names nothing either.
  const bool unnamed = e == source_error::unknown_label || e == source_error::refused_label;
  if (unnamed || e == source_error::bad_number || s.how == source::kind::sniffed ||
      !charset_name(s.id)) {
    const std::string trouble = unnamed ? label_trouble("charset", label)
                                        : "unknown charset '" + label + "' (see 'zelconv --list')";
    std::fprintf(stderr, "zelconv: %s\n", trouble.c_str());
    return exit_usage;
  }
  if (s.how == source::kind::label && s.label.note)
    std::printf("%d %s (%s)\n", s.id, charset_name(s.id), s.label.note);
  else
    std::printf("%d %s\n", s.id, charset_name(s.id));
  return 0;
}

// After an input converted to its end: what it lost is a warning, or with
// --strict an error that fails it.
outcome check_losses(const input& in, const plan& p, const options& o, const input_losses& l) {
  const std::string what = describe_losses(l, p.writes.c_str());
  if (what.empty()) return outcome::ok;
  if (o.strict) {
    std::fprintf(stderr, "zelconv: cannot convert %s faithfully: %s\n", in.describe().c_str(),
                 what.c_str());
    return outcome::lossy;
  }
  if (!o.silent)
    std::fprintf(stderr, "zelconv: warning: %s: %s\n", in.describe().c_str(), what.c_str());
  return outcome::ok;
}

// The first read's size: what the input needs, up to a block, and at least
// the longest byte-order mark. Reads that fill it double it up to a block.
std::size_t first_read(std::size_t block, std::uint64_t known_size) {
  constexpr std::size_t longest_mark = 4;
  constexpr std::size_t unknown_start = std::size_t{64} << 10;
  // One byte past a known size sees the end in the first read.
  const std::uint64_t want = known_size ? known_size + 1 : unknown_start;
  return std::max(longest_mark, static_cast<std::size_t>(std::min<std::uint64_t>(want, block)));
}

// The prefix -f auto reads to guess from: one byte past a known size sees
// the end in that read.
std::size_t guess_size(std::uint64_t known_size) {
  return known_size
             ? static_cast<std::size_t>(std::min<std::uint64_t>(known_size + 1, guess_prefix))
             : guess_prefix;
}

// Converts one input into `out`. Messages about the input are printed here;
// a failed write is left to the caller, which knows what it writes to.
outcome convert_file(const std::string& path, const plan& p, const options& o, output& out) {
  input in;
  if (!in.open(path)) {
    std::fprintf(stderr, "zelconv: cannot read %s: %s\n", in.describe().c_str(),
                 std::strerror(in.error()));
    return outcome::unreadable;
  }
  if (o.verbose) std::fprintf(stderr, "zelconv: converting %s\n", in.describe().c_str());
  // A bar between lines of converted text on the same terminal would garble
  // both.
  const bool show = stderr_is_terminal() && !(out.is_stdout() && stdout_is_terminal());
  progress bar(show, path == "-" ? "standard input" : path, in.size());
  const auto unreadable = [&] {
    bar.done();
    std::fprintf(stderr, "zelconv: cannot read %s: %s\n", in.describe().c_str(),
                 std::strerror(in.error()));
    return outcome::unreadable;
  };
  std::optional<pipeline> stages;
  int source_id = 0;
  feed_status status = feed_status::ok;
  bool at_end = false;
  std::uint64_t offset = 0;  // of the next byte read
  // The first bytes choose the source; they are converted first, whatever
  // their number, and the blocks follow.
  const auto start_with = [&](const std::uint8_t* start, std::size_t got, int id) {
    const std::size_t skip = mark_to_drop(p, id, start, got);
    stages.emplace(p, id, static_cast<std::int64_t>(skip),
                   [&out](const std::uint8_t* data, std::size_t n) { return out.write(data, n); });
    source_id = id;
    status = stages->feed(start + skip, got - skip, at_end);
  };
  std::optional<seven_bit_text> seven_bit;
  // The first byte after the 7-bit text, at input offset `at`: it and what
  // follows, up to a guess's prefix, are guessed from and converted.
  const auto guess_again = [&](const std::uint8_t* rest, std::size_t n, std::uint64_t at) {
    std::vector<std::uint8_t> sample(rest, rest + n);
    if (!at_end && n < guess_prefix) {
      sample.resize(guess_prefix);
      const std::size_t more = in.read(sample.data() + n, guess_prefix - n);
      if (in.failed()) return false;
      at_end = n + more < guess_prefix;
      sample.resize(n + more);
      bar.advance(more);
    }
    const zel_guess g = guess_charset(sample.data(), sample.size());
    const bool taken =
        g.id != ZEL_CHARSET_UNKNOWN && g.id != source_id && seven_bit->read_alike(g.id);
    if (o.verbose) {
      const std::string kept = ", which reads the 7-bit text before it otherwise: reading on as ";
      std::fprintf(stderr, "zelconv: %s: from byte %s on, guessed %s%s\n", in.describe().c_str(),
                   with_separators(static_cast<std::int64_t>(at)).c_str(),
                   describe_guess(g, true).c_str(),
                   taken || g.id == source_id ? "" : (kept + label_of(source_id)).c_str());
    }
    if (taken) stages->reopen(g.id, static_cast<std::int64_t>(at));
    seven_bit.reset();
    status = stages->feed(sample.data(), sample.size(), at_end);
    return true;
  };
  std::vector<std::uint8_t> buffer(first_read(o.block_size, in.size()));
  if (p.from.how == source::kind::sniffed) {
    std::vector<std::uint8_t> prefix;
    if (!read_for_guess(in, prefix, guess_size(in.size()), at_end)) return unreadable();
    const std::size_t got = prefix.size();
    bar.advance(got);
    zel_guess g = guess_charset(prefix.data(), got);
    if (o.verbose)
      std::fprintf(stderr, "zelconv: %s: guessed %s\n", in.describe().c_str(),
                   describe_guess(g, true).c_str());
    if (g.id == ZEL_CHARSET_UNKNOWN && (g.reason == ZEL_DETECT_BINARY || !g.runner_up)) {
      bar.done();
      std::fprintf(stderr, "zelconv: %s: binary data, no charset to read it from (-f names one)\n",
                   in.describe().c_str());
      return outcome::unreadable;
    }
    if (g.id == ZEL_CHARSET_UNKNOWN) {
      // No charset reads it well: the least bad one, said aloud.
      std::fprintf(stderr, "zelconv: %s: no charset reads it well; reading it as %s\n",
                   in.describe().c_str(), label_of(g.runner_up).c_str());
      g.id = g.runner_up;
    }
    if (g.reason == ZEL_DETECT_ASCII && !at_end) {
      seven_bit.emplace();
      seven_bit->extent(prefix.data(), got);
    }
    start_with(prefix.data(), got, auto_charset(g, prefix.data(), got));
    offset = got;
  }
  const std::size_t largest = std::max(buffer.size(), o.block_size);
  while (!at_end && status == feed_status::ok) {
    const std::size_t got = in.read(buffer.data(), buffer.size());
    if (in.failed()) return unreadable();
    at_end = got < buffer.size();
    bar.advance(got);
    const std::size_t plain = seven_bit ? seven_bit->extent(buffer.data(), got) : got;
    if (!stages)
      start_with(buffer.data(), got, p.text_id);
    else
      status = stages->feed(buffer.data(), plain, at_end && plain == got);
    if (plain < got && status == feed_status::ok &&
        !guess_again(buffer.data() + plain, got - plain, offset + plain))
      return unreadable();
    offset += got;
    if (!at_end && buffer.size() < largest) buffer.resize(std::min(largest, 2 * buffer.size()));
  }
  bar.done();
  if (status == feed_status::write_failed) return outcome::unwritable;
  const input_losses losses = stages->losses();
  if (status == feed_status::output_full) {
    std::fprintf(stderr,
                 "zelconv: cannot convert %s: its output from %s on passes the longest "
                 "string one call returns (2,147,483,646 bytes)\n",
                 in.describe().c_str(), truncation_place(losses).c_str());
    return outcome::truncated;
  }
  if (status == feed_status::stopped) {
    std::fprintf(stderr, "zelconv: cannot convert %s: a character %s cannot hold %s\n",
                 in.describe().c_str(), p.writes.c_str(), stop_place(losses).c_str());
    return outcome::lossy;
  }
  return check_losses(in, p, o, losses);
}

void report_unwritable(const output& out) {
  std::fprintf(stderr, "zelconv: cannot write %s: %s\n", out.describe().c_str(),
               std::strerror(out.error()));
}

// Each output starts with the plan's mark, if any.
bool start_output(output& out, const plan& p) {
  return p.mark.empty() ||
         out.write(reinterpret_cast<const std::uint8_t*>(p.mark.data()), p.mark.size());
}

// The files named, each file once: a second name for one file (the same
// path again, or a link to it) would convert its conversion.
std::vector<std::string> distinct_files(const std::vector<std::string>& files) {
  std::vector<std::string> out;
  std::vector<file_id> seen;
  for (const std::string& path : files) {
    file_id id;
    if (identify(path, id)) {
      if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
      seen.push_back(id);
    }
    out.push_back(path);
  }
  return out;
}

// Each file is replaced by its own conversion; a failure leaves it as it was.
int convert_in_place(const options& o, const plan& p) {
  int status = 0;
  for (const std::string& path : distinct_files(o.files)) {
    // A pipe or a device has no contents to replace, and opening a pipe
    // would wait for its other end.
    file_stat st;
    if (stat_path(path, st) && !is_regular(st)) {
      std::fprintf(stderr, "zelconv: cannot replace '%s': not a regular file\n", path.c_str());
      status = exit_failure;
      continue;
    }
    output out;
    if (!out.open(path) || !start_output(out, p)) {
      report_unwritable(out);
      out.abandon();
      status = exit_failure;
      continue;
    }
    const outcome r = convert_file(path, p, o, out);
    if (r == outcome::unwritable) report_unwritable(out);
    if (r != outcome::ok) {
      out.abandon();
      status = exit_failure;
    } else if (!out.commit()) {
      report_unwritable(out);
      status = exit_failure;
    }
  }
  return status;
}

// All files into one output; a temporary output is kept only when every
// file converted.
int convert_files(const options& o, const plan& p) {
  output out;
  if (!out.open(o.output) || !start_output(out, p)) {
    report_unwritable(out);
    out.abandon();
    return exit_failure;
  }
  std::vector<std::string> files = o.files;
  if (files.empty()) files.emplace_back("-");
  bool failed = false;
  for (const std::string& path : files) {
    const outcome r = convert_file(path, p, o, out);
    if (r == outcome::unwritable) {
      report_unwritable(out);
      out.abandon();
      return exit_failure;
    }
    failed = failed || r != outcome::ok;
  }
  if (failed) {
    out.abandon();
    return exit_failure;
  }
  if (!out.commit()) {
    report_unwritable(out);
    return exit_failure;
  }
  return 0;
}

int run(const options& o) {
  if (o.list) {
    print_labels(stdout);
    return std::fflush(stdout) == 0 ? 0 : exit_failure;
  }
  if (!o.resolve.empty()) return resolve(o.resolve);
  if (o.detect) return detect_files(o);
  plan p;
  if (int status = make_plan(o, p)) return status;
  if (o.in_place) {
    for (const std::string& path : o.files) {
      if (path == "-") {
        std::fputs("zelconv: --in-place cannot replace standard input\n", stderr);
        return exit_usage;
      }
    }
    if (o.files.empty()) {
      std::fputs("zelconv: --in-place needs the files to replace\n", stderr);
      return exit_usage;
    }
    return convert_in_place(o, p);
  }
  return convert_files(o, p);
}

}  // namespace
}  // namespace zelconv

namespace {

int run_command_line(int argc, char** argv) {
  zelconv::options o;
  const int parsed = zelconv::parse_options(argc, argv, o);
  if (parsed >= 0) return parsed;
  try {
    return zelconv::run(o);
  } catch (const std::bad_alloc&) {
    std::fputs("zelconv: out of memory\n", stderr);
    return 1;
  }
}

}  // namespace

#ifdef _WIN32
// The wide-character entry point: the narrow one would get the arguments in
// the ANSI code page, which cannot spell most file names. They go on as
// UTF-8, which the file calls turn back into wide names.
int wmain(int argc, wchar_t** wargv) {
  // Text is bytes here: in text mode Windows would write LF as CR LF and
  // end input at the first 0x1A byte.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args = zelconv::utf8_arguments(argc, wargv);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return run_command_line(argc, argv.data());
}
#else
int main(int argc, char** argv) { return run_command_line(argc, argv); }
#endif
