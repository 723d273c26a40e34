"""Mandarin readings of the CJK ideographs from Unicode's Unihan database (Debian unicode-data)."""
import bz2
import unicodedata

READINGS = "/usr/share/unicode/Unihan_Readings.txt.bz2"
# Most common reading first: the everyday reading, then the dictionaries' full lists.
FIELDS = ("kMandarin", "kHanyuPinyin", "kXHC1983", "kTGHZ2013")


def _syllables(field, value):
    if field == "kMandarin":
        return value.split()
    found = []
    for entry in value.split():
        found += entry.split(":", 1)[1].split(",")
    return found


def toneless(syllable):
    """'zhōng' -> ('zhong', 1); 'lǚ' -> ('lv', 3); neutral tone is 5."""
    tone = 5
    letters = []
    for ch in unicodedata.normalize("NFD", syllable):
        mark = {"\u0304": 1, "\u0301": 2, "\u030c": 3, "\u0300": 4}.get(ch)
        if mark:
            tone = mark
        elif ch == "\u0308":
            letters[-1] = "v"
        elif ch.isascii() and ch.isalpha():
            letters.append(ch.lower())
    return "".join(letters), tone


def readings():
    """Code point -> list of distinct toneless readings with tones, most common first (BMP only)."""
    by_field = {}
    with bz2.open(READINGS, "rt", encoding="utf-8") as source:
        for line in source:
            if line.startswith("#") or not line.strip():
                continue
            code, field, value = line.rstrip("\n").split("\t", 2)
            if field not in FIELDS:
                continue
            point = int(code[2:], 16)
            if point > 0xFFFF:
                continue
            by_field.setdefault(point, {})[field] = _syllables(field, value)
    result = {}
    for point, fields in by_field.items():
        ordered = []
        for field in FIELDS:
            for syllable in fields.get(field, []):
                reading = toneless(syllable)
                if reading[0] and reading not in ordered:
                    ordered.append(reading)
        if ordered:
            result[point] = ordered
    return result
