#!/usr/bin/env python3
"""Writes the fuzzers' seed files into fuzz/corpus/<target>/: small inputs that reach every path
of each reader (the layouts of the picture and text inputs are in fuzz/imageadv/FuzzInputs.h).
Seeds named fault-* are the inputs of faults once found, refused-* ones must be refused
(tests/imageadv/CorpusReplayTest.cpp checks that every other seed decodes); the one that needs some 34 MB to wrap
the RLE column is built by tests/raster/BmpRleTest.cpp instead, since libFuzzer takes the largest
seed as the input length. Other files in the corpus folders (findings kept as regressions, hand
written settings files) are left alone. The JPEG seed needs ImageMagick's convert."""
import os
import shutil
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from scramble import scramble  # noqa: E402

REPO = os.path.join(HERE, "..")
ROOT = os.path.join(REPO, "fuzz", "corpus")


def bmp(w, h, bpp, pixels, palette=(), compression=0, masks=None, core=False, top_down=False,
        hsize=None, clr_used=None):
    hsize = hsize or (12 if core else 40)
    extra = 12 if masks and hsize == 40 else 0
    entry = 3 if core else 4
    pal = b"".join(bytes((b, g, r)) + (b"" if core else b"\0") for r, g, b in palette)
    off = 14 + hsize + extra + len(pal)
    head = b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off)
    if core:
        info = struct.pack("<IHHHH", 12, w, h, 1, bpp)
    else:
        used = len(palette) if clr_used is None else clr_used
        info = struct.pack("<IiiHHIIiiII", hsize, w, -h if top_down else h, 1, bpp, compression,
                           len(pixels), 2835, 2835, used, 0)
        if hsize > 40:
            # Version 4 and 5 headers keep the masks inside; the rest is colour-space data.
            info += struct.pack("<IIII", *(masks or (0, 0, 0)), 0)
            info += bytes(hsize - len(info))
    if masks and hsize == 40:
        info += struct.pack("<III", *masks)
    return head + info + pal + pixels


def rows(w, h, bpp, value):
    stride = ((w * bpp + 31) // 32) * 4
    return bytes(value(x, y) & 0xFF for y in range(h) for x in range(stride))


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(w, h, color_type, row_bytes, depth=8, palette=None, trns=None):
    """A PNG of filter-0 rows; row_bytes(y) gives one row's bytes."""
    ihdr = struct.pack(">IIBBBBB", w, h, depth, color_type, 0, 0, 0)
    raw = b"".join(b"\0" + row_bytes(y) for y in range(h))
    out = b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr)
    if palette:
        out += png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns:
        out += png_chunk(b"tRNS", trns)
    return out + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b"")


def ico(images):
    """An icon file holding the given (width, height, data) images."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(d for _, _, d in images)


def jpeg():
    ppm = b"P6 8 8 255\n" + bytes((x * 32, y * 32, 128) [i] for y in range(8) for x in range(8)
                                   for i in range(3))
    convert = shutil.which("convert")
    if not convert:
        print("convert not found: no JPEG seed", file=sys.stderr)
        return None
    return subprocess.run([convert, "ppm:-", "-quality", "50", "jpg:-"], input=ppm,
                          capture_output=True, check=True).stdout


def write(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def bmp_seeds():
    grey = [(i * 17, i * 17, i * 17) for i in range(16)]
    full = [(i, 255 - i, i // 2) for i in range(256)]
    return {
        "bmp1.bmp": bmp(9, 3, 1, rows(9, 3, 1, lambda x, y: 0xA5 ^ y), [(0, 0, 0), (255, 255, 255)]),
        "bmp4.bmp": bmp(5, 4, 4, rows(5, 4, 4, lambda x, y: x * 16 + y), grey),
        "bmp4-short-palette.bmp": bmp(5, 2, 4, rows(5, 2, 4, lambda x, y: 0xF3), grey[:3]),
        "bmp8.bmp": bmp(6, 3, 8, rows(6, 3, 8, lambda x, y: x + 40 * y), full),
        "bmp8core.bmp": bmp(4, 2, 8, rows(4, 2, 8, lambda x, y: x), full, core=True),
        "bmp24core.bmp": bmp(3, 2, 24, rows(3, 2, 24, lambda x, y: x * 9 + y), core=True),
        "bmp8top.bmp": bmp(4, 3, 8, rows(4, 3, 8, lambda x, y: x + y), full[:8], top_down=True),
        "rle8.bmp": bmp(8, 3, 8, bytes([4, 1, 0, 3, 7, 8, 9, 0, 1, 2, 0, 0, 0, 2, 1, 1, 3, 5, 0, 1]),
                        full, compression=1),
        "rle4.bmp": bmp(8, 2, 4, bytes([6, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 1]), grey, compression=2),
        # Every code once: run, odd absolute run with its pad byte, delta, end of line, end.
        "rle8-every-code.bmp": bmp(6, 3, 8, bytes([3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1,
                                                    2, 9, 0, 0, 0, 1]), full, compression=1),
        "rle4-every-code.bmp": bmp(6, 3, 4, bytes([5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 1,
                                                    1, 0xF0, 0, 0, 0, 1]), grey, compression=2),
        # Codes leaving the picture: runs past the row end, a delta far right and one far up.
        "fault-rle8-delta-past-row.bmp": bmp(4, 2, 8, bytes([200, 3] + [0, 2, 255, 0] * 16 +
                                                             [1, 9, 0, 0, 0, 2, 0, 250, 4, 9]),
                                             full[:16], compression=1),
        "refused-rle8-truncated.bmp": bmp(4, 4, 8, bytes([4, 1, 0, 0, 0, 4, 1, 2]), full[:4],
                                  compression=1),
        "rle8-huge-blank.bmp": bmp(1024, 1024, 8, bytes([0, 1]), full[:2], compression=1),
        "bmp16.bmp": bmp(3, 2, 16, rows(3, 2, 16, lambda x, y: x * 37 + y)),
        "bmp565.bmp": bmp(3, 2, 16, rows(3, 2, 16, lambda x, y: x * 91 + y), compression=3,
                          masks=(0xF800, 0x07E0, 0x001F)),
        "bmp16-odd-masks.bmp": bmp(3, 2, 16, rows(3, 2, 16, lambda x, y: x * 77 + y), compression=3,
                                   masks=(0x000F, 0x00F0, 0x0F00)),
        "bmp24top.bmp": bmp(3, 3, 24, rows(3, 3, 24, lambda x, y: x * 50 + y), top_down=True),
        "bmp32.bmp": bmp(2, 2, 32, rows(2, 2, 32, lambda x, y: x * 60 + y * 3)),
        "bmp32-fields.bmp": bmp(2, 2, 32, rows(2, 2, 32, lambda x, y: x * 61 + y), compression=3,
                                masks=(0x3FF00000, 0x000FFC00, 0x000003FF)),
        "bmp32-v4.bmp": bmp(2, 2, 32, rows(2, 2, 32, lambda x, y: x + y * 5), compression=3,
                            masks=(0xFF0000, 0xFF00, 0xFF), hsize=108),
        "bmp24-v5.bmp": bmp(2, 2, 24, rows(2, 2, 24, lambda x, y: x * 3 + y), hsize=124),
        "bmp-zero-size.bmp": bmp(0, 0, 24, b""),
        "refused-too-wide.bmp": bmp(40000, 1, 8, b"\0" * 4, full[:2]),
    }


def main():
    seeds = bmp_seeds()
    for name, data in seeds.items():
        write("bmp", name, data)

    # grpfile: image number, key, control width and height, then the picture file.
    def grp(n, key, w, h, pic):
        return struct.pack("<BIHH", n, key & 0xFFFFFFFF, w, h) + pic
    pic = seeds["bmp8.bmp"]
    write("grpfile", "key7.bin", grp(1, 7, 6, 3, pic))
    write("grpfile", "wide.bin", grp(2, 0xFFFFFFFF, 60000, 60000, seeds["rle8.bmp"]))
    write("grpfile", "image0-key3.bin", grp(0, 3, 640, 480, pic))
    write("grpfile", "image3-24bit.bin", grp(3, 99, 2, 2, seeds["bmp24top.bmp"]))
    write("grpfile", "image4-rle4.bin", grp(4, 1, 8, 2, seeds["rle4-every-code.bmp"]))
    write("grpfile", "fault-delta-past-row.bin", grp(1, 5, 4, 2,
                                                     seeds["fault-rle8-delta-past-row.bmp"]))
    write("grpfile", "refused-too-wide.bin", grp(0, 0, 4, 4, seeds["refused-too-wide.bmp"]))

    # qtpicture: key, control width and height, then a picture of any format Qt reads.
    def qt(key, pic, w=64, h=48):
        return struct.pack("<IHH", key, w, h) + pic
    rgb = png(4, 3, 2, lambda y: bytes((x * 60, y * 80, 200) [i] for x in range(4) for i in range(3)))
    pictures = {
        "png-rgb.bin": rgb,
        "png-palette.bin": png(5, 2, 3, lambda y: bytes(range(5)),
                               palette=[(i * 50, 255 - i * 50, 7) for i in range(5)], trns=b"\0\x80"),
        "png-grey16.bin": png(3, 2, 0, lambda y: bytes(6 * [y * 100]), depth=16),
        "png-rgba.bin": png(2, 2, 6, lambda y: bytes([9, 8, 7, 128, 1, 2, 3, 255])),
        "png-mono.bin": png(9, 2, 0, lambda y: bytes([0xA5, 0x80]), depth=1),
        # A few hundred bytes of PNG wider than a bitmap can be: it once overflowed the bitmap.
        "fault-png-40000-wide.bin": png(40000, 8, 2, lambda y: bytes(40000 * 3)),
        # A chunk claiming 816 MiB in a file of a hundred bytes: the system's decoder allocated it.
        "fault-png-chunk-past-end.bin": rgb[:33] + b"\x33\x00\x00\x2atEXtIDATx" + bytes(40),
        "gif.bin": (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00"
                    b"\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;"),
        "ppm.bin": b"P6\n2 2\n255\n" + bytes(range(12)),
        "ppm-ascii.bin": b"P3 2 1 15 0 1 2 3 4 5\n",
        "pgm.bin": b"P5 3 1 255\n\x00\x80\xff",
        "pbm.bin": b"P4 9 2\n\xa5\x80\x5a\x00",
        "xpm.bin": (b'/* XPM */\nstatic char *x[] = {\n"3 2 2 1",\n"a c #FF0000",\n"b c None",\n'
                    b'"aba",\n"bab"};\n'),
        "xbm.bin": b"#define x_width 8\n#define x_height 2\nstatic unsigned char x_bits[] = { 0x55, 0xaa };\n",
        "ico-png.bin": ico([(4, 3, rgb)]),
        "ico-dib.bin": ico([(2, 2, struct.pack("<IiiHHIIiiII", 40, 2, 4, 1, 32, 0, 0, 0, 0, 0, 0) +
                             bytes(range(16)) + bytes(8))]),
        "bmp.bin": seeds["bmp8.bmp"],
        "rle-bmp.bin": seeds["rle8-every-code.bmp"],
    }
    jpg = jpeg()
    if jpg:
        pictures["jpeg.bin"] = jpg
    for name, data in pictures.items():
        write("qtpicture", name, qt(0, data))
    write("qtpicture", "png-key-narrow-control.bin", qt(77, rgb, 2, 1))

    text = "はじめまして。\n\tKelvo scene text\0after zero".encode("utf-8")
    write("txtfile", "key99.bin", struct.pack("<I", 99) + scramble(text, 99))
    write("txtfile", "key0.bin", struct.pack("<I", 0) + scramble(b"plain", 0))
    write("txtfile", "empty.bin", struct.pack("<I", 5))
    write("txtfile", "no-zero.bin", struct.pack("<I", 0xFFFFFFFF) + scramble(b"line\r\n" * 40, 0xFFFFFFFF))

    profiles = {
        "defaults.ini": b"[SYSTEM]\nXPos=0\nYPos=0\nSmall=0\n[DEFAULT]\nStayOnTop=0\nDontCatch=0\n"
                        b"ShowCpuUsePer=0\nStopCpuUsePer=0\nTaskBarHide=0\nMemory=50\nAutoMemClear=0\n"
                        b"AutoMemMin=0\nAutoMemUsed=0\nAutoMemSize=0\nAutoExeSize=1\nAutoMemUsePer=1\n"
                        b"Not100Per=0\nHint=0\n",
        "byte-order-mark.ini": b"\xef\xbb\xbf[SYSTEM]\r\nXPos=12\r\n[DEFAULT]\r\nHint=1\r\n",
        "quotes-and-blanks.ini": b'[ DEFAULT ]\n  Memory  =  " 70 "  \n;Hint=1\n\tXPos\t=\t9\n',
        "no-final-newline.ini": b"[DEFAULT]\nAutoExeSize=2147483648",
        "empty.ini": b"",
    }
    for name, data in profiles.items():
        write("profile", name, data)

    data = {name: open(os.path.join(REPO, "tests", folder, "data", name), "rb").read()
            for folder in ("platform", "clean")
            for name in os.listdir(os.path.join(REPO, "tests", folder, "data"))}
    for name, text in data.items():
        if name.startswith("meminfo"):
            write("meminfo", name, text)
        elif name.startswith("proc-stat"):
            write("procstat", name, text)
        else:
            write("cgroup", name, text)
    write("meminfo", "huge-figures.txt", b"MemTotal: 18014398509481983 kB\nMemAvailable: "
          b"18014398509481983 kB\nSwapTotal: 18014398509481983 kB\nSwapFree: 1 kB\n")
    write("procstat", "cpu-list.txt", b"0-3,8,10-11\n")
    write("procstat", "cpu-list-bad.txt", b"3-1,x\n")
    write("procstat", "old-kernel.txt", b"cpu  10 20 30 40\ncpu0 10 20 30 40\n")
    # A mount and a group path in one input, so that the folders of each level are worked out.
    for version in ("v1", "v2-container"):
        own = "self-cgroup-" + version.split("-")[0] + ".txt"
        write("cgroup", "mount-and-path-" + version + ".txt",
              data["mountinfo-" + version + ".txt"] + data[own])
    write("cgroup", "path-climbing-out.txt",
          b"30 1 0:26 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n0::/../../etc\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
