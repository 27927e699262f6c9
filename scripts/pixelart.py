#!/usr/bin/env python3
"""Turns text pixel art into a 16-colour Windows .ico or .cur file.

Usage: python3 scripts/pixelart.py SRC.txt OUT.ico|OUT.cur

Source format: blank lines and lines starting with '#' are ignored; each
image starts with a header line "image WxH" (a cursor image may add
"hotspot X Y"), followed by exactly H rows of exactly W characters from
LEGEND below, top row first.
"""
import re
import struct
import sys
from pathlib import Path

# The standard Windows 16-colour palette, in palette order, with its symbol.
PALETTE = [
    ("K", (0, 0, 0)),  # black
    ("r", (128, 0, 0)),  # dark red
    ("g", (0, 128, 0)),  # dark green
    ("o", (128, 128, 0)),  # olive
    ("n", (0, 0, 128)),  # navy
    ("p", (128, 0, 128)),  # purple
    ("t", (0, 128, 128)),  # teal
    ("s", (192, 192, 192)),  # silver
    ("d", (128, 128, 128)),  # grey
    ("R", (255, 0, 0)),  # red
    ("G", (0, 255, 0)),  # lime
    ("Y", (255, 255, 0)),  # yellow
    ("B", (0, 0, 255)),  # blue
    ("M", (255, 0, 255)),  # fuchsia
    ("C", (0, 255, 255)),  # aqua
    ("W", (255, 255, 255)),  # white
]
TRANSPARENT = "."
LEGEND = {sym: index for index, (sym, _) in enumerate(PALETTE)}
LEGEND[TRANSPARENT] = 0  # black under a set AND bit leaves the screen as is

HEADER = re.compile(r"image\s+(\d+)x(\d+)(?:\s+hotspot\s+(\d+)\s+(\d+))?\s*$")


class ArtError(Exception):
    pass


def parse(path, cursor):
    """Returns a list of (rows, hotspot or None) in file order."""
    images = []
    rows = None
    where = None  # "file:line" of the current image's header

    def finish():
        if rows is not None and len(rows) != height:
            raise ArtError(f"{where}: image declares {height} rows, found {len(rows)}")

    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = line.rstrip()
        here = f"{path}:{number}"
        if not line or line.startswith("#"):
            continue
        header = HEADER.match(line)
        if header:
            finish()
            width, height = int(header[1]), int(header[2])
            if not (1 <= width <= 256 and 1 <= height <= 256):
                raise ArtError(f"{here}: image size must be 1..256 each way")
            hotspot = None
            if header[3] is not None:
                if not cursor:
                    raise ArtError(f"{here}: a hotspot makes sense only for a .cur output")
                hotspot = (int(header[3]), int(header[4]))
                if hotspot[0] >= width or hotspot[1] >= height:
                    raise ArtError(f"{here}: hotspot lies outside the image")
            rows, where = [], here
            images.append((rows, hotspot))
            continue
        if rows is None:
            raise ArtError(f"{here}: expected 'image WxH' before pixel rows")
        if len(rows) == height:
            raise ArtError(f"{here}: more than the declared {height} rows")
        if len(line) != width:
            raise ArtError(f"{here}: row has {len(line)} pixels, expected {width}")
        bad = sorted(set(line) - LEGEND.keys())
        if bad:
            raise ArtError(f"{here}: unknown pixel symbol(s) {' '.join(map(repr, bad))}")
        rows.append(line)
    finish()
    if not images:
        raise ArtError(f"{path}: no 'image WxH' found")
    return images


def pack_rows(rows, bits, value):
    """Bottom-up rows of `bits`-per-pixel values, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        acc = 0
        for ch in row:
            acc = (acc << bits) | value(ch)
        used = len(row) * bits
        padded = (used + 31) // 32 * 32
        out += (acc << (padded - used)).to_bytes(padded // 8, "big")
    return bytes(out)


def bitmap(rows):
    width, height = len(rows[0]), len(rows)
    xor = pack_rows(rows, 4, LEGEND.__getitem__)
    mask = pack_rows(rows, 1, lambda ch: ch == TRANSPARENT)
    # The height counts the XOR bitmap and the AND mask stacked together.
    info = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 4, 0,
                       len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for _, (r, g, b) in PALETTE)
    return info + palette + xor + mask


def build(images, cursor):
    blobs = [bitmap(rows) for rows, _ in images]
    out = bytearray(struct.pack("<HHH", 0, 2 if cursor else 1, len(images)))
    offset = len(out) + 16 * len(images)
    for (rows, hotspot), blob in zip(images, blobs):
        # A cursor entry keeps its hot spot where an icon keeps planes and bit depth.
        planes, bits = (hotspot or (0, 0)) if cursor else (1, 4)
        out += struct.pack("<BBBBHHII", len(rows[0]) % 256, len(rows) % 256, 16, 0,
                           planes, bits, len(blob), offset)
        offset += len(blob)
    return bytes(out + b"".join(blobs))


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: pixelart.py SRC.txt OUT.ico|OUT.cur")
    src, dst = Path(argv[1]), Path(argv[2])
    kind = dst.suffix.lower()
    if kind not in (".ico", ".cur"):
        sys.exit(f"{dst}: output must end in .ico or .cur")
    try:
        images = parse(src, kind == ".cur")
        data = build(images, kind == ".cur")
    except (ArtError, OSError, UnicodeDecodeError) as e:
        sys.exit(f"pixelart: {e}")
    dst.parent.mkdir(parents=True, exist_ok=True)
    dst.write_bytes(data)


if __name__ == "__main__":
    main(sys.argv)
