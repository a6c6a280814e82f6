#!/usr/bin/python3
"""Tests of the image set, read back with Pillow as an independent GIF reader:
the GIF writer round-trips every palette size class, images long enough to
fill the code table (clear codes mid-stream), runs, noise and the transparent
index; every committed file decodes at the size of its entry in the set, the
spacer is clear and the bevel strips stretch and tile; the committed files
equal a fresh generation (as make_images.py --check).
Run: tools/test_images.py (needs python3-pil); exits 77 without Pillow.
"""
import io
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gifwrite  # noqa: E402
import iconset  # noqa: E402
import make_images  # noqa: E402


def main():
    try:
        from PIL import Image
    except ImportError:
        print("SKIPPED: python3-pil is not installed")
        return 77
    cases = 0
    for ncolours in (1, 2, 3, 4, 5, 16, 17, 100, 256):
        palette = [((i * 37) % 256, (i * 91) % 256, (i * 13) % 256) for i in range(ncolours)]
        for pattern in ("noise", "runs", "stripes"):
            for width, height in ((1, 1), (2, 36), (24, 24), (96, 24), (300, 200)):
                rnd, n, indices = random.Random(cases), width * height, []
                while len(indices) < n:  # runs, or single pixels of noise, or stripes
                    indices += [rnd.randrange(ncolours) if pattern != "stripes" else len(indices) // 7 % ncolours] * (
                        rnd.randrange(1, 40) if pattern == "runs" else 1)
                indices = indices[:n]
                transparent = 0 if ncolours > 1 else None
                img = Image.open(io.BytesIO(gifwrite.encode(width, height, indices, palette, transparent)))
                assert (img.size, img.mode, list(img.getdata())) == ((width, height), "P", indices), \
                    "pixels differ for %dx%d, %d colours, %s" % (width, height, ncolours, pattern)
                assert img.getpalette()[:3 * ncolours] == [c for rgb in palette for c in rgb]
                assert img.info.get("transparency") == transparent
                cases += 1
    sizes = {name: (w, h) for name, w, h, _ in iconset.ICONS}
    sizes.update({alias: sizes[name] for alias, name in iconset.ALIASES.items()})
    images = {}
    for name in os.listdir(make_images.IMAGES):
        images[name] = Image.open(os.path.join(make_images.IMAGES, name))
        assert (images[name].format, images[name].size) == ("GIF", sizes.get(name)), name
        images[name] = images[name].convert("RGBA")
    assert images["Gt.gif"].getpixel((0, 0))[3] == 0, "the spacer is not transparent"
    bevel, strip = images["GBevel.gif"], images["GBevelV.gif"]
    assert all(len({bevel.getpixel((x, y)) for x in range(bevel.width)}) == 1 for y in range(bevel.height)), \
        "a GBevel.gif row is not uniform, so it would not stretch"
    assert all(len({strip.getpixel((x, y)) for y in range(strip.height)}) == 1 for x in range(strip.width)), \
        "a GBevelV.gif column is not uniform, so it would not tile"
    print("test_images: %d GIF round trips through Pillow, %d files decoded" % (cases, len(images)))
    return make_images.check(make_images.generate())


if __name__ == "__main__":
    sys.exit(main())
