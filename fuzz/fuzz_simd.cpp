// The vector kernels against their plain twins on any bytes, at every level
// this CPU runs. Each kernel family is one check in `checks`, given the
// fuzzer's bytes; a failed comparison aborts.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_common.h"
#include "src/simd/cpu.h"
#include "src/simd/pairs_to_ucs2.h"
#include "src/simd/single_byte_kernel.h"
#include "src/simd/utf16_to_utf8.h"
#include "src/simd/utf8_to_gbk.h"
#include "src/simd/utf8_to_ucs2.h"
#include "src/tables/big5.h"
#include "src/tables/gbk_gb18030.h"
#include "src/tables/japanese.h"
#include "src/tables/korean.h"
#include "src/tables/single_byte.h"
#include "zel_code.h"

namespace {

using zel_fuzz::check;

// UTF-16 to UTF-8: the bytes after the first are units, read in both byte
// orders; the first byte takes that much room off the worst case. A kernel
// must write what the plain twin writes for the units it read, and nothing
// past its room.
void utf16_to_utf8(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const std::size_t units = (size - 1) / 2;
  const std::size_t short_by = data[0];
  const std::size_t room = 3 * units > short_by ? 3 * units - short_by : 0;
  const std::uint8_t* in = data + 1;
  const zel::utf16_to_utf8_kernel& plain = zel::utf16_to_utf8_kernel_of(zel::simd::plain);
  std::vector<std::uint8_t> out(room + 128), twin(3 * units + 1);
  for (int l = 0; l <= static_cast<int>(zel::detect_simd_level()); ++l) {
    const zel::utf16_to_utf8_kernel& k = zel::utf16_to_utf8_kernel_of(static_cast<zel::simd>(l));
    for (bool big : {false, true}) {
      std::memset(out.data(), 0xAA, out.size());
      const zel::utf16_utf8_run run = (big ? k.big : k.little)(in, units, out.data(), room);
      for (std::size_t b = room; b < out.size(); ++b) check(out[b] == 0xAA);
      check(run.units <= units && run.bytes <= room);
      // The plain twin, with all the room it needs, stops only at a
      // surrogate: it reads at least as far.
      const zel::utf16_utf8_run all =
          (big ? plain.big : plain.little)(in, units, twin.data(), twin.size());
      check(all.units >= run.units);
      const zel::utf16_utf8_run same =
          (big ? plain.big : plain.little)(in, run.units, twin.data(), twin.size());
      check(same.units == run.units && same.bytes == run.bytes);
      check(std::memcmp(out.data(), twin.data(), run.bytes) == 0);
      // A kernel with room for its step stops early only at a surrogate.
      if (room - run.bytes >= k.step_room && units - run.units >= k.step_units)
        check(all.units == run.units);
    }
  }
}

// UTF-8 to UCS-2: every level reads and writes exactly what the plain twin
// does, within its room of two bytes an input byte.
void utf8_to_ucs2(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> in(data, data + size);
  std::vector<std::uint8_t> twin(2 * size + 1), out(2 * size + 64);
  const zel::utf8_ucs2_step want =
      zel::utf8_to_ucs2_kernel(zel::simd::plain)(in.data(), size, twin.data());
  for (int l = 0; l <= static_cast<int>(zel::detect_simd_level()); ++l) {
    std::memset(out.data(), 0xAA, out.size());
    const zel::utf8_ucs2_step got =
        zel::utf8_to_ucs2_kernel(static_cast<zel::simd>(l))(in.data(), size, out.data());
    for (std::size_t b = 2 * size; b < out.size(); ++b) check(out[b] == 0xAA);
    check(got.read == want.read && got.units == want.units);
    check(std::memcmp(out.data(), twin.data(), 2 * got.units) == 0);
  }
}

// Two-byte pairs to UCS-2: the first byte picks the table and shape, as its
// decoder reads them; every level reads and writes exactly what the plain
// twin does, within its room of two bytes an input byte.
void pairs_to_ucs2(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  struct shaped {
    zel::pair_table table;
    zel::pair_shape shape = zel::pair_shape::lead_trail;
  };
  const shaped tables[] = {
      {zel::make_pair_table(zel::gbk_to_ucs2, zel::gbk_columns, 0x81, 0xFE, 0x40, 0xFE)},
      {zel::make_pair_table(zel::big5_to_ucs2, zel::big5_columns, 0x80, 0xFF, 0x40, 0xFE)},
      {zel::make_pair_table(zel::ksc5601_to_ucs2, zel::ksc5601_columns, 0x81, 0xFF, 0x40, 0xFE)},
      {zel::make_pair_table(zel::ksx1001_to_ucs2, zel::ksx1001_columns, 0xA1, 0xFE, 0xA1, 0xFE)},
      {zel::make_pair_table(zel::sjis_to_ucs2, zel::sjis_columns, 0x81, 0xFF, 0x40, 0xFE),
       zel::pair_shape::shift_jis},
      {zel::make_pair_table(zel::jisx0208_to_ucs2, zel::jis_columns, 0xA1, 0xFE, 0xA1, 0xFE),
       zel::pair_shape::euc_jp}};
  const auto& [t, shape] = tables[data[0] % std::size(tables)];
  const std::vector<std::uint8_t> in(data + 1, data + size);
  const std::size_t n = size - 1;
  std::vector<std::uint8_t> twin(2 * n + 1), out(2 * n + 64);
  const zel::pairs_step want =
      zel::pairs_to_ucs2_kernel(zel::simd::plain, shape)(t, in.data(), n, twin.data());
  for (int l = 0; l <= static_cast<int>(zel::detect_simd_level()); ++l) {
    std::memset(out.data(), 0xAA, out.size());
    const zel::pairs_step got =
        zel::pairs_to_ucs2_kernel(static_cast<zel::simd>(l), shape)(t, in.data(), n, out.data());
    for (std::size_t b = 2 * n; b < out.size(); ++b) check(out[b] == 0xAA);
    check(got.read == want.read && got.units == want.units);
    check(std::memcmp(out.data(), twin.data(), 2 * got.units) == 0);
  }
}

// Single bytes to UCS-2 and UTF-8: the first byte picks the table (CP1252
// and CP874 have bytes of U+FFFD), the second takes room off UTF-8's worst
// case. Every level writes what the plain twin writes, and nothing past the
// n units or its room, and finds the same first byte of U+FFFD.
void single_byte(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  constexpr int ids[] = {ZEL_CHARSET_CP1252, ZEL_CHARSET_CP874, ZEL_CHARSET_KOI8_R,
                         ZEL_CHARSET_ISO_8859_1};
  const std::uint16_t* cells =
      *zel::single_byte_tables[zel::single_byte_index(ids[data[0] % std::size(ids)])];
  const std::vector<std::uint8_t> in(data + 2, data + size);
  const std::size_t n = size - 2;
  const std::size_t short_by = 4 * std::size_t{data[1]};
  const std::size_t room = 3 * n > short_by ? 3 * n - short_by : 0;
  std::vector<std::uint8_t> units(2 * n + 1), bytes(room + 1), out(3 * n + 64);
  zel::single_byte_to_ucs2_kernel(zel::simd::plain)(cells, in.data(), n, units.data());
  const zel::single_byte_utf8_run want =
      zel::single_byte_to_utf8_kernel(zel::simd::plain)(cells, in.data(), n, bytes.data(), room);
  for (int l = 0; l <= static_cast<int>(zel::detect_simd_level()); ++l) {
    const auto level = static_cast<zel::simd>(l);
    std::memset(out.data(), 0xAA, out.size());
    zel::single_byte_to_ucs2_kernel(level)(cells, in.data(), n, out.data());
    for (std::size_t b = 2 * n; b < out.size(); ++b) check(out[b] == 0xAA);
    check(std::memcmp(out.data(), units.data(), 2 * n) == 0);
    std::memset(out.data(), 0xAA, out.size());
    const zel::single_byte_utf8_run got =
        zel::single_byte_to_utf8_kernel(level)(cells, in.data(), n, out.data(), room);
    for (std::size_t b = room; b < out.size(); ++b) check(out[b] == 0xAA);
    check(got.read == want.read && got.bytes == want.bytes);
    check(std::memcmp(out.data(), bytes.data(), got.bytes) == 0);
    check(zel::first_empty_cell_kernel(level)(cells, in.data(), n) ==
          zel::first_empty_cell_kernel(zel::simd::plain)(cells, in.data(), n));
  }
}

// UTF-8 to GBK or GB18030: the first byte's low bit picks the target, the
// next whether GBK's space stops the kernel, the rest of it takes room off
// the worst case of two bytes an input byte. Every level reads and writes
// what the plain twin does, and nothing past its room.
void utf8_to_gbk(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const std::size_t n = size - 1;
  const auto target = data[0] & 1 ? zel::gbk_target::gb18030 : zel::gbk_target::gbk;
  const auto lacking = data[0] & 2 ? zel::gbk_lacking::space : zel::gbk_lacking::stop;
  const std::size_t short_by = 2 * static_cast<std::size_t>(data[0] >> 2);
  const std::size_t room = 2 * n > short_by ? 2 * n - short_by : 0;
  const std::vector<std::uint8_t> in(data + 1, data + size);
  std::vector<std::uint8_t> twin(room + 1), out(room + 64);
  const zel::utf8_gbk_run want =
      zel::utf8_to_gbk_kernel(zel::simd::plain, target, lacking)(in.data(), n, twin.data(), room);
  for (int l = 0; l <= static_cast<int>(zel::detect_simd_level()); ++l) {
    std::memset(out.data(), 0xAA, out.size());
    const zel::utf8_gbk_run got = zel::utf8_to_gbk_kernel(static_cast<zel::simd>(l), target,
                                                          lacking)(in.data(), n, out.data(), room);
    for (std::size_t b = room; b < out.size(); ++b) check(out[b] == 0xAA);
    check(got.read == want.read && got.bytes == want.bytes && got.spaces == want.spaces);
    check(std::memcmp(out.data(), twin.data(), got.bytes) == 0);
  }
}

using check_fn = void (*)(const std::uint8_t*, std::size_t);
constexpr check_fn checks[] = {utf16_to_utf8, utf8_to_ucs2, pairs_to_ucs2, single_byte,
                               utf8_to_gbk};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (check_fn c : checks) c(data, size);
  return 0;
}
