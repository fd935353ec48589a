/* zel_code: character-set conversion in place on a zel_string.
 *
 * Text from a source charset, named by a charset id, is converted into
 * UCS-2 little-endian (the pivot), UTF-8, GBK or GB18030. Malformed or
 * unmappable input never fails a call: it degrades in fixed ways (bytes
 * passed through as U+0000..U+00FF, U+FFFD for a code without a character
 * or a character beyond U+FFFF, a space in GBK and GB18030 output), which
 * the *_report calls count. Calls keep no state; calls on different strings
 * may run concurrently. */
#ifndef ZEL_CODE_H
#define ZEL_CODE_H

#include "zel_std.h"

/* The version of the library this header belongs to. The major version is
 * the shared library's SONAME version and changes only when a change breaks
 * callers; a new export raises the minor version. */
#define ZEL_CODE_VERSION_MAJOR 0
#define ZEL_CODE_VERSION_MINOR 4
#define ZEL_CODE_VERSION_PATCH 0
#define ZEL_CODE_VERSION "0.4.0"

#ifdef __cplusplus
extern "C" {
#endif

/* Charset ids. Callers store these numbers: they never change. */
enum zel_charset_id {
  ZEL_CHARSET_UNKNOWN = 0, /* refused: ZEL_RESULT_UNKNOWN_CHARSET */
  ZEL_CHARSET_UCS2LE = 1,
  ZEL_CHARSET_GB18030 = 2, /* also GBK, GB 2312, CP936 */
  ZEL_CHARSET_BIG5 = 3,
  ZEL_CHARSET_JIS_X0201 = 4, /* no decoder: bytes are read as pivot text */
  ZEL_CHARSET_JIS_X0208 = 5,
  ZEL_CHARSET_JIS_X0212 = 6,
  ZEL_CHARSET_SHIFT_JIS = 7,
  ZEL_CHARSET_UTF8 = 8,
  ZEL_CHARSET_UTF16 = 9, /* optional byte-order mark, big-endian without */
  ZEL_CHARSET_UTF16BE = 10,
  ZEL_CHARSET_UTF16LE = 11,
  ZEL_CHARSET_KS_C_5601 = 12,
  ZEL_CHARSET_KS_X_1001 = 13,
  ZEL_CHARSET_ISO_2022_CN = 14,
  ZEL_CHARSET_ISO_2022_JP = 15,
  ZEL_CHARSET_ISO_2022_KR = 16,
  ZEL_CHARSET_EUC_CN = 17,
  ZEL_CHARSET_EUC_TW = 18, /* no label maps here */
  ZEL_CHARSET_EUC_JP = 19,
  ZEL_CHARSET_EUC_KR = 20,
  ZEL_CHARSET_KOI8_R = 21,
  ZEL_CHARSET_KOI8_U = 22,
  ZEL_CHARSET_KOI8_RU = 23,
  ZEL_CHARSET_ISO_8859_1 = 24, /* also US-ASCII */
  ZEL_CHARSET_ISO_8859_2 = 25,
  ZEL_CHARSET_ISO_8859_3 = 26,
  ZEL_CHARSET_ISO_8859_4 = 27,
  ZEL_CHARSET_ISO_8859_5 = 28,
  ZEL_CHARSET_ISO_8859_6 = 29,
  ZEL_CHARSET_ISO_8859_7 = 30,
  ZEL_CHARSET_ISO_8859_8 = 31,
  ZEL_CHARSET_ISO_8859_9 = 32,
  ZEL_CHARSET_ISO_8859_10 = 33,
  ZEL_CHARSET_ISO_8859_11 = 34, /* TIS-620 */
  ZEL_CHARSET_ISO_8859_13 = 35,
  ZEL_CHARSET_ISO_8859_14 = 36,
  ZEL_CHARSET_ISO_8859_15 = 37,
  ZEL_CHARSET_ISO_8859_16 = 38,
  ZEL_CHARSET_CP874 = 39,
  ZEL_CHARSET_CP1250 = 40,
  ZEL_CHARSET_CP1251 = 41,
  ZEL_CHARSET_CP1252 = 42,
  ZEL_CHARSET_CP1253 = 43,
  ZEL_CHARSET_CP1254 = 44,
  ZEL_CHARSET_CP1255 = 45,
  ZEL_CHARSET_CP1256 = 46,
  ZEL_CHARSET_CP1257 = 47,
  ZEL_CHARSET_CP1258 = 48,
  ZEL_CHARSET_CP850 = 49,
  ZEL_CHARSET_CP866 = 50,
  ZEL_CHARSET_CP1133 = 51,
  ZEL_CHARSET_TCVN = 52,
  ZEL_CHARSET_ARMSCII_8 = 53,
  ZEL_CHARSET_MACTHAI = 54,
  ZEL_CHARSET_MULELAO_1 = 55,
  ZEL_CHARSET_RESERVED = 56, /* refused: ZEL_RESULT_RESERVED_CHARSET */
  /* Read and written by zel_convert only; the ten conversions above read
   * these ids as they read any id without a decoder. */
  ZEL_CHARSET_UTF32 = 57, /* optional byte-order mark, big-endian without */
  ZEL_CHARSET_UTF32BE = 58,
  ZEL_CHARSET_UTF32LE = 59,
  ZEL_CHARSET_CP932 = 60, /* Windows-31J: Shift_JIS with ASCII, NEC and IBM rows */
  ZEL_CHARSET_CP950 = 61, /* Big5 with the code page's additions */
  ZEL_CHARSET_CP437 = 62,
  ZEL_CHARSET_MACINTOSH = 63 /* Mac Roman */
};

/* Result codes of the conversion calls. */
enum zel_result {
  ZEL_RESULT_OK = 0,
  ZEL_RESULT_UNKNOWN_CHARSET = 1001,
  ZEL_RESULT_RESERVED_CHARSET = 1002
};

/* Convert the string, holding text of charset `id`, in place. Each returns
 * ZEL_RESULT_OK, or one of the two refusals with the string unchanged.
 * zel_code_utf8 leaves id 8 untouched, zel_code_gb18030 id 2, and
 * zel_code_unicode id 1 and every id without a decoder; zel_code_gbk
 * converts every id. Characters GBK or GB18030 cannot hold become a space.
 * Output longer than a zel_string holds (2,147,483,646 bytes) is cut after
 * the last whole character that fits, and the result is still
 * ZEL_RESULT_OK: the *_report calls flag it. */
ZEL_API int ZEL_CALL zel_code_unicode(int id, zel_string* s) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_code_utf8(int id, zel_string* s) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_code_gbk(int id, zel_string* s) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_code_gb18030(int id, zel_string* s) ZEL_NOEXCEPT;

/* Map a charset label to its id (0 when unknown). The label is left
 * upper-cased with '-' replaced by '_'. */
ZEL_API int ZEL_CALL zel_code_charset(zel_string* s) ZEL_NOEXCEPT;

/* The registry's labels, one a call: the index-th (from 0) label's charset
 * id, or 0 past the last (and for a negative index). *label is set to the
 * label as the registry stores it (upper case, '_' for '-'; constant, never
 * to be freed) and *prefix to 1 when the label also stands for every label
 * that begins with it; either pointer may be null. */
ZEL_API int ZEL_CALL zel_code_label(int index, zel_slice* label, int* prefix) ZEL_NOEXCEPT;

/* The charsets and the labels that name them, as zelconv and the Python
 * package take them: one description per id 0 .. zel_charset_count() - 1.
 *
 * zel_charset_name gives an id's name ("Shift_JIS", "UTF-16 (mark, else
 * BE)"), NULL for ids 0 and 56 and ids outside. zel_charset_flags tells
 * what the conversions do with it (zel_charset_flag bits, 0 for ids without
 * a charset). zel_charset_mark sets *mark (when not NULL) to the bytes
 * U+FEFF takes at the start of the charset's text, empty where it has
 * none; it returns 0, or, for a charset whose text starts with its mark
 * (ids 9 and 57), the id the text after the mark is written in (10, 58),
 * and that charset's decoder reads the mark itself to learn the byte order.
 * A front end may drop the mark from the start of a source (as zelconv
 * does where the output cannot carry it); with a nonzero return there is
 * none to drop, as the decoder takes it.
 *
 * zel_charset_lookup finds a label among the labels of every charset:
 * case, '-', '_', '.' and spaces do not matter ("latin-1", "Shift JIS"),
 * and a label must match whole, never by its beginning. It returns the
 * label's charset id, or 0 for a label it does not know and for one it
 * knows but refuses (one that names a charset the library lacks, such as
 * "Big5-HKSCS"; its note says why), and fills *found when not NULL (with
 * an empty label and a NULL note for a label it does not know). A label
 * may differ from its charset as a target (flags, written) or read it only
 * approximately (note). The labels and notes are constant, never to be
 * freed. zel_code_charset keeps its own labels.
 *
 * zel_charset_label lists the labels of an id, one a call: it fills *found
 * with the index-th (from 0) and returns 1, or returns 0 past the last. Id
 * 0 lists the labels refused.
 *
 * zel_charset_suggest finds the known label nearest to an unknown one
 * (case, '-', '_', '.' and spaces ignored; a transposed pair is one edit),
 * for a "did you mean": it writes it NUL-terminated into out (size bytes,
 * cut to fit), in lower case when the label given is, and returns its
 * length (cut or not), or 0 when no label is near. */
enum zel_charset_flag {
  ZEL_CHARSET_FLAG_READ = 1,   /* zel_convert reads it as what it is */
  ZEL_CHARSET_FLAG_WRITE = 2,  /* zel_convert writes it */
  ZEL_CHARSET_FLAG_ASCII = 4,  /* each byte 0x00..0x7F is itself, wherever it stands */
  ZEL_CHARSET_FLAG_UNICODE = 8 /* a Unicode form: holds every character, a mark included */
};

enum zel_label_flag {
  /* As a target, written by the GBK writer of zel_code_gbk and
   * ZEL_STREAM_TO_GBK (a space for what GBK lacks): zel_convert writes no
   * GBK apart from GB18030. */
  ZEL_LABEL_GBK_WRITER = 1,
  /* Its text starts with a byte-order mark that is no character of it
   * (UTF-8-SIG): dropped when read, written first. */
  ZEL_LABEL_MARKED = 2
};

typedef struct zel_label {
  const char* label; /* as listed: `length` bytes, not NUL-terminated */
  const char* note;  /* NULL, or why the label is set apart (NUL-terminated) */
  int32_t length;
  int32_t id;      /* the charset read; 0 when unknown or refused */
  int32_t written; /* the charset written for the label as a target */
  int32_t flags;   /* zel_label_flag bits */
} zel_label;

ZEL_API int ZEL_CALL zel_charset_count(void) ZEL_NOEXCEPT;
ZEL_API const char* ZEL_CALL zel_charset_name(int id) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_charset_flags(int id) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_charset_mark(int id, zel_slice* mark) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_charset_lookup(const char* label, zel_label* found) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_charset_label(int id, int index, zel_label* found) ZEL_NOEXCEPT;
ZEL_API int32_t ZEL_CALL zel_charset_suggest(const char* label, char* out,
                                             int32_t size) ZEL_NOEXCEPT;

/* Transcode Big5 text into GBK, or GBK text into Big5, in place. Traditional
 * characters come out in their simplified GB 2312 form and simplified ones in
 * their traditional Big5 form. Bytes outside the pair ranges pass through (a
 * byte 0x81..0xA0 together with the trail after it, as GBK's extension codes
 * are pairs); a lead byte at the very end is dropped; an empty string is left
 * alone. */
ZEL_API void ZEL_CALL zel_code_big5_gbk(zel_string* s) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_code_gbk_big5(zel_string* s) ZEL_NOEXCEPT;

/* Replace the HTML character references in UTF-8, GBK or GB18030 text, in
 * place: numeric (&#20013; &#x4E2D;) and named (&amp; and the other HTML 4.01
 * names, plus &apos;), case-sensitive, with or without the closing ';'. Each
 * character is written in the text's own encoding, U+10000..U+10FFFF in four
 * bytes in UTF-8 and GB18030; one GBK or GB18030 cannot hold becomes a space,
 * and in UTF-8 a value beyond U+10FFFF is dropped. A reference that names
 * nothing stays as written; all other bytes are copied unchecked. */
ZEL_API void ZEL_CALL zel_decode_utf8(zel_string* s) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_decode_gbk(zel_string* s) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_decode_gb18030(zel_string* s) ZEL_NOEXCEPT;

/* What a conversion could not carry over faithfully. The *_report calls
 * below do exactly what the call of the same name without the suffix does,
 * same bytes and same result, and also fill this record (when it is not
 * NULL), starting from zero on every call. Offsets count bytes of the input
 * given to the call, from 0.
 *
 *   passed       input bytes written out as themselves (U+0000..U+00FF, or
 *                unchanged in the Big5/GBK transcoders) because they begin no
 *                sequence of the charset, or begin one the text cuts short
 *   dropped      input bytes that give no output: stray UTF-8 continuation
 *                bytes, an ESC or SO that selects nothing, a single shift
 *                without its bytes, a cut-off tail, a reference to a value
 *                beyond U+10FFFF in UTF-8
 *   replaced     U+FFFD written for a code without a character, or for one
 *                beyond U+FFFF, which the 16-bit pivot cannot hold
 *   unmappable   characters the target cannot hold, each written as a space
 *                (GBK and GB18030 output; in the Big5/GBK transcoders, pairs
 *                written as the table's substitute)
 *   malformed    UTF-8 sequences decoded as far as they went although
 *                malformed: a byte that should continue the sequence does
 *                not, an overlong form, or an encoded surrogate
 *   first_offset offset of the first of the events above, -1 when none
 *   truncated    1 when the output reached the longest string a zel_string
 *                holds (2,147,483,646 bytes) and was cut after the last
 *                whole character that fits; the call still returns
 *                ZEL_RESULT_OK
 *   truncated_at offset of the first input byte whose output was lost, -1
 *                when nothing was cut
 *
 * Text that a call copies unchanged is checked, not changed: UTF-8 given to
 * zel_code_utf8_report as id 8 (read strictly: no overlong forms,
 * surrogates or values past U+10FFFF) and GB18030 given to
 * zel_code_gb18030_report as id 2 (two-byte codes and the four-byte codes
 * of a character) count each ill-formed sequence as malformed. The pivot
 * given to zel_code_unicode_report as id 1 or an id without a decoder is
 * not examined and reports nothing. */
typedef struct zel_report {
  int64_t passed;
  int64_t dropped;
  int64_t replaced;
  int64_t unmappable;
  int64_t malformed;
  int64_t first_offset;
  int64_t truncated_at;
  int32_t truncated;
  int32_t unused; /* always 0; keeps the record's size the same everywhere */
} zel_report;

ZEL_API int ZEL_CALL zel_code_unicode_report(int id, zel_string* s, zel_report* r) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_code_utf8_report(int id, zel_string* s, zel_report* r) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_code_gbk_report(int id, zel_string* s, zel_report* r) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_code_gb18030_report(int id, zel_string* s, zel_report* r) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_code_big5_gbk_report(zel_string* s, zel_report* r) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_code_gbk_big5_report(zel_string* s, zel_report* r) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_decode_utf8_report(zel_string* s, zel_report* r) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_decode_gbk_report(zel_string* s, zel_report* r) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_decode_gb18030_report(zel_string* s, zel_report* r) ZEL_NOEXCEPT;

/* Streams: a conversion fed in pieces. A text cut anywhere, down to single
 * bytes, and fed piece by piece gives exactly the bytes (and, when counted,
 * the report) of one call on the whole text: the stream keeps what the
 * pieces so far leave open (ISO-2022 designations and shifts, the byte order
 * a UTF-16 mark chose) and holds back only bytes that more text may still
 * change: a sequence the piece cuts short (a lead without its trail, a
 * UTF-8 or GB18030 sequence or a UTF-16 surrogate pair missing its last
 * bytes), an escape sequence the piece ends inside, or a character
 * reference still open at the piece's end. Every character the bytes at
 * hand decide comes out of the feed that brings them.
 *
 * zel_stream_open takes one of the kinds below, optionally with
 * ZEL_STREAM_REPORT added to keep a degradation report (counting costs a
 * little time), and for the four conversions the source charset id. It
 * returns NULL when it cannot open one, and then says why in *result (when
 * result is not NULL): ZEL_RESULT_UNKNOWN_CHARSET or _RESERVED_CHARSET for
 * ids 0 and 56, ZEL_RESULT_BAD_ARGUMENT for an unknown kind. Ids the
 * conversions copy unchanged (zel_code_utf8 and id 8, and so on) are copied
 * unchanged here too.
 *
 * zel_stream_feed converts the n bytes at data (n 0 or more; data may be
 * NULL when n is 0), appending the output to *out, which keeps what it
 * held. *out may be a record over the caller's own array (third word 0):
 * its content is then copied into a buffer of the string layer's and the
 * array is left as it is. data may point into *out itself. `last` is nonzero for the final
 * piece (which may be empty): what was held back is then converted as the
 * end of the text. A feed after the last piece starts a new text, as after
 * zel_stream_reset. It returns ZEL_RESULT_OK, ZEL_RESULT_OUTPUT_FULL when
 * *out reached the longest string a zel_string holds (the output is cut
 * after the last whole character that fits), or ZEL_RESULT_BAD_ARGUMENT for
 * a NULL stream or string or a negative n.
 *
 * zel_stream_report fills *r with the counts of the text so far (offsets
 * count from the text's first byte); all zero without ZEL_STREAM_REPORT.
 * zel_stream_reset starts a new text; zel_stream_free releases the stream.
 * A stream is one caller's: streams may run concurrently, one stream not. */
enum zel_stream_kind {
  ZEL_STREAM_TO_UCS2 = 1, /* like zel_code_unicode */
  ZEL_STREAM_TO_UTF8 = 2,
  ZEL_STREAM_TO_GBK = 3,
  ZEL_STREAM_TO_GB18030 = 4,
  ZEL_STREAM_BIG5_TO_GBK = 5, /* like zel_code_big5_gbk */
  ZEL_STREAM_GBK_TO_BIG5 = 6,
  ZEL_STREAM_REFERENCES_UTF8 = 7, /* like zel_decode_utf8 */
  ZEL_STREAM_REFERENCES_GBK = 8,
  ZEL_STREAM_REFERENCES_GB18030 = 9,
  ZEL_STREAM_REPORT = 0x100 /* added to a kind: keep a degradation report */
};

enum zel_stream_result { ZEL_RESULT_BAD_ARGUMENT = 1003, ZEL_RESULT_OUTPUT_FULL = 1004 };

typedef struct zel_stream zel_stream;

ZEL_API zel_stream* ZEL_CALL zel_stream_open(int kind, int id, int* result) ZEL_NOEXCEPT;
ZEL_API int ZEL_CALL zel_stream_feed(zel_stream* st, const char* data, int32_t n, int last,
                                     zel_string* out) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_stream_report(const zel_stream* st, zel_report* r) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_stream_reset(zel_stream* st) ZEL_NOEXCEPT;
ZEL_API void ZEL_CALL zel_stream_free(zel_stream* st) ZEL_NOEXCEPT;

/* The general conversion: text of charset `from` rewritten in charset `to`,
 * in place, for every id 1..55 and 57..59 both ways (ids 1 and 4, and 11,
 * are UTF-16LE here; id 9 and 57 are written big-endian after a byte-order
 * mark). Unlike the ten conversions above it carries every code point
 * U+0000..U+10FFFF whole wherever both charsets can hold it, and it reads
 * input strictly: each ill-formed sequence (as Unicode counts them in
 * UTF-8: the longest start of some well-formed sequence, else one byte)
 * becomes one U+FFFD and counts as malformed; a code without a character in
 * its table gives U+FFFD and counts as replaced. Well-formed text of a
 * charset converted to itself comes back unchanged, so from == to
 * validates.
 *
 * `unmappable` says what becomes of a character `to` cannot hold, each one
 * counted as unmappable: ZEL_UNMAPPABLE_SUBSTITUTE writes the charset's
 * substitute ('?' in byte charsets, U+FFFD in UTF-8, UTF-16, UTF-32 and
 * GB18030, which hold every character anyway, and in the pivot UCS-2);
 * _SKIP writes nothing; _NCR writes a decimal character reference
 * (&#128512;) in the target; _STOP fails the call with
 * ZEL_RESULT_UNMAPPABLE and leaves the string as it was (the report, when
 * asked for, places the character).
 *
 * zel_convert returns ZEL_RESULT_OK; ZEL_RESULT_UNKNOWN_CHARSET or
 * _RESERVED_CHARSET for an id without a charset (the string unchanged);
 * ZEL_RESULT_BAD_ARGUMENT for an unknown `unmappable`; or
 * ZEL_RESULT_UNMAPPABLE. r may be NULL. zel_stream_open_convert opens a
 * stream of it, fed with zel_stream_feed: `flags` is an unmappable choice,
 * with ZEL_STREAM_REPORT added to keep a report; the last piece ends the
 * text (an ISO-2022 target returns to ASCII there). A stream that stops on
 * a character its target lacks returns ZEL_RESULT_UNMAPPABLE from that feed,
 * leaves *out as it was before the feed, and needs zel_stream_reset. */
enum zel_unmappable {
  ZEL_UNMAPPABLE_SUBSTITUTE = 0,
  ZEL_UNMAPPABLE_SKIP = 1,
  ZEL_UNMAPPABLE_NCR = 2,
  ZEL_UNMAPPABLE_STOP = 3
};

enum zel_convert_result { ZEL_RESULT_UNMAPPABLE = 1005 };

ZEL_API int ZEL_CALL zel_convert(int from, int to, int unmappable, zel_string* s,
                                 zel_report* r) ZEL_NOEXCEPT;
ZEL_API zel_stream* ZEL_CALL zel_stream_open_convert(int from, int to, int flags,
                                                     int* result) ZEL_NOEXCEPT;

/* Detection: which charset a text most likely is. The guess reads the
 * text's structure first (a byte-order mark, UTF-8 well-formedness, UTF-16
 * shapes, ISO-2022 escapes, the byte sequences each multi-byte charset
 * allows) and weighs what is left by how often each character and character
 * pair occurs in real text of the languages each charset is written in.
 *
 * zel_detect reads the n bytes at data: a prefix of ZEL_DETECT_PREFIX bytes
 * unless flags has ZEL_DETECT_WHOLE. `candidates` (n_candidates ids) limits
 * the answer to those ids; NULL (or n_candidates 0) means every id with a
 * decoder. It fills *g and returns ZEL_RESULT_OK, or ZEL_RESULT_BAD_ARGUMENT
 * for a NULL g, NULL data with n > 0, a negative n or n_candidates, or a
 * candidate list naming no id with a decoder (ids without one are skipped).
 *
 * g->id is 0 for binary data (NUL bytes outside UTF-16, control bytes no
 * text has: reason ZEL_DETECT_BINARY) and for text no candidate reads well
 * (reason ZEL_DETECT_NOTHING, a low confidence, and runner_up the id that
 * reads it least badly, but one of them when the caller lists the
 * candidates); otherwise an id with a decoder, or, without candidates,
 * code page 932 or 950 (which zel_convert reads) for Shift_JIS or Big5
 * text holding what only the code page has. Text of bytes
 * 0x00..0x7F alone (no escapes) is answered with UTF-8, or the first
 * ASCII-compatible candidate, reason ZEL_DETECT_ASCII: every such charset
 * reads it the same; empty input likewise, reason ZEL_DETECT_NOTHING.
 * runner_up is the second most likely id (0 when no other candidate is
 * left). Confidences are in 0..1. g->language names the language the
 * statistics read the text as ("Greek"), NULL where they chose no single
 * language. Stateless: calls may run concurrently. */
enum zel_detect_flags {
  ZEL_DETECT_WHOLE = 1 /* read the whole input, not only the prefix */
};

enum { ZEL_DETECT_PREFIX = 65536 };

enum zel_detect_reason {
  ZEL_DETECT_NOTHING = 0,    /* empty, or nothing fits well: a weak guess */
  ZEL_DETECT_BOM = 1,        /* a byte-order mark */
  ZEL_DETECT_ASCII = 2,      /* 7-bit text without escapes */
  ZEL_DETECT_STRUCTURE = 3,  /* well-formed UTF-8 or UTF-16, ISO-2022 escapes */
  ZEL_DETECT_STATISTICS = 4, /* character and pair statistics chose */
  ZEL_DETECT_BINARY = 5      /* binary data, no text: id 0 */
};

typedef struct zel_guess {
  double confidence;
  double runner_up_confidence;
  int32_t id;
  int32_t runner_up;
  int32_t reason;       /* a zel_detect_reason */
  int32_t examined;     /* bytes read */
  const char* language; /* constant English name, or NULL */
} zel_guess;

ZEL_API int ZEL_CALL zel_detect(const char* data, int32_t n, const int* candidates,
                                int32_t n_candidates, int flags, zel_guess* g) ZEL_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif
