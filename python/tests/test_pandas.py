"""zel_code.pandas on pandas Series and through dask.dataframe."""

import pytest

import zel_code
import zel_code.pandas as zp

pandas = pytest.importorskip("pandas")

RAW = ["中文".encode("gbk"), None, b"ok\x80", float("nan"), "漢字".encode("gbk")]


def test_decode_and_convert_series():
    series = pandas.Series(RAW, index=[5, 6, 7, 8, 9], name="raw")
    decoded = zp.decode_series(series, "gbk")
    assert list(decoded.index) == [5, 6, 7, 8, 9] and decoded.name == "raw"
    assert decoded[5] == "中文" and decoded[6] is None and pandas.isna(decoded[8])
    assert decoded[7] == zel_code.decode(b"ok\x80", "gbk")
    assert zp.convert_series(series, "gbk", "gb18030")[9] == "漢字".encode("gb18030")
    with pytest.raises(UnicodeDecodeError):
        zp.decode_series(series, "gbk", errors="strict")


def test_through_dask_map_partitions():
    dd = pytest.importorskip("dask.dataframe")
    frame = pandas.DataFrame({"raw": [("行%d" % i).encode("gbk") for i in range(40)]})
    ddf = dd.from_pandas(frame, npartitions=4)
    text = ddf["raw"].map_partitions(zp.decode_series, "gbk", meta=("raw", "object"))
    assert list(text.compute(scheduler="threads")) == ["行%d" % i for i in range(40)]
