#!/usr/bin/env python3
"""Draws the five wizard banner bitmaps (banner1.bmp .. banner5.bmp).

Each banner is a blue-to-teal gradient with a mobile phone sending radio
waves, its USB cable, and a step indicator 1..5 at the bottom that highlights
the page's own step. The size matches the 150 x 260 dialog-unit banner strip
with the 9-point dialog font at 96 dpi; the picture control fits the bitmap to
the strip at other resolutions.

Standard library only; writes uncompressed 24-bit BMP files next to this script
(or into the folder given as the only argument).
"""
import math
import os
import struct
import sys

WIDTH = 263
HEIGHT = 455
STEPS = 5
SUBSAMPLES = 4  # per axis, for anti-aliased edges

TOP_COLOUR = (18, 60, 140)
BOTTOM_COLOUR = (12, 128, 140)
WHITE = (255, 255, 255)
SCREEN_TOP = (40, 110, 150)
SCREEN_BOTTOM = (20, 70, 110)
KEY_COLOUR = (150, 170, 190)
DIGIT_ON_WHITE = (18, 60, 140)


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[0.0, 0.0, 0.0] for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0.0:
            return
        pixel = self.pixels[y * self.width + x]
        for channel in range(3):
            pixel[channel] += (colour[channel] - pixel[channel]) * alpha

    def fill(self, inside, bbox, colour, alpha=1.0):
        """Paints colour over the pixels of bbox by the share of subsamples for
        which inside(x, y) holds. colour may be a function of the row."""
        x0, y0, x1, y1 = bbox
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.width, int(math.ceil(x1)) + 1), min(self.height, int(math.ceil(y1)) + 1)
        step = 1.0 / SUBSAMPLES
        offsets = [(i + 0.5) * step for i in range(SUBSAMPLES)]
        total = SUBSAMPLES * SUBSAMPLES
        for y in range(y0, y1):
            row_colour = colour(y) if callable(colour) else colour
            for x in range(x0, x1):
                hits = sum(1 for dy in offsets for dx in offsets if inside(x + dx, y + dy))
                if hits:
                    self.blend(x, y, row_colour, alpha * hits / total)

    def bmp_bytes(self):
        row_size = (self.width * 3 + 3) & ~3
        image_size = row_size * self.height
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + image_size, 0, 0, 14 + 40)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, image_size,
                           3780, 3780, 0, 0)
        rows = []
        padding = b"\0" * (row_size - self.width * 3)
        for y in reversed(range(self.height)):  # BMP rows run bottom-up
            row = bytearray()
            for x in range(self.width):
                r, g, b = (max(0, min(255, int(round(c)))) for c in self.pixels[y * self.width + x])
                row += bytes((b, g, r))
            rows.append(bytes(row) + padding)
        return header + info + b"".join(rows)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside, (x0, y0, x1, y1)


def disc(cx, cy, radius):
    def inside(x, y):
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside, (cx - radius, cy - radius, cx + radius, cy + radius)


def ring(cx, cy, radius, width):
    half = width / 2.0

    def inside(x, y):
        return abs(math.hypot(x - cx, y - cy) - radius) <= half
    outer = radius + half
    return inside, (cx - outer, cy - outer, cx + outer, cy + outer)


def arc(cx, cy, radius, width, start_deg, end_deg):
    """Stroke of a circle arc with round caps; angles in degrees, counted
    anticlockwise from the positive x axis as seen on screen."""
    half = width / 2.0
    ends = [(cx + radius * math.cos(math.radians(a)), cy - radius * math.sin(math.radians(a)))
            for a in (start_deg, end_deg)]

    def inside(x, y):
        angle = math.degrees(math.atan2(cy - y, x - cx))
        if start_deg <= angle <= end_deg and abs(math.hypot(x - cx, y - cy) - radius) <= half:
            return True
        return any((x - ex) ** 2 + (y - ey) ** 2 <= half * half for ex, ey in ends)
    outer = radius + half
    return inside, (cx - outer, cy - outer, cx + outer, cy + outer)


def polyline(points, width):
    """Stroke through the points with round joins and caps."""
    half = width / 2.0
    segments = list(zip(points, points[1:])) or [(points[0], points[0])]

    def near(x, y, a, b):
        ax, ay = a
        bx, by = b
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half

    def inside(x, y):
        return any(near(x, y, a, b) for a, b in segments)
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return inside, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half)


def arc_points(cx, cy, radius, start_deg, end_deg, count=12):
    return [(cx + radius * math.cos(math.radians(a)), cy - radius * math.sin(math.radians(a)))
            for a in (start_deg + (end_deg - start_deg) * i / count for i in range(count + 1))]


def digit_strokes(digit):
    """Digit outlines in a box 0.6 wide and 1.0 high, as lists of points."""
    if digit == 1:
        return [[(0.12, 0.22), (0.34, 0.0), (0.34, 1.0)], [(0.1, 1.0), (0.56, 1.0)]]
    if digit == 2:
        return [arc_points(0.3, 0.28, 0.26, 160, -20) + [(0.02, 1.0), (0.6, 1.0)]]
    if digit == 3:
        return [arc_points(0.3, 0.25, 0.24, 150, -90),
                arc_points(0.3, 0.73, 0.26, 90, -150)]
    if digit == 4:
        return [[(0.46, 1.0), (0.46, 0.0), (0.0, 0.68), (0.62, 0.68)]]
    if digit == 5:
        return [[(0.56, 0.0), (0.1, 0.0), (0.06, 0.44)] + arc_points(0.3, 0.68, 0.3, 120, -150)]
    raise ValueError(digit)


def draw_digit(canvas, digit, cx, cy, height, width, colour, alpha=1.0):
    scale = height
    left = cx - 0.3 * scale
    top = cy - 0.5 * scale
    for stroke in digit_strokes(digit):
        points = [(left + x * scale, top + y * scale) for x, y in stroke]
        canvas.fill(*polyline(points, width), colour, alpha)


def draw_background(canvas):
    for y in range(canvas.height):
        for x in range(canvas.width):
            t = y / (canvas.height - 1)
            shade = mix(TOP_COLOUR, BOTTOM_COLOUR, t)
            glow = max(0.0, 1.0 - math.hypot(x - 60, y - 40) / 260.0) * 0.18
            pixel = canvas.pixels[y * canvas.width + x]
            pixel[:] = list(mix(shade, WHITE, glow))


def draw_signal_rings(canvas, cx, cy):
    for radius, alpha in ((70, 0.10), (110, 0.08), (150, 0.06), (190, 0.045)):
        canvas.fill(*ring(cx, cy, radius, 3), WHITE, alpha)


def draw_phone(canvas):
    # Antenna, body, screen, keypad.
    canvas.fill(*rounded_rect(148, 92, 158, 124, 4), WHITE, 0.95)
    canvas.fill(*rounded_rect(88, 118, 170, 272, 14), WHITE, 0.96)
    screen_top, screen_bottom = 134, 196
    canvas.fill(*rounded_rect(98, screen_top, 160, screen_bottom, 5),
                lambda y: mix(SCREEN_TOP, SCREEN_BOTTOM, (y - screen_top) / (screen_bottom - screen_top)))
    # Signal bars on the screen.
    for i in range(4):
        bar_height = 6 + 5 * i
        canvas.fill(*rounded_rect(108 + 9 * i, 186 - bar_height, 113 + 9 * i, 186, 1.5), WHITE, 0.85)
    for row in range(4):
        for column in range(3):
            canvas.fill(*rounded_rect(104 + 19 * column, 207 + 15 * row, 116 + 19 * column,
                                      215 + 15 * row, 3), KEY_COLOUR)


def draw_waves(canvas, cx, cy):
    for radius, alpha in ((14, 0.95), (25, 0.8), (36, 0.6)):
        canvas.fill(*arc(cx, cy, radius, 3.2, 10, 80), WHITE, alpha)


def draw_cable(canvas):
    canvas.fill(*polyline([(129, 272), (129, 300), (129, 318)], 5), WHITE, 0.9)
    canvas.fill(*rounded_rect(119, 316, 139, 340, 3), WHITE, 0.95)
    canvas.fill(*rounded_rect(123, 340, 135, 352, 1), WHITE, 0.75)


def draw_steps(canvas, current):
    # Kept above the bottom 32 pixels: a sheet that sizes its pages with its own
    # 8-point font cuts them off.
    y = 386
    spacing = 44
    radius = 13
    centres = [canvas.width / 2 + (i - (STEPS - 1) / 2) * spacing for i in range(STEPS)]
    canvas.fill(*polyline([(centres[0], y), (centres[-1], y)], 2), WHITE, 0.45)
    for step, x in enumerate(centres, start=1):
        if step == current:
            canvas.fill(*disc(x, y, radius + 2), WHITE)
            draw_digit(canvas, step, x, y, 13, 2.4, DIGIT_ON_WHITE)
        elif step < current:
            canvas.fill(*disc(x, y, radius), WHITE, 0.45)
            draw_digit(canvas, step, x, y, 12, 2.2, WHITE)
        else:
            canvas.fill(*disc(x, y, radius), mix(TOP_COLOUR, BOTTOM_COLOUR, y / HEIGHT))
            canvas.fill(*ring(x, y, radius, 2), WHITE, 0.75)
            draw_digit(canvas, step, x, y, 12, 2.2, WHITE, 0.8)


def draw_banner(current_step):
    canvas = Canvas(WIDTH, HEIGHT)
    draw_background(canvas)
    draw_signal_rings(canvas, 153, 92)
    draw_phone(canvas)
    draw_waves(canvas, 153, 92)
    draw_cable(canvas)
    draw_steps(canvas, current_step)
    return canvas.bmp_bytes()


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for step in range(1, STEPS + 1):
        with open(os.path.join(folder, "banner%d.bmp" % step), "wb") as out:
            out.write(draw_banner(step))


if __name__ == "__main__":
    main()
