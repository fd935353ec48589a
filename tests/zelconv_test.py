"""End-to-end tests of zelconv, driven as a user would: files, stdin, -o,
bad labels and unreadable paths. Expected text comes from Python's codecs."""
import os
import subprocess
import sys
import tempfile
import unittest

ZELCONV = sys.argv[1] if len(sys.argv) > 1 else "zelconv"
SAMPLES = sys.argv[2] if len(sys.argv) > 2 else "samples"


def run(*args, stdin=b""):
    return subprocess.run([ZELCONV, *args], input=stdin, capture_output=True, timeout=60)


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
        for args in (("-f", "utf-8", "-t", "ebcdic"), ("-f", "utf-8"), ("-t", "utf-8"), ("-x",), ("-f",)):
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
        lines = r.stdout.decode().splitlines()
        self.assertEqual(len(lines), 149)
        fields = {line.split()[0]: int(line.split()[-1]) for line in lines}
        self.assertEqual(fields["UTF_8"], 8)
        self.assertEqual(fields["GB2312"], 2)
        self.assertEqual(fields["MULELAO_1"], 55)

    def test_help(self):
        r = run("--help")
        self.assertEqual(r.returncode, 0)
        self.assertIn(b"usage: zelconv", r.stdout)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
