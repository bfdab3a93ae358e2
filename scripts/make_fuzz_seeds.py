#!/usr/bin/env python3
"""Writes the fuzzers' seed files: small BMP files of every variant the reader takes, and
scrambled picture and text inputs (see fuzz/imageadv/FuzzInputs.h for their layout)."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from scramble import scramble  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "corpus")




def bmp(w, h, bpp, pixels, palette=(), compression=0, masks=None, core=False, top_down=False):
    hsize = 12 if core else 40
    extra = 12 if masks else 0
    entry = 3 if core else 4
    pal = b"".join(bytes((b, g, r)) + (b"" if core else b"\0") for r, g, b in palette)
    off = 14 + hsize + extra + len(pal)
    head = b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off)
    if core:
        info = struct.pack("<IHHHH", 12, w, h, 1, bpp)
    else:
        info = struct.pack("<IiiHHIIiiII", 40, w, -h if top_down else h, 1, bpp, compression,
                           len(pixels), 2835, 2835, len(palette), 0)
    if masks:
        info += struct.pack("<III", *masks)
    return head + info + pal + pixels


def rows(w, h, bpp, value):
    stride = ((w * bpp + 31) // 32) * 4
    return bytes(value(x, y) & 0xFF for y in range(h) for x in range(stride))


def main():
    grey = [(i * 17, i * 17, i * 17) for i in range(16)]
    full = [(i, 255 - i, i // 2) for i in range(256)]
    seeds = {
        "bmp1.bmp": bmp(9, 3, 1, rows(9, 3, 1, lambda x, y: 0xA5 ^ y), [(0, 0, 0), (255, 255, 255)]),
        "bmp4.bmp": bmp(5, 4, 4, rows(5, 4, 4, lambda x, y: x * 16 + y), grey),
        "bmp8.bmp": bmp(6, 3, 8, rows(6, 3, 8, lambda x, y: x + 40 * y), full),
        "bmp8core.bmp": bmp(4, 2, 8, rows(4, 2, 8, lambda x, y: x), full, core=True),
        "rle8.bmp": bmp(8, 3, 8, bytes([4, 1, 0, 3, 7, 8, 9, 0, 1, 2, 0, 0, 0, 2, 1, 1, 3, 5, 0, 1]),
                        full, compression=1),
        "rle4.bmp": bmp(8, 2, 4, bytes([6, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 1]), grey, compression=2),
        "bmp16.bmp": bmp(3, 2, 16, rows(3, 2, 16, lambda x, y: x * 37 + y)),
        "bmp565.bmp": bmp(3, 2, 16, rows(3, 2, 16, lambda x, y: x * 91 + y), compression=3,
                          masks=(0xF800, 0x07E0, 0x001F)),
        "bmp24top.bmp": bmp(3, 3, 24, rows(3, 3, 24, lambda x, y: x * 50 + y), top_down=True),
        "bmp32.bmp": bmp(2, 2, 32, rows(2, 2, 32, lambda x, y: x * 60 + y * 3)),
    }
    os.makedirs(os.path.join(ROOT, "bmp"), exist_ok=True)
    for name, data in seeds.items():
        open(os.path.join(ROOT, "bmp", name), "wb").write(data)

    os.makedirs(os.path.join(ROOT, "grpfile"), exist_ok=True)
    pic = seeds["bmp8.bmp"]
    open(os.path.join(ROOT, "grpfile", "key7.bin"), "wb").write(
        struct.pack("<IHH", 7, 6, 3) + pic)
    open(os.path.join(ROOT, "grpfile", "wide.bin"), "wb").write(
        struct.pack("<IHH", 0xFFFFFFFF, 60000, 60000) + seeds["rle8.bmp"])

    os.makedirs(os.path.join(ROOT, "txtfile"), exist_ok=True)
    text = "はじめまして。\n\tKelvo scene text\0after zero".encode("utf-8")
    open(os.path.join(ROOT, "txtfile", "key99.bin"), "wb").write(
        struct.pack("<I", 99) + scramble(text, 99))
    open(os.path.join(ROOT, "txtfile", "key0.bin"), "wb").write(
        struct.pack("<I", 0) + scramble(b"plain", 0))
    return 0


if __name__ == "__main__":
    sys.exit(main())
