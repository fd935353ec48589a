// zelconv: convert text between charsets with the zel_code library, in the
// manner of iconv(1). Options are in options.cpp, what each input goes
// through in plan.cpp, and how a stream is cut into pieces that convert as
// the whole would in chunking.cpp.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/charsets.h"
#include "cli/losses.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/plan.h"
#include "cli/progress.h"

namespace zelconv {
namespace {

constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

enum class outcome { ok, unreadable, too_large, truncated, lossy, unwritable };

int resolve(const std::string& label) {
  source s;
  const source_error e = parse_source(label, s);
  if (e == source_error::unknown_label || e == source_error::bad_number ||
      s.how == source::kind::sniffed) {
    std::fprintf(stderr, "zelconv: unknown charset '%s' (see 'zelconv --list')\n", label.c_str());
    return exit_usage;
  }
  std::printf("%d %s\n", s.id, charset_name(s.id));
  return 0;
}

// After an input converted to its end: what it lost is a warning, or with
// --strict an error that fails it.
outcome check_losses(const input& in, const plan& p, const options& o, const input_losses& l) {
  const std::string what = describe_losses(l, p.writes);
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
  const std::size_t block = o.block_size;
  // A bar between lines of converted text on the same terminal would garble
  // both.
  const bool show = stderr_is_terminal() && !(out.is_stdout() && stdout_is_terminal());
  progress bar(show, path == "-" ? "standard input" : path, in.size());
  // At least the longest byte-order mark is read first, for "auto".
  std::vector<std::uint8_t> buffer(std::max<std::size_t>(block, 4));
  std::optional<pipeline> stages;
  piece_status status = piece_status::ok;
  bool at_end = false;
  while (!at_end && status == piece_status::ok) {
    std::size_t got = in.read(buffer.data(), buffer.size());
    at_end = got < buffer.size();
    bar.advance(got);
    const std::uint8_t* start = buffer.data();
    if (!stages) {
      int id = p.from.id;
      std::size_t skip = 0;
      if (p.to && p.from.how == source::kind::sniffed) {
        id = sniff_charset(start, got, skip);
        start += skip;
        got -= skip;
      }
      stages.emplace(
          p, id, block,
          [&out](const std::uint8_t* data, std::size_t n) { return out.write(data, n); },
          static_cast<std::int64_t>(skip));
    }
    if (got > 0) status = stages->push(start, got);
  }
  if (status == piece_status::ok) {
    if (in.failed()) {
      bar.done();
      std::fprintf(stderr, "zelconv: cannot read %s: %s\n", in.describe().c_str(),
                   std::strerror(in.error()));
      return outcome::unreadable;
    }
    status = stages->finish();
  }
  bar.done();
  if (status == piece_status::write_failed) return outcome::unwritable;
  if (status == piece_status::too_large) {
    std::fprintf(stderr,
                 "zelconv: cannot convert %s: it has no point where it can be cut into "
                 "pieces and is too large for one call\n",
                 in.describe().c_str());
    return outcome::too_large;
  }
  const input_losses losses = stages->losses();
  if (status == piece_status::truncated) {
    std::fprintf(stderr,
                 "zelconv: cannot convert %s: its output from %s on passes the longest "
                 "string one call returns (2,147,483,646 bytes)\n",
                 in.describe().c_str(), truncation_place(losses).c_str());
    return outcome::truncated;
  }
  return check_losses(in, p, o, losses);
}

void report_unwritable(const output& out) {
  std::fprintf(stderr, "zelconv: cannot write %s: %s\n", out.describe().c_str(),
               std::strerror(out.error()));
}

// Each file is replaced by its own conversion; a failure leaves it as it was.
int convert_in_place(const options& o, const plan& p) {
  int status = 0;
  for (const std::string& path : o.files) {
    output out;
    if (!out.open(path)) {
      report_unwritable(out);
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
  if (!out.open(o.output)) {
    report_unwritable(out);
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

int main(int argc, char** argv) {
#ifdef _WIN32
  // Text is bytes here: in text mode Windows would write LF as CR LF and
  // end input at the first 0x1A byte.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  zelconv::options o;
  const int parsed = zelconv::parse_options(argc, argv, o);
  if (parsed >= 0) return parsed;
  return zelconv::run(o);
}
