#!/usr/bin/env python3
"""Rebuilds the game's default content in game/: data files, pictures and
sounds; and the icons in packaging/icons/. Needs rsvg-convert (librsvg2-bin), lame and the Bebas Neue font.

    python3 tools/content/make_content.py [--only data|images|sounds] [--keep-svg DIR]
"""

import argparse
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import data  # noqa: E402
import icons  # noqa: E402
import menus  # noqa: E402
import playscreen  # noqa: E402
import sounds  # noqa: E402

GAME = os.path.normpath(os.path.join(HERE, "..", "..", "game"))
ICONS = os.path.normpath(os.path.join(HERE, "..", "..", "packaging", "icons"))


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--only", choices=["data", "images", "sounds"])
    ap.add_argument("--keep-svg", metavar="DIR", help="also keep the SVG sources in DIR")
    ap.add_argument("--out", default=GAME, help="game folder to write (default: game/)")
    args = ap.parse_args()
    for tool in ("rsvg-convert", "lame"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: run scripts/install-deps.sh")
    res = os.path.join(args.out, "res")
    if args.only in (None, "data"):
        data.write_data(os.path.join(args.out, "data"))
        print("data written")
    if args.only in (None, "images"):
        playscreen.build(res, args.keep_svg)
        menus.build(res, args.keep_svg)
        icons.build(ICONS)
        print("images written")
    if args.only in (None, "sounds"):
        sounds.build(res)
        print("sounds written")


if __name__ == "__main__":
    main()
