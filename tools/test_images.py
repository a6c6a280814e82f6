#!/usr/bin/python3
"""Tests of the image set, read back with Pillow as an independent GIF reader.

1. The GIF writer round-trips every palette size class, images long enough to
   fill the 4096-entry code table (clear codes mid-stream), runs and noise,
   and the transparent index.
2. The committed set has exactly the names and sizes the grid's HTML uses,
   the two spellings of the tab carry the same bytes, the spacer is clear and
   the bevel strips stretch and tile.
3. The committed files equal a fresh generation (as make_images.py --check).
Run: tools/test_images.py   (needs python3-pil); exit status 0 on success.
"""

import io
import os
import random
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import gifwrite  # noqa: E402
import make_images  # noqa: E402

# name -> (width, height) as the HTML shows them
EXPECTED = {
    "GAddRow.gif": (24, 24), "GAsc.gif": (16, 12), "GAscA.gif": (16, 12),
    "GBevel.gif": (8, 9), "GBevelV.gif": (24, 8), "GCancel.gif": (24, 24),
    "GCheck.gif": (24, 24), "GCheckOff.gif": (24, 24), "GCheckOn.gif": (24, 24),
    "GCurrent.gif": (12, 12), "GDelRow.gif": (24, 24), "GDesc.gif": (16, 12),
    "GDescA.gif": (16, 12), "GFalse.gif": (12, 12), "GFirstPage.gif": (24, 24),
    "GResult.gif": (24, 24), "Graph.gif": (24, 24), "GLastPage.gif": (24, 24),
    "GNextPage.gif": (24, 24), "GNone.gif": (12, 12), "GOk.gif": (24, 24),
    "GPage.gif": (24, 24), "GPrevPage.gif": (24, 24), "GPrint.gif": (24, 24),
    "GRestoreSort.gif": (24, 24), "GSA.gif": (24, 24), "GSaveAs.gif": (24, 24),
    "GSortOff.gif": (24, 24), "GSortOn.gif": (24, 24), "GSum.gif": (24, 24),
    "Gt.gif": (1, 1), "GTab.gif": (82, 23), "GTrue.gif": (12, 12),
    "GUbar.gif": (96, 24), "GUbarR.gif": (96, 24), "GUpdate.gif": (24, 24),
    "Gw.gif": (2, 36), "GTab.Gif": (82, 23),
}


def decode(data):
    img = Image.open(io.BytesIO(data))
    img.load()
    return img


def check(width, height, ncolours, pattern, seed, transparent=None):
    rnd = random.Random(seed)
    if pattern == "noise":
        indices = [rnd.randrange(ncolours) for _ in range(width * height)]
    elif pattern == "runs":
        indices = []
        while len(indices) < width * height:
            indices += [rnd.randrange(ncolours)] * rnd.randrange(1, 40)
        indices = indices[:width * height]
    else:
        indices = [(i // 7) % ncolours for i in range(width * height)]
    palette = [((i * 37) % 256, (i * 91) % 256, (i * 13) % 256) for i in range(ncolours)]
    data = gifwrite.encode(width, height, indices, palette, transparent)
    img = decode(data)
    assert img.size == (width, height), (img.size, width, height)
    assert img.mode == "P", img.mode
    got = list(img.getdata())
    assert got == indices, "pixels differ for %dx%d, %d colours, %s" % (
        width, height, ncolours, pattern)
    pal = img.getpalette()[:3 * ncolours]
    assert pal == [c for rgb in palette for c in rgb], "palette differs"
    if transparent is not None:
        assert img.info.get("transparency") == transparent


def test_writer_round_trips():
    cases = 0
    for ncolours in (1, 2, 3, 4, 5, 16, 17, 100, 256):
        for pattern in ("noise", "runs", "stripes"):
            for (w, h) in ((1, 1), (2, 36), (24, 24), (96, 24), (300, 200)):
                check(w, h, ncolours, pattern, seed=cases, transparent=0 if ncolours > 1 else None)
                cases += 1
    return cases


def rgba(name):
    img = Image.open(os.path.join(make_images.IMAGES, name))
    img.load()
    assert img.format == "GIF", name
    return img.convert("RGBA")


def test_committed_set():
    present = set(os.listdir(make_images.IMAGES))
    assert present == set(EXPECTED), "names differ: %s" % sorted(present ^ set(EXPECTED))
    for name, size in sorted(EXPECTED.items()):
        img = rgba(name)
        assert img.size == size, "%s is %s, expected %s" % (name, img.size, size)
    with open(os.path.join(make_images.IMAGES, "GTab.gif"), "rb") as a, \
            open(os.path.join(make_images.IMAGES, "GTab.Gif"), "rb") as b:
        assert a.read() == b.read(), "GTab.gif and GTab.Gif differ"
    assert rgba("Gt.gif").getpixel((0, 0))[3] == 0, "the spacer is not transparent"
    bevel = rgba("GBevel.gif")
    for y in range(bevel.height):
        row = {bevel.getpixel((x, y)) for x in range(bevel.width)}
        assert len(row) == 1, "GBevel.gif row %d is not uniform, so it would not stretch" % y
    strip = rgba("GBevelV.gif")
    for x in range(strip.width):
        col = {strip.getpixel((x, y)) for y in range(strip.height)}
        assert len(col) == 1, "GBevelV.gif column %d is not uniform, so it would not tile" % x
    return len(EXPECTED)


def main():
    cases = test_writer_round_trips()
    print("test_images: %d GIF writer round trips through Pillow passed" % cases)
    files = test_committed_set()
    print("test_images: %d committed files have the expected names and sizes" % files)
    if make_images.check(make_images.generate()) != 0:
        return 1
    print("test_images: all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
