// Detection on any bytes. The first byte picks the flags (bit 0: the whole
// input; a high nibble of 0xF: the data repeated past the detector's prefix,
// kept rare as it is slow), the second how many candidates follow (0 to 7;
// with bit 3 and none, a list that is there but empty), then one byte per
// candidate (ids -4 to 59), then the data. Checks: the call fails only for
// a list naming no id with a decoder; the guess names an id with a decoder
// (or, choosing freely, code page 932 or 950, which read what Shift_JIS and
// Big5 read), among the candidates when they are given, or none (0) for
// binary data and,
// without a list, for text nothing reads well, and then no language;
// confidences lie in 0..1, the runner-up's no higher; no more bytes are
// examined than given, or than the prefix without the flag; and the same
// call gives the same guess again.
#include <algorithm>
#include <vector>

#include "fuzz/fuzz_common.h"
#include "src/core/charsets.h"

using zel_fuzz::check;

namespace {

bool has_decoder(int id) { return zel::charset_of(id).decoder != zel::decoder_kind::none; }

bool same(const zel_guess& a, const zel_guess& b) {
  return a.id == b.id && a.runner_up == b.runner_up && a.reason == b.reason &&
         a.examined == b.examined && a.confidence == b.confidence &&
         a.runner_up_confidence == b.runner_up_confidence && a.language == b.language;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int flags = data[0] & ZEL_DETECT_WHOLE;
  const bool past_prefix = (data[0] & 0xF0) == 0xF0;
  const std::size_t count = data[1] & 7;
  const bool empty_list = count == 0 && (data[1] & 8) != 0;
  if (size < 2 + count) return 0;
  std::vector<int> candidates;
  for (std::size_t i = 0; i < count; ++i) candidates.push_back(data[2 + i] % 64 - 4);
  // An exact-size copy, so that a read past the end is caught.
  std::vector<char> text(data + 2 + count, data + size);
  if (past_prefix && !text.empty()) {
    std::vector<char> tiled;
    while (tiled.size() <= ZEL_DETECT_PREFIX) tiled.insert(tiled.end(), text.begin(), text.end());
    text = std::vector<char>(tiled.begin(), tiled.end());
  }
  const auto n = static_cast<std::int32_t>(text.size());
  const int dummy = ZEL_CHARSET_UTF8;
  const int* list = count ? candidates.data() : empty_list ? &dummy : nullptr;
  const auto n_list = static_cast<std::int32_t>(count);

  zel_guess g;
  std::memset(&g, 0xA5, sizeof g);
  const int result = zel_detect(text.data(), n, list, n_list, flags, &g);
  const bool any = count == 0 || std::any_of(candidates.begin(), candidates.end(), has_decoder);
  check(any ? result == ZEL_RESULT_OK : result == ZEL_RESULT_BAD_ARGUMENT);
  zel_guess scratch;
  check(zel_detect(text.data(), n, list, n_list, flags, nullptr) == ZEL_RESULT_BAD_ARGUMENT);
  check(zel_detect(text.data(), -1, list, n_list, flags, &scratch) == ZEL_RESULT_BAD_ARGUMENT);
  if (!any) return 0;
  const auto among = [&](int id) {
    return count == 0 || std::find(candidates.begin(), candidates.end(), id) != candidates.end();
  };
  const bool none = g.reason == ZEL_DETECT_BINARY || (count == 0 && g.reason == ZEL_DETECT_NOTHING);
  const bool code_page = g.id == ZEL_CHARSET_CP932 || g.id == ZEL_CHARSET_CP950;
  check(g.id == 0 ? none && !g.language
                  : (has_decoder(g.id) && among(g.id)) || (code_page && !count));
  check(g.runner_up == ZEL_CHARSET_UNKNOWN ||
        (g.runner_up != g.id && has_decoder(g.runner_up) && among(g.runner_up)));
  check(g.confidence >= 0 && g.confidence <= 1);
  check(g.runner_up_confidence >= 0 && g.runner_up_confidence <= g.confidence);
  check(g.reason >= ZEL_DETECT_NOTHING && g.reason <= ZEL_DETECT_BINARY);
  check(!g.language || *g.language);
  check(g.examined >= 0 && g.examined <= n);
  check((flags & ZEL_DETECT_WHOLE) || g.examined <= ZEL_DETECT_PREFIX);

  zel_guess again;
  std::memset(&again, 0x5A, sizeof again);
  check(zel_detect(text.data(), n, list, n_list, flags, &again) == ZEL_RESULT_OK);
  check(same(g, again));
  return 0;
}
