"""bitmapfont.png: 101 cells of 46 x 60, pure white glyphs with a dark rim on a
shared baseline. The game measures each glyph from its non-transparent
columns (advance = width - 2), so the soft rim doubles as side bearing."""
import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from common import font, save_png

GLYPHS = ("abcdefghijklmnopqrstuvwxyzäöüß"
          "ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÜ"
          "1234567890"
          "!§$%&/()=?,.;:-_²³#'+*{[]}\\<>|°^")
CELL_W, CELL_H = 46, 60
BASELINE = 46          # y of the baseline inside the cell
SIZE = 38              # font size in pixels
SS = 4                 # supersampling of the glyph shapes
MAX_CORE = 36          # widest glyph body; the rim adds 3 per side
RIM = 3                # columns of dark rim on each side


def glyph_cell(ch, fnt_big):
    big = Image.new("L", (CELL_W * SS * 2, CELL_H * SS), 0)
    d = ImageDraw.Draw(big)
    # anchor "ls": left end of the baseline
    d.text((CELL_W * SS // 2, BASELINE * SS), ch, font=fnt_big, fill=255, anchor="ls")
    arr = np.asarray(big)
    cols = np.where(arr.max(axis=0) > 0)[0]
    x0, x1 = cols[0], cols[-1] + 1
    core = big.crop((x0, 0, x1, big.height))
    width = (x1 - x0) / SS
    target = min(width, MAX_CORE)
    new_w = max(1, int(round(target * SS)))
    core = core.resize((new_w, big.height), Image.LANCZOS) if new_w != core.width else core
    # Centre the body in the cell.
    cell_big = Image.new("L", (CELL_W * SS, CELL_H * SS), 0)
    cell_big.paste(core, ((CELL_W * SS - new_w) // 2, 0))
    shape = np.asarray(cell_big.resize((CELL_W, CELL_H), Image.BOX)).astype(np.float64) / 255.0
    return shape


def build():
    fnt_big = font("DejaVuSans-Bold.ttf", SIZE * SS)
    strip = np.zeros((CELL_H, CELL_W * len(GLYPHS), 4))
    for i, ch in enumerate(GLYPHS):
        body = glyph_cell(ch, fnt_big)
        img = Image.fromarray((body * 255).astype(np.uint8), "L")
        rim = np.asarray(img.filter(ImageFilter.MaxFilter(3)).filter(ImageFilter.GaussianBlur(0.7))) / 255.0
        glow = np.asarray(img.filter(ImageFilter.MaxFilter(5)).filter(ImageFilter.GaussianBlur(1.4))) / 255.0
        dark = np.clip(np.maximum(rim * 0.95, glow * 0.55), 0, 1)
        # A crisp extent: faint blur tails would widen the measured glyph.
        dark[dark < 0.06] = 0
        if ch == "_":
            # No rim at the ends: at the font's spacing (overlap 2) a row of
            # underscores joins into one unbroken line.
            dark[:, body.max(axis=0) <= 0] = 0
        a = body + dark * (1 - body)
        # The body is pure white, so a text colour set by the game comes out
        # exactly; only the antialiased edge blends into the rim.
        rgb = np.where(a[..., None] > 0, body[..., None] / np.maximum(a, 1e-6)[..., None], 0)
        rgb = np.repeat(rgb, 3, axis=2) if rgb.shape[2] == 1 else rgb
        cell = np.dstack([rgb, a])
        cell[:, 0, :] = 0          # column 0 reads as "not found yet" in the measuring rule
        cell[:, -1, :] = 0
        strip[:, i * CELL_W:(i + 1) * CELL_W] = cell
    out = np.clip(strip * 255 + 0.5, 0, 255).astype(np.uint8)
    save_png(Image.fromarray(out, "RGBA"), "bitmapfont.png")


if __name__ == "__main__":
    build()
