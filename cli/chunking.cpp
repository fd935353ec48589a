#include "cli/chunking.h"

#include <algorithm>
#include <utility>

#include "src/string/string_ops.h"

namespace zelconv {
namespace {

// Marks the bytes lo..hi as fresh.
void mark(split_rule& r, unsigned lo, unsigned hi, bool fresh = true) {
  for (unsigned b = lo; b <= hi; ++b) r.fresh[b] = fresh;
}

split_rule kind_only(split_kind k) {
  split_rule r;
  r.kind = k;
  return r;
}

split_rule fresh_bytes() { return kind_only(split_kind::fresh_byte); }

// A byte is fresh when the decoder starts afresh after it wherever it
// stands: it is the last byte of any sequence it belongs to, or stands
// alone, and every lookahead that reaches it is decided by the byte itself
// (a longer form tried first fails on it), so a piece ending there is read
// as the whole text is. Decoders that switch on the lead byte read bytes
// below 0x80 alone.
//
// GB18030: 0x40..0x7E and 0x80 are only ever the trail of a pair or alone;
// 0x7F and 0xFF neither trail nor lead. No fresh byte is any byte of a
// four-byte code, of the Basic Multilingual Plane (first byte 0x81..0x84) or
// beyond it (0x90..0xE3), whose bytes are a lead, a digit 0x30..0x39,
// 0x81..0xFE and a digit. So no four-byte code holds a cut, and a four-byte
// test begun before the cut that would reach past it fails on the fresh
// byte itself, in the piece as in the whole text.
split_rule gb18030_rule() {
  split_rule r = fresh_bytes();
  mark(r, 0x00, 0x2F);
  mark(r, 0x3A, 0x80);
  r.fresh[0xFF] = true;
  return r;
}

// Big5 leads are 0x80..0xFF, each taking a trail 0x40..0xFE: a byte below
// 0x80 stands alone or ends a pair.
split_rule big5_rule() {
  split_rule r = fresh_bytes();
  mark(r, 0x00, 0x7F);
  return r;
}

// Shift_JIS reads 0x00..0x80 and 0xA0..0xDF alone; as a trail (0x40..0xFE)
// they end a pair. Code page 949 likewise: every byte but 0x80 from 0x81 up
// leads a pair, and 0x80 stands alone or trails.
split_rule shift_jis_rule() {
  split_rule r = fresh_bytes();
  mark(r, 0x00, 0x80);
  mark(r, 0xA0, 0xDF);
  return r;
}

split_rule cp949_rule() {
  split_rule r = fresh_bytes();
  mark(r, 0x00, 0x80);
  return r;
}

// EUC-CN, EUC-KR and the 8-bit JIS X 0208 and 0212 forms pair bytes
// 0xA1..0xFE only, any of which may lead; any other byte stands alone.
split_rule euc_pair_rule() {
  split_rule r = fresh_bytes();
  mark(r, 0x00, 0xA0);
  r.fresh[0xFF] = true;
  return r;
}

// EUC-JP adds single shifts: 0x8E takes a katakana byte, 0x8F two square
// bytes, all 0xA1..0xFE, so the shifts themselves are not fresh (what
// follows them decides what they are).
split_rule euc_jp_rule() {
  split_rule r = euc_pair_rule();
  r.fresh[0x8E] = r.fresh[0x8F] = false;
  return r;
}

// EUC-TW's 0x8E A1..A3 takes the two bytes after it unchecked, so a fresh
// byte counts only with no 0x8E among the three bytes before it.
split_rule euc_tw_rule() {
  split_rule r = euc_pair_rule();
  r.fresh[0x8E] = false;
  r.reaching_shift = 0x8E;
  return r;
}

// 7-bit KS X 1001 pairs the printable bytes 0x21..0x7E.
split_rule ksx1001_rule() {
  split_rule r = fresh_bytes();
  mark(r, 0x00, 0x20);
  mark(r, 0x7F, 0xFF);
  return r;
}

// How many bytes after it a UTF-8 lead byte may take or look at.
std::size_t utf8_reach(std::uint8_t b) {
  if (b >= 0xC0 && b <= 0xDF) return 1;
  if (b >= 0xE0 && b <= 0xEF) return 2;
  if (b >= 0xF0 && b <= 0xF4) return 3;
  return 0;
}

bool utf16_surrogate_before(const std::uint8_t* p, std::size_t k, bool little_endian) {
  const std::uint8_t high = little_endian ? p[k - 1] : p[k - 2];
  return high >= 0xD8 && high <= 0xDF;
}

}  // namespace

split_rule charset_rule(int id) {
  switch (id) {
    case ZEL_CHARSET_GB18030:
      return gb18030_rule();
    case ZEL_CHARSET_BIG5:
      return big5_rule();
    case ZEL_CHARSET_SHIFT_JIS:
      return shift_jis_rule();
    case ZEL_CHARSET_KS_C_5601:
      return cp949_rule();
    case ZEL_CHARSET_JIS_X0208:
    case ZEL_CHARSET_JIS_X0212:
    case ZEL_CHARSET_EUC_CN:
    case ZEL_CHARSET_EUC_KR:
      return euc_pair_rule();
    case ZEL_CHARSET_EUC_JP:
      return euc_jp_rule();
    case ZEL_CHARSET_EUC_TW:
      return euc_tw_rule();
    case ZEL_CHARSET_KS_X_1001:
      return ksx1001_rule();
    case ZEL_CHARSET_UTF8:
      return kind_only(split_kind::utf8);
    case ZEL_CHARSET_UTF16BE:
      return utf16_rule(false);
    case ZEL_CHARSET_UTF16LE:
      return utf16_rule(true);
    // The byte-order mark is read at the start only; chunked_stage decides
    // the order first and then cuts by it.
    case ZEL_CHARSET_UTF16:
    // Escapes and shifts set a state that holds until the next one, possibly
    // for the rest of the text.
    case ZEL_CHARSET_ISO_2022_CN:
    case ZEL_CHARSET_ISO_2022_JP:
    case ZEL_CHARSET_ISO_2022_KR:
      return kind_only(split_kind::never);
    default:
      break;
  }
  if (id >= ZEL_CHARSET_KOI8_R && id <= ZEL_CHARSET_MULELAO_1)
    return kind_only(split_kind::anywhere);
  // The pivot, and ids without a decoder, are read as pairs from the start.
  return kind_only(split_kind::pairs);
}

split_rule utf16_rule(bool little_endian) {
  return kind_only(little_endian ? split_kind::utf16le : split_kind::utf16be);
}

// A reference runs from "&" over "#", "x", digits and letters, and ends at
// the first other byte (taking it when it is ";"). Any byte but those is
// fresh: every scan stops at it, and ";" ends a reference whichever way.
split_rule reference_rule() {
  split_rule r = fresh_bytes();
  mark(r, 0x00, 0xFF);
  mark(r, '0', '9', false);
  mark(r, 'A', 'Z', false);
  mark(r, 'a', 'z', false);
  r.fresh['&'] = r.fresh['#'] = false;
  return r;
}

// Both transcoders read a lead 0x81..0xFE and the byte after it as one pair
// (translated, or passed through together) when that byte is a trail
// 0x40..0xFE (some leads refuse 0x7F), deciding on the two bytes alone.
// 0x00..0x80 and 0xFF lead nothing: they stand alone or end the pair they
// trail.
split_rule transcoder_rule() {
  split_rule r = fresh_bytes();
  mark(r, 0x00, 0x80);
  r.fresh[0xFF] = true;
  return r;
}

split_rule big5_to_gbk_rule() { return transcoder_rule(); }
split_rule gbk_to_big5_rule() { return transcoder_rule(); }

bool is_boundary(const split_rule& rule, const std::uint8_t* p, std::size_t k) {
  switch (rule.kind) {
    case split_kind::anywhere:
      return true;
    case split_kind::never:
      return false;
    case split_kind::pairs:
      return k % 2 == 0;
    case split_kind::utf16be:
    case split_kind::utf16le:
      // A surrogate looks at the unit after it (a low surrogate pairs with
      // it, anything else is read afresh), so a cut right after one would
      // change what it becomes. A unit that is no surrogate is never the
      // second of a pair, so a step ends right after it.
      return k % 2 == 0 && !utf16_surrogate_before(p, k, rule.kind == split_kind::utf16le);
    case split_kind::utf8: {
      // A lead C0..DF takes one following byte and E0..EF two, of any value,
      // and F0..F4 three when they form a four-byte sequence (else it stands
      // alone): nothing may start a sequence that reaches k, or look at
      // bytes from k on to decide whether it does. Bytes taken as a
      // sequence's tail may look like leads; treating them as leads only
      // gives up a cut.
      for (std::size_t back = 1; back <= 3 && back <= k; ++back)
        if (utf8_reach(p[k - back]) >= back) return false;
      return true;
    }
    case split_kind::fresh_byte: {
      if (!rule.fresh[p[k - 1]]) return false;
      if (rule.reaching_shift < 0) return true;
      for (std::size_t j = k - 1 > 3 ? k - 4 : 0; j + 1 < k; ++j)
        if (p[j] == rule.reaching_shift) return false;
      return true;
    }
  }
  return false;
}

std::size_t last_boundary(const split_rule& rule, const std::uint8_t* p, std::size_t n,
                          std::size_t from) {
  if (rule.kind == split_kind::never) return 0;
  for (std::size_t k = n; k > from; --k)
    if (is_boundary(rule, p, k)) return k;
  return 0;
}

step conversion_step(convert_fn fn, int id, std::size_t unit_bytes) {
  step s;
  s.convert = fn;
  s.id = id;
  s.longest = zel::max_string_length / unit_bytes;
  return s;
}

step rewrite_step(rewrite_fn fn, std::size_t grows_to, std::size_t from) {
  step s;
  s.rewrite = fn;
  s.longest = zel::max_string_length / grows_to * from;
  return s;
}

int later_utf16_id(std::uint8_t b0, std::uint8_t b1) {
  return b0 == 0xFF && b1 == 0xFE ? ZEL_CHARSET_UTF16LE : ZEL_CHARSET_UTF16BE;
}

zel_report empty_report() {
  zel_report r{};
  r.first_offset = -1;
  r.truncated_at = -1;
  return r;
}

bool has_losses(const zel_report& r) {
  return r.passed > 0 || r.dropped > 0 || r.replaced > 0 || r.unmappable > 0 || r.malformed > 0;
}

void add_report(zel_report& total, const zel_report& more, std::int64_t at) {
  total.passed += more.passed;
  total.dropped += more.dropped;
  total.replaced += more.replaced;
  total.unmappable += more.unmappable;
  total.malformed += more.malformed;
  if (total.first_offset < 0 && more.first_offset >= 0) total.first_offset = at + more.first_offset;
  if (more.truncated && !total.truncated) {
    total.truncated = 1;
    total.truncated_at = at + more.truncated_at;
  }
}

chunked_stage::chunked_stage(step s, split_rule rule, std::size_t block, emit_fn emit,
                             std::int64_t start)
    : step_(s),
      rule_(std::move(rule)),
      block_(std::max<std::size_t>(block, 1)),
      emit_(std::move(emit)),
      pending_at_(start) {
  utf16_open_ = step_.convert && step_.id == ZEL_CHARSET_UTF16;
  if (utf16_open_) rule_ = charset_rule(ZEL_CHARSET_UTF16);
}

piece_status chunked_stage::push(const std::uint8_t* data, std::size_t n) {
  if (report_.truncated) return piece_status::truncated;
  pending_.insert(pending_.end(), data, data + n);
  if (utf16_open_ && pending_.size() >= 2) {
    // The mark, when there is one, stays in the first piece (read as id 9);
    // the mark is two bytes, so units keep their even offsets.
    rule_ = utf16_rule(later_utf16_id(pending_[0], pending_[1]) == ZEL_CHARSET_UTF16LE);
    utf16_open_ = false;
  }
  if (pending_.size() < block_) return piece_status::ok;
  const std::size_t k = last_boundary(rule_, pending_.data(), pending_.size(), searched_);
  searched_ = pending_.size();
  if (k == 0) {
    return pending_.size() > step_.longest ? piece_status::too_large : piece_status::ok;
  }
  piece_status status = convert_front(k);
  searched_ -= k;
  return status;
}

piece_status chunked_stage::finish() {
  if (report_.truncated) return piece_status::truncated;
  if (pending_.size() > step_.longest) return piece_status::too_large;
  piece_status status = pending_.empty() ? piece_status::ok : convert_front(pending_.size());
  searched_ = 0;
  return status;
}

piece_status chunked_stage::convert_front(std::size_t k) {
  if (k > step_.longest) return piece_status::too_large;
  zel_string s;
  zel_string_init(&s);
  zel_string_assign(&s, reinterpret_cast<const char*>(pending_.data()),
                    static_cast<std::int32_t>(k));
  zel_report piece;
  if (step_.convert) {
    step_.convert(step_.id, &s, &piece);
    // Only the first piece of UTF-16 text may hold its byte-order mark.
    if (step_.id == ZEL_CHARSET_UTF16 && k >= 2)
      step_.id = later_utf16_id(pending_[0], pending_[1]);
  } else {
    step_.rewrite(&s, &piece);
  }
  ++calls_;
  add_report(report_, piece, pending_at_);
  // What a truncated piece kept is not written: its input failed.
  const bool written =
      piece.truncated || s.length <= 0 ||
      emit_(reinterpret_cast<const std::uint8_t*>(s.data), static_cast<std::size_t>(s.length));
  zel_string_free(&s);
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(k));
  pending_at_ += static_cast<std::int64_t>(k);
  if (piece.truncated) return piece_status::truncated;
  return written ? piece_status::ok : piece_status::write_failed;
}

}  // namespace zelconv
