"""Icon files for the branding cases, drawn by code: a square of one colour
in several sizes, as 32-bit bitmaps and, for the largest, a PNG image."""
import struct
import zlib


def _bitmap(size, rgb):
    r, g, b = rgb
    pixels = bytes([b, g, r, 255]) * (size * size)
    mask = b"\0" * (((size + 31) // 32 * 4) * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + mask


def _png(size, rgb):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes(rgb) * size for _ in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def icon(rgb_hex, sizes=(16, 32, 48), png_size=256):
    """An .ico of a square of colour rgb_hex ("rrggbb") in every size."""
    rgb = bytes.fromhex(rgb_hex)
    images = [(s, _bitmap(s, rgb)) for s in sizes] + ([(png_size, _png(png_size, rgb))] if png_size else [])
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    data = b""
    for size, image in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return directory + data
