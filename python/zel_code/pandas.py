"""pandas helpers: a Series of bytes decoded or converted by zel_code.

    import zel_code.pandas as zp
    frame["text"] = zp.decode_series(frame["raw"], "gbk")

A missing value (None or NaN) stays missing. With Dask, each partition is a
pandas Series, so the same functions run through map_partitions:

    ddf["text"] = ddf["raw"].map_partitions(zp.decode_series, "gbk", meta=("text", "object"))
"""

import pandas

from . import _zel_code


def _missing(value):
    return value is None or (isinstance(value, float) and value != value)


def _apply(series, call):
    return pandas.Series(
        [v if _missing(v) else call(v) for v in series],
        index=series.index,
        name=series.name,
        dtype=object,
    )


def decode_series(series, charset, errors="replace"):
    """A Series of str from a Series of bytes in `charset` (label or id)."""
    return _apply(series, lambda v: _zel_code.decode(v, charset, errors))


def convert_series(series, charset, to="utf-8", errors="replace", unmappable="substitute"):
    """A Series of bytes in `to` from a Series of bytes in `charset`, as
    zel_code.convert() writes them."""
    return _apply(series, lambda v: _zel_code.convert(v, charset, to, errors, unmappable))
