#include "src/string/byte_sink.h"

namespace zel {

void byte_sink::grow_to(std::size_t capacity) {
  if (capacity > limit) capacity = limit;
  std::size_t used = static_cast<std::size_t>(pos - start());
  // The string keeps what has been written so far when its buffer moves.
  zel_string_set_length(&buffer, static_cast<std::int32_t>(used));
  char* data = reserve_bytes(&buffer, capacity);
  if (!data) return;
  pos = reinterpret_cast<std::uint8_t*>(data) + used;
  std::size_t room = buffer.reserved < limit ? buffer.reserved : limit;
  end = reinterpret_cast<std::uint8_t*>(data) + room;
}

void byte_sink::grow(std::size_t n) {
  if (full) {
    pos = overflow;
    end = overflow + sizeof overflow;
    return;
  }
  std::size_t used = static_cast<std::size_t>(pos - start());
  if (n > limit - used) {
    // The string cannot hold more: keep what fits as whole units, drop the rest.
    kept = used;
    full = true;
    pos = overflow;
    end = overflow + sizeof overflow;
    return;
  }
  std::size_t want = used + n;
  std::size_t doubled = used * 2;
  grow_to(want > doubled ? want : doubled);
}

}  // namespace zel
