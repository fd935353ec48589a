// How zelconv words what an input lost: one line of plain counts, each
// number with thousands separators.
#pragma once

#include <cstdint>
#include <string>

#include "cli/plan.h"

namespace zelconv {

// 1204 -> "1,204".
std::string with_separators(std::int64_t n);

// "3 bytes passed through, 12 characters GBK cannot hold (first at byte
// 1,204)", naming each count that is not 0, for an input whose output is in
// `writes`. Empty when nothing was lost.
std::string describe_losses(const input_losses& l, const char* writes);

// Where --unmappable=stop stopped: "at byte 1,204". The report places the
// first loss only, so after an earlier one (a malformed sequence, say) it
// can only be "after byte 12".
std::string stop_place(const input_losses& l);

// Where output was cut: "byte 1,204", or "byte 1,204 of the converted text".
std::string truncation_place(const input_losses& l);

}  // namespace zelconv
