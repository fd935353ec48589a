// Guessing an input's charset, for -f auto and --detect: the library's
// detector reads a prefix of the input, and zelconv names its answer with a
// label of its own list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/output.h"
#include "zel_code.h"

namespace zelconv {

// What a guess reads of an input: the detector looks no further by default.
inline constexpr std::size_t guess_prefix = ZEL_DETECT_PREFIX;

// How far a guess reads on through text that is 7-bit so far.
inline constexpr std::size_t guess_limit = std::size_t{16} << 20;

// Reads what a guess is made from into `prefix`: the first `first` bytes,
// and while everything read is 7-bit text, which every ASCII-compatible
// charset reads alike and so tells nothing, more, up to guess_limit: a
// file that opens with pages of ASCII is guessed from its first other
// bytes. Sets at_end when the input ended; false when reading failed.
bool read_for_guess(input& in, std::vector<std::uint8_t>& prefix, std::size_t first, bool& at_end);

// The detector's guess for text that starts with these bytes (all of them
// read, when more than the detector's own prefix).
zel_guess guess_charset(const std::uint8_t* p, std::size_t n);

// The id -f auto converts from. A text with a UTF-16 byte-order mark is
// read as UTF-16, whose decoder takes its byte order from the mark; any
// other text as guessed (a UTF-8 mark guesses UTF-8, and auto drops it).
int auto_charset(const zel_guess& g, const std::uint8_t* p, std::size_t n);

// The 7-bit text -f auto guessed from when it saw no other byte (reason
// ZEL_DETECT_ASCII): every ASCII-compatible charset reads it alike, so the
// guess tells nothing of what follows, and the first other byte is guessed
// again. The bytes seen decide whether that guess may take over.
class seven_bit_text {
 public:
  // How many of the n bytes at p, from the first, are 7-bit; notes them.
  std::size_t extent(const std::uint8_t* p, std::size_t n);
  // Whether text of the id reads each byte noted as itself, as the UTF-8
  // it was converted from did: then nothing written so far would change.
  bool read_alike(int id) const;

 private:
  std::array<bool, 128> seen_{};
};

// "GB18030 (confidence 0.97)"; in detail also why, and the runner-up.
std::string describe_guess(const zel_guess& g, bool detail);

// --detect: one line per file on standard output. Returns the exit status.
int detect_files(const options& o);

}  // namespace zelconv
