"""A check of the default content that does not trust hue: the four colours
(red, green, blue, yellow) must stay apart for a player who cannot tell some
of them apart, and the panel's digits must read.

For every theme (its own pictures, or those it takes from the others):

- silhouettes: the bullet classes of one colour each (found from the data
  folder's bullet damages) and the four shields differ in shape. A picture's
  silhouette is its opaque mask (alpha of 128 or more); two pictures,
  centred on each other, overlap by the intersection of their masks over
  their union. Every pair of different colours stays at SILHOUETTE_MAX or
  below.
- contrast: every bullet keeps the contrast that contrast.py demands
  (THRESHOLD, measured the same way) also as seen with protanopia,
  deuteranopia and tritanopia (Machado, Oliveira and Fernandes 2009,
  severity 1, matrices applied in linear sRGB) and in greyscale (the grey of
  each colour's luma, 0.2126 R' + 0.7152 G' + 0.0722 B' of the encoded
  values, as greyscale display filters do; a grey of equal luminance would
  leave the measure unchanged). The simulation is applied to the mean
  colours the measure compares.
- digits: the panel picture under the score and the spare lives, which the
  game writes in pure red at size 20, gives pure red a contrast of
  DIGITS_MIN or more in every pixel the digits can cover.

    python3 tools/content/colourvision.py [GAME_RES]   # figures; exit 1 on a failure
"""

import os
import sys

import contrast
import pngfile

SILHOUETTE_MAX = 0.75
DIGITS_MIN = 4.5
THEMES = ["norm", "bike", "eegg", "rudi"]
COLOURS = "RGBY"

# Machado, Oliveira and Fernandes (2009), severity 1.0: linear RGB to linear RGB.
MACHADO = {
    "protanopia": ((0.152286, 1.052583, -0.204868),
                   (0.114503, 0.786281, 0.099216),
                   (-0.003882, -0.048116, 1.051998)),
    "deuteranopia": ((0.367322, 0.860646, -0.227968),
                     (0.280085, 0.672501, 0.047413),
                     (-0.011820, 0.042940, 0.968881)),
    "tritanopia": ((1.255528, -0.076749, -0.178779),
                   (-0.078411, 0.930809, 0.147602),
                   (0.004733, 0.691367, 0.303900)),
}
WEIGHTS = (0.2126, 0.7152, 0.0722)

# Where the game writes the digits: the score in the box at (20, 70, 120 x 60)
# and the lives in (76, 615, 60 x 55), right-aligned in six characters from
# the box's left edge, one line in the middle of the box's height. Our font's
# digits at size 20 stand 14 pixels high and 7.2 apart: the six of the score
# cover x 21 to 64, rows 91 to 104; the lives, which start at 3 and only
# fall, one digit at x 92 to 98, rows 633 to 646 (first and last pixels).
DIGITS = {"score": (21, 91, 64, 104), "lives": (92, 633, 98, 646)}
AROUND_DIGITS = 2  # the backing counts this far round the digits too
RED = (255, 0, 0)


def to_linear(v):
    v /= 255.0
    return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4


def to_encoded(v):
    v = min(1.0, max(0.0, v))
    return 255.0 * (v * 12.92 if v <= 0.0031308 else 1.055 * v ** (1 / 2.4) - 0.055)


def simulate(kind, rgb):
    """The colour (0..255 a channel) as seen with a deficiency, or in grey."""
    if kind == "greyscale":
        y = sum(w * c for w, c in zip(WEIGHTS, rgb))
        return (y, y, y)
    lin = [to_linear(c) for c in rgb]
    return tuple(to_encoded(sum(m * c for m, c in zip(row, lin))) for row in MACHADO[kind])


def seen_by(kind):
    """A luminance function for contrast.py's measure, as `kind` sees."""
    if kind == "normal":
        return contrast.luminance
    if kind == "greyscale":
        # the grey's luminance, from its encoded value
        return lambda r, g, b: to_linear(sum(w * c for w, c in zip(WEIGHTS, (r, g, b))))
    matrix = MACHADO[kind]
    # luminance of the clamped simulated colour
    return lambda r, g, b: _lum_sim(matrix, (to_linear(r), to_linear(g), to_linear(b)))


def _lum_sim(matrix, lin):
    return sum(w * min(1.0, max(0.0, sum(m * c for m, c in zip(row, lin))))
               for w, row in zip(WEIGHTS, matrix))


VIEWS = ["normal", "protanopia", "deuteranopia", "tritanopia", "greyscale"]


def cross_check():
    """Compares the simulation with Debian's python3-colorspacious, which
    implements the same model, on the game's colours and the primaries.
    Returns a failure or None; None too when colorspacious is missing."""
    try:
        import colorspacious
    except ImportError:
        print("simulation not cross-checked: colorspacious is not installed for this python")
        return None
    colours = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (128, 128, 128),
               (255, 59, 59), (56, 224, 96), (60, 140, 255), (255, 216, 58), (12, 79, 134),
               (201, 168, 106), (79, 143, 56)]
    worst = 0.0
    for kind in MACHADO:
        space = {"name": "sRGB1+CVD", "cvd_type": kind.replace("opia", "omaly"),
                 "severity": 100}
        for rgb in colours:
            theirs = colorspacious.cspace_convert([c / 255 for c in rgb], space, "sRGB1")
            ours = simulate(kind, rgb)
            worst = max(worst, max(abs(min(1.0, max(0.0, float(t))) * 255 - o)
                                   for t, o in zip(theirs, ours)))
    print(f"simulation against colorspacious: largest difference {worst:.1e} of 255")
    return None if worst < 0.01 else f"the simulation differs from colorspacious' by {worst:.3f}"


# ---------------------------------------------------------------- files

def find(res, theme, folder, name):
    """The picture the game shows for a theme: its own, else the normal
    theme's, else any other theme's; names match without regard to case."""
    order = [theme, "norm"] + [t for t in sorted(os.listdir(res)) if t not in (theme, "norm")]
    for t in order:
        path = os.path.join(res, t, folder)
        if os.path.isdir(path):
            for entry in sorted(os.listdir(path)):
                if entry.lower() == name.lower():
                    return os.path.join(path, entry)
    return None


def bullet_colours(data):
    """{bullet class: the colours (a string of RGBY) it damages}."""
    out = {}
    if not os.path.isdir(data):
        sys.exit(f"no data folder at {data}")
    for entry in sorted(os.listdir(data)):
        if not entry.lower().endswith(".blt"):
            continue
        with open(os.path.join(data, entry), "rb") as f:
            fields = f.read().decode("latin-1").split("\r\n")
        try:
            damage = [int(v) for v in fields[1:5]]
        except (ValueError, IndexError):
            sys.exit(f"{entry}: not a bullet class file")
        out[fields[0]] = "".join(c for c, d in zip(COLOURS, damage) if d > 0)
    return out


# ---------------------------------------------------------------- measures

def mask(picture):
    w, h, rows = picture
    return {(2 * x - w, 2 * y - h) for y in range(h) for x in range(w) if rows[y][4 * x + 3] >= 128}


def overlap(a, b):
    """Intersection over union of two pictures' opaque masks, centred."""
    ma, mb = mask(a), mask(b)
    return len(ma & mb) / max(1, len(ma | mb))


def seen_scores(bullet, background):
    """{view: the contrast nine places in ten reach} (see contrast.py)."""
    looks = {v: seen_by(v) for v in VIEWS}
    results = {v: [] for v in VIEWS}
    for around, drawn in contrast.places(bullet, background):
        for v, seen in looks.items():
            back = seen(*around)
            results[v].append(max(contrast.ratio(seen(*c), back) for c in drawn))
    out = {}
    for v, values in results.items():
        values.sort()
        out[v] = values[int(len(values) * contrast.PERCENTILE)]
    return out


def digit_backing(panel, area, kind="normal"):
    """The lowest contrast of pure red against the panel in an area; a
    see-through pixel counts as over white, the worst case."""
    w, h, rows = panel
    x0, y0, x1, y1 = (area[0] - AROUND_DIGITS, area[1] - AROUND_DIGITS,
                      area[2] + AROUND_DIGITS, area[3] + AROUND_DIGITS)
    seen = seen_by(kind)
    red = seen(*RED)
    low = None
    for y in range(y0, min(y1 + 1, h)):
        for x in range(x0, min(x1 + 1, w)):
            r, g, b, a = rows[y][4 * x:4 * x + 4]
            k = a / 255
            over = 255 * (1 - k)
            c = contrast.ratio(red, seen(r * k + over, g * k + over, b * k + over))
            low = c if low is None else min(low, c)
    return low


# ---------------------------------------------------------------- the check

def run(res, data):
    """Prints the figures; returns the list of failures."""
    failures = [f for f in [cross_check()] if f]
    colours = bullet_colours(data)
    single = {c: sorted(b for b, cs in colours.items() if cs == c) for c in COLOURS}
    for c in COLOURS:
        if not single[c]:
            failures.append(f"no bullet class of colour {c} alone in {data}")
    worst_shape = (0.0, "")
    worst_contrast = {}
    digits = {}
    cache = {}

    def picture(path):
        if path not in cache:
            try:
                cache[path] = pngfile.read_png(path)
            except (OSError, ValueError) as e:
                sys.exit(f"cannot read {path}: {e}")
        return cache[path]

    for theme in THEMES:
        # silhouettes: one-colour bullets, then the shields
        groups = {"bullet": {c: [(b, find(res, theme, "bullet", b + ".png")) for b in single[c]]
                             for c in COLOURS},
                  "shield": {c: [(c, find(res, theme, "shield", c + ".png"))] for c in COLOURS}}
        for kind, by_colour in groups.items():
            for i, ca in enumerate(COLOURS):
                for cb in COLOURS[i + 1:]:
                    for na, pa in by_colour[ca]:
                        for nb, pb in by_colour[cb]:
                            if pa is None or pb is None:
                                gone = na if pa is None else nb
                                failures.append(f"{theme}: {kind} {gone} missing")
                                continue
                            o = overlap(picture(pa), picture(pb))
                            label = f"{theme} {kind}s {na}/{nb}"
                            if o > worst_shape[0]:
                                worst_shape = (o, label)
                            if o > SILHOUETTE_MAX:
                                failures.append(f"{label}: silhouettes overlap {o:.2f} "
                                                f"(at most {SILHOUETTE_MAX})")
        # contrast of every bullet, as every viewer sees it
        bg = find(res, theme, "osd", "BG.png")
        for ident in sorted(colours):
            path = find(res, theme, "bullet", ident + ".png")
            if bg is None or path is None:
                failures.append(f"{theme}: {'BG.png' if bg is None else ident} missing")
                continue
            for view, value in seen_scores(picture(path), picture(bg)).items():
                if view not in worst_contrast or value < worst_contrast[view][0]:
                    worst_contrast[view] = (value, f"{ident} on {theme}")
                if value < contrast.THRESHOLD:
                    failures.append(f"{ident} on {theme}, {view}: contrast {value:.2f} "
                                    f"(at least {contrast.THRESHOLD})")
        # the digits' backing
        osd = find(res, theme, "osd", "OSD.png")
        if osd is None:
            failures.append(f"{theme}: OSD.png missing")
            continue
        for name, area in DIGITS.items():
            value = digit_backing(picture(osd), area)
            if name not in digits or value < digits[name][0]:
                digits[name] = (value, theme)
            if value < DIGITS_MIN:
                failures.append(f"{theme}: pure red on the {name} backing: contrast {value:.2f} "
                                f"(at least {DIGITS_MIN})")

    print(f"highest silhouette overlap: {worst_shape[0]:.2f} ({worst_shape[1]}); "
          f"at most {SILHOUETTE_MAX}")
    for view in VIEWS:
        if view in worst_contrast:
            value, where = worst_contrast[view]
            print(f"lowest bullet contrast, {view:12}: {value:5.2f} ({where})")
    for name, (value, theme) in digits.items():
        # as the deficiencies see it, for information only: there pure red
        # falls short of DIGITS_MIN on any backing
        panel = picture(find(res, theme, "osd", "OSD.png"))
        seen = ", ".join(f"{v} {digit_backing(panel, DIGITS[name], v):.2f}" for v in VIEWS[1:])
        print(f"pure red on the {name} backing: {value:.2f} ({theme}; {seen})")
    return failures


def check(res):
    """Prints the figures; fails (SystemExit) on any failure. The data
    folder stands beside the resource folder."""
    data = os.path.join(os.path.dirname(os.path.normpath(res)), "data")
    failures = run(res, data)
    if failures:
        sys.exit(f"colour vision check: {len(failures)} failures\n  " + "\n  ".join(failures))
    print("colour vision check passed")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    check(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "game", "res"))


if __name__ == "__main__":
    main()
