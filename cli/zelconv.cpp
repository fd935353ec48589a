// zelconv: convert text between charsets with the zel_code library, in the
// manner of iconv(1).
//
//   zelconv -f LABEL -t TARGET [-E] [-o OUTPUT] [FILE...]
//   zelconv -f ENCODING -E [-o OUTPUT] [FILE...]
//   zelconv --big5-to-gbk | --gbk-to-big5 [-o OUTPUT] [FILE...]
//   zelconv -l
//
// Each FILE ("-" or none: standard input) is converted on its own and the
// results are written one after another. -o writes through a temporary file
// renamed at the end, so a failed run leaves no partial output.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include "src/core/charset_registry.h"
#include "zel_code.h"

namespace {

constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

using convert_fn = int(ZEL_CALL*)(int, zel_string*);
using rewrite_fn = void(ZEL_CALL*)(zel_string*);

struct target {
  const char* name;
  convert_fn convert;
  rewrite_fn decode_entities;  // null where references cannot be decoded
};

// Targets are zelconv's own names: the registry answers one id for GBK,
// GB 2312 and GB18030, so it cannot tell which output is meant.
constexpr target targets[] = {
    {"UTF-8", zel_code_utf8, zel_decode_utf8},
    {"UTF8", zel_code_utf8, zel_decode_utf8},
    {"UCS-2", zel_code_unicode, nullptr},
    {"UCS-2LE", zel_code_unicode, nullptr},
    {"GBK", zel_code_gbk, zel_decode_gbk},
    {"CP936", zel_code_gbk, zel_decode_gbk},
    {"GB18030", zel_code_gb18030, zel_decode_gb18030},
};

bool same_label(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto norm = [](char c) {
      if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
      return c == '_' ? '-' : c;
    };
    if (norm(a[i]) != norm(b[i])) return false;
  }
  return true;
}

const target* find_target(std::string_view name) {
  for (const target& t : targets)
    if (same_label(name, t.name)) return &t;
  return nullptr;
}

int charset_id(const std::string& label) {
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, label.data(), static_cast<std::int32_t>(label.size()));
  int id = zel_code_charset(&s);
  zel_string_free(&s);
  return id;
}

void usage(std::FILE* to) {
  std::fputs(
      "usage: zelconv -f LABEL -t TARGET [-E] [-o OUTPUT] [FILE...]\n"
      "       zelconv -f ENCODING -E [-o OUTPUT] [FILE...]\n"
      "       zelconv --big5-to-gbk | --gbk-to-big5 [-o OUTPUT] [FILE...]\n"
      "       zelconv -l\n"
      "  -f LABEL   source charset label (zelconv -l lists them)\n"
      "  -t TARGET  UTF-8, UCS-2 (UCS-2LE), GBK or GB18030\n"
      "  -E, --decode-entities\n"
      "             decode HTML character references (&#20013; &amp;) in UTF-8, GBK\n"
      "             or GB18030 text: the converted text with -t, else the -f text\n"
      "  --big5-to-gbk, --gbk-to-big5\n"
      "             transcode directly, traditional to simplified and back\n"
      "  -o OUTPUT  write to OUTPUT instead of standard output\n"
      "  -l         list the charset labels and their ids\n",
      to);
}

int list_labels() {
  for (const zel::charset_alias& a : zel::charset_aliases())
    std::printf("%-22s %-6s %d\n", a.name, a.prefix ? "prefix" : "exact", a.id);
  return 0;
}

bool read_all(std::FILE* f, std::string& out) {
  char buf[1 << 16];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
  return !std::ferror(f);
}

bool read_input(const std::string& path, std::string& out) {
  out.clear();
  if (path == "-") return read_all(stdin, out);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = read_all(f, out);
  int saved = errno;
  std::fclose(f);
  errno = saved;
  return ok;
}

struct options {
  std::string from, to, output;
  std::vector<std::string> files;
  bool list = false;
  bool entities = false;
  rewrite_fn transcode = nullptr;
};

// What happens to each input: a conversion, then optionally a rewrite.
struct plan {
  convert_fn convert = nullptr;
  int id = 0;
  rewrite_fn rewrite = nullptr;
};

// Returns 0 when parsed, else the exit status to leave with.
int parse(int argc, char** argv, options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string_view a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "zelconv: option %s needs a value\n", argv[i]);
        return false;
      }
      into = argv[++i];
      return true;
    };
    if (a == "-f" || a == "--from-code") {
      if (!value(o.from)) return exit_usage;
    } else if (a == "-t" || a == "--to-code") {
      if (!value(o.to)) return exit_usage;
    } else if (a == "-o" || a == "--output") {
      if (!value(o.output)) return exit_usage;
    } else if (a == "-l" || a == "--list") {
      o.list = true;
    } else if (a == "-E" || a == "--decode-entities") {
      o.entities = true;
    } else if (a == "--big5-to-gbk" || a == "--gbk-to-big5") {
      rewrite_fn fn = a == "--big5-to-gbk" ? zel_code_big5_gbk : zel_code_gbk_big5;
      if (o.transcode && o.transcode != fn) {
        std::fputs("zelconv: --big5-to-gbk and --gbk-to-big5 exclude each other\n", stderr);
        return exit_usage;
      }
      o.transcode = fn;
    } else if (a == "-h" || a == "--help") {
      usage(stdout);
      return -1;
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "zelconv: unknown option '%s'\n", argv[i]);
      usage(stderr);
      return exit_usage;
    } else {
      o.files.emplace_back(a);
    }
  }
  return 0;
}

// Returns 0 with the plan made, else the exit status to leave with.
int make_plan(const options& o, plan& p) {
  if (o.transcode) {
    if (!o.from.empty() || !o.to.empty() || o.entities) {
      std::fputs("zelconv: --big5-to-gbk and --gbk-to-big5 take no -f, -t or -E\n", stderr);
      return exit_usage;
    }
    p.rewrite = o.transcode;
    return 0;
  }
  if (o.from.empty() || (o.to.empty() && !o.entities)) {
    std::fputs("zelconv: -f LABEL and -t TARGET (or -E) are needed\n", stderr);
    usage(stderr);
    return exit_usage;
  }
  if (o.to.empty()) {
    // References alone, in the encoding -f names.
    const target* t = find_target(o.from);
    if (!t || !t->decode_entities) {
      std::fprintf(stderr, "zelconv: -E alone decodes UTF-8, GBK or GB18030 text, not '%s'\n",
                   o.from.c_str());
      return exit_usage;
    }
    p.rewrite = t->decode_entities;
    return 0;
  }
  p.id = charset_id(o.from);
  if (p.id == ZEL_CHARSET_UNKNOWN) {
    std::fprintf(stderr, "zelconv: unknown charset label '%s' (zelconv -l lists them)\n",
                 o.from.c_str());
    return exit_usage;
  }
  const target* t = find_target(o.to);
  if (!t) {
    std::fprintf(stderr, "zelconv: unsupported target '%s' (UTF-8, UCS-2, GBK or GB18030)\n",
                 o.to.c_str());
    return exit_usage;
  }
  if (o.entities && !t->decode_entities) {
    std::fprintf(stderr, "zelconv: -E cannot decode references in '%s' text\n", o.to.c_str());
    return exit_usage;
  }
  p.convert = t->convert;
  if (o.entities) p.rewrite = t->decode_entities;
  return 0;
}

// Replaces `to` with `from`. rename() on Windows refuses an existing target.
bool replace_file(const char* from, const char* to) {
#ifdef _WIN32
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  errno = EACCES;
  return false;
#else
  return std::rename(from, to) == 0;
#endif
}

int run(const options& o) {
  if (o.list) return list_labels();
  plan p;
  if (int status = make_plan(o, p)) return status;

  std::vector<std::string> files = o.files;
  if (files.empty()) files.emplace_back("-");
  std::string result, text;
  for (const std::string& path : files) {
    if (!read_input(path, text)) {
      std::fprintf(stderr, "zelconv: cannot read '%s': %s\n", path.c_str(), std::strerror(errno));
      return exit_failure;
    }
    if (text.size() > 0x7FFFFFFEu) {
      std::fprintf(stderr, "zelconv: '%s' is too large (2 GiB at most)\n", path.c_str());
      return exit_failure;
    }
    zel_string s;
    zel_string_init(&s);
    zel_string_assign(&s, text.data(), static_cast<std::int32_t>(text.size()));
    if (p.convert) p.convert(p.id, &s);
    if (p.rewrite) p.rewrite(&s);
    result.append(s.data, static_cast<std::size_t>(s.length > 0 ? s.length : 0));
    zel_string_free(&s);
  }

  if (o.output.empty() || o.output == "-") {
    if (std::fwrite(result.data(), 1, result.size(), stdout) != result.size() ||
        std::fflush(stdout) != 0) {
      std::fprintf(stderr, "zelconv: cannot write output: %s\n", std::strerror(errno));
      return exit_failure;
    }
    return 0;
  }
  std::string temp = o.output + ".zelconv-tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  bool ok = f && std::fwrite(result.data(), 1, result.size(), f) == result.size();
  int saved = errno;
  if (f && std::fclose(f) != 0) ok = false, saved = errno;
  if (ok && !replace_file(temp.c_str(), o.output.c_str())) ok = false, saved = errno;
  if (!ok) {
    std::remove(temp.c_str());
    std::fprintf(stderr, "zelconv: cannot write '%s': %s\n", o.output.c_str(),
                 std::strerror(saved));
    return exit_failure;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Text is bytes here: in text mode Windows would write LF as CR LF and
  // end input at the first 0x1A byte.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  options o;
  int parsed = parse(argc, argv, o);
  if (parsed) return parsed < 0 ? 0 : parsed;
  return run(o);
}
