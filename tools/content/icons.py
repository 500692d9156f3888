"""The game's icon: the ship of the space theme inside its blue shield, on a
rounded square of the space background's colours. Written as a scalable SVG
and as PNGs in the sizes of the hicolor icon theme, named by the desktop
entry's id."""

import math
import os
import re
import subprocess

from playscreen import hero_space
from svgkit import HUES, rad_grad, rng, svg

APP_ID = "org.zoduzor.Zoduzor"
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
S = 256  # the drawing's own size


def place(picture, x, y, size):
    """A picture of the game nested at (x, y), scaled to size x size."""
    return re.sub(r'^<svg xmlns="http://www.w3.org/2000/svg" width="[\d.]+" height="[\d.]+"',
                  f'<svg x="{x}" y="{y}" width="{size}" height="{size}"', picture, count=1)


def shield():
    """A plain blue glow with a ring of lights: at 16 pixels the game's own
    shield, edged with marks, would only blur."""
    blue = HUES["B"]
    defs = rad_grad("s", [(0, blue, 0.0), (0.7, blue, 0.12), (0.92, blue, 0.55), (1, blue, 0.0)])
    body = '<circle cx="30" cy="30" r="29" fill="url(#s)"/>'
    body += f'<circle cx="30" cy="30" r="26.5" fill="none" stroke="{blue}" ' \
            'stroke-width="2" opacity="0.85"/>'
    for a in range(0, 360, 60):
        x = 30 + 26.5 * math.cos(math.radians(a))
        y = 30 + 26.5 * math.sin(math.radians(a))
        body += f'<circle cx="{x:.1f}" cy="{y:.1f}" r="2.2" fill="#ffffff" opacity="0.8"/>'
    return svg(60, 60, body, defs)


def icon():
    r = rng(5)
    defs = rad_grad("nebula", [(0, "#4a1f7a", 0.9), (0.6, "#124a7a", 0.45), (1, "#05060f", 0)],
                    cx=0.35, cy=0.3, r=0.8)
    body = f'<rect x="8" y="8" width="{S - 16}" height="{S - 16}" rx="44" fill="#05060f"/>'
    body += f'<rect x="8" y="8" width="{S - 16}" height="{S - 16}" rx="44" fill="url(#nebula)"/>'
    for _ in range(18):  # a few stars, kept clear of the rounded corners
        x, y = r.uniform(40, S - 40), r.uniform(40, S - 40)
        body += f'<circle cx="{x:.1f}" cy="{y:.1f}" r="{r.choice((1.5, 2, 3))}" ' \
                f'fill="#ffffff" opacity="{r.choice((0.5, 0.8, 1))}"/>'
    body += place(shield(), 22, 22, S - 44)
    body += place(hero_space(), 58, 54, S - 116)
    return svg(S, S, body, defs)


def build(out):
    """Writes out/hicolor/scalable/apps/<id>.svg and out/hicolor/NxN/apps/<id>.png."""
    scalable = os.path.join(out, "hicolor", "scalable", "apps", APP_ID + ".svg")
    os.makedirs(os.path.dirname(scalable), exist_ok=True)
    with open(scalable, "w", encoding="utf-8") as f:
        f.write(icon())
    for size in SIZES:
        png = os.path.join(out, "hicolor", f"{size}x{size}", "apps", APP_ID + ".png")
        os.makedirs(os.path.dirname(png), exist_ok=True)
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", png, scalable],
                       check=True)
