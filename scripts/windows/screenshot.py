#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a screenshot of the main window (an X window dump from xwd) and saves it as PNG.

screenshot.py DUMP.xwd OUT.png: exits 1 unless the chart shows the red altitude curve across a
wide stretch and, above it, legend entries whose line samples (red, blue) have dark title text
right of them. Prints what it found."""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    h = struct.unpack(">25I", data[:100])
    header_size, depth, width, height = h[0], h[3], h[4], h[5]
    byte_order, bpp, bytes_per_line, ncolors = h[7], h[11], h[12], h[19]
    if bpp not in (24, 32):
        sys.exit(f"expected a 24- or 32-bit dump, got {bpp} bits per pixel (depth {depth})")
    size = bpp // 8
    red_mask, green_mask, blue_mask = h[14], h[15], h[16]
    offset = header_size + 12 * ncolors
    fmt = "<" if byte_order == 0 else ">"

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
    rows = []
    for y in range(height):
        start = offset + y * bytes_per_line
        line = data[start: start + size * width]
        words = [int.from_bytes(line[i:i + size], "little" if fmt == "<" else "big")
                 for i in range(0, size * width, size)]
        rows.append([((w & red_mask) >> rs, (w & green_mask) >> gs, (w & blue_mask) >> bs)
                     for w in words])
    return width, height, rows


def write_png(path, width, height, rows):
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))
    open(path, "wb").write(png)


def red(p):
    return p[0] >= 200 and p[1] <= 60 and p[2] <= 60


def blue(p):
    return p[2] >= 200 and p[0] <= 60 and p[1] <= 60


def dark(p):
    # Title text on the light grey chart background; small text drawn without smoothing
    # has few fully black pixels, so grey strokes count too.
    return sum(p) < 450


def main():
    width, height, rows = read_xwd(sys.argv[1])
    write_png(sys.argv[2], width, height, rows)
    failures = []

    # The curve: red pixels in many columns, most of them below the legend.
    red_columns = [x for x in range(width) if any(red(rows[y][x]) for y in range(height))]
    print(f"red pixels in {len(red_columns)} columns")
    if len(red_columns) < 300:
        failures.append("no red altitude curve across the chart")

    # Legend samples: horizontal runs of at least 12 pixels of one colour, the topmost one that
    # has dark text within 80 pixels right of it.
    def legend_entry(is_colour):
        for y in range(height):
            run = 0
            for x in range(width):
                run = run + 1 if is_colour(rows[y][x]) else 0
                if run >= 12 and (x + 1 >= width or not is_colour(rows[y][x + 1])):
                    text = sum(1 for yy in range(max(0, y - 8), min(height, y + 9))
                               for xx in range(x + 2, min(width, x + 82)) if dark(rows[yy][xx]))
                    if text >= 15:
                        return x, y, text
                    run = 0
        return None

    for name, is_colour in (("altitude (red)", red), ("acceleration (blue)", blue)):
        entry = legend_entry(is_colour)
        if entry:
            print(f"legend entry {name}: sample ends at {entry[0]},{entry[1]}, "
                  f"{entry[2]} dark title pixels")
        else:
            failures.append(f"no legend entry with a title for the {name} curve")
    for f in failures:
        print("FAILED:", f)
    sys.exit(1 if failures else 0)


main()
