#!/usr/bin/env python3
"""Writes the sprite painter demo's pictures into examples/splpaint_demo/pictures: a 640 x 480
24-bit background and three 24-bit sprites whose pure green (0, 255, 0) pixels are transparent."""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples", "splpaint_demo",
                   "pictures")
KEY = (0, 255, 0)


def write_bmp(name, w, h, pixel):
    """pixel(x, y) -> (r, g, b), y from the top."""
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in reversed(range(h)):
        row = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - w * 3)
        rows.append(bytes(row))
    data = b"".join(rows)
    head = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(head + info + data)


def clamp(v):
    return max(0, min(255, int(v)))


def background(x, y):
    # Evening sky over two rows of hills, with a faint grid on the ground.
    hill1 = 300 + 40 * math.sin(x / 90.0)
    hill2 = 340 + 30 * math.sin(x / 55.0 + 1.3)
    if y > hill2:
        shade = 90 + (y - 340) // 3
        if (x % 40 == 0) or (y % 40 == 0):
            shade += 25
        return (30, clamp(shade), 40)
    if y > hill1:
        return (40, clamp(120 - (y - 260) // 4), 70)
    t = y / 300.0
    return (clamp(250 - 170 * t), clamp(140 - 60 * t), clamp(90 + 120 * t))


def ball(x, y, size=96):
    c = (size - 1) / 2.0
    dx, dy = x - c, y - c
    if dx * dx + dy * dy > (size / 2.0 - 1) ** 2:
        return KEY
    # Lit from the top left.
    light = max(0.0, 1.0 - math.hypot(dx + 18, dy + 18) / size)
    return (clamp(200 * light + 50), clamp(60 * light + 20), clamp(240 * light + 10))


def star(x, y, size=96):
    c = (size - 1) / 2.0
    dx, dy = x - c, y - c
    angle = math.atan2(dy, dx)
    radius = math.hypot(dx, dy)
    edge = (size / 2.0 - 2) * (0.55 + 0.45 * abs(math.cos(2.5 * angle)))
    if radius > edge:
        return KEY
    return (255, clamp(230 - radius * 3), 40)


def block(x, y, size=128):
    # A framed panel with a window cut out: the cut-out is transparent too.
    if 40 <= x < 88 and 40 <= y < 88:
        return KEY
    if x < 6 or y < 6 or x >= size - 6 or y >= size - 6:
        return (250, 250, 250)
    return (clamp(60 + x), clamp(40 + y), 160)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_bmp("background.bmp", 640, 480, background)
    write_bmp("ball.bmp", 96, 96, ball)
    write_bmp("star.bmp", 96, 96, star)
    write_bmp("block.bmp", 128, 128, block)


if __name__ == "__main__":
    main()
