"""Pictures of the play screen: backgrounds, display panel, overlays,
shields, the ship, enemies, bosses and bullets, for every theme."""

import math
import os

import colourvision
import contrast
import marks
from colourvision import DIGITS
from svgkit import (DARK, HUES, lin_grad, pts, rad_grad, render, rng, svg,
                    text, wrapped)
from data import BOSSES, BULLET_COLOURS, ENEMIES

W, H = 800, 700
FIELD_X = 200  # the play field starts right of the display panel


def cols_of(colours):
    return list(colours) if colours else ["N"]


# ---------------------------------------------------------------- backgrounds

def bg_space():
    r = rng(11)
    defs = rad_grad("neb1", [(0, "#4a1f7a", 0.55), (1, "#4a1f7a", 0)])
    defs += rad_grad("neb2", [(0, "#124a7a", 0.5), (1, "#124a7a", 0)])
    defs += rad_grad("neb3", [(0, "#7a1f4a", 0.35), (1, "#7a1f4a", 0)])
    body = f'<rect width="{W}" height="{H}" fill="#05060f"/>'
    for gid, cx, cy, rx, ry in (("neb1", 420, 160, 260, 190),
                                ("neb2", 640, 470, 300, 210),
                                ("neb3", 330, 610, 220, 150)):
        body += wrapped(cy, H, lambda y, gid=gid, cx=cx, rx=rx, ry=ry:
                        f'<ellipse cx="{cx}" cy="{y}" rx="{rx}" ry="{ry}" '
                        f'fill="url(#{gid})"/>')
    # three layers of stars: many faint and small, a few big and bright
    for count, rad, alpha in ((260, 0.7, 0.45), (110, 1.1, 0.7), (30, 1.7, 1.0)):
        for _ in range(count):
            x, y = r.uniform(0, W), r.uniform(0, H)
            tint = r.choice(["#ffffff", "#cfe0ff", "#fff2cf", "#ffd9e0"])
            body += wrapped(y, H, lambda yy, x=x, tint=tint, rad=rad, alpha=alpha:
                            f'<circle cx="{x:.1f}" cy="{yy:.1f}" r="{rad}" '
                            f'fill="{tint}" opacity="{alpha}"/>')
    for _ in range(8):  # sparkles
        x, y = r.uniform(FIELD_X, W), r.uniform(0, H)
        body += wrapped(y, H, lambda yy, x=x:
                        f'<path d="M{x - 6:.1f},{yy:.1f} L{x + 6:.1f},{yy:.1f} '
                        f'M{x:.1f},{yy - 6:.1f} L{x:.1f},{yy + 6:.1f}" '
                        f'stroke="#ffffff" stroke-width="1" opacity="0.8"/>')
    return svg(W, H, body, defs)


def bg_road():
    r = rng(12)
    body = f'<rect width="{W}" height="{H}" fill="#c9a86a"/>'
    body += f'<rect x="240" width="520" height="{H}" fill="#3b3d42"/>'
    body += f'<rect x="232" width="8" height="{H}" fill="#e8e8e8"/>'
    body += f'<rect x="760" width="8" height="{H}" fill="#e8e8e8"/>'
    for lane in (370, 500, 630):  # worn marks, duller than any shot
        for y in range(0, H, 100):
            body += (f'<rect x="{lane - 4}" y="{y}" width="8" height="50" fill="#b9b4a2" '
                     f'opacity="0.55"/>')
    for _ in range(260):  # gravel in the asphalt
        x, y = r.uniform(240, 760), r.uniform(0, H)
        body += wrapped(y, H, lambda yy, x=x:
                        f'<circle cx="{x:.1f}" cy="{yy:.1f}" r="1.2" fill="#55585f"/>')
    for _ in range(40):  # desert bushes beside the road
        x = r.choice([r.uniform(0, 226), r.uniform(772, 800)])
        y = r.uniform(0, H)
        body += wrapped(y, H, lambda yy, x=x:
                        f'<circle cx="{x:.1f}" cy="{yy:.1f}" r="7" fill="#7a8a3a"/>'
                        f'<circle cx="{x + 5:.1f}" cy="{yy - 4:.1f}" r="5" fill="#93a548"/>')
    return svg(W, H, body)


def bg_meadow():
    # The grass is darker than the green shot and the flowers keep to soft
    # tints no bullet uses (pink, lavender, cream with orange hearts), small
    # and half-faded into the grass, so the shots stand out from them.
    r = rng(13)
    body = f'<rect width="{W}" height="{H}" fill="#4f8f38"/>'
    for _ in range(160):
        x, y = r.uniform(0, W), r.uniform(0, H)
        body += wrapped(y, H, lambda yy, x=x:
                        f'<path d="M{x:.1f},{yy:.1f} l-3,-9 M{x:.1f},{yy:.1f} l0,-11 '
                        f'M{x:.1f},{yy:.1f} l3,-9" stroke="#3d7329" stroke-width="2"/>')
    for _ in range(70):
        x, y = r.uniform(0, W), r.uniform(0, H)
        petal = r.choice(["#e8a3c4", "#a58fd0", "#e9dfc4", "#d99ab8"])
        body += wrapped(y, H, lambda yy, x=x, petal=petal: '<g opacity="0.7">' + "".join(
            f'<circle cx="{x + 4 * math.cos(a):.1f}" cy="{yy + 4 * math.sin(a):.1f}" '
            f'r="3" fill="{petal}"/>' for a in (0, 1.26, 2.51, 3.77, 5.03))
            + f'<circle cx="{x:.1f}" cy="{yy:.1f}" r="2" fill="#d9822b"/></g>')
    return svg(W, H, body)


def bg_sea():
    r = rng(14)
    defs = lin_grad("sea", [(0, "#0a3a6a", 1), (0.5, "#0c4f86", 1), (1, "#0a3a6a", 1)])
    body = f'<rect width="{W}" height="{H}" fill="url(#sea)"/>'
    for _ in range(14):  # light rays, straight so they tile
        x = r.uniform(FIELD_X, W)
        body += (f'<rect x="{x:.1f}" y="0" width="{r.uniform(10, 40):.1f}" height="{H}" '
                 f'fill="#7fd0ff" opacity="0.06"/>')
    for _ in range(90):
        x, y, rad = r.uniform(0, W), r.uniform(0, H), r.uniform(1.5, 6)
        body += wrapped(y, H, lambda yy, x=x, rad=rad:
                        f'<circle cx="{x:.1f}" cy="{yy:.1f}" r="{rad:.1f}" fill="none" '
                        f'stroke="#bfe9ff" stroke-width="1" opacity="0.6"/>')
    for _ in range(26):  # kelp along the right edge
        x, y = r.uniform(765, 800), r.uniform(0, H)
        body += wrapped(y, H, lambda yy, x=x:
                        f'<ellipse cx="{x:.1f}" cy="{yy:.1f}" rx="6" ry="18" fill="#1f7a4a" '
                        f'opacity="0.8"/>')
    return svg(W, H, body, defs)


# ---------------------------------------------------------------- panel

# Places the game draws into on the panel (x, y, width, height).
SCORE_BOX = (20, 70, 120, 60)
LIVES_BOX = (76, 615, 60, 55)
BAR_CENTRES = {"R": (25, 346), "G": (88, 346), "B": (25, 537), "Y": (88, 537)}
BAR_W, BAR_H = 34, 170
# The game stretches a bar picture to at most BAR_H, centred on its place.
# The picture leaves BAR_GAP rows clear at either end, so even a full bar
# (537 + 85 - 10 = 612 at the yellow one) stays above the lives box at 615.
BAR_GAP = 10
BAR_SHOWN = BAR_H - 2 * BAR_GAP
# The digits' windows: the places the game's digits cover (see colourvision),
# a few pixels more all round, on a backing dark enough that pure red reads.
WINDOW_MARGIN = {"score": (9, 7), "lives": (7, 7)}
BACKING = "#0b0204"
PANEL_MARK = 18


def digit_window(name):
    x0, y0, x1, y1 = DIGITS[name]
    mx, my = WINDOW_MARGIN[name]
    return x0 - mx, y0 - my, x1 + 1 + mx, y1 + 1 + my


def osd_panel():
    defs = lin_grad("metal", [(0, "#1c2233", 1), (0.5, "#2a3249", 1), (1, "#161b29", 1)],
                    x2=1, y2=0)
    body = f'<rect width="200" height="700" fill="url(#metal)"/>'
    body += '<rect x="196" width="4" height="700" fill="#5a6a92"/>'
    body += '<rect x="3" y="3" width="190" height="694" rx="10" fill="none" ' \
            'stroke="#3d4866" stroke-width="2"/>'
    body += text(100, 28, "ZODUZOR", 34, "#ffd83a", extra='letter-spacing="3"')
    # the score and the lives, each in a window the size of its digits
    for name in ("score", "lives"):
        x0, y0, x1, y1 = digit_window(name)
        body += (f'<rect x="{x0 - 2}" y="{y0 - 2}" width="{x1 - x0 + 4}" height="{y1 - y0 + 4}" '
                 f'rx="5" fill="#5a6a92"/>')
        body += (f'<rect x="{x0}" y="{y0}" width="{x1 - x0}" height="{y1 - y0}" rx="3" '
                 f'fill="{BACKING}"/>')
    x0, y0, x1, y1 = digit_window("score")
    body += text(x0, y0 - 14, "SCORE", 20, "#9fb0d9", anchor="start")
    x0, y0, x1, y1 = digit_window("lives")
    body += text(x0 - 10, (y0 + y1) / 2, "LIVES", 20, "#9fb0d9", anchor="end")
    body += text(100, 200, "SHIELDS", 24, "#9fb0d9")
    names = {"R": "RED", "G": "GREEN", "B": "BLUE", "Y": "YELLOW"}
    for c, (cx, cy) in BAR_CENTRES.items():
        # the trough holds what a full bar shows; a draining bar, which
        # shrinks to the middle, bares a column of faint marks
        bx, by = cx - BAR_W // 2, cy - BAR_SHOWN // 2
        body += (f'<rect x="{bx - 3}" y="{by - 2}" width="{BAR_W + 6}" height="{BAR_SHOWN + 4}" '
                 f'rx="4" fill="#07090f" stroke="{HUES[c]}" stroke-width="2"/>')
        for k in range(6):
            d, b = marks.mark(c, cx, by + 12.5 + k * 25, marks.label_size(c, 12), HUES[c],
                              rim_width=0, gid=f"t{c}{k}")
            defs += d
            body += f'<g opacity="0.22">{b}</g>'
        for k in range(1, 4):  # quarter ticks
            ty = by + k * BAR_SHOWN // 4
            body += (f'<line x1="{bx + BAR_W + 4}" y1="{ty}" x2="{bx + BAR_W + 9}" y2="{ty}" '
                     f'stroke="{HUES[c]}" stroke-width="2"/>')
        # the meter's mark above it, the label beside it, turned upright
        my = by - 2 - (22 if c in "RG" else 18)
        d, b = marks.mark(c, cx, my, marks.label_size(c, PANEL_MARK), HUES[c], "#05060a", 1.5,
                          gid=f"p{c}")
        defs += d
        body += b
        lx = bx + BAR_W + 22
        body += text(lx, cy, names[c], 16, HUES[c],
                     extra=f'transform="rotate(-90 {lx} {cy})"')
    return svg(200, 700, body, defs)


def osd_bar(c):
    defs = lin_grad("g", [(0, DARK[c], 1), (0.35, HUES[c], 1), (0.55, "#ffffff", 0.9),
                          (0.75, HUES[c], 1), (1, DARK[c], 1)], x2=1, y2=0)
    body = f'<rect y="{BAR_GAP}" width="{BAR_W}" height="{BAR_SHOWN}" fill="url(#g)"/>'
    return svg(BAR_W, BAR_H, body, defs)


def overlay_pause():
    body = f'<rect width="{W}" height="{H}" fill="#000010" opacity="0.45"/>'
    body += '<rect x="270" y="250" width="450" height="200" rx="18" fill="#0b1024" ' \
            'opacity="0.85" stroke="#ffd83a" stroke-width="3"/>'
    body += text(495, 320, "PAUSED", 72, "#ffd83a", extra='letter-spacing="6"')
    body += text(495, 400, "ANY KEY RESUMES   -   ESCAPE GIVES UP", 24, "#dfe6ff")
    return svg(W, H, body)


def overlay_gameover():
    body = f'<rect width="{W}" height="{H}" fill="#100000" opacity="0.35"/>'
    body += text(495, 250, "GAME OVER", 96, "#ff3b3b",
                 extra='letter-spacing="8"')
    # An opaque card centred on the play field (200..790) holds the name
    # prompt, which the game draws at (375, 400), and the name at (375, 500);
    # a laurel medal fills its left side.
    cx = 495
    body += ('<rect x="265" y="378" width="460" height="212" rx="16" fill="#05060f" '
             'stroke="#ff3b3b" stroke-width="3"/>')
    body += ('<rect x="273" y="386" width="444" height="196" rx="11" fill="none" '
             'stroke="#3d4866" stroke-width="1.5"/>')
    # the name field
    body += ('<rect x="367" y="508" width="340" height="58" rx="8" fill="#0d1120" '
             'stroke="#5a6a92" stroke-width="2"/>')
    # the medal: a gold disc with a star, between two branches
    mx, my = 318, 484
    for side in (-1, 1):  # leaves along the circle, from the bottom up each side
        for k in range(5):
            a = 250 - 27 * k if side < 0 else 290 + 27 * k
            lx = mx + 37 * math.cos(math.radians(a))
            ly = my - 37 * math.sin(math.radians(a))
            body += (f'<ellipse cx="{lx:.1f}" cy="{ly:.1f}" rx="4" ry="9" fill="#38a050" '
                     f'stroke="#0d5a22" stroke-width="1" '
                     f'transform="rotate({-a} {lx:.1f} {ly:.1f})"/>')
    body += f'<circle cx="{mx}" cy="{my}" r="27" fill="#ffd83a" stroke="#7a5a00" stroke-width="2"/>'
    star = [(mx + (20 if k % 2 == 0 else 8.5) * math.sin(math.pi * k / 5),
             my - (20 if k % 2 == 0 else 8.5) * math.cos(math.pi * k / 5)) for k in range(10)]
    body += f'<polygon points="{pts(star)}" fill="#fff3a0" stroke="#7a5a00" stroke-width="1.2"/>'
    for i, c in enumerate("RGBY"):
        body += f'<rect x="{cx - 84 + i * 44}" y="574" width="36" height="5" rx="2" fill="{HUES[c]}"/>'
    return svg(W, H, body)


def overlay_level():
    # A plate over the announcement's text box (400, 300, 250 x 150): the
    # call to arms on top, the line the game writes (one line, in the
    # middle of the box) between two rules, and under it the four marks
    # with their colours' names.
    body = '<rect x="380" y="285" width="290" height="180" rx="16" fill="#05060f" ' \
           'opacity="0.88" stroke="#3c8cff" stroke-width="3"/>'
    body += text(525, 318, "GET READY", 40, "#ffd83a", extra='letter-spacing="4"')
    for y in (349, 397):
        body += f'<rect x="396" y="{y}" width="258" height="2" rx="1" fill="#3d4866"/>'
    defs = ""
    x = 403
    for c, name, width in (("R", "RED", 24), ("G", "GREEN", 40), ("B", "BLUE", 32),
                           ("Y", "YELLOW", 50)):
        d, b = marks.mark(c, x + 7, 426, marks.label_size(c, 14), HUES[c], "#05060a", 1.2,
                          gid=f"l{c}")
        defs += d
        body += b + text(x + 18, 430, name, 18, HUES[c], anchor="start")
        x += 18 + width + 14
    return svg(W, H, body, defs)


SHIELD = 60  # the ship's collision size is the shield picture's
SHIELD_MARK = 10.5


def shield(c):
    """A glow round the ship, edged with its colour's mark: a ring of eight
    triangles, crosses or diamonds, or for blue, whose mark is the circle,
    one unbroken ring."""
    defs = rad_grad("s", [(0, HUES[c], 0.0), (0.7, HUES[c], 0.1),
                          (0.9, HUES[c], 0.42), (1, HUES[c], 0.0)])
    body = f'<circle cx="30" cy="30" r="29" fill="url(#s)"/>'
    if c == "B":
        d = marks.path("B", 30, 30, 57, hole=47 / 57)
        d, b = marks.shape(d, HUES[c], OUTLINE, 1.0, gid="ring", outer_only=False)
        defs += d
        body += b
        for x, y in marks.ring_positions(8, 30, 30, 26, 22.5):
            body += f'<circle cx="{x:.2f}" cy="{y:.2f}" r="1.3" fill="#ffffff"/>'
        return svg(SHIELD, SHIELD, body, defs)
    body += f'<circle cx="30" cy="30" r="24.8" fill="none" stroke="{HUES[c]}" ' \
            f'stroke-width="1.5" opacity="0.45"/>'
    # the crosses stand between the places of the others' marks
    phase = 0 if c == "G" else 22.5
    for k, (x, y) in enumerate(marks.ring_positions(8, 30, 30, 24.8, phase)):
        d, b = marks.mark(c, x, y, SHIELD_MARK, HUES[c], OUTLINE, 1.0, gid=f"m{k}")
        defs += d
        body += b
    return svg(SHIELD, SHIELD, body, defs)


# ---------------------------------------------------------------- ship

def hero_space():
    defs = lin_grad("hull", [(0, "#e8eefc", 1), (1, "#7d8bb0", 1)], x2=1, y2=0)
    defs += rad_grad("jet", [(0, "#ffffff", 1), (0.4, "#7fd0ff", 0.9), (1, "#3c8cff", 0)])
    body = '<ellipse cx="17" cy="42" rx="4" ry="6" fill="url(#jet)"/>'
    body += '<ellipse cx="27" cy="42" rx="4" ry="6" fill="url(#jet)"/>'
    body += f'<polygon points="{pts([(22, 2), (28, 18), (42, 34), (42, 40), (28, 36), (26, 40), (18, 40), (16, 36), (2, 40), (2, 34), (16, 18)])}" ' \
            'fill="url(#hull)" stroke="#2a3249" stroke-width="1.5"/>'
    body += '<ellipse cx="22" cy="20" rx="4" ry="7" fill="#3c8cff" stroke="#0f2c7a"/>'
    body += '<rect x="5" y="30" width="3" height="8" fill="#ff3b3b"/>' \
            '<rect x="36" y="30" width="3" height="8" fill="#ff3b3b"/>'
    return svg(44, 44, body, defs)


def hero_bike():
    body = '<rect x="18" y="2" width="8" height="10" rx="3" fill="#222"/>'
    body += '<rect x="18" y="32" width="8" height="11" rx="3" fill="#222"/>'
    body += '<rect x="8" y="10" width="28" height="4" rx="2" fill="#999"/>'
    body += '<ellipse cx="22" cy="22" rx="7" ry="13" fill="#d0302a" stroke="#5a1010"/>'
    body += '<circle cx="22" cy="22" r="6" fill="#f2f2f2" stroke="#333"/>'
    body += '<rect x="19" y="19" width="6" height="3" fill="#3c8cff"/>'
    return svg(44, 44, body)


def hero_bunny():
    body = '<ellipse cx="15" cy="10" rx="5" ry="11" fill="#f4f0ea" stroke="#b9a" />'
    body += '<ellipse cx="29" cy="10" rx="5" ry="11" fill="#f4f0ea" stroke="#b9a"/>'
    body += '<ellipse cx="15" cy="10" rx="2.5" ry="8" fill="#ffb3d9"/>'
    body += '<ellipse cx="29" cy="10" rx="2.5" ry="8" fill="#ffb3d9"/>'
    body += '<circle cx="22" cy="28" r="14" fill="#f4f0ea" stroke="#b9a"/>'
    body += '<circle cx="17" cy="25" r="2.2" fill="#222"/><circle cx="27" cy="25" r="2.2" fill="#222"/>'
    body += '<ellipse cx="22" cy="31" rx="2.5" ry="2" fill="#ff7aa8"/>'
    return svg(44, 44, body)


def hero_sub():
    body = '<ellipse cx="22" cy="24" rx="11" ry="19" fill="#ffd83a" stroke="#7a5a00" stroke-width="1.5"/>'
    body += '<rect x="18" y="14" width="8" height="12" rx="3" fill="#e0b820" stroke="#7a5a00"/>'
    body += '<circle cx="22" cy="32" r="3.5" fill="#7fd0ff" stroke="#7a5a00"/>'
    body += '<polygon points="8,40 22,36 36,40 22,43" fill="#c79a10"/>'
    return svg(44, 44, body)


# ---------------------------------------------------------------- enemies

def _fill_defs(cols, gid):
    """A gradient that shows all the enemy's colours side by side."""
    if len(cols) == 1:
        c = cols[0]
        return lin_grad(gid, [(0, HUES[c], 1), (1, DARK[c], 1)])
    stops = []
    n = len(cols)
    for i, c in enumerate(cols):
        stops.append((i / n, HUES[c], 1))
        stops.append(((i + 1) / n - 0.001, HUES[c], 1))
    return lin_grad(gid, stops, x2=1, y2=0)


def enemy_space(ident, colours, size, boss=False):
    cols = cols_of(colours)
    r = rng(ident)
    w = h = size
    if ident == "ASTEROID":
        body = ""
        points = []
        for k in range(11):
            a = k / 11 * 2 * math.pi
            rad = size / 2 * r.uniform(0.72, 0.97)
            points.append((w / 2 + rad * math.cos(a), h / 2 + rad * math.sin(a)))
        defs = rad_grad("rock", [(0, "#9a8a78", 1), (1, "#4a3f36", 1)], cx=0.4, cy=0.35)
        body += f'<polygon points="{pts(points)}" fill="url(#rock)" stroke="#2a221c" stroke-width="1.5"/>'
        for _ in range(4):
            cx, cy = r.uniform(w * 0.3, w * 0.7), r.uniform(h * 0.3, h * 0.7)
            body += f'<circle cx="{cx:.1f}" cy="{cy:.1f}" r="{r.uniform(2, 5):.1f}" fill="#3a312a" opacity="0.7"/>'
        return svg(w, h, body, defs)
    defs = _fill_defs(cols, "paint")
    defs += lin_grad("metal", [(0, "#5a6378", 1), (1, "#22283a", 1)])
    defs += rad_grad("eye", [(0, "#ffffff", 1), (0.5, HUES[cols[0]], 1), (1, HUES[cols[-1]], 0.2)])
    m = w / 2
    # hull pointing down (enemies fall): nose at the bottom
    span = r.uniform(0.42, 0.5) * w
    sweep = r.uniform(0.05, 0.25) * h
    wing = [(m, h * 0.98), (m + span * 0.35, h * 0.55), (m + span, h * 0.3 + sweep),
            (m + span * 0.9, h * 0.1), (m + span * 0.3, h * 0.22), (m, h * 0.04),
            (m - span * 0.3, h * 0.22), (m - span * 0.9, h * 0.1), (m - span, h * 0.3 + sweep),
            (m - span * 0.35, h * 0.55)]
    body = f'<polygon points="{pts(wing)}" fill="url(#paint)" stroke="#0b0d14" stroke-width="{2 if boss else 1.2}"/>'
    inner = [(x * 0.6 + m * 0.4, y * 0.6 + h * 0.2) for x, y in wing]
    body += f'<polygon points="{pts(inner)}" fill="url(#metal)" opacity="0.85"/>'
    body += f'<ellipse cx="{m}" cy="{h * 0.55:.1f}" rx="{w * 0.1:.1f}" ry="{h * 0.13:.1f}" fill="url(#eye)"/>'
    if boss:
        for i, c in enumerate(cols):  # a row of coloured lamps names the colours
            x = m + (i - (len(cols) - 1) / 2) * w * 0.12
            body += f'<circle cx="{x:.1f}" cy="{h * 0.3:.1f}" r="{w * 0.035:.1f}" fill="{HUES[c]}" stroke="#fff" stroke-width="1"/>'
        for sx in (-1, 1):
            body += f'<rect x="{m + sx * span * 0.62 - w * 0.03:.1f}" y="{h * 0.45:.1f}" width="{w * 0.06:.1f}" height="{h * 0.25:.1f}" fill="#22283a" stroke="#0b0d14"/>'
    return svg(w, h, body, defs)


def enemy_car(ident, colours, size, boss=False):
    cols = cols_of(colours)
    w, h = int(size * 0.7), size
    if ident == "ASTEROID":  # an oil drum rolled onto the road
        body = f'<circle cx="{w / 2}" cy="{h / 2}" r="{w * 0.45:.1f}" fill="#2f5f8f" stroke="#111" stroke-width="2"/>'
        body += f'<circle cx="{w / 2}" cy="{h / 2}" r="{w * 0.3:.1f}" fill="none" stroke="#8fb0cf" stroke-width="2"/>'
        return svg(w, h, body)
    defs = _fill_defs(cols, "paint")
    body = ""
    for (x, y) in ((0.02, 0.14), (0.82, 0.14), (0.02, 0.7), (0.82, 0.7)):
        body += f'<rect x="{x * w:.1f}" y="{y * h:.1f}" width="{w * 0.16:.1f}" height="{h * 0.16:.1f}" rx="2" fill="#111"/>'
    body += f'<rect x="{w * 0.1:.1f}" y="{h * 0.03:.1f}" width="{w * 0.8:.1f}" height="{h * 0.94:.1f}" rx="{w * 0.2:.1f}" fill="url(#paint)" stroke="#111" stroke-width="1.5"/>'
    body += f'<rect x="{w * 0.2:.1f}" y="{h * 0.58:.1f}" width="{w * 0.6:.1f}" height="{h * 0.16:.1f}" rx="3" fill="#1b2a3a"/>'
    body += f'<rect x="{w * 0.2:.1f}" y="{h * 0.22:.1f}" width="{w * 0.6:.1f}" height="{h * 0.1:.1f}" rx="3" fill="#1b2a3a"/>'
    body += f'<rect x="{w * 0.18:.1f}" y="{h * 0.9:.1f}" width="{w * 0.14:.1f}" height="{h * 0.05:.1f}" fill="#fff7b0"/>'
    body += f'<rect x="{w * 0.68:.1f}" y="{h * 0.9:.1f}" width="{w * 0.14:.1f}" height="{h * 0.05:.1f}" fill="#fff7b0"/>'
    if boss:
        body += f'<rect x="{w * 0.15:.1f}" y="{h * 0.36:.1f}" width="{w * 0.7:.1f}" height="{h * 0.18:.1f}" fill="#333" opacity="0.6"/>'
    return svg(w, h, body, defs)


def enemy_egg(ident, colours, size, boss=False):
    cols = cols_of(colours)
    w, h = int(size * 0.8), size
    r = rng(ident)
    if ident == "ASTEROID":
        cols = ["W"]
    defs = f'<clipPath id="egg"><ellipse cx="{w / 2}" cy="{h * 0.53:.1f}" rx="{w * 0.47:.1f}" ry="{h * 0.45:.1f}"/></clipPath>'
    body = f'<ellipse cx="{w / 2}" cy="{h * 0.53:.1f}" rx="{w * 0.47:.1f}" ry="{h * 0.45:.1f}" fill="#fbf6ea"/>'
    band = '<g clip-path="url(#egg)">'
    n = 5 if not boss else 8
    for i in range(n):
        c = cols[i % len(cols)]
        y = h * (0.12 + 0.84 * i / n)
        if r.random() < 0.5:
            zig = " ".join(f"{x:.1f},{y + (6 if k % 2 else 0):.1f}" for k, x in enumerate(range(0, w + 8, 8)))
            band += f'<polyline points="{zig}" fill="none" stroke="{HUES[c]}" stroke-width="{h * 0.05:.1f}"/>'
        else:
            band += f'<rect x="0" y="{y:.1f}" width="{w}" height="{h * 0.07:.1f}" fill="{HUES[c]}"/>'
    band += '</g>'
    body += band
    body += f'<ellipse cx="{w / 2}" cy="{h * 0.53:.1f}" rx="{w * 0.47:.1f}" ry="{h * 0.45:.1f}" fill="none" stroke="#6a5a4a" stroke-width="{2 if boss else 1.2}"/>'
    if boss:  # a cross face
        body += f'<circle cx="{w * 0.38:.1f}" cy="{h * 0.45:.1f}" r="{w * 0.05:.1f}" fill="#222"/>'
        body += f'<circle cx="{w * 0.62:.1f}" cy="{h * 0.45:.1f}" r="{w * 0.05:.1f}" fill="#222"/>'
        body += f'<path d="M{w * 0.4:.1f},{h * 0.62:.1f} Q{w / 2},{h * 0.56:.1f} {w * 0.6:.1f},{h * 0.62:.1f}" stroke="#222" stroke-width="3" fill="none"/>'
    return svg(w, h, body, defs)


def enemy_fish(ident, colours, size, boss=False):
    cols = cols_of(colours)
    w, h = int(size * 0.75), size
    if ident == "ASTEROID":  # a sea urchin
        body = "".join(f'<line x1="{w / 2}" y1="{h / 2}" x2="{w / 2 + w * 0.48 * math.cos(a / 8 * math.pi):.1f}" '
                       f'y2="{h / 2 + h * 0.48 * math.sin(a / 8 * math.pi):.1f}" stroke="#3a1f4a" stroke-width="2"/>'
                       for a in range(16))
        body += f'<circle cx="{w / 2}" cy="{h / 2}" r="{w * 0.3:.1f}" fill="#5a2f7a"/>'
        return svg(w, h, body)
    defs = _fill_defs(cols, "paint")
    # swims downwards: head at the bottom, tail at the top
    body = f'<polygon points="{pts([(w / 2, h * 0.3), (w * 0.1, 0), (w * 0.9, 0)])}" fill="{HUES[cols[-1]]}" stroke="#0a2a4a"/>'
    body += f'<ellipse cx="{w / 2}" cy="{h * 0.6:.1f}" rx="{w * 0.42:.1f}" ry="{h * 0.38:.1f}" fill="url(#paint)" stroke="#0a2a4a" stroke-width="1.5"/>'
    body += f'<polygon points="{pts([(w * 0.1, h * 0.55), (0, h * 0.7), (w * 0.16, h * 0.72)])}" fill="{HUES[cols[0]]}"/>'
    body += f'<polygon points="{pts([(w * 0.9, h * 0.55), (w, h * 0.7), (w * 0.84, h * 0.72)])}" fill="{HUES[cols[0]]}"/>'
    for sx in (0.36, 0.64):
        body += f'<circle cx="{w * sx:.1f}" cy="{h * 0.82:.1f}" r="{w * 0.07:.1f}" fill="#fff"/>'
        body += f'<circle cx="{w * sx:.1f}" cy="{h * 0.84:.1f}" r="{w * 0.035:.1f}" fill="#111"/>'
    if boss:
        for k in range(5):
            y = h * (0.4 + k * 0.07)
            body += f'<path d="M{w * 0.2:.1f},{y:.1f} Q{w / 2},{y + 8:.1f} {w * 0.8:.1f},{y:.1f}" stroke="#0a2a4a" stroke-width="2" fill="none" opacity="0.5"/>'
    return svg(w, h, body, defs)


ENEMY_SIZE = {"ASTEROID": 42, "SCOUT": 40}
BOSS_SIZE = {"SENTINEL": 140, "HIVEQUEEN": 150, "LEVIATHAN": 160, "WARDEN": 170,
             "TEMPEST": 170, "OVERMIND": 196}


def enemy_size(ident):
    if ident in BOSSES:
        return BOSS_SIZE.get(ident, 160)
    cols = ENEMIES[ident][0]
    return ENEMY_SIZE.get(ident, 46 if len(cols) <= 1 else 52)


# ---------------------------------------------------------------- bullets

OUTLINE = "#0b0d14"  # the dark rim that sets a bullet apart on bright ground
# Each colour's rim and white heart, in pixels (the cross's arms are narrow).
RIM = {"R": 1.5, "G": 1.0, "B": 1.5, "Y": 1.3}
HEART = {"R": 1.7, "G": 1.5, "B": 2.3, "Y": 1.4}


def bullet(ident):
    cols = BULLET_COLOURS[ident]
    if ident == "HEROBULLET":
        # a white bolt in a dark rim, its tail fading out
        defs = lin_grad("b", [(0, "#ffffff", 1), (0.55, "#aef0ff", 1), (1, "#3c8cff", 0.5)])
        defs += lin_grad("rim", [(0, OUTLINE, 1), (0.7, OUTLINE, 1), (1, OUTLINE, 0)])
        body = '<rect x="0" y="0" width="6" height="16" rx="3" fill="url(#rim)"/>'
        body += '<rect x="1.3" y="1.3" width="3.4" height="13.4" rx="1.7" fill="url(#b)"/>'
        return svg(6, 16, body, defs)
    if len(cols) > 2:
        return bullet_rosette(cols)
    s = 12
    c = s / 2
    if not cols:  # no colour: a white ring, unlike every mark
        d = marks.path("B", c, c, s, hole=0.3)
        defs, body = marks.shape(d, "#ffffff", OUTLINE, 1.5, gid="ring")
        hole = "M" + d.split(" M")[1]
        body += (f'<path d="{hole}" fill="none" stroke="{OUTLINE}" stroke-width="1.6" '
                 f'clip-path="url(#ring)"/>')
        return svg(s, s, body, defs)
    if len(cols) == 1:
        col = cols[0]
        defs, body = marks.mark(col, c, c, s, HUES[col], OUTLINE, RIM[col])
        hx, hy = marks.heart(col, c, c, s)
        heart = HEART[col]
    else:  # the left half of the first colour's mark, the right half of the second's
        defs = f'<clipPath id="left"><rect width="{c}" height="{s}"/></clipPath>'
        defs += f'<clipPath id="right"><rect x="{c}" width="{c}" height="{s}"/></clipPath>'
        body = ""
        for col, side in zip(cols, ("left", "right")):
            d, b = marks.mark(col, c, c, s, HUES[col], OUTLINE, RIM[col], gid="m" + side)
            defs += d
            body += f'<g clip-path="url(#{side})">{b}</g>'
        hx, hy, heart = c, c, 2.2
    body += f'<circle cx="{hx}" cy="{hy:.2f}" r="{heart}" fill="#ffffff"/>'
    return svg(s, s, body, defs)


def bullet_rosette(cols):
    """A bullet of more colours: their marks, two by two, on a white tile."""
    s = 16
    body = f'<rect width="{s}" height="{s}" rx="4.5" fill="{OUTLINE}"/>'
    body += f'<rect x="1.3" y="1.3" width="{s - 2.6}" height="{s - 2.6}" rx="3.4" fill="#ffffff"/>'
    defs = ""
    for i, col in enumerate(cols):
        x, y = 5 + 6 * (i % 2), 5 + 6 * (i // 2)
        d, b = marks.mark(col, x, y, 6, HUES[col], OUTLINE, 0.7, gid="m" + col)
        defs += d
        body += b
    return svg(s, s, body, defs)


# ---------------------------------------------------------------- all of it

THEMES = {
    "norm": (bg_space, hero_space, enemy_space),
    "bike": (bg_road, hero_bike, enemy_car),
    "eegg": (bg_meadow, hero_bunny, enemy_egg),
    "rudi": (bg_sea, hero_sub, enemy_fish),
}


def build(res, keep=None):
    norm = os.path.join(res, "norm")
    render(osd_panel(), os.path.join(norm, "osd", "OSD.png"), keep)
    for c in "RGBY":
        render(osd_bar(c), os.path.join(norm, "osd", c + ".png"), keep)
        render(shield(c), os.path.join(norm, "shield", c + ".png"), keep)
    render(overlay_pause(), os.path.join(norm, "osd", "pause.png"), keep)
    render(overlay_gameover(), os.path.join(norm, "osd", "gameover.png"), keep)
    render(overlay_level(), os.path.join(norm, "osd", "level.png"), keep)
    for ident in BULLET_COLOURS:
        render(bullet(ident), os.path.join(norm, "bullet", ident + ".png"), keep)
    for theme, (bg, hero, enemy) in THEMES.items():
        folder = os.path.join(res, theme)
        render(bg(), os.path.join(folder, "osd", "BG.png"), keep)
        render(hero(), os.path.join(folder, "hero.png"), keep)
        for ident, spec in list(ENEMIES.items()) + list(BOSSES.items()):
            picture = enemy(ident, spec[0], enemy_size(ident), boss=ident in BOSSES)
            render(picture, os.path.join(folder, "enemy", ident + ".PNG"), keep)
    # every bullet must read on every theme's ground, and the four colours
    # must stay apart without their hue
    contrast.check(res, list(THEMES))
    colourvision.check(res)
