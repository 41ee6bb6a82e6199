#!/usr/bin/env python3
"""Writes the small seed files of fuzz_jpeg_metadata and fuzz_tiff_scan.

Usage: make_seeds.py [corpus folder]  (default: ../corpus beside this file)
"""
import os
import struct
import sys


def icc_profile(text=b"chart 1\0", own=True):
    """A minimal ICC profile: header, tag table with 'targ', 'cprt' and, for
    one of our own, 'P1MX'."""
    tags = [(b"targ", b"text\0\0\0\0" + text),
            (b"cprt", b"text\0\0\0\0Vandrelith pelto\0")]
    if own:
        tags.append((b"P1MX", b"\0" * 8))
    table_size = 4 + 12 * len(tags)
    offset = 128 + table_size
    entries, body = b"", b""
    for sig, data in tags:
        entries += sig + struct.pack(">II", offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    total = 128 + table_size + len(body)
    header = struct.pack(">I", total) + b"\0" * 8 + b"scnrRGB XYZ " + b"\0" * 12 + b"acsp"
    header += b"\0" * (128 - len(header))
    return header + struct.pack(">I", len(tags)) + entries + body


def exif_tiff(big):
    """EXIF TIFF structure: IFD0 with Make, Model and the Exif IFD pointer;
    the Exif IFD with ExposureTime, FNumber and FocalLength."""
    e = ">" if big else "<"
    make, model = b"Maker\0", b"Camera X1\0"
    ifd0 = 8
    n0 = 3
    exif = ifd0 + 2 + 12 * n0 + 4
    n1 = 3
    data_at = exif + 2 + 12 * n1 + 4
    strings = make + model
    rationals_at = data_at + len(strings)
    out = (b"MM" if big else b"II") + struct.pack(e + "HI", 42, ifd0)
    out += struct.pack(e + "H", n0)
    out += struct.pack(e + "HHII", 271, 2, len(make), data_at)
    out += struct.pack(e + "HHII", 272, 2, len(model), data_at + len(make))
    out += struct.pack(e + "HHII", 34665, 4, 1, exif)
    out += struct.pack(e + "I", 0)
    out += struct.pack(e + "H", n1)
    out += struct.pack(e + "HHII", 33434, 5, 1, rationals_at)
    out += struct.pack(e + "HHII", 33437, 5, 1, rationals_at + 8)
    out += struct.pack(e + "HHII", 37386, 5, 1, rationals_at + 16)
    out += struct.pack(e + "I", 0)
    out += strings
    out += struct.pack(e + "IIIIII", 1, 125, 56, 10, 50, 1)
    return out


def segment(marker, payload):
    return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload


def jpeg(big=False, chunks=2):
    icc = icc_profile()
    out = b"\xff\xd8"
    out += segment(0xE0, b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0")
    out += segment(0xE1, b"Exif\0\0" + exif_tiff(big))
    step = (len(icc) + chunks - 1) // chunks
    for i in range(chunks):
        part = icc[i * step:(i + 1) * step]
        out += segment(0xE2, b"ICC_PROFILE\0" + bytes([i + 1, chunks]) + part)
    out += segment(0xDA, b"\x01\x01\0\0\x3f\0")
    return out + b"\0\0\xff\xd9"


def tiff(width, height, bits, samples, photometric, rows_per_strip, icc=None,
         signed=False):
    """Uncompressed little-endian strip TIFF with a gradient."""
    row_bytes = width * samples * bits // 8
    pixels = bytearray()
    for y in range(height):
        for x in range(width):
            for c in range(samples):
                v = (x * 37 + y * 11 + c * 80) & 0xFF
                pixels += bytes([v]) if bits == 8 else struct.pack("<H", v * 257)
    strips = [bytes(pixels[r * row_bytes:(r + rows_per_strip) * row_bytes])
              for r in range(0, height, rows_per_strip)]
    entries = []
    extra = b""
    base = 8

    def blob(data):
        nonlocal extra
        at = base + len(extra)
        extra += data + b"\0" * (len(data) & 1)
        return at

    bps_at = blob(struct.pack("<" + "H" * samples, *([bits] * samples))) if samples > 2 else None
    strip_at = []
    for s in strips:
        strip_at.append(blob(s))
    offsets_at = blob(struct.pack("<" + "I" * len(strips), *strip_at)) if len(strips) > 1 else None
    counts_at = blob(struct.pack("<" + "I" * len(strips), *map(len, strips))) if len(strips) > 1 else None
    make_at = blob(b"Scanner Co\0")
    icc_at = blob(icc) if icc else None

    def entry(tag, typ, count, value):
        entries.append(struct.pack("<HHI", tag, typ, count) + value)

    short = lambda v: struct.pack("<HH", v, 0)
    long_ = lambda v: struct.pack("<I", v)
    entry(256, 3, 1, short(width))
    entry(257, 3, 1, short(height))
    entry(258, 3, samples, long_(bps_at) if bps_at else short(bits) if samples == 1
          else struct.pack("<HH", bits, bits))
    entry(259, 3, 1, short(1))
    entry(262, 3, 1, short(photometric))
    entry(271, 2, 11, long_(make_at))
    entry(273, 4, len(strips), long_(offsets_at) if offsets_at else long_(strip_at[0]))
    entry(277, 3, 1, short(samples))
    entry(278, 3, 1, short(rows_per_strip))
    entry(279, 4, len(strips), long_(counts_at) if counts_at else long_(len(strips[0])))
    entry(284, 3, 1, short(1))
    if signed:
        entry(339, 3, 1, short(2))
    if icc:
        entry(34675, 7, len(icc), long_(icc_at))
    ifd_at = base + len(extra)
    ifd = struct.pack("<H", len(entries)) + b"".join(entries) + struct.pack("<I", 0)
    return b"II" + struct.pack("<HI", 42, ifd_at) + extra + ifd


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "corpus")
    seeds = {
        "fuzz_jpeg_metadata": {
            "exif_icc_le.jpg": jpeg(big=False, chunks=2),
            "exif_icc_be.jpg": jpeg(big=True, chunks=1),
        },
        "fuzz_tiff_scan": {
            "rgb8.tif": tiff(6, 4, 8, 3, 2, 4),
            "rgb8_strips_icc.tif": tiff(5, 5, 8, 3, 2, 2, icc=icc_profile()),
            "gray16.tif": tiff(4, 3, 16, 1, 1, 1),
            "cmyk16.tif": tiff(3, 3, 16, 4, 5, 3),
            "lab8.tif": tiff(4, 2, 8, 3, 8, 2, signed=True),
            "own_profile.icc": icc_profile(b"IT8.7/2\0"),
        },
    }
    for folder, files in seeds.items():
        path = os.path.join(root, folder)
        os.makedirs(path, exist_ok=True)
        for name, data in files.items():
            assert len(data) < 4096, name
            with open(os.path.join(path, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
