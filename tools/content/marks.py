"""The four colours' marks: a shape for each colour, so that colour is never
the only thing that tells them apart. Red is a triangle, green a cross, blue a
circle and yellow a diamond: no two are the same shape turned, and each reads
the same from any side. Bullets take their colour's shape, two-colour bullets
are split down the middle into half of each shape, shields are edged with
their colour's marks and the panel labels each meter with its mark."""

import math

CROSS_ARM = 1 / 3  # a cross's arms, as a share of its width
# A diamond's points stop short of its square, so that it keeps clear of the
# cross's arms (the two silhouettes stay apart).
DIAMOND = 0.86


def path(c, cx, cy, s, hole=0.0):
    """SVG path data of colour c's mark filling an s x s square centred on
    (cx, cy). With a hole (a share of the width), the circle is a ring, drawn
    with the even-odd rule."""
    h = s / 2
    if c == "R":
        return f"M{cx:.2f},{cy - h:.2f} L{cx + h:.2f},{cy + h:.2f} L{cx - h:.2f},{cy + h:.2f} Z"
    if c == "G":
        a = s * CROSS_ARM / 2
        p = [(-a, -h), (a, -h), (a, -a), (h, -a), (h, a), (a, a), (a, h), (-a, h), (-a, a),
             (-h, a), (-h, -a), (-a, -a)]
        return "M" + " L".join(f"{cx + x:.2f},{cy + y:.2f}" for x, y in p) + " Z"
    if c == "B":
        r = s * hole / 2
        d = (f"M{cx - h:.2f},{cy:.2f} A{h:.2f},{h:.2f} 0 1 0 {cx + h:.2f},{cy:.2f} "
             f"A{h:.2f},{h:.2f} 0 1 0 {cx - h:.2f},{cy:.2f} Z")
        if r > 0:
            d += (f" M{cx - r:.2f},{cy:.2f} A{r:.2f},{r:.2f} 0 1 1 {cx + r:.2f},{cy:.2f} "
                  f"A{r:.2f},{r:.2f} 0 1 1 {cx - r:.2f},{cy:.2f} Z")
        return d
    if c == "Y":
        h *= DIAMOND
        return (f"M{cx:.2f},{cy - h:.2f} L{cx + h:.2f},{cy:.2f} L{cx:.2f},{cy + h:.2f} "
                f"L{cx - h:.2f},{cy:.2f} Z")
    raise ValueError(f"no mark for colour {c!r}")


def label_size(c, s):
    """The size at which a mark labelling something looks as big as the
    others at s: the diamond, smallest in area, is drawn larger."""
    return s * 1.25 if c == "Y" else s


def heart(c, cx, cy, s):
    """The middle of the mark's own area, where a bullet's white heart goes
    (a triangle's lies low)."""
    return (cx, cy + s / 6) if c == "R" else (cx, cy)


def shape(d, fill, rim="#0b0d14", rim_width=1.5, gid="shape", outer_only=True):
    """A filled path with a rim of rim_width inside its edge: the outline
    stroked and clipped to the inside, so that every shape's rim is equally
    thick. Only the outer contour (the first) takes the rim unless
    outer_only is false. Returns (defs, body)."""
    eo = 'fill-rule="evenodd" clip-rule="evenodd"'
    defs = f'<clipPath id="{gid}"><path d="{d}" {eo}/></clipPath>'
    body = f'<path d="{d}" fill="{fill}" {eo}/>'
    if rim_width > 0:
        edge = d.split(" M")[0] if outer_only else d
        body += (f'<path d="{edge}" fill="none" stroke="{rim}" stroke-width="{2 * rim_width}" '
                 f'clip-path="url(#{gid})"/>')
    return defs, body


def mark(c, cx, cy, s, fill, rim="#0b0d14", rim_width=1.5, gid=None):
    """Colour c's mark in `fill`, s wide, centred on (cx, cy), with a rim
    (see shape). `gid` names its clip path, unique in a picture."""
    return shape(path(c, cx, cy, s), fill, rim, rim_width, gid or f"mark{c}")


def ring_positions(count, cx, cy, radius, start=0.0):
    """count places evenly round a circle, the first `start` degrees from the top."""
    out = []
    for k in range(count):
        a = math.radians(start + 360 * k / count)
        out.append((cx + radius * math.sin(a), cy - radius * math.cos(a)))
    return out
