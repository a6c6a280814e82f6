#!/usr/bin/python3
"""Generates the grid's image set (assets/images/*.gif) and its contact sheet.

Why this tool chain: Python 3 with only its standard library draws the
icons and writes the GIF files (gifwrite.py, about a hundred lines), so the
bytes depend on nothing but this code. Pillow's GIF encoder would be the
obvious alternative, but its output has changed between releases (palette
padding, extension blocks), which would break the byte-for-byte check below on
an ordinary upgrade; a C++ program on giflib would need a build step for what
is a one-off asset job. Pillow (Debian package python3-pil) is used only
to render the contact sheet docs/images/icons.png, which needs a font, and
to decode the written files as an independent reader.

Usage:
  tools/make_images.py            write the GIF files and the contact sheet
  tools/make_images.py --check    exit 1 when a committed GIF differs from a
                                  fresh generation (or is missing or extra)
  tools/make_images.py --no-sheet write the GIF files only (no Pillow needed)
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import gifwrite  # noqa: E402
import iconset  # noqa: E402
from raster import Canvas, to_palette  # noqa: E402

ROOT = os.path.dirname(HERE)
IMAGES = os.path.join(ROOT, "assets", "images")
SHEET = os.path.join(ROOT, "docs", "images", "icons.png")


def render(name, width, height, draw):
    """Returns the GIF bytes of one image of the set."""
    canvas = Canvas(width, height)
    draw(canvas)
    pixels = canvas.flatten(iconset.FACE)
    if all(p is None for p in pixels):
        # A fully transparent image: two palette entries, index 0 clear.
        return gifwrite.encode(width, height, [0] * (width * height),
                               [(0xD4, 0xD0, 0xC8), (0, 0, 0)], transparent=0)
    indices, palette, clear = to_palette(pixels, iconset.FACE)
    return gifwrite.encode(width, height, indices, palette, clear)


def generate():
    """Returns {file name: bytes} for the whole set, aliases included."""
    files = {}
    for name, width, height, draw in iconset.ICONS:
        files[name] = render(name, width, height, draw)
    for alias, name in iconset.ALIASES.items():
        files[alias] = files[name]
    return files


def check(files):
    problems = []
    present = set(n for n in os.listdir(IMAGES) if n.lower().endswith(".gif")) \
        if os.path.isdir(IMAGES) else set()
    for name, data in sorted(files.items()):
        path = os.path.join(IMAGES, name)
        if name not in present:
            problems.append("missing: " + name)
            continue
        with open(path, "rb") as f:
            if f.read() != data:
                problems.append("differs from a fresh generation: " + name)
    for name in sorted(present - set(files)):
        problems.append("not part of the set: " + name)
    for p in problems:
        print("make_images: " + p, file=sys.stderr)
    if problems:
        print("make_images: run tools/make_images.py and commit the result", file=sys.stderr)
        return 1
    print("make_images: all %d files match a fresh generation" % len(files))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare the committed files with a fresh generation")
    parser.add_argument("--no-sheet", action="store_true", help="skip the contact sheet")
    args = parser.parse_args()

    files = generate()
    if args.check:
        return check(files)
    os.makedirs(IMAGES, exist_ok=True)
    for name, data in sorted(files.items()):
        with open(os.path.join(IMAGES, name), "wb") as f:
            f.write(data)
    print("make_images: wrote %d files to %s" % (len(files), os.path.relpath(IMAGES, ROOT)))
    if not args.no_sheet:
        import contactsheet
        contactsheet.write(IMAGES, [n for n, _, _, _ in iconset.ICONS], SHEET)
        print("make_images: wrote " + os.path.relpath(SHEET, ROOT))
    return 0


if __name__ == "__main__":
    sys.exit(main())
