// zel_code._zel_code: the library's conversions for Python.
//
// Each function copies the caller's bytes into a zel_string, runs one C
// export on it and hands the result back as bytes or str; streams wrap
// zel_stream. The conversions themselves and every rule of degradation are
// the library's: this file only picks the export, turns a charset given as a
// label into its id, and raises where Python expects an exception.
//
// Text crosses between str and bytes through the general conversion, which
// carries every code point whole: bytes become str through its UTF-8, and a
// str becomes bytes from its own code points, read as Latin-1 when they are
// all below U+0100 and as UTF-32LE otherwise. Both are exact (a lone
// surrogate is one ill-formed UTF-32 unit, never half of a character), and a
// byte offset into them divided by the width gives the character's index.
// GBK alone is written by the ten conversions (see written_as()).
//
// The GIL is released around conversions of inputs from release_threshold
// bytes up; below that, releasing and taking it back costs more than the
// conversion.
#include <pybind11/pybind11.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zel_code.h"

namespace py = pybind11;

namespace {

static_assert(std::endian::native == std::endian::little,
              "the pivot's UCS-2LE units are read as native 16-bit units");

constexpr std::size_t release_threshold = 2048;
constexpr std::size_t max_size = 0x7FFFFFFE;
// The ten conversions write at most four bytes per input byte, the general
// one (character references, ISO-2022 escapes, UTF-32) sixteen; an input
// past max_size / growth may reach the string limit, so it is converted with
// a report to see a cut.
constexpr std::size_t growth = 4;
constexpr std::size_t general_growth = 16;
// Streams take pieces in parts whose size fits the C call's int32 length.
constexpr std::size_t feed_part = std::size_t{1} << 30;

// Owns a zel_string.
class owned_string {
 public:
  owned_string() noexcept { zel_string_init(&s_); }
  owned_string(const owned_string&) = delete;
  owned_string& operator=(const owned_string&) = delete;
  ~owned_string() { zel_string_free(&s_); }
  zel_string* get() noexcept { return &s_; }
  const char* data() const noexcept { return s_.data; }
  std::size_t size() const noexcept {
    return s_.length > 0 ? static_cast<std::size_t>(s_.length) : 0;
  }
  void clear() noexcept { zel_string_set_length(&s_, 0); }

 private:
  zel_string s_;
};

// The bytes of a bytes-like object, held for as long as this lives, so that
// they stay put while the GIL is released.
class input_bytes {
 public:
  explicit input_bytes(py::handle obj) {
    if (PyUnicode_Check(obj.ptr())) throw py::type_error("expected a bytes-like object, not str");
    if (PyObject_GetBuffer(obj.ptr(), &view_, PyBUF_SIMPLE) != 0) throw py::error_already_set();
  }
  input_bytes(const input_bytes&) = delete;
  input_bytes& operator=(const input_bytes&) = delete;
  ~input_bytes() { PyBuffer_Release(&view_); }
  const char* data() const noexcept { return static_cast<const char*>(view_.buf); }
  std::size_t size() const noexcept { return static_cast<std::size_t>(view_.len); }

 private:
  Py_buffer view_{};
};

// Released for the lifetime of the guard when the input is large enough.
class maybe_released {
 public:
  explicit maybe_released(std::size_t n) {
    if (n >= release_threshold) release_.emplace();
  }

 private:
  std::optional<py::gil_scoped_release> release_;
};

enum class target { ucs2, utf8, gbk, gb18030 };

// A charset as the caller named it: the library's label lookup says what a
// label reads and writes; a bare id reads and writes itself.
struct named_charset {
  int id = 0;       // the charset read
  int written = 0;  // the charset written for it as a target
  int flags = 0;    // zel_label_flag bits
  bool gbk() const { return flags & ZEL_LABEL_GBK_WRITER; }
  bool marked() const { return flags & ZEL_LABEL_MARKED; }
};

// The lookup's answers are cached as one int each; ids stay below 256.
static_assert(ZEL_CHARSET_UTF32LE < 256);
long pack(const named_charset& c) { return c.id | c.written << 8 | c.flags << 16; }
named_charset unpack(long v) {
  return {static_cast<int>(v & 0xFF), static_cast<int>(v >> 8 & 0xFF), static_cast<int>(v >> 16)};
}

// The library's words for a label it does not take: refused with its
// reason, or unknown with the nearest label it knows.
std::string label_trouble(const std::string& label) {
  const bool whole = label.find('\0') == std::string::npos;
  zel_label found;
  if (whole && !zel_charset_lookup(label.c_str(), &found) && found.note)
    return "charset '" + label + "' is refused: " + found.note;
  char nearest[64];
  if (whole && zel_charset_suggest(label.c_str(), nearest, sizeof nearest) > 0)
    return "unknown charset '" + label + "'; did you mean '" + nearest + "'?";
  return "unknown charset '" + label + "'";
}

named_charset look_up(std::string_view label) {
  const std::string text(label);
  zel_label found;
  const int id =
      text.find('\0') == std::string::npos ? zel_charset_lookup(text.c_str(), &found) : 0;
  if (id == ZEL_CHARSET_UNKNOWN) throw py::value_error(label_trouble(text));
  return {id, found.written, found.flags};
}

int charset_id(std::string_view label) { return look_up(label).id; }

std::string_view utf8_view(PyObject* text) {
  Py_ssize_t n = 0;
  const char* p = PyUnicode_AsUTF8AndSize(text, &n);
  if (!p) throw py::error_already_set();
  return {p, static_cast<std::size_t>(n)};
}

// The lookup's answers to the labels asked so far: a call per short string
// would otherwise spend longer on its label than on its text.
named_charset cached_label(PyObject* label) {
  static PyObject* cache = PyDict_New();  // kept for the process's life
  if (!cache) throw py::error_already_set();
  if (PyObject* hit = PyDict_GetItemWithError(cache, label)) return unpack(PyLong_AsLong(hit));
  if (PyErr_Occurred()) throw py::error_already_set();
  const named_charset c = look_up(utf8_view(label));
  constexpr Py_ssize_t most = 4096;
  if (PyUnicode_CheckExact(label) && PyDict_Size(cache) < most) {
    const py::object value = py::int_(pack(c));
    if (PyDict_SetItem(cache, label, value.ptr()) != 0) throw py::error_already_set();
  }
  return c;
}

// A charset given as a label or an id. Ids are the library's to judge: it
// refuses 0 and 56 and reads ids without a decoder as pivot text.
named_charset named(py::handle charset) {
  if (PyLong_Check(charset.ptr())) {
    const long id = PyLong_AsLong(charset.ptr());
    if (id == -1 && PyErr_Occurred()) throw py::error_already_set();
    if (id < INT32_MIN || id > INT32_MAX) throw py::value_error("charset id out of range");
    return {static_cast<int>(id), static_cast<int>(id), 0};
  }
  if (PyUnicode_Check(charset.ptr())) return cached_label(charset.ptr());
  throw py::type_error("a charset is a label (str) or an id (int)");
}

int resolve(py::handle charset) { return named(charset).id; }

// The four outputs of the ten conversions, by the charsets labels name
// when written.
target find_target(std::string_view name) {
  const named_charset c = look_up(name);
  if (c.gbk()) return target::gbk;
  switch (c.written) {
    case ZEL_CHARSET_UTF8:
      return target::utf8;
    case ZEL_CHARSET_GB18030:
      return target::gb18030;
    case ZEL_CHARSET_UCS2LE:
      return target::ucs2;
    default:
      throw py::value_error("unknown target '" + std::string(name) +
                            "': one of 'utf-8', 'gbk', 'gb18030', 'ucs-2'");
  }
}

// The bytes of a charset's byte-order mark; `after` gets the id its text
// goes on in after the mark when it always starts with one (UTF-16, UTF-32).
std::string_view mark_of(int id, int* after = nullptr) {
  zel_slice m;
  const int follows = zel_charset_mark(id, &m);
  if (after) *after = follows;
  return {m.data, static_cast<std::size_t>(m.length)};
}

std::string charset_text(py::handle charset) {
  return PyUnicode_Check(charset.ptr()) ? charset.cast<std::string>()
                                        : "#" + std::to_string(resolve(charset));
}

void check_result(int result) {
  switch (result) {
    case ZEL_RESULT_OK:
      return;
    case ZEL_RESULT_UNKNOWN_CHARSET:
      throw py::value_error("no charset has this id");
    case ZEL_RESULT_RESERVED_CHARSET:
      throw py::value_error("charset id 56 is reserved");
    case ZEL_RESULT_OUTPUT_FULL:
      throw py::value_error("output longer than 2,147,483,646 bytes: convert in pieces (Stream)");
    case ZEL_RESULT_UNMAPPABLE:
      throw py::value_error("a character the target charset cannot hold");
    default:
      throw py::value_error("zel_code: bad argument (" + std::to_string(result) + ")");
  }
}

void check_length(std::size_t n) {
  if (n > max_size)
    throw py::value_error("input longer than 2,147,483,646 bytes: convert in pieces (Stream)");
}

// errors: "strict" raises at the first degradation, "replace" (the default)
// keeps what the library writes.
bool is_strict(std::string_view errors) {
  if (errors == "strict") return true;
  if (errors == "replace") return false;
  throw py::value_error("errors must be 'strict' or 'replace', not '" + std::string(errors) + "'");
}

// The unmappable= choices of convert().
int unmappable_rule(std::string_view name) {
  if (name == "substitute") return ZEL_UNMAPPABLE_SUBSTITUTE;
  if (name == "skip") return ZEL_UNMAPPABLE_SKIP;
  if (name == "ncr") return ZEL_UNMAPPABLE_NCR;
  if (name == "stop") return ZEL_UNMAPPABLE_STOP;
  throw py::value_error("unmappable must be 'substitute', 'skip', 'ncr' or 'stop', not '" +
                        std::string(name) + "'");
}

// Python's error handlers for encoding that are the library's unmappable
// choices; "strict" stops, to raise at the character.
int encode_rule(std::string_view errors) {
  if (errors == "strict") return ZEL_UNMAPPABLE_STOP;
  if (errors == "replace") return ZEL_UNMAPPABLE_SUBSTITUTE;
  if (errors == "ignore") return ZEL_UNMAPPABLE_SKIP;
  if (errors == "xmlcharrefreplace") return ZEL_UNMAPPABLE_NCR;
  throw py::value_error(
      "errors must be 'strict', 'replace', 'ignore' or 'xmlcharrefreplace' to encode, not '" +
      std::string(errors) + "'");
}

std::string plural(std::int64_t n, const char* noun, const char* rest) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s") + rest;
}

// What degraded, for the exception's reason.
std::string describe(const zel_report& r) {
  std::string s;
  auto add = [&s](std::int64_t n, const char* noun, const char* rest) {
    if (n <= 0) return;
    s += (s.empty() ? "" : ", ") + plural(n, noun, rest);
  };
  add(r.passed, "byte", " passed through");
  add(r.dropped, "byte", " dropped");
  add(r.malformed, "malformed sequence", "");
  add(r.replaced, "replacement character", "");
  add(r.unmappable, "character", " the target cannot hold");
  return s.empty() ? "cannot convert faithfully" : "cannot convert faithfully: " + s;
}

// Raises UnicodeDecodeError for the degradation first at `offset` of
// `object`'s bytes (clamped into them: a stream may report a byte held from
// an earlier piece).
[[noreturn]] void raise_decode_error(const std::string& encoding, const char* data, std::size_t n,
                                     std::int64_t offset, const zel_report& r) {
  Py_ssize_t at = offset < 0 ? 0 : static_cast<Py_ssize_t>(offset);
  const auto size = static_cast<Py_ssize_t>(n);
  if (at >= size) at = size > 0 ? size - 1 : 0;
  const std::string reason = describe(r);
  PyObject* e = PyUnicodeDecodeError_Create(encoding.c_str(), data, size, at, size > 0 ? at + 1 : 0,
                                            reason.c_str());
  if (e) {
    PyErr_SetObject(PyExc_UnicodeDecodeError, e);
    Py_DECREF(e);
  }
  throw py::error_already_set();
}

// Raises UnicodeEncodeError for the character at index `at` of `text`
// (clamped into it, as above).
[[noreturn]] void raise_encode_error(const std::string& encoding, py::handle text, std::int64_t at,
                                     const zel_report& r) {
  const Py_ssize_t size = PyUnicode_GET_LENGTH(text.ptr());
  Py_ssize_t start = at < 0 ? 0 : static_cast<Py_ssize_t>(at);
  if (start >= size) start = size > 0 ? size - 1 : 0;
  const std::string reason = describe(r);
  PyObject* e = PyObject_CallFunction(PyExc_UnicodeEncodeError, "sOnns", encoding.c_str(),
                                      text.ptr(), start, size > 0 ? start + 1 : 0, reason.c_str());
  if (e) {
    PyErr_SetObject(PyExc_UnicodeEncodeError, e);
    Py_DECREF(e);
  }
  throw py::error_already_set();
}

// A str's code points as bytes of a charset the library reads, one
// character each: see the header comment. The ten conversions read no
// UTF-32, so for them it is UTF-8, a lone surrogate kept as its three bytes
// (which they read as one unit). A two-byte str (and any str when Latin-1 is
// not asked for) is widened into a copy; the others are read where they are.
class str_bytes {
 public:
  enum form { any, utf32, utf8 };

  str_bytes(py::handle text, form f) {
    PyObject* o = text.ptr();
    if (!PyUnicode_Check(o)) throw py::type_error("expected a str");
    const auto n = static_cast<std::size_t>(PyUnicode_GET_LENGTH(o));
    const int kind = PyUnicode_KIND(o);
    if (f == utf8) {
      id_ = ZEL_CHARSET_UTF8;
      width_ = 0;
      Py_ssize_t size = 0;
      data_ = PyUnicode_AsUTF8AndSize(o, &size);
      if (!data_) {
        PyErr_Clear();
        bytes_ = py::reinterpret_steal<py::object>(
            PyUnicode_AsEncodedString(o, "utf-8", "surrogatepass"));
        if (!bytes_) throw py::error_already_set();
        data_ = PyBytes_AS_STRING(bytes_.ptr());
        size = PyBytes_GET_SIZE(bytes_.ptr());
      }
      size_ = static_cast<std::size_t>(size);
      return;
    }
    if (f == any && kind == PyUnicode_1BYTE_KIND) {
      id_ = ZEL_CHARSET_ISO_8859_1;
      width_ = 1;
      data_ = static_cast<const char*>(PyUnicode_DATA(o));
    } else if (kind == PyUnicode_4BYTE_KIND) {
      data_ = static_cast<const char*>(PyUnicode_DATA(o));
    } else {
      copy_ = PyUnicode_AsUCS4Copy(o);
      if (!copy_) throw py::error_already_set();
      data_ = reinterpret_cast<const char*>(copy_);
    }
    size_ = n * static_cast<std::size_t>(width_);
  }
  str_bytes(const str_bytes&) = delete;
  str_bytes& operator=(const str_bytes&) = delete;
  ~str_bytes() { PyMem_Free(copy_); }
  const char* data() const noexcept { return data_; }
  std::size_t size() const noexcept { return size_; }
  int id() const noexcept { return id_; }

  // The index of the character at a byte offset (clamped into the text).
  std::int64_t index(std::int64_t offset) const noexcept {
    const auto at = static_cast<std::size_t>(
        std::clamp<std::int64_t>(offset, 0, static_cast<std::int64_t>(size_)));
    if (width_) return static_cast<std::int64_t>(at / static_cast<std::size_t>(width_));
    return std::count_if(data_, data_ + at, [](char c) { return (c & 0xC0) != 0x80; });
  }

 private:
  int id_ = ZEL_CHARSET_UTF32LE;
  int width_ = 4;  // bytes a character, 0 for UTF-8
  const char* data_ = nullptr;
  std::size_t size_ = 0;
  Py_UCS4* copy_ = nullptr;
  py::object bytes_;  // the UTF-8 with surrogates, when made
};

// The string a one-call conversion works in. Short inputs reuse one string
// per thread, as a C caller converting many short strings reuses its own, so
// that its buffer is seldom allocated afresh; between calls it holds at most
// the output of a short input. (Short calls keep the GIL throughout, so no
// other call on the thread can come between a conversion and its result.)
class work_string {
 public:
  explicit work_string(std::size_t n) : s_(n < release_threshold ? &scratch() : &own_) {}
  work_string(const work_string&) = delete;
  work_string& operator=(const work_string&) = delete;
  zel_string* get() noexcept { return s_->get(); }
  const char* data() const noexcept { return s_->data(); }
  std::size_t size() const noexcept { return s_->size(); }

 private:
  static owned_string& scratch() {
    thread_local owned_string s;
    return s;
  }
  owned_string own_;
  owned_string* s_;
};

// Runs `call(zel_string*, zel_report*)` on a copy of the input (`in`, with
// data() and size()); the report is taken when asked for, or when the
// output might reach the string limit. Returns the call's result when it is
// ZEL_RESULT_OK or ZEL_RESULT_UNMAPPABLE, which the caller places.
template <class Input, class Call>
int in_place(const Input& in, work_string& s, bool counted, std::size_t most, zel_report& r,
             Call call) {
  check_length(in.size());
  counted = counted || in.size() > max_size / most;
  int result;
  {
    maybe_released unlocked(in.size());
    zel_string_assign(s.get(), in.data(), static_cast<std::int32_t>(in.size()));
    result = call(s.get(), counted ? &r : nullptr);
  }
  if (result != ZEL_RESULT_UNMAPPABLE) check_result(result);
  if (counted && r.truncated) check_result(ZEL_RESULT_OUTPUT_FULL);
  return result;
}

// A bytes object holding a copy of the output. A large one is copied without
// the GIL: the new object is not yet visible to any other thread.
py::bytes to_bytes(const char* data, std::size_t n) {
  PyObject* o = PyBytes_FromStringAndSize(nullptr, static_cast<Py_ssize_t>(n));
  if (!o) throw py::error_already_set();
  {
    maybe_released unlocked(n);
    if (n) std::memcpy(PyBytes_AS_STRING(o), data, n);
  }
  return py::reinterpret_steal<py::bytes>(o);
}

template <class Call>
py::bytes bytes_call(py::handle data, const std::string& encoding, std::string_view errors,
                     Call call) {
  const bool strict = is_strict(errors);
  input_bytes in(data);
  work_string s(in.size());
  zel_report r{};
  in_place(in, s, strict, growth, r, call);
  if (strict && r.first_offset >= 0)
    raise_decode_error(encoding, in.data(), in.size(), r.first_offset, r);
  return to_bytes(s.data(), s.size());
}

// The general conversion's UTF-8 as str. It is well-formed: each ill-formed
// sequence of the input became U+FFFD.
py::str utf8_str(const char* data, std::size_t n) {
  PyObject* o = PyUnicode_DecodeUTF8(data, static_cast<Py_ssize_t>(n), "strict");
  if (!o) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(o);
}

// Bytes of a text without the start a label drops (UTF-8-SIG's mark).
struct byte_view {
  const char* p;
  std::size_t n;
  const char* data() const noexcept { return p; }
  std::size_t size() const noexcept { return n; }
};

// How many bytes a byte-order mark takes at the start of text read through
// the label: only a marked label's text starts with one that is no
// character of it.
std::size_t leading_mark(const named_charset& c, const char* data, std::size_t n) {
  if (!c.marked()) return 0;
  const std::string_view mark = mark_of(c.id);
  return std::string_view(data, n).substr(0, mark.size()) == mark ? mark.size() : 0;
}

py::str decode(py::handle data, py::handle charset, std::string_view errors) {
  const named_charset c = named(charset);
  const bool strict = is_strict(errors);
  input_bytes in(data);
  const std::size_t skip = leading_mark(c, in.data(), in.size());
  const byte_view text{in.data() + skip, in.size() - skip};
  work_string s(text.size());
  zel_report r{};
  in_place(text, s, strict, general_growth, r, [&c](zel_string* str, zel_report* rep) {
    return zel_convert(c.id, ZEL_CHARSET_UTF8, ZEL_UNMAPPABLE_SUBSTITUTE, str, rep);
  });
  if (strict && r.first_offset >= 0)
    raise_decode_error(charset_text(charset), in.data(), in.size(),
                       r.first_offset + static_cast<std::int64_t>(skip), r);
  return utf8_str(s.data(), s.size());
}

// What a charset is written as, as zelconv writes it: the label lookup
// says (GB 2312's labels write EUC-CN, UTF-8-SIG a mark first), and GBK,
// which the general conversion writes no form of but GB18030 (whose
// four-byte codes are no GBK), keeps the ten conversions' GBK writer and
// its space.
struct written_charset {
  int id;
  bool gbk;               // zel_code_gbk instead of the general conversion
  std::string_view mark;  // written before the text
};

written_charset written_as(py::handle charset) {
  const named_charset c = named(charset);
  return {c.written, c.gbk(), c.marked() ? mark_of(c.written) : std::string_view{}};
}

// The output with the target's leading mark, if it has one.
py::bytes marked_bytes(std::string_view mark, const char* data, std::size_t n) {
  if (mark.empty()) return to_bytes(data, n);
  std::string out(mark);
  out.append(data, n);
  return to_bytes(out.data(), out.size());
}

// GBK's writer knows one way with what it lacks, its space; strict
// encoding raises at it through the report.
void check_gbk_rule(bool taken, const char* what) {
  if (!taken)
    throw py::value_error(std::string("GBK is written with a space for what it lacks: ") + what +
                          " (GB18030 holds every character)");
}

// Bytes of `from` into GBK, as zelconv takes them: the ten conversions read
// UTF-32 as pivot text, so GBK is written from it by no one.
void check_into_gbk(int from, int rule) {
  check_gbk_rule(rule == ZEL_UNMAPPABLE_SUBSTITUTE, "unmappable='substitute'");
  if (from >= ZEL_CHARSET_UTF32 && from <= ZEL_CHARSET_UTF32LE)
    throw py::value_error("GBK is written from no UTF-32 text (GB18030 is)");
}

int into_gbk(int from, zel_string* s, zel_report* r) {
  return r ? zel_code_gbk_report(from, s, r) : zel_code_gbk(from, s);
}

// Any charset to any other through the general conversion (GBK through the
// ten conversions). A stop raises UnicodeDecodeError, as strict does, at the
// report's first event.
py::bytes convert(py::handle data, py::handle from, py::handle to, std::string_view errors,
                  std::string_view unmappable) {
  const named_charset source = named(from);
  const int from_id = source.id;
  const written_charset target = written_as(to);
  const int rule = unmappable_rule(unmappable);
  if (target.gbk) check_into_gbk(from_id, rule);
  const bool strict = is_strict(errors);
  input_bytes in(data);
  const std::size_t skip = leading_mark(source, in.data(), in.size());
  const byte_view text{in.data() + skip, in.size() - skip};
  work_string s(text.size());
  zel_report r{};
  const int result = in_place(text, s, strict || rule == ZEL_UNMAPPABLE_STOP, general_growth, r,
                              [=](zel_string* str, zel_report* rep) {
                                return target.gbk ? into_gbk(from_id, str, rep)
                                                  : zel_convert(from_id, target.id, rule, str, rep);
                              });
  if (result == ZEL_RESULT_UNMAPPABLE || (strict && r.first_offset >= 0))
    raise_decode_error(charset_text(from), in.data(), in.size(),
                       r.first_offset + static_cast<std::int64_t>(skip), r);
  return marked_bytes(target.mark, s.data(), s.size());
}

// str to bytes of a charset; errors as encode_rule() takes them.
py::bytes encode(py::handle text, py::handle charset, std::string_view errors) {
  const written_charset target = written_as(charset);
  const int rule = encode_rule(errors);
  if (target.gbk)
    check_gbk_rule(rule != ZEL_UNMAPPABLE_SKIP && rule != ZEL_UNMAPPABLE_NCR,
                   "errors 'strict' or 'replace'");
  const bool strict = rule == ZEL_UNMAPPABLE_STOP;
  const str_bytes in(text, target.gbk ? str_bytes::utf8 : str_bytes::any);
  work_string s(in.size());
  zel_report r{};
  const int result = in_place(in, s, strict, general_growth, r,
                              [&in, target, rule](zel_string* str, zel_report* rep) {
                                return target.gbk ? into_gbk(in.id(), str, rep)
                                                  : zel_convert(in.id(), target.id, rule, str, rep);
                              });
  // Strict fails on a lone surrogate too: its U+FFFD is a degradation.
  if (strict && (result == ZEL_RESULT_UNMAPPABLE || r.first_offset >= 0))
    raise_encode_error(charset_text(charset), text, in.index(r.first_offset), r);
  return marked_bytes(target.mark, s.data(), s.size());
}

template <void (*plain)(zel_string*), void (*counted)(zel_string*, zel_report*)>
int without_id(zel_string* s, zel_report* r) {
  if (r)
    counted(s, r);
  else
    plain(s);
  return ZEL_RESULT_OK;
}

py::bytes decode_references(py::handle data, const std::string& encoding,
                            const std::string& errors) {
  switch (find_target(encoding)) {
    case target::utf8:
      return bytes_call(data, encoding, errors,
                        without_id<zel_decode_utf8, zel_decode_utf8_report>);
    case target::gbk:
      return bytes_call(data, encoding, errors, without_id<zel_decode_gbk, zel_decode_gbk_report>);
    case target::gb18030:
      return bytes_call(data, encoding, errors,
                        without_id<zel_decode_gb18030, zel_decode_gb18030_report>);
    case target::ucs2:
      break;
  }
  throw py::value_error("character references are decoded in 'utf-8', 'gbk' or 'gb18030' text");
}

std::string_view text_of(const zel_label& l) {
  return {l.label, static_cast<std::size_t>(l.length)};
}

// Every label the library takes, and its charset's id.
py::dict labels() {
  py::dict out;
  zel_label l;
  for (int id = 1; id < zel_charset_count(); ++id)
    for (int i = 0; zel_charset_label(id, i, &l); ++i) out[py::str(text_of(l))] = id;
  return out;
}

// The label the library lists first for an id, which charset_id() maps
// back to it; None for an id without a charset (id 0 lists the refused).
py::object first_label(int id) {
  zel_label l;
  const bool named = zel_charset_name(id) && zel_charset_label(id, 0, &l);
  return named ? py::object(py::str(text_of(l))) : py::object(py::none());
}

// What the lookup says of a label, for the batch tool and for callers.
py::handle label_type;

py::object lookup(std::string_view label) {
  const named_charset c = look_up(label);
  zel_label l;
  zel_charset_lookup(std::string(label).c_str(), &l);
  return label_type(text_of(l), c.id, c.written, c.gbk(), c.marked(),
                    l.note ? py::object(py::str(l.note)) : py::object(py::none()));
}

// What the description of an id says.
py::handle charset_type;

py::object charset_info(int id) {
  const char* name = zel_charset_name(id);
  if (!name) throw py::value_error("no charset has id " + std::to_string(id));
  const int flags = zel_charset_flags(id);
  int after = 0;
  const std::string_view mark = mark_of(id, &after);
  return charset_type(id, name, (flags & ZEL_CHARSET_FLAG_READ) != 0,
                      (flags & ZEL_CHARSET_FLAG_WRITE) != 0, (flags & ZEL_CHARSET_FLAG_ASCII) != 0,
                      (flags & ZEL_CHARSET_FLAG_UNICODE) != 0, py::bytes(mark.data(), mark.size()),
                      after);
}

const char* reason_name(int reason) {
  switch (reason) {
    case ZEL_DETECT_BOM:
      return "bom";
    case ZEL_DETECT_ASCII:
      return "ascii";
    case ZEL_DETECT_STRUCTURE:
      return "structure";
    case ZEL_DETECT_STATISTICS:
      return "statistics";
    case ZEL_DETECT_BINARY:
      return "binary";
    default:
      return "nothing";
  }
}

// The Guess named tuple, made when the module is: the module's attribute
// keeps it alive.
py::handle guess_type;

py::object detect(py::handle data, py::handle candidates, bool whole) {
  std::vector<int> ids;
  const bool limited = !candidates.is_none();
  if (limited) {
    if (PyUnicode_Check(candidates.ptr()) || PyLong_Check(candidates.ptr()))
      throw py::type_error("candidates is a list of labels or ids");
    for (py::handle c : candidates) ids.push_back(resolve(c));
    if (ids.empty()) throw py::value_error("candidates is empty");
  }
  const input_bytes in(data);
  if (whole) check_length(in.size());
  const auto n = static_cast<std::int32_t>(std::min(in.size(), max_size));
  zel_guess g{};
  int result;
  {
    maybe_released unlocked(whole ? in.size()
                                  : std::min<std::size_t>(in.size(), ZEL_DETECT_PREFIX));
    result = zel_detect(in.data(), n, limited ? ids.data() : nullptr,
                        static_cast<std::int32_t>(ids.size()), whole ? ZEL_DETECT_WHOLE : 0, &g);
  }
  if (result == ZEL_RESULT_BAD_ARGUMENT && limited)
    throw py::value_error("no candidate names a charset with a decoder");
  check_result(result);
  // Binary data, and text no candidate reads well, name no charset.
  const py::object id = g.id ? py::object(py::int_(g.id)) : py::object(py::none());
  const py::object language = g.language ? py::object(py::str(g.language)) : py::object(py::none());
  return guess_type(id, g.id ? first_label(g.id) : py::object(py::none()), g.confidence,
                    g.runner_up, g.runner_up_confidence, reason_name(g.reason), g.examined,
                    language);
}

// A stream zel_stream_open or zel_stream_open_convert opened, or the
// exception for the reason it gives.
zel_stream* opened(zel_stream* st, int result) {
  if (!st) check_result(result == ZEL_RESULT_OK ? ZEL_RESULT_BAD_ARGUMENT : result);
  return st;
}

zel_stream* open_kind(int kind, int id, bool report) {
  int result = ZEL_RESULT_OK;
  zel_stream* st = zel_stream_open(kind | (report ? ZEL_STREAM_REPORT : 0), id, &result);
  return opened(st, result);
}

zel_stream* open_general(int from, int to, int rule, bool report) {
  int result = ZEL_RESULT_OK;
  zel_stream* st =
      zel_stream_open_convert(from, to, rule | (report ? ZEL_STREAM_REPORT : 0), &result);
  return opened(st, result);
}

// Drops the byte-order mark from the start of a text fed in pieces, for a
// label whose mark is no character of its text (UTF-8-SIG): the first
// bytes are held while they may still begin the mark.
class mark_dropper {
 public:
  explicit mark_dropper(std::string_view mark = {}) : mark_(mark) { reset(); }

  // The bytes to feed for the next piece of the text.
  byte_view take(const char* data, std::size_t n, bool last) {
    if (restart_) reset();
    restart_ = last;
    if (!open_) return {data, n};
    held_.append(data, n);
    const std::string_view start = held_;
    if (!last && start.size() < mark_.size() && mark_.starts_with(start)) return {data, 0};
    open_ = false;
    dropped_ = start.starts_with(mark_) ? mark_.size() : 0;
    return {held_.data() + dropped_, held_.size() - dropped_};
  }
  void reset() {
    held_.clear();
    open_ = !mark_.empty();
    restart_ = false;
    dropped_ = 0;
  }
  // Bytes of the text dropped before what was fed: offsets the stream
  // reports count from after them.
  std::int64_t dropped() const { return static_cast<std::int64_t>(dropped_); }
  // Bytes of the text given so far that have not been fed.
  std::int64_t held() const { return open_ ? static_cast<std::int64_t>(held_.size()) : 0; }

 private:
  std::string_view mark_;
  std::string held_;
  bool open_ = false, restart_ = false;
  std::size_t dropped_ = 0;
};

// One zel_stream and its output buffer. A lock keeps two threads from
// feeding it at once, as the GIL is released while it converts.
class stream {
 public:
  explicit stream(zel_stream* st) noexcept : st_(st) {}
  stream(const stream&) = delete;
  stream& operator=(const stream&) = delete;
  ~stream() { zel_stream_free(st_); }

  // Converts the piece into out_ (emptied first); the caller reads out_
  // while holding the lock. A general stream that stops leaves out_ empty,
  // sets `stopped`, and its report places the character.
  template <class Input>
  void feed(const Input& in, bool last) {
    const byte_view fed = drop.take(in.data(), in.size(), last);
    const char* p = fed.data();
    std::size_t left = fed.size();
    int result = ZEL_RESULT_OK;
    out_.clear();
    do {
      const std::size_t n = left < feed_part ? left : feed_part;
      result = zel_stream_feed(st_, p, static_cast<std::int32_t>(n), last && n == left, out_.get());
      p += n;
      left -= n;
    } while (left > 0 && result == ZEL_RESULT_OK);
    stopped = result == ZEL_RESULT_UNMAPPABLE;
    if (stopped)
      out_.clear();
    else
      check_result(result);
  }

  zel_report report() const {
    zel_report r;
    zel_stream_report(st_, &r);
    return r;
  }
  void reset() {
    zel_stream_reset(st_);
    drop.reset();
  }

  std::mutex lock;
  owned_string out_;
  mark_dropper drop;     // what the source label drops from its text's start
  bool stopped = false;  // the last feed stopped at a character the target lacks

 private:
  zel_stream* st_ = nullptr;
};

int stream_kind(target t) {
  switch (t) {
    case target::ucs2:
      return ZEL_STREAM_TO_UCS2;
    case target::utf8:
      return ZEL_STREAM_TO_UTF8;
    case target::gbk:
      return ZEL_STREAM_TO_GBK;
    case target::gb18030:
      return ZEL_STREAM_TO_GB18030;
  }
  return 0;
}

// Takes the stream's lock. Its holder may be converting without the GIL and
// need the GIL back to finish, so a thread waits for the lock without it.
std::unique_lock<std::mutex> lock_stream(stream& st) {
  std::unique_lock<std::mutex> held(st.lock, std::try_to_lock);
  if (!held) {
    py::gil_scoped_release unlocked;
    held.lock();
  }
  return held;
}

// Feeds under the stream's lock, the GIL released for large pieces, then
// makes the Python object from the output with the GIL held.
template <class Input, class Make>
py::object feed_locked(stream& st, const Input& in, bool last, Make make) {
  const std::unique_lock<std::mutex> held = lock_stream(st);
  {
    maybe_released unlocked(in.size());
    st.feed(in, last);
  }
  return make(st.out_.data(), st.out_.size(), in);
}

// bytes in, bytes of one of the four targets out.
class byte_stream {
 public:
  byte_stream(py::handle charset, const std::string& to, bool report)
      : st_(open_kind(stream_kind(find_target(to)), resolve(charset), report)) {}

  py::bytes feed(py::handle data, bool last) {
    const input_bytes in(data);
    return feed_locked(st_, in, last, [](const char* p, std::size_t n, const input_bytes&) {
      return to_bytes(p, n);
    });
  }
  zel_report report() {
    const std::unique_lock<std::mutex> held = lock_stream(st_);
    return st_.report();
  }
  void reset() {
    const std::unique_lock<std::mutex> held = lock_stream(st_);
    st_.reset();
  }

 private:
  stream st_;
};

// bytes in, bytes of another charset out, as convert() writes them: the
// general conversion's stream, GBK's stream of the ten conversions for the
// GBK labels. A stop raises UnicodeDecodeError at its place in the piece
// that revealed it (clamped into the piece); the report keeps the text's
// counts until the next feed, which starts a new text.
class convert_stream {
 public:
  convert_stream(py::handle from, py::handle to, std::string_view unmappable, bool report)
      : from_(named(from)),
        to_(written_as(to)),
        rule_(unmappable_rule(unmappable)),
        encoding_(charset_text(from)),
        st_(open(from_.id, to_, rule_, report || rule_ == ZEL_UNMAPPABLE_STOP)) {
    if (from_.marked()) st_.drop = mark_dropper(mark_of(from_.id));
  }

  py::bytes feed(py::handle data, bool last) {
    const input_bytes in(data);
    const std::unique_lock<std::mutex> held = lock_stream(st_);
    if (st_.stopped) {
      st_.reset();
      taken_ = 0;
      mark_due_ = true;
    }
    const std::int64_t before = taken_;
    {
      maybe_released unlocked(in.size());
      st_.feed(in, last);
    }
    taken_ = last ? 0 : taken_ + static_cast<std::int64_t>(in.size());
    if (st_.stopped) {
      const zel_report r = st_.report();
      raise_decode_error(encoding_, in.data(), in.size(),
                         r.first_offset + st_.drop.dropped() - before, r);
    }
    const std::string_view mark = mark_due_ ? to_.mark : std::string_view{};
    mark_due_ = last;
    return marked_bytes(mark, st_.out_.data(), st_.out_.size());
  }
  zel_report report() {
    const std::unique_lock<std::mutex> held = lock_stream(st_);
    return st_.report();
  }
  void reset() {
    const std::unique_lock<std::mutex> held = lock_stream(st_);
    st_.reset();
    st_.stopped = false;
    taken_ = 0;
    mark_due_ = true;
  }
  int from_id() const { return from_.id; }
  int to_id() const { return to_.id; }

 private:
  static zel_stream* open(int from, written_charset to, int rule, bool report) {
    if (!to.gbk) return open_general(from, to.id, rule, report);
    check_into_gbk(from, rule);
    return open_kind(ZEL_STREAM_TO_GBK, from, report);
  }

  named_charset from_;
  written_charset to_;
  int rule_;
  std::string encoding_;
  std::int64_t taken_ = 0;  // input bytes of the text before the current piece
  bool mark_due_ = true;    // the target's mark, if any, comes before the next output
  stream st_;
};

// bytes in, str out, as decode() reads them; strict raises at the first
// degradation, at its place in the piece that revealed it.
class text_stream {
 public:
  text_stream(py::handle charset, const std::string& errors)
      : strict_(is_strict(errors)),
        encoding_(charset_text(charset)),
        st_(open_general(resolve(charset), ZEL_CHARSET_UTF8, ZEL_UNMAPPABLE_SUBSTITUTE, strict_)) {
    const named_charset c = named(charset);
    if (c.marked()) st_.drop = mark_dropper(mark_of(c.id));
  }

  py::str decode(py::handle data, bool final) {
    const input_bytes piece(data);
    return feed_locked(
               st_, piece, final,
               [this, final](const char* p, std::size_t n, const input_bytes& in) -> py::str {
                 const std::int64_t before = taken_;
                 taken_ += static_cast<std::int64_t>(in.size());
                 if (strict_) {
                   const zel_report r = st_.report();
                   if (r.first_offset >= 0)
                     raise_decode_error(encoding_, in.data(), in.size(),
                                        r.first_offset + st_.drop.dropped() - before, r);
                 }
                 if (final) taken_ = 0;
                 return utf8_str(p, n);
               })
        .cast<py::str>();
  }
  zel_report report() {
    const std::unique_lock<std::mutex> held = lock_stream(st_);
    return st_.report();
  }
  void reset() {
    const std::unique_lock<std::mutex> held = lock_stream(st_);
    st_.reset();
    taken_ = 0;
  }
  const std::string& encoding() const { return encoding_; }

 private:
  bool strict_;
  std::string encoding_;
  std::int64_t taken_ = 0;  // input bytes of the text before the current piece
  stream st_;
};

// str in, bytes of a charset out, as encode() writes them: the general
// conversion from the pieces' UTF-32LE (GBK's stream from their UTF-8).
// Strict raises at the first character the charset lacks (or a lone
// surrogate), at its place in the piece, and starts a new text.
class text_encoder {
 public:
  text_encoder(py::handle charset, const std::string& errors)
      : rule_(encode_rule(errors)),
        target_(written_as(charset)),
        encoding_(charset_text(charset)),
        st_(open(target_, rule_)) {}

  py::bytes encode(py::handle text, bool final) {
    const str_bytes in(text, target_.gbk ? str_bytes::utf8 : str_bytes::utf32);
    return feed_locked(st_, in, final,
                       [&](const char* p, std::size_t n, const str_bytes& piece) -> py::bytes {
                         const std::int64_t before = taken_;
                         taken_ += static_cast<std::int64_t>(piece.size());
                         if (rule_ == ZEL_UNMAPPABLE_STOP) {
                           const zel_report r = st_.report();
                           if (r.first_offset >= 0) {
                             st_.reset();
                             taken_ = 0;
                             raise_encode_error(encoding_, text,
                                                piece.index(r.first_offset - before), r);
                           }
                         }
                         if (final) taken_ = 0;
                         const std::string_view mark = mark_due_ ? target_.mark : "";
                         mark_due_ = final;
                         return marked_bytes(mark, p, n);
                       })
        .cast<py::bytes>();
  }
  void reset() {
    const std::unique_lock<std::mutex> held = lock_stream(st_);
    st_.reset();
    taken_ = 0;
    mark_due_ = true;
  }
  const std::string& encoding() const { return encoding_; }

 private:
  static zel_stream* open(written_charset target, int rule) {
    const bool strict = rule == ZEL_UNMAPPABLE_STOP;
    if (!target.gbk) return open_general(ZEL_CHARSET_UTF32LE, target.id, rule, strict);
    check_gbk_rule(rule != ZEL_UNMAPPABLE_SKIP && rule != ZEL_UNMAPPABLE_NCR,
                   "errors 'strict' or 'replace'");
    return open_kind(ZEL_STREAM_TO_GBK, ZEL_CHARSET_UTF8, strict);
  }

  int rule_;
  written_charset target_;
  std::string encoding_;
  std::int64_t taken_ = 0;  // input bytes of the text before the current piece
  bool mark_due_ = true;    // the target's mark, if any, comes before the next output
  stream st_;
};

// convert() and decode() are called once per short string in data
// pipelines, where pybind11's argument handling would cost several times the
// conversion: they take their arguments through CPython's vectorcall
// convention instead. `names` lists the parameters in order, the first
// `required` of them without a default; missing ones are left null.
template <std::size_t count>
void parse_arguments(const char* function, PyObject* const* args, Py_ssize_t nargs,
                     PyObject* kwnames, const std::array<const char*, count>& names,
                     std::size_t required, std::array<PyObject*, count>& out) {
  if (static_cast<std::size_t>(nargs) > count)
    throw py::type_error(std::string(function) + "() takes at most " + std::to_string(count) +
                         " arguments");
  for (Py_ssize_t i = 0; i < nargs; ++i) out[static_cast<std::size_t>(i)] = args[i];
  const Py_ssize_t keywords = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
  for (Py_ssize_t k = 0; k < keywords; ++k) {
    PyObject* name = PyTuple_GET_ITEM(kwnames, k);
    std::size_t i = 0;
    while (i < count && PyUnicode_CompareWithASCIIString(name, names[i]) != 0) ++i;
    if (i == count)
      throw py::type_error(std::string(function) + "() got an unexpected keyword argument '" +
                           std::string(utf8_view(name)) + "'");
    if (out[i])
      throw py::type_error(std::string(function) + "() got multiple values for argument '" +
                           names[i] + "'");
    out[i] = args[nargs + k];
  }
  for (std::size_t i = 0; i < required; ++i)
    if (!out[i])
      throw py::type_error(std::string(function) + "() missing required argument '" + names[i] +
                           "'");
}

std::string_view text_argument(PyObject* o, const char* name, std::string_view otherwise) {
  if (!o) return otherwise;
  if (!PyUnicode_Check(o)) throw py::type_error(std::string(name) + " must be a str");
  return utf8_view(o);
}

// Runs body() as a CPython function: its result, or null with the error set.
template <class Body>
PyObject* as_c_function(Body body) noexcept {
  try {
    return body().release().ptr();
  } catch (py::error_already_set& e) {
    e.restore();
  } catch (const py::builtin_exception& e) {
    e.set_error();
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& e) {
    PyErr_SetString(PyExc_RuntimeError, e.what());
  }
  return nullptr;
}

PyObject* convert_call(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return as_c_function([&] {
    std::array<PyObject*, 5> a{};
    parse_arguments("convert", args, nargs, kwnames,
                    std::array<const char*, 5>{"data", "from_", "to", "errors", "unmappable"}, 2,
                    a);
    static PyObject* const utf8 = PyUnicode_InternFromString("utf-8");  // kept for good
    if (!utf8) throw py::error_already_set();
    return py::object(convert(a[0], a[1], a[2] ? a[2] : utf8,
                              text_argument(a[3], "errors", "replace"),
                              text_argument(a[4], "unmappable", "substitute")));
  });
}

PyObject* decode_call(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return as_c_function([&] {
    std::array<PyObject*, 3> a{};
    parse_arguments("decode", args, nargs, kwnames,
                    std::array<const char*, 3>{"data", "charset", "errors"}, 2, a);
    return py::object(decode(a[0], a[1], text_argument(a[2], "errors", "replace")));
  });
}

template <PyObject* (*call)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*)>
PyCFunction as_method() {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(call));
}

PyMethodDef vectorcall_functions[] = {
    {"convert", as_method<convert_call>(), METH_FASTCALL | METH_KEYWORDS,
     "convert(data, from_, to='utf-8', errors='replace', unmappable='substitute') -> bytes\n\n"
     "Convert bytes of one charset into another (each a label or an id), as\n"
     "zel_convert() does: every code point both can hold is carried whole, and\n"
     "each ill-formed sequence becomes U+FFFD. 'gbk' and 'cp936' are written by\n"
     "zel_code_gbk(), with a space for what GBK lacks; 'gb2312' as EUC-CN;\n"
     "'utf-8-sig' drops a leading mark when read and writes one.\n\n"
     "unmappable says what becomes of a character the target lacks: 'substitute'\n"
     "('?', U+FFFD in the Unicode charsets), 'skip', 'ncr' (&#128512;) or 'stop'\n"
     "(UnicodeDecodeError at its offset in data). errors='strict' raises\n"
     "UnicodeDecodeError at the first degradation of any kind."},
    {"decode", as_method<decode_call>(), METH_FASTCALL | METH_KEYWORDS,
     "decode(data, charset, errors='replace') -> str\n\n"
     "Decode bytes of a charset (label or id) into str.\n\n"
     "errors='replace' keeps the library's degradation (U+FFFD for each\n"
     "ill-formed sequence and each code without a character); 'strict' raises\n"
     "UnicodeDecodeError at the first degradation."},
    {nullptr, nullptr, 0, nullptr},
};

std::string report_repr(const zel_report& r) {
  return "Report(passed=" + std::to_string(r.passed) + ", dropped=" + std::to_string(r.dropped) +
         ", replaced=" + std::to_string(r.replaced) +
         ", unmappable=" + std::to_string(r.unmappable) +
         ", malformed=" + std::to_string(r.malformed) +
         ", first_offset=" + std::to_string(r.first_offset) +
         ", truncated=" + (r.truncated ? "True" : "False") +
         ", truncated_at=" + std::to_string(r.truncated_at) + ")";
}

}  // namespace

PYBIND11_MODULE(_zel_code, m) {
  m.doc() = "The zel_code library's conversions; see the zel_code package.";
  m.attr("__version__") = ZEL_CODE_VERSION;

  if (PyModule_AddFunctions(m.ptr(), vectorcall_functions) != 0) throw py::error_already_set();
  m.def(
      "big5_to_gbk",
      [](py::handle data, const std::string& errors) {
        return bytes_call(data, "big5", errors,
                          without_id<zel_code_big5_gbk, zel_code_big5_gbk_report>);
      },
      py::arg("data"), py::arg("errors") = "replace",
      "Transcode Big5 into GBK pair by pair, traditional characters to simplified.");
  m.def(
      "gbk_to_big5",
      [](py::handle data, const std::string& errors) {
        return bytes_call(data, "gbk", errors,
                          without_id<zel_code_gbk_big5, zel_code_gbk_big5_report>);
      },
      py::arg("data"), py::arg("errors") = "replace",
      "Transcode GBK into Big5 pair by pair, simplified characters to traditional.");
  m.def("decode_references", &decode_references, py::arg("data"), py::arg("encoding") = "utf-8",
        py::arg("errors") = "replace",
        "Replace HTML character references in text of 'utf-8', 'gbk' or 'gb18030'.");
  m.def("encode", &encode, py::arg("text"), py::arg("charset"), py::arg("errors") = "strict",
        "Encode str into bytes of a charset (label or id), every character it holds\n"
        "whole. errors: 'strict' (UnicodeEncodeError at the first character the\n"
        "charset lacks, or a lone surrogate), 'replace' (the charset's substitute),\n"
        "'ignore' or 'xmlcharrefreplace'.");
  m.def("charset_id", &charset_id, py::arg("label"),
        "The charset id of a label; ValueError when the library does not take it\n"
        "(naming the nearest label it knows, or why it refuses it).");
  label_type = py::module_::import("collections")
                   .attr("namedtuple")("Label", "label id written gbk_writer marked note");
  m.attr("Label") = label_type;
  m.def("lookup", &lookup, py::arg("label"),
        "What the library's label lookup says of a label: a Label of the label as\n"
        "listed, the id read, the id written for it as a target, whether GBK's\n"
        "own writer writes it, whether its text starts with a byte-order mark\n"
        "that is no character of it (UTF-8-SIG), and a note (None, or how it\n"
        "differs from its charset). ValueError as charset_id().");
  charset_type = py::module_::import("collections")
                     .attr("namedtuple")("Charset",
                                         "id name readable writable ascii unicode mark "
                                         "mark_then");
  m.attr("Charset") = charset_type;
  m.def("charset", &charset_info, py::arg("id"),
        "The library's description of a charset id: its name; whether the\n"
        "general conversion reads and writes it; whether bytes below 0x80 are\n"
        "ASCII; whether it is a Unicode form (which holds a byte-order mark);\n"
        "the bytes of its mark (b'' where it has none); and, for UTF-16 and\n"
        "UTF-32, whose text starts with the mark, the id of the text after it\n"
        "(else 0).");
  guess_type = py::module_::import("collections")
                   .attr("namedtuple")("Guess",
                                       "id label confidence runner_up runner_up_confidence "
                                       "reason examined language");
  m.attr("Guess") = guess_type;
  m.def("detect", &detect, py::arg("data"), py::arg("candidates") = py::none(),
        py::arg("whole") = false,
        "Guess the charset of bytes: a Guess of the id, a label charset_id() takes,\n"
        "the confidence (0..1), the runner-up id and its\n"
        "confidence, the reason ('bom', 'ascii', 'structure', 'statistics',\n"
        "'binary' or 'nothing'), the bytes examined and the language where the\n"
        "statistics read one. id and label are None for binary data and for text\n"
        "no candidate reads well. Reads the first 64 KiB unless whole;\n"
        "candidates (labels or ids) limits the answer to them.");
  m.def("labels", &labels,
        "Every label the library takes, mapped to its charset id. Case, '-', '_',\n"
        "'.' and spaces do not matter in a label given to the other functions.");

  py::class_<zel_report>(m, "Report", "What a conversion could not carry over faithfully.")
      .def_readonly("passed", &zel_report::passed)
      .def_readonly("dropped", &zel_report::dropped)
      .def_readonly("replaced", &zel_report::replaced)
      .def_readonly("unmappable", &zel_report::unmappable)
      .def_readonly("malformed", &zel_report::malformed)
      .def_readonly("first_offset", &zel_report::first_offset)
      .def_property_readonly("truncated", [](const zel_report& r) { return r.truncated != 0; })
      .def_readonly("truncated_at", &zel_report::truncated_at)
      .def("__repr__", &report_repr);

  py::class_<byte_stream>(m, "Stream",
                          "The ten conversions (zel_code_utf8() and its siblings) fed in\n"
                          "pieces: the pieces' outputs joined equal one call on the whole text,\n"
                          "wherever it is cut.")
      .def(py::init<py::handle, const std::string&, bool>(), py::arg("charset"),
           py::arg("to") = "utf-8", py::arg("report") = false)
      .def("feed", &byte_stream::feed, py::arg("data"), py::arg("last") = false,
           "Convert the next piece and return its output; last=True ends the text\n"
           "(a feed after it starts a new one).")
      .def("report", &byte_stream::report,
           "The counts of the text so far (zero unless opened with report=True).")
      .def("reset", &byte_stream::reset, "Start a new text.");

  py::class_<convert_stream>(m, "Converter",
                             "convert() fed in pieces: the pieces' outputs joined equal one\n"
                             "convert() of the whole text, wherever it is cut.")
      .def(py::init<py::handle, py::handle, std::string_view, bool>(), py::arg("from_"),
           py::arg("to") = "utf-8", py::arg("unmappable") = "substitute", py::arg("report") = false)
      .def("feed", &convert_stream::feed, py::arg("data"), py::arg("last") = false,
           "Convert the next piece and return its output; last=True ends the text\n"
           "(a feed after it starts a new one). unmappable='stop' raises\n"
           "UnicodeDecodeError at a character the target lacks; report() then\n"
           "places it, and the next feed starts a new text.")
      .def("report", &convert_stream::report,
           "The counts of the text so far (zero unless opened with report=True).")
      .def("reset", &convert_stream::reset, "Start a new text.")
      .def_property_readonly("from_id", &convert_stream::from_id, "The id of the text read.")
      .def_property_readonly("to_id", &convert_stream::to_id,
                             "The id of the text written (GB18030's for GBK too).");

  py::class_<text_stream>(m, "Decoder",
                          "decode() fed in pieces: the pieces' str joined equal one decode()\n"
                          "of the whole text, wherever it is cut.")
      .def(py::init<py::handle, const std::string&>(), py::arg("charset"),
           py::arg("errors") = "replace")
      .def("decode", &text_stream::decode, py::arg("data"), py::arg("final") = false,
           "Decode the next piece; final=True ends the text.")
      .def("report", &text_stream::report, "The counts of the text so far (errors='strict').")
      .def("reset", &text_stream::reset, "Start a new text.")
      .def_property_readonly("encoding", &text_stream::encoding);

  py::class_<text_encoder>(m, "Encoder",
                           "encode() fed in pieces: the pieces' bytes joined equal one encode()\n"
                           "of the whole text, a byte-order mark written once and an ISO-2022\n"
                           "text returned to ASCII only at its end.")
      .def(py::init<py::handle, const std::string&>(), py::arg("charset"),
           py::arg("errors") = "strict")
      .def("encode", &text_encoder::encode, py::arg("text"), py::arg("final") = false,
           "Encode the next piece; final=True ends the text.")
      .def("reset", &text_encoder::reset, "Start a new text.")
      .def_property_readonly("encoding", &text_encoder::encoding);
}
