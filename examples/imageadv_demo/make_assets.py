#!/usr/bin/env python3
"""Draws the demo's pictures and writes its scene text, all from code: an 8-bit background
scrambled with the scene key, an 8-bit character overlay (index 0 transparent, colours 0..47)
and the scene text file scrambled with the text key."""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from scramble import scramble  # noqa: E402

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "assets")
PICTURE_KEY = 1234
TEXT_KEY = 4321




def write_bmp8(path, w, h, rows, palette, key=None):
    """rows: top row first, each a bytes object of w indexes. With a key, row r is
    scrambled with seed key + r as the picture reader expects."""
    stride = (w + 3) & ~3
    pix = bytearray()
    for y in range(h - 1, -1, -1):
        row = rows[y]
        if key is not None:
            row = scramble(row, key + y)
        pix += row + bytes(stride - w)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    off = 14 + 40 + len(pal)
    head = b"BM" + struct.pack("<IHHI", off + len(pix), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(pix), 2835, 2835, 256, 0)
    with open(path, "wb") as f:
        f.write(head + info + pal + pix)


def background():
    w, h = 640, 480
    pal = [(0, 0, 0)] * 256
    for i in range(1, 64):  # sky, dark at the top
        t = i / 63
        pal[i] = (int(40 + 120 * t), int(70 + 130 * t), int(150 + 95 * t))
    for i in range(64, 96):  # grass
        t = (i - 64) / 31
        pal[i] = (int(30 + 60 * t), int(100 + 90 * t), int(30 + 30 * t))
    for i in range(96, 112):  # hills
        t = (i - 96) / 15
        pal[i] = (int(60 + 50 * t), int(90 + 50 * t), int(110 + 40 * t))
    for i in range(112, 128):  # sun
        t = (i - 112) / 15
        pal[i] = (255, int(200 + 55 * t), int(90 + 120 * t))
    pal[255] = (255, 255, 255)
    rows = []
    seed = 7
    for y in range(h):
        row = bytearray(w)
        for x in range(w):
            seed = (seed * 1103515245 + 12345) & 0xFFFFFFFF
            noise = (seed >> 16) & 3
            hill = 250 + 40 * math.sin(x / 70.0) + 20 * math.sin(x / 23.0 + 1)
            ground = 330 + 6 * math.sin(x / 40.0)
            d = math.hypot(x - 500, y - 90)
            if y >= ground:
                v = 64 + min(31, int((y - ground) / 5) + noise)
            elif y >= hill:
                v = 96 + min(15, int((y - hill) / 6))
            elif d < 40:
                v = 127 - min(15, int(d / 3))
            else:
                v = 1 + min(62, int(y / 4.2) + (noise if y > 40 else 0))
            row[x] = v
        rows.append(bytes(row))
    write_bmp8(os.path.join(HERE, "background.bmp"), w, h, rows, pal, PICTURE_KEY)


def character():
    w, h = 160, 240
    pal = [(0, 0, 0)] * 256
    colours = {
        1: (250, 215, 185),  # skin
        2: (70, 40, 30),  # hair
        3: (200, 60, 70),  # coat
        4: (150, 40, 50),  # coat shade
        5: (30, 30, 50),  # eyes
        6: (240, 240, 240),  # collar
        7: (60, 60, 90),  # trousers
    }
    for k, c in colours.items():
        pal[k] = c
    rows = []
    for y in range(h):
        row = bytearray(w)
        for x in range(w):
            cx = x - 80
            v = 0
            if math.hypot(cx, y - 50) < 34:
                v = 2 if y < 42 or abs(cx) > 26 else 1
                if y in (52, 53, 54) and abs(abs(cx) - 12) <= 2:
                    v = 5
            elif 84 <= y < 190 and abs(cx) < 22 + (y - 84) * 0.35:
                v = 6 if y < 96 and abs(cx) < 14 else (4 if cx > 12 else 3)
            elif 190 <= y < 240 and 6 < abs(cx) < 26:
                v = 7
            row[x] = v
        rows.append(bytes(row))
    write_bmp8(os.path.join(HERE, "character.bmp"), w, h, rows, pal)


def scene_text():
    lines = [
        "Mika: You came all the way up the hill?\n\tThe view is worth it, isn't it.",
        "Where shall we go next?",
        "Down to the village",
        "Stay and watch the sun",
        "You chose: ",
    ]
    data = "\x1e".join(lines).encode("utf-8")
    with open(os.path.join(HERE, "scene.txt"), "wb") as f:
        f.write(scramble(data, TEXT_KEY))


if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    background()
    character()
    scene_text()
