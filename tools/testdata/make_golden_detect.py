#!/usr/bin/env python3
"""Writes tests/data/detect_golden.txt, the texts tests/detect_test.cpp
guesses the charset of.

Format as in golden_files.py: every line is input<TAB>expected in upper-case
hex; the input is a short text encoded by one of Python's codecs, the
expected side the text itself as pivot text (UCS-2 little-endian). A guess
is right when the guessed charset reads the input as that text: charsets
that read a text alike (GBK and GB 2312, code page 1252 and ISO-8859-1 on
text without 0x80..0x9F) are all right for it.

The texts are the pairs a detector most easily confuses: the East Asian
double-byte charsets among each other, GB18030's four-byte codes, the
Cyrillic code pages, the Western code pages, UTF-8 with few non-ASCII
letters, and short inputs. They are written here, not taken from the
detector's training text.

    python3 tools/testdata/make_golden_detect.py [--skip-missing] [output folder, default tests/data]
"""

import sys

from golden_files import PYTHON, main

ZH_HANS = "我们的国家有很长的历史，人民勤劳勇敢。今天天气很好，我们一起去公园散步吧。"
ZH_HANT = "我們的國家有很長的歷史，人民勤勞勇敢。今天天氣很好，我們一起去公園散步吧。"
JA = "日本語の文章です。東京は今日も晴れていて、とても気持ちがいいですね。"
KO = "오늘은 날씨가 좋습니다. 우리는 함께 공원에 산책하러 갑니다."
RU = "Сегодня хорошая погода, и мы идём гулять в парк вместе с друзьями."
DE = "Die Straße führt über die Brücke; Größe und Übermaß sind schön."
UYGHUR = "维吾尔文：ئۇيغۇرچە يېزىق，藏文：བོད་ཡིག"
# A title in capitals before running text: read alone, the capitals are
# rare Greek but common small Cyrillic letters in KOI8-R.
EL_TITLE = ("ΟΙ ΝΕΕΣ ΤΙΜΕΣ ΤΟΥ ΠΕΤΡΕΛΑΙΟΥ ΣΤΗΝ ΑΓΟΡΑ\n"
            "Οι τιμές του πετρελαίου θέρμανσης ανέβηκαν ξανά αυτή την εβδομάδα, "
            "και οι καταναλωτές ζητούν βοήθεια.\n")
# Rows of decoration before the first sentence: symbols GB 2312 reads as
# other symbols and Hangul it reads as common hanzi.
KO_DECORATED = "◇ ♡。♡새소식。♡。◆\n" * 4 + "우리 학교는 내일부터 방학을 시작합니다. 모든 학생들은 숙제를 잊지 마세요.\n"

# (text, codecs) in the order the file lists them.
CASES = [
    (ZH_HANS, ["gbk", "gb2312", "utf-8"]),
    (ZH_HANT, ["big5", "utf-8"]),
    (JA, ["shift_jis", "euc_jp", "iso2022_jp"]),
    (KO, ["euc_kr", "iso2022_kr"]),
    (UYGHUR, ["gb18030"]),
    (RU, ["koi8_r", "cp1251", "cp866", "iso8859_5"]),
    (DE, ["cp1252", "iso8859_1"]),
    ("Le prix est de 20 € : « très cher » dit-il, œuvre à part.", ["cp1252", "iso8859_15"]),
    ("Plain ASCII text, nothing else in it.", ["ascii"]),
    ("A long English sentence with just one café in the middle of it all.", ["utf-8"]),
    ("中文", ["gbk"]),
    ("日本語", ["shift_jis"]),
    ("한국어", ["euc_kr"]),
    (EL_TITLE, ["iso8859_7"]),
    (KO_DECORATED, ["euc_kr"]),
]


def detect():
    pairs = []
    for text, codecs in CASES:
        pivot = text.encode("utf-16-le")
        for codec in codecs:
            pairs.append((text.encode(codec), pivot))
    return [f"texts to guess the charset of, encoded by {PYTHON}'s codecs"], pairs


if __name__ == "__main__":
    main(sys.argv, [("detect_golden.txt", detect)])
