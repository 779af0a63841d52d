#!/usr/bin/env python3
"""Draws the program's icon (a dark disc with a few particle trails) and writes
src/resources/corvalinth.ico with 32 x 32 and 16 x 16 images, 32-bit with alpha.
Run it again after changing the drawing; the .ico is kept in the repository."""
import math
import struct
import sys
from pathlib import Path

TRAILS = [  # colour, start angle of the curl, radius factor, turn per step
    ((255, 210, 60), 0.3, 0.55, 0.33),
    ((90, 230, 255), 2.4, 0.45, -0.41),
    ((255, 90, 160), 4.1, 0.62, 0.27),
    ((140, 255, 120), 5.2, 0.35, -0.5),
]


def draw(size):
    px = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]
    c = (size - 1) / 2
    r = size / 2 - 0.5
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d <= r:
                # Dark blue, lighter towards the top left like the dialog's gradient.
                t = max(0.0, 1 - math.hypot(x - c * 0.6, y - c * 0.6) / (size * 0.9))
                level = int(20 + 90 * t)
                alpha = 255 if d <= r - 0.6 else int(255 * (r - d + 0.6) / 0.6 + 0.5)
                px[y][x] = (level // 2, level // 2, min(255, level + 60), max(0, min(255, alpha)))
    for colour, angle, radius, turn in TRAILS:
        x, y = c + math.cos(angle) * r * radius, c + math.sin(angle) * r * radius
        heading = angle + math.pi / 2
        for _ in range(size * 2):
            ix, iy = int(round(x)), int(round(y))
            if 0 <= ix < size and 0 <= iy < size and px[iy][ix][3] == 255:
                px[iy][ix] = (*colour, 255)
            heading += turn * (16 / size) * 0.6
            x += math.cos(heading) * 0.7
            y += math.sin(heading) * 0.7
    return px


def icon_image(size):
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(px):
        data = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                data[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(data)
    return header + xor + mask


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src/resources/corvalinth.ico"
    sizes = [32, 16]
    images = [icon_image(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    data += b"".join(images)
    out.write_bytes(data)


if __name__ == "__main__":
    main()
