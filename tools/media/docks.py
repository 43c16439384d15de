"""Dock strips (side docks, new-game dock, info dock and their title
strips), the new-game panel and the progress bar with its cover."""
import numpy as np
from PIL import Image, ImageDraw, ImageFilter

import icons
import wood
from common import draw_caption, font, over, save_png
from stones import COLOURS, render_stone

SS = 4


def shape_mask(W, H, fn):
    """Draws with fn(ImageDraw, ss) into a supersampled L mask -> float."""
    img = Image.new("L", (W * SS, H * SS), 0)
    fn(ImageDraw.Draw(img))
    return np.asarray(img).astype(np.float64) / 255.0


def blur(m, radius):
    img = Image.fromarray((np.clip(m, 0, 1) * 255).astype(np.uint8), "L")
    return np.asarray(img.filter(ImageFilter.GaussianBlur(radius * SS))).astype(np.float64) / 255.0


def erode(m, px):
    img = Image.fromarray((np.clip(m, 0, 1) * 255).astype(np.uint8), "L")
    size = int(px * SS) * 2 + 1
    return np.asarray(img.filter(ImageFilter.MinFilter(size))).astype(np.float64) / 255.0


def shift(m, dx, dy):
    return np.roll(np.roll(m, int(dy * SS), axis=0), int(dx * SS), axis=1)


def layer(colour, alpha):
    """RGBA layer from an RGB array (or one RGB triple) and an alpha mask."""
    if np.ndim(colour) == 1:
        colour = np.broadcast_to(np.asarray(colour, dtype=np.float64), alpha.shape + (3,))
    return np.dstack([colour, alpha])


def solid(shape, rgb):
    return np.broadcast_to(np.asarray(rgb, dtype=np.float64) / 255.0, shape + (3,))


def downsample(rgba):
    H, W = rgba.shape[0] // SS, rgba.shape[1] // SS
    pm = np.dstack([rgba[..., :3] * rgba[..., 3:4], rgba[..., 3:4]])
    pm = pm.reshape(H, SS, W, SS, 4).mean(axis=(1, 3))
    a = pm[..., 3:4]
    return np.dstack([np.where(a > 1e-6, pm[..., :3] / np.maximum(a, 1e-6), 0), a])


def to_image(rgba):
    return Image.fromarray(np.clip(rgba * 255 + 0.5, 0, 255).astype(np.uint8), "RGBA")


def glossy_tile(canvas, box, radius, colour):
    """A rounded, glossy tile in 'colour' with a soft drop shadow."""
    H, W = canvas.shape[:2]
    x0, y0, x1, y1 = [v * SS for v in box]
    m = shape_mask(W // SS, H // SS, lambda d: d.rounded_rectangle((x0, y0, x1 - 1, y1 - 1), radius * SS, fill=255))
    sh = shift(blur(m, 3.0), 0, 3)
    canvas = over(canvas, layer(solid(m.shape, (0, 0, 0)), sh * 0.55))
    ys = np.linspace(0, 1, H)[:, None] * np.ones((1, W))
    t = np.clip((ys * H - y0) / max(1, (y1 - y0)), 0, 1)
    c = np.asarray(colour, dtype=np.float64) / 255.0
    top = np.clip(c * 1.25 + 0.12, 0, 1)
    bottom = c * 0.55
    body = top[None, None, :] * (1 - t[..., None]) + bottom[None, None, :] * t[..., None]
    canvas = over(canvas, layer(body, m))
    # Glare across the upper half, as on a lacquered surface.
    inner = erode(m, 2.5)
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float64)
    cx, w2 = (x0 + x1) / 2, (x1 - x0) * 0.62
    cy, h2 = y0 - (y1 - y0) * 0.35, (y1 - y0) * 0.78
    ell = (((xx - cx) / w2) ** 2 + ((yy - cy) / h2) ** 2) < 1.0
    glare = inner * ell * (0.42 - 0.32 * t / 0.5).clip(0.06, 1)
    canvas = over(canvas, layer(solid(m.shape, (255, 255, 255)), glare))
    # Rims: light inside, dark outside.
    rim_in = np.clip(m - erode(m, 1.5), 0, 1) * (0.55 - 0.4 * t)
    canvas = over(canvas, layer(solid(m.shape, (255, 255, 255)), rim_in))
    rim_out = np.clip(m - erode(m, 0.8), 0, 1) * 0.6
    canvas = over(canvas, layer(solid(m.shape, (10, 10, 20)), rim_out))
    return canvas


def pictogram(canvas, fn, ox, oy, size):
    H, W = canvas.shape[:2]
    img = Image.new("L", (W, H), 0)
    fn(icons.Pen(img, ox, oy, size, SS))
    m = np.asarray(img).astype(np.float64) / 255.0
    sh = shift(blur(m, 1.4), 1, 2)
    canvas = over(canvas, layer(solid(m.shape, (0, 0, 0)), sh * 0.55))
    edge = np.clip(blur(m, 0.5) * 1.6, 0, 1)
    canvas = over(canvas, layer(solid(m.shape, (20, 20, 30)), edge * 0.45))
    ys = np.linspace(0, 1, H)[:, None] * np.ones((1, W))
    t = np.clip((ys * H / SS - oy) / size, 0, 1)
    body = np.array([1.0, 1.0, 1.0])[None, None, :] * (1 - 0.16 * t[..., None])
    body = body * np.array([1.0, 0.99, 0.97])
    return over(canvas, layer(body, m))


def empty(W, H):
    return np.zeros((H * SS, W * SS, 4))


def clear_border(cell, px=2):
    """The game samples strip cells with linear filtering: keep a clear
    border so no neighbour's shadow bleeds in as a line along the edge."""
    a = np.asarray(cell).astype(np.float64)
    h, w = a.shape[:2]
    ramp_x = np.clip((np.minimum(np.arange(w), w - 1 - np.arange(w)) - px + 1) / 3.0, 0, 1)
    ramp_y = np.clip((np.minimum(np.arange(h), h - 1 - np.arange(h)) - px + 1) / 3.0, 0, 1)
    a[..., 3] *= ramp_y[:, None] * ramp_x[None, :]
    return Image.fromarray(np.clip(a + 0.5, 0, 255).astype(np.uint8), "RGBA")


SIDE_LEFT = [("Neu", (44, 150, 84)), ("Laden", (214, 140, 40)), ("Speichern", (40, 104, 196)),
             ("Infos", (26, 150, 172)), ("Musik?", (134, 72, 176)), ("Beenden", (196, 46, 46))]
SIDE_RIGHT = [("2D ↔ 3D", (26, 150, 172)), ("Größe", (74, 84, 186)), ("Drehen", (214, 122, 40)),
              ("Netzwerk", (40, 104, 196)), ("Zurück", (88, 100, 118)), ("Vorwärts", (88, 100, 118))]


def side_dock(entries, pictos, name):
    strip = Image.new("RGBA", (720, 120), (0, 0, 0, 0))
    caption_font = font("DejaVuSansCondensed-Bold.ttf", 18)
    for i, ((title, colour), fn) in enumerate(zip(entries, pictos)):
        c = empty(120, 120)
        c = glossy_tile(c, (7, 4, 113, 112), 22, colour)
        c = pictogram(c, fn, 33, 12, 54)
        cell = to_image(downsample(c))
        cell = draw_caption(cell, title, 60, 92, caption_font, stretch_to=100)
        strip.paste(clear_border(cell), (i * 120, 0))
    save_png(strip, name)


INFO = [("Spielregeln", (44, 150, 84)), ("Gegner", (196, 46, 46)), ("Optionen", (88, 100, 118)),
        ("Externe KI", (40, 104, 196)), ("Urheber", (134, 72, 176)), ("zurück zum Spiel", (214, 122, 40))]


def info_dock():
    icons_img = Image.new("RGBA", (320, 450), (0, 0, 0, 0))
    titles_img = Image.new("RGBA", (320, 450), (0, 0, 0, 0))
    caption_font = font("DejaVuSansCondensed-Bold.ttf", 19)
    for i, ((title, colour), fn) in enumerate(zip(INFO, icons.INFO)):
        c = empty(160, 150)
        c = glossy_tile(c, (22, 30, 138, 144), 24, colour)
        c = pictogram(c, fn, 45, 52, 70)
        cell = to_image(downsample(c))
        pos = ((i % 2) * 160, (i // 2) * 150)
        icons_img.paste(clear_border(cell), pos)
        titles_img.paste(clear_border(draw_caption(cell, title, 80, 15, caption_font, stretch_to=154)), pos)
    save_png(icons_img, "InfoDock.png")
    save_png(titles_img, "InfoDockTitles.png")


NEW_GAME = [("(Multiplayer)", 1), ("Der Spontane", 2), ("Der Flexible", 3), ("Der Konsequente", 4),
            ("Der Denker", 5)]


def glass_button(colour):
    """A round glass button holding a stone, 120 x 150, bottom aligned."""
    W, H = 120, 150
    c = empty(W, H)
    cx, cy, r = 60, 94, 52
    yy, xx = np.mgrid[0:H * SS, 0:W * SS].astype(np.float64) / SS
    d = np.sqrt((xx - cx) ** 2 + (yy - cy) ** 2)
    disc = np.clip(r - d + 0.5 / SS, 0, 1)
    shadow = np.clip(1 - np.sqrt(((xx - cx) / (r * 0.95)) ** 2 + ((yy - (cy + r - 4)) / 7.0) ** 2), 0, 1)
    c = over(c, layer(solid(disc.shape, (0, 0, 0)), blur(shadow, 2.0) * 0.6))
    tint = np.asarray(colour, dtype=np.float64) / 255.0
    rr = np.clip(d / r, 0, 1)[..., None]
    glass = (tint * 0.22 + 0.06) * (1 - rr) + (tint * 0.08 + 0.02) * rr
    c = over(c, layer(glass, disc * (0.78 + 0.17 * rr[..., 0])))
    stone = render_stone(colour, 62.0, 84, 84, 30.0, flat=0.42, lift=-2, light=(-0.5, 0.6, 1.0), shadow=0.55)
    big = np.asarray(Image.fromarray(np.clip(stone * 255, 0, 255).astype(np.uint8), "RGBA").resize(
        (84 * SS, 84 * SS), Image.BICUBIC)).astype(np.float64) / 255.0
    st = np.zeros_like(c)
    ox, oy = int((cx - 42) * SS), int((cy - 42) * SS)
    st[oy:oy + 84 * SS, ox:ox + 84 * SS] = big
    c = over(c, st)
    # The glass in front: a bright rim, a glare on top, light caught below.
    rim = np.clip(1 - np.abs(d - (r - 1.5)) / 1.6, 0, 1)
    c = over(c, layer(solid(disc.shape, (230, 240, 255)), rim * (0.35 + 0.45 * np.clip((cy - yy) / r, 0, 1))))
    glare = np.clip(1 - np.sqrt(((xx - cx) / (r * 0.72)) ** 2 + ((yy - (cy - r * 0.52)) / (r * 0.40)) ** 2), 0, 1)
    c = over(c, layer(solid(disc.shape, (255, 255, 255)), np.clip(glare * 2.5, 0, 1) * 0.38 *
                      np.clip((cy - r * 0.15 - yy) / (r * 0.8), 0, 1)))
    low = np.clip(1 - np.abs(d - r * 0.86) / (r * 0.1), 0, 1) * np.clip((yy - cy - r * 0.35) / (r * 0.5), 0, 1)
    c = over(c, layer(solid(disc.shape, tint * 255 * 0.5 + 128), low * 0.35 * disc))
    return to_image(downsample(c))


def new_game_dock():
    icons_img = Image.new("RGBA", (600, 150), (0, 0, 0, 0))
    titles_img = Image.new("RGBA", (600, 150), (0, 0, 0, 0))
    big = font("DejaVuSansCondensed-Bold.ttf", 18)
    small = font("DejaVuSansCondensed-Bold.ttf", 14)
    for i, (title, kind) in enumerate(NEW_GAME):
        cell = glass_button(COLOURS[kind])
        icons_img.paste(clear_border(cell), (i * 120, 0))
        if title.startswith("Der "):
            t = draw_caption(cell, "Der", 60, 10, small)
            t = draw_caption(t, title[4:], 60, 28, big, stretch_to=116)
        else:
            t = draw_caption(cell, title, 60, 22, big, stretch_to=116)
        titles_img.paste(clear_border(t), (i * 120, 0))
    save_png(icons_img, "NewGameDock.png")
    save_png(titles_img, "NewGameDockTitles.png")


def new_game_panel():
    W, H = 600, 500
    c = empty(W, H)
    box = (12, 10, 588, 488)
    m = shape_mask(W, H, lambda d: d.rounded_rectangle([v * SS for v in box], 34 * SS, fill=255))
    c = over(c, layer(solid(m.shape, (0, 0, 0)), shift(blur(m, 5), 0, 4) * 0.5))
    yy = np.linspace(0, 1, H * SS)[:, None] * np.ones((1, W * SS))
    top, bottom = np.array([52, 36, 24]) / 255.0, np.array([18, 12, 8]) / 255.0
    body = top * (1 - yy[..., None]) + bottom * yy[..., None]
    # A fine leather grain, so the panel is not a flat fill.
    rng = np.random.RandomState(600)
    grain = wood.fractal(rng, (H * SS, W * SS), 40, octaves=3)
    body = body * (1 + 0.10 * grain[..., None])
    c = over(c, layer(np.clip(body, 0, 1), m * 0.9))
    # Gold rim and an inner hairline.
    rim = np.clip(m - erode(m, 3.0), 0, 1)
    gold = np.array([232, 190, 96]) / 255.0 * (1.15 - 0.5 * yy[..., None])
    c = over(c, layer(np.clip(gold, 0, 1), rim * 0.95))
    inner = erode(m, 9.0)
    hair = np.clip(inner - erode(m, 10.2), 0, 1)
    c = over(c, layer(solid(m.shape, (214, 170, 90)), hair * 0.55))
    # Glare over the top.
    g = np.clip(1 - yy / 0.42, 0, 1) ** 2 * 0.16 * erode(m, 4.0)
    c = over(c, layer(solid(m.shape, (255, 240, 220)), g))
    # Separator between the heading and the choice.
    sep = shape_mask(W, H, lambda d: d.line([(120 * SS, 152 * SS), (480 * SS, 152 * SS)], fill=255, width=2 * SS))
    xx = np.linspace(-1, 1, W * SS)[None, :] * np.ones((H * SS, 1))
    c = over(c, layer(solid(m.shape, (232, 190, 96)), sep * np.clip(1 - np.abs(xx) / 0.62, 0, 1) * 0.9))
    save_png(to_image(downsample(c)), "NewGameBackground.png")


def progress():
    # The bar: five glossy cells, drawn one per searched candidate. No alpha:
    # the game masks white, so no pixel is pure white.
    bar = np.zeros((10, 240, 3))
    ys = (np.arange(10) + 0.5) / 10.0
    prof = 0.55 + 0.6 * np.exp(-((ys - 0.3) / 0.22) ** 2) - 0.25 * ys
    for i in range(5):
        t = i / 4.0
        col = np.array([150, 60, 200]) * (1 - t) + np.array([255, 110, 230]) * t
        for x in range(48):
            edge = 0.75 if x in (0, 47) else 1.0
            bar[:, i * 48 + x] = np.clip(col[None, :] * prof[:, None] * edge, 0, 250)
    Image.fromarray(bar.astype(np.uint8), "RGB").save(
        __import__("common").out_path("progress-bar.png"), format="PNG", optimize=False, compress_level=9)
    # The cover: a silver frame around a clear glass window over the bar.
    W, H = 250, 20
    c = empty(W, H)
    outer = shape_mask(W, H, lambda d: d.rounded_rectangle((0, 0, W * SS - 1, H * SS - 1), 9 * SS, fill=255))
    window = shape_mask(W, H, lambda d: d.rounded_rectangle((5 * SS, 5 * SS, 245 * SS - 1, 15 * SS - 1), 4 * SS,
                                                             fill=255))
    frame = np.clip(outer - window, 0, 1)
    yy = np.linspace(0, 1, H * SS)[:, None] * np.ones((1, W * SS))
    metal = np.array([236, 238, 244]) / 255.0 * (1 - 0.55 * yy[..., None]) + np.array([40, 40, 50]) / 255.0 * \
        0.3 * yy[..., None]
    c = over(c, layer(np.clip(metal, 0, 1), frame))
    c = over(c, layer(solid(frame.shape, (20, 20, 30)), np.clip(window - erode(window, 0.8), 0, 1) * 0.8))
    shine = window * np.clip((0.55 - yy) / 0.3, 0, 1) * 0.35
    c = over(c, layer(solid(frame.shape, (255, 255, 255)), shine))
    c = over(c, layer(solid(frame.shape, (0, 0, 0)), np.clip(outer - erode(outer, 0.7), 0, 1) * 0.6))
    save_png(to_image(downsample(c)), "progress-cover.png")


def build():
    side_dock(SIDE_LEFT, icons.LEFT, "Dock-Left.png")
    side_dock(SIDE_RIGHT, icons.RIGHT, "Dock-Right.png")
    info_dock()
    new_game_dock()
    new_game_panel()
    progress()


if __name__ == "__main__":
    build()
