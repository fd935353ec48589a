"""zel_code.batch on a local 2-worker cluster: outputs byte for byte those of
zelconv, resumption from the manifest, unreadable files reported."""

import csv
import os
import subprocess
import sys

import pytest

from zel_code import batch

TEXT = "第一行 line ¤\n漢字 二\n"


def make_tree(root, encoding, mark=b""):
    """Files of a few shapes: nested, empty, one many blocks long, one
    with malformed bytes, one starting with a byte-order mark."""
    files = {
        "a.txt": TEXT.encode(encoding, "replace"),
        "empty.txt": b"",
        "deep/er/b.txt": (TEXT * 2000).encode(encoding, "replace"),
        "deep/bad.txt": TEXT.encode(encoding, "replace") + b"\x80\xff\xfe",
        "marked.txt": mark + TEXT.encode(encoding, "replace"),
    }
    for name, data in files.items():
        (root / name).parent.mkdir(parents=True, exist_ok=True)
        (root / name).write_bytes(data)
    return sorted(files)


def zelconv_output(zelconv, path, source, target, tmp_path, *more):
    out = tmp_path / "zelconv.out"
    subprocess.run(
        [zelconv, "-s", "-f", source, "-t", target, *more, "-o", str(out), str(path)], check=True
    )
    return out.read_bytes()


def manifest(dst):
    with open(dst / batch.MANIFEST_NAME, newline="") as f:
        return {row["path"]: row for row in csv.DictReader(f)}


def run(cluster, src, dst, source, target, *more):
    return batch.main(
        [
            str(src),
            str(dst),
            "-f",
            source,
            "-t",
            target,
            "--scheduler",
            cluster.scheduler_address,
            "--block-size",
            "4096",
            *more,
        ]
    )


@pytest.mark.parametrize(
    "source,target,encoding,mark,more",
    [
        ("gbk", "utf-8", "gbk", b"", []),
        ("utf-8", "gb18030", "utf-8", b"\xef\xbb\xbf", []),  # zelconv drops the mark for GB18030
        ("utf-16le", "gbk", "utf-16-le", b"\xff\xfe", []),
        ("big5", "ucs-2", "big5", b"", []),
        # One mark, then big-endian, in every output (the empty one too).
        ("utf-8", "utf-16", "utf-8", b"\xef\xbb\xbf", []),
        ("gbk", "gb2312", "gbk", b"\x84\x31\x95\x33", ["--unmappable", "ncr", "--keep-bom"]),
        ("auto", "utf-8", "gbk", b"", []),
        ("utf-8-sig", "UTF-8-SIG", "utf-8", b"\xef\xbb\xbf", []),
        ("big-5", "latin-1", "big5", b"", []),
    ],
)
def test_outputs_are_zelconvs(cluster, zelconv, tmp_path, source, target, encoding, mark, more):
    src, dst = tmp_path / "src", tmp_path / "dst"
    names = make_tree(src, encoding, mark)
    assert run(cluster, src, dst, source, target, *more) == 0
    rows = manifest(dst)
    assert sorted(rows) == names
    for name in names:
        expected = zelconv_output(zelconv, src / name, source, target, tmp_path, *more)
        assert (dst / name).read_bytes() == expected, name
        assert int(rows[name]["output_size"]) == len(expected)
    bad = rows["deep/bad.txt"]
    assert sum(int(bad[count]) for count in ("passed", "dropped", "malformed")) > 0
    assert not list(dst.rglob("*" + batch.PART_SUFFIX))


def test_command_line_with_its_own_cluster(zelconv, tmp_path):
    src, dst = tmp_path / "src", tmp_path / "dst"
    names = make_tree(src, "gbk")
    done = subprocess.run(
        [
            sys.executable,
            "-m",
            "zel_code.batch",
            str(src),
            str(dst),
            "-f",
            "gbk",
            "-t",
            "utf-8",
            "--workers",
            "2",
        ],
        capture_output=True,
        text=True,
        timeout=120,
    )
    assert done.returncode == 0, done.stderr
    assert "5 converted, 0 unchanged, 0 failed" in done.stderr
    for name in names:
        assert (dst / name).read_bytes() == zelconv_output(
            zelconv, src / name, "gbk", "utf-8", tmp_path
        )


def test_resumes_after_an_interrupted_run(cluster, tmp_path, capsys):
    src, dst = tmp_path / "src", tmp_path / "dst"
    make_tree(src, "gbk")
    assert run(cluster, src, dst, "gbk", "utf-8") == 0
    first = manifest(dst)
    # What a run stopped mid-way leaves: rows for the files it finished, a
    # row cut short, a temporary beside an output it never renamed.
    lines = (dst / batch.MANIFEST_NAME).read_text().splitlines(keepends=True)
    kept = [line for line in lines if not line.startswith(("deep/er/b.txt", "a.txt"))]
    (dst / batch.MANIFEST_NAME).write_text("".join(kept) + "a.txt,conv")
    (dst / "deep/er/b.txt").unlink()
    (dst / "deep/er/.b.txt.x1.zel-part").write_bytes(b"half")
    # A source touched but not changed, and one changed at the same size.
    os.utime(src / "empty.txt", ns=(1, 1))
    (src / "marked.txt").write_bytes((src / "marked.txt").read_bytes().replace(b"line", b"LINE"))
    os.utime(src / "marked.txt", ns=(2, 2))
    capsys.readouterr()

    assert run(cluster, src, dst, "gbk", "utf-8") == 0
    # deep/bad.txt is skipped on its row alone; empty.txt after its hash.
    assert "3 converted, 2 unchanged, 0 failed" in capsys.readouterr().err
    again = manifest(dst)
    assert {name: row["status"] for name, row in again.items()} == {
        "a.txt": "converted",
        "deep/er/b.txt": "converted",
        "empty.txt": "unchanged",
        "deep/bad.txt": "converted",
        "marked.txt": "converted",
    }
    assert again["empty.txt"]["source_mtime_ns"] == "1"
    assert (dst / "marked.txt").read_bytes() == (src / "marked.txt").read_bytes().decode(
        "gbk"
    ).encode()
    assert not list(dst.rglob("*" + batch.PART_SUFFIX))
    assert again["deep/er/b.txt"]["source_sha256"] == first["deep/er/b.txt"]["source_sha256"]
    # A third run has nothing left to do.
    assert run(cluster, src, dst, "gbk", "utf-8") == 0
    assert "0 converted, 5 unchanged" in capsys.readouterr().err
    assert manifest(dst) == again


def test_a_stop_fails_the_file_and_leaves_no_output(cluster, tmp_path, capsys):
    src, dst = tmp_path / "src", tmp_path / "dst"
    make_tree(src, "utf-8")
    assert run(cluster, src, dst, "utf-8", "koi8-r", "--unmappable", "stop") == 1
    rows = manifest(dst)
    assert rows["a.txt"]["status"] == "failed"
    assert rows["a.txt"]["error"] == "a character koi8-r cannot hold at byte 0"
    assert rows["empty.txt"]["status"] == "converted"
    assert sorted(p.name for p in dst.rglob("*") if p.is_file()) == [
        batch.MANIFEST_NAME,
        "empty.txt",
    ]
    assert "4 failed" in capsys.readouterr().err
    # Another choice is another setting: every file is converted again.
    assert run(cluster, src, dst, "utf-8", "koi8-r") == 0
    assert "5 converted" in capsys.readouterr().err


@pytest.mark.parametrize("make_unreadable", ["dangling link", "directory listed"])
def test_unreadable_file_is_reported_and_the_rest_converted(
    cluster, tmp_path, capsys, make_unreadable
):
    src, dst = tmp_path / "src", tmp_path / "dst"
    names = make_tree(src, "gbk")
    more = []
    if make_unreadable == "dangling link":
        (src / "gone.txt").symlink_to(src / "nowhere")
        bad = "gone.txt"
    else:
        bad = "deep/er"
        (tmp_path / "list").write_text("\n".join(names + [bad]) + "\n")
        more = ["--files-from", str(tmp_path / "list")]
    assert run(cluster, src, dst, "gbk", "utf-8", *more) == 1
    rows = manifest(dst)
    assert rows[bad]["status"] == "failed" and rows[bad]["error"]
    assert all(rows[name]["status"] == "converted" for name in names)
    assert bad in capsys.readouterr().err
