"""Writes "PinYin.py": a 6-byte header (unused byte, entry width, first and end code unit, little-endian)
followed by the upper-case initials of every character's readings, an entry per code unit."""
import struct
import sys

from unihan import readings

FIRST, END = 0x3400, 0xA000  # CJK Extension A and the whole Unified Ideographs block
CAPACITY = 204800


def main(out_path):
    table = readings()
    entries = {}
    for point, found in table.items():
        if FIRST <= point < END:
            initials = []
            for syllable, _ in found:
                letter = syllable[0].upper()
                if letter not in initials:
                    initials.append(letter)
            entries[point] = initials
    width = max(len(v) for v in entries.values())
    if (END - FIRST) * width > CAPACITY:
        sys.exit("make_pinyin: %d initials per character do not fit" % width)
    data = bytearray((END - FIRST) * width)
    for point, initials in entries.items():
        at = (point - FIRST) * width
        data[at:at + len(initials)] = "".join(initials).encode("ascii")
    with open(out_path, "wb") as out:
        out.write(struct.pack("<BbHH", 0, width, FIRST, END))
        out.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
