"""A small RGBA canvas with anti-aliased shapes and a PNG writer (zlib only)."""

import math
import struct
import zlib

SAMPLES = 4  # per axis: 16 coverage samples per pixel


def rgba(text, alpha=255):
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


class Canvas:
    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, colour, coverage):
        if coverage <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        pixel = self.pixels[y * self.width + x]
        a = colour[3] / 255.0 * min(coverage, 1.0)
        out_a = a + pixel[3] / 255.0 * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            pixel[i] = round((colour[i] * a + pixel[i] * pixel[3] / 255.0 * (1 - a)) / out_a)
        pixel[3] = round(out_a * 255)

    def shape(self, inside, box, colour):
        """Fills the points for which inside(x, y) holds, within box (l, t, r, b)."""
        left, top, right, bottom = (max(0, int(math.floor(box[0]))), max(0, int(math.floor(box[1]))),
                                    min(self.width, int(math.ceil(box[2]))), min(self.height, int(math.ceil(box[3]))))
        step = 1.0 / SAMPLES
        for y in range(top, bottom):
            for x in range(left, right):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                self.blend(x, y, colour, hits / (SAMPLES * SAMPLES))

    def round_rect(self, l, t, r, b, radius, colour):
        def inside(x, y):
            if not (l <= x <= r and t <= y <= b):
                return False
            cx = min(max(x, l + radius), r - radius)
            cy = min(max(y, t + radius), b - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
        self.shape(inside, (l, t, r, b), colour)

    def round_frame(self, l, t, r, b, radius, width, colour):
        def inside_rect(x, y, l, t, r, b, radius):
            if not (l <= x <= r and t <= y <= b):
                return False
            cx = min(max(x, l + radius), r - radius)
            cy = min(max(y, t + radius), b - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
        inner = max(radius - width, 0)
        self.shape(lambda x, y: inside_rect(x, y, l, t, r, b, radius)
                   and not inside_rect(x, y, l + width, t + width, r - width, b - width, inner),
                   (l, t, r, b), colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        self.shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1,
                   (cx - rx, cy - ry, cx + rx, cy + ry), colour)

    def ring(self, cx, cy, radius, width, colour, start=0.0, sweep=360.0):
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if not (radius - width <= d <= radius):
                return False
            if sweep >= 360:
                return True
            angle = (math.degrees(math.atan2(y - cy, x - cx)) - start) % 360
            return angle <= sweep
        self.shape(inside, (cx - radius, cy - radius, cx + radius, cy + radius), colour)

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit
        self.shape(inside, (min(xs), min(ys), max(xs), max(ys)), colour)

    def line(self, x0, y0, x1, y1, width, colour):
        length = math.hypot(x1 - x0, y1 - y0) or 1.0
        half = width / 2.0

        def inside(x, y):
            t = ((x - x0) * (x1 - x0) + (y - y0) * (y1 - y0)) / (length * length)
            t = min(max(t, 0.0), 1.0)
            return math.hypot(x - (x0 + t * (x1 - x0)), y - (y0 + t * (y1 - y0))) <= half
        self.shape(inside, (min(x0, x1) - half, min(y0, y1) - half, max(x0, x1) + half, max(y0, y1) + half),
                   colour)

    def save(self, path):
        raw = bytearray()
        for y in range(self.height):
            raw.append(0)
            for x in range(self.width):
                raw.extend(self.pixels[y * self.width + x])

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                      + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
