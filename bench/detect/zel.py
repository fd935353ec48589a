"""ctypes bindings to the library for the detection benchmark scripts.

The library is ZEL_LIB, or libzel_code.so in ZEL_BUILD (default build-deteval).
"""

import ctypes
import os

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DETECT_WHOLE = 1


class String(ctypes.Structure):
    _fields_ = [("data", ctypes.c_void_p), ("length", ctypes.c_int32), ("reserved", ctypes.c_uint32)]


class Slice(ctypes.Structure):
    _fields_ = [("data", ctypes.c_void_p), ("length", ctypes.c_int32)]


class Guess(ctypes.Structure):
    _fields_ = [("confidence", ctypes.c_double), ("runner_up_confidence", ctypes.c_double),
                ("id", ctypes.c_int32), ("runner_up", ctypes.c_int32),
                ("reason", ctypes.c_int32), ("examined", ctypes.c_int32), ("language", ctypes.c_char_p)]


def library_path():
    if os.environ.get("ZEL_LIB"):
        return os.environ["ZEL_LIB"]
    build = os.environ.get("ZEL_BUILD", os.path.join(ROOT, "build-deteval"))
    return os.path.join(build, "libzel_code.so")


class Library:
    def __init__(self, path=None):
        self.path = path or library_path()
        self.lib = ctypes.CDLL(self.path)
        self.lib.zel_string_assign.argtypes = [ctypes.POINTER(String), ctypes.c_char_p, ctypes.c_int32]
        self.lib.zel_code_unicode.argtypes = [ctypes.c_int, ctypes.POINTER(String)]
        self.lib.zel_code_charset.argtypes = [ctypes.POINTER(String)]
        self.lib.zel_code_label.argtypes = [ctypes.c_int, ctypes.POINTER(Slice), ctypes.POINTER(ctypes.c_int)]
        self.has_detect = hasattr(self.lib, "zel_detect")
        if self.has_detect:
            self.lib.zel_detect.argtypes = [ctypes.c_char_p, ctypes.c_int32, ctypes.c_void_p, ctypes.c_int32,
                                            ctypes.c_int, ctypes.POINTER(Guess)]

    def unicode(self, cid, data):
        """The sample read as charset cid: UCS-2LE bytes."""
        s = String()
        self.lib.zel_string_init(ctypes.byref(s))
        self.lib.zel_string_assign(ctypes.byref(s), data, len(data))
        self.lib.zel_code_unicode(cid, ctypes.byref(s))
        out = ctypes.string_at(s.data, s.length) if s.length > 0 else b""
        self.lib.zel_string_free(ctypes.byref(s))
        return out

    def charset(self, label):
        s = String()
        self.lib.zel_string_init(ctypes.byref(s))
        raw = label.encode("ascii", "replace")
        self.lib.zel_string_assign(ctypes.byref(s), raw, len(raw))
        cid = self.lib.zel_code_charset(ctypes.byref(s))
        self.lib.zel_string_free(ctypes.byref(s))
        return cid

    def detect(self, data, flags=DETECT_WHOLE):
        g = Guess()
        rc = self.lib.zel_detect(data, len(data), None, 0, flags, ctypes.byref(g))
        if rc != 0:
            raise RuntimeError(f"zel_detect returned {rc}")
        return g
