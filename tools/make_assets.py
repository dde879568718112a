#!/usr/bin/env python3
"""Draws the game's own icons and sample pictures as PNG files (no libraries)."""
import math, struct, zlib, os

def png(path, w, h, pixel):
    rows = bytearray()
    for y in range(h):
        rows.append(0)
        for x in range(w):
            rows.extend(pixel(x, y))
    def chunk(t, d):
        c = struct.pack(">I", len(d)) + t + d
        return c + struct.pack(">I", zlib.crc32(t + d) & 0xffffffff)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)

def landscape(x, y, w=960, h=640):
    t = y / h
    r, g, b = int(90 + 120 * t), int(150 + 70 * t), int(235 - 40 * t)       # sky
    if (x - 720) ** 2 + (y - 150) ** 2 < 70 ** 2:
        r, g, b = 255, 214, 80                                                 # sun
    hill1 = 400 + 60 * math.sin(x / 90.0)
    hill2 = 470 + 40 * math.sin(x / 55.0 + 1.3)
    if y > hill1:
        r, g, b = 70, int(140 + 30 * math.sin(x / 20.0)), 60
    if y > hill2:
        r, g, b = 40, 105, 45
        if ((x // 40) + (y // 40)) % 2 == 0:
            r, g, b = 60, 125, 50
    if 180 < x < 300 and 430 < y < 560:                                       # house
        r, g, b = (200, 70, 50) if y < 470 else (230, 220, 190)
        if 220 < x < 255 and 500 < y < 560:
            r, g, b = 110, 70, 40
    return bytes((r, g, b, 255))

def tiles(x, y):
    cx, cy = x // 80, y // 80
    r, g, b = 60 + (cx * 53) % 180, 60 + (cy * 71) % 180, 60 + ((cx + cy) * 97) % 180
    if (x % 80) < 3 or (y % 80) < 3:
        r, g, b = 30, 30, 40
    d = math.hypot(x - 400, y - 300)
    if 180 < d < 200:
        r, g, b = 250, 250, 250
    return bytes((r, g, b, 255))

def folder(x, y):
    if 3 <= x <= 20 and 7 <= y <= 19:
        return bytes((230, 180, 60, 255)) if y > 9 or x < 10 else bytes((200, 150, 40, 255))
    if 3 <= x <= 10 and 5 <= y <= 7:
        return bytes((200, 150, 40, 255))
    return bytes((0, 0, 0, 0))

def disk(x, y):
    if 3 <= x <= 20 and 3 <= y <= 20:
        if 7 <= x <= 16 and 3 <= y <= 9:
            return bytes((220, 220, 230, 255))
        if 6 <= x <= 17 and 13 <= y <= 20:
            return bytes((250, 250, 250, 255))
        return bytes((50, 80, 160, 255))
    return bytes((0, 0, 0, 0))

if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")
    png(os.path.join(root, "icons", "open.png"), 24, 24, folder)
    png(os.path.join(root, "icons", "save.png"), 24, 24, disk)
    # icons/puzzora.png, the window icon, is the 32 x 32 drawing of tools/make_icons.cpp.
    png(os.path.join(root, "samples", "Meadow.png"), 960, 640, landscape)
    png(os.path.join(root, "samples", "Tiles.png"), 800, 600, tiles)
