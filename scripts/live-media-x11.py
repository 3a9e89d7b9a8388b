#!/usr/bin/env python3
"""X11 helpers of live-media-check.sh, with nothing beyond python3 and the X libraries.

  live-media-x11.py move X Y              moves the pointer (XTest)
  live-media-x11.py click BUTTON [TIMES]  presses and releases a button (4/5 wheel, 6/7 sideways)
  live-media-x11.py crop FILE.xwd X Y W H OUT.png   a part of an `xwd -root` dump as PNG
  live-media-x11.py cover OUT.png         a 96 x 96 gradient to serve as track artwork
"""
import ctypes
import struct
import sys
import time
import zlib


def write_png(path, width, height, rows):
    """rows: one bytes object of RGB triples per row."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


def crop(xwd, left, top, width, height, out):
    data = open(xwd, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, byte_order, bits_per_pixel, bytes_per_line = fields[0], fields[7], fields[11], fields[12]
    screen_width, screen_height, ncolors = fields[4], fields[5], fields[19]
    # xwd may call a 32-bit pixel 24 bits deep; the line length tells.
    step = bytes_per_line // screen_width
    if bits_per_pixel not in (24, 32) or step not in (3, 4):
        sys.exit("only true-colour screens of 24 or 32 bits are supported")
    pixels = header_size + ncolors * 12
    width = min(width, screen_width - left)
    height = min(height, screen_height - top)
    rows = []
    for y in range(top, top + height):
        start = pixels + y * bytes_per_line + left * step
        line = data[start:start + width * step]
        if byte_order == 0:  # LSBFirst: B G R (X)
            rows.append(b"".join(bytes((line[i + 2], line[i + 1], line[i])) for i in range(0, len(line), step)))
        else:  # MSBFirst: (X) R G B
            o = step - 3
            rows.append(b"".join(bytes((line[i + o], line[i + o + 1], line[i + o + 2]))
                                 for i in range(0, len(line), step)))
    write_png(out, width, height, rows)


def cover(out):
    size = 96
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            t = (x + y) / (2 * size - 2)
            row += bytes((int(240 + (90 - 240) * t), int(128 + (30 - 128) * t), int(48 + (160 - 48) * t)))
        rows.append(bytes(row))
    write_png(out, size, size, rows)


def xtest():
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    return x11, xtst, ctypes.c_void_p(display)


def main(args):
    if args[0] == "crop":
        crop(args[1], int(args[2]), int(args[3]), int(args[4]), int(args[5]), args[6])
    elif args[0] == "cover":
        cover(args[1])
    elif args[0] == "move":
        x11, xtst, display = xtest()
        xtst.XTestFakeMotionEvent(display, -1, int(args[1]), int(args[2]), 0)
        x11.XFlush(display)
    elif args[0] == "click":
        x11, xtst, display = xtest()
        for _ in range(int(args[2]) if len(args) > 2 else 1):
            xtst.XTestFakeButtonEvent(display, int(args[1]), 1, 0)
            xtst.XTestFakeButtonEvent(display, int(args[1]), 0, 0)
        x11.XFlush(display)
    else:
        sys.exit(__doc__)
    time.sleep(0.05)


if __name__ == "__main__":
    main(sys.argv[1:])
