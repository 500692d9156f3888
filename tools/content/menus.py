"""Pictures of the menu screens: main menu, options, key settings, high
scores and credits."""

import math
import os

import marks
from svgkit import HUES, lin_grad, pts, rad_grad, render, rng, svg, text

W, H = 800, 700
BUTTON_H = 50  # the menus space their rows 55 apart


def button(label, w, h=BUTTON_H, active=False, accent="#3c8cff", size=30, mark=None):
    """A button; `mark` (a colour) puts that colour's mark before the label."""
    defs = lin_grad("face", [(0, "#2c3857" if not active else "#4a5f94", 1),
                             (1, "#121829" if not active else "#23305a", 1)])
    border = "#ffd83a" if active else accent
    body = (f'<rect x="2" y="2" width="{w - 4}" height="{h - 4}" rx="10" fill="url(#face)" '
            f'stroke="{border}" stroke-width="{3 if active else 2}"/>')
    body += f'<rect x="8" y="6" width="{w - 16}" height="{h * 0.3:.0f}" rx="6" fill="#ffffff" opacity="0.07"/>'
    x = w / 2
    if mark:
        d, b = marks.mark(mark, 20, h / 2 - 1, marks.label_size(mark, 18), HUES[mark], "#05060a",
                          1.3)
        defs += d
        body += b
        x += 10
    body += text(x, h / 2 + 1, label, size, "#ffffff" if active else "#e6ecff",
                 extra='letter-spacing="2"')
    return svg(w, h, body, defs)


def value_plate(label, w=220, h=BUTTON_H):
    body = (f'<rect x="2" y="6" width="{w - 4}" height="{h - 12}" rx="8" fill="#0a0d16" '
            f'stroke="#ffd83a" stroke-width="1.5" opacity="0.9"/>')
    body += text(w / 2, h / 2 + 1, label, 28, "#ffd83a", extra='letter-spacing="2"')
    return svg(w, h, body)


def arrow(direction, w, h, active=False):
    """A plate with a triangle pointing up, down, left or right."""
    fill = "#ffd83a" if active else "#e6ecff"
    body = (f'<rect x="2" y="2" width="{w - 4}" height="{h - 4}" rx="10" '
            f'fill="{"#3a4a7a" if active else "#1c2438"}" '
            f'stroke="{"#ffd83a" if active else "#3c8cff"}" stroke-width="{3 if active else 2}"/>')
    cx, cy, s = w / 2, h / 2, min(w, h) * 0.28
    tri = {"up": [(cx, cy - s), (cx + s, cy + s * 0.7), (cx - s, cy + s * 0.7)],
           "down": [(cx, cy + s), (cx + s, cy - s * 0.7), (cx - s, cy - s * 0.7)],
           "left": [(cx - s, cy), (cx + s * 0.7, cy - s), (cx + s * 0.7, cy + s)],
           "right": [(cx + s, cy), (cx - s * 0.7, cy - s), (cx - s * 0.7, cy + s)]}[direction]
    body += f'<polygon points="{pts(tri)}" fill="{fill}"/>'
    return svg(w, h, body)


def pointer(size=50):
    defs = lin_grad("p", [(0, "#fff3a0", 1), (1, "#ffb000", 1)])
    s = size
    body = f'<polygon points="{pts([(s * 0.12, s * 0.2), (s * 0.9, s * 0.5), (s * 0.12, s * 0.8), (s * 0.3, s * 0.5)])}" ' \
           f'fill="url(#p)" stroke="#7a5a00" stroke-width="2"/>'
    return svg(s, s, body, defs)


def starfield(seed, title=None, subtitle=None, planet=True, title_y=120):
    r = rng(seed)
    defs = rad_grad("glow", [(0, "#2a1f5a", 0.9), (1, "#05060f", 0)])
    defs += rad_grad("planet", [(0, "#5a8fd0", 1), (0.7, "#1f3a7a", 1), (1, "#0a1430", 1)],
                     cx=0.35, cy=0.3, r=0.7)
    body = f'<rect width="{W}" height="{H}" fill="#05060f"/>'
    body += f'<ellipse cx="400" cy="{title_y}" rx="420" ry="200" fill="url(#glow)"/>'
    for _ in range(320):
        x, y = r.uniform(0, W), r.uniform(0, H)
        body += (f'<circle cx="{x:.1f}" cy="{y:.1f}" r="{r.choice([0.6, 0.8, 1.1, 1.6])}" '
                 f'fill="#ffffff" opacity="{r.uniform(0.3, 1):.2f}"/>')
    if planet:
        body += '<circle cx="720" cy="640" r="150" fill="url(#planet)"/>'
        body += '<ellipse cx="720" cy="640" rx="230" ry="30" fill="none" stroke="#9fb0d9" ' \
                'stroke-width="3" opacity="0.5" transform="rotate(-14 720 640)"/>'
    if title:
        body += text(400, title_y, title, 110, "#ffd83a",
                     extra='letter-spacing="10"')
        for i, c in enumerate("RGBY"):
            body += f'<rect x="{250 + i * 80}" y="{title_y + 62}" width="60" height="6" rx="3" fill="{HUES[c]}"/>'
    if subtitle:
        body += text(400, title_y + 100, subtitle, 28, "#9fb0d9", extra='letter-spacing="3"')
    return body, defs


def main_bg():
    body, defs = starfield(21, "ZODUZOR", "FOUR COLOURS.  ONE SHIP.")
    # A console plate under the lower part: the main menu's buttons stand on
    # it (x 259..554, y 286..616), and the level choice screen, which shares
    # this picture, writes its lines on it (x 120..740 at y 300, 450 and 600).
    body += ('<rect x="96" y="272" width="656" height="398" rx="18" fill="#070a14" '
             'opacity="0.8" stroke="#3d4866" stroke-width="2"/>')
    body += ('<rect x="104" y="280" width="640" height="382" rx="13" fill="none" '
             'stroke="#2a3249" stroke-width="1"/>')
    for i, c in enumerate("RGBY"):
        body += f'<rect x="{112 + i * 26}" y="276" width="20" height="3" rx="1.5" fill="{HUES[c]}"/>'
    return svg(W, H, body, defs)


def hs_bg():
    body, defs = starfield(22, planet=False)
    body += text(400, 46, "HIGH SCORES", 50, "#ffd83a", extra='letter-spacing="6"')
    # two dark plates under the columns (names at x 100/400, scores at
    # 250/550; rows at y 100 + 50 k, each 50 high, k = 0..9), reaching below
    # the tenth row, so the red text stays readable and inside its frame
    for x in (84, 388):
        body += (f'<rect x="{x}" y="86" width="300" height="528" rx="14" fill="#000000" '
                 f'opacity="0.78" stroke="#3d4866" stroke-width="2"/>')
        for k in range(1, 10):  # rules between the rows
            y = 100 + k * 50
            body += f'<line x1="{x + 14}" y1="{y}" x2="{x + 286}" y2="{y}" stroke="#2a3249" stroke-width="1"/>'
    return svg(W, H, body, defs)


def opti_bg():
    body, defs = starfield(23, planet=True, title_y=100)
    body += text(400, 120, "OPTIONS", 90, "#ffd83a", extra='letter-spacing="8"')
    return svg(W, H, body, defs)


def keys_bg():
    body, defs = starfield(24, planet=False, title_y=100)
    body += text(400, 110, "KEY SETTINGS", 80, "#ffd83a", extra='letter-spacing="6"')
    body += text(362, 306, "NEXT COLOUR", 22, "#9fb0d9")
    body += text(362, 565, "PREVIOUS COLOUR", 22, "#9fb0d9")
    body += text(577, 282, "MOVE", 24, "#9fb0d9")
    body += '<circle cx="577" cy="437" r="125" fill="none" stroke="#3d4866" stroke-width="2" ' \
            'stroke-dasharray="6 6"/>'
    return svg(W, H, body, defs)


def cred_bg():
    body, defs = starfield(25, planet=True, title_y=-200)
    body += f'<rect x="4" y="4" width="{W - 8}" height="{H - 8}" rx="16" fill="none" ' \
            'stroke="#3d4866" stroke-width="3"/>'
    return svg(W, H, body, defs)


def explanation(kind):
    w, h = 210, 300
    border = {"": "#3c8cff", "Active": "#ffd83a", "Fault": "#ff3b3b"}[kind]
    lines = {
        "": ["CHOOSE AN ACTION", "WITH THE ARROW KEYS", "OR THE MOUSE,", "THEN PRESS ENTER", "OR CLICK IT.", "",
             "THEN PRESS THE", "NEW KEY FOR IT."],
        "Active": ["WAITING...", "", "PRESS THE NEW KEY", "FOR THE HIGHLIGHTED", "ACTION NOW.", "",
                   "F6-F12, ALT+ENTER:", "THE WINDOW'S KEYS."],
        "Fault": ["KEY IN USE!", "", "THAT KEY ALREADY", "BELONGS TO AN", "ACTION.", "",
                  "PRESS ANOTHER KEY."],
    }[kind]
    body = (f'<rect x="2" y="2" width="{w - 4}" height="{h - 4}" rx="14" fill="#0a0d16" '
            f'opacity="0.92" stroke="{border}" stroke-width="3"/>')
    for i, line in enumerate(lines):
        size = 30 if i == 0 else 22
        colour = border if i == 0 else "#e6ecff"
        body += text(w / 2, 40 + i * 32, line, size, colour)
    return svg(w, h, body)


def hero_big():
    w, h = 75, 120
    defs = lin_grad("hull", [(0, "#e8eefc", 1), (1, "#7d8bb0", 1)], x2=1, y2=0)
    defs += rad_grad("jet", [(0, "#ffffff", 1), (0.4, "#7fd0ff", 0.9), (1, "#3c8cff", 0)])
    body = '<ellipse cx="28" cy="106" rx="7" ry="13" fill="url(#jet)"/>'
    body += '<ellipse cx="47" cy="106" rx="7" ry="13" fill="url(#jet)"/>'
    shape = [(37.5, 4), (48, 40), (72, 80), (72, 94), (48, 88), (45, 98), (30, 98), (27, 88),
             (3, 94), (3, 80), (27, 40)]
    body += f'<polygon points="{pts(shape)}" fill="url(#hull)" stroke="#2a3249" stroke-width="2"/>'
    body += '<ellipse cx="37.5" cy="46" rx="7" ry="15" fill="#3c8cff" stroke="#0f2c7a" stroke-width="2"/>'
    body += '<rect x="8" y="72" width="5" height="16" fill="#ff3b3b"/>' \
            '<rect x="62" y="72" width="5" height="16" fill="#ff3b3b"/>'
    return svg(w, h, body, defs)


MAIN_BUTTONS = [("Play", "PLAY"), ("Load", "CHOOSE LEVEL"), ("Options", "OPTIONS"),
                ("Highscores", "HIGH SCORES"), ("Credits", "CREDITS"), ("Exit", "EXIT")]
OPTI_ROWS = [("Playmode", "THEME"), ("Difficulty", "DIFFICULTY"), ("Mouse", "MOUSE CONTROL"),
             ("KeySettings", "KEY SETTINGS"), ("Return", "RETURN")]
OPTI_VALUES = [("Easy", "EASY"), ("Normal", "NORMAL"), ("Hard", "HARD"),
               ("Impossible", "IMPOSSIBLE"), ("None", "NONE"), ("Player1", "PLAYER 1"),
               ("Player2", "PLAYER 2"), ("Bike", "BIKE"), ("EasterEgg", "EASTER EGG"),
               ("RuDi", "RUDI")]
ROW_W = 240      # option row labels; values (220) are narrower, so the right
VALUE_W = 220    # arrow at 470 + ROW_W never covers a value


def build(res, keep=None):
    menu = os.path.join(res, "menu", "img")
    render(main_bg(), os.path.join(menu, "BG.png"), keep)
    for name, label in MAIN_BUTTONS:
        render(button(label, 240), os.path.join(menu, name + ".png"), keep)
    render(pointer(), os.path.join(menu, "Pointer.png"), keep)
    render(hs_bg(), os.path.join(menu, "bghs.png"), keep)

    opti = os.path.join(res, "opti", "img")
    render(opti_bg(), os.path.join(opti, "BG.png"), keep)
    for name, label in OPTI_ROWS:
        render(button(label, ROW_W), os.path.join(opti, name + ".png"), keep)
    for name, label in OPTI_VALUES:
        render(value_plate(label, VALUE_W), os.path.join(opti, name + ".png"), keep)
    render(arrow("left", 44, BUTTON_H), os.path.join(opti, "ArrowLeft.png"), keep)
    render(arrow("right", 44, BUTTON_H), os.path.join(opti, "ArrowRight.png"), keep)
    render(pointer(), os.path.join(opti, "Pointer.png"), keep)

    keys = os.path.join(res, "keys", "img")
    render(keys_bg(), os.path.join(keys, "BG.png"), keep)
    for active in (False, True):
        suffix = "Active" if active else ""
        render(arrow("up", 55, 60, active), os.path.join(keys, f"ArrowUp{suffix}.png"), keep)
        render(arrow("down", 55, 60, active), os.path.join(keys, f"ArrowDown{suffix}.png"), keep)
        render(arrow("left", 60, 55, active), os.path.join(keys, f"ArrowLeft{suffix}.png"), keep)
        render(arrow("right", 60, 55, active), os.path.join(keys, f"ArrowRight{suffix}.png"), keep)
        for name, c in (("Red", "R"), ("Blue", "B"), ("Green", "G"), ("Yellow", "Y")):
            render(button(name.upper(), 130, active=active, accent=HUES[c], mark=c, size=28),
                   os.path.join(keys, f"{name}{suffix}.png"), keep)
        render(button("FIRE", 200, active=active), os.path.join(keys, f"Fire{suffix}.png"), keep)
        render(button("PAUSE", 180, active=active), os.path.join(keys, f"Pause{suffix}.png"), keep)
        render(button("RETURN", 220, active=active), os.path.join(keys, f"Return{suffix}.png"), keep)
    for kind in ("", "Active", "Fault"):
        render(explanation(kind), os.path.join(keys, f"Explanation{kind}.png"), keep)
    render(hero_big(), os.path.join(keys, "Hero.png"), keep)

    render(cred_bg(), os.path.join(res, "cred", "img", "BG.png"), keep)
