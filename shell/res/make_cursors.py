#!/usr/bin/env python3
"""Draws the three tool cursors as 32x32 monochrome .cur files.

place.cur   (123) annotation placement: a corner bracket at the hot spot, where the text's upper-left
            corner goes, with a small letter A.
cross.cur   (124) the crosshair for a black graph background: white lines outlined in black.
point.cur   (125) the crosshair for every other background: black lines outlined in white.
Run: python3 make_cursors.py OUTPUT_FOLDER
"""
import os
import struct
import sys

SIZE = 32
CLEAR, BLACK, WHITE = 0, 1, 2


def blank():
    return [[CLEAR] * SIZE for _ in range(SIZE)]


def outline(pixels, ink, edge):
    """Every clear pixel next to an ink pixel becomes the edge colour, so the cursor shows on any paper."""
    out = [row[:] for row in pixels]
    for y in range(SIZE):
        for x in range(SIZE):
            if pixels[y][x] != ink:
                continue
            for dy in (-1, 0, 1):
                for dx in (-1, 0, 1):
                    nx, ny = x + dx, y + dy
                    if 0 <= nx < SIZE and 0 <= ny < SIZE and out[ny][nx] == CLEAR:
                        out[ny][nx] = edge
    return out


def crosshair(ink, edge):
    p = blank()
    c = 15
    for d in range(3, 12):  # four arms with a gap around the hot spot
        p[c][c - d] = p[c][c + d] = p[c - d][c] = p[c + d][c] = ink
    p[c][c] = ink
    return outline(p, ink, edge), (c, c)


LETTER_A = ["01110", "10001", "10001", "11111", "10001", "10001", "10001"]


def placement():
    p = blank()
    for d in range(0, 10):  # the corner bracket
        p[1][1 + d] = p[1 + d][1] = BLACK
    for y, row in enumerate(LETTER_A):
        for x, bit in enumerate(row):
            if bit == "1":
                p[5 + y][5 + x] = BLACK
    return outline(p, BLACK, WHITE), (1, 1)


def cur_file(pixels, hotspot):
    row_bytes = SIZE // 8
    xor, andmask = bytearray(), bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        xr, ar = 0, 0
        for x in range(SIZE):
            v = pixels[y][x]
            bit = 1 << (SIZE - 1 - x)
            if v == CLEAR:
                ar |= bit
            elif v == WHITE:
                xr |= bit
        xor += xr.to_bytes(row_bytes, "big")
        andmask += ar.to_bytes(row_bytes, "big")
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, len(xor) + len(andmask), 0, 0, 2, 0)
    colours = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + colours + bytes(xor) + bytes(andmask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + entry + image


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, (pixels, hotspot) in {
        "place.cur": placement(),
        "cross.cur": crosshair(WHITE, BLACK),
        "point.cur": crosshair(BLACK, WHITE),
    }.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(cur_file(pixels, hotspot))


if __name__ == "__main__":
    main()
