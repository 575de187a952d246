#!/usr/bin/env python3
"""Draws every picture and Windows resource of the Wumpo level tools.

Run from anywhere: `python3 resources/art/make_art.py`. It rewrites, byte for byte the same on
every run (no clock, no system random numbers, only the standard library):

  images/logo.bmp       490 x 50   title banner of both programs
  images/cloud.bmp       40 x 14   start cloud the Wumpo drop from
  images/exit.bmp        20 x 40   exit door
  images/exitgrav.bmp    20 x 40   exit door for anti-gravity levels (hangs from a ceiling)
  images/statbar.bmp    320 x 20   in-game status bar, its number windows empty
  samples/level1.bmp    320 x 240  sample level (start at 40,30, exit at 270,150)
  samples/backdrop1.bmp 320 x 240  sample backdrop (space with a ringed planet)
  resources/wumpo.ico    32 x 32   program icon, 24-bit colour with a 1-bit mask

(The programs' resource scripts are made by CMake from resources/program.rc.in.)

Bitmaps are plain 24-bit Windows bitmaps (54-byte header, bottom-up, rows padded to 4 bytes),
because the level converter skips a fixed header and the preview hands them to LoadImage.
The program cannot show transparency, so the sprites are painted over the part of the sample
level they cover there: in the sample preview they sit in the picture without a box around them.
"""

import math
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# ---------------------------------------------------------------------------------------------
# Colour and noise helpers
# ---------------------------------------------------------------------------------------------

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def hexc(text):
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


def ramp(*codes):
    return [hexc(c) for c in codes]


def blend_ramp(keys, n):
    """A longer ramp through the key colours, so dithering between neighbours stays subtle."""
    cols = ramp(*keys)
    out = []
    for i in range(n):
        pos = i / (n - 1) * (len(cols) - 1)
        k = min(int(pos), len(cols) - 2)
        out.append(mix(cols[k], cols[k + 1], pos - k))
    return out


def clamp01(t):
    return 0.0 if t < 0.0 else 1.0 if t > 1.0 else t


def mix(a, b, t):
    t = clamp01(t)
    return (round(a[0] + (b[0] - a[0]) * t), round(a[1] + (b[1] - a[1]) * t),
            round(a[2] + (b[2] - a[2]) * t))


def scale(c, k):
    return (min(255, max(0, round(c[0] * k))), min(255, max(0, round(c[1] * k))),
            min(255, max(0, round(c[2] * k))))


def threshold(x, y):
    return (BAYER4[y & 3][x & 3] + 0.5) / 16.0


def dither(colours, t, x, y):
    """Picks one of the ramp's colours for t in 0..1 with ordered dithering between neighbours,
    the limited-palette look of the game."""
    t = clamp01(t)
    pos = t * (len(colours) - 1)
    i = int(pos)
    if i >= len(colours) - 1:
        return colours[-1]
    return colours[i + 1] if pos - i > threshold(x, y) else colours[i]


def hash2(x, y, seed):
    h = (x * 374761393 + y * 668265263 + seed * 2246822519) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    h ^= h >> 16
    return (h & 0xFFFFFF) / float(0x1000000)


def value_noise(x, y, seed):
    xi, yi = math.floor(x), math.floor(y)
    fx, fy = x - xi, y - yi
    fx = fx * fx * (3 - 2 * fx)
    fy = fy * fy * (3 - 2 * fy)
    a = hash2(xi, yi, seed)
    b = hash2(xi + 1, yi, seed)
    c = hash2(xi, yi + 1, seed)
    d = hash2(xi + 1, yi + 1, seed)
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy


def fbm(x, y, seed, octaves=4):
    total, amp, norm = 0.0, 1.0, 0.0
    for o in range(octaves):
        total += value_noise(x, y, seed + o * 101) * amp
        norm += amp
        amp *= 0.5
        x *= 2.0
        y *= 2.0
    return total / norm


class Rng:
    """Small xorshift generator, so the pictures do not depend on Python's random module."""

    def __init__(self, seed):
        self.s = seed & 0xFFFFFFFF or 1

    def next(self):
        s = self.s
        s ^= (s << 13) & 0xFFFFFFFF
        s ^= s >> 17
        s ^= (s << 5) & 0xFFFFFFFF
        self.s = s
        return s

    def random(self):
        return self.next() / 4294967296.0

    def randint(self, lo, hi):
        return lo + self.next() % (hi - lo + 1)


# ---------------------------------------------------------------------------------------------
# Canvas: rows of colour tuples; None is a transparent pixel of a sprite layer
# ---------------------------------------------------------------------------------------------


class Canvas:

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def inside(self, x, y):
        return 0 <= x < self.w and 0 <= y < self.h

    def get(self, x, y):
        return self.px[y][x] if self.inside(x, y) else None

    def set(self, x, y, c):
        if self.inside(x, y):
            self.px[y][x] = c

    def rect(self, x0, y0, w, h, c):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                self.set(x, y, c)

    def blend(self, x, y, c, a):
        if self.inside(x, y) and self.px[y][x] is not None:
            self.px[y][x] = mix(self.px[y][x], c, a)

    def paste(self, layer, ox, oy):
        for y in range(layer.h):
            for x in range(layer.w):
                c = layer.px[y][x]
                if c is not None:
                    self.set(ox + x, oy + y, c)

    def crop(self, x0, y0, w, h):
        out = Canvas(w, h)
        for y in range(h):
            for x in range(w):
                out.px[y][x] = self.get(x0 + x, y0 + y)
        return out

    def flipped(self):
        out = Canvas(self.w, self.h)
        out.px = [list(row) for row in reversed(self.px)]
        return out


def in_ellipse(px, py, cx, cy, rx, ry):
    dx = (px + 0.5 - cx) / rx
    dy = (py + 0.5 - cy) / ry
    return dx * dx + dy * dy <= 1.0


def ellipse_pixels(cx, cy, rx, ry):
    for y in range(math.floor(cy - ry) - 1, math.ceil(cy + ry) + 1):
        for x in range(math.floor(cx - rx) - 1, math.ceil(cx + rx) + 1):
            if in_ellipse(x, y, cx, cy, rx, ry):
                yield x, y


def fill_ellipse(cv, cx, cy, rx, ry, c):
    for x, y in ellipse_pixels(cx, cy, rx, ry):
        cv.set(x, y, c)


def outline(cv, colour, diagonal=False):
    """Rings the opaque pixels of a layer with a dark line, the way hand-drawn sprites are."""
    marks = []
    steps = [(1, 0), (-1, 0), (0, 1), (0, -1)]
    if diagonal:
        steps += [(1, 1), (-1, 1), (1, -1), (-1, -1)]
    for y in range(cv.h):
        for x in range(cv.w):
            if cv.px[y][x] is None:
                for dx, dy in steps:
                    if cv.get(x + dx, y + dy) is not None:
                        marks.append((x, y))
                        break
    for x, y in marks:
        cv.px[y][x] = colour


def sphere_light(px, py, cx, cy, rx, ry, light=(-0.5, -0.62, 0.6)):
    nx = (px + 0.5 - cx) / rx
    ny = (py + 0.5 - cy) / ry
    nz = math.sqrt(max(0.0, 1.0 - nx * nx - ny * ny))
    ln = math.sqrt(light[0] ** 2 + light[1] ** 2 + light[2] ** 2)
    return max(0.0, (nx * light[0] + ny * light[1] + nz * light[2]) / ln)


# ---------------------------------------------------------------------------------------------
# Pixel fonts
# ---------------------------------------------------------------------------------------------

BIG_FONT = {
    'W': ["X.....X", "X.....X", "X..X..X", "X..X..X", "X.X.X.X", "XX...XX", "X.....X"],
    'U': ["X...X", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    'M': ["X.....X", "XX...XX", "X.X.X.X", "X..X..X", "X.....X", "X.....X", "X.....X"],
    'P': ["XXXX.", "X...X", "X...X", "XXXX.", "X....", "X....", "X...."],
    'O': [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    'L': ["X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"],
    'E': ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"],
    'V': ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    'T': ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    'S': [".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."],
    ' ': ["...", "...", "...", "...", "...", "...", "..."],
}

SMALL_FONT = {
    'A': [".X.", "X.X", "XXX", "X.X", "X.X"], 'D': ["XX.", "X.X", "X.X", "X.X", "XX."],
    'E': ["XXX", "X..", "XX.", "X..", "XXX"], 'I': ["XXX", ".X.", ".X.", ".X.", "XXX"],
    'M': ["X.X", "XXX", "XXX", "X.X", "X.X"], 'O': [".X.", "X.X", "X.X", "X.X", ".X."],
    'R': ["XX.", "X.X", "XX.", "X.X", "X.X"], 'S': [".XX", "X..", ".X.", "..X", "XX."],
    'T': ["XXX", ".X.", ".X.", ".X.", ".X."], 'U': ["X.X", "X.X", "X.X", "X.X", "XXX"],
    'V': ["X.X", "X.X", "X.X", "X.X", ".X."], 'W': ["X.X", "X.X", "XXX", "XXX", "X.X"],
    'X': ["X.X", "X.X", ".X.", "X.X", "X.X"], 'N': ["XX.", "X.X", "X.X", "X.X", "X.X"],
}


def text_mask(text, font, unit, gap=1):
    """Returns the set of pixels of a blocky title text, each font cell `unit` pixels square."""
    pixels = set()
    x = 0
    for ch in text:
        glyph = font[ch]
        for gy, row in enumerate(glyph):
            for gx, cell in enumerate(row):
                if cell == 'X':
                    for dy in range(unit):
                        for dx in range(unit):
                            pixels.add((x + gx * unit + dx, gy * unit + dy))
        x += (len(glyph[0]) + gap) * unit
    return pixels, x - gap * unit


def draw_small_text(cv, x, y, text, colour, shadow=None):
    for ch in text:
        glyph = SMALL_FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, cell in enumerate(row):
                if cell == 'X':
                    if shadow is not None:
                        cv.set(x + gx + 1, y + gy + 1, shadow)
                    cv.set(x + gx, y + gy, colour)
        x += 4


def draw_title(cv, text, ox, oy, unit, fill_ramp, outline_colour, shadow_colour, shine):
    """Chunky title letters: thick dark outline, drop shadow, dithered vertical gradient, a bright
    lip on every top edge and a darker one on every bottom edge."""
    pixels, width = text_mask(text, BIG_FONT, unit)
    height = 7 * unit
    ring = set()
    for (x, y) in pixels:
        for dy in range(-2, 3):
            for dx in range(-2, 3):
                if abs(dx) + abs(dy) <= 3 and (x + dx, y + dy) not in pixels:
                    ring.add((x + dx, y + dy))
    for (x, y) in ring | pixels:
        cv.set(ox + x + 2, oy + y + 3, shadow_colour)
    for (x, y) in ring:
        cv.set(ox + x, oy + y, outline_colour)
    for (x, y) in pixels:
        t = y / (height - 1)
        c = dither(fill_ramp, t, ox + x, oy + y)
        if (x, y - 1) not in pixels:
            c = shine
        elif (x, y - 2) not in pixels:
            c = mix(c, shine, 0.5)
        elif (x, y + 1) not in pixels or (x + 1, y) not in pixels:
            c = scale(fill_ramp[-1], 0.78)
        cv.set(ox + x, oy + y, c)
    return width


# ---------------------------------------------------------------------------------------------
# The Wumpo
# ---------------------------------------------------------------------------------------------

WUMPO_BODY = ramp('1f5b2a', '2e7d32', '43a047', '66bb3a', '9ccc4a', 'd4ec7a')
WUMPO_OUTLINE = hexc('10240f')
FEET = ramp('9a3d08', 'd9661a', 'f59a2f', 'ffc861')
ANTENNA_BALL = ramp('b36b00', 'f2b705', 'ffe066', 'fffbe0')


def draw_wumpo(layer, cx, cy, r, facing=1, pose='walk', step=0, blush=False, mouth='smile',
               antenna=0.55):
    """A Wumpo: a round green body lit from the upper left, big eyes looking where it walks,
    orange feet and an antenna with a glowing bead. Drawn on a transparent layer and outlined."""
    rx, ry = r, r * 1.02
    # Feet first so the body overlaps them.
    if pose == 'walk':
        offsets = [(-0.45 + 0.25 * step, 0.88), (0.40 - 0.25 * step, 0.92)]
    elif pose == 'fall':
        offsets = [(-0.55, 1.05), (0.55, 1.0)]
    else:
        offsets = [(-0.45, 0.9), (0.45, 0.9)]
    for fx, fy in offsets:
        fcx, fcy = cx + facing * fx * r + facing * r * 0.1, cy + fy * r
        frx, fry = max(1.6, r * 0.36), max(1.1, r * 0.2)
        for x, y in ellipse_pixels(fcx, fcy, frx, fry):
            layer.set(x, y, dither(FEET, 0.3 + 0.6 * sphere_light(x, y, fcx, fcy, frx, fry), x, y))
    # Arms: only when falling, flung up above the head.
    if pose == 'fall':
        for side in (-1, 1):
            sx, sy = cx + side * r * 0.7, cy - r * 0.45
            hx, hy = cx + side * r * 1.2, cy - r * 1.05
            steps = max(2, round(r))
            for i in range(steps + 1):
                t = i / steps
                x, y = sx + (hx - sx) * t, sy + (hy - sy) * t
                layer.set(math.floor(x), math.floor(y), WUMPO_BODY[2])
                layer.set(math.floor(x) - side, math.floor(y), WUMPO_BODY[3])
            fill_ellipse(layer, hx, hy, max(1.2, r * 0.2), max(1.2, r * 0.2), WUMPO_BODY[4])
    # Body.
    for x, y in ellipse_pixels(cx, cy, rx, ry):
        light = sphere_light(x, y, cx, cy, rx, ry)
        t = 0.08 + 0.92 * light ** 1.15
        c = dither(WUMPO_BODY[:-1], t, x, y)
        if light > 0.965 and r >= 6:
            c = WUMPO_BODY[-1]
        layer.set(x, y, c)
    # Reflected light along the lower rim keeps the body from looking flat.
    for x, y in ellipse_pixels(cx, cy, rx, ry):
        if not in_ellipse(x, y + 1, cx, cy, rx, ry) and x + 0.5 > cx - r * 0.3:
            layer.set(x, y, WUMPO_BODY[2])
    # Antenna: a curved stalk and a bead.
    base_x = cx - facing * r * 0.15
    top_y = cy - ry
    length = max(2, round(r * antenna))
    bead = None
    for i in range(length + 1):
        t = i / length
        x = base_x - facing * (t * t) * r * 0.35
        y = top_y - t * length
        layer.set(math.floor(x), math.floor(y), WUMPO_BODY[1])
        bead = (x, y)
    br = max(1.2, r * 0.2)
    for x, y in ellipse_pixels(bead[0], bead[1] - br * 0.6, br, br):
        layer.set(x, y, dither(ANTENNA_BALL, 0.25 + 0.75 * sphere_light(
            x, y, bead[0], bead[1] - br * 0.6, br, br), x, y))
    outline(layer, WUMPO_OUTLINE)
    # Eyes: two white ovals shifted towards the walking direction, pupils looking ahead.
    eye_y = cy - r * 0.22
    eye_r = max(1.5, r * 0.27)
    for ex in (cx + facing * r * 0.02, cx + facing * r * 0.56):
        fill_ellipse(layer, ex, eye_y, eye_r + 0.7, eye_r * 1.2 + 0.7, WUMPO_OUTLINE)
        fill_ellipse(layer, ex, eye_y, eye_r, eye_r * 1.2, hexc('ffffff'))
        for x, y in ellipse_pixels(ex, eye_y, eye_r, eye_r * 1.2):
            if y + 0.5 > eye_y + eye_r * 0.55:
                layer.set(x, y, hexc('c9d6e8'))
        pr = max(0.8, eye_r * 0.52)
        px, py = ex + facing * eye_r * 0.35, eye_y + eye_r * 0.1
        fill_ellipse(layer, px, py, pr, pr * 1.25, hexc('14141e'))
        layer.set(math.floor(px - pr * 0.35), math.floor(py - pr * 0.6), hexc('ffffff'))
    # Mouth.
    mx = cx + facing * r * 0.3
    my = cy + r * 0.42
    half = max(1, round(r * 0.22))
    if mouth == 'open':
        fill_ellipse(layer, mx, my, half + 0.6, r * 0.2 + 0.6, hexc('3a0f14'))
        for x, y in ellipse_pixels(mx, my + r * 0.08, half * 0.7, r * 0.1):
            layer.set(x, y, hexc('e8606e'))
    else:
        for i in range(-half, half + 1):
            y = my + (0 if abs(i) < half else -1)
            layer.set(math.floor(mx + i), math.floor(y), hexc('1a3a14'))
    if blush:
        for bx in (cx - facing * r * 0.3, cx + facing * r * 0.92):
            for x, y in ellipse_pixels(bx, cy + r * 0.22, r * 0.15, r * 0.09):
                if layer.get(x, y) is not None:
                    layer.set(x, y, hexc('ff8a9c') if (x + y) % 2 else hexc('f06a84'))


# ---------------------------------------------------------------------------------------------
# The sample level; the sprites are painted over its pixels at their sample places
# ---------------------------------------------------------------------------------------------

SKY = blend_ramp(('2b4fa8', '4479d1', '78a9e6', 'b4d4f2', 'e2eef7'), 16)
MOUNTAIN_FAR = blend_ramp(('6a78b8', '8592c8', 'a4aed8'), 6)
MOUNTAIN_NEAR = blend_ramp(('3c5a8c', '4e6e9e', '6484b2'), 6)
DIRT = ramp('3a1f12', '4e2b17', '66391d', '7f4a26', '9a5e31', 'b7773f')
GRASS = ramp('1d5a1a', '2e7a22', '45a02b', '6cc63a', 'a6e05a')
ROCK = ramp('2f3038', '4a4b57', '686a78', '8c8e9c', 'b4b6c2', 'dcdde4')
WATER = ramp('10306b', '184a94', '2466b8', '3b86d4', '78b6ee')

LEVEL_START = (40, 30)
LEVEL_EXIT = (270, 150)


def level_surface(x):
    """Top of the ground in column x, or None over the gap."""
    if x < 112:
        return 100 + round(2.5 * math.sin(x * 0.11) + 1.5 * math.sin(x * 0.37))
    if x < 150:
        t = (x - 112) / 38.0
        return round(100 + 38 * (t * t * (3 - 2 * t)))
    if x < 198:
        return None
    if x < 236:
        return 168 + round(1.5 * math.sin(x * 0.3))
    if x < 246:
        t = (x - 236) / 10.0
        return round(168 + 22 * (t * t * (3 - 2 * t)))
    return 190


def level_is_ground(x, y):
    if not (0 <= x < 320 and 0 <= y < 240):
        return False
    # Floating ledge over the gap: a short hop for a bridge builder.
    if 162 <= x <= 186:
        top = 150
        bottom = 157 + round(5 * math.sin((x - 162) / 24.0 * math.pi))
        if top + (1 if x in (162, 186) else 0) <= y <= bottom:
            return True
    top = level_surface(x)
    if top is None:
        return False
    if y < top:
        return False
    # Ragged walls down into the gap.
    wobble = (fbm(x * 0.15, y * 0.09, 77, 3) - 0.5) * 10
    if x >= 140 and x < 150 and x + wobble > 147 + (y - 140) * 0.03 and y > 135:
        return False
    if 198 <= x < 206 and x + wobble < 201 - (y - 168) * 0.02 and y > 168:
        return False
    return True


def sky_colour(x, y):
    return dither(SKY, 0.08 + 0.92 * (y / 205.0) ** 0.85, x, y)


def render_level():
    cv = Canvas(320, 240)
    # Sky with a few soft clouds.
    for y in range(240):
        for x in range(320):
            cv.px[y][x] = sky_colour(x, y)
    cloud_bank = [(250, 46, 30, 7), (228, 50, 18, 5), (272, 52, 20, 5), (140, 64, 22, 5),
                  (122, 66, 12, 4), (160, 67, 14, 4)]
    for cx, cy, rx, ry in cloud_bank:
        for x, y in ellipse_pixels(cx, cy, rx, ry):
            n = fbm(x * 0.2, y * 0.3, 5, 2)
            a = 0.45 + 0.35 * (1 - (y - (cy - ry)) / (2 * ry)) + 0.2 * n
            cv.px[y][x] = dither([cv.px[y][x], hexc('e7f1fb'), hexc('ffffff')], a * 0.9, x, y)
    # Far and near mountain ranges: the far one lit from the left with snow on its peaks, the
    # near one topped with a ragged line of pines.
    peaks = [(20, 112, 0.9), (72, 120, 1.0), (122, 116, 0.85), (176, 106, 0.95),
             (216, 121, 1.1), (262, 100, 0.8), (306, 113, 1.0)]

    def far_peak(x):
        best = None
        for px, py, slope in peaks:
            top = py + abs(x - px) * slope
            if best is None or top < best[0]:
                best = (top, px)
        return best[0] + 5 * (fbm(x * 0.08, 2.0, 11, 3) - 0.5), best[1]

    for x in range(320):
        far, apex = far_peak(x)
        facing_light = x <= apex
        teeth = 3 - abs((x % 6) - 2.5)
        near = 188 - 34 * fbm(x * 0.03, 8.0, 23, 4) - teeth * (0.6 + hash2(x // 6, 1, 24))
        for y in range(240):
            if y >= far:
                shade = 0.75 - 0.6 * (y - far) / 90.0 + (0.25 if facing_light else -0.1)
                c = dither(MOUNTAIN_FAR, shade, x, y)
                if y < 124 and y - far < 5 + 4 * hash2(x // 2, 0, 5):
                    c = hexc('f4f7ff') if facing_light else hexc('c3cbe8')
                if y < far + 1:
                    c = hexc('dfe5f8')
                cv.px[y][x] = c
            if y >= near:
                cv.px[y][x] = dither(MOUNTAIN_NEAR, 0.9 - (y - near) / 60.0, x, y)
    # Water at the foot of the gap.
    for y in range(222, 240):
        for x in range(320):
            wave = math.sin(x * 0.35 + y * 0.9) * 0.5 + 0.5
            t = 0.75 - (y - 222) / 22.0 + 0.15 * wave
            c = dither(WATER, t, x, y)
            if y == 222 or (y in (226, 231) and (x + y * 3) % 9 < 3):
                c = WATER[-1]
            cv.px[y][x] = c
    # Ground: textured dirt, strata, embedded stones, grass on top, dark edge where it meets air.
    ground = [[level_is_ground(x, y) for x in range(320)] for y in range(240)]
    depth = [[0] * 320 for _ in range(240)]
    for x in range(320):
        d = 99
        for y in range(240):
            d = d + 1 if ground[y][x] else 0
            depth[y][x] = d
    for y in range(240):
        for x in range(320):
            if not ground[y][x]:
                continue
            n = fbm(x * 0.09, y * 0.09, 41, 4)
            strata = 0.08 * math.sin(y * 0.55 + n * 6.0)
            t = 0.25 + 0.55 * n + strata - min(0.25, y / 900.0)
            cv.px[y][x] = dither(DIRT, t, x, y)
    rng = Rng(20240607)
    for _ in range(70):
        sx, sy = rng.randint(0, 319), rng.randint(100, 239)
        rx, ry = 1.5 + rng.random() * 3.5, 1.2 + rng.random() * 2.2
        pts = [(x, y) for x, y in ellipse_pixels(sx, sy, rx, ry)]
        if not pts or not all(0 <= x < 320 and 0 <= y < 240 and ground[y][x] and depth[y][x] > 6
                              for x, y in pts):
            continue
        for x, y in pts:
            cv.px[y][x] = dither(ROCK[1:], 0.15 + 0.75 * sphere_light(x, y, sx, sy, rx, ry), x, y)
        for x, y in pts:
            for dx, dy in ((1, 0), (0, 1), (-1, 0), (0, -1)):
                if (x + dx, y + dy) not in pts and 0 <= x + dx < 320 and 0 <= y + dy < 240:
                    if dy == 1 or dx == 1:
                        cv.px[y + dy][x + dx] = DIRT[0]
    # Gems glinting in the rock, for a bit of sparkle.
    for gx, gy, col in ((30, 170, '58e0ff'), (86, 205, 'ff6bd5'), (262, 222, '9bff6b'),
                        (226, 200, 'ffd84a'), (120, 180, '58e0ff')):
        if ground[gy][gx]:
            cv.px[gy][gx] = hexc(col)
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                cv.px[gy + dy][gx + dx] = mix(hexc(col), DIRT[0], 0.45)
            cv.px[gy - 1][gx] = hexc('ffffff')
    # Air edges: dark rim on sides and undersides, grass on every top surface.
    for y in range(240):
        for x in range(320):
            if not ground[y][x]:
                continue
            above = y > 0 and ground[y - 1][x]
            d = depth[y][x]
            edge = any(0 <= x + dx < 320 and 0 <= y + dy < 240 and not ground[y + dy][x + dx]
                       for dx, dy in ((1, 0), (-1, 0), (0, 1)))
            if d <= 5 and (not above or d > 0):
                g = (5 - d) / 5.0 + 0.15 * hash2(x, y, 9)
                cv.px[y][x] = dither(GRASS, g * 0.9 + 0.05, x, y)
                if d == 1:
                    cv.px[y][x] = GRASS[4] if hash2(x, 0, 4) > 0.35 else GRASS[3]
                if d == 5 and hash2(x, y, 12) > 0.5:
                    cv.px[y][x] = GRASS[0]
            elif d == 6:
                cv.px[y][x] = DIRT[0] if hash2(x, y, 13) > 0.3 else GRASS[0]
            if edge and d > 1:
                cv.px[y][x] = DIRT[0] if d > 5 else GRASS[0]
    # Grass blades poking above the surface.
    for x in range(320):
        for y in range(1, 240):
            if ground[y][x] and not ground[y - 1][x]:
                h = int(hash2(x, y, 21) * 4)
                for i in range(1, h + 1):
                    if y - i >= 0 and not ground[y - i][x]:
                        cv.px[y - i][x] = GRASS[2] if i < h else GRASS[3]
                break
    # Boulders and bushes resting on the grass, flowers.
    layer = Canvas(320, 240)
    for bx, rx, ry in ((102, 7, 5), (215, 6, 4.5), (301, 9, 6), (224, 4, 3)):
        top = level_surface(bx)
        by = top - ry + 2
        for x, y in ellipse_pixels(bx, by, rx, ry):
            t = 0.1 + 0.85 * sphere_light(x, y, bx, by, rx, ry)
            c = dither(ROCK, t, x, y)
            if hash2(x, y, 31) > 0.86:
                c = ROCK[1]
            layer.set(x, y, c)
    for bx, r in ((14, 9), (26, 7), (258, 7)):
        top = level_surface(bx)
        for cx, cy, rr in ((bx, top - r + 2, r), (bx - r * 0.7, top - r * 0.5 + 1, r * 0.7),
                           (bx + r * 0.75, top - r * 0.45 + 1, r * 0.65)):
            for x, y in ellipse_pixels(cx, cy, rr, rr * 0.85):
                t = 0.15 + 0.8 * sphere_light(x, y, cx, cy, rr, rr * 0.85)
                t += 0.18 * (hash2(x // 2, y // 2, 40) - 0.5)
                layer.set(x, y, dither(GRASS, t, x, y))
        for i in range(7):
            fx = bx - r + int(hash2(bx, i, 50) * 2 * r)
            fy = top - int(hash2(bx, i, 51) * 1.6 * r) - 1
            if layer.get(fx, fy) is not None and layer.get(fx, fy + 1) is not None:
                layer.set(fx, fy, hexc('ff5a7a') if i % 2 else hexc('ffe14d'))
    outline(layer, hexc('162014'))
    # Keep the outline off the ground so the boulders sit in the grass, not on top of it.
    for y in range(240):
        for x in range(320):
            c = layer.px[y][x]
            if c is not None and not (ground[y][x] and c == hexc('162014')):
                cv.px[y][x] = c
    for i, fx in enumerate(range(4, 320, 13)):
        top = level_surface(fx)
        if top is None or hash2(fx, 0, 60) < 0.45 or abs(fx - 102) < 10 or abs(fx - 301) < 12:
            continue
        cv.px[top - 1][fx] = GRASS[1]
        cv.px[top - 2][fx] = GRASS[2]
        cv.px[top - 3][fx] = (hexc('fff2f2'), hexc('ffd23f'), hexc('ff6fa0'))[i % 3]
    # A wooden sign on the right showing the way to the exit.
    sx, sy = 228, level_surface(228)
    for y in range(sy - 12, sy):
        cv.px[y][sx] = hexc('5a3414')
        cv.px[y][sx + 1] = hexc('8a5426')
    for y in range(sy - 13, sy - 8):
        for x in range(sx - 5, sx + 8):
            edge = y in (sy - 13, sy - 9) or x in (sx - 5, sx + 7)
            cv.px[y][x] = hexc('3b220e') if edge else dither(
                ramp('8a5426', 'b0733a', 'cf9551'), 1 - (y - sy + 13) / 5.0, x, y)
    for dx, dy in ((-2, 0), (-1, 0), (0, 0), (1, 0), (2, 0), (3, 0), (1, -1), (1, 1), (2, -1),
                   (2, 1)):
        cv.px[sy - 11 + dy][sx + dx] = hexc('2b170a')
    return cv


# ---------------------------------------------------------------------------------------------
# Sprites
# ---------------------------------------------------------------------------------------------

CLOUD = ramp('6e7fa6', '8b9bc0', 'aebcda', 'd0daee', 'eef3fb', 'ffffff')
WOOD = ramp('4a2a12', '6e4220', '93602e', 'b47d42')


def draw_cloud():
    """Start cloud: fluffy white lumps with a trapdoor in the bottom that has swung open."""
    layer = Canvas(40, 14)
    # Back to front: each lump is shaded on its own and creased where it overlaps the ones behind.
    lumps = [(23, 5.8, 7.5, 4.8), (14, 6.2, 5.8, 4.6), (31, 7.0, 5.8, 4.4), (6.5, 9.0, 5.8, 3.4),
             (19, 9.0, 9.5, 3.2), (34, 9.4, 5.0, 2.8)]
    for cx, cy, rx, ry in lumps:
        for x, y in ellipse_pixels(cx, cy, rx, ry):
            if not (0 <= x < 40 and 1 <= y < 12):
                continue
            light = sphere_light(x, y, cx, cy, rx, ry, (-0.4, -0.8, 0.45))
            t = 0.12 + 0.95 * light - 0.3 * max(0.0, (y - 7) / 5.0)
            c = dither(CLOUD, t, x, y)
            if layer.get(x, y) is not None and not in_ellipse(x, y - 1, cx, cy, rx, ry):
                c = CLOUD[2]
            layer.set(x, y, c)
    # Dark mouth of the hatch in the underside.
    for x in range(15, 26):
        for y in (10, 11):
            layer.set(x, y, hexc('1c2136') if y == 11 or 16 <= x <= 24 else hexc('39406a'))
    for x in range(16, 25):
        layer.set(x, 9, hexc('3a4470'))
    # The two open wooden flaps hang down from the hatch edges.
    for i, y in enumerate((11, 12)):
        for x, shade in ((15 - i, 3), (14 - i, 1), (25 + i, 3), (26 + i, 1)):
            layer.set(x, y, WOOD[shade])
    outline(layer, hexc('2c3454'))
    # A glint of light along the top lumps.
    for x, y in ((13, 2), (14, 1), (21, 1), (22, 1), (28, 2)):
        if layer.get(x, y) not in (None, hexc('2c3454')):
            layer.set(x, y, hexc('ffffff'))
    return layer


EXIT_STONE = ramp('34303e', '514b5e', '6f6880', '948da4', 'bab4c8')


def draw_exit(glow, gem, arrow_up=False):
    """An arched stone doorway with light pouring out of it and a gem in the keystone."""
    layer = Canvas(20, 40)
    cx, cy = 10.0, 12.0
    for y in range(1, 40):
        for x in range(20):
            dx = x + 0.5 - cx
            dy = y + 0.5 - cy
            outer = (dy >= 0 or dx * dx + dy * dy <= 10.2 ** 2) and 0 <= x <= 19
            inner = (dy >= 0 or dx * dx + dy * dy <= 6.2 ** 2) and 4 <= x <= 15 and y <= 36
            if not outer:
                continue
            if inner and y >= 7:
                # Doorway: bright at the bottom centre where the light comes from.
                d = math.hypot(dx / 5.5, (y - 34) / 26.0)
                layer.set(x, y, dither(glow, 1.0 - d * 0.95, x, y))
            else:
                # Stone blocks: courses of 4 rows, joints staggered.
                course = y // 4
                joint = (x + (2 if course % 2 else 0)) % 7 == 0
                if y % 4 == 0 or joint:
                    layer.set(x, y, EXIT_STONE[0])
                else:
                    shade = 0.25 + 0.5 * hash2(x // 7 + course * 3, course, 71)
                    if y % 4 == 1:
                        shade += 0.3
                    if x < 4 and dx < 0:
                        shade += 0.1
                    layer.set(x, y, dither(EXIT_STONE, shade, x, y))
    # Doorstep.
    for x in range(1, 19):
        layer.set(x, 37, EXIT_STONE[3] if x % 5 else EXIT_STONE[1])
        layer.set(x, 38, EXIT_STONE[2])
        layer.set(x, 39, EXIT_STONE[1])
    # Light spilling onto the step.
    for x in range(5, 15):
        layer.set(x, 37, mix(glow[-2], EXIT_STONE[3], 0.35))
    # Keystone with its gem.
    for y in range(1, 6):
        for x in range(8, 12):
            layer.set(x, y, EXIT_STONE[4] if y == 1 else EXIT_STONE[3])
    layer.set(9, 3, gem[1])
    layer.set(10, 3, gem[2])
    layer.set(9, 4, gem[0])
    layer.set(10, 4, gem[1])
    layer.set(9, 2, hexc('ffffff'))
    # Arrows in the light telling which way is up for the Wumpo going in.
    ax = 10
    arrow = [(0, 0), (-1, 1), (0, 1), (1, 1), (-2, 2), (2, 2), (0, 2), (0, 3), (0, 4)]
    for k, ay in enumerate((14, 22)):
        for dx, dy in arrow:
            yy = ay + (dy if arrow_up else 4 - dy)
            layer.set(ax + dx, yy, glow[-1] if k else glow[-2])
    outline(layer, hexc('1a1722'))
    return layer


def draw_exit_gravity():
    """The anti-gravity exit: the same doorway hung upside down from a ceiling, glowing violet,
    with arrows pointing the upside-down way into it and sparkles floating about."""
    glow = ramp('2a0f4f', '4a1a8a', '7b34c9', 'a86af0', 'd9b8ff', 'f6efff')
    gem = ramp('2a9bb5', '5fe0ff', 'd8fbff')
    layer = draw_exit(glow, gem, arrow_up=True).flipped()
    for x, y in ((6, 28), (13, 21), (8, 12), (12, 31), (7, 18)):
        if layer.get(x, y) is not None:
            layer.set(x, y, hexc('ffffff'))
    return layer


def composite(layer, background):
    out = background.crop(0, 0, background.w, background.h)
    out.paste(layer, 0, 0)
    return out


# ---------------------------------------------------------------------------------------------
# Status bar
# ---------------------------------------------------------------------------------------------

PANEL = ramp('2a3348', '3a4660', '4d5b7a', '62729a', '7f90b8')


def draw_counter(cv, x, y, w):
    """A recessed LCD window, empty: the programs draw the level's own numbers into it in
    seven-segment digits (formats/status_bar.cpp), below the glass reflection drawn here."""
    h = 15
    for yy in range(y, y + h):
        for xx in range(x, x + w):
            cv.set(xx, yy, dither(ramp('061209', '0b1f10', '112a17'), 0.7 - (yy - y) / h, xx, yy))
    for xx in range(x, x + w):
        cv.set(xx, y, hexc('12161f'))
        cv.set(xx, y + h - 1, PANEL[4])
    for yy in range(y, y + h):
        cv.set(x, yy, hexc('12161f'))
        cv.set(x + w - 1, yy, PANEL[4])
    # Glass reflection across the top-left corner.
    for i in range(5):
        cv.blend(x + 2 + i, y + 1, hexc('ffffff'), 0.18)


def draw_status_icons(cv):
    # Clock.
    for x, y in ellipse_pixels(11, 10, 6.5, 6.5):
        cv.set(x, y, dither(ramp('c8ccd8', 'eef0f6', 'ffffff'),
                            sphere_light(x, y, 11, 10, 6.5, 6.5), x, y))
    ring = [(x, y) for x, y in ellipse_pixels(11, 10, 7.5, 7.5)
            if not in_ellipse(x, y, 11, 10, 6.5, 6.5)]
    for x, y in ring:
        cv.set(x, y, hexc('b03a2e') if y > 10 else hexc('e0584a'))
    for i in range(4):
        cv.set(11, 10 - i, hexc('1a1d26'))
    for i in range(1, 4):
        cv.set(11 + i, 10, hexc('1a1d26'))
    for x, y in ((11, 4), (17, 10), (11, 16), (5, 10)):
        cv.set(x, y, hexc('5a6070'))
    cv.set(11, 2, hexc('e0584a'))
    cv.set(10, 2, hexc('1a1d26'))
    cv.set(12, 2, hexc('1a1d26'))
    # A Wumpo for "out".
    w = Canvas(18, 18)
    draw_wumpo(w, 9, 11.0, 5.6, facing=1, pose='walk', step=0, antenna=0.4)
    cv.paste(w, 80 + 2, 1)
    # A small glowing exit door for "saved".
    door = Canvas(12, 17)
    glow = ramp('9a4f00', 'e08a1a', 'ffc24a', 'ffe9a8', 'fffdf0')
    for y in range(1, 16):
        for x in range(12):
            dx, dy = x + 0.5 - 6, y + 0.5 - 6
            if dy < 0 and dx * dx + dy * dy > 5.6 ** 2:
                continue
            inner = 3 <= x <= 8 and y <= 14 and (dy >= 0 or dx * dx + dy * dy <= 3.1 ** 2)
            if inner:
                door.set(x, y, dither(glow, 1.0 - math.hypot(dx / 3.5, (y - 14) / 12.0), x, y))
            else:
                door.set(x, y, EXIT_STONE[1] if (y % 3 == 0 or (x + y // 3) % 4 == 0)
                         else dither(EXIT_STONE, 0.45 + 0.3 * (x < 6), x, y))
    for x in range(12):
        door.set(x, 15, EXIT_STONE[3])
    door.set(5, 1, hexc('2ed15e'))
    door.set(6, 1, hexc('c6ffd4'))
    outline(door, hexc('1a1722'))
    cv.paste(door, 160 + 4, 1)
    # A pencil drawing a brick bridge for "draw material".
    for i in range(5):
        for x in range(i * 3, i * 3 + 3):
            cv.set(240 + 3 + x, 15, hexc('c45a2c') if i % 2 else hexc('e07a3c'))
            cv.set(240 + 3 + x, 16, hexc('8a3a1c'))
        cv.set(240 + 3 + i * 3, 15, hexc('5a2410'))
    for i in range(11):
        px, py = 240 + 6 + i, 12 - i
        cv.set(px, py, hexc('ffd23f'))
        cv.set(px + 1, py, hexc('f0a020'))
        cv.set(px - 1, py, hexc('fff08a'))
        cv.set(px, py + 1, hexc('c07010'))
    cv.set(240 + 5, 13, hexc('f2d2a8'))
    cv.set(240 + 4, 14, hexc('2a2a2a'))
    cv.set(240 + 6, 13, hexc('d9b48a'))
    for i in range(2):
        cv.set(240 + 16 + i, 2 - i + 1, hexc('ff7a8a'))
        cv.set(240 + 17 + i, 3 - i + 1, hexc('d05060'))


def draw_statbar():
    cv = Canvas(320, 20)
    for y in range(20):
        for x in range(320):
            t = 0.95 - y / 19.0 * 0.8 + 0.05 * math.sin(x * 0.9 + y * 0.3)
            cv.px[y][x] = dither(PANEL, t, x, y)
    # Bevel: bright top-left, dark bottom-right, black frame.
    for x in range(320):
        cv.px[0][x] = hexc('0c0f16')
        cv.px[19][x] = hexc('0c0f16')
        cv.px[1][x] = hexc('a7b6d8')
        cv.px[18][x] = PANEL[0]
    for y in range(20):
        cv.px[y][0] = hexc('0c0f16')
        cv.px[y][319] = hexc('0c0f16')
        if 0 < y < 19:
            cv.px[y][1] = hexc('a7b6d8')
            cv.px[y][318] = PANEL[0]
    # Grooves between the four sections, each with a rivet at either end.
    for sx in (80, 160, 240):
        for y in range(2, 18):
            cv.px[y][sx - 1] = PANEL[0]
            cv.px[y][sx] = hexc('93a3c8')
        for ry in (3, 15):
            for rx in (sx - 3, sx + 2):
                cv.px[ry][rx] = hexc('c9d3ea')
                cv.px[ry + 1][rx] = hexc('39435a')
    draw_status_icons(cv)
    for i, label in enumerate(('TIME', 'OUT', 'SAVED', 'DRAW')):
        x0 = i * 80
        draw_small_text(cv, x0 + 21, 8, label, hexc('ffe27a'), hexc('1c2233'))
        draw_counter(cv, x0 + 42, 3, 35)
    return cv


# ---------------------------------------------------------------------------------------------
# Logo
# ---------------------------------------------------------------------------------------------

LOGO_SKY = ramp('1b1f5e', '2a2f7e', '3b46a0', '5467c0', '7c8fd8', 'b59ed8', 'f0a7b8', 'ffc79a')
HILLS = ramp('16461e', '1f6426', '2f8a2e', '4cae38', '7fd04a')


def draw_logo():
    cv = Canvas(490, 50)
    for y in range(50):
        for x in range(490):
            t = (y / 49.0) ** 1.2
            cv.px[y][x] = dither(LOGO_SKY, t, x, y)
    # Stars in the dark upper sky.
    rng = Rng(4242)
    for _ in range(60):
        x, y = rng.randint(0, 489), rng.randint(0, 16)
        cv.px[y][x] = mix(cv.px[y][x], hexc('ffffff'), 0.4 + 0.5 * rng.random())
    # Sunset disc low on the right, partly behind the hills.
    for x, y in ellipse_pixels(462, 42, 15, 15):
        if 0 <= y < 50:
            cv.px[y][x] = dither(ramp('ff8a4a', 'ffb45a', 'ffe08a'), 1 - (y - 27) / 22.0, x, y)
    # Rolling hills along the bottom.
    for x in range(490):
        top = 41 - 4 * math.sin(x * 0.025) - 2 * math.sin(x * 0.07 + 1.3)
        for y in range(50):
            if y >= top:
                d = y - top
                c = dither(HILLS, 0.95 - d / 9.0, x, y)
                if d < 1:
                    c = HILLS[4]
                cv.px[y][x] = c
    # Title: "WUMPO" large and warm, "LEVEL TOOLS" smaller and cool, on a shared baseline.
    gold = ramp('fff6b0', 'ffe066', 'ffc21a', 'ff9a0a', 'e86a00')
    ice = ramp('ffffff', 'dff4ff', 'a8dcff', '6fb4f0', '4a86d0')
    big_w = text_mask("WUMPO", BIG_FONT, 5)[1]
    small_w = text_mask("LEVEL TOOLS", BIG_FONT, 3)[1]
    total = big_w + 14 + small_w
    ox = (490 - total) // 2
    draw_title(cv, "WUMPO", ox, 5, 5, gold, hexc('3a1500'), hexc('10133a'), hexc('ffffe8'))
    draw_title(cv, "LEVEL TOOLS", ox + big_w + 14, 5 + 35 - 21, 3, ice, hexc('0e1a4a'),
               hexc('10133a'), hexc('ffffff'))
    # Left: the start cloud with a Wumpo dropping out of it.
    cloud = draw_cloud()
    cv.paste(cloud, 14, 2)
    faller = Canvas(30, 30)
    draw_wumpo(faller, 15, 14, 7.0, facing=1, pose='fall')
    cv.paste(faller, 20, 16)
    # Speed lines above the falling Wumpo.
    for lx in (29, 41):
        for ly in range(18, 23):
            cv.blend(lx, ly, hexc('ffffff'), 0.5)
    # Right: two Wumpo marching over the hill.
    for wx, step, r in ((434, 1, 7.0), (457, 0, 7.0)):
        walker = Canvas(30, 30)
        draw_wumpo(walker, 15, 14, r, facing=1, pose='walk', step=step)
        ground_y = 41 - 4 * math.sin((wx + 15) * 0.025) - 2 * math.sin((wx + 15) * 0.07 + 1.3)
        cv.paste(walker, wx, round(ground_y) - 21)
    return cv


# ---------------------------------------------------------------------------------------------
# Backdrop: space with a ringed planet and a moon
# ---------------------------------------------------------------------------------------------

SPACE = ramp('04050f', '070a1c', '0c1030', '141743', '1d1a52')
NEBULA = ramp('141743', '2a1a5e', '4a1f74', '7a2a80', 'b04a8c', 'e07aa0')
PLANET = ramp('2a1208', '5a2a12', '8a4a1e', 'b8702e', 'd9974a', 'f0c07a', 'fff0c8')


def draw_backdrop():
    cv = Canvas(320, 240)
    for y in range(240):
        for x in range(320):
            t = 0.15 + 0.55 * ((x + y * 1.3) / 632.0)
            c = dither(SPACE, t, x, y)
            # A nebula band running across the sky.
            band = math.exp(-((y - 0.45 * x - 40) / 38.0) ** 2)
            n = fbm(x * 0.025, y * 0.025, 303, 5)
            v = band * (n - 0.35) * 2.0
            if v > 0.2 or (v > 0.0 and v / 0.2 > threshold(y, x)):
                c = dither(NEBULA, min(1.0, v), x, y)
            cv.px[y][x] = c
    rng = Rng(1357911)
    for _ in range(320):
        x, y = rng.randint(0, 319), rng.randint(0, 239)
        b = rng.random()
        tint = (hexc('ffffff'), hexc('cfe0ff'), hexc('ffe9c0'), hexc('ffd0e0'))[rng.randint(0, 3)]
        cv.px[y][x] = mix(cv.px[y][x], tint, 0.3 + 0.7 * b * b)
    for _ in range(14):
        x, y = rng.randint(3, 316), rng.randint(3, 236)
        tint = (hexc('ffffff'), hexc('cfe0ff'), hexc('ffe9c0'))[rng.randint(0, 2)]
        cv.px[y][x] = hexc('ffffff')
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            cv.px[y + dy][x + dx] = mix(cv.px[y + dy][x + dx], tint, 0.65)
    for sx, sy, arm in ((40, 190, 4), (150, 30, 5), (290, 40, 3), (110, 130, 3)):
        for i in range(1, arm + 1):
            a = 1.0 - i / (arm + 1.0)
            for dx, dy in ((i, 0), (-i, 0), (0, i), (0, -i)):
                cv.blend(sx + dx, sy + dy, hexc('dfe8ff'), a)
        cv.px[sy][sx] = hexc('ffffff')
        for dx, dy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
            cv.blend(sx + dx, sy + dy, hexc('dfe8ff'), 0.35)
    # Ringed gas giant, lit from the upper left.
    pcx, pcy, pr = 226.0, 150.0, 52.0
    tilt = 0.32

    def ring_hit(x, y):
        # Ring lies in a tilted plane: an ellipse band around the planet.
        dx, dy = x + 0.5 - pcx, y + 0.5 - pcy
        rx = dx * math.cos(0.35) + dy * math.sin(0.35)
        ry = -dx * math.sin(0.35) + dy * math.cos(0.35)
        d = math.hypot(rx, ry / tilt)
        return d, ry

    def draw_ring(front):
        for y in range(240):
            for x in range(320):
                d, ry = ring_hit(x, y)
                if 66 <= d <= 96 and ((ry > 0) == front):
                    inplanet = in_ellipse(x, y, pcx, pcy, pr, pr)
                    if inplanet and not front:
                        continue
                    band = 0.5 + 0.5 * math.sin(d * 0.9) * math.sin(d * 0.23)
                    if 79 <= d <= 81.5:
                        continue
                    t = 0.3 + 0.55 * band - (0.25 if d > 88 else 0)
                    # The planet shades the part of the ring behind it, away from the light.
                    sx, sy = x + 0.5 - pcx, y + 0.5 - pcy
                    if not front and sx > 0 and abs(sy - sx * 0.2) < pr * 0.9 and sx < 96:
                        t *= 0.35
                    cv.px[y][x] = dither(ramp('3a2c3a', '6a5a6a', 'a08a8a', 'd8c2a8', 'f4e6cc'),
                                         t, x, y)

    draw_ring(front=False)
    for x, y in ellipse_pixels(pcx, pcy, pr, pr):
        if not cv.inside(x, y):
            continue
        light = sphere_light(x, y, pcx, pcy, pr, pr, (-0.6, -0.5, 0.55))
        lat = (y + 0.5 - pcy) / pr
        stripes = math.sin(lat * 11.0 + 2.0 * fbm(x * 0.05, y * 0.2, 808, 3))
        t = light * (0.78 + 0.22 * stripes)
        if light <= 0.02:
            t = 0.0
        c = dither(PLANET, t, x, y)
        # A storm eye.
        if in_ellipse(x, y, pcx - 14, pcy + 16, 8, 4.5):
            c = dither(ramp('5a1a10', '9a3a1e', 'd0603a', 'f09060'), light * 1.05, x, y)
        cv.px[y][x] = c
    # Thin atmosphere glow on the lit limb.
    for x, y in ellipse_pixels(pcx, pcy, pr + 2, pr + 2):
        if cv.inside(x, y) and not in_ellipse(x, y, pcx, pcy, pr, pr):
            dx, dy = x + 0.5 - pcx, y + 0.5 - pcy
            if dx * -0.6 + dy * -0.5 > 10:
                cv.blend(x, y, hexc('ffd9a0'), 0.55)
    draw_ring(front=True)
    # A cratered grey moon.
    mcx, mcy, mr = 70.0, 62.0, 15.0
    moon = ramp('1a1c26', '3a3d4a', '5f6272', '8a8d9c', 'b8bac6', 'e4e5ec')
    for x, y in ellipse_pixels(mcx, mcy, mr, mr):
        light = sphere_light(x, y, mcx, mcy, mr, mr, (-0.6, -0.5, 0.55))
        cv.px[y][x] = dither(moon, light * 1.05, x, y)
    for kx, ky, kr in ((64, 56, 3.2), (75, 66, 2.4), (62, 68, 1.8), (73, 54, 1.5), (79, 59, 1.2)):
        for x, y in ellipse_pixels(kx, ky, kr, kr):
            if in_ellipse(x, y, mcx, mcy, mr, mr):
                inner = sphere_light(x, y, kx, ky, kr, kr, (0.6, 0.5, 0.55))
                cv.px[y][x] = mix(cv.px[y][x], moon[1] if inner < 0.6 else moon[3], 0.6)
    return cv


# ---------------------------------------------------------------------------------------------
# Icon
# ---------------------------------------------------------------------------------------------


def draw_icon():
    layer = Canvas(32, 32)
    draw_wumpo(layer, 15.5, 18.5, 11.8, facing=1, pose='stand', blush=True, mouth='open',
               antenna=0.38)
    return layer


# ---------------------------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------------------------


def bmp_bytes(cv, background=(0, 0, 0)):
    stride = (cv.w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(cv.h - 1, -1, -1):
        row = bytearray()
        for x in range(cv.w):
            c = cv.px[y][x] or background
            row += bytes((c[2], c[1], c[0]))
        row += b'\0' * (stride - len(row))
        pixels += row
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def ico_bytes(layer):
    """One 32 x 32 image: 24-bit colour bitmap (height doubled for the mask) and a 1-bit AND
    mask in which set bits are transparent."""
    w, h = layer.w, layer.h
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            c = layer.px[y][x] or (0, 0, 0)
            xor += bytes((c[2], c[1], c[0]))
        xor += b'\0' * (((w * 3 + 3) & ~3) - w * 3)
    mask_stride = ((w + 31) // 32) * 4
    andm = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if layer.px[y][x] is None:
                row[x // 8] |= 0x80 >> (x % 8)
        andm += row
    info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 24, 0, len(xor) + len(andm), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(andm)
    head = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', w, h, 0, 0, 1, 24, len(image), 6 + 16)
    return head + entry + image


def write(path, data):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, 'wb') as f:
        f.write(data)
    print('%-28s %7d bytes' % (path, len(data)))


def main():
    level = render_level()
    sx, sy = LEVEL_START
    ex, ey = LEVEL_EXIT
    write('images/logo.bmp', bmp_bytes(draw_logo()))
    write('images/cloud.bmp', bmp_bytes(composite(draw_cloud(), level.crop(sx, sy, 40, 14))))
    exit_bg = level.crop(ex, ey, 20, 40)
    write('images/exit.bmp',
          bmp_bytes(composite(draw_exit(ramp('5a2a00', '9a4f00', 'e08a1a', 'ffc24a', 'ffe9a8',
                                             'fffdf0'), ramp('0d6b2e', '2ed15e', 'c6ffd4'),
                                        arrow_up=True),
                              exit_bg)))
    write('images/exitgrav.bmp', bmp_bytes(composite(draw_exit_gravity(), exit_bg)))
    write('images/statbar.bmp', bmp_bytes(draw_statbar()))
    write('samples/level1.bmp', bmp_bytes(level))
    write('samples/backdrop1.bmp', bmp_bytes(draw_backdrop()))
    write('resources/wumpo.ico', ico_bytes(draw_icon()))


if __name__ == '__main__':
    main()
