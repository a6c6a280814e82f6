"""The grid's image set: one drawing function per file.

Style: flat shapes with a soft top-to-bottom gradient and a 1 px outline in
the darker shade of the same hue, 2 px strokes for glyph lines, a 20 x 20
live area inside the 24 x 24 toolbar buttons, and round "badges" (plus,
minus, check, cross) in the lower right corner of the object they act on.
Anti-aliased edges are composited onto the button face #D4D0C8; everything
outside the drawing is transparent.
"""

from raster import Canvas, Circle, Poly, Rect, RoundRect, Stroke, inset, rounded_poly, vgrad

FACE = "#D4D0C8"          # classic button face, the default grid background

# The palette: three shades per hue (light, base, dark/outline) and neutrals.
BLUE_L, BLUE, BLUE_D = "#74AEEC", "#2F74C8", "#1C4C8C"
GREEN_L, GREEN, GREEN_D = "#74C874", "#2F9A3F", "#1D6A2A"
RED_L, RED, RED_D = "#F0776B", "#D23B2F", "#8E221B"
AMBER_L, AMBER, AMBER_D = "#FFD969", "#F2A51A", "#A56800"
WHITE, PAPER = "#FFFFFF", "#F4F5F7"
LINE = "#C3CCD8"          # table rules, text lines on paper
OUTLINE = "#5F6B7A"       # outline of paper, tables and devices
METAL_L, METAL = "#F2F2F0", "#B3B5B8"
INK = "#2E3A4B"           # math glyphs
MUTED_L, MUTED, MUTED_D = "#C2BEB6", "#9E9A92", "#77736B"   # disabled / faint glyphs
HILITE, SHADOW = "#FFFFF7", "#A29E96"  # bevel shades on the face colour


# ------------------------------------------------------------ building blocks

def outlined(c, shape_outer, shape_inner, light, base, dark, y0, y1):
    """Outer shape in the dark shade, inner shape with a light-to-base gradient."""
    c.fill(shape_outer, dark)
    c.fill(shape_inner, vgrad(y0, light, y1, base))


def outlined_poly(c, points, light, base, dark, y0=None, y1=None):
    """Polygon with a 1 px outline outside its edges."""
    ys = [p[1] for p in points]
    y0 = min(ys) if y0 is None else y0
    y1 = max(ys) if y1 is None else y1
    c.fill(rounded_poly(points, 1.0), dark)
    c.fill(Poly(points), vgrad(y0, light, y1, base))


def badge(c, cx, cy, light, base, dark, r=6.0):
    """Round badge with a transparent 1 px gap around it."""
    c.erase(Circle(cx, cy, r + 1.0))
    c.fill(Circle(cx, cy, r), dark)
    c.fill(Circle(cx, cy, r - 1.0), vgrad(cy - r, light, cy + r, base))


def glyph_plus(c, cx, cy, arm=3, colour=WHITE):
    c.fill(Rect(cx - 1, cy - arm - 1, cx + 1, cy + arm + 1), colour)
    c.fill(Rect(cx - arm - 1, cy - 1, cx + arm + 1, cy + 1), colour)


def glyph_minus(c, cx, cy, arm=3, colour=WHITE):
    c.fill(Rect(cx - arm - 1, cy - 1, cx + arm + 1, cy + 1), colour)


def glyph_check(c, cx, cy, size=1.0, colour=WHITE, width=2.0):
    pts = [(cx - 3.2 * size, cy + 0.1 * size), (cx - 0.9 * size, cy + 2.4 * size),
           (cx + 3.4 * size, cy - 2.6 * size)]
    c.fill(Stroke(pts, width), colour)


def glyph_cross(c, cx, cy, arm=2.6, colour=WHITE, width=2.0):
    c.fill(Stroke([(cx - arm, cy - arm), (cx + arm, cy + arm)], width)
           | Stroke([(cx + arm, cy - arm), (cx - arm, cy + arm)], width), colour)


def table(c, x0, y0, x1, y1, cols=(), rows=(), header=4, fill_cols=(), fill_rows=(),
          tint="#D5E6FA", head=(BLUE_L, BLUE)):
    """A sheet with a coloured header band, light rules and optional tinted cells.

    cols / rows: x / y positions of the 1 px rules; fill_cols / fill_rows:
    (a, b) ranges to tint below the header.
    """
    c.fill(Rect(x0, y0, x1, y1), OUTLINE)
    c.fill(Rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1), WHITE)
    top = y0 + 1 + header
    for a, b in fill_cols:
        c.fill(Rect(a, top, b, y1 - 1), tint)
    for a, b in fill_rows:
        c.fill(Rect(x0 + 1, a, x1 - 1, b), tint)
    for y in rows:
        c.fill(Rect(x0 + 1, y, x1 - 1, y + 1), LINE)
    for x in cols:
        c.fill(Rect(x, top, x + 1, y1 - 1), LINE)
    c.fill(Rect(x0 + 1, y0 + 1, x1 - 1, top), vgrad(y0 + 1, head[0], top, head[1]))


def arrow_tri(c, tip_x, cy, half, depth, colours=(BLUE_L, BLUE, BLUE_D)):
    """Filled navigation triangle pointing left (depth < 0) or right (depth > 0)."""
    base_x = tip_x - depth
    if depth > 0:
        pts = [(base_x, cy - half), (tip_x, cy), (base_x, cy + half)]
    else:
        pts = [(base_x, cy + half), (tip_x, cy), (base_x, cy - half)]
    outlined_poly(c, pts, *colours, y0=cy - half, y1=cy + half)


def nav_bar(c, x0, cy, half, colours=(BLUE_L, BLUE, BLUE_D)):
    light, base, dark = colours
    outlined(c, RoundRect(x0 - 1, cy - half - 1, x0 + 3, cy + half + 1, 1.0),
             Rect(x0, cy - half, x0 + 2, cy + half), light, base, dark, cy - half, cy + half)


# ------------------------------------------------------------ edit toolbar

def add_row(c):
    table(c, 2, 3, 20, 19, cols=(8, 14), rows=(12, 15), fill_rows=((16, 18),), tint="#D7F0D7")
    badge(c, 17.5, 17.5, GREEN_L, GREEN, GREEN_D, r=5.5)
    glyph_plus(c, 17.5, 17.5, arm=2.5)


def del_row(c):
    table(c, 2, 3, 20, 19, cols=(8, 14), rows=(12, 15), fill_rows=((13, 15),), tint="#FADAD6")
    badge(c, 17.5, 17.5, RED_L, RED, RED_D, r=5.5)
    glyph_minus(c, 17.5, 17.5, arm=2.5)


def disk(c, x0, y0, size):
    """Floppy disk with its top-left corner at (x0, y0)."""
    x1, y1 = x0 + size, y0 + size
    body = [(x0, y0), (x1 - 3, y0), (x1, y0 + 3), (x1, y1), (x0, y1)]
    c.fill(rounded_poly(inset(body, 0.0), 1.0), BLUE_D)
    c.fill(Poly(body), vgrad(y0, BLUE_L, y1, BLUE))
    c.fill(Rect(x0 + 3, y0, x1 - 5, y0 + 5), METAL_L)       # shutter
    c.fill(Rect(x1 - 8, y0 + 1, x1 - 6, y0 + 4), "#6E7C8E")  # shutter slot
    c.fill(Rect(x0 + 2, y0 + 8, x1 - 2, y1), WHITE)          # label
    c.fill(Rect(x0 + 4, y0 + 10, x1 - 4, y0 + 11), LINE)
    c.fill(Rect(x0 + 4, y0 + 12, x1 - 4, y0 + 13), LINE)


def update(c):
    disk(c, 2, 2, 17)
    badge(c, 17.5, 17.5, GREEN_L, GREEN, GREEN_D, r=5.5)
    glyph_check(c, 17.5, 17.6, size=0.85, width=1.8)


def cancel(c):
    outlined(c, Circle(12, 12, 9), Circle(12, 12, 8), RED_L, RED, RED_D, 3, 21)
    glyph_cross(c, 12, 12, arm=3.6, width=2.4)


def pencil(c, x, y):
    """Amber pencil pointing down-left, in a 14 x 14 box at (x, y)."""
    k = 1.5   # half the body width along each axis of the 45 degree normal
    b0, b1 = (x + 4.5, y + 9.5), (x + 11.5, y + 2.5)
    body = [(b0[0] - k, b0[1] - k), (b1[0] - k, b1[1] - k), (b1[0] + k, b1[1] + k),
            (b0[0] + k, b0[1] + k)]
    tip = [(b0[0] - k, b0[1] - k), (b0[0] + k, b0[1] + k), (x + 1.0, y + 13.0)]
    c.fill(rounded_poly(body + [tip[2]], 1.0), "#173F73")
    c.fill(Poly(body), AMBER)
    c.fill(Poly([body[0], body[1], (b1[0], b1[1]), (b0[0], b0[1])]), AMBER_L)
    c.fill(Poly(tip), "#F7E6C4")
    c.fill(Poly([(x + 1.0, y + 13.0), (x + 1.9, y + 10.6), (x + 3.4, y + 12.1)]), INK)
    c.fill(Poly([(b1[0] - k, b1[1] - k), (b1[0] + 0.9 - k, b1[1] - 0.9 - k),
                 (b1[0] + 0.9 + k, b1[1] - 0.9 + k), (b1[0] + k, b1[1] + k)]), METAL_L)


def bar_end(c, right=False):
    """End of the edit bar: a raised panel with a blue cap carrying a pencil.
    The right end mirrors the left one; the pencil keeps its direction."""
    w = c.w
    panel = Canvas(w, c.h)
    shape = RoundRect(0, 1, w + 8, 23, 5.0) & Rect(0, 0, w, 24)
    inner = RoundRect(1, 2, w + 8, 22, 4.0) & Rect(0, 0, w, 24)
    panel.fill(shape, MUTED_D)
    panel.fill(inner, vgrad(2, "#FBFAF6", 22, "#C3BFB6"))
    panel.fill(Rect(4, 2, w, 3), WHITE, 0.9)
    cap = RoundRect(1, 2, 23, 22, 4.0)
    panel.fill(cap, vgrad(2, BLUE_L, 22, BLUE))
    panel.fill(Rect(22, 2, 23, 22), BLUE_D, 0.7)
    panel.fill(Rect(4, 2, 21, 3), WHITE, 0.35)
    c.px = panel.mirrored().px if right else panel.px
    for gx in ((w - 32, w - 29) if right else (27, 30)):   # grip: embossed dots
        for gy in range(6, 19, 3):
            c.pixel(gx + 1, gy + 1, WHITE)
            c.pixel(gx, gy, MUTED_D)
    pencil(c, w - 22 if right else 4, 5)


def bevel(c):
    """Separator and tile: a light line over a dark line, transparent elsewhere."""
    c.fill(Rect(0, 4, c.w, 5), HILITE)
    c.fill(Rect(0, 5, c.w, 6), SHADOW)


def bevel_v(c):
    """Background of the vertical toolbar: light left edge, dark right edge."""
    c.fill(Rect(0, 0, 1, c.h), HILITE)
    c.fill(Rect(c.w - 1, 0, c.w, c.h), SHADOW)


# ------------------------------------------------------------ vertical toolbar

def sort_arrows(c, colours, dx=0):
    light, base, dark = colours
    up = [(7 + dx, 3), (12 + dx, 9), (9 + dx, 9), (9 + dx, 20), (5 + dx, 20), (5 + dx, 9), (2 + dx, 9)]
    dn = [(17 + dx, 21), (12 + dx, 15), (15 + dx, 15), (15 + dx, 4), (19 + dx, 4), (19 + dx, 15),
          (22 + dx, 15)]
    outlined_poly(c, up, light, base, dark)
    outlined_poly(c, dn, light, base, dark)


def sort_on(c):
    sort_arrows(c, (BLUE_L, BLUE, BLUE_D))


def sort_off(c):
    sort_arrows(c, (MUTED_L, MUTED, MUTED_D))
    c.erase(Stroke([(3.5, 20.5), (20.5, 3.5)], 5.0))
    c.fill(Stroke([(4, 20), (20, 4)], 2.6), RED)


def restore_sort(c):
    for k, (w, colour) in enumerate(((16, BLUE), (12, BLUE), (8, BLUE))):
        y = 4 + 5 * k
        c.fill(Rect(2, y, 2 + w + 2, y + 4), BLUE_D)
        c.fill(Rect(3, y + 1, 2 + w + 1, y + 3), vgrad(y, BLUE_L, y + 4, colour))
    badge(c, 17.5, 17.5, RED_L, RED, RED_D, r=5.5)
    glyph_cross(c, 17.5, 17.5, arm=2.2, width=1.9)


def columns(c, fill_cols=()):
    table(c, 2, 3, 22, 21, cols=(8, 15), rows=(), fill_cols=fill_cols)


def check_on(c):
    columns(c)
    c.erase(RoundRect(10, 10, 24, 24, 3.0))
    c.fill(RoundRect(11, 11, 23, 23, 2.5), BLUE_D)
    c.fill(RoundRect(12, 12, 22, 22, 1.5), WHITE)
    glyph_check(c, 17.0, 16.8, size=0.9, colour=BLUE, width=2.0)


def check_do(c):
    columns(c, fill_cols=((9, 15),))
    badge(c, 17.5, 17.5, GREEN_L, GREEN, GREEN_D, r=5.5)
    glyph_check(c, 17.5, 17.6, size=0.85, width=1.8)


def check_off(c):
    columns(c, fill_cols=((3, 8), (9, 15), (16, 21)))
    badge(c, 17.5, 17.5, BLUE_L, BLUE, BLUE_D, r=5.5)
    c.fill(Rect(15, 17, 20, 18), WHITE)
    c.fill(Poly([(12.6, 17.5), (15.6, 14.5), (15.6, 20.5)]), WHITE)
    c.fill(Poly([(22.4, 17.5), (19.4, 20.5), (19.4, 14.5)]), WHITE)


# ------------------------------------------------------------ error box

ERROR_FONT = {
    "E": ["######", "######", "##....", "##....", "#####.", "#####.", "##....", "##....",
          "######", "######"],
    "r": ["##.##", "#####", "###..", "##...", "##...", "##...", "##..."],
    "o": ["+####+", "##..##", "##..##", "##..##", "##..##", "##..##", "+####+"],
}


def tab(c):
    w, h = c.w, c.h
    outer = RoundRect(0, 0, w, h + 6, 4.0) & Rect(0, 0, w, h)
    inner = RoundRect(1, 1, w - 1, h + 6, 3.0) & Rect(0, 0, w, h)
    c.fill(outer, RED_D)
    c.fill(inner, vgrad(1, RED_L, h, RED))
    # warning sign and the word, centred as one group
    words = sum(len(ERROR_FONT[ch][0]) + 1 for ch in "Error") - 1
    left = (w - (15 + 6 + words)) // 2
    tri = [(left + 7.0, 4.5), (left + 13.5, 16.5), (left + 0.5, 16.5)]
    c.fill(rounded_poly(tri, 1.2), WHITE)
    c.fill(Rect(left + 6, 8, left + 8, 13), RED_D)
    c.fill(Rect(left + 6, 14, left + 8, 16), RED_D)
    for dx, colours in ((1, {"#": (RED_D, 0.5)}), (0, {"#": WHITE, "+": (WHITE, 0.55)})):
        x = left + 21
        for ch in "Error":
            rows = ERROR_FONT[ch]
            c.bitmap(x + dx, (6 if ch == "E" else 9) + dx, rows, colours)
            x += len(rows[0]) + 1


def edge(c):
    c.fill(Rect(0, 0, 1, c.h), RED_D)
    c.fill(Rect(1, 0, 2, c.h), RED)


def spacer(c):
    pass


# ------------------------------------------------------------ sort buttons

def sort_glyph(c, up, active):
    if active:
        c.fill(RoundRect(0, 0, 16, 12, 3.0), "#7EA6D8")
        c.fill(RoundRect(1, 1, 15, 11, 2.0), vgrad(1, "#F2F7FD", 11, "#CFE1F6"))
        colours = (BLUE_L, BLUE, BLUE_D)
    else:
        colours = (MUTED_L, MUTED, MUTED_D)
    if up:
        pts = [(8.0, 3.0), (12.0, 8.0), (4.0, 8.0)]
    else:
        pts = [(4.0, 4.0), (12.0, 4.0), (8.0, 9.0)]
    light, base, dark = colours
    c.fill(rounded_poly(pts, 0.9), dark)
    c.fill(Poly(inset(pts, -0.1)), vgrad(3, light, 9, base))


# ------------------------------------------------------------ markers, booleans

def current(c):
    pts = [(3.5, 1.5), (9.5, 6.0), (3.5, 10.5)]
    c.fill(rounded_poly(pts, 0.8), BLUE_D)
    c.fill(Poly(inset(pts, 0.2)), vgrad(1.5, BLUE_L, 10.5, BLUE))


def none_marker(c):
    pts = [(4.0, 3.0), (8.5, 6.0), (4.0, 9.0)]
    c.fill(rounded_poly(pts, 0.8), "#B2AEA6")
    c.fill(Poly(inset(pts, 0.9)), FACE)


def bool_box(c, value):
    if value:
        c.fill(RoundRect(0, 0, 12, 12, 1.5), BLUE_D)
        c.fill(RoundRect(1, 1, 11, 11, 1.0), vgrad(1, BLUE_L, 11, BLUE))
        glyph_check(c, 5.8, 6.0, size=0.9, width=1.9)
    else:
        c.fill(RoundRect(0, 0, 12, 12, 1.5), "#7D8796")
        c.fill(RoundRect(1, 1, 11, 11, 1.0), vgrad(1, "#E9ECF0", 11, WHITE))


# ------------------------------------------------------------ toolbars

def first_page(c):
    nav_bar(c, 5, 12, 7)
    arrow_tri(c, 9.5, 12, 7, -9)


def prev_page(c):
    arrow_tri(c, 7.0, 12, 7, -9)


def next_page(c):
    arrow_tri(c, 17.0, 12, 7, 9)


def last_page(c):
    nav_bar(c, 17, 12, 7)
    arrow_tri(c, 14.5, 12, 7, 9)


def ok(c):
    outlined(c, Circle(12, 12, 9), Circle(12, 12, 8), GREEN_L, GREEN, GREEN_D, 3, 21)
    glyph_check(c, 11.6, 12.4, size=1.45, width=2.6)


def save_as(c):
    tray = Rect(2, 13, 22, 22) & ~Rect(5, 13, 19, 19)
    c.fill(tray, OUTLINE)
    c.fill(Rect(3, 14, 4, 21) | Rect(3, 20, 21, 21) | Rect(20, 14, 21, 21), METAL)
    arrow = [(10, 2), (14, 2), (14, 9), (18, 9), (12, 16), (6, 9), (10, 9)]
    outlined_poly(c, arrow, BLUE_L, BLUE, BLUE_D)


def printer(c):
    c.fill(Rect(6, 2, 18, 10), OUTLINE)
    c.fill(Rect(7, 3, 17, 10), WHITE)
    outlined(c, RoundRect(2, 8, 22, 19, 2.0), RoundRect(3, 9, 21, 18, 1.0),
             METAL_L, METAL, OUTLINE, 9, 18)
    c.fill(Rect(5, 15, 19, 16), OUTLINE)
    c.fill(Rect(6, 14, 18, 22), OUTLINE)
    c.fill(Rect(7, 15, 17, 21), WHITE)
    c.fill(Rect(8, 17, 16, 18), LINE)
    c.fill(Rect(8, 19, 14, 20), LINE)
    c.fill(Rect(17, 11, 19, 12), GREEN)


def sigma(c):
    c.fill(Poly([(6, 4), (18, 4), (18, 8), (16.2, 8), (16.2, 6.2), (9.6, 6.2), (14.2, 12),
                 (9.6, 17.8), (16.2, 17.8), (16.2, 16), (18, 16), (18, 20), (6, 20), (6, 19),
                 (11.4, 12), (6, 5)]), INK)


def mean(c):
    c.fill(Rect(6, 4, 18, 6), INK)
    c.fill(Stroke([(7.5, 9.5), (16.5, 19.5)], 2.4) | Stroke([(16.5, 9.5), (7.5, 19.5)], 2.4), INK)


# ------------------------------------------------------------ preloaded only

def page(c):
    body = [(5, 2), (15, 2), (20, 7), (20, 22), (5, 22)]
    c.fill(Poly([(4, 1), (15.4, 1), (21, 6.6), (21, 23), (4, 23)]), OUTLINE)
    c.fill(Poly(body), PAPER)
    c.fill(Poly([(15, 2), (15, 7), (20, 7)]), "#D3D9E2")
    c.fill(Rect(15, 7, 20, 8), OUTLINE)
    c.fill(Rect(14, 2, 15, 8), OUTLINE)
    for y in (11, 14, 17):
        c.fill(Rect(8, y, 17, y + 1), LINE)
    c.fill(Rect(8, 20, 13, 21), LINE)


def result(c):
    table(c, 2, 3, 22, 21, cols=(8, 15), rows=(12, 16))


def graph(c):
    c.fill(Rect(3, 3, 4, 21), OUTLINE)
    c.fill(Rect(3, 20, 22, 21), OUTLINE)
    for x0, top, colours in ((6, 12, (BLUE_L, BLUE, BLUE_D)), (11, 6, (GREEN_L, GREEN, GREEN_D)),
                             (16, 9, (AMBER_L, AMBER, AMBER_D))):
        light, base, dark = colours
        outlined(c, Rect(x0, top, x0 + 5, 20), Rect(x0 + 1, top + 1, x0 + 4, 20),
                 light, base, dark, top, 20)


# ------------------------------------------------------------ the set

# (file name, width, height, drawing function), in the preloading order
ICONS = [
    ("GAddRow.gif", 24, 24, add_row),
    ("GAsc.gif", 16, 12, lambda c: sort_glyph(c, True, False)),
    ("GAscA.gif", 16, 12, lambda c: sort_glyph(c, True, True)),
    ("GBevel.gif", 8, 9, bevel),
    ("GBevelV.gif", 24, 8, bevel_v),
    ("GCancel.gif", 24, 24, cancel),
    ("GCheck.gif", 24, 24, check_do),
    ("GCheckOff.gif", 24, 24, check_off),
    ("GCheckOn.gif", 24, 24, check_on),
    ("GCurrent.gif", 12, 12, current),
    ("GDelRow.gif", 24, 24, del_row),
    ("GDesc.gif", 16, 12, lambda c: sort_glyph(c, False, False)),
    ("GDescA.gif", 16, 12, lambda c: sort_glyph(c, False, True)),
    ("GFalse.gif", 12, 12, lambda c: bool_box(c, False)),
    ("GFirstPage.gif", 24, 24, first_page),
    ("GResult.gif", 24, 24, result),
    ("Graph.gif", 24, 24, graph),
    ("GLastPage.gif", 24, 24, last_page),
    ("GNextPage.gif", 24, 24, next_page),
    ("GNone.gif", 12, 12, none_marker),
    ("GOk.gif", 24, 24, ok),
    ("GPage.gif", 24, 24, page),
    ("GPrevPage.gif", 24, 24, prev_page),
    ("GPrint.gif", 24, 24, printer),
    ("GRestoreSort.gif", 24, 24, restore_sort),
    ("GSA.gif", 24, 24, mean),
    ("GSaveAs.gif", 24, 24, save_as),
    ("GSortOff.gif", 24, 24, sort_off),
    ("GSortOn.gif", 24, 24, sort_on),
    ("GSum.gif", 24, 24, sigma),
    ("Gt.gif", 1, 1, spacer),
    ("GTab.gif", 82, 23, tab),
    ("GTrue.gif", 12, 12, lambda c: bool_box(c, True)),
    ("GUbar.gif", 96, 24, bar_end),
    ("GUbarR.gif", 96, 24, lambda c: bar_end(c, right=True)),
    ("GUpdate.gif", 24, 24, update),
    ("Gw.gif", 2, 36, edge),
]

# Second names for the same bytes.
ALIASES = {"GTab.Gif": "GTab.gif"}
