#!/usr/bin/env python3
"""Writes the 32 dither patterns of the sprite painter's transitions as BMP files
resources/brushes/BRUSH<set><k>.bmp (set 0 has no set digit). Sets 0 to 2 are 16-colour files
that use only black (index 0) and white (index 15); set 3 is one-bit. Each row is a byte, most
significant bit leftmost, 1 white."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "brushes")

SETS = [
    # Ordered dither.
    ["FF BB FF FF FF BB FF FF", "FF BB FF EE FF BB FF EE", "FF AA FF AA FF AA FF AA",
     "55 AA 55 AA 55 AA 55 AA", "55 88 55 22 55 88 55 22", "55 00 55 00 55 00 55 00",
     "44 00 11 00 44 00 11 00", "00 00 11 00 00 00 11 00"],
    # Growing diamond.
    ["FF FF FF F7 FF FF FF FF", "FF FF FF E7 E7 FF FF FF", "FF FF E7 C3 C3 E7 FF FF",
     "FF E7 C3 81 81 C3 E7 FF", "E7 C3 81 00 00 81 C3 E7", "C3 81 00 00 00 00 81 C3",
     "81 00 00 00 00 00 00 81", "00 00 00 00 00 00 00 00"],
    # Shrinking corner square.
    ["FF FF FF FF FF FF FF FE", "FE FE FE FE FE FE FE 00", "FC FC FC FC FC FC 00 00",
     "F8 F8 F8 F8 F8 00 00 00", "F0 F0 F0 F0 00 00 00 00", "E0 E0 E0 00 00 00 00 00",
     "C0 C0 00 00 00 00 00 00", "80 00 00 00 00 00 00 00"],
    # Vertical wipe.
    ["FF FF FF FF FF FF FF FF", "7F 7F 7F 7F 7F 7F 7F 7F", "3F 3F 3F 3F 3F 3F 3F 3F",
     "1F 1F 1F 1F 1F 1F 1F 1F", "0F 0F 0F 0F 0F 0F 0F 0F", "07 07 07 07 07 07 07 07",
     "03 03 03 03 03 03 03 03", "01 01 01 01 01 01 01 01"],
]

# The classic 16-colour palette: index 0 black, 15 white.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def bmp(bpp, palette, rows_bottom_up):
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pixels = b"".join(rows_bottom_up)
    off = 14 + 40 + len(pal)
    head = b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", 40, 8, 8, 1, bpp, 0, len(pixels), 2835, 2835,
                       len(palette), 0)
    return head + info + pal + pixels


def row4(byte):
    # Two pixels per byte, the left one in the high nibble.
    nib = [15 if (byte >> (7 - x)) & 1 else 0 for x in range(8)]
    return bytes((nib[i] << 4) | nib[i + 1] for i in range(0, 8, 2))


def main():
    os.makedirs(OUT, exist_ok=True)
    for s, patterns in enumerate(SETS):
        for k, text in enumerate(patterns):
            rows = [int(v, 16) for v in text.split()]
            if s < 3:
                data = bmp(4, VGA16, [row4(r) for r in reversed(rows)])
            else:
                data = bmp(1, [(0, 0, 0), (255, 255, 255)],
                           [bytes((r, 0, 0, 0)) for r in reversed(rows)])
            name = "BRUSH%s%d.bmp" % ("" if s == 0 else str(s), k)
            with open(os.path.join(OUT, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
