/* A foreign caller of zel_code.dll, as a Visual Basic, Delphi or scripting
 * host program would be: no header and no import library. It loads the DLL
 * with LoadLibrary, looks up every export by its plain name, and calls each
 * through its own declarations, in the convention it was built for
 * (__stdcall, or __cdecl with FOREIGN_CDECL; x86_64 has only one).
 *
 * On 32-bit x86 every call is bracketed by reads of the stack pointer. A
 * caller and a callee that disagree on the convention disagree on who pops the
 * arguments, so the stack pointer differs after the call by the arguments'
 * size; that is reported, and the stack pointer is put back so that the
 * remaining calls still run. Built with a frame pointer so that locals are
 * not addressed through the stack pointer.
 *
 * Every name in the DLL's export table must be one this program calls, so
 * an export added without a call here fails the run. */
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#if !defined(__i386__) && !defined(__x86_64__)
#error "written for 32-bit x86 and x86_64"
#endif

#ifdef __x86_64__
#define CONV
#define CONV_NAME "x86_64"
#elif defined(FOREIGN_CDECL)
#define CONV __cdecl
#define CONV_NAME "cdecl"
#else
#define CONV __stdcall
#define CONV_NAME "stdcall"
#endif

/* The string record callers share with the library: content pointer,
 * signed 32-bit length, a word the string layer owns. */
typedef struct {
  char* data;
  int32_t length;
  uint32_t reserved;
} zstring;

typedef struct {
  const char* data;
  int32_t length;
} zslice;

/* The degradation report: six 64-bit fields, then two 32-bit ones. */
typedef struct {
  int64_t passed, dropped, replaced, unmappable, malformed, first_offset, truncated_at;
  int32_t truncated, unused;
} zreport;

/* A detector's guess: two doubles, then four 32-bit fields. */
typedef struct {
  double confidence, runner_up_confidence;
  int32_t id, runner_up, reason, examined;
} zguess;

typedef void(CONV* string_fn)(zstring*);
typedef void(CONV* string_size_fn)(zstring*, int32_t);
typedef void(CONV* string_bytes_fn)(zstring*, const char*, int32_t);
typedef int(CONV* string_test_fn)(const zstring*);
typedef void(CONV* replace_fn)(zstring*, char, char);
typedef int(CONV* compare_fn)(const zslice*, const char*, int32_t);
typedef int(CONV* convert_fn)(int, zstring*);
typedef int(CONV* charset_fn)(zstring*);
typedef int(CONV* label_fn)(int, zslice*, int*);
typedef int(CONV* convert_report_fn)(int, zstring*, zreport*);
typedef void*(CONV* stream_open_fn)(int, int, int*);
typedef int(CONV* stream_feed_fn)(void*, const char*, int32_t, int, zstring*);
typedef void(CONV* stream_report_fn)(const void*, zreport*);
typedef void(CONV* stream_fn)(void*);
typedef void(CONV* string_report_fn)(zstring*, zreport*);
typedef int(CONV* detect_fn)(const char*, int32_t, const int*, int32_t, int, zguess*);
typedef int(CONV* general_fn)(int, int, int, zstring*, zreport*);
typedef void*(CONV* general_open_fn)(int, int, int, int*);

/* A label the lookup found: two pointers, then four 32-bit fields. */
typedef struct {
  const char *label, *note;
  int32_t length, id, written, flags;
} zlabel;

typedef int(CONV* count_fn)(void);
typedef const char*(CONV* name_fn)(int);
typedef int(CONV* flags_fn)(int);
typedef int(CONV* mark_fn)(int, zslice*);
typedef int(CONV* lookup_fn)(const char*, zlabel*);
typedef int(CONV* label_at_fn)(int, int, zlabel*);
typedef int32_t(CONV* suggest_fn)(const char*, char*, int32_t);

static struct {
  string_fn init, free_, prepare, upper;
  string_fn big5_gbk, gbk_big5, decode_utf8, decode_gbk, decode_gb18030;
  string_size_fn reserve, set_length;
  string_bytes_fn assign, store, append;
  string_test_fn is_empty;
  replace_fn replace_char;
  compare_fn compare;
  convert_fn unicode, utf8, gbk, gb18030;
  charset_fn charset;
  label_fn label;
  convert_report_fn unicode_r, utf8_r, gbk_r, gb18030_r;
  string_report_fn big5_gbk_r, gbk_big5_r, decode_utf8_r, decode_gbk_r, decode_gb18030_r;
  stream_open_fn stream_open;
  stream_feed_fn stream_feed;
  stream_report_fn stream_report;
  stream_fn stream_reset, stream_free;
  detect_fn detect;
  general_fn convert;
  general_open_fn stream_open_convert;
  count_fn charset_count;
  name_fn charset_name;
  flags_fn charset_flags;
  mark_fn charset_mark;
  lookup_fn charset_lookup;
  label_at_fn charset_label;
  suggest_fn charset_suggest;
} zel;

#define SLOT(field) ((void (**)(void)) & zel.field)
static const struct {
  const char* name;
  void (**slot)(void);
} exports[] = {
    {"zel_string_init", SLOT(init)},
    {"zel_string_free", SLOT(free_)},
    {"zel_string_reserve", SLOT(reserve)},
    {"zel_string_set_length", SLOT(set_length)},
    {"zel_string_assign", SLOT(assign)},
    {"zel_string_store", SLOT(store)},
    {"zel_string_append", SLOT(append)},
    {"zel_string_is_empty", SLOT(is_empty)},
    {"zel_string_prepare", SLOT(prepare)},
    {"zel_string_upper", SLOT(upper)},
    {"zel_string_replace_char", SLOT(replace_char)},
    {"zel_string_compare", SLOT(compare)},
    {"zel_code_unicode", SLOT(unicode)},
    {"zel_code_utf8", SLOT(utf8)},
    {"zel_code_gbk", SLOT(gbk)},
    {"zel_code_gb18030", SLOT(gb18030)},
    {"zel_code_charset", SLOT(charset)},
    {"zel_code_label", SLOT(label)},
    {"zel_code_big5_gbk", SLOT(big5_gbk)},
    {"zel_code_gbk_big5", SLOT(gbk_big5)},
    {"zel_decode_utf8", SLOT(decode_utf8)},
    {"zel_decode_gbk", SLOT(decode_gbk)},
    {"zel_decode_gb18030", SLOT(decode_gb18030)},
    {"zel_code_unicode_report", SLOT(unicode_r)},
    {"zel_code_utf8_report", SLOT(utf8_r)},
    {"zel_code_gbk_report", SLOT(gbk_r)},
    {"zel_code_gb18030_report", SLOT(gb18030_r)},
    {"zel_code_big5_gbk_report", SLOT(big5_gbk_r)},
    {"zel_code_gbk_big5_report", SLOT(gbk_big5_r)},
    {"zel_decode_utf8_report", SLOT(decode_utf8_r)},
    {"zel_decode_gbk_report", SLOT(decode_gbk_r)},
    {"zel_decode_gb18030_report", SLOT(decode_gb18030_r)},
    {"zel_stream_open", SLOT(stream_open)},
    {"zel_stream_feed", SLOT(stream_feed)},
    {"zel_stream_report", SLOT(stream_report)},
    {"zel_stream_reset", SLOT(stream_reset)},
    {"zel_stream_free", SLOT(stream_free)},
    {"zel_detect", SLOT(detect)},
    {"zel_convert", SLOT(convert)},
    {"zel_stream_open_convert", SLOT(stream_open_convert)},
    {"zel_charset_count", SLOT(charset_count)},
    {"zel_charset_name", SLOT(charset_name)},
    {"zel_charset_flags", SLOT(charset_flags)},
    {"zel_charset_mark", SLOT(charset_mark)},
    {"zel_charset_lookup", SLOT(charset_lookup)},
    {"zel_charset_label", SLOT(charset_label)},
    {"zel_charset_suggest", SLOT(charset_suggest)},
};
#define EXPORT_COUNT (int)(sizeof exports / sizeof exports[0])

static int passed, failed;

static void expect(int ok, const char* what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    printf("FAILED: %s\n", what);
  }
}

static int result;

#ifdef __i386__
static int calls, calls_balanced;

/* Globals, addressed absolutely: they stay reachable while the stack
 * pointer is wrong. */
static uintptr_t esp_before, esp_after;

static void stack_check(const char* call) {
  ++calls;
  if (esp_after == esp_before) {
    ++calls_balanced;
    ++passed;
    return;
  }
  ++failed;
  printf("FAILED: %s: stack pointer moved by %ld bytes (the DLL is not " CONV_NAME ")\n", call,
         (long)(esp_after - esp_before));
}

/* Runs `call` (an expression) with the stack pointer read before and after
 * it, then restores the stack pointer. */
#define CHECKED(call)                                                    \
  do {                                                                   \
    __asm__ __volatile__("movl %%esp, %0" : "=m"(esp_before)::"memory"); \
    call;                                                                \
    __asm__ __volatile__("movl %%esp, %0\n\tmovl %1, %%esp"              \
                         : "=m"(esp_after)                               \
                         : "m"(esp_before)                               \
                         : "memory");                                    \
    stack_check(#call);                                                  \
  } while (0)
#else
/* x86_64 Windows has one convention, in which the caller owns the stack:
 * there is no disagreement to catch. */
#define CHECKED(call) \
  do {                \
    call;             \
  } while (0)
#endif

static int same(const zstring* s, const char* bytes, int32_t n) {
  return s->length == n && s->data && memcmp(s->data, bytes, (size_t)n) == 0 && s->data[n] == 0;
}

/* The headers as this build's Windows lays them out (PE32 or PE32+). */
#ifdef __x86_64__
typedef IMAGE_NT_HEADERS64 nt_headers;
#define MACHINE IMAGE_FILE_MACHINE_AMD64
#define MACHINE_NAME "x86_64"
#define OPTIONAL_MAGIC IMAGE_NT_OPTIONAL_HDR64_MAGIC
#else
typedef IMAGE_NT_HEADERS32 nt_headers;
#define MACHINE IMAGE_FILE_MACHINE_I386
#define MACHINE_NAME "i386"
#define OPTIONAL_MAGIC IMAGE_NT_OPTIONAL_HDR32_MAGIC
#endif

/* Every name the DLL exports must be one this program calls, and spelled
 * plain: a decorated "f@8" or a mangled name is reported. */
static void check_export_table(HMODULE dll) {
  const unsigned char* base = (const unsigned char*)dll;
  const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)base;
  const nt_headers* nt = (const nt_headers*)(base + dos->e_lfanew);
  expect(nt->FileHeader.Machine == MACHINE, "the DLL is for " MACHINE_NAME);
  expect(nt->OptionalHeader.Magic == OPTIONAL_MAGIC,
         "the DLL's headers are laid out for " MACHINE_NAME);
  const IMAGE_DATA_DIRECTORY* dir = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (dir->Size == 0) {
    expect(0, "the DLL has an export table");
    return;
  }
  const IMAGE_EXPORT_DIRECTORY* ed = (const IMAGE_EXPORT_DIRECTORY*)(base + dir->VirtualAddress);
  const DWORD* names = (const DWORD*)(base + ed->AddressOfNames);
  expect((int)ed->NumberOfNames == EXPORT_COUNT,
         "the DLL exports as many names as are called here");
  expect(ed->NumberOfFunctions == ed->NumberOfNames, "every exported function has a name");
  for (DWORD i = 0; i < ed->NumberOfNames; ++i) {
    const char* name = (const char*)(base + names[i]);
    int known = 0;
    for (int k = 0; k < EXPORT_COUNT; ++k) known |= strcmp(name, exports[k].name) == 0;
    if (!known) {
      char what[200];
      snprintf(what, sizeof what, "export '%s' is called by this program", name);
      expect(0, what);
    }
  }
}

static void check_strings(void) {
  zstring s, t;
  memset(&s, 0xAB, sizeof s);
  CHECKED(zel.init(&s));
  expect(s.length == 0 && s.reserved == 0 && s.data && s.data[0] == 0, "init: empty string");
  CHECKED(zel.init(&t));
  CHECKED(result = zel.is_empty(&t));
  expect(result != 0, "is_empty on a fresh string");

  CHECKED(zel.assign(&s, "abc-de-f", 8));
  expect(same(&s, "abc-de-f", 8), "assign");
  CHECKED(result = zel.is_empty(&s));
  expect(result == 0, "is_empty on 8 bytes");
  CHECKED(zel.upper(&s));
  expect(same(&s, "ABC-DE-F", 8), "upper");
  CHECKED(zel.replace_char(&s, '-', '_'));
  expect(same(&s, "ABC_DE_F", 8), "replace_char");

  zslice slice = {s.data, 3};
  CHECKED(result = zel.compare(&slice, "ABC", -1));
  expect(result == 0, "compare: equal slice and literal");
  CHECKED(result = zel.compare(&slice, "ABD", -1));
  expect(result != 0, "compare: different last byte");
  CHECKED(result = zel.compare(&slice, "ABX", 2));
  expect(result == 0, "compare: first two bytes only");

  CHECKED(zel.append(&s, "xyz", 3));
  expect(same(&s, "ABC_DE_Fxyz", 11), "append");
  CHECKED(zel.reserve(&s, 1000));
  expect(s.reserved >= 1000 && same(&s, "ABC_DE_Fxyz", 11), "reserve keeps the content");
  CHECKED(zel.set_length(&s, 3));
  expect(same(&s, "ABC", 3), "set_length cuts and terminates");
  CHECKED(zel.store(&s, "\x00\x01\x02", 3));
  expect(same(&s, "\x00\x01\x02", 3), "store keeps NUL bytes");
  s.length = -5;
  CHECKED(zel.prepare(&s));
  expect(s.length == 0 && s.data && s.data[0] == 0, "prepare: a negative length becomes empty");
  CHECKED(zel.free_(&s));
  expect(s.length == 0 && s.reserved == 0 && s.data && s.data[0] == 0,
         "free leaves an empty string");
  CHECKED(zel.free_(&t));
}

static void set(zstring* s, const char* bytes, int32_t n) { CHECKED(zel.assign(s, bytes, n)); }

static void check_conversions(void) {
  zstring s;
  CHECKED(zel.init(&s));

  set(&s, "utf-16le", 8);
  CHECKED(result = zel.charset(&s));
  expect(result == 11, "charset: utf-16le is id 11");
  expect(same(&s, "UTF_16LE", 8), "charset: the label is left normalised");
  set(&s, "no-such-charset", 15);
  CHECKED(result = zel.charset(&s));
  expect(result == 0, "charset: an unknown label is id 0");
  {
    zslice label;
    int prefix = -1;
    CHECKED(result = zel.label(0, &label, &prefix));
    expect(result > 0 && label.length > 0 && (prefix == 0 || prefix == 1),
           "label: the first label names a charset");
    CHECKED(result = zel.label(-1, &label, &prefix));
    expect(result == 0 && label.length == 0, "label: none before the first");
  }
  {
    zlabel l;
    zslice mark;
    char nearest[32];
    const char* name;
    /* No arguments: both conventions leave the stack alike, nothing to check. */
    result = zel.charset_count();
    expect(result == 64, "charset_count: ids 0 to 63");
    CHECKED(name = zel.charset_name(7));
    expect(name && strcmp(name, "Shift_JIS") == 0, "charset_name: id 7 is Shift_JIS");
    CHECKED(result = zel.charset_flags(8));
    expect(result == 15, "charset_flags: UTF-8 is read, written, ASCII and Unicode");
    CHECKED(result = zel.charset_mark(9, &mark));
    expect(result == 10 && mark.length == 2 && memcmp(mark.data, "\xFE\xFF", 2) == 0,
           "charset_mark: UTF-16 writes FE FF, then UTF-16BE");
    CHECKED(result = zel.charset_lookup("GB_2312-80", &l));
    expect(result == 2 && l.id == 2 && l.written == 17 && l.length == 10 && l.note,
           "charset_lookup: GB_2312-80 is read as GB18030, written as EUC-CN");
    CHECKED(result = zel.charset_label(8, 0, &l));
    expect(result == 1 && l.length == 5 && memcmp(l.label, "UTF-8", 5) == 0,
           "charset_label: UTF-8's first label");
    CHECKED(result = zel.charset_suggest("shfit_jis", nearest, (int32_t)sizeof nearest));
    expect(result == 9 && strcmp(nearest, "shift_jis") == 0, "charset_suggest: shift_jis");
  }
  {
    zguess g;
    const int only[] = {11, 8};
    CHECKED(result = zel.detect("h\0i\0!\0", 6, only, 2, 0, &g));
    expect(result == 0 && g.id == 11 && g.reason == 3 && g.examined == 6 && g.confidence > 0.5 &&
               g.confidence <= 1,
           "detect: UTF-16LE text from its zero bytes");
    CHECKED(result = zel.detect("x", -1, 0, 0, 0, &g));
    expect(result == 1003, "detect: a negative length is refused");
  }

  /* U+4E2D U+0041 as UCS-2 little-endian. */
  set(&s, "\x2D\x4E\x41\x00", 4);
  CHECKED(result = zel.utf8(1, &s));
  expect(result == 0 && same(&s,
                             "\xE4\xB8\xAD"
                             "A",
                             4),
         "utf8: UCS-2 to UTF-8");
  CHECKED(result = zel.unicode(8, &s));
  expect(result == 0 && same(&s, "\x2D\x4E\x41\x00", 4), "unicode: UTF-8 to UCS-2");
  set(&s, "\xFE\xFF\x4E\x2D", 4);
  CHECKED(result = zel.utf8(9, &s));
  expect(result == 0 && same(&s, "\xE4\xB8\xAD", 3), "utf8: UTF-16 with a big-endian mark");

  set(&s, "\xE4\xB8\xAD\xC2\x80", 5);
  CHECKED(result = zel.gbk(8, &s));
  expect(result == 0 && same(&s, "\xD6\xD0 ", 3), "gbk: U+4E2D is D6 D0, U+0080 a space");
  set(&s, "\xE4\xB8\xAD\xC2\x80", 5);
  CHECKED(result = zel.gb18030(8, &s));
  expect(result == 0 && same(&s, "\xD6\xD0\x81\x30\x81\x30", 6),
         "gb18030: U+4E2D is D6 D0, U+0080 is 81 30 81 30");

  /* Refused ids leave the string as it is. */
  set(&s, "keep", 4);
  CHECKED(result = zel.unicode(0, &s));
  expect(result == 1001 && same(&s, "keep", 4), "unicode: id 0 is refused with 1001");
  CHECKED(result = zel.unicode(56, &s));
  expect(result == 1002 && same(&s, "keep", 4), "unicode: id 56 is refused with 1002");
  CHECKED(result = zel.utf8(0, &s));
  expect(result == 1001 && same(&s, "keep", 4), "utf8: id 0 is refused with 1001");
  CHECKED(result = zel.utf8(56, &s));
  expect(result == 1002 && same(&s, "keep", 4), "utf8: id 56 is refused with 1002");
  CHECKED(result = zel.gbk(0, &s));
  expect(result == 1001 && same(&s, "keep", 4), "gbk: id 0 is refused with 1001");
  CHECKED(result = zel.gb18030(56, &s));
  expect(result == 1002 && same(&s, "keep", 4), "gb18030: id 56 is refused with 1002");
  CHECKED(zel.free_(&s));
}

static void check_transcoding(void) {
  zstring s;
  CHECKED(zel.init(&s));

  /* Traditional 國 (Big5 B0 EA) becomes simplified 国 (GBK B9 FA). */
  set(&s, "A\xB0\xEA", 3);
  CHECKED(zel.big5_gbk(&s));
  expect(same(&s, "A\xB9\xFA", 3), "big5_gbk: Big5 B0 EA becomes GBK B9 FA");
  CHECKED(zel.gbk_big5(&s));
  expect(same(&s, "A\xB0\xEA", 3), "gbk_big5: GBK B9 FA becomes Big5 B0 EA");

  set(&s, "&#20013;&amp;", 13);
  CHECKED(zel.decode_utf8(&s));
  expect(same(&s, "\xE4\xB8\xAD&", 4), "decode_utf8: &#20013;&amp; is U+4E2D &");
  set(&s, "&#x4E2D;&lt;", 12);
  CHECKED(zel.decode_gbk(&s));
  expect(same(&s, "\xD6\xD0<", 3), "decode_gbk: &#x4E2D;&lt; is D6 D0 <");
  set(&s, "&#x80;&eacute;", 14);
  CHECKED(zel.decode_gb18030(&s));
  expect(same(&s, "\x81\x30\x81\x30\xA8\xA6", 6),
         "decode_gb18030: &#x80;&eacute; is 81 30 81 30, A8 A6");
  CHECKED(zel.free_(&s));
}

/* Each report export, with a record laid out as a foreign caller declares
 * it: one telling count and the first offset. */
static void check_reports(void) {
  zstring s;
  zreport r;
  CHECKED(zel.init(&s));
  set(&s, "A\x80", 2); /* a stray continuation byte */
  CHECKED(result = zel.unicode_r(8, &s, &r));
  expect(result == 0 && same(&s, "A\x00", 2) && r.dropped == 1 && r.first_offset == 1 &&
             r.truncated == 0 && r.truncated_at == -1,
         "unicode_report: one byte dropped at offset 1");
  set(&s, "\x00\xD8\x41\x00", 4); /* an unpaired surrogate, then A */
  CHECKED(result = zel.utf8_r(11, &s, &r));
  expect(result == 0 && r.passed == 2 && r.first_offset == 0, "utf8_report: surrogate passed");
  set(&s, "\xC2\x80", 2);
  CHECKED(result = zel.gbk_r(8, &s, &r));
  expect(result == 0 && same(&s, " ", 1) && r.unmappable == 1, "gbk_report: U+0080 unmappable");
  set(&s, "\xF0\x9F\x98\x80", 4);
  CHECKED(result = zel.gb18030_r(8, &s, &r));
  expect(result == 0 && same(&s, "\x84\x31\xA4\x37", 4) && r.replaced == 1,
         "gb18030_report: U+1F600 is one U+FFFD");
  set(&s, "\xA4", 1);
  CHECKED(zel.big5_gbk_r(&s, &r));
  expect(s.length == 0 && r.dropped == 1, "big5_gbk_report: a final lead dropped");
  set(&s, "\xA2\xAB", 2);
  CHECKED(zel.gbk_big5_r(&s, &r));
  expect(same(&s, "\xA1\x40", 2) && r.unmappable == 1, "gbk_big5_report: no Big5 form");
  set(&s, "&#x110000;", 10);
  CHECKED(zel.decode_utf8_r(&s, &r));
  expect(s.length == 0 && r.dropped == 10, "decode_utf8_report: beyond U+10FFFF");
  set(&s, "&copy;", 6);
  CHECKED(zel.decode_gbk_r(&s, &r));
  expect(same(&s, " ", 1) && r.unmappable == 1, "decode_gbk_report: no GBK form");
  set(&s, "&#x1F600;", 9);
  CHECKED(zel.decode_gb18030_r(&s, &r));
  expect(same(&s, "\x94\x39\xFC\x36", 4) && r.first_offset == -1,
         "decode_gb18030_report: U+1F600 in four bytes, nothing lost");
  CHECKED(zel.free_(&s));
}

/* A GBK text fed one byte at a time through a counted stream to UTF-8
 * (kind 2, plus 0x100 for the report). */
static void check_stream(void) {
  zstring s;
  zreport r;
  void* st;
  CHECKED(zel.init(&s));
  CHECKED(st = zel.stream_open(2 + 0x100, 2, &result));
  expect(st != 0 && result == 0, "stream_open: GBK to UTF-8, counted");
  const char gbk[] = "\xD6\xD0\xCE\xC4\x81";
  for (int k = 0; k < 5; ++k) {
    CHECKED(result = zel.stream_feed(st, gbk + k, 1, k == 4, &s));
    expect(result == 0, "stream_feed: one byte");
  }
  expect(same(&s, "\xE4\xB8\xAD\xE6\x96\x87\xC2\x81", 8), "stream: 中文 and the lone lead");
  CHECKED(zel.stream_report(st, &r));
  expect(r.passed == 1 && r.first_offset == 4, "stream_report: the lead at offset 4");
  CHECKED(zel.stream_reset(st));
  CHECKED(zel.stream_free(st));
  CHECKED(st = zel.stream_open(2, 0, &result));
  expect(st == 0 && result == 1001, "stream_open: id 0 is refused with 1001");
  CHECKED(zel.free_(&s));
}

/* The general conversion: an emoji from UTF-8 to GB18030's four bytes,
 * and streamed back into UTF-8 a byte at a time. */
static void check_general(void) {
  zstring s, back;
  zreport r;
  void* st;
  CHECKED(zel.init(&s));
  CHECKED(zel.init(&back));
  CHECKED(zel.assign(&s, "a\xF0\x9F\x98\x80", 5));
  CHECKED(result = zel.convert(8, 2, 0, &s, &r));
  expect(result == 0 && same(&s, "a\x94\x39\xFC\x36", 5), "convert: U+1F600 into GB18030");
  CHECKED(st = zel.stream_open_convert(2, 8, 0x100, &result));
  expect(st != 0 && result == 0, "stream_open_convert: GB18030 to UTF-8, counted");
  for (int k = 0; k < 5; ++k) {
    CHECKED(result = zel.stream_feed(st, s.data + k, 1, k == 4, &back));
    expect(result == 0, "stream_feed: one byte of the general conversion");
  }
  expect(same(&back, "a\xF0\x9F\x98\x80", 5), "stream: U+1F600 back in UTF-8");
  CHECKED(zel.stream_free(st));
  CHECKED(zel.free_(&s));
  CHECKED(zel.free_(&back));
}

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "zel_code.dll";
  HMODULE dll = LoadLibraryA(path);
  if (!dll) {
    printf("cannot load %s (error %lu)\n", path, (unsigned long)GetLastError());
    return 2;
  }
  int missing = 0;
  for (int k = 0; k < EXPORT_COUNT; ++k) {
    FARPROC p = GetProcAddress(dll, exports[k].name);
    *exports[k].slot = (void (*)(void))p;
    if (!p) {
      printf("FAILED: %s is not exported\n", exports[k].name);
      ++missing;
    }
  }
  check_export_table(dll);
  if (missing) {
    printf("%d passed, %d failed\n", passed, failed + missing);
    return 1;
  }
  check_strings();
  check_conversions();
  check_transcoding();
  check_reports();
  check_stream();
  check_general();
  FreeLibrary(dll);
#ifdef __i386__
  printf(CONV_NAME " calls with the stack pointer unchanged: %d of %d\n", calls_balanced, calls);
#endif
  printf("%d passed, %d failed\n", passed, failed);
  return failed != 0;
}
