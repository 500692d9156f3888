"""Shows a picture as seen with protanopia, deuteranopia or tritanopia, or in
grey, by the simulation of the colour-vision check (colourvision.py).

    python3 tools/content/simulate.py IN.png OUT_PREFIX [KIND...]

writes OUT_PREFIX-KIND.png for each KIND (protanopia, deuteranopia,
tritanopia, greyscale; all four when none is named).
"""

import sys

import colourvision
import pngfile

KINDS = ["protanopia", "deuteranopia", "tritanopia", "greyscale"]


def simulated(picture, kind):
    """The picture's rows with every colour as `kind` sees it (alpha kept)."""
    width, height, rows = picture
    seen = {}
    out = []
    for row in rows:
        line = bytearray(row)
        for i in range(0, 4 * width, 4):
            key = bytes(row[i:i + 3])
            if key not in seen:
                seen[key] = bytes(int(v + 0.5) for v in colourvision.simulate(kind, key))
            line[i:i + 3] = seen[key]
        out.append(line)
    return out


def main():
    if len(sys.argv) < 3 or any(k not in KINDS for k in sys.argv[3:]):
        sys.exit(__doc__.strip())
    try:
        picture = pngfile.read_png(sys.argv[1])
    except (OSError, ValueError) as e:
        sys.exit(f"cannot read {sys.argv[1]}: {e}")
    for kind in sys.argv[3:] or KINDS:
        pngfile.write_png(f"{sys.argv[2]}-{kind}.png", picture[0], picture[1],
                          simulated(picture, kind))


if __name__ == "__main__":
    main()
