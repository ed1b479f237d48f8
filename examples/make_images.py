#!/usr/bin/env python3
"""Draws the images of demo.txt as small uncompressed 32-bit TGA files.

Run from anywhere; the files go to pics/demo/ beside this script. Only the
standard library is used, so the images can be made again on any machine.
"""
import math
import os
import struct

SIZE = 64
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "pics", "demo")


def write_tga(name, pixel):
    """pixel(x, y) -> (r, g, b, a), with (0, 0) the top-left corner."""
    # Type 2 (true colour, uncompressed), 32 bits, 8 alpha bits, top-left origin.
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, SIZE, SIZE, 32, 0x28)
    body = bytearray()
    for y in range(SIZE):
        for x in range(SIZE):
            r, g, b, a = (max(0, min(255, int(v))) for v in pixel(x, y))
            body += bytes((b, g, r, a))  # TGA stores BGRA
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(header + body)


def stone(x, y):
    row = y // 16
    shifted = (x + (8 if row % 2 else 0)) % 32
    mortar = y % 16 < 2 or shifted < 2
    grain = (x * 7 + y * 13) % 11 * 4
    return (90, 88, 84, 255) if mortar else (150 + grain, 96 + grain // 2, 70, 255)


def glow(x, y):
    d = math.hypot(x - 31.5, y - 31.5) / 32.0
    level = max(0.0, 1.0 - d) * 255
    return (level, level * 0.8, level * 0.3, level)


def water(x, y):
    wave = math.sin((x + 6 * math.sin(y / 6.0)) / 5.0) * 0.5 + 0.5
    return (20 + 40 * wave, 80 + 60 * wave, 160 + 80 * wave, 170)


def chrome(x, y):
    band = math.cos(y / 64.0 * math.pi * 2) * 0.5 + 0.5
    return (120 + 120 * band, 120 + 120 * band, 140 + 110 * band, 255)


def flame(phase):
    def draw(x, y):
        sway = 6 * math.sin(y / 9.0 + phase * 2.1)
        width = (y + 4) / 2.6
        inside = max(0.0, 1.0 - abs(x - 31.5 - sway) / max(width, 1.0))
        heat = inside * (y / float(SIZE)) ** 0.5
        return (255 * min(1.0, heat * 1.6), 200 * heat, 40 * heat, 255 * min(1.0, heat * 2))
    return draw


def grate(x, y):
    bar = x % 16 < 4 or y % 16 < 4
    return (70, 70, 80, 255) if bar else (0, 0, 0, 0)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_tga("stone.tga", stone)
    write_tga("glow.tga", glow)
    write_tga("water.tga", water)
    write_tga("chrome.tga", chrome)
    for i in range(3):
        write_tga("flame%d.tga" % (i + 1), flame(i))
    write_tga("grate.tga", grate)


if __name__ == "__main__":
    main()
