"""The game's data folder: enemy, boss and bullet classes, levels and credits.

Every file is written byte-exact in the game's text format: one field a
line, lines ending in CR LF, numbers as bare digits, booleans TRUE/FALSE,
reals with three decimals.
"""

import os

CRLF = "\r\n"
MAX_ID = 20  # identifiers longer than this shift every later field


def _lines(fields):
    return "".join(f"{f}{CRLF}" for f in fields)


def _bool(b):
    return "TRUE" if b else "FALSE"


def _real(x):
    return f"{x:.3f}"


def _check_id(ident):
    # A line of exactly 20 characters leaves its line end unread, which turns
    # the next text read of a level file into an empty identifier: stay below.
    if not ident or len(ident) >= MAX_ID or not ident.isascii():
        raise ValueError(f"identifier {ident!r} must be 1..19 ASCII characters")
    return ident


# Bullet classes: id -> (damage red, green, blue, yellow, neutral, speed, accel)
BULLETS = {
    "HEROBULLET": (6, 6, 6, 6, 6, 12.0, 0.0),
    "REDSHOT": (10, 0, 0, 0, 0, 7.0, 0.0),
    "GREENSHOT": (0, 10, 0, 0, 0, 6.0, 0.0),
    "BLUESHOT": (0, 0, 10, 0, 0, 6.0, 0.0),
    "YELLOWSHOT": (0, 0, 0, 10, 0, 7.0, 0.0),
    "PELLET": (0, 0, 0, 0, 4, 6.0, 0.0),
    "RGSHOT": (7, 7, 0, 0, 0, 6.0, 0.0),
    "RBSHOT": (7, 0, 7, 0, 0, 6.0, 0.0),
    "RYSHOT": (7, 0, 0, 7, 0, 7.0, 0.0),
    "GBSHOT": (0, 7, 7, 0, 0, 6.0, 0.0),
    "GYSHOT": (0, 7, 0, 7, 0, 6.0, 0.0),
    "BYSHOT": (0, 0, 7, 7, 0, 6.0, 0.0),
    "BOSSORB": (6, 6, 6, 6, 0, 5.0, 0.0),
}

# Colours of each bullet class, for its picture.
BULLET_COLOURS = {
    "HEROBULLET": "W", "REDSHOT": "R", "GREENSHOT": "G", "BLUESHOT": "B",
    "YELLOWSHOT": "Y", "PELLET": "", "RGSHOT": "RG", "RBSHOT": "RB",
    "RYSHOT": "RY", "GBSHOT": "GB", "GYSHOT": "GY", "BYSHOT": "BY",
    "BOSSORB": "RGBY",
}

# Enemy classes: id -> (colours, health, bullet, shoot pattern, frequency).
# ASTEROID sorts first: the closing line of every level enables it, so the
# class that comes along for free is a harmless rock.
ENEMIES = {
    "ASTEROID": ("", 30, "PELLET", 0, 1),
    "CRIMSONWASP": ("R", 50, "REDSHOT", 1, 30),
    "EMERALDMANTA": ("G", 50, "GREENSHOT", 2, 36),
    "COBALTDISC": ("B", 50, "BLUESHOT", 3, 32),
    "GOLDBEETLE": ("Y", 50, "YELLOWSHOT", 4, 30),
    "SCOUT": ("", 40, "PELLET", 2, 28),
    "RUSTCRAB": ("RG", 70, "RGSHOT", 1, 26),
    "VIOLETRAY": ("RB", 70, "RBSHOT", 2, 30),
    "EMBERFLY": ("RY", 70, "RYSHOT", 5, 24),
    "GLACIER": ("GB", 80, "GBSHOT", 3, 28),
    "LIMEHORNET": ("GY", 70, "GYSHOT", 5, 22),
    "STORMEEL": ("BY", 70, "BYSHOT", 4, 26),
}

# Bosses (movement 66): id -> (colours, health, bullet, shoot pattern, frequency)
BOSSES = {
    "SENTINEL": ("R", 700, "REDSHOT", 1, 8),
    "HIVEQUEEN": ("GY", 900, "GYSHOT", 2, 12),
    "LEVIATHAN": ("B", 1000, "BLUESHOT", 3, 9),
    "WARDEN": ("RB", 1200, "RBSHOT", 2, 9),
    "TEMPEST": ("GB", 1300, "GBSHOT", 5, 7),
    "OVERMIND": ("RGBY", 1800, "BOSSORB", 2, 7),
}

# Levels: number -> (theme word of 4 characters, boss delay in ms, boss, enemies)
# "OPTN" and "ANY " name no theme: the player's option chooses.
LEVELS = {
    1: ("OPTN", 20000, "SENTINEL", ["CRIMSONWASP", "CRIMSONWASP", "SCOUT"]),
    2: ("NORM", 25000, "HIVEQUEEN",
        ["CRIMSONWASP", "EMERALDMANTA", "GOLDBEETLE", "SCOUT"]),
    3: ("BIKE", 30000, "LEVIATHAN",
        ["COBALTDISC", "EMERALDMANTA", "GOLDBEETLE", "RUSTCRAB", "SCOUT"]),
    4: ("ANY ", 35000, "WARDEN",
        ["CRIMSONWASP", "COBALTDISC", "VIOLETRAY", "EMBERFLY", "GLACIER"]),
    5: ("EEGG", 40000, "TEMPEST",
        ["EMERALDMANTA", "GOLDBEETLE", "RUSTCRAB", "LIMEHORNET", "STORMEEL",
         "GLACIER"]),
    6: ("RUDI", 45000, "OVERMIND",
        ["VIOLETRAY", "EMBERFLY", "GLACIER", "LIMEHORNET", "STORMEEL",
         "RUSTCRAB", "SCOUT"]),
}

CREDITS = [
    "ZODUZOR",
    "",
    "A vertical shooter in four colours",
    "",
    "Game design and code",
    "    the Zoduzor team",
    "",
    "Pictures, music and sound effects",
    "    made by our own content generator",
    "",
    "Levels and enemy classes",
    "    the Zoduzor team",
    "",
    "Thank you for playing!",
    "Shield the colour that hits you.",
]


def enemy_file(ident, colours, health, bullet, shoot, move, frequency):
    _check_id(ident)
    _check_id(bullet)
    if frequency < 1:
        raise ValueError(f"{ident}: frequency must be 1 or more")
    return _lines([ident, _bool("R" in colours), _bool("G" in colours),
                   _bool("B" in colours), _bool("Y" in colours), health,
                   bullet, shoot, move, frequency])


def bullet_file(ident, dr, dg, db, dy, dn, speed, accel):
    _check_id(ident)
    return _lines([ident, dr, dg, db, dy, dn, _real(speed), _real(accel)])


def level_file(theme, boss_delay, boss, enemies):
    if len(theme) != 4:
        raise ValueError("the theme word has exactly 4 characters")
    _check_id(boss)
    for e in enemies:
        _check_id(e)
    # The list ends with an empty line, as the data writer ends it.
    return _lines([theme, boss_delay, boss] + list(enemies) + [""])


def level_name(n):
    return f"{n:03d}.LVL"


def credits_file(lines):
    for line in lines:
        if len(line) > 40:
            raise ValueError(f"credits line longer than 40 characters: {line!r}")
    return _lines(lines)


def _write(path, text):
    with open(path, "wb") as f:
        f.write(text.encode("ascii"))


def write_data(data_dir):
    os.makedirs(data_dir, exist_ok=True)
    for name in os.listdir(data_dir):
        if name.lower().endswith((".nmi", ".bss", ".blt", ".lvl")):
            os.remove(os.path.join(data_dir, name))
    for ident, v in BULLETS.items():
        _write(os.path.join(data_dir, ident + ".blt"), bullet_file(ident, *v))
    for ident, (cols, health, bullet, shoot, freq) in ENEMIES.items():
        assert bullet in BULLETS
        _write(os.path.join(data_dir, ident + ".nmi"),
               enemy_file(ident, cols, health, bullet, shoot, 1, freq))
    for ident, (cols, health, bullet, shoot, freq) in BOSSES.items():
        assert bullet in BULLETS
        _write(os.path.join(data_dir, ident + ".bss"),
               enemy_file(ident, cols, health, bullet, shoot, 66, freq))
    for n, (theme, delay, boss, enemies) in LEVELS.items():
        assert boss in BOSSES and all(e in ENEMIES for e in enemies)
        _write(os.path.join(data_dir, level_name(n)),
               level_file(theme, delay, boss, enemies))
    _write(os.path.join(data_dir, "credits.txt"), credits_file(CREDITS))
