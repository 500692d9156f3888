"""How well a bullet stands out from a theme's background.

A bullet is drawn over the scrolling background anywhere in the play field.
It reads when some band of it, its outline ring or the colour inside it,
differs in luminance from the background right around it. For a grid of
places in the play field this measures, for each band of the bullet, the
luminance contrast (as the web's readability rules define it: (L1 + 0.05) /
(L2 + 0.05)) between the band as drawn and the background around the
bullet, and keeps the best band. A bullet's score on a theme is the contrast
that nine places in ten reach, so a flower or a star here and there does not
decide it, but a background that matches the bullet in many places does.

    python3 tools/content/contrast.py [GAME_RES]   # prints every score
"""

import os
import sys

import pngfile

FIELD_X = 200        # the play field starts right of the display panel
STEP = 31            # grid of places, in pixels
AROUND = 3           # background pixels around the bullet that count
THRESHOLD = 3.0      # a bullet scoring less than this on a theme fails
PERCENTILE = 0.10    # the share of places that may score worse


def read_png(path):
    """(width, height, rows of RGBA bytes) of a PNG file."""
    return pngfile.read_png(path)


def _linear(v):
    v /= 255.0
    return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4


LINEAR = [_linear(v) for v in range(256)]


def luminance(r, g, b):
    return 0.2126 * LINEAR[int(r)] + 0.7152 * LINEAR[int(g)] + 0.0722 * LINEAR[int(b)]


def ratio(l1, l2):
    hi, lo = max(l1, l2), min(l1, l2)
    return (hi + 0.05) / (lo + 0.05)


def bands(w, h, rows):
    """The bullet's opaque pixels grouped by their distance from its outline:
    band 0 is the outermost ring, band 1 the next, band 2 everything inside."""
    solid = {(x, y) for y in range(h) for x in range(w) if rows[y][4 * x + 3] >= 128}
    out = {0: [], 1: [], 2: []}
    for (x, y) in solid:
        d = 0
        while d < 2 and all((x + dx, y + dy) in solid
                            for dx in range(-d - 1, d + 2) for dy in range(-d - 1, d + 2)):
            d += 1
        out[d].append((x, y))
    return [b for b in out.values() if b], solid


def places(bullet, background):
    """For every place of the grid: the mean colour (r, g, b, 0..255) of the
    background around the bullet, and the mean colour of each of the
    bullet's bands as drawn there."""
    bw, bh, brows = bullet
    gw, gh, grows = background
    groups, solid = bands(bw, bh, brows)
    ring = [(x, y) for y in range(-AROUND, bh + AROUND) for x in range(-AROUND, bw + AROUND)
            if (x, y) not in solid]
    for oy in range(AROUND, gh - bh - AROUND, STEP):
        for ox in range(FIELD_X + AROUND, gw - bw - AROUND, STEP):
            sr = sg = sb = 0
            for (x, y) in ring:
                p = grows[oy + y]
                i = 4 * (ox + x)
                sr, sg, sb = sr + p[i], sg + p[i + 1], sb + p[i + 2]
            n = len(ring)
            drawn = []
            for group in groups:
                cr = cg = cb = 0.0
                for (x, y) in group:
                    q, p = brows[y], grows[oy + y]
                    i, j = 4 * x, 4 * (ox + x)
                    a = q[i + 3] / 255.0
                    cr += a * q[i] + (1 - a) * p[j]
                    cg += a * q[i + 1] + (1 - a) * p[j + 1]
                    cb += a * q[i + 2] + (1 - a) * p[j + 2]
                m = len(group)
                drawn.append((cr / m, cg / m, cb / m))
            yield (sr / n, sg / n, sb / n), drawn


def score(bullet, background, seen=luminance):
    """The contrast nine places in ten reach (see the module's text).
    `seen` gives the luminance of a colour as the viewer sees it."""
    results = []
    for around, drawn in places(bullet, background):
        back = seen(*around)
        results.append(max(ratio(seen(*c), back) for c in drawn))
    results.sort()
    return results[int(len(results) * PERCENTILE)]


def scores(res, themes):
    """{(bullet, theme): score} for every bullet picture of the normal theme
    (the only bullet pictures there are) on every theme's background."""
    folder = os.path.join(res, "norm", "bullet")
    bullets = {name[:-4]: read_png(os.path.join(folder, name))
               for name in sorted(os.listdir(folder)) if name.lower().endswith(".png")}
    out = {}
    for theme in themes:
        background = read_png(os.path.join(res, theme, "osd", "BG.png"))
        for ident, picture in bullets.items():
            out[(ident, theme)] = score(picture, background)
    return out


def check(res, themes):
    """Fails (SystemExit) when a bullet scores below THRESHOLD on a theme."""
    low = {k: v for k, v in scores(res, themes).items() if v < THRESHOLD}
    if low:
        lines = "\n".join(f"  {b} on {t}: {v:.2f}" for (b, t), v in sorted(low.items()))
        sys.exit(f"bullets too close to their background (contrast below {THRESHOLD}):\n{lines}")


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "game", "res")
    table = scores(res, ["norm", "bike", "eegg", "rudi"])
    for (ident, theme), value in sorted(table.items(), key=lambda kv: (kv[0][1], kv[0][0])):
        mark = "" if value >= THRESHOLD else "   < " + str(THRESHOLD)
        print(f"{theme:5} {ident:12} {value:6.2f}{mark}")
