#!/usr/bin/env python3
"""Draws the toolbar strip toolbar.bmp: 21 images of 16x16 pixels side by side, 8-bit with a palette.

Light gray (192,192,192) is the background: loaded with LR_LOADMAP3DCOLORS it becomes the button face.
Run: python3 make_toolbar.py toolbar.bmp
"""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 200, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
K, DR, DG, DY, DB, DM, DC, BG, GR, R, G, Y, B, M, C, W = range(16)
N, S = 21, 16


class Image:
    def __init__(self):
        self.p = [[BG] * S for _ in range(S)]

    def px(self, x, y, c):
        if 0 <= x < S and 0 <= y < S:
            self.p[y][x] = c

    def rect(self, x0, y0, x1, y1, c, fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.px(x, y, c)
                elif fill is not None:
                    self.px(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.px(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def curve(self, f, c, x0=1, x1=14):
        prev = None
        for x in range(x0, x1 + 1):
            y = int(round(f(x)))
            if prev is not None:
                self.line(x - 1, prev, x, y, c)
            prev = y


def page(im, x0=3, fill=W):
    im.rect(x0, 1, x0 + 9, 14, K, fill)
    im.line(x0 + 6, 1, x0 + 9, 4, K)
    im.rect(x0 + 6, 1, x0 + 9, 4, K, fill)


def axes(im):
    im.line(1, 8, 14, 8, GR)
    im.line(7, 1, 7, 14, GR)


def parabola(im, c):
    im.curve(lambda x: 13 - (x - 7.5) ** 2 / 4.5, c)


def magnifier(im, sign):
    for a in range(0, 360, 10):
        import math
        im.px(int(round(6 + 4.5 * math.cos(math.radians(a)))), int(round(6 + 4.5 * math.sin(math.radians(a)))), K)
    im.line(4, 6, 8, 6, B)
    if sign > 0:
        im.line(6, 4, 6, 8, B)
    for d in range(3):
        im.line(9 + d, 10, 13, 14 - d, K)


def draw():
    ims = [Image() for _ in range(N)]
    # 0 new
    page(ims[0])
    # 1 open: a folder
    im = ims[1]
    im.rect(1, 5, 12, 13, K, DY)
    im.rect(1, 3, 5, 5, K, DY)
    im.line(3, 8, 15, 8, K)
    im.line(3, 8, 1, 13, K)
    im.line(15, 8, 12, 13, K)
    for y in range(9, 13):
        im.line(3 - (y - 8) // 2, y, 14 - (y - 8) // 2, y, Y)
    # 2 save: a disk
    im = ims[2]
    im.rect(1, 1, 14, 14, K, DB)
    im.rect(4, 1, 11, 6, K, W)
    im.rect(4, 9, 11, 14, K, BG)
    im.rect(9, 10, 10, 13, K, K)
    # 3 print: a printer
    im = ims[3]
    im.rect(4, 1, 11, 6, K, W)
    im.rect(1, 6, 14, 11, K, BG)
    im.rect(4, 10, 11, 14, K, W)
    im.px(12, 8, G)
    # 4 copy graphs: two pages with a curve
    im = ims[4]
    im.rect(1, 1, 8, 10, K, W)
    im.rect(6, 5, 14, 14, K, W)
    im.curve(lambda x: 13 - (x - 7) ** 2 / 8 * 1.0 if x < 14 else 7, R, 7, 13)
    # 5 draw graph: parabola on axes with a pencil tip
    im = ims[5]
    axes(im)
    parabola(im, B)
    # 6 pause: two bars
    im = ims[6]
    im.rect(4, 3, 6, 12, K, B)
    im.rect(9, 3, 11, 12, K, B)
    # 7 redraw all: three curves
    im = ims[7]
    axes(im)
    im.curve(lambda x: 12 - x * 0.7, R)
    im.curve(lambda x: 3 + (x - 7.5) ** 2 / 6, B)
    im.curve(lambda x: 8 - 4 * ((x - 7.5) / 7) ** 3 * 1.5, DG)
    # 8 clear screen: empty grid with an eraser
    im = ims[8]
    im.rect(1, 1, 14, 14, K, W)
    axes(im)
    im.rect(8, 9, 14, 13, K, M)
    # 9 hide graph: curve struck through in gray
    im = ims[9]
    axes(im)
    parabola(im, GR)
    im.line(2, 13, 13, 2, K)
    # 10 delete graph: red cross
    im = ims[10]
    for d in (0, 1):
        im.line(2 + d, 2, 13, 13 - d, R)
        im.line(13 - d, 2, 2, 13 - d, R)
    # 11 zoom in, 12 zoom out
    magnifier(ims[11], 1)
    magnifier(ims[12], -1)
    # 13 default grid: axes with a house
    im = ims[13]
    axes(im)
    im.line(3, 7, 7, 3, DR)
    im.line(7, 3, 11, 7, DR)
    im.rect(4, 7, 10, 12, DR, Y)
    # 14 coordinate cursor: cross hair
    im = ims[14]
    im.line(7, 1, 7, 14, K)
    im.line(1, 7, 14, 7, K)
    im.rect(5, 5, 9, 9, R)
    # 15 find derivative: f'
    im = ims[15]
    for x, y in [(7, 2), (8, 2), (9, 2), (6, 3), (6, 4), (6, 5), (6, 6), (6, 7), (6, 8), (6, 9), (6, 10),
                 (6, 11), (6, 12), (5, 13), (4, 13), (4, 6), (5, 6), (7, 6), (8, 6), (11, 2), (11, 3), (10, 4)]:
        im.px(x, y, K)
    # 16 draw tangent: curve and its tangent line
    im = ims[16]
    parabola(im, B)
    im.line(7, 14, 15, 2, R)
    im.px(11, 8, K)
    # 17 integrate: shaded region under a curve
    im = ims[17]
    im.line(1, 14, 14, 14, K)
    for x in range(4, 12):
        top = int(round(9 - 4 * ((x - 7.5) / 6) ** 2 * -1)) - 3
        im.line(x, top, x, 13, C)
    im.curve(lambda x: 6 + ((x - 7.5) / 6) ** 2 * 4, B)
    # 18 restart: green triangle
    im = ims[18]
    for y in range(3, 13):
        w = 7 - abs(y - 7.5)
        im.line(5, y, 5 + int(w * 1.2), y, G)
    # 19 pressed pause: bars on a sunken square
    im = ims[19]
    im.rect(1, 1, 14, 14, GR, W)
    im.rect(4, 3, 6, 12, K, R)
    im.rect(9, 3, 11, 12, K, R)
    # 20 abort: red stop square
    im = ims[20]
    im.rect(3, 3, 12, 12, K, R)
    im.line(5, 5, 10, 10, W)
    im.line(10, 5, 5, 10, W)
    return ims


def write(path):
    ims = draw()
    width = N * S
    row = (width + 3) & ~3
    pixels = bytearray()
    for y in range(S - 1, -1, -1):
        line = bytearray()
        for im in ims:
            line.extend(im.p[y])
        line.extend(b"\0" * (row - width))
        pixels.extend(line)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE) + b"\0" * 4 * (256 - len(PALETTE))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, S, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


if __name__ == "__main__":
    write(sys.argv[1] if len(sys.argv) > 1 else "toolbar.bmp")
