//! A C ABI over encoding_rs for the benchmark harness (bench/convert_bench.cpp
//! and bench/size_sweep.cpp): whole-buffer conversions into a buffer the
//! caller allocated, the way the other peers are driven.
//!
//! Decoders and encoders are made afresh in every call: encoding_rs has no
//! reset, so a new one per conversion is how its users (and its own
//! `Encoding::decode`) work. Malformed input becomes U+FFFD; characters the
//! target cannot hold become decimal character references, encoding_rs's only
//! replacing encode. Each conversion returns the units or bytes written, or
//! `usize::MAX` when the output buffer was too small or the input is not what
//! the call takes.

use encoding_rs::{CoderResult, Encoding};
use std::os::raw::c_char;

const FAILED: usize = usize::MAX;

unsafe fn bytes<'a>(p: *const u8, n: usize) -> &'a [u8] {
    if n == 0 {
        &[]
    } else {
        std::slice::from_raw_parts(p, n)
    }
}

unsafe fn bytes_mut<'a>(p: *mut u8, n: usize) -> &'a mut [u8] {
    if n == 0 {
        &mut []
    } else {
        std::slice::from_raw_parts_mut(p, n)
    }
}

unsafe fn units<'a>(p: *const u16, n: usize) -> &'a [u16] {
    if n == 0 {
        &[]
    } else {
        std::slice::from_raw_parts(p, n)
    }
}

unsafe fn units_mut<'a>(p: *mut u16, n: usize) -> &'a mut [u16] {
    if n == 0 {
        &mut []
    } else {
        std::slice::from_raw_parts_mut(p, n)
    }
}

/// The encoding a WHATWG label names (NUL-terminated), or null.
#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_for_label(label: *const c_char) -> *const Encoding {
    let label = std::ffi::CStr::from_ptr(label).to_bytes();
    match Encoding::for_label(label) {
        Some(e) => e,
        None => std::ptr::null(),
    }
}

/// The optional encoding_rs features this library was built with, for the
/// benchmark's context line.
#[no_mangle]
pub extern "C" fn zel_bench_ers_features() -> *const c_char {
    if cfg!(feature = "fast-legacy-encode") {
        b"fast-legacy-encode\0".as_ptr() as *const c_char
    } else {
        b"default\0".as_ptr() as *const c_char
    }
}

/// UTF-16 units that decoding `len` bytes can take at most.
#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_utf16_room(enc: *const Encoding, len: usize) -> usize {
    (*enc)
        .new_decoder_without_bom_handling()
        .max_utf16_buffer_length(len)
        .unwrap_or(FAILED)
}

/// UTF-8 bytes that decoding `len` bytes can take at most.
#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_utf8_room(enc: *const Encoding, len: usize) -> usize {
    (*enc)
        .new_decoder_without_bom_handling()
        .max_utf8_buffer_length(len)
        .unwrap_or(FAILED)
}

#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_decode_to_utf16(
    enc: *const Encoding,
    src: *const u8,
    src_len: usize,
    dst: *mut u16,
    dst_len: usize,
) -> usize {
    let mut decoder = (*enc).new_decoder_without_bom_handling();
    let (result, _, written, _) =
        decoder.decode_to_utf16(bytes(src, src_len), units_mut(dst, dst_len), true);
    match result {
        CoderResult::InputEmpty => written,
        CoderResult::OutputFull => FAILED,
    }
}

#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_decode_to_utf8(
    enc: *const Encoding,
    src: *const u8,
    src_len: usize,
    dst: *mut u8,
    dst_len: usize,
) -> usize {
    let mut decoder = (*enc).new_decoder_without_bom_handling();
    let (result, _, written, _) =
        decoder.decode_to_utf8(bytes(src, src_len), bytes_mut(dst, dst_len), true);
    match result {
        CoderResult::InputEmpty => written,
        CoderResult::OutputFull => FAILED,
    }
}

/// Encodes UTF-8 into `enc`. The encoder takes `&str`, so the bytes are
/// validated first: the pass a C caller holding bytes has to pay.
#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_encode_from_utf8(
    enc: *const Encoding,
    src: *const u8,
    src_len: usize,
    dst: *mut u8,
    dst_len: usize,
) -> usize {
    let text = match std::str::from_utf8(bytes(src, src_len)) {
        Ok(t) => t,
        Err(_) => return FAILED,
    };
    let mut encoder = (*enc).new_encoder();
    let (result, _, written, _) = encoder.encode_from_utf8(text, bytes_mut(dst, dst_len), true);
    match result {
        CoderResult::InputEmpty => written,
        CoderResult::OutputFull => FAILED,
    }
}

/// Encodes UTF-16 into `enc` (a lone surrogate is read as U+FFFD).
#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_encode_from_utf16(
    enc: *const Encoding,
    src: *const u16,
    src_units: usize,
    dst: *mut u8,
    dst_len: usize,
) -> usize {
    let mut encoder = (*enc).new_encoder();
    let (result, _, written, _) =
        encoder.encode_from_utf16(units(src, src_units), bytes_mut(dst, dst_len), true);
    match result {
        CoderResult::InputEmpty => written,
        CoderResult::OutputFull => FAILED,
    }
}

/// Decodes `from` and encodes into `to` through a UTF-16 pivot of 1024 units
/// on the stack, as ICU's ucnv_convertEx is driven.
#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_transcode(
    from: *const Encoding,
    to: *const Encoding,
    src: *const u8,
    src_len: usize,
    dst: *mut u8,
    dst_len: usize,
) -> usize {
    let mut decoder = (*from).new_decoder_without_bom_handling();
    let mut encoder = (*to).new_encoder();
    let mut input = bytes(src, src_len);
    let out = bytes_mut(dst, dst_len);
    let mut at = 0;
    let mut pivot = [0u16; 1024];
    loop {
        let (decoded, read, pivot_len, _) = decoder.decode_to_utf16(input, &mut pivot, true);
        input = &input[read..];
        let last = decoded == CoderResult::InputEmpty;
        let (encoded, _, written, _) =
            encoder.encode_from_utf16(&pivot[..pivot_len], &mut out[at..], last);
        at += written;
        if encoded == CoderResult::OutputFull {
            return FAILED;
        }
        if last {
            return at;
        }
    }
}

/// encoding_rs's UTF-8 to UTF-16 string conversion (U+FFFD for malformed
/// input); `dst_len` must exceed `src_len`.
#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_utf8_to_utf16(
    src: *const u8,
    src_len: usize,
    dst: *mut u16,
    dst_len: usize,
) -> usize {
    if dst_len <= src_len {
        return FAILED;
    }
    encoding_rs::mem::convert_utf8_to_utf16(bytes(src, src_len), units_mut(dst, dst_len))
}

/// encoding_rs's UTF-16 to UTF-8 string conversion (U+FFFD for a lone
/// surrogate); `dst_len` must be at least three bytes per unit.
#[no_mangle]
pub unsafe extern "C" fn zel_bench_ers_utf16_to_utf8(
    src: *const u16,
    src_units: usize,
    dst: *mut u8,
    dst_len: usize,
) -> usize {
    if dst_len < src_units.saturating_mul(3) {
        return FAILED;
    }
    encoding_rs::mem::convert_utf16_to_utf8(units(src, src_units), bytes_mut(dst, dst_len))
}
