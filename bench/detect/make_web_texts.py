#!/usr/bin/python3
"""Writes the second held-out detection corpus's documents: the running text
of HTML books Debian ships, a kind of text the detector never trained on
(its models count gettext catalogues, man pages, fortunes, a word list and,
held out, the Debian reference). One document per HTML page, as UTF-8 in
OUT/<model>/<package>__<page>.txt, the shape make_corpus.py --texts reads.

Sources (Debian 12 packages, installed when missing by run.sh):
  debian-handbook           /usr/share/doc/debian-handbook/html/<ll-CC>/
  installation-guide-amd64  /usr/share/doc/installation-guide-amd64/<ll>/
Only languages a model is trained on are taken (Catalan, Indonesian and
Persian are left out). No Hebrew, Thai, Lao, Armenian, Baltic, Maltese,
Esperanto or Celtic book is shipped, so those models have no documents here.

A page's text is the text of its paragraphs, list items, table cells,
headings and definitions, each on a line; program listings, scripts and
styles are skipped. A line stays only when it holds a letter outside ASCII:
pages a translation left in English, and English command lines, would be
7-bit text in every charset. Pages with fewer than 200 characters left are
skipped; the rest are cut at 12,000 characters, at a line end.

Usage: make_web_texts.py OUT
"""

import html.parser
import os
import sys

BOOKS = (
    ("debian-handbook", "/usr/share/doc/debian-handbook/html", {
        "ar-MA": "arabic", "cs-CZ": "central", "da-DK": "western", "de-DE": "western",
        "el-GR": "greek", "es-ES": "western", "fr-FR": "western", "hr-HR": "central",
        "it-IT": "western", "ja-JP": "ja", "ko-KR": "ko", "nb-NO": "western", "nl-NL": "western",
        "pl-PL": "central", "pt-BR": "western", "ro-RO": "central", "ru-RU": "cyrillic",
        "sv-SE": "western", "tr-TR": "turkish", "vi-VN": "vietnamese", "zh-CN": "zh_hans",
        "zh-TW": "zh_hant",
    }),
    ("installation-guide", "/usr/share/doc/installation-guide-amd64", {
        "cs": "central", "da": "western", "de": "western", "el": "greek", "es": "western",
        "fr": "western", "it": "western", "ja": "ja", "ko": "ko", "nl": "western", "pt": "western",
        "ro": "central", "ru": "cyrillic", "sv": "western", "vi": "vietnamese", "zh_CN": "zh_hans",
    }),
)
BLOCKS = {"p", "li", "td", "th", "h1", "h2", "h3", "h4", "dt", "dd", "title", "div", "br"}
SKIPPED = {"pre", "script", "style", "code"}
MIN_CHARS, MAX_CHARS = 200, 12000


class PageText(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.lines, self.line, self.skip = [], [], 0

    def handle_starttag(self, tag, attrs):
        if tag in SKIPPED:
            self.skip += 1
        elif tag in BLOCKS:
            self.flush()

    def handle_endtag(self, tag):
        if tag in SKIPPED:
            self.skip = max(0, self.skip - 1)
        elif tag in BLOCKS:
            self.flush()

    def handle_data(self, data):
        if not self.skip:
            self.line.append(data)

    def flush(self):
        text = " ".join("".join(self.line).split())
        self.line = []
        if any(c >= "\x80" and c.isalpha() for c in text):
            self.lines.append(text)


def page_text(path):
    parser = PageText()
    with open(path, encoding="utf-8") as f:
        parser.feed(f.read())
    parser.close()
    parser.flush()
    out, size = [], 0
    for line in parser.lines:
        if size + len(line) + 1 > MAX_CHARS:
            break
        out.append(line)
        size += len(line) + 1
    return "\n".join(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.split("\n\n")[-1])
    out = sys.argv[1]
    counts = {}
    for package, root, languages in BOOKS:
        for language, model in sorted(languages.items()):
            folder = os.path.join(root, language)
            if not os.path.isdir(folder):
                print(f"make_web_texts: {folder} is missing", file=sys.stderr)
                continue
            os.makedirs(os.path.join(out, model), exist_ok=True)
            for name in sorted(os.listdir(folder)):
                if not name.endswith(".html"):
                    continue
                text = page_text(os.path.join(folder, name))
                if len(text) < MIN_CHARS:
                    continue
                stem = f"{package}-{language}__{name[:-5]}"
                with open(os.path.join(out, model, stem + ".txt"), "w", encoding="utf-8") as f:
                    f.write(text + "\n")
                counts[model] = counts.get(model, 0) + 1
    for model, count in sorted(counts.items()):
        print(f"make_web_texts: {model}: {count} pages", file=sys.stderr)


if __name__ == "__main__":
    main()
