"""Shared fixtures: the C library through ctypes, zelconv and a local Dask
cluster, all from the build tree the zel_code package is imported from
(PYTHONPATH=<build>/python)."""

import ctypes
import pathlib

import pytest

import zel_code

BUILD = pathlib.Path(zel_code.__file__).resolve().parents[2]


class ZelString(ctypes.Structure):
    _fields_ = [
        ("data", ctypes.c_void_p),
        ("length", ctypes.c_int32),
        ("reserved", ctypes.c_uint32),
    ]


class ZelReport(ctypes.Structure):
    _fields_ = [
        (name, ctypes.c_int64)
        for name in (
            "passed",
            "dropped",
            "replaced",
            "unmappable",
            "malformed",
            "first_offset",
            "truncated_at",
        )
    ] + [("truncated", ctypes.c_int32), ("unused", ctypes.c_int32)]


class ZelGuess(ctypes.Structure):
    _fields_ = [
        ("confidence", ctypes.c_double),
        ("runner_up_confidence", ctypes.c_double),
        ("id", ctypes.c_int32),
        ("runner_up", ctypes.c_int32),
        ("reason", ctypes.c_int32),
        ("examined", ctypes.c_int32),
        ("language", ctypes.c_char_p),
    ]


class CLibrary:
    """The shared library's exports, called as a C caller would."""

    def __init__(self, path):
        self.lib = ctypes.CDLL(str(path))

    def call(self, name, data, *ids, suffix="_report"):
        """(result, output bytes, report) of `name`_report on data."""
        s, r = ZelString(), ZelReport()
        self.lib.zel_string_init(ctypes.byref(s))
        self.lib.zel_string_assign(ctypes.byref(s), data, len(data))
        result = getattr(self.lib, name + suffix)(*ids, ctypes.byref(s), ctypes.byref(r))
        out = ctypes.string_at(s.data, max(s.length, 0)) if s.data else b""
        self.lib.zel_string_free(ctypes.byref(s))
        return result, out, r

    def convert(self, data, source, target, unmappable=0):
        """(result, output bytes, report) of zel_convert on data."""
        return self.call("zel_convert", data, source, target, unmappable, suffix="")

    def detect(self, data, candidates=(), flags=0):
        """(result, zel_guess) of zel_detect on data."""
        g = ZelGuess()
        ids = (ctypes.c_int * len(candidates))(*candidates)
        result = self.lib.zel_detect(data, len(data), ids if candidates else None,
                                     len(candidates), flags, ctypes.byref(g))
        return result, g

    def charset(self, label):
        s = ZelString()
        self.lib.zel_string_init(ctypes.byref(s))
        raw = label.encode()
        self.lib.zel_string_assign(ctypes.byref(s), raw, len(raw))
        id = self.lib.zel_code_charset(ctypes.byref(s))
        self.lib.zel_string_free(ctypes.byref(s))
        return id


@pytest.fixture(scope="session")
def clib():
    return CLibrary(BUILD / "libzel_code.so")


@pytest.fixture(scope="session")
def zelconv():
    path = BUILD / "zelconv"
    if not path.exists():
        pytest.skip("zelconv is not built here")
    return str(path)


@pytest.fixture(scope="session")
def cluster():
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(
        n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None, silence_logs=40
    ) as c:
        yield c


def pytest_configure(config):
    # Debian's distributed starts its event loop in a way tornado deprecates.
    config.addinivalue_line(
        "filterwarnings", "ignore:make_current is deprecated:DeprecationWarning"
    )
