#!/usr/bin/env python3
"""Draws the program's icon: a white "C" with an orange dot on a blue rounded
square. Writes src/app/corvanes.png (256 px, the window icon) and
src/app/corvanes.ico (16, 24, 32, 48, 64 and 256 px, PNG-compressed entries,
for the Windows executable). Standard library only; run again after a change:
    python3 scripts/gen_icon.py
"""
import math
import os
import struct
import zlib

BLUE = (31, 78, 140)
WHITE = (255, 255, 255)
ORANGE = (240, 138, 36)
SUPERSAMPLE = 4


def coverage(size, x, y):
    """The colour at (x, y) in a unit square scaled to size, or None outside."""
    u, v = x / size, y / size
    r = 0.18  # corner radius
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return None
    # The dot, to the right of the C's opening.
    if (u - 0.76) ** 2 + (v - 0.5) ** 2 < 0.085 ** 2:
        return ORANGE
    # The C: a ring with its right side cut away.
    d = math.hypot(u - 0.47, v - 0.5)
    if 0.20 < d < 0.33:
        angle = math.degrees(math.atan2(v - 0.5, u - 0.47))
        if abs(angle) > 48:
            return WHITE
    return BLUE


def render(size):
    rows = []
    n = SUPERSAMPLE
    for y in range(size):
        row = bytearray([0])  # PNG filter: none
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    c = coverage(size, x + (sx + 0.5) / n, y + (sy + 0.5) / n)
                    if c is not None:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            k = acc[3]
            if k:
                row += bytes([acc[0] // k, acc[1] // k, acc[2] // k, 255 * k // (n * n)])
            else:
                row += bytes([0, 0, 0, 0])
        rows.append(bytes(row))
    return rows


def png(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"".join(render(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(sizes):
    images = [png(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "app")
    with open(os.path.join(here, "corvanes.png"), "wb") as f:
        f.write(png(256))
    with open(os.path.join(here, "corvanes.ico"), "wb") as f:
        f.write(ico([16, 24, 32, 48, 64, 256]))


if __name__ == "__main__":
    main()
