#!/usr/bin/env python3
"""How much white is left inside the colour swath of a screenshot of the map.

    measure-swath-white.py SHOT.png [--radius R] [--max-percent P] [--hole MIN_PIXELS]

The painted swath is every pixel in one of the map's 50 colour classes, or in
one of them combined with a grid line (the overlay is ANDed over the grey
grid, RGB 192,192,192). Its largest connected piece is the survey (the colour
scale and the profile curves, in some of the same colours, are separate and
smaller). "Inside the painted swath" is that piece closed with a square of
side 2R+1 (default R 4: a gap up to 8 pixels across is inside) and with its
holes filled: everything the paint encloses. Inside it a pixel is white when
it is white or plain grid grey, that is, when the overlay left it empty.

Prints the pixels inside, the white ones among them and their share; with
--max-percent exits 1 when the share is above it. With --hole the largest
4-connected piece of white inside is a hole the run made on purpose (a console
silent for a while leaves its strip white): its size and box are printed, the
share is that of the white besides it, and the script exits 1 when the hole has
fewer than MIN_PIXELS pixels. Reads the PNG through ImageMagick's convert.
"""
import argparse
import subprocess
import sys
from collections import deque

# The colour classes (R, G, B), class 0 to 49.
PALETTE = [
    (32, 0, 255), (24, 0, 255), (16, 0, 255), (8, 0, 255), (0, 0, 255), (0, 16, 255), (0, 64, 255),
    (0, 96, 255), (0, 111, 255), (0, 136, 255), (0, 160, 255), (0, 192, 255), (0, 224, 255), (0, 255, 255),
    (0, 255, 224), (0, 255, 192), (0, 255, 160), (0, 255, 128), (0, 255, 96), (0, 255, 32), (0, 255, 16),
    (0, 255, 8), (0, 255, 0), (16, 255, 0), (32, 255, 0), (64, 255, 0), (96, 255, 0), (128, 255, 0),
    (160, 255, 0), (224, 255, 0), (240, 255, 0), (255, 255, 0), (255, 242, 0), (255, 224, 0), (255, 196, 0),
    (255, 160, 0), (255, 136, 0), (255, 110, 0), (255, 96, 0), (255, 80, 0), (255, 64, 0), (255, 32, 0),
    (255, 0, 0), (255, 0, 8), (255, 0, 16), (255, 0, 32), (255, 0, 64), (255, 0, 96), (255, 0, 128),
    (255, 0, 255),
]
GRID = (192, 192, 192)
WHITE = (255, 255, 255)


def read_rgb(path):
    size = subprocess.run(["convert", path, "-format", "%w %h", "info:"], capture_output=True, text=True,
                          check=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return width, height, data


def masks(width, height, data):
    """Per row, a bit mask of the painted pixels and one of the empty (white or grid) ones."""
    painted_colours = {bytes(c) for c in PALETTE}
    painted_colours |= {bytes(v & g for v, g in zip(c, GRID)) for c in PALETTE}
    empty_colours = {bytes(WHITE), bytes(GRID)}
    painted, empty = [], []
    for y in range(height):
        row = data[3 * width * y: 3 * width * (y + 1)]
        p = e = 0
        for x in range(width):
            c = row[3 * x: 3 * x + 3]
            if c in painted_colours:
                p |= 1 << x
            elif c in empty_colours:
                e |= 1 << x
        painted.append(p)
        empty.append(e)
    return painted, empty


def dilate(rows, radius, full):
    wide = []
    for m in rows:
        w = m
        for k in range(1, radius + 1):
            w |= (m << k) | (m >> k)
        wide.append(w & full)
    out = []
    for y in range(len(rows)):
        v = 0
        for yy in range(max(0, y - radius), min(len(rows), y + radius + 1)):
            v |= wide[yy]
        out.append(v)
    return out


def close(rows, radius, full):
    grown = dilate(rows, radius, full)
    return [~m & full for m in dilate([~m & full for m in grown], radius, full)]


def bits(m):
    x = 0
    while m:
        if m & 1:
            yield x
        m >>= 1
        x += 1


EIGHT = [(dx, dy) for dy in (-1, 0, 1) for dx in (-1, 0, 1) if dx or dy]
FOUR = [(-1, 0), (1, 0), (0, -1), (0, 1)]


def largest_piece(rows, neighbours=EIGHT):
    """The largest piece of the set bits connected through the neighbours, as (size, rows); (0, None)
    when there is none."""
    seen = [0] * len(rows)
    best, best_size = None, 0
    for y0, m in enumerate(rows):
        for x0 in bits(m & ~seen[y0]):
            if seen[y0] >> x0 & 1:
                continue
            piece = [0] * len(rows)
            queue = deque([(x0, y0)])
            seen[y0] |= 1 << x0
            size = 0
            while queue:
                x, y = queue.popleft()
                piece[y] |= 1 << x
                size += 1
                for dx, dy in neighbours:
                    xx, yy = x + dx, y + dy
                    if xx >= 0 and 0 <= yy < len(rows) and rows[yy] >> xx & 1 and not seen[yy] >> xx & 1:
                        seen[yy] |= 1 << xx
                        queue.append((xx, yy))
            if size > best_size:
                best, best_size = piece, size
    return best_size, best


def box(rows):
    ys = [y for y, m in enumerate(rows) if m]
    xs = [x for m in rows for x in (m.bit_length() - 1, (m & -m).bit_length() - 1) if m]
    return min(xs), min(ys), max(xs), max(ys)


def fill_holes(rows, width):
    """The set bits and everything they enclose: what the outside cannot reach."""
    full = (1 << width) - 1
    free = [~m & full for m in rows]
    outside = [0] * len(rows)
    queue = deque()
    for y in range(len(rows)):
        for x in (0, width - 1):
            if free[y] >> x & 1 and not outside[y] >> x & 1:
                outside[y] |= 1 << x
                queue.append((x, y))
    for x in range(width):
        for y in (0, len(rows) - 1):
            if free[y] >> x & 1 and not outside[y] >> x & 1:
                outside[y] |= 1 << x
                queue.append((x, y))
    while queue:
        x, y = queue.popleft()
        for xx, yy in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
            if 0 <= xx < width and 0 <= yy < len(rows) and free[yy] >> xx & 1 and not outside[yy] >> xx & 1:
                outside[yy] |= 1 << xx
                queue.append((xx, yy))
    return [~o & full for o in outside]


def write_picture(path, width, height, data, inside, empty):
    out = bytearray(data)
    for y in range(height):
        edge = inside[y] & ~((inside[y] << 1) & (inside[y] >> 1) &
                             (inside[y - 1] if y > 0 else 0) & (inside[y + 1] if y + 1 < height else 0))
        for x in bits(inside[y] & empty[y]):
            out[3 * (y * width + x): 3 * (y * width + x) + 3] = b"\x00\x00\x00"
        for x in bits(edge):
            out[3 * (y * width + x): 3 * (y * width + x) + 3] = b"\x80\x00\x00"
    subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "rgb:-", path], input=bytes(out),
                   check=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("shot")
    ap.add_argument("--radius", type=int, default=4)
    ap.add_argument("--max-percent", type=float)
    ap.add_argument("--hole", type=int, metavar="MIN_PIXELS",
                    help="the largest piece of white is a hole made on purpose, of at least MIN_PIXELS")
    ap.add_argument("--picture", help="write the shot with the white pixels inside shown black and the "
                                      "outline of the inside dark red")
    a = ap.parse_args()
    width, height, data = read_rgb(a.shot)
    full = (1 << width) - 1
    painted, empty = masks(width, height, data)
    _, swath = largest_piece(close(painted, 1, full))
    if swath is None:
        print("no colour swath in the picture")
        sys.exit(1)
    inside = fill_holes(close([s & p for s, p in zip(swath, painted)], a.radius, full), width)
    total = sum(bin(m).count("1") for m in inside)
    whites = [m & e for m, e in zip(inside, empty)]
    white = sum(bin(m).count("1") for m in whites)
    hole_size = 0
    if a.hole is not None:
        hole_size, hole = largest_piece(whites, FOUR)
        left, top, right, bottom = box(hole) if hole_size else (0, 0, -1, -1)
        print(f"largest white piece: {hole_size} pixels, {right - left + 1} x {bottom - top + 1} "
              f"from ({left}, {top})")
        white -= hole_size
    share = 100.0 * white / total
    besides = " besides the largest piece" if a.hole is not None else ""
    print(f"inside the painted swath: {total} pixels, {white} white{besides} ({share:.2f} %)")
    if a.picture:
        write_picture(a.picture, width, height, data, inside, empty)
    if a.max_percent is not None and share > a.max_percent:
        sys.exit(1)
    if a.hole is not None and hole_size < a.hole:
        sys.exit(1)


if __name__ == "__main__":
    main()
