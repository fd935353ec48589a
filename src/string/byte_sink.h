// byte_sink: the output buffer of one conversion. It reserves the expected
// size once in a temporary zel_string and is then written through a raw
// pointer; writers ask for room with need() before each code unit, which is
// a compare on the hot path and an out-of-line grow only when the estimate
// was short. The finished buffer becomes the caller's string: the output is
// never copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "src/string/string_ops.h"
#include "zel_std.h"

namespace zel {

struct byte_sink {
  zel_string buffer;
  std::uint8_t* pos = nullptr;
  std::uint8_t* end = nullptr;
  // Content longer than this cannot be stored; output past it is dropped.
  // Tests lower it to reach that path with small inputs.
  std::size_t limit;
  std::size_t kept = 0;  // length at the moment the limit was hit
  bool full = false;
  std::uint8_t overflow[16];  // scratch that absorbs writes once full

  explicit byte_sink(std::size_t expected, std::size_t max = max_string_length) : limit(max) {
    zel_string_init(&buffer);
    pos = end = start();
    if (expected) grow_to(expected);
  }
  // Appends to what `target` holds: the sink takes the target's buffer over
  // for the call, and give_back() returns it with the output after the
  // content. No copy of either, but for a buffer the caller owns (no room
  // reserved by the string layer), whose content is copied into one of ours
  // and which is left as it is.
  byte_sink(zel_string* target, std::size_t expected_more, std::size_t max = max_string_length)
      : limit(max) {
    zel_string_init(&buffer);
    const std::size_t len = string_size(target);
    if (target->reserved != 0 && target->data) {
      buffer = *target;
      zel_string_set_length(&buffer, static_cast<std::int32_t>(len));
    } else if (len) {
      zel_string_append(&buffer, target->data, static_cast<std::int32_t>(len));
    }
    zel_string_init(target);
    pos = end = start() + len;
    grow_to(len + expected_more);
  }
  void give_back(zel_string* target) {
    zel_string_set_length(&buffer, static_cast<std::int32_t>(size()));
    zel_string_free(target);
    *target = buffer;
    zel_string_init(&buffer);
  }
  ~byte_sink() { zel_string_free(&buffer); }
  byte_sink(const byte_sink&) = delete;
  byte_sink& operator=(const byte_sink&) = delete;

  std::size_t size() const noexcept {
    return full ? kept : static_cast<std::size_t>(pos - start());
  }

  // Room for n more bytes (n at most sizeof overflow).
  void need(std::size_t n) {
    if (static_cast<std::size_t>(end - pos) < n) [[unlikely]]
      grow(n);
  }
  // Room for a run of n bytes written in one go; false once the string is
  // full, and the caller then writes the run unit by unit.
  bool need_run(std::size_t n) {
    if (static_cast<std::size_t>(end - pos) >= n) return true;
    if (full || n > limit - size()) return false;
    grow(n);
    return true;
  }
  void put(std::uint8_t b) noexcept { *pos++ = b; }
  void put(const std::uint8_t* data, std::size_t n) {
    if (n == 0) return;  // data may be null then
    if (need_run(n)) {
      std::memcpy(pos, data, n);
      pos += n;
      return;
    }
    for (std::size_t i = 0; i < n; ++i) {
      need(1);
      put(data[i]);
    }
  }

  // Room for n more bytes from `at`, a position a sink_cursor kept: the
  // sink takes the position back, grows if it must, and hands out the new
  // position (the scratch once full) and end.
  void need_from(std::uint8_t*& at, std::uint8_t*& room_end, std::size_t n) {
    pos = at;
    need(n);
    at = pos;
    room_end = end;
  }

  // Empties the sink, keeping its room: scratch reused from one window of
  // text to the next.
  void rewind() noexcept { pos = start(); }
  const std::uint8_t* data() const noexcept { return start(); }

  // The output becomes the content of `target`, whose old content (the
  // input, for the one-call conversions) is freed. Reserved room well
  // beyond the output is returned to the system first.
  void hand_over(zel_string* target) {
    give_back(target);
    release_spare_room(target);
  }

 private:
  std::uint8_t* start() const noexcept { return reinterpret_cast<std::uint8_t*>(buffer.data); }
  void grow(std::size_t n);
  void grow_to(std::size_t capacity);
};

// The last byte written, for a sink with something in it.
inline std::uint8_t sink_last_byte(const byte_sink& sink) noexcept { return sink.pos[-1]; }

// A writer's own copy of the sink's position and end. A byte stored through
// the sink's pointer could, for all the compiler knows, overwrite that very
// pointer, so it is reloaded and stored again around every byte; a cursor
// held in a local output (its address never taken once the decoder is
// inlined) lives in registers instead. The sink is told the position again
// whenever it must grow, and by done() before its size is read.
struct sink_cursor {
  byte_sink& sink;
  std::uint8_t* pos;
  std::uint8_t* end;

  explicit sink_cursor(byte_sink& s) noexcept : sink(s), pos(s.pos), end(s.end) {}

  bool has_room(std::size_t n) const noexcept { return static_cast<std::size_t>(end - pos) >= n; }
  void need(std::size_t n) {
    if (!has_room(n)) [[unlikely]]
      sink.need_from(pos, end, n);
  }
  void put(std::uint8_t b) noexcept { *pos++ = b; }
  void done() noexcept { sink.pos = pos; }
  // Room for a run of n bytes, as byte_sink::need_run.
  bool reserve(std::size_t n) {
    sink.pos = pos;
    const bool room = sink.need_run(n);
    pos = sink.pos;
    end = sink.end;
    return room;
  }
};

// Writes into room reserved beforehand (sink_cursor::reserve), with no
// check a byte: a loop's position then stays in a register.
struct reserved_cursor {
  std::uint8_t* pos;
  static constexpr bool has_room(std::size_t) noexcept { return true; }
  static constexpr void need(std::size_t) noexcept {}
  void put(std::uint8_t b) noexcept { *pos++ = b; }
};

}  // namespace zel
