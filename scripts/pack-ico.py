#!/usr/bin/env python3
"""Packs square PNG images into one Windows .ico file (each image stored as PNG)."""
import struct
import sys


def png_size(data: bytes) -> int:
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("not a PNG image")
    width, height = struct.unpack(">II", data[16:24])
    if width != height or width > 256:
        raise SystemExit(f"icon images must be square and at most 256 pixels, not {width}x{height}")
    return width


def main() -> None:
    out, *pngs = sys.argv[1:]
    images = [open(p, "rb").read() for p in pngs]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, bodies = b"", b""
    for data in images:
        size = png_size(data) % 256  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        bodies += data
    with open(out, "wb") as f:
        f.write(header + entries + bodies)


if __name__ == "__main__":
    main()
