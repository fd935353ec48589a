// Guessing an input's charset, for -f auto and --detect: the library's
// detector reads a prefix of the input, and zelconv names its answer with a
// label of its own list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/options.h"
#include "zel_code.h"

namespace zelconv {

// What a guess reads of an input: the detector looks no further by default.
inline constexpr std::size_t guess_prefix = ZEL_DETECT_PREFIX;

// The detector's guess for text that starts with these bytes.
zel_guess guess_charset(const std::uint8_t* p, std::size_t n);

// The id -f auto converts from. A text with a UTF-16 byte-order mark is
// read as UTF-16, whose decoder takes its byte order from the mark; any
// other text as guessed (a UTF-8 mark guesses UTF-8, and auto drops it).
int auto_charset(const zel_guess& g, const std::uint8_t* p, std::size_t n);

// "GB18030 (confidence 0.97)"; in detail also why, and the runner-up.
std::string describe_guess(const zel_guess& g, bool detail);

// --detect: one line per file on standard output. Returns the exit status.
int detect_files(const options& o);

}  // namespace zelconv
