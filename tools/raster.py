"""A tiny deterministic rasteriser for the icon set.

Shapes are point-in-shape predicates in pixel coordinates: pixel (i, j)
covers the square [i, i+1) x [j, j+1). A shape is painted with a coverage
found by sampling an 8 x 8 grid inside each pixel, so edges on whole pixels
stay crisp and slanted or round edges get 65 levels of anti-aliasing.

Only +, -, *, / and sqrt are used on floats (all exactly rounded in IEEE
arithmetic), never trigonometry from the C library, so every run on every
machine gives the same pixels.
"""

from math import sqrt

SAMPLES = 8
_OFFSETS = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]


def rgb(text):
    """'#RRGGBB' -> (r, g, b)."""
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


def mix(a, b, t):
    """Colour between a (t=0) and b (t=1)."""
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(3))


# ---------------------------------------------------------------- shapes

class Shape:
    """A set of points with a bounding box (x0, y0, x1, y1)."""
    bbox = (0.0, 0.0, 0.0, 0.0)

    def contains(self, x, y):
        raise NotImplementedError

    def __or__(self, other):
        return Union(self, other)

    def __and__(self, other):
        return Inter(self, other)

    def __invert__(self):
        return Complement(self)


class Rect(Shape):
    def __init__(self, x0, y0, x1, y1):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.bbox = (x0, y0, x1, y1)

    def contains(self, x, y):
        return self.x0 <= x < self.x1 and self.y0 <= y < self.y1


class RoundRect(Shape):
    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r
        self.bbox = (x0, y0, x1, y1)

    def contains(self, x, y):
        if not (self.x0 <= x < self.x1 and self.y0 <= y < self.y1):
            return False
        r = self.r
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def contains(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r * self.r


class Poly(Shape):
    """Polygon, non-zero winding rule."""

    def __init__(self, points):
        self.points = list(points)
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        self.bbox = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        winding = 0
        pts = self.points
        n = len(pts)
        for k in range(n):
            x0, y0 = pts[k]
            x1, y1 = pts[(k + 1) % n]
            if y0 <= y:
                if y1 > y and (x1 - x0) * (y - y0) - (x - x0) * (y1 - y0) > 0:
                    winding += 1
            elif y1 <= y and (x1 - x0) * (y - y0) - (x - x0) * (y1 - y0) < 0:
                winding -= 1
        return winding != 0


def _seg_dist2(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    len2 = dx * dx + dy * dy
    t = 0.0 if len2 == 0 else ((x - ax) * dx + (y - ay) * dy) / len2
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    px, py = ax + t * dx - x, ay + t * dy - y
    return px * px + py * py


class Stroke(Shape):
    """Polyline of the given width with round caps and joins."""

    def __init__(self, points, width, closed=False):
        self.points = list(points)
        if closed:
            self.points.append(self.points[0])
        self.h2 = (width / 2.0) ** 2
        h = width / 2.0
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        self.bbox = (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h)

    def contains(self, x, y):
        pts = self.points
        if len(pts) == 1:
            return (x - pts[0][0]) ** 2 + (y - pts[0][1]) ** 2 <= self.h2
        for k in range(len(pts) - 1):
            if _seg_dist2(x, y, pts[k][0], pts[k][1], pts[k + 1][0], pts[k + 1][1]) <= self.h2:
                return True
        return False


class Union(Shape):
    def __init__(self, *shapes):
        self.shapes = shapes
        self.bbox = (min(s.bbox[0] for s in shapes), min(s.bbox[1] for s in shapes),
                     max(s.bbox[2] for s in shapes), max(s.bbox[3] for s in shapes))

    def contains(self, x, y):
        return any(s.contains(x, y) for s in self.shapes)


class Inter(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = (max(a.bbox[0], b.bbox[0]), max(a.bbox[1], b.bbox[1]),
                     min(a.bbox[2], b.bbox[2]), min(a.bbox[3], b.bbox[3]))

    def contains(self, x, y):
        return self.a.contains(x, y) and self.b.contains(x, y)


class Complement(Shape):
    """Everything outside a shape; only useful intersected with another shape."""

    def __init__(self, shape):
        self.shape = shape
        self.bbox = (-1e9, -1e9, 1e9, 1e9)

    def contains(self, x, y):
        return not self.shape.contains(x, y)


def rounded_poly(points, r):
    """Convex polygon grown outwards by r with round corners."""
    return Union(Poly(points), Stroke(points, 2 * r, closed=True))


def inset(points, d):
    """Convex polygon (clockwise on screen) with every edge moved inwards by d."""
    n = len(points)
    lines = []
    for k in range(n):
        (x0, y0), (x1, y1) = points[k], points[(k + 1) % n]
        dx, dy = x1 - x0, y1 - y0
        length = sqrt(dx * dx + dy * dy)
        nx, ny = -dy / length, dx / length
        lines.append((x0 + nx * d, y0 + ny * d, dx, dy))
    out = []
    for k in range(n):
        ax, ay, adx, ady = lines[k - 1]
        bx, by, bdx, bdy = lines[k]
        den = adx * bdy - ady * bdx
        t = ((bx - ax) * bdy - (by - ay) * bdx) / den
        out.append((ax + adx * t, ay + ady * t))
    return out


# ---------------------------------------------------------------- paints

def vgrad(y0, c0, y1, c1):
    """Vertical gradient from colour c0 at y0 to c1 at y1."""
    c0 = rgb(c0) if isinstance(c0, str) else c0
    c1 = rgb(c1) if isinstance(c1, str) else c1

    def paint(x, y):
        t = (y - y0) / (y1 - y0)
        t = 0.0 if t < 0 else 1.0 if t > 1 else t
        return mix(c0, c1, t)
    return paint


# ---------------------------------------------------------------- canvas

class Canvas:
    """RGBA image with premultiplied float channels, transparent at start."""

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def _span(self, shape):
        x0, y0, x1, y1 = shape.bbox
        return (max(0, int(x0) - 1), max(0, int(y0) - 1),
                min(self.w, int(x1) + 2), min(self.h, int(y1) + 2))

    def coverage(self, shape, i, j):
        hits = 0
        for oy in _OFFSETS:
            for ox in _OFFSETS:
                if shape.contains(i + ox, j + oy):
                    hits += 1
        return hits / (SAMPLES * SAMPLES)

    def fill(self, shape, paint, opacity=1.0):
        """Paints shape over the image with a colour ('#RRGGBB', tuple or paint function)."""
        if isinstance(paint, str):
            paint = rgb(paint)
        const = None if callable(paint) else paint
        x0, y0, x1, y1 = self._span(shape)
        for j in range(y0, y1):
            for i in range(x0, x1):
                cov = self.coverage(shape, i, j)
                if cov == 0:
                    continue
                a = cov * opacity
                c = const if const is not None else paint(i + 0.5, j + 0.5)
                p = self.px[j * self.w + i]
                keep = 1.0 - a
                p[0] = c[0] * a + p[0] * keep
                p[1] = c[1] * a + p[1] * keep
                p[2] = c[2] * a + p[2] * keep
                p[3] = a + p[3] * keep

    def erase(self, shape):
        """Makes the image transparent inside shape (a gap around an overlay)."""
        x0, y0, x1, y1 = self._span(shape)
        for j in range(y0, y1):
            for i in range(x0, x1):
                cov = self.coverage(shape, i, j)
                if cov:
                    p = self.px[j * self.w + i]
                    for k in range(4):
                        p[k] *= 1.0 - cov

    def pixel(self, i, j, colour, opacity=1.0):
        """Sets one pixel (pixel-art details)."""
        self.fill(Rect(i, j, i + 1, j + 1), colour, opacity)

    def bitmap(self, x, y, rows, colours):
        """Draws a character map. colours maps a character to a colour or to a
        (colour, opacity) pair; other characters are left untouched."""
        for dj, row in enumerate(rows):
            for di, ch in enumerate(row):
                entry = colours.get(ch)
                if entry is None:
                    continue
                if isinstance(entry, tuple) and len(entry) == 2:
                    self.pixel(x + di, y + dj, entry[0], entry[1])
                else:
                    self.pixel(x + di, y + dj, entry)

    def mirrored(self):
        out = Canvas(self.w, self.h)
        for j in range(self.h):
            for i in range(self.w):
                out.px[j * self.w + i] = list(self.px[j * self.w + self.w - 1 - i])
        return out

    def flatten(self, matte, cutoff=0.04):
        """Returns (rgb or None per pixel): pixels under cutoff alpha are transparent,
        the rest are composited over the matte colour."""
        m = rgb(matte) if isinstance(matte, str) else matte
        out = []
        for p in self.px:
            a = p[3]
            if a < cutoff:
                out.append(None)
                continue
            out.append(tuple(min(255, max(0, int(p[k] + m[k] * (1.0 - a) + 0.5))) for k in range(3)))
        return out


def to_palette(pixels, matte):
    """Maps flattened pixels to (indices, palette, transparent index or None).

    The transparent entry is index 0 and carries the matte colour, so a viewer
    that ignores transparency still shows the intended background. The other
    colours follow in order of first appearance (top-left first), which keeps
    the output stable.
    """
    m = rgb(matte) if isinstance(matte, str) else matte
    has_clear = any(p is None for p in pixels)
    palette = [m] if has_clear else []
    lookup = {}
    indices = []
    for p in pixels:
        if p is None:
            indices.append(0)
            continue
        k = lookup.get(p)
        if k is None:
            k = len(palette)
            palette.append(p)
            lookup[p] = k
        indices.append(k)
    if len(palette) > 256:
        raise ValueError("icon uses %d colours; GIF allows 256" % len(palette))
    return indices, palette, (0 if has_clear else None)
