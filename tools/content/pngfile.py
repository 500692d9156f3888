"""Reading PNG files without outside modules: the 8-bit, non-interlaced
layouts that rsvg-convert, SDL_image and our own writers make."""

import struct
import zlib

_CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}  # by colour type


def _unfilter(kind, line, prev, bpp):
    """Undoes the filter of one row in place (`prev`: the row above, unfiltered)."""
    stride = len(line)
    if kind == 1:
        for i in range(bpp, stride):
            line[i] = (line[i] + line[i - bpp]) & 255
    elif kind == 2:
        line[:] = bytes((a + b) & 255 for a, b in zip(line, prev))
    elif kind == 3:
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + ((left + prev[i]) >> 1)) & 255
    elif kind == 4:
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else (b if pb <= pc else c))) & 255
    elif kind != 0:
        raise ValueError("bad filter %d" % kind)


def _rgba(line, colour, width, palette):
    """One unfiltered row as RGBA bytes; pixels without alpha are opaque."""
    out = bytearray(4 * width)
    out[3::4] = b"\xff" * width
    if colour == 6:
        out[:] = line
    elif colour == 2:
        for c in range(3):
            out[c::4] = line[c::3]
    elif colour in (0, 4):
        step = 1 if colour == 0 else 2
        for c in range(3):
            out[c::4] = line[0::step]
        if colour == 4:
            out[3::4] = line[1::2]
    else:
        out[:] = b"".join(palette[i * 3:i * 3 + 3] + b"\xff" for i in line)
    return out


def read_png(path):
    """Returns (width, height, rows), each row the pixels' RGBA bytes."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s: not a PNG file" % path)
    pos, idat, header, palette = 8, bytearray(), None, None
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = body
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError("%s: no header" % path)
    width, height, depth, colour, _comp, _filt, interlace = header
    bpp = _CHANNELS.get(colour)
    if depth != 8 or bpp is None or interlace != 0 or (colour == 3 and palette is None):
        raise ValueError("%s: only 8-bit PNGs without interlacing are read" % path)
    raw = zlib.decompress(bytes(idat))
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        line = bytearray(raw[start + 1:start + 1 + stride])
        try:
            _unfilter(raw[start], line, prev, bpp)
        except ValueError as e:
            raise ValueError("%s: %s" % (path, e)) from None
        prev = line
        rows.append(_rgba(line, colour, width, palette))
    return width, height, rows


def write_png(path, width, height, rows):
    """Writes rows of RGBA bytes as an 8-bit RGBA PNG (each row unfiltered)."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xffffffff))
    raw = b"".join(b"\x00" + bytes(row[:4 * width]) for row in rows[:height])
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))
