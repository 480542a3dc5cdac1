#!/usr/bin/env python3
"""Writes quenor.ico, the Windows resource of the window's icon, from the same picture as the
Qt front end's (window/qt/quenor_icon.xpm.h): 32 x 32 pixels, 16 colours, the background
transparent. Run it again after changing the picture; a test compares the two.
    window/win32/make_icon.py"""
import pathlib
import re
import struct

here = pathlib.Path(__file__).resolve().parent
xpm = (here.parent / "qt" / "quenor_icon.xpm.h").read_text()
rows = re.findall(r'"([^"]*)"', xpm)
width, height, colours, chars = map(int, rows[0].split())
palette = {}
for line in rows[1:1 + colours]:
    key, value = line[:chars], line[chars:].split()[-1]
    palette[key] = None if value == "None" else tuple(int(value[i:i + 2], 16) for i in (1, 3, 5))
pixels = rows[1 + colours:1 + colours + height]

opaque = sorted({c for c in palette.values() if c is not None})
assert len(opaque) <= 16, "a 16-colour icon holds at most 16 colours"
table = opaque + [(0, 0, 0)] * (16 - len(opaque))
index = {colour: i for i, colour in enumerate(table)}

xor_rows, and_rows = [], []
for row in reversed(pixels):  # bitmaps are stored bottom-up
    nibbles = [index.get(palette[row[x]], 0) if palette[row[x]] else 0 for x in range(width)]
    xor_rows.append(bytes((nibbles[x] << 4) | nibbles[x + 1] for x in range(0, width, 2)))
    mask = 0
    for x in range(width):
        mask = (mask << 1) | (1 if palette[row[x]] is None else 0)
    and_rows.append(mask.to_bytes(width // 8, "big"))
image = b"".join(xor_rows) + b"".join(and_rows)
header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, len(image), 0, 0, 16, 0)
colours_bytes = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in table)
body = header + colours_bytes + image
icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4,
                                                   len(body), 22) + body
(here / "quenor.ico").write_bytes(icon)
