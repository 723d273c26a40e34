"""Writes "hanzi.sort": 65,536 little-endian 16-bit collation weights, one per code unit. Everything
that is not a hanzi keeps its code point order (digits, then Latin letters, ...); hanzi follow, ordered
by their most common reading (letters, then tone), then by code point."""
import struct
import sys

from unihan import readings


def main(out_path):
    table = readings()
    hanzi = sorted(table, key=lambda point: (table[point][0], point))
    others = [point for point in range(0x10000) if point not in table]
    weights = [0] * 0x10000
    for weight, point in enumerate(others + hanzi):
        weights[point] = weight
    with open(out_path, "wb") as out:
        out.write(struct.pack("<65536H", *weights))


if __name__ == "__main__":
    main(sys.argv[1])
