"""zel_code.detect against zel_detect on the same bytes."""

import pytest

import zel_code

REASONS = ["nothing", "bom", "ascii", "structure", "statistics", "binary"]
GBK = "我们今天去北京参观了故宫和长城，天气很好，大家都很高兴。".encode("gbk")
# Structure, statistics, a mark, 7-bit text, nothing at all, junk.
INPUTS = [
    GBK,
    "今日は東京で会議がありました。".encode("shift_jis"),
    "\ufeffmark 中文".encode("utf-16-le"),
    b"plain ASCII",
    b"",
    bytes(range(0x80, 0x100)),
]


@pytest.mark.parametrize("data", INPUTS)
@pytest.mark.parametrize("whole", [False, True])
def test_detect_is_zel_detect(clib, data, whole):
    result, g = clib.detect(data, flags=int(whole))
    assert result == 0
    guess = zel_code.detect(data, whole=whole)
    assert guess == (g.id or None, guess.label, g.confidence, g.runner_up, g.runner_up_confidence,
                     REASONS[g.reason], g.examined, g.language and g.language.decode())
    assert zel_code.detect(bytearray(data), None, whole) == guess


def test_candidates_are_labels_or_ids(clib):
    _, g = clib.detect(GBK, candidates=(3, 12))
    by_label = zel_code.detect(GBK, candidates=["big5", "ks_c_5601-1987"])
    assert by_label.id == g.id and by_label.runner_up == g.runner_up
    assert zel_code.detect(GBK, candidates=(3, "ks_c_5601-1987")) == by_label


def test_label_names_the_id():
    # A lone candidate is the answer, so each id's label shows.
    for id in range(1, 56):
        try:
            g = zel_code.detect(b"\xa4\xa1 text", candidates=[id])
        except ValueError:
            continue  # no decoder
        assert g.id == id
        assert zel_code.charset_id(g.label) == id


@pytest.mark.parametrize(
    "args,error",
    [
        ((GBK, [4]), ValueError),  # no candidate with a decoder
        ((GBK, []), ValueError),
        ((GBK, ["no-such-label"]), ValueError),
        ((GBK, "gbk"), TypeError),
        (("text",), TypeError),
    ],
)
def test_bad_arguments_raise(args, error):
    with pytest.raises(error):
        zel_code.detect(*args)
