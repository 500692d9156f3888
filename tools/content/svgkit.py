"""Small helpers to write SVG pictures and render them to PNG with rsvg-convert."""

import os
import random
import subprocess
import tempfile

FONT = "Bebas Neue Bold"
FALLBACK_FONT = "DejaVu Sans"

HUES = {
    "R": "#ff3b3b",
    "G": "#38e060",
    "B": "#3c8cff",
    "Y": "#ffd83a",
    "N": "#b9c2cf",
    "W": "#ffffff",
}
DARK = {
    "R": "#7a0f14",
    "G": "#0d5a22",
    "B": "#0f2c7a",
    "Y": "#7a5a00",
    "N": "#3c4450",
    "W": "#888888",
}


def svg(w, h, body, defs=""):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{w}" height="{h}" '
            f'viewBox="0 0 {w} {h}"><defs>{defs}</defs>{body}</svg>')


def text(x, y, s, size, fill="#ffffff", anchor="middle", font=FONT, extra=""):
    s = s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    return (f'<text x="{x}" y="{y}" font-family="{font}, {FALLBACK_FONT}" '
            f'font-size="{size}" font-weight="bold" fill="{fill}" text-anchor="{anchor}" '
            f'dominant-baseline="central" dy="0.06em" {extra}>{s}</text>')


def lin_grad(gid, stops, x1=0, y1=0, x2=0, y2=1):
    st = "".join(f'<stop offset="{o}" stop-color="{c}" stop-opacity="{a}"/>'
                 for o, c, a in stops)
    return (f'<linearGradient id="{gid}" x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}">'
            f'{st}</linearGradient>')


def rad_grad(gid, stops, cx=0.5, cy=0.5, r=0.5):
    st = "".join(f'<stop offset="{o}" stop-color="{c}" stop-opacity="{a}"/>'
                 for o, c, a in stops)
    return f'<radialGradient id="{gid}" cx="{cx}" cy="{cy}" r="{r}">{st}</radialGradient>'


def wrapped(y, period, item):
    """Copies of an item drawn at y - period, y and y + period, so that a
    vertically scrolling tile joins seamlessly. `item` takes a y offset."""
    return "".join(item(y + k * period) for k in (-1, 0, 1))


def pts(points):
    return " ".join(f"{x:.1f},{y:.1f}" for x, y in points)


def render(svg_text, out_path, keep_dir=None):
    """Renders an SVG text to a PNG file of the SVG's own size."""
    os.makedirs(os.path.dirname(out_path), exist_ok=True)
    if keep_dir:
        os.makedirs(keep_dir, exist_ok=True)
        src = os.path.join(keep_dir, os.path.basename(out_path) + ".svg")
        with open(src, "w", encoding="utf-8") as f:
            f.write(svg_text)
        subprocess.run(["rsvg-convert", "-o", out_path, src], check=True)
        return
    with tempfile.NamedTemporaryFile("w", suffix=".svg", delete=False,
                                     encoding="utf-8") as f:
        f.write(svg_text)
        src = f.name
    try:
        subprocess.run(["rsvg-convert", "-o", out_path, src], check=True)
    finally:
        os.remove(src)


def rng(seed):
    return random.Random(seed)
