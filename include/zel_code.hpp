// zel_code.hpp: a header-only C++17 layer over the C API in zel_code.h.
//
// Owning strings, conversions on std::string_view returning std::string,
// and streams that append to a std::string or hand their output to any
// callable. Everything runs the C exports; this layer adds no conversion
// logic of its own.
//
// Failures throw zel_code::error, whose code() is the C result: a refused
// charset id (ZEL_RESULT_UNKNOWN_CHARSET for id 0, _RESERVED_CHARSET for 56),
// an unknown stream kind or text too long for a one-call conversion
// (ZEL_RESULT_BAD_ARGUMENT), output cut at the zel_string limit
// (ZEL_RESULT_OUTPUT_FULL), a general conversion told to stop at a character
// its target lacks (ZEL_RESULT_UNMAPPABLE). Built without exceptions, those
// calls abort.
#ifndef ZEL_CODE_HPP
#define ZEL_CODE_HPP

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "zel_code.h"

namespace zel_code {

// The longest text a zel_string holds, so the most a one-call conversion
// takes or gives; streams have no such limit.
inline constexpr std::size_t max_size = 0x7FFFFFFE;

class error : public std::runtime_error {
 public:
  explicit error(int code) : std::runtime_error(describe(code)), code_(code) {}
  int code() const noexcept { return code_; }

 private:
  static const char* describe(int code) noexcept {
    switch (code) {
      case ZEL_RESULT_UNKNOWN_CHARSET:
        return "zel_code: unknown charset id";
      case ZEL_RESULT_RESERVED_CHARSET:
        return "zel_code: reserved charset id";
      case ZEL_RESULT_OUTPUT_FULL:
        return "zel_code: output longer than a zel_string holds";
      case ZEL_RESULT_UNMAPPABLE:
        return "zel_code: a character the target charset cannot hold";
      default:
        return "zel_code: bad argument";
    }
  }
  int code_;
};

namespace detail {

[[noreturn]] inline void fail(int code) {
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
  throw error(code);
#else
  (void)code;
  std::abort();
#endif
}

inline void check(int result) {
  if (result != ZEL_RESULT_OK) fail(result);
}

}  // namespace detail

// Owns a zel_string: the record the C calls convert in place.
class string {
 public:
  string() noexcept { zel_string_init(&s_); }
  explicit string(std::string_view text) : string() { assign(text); }
  string(string&& other) noexcept : s_(other.s_) { zel_string_init(&other.s_); }
  string& operator=(string&& other) noexcept {
    if (this != &other) {
      zel_string_free(&s_);
      s_ = other.s_;
      zel_string_init(&other.s_);
    }
    return *this;
  }
  string(const string&) = delete;
  string& operator=(const string&) = delete;
  ~string() { zel_string_free(&s_); }

  // The C string layer ignores a length it cannot store; refuse it instead.
  void assign(std::string_view text) {
    if (text.size() > max_size) detail::fail(ZEL_RESULT_BAD_ARGUMENT);
    zel_string_assign(&s_, text.data(), static_cast<std::int32_t>(text.size()));
  }
  void clear() noexcept { zel_string_set_length(&s_, 0); }

  // The content is always followed by a NUL byte.
  const char* data() const noexcept { return s_.data; }
  std::size_t size() const noexcept {
    return s_.length > 0 ? static_cast<std::size_t>(s_.length) : 0;
  }
  bool empty() const noexcept { return size() == 0; }
  std::string_view view() const noexcept { return {data(), size()}; }
  std::string str() const { return std::string(view()); }
  operator std::string_view() const noexcept { return view(); }

  zel_string* get() noexcept { return &s_; }
  const zel_string* get() const noexcept { return &s_; }

 private:
  zel_string s_;
};

namespace detail {

// Runs a C call on a copy of the text. The plain calls cut output past
// max_size without a word; when the input is long enough for that (the ten
// conversions write at most four bytes per input byte, the general one
// sixteen), the counted twin runs instead so that the cut can be refused.
// With a report the cut text is returned and report->truncated says so, as
// in C.
template <class Plain, class Counted>
std::string in_place(std::string_view text, zel_report* report, Plain plain, Counted counted,
                     std::size_t growth = 4) {
  string s(text);
  if (report) {
    check(counted(s.get(), report));
  } else if (text.size() <= max_size / growth) {
    check(plain(s.get()));
  } else {
    zel_report r;
    check(counted(s.get(), &r));
    if (r.truncated) fail(ZEL_RESULT_OUTPUT_FULL);
  }
  return s.str();
}

template <class Plain, class Counted>
std::string with_id(int id, std::string_view text, zel_report* report, Plain plain,
                    Counted counted) {
  return in_place(
      text, report, [=](zel_string* s) { return plain(id, s); },
      [=](zel_string* s, zel_report* r) { return counted(id, s, r); });
}

template <class Plain, class Counted>
std::string without_id(std::string_view text, zel_report* report, Plain plain, Counted counted) {
  return in_place(
      text, report,
      [=](zel_string* s) {
        plain(s);
        return int{ZEL_RESULT_OK};
      },
      [=](zel_string* s, zel_report* r) {
        counted(s, r);
        return int{ZEL_RESULT_OK};
      });
}

}  // namespace detail

// One-call conversions: text of charset `id` (a ZEL_CHARSET_* value) into
// the target. Given a report, they also fill it, as the C *_report calls do.
inline std::string to_ucs2(int id, std::string_view text, zel_report* report = nullptr) {
  return detail::with_id(id, text, report, zel_code_unicode, zel_code_unicode_report);
}
inline std::string to_utf8(int id, std::string_view text, zel_report* report = nullptr) {
  return detail::with_id(id, text, report, zel_code_utf8, zel_code_utf8_report);
}
inline std::string to_gbk(int id, std::string_view text, zel_report* report = nullptr) {
  return detail::with_id(id, text, report, zel_code_gbk, zel_code_gbk_report);
}
inline std::string to_gb18030(int id, std::string_view text, zel_report* report = nullptr) {
  return detail::with_id(id, text, report, zel_code_gb18030, zel_code_gb18030_report);
}
inline std::string big5_to_gbk(std::string_view text, zel_report* report = nullptr) {
  return detail::without_id(text, report, zel_code_big5_gbk, zel_code_big5_gbk_report);
}
inline std::string gbk_to_big5(std::string_view text, zel_report* report = nullptr) {
  return detail::without_id(text, report, zel_code_gbk_big5, zel_code_gbk_big5_report);
}
inline std::string decode_references_utf8(std::string_view text, zel_report* report = nullptr) {
  return detail::without_id(text, report, zel_decode_utf8, zel_decode_utf8_report);
}
inline std::string decode_references_gbk(std::string_view text, zel_report* report = nullptr) {
  return detail::without_id(text, report, zel_decode_gbk, zel_decode_gbk_report);
}
inline std::string decode_references_gb18030(std::string_view text, zel_report* report = nullptr) {
  return detail::without_id(text, report, zel_decode_gb18030, zel_decode_gb18030_report);
}

// What a general conversion writes for a character its target lacks.
enum class unmappable : int {
  substitute = ZEL_UNMAPPABLE_SUBSTITUTE,  // '?', or U+FFFD in Unicode targets
  skip = ZEL_UNMAPPABLE_SKIP,
  ncr = ZEL_UNMAPPABLE_NCR,  // &#128512;
  stop = ZEL_UNMAPPABLE_STOP
};

// The general conversion: text of charset `from` in charset `to`, any id
// both ways, every code point carried where both can hold it. `stop` throws
// error(ZEL_RESULT_UNMAPPABLE); a report given is filled first and places
// the character.
inline std::string convert(int from, int to, std::string_view text,
                           unmappable choice = unmappable::substitute,
                           zel_report* report = nullptr) {
  const int rule = static_cast<int>(choice);
  return detail::in_place(
      text, report, [=](zel_string* s) { return zel_convert(from, to, rule, s, nullptr); },
      [=](zel_string* s, zel_report* r) { return zel_convert(from, to, rule, s, r); }, 16);
}

// The id of a charset label ("gbk", "UTF-8"), ZEL_CHARSET_UNKNOWN when none.
inline int charset_id(std::string_view label) {
  string s(label);
  return zel_code_charset(s.get());
}

enum class stream_kind : int {
  to_ucs2 = ZEL_STREAM_TO_UCS2,
  to_utf8 = ZEL_STREAM_TO_UTF8,
  to_gbk = ZEL_STREAM_TO_GBK,
  to_gb18030 = ZEL_STREAM_TO_GB18030,
  big5_to_gbk = ZEL_STREAM_BIG5_TO_GBK,
  gbk_to_big5 = ZEL_STREAM_GBK_TO_BIG5,
  references_utf8 = ZEL_STREAM_REFERENCES_UTF8,
  references_gbk = ZEL_STREAM_REFERENCES_GBK,
  references_gb18030 = ZEL_STREAM_REFERENCES_GB18030
};

// A conversion fed in pieces: pieces cut anywhere give the bytes (and the
// report) of one call on the whole text. The id matters only to the four
// to_* kinds; stream(from, to, ...) streams the general conversion, and a
// feed it stops in throws error(ZEL_RESULT_UNMAPPABLE), hands on nothing of
// the part (16 MiB at most) it stopped in, and leaves the next feed to start
// a new text. Each feed converts into a buffer the stream keeps and hands
// that on, so the text and its output may be of any length.
class stream {
 public:
  explicit stream(stream_kind kind, int id = ZEL_CHARSET_UNKNOWN, bool keep_report = false) {
    int result = ZEL_RESULT_OK;
    st_ = zel_stream_open(static_cast<int>(kind) | (keep_report ? ZEL_STREAM_REPORT : 0), id,
                          &result);
    if (!st_) detail::fail(result);
  }
  stream(int from, int to, unmappable choice = unmappable::substitute, bool keep_report = false) {
    int result = ZEL_RESULT_OK;
    st_ = zel_stream_open_convert(
        from, to, static_cast<int>(choice) | (keep_report ? ZEL_STREAM_REPORT : 0), &result);
    if (!st_) detail::fail(result);
  }
  stream(stream&& other) noexcept
      : st_(std::exchange(other.st_, nullptr)), out_(std::move(other.out_)) {}
  stream& operator=(stream&& other) noexcept {
    if (this != &other) {
      zel_stream_free(st_);
      st_ = std::exchange(other.st_, nullptr);
      out_ = std::move(other.out_);
    }
    return *this;
  }
  stream(const stream&) = delete;
  stream& operator=(const stream&) = delete;
  ~stream() { zel_stream_free(st_); }

  // Converts a piece, calling sink(std::string_view) with its output (not
  // when there is none). `last` ends the text; a feed after it starts anew.
  template <class Sink>
  void feed(std::string_view piece, bool last, Sink&& sink) {
    do {
      const std::size_t n = piece.size() < feed_limit ? piece.size() : feed_limit;
      out_.clear();
      detail::check(zel_stream_feed(st_, piece.data(), static_cast<std::int32_t>(n),
                                    last && n == piece.size(), out_.get()));
      if (!out_.empty()) sink(out_.view());
      piece.remove_prefix(n);
    } while (!piece.empty());
  }
  void feed(std::string_view piece, bool last, std::string& out) {
    feed(piece, last, [&out](std::string_view converted) { out.append(converted); });
  }
  std::string feed(std::string_view piece, bool last = false) {
    std::string out;
    feed(piece, last, out);
    return out;
  }
  void finish(std::string& out) { feed({}, true, out); }
  std::string finish() { return feed({}, true); }

  void reset() noexcept { zel_stream_reset(st_); }
  // The counts of the text so far; all zero unless the stream keeps a report.
  zel_report report() const noexcept {
    zel_report r;
    zel_stream_report(st_, &r);
    return r;
  }

 private:
  // Pieces go to the C call in parts whose output (sixteen bytes per input
  // byte at most) stays far below max_size and keeps the buffer small.
  static constexpr std::size_t feed_limit = std::size_t{16} << 20;

  zel_stream* st_;
  string out_;
};

// Feeds every piece of a range (elements convertible to std::string_view),
// then ends the text; the output goes to a std::string (appended) or a sink
// callable as for stream::feed.
template <class Range, class Out>
void convert(const Range& pieces, stream& st, Out&& out) {
  for (const auto& piece : pieces) st.feed(std::string_view(piece), false, out);
  st.feed({}, true, out);
}

// Converts `in` to its end, `block` bytes at a time, writing to `out`. A
// failed read ends the text too; the streams' states are left for the
// caller to check.
inline void convert(std::istream& in, std::ostream& out, stream& st,
                    std::size_t block = std::size_t{64} << 10) {
  std::string piece(block > 0 ? block : 1, '\0');
  auto write = [&out](std::string_view converted) {
    out.write(converted.data(), static_cast<std::streamsize>(converted.size()));
  };
  do {
    in.read(&piece[0], static_cast<std::streamsize>(piece.size()));
    st.feed(std::string_view(piece.data(), static_cast<std::size_t>(in.gcount())), !in, write);
  } while (in);
}

}  // namespace zel_code

#endif
