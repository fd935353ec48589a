"""Which Debian-shipped text each detection model learns from, and which is
held out for the evaluation.

The split is by package: a package's text is either counted (train) or held
out (eval) for a model, never both, so an evaluation document was never seen
while counting. dump_texts.py counts the train split, extract.py writes
either split as UTF-8 files.

A source is (kind, package, languages, split):
  man        the package's man pages under /usr/share/man/<language>/
             ("" for the English ones under /usr/share/man/man*/)
  fortunes   the package's fortune files
  reference  the package's HTML manual (/usr/share/debian-reference/)
  words      the package's hunspell word list (for scripts with little text)
  catalogues every gettext catalogue (.mo) under
             /usr/share/locale/<language>/LC_MESSAGES, whichever package
             installs it (of CATALOGUE_PACKAGES); package is None, and
             a package in HELD_OUT_CATALOGUES is held out whatever the
             split says.

`python3 sources.py --packages` prints the packages to install.
"""

import sys
from dataclasses import dataclass

sys.dont_write_bytecode = True


@dataclass(frozen=True)
class Source:
    kind: str
    package: object  # str, or None for catalogues of every package
    languages: tuple
    split: str = "train"


def man(package, *languages, split="train"):
    return Source("man", package, languages, split)


def fortunes(package, language, split="train"):
    return Source("fortunes", package, (language,), split)


def reference(package, language, split="eval"):
    return Source("reference", package, (language,), split)


def words(package, language, split="train"):
    return Source("words", package, (language,), split)


def catalogues(*languages, split="train"):
    return Source("catalogues", None, languages, split)


# The packages whose gettext catalogues are read; a catalogue from any other
# package is ignored, so the snapshot depends only on the packages named here.
CATALOGUE_PACKAGES = (
    "adduser", "appstream", "apt", "at-spi2-common", "bash", "binutils-common", "coreutils",
    "debconf-i18n", "diffutils", "dpkg", "e2fsprogs-l10n", "findutils", "gawk",
    "gcc-12-locales", "gettext", "gettext-base", "git", "gnupg-l10n", "grep",
    "gsettings-desktop-schemas", "help2man", "iso-codes", "kbd", "libapt-pkg6.0",
    "libc-l10n", "libdpkg-perl", "libgdk-pixbuf2.0-common", "libglib2.0-data",
    "libgnutls30", "libgstreamer-plugins-base1.0-0", "libgstreamer1.0-0",
    "libavahi-common-data", "libexif12", "libgphoto2-port12", "libgtk-3-common",
    "libgtk2.0-common", "libidn2-0", "libpam-runtime", "login", "make", "man-db",
    "nano", "packagekit", "procps", "psmisc", "python-apt-common", "sed",
    "shared-mime-info", "software-properties-common", "sudo", "systemd", "tar",
    "util-linux-locales", "wget", "xdg-user-dirs", "xkb-data", "xz-utils",
)

# Catalogue packages held out of every model: widely translated running UI
# text, so each catalogue-only language keeps an evaluation set.
HELD_OUT_CATALOGUES = ("libgtk-3-common", "libgtk2.0-common")

# Characters of training text per model at most, shared evenly by its
# languages; documents are taken in a fixed pseudo-random order (by a hash of
# their path) until a language's share is reached.
TRAIN_CHARS = 2_000_000

# In the order of zel::detect::model.
MODELS = {
    "zh_hans": [
        catalogues("zh_CN"),
        fortunes("fortunes-zh", "zh_CN"),
        man("manpages-zh", "zh_CN"),
        reference("debian-reference-zh-cn", "zh_CN"),
    ],
    "zh_hant": [
        catalogues("zh_TW", "zh_HK"),
        man("manpages-zh", "zh_TW"),
        reference("debian-reference-zh-tw", "zh_TW"),
    ],
    "ja": [
        catalogues("ja"),
        man("manpages-ja", "ja"),
        reference("debian-reference-ja", "ja"),
    ],
    "ko": [catalogues("ko")],
    "cyrillic": [
        catalogues("ru", "uk", "bg", "be", "mk", "sr"),
        man("manpages-ru", "ru"),
        man("manpages-uk", "uk"),
        man("manpages-mk", "mk"),
        man("manpages-sr", "sr"),
        fortunes("fortunes-ru", "ru", split="eval"),
        fortunes("fortunes-bg", "bg", split="eval"),
    ],
    "greek": [catalogues("el"), man("manpages-el", "el")],
    "hebrew": [catalogues("he")],
    "arabic": [catalogues("ar")],
    "thai": [catalogues("th")],
    "vietnamese": [catalogues("vi"), man("manpages-vi", "vi")],
    # Lao: no running text is packaged, so the counts come from a word list
    # and the few catalogues are held out.
    "lao": [words("hunspell-lo", "lo"), catalogues("lo", split="eval")],
    "armenian": [catalogues("hy")],
    "western": [
        man("manpages", ""),
        man("manpages-de", "de"),
        man("manpages-fr", "fr"),
        man("manpages-es", "es"),
        man("manpages-it", "it"),
        man("manpages-pt-br", "pt_BR"),
        man("manpages-nl", "nl"),
        man("manpages-sv", "sv"),
        man("manpages-da", "da"),
        man("manpages-fi", "fi"),
        man("manpages-nb", "nb"),
        fortunes("fortunes-de", "de"),
        fortunes("fortunes-es", "es"),
        fortunes("fortunes-br", "pt_BR"),
        reference("debian-reference-de", "de"),
        reference("debian-reference-fr", "fr"),
        reference("debian-reference-es", "es"),
        reference("debian-reference-it", "it"),
        reference("debian-reference-pt", "pt"),
    ],
    "central": [
        catalogues("cs", "sk", "pl", "hu", "sl", "hr", "ro"),
        man("manpages-cs", "cs"),
        man("manpages-pl", "pl"),
        man("manpages-hu", "hu"),
        man("manpages-ro", "ro"),
        fortunes("fortunes-cs", "cs", split="eval"),
        fortunes("fortunes-pl", "pl", split="eval"),
    ],
    "baltic": [catalogues("lt", "lv", "et")],
    "turkish": [catalogues("tr"), man("manpages-tr", "tr")],
    "southern": [catalogues("mt", "eo"), fortunes("fortunes-eo", "eo", split="eval")],
    "celtic": [catalogues("ga", "cy", "gd"), fortunes("fortunes-ga", "ga", split="eval")],
}

# Legacy encodings of man pages and fortunes that are not UTF-8, by language.
LEGACY_ENCODING = {
    "zh_CN": "gb18030",
    "zh_TW": "big5",
    "ja": "euc_jp",
    "ko": "euc_kr",
    "ru": "koi8_r",
    "uk": "koi8_u",
    "bg": "cp1251",
    "mk": "iso8859_5",
    "sr": "iso8859_5",
    "el": "iso8859_7",
    "tr": "iso8859_9",
    "cs": "iso8859_2",
    "pl": "iso8859_2",
    "hu": "iso8859_2",
    "ro": "iso8859_16",
    "vi": "cp1258",
}

# Scripts without Latin letters: there a line with no non-ASCII letter is
# markup, a command or an untranslated string, not the language.
NON_LATIN = {"zh_hans", "zh_hant", "ja", "ko", "cyrillic", "greek", "hebrew", "arabic", "thai", "lao", "armenian"}


def packages():
    """The packages the sources name (catalogues come from whatever is installed)."""
    names = {source.package for sources in MODELS.values() for source in sources if source.package}
    return sorted(names | set(CATALOGUE_PACKAGES))


if __name__ == "__main__":
    if sys.argv[1:] == ["--packages"]:
        print(" ".join(packages()))
    else:
        sys.exit("usage: sources.py --packages")
