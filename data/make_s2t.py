"""Writes "s2t.tbl": 65,536 little-endian 16-bit code units, the Traditional form of every code unit by
OpenCC's s2t conversion of the character on its own; identity where OpenCC keeps it or gives more than
one code unit."""
import struct
import subprocess
import sys


def convertible(point):
    # Line breaks, surrogates and controls cannot travel one per line through the converter.
    return point >= 0x20 and not 0xD800 <= point <= 0xDFFF and chr(point) not in "\x7f\x85\u2028\u2029"


def main(out_path):
    points = [p for p in range(0x10000) if convertible(p)]
    text = "\n".join(chr(p) for p in points) + "\n"
    converted = subprocess.run(["opencc", "-c", "s2t.json"], input=text.encode("utf-8"),
                               capture_output=True, check=True).stdout.decode("utf-8").split("\n")
    if len(converted) < len(points):
        sys.exit("make_s2t: the converter returned %d lines for %d" % (len(converted), len(points)))
    table = list(range(0x10000))
    for point, line in zip(points, converted):
        if len(line) == 1 and ord(line) <= 0xFFFF:
            table[point] = ord(line)
    with open(out_path, "wb") as out:
        out.write(struct.pack("<65536H", *table))


if __name__ == "__main__":
    main(sys.argv[1])
