"""Conversions from many threads: right results, and the GIL released."""

import threading
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

import zel_code

TEXT = ("中文字符 text " * 4096).encode("gbk")


@pytest.mark.parametrize(
    "call",
    [
        lambda d: zel_code.convert(d, "gbk", "utf-8"),
        lambda d: zel_code.decode(d, "gbk").encode(),
        lambda d: zel_code.Stream("gbk").feed(d, last=True),
    ],
)
def test_many_threads_agree(call):
    inputs = [TEXT[: len(TEXT) - i] for i in range(0, 64, 2)]
    expected = [call(d) for d in inputs]
    with ThreadPoolExecutor(8) as pool:
        assert list(pool.map(call, inputs * 4)) == expected * 4


def test_gil_released_while_converting():
    """While one thread converts, another runs Python: its longest pause stays
    far below the conversion's time, which it would span with the GIL held."""
    big = TEXT * 1024
    start = time.perf_counter()
    zel_code.convert(big, "gbk", "utf-8")
    alone = time.perf_counter() - start
    done = threading.Event()

    def convert():
        for _ in range(2):
            zel_code.convert(big, "gbk", "utf-8")
        done.set()

    worker = threading.Thread(target=convert)
    longest, last = 0.0, time.perf_counter()
    worker.start()
    while not done.is_set():
        now = time.perf_counter()
        longest, last = max(longest, now - last), now
    worker.join()
    assert longest < alone / 2


def test_one_stream_shared_by_threads():
    st = zel_code.Stream("gbk", report=True)
    with ThreadPoolExecutor(4) as pool:
        outputs = list(pool.map(st.feed, [TEXT] * 16))
    assert outputs == [zel_code.convert(TEXT, "gbk")] * 16
