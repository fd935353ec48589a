/* The C ABI of bench/encoding_rs/src/lib.rs: encoding_rs driven the way the
   benchmarks drive the other peers. Every conversion takes a buffer the
   caller allocated and returns the units or bytes written, or
   ZEL_BENCH_ERS_FAILED when the buffer was too small (or, for the encoder,
   the input is not UTF-8). Decoders and encoders are made inside each call. */
#ifndef ZEL_BENCH_ERS_H
#define ZEL_BENCH_ERS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZEL_BENCH_ERS_FAILED ((size_t)-1)

typedef struct zel_bench_ers_encoding zel_bench_ers_encoding;

/* The encoding a WHATWG label names, or NULL. */
const zel_bench_ers_encoding* zel_bench_ers_for_label(const char* label);
/* "fast-legacy-encode" or "default": the optional features built in. */
const char* zel_bench_ers_features(void);

/* Worst-case output of decoding len bytes of enc. */
size_t zel_bench_ers_utf16_room(const zel_bench_ers_encoding* enc, size_t len);
size_t zel_bench_ers_utf8_room(const zel_bench_ers_encoding* enc, size_t len);

size_t zel_bench_ers_decode_to_utf16(const zel_bench_ers_encoding* enc, const uint8_t* src,
                                     size_t src_len, uint16_t* dst, size_t dst_len);
size_t zel_bench_ers_decode_to_utf8(const zel_bench_ers_encoding* enc, const uint8_t* src,
                                    size_t src_len, uint8_t* dst, size_t dst_len);
size_t zel_bench_ers_encode_from_utf8(const zel_bench_ers_encoding* enc, const uint8_t* src,
                                      size_t src_len, uint8_t* dst, size_t dst_len);
size_t zel_bench_ers_encode_from_utf16(const zel_bench_ers_encoding* enc, const uint16_t* src,
                                       size_t src_units, uint8_t* dst, size_t dst_len);
/* Decode from `from`, encode into `to`, through a small UTF-16 pivot. */
size_t zel_bench_ers_transcode(const zel_bench_ers_encoding* from, const zel_bench_ers_encoding* to,
                               const uint8_t* src, size_t src_len, uint8_t* dst, size_t dst_len);

/* The UTF-8 / UTF-16 string conversions; dst_len > src_len units for the
   first, dst_len >= 3 * src_units bytes for the second. */
size_t zel_bench_ers_utf8_to_utf16(const uint8_t* src, size_t src_len, uint16_t* dst,
                                   size_t dst_len);
size_t zel_bench_ers_utf16_to_utf8(const uint16_t* src, size_t src_units, uint8_t* dst,
                                   size_t dst_len);

#ifdef __cplusplus
}
#endif

#endif
