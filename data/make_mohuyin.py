"""Writes "MoHuYin.ini" from the hand-written MoHuYin.txt as UTF-16LE with a byte-order mark."""
import sys


def main(source, out_path):
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(out_path, "wb") as out:
        out.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
