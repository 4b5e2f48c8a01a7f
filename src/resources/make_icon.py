#!/usr/bin/env python3
"""Writes the launcher's icon: a 32x32 32-bit image of a blue disc with a
white arrow, drawn by code so that no binary blob lives in the tree."""
import struct
import sys

SIZE = 32


def pixel(x, y):
    cx = cy = (SIZE - 1) / 2
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if d2 > (SIZE / 2 - 1) ** 2:
        return (0, 0, 0, 0)
    # Rows are stored bottom-up: y counts from the bottom edge.
    top = SIZE - 1 - y
    arrow_shaft = 13 <= x <= 18 and 7 <= top <= 18
    arrow_head = top >= 17 and top <= 25 and abs(x - 15.5) <= 25 - top
    if arrow_shaft or arrow_head:
        return (255, 255, 255, 255)
    return (200, 110, 30, 255)  # B, G, R, A


def main(path):
    pixels = b"".join(bytes(pixel(x, y)) for y in range(SIZE) for x in range(SIZE))
    mask = b"\0" * (SIZE * SIZE // 8)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    with open(path, "wb") as f:
        f.write(directory + image)


if __name__ == "__main__":
    main(sys.argv[1])
