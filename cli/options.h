// zelconv's command line, parsed with CLI11 in the manner of iconv(1).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zelconv {

inline constexpr std::size_t default_block_size = std::size_t{1} << 20;
// A feed's output is at most four times its input and must stay far below
// the longest string one call returns (2 GiB); more than this buys no speed.
inline constexpr std::size_t largest_block_size = std::size_t{64} << 20;

struct options {
  std::string from, to, resolve;
  std::string unmappable;  // --unmappable: substitute, skip, ncr or stop
  std::string output = "-";
  std::vector<std::string> files;
  bool list = false;
  bool detect = false;  // print each file's guessed charset instead of converting
  bool entities = false;
  bool in_place = false;
  bool omit_invalid = false;  // iconv's -c: what the target lacks is dropped
  bool silent = false;        // no warnings
  bool strict = false;        // any loss fails the input
  bool verbose = false;       // name each input as it is converted
  bool keep_bom = false;      // a leading U+FEFF stays in output outside Unicode
  bool add_bom = false;       // Unicode output starts with one
  bool big5_to_gbk = false;
  bool gbk_to_big5 = false;
  std::size_t block_size = default_block_size;
};

// Parses the command line. Returns -1 to go on, else the status to exit
// with: 0 after --help or --version, 2 after a usage error, whose one-line
// message has been printed.
int parse_options(int argc, char** argv, options& o);

}  // namespace zelconv
