"""End-to-end tests of zelconv, driven as a user would: files, stdin, -o,
bad labels and unreadable paths. Expected text comes from Python's codecs."""
import os
import re
import stat
import subprocess
import sys
import tempfile
import threading
import time
import unittest

ZELCONV = sys.argv[1] if len(sys.argv) > 1 else "zelconv"
SAMPLES = sys.argv[2] if len(sys.argv) > 2 else "samples"


# A cross-built zelconv runs under an emulator, through a launcher script.
EMULATED = os.path.basename(ZELCONV).endswith("-emulated")
# Under a sanitizer (scripts/test-sanitizers sets its options), shadow memory
# and quarantine are no measure of zelconv's own.
SANITIZED = any(v in os.environ for v in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"))


def run(*args, stdin=b"", timeout=120, **kwargs):
    return subprocess.run([ZELCONV, *args], input=stdin, capture_output=True, timeout=timeout,
                          **kwargs)


LIST_LINE = re.compile(r"^ *(\d+)  (.{24})  (.*)$")


def parse_list(out, own=False):
    """zelconv -l: {id: (charset name, [labels])} of every label, or with
    `own` of the labels set apart (id 0: refused), which follow a blank
    line. A group's labels may continue on lines that start with spaces; a
    note in parentheses ends them."""
    groups = {}
    sections = out.decode().split("\n\n")
    for line in sections[1].splitlines()[1:] if own else sections[0].splitlines():
        m = LIST_LINE.match(line)
        if m:
            labels = groups.setdefault(int(m.group(1)), (m.group(2).strip(), []))[1]
            noted = False
        for word in (m.group(3) if m else line).split():
            noted = noted or word.startswith("(")
            if not noted:
                labels.append(word)
    return groups


class Conversions(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.sample = os.path.join(SAMPLES, "hello-utf16.txt")
        with open(self.sample, "rb") as f:
            self.text = f.read().decode("utf-16")

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name):
        return os.path.join(self.dir.name, name)

    def test_sample_to_utf8_and_ucs2(self):
        for target, codec in (("utf-8", "utf-8"), ("UTF8", "utf-8"), ("ucs-2", "utf-16-le"),
                              ("gb18030", "gb18030")):
            with self.subTest(target=target):
                r = run("-f", "UTF-16", "-t", target, self.sample)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(r.stdout, self.text.encode(codec))

    def test_gbk_target_replaces_what_gbk_lacks(self):
        r = run("-f", "utf-8", "-t", "GBK", stdin="中文 € ok".encode())
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, "中文   ok".encode("gbk"))

    def test_transcoding_modes(self):
        r = run("--big5-to-gbk", stdin=b"A\xa4\x40\xa8\xae")  # A一車
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, "A一车".encode("gbk"))
        r = run("--gbk-to-big5", stdin="爱".encode("gbk"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, "愛".encode("big5"))

    def test_entities_alone_and_after_conversion(self):
        r = run("-f", "utf-8", "-E", stdin=b"&#20013;&amp;&eacute;&bogus;")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, "中&é&bogus;".encode())
        # A reference to a character GBK lacks survives a conversion to UTF-8.
        r = run("-f", "gbk", "-t", "utf-8", "-E", stdin="中 &#8364;".encode("gbk"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, "中 €".encode())
        r = run("-f", "GB18030", "-E", stdin=b"&#x4E2D;")
        self.assertEqual(r.stdout, "中".encode("gb18030"))

    def test_conflicting_modes_are_usage_errors(self):
        for args in (("--big5-to-gbk", "--gbk-to-big5"), ("--big5-to-gbk", "-f", "utf-8"),
                     ("-f", "shift_jis", "-E"), ("-f", "utf-8", "-t", "ucs-2", "-E")):
            with self.subTest(args=args):
                r = run(*args)
                self.assertEqual(r.returncode, 2)
                self.assertEqual(r.stdout, b"")

    def test_stdin_and_dash(self):
        data = "naïve 中文\n".encode("utf-16-be")
        for args in ((), ("-",)):
            r = run("-f", "utf-16be", "-t", "utf-8", *args, stdin=data)
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(r.stdout, "naïve 中文\n".encode())

    def test_several_files_are_converted_one_by_one(self):
        # Each file has its own byte-order mark.
        a, b = self.path("a"), self.path("b")
        with open(a, "wb") as f:
            f.write("one\n".encode("utf-16-le").join([b"\xff\xfe", b""]))
        with open(b, "wb") as f:
            f.write("two\n".encode("utf-16-be").join([b"\xfe\xff", b""]))
        r = run("-f", "utf-16", "-t", "utf-8", a, b)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, b"one\ntwo\n")

    def test_output_file(self):
        out = self.path("out.txt")
        r = run("-f", "utf-16", "-t", "utf-8", "-o", out, self.sample)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, b"")
        with open(out, "rb") as f:
            self.assertEqual(f.read(), self.text.encode())
        self.assertEqual(os.listdir(self.dir.name), ["out.txt"])

    def test_output_file_is_replaced(self):
        out = self.path("out.txt")
        with open(out, "wb") as f:
            f.write(b"older and longer content")
        r = run("-f", "utf-16", "-t", "utf-8", "-o", out, self.sample)
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(out, "rb") as f:
            self.assertEqual(f.read(), self.text.encode())
        self.assertEqual(os.listdir(self.dir.name), ["out.txt"])

    def test_bytes_pass_unchanged_through_stdin_and_stdout(self):
        # 业 is 1A 4E in UTF-16LE (0x1A ends text-mode input on Windows), and
        # CR LF must come out as it went in.
        text = "业\r\n\x1a\n"
        r = run("-f", "utf-16le", "-t", "utf-8", stdin=text.encode("utf-16-le"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, text.encode())

    def test_unknown_label_is_a_usage_error(self):
        out = self.path("out.txt")
        r = run("-f", "no-such-charset", "-t", "utf-8", "-o", out, self.sample)
        self.assertEqual(r.returncode, 2)
        self.assertIn(b"no-such-charset", r.stderr)
        self.assertFalse(os.path.exists(out))

    def test_unknown_target_and_missing_options(self):
        for args in (("-f", "utf-8", "-t", "ebcdic"), ("-t", "utf-8"), ("-x",), ("-f",)):
            with self.subTest(args=args):
                r = run(*args)
                self.assertEqual(r.returncode, 2)
                self.assertEqual(r.stdout, b"")
                self.assertTrue(r.stderr)

    def test_unreadable_file_names_path_and_reason(self):
        missing = self.path("missing.txt")
        out = self.path("out.txt")
        r = run("-f", "utf-8", "-t", "utf-8", "-o", out, self.sample, missing)
        self.assertEqual(r.returncode, 1)
        self.assertIn(missing.encode(), r.stderr)
        self.assertIn(os.strerror(2).encode(), r.stderr)
        self.assertFalse(os.path.exists(out), "a failed run leaves no output file")
        r = run("-f", "utf-8", "-t", "utf-8", self.dir.name)
        self.assertEqual(r.returncode, 1)
        self.assertIn(self.dir.name.encode(), r.stderr)

    def test_list_labels(self):
        r = run("-l")
        self.assertEqual(r.returncode, 0, r.stderr)
        groups = parse_list(r.stdout)
        fields = {label: id for id, (_, labels) in groups.items() for label in labels}
        self.assertGreater(len(fields), 200)
        self.assertEqual(fields["UTF-8"], 8)
        self.assertEqual(fields["GB2312"], 2)
        self.assertEqual(fields["MULELAO-1"], 55)

    def test_help(self):
        r = run("--help")
        self.assertEqual(r.returncode, 0)
        self.assertIn(b"usage: zelconv", r.stdout.lower())

# Source texts, each with a label zelconv takes and the Python codec that
# writes it. Characters are ones every target holds except where a row says
# otherwise; expected output is always computed by Python's codecs.
SOURCES = (
    ("gbk", "gbk", "中文 ok\n汉字，简体。\n"),
    ("GB2312", "gb2312", "简体中文\r\n"),
    ("gb18030", "gb18030", "中文 ÿ ‰ ·\n"),  # four-byte codes
    ("big5", "big5", "中文 繁體字\n"),
    ("Shift_JIS", "shift_jis", "日本語のテキスト カタカナ\n"),
    ("euc-jp", "euc_jp", "日本語 ひらがな\n"),
    ("iso-2022-jp", "iso2022_jp", "日本語\nABC 漢字\n"),
    ("euc-kr", "euc_kr", "한국어 텍스트\n"),
    ("ks_c_5601-1987", "cp949", "한국어 똠방각하\n"),
    ("iso-2022-kr", "iso2022_kr", "한국어\nabc\n"),
    ("utf-8", "utf-8", "naïve 中文 ✓\n"),
    ("utf-16", "utf-16", "naïve 中文 ✓\n"),
    ("utf-16le", "utf-16-le", "naïve 中文 ✓\n"),
    ("utf-16be", "utf-16-be", "naïve 中文 ✓\n"),
    ("unicode", "utf-16-le", "pivot 中文\n"),
    ("koi8-r", "koi8_r", "Привет, мир\n"),
    ("iso-8859-7", "iso8859_7", "Ελληνικά\n"),
    ("cp1252", "cp1252", "café Zoë\n"),
)


# Each target zelconv names in warnings, with the Python codec that writes
# it and what it writes for a character it cannot hold.
TARGETS = {"UTF-8": ("utf-8", b""), "GBK": ("gbk", b" "), "GB18030": ("gb18030", b""),
           "UCS-2LE": ("utf-16-le", b""), "Shift_JIS": ("shift_jis", b"?"),
           "CP1252": ("cp1252", b"?"), "UTF-16": ("utf-16-be", b"")}


def encode_as_target(text, target):
    """What zelconv writes for `text` (characters up to U+FFFF): UTF-16
    starts with a big-endian mark, GBK writes a space for a character it
    cannot hold, the other byte charsets '?'."""
    codec, lacking = TARGETS[target]
    mark = b"\xfe\xff" if target == "UTF-16" else b""
    return mark + b"".join(c.encode(codec) if can_encode(c, codec) else lacking for c in text)


def unencodable(text, target):
    """How many characters of `text` the target cannot hold."""
    return sum(1 for c in text if not can_encode(c, TARGETS[target][0]))


def counts_in(stderr):
    """The counts of each warning line, without the input's name and offset."""
    return [re.sub(r"^zelconv: warning: .*?: | \(first .*", "", line)
            for line in stderr.decode().splitlines()]


def can_encode(c, codec):
    try:
        c.encode(codec)
        return True
    except UnicodeEncodeError:
        return False


class EveryTarget(unittest.TestCase):
    """Each source text into each target, from a file and from stdin, whole
    and in blocks small enough to cut it everywhere it may be cut."""

    def test_sources_into_every_target(self):
        with tempfile.TemporaryDirectory() as d:
            for label, codec, text in SOURCES:
                data = text.encode(codec)
                path = os.path.join(d, label)
                with open(path, "wb") as f:
                    f.write(data)
                for target in TARGETS:
                    want = encode_as_target(text, target)
                    # Characters the target lacks are counted in one warning.
                    lacking = unencodable(text, target)
                    warnings = [] if not lacking else [
                        f"{lacking} character{'s' * (lacking > 1)} {target} cannot hold"]
                    for way in ("file", "stdin", "block 1", "block 3"):
                        with self.subTest(label=label, target=target, way=way):
                            args = ["-f", label, "-t", target]
                            if way.startswith("block"):
                                args += ["--block-size", way.split()[1]]
                            if way == "stdin":
                                r = run(*args, stdin=data)
                            else:
                                r = run(*args, path)
                            self.assertEqual(r.returncode, 0, r.stderr)
                            self.assertEqual(r.stdout, want)
                            self.assertEqual(counts_in(r.stderr), warnings)

    def test_euc_tw_by_raw_id(self):
        # No label yields EUC-TW; glibc's iconv writes the text.
        text = "中文 臺灣\n"
        try:
            data = subprocess.run(["iconv", "-f", "UTF-8", "-t", "EUC-TW"], input=text.encode(),
                                  capture_output=True, check=True).stdout
        except (OSError, subprocess.CalledProcessError):
            self.skipTest("glibc iconv with EUC-TW is not installed")
        for target in TARGETS:
            with self.subTest(target=target):
                r = run("-f", "#18" if target != "UTF-8" else "euc-tw", "-t", target,
                        "--block-size", "2", stdin=data)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(r.stdout, encode_as_target(text, target))

    def test_own_labels(self):
        # (label, input, expected text): read as the charset it names, or
        # approximated, as -l says.
        cases = (
            ("utf8", "naïve".encode(), "naïve"),
            ("UTF-8-SIG", "naïve".encode("utf-8-sig"), "naïve"),
            ("UTF-8-SIG", "naïve".encode(), "naïve"),
            ("sjis", "日本語".encode("shift_jis"), "日本語"),
            ("cp932", "日本語\\".encode("cp932"), "日本語\\"),
            ("Windows-31J", b"\x87\x40", "\u2460"),  # NEC row 13
            ("cp949", "똠방각하".encode("cp949"), "똠방각하"),
            ("uhc", "똠방각하".encode("cp949"), "똠방각하"),
            ("cp950", "中文".encode("cp950") + b"\xa3\xe1", "中文€"),
        )
        for label, data, text in cases:
            with self.subTest(label=label, data=data):
                r = run("-s", "-f", label, "-t", "utf-8", stdin=data)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(r.stdout, text.encode())
        own = parse_list(run("-l").stdout, own=True)
        labels = {label: id for id, (_, words) in own.items() for label in words}
        for label, id in (("UTF-8-SIG", 8), ("GBK", 2), ("GB2312", 2), ("Big5-HKSCS", 0)):
            self.assertEqual(labels.get(label), id, label)

    def test_byte_order_marks(self):
        bom, text = "\ufeff", "中&#20013;"
        cases = (
            # Dropped in GBK and GB18030 output, which cannot carry it usefully.
            (("-f", "utf-8", "-t", "gbk"), (bom + text).encode(), text.encode("gbk")),
            (("-f", "utf-16le", "-t", "gb18030"), (bom + text).encode("utf-16-le"),
             text.encode("gb18030")),
            (("-f", "gb18030", "-E"), (bom + text).encode("gb18030"), "中中".encode("gb18030")),
            (("-f", "utf-8", "-t", "gb18030", "--keep-bom"), (bom + text).encode(),
             (bom + text).encode("gb18030")),
            # Kept in UTF-8 and UCS-2LE output; written with --add-bom, once.
            (("-f", "utf-8", "-t", "utf-8"), (bom + text).encode(), (bom + text).encode()),
            (("-f", "gbk", "-t", "utf-8", "--add-bom"), text.encode("gbk"), (bom + text).encode()),
            (("-f", "utf-8", "-t", "ucs-2le", "--add-bom"), (bom + text).encode(),
             (bom + text).encode("utf-16-le")),
            (("-f", "utf-8-sig", "-t", "ucs-2le"), (bom + text).encode(), text.encode("utf-16-le")),
        )
        for args, data, want in cases:
            for block in ("1", "1M"):
                with self.subTest(args=args, block=block):
                    r = run(*args, "--block-size", block, stdin=data)
                    self.assertEqual(r.returncode, 0, r.stderr)
                    self.assertEqual(r.stdout, want)
                    self.assertEqual(r.stderr, b"")

    def test_auto_reads_byte_order_marks(self):
        text = "mark 中文\n"
        cases = (
            ("UTF-8 mark, dropped", b"\xef\xbb\xbf" + text.encode()),
            ("UTF-16LE mark", b"\xff\xfe" + text.encode("utf-16-le")),
            ("UTF-16BE mark", b"\xfe\xff" + text.encode("utf-16-be")),
            ("no mark: UTF-8", text.encode()),
        )
        for why, data in cases:
            for block in ("1", "1M"):
                with self.subTest(why=why, block=block):
                    r = run("-f", "auto", "-t", "utf-8", "--block-size", block, stdin=data)
                    self.assertEqual(r.returncode, 0, r.stderr)
                    self.assertEqual(r.stdout, text.encode())

    def test_what_the_target_lacks(self):
        # (arguments after "-f utf-8" unless they name -f, input, output,
        # exit status, in standard error)
        emoji = "中😀"
        cases = (
            (("-f", "gbk"), "中".encode("gbk"), "中".encode(), 0, ""),  # -t is UTF-8
            (("-t", "gb18030"), emoji.encode(), emoji.encode("gb18030"), 0, ""),
            (("-f", "gb18030"), emoji.encode("gb18030"), emoji.encode(), 0, ""),
            (("-t", "utf-32le"), emoji.encode(), emoji.encode("utf-32-le"), 0, ""),
            (("-t", "gb2312"), "中文".encode(), "中文".encode("gb2312"), 0, ""),  # EUC-CN
            (("-t", "ucs-2"), emoji.encode(), "中\ufffd".encode("utf-16-le"), 0,
             "1 character UCS-2LE cannot hold (first at byte 3)"),
            (("-t", "cp1252"), b"a\xe4\xb8\xad\xe2\x82\xac", b"a?\x80", 0, "1 character"),
            (("-t", "cp1252", "--unmappable=substitute"), emoji.encode(), b"??", 0, "2 characters"),
            (("-t", "cp1252", "--unmappable=skip"), b"a" + emoji.encode(), b"a", 0, "2 characters"),
            (("-t", "cp1252", "-c"), b"a" + emoji.encode(), b"a", 0, "2 characters"),
            (("-t", "cp1252//IGNORE"), b"a" + emoji.encode(), b"a", 0, "2 characters"),
            (("-t", "cp1252//TRANSLIT"), b"a" + emoji.encode(), b"a??", 0, "2 characters"),
            (("-t", "cp1252", "--unmappable=ncr"), emoji.encode(), b"&#20013;&#128512;", 0, ""),
            (("-t", "cp1252", "--unmappable=stop"), b"ab" + emoji.encode(), b"", 1,
             "zelconv: cannot convert standard input: a character CP1252 cannot hold at byte 2"),
            (("-t", "utf-8", "--strict"), b"a\xffb", b"a\xef\xbf\xbdb", 1,
             "faithfully: 1 malformed sequence (first at byte 1)"),
            # GBK keeps its space; -c cannot drop there, and says so.
            (("-t", "gbk", "-c"), "中€".encode(), "中 ".encode("gbk"), 0, "-t GBK writes a space"),
        )
        for args, data, want, code, message in cases:
            with self.subTest(args=args):
                r = run(*(() if "-f" in args else ("-f", "utf-8")), *args, stdin=data)
                self.assertEqual((r.returncode, r.stdout), (code, want), r.stderr)
                self.assertIn(message, r.stderr.decode())
        r = run("-f", "gbk", "-t", "utf-8//NOPE")
        self.assertEqual(r.returncode, 2)


class Streaming(unittest.TestCase):
    """Inputs larger than a block convert as they would whole."""

    def test_large_inputs_in_small_blocks(self):
        line = "第{}行：中文文本，含數字 0123 與 ASCII text.\n"
        text = "".join(line.format(i) for i in range(20000))
        for label, codec in (("gb18030", "gb18030"), ("big5", "big5"), ("utf-8", "utf-8"),
                             ("utf-16", "utf-16")):
            data = text.encode(codec)
            for block in ("4k", "1000", "1M"):
                with self.subTest(label=label, block=block):
                    r = run("-f", label, "-t", "utf-8", "--block-size", block, stdin=data)
                    self.assertEqual(r.returncode, 0, r.stderr)
                    self.assertEqual(r.stdout, text.encode())

    def test_iso2022_shift_state_crosses_blocks(self):
        text = "日本語\n" * 5000
        r = run("-f", "iso-2022-jp", "-t", "utf-8", "--block-size", "64",
                stdin=text.encode("iso2022_jp"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, text.encode())

    def test_references_decoded_across_blocks(self):
        text = "&#20013;&#x6587; &amp; &eacute;t&eacute; &bogus; " * 500
        want = ("中文 & été &bogus; " * 500).encode()
        for block in ("1", "7", "1M"):
            with self.subTest(block=block):
                r = run("-f", "utf-8", "-E", "--block-size", block, stdin=text.encode())
                self.assertEqual(r.stdout, want)
                r = run("-f", "gbk", "-t", "utf-8", "-E", "--block-size", block,
                        stdin=text.encode("gbk"))
                self.assertEqual(r.stdout, want)


# Runs a command and reports its status and peak memory (KiB) on standard
# error. A process's peak counts what it held before exec, so zelconv is
# started from this small process rather than from the test's.
PEAK_MEMORY = """import os, sys
pid = os.posix_spawn(sys.argv[1], sys.argv[1:], os.environ)
_, status, usage = os.wait4(pid, 0)
sys.stderr.write(f"{os.waitstatus_to_exitcode(status)} {usage.ru_maxrss}")
"""


class Memory(unittest.TestCase):
    @unittest.skipIf(EMULATED or SANITIZED or not hasattr(os, "posix_spawn"),
                     "needs a native process without a sanitizer")
    def test_iso2022_streams_in_memory_bounded_by_the_block(self):
        # 64 MiB of ISO-2022-JP that shifts in and out of JIS X 0208 on every
        # line; the line's odd length puts the escapes at every place of a block.
        line = "日本語のテキスト、ABC カタカナ 12\n"
        data = line.encode("iso2022_jp")
        count = (64 << 20) // len(data)
        command = [sys.executable, "-c", PEAK_MEMORY, os.path.abspath(ZELCONV),
                   "-f", "iso-2022-jp", "-t", "utf-8"]
        with subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE) as p:
            def feed():
                p.stdin.write(data * count)
                p.stdin.close()

            writer = threading.Thread(target=feed)
            writer.start()
            out = p.stdout.read()
            writer.join()
            status, peak = map(int, p.stderr.read().split())
        self.assertEqual(status, 0)
        self.assertTrue(out == line.encode() * count, "output differs from Python's codec")
        self.assertLess(peak, 32 << 10)


class InFolder(unittest.TestCase):
    """Tests that write files into a temporary folder of their own."""

    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()

    def tearDown(self):
        self.dir.cleanup()

    def path(self, name, content=None):
        p = os.path.join(self.dir.name, name)
        if content is not None:
            with open(p, "wb") as f:
                f.write(content)
        return p

    def read(self, p):
        with open(p, "rb") as f:
            return f.read()


class Modes(InFolder):

    def test_every_mode_from_file_and_stdin(self):
        cases = (
            (("--big5-to-gbk",), "中文 愛車\n".encode("big5"), "中文 爱车\n".encode("gbk")),
            (("--gbk-to-big5",), "中文 爱车\n".encode("gbk"), "中文 愛車\n".encode("big5")),
            (("-f", "utf-8", "-E"), b"&#x4E2D;&lt;", "中<".encode()),
            (("-f", "gbk", "-E"), b"&#x4E2D;&lt;", "中<".encode("gbk")),
            (("-f", "gb18030", "-E"), b"&#x4E2D;&#255;", "中ÿ".encode("gb18030")),
            (("-f", "big5", "-t", "gb18030", "-E"), b"&#20013;" + "文".encode("big5"),
             "中文".encode("gb18030")),
        )
        for args, data, want in cases:
            for way in ("stdin", "file", "block 1"):
                with self.subTest(args=args, way=way):
                    if way == "stdin":
                        r = run(*args, stdin=data)
                    elif way == "file":
                        r = run(*args, self.path("in", data))
                    else:
                        r = run(*args, "--block-size", "1", stdin=data)
                    self.assertEqual(r.returncode, 0, r.stderr)
                    self.assertEqual(r.stdout, want)

    def test_files_are_concatenated(self):
        a = self.path("a", "一\n".encode("gbk"))
        b = self.path("b", "二\n".encode("gbk"))
        r = run("-f", "gbk", "-t", "utf-8", a, "-", b, stdin="三\n".encode("gbk"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, "一\n三\n二\n".encode())

    def test_in_place_replaces_each_file(self):
        files = [self.path(n, t.encode("shift_jis")) for n, t in (("a", "日本\n"), ("b", "語\n"))]
        # Only root may give a file to another owner, and so keep it.
        owner = (1234, 5678) if os.name == "posix" and os.geteuid() == 0 else None
        if os.name == "posix":
            os.chmod(files[0], 0o640)
            if owner:
                os.chown(files[0], *owner)
        # A file named twice is converted once.
        r = run("-f", "shift_jis", "-t", "utf-8", "--in-place", *files, files[0])
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, b"")
        self.assertEqual([self.read(f) for f in files], ["日本\n".encode(), "語\n".encode()])
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["a", "b"])
        if os.name == "posix" and not EMULATED:
            st = os.stat(files[0])
            self.assertEqual(st.st_mode & 0o777, 0o640)
            if owner:
                self.assertEqual((st.st_uid, st.st_gid), owner)

    @unittest.skipIf(os.name != "posix" or EMULATED, "needs symbolic links")
    def test_links_are_written_through(self):
        for args in (("-o", "link", "src"), ("--in-place", "link", "target")):
            with self.subTest(args=args):
                self.path("target", "中\n".encode("gbk"))
                self.path("src", "中\n".encode("gbk"))
                link = self.path("link")
                os.symlink("target", link)
                # Also named as itself, the target is converted once.
                r = run("-f", "gbk", "-t", "utf-8", args[0], *map(self.path, args[1:]))
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertTrue(os.path.islink(link))
                self.assertEqual(self.read(self.path("target")), "中\n".encode())
                self.assertEqual(sorted(os.listdir(self.dir.name)), ["link", "src", "target"])
                os.unlink(link)

    def test_file_names_beyond_ascii(self):
        name = self.path("中文 ü.txt", "中\n".encode("gbk"))
        out = self.path("出力 ü.txt")
        # Wine spells Unix file names in the locale's charset.
        env = dict(os.environ, LC_ALL="C.UTF-8") if EMULATED else None
        r = run("-f", "gbk", "-t", "utf-8", "-o", out, name, env=env)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.read(out), "中\n".encode())
        r = run("-f", "gbk", "-t", "utf-8", "--in-place", name, env=env)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(self.read(name), "中\n".encode())

    @unittest.skipIf(os.name != "posix" or EMULATED, "needs POSIX signals")
    def test_run_ended_by_a_signal_leaves_no_temporary(self):
        import resource
        import signal
        big = self.path("big", b"x" * 300_000)
        out = self.path("out")
        # Past 64 KiB of output the system ends the run with SIGXFSZ.
        r = run("-f", "utf-8", "-t", "utf-8", "-o", out, big,
                preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (65536, 65536)))
        self.assertEqual(r.returncode, -signal.SIGXFSZ)
        self.assertEqual(os.listdir(self.dir.name), ["big"])
        for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGQUIT):
            with self.subTest(signal=sig):
                # Stopped while it waits for input, its temporary written;
                # without the core file SIGQUIT would leave where cores are on.
                p = subprocess.Popen([ZELCONV, "-f", "utf-8", "-t", "utf-8", "-o", out],
                                     stdin=subprocess.PIPE, preexec_fn=lambda: resource.setrlimit(
                                         resource.RLIMIT_CORE, (0, 0)))
                while len(os.listdir(self.dir.name)) < 2 and p.poll() is None:
                    time.sleep(0.01)
                p.send_signal(sig)
                p.communicate(timeout=60)
                self.assertEqual(p.returncode, -sig)
                self.assertEqual(os.listdir(self.dir.name), ["big"])

    def test_in_place_failure_leaves_that_file_and_goes_on(self):
        good = self.path("good", "中".encode("gbk"))
        missing = self.path("missing")
        r = run("-f", "gbk", "-t", "utf-8", "--in-place", missing, good)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(len(r.stderr.splitlines()), 1, r.stderr)
        self.assertIn(missing.encode(), r.stderr)
        self.assertEqual(self.read(good), "中".encode())
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["good"])

    def test_unreadable_file_among_others_goes_to_stdout_without_it(self):
        a = self.path("a", b"one\n")
        b = self.path("b", b"two\n")
        missing = self.path("missing")
        r = run("-f", "utf-8", "-t", "ucs-2le", a, missing, b)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stdout, "one\ntwo\n".encode("utf-16-le"))
        self.assertEqual(len(r.stderr.splitlines()), 1, r.stderr)

    def test_failed_run_keeps_existing_output_file(self):
        out = self.path("out", b"older content")
        big = self.path("big", b"x" * 3_000_000)
        r = run("-f", "utf-8", "-t", "utf-8", "-o", out, "--block-size", "4k", big,
                self.path("missing"))
        self.assertEqual(r.returncode, 1)
        self.assertEqual(self.read(out), b"older content")
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["big", "out"])

    @unittest.skipIf(os.name != "posix" or EMULATED, "needs POSIX file size limits")
    def test_output_file_too_big_for_the_disk_leaves_nothing(self):
        # A file size limit makes writes past 64 KiB fail as a full disk
        # would; SIGXFSZ is ignored so that the write returns the error.
        import resource
        import signal

        def limit():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (65536, 65536))

        out = self.path("out")
        big = self.path("big", "中文\n".encode("gbk") * 100_000)
        r = run("-f", "gbk", "-t", "utf-8", "-o", out, "--block-size", "4k", big,
                preexec_fn=limit)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"cannot write '" + out.encode() + b"'", r.stderr)
        self.assertEqual(sorted(os.listdir(self.dir.name)), ["big"])

    @unittest.skipIf(not os.path.exists("/dev/full"), "no /dev/full")
    def test_full_disk_on_stdout(self):
        with open("/dev/full", "wb") as full:
            r = subprocess.run([ZELCONV, "-f", "utf-8", "-t", "utf-8"], input=b"x" * 100_000,
                               stdout=full, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(r.returncode, 1)
        lines = r.stderr.decode().splitlines()
        self.assertEqual(len(lines), 1, lines)
        self.assertIn("standard output", lines[0])
        if not EMULATED:
            self.assertIn(os.strerror(28), lines[0])

    @unittest.skipIf(not os.path.exists("/dev/full") or EMULATED,
                     "no /dev/full, or a Windows path would not reach it")
    def test_output_device_is_written_not_replaced(self):
        r = run("-f", "utf-8", "-t", "utf-8", "-o", "/dev/full", stdin=b"abc")
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"'/dev/full'", r.stderr)
        import stat
        self.assertTrue(stat.S_ISCHR(os.stat("/dev/full").st_mode))
        r = run("-f", "utf-8", "-t", "utf-8", "-o", os.devnull, stdin=b"abc")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(stat.S_ISCHR(os.stat(os.devnull).st_mode))


class HostileUse(InFolder):
    """What a hostile run tried fails with a message, or converts."""

    @unittest.skipIf(os.name != "posix" or EMULATED, "needs a FIFO and 250-byte file names")
    def test_what_a_hostile_run_tried_fails_loudly_or_converts(self):
        fifo = self.path("fifo")
        os.mkfifo(fifo)
        name, out = self.path("i" * 250, "中\n".encode("gbk")), self.path("o" * 250)
        # Past the 16 MiB an -f auto guess reads while all is 7-bit text.
        seven_bit = b"a\\" * (9 << 20)
        gbk, sjis = GUESSED[0][2], GUESSED[1][2]
        to_utf8 = ("-f", "gbk", "-t", "utf-8")
        cases = (
            # (arguments, input, exit status, in standard error, output)
            ((*to_utf8, "--in-place", fifo), b"", 1, "not a regular file", b""),
            ((*to_utf8, "-o", out, name), b"", 0, "", b""),
            ((*to_utf8, "--in-place", name), b"", 0, "", b""),
            # Guessed again at the first 8-bit byte, unless the new guess
            # reads the 7-bit text before it otherwise (Shift_JIS reads 0x5C as ¥).
            (("-f", "auto", "-t", "utf-8", "--strict"), seven_bit + gbk.encode("gbk"), 0, "",
             seven_bit + gbk.encode()),
            (("-f", "auto", "-t", "utf-8"), seven_bit + sjis.encode("shift_jis"), 0,
             f"malformed sequences (first at byte {len(seven_bit):,})",
             seven_bit + sjis.encode("shift_jis").decode("utf-8", "replace").encode()),
            # A copy into the same encoding still finds what is malformed.
            (("-f", "utf-8", "-t", "utf-8", "--strict"), b"abc\xd6\xd0\n", 1, "(first at byte 3)",
             "abc\ufffd\ufffd\n".encode()),
            (("-f", "gbk", "-t", "gb18030", "--strict"), b"abc\x81\n", 1, "(first at byte 3)",
             "abc\ufffd\n".encode("gb18030")),
        )
        for args, data, code, message, output in cases:
            with self.subTest(args=args):
                r = run(*args, stdin=data, timeout=20)
                self.assertEqual(r.returncode, code, r.stderr)
                self.assertIn(message, r.stderr.decode())
                self.assertTrue(r.stdout == output, r.stdout[-100:])
        self.assertTrue(stat.S_ISFIFO(os.stat(fifo).st_mode))
        self.assertEqual([self.read(name), self.read(out)], ["中\n".encode()] * 2)
        self.assertEqual(sorted(os.listdir(self.dir.name)),
                         sorted(os.path.basename(p) for p in (fifo, name, out)))


class Losses(InFolder):
    """What an input lost: one warning line after it, none when it lost
    nothing, silenced by -s, an error with --strict."""

    def test_warning_line_counts_what_each_input_lost(self):
        # Offsets count bytes of the input across pieces, or of the
        # converted text for what only reference decoding lost.
        cases = (
            (("-f", "gbk", "-t", "utf-8", "--block-size", "100"),
             b"a" * 1234 + b"\xff\xff" + "中".encode("gbk"),
             "2 malformed sequences (first at byte 1,234)"),
            (("-f", "utf-8", "-t", "gbk"), "✓".encode() + b"\x80",
             "1 byte dropped, 1 character GBK cannot hold (first at byte 0)"),
            (("-f", "utf-8", "-t", "gbk", "-E"), b"ok &#10003;",
             "1 character GBK cannot hold (first at byte 3 of the converted text)"),
            # Counted from the input's first byte, a dropped mark included.
            (("-f", "utf-8-sig", "-t", "gbk"), b"\xef\xbb\xbfab\x80",
             "1 byte dropped (first at byte 5)"),
            (("-f", "gbk", "-t", "utf-8"), "中文".encode("gbk"), None),
        )
        for args, data, lost in cases:
            for way in ("file", "stdin"):
                with self.subTest(args=args, way=way):
                    if way == "file":
                        name = "'" + self.path("in", data) + "'"
                        r = run(*args, name.strip("'"))
                    else:
                        name = "standard input"
                        r = run(*args, stdin=data)
                    self.assertEqual(r.returncode, 0, r.stderr)
                    self.assertEqual(r.stderr.decode().splitlines(),
                                     [f"zelconv: warning: {name}: {lost}"] if lost else [])

    def test_silent_strict_and_verbose(self):
        bad = self.path("bad", b"ok \xff\n")
        good = self.path("good", "中\n".encode("gbk"))
        lost = "1 malformed sequence (first at byte 3)"
        # Standard output keeps what was written, also for a failed input.
        written = {bad: "ok \ufffd\n".encode(), good: "中\n".encode()}
        cases = (
            (("-s",), (bad, good), 0, []),
            (("--strict",), (bad, good), 1, [f"zelconv: cannot convert '{bad}' faithfully: {lost}"]),
            (("--strict", "-s"), (bad,), 1, [f"zelconv: cannot convert '{bad}' faithfully: {lost}"]),
            (("--verbose",), (good, bad), 0,
             [f"zelconv: converting '{good}'", f"zelconv: converting '{bad}'",
              f"zelconv: warning: '{bad}': {lost}"]),
        )
        for options, files, code, lines in cases:
            with self.subTest(options=options):
                r = run("-f", "gbk", "-t", "utf-8", *options, *files)
                self.assertEqual(r.returncode, code, r.stderr)
                self.assertEqual(r.stderr.decode().splitlines(), lines)
                self.assertEqual(r.stdout, b"".join(written[f] for f in files))

    def test_strict_writes_nothing_for_a_lossy_input(self):
        for mode in ("-o", "--in-place"):
            with self.subTest(mode=mode):
                bad = self.path("bad", b"ok \xff\n")
                good = self.path("good", "中\n".encode("gbk"))
                out = self.path("out", b"older content")
                where = ("-o", out) if mode == "-o" else ("--in-place",)
                r = run("-f", "gbk", "-t", "utf-8", "--strict", *where, good, bad)
                self.assertEqual(r.returncode, 1)
                self.assertEqual(self.read(bad), b"ok \xff\n")
                self.assertEqual(self.read(out), b"older content")
                # --in-place still replaces the file that lost nothing.
                self.assertEqual(self.read(good),
                                 "中\n".encode("gbk" if mode == "-o" else "utf-8"))
                self.assertEqual(sorted(os.listdir(self.dir.name)), ["bad", "good", "out"])


# Texts long enough for a guess, each with the codec that writes it and the
# id zelconv must guess for it.
GUESSED = (
    ("gbk", 2, "我们今天去北京参观了故宫和长城，天气很好，大家都很高兴。晚上在饭店吃了烤鸭。\n"),
    ("shift_jis", 7, "今日は東京で会議がありました。天気が良かったので、公園を散歩しました。\n"),
    ("koi8_r", 21, "Вчера мы гуляли по городу и разговаривали о новой книге, которую он написал.\n"),
)


class Guessing(InFolder):
    """-f auto converts from the detector's guess; --detect prints it."""

    def resolved(self, label):
        r = run("--resolve", label)
        self.assertEqual(r.returncode, 0, r.stderr)
        return int(r.stdout.split()[0])

    def test_auto_converts_from_the_guess(self):
        for codec, id, text in GUESSED:
            data = text.encode(codec) * 3
            for way in ("file", "stdin"):
                with self.subTest(codec=codec, way=way):
                    args = ("-f", "auto", "-t", "utf-8", "--block-size", "7")
                    if way == "file":
                        r = run(*args, self.path("in", data))
                    else:
                        r = run(*args, stdin=data)
                    self.assertEqual(r.returncode, 0, r.stderr)
                    self.assertEqual(r.stdout, text.encode() * 3)
        # --verbose names the guess with a label --resolve maps back.
        r = run("-f", "auto", "-t", "utf-8", "--verbose", stdin=GUESSED[0][2].encode("gbk"))
        guess = re.fullmatch(r"zelconv: standard input: guessed (\S+) \((?:\w+, )?confidence "
                             r"[01]\.\d\d, .+\)", r.stderr.decode().splitlines()[-1])
        self.assertTrue(guess, r.stderr)
        self.assertEqual(self.resolved(guess.group(1)), 2)

    def test_auto_reads_past_the_guessed_prefix(self):
        # The bytes read to guess are converted too, also a character they cut.
        text = GUESSED[0][2] * 2000
        data = b"x" + text.encode("gbk")
        self.assertGreater(len(data), 65536)
        r = run("-f", "auto", "-t", "utf-8", stdin=data)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stdout, b"x" + text.encode())

    def test_auto_reads_on_through_seven_bit_text(self):
        # 7-bit pages before the first other byte tell nothing: the guess
        # comes from the bytes after them, from a file and from a pipe.
        text = "x" * 100000 + GUESSED[0][2]
        data = text.encode("gbk")
        for args in ((self.path("ascii-first", data),), ()):
            with self.subTest(args=args):
                r = run("-f", "auto", "-t", "utf-8", *args, stdin=data)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(r.stdout, text.encode())

    def test_detect_prints_a_label_for_each_file(self):
        files = [self.path(codec, text.encode(codec)) for codec, _, text in GUESSED]
        missing = self.path("missing")
        r = run("--detect", files[0], missing, *files[1:])
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr.decode().splitlines(),
                         [f"zelconv: cannot read '{missing}': {os.strerror(2)}"])
        lines = r.stdout.decode().splitlines()
        self.assertEqual(len(lines), len(GUESSED))
        for line, path, (codec, id, _) in zip(lines, files, GUESSED):
            with self.subTest(codec=codec):
                m = re.fullmatch(r"(.*): (\S+) \((?:\w+, )?confidence ([01]\.\d\d)\)", line)
                self.assertTrue(m, line)
                self.assertEqual(m.group(1), path)
                self.assertEqual(self.resolved(m.group(2)), id)

    def test_detect_reads_standard_input(self):
        data = GUESSED[2][2].encode("koi8_r")
        for args in ((), ("-",)):
            with self.subTest(args=args):
                r = run("--detect", *args, stdin=data)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertRegex(r.stdout.decode(), r"^-: KOI8-R \((?:\w+, )?confidence [01]\.\d\d\)\n$")


class Errors(unittest.TestCase):
    """Usage errors exit 2 with one line naming what is wrong."""

    def test_usage_errors(self):
        cases = (
            (("-f", "NOPE", "-t", "utf-8"),
             "zelconv: unknown source charset 'NOPE' (see 'zelconv --list')"),
            (("-f", "#4", "-t", "utf-8"), "'#4' (id 4) has no decoder"),
            (("-f", "JIS0201", "-t", "utf-8"), "'JIS0201' (id 4) has no decoder"),
            (("-f", "#0", "-t", "utf-8"), "'#0' (id 0) has no decoder"),
            (("-f", "#56", "-t", "utf-8"), "'#56' (id 56) has no decoder"),
            (("-f", "#-3", "-t", "utf-8"), "'#-3' (id -3) has no decoder"),
            (("-f", "#x", "-t", "utf-8"), "'#x' is not a charset id"),
            (("-f", "utf-8", "-t", "ebcdic"), "unknown target charset 'ebcdic'"),
            (("-f", "utf-8", "-t", "#4"), "target charset '#4' cannot be written"),
            (("-f", "utf-8", "-t", "gbk", "--unmappable=skip"), "takes no --unmappable=skip"),
            (("-f", "utf-8", "-c", "--unmappable=ncr"), "disagrees with -c"),
            (("-f", "utf-32", "-t", "gbk"), "-t GBK reads no UTF-32"),
            (("-f", "utf-8", "-t", "ucs-2le", "-E"), "cannot decode references in UCS-2LE"),
            (("-f", "euc-kr", "-E"), "-E alone decodes UTF-8, GBK or GB18030 text, not 'euc-kr'"),
            (("--big5-to-gbk", "-t", "utf-8"), "take no -f, -t, -E or --unmappable"),
            (("--big5-to-gbk", "--gbk-to-big5"), "--big5-to-gbk excludes --gbk-to-big5"),
            (("-f", "gbk", "-t", "utf-8", "-o", "x", "--in-place", "y"), "excludes"),
            (("-f", "gbk", "-t", "utf-8", "--in-place"), "--in-place needs the files"),
            (("-f", "gbk", "-t", "utf-8", "--in-place", "-"), "cannot replace standard input"),
            (("-f", "gbk", "-t", "utf-8", "--block-size", "0"), "--block-size"),
            (("-f", "gbk", "-t", "utf-8", "--block-size", "65M"), "--block-size"),
            (("-f", "gbk", "-t", "utf-8", "-o", ""), "-o needs a file name"),
            (("-f", "utf-8", "-t", "gbk", "--add-bom"), "--add-bom writes a mark in Unicode"),
            (("-f", "utf-8", "-t", "utf-8", "--add-bom", "--keep-bom"), "excludes"),
            (("--no-such-option",), "--no-such-option"),
            (("--resolve", "NOPE"), "unknown charset 'NOPE'"),
            (("-f", "shfit_jis"), "unknown source charset 'shfit_jis'; did you mean 'shift_jis'?"),
            (("-f", "utf-8", "-t", "BIG5-HKSCS"), "target charset 'BIG5-HKSCS' is refused: "),
            (("--resolve", "shift_jisx0213"), "charset 'shift_jisx0213' is refused: "),
            (("--resolve", "#56"), "unknown charset '#56'"),
            (("--detect", "-t", "utf-8"), "--detect takes no"),
            (("--detect", "-l"), "excludes"),
        )
        for args, message in cases:
            with self.subTest(args=args):
                r = run(*args)
                self.assertEqual(r.returncode, 2, r.stderr)
                self.assertEqual(r.stdout, b"")
                lines = r.stderr.decode().splitlines()
                self.assertEqual(len(lines), 1, lines)
                self.assertTrue(lines[0].startswith("zelconv: "), lines[0])
                self.assertIn(message, lines[0])

    def test_unreadable_input_is_status_1(self):
        r = run("-f", "utf-8", "-t", "utf-8", "/no/such/dir/file")
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr.decode().splitlines(),
                         ["zelconv: cannot read '/no/such/dir/file': " + os.strerror(2)])


class Information(unittest.TestCase):
    def test_list_groups_every_label_by_id(self):
        groups = parse_list(run("-l").stdout)
        self.assertEqual(sorted(groups), [*range(1, 56), *range(57, 64)])
        self.assertEqual(groups[18], ("EUC-TW", ["EUC-TW"]))
        # Each label, prefix labels as themselves, resolves to its group.
        for id, (name, labels) in groups.items():
            for label in labels:
                with self.subTest(label=label):
                    r = run("--resolve", label.rstrip("*"))
                    self.assertEqual(r.returncode, 0, r.stderr)
                    self.assertEqual(int(r.stdout.split()[0]), id)
                    self.assertTrue(r.stdout.decode().startswith(f"{id} {name}"), r.stdout)

    def test_readme_charset_table_is_the_list(self):
        readme = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "README.md")
        with open(readme, encoding="utf-8") as f:
            table = f.read().split("\n## Charsets\n", 1)[1].split("\n## ", 1)[0]
        rows = {}
        for id, name, cell in re.findall(r"^\| (\d+) \| ([^|]+) \| (.*) \|$", table, re.M):
            labels = [] if cell.startswith("none") else re.findall(r"`([^`]+)`", cell)
            rows[int(id)] = (name, labels)
        self.assertEqual(rows, parse_list(run("-l").stdout))

    def test_resolve_matches_labels_as_the_library_does(self):
        cases = (("utf-8", 8), ("Utf_8", 8), ("gb2312-80", 2), ("latin-1", 24), ("#18", 18),
                 ("Shift JIS", 7), ("windows1252", 42), ("ucs-4", 58))
        for label, id in cases:
            with self.subTest(label=label):
                r = run("--resolve", label)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(int(r.stdout.split()[0]), id)

    def test_version(self):
        r = run("--version")
        self.assertEqual(r.returncode, 0)
        self.assertRegex(r.stdout.decode(), r"^zelconv \d+\.\d+\.\d+\n$")

    @unittest.skipIf(os.name != "posix" or EMULATED, "needs a pseudo-terminal")
    def test_progress_only_on_a_terminal_and_for_large_inputs(self):
        with tempfile.TemporaryDirectory() as d:
            big = os.path.join(d, "big")
            small = os.path.join(d, "small")
            with open(big, "wb") as f:
                f.write("中文\n".encode("gbk") * 1_500_000)  # 7.5 MB
            with open(small, "wb") as f:
                f.write("中文\n".encode("gbk") * 1000)
            # (input, stdout on a terminal too, whether the bar is drawn)
            for path, stdout_on_terminal, shown in ((big, False, True), (small, False, False),
                                                    (big, True, False)):
                with self.subTest(path=os.path.basename(path), stdout=stdout_on_terminal):
                    code, drawn = run_on_terminal(
                        [ZELCONV, "-f", "gbk", "-t", "utf-8", "--block-size", "64k", path],
                        stdout_on_terminal)
                    self.assertEqual(code, 0)
                    if shown:
                        self.assertIn(b"%", drawn)
                        self.assertIn(os.path.basename(path).encode(), drawn)
                        # The bar clears its line at the end.
                        self.assertTrue(drawn.rstrip(b" ").endswith(b"\r"), drawn[-80:])
                    else:
                        self.assertEqual(drawn, b"")
            # Not a terminal: nothing, however large.
            r = run("-f", "gbk", "-t", "utf-8", big)
            self.assertEqual(r.stderr, b"")


def drain(fd, into):
    """Reads a pseudo-terminal until its other end is closed."""
    while True:
        try:
            chunk = os.read(fd, 65536)
        except OSError:
            return
        if not chunk:
            return
        into.append(chunk)


def run_on_terminal(command, stdout_on_terminal):
    """Runs `command` with standard error on a pseudo-terminal, and standard
    output on another one or discarded; returns its status and what it drew
    on standard error."""
    import pty
    import threading
    err_controller, err_terminal = pty.openpty()
    out_controller = out_terminal = None
    if stdout_on_terminal:
        out_controller, out_terminal = pty.openpty()
    readers, drawn, shown = [], [], []
    try:
        for fd, into in ((err_controller, drawn), (out_controller, shown)):
            if fd is not None:
                readers.append(threading.Thread(target=drain, args=(fd, into)))
                readers[-1].start()
        p = subprocess.run(command, stdout=out_terminal or subprocess.DEVNULL,
                           stderr=err_terminal, timeout=120)
    finally:
        for fd in (err_terminal, out_terminal):
            if fd is not None:
                os.close(fd)
        for t in readers:
            t.join(timeout=60)
        for fd in (err_controller, out_controller):
            if fd is not None:
                os.close(fd)
    return p.returncode, b"".join(drawn)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
