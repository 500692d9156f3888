"""Pictures of the real window: X window dumps (xwd) and PNG files as plain
RGB pixel rows, with the standard library only.

As a program:
  winshot.py same <window.xwd> <picture.png>   exit 0 when the pixels are equal
  winshot.py same <window.xwd> <picture.png> x,y,w,h...
                                               equal but inside the boxes, each of
                                               which differs (something drawn over)
  winshot.py flat <out.png> <w> <h> <r> <g> <b> write a one-colour picture
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                                "content"))
import pngfile  # noqa: E402


class Picture:
    """Width, height and rows of (r, g, b) bytes, 3 bytes a pixel."""

    def __init__(self, width, height, rgb):
        if len(rgb) != width * height * 3:
            raise ValueError("pixel data does not match the size")
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, x, y, w, h):
        if x < 0 or y < 0 or x + w > self.width or y + h > self.height:
            raise ValueError("crop outside the picture")
        rows = bytearray()
        for row in range(y, y + h):
            start = (row * self.width + x) * 3
            rows += self.rgb[start:start + w * 3]
        return Picture(w, h, rows)

    def differing(self, other):
        """Number of pixels that differ and the first one, as (x, y) or None."""
        if (self.width, self.height) != (other.width, other.height):
            raise ValueError("pictures of different sizes: %dx%d and %dx%d"
                             % (self.width, self.height, other.width, other.height))
        count = 0
        first = None
        a, b = self.rgb, other.rgb
        if a == b:
            return 0, None
        for i in range(0, len(a), 3):
            if a[i:i + 3] != b[i:i + 3]:
                count += 1
                if first is None:
                    first = ((i // 3) % self.width, (i // 3) // self.width)
        return count, first


def _mask_shift(mask):
    if mask == 0:
        raise ValueError("empty colour mask")
    shift = 0
    while not (mask >> shift) & 1:
        shift += 1
    width = 0
    while (mask >> (shift + width)) & 1:
        width += 1
    return shift, width


def read_xwd(path):
    """A true-colour ZPixmap dump as xwd writes it."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 100:
        raise ValueError("%s: too short for a window dump" % path)
    fields = struct.unpack(">25I", data[:100])
    (header_size, version, pixmap_format, _depth, width, height, _xoffset,
     byte_order, _bitmap_unit, _bit_order, _bitmap_pad, bits_per_pixel,
     bytes_per_line, _visual_class, red_mask, green_mask, blue_mask,
     _bits_per_rgb, _colormap_entries, ncolors) = fields[:20]
    if version != 7 or pixmap_format != 2:
        raise ValueError("%s: not a version 7 ZPixmap dump" % path)
    if bits_per_pixel not in (24, 32):
        raise ValueError("%s: %d bits a pixel is not true colour" % (path, bits_per_pixel))
    start = header_size + ncolors * 12
    if len(data) < start + bytes_per_line * height:
        raise ValueError("%s: pixel data cut short" % path)
    step = bits_per_pixel // 8
    order = "little" if byte_order == 0 else "big"
    channels = [_mask_shift(m) for m in (red_mask, green_mask, blue_mask)]
    rgb = bytearray(width * height * 3)
    if step == 4 and [c[1] for c in channels] == [8, 8, 8]:
        # Whole bytes per channel: pick them out of each row by slicing.
        offsets = [c[0] // 8 if order == "little" else 3 - c[0] // 8 for c in channels]
        for y in range(height):
            line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * 4]
            row = rgb[y * width * 3:(y + 1) * width * 3]
            for k, off in enumerate(offsets):
                row[k::3] = line[off::4]
            rgb[y * width * 3:(y + 1) * width * 3] = row
        return Picture(width, height, rgb)
    out = 0
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        for x in range(0, width * step, step):
            value = int.from_bytes(line[x:x + step], order)
            for shift, bits in channels:
                c = (value >> shift) & ((1 << bits) - 1)
                rgb[out] = c if bits == 8 else c * 255 // ((1 << bits) - 1)
                out += 1
    return Picture(width, height, rgb)


def read_png(path):
    """An 8-bit, non-interlaced PNG (the content tools' reader); the alpha is dropped."""
    width, height, rows = pngfile.read_png(path)
    rgb = bytearray()
    for row in rows:
        del row[3::4]
        rgb += row
    return Picture(width, height, rgb)


def write_png(path, picture):
    """Writes an RGB PNG (filter 0 on every row)."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    stride = picture.width * 3
    raw = b"".join(b"\0" + picture.rgb[y * stride:(y + 1) * stride] for y in range(picture.height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw)))
        f.write(chunk(b"IEND", b""))


def flat(width, height, colour):
    return Picture(width, height, bytes(colour) * (width * height))


def main(argv):
    if len(argv) == 4 and argv[1] == "same":
        window = read_xwd(argv[2])
        png = read_png(argv[3])
        count, first = window.differing(png)
        if count:
            print("%d pixels differ, the first at %s: window %s, picture %s"
                  % (count, first, window.pixel(*first), png.pixel(*first)))
            return 1
        return 0
    if len(argv) > 4 and argv[1] == "same":
        window = read_xwd(argv[2])
        png = read_png(argv[3])
        boxes = [tuple(int(v) for v in box.split(",")) for box in argv[4:]]
        for x, y, w, h in boxes:
            if window.crop(x, y, w, h).differing(png.crop(x, y, w, h))[0] == 0:
                print("nothing over the box %d,%d,%d,%d" % (x, y, w, h))
                return 1
            for picture in (window, png):
                rgb = bytearray(picture.rgb)
                for row in range(y, y + h):
                    start = (row * picture.width + x) * 3
                    rgb[start:start + w * 3] = bytes(w * 3)
                picture.rgb = bytes(rgb)
        count, first = window.differing(png)
        if count:
            print("%d pixels differ outside the boxes, the first at %s" % (count, first))
            return 1
        return 0
    if len(argv) == 8 and argv[1] == "flat":
        size = [int(v) for v in argv[3:5]]
        write_png(argv[2], flat(size[0], size[1], [int(v) for v in argv[5:8]]))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
