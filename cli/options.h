// zelconv's command line, parsed with CLI11 in the manner of iconv(1).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zelconv {

inline constexpr std::size_t default_block_size = std::size_t{1} << 20;

struct options {
  std::string from, to, output, resolve;
  std::vector<std::string> files;
  bool list = false;
  bool entities = false;
  bool in_place = false;
  bool omit_invalid = false;  // iconv's -c: accepted, nothing to omit
  bool silent = false;        // no warnings
  bool strict = false;        // any loss fails the input
  bool verbose = false;       // name each input as it is converted
  bool big5_to_gbk = false;
  bool gbk_to_big5 = false;
  std::size_t block_size = default_block_size;
};

// Parses the command line. Returns -1 to go on, else the status to exit
// with: 0 after --help or --version, 2 after a usage error, whose one-line
// message has been printed.
int parse_options(int argc, char** argv, options& o);

}  // namespace zelconv
