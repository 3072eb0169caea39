#!/usr/bin/env python3
"""Draws the wizard's left-side picture: res/picture.bmp, 120 x 260 pixels, 8 bits per pixel.

A night-blue to daylight-cyan gradient with the soft rings of a lens and the four
corner marks of a capture frame. The palette is one 256-step colour ramp, so every
pixel is a shade of the same scheme. Standard library only; the output is the same
on every run, and the committed file is what this script writes.

    scripts/make-picture.py            # writes res/picture.bmp beside this script's folder
    scripts/make-picture.py OUT.bmp
"""
import math
import os
import struct
import sys

WIDTH, HEIGHT = 120, 260

# Colour ramp stops: (position 0..1, (r, g, b)).
RAMP = [
    (0.00, (8, 20, 44)),
    (0.45, (24, 78, 150)),
    (0.80, (70, 160, 210)),
    (1.00, (236, 248, 252)),
]


def ramp_colour(t):
    for (p0, c0), (p1, c1) in zip(RAMP, RAMP[1:]):
        if t <= p1:
            f = (t - p0) / (p1 - p0)
            return tuple(round(a + (b - a) * f) for a, b in zip(c0, c1))
    return RAMP[-1][1]


def palette():
    return [ramp_colour(i / 255) for i in range(256)]


def smooth(edge0, edge1, x):
    t = min(1.0, max(0.0, (x - edge0) / (edge1 - edge0)))
    return t * t * (3 - 2 * t)


def ring(d, radius, width):
    """1 on a ring of the given radius, fading to 0 over `width` pixels."""
    return max(0.0, 1.0 - abs(d - radius) / width)


def brightness(x, y):
    # Background: darker at the top, lighter towards the bottom, slightly
    # lighter on the left.
    v = 0.18 + 0.42 * (y / (HEIGHT - 1)) + 0.06 * (1 - x / (WIDTH - 1))

    # The lens: a soft glow with three rings, centred in the upper third.
    cx, cy = 60, 92
    d = math.hypot(x - cx, y - cy)
    v += 0.22 * (1 - smooth(0, 46, d))
    v += 0.20 * ring(d, 40, 1.6) + 0.14 * ring(d, 30, 1.2) + 0.10 * ring(d, 20, 1.0)
    # A highlight on the lens, up and to the left.
    v += 0.25 * (1 - smooth(0, 9, math.hypot(x - (cx - 13), y - (cy - 14))))

    # Corner marks of a capture frame around the lens.
    left, top, right, bottom, arm, thick = 14, 46, 106, 138, 16, 2
    for fx, fy, sx, sy in ((left, top, 1, 1), (right, top, -1, 1),
                           (left, bottom, 1, -1), (right, bottom, -1, -1)):
        dx, dy = (x - fx) * sx, (y - fy) * sy
        if (0 <= dx < arm and 0 <= dy < thick) or (0 <= dy < arm and 0 <= dx < thick):
            v = max(v, 0.96)

    # A thin horizon line near the bottom, where the wizard's text side begins.
    v += 0.12 * max(0.0, 1 - abs(y - 214) / 1.2) * smooth(0, 30, min(x, WIDTH - 1 - x))
    return min(1.0, max(0.0, v))


def pixels():
    rows = []
    for y in range(HEIGHT):
        rows.append(bytes(round(brightness(x, y) * 255) for x in range(WIDTH)))
    return rows


def bitmap_file():
    stride = (WIDTH + 3) & ~3
    colours = palette()
    palette_bytes = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    # Rows are stored bottom-up.
    data = b"".join(row + b"\0" * (stride - WIDTH) for row in reversed(pixels()))
    offset = 14 + 40 + len(palette_bytes)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    return header + info + palette_bytes + data


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res", "picture.bmp")
    with open(out, "wb") as f:
        f.write(bitmap_file())


if __name__ == "__main__":
    main()
