"""Contact sheet of the image set: every file at 3x (nearest neighbour) and 1x
on the button face, with its name, followed by the images in the places the
grid's HTML puts them, at 1x and 2x. Needs Pillow (python3-pil).
"""

import os

from PIL import Image, ImageDraw, ImageFont

FACE = (0xD4, 0xD0, 0xC8)
INK = (0x20, 0x20, 0x20)
SUBTLE = (0x70, 0x6C, 0x64)
SCALE = 3
WIDTH = 1040

GROUPS = [
    ("Edit toolbar", ["GAddRow.gif", "GDelRow.gif", "GUpdate.gif", "GCancel.gif",
                      "GUbar.gif", "GUbarR.gif"]),
    ("Bevel strips", ["GBevel.gif", "GBevelV.gif"]),
    ("Vertical toolbar", ["GSortOff.gif", "GSortOn.gif", "GCheck.gif", "GCheckOff.gif",
                          "GCheckOn.gif", "GRestoreSort.gif"]),
    ("Error box", ["GTab.gif", "Gw.gif", "Gt.gif"]),
    ("Sort buttons", ["GAsc.gif", "GAscA.gif", "GDesc.gif", "GDescA.gif"]),
    ("Markers and booleans", ["GCurrent.gif", "GNone.gif", "GTrue.gif", "GFalse.gif"]),
    ("Toolbars", ["GFirstPage.gif", "GPrevPage.gif", "GNextPage.gif", "GLastPage.gif",
                  "GOk.gif", "GSaveAs.gif", "GPrint.gif", "GSum.gif", "GSA.gif"]),
    ("Preloaded only", ["GPage.gif", "GResult.gif", "Graph.gif"]),
]


def _font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    path = os.path.join("/usr/share/fonts/truetype/dejavu", name)
    try:
        return ImageFont.truetype(path, size)
    except OSError:
        return ImageFont.load_default()


def _load(folder, name):
    img = Image.open(os.path.join(folder, name))
    img.load()
    return img.convert("RGBA")


def _tile(dst, img, box):
    x0, y0, x1, y1 = box
    for y in range(y0, y1, img.height):
        for x in range(x0, x1, img.width):
            piece = img.crop((0, 0, min(img.width, x1 - x), min(img.height, y1 - y)))
            dst.alpha_composite(piece, (x, y))


def _mockup(folder):
    """The images where the HTML places them, at 1x."""
    g = {n: _load(folder, n) for n in os.listdir(folder) if n.endswith((".gif", ".Gif"))}
    im = Image.new("RGBA", (640, 250), FACE + (255,))
    d = ImageDraw.Draw(im)
    small = _font(11)

    # top: the bevel separator at HEIGHT 9, then a paging toolbar
    im.alpha_composite(g["GBevel.gif"].resize((640, 9), Image.NEAREST), (0, 0))
    x = 6
    for n in ("GFirstPage.gif", "GPrevPage.gif"):
        im.alpha_composite(g[n], (x, 12))
        x += 26
    d.text((x + 4, 17), "Page", fill=INK, font=small)
    d.rectangle((x + 36, 15, x + 62, 31), fill=(255, 255, 255), outline=(0x80, 0x80, 0x80))
    d.text((x + 40, 17), "1", fill=INK, font=small)
    d.text((x + 68, 17), "of 12", fill=INK, font=small)
    x += 104
    for n in ("GOk.gif", "GNextPage.gif", "GLastPage.gif"):
        im.alpha_composite(g[n], (x, 12))
        x += 26
    x += 16
    for n in ("GSaveAs.gif", "GPrint.gif", "GSum.gif", "GSA.gif"):
        im.alpha_composite(g[n], (x, 12))
        x += 26
    im.alpha_composite(g["GBevel.gif"].resize((640, 9), Image.NEAREST), (0, 38))

    # vertical toolbar beside a small grid
    _tile(im, g["GBevelV.gif"], (4, 50, 28, 190))
    y = 52
    for n in ("GSortOff.gif", "GCheck.gif", "GCheckOff.gif", "GRestoreSort.gif"):
        im.alpha_composite(g[n], (4, y))
        y += 24
    _tile(im, g["GBevelV.gif"], (32, 50, 56, 190))
    y = 52
    for n in ("GSortOn.gif", "GCheckOn.gif"):
        im.alpha_composite(g[n], (32, y))
        y += 24
    gx = 62
    d.rectangle((gx, 50, gx + 300, 190), fill=(0, 0, 0))
    d.rectangle((gx + 1, 51, gx + 299, 74), fill=FACE)
    d.text((gx + 22, 56), "Name", fill=INK, font=small)
    im.alpha_composite(g["GAscA.gif"], (gx + 110, 57))
    im.alpha_composite(g["GDesc.gif"], (gx + 126, 57))
    d.text((gx + 152, 56), "Done", fill=INK, font=small)
    im.alpha_composite(g["GAsc.gif"], (gx + 250, 57))
    im.alpha_composite(g["GDesc.gif"], (gx + 266, 57))
    rows = [("Ada", True, True), ("Brian", False, False), ("Carla", True, False),
            ("Dmitri", False, False)]
    for k, (name, flag, cur) in enumerate(rows):
        ry = 76 + 28 * k
        d.rectangle((gx + 1, ry, gx + 18, ry + 26), fill=FACE)
        bg = (0xFF, 0xFF, 0xE0) if cur else (0xFF, 0xFF, 0xFF)
        d.rectangle((gx + 19, ry, gx + 299, ry + 26), fill=bg)
        im.alpha_composite(g["GCurrent.gif" if cur else "GNone.gif"], (gx + 4, ry + 7))
        d.text((gx + 24, ry + 7), name, fill=INK, font=small)
        im.alpha_composite(g["GTrue.gif" if flag else "GFalse.gif"], (gx + 160, ry + 7))

    # error box
    ex, ey = 380, 50
    im.alpha_composite(g["GTab.Gif"], (ex, ey))
    for k in range(3):
        im.alpha_composite(g["Gw.gif"], (ex, ey + 23 + 36 * k))
    d.rectangle((ex + 37, ey + 23, ex + 250, ey + 61), fill=(0xFF, 0xFF, 0xE0),
                outline=(0x80, 0x80, 0x80))
    d.text((ex + 42, ey + 28), "UPDATE FAILED: RECORD CHANGED", fill=(255, 0, 0),
           font=_font(11, True))

    # edit toolbar: bevel tile behind both button groups
    top = 200
    _tile(im, g["GBevel.gif"], (0, top, 640, top + 28))
    x = 0
    im.alpha_composite(g["GUbar.gif"], (x, top + 2))
    x += 96
    for n in ("GAddRow.gif", "GDelRow.gif", "GUpdate.gif", "GCancel.gif"):
        im.alpha_composite(g[n], (x, top + 2))
        x += 24
    x = 640 - 96 - 96
    for n in ("GAddRow.gif", "GDelRow.gif", "GUpdate.gif", "GCancel.gif"):
        im.alpha_composite(g[n], (x, top + 2))
        x += 24
    im.alpha_composite(g["GUbarR.gif"], (x, top + 2))
    return im


def write(folder, names, path):
    """Renders the sheet of the files names (in folder) to path as PNG."""
    title, label = _font(15, True), _font(11)
    cells = []
    for group, members in GROUPS:
        cells.append(("group", group))
        for n in members:
            cells.append(("image", n))
    missing = set(names) - {n for _, members in GROUPS for n in members}
    if missing:
        raise ValueError("contact sheet: images without a group: %s" % sorted(missing))

    # layout pass, then draw pass
    def layout(draw):
        x, y, row_h = 16, 16, 0
        for kind, value in cells:
            if kind == "group":
                if x > 16:
                    y += row_h + 14
                x, row_h = 16, 0
                if draw:
                    draw.text((x, y), value, fill=INK, font=title)
                y += 24
                continue
            img = _load(folder, value)
            w3, h3 = img.width * SCALE, img.height * SCALE
            cell_w = max(w3 + 8 + img.width, 96) + 18
            cell_h = max(h3, 12) + 20
            if x + cell_w > WIDTH - 16:
                x, y, row_h = 16, y + row_h + 8, 0
            if draw is not None:
                big = img.resize((w3, h3), Image.NEAREST)
                sheet.alpha_composite(big, (x, y))
                sheet.alpha_composite(img, (x + w3 + 8, y))
                draw.text((x, y + max(h3, 12) + 4), value, fill=SUBTLE, font=label)
            x += cell_w
            row_h = max(row_h, cell_h)
        return y + row_h + 16

    height = layout(None)
    mock = _mockup(folder)
    total_h = height + 30 + mock.height + 16 + mock.height * 2 + 16
    sheet = Image.new("RGBA", (WIDTH, total_h), FACE + (255,))
    draw = ImageDraw.Draw(sheet)
    layout(draw)
    y = height
    draw.text((16, y), "In place, 1x", fill=INK, font=title)
    sheet.alpha_composite(mock, (16, y + 26))
    y += 26 + mock.height + 16
    draw.text((16, y), "In place, 2x (detail)", fill=INK, font=title)
    crop = mock.crop((0, 0, (WIDTH - 32) // 2, mock.height))
    sheet.alpha_composite(crop.resize((crop.width * 2, crop.height * 2), Image.NEAREST),
                          (16, y + 26))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    sheet.convert("RGB").save(path, optimize=True)
