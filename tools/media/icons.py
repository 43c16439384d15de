"""Pictograms for the docks, drawn as white shapes into a 4x supersampled
mask. Each function draws into (draw, s) where s(x) scales cell pixels to
mask pixels, inside the square (ox, oy, size) it is given."""
import math

from PIL import ImageDraw

from common import font


class Pen:
    def __init__(self, img, ox, oy, size, ss):
        self.d = ImageDraw.Draw(img)
        self.ox, self.oy, self.k, self.ss = ox, oy, size / 100.0, ss

    def p(self, x, y):
        return ((self.ox + x * self.k) * self.ss, (self.oy + y * self.k) * self.ss)

    def w(self, width):
        return max(1, int(round(width * self.k * self.ss)))

    def poly(self, pts, fill=255):
        self.d.polygon([self.p(x, y) for x, y in pts], fill=fill)

    def rect(self, x0, y0, x1, y1, fill=255, r=0):
        a, b = self.p(x0, y0), self.p(x1, y1)
        if r:
            self.d.rounded_rectangle((a[0], a[1], b[0], b[1]), r * self.k * self.ss, fill=fill)
        else:
            self.d.rectangle((a[0], a[1], b[0], b[1]), fill=fill)

    def ellipse(self, cx, cy, rx, ry, fill=255, outline=None, width=0):
        a, b = self.p(cx - rx, cy - ry), self.p(cx + rx, cy + ry)
        self.d.ellipse((a[0], a[1], b[0], b[1]), fill=fill, outline=outline, width=self.w(width) if width else 0)

    def line(self, pts, width, fill=255):
        self.d.line([self.p(x, y) for x, y in pts], fill=fill, width=self.w(width), joint="curve")
        r = width / 2.0
        for x, y in (pts[0], pts[-1]):
            self.ellipse(x, y, r, r, fill=fill)

    def arc(self, cx, cy, r, start, end, width, fill=255):
        a, b = self.p(cx - r, cy - r), self.p(cx + r, cy + r)
        self.d.arc((a[0], a[1], b[0], b[1]), start, end, fill=fill, width=self.w(width))

    def text(self, x, y, s, size, name="DejaVuSans-Bold.ttf", fill=255):
        f = font(name, int(size * self.k * self.ss))
        self.d.text(self.p(x, y), s, font=f, fill=fill, anchor="mm")

    def arrow_head(self, tip, direction, length, half, fill=255):
        dx, dy = math.cos(direction), math.sin(direction)
        bx, by = tip[0] - dx * length, tip[1] - dy * length
        self.poly([tip, (bx - dy * half, by + dx * half), (bx + dy * half, by - dx * half)], fill)


# Every pictogram uses a 100 x 100 design square.

def sheet(pen):
    pen.poly([(22, 6), (62, 6), (80, 24), (80, 94), (22, 94)])
    pen.poly([(62, 6), (62, 24), (80, 24)], fill=0)
    pen.poly([(62, 10), (62, 24), (76, 24)], fill=150)
    for y in (40, 52, 64):
        pen.line([(32, y), (70, y)], 4, fill=0)
    # sparkle of something new
    pen.ellipse(74, 80, 17, 17, fill=0)
    pen.ellipse(74, 80, 13, 13)
    pen.line([(74, 72), (74, 88)], 5, fill=0)
    pen.line([(66, 80), (82, 80)], 5, fill=0)


def folder(pen):
    pen.poly([(8, 22), (36, 22), (44, 30), (86, 30), (86, 84), (8, 84)], fill=170)
    pen.poly([(4, 44), (92, 44), (84, 88), (12, 88)])
    # arrow out of the folder
    pen.line([(56, 74), (56, 44)], 9, fill=0)
    pen.line([(56, 72), (56, 30)], 6)
    pen.arrow_head((56, 6), -math.pi / 2, 22, 15)
    pen.line([(56, 40), (56, 22)], 6)


def disk(pen):
    pen.poly([(10, 8), (78, 8), (92, 22), (92, 92), (10, 92)])
    pen.rect(26, 8, 70, 36, fill=0)
    pen.rect(54, 13, 64, 31, fill=255)
    pen.rect(22, 52, 80, 92, fill=0, r=4)
    pen.rect(26, 56, 76, 92, fill=200, r=3)
    for y in (66, 76):
        pen.line([(34, y), (68, y)], 3, fill=0)


def info(pen):
    pen.ellipse(50, 50, 44, 44)
    pen.ellipse(50, 27, 8, 8, fill=0)
    pen.rect(42, 42, 58, 78, fill=0, r=3)
    pen.rect(36, 72, 64, 80, fill=0, r=2)
    pen.rect(36, 42, 50, 49, fill=0, r=2)


def music(pen):
    pen.ellipse(26, 78, 14, 10)
    pen.ellipse(72, 70, 14, 10)
    pen.line([(38, 76), (38, 18)], 6)
    pen.line([(84, 68), (84, 10)], 6)
    pen.poly([(35, 14), (87, 4), (87, 20), (35, 30)])
    pen.text(14, 28, "?", 34)


def power(pen):
    pen.arc(50, 54, 36, -52, 232, 11)
    pen.line([(50, 8), (50, 50)], 11)


def view_switch(pen):
    # the board from above ...
    pen.rect(0, 20, 42, 62, fill=255, r=2)
    for t in (14, 28):
        pen.line([(t, 20), (t, 62)], 3, fill=0)
        pen.line([(0, 20 + t), (42, 20 + t)], 3, fill=0)
    # ... and in perspective
    pen.poly([(62, 20), (88, 20), (100, 62), (50, 62)])
    for t in (1 / 3.0, 2 / 3.0):
        pen.line([(62 + 26 * t, 20), (50 + 50 * t, 62)], 3, fill=0)
    pen.line([(58.5, 33), (91.5, 33)], 3, fill=0)
    pen.line([(54.5, 47), (95.5, 47)], 3, fill=0)
    # double arrow between them
    pen.line([(34, 84), (66, 84)], 6)
    pen.arrow_head((24, 84), math.pi, 14, 10)
    pen.arrow_head((76, 84), 0, 14, 10)


def resize(pen):
    pen.rect(8, 30, 62, 84, fill=255, r=4)
    pen.rect(14, 36, 56, 78, fill=0, r=2)
    pen.rect(8, 30, 40, 52, fill=255, r=3)
    pen.line([(44, 58), (80, 22)], 8)
    pen.arrow_head((92, 10), -math.pi / 4, 24, 15)


def rotate(pen):
    pen.rect(34, 34, 66, 66, fill=200, r=3)
    pen.line([(45, 34), (45, 66)], 2.5, fill=0)
    pen.line([(55, 34), (55, 66)], 2.5, fill=0)
    pen.line([(34, 45), (66, 45)], 2.5, fill=0)
    pen.line([(34, 55), (66, 55)], 2.5, fill=0)
    pen.arc(50, 50, 40, 20, 320, 9)
    ang = math.radians(320)
    tip = (50 + 40 * math.cos(ang) + 10, 50 + 40 * math.sin(ang) + 8)
    pen.arrow_head(tip, math.radians(45), 24, 16)


def network(pen):
    nodes = [(50, 16), (16, 78), (84, 78)]
    for a in range(3):
        for b in range(a + 1, 3):
            pen.line([nodes[a], nodes[b]], 6)
    pen.line([(50, 16), (50, 56)], 6)
    pen.line([(16, 78), (50, 56)], 6)
    pen.line([(84, 78), (50, 56)], 6)
    for x, y in nodes:
        pen.ellipse(x, y, 14, 14)
        pen.ellipse(x, y, 7, 7, fill=0)
    pen.ellipse(50, 56, 10, 10)


def arrow_left(pen):
    pen.poly([(6, 50), (46, 12), (46, 34), (94, 34), (94, 66), (46, 66), (46, 88)])


def arrow_right(pen):
    pen.poly([(94, 50), (54, 12), (54, 34), (6, 34), (6, 66), (54, 66), (54, 88)])


def rules(pen):
    pen.rect(6, 10, 94, 90, fill=235, r=6)
    for i in range(1, 5):
        pen.line([(6 + 17.6 * i, 10), (6 + 17.6 * i, 90)], 2, fill=0)
        pen.line([(6, 10 + 16 * i), (94, 10 + 16 * i)], 2, fill=0)
    for i in range(5):
        pen.ellipse(6 + 17.6 * (i + 0.0) + 4, 82 - 16 * i, 8, 8, fill=0)
        pen.ellipse(6 + 17.6 * (i + 0.0) + 4, 82 - 16 * i, 5.5, 5.5, fill=255)


def opponents(pen):
    # two players facing each other
    for cx, g in ((30, 255), (70, 200)):
        pen.ellipse(cx, 30, 15, 15, fill=g)
        pen.d.chord([pen.p(cx - 26, 50), pen.p(cx + 26, 110)], 180, 360, fill=g)
    pen.rect(0, 80, 100, 100, fill=0)
    pen.text(50, 90, "VS", 22)


def gear(pen):
    teeth = 8
    pts = []
    for i in range(teeth * 4):
        a = 2 * math.pi * i / (teeth * 4)
        r = 44 if (i % 4) in (1, 2) else 32
        pts.append((50 + r * math.cos(a), 50 + r * math.sin(a)))
    pen.poly(pts)
    pen.ellipse(50, 50, 14, 14, fill=0)


def chip(pen):
    pen.rect(24, 24, 76, 76, fill=255, r=6)
    for i in range(4):
        t = 31 + 12.7 * i
        pen.line([(t, 8), (t, 24)], 5)
        pen.line([(t, 76), (t, 92)], 5)
        pen.line([(8, t), (24, t)], 5)
        pen.line([(76, t), (92, t)], 5)
    pen.text(50, 50, "KI", 28, fill=0)


def author(pen):
    pen.ellipse(50, 50, 44, 44)
    pen.ellipse(50, 50, 36, 36, fill=0)
    pen.arc(50, 50, 20, 40, 320, 8)


def back_to_game(pen):
    pen.arc(52, 54, 34, 180, 360 + 60, 10)
    pen.arrow_head((14, 62), math.radians(90), 24, 16)
    pen.rect(40, 42, 64, 66, fill=200, r=3)


LEFT = [sheet, folder, disk, info, music, power]
RIGHT = [view_switch, resize, rotate, network, arrow_left, arrow_right]
INFO = [rules, opponents, gear, chip, author, back_to_game]
