#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>

namespace zelconv {
namespace {

constexpr const char* description =
    "zelconv converts text between any two of 57 charsets (UTF-8 when -t is\n"
    "not given), keeping every character both can hold, transcodes Big5 and\n"
    "GBK into each other, decodes HTML character references, and guesses the\n"
    "charset of a text. Each FILE (standard input when none is given, or for\n"
    "'-') is converted on its own; the results follow one another. Malformed\n"
    "input is not an error: each malformed sequence becomes U+FFFD, and a\n"
    "warning after the file counts what was lost (see Losses below).\n";

constexpr const char* footer =
    "Charsets:\n"
    "  The source charset is any label that 'zelconv --list' shows, #N for\n"
    "  the charset id N, or auto (see Guessing below). Labels are the\n"
    "  library's, matched whole, without regard to case, '-', '_', '.' and\n"
    "  spaces; an unknown one gets a suggestion. The target is any of them\n"
    "  but auto, UTF-8 when -t is not given. GBK, CP936, MS936 and\n"
    "  WINDOWS-936 write GBK, GB2312 writes EUC-CN and GB18030 writes GB18030,\n"
    "  although all of them read GB18030. UTF-16 and UTF-32 write a mark and\n"
    "  then big-endian text; UTF-8-SIG writes UTF-8 after a mark.\n"
    "\n"
    "  UTF-8-SIG is UTF-8 whose leading byte-order mark is dropped. Shift_JIS\n"
    "  reads 0x5C and 0x7E as the yen sign and the overline (JIS X 0201\n"
    "  Roman); CP932 (Windows-31J) reads them as ASCII, with the NEC and IBM\n"
    "  rows. Labels of charsets the library lacks (Big5-HKSCS, ISO-2022-JP-2,\n"
    "  Shift_JISX0213) are refused. 'zelconv --list' shows these labels with\n"
    "  their notes after the others.\n"
    "\n"
    "Characters the target lacks:\n"
    "  --unmappable chooses what becomes of each: substitute (the default)\n"
    "  writes '?', or U+FFFD in UCS-2LE; skip writes nothing; ncr writes a\n"
    "  character reference such as &#128512;; stop fails the input at the\n"
    "  first one (exit 1). -c and iconv's //IGNORE after the target mean\n"
    "  skip, and //TRANSLIT means substitute: zelconv transliterates nothing.\n"
    "  Malformed input is not dropped by -c: it still becomes U+FFFD. -t GBK\n"
    "  writes a space for each character GBK lacks: it takes no other\n"
    "  --unmappable, and warns when -c or //IGNORE cannot drop them.\n"
    "\n"
    "Guessing:\n"
    "  -f auto guesses each input's charset from its first 64 KiB with the\n"
    "  library's detector (reading on, up to 16 MiB, while all is 7-bit\n"
    "  text), then converts all of it from the guess. Past 16 MiB of 7-bit\n"
    "  text, which tells nothing, the first other byte is guessed again, and\n"
    "  that guess converts the rest when it reads the 7-bit text alike. A\n"
    "  byte-order mark decides first, then the text's structure (well-formed\n"
    "  UTF-8 or UTF-16, ISO-2022 escapes, the byte sequences each multi-byte\n"
    "  charset allows), then how often each character and pair of characters\n"
    "  occurs in real text. Text of 7-bit bytes alone is UTF-8. --verbose\n"
    "  prints the guess on standard error. A guess can be wrong, all the more\n"
    "  for short inputs: name the charset when it is known.\n"
    "  --detect prints one line per FILE instead of converting, with a label\n"
    "  'zelconv --resolve' takes:\n"
    "    notes.txt: GB18030 (confidence 0.97)\n"
    "  with --verbose also the reason and the runner-up. An unreadable file\n"
    "  is an error (exit 1); the others are still guessed.\n"
    "\n"
    "Byte-order marks:\n"
    "  A leading U+FEFF is no character of the text outside Unicode (GBK would\n"
    "  write a space, GB18030 a four-byte code no reader expects, the others\n"
    "  '?'), so it is dropped there unless --keep-bom is given. UTF-8-SIG and\n"
    "  auto drop a UTF-8 mark whatever the target. --add-bom starts UTF-8,\n"
    "  UTF-16BE/LE, UTF-32BE/LE or UCS-2LE output with a mark, just one when the\n"
    "  input has its own, as UTF-16, UTF-32 and UTF-8-SIG output always\n"
    "  starts. Offsets in warnings still count from the input's first byte.\n"
    "\n"
    "Large inputs:\n"
    "  Input is read in blocks and converted as it comes: what a block leaves\n"
    "  open (a sequence cut short, ISO-2022 designations and shifts, the byte\n"
    "  order a mark chose, an unfinished reference) carries over to the next,\n"
    "  so every charset converts exactly as one whole call would, in memory\n"
    "  that follows the block size and not the input's size.\n"
    "\n"
    "Output files:\n"
    "  Both -o and --in-place write a temporary file (.zelconv-PID-N) in the\n"
    "  file's folder and rename it over the file at the end, and so write any\n"
    "  file name the folder takes. A symbolic link is written through: the\n"
    "  file it points to is replaced and the link stays. A replaced file keeps\n"
    "  its permissions, and its owner and group where zelconv may set them\n"
    "  (as root). A run ended by SIGINT, SIGTERM, SIGHUP, SIGQUIT or\n"
    "  SIGXFSZ removes its temporary file. --in-place converts each file once,\n"
    "  however often it is named, and replaces only regular files.\n"
    "\n"
    "Losses:\n"
    "  After each input that did not convert faithfully, one line on standard\n"
    "  error counts what was lost and gives the input offset where it began:\n"
    "    zelconv: warning: 'page.txt': 3 malformed sequences, 12 characters\n"
    "    CP1252 cannot hold (first at byte 1,204)\n"
    "  A malformed sequence (one that is cut short or that no character of\n"
    "  the charset begins) becomes U+FFFD, also when the input is already in\n"
    "  the target's charset, which checks it; a replacement character\n"
    "  (U+FFFD) stands for a code without a character; a character the\n"
    "  target cannot hold becomes what --unmappable says. -t GBK, the\n"
    "  transcoders and -E's decoding of references go through the library's\n"
    "  older conversions, which degrade otherwise: bytes passed through come\n"
    "  out as U+0000..U+00FF (unchanged when transcoding), bytes dropped give\n"
    "  nothing, a character beyond U+FFFF is a replacement character, and\n"
    "  what GBK cannot hold becomes a space (the table's substitute when\n"
    "  transcoding). With -E after -t, a loss that only the decoding of\n"
    "  references met is placed in bytes of the converted text. -s hides\n"
    "  these lines; --strict makes each an error, so -f X -t X --strict\n"
    "  checks that a text is well-formed X.\n"
    "\n"
    "Exit status:\n"
    "  0 on success, losses included unless --strict is given. 1 when an\n"
    "  input cannot be read or converted (with --strict: it lost anything;\n"
    "  with --unmappable=stop: the target lacks one of its characters) or\n"
    "  the output cannot be written; the other files are still processed,\n"
    "  but -o then writes nothing and --in-place leaves each such file as it\n"
    "  was. 2 for a usage error.\n"
    "\n"
    "Examples:\n"
    "  zelconv -f gbk -t utf-8 old.txt > new.txt\n"
    "      GBK (or GB 2312, GB18030) text to UTF-8.\n"
    "  zelconv -f shift_jis -t utf-8 --in-place *.txt\n"
    "      Shift_JIS files to UTF-8, each file replaced.\n"
    "  zelconv -f utf-8-sig -t gbk -o legacy.txt notes.txt\n"
    "      UTF-8 with or without a byte-order mark to GBK.\n"
    "  zelconv -f utf-8 -t cp1252 --unmappable=ncr page.html\n"
    "      UTF-8 to code page 1252, &#20013; for what it lacks.\n"
    "  zelconv -f utf-8 -t utf-8 --strict notes.txt > /dev/null\n"
    "      Fails, naming the offset, unless notes.txt is well-formed UTF-8.\n"
    "  zelconv --big5-to-gbk -o simplified.txt traditional.txt\n"
    "      Big5 to GBK, traditional characters to simplified.\n"
    "  zelconv -f auto -t utf-8 unknown.txt\n"
    "      Text in a charset the detector guesses, to UTF-8.\n"
    "  zelconv --detect *.txt\n"
    "      Each file's guessed charset.\n"
    "  zelconv -f utf-8 -E page.html\n"
    "      Character references in UTF-8 text decoded.\n";

// Options shown as "-f, --from-code LABEL", without CLI11's notes on types
// and exclusions, which the descriptions give in words.
class help_format : public CLI::Formatter {
 public:
  std::string make_option_name(const CLI::Option* opt, bool positional) const override {
    std::string spaced;
    for (char c : CLI::Formatter::make_option_name(opt, positional)) {
      spaced += c;
      if (c == ',') spaced += ' ';
    }
    return spaced;
  }
  // The usage lines first, then what zelconv does.
  std::string make_description(const CLI::App*) const override { return {}; }
  std::string make_usage(const CLI::App* app, std::string) const override {
    return "Usage: zelconv -f LABEL [-t TARGET] [-E] [-o FILE | --in-place] [FILE...]\n"
           "   or: zelconv -f ENCODING -E [-o FILE | --in-place] [FILE...]\n"
           "   or: zelconv --big5-to-gbk | --gbk-to-big5 [-o FILE | --in-place] [FILE...]\n"
           "   or: zelconv --detect [--verbose] [FILE...]\n"
           "   or: zelconv -l | --resolve LABEL\n\n" +
           app->get_description();
  }
  std::string make_option_opts(const CLI::Option* opt) const override {
    const std::string& text = opt->get_option_text();
    return text.empty() ? std::string() : " " + text;
  }
};

}  // namespace

int parse_options(int argc, char** argv, options& o) {
  CLI::App app{description, "zelconv"};
  app.footer(footer);
  // File names such as /tmp/a are files, also on Windows.
  app.allow_windows_style_options(false);
  app.formatter(std::make_shared<help_format>());
  app.get_formatter()->column_width(28);
  app.get_formatter()->label("Positionals", "Arguments");
  app.set_help_flag("-h,--help", "Show this help and exit");
  app.set_version_flag("-V,--version", std::string("zelconv ") + ZELCONV_VERSION,
                       "Show the version and exit");

  app.add_option("-f,--from-code", o.from, "Source charset: a label, #N or auto")
      ->option_text("LABEL");
  app.add_option("-t,--to-code", o.to,
                 "Target: a label or #N (default UTF-8), optionally\nwith //IGNORE or //TRANSLIT")
      ->option_text("TARGET");
  app.add_option("--unmappable", o.unmappable,
                 "What becomes of a character the target lacks:\nsubstitute (default), skip, "
                 "ncr or stop")
      ->option_text("HOW")
      ->check(CLI::IsMember({"substitute", "skip", "ncr", "stop"}));
  app.add_flag("-E,--decode-entities", o.entities,
               "Decode HTML character references (&#20013; &amp;)\n"
               "in the UTF-8, GBK or GB18030 output of -t, or\n"
               "without -t in the -f text, which must be one of them");
  auto* to_gbk = app.add_flag("--big5-to-gbk", o.big5_to_gbk,
                              "Transcode Big5 to GBK, traditional characters to\nsimplified ones");
  auto* to_big5 = app.add_flag("--gbk-to-big5", o.gbk_to_big5,
                               "Transcode GBK to Big5, simplified characters to\ntraditional ones");
  to_gbk->excludes(to_big5);
  auto* out = app.add_option("-o,--output", o.output,
                             "Write to FILE ('-': standard output), through a\ntemporary file "
                             "renamed at the end: a failed\nrun leaves no half file")
                  ->option_text("FILE");
  auto* in_place =
      app.add_flag("--in-place", o.in_place,
                   "Replace each FILE with its conversion, likewise\nthrough a temporary file");
  in_place->excludes(out);
  auto* keep_bom = app.add_flag("--keep-bom", o.keep_bom,
                                "Keep a leading byte-order mark in output outside\nUnicode");
  app.add_flag("--add-bom", o.add_bom, "Start Unicode output with a byte-order mark")
      ->excludes(keep_bom);
  app.add_flag("-c", o.omit_invalid,
               "Drop characters the target lacks, as iconv does\n(--unmappable=skip); "
               "malformed input still\nbecomes U+FFFD");
  app.add_flag("-s,--silent", o.silent, "Print no warnings, losses included");
  app.add_flag("--strict", o.strict,
               "Fail an input that loses anything (exit 1): -o and\n--in-place "
               "write nothing for it; standard output\nkeeps what was written");
  app.add_flag("--verbose", o.verbose,
               "Name each file on standard error as it starts,\nwith the guess of -f auto");
  auto* detect = app.add_flag("--detect", o.detect,
                              "Print each FILE's guessed charset and confidence,\nconverting "
                              "nothing");
  auto* list = app.add_flag("-l,--list", o.list, "List the charset labels by id and exit");
  app.add_option("--resolve", o.resolve, "Print the charset id LABEL stands for and exit")
      ->option_text("LABEL")
      ->excludes(list)
      ->excludes(detect);
  list->excludes(detect);
  app.add_option("--block-size", o.block_size,
                 "Read in blocks of at most BYTES (default 1M, at\nmost 64M; k and M "
                 "suffixes count 1024)")
      ->option_text("BYTES")
      ->transform(CLI::AsSizeValue(false))
      ->check(CLI::Range(std::size_t{1}, largest_block_size));
  app.add_option("FILE", o.files, "Input files; '-' is standard input")->option_text("...");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      app.exit(e);
      return 0;
    }
    std::fprintf(stderr, "zelconv: %s (see 'zelconv --help')\n", e.what());
    return 2;
  }
  // An empty name would otherwise mean standard output.
  if (out->count() > 0 && o.output.empty()) {
    std::fputs("zelconv: -o needs a file name ('-' for standard output)\n", stderr);
    return 2;
  }
  return -1;
}

}  // namespace zelconv
