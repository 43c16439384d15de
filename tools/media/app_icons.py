"""The program's icon for the desktop, in the sizes of the icon theme: a
yellow stone on the corner point of the board, seen from above, on a tile
cut from the board's own wood (frame, mitre, stringing, grid).

Written to packaging/icons/kavro-N.png, not to media/: everything in media/
is compiled into the game. Only the 64 px one is also written to
media/window-icon.png: the game sets it on its window for task bars and
window switchers."""
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from boards import FRAME, LINE_RGB, P, board_texture
from common import ROOT, over, save_png
from stones import COLOURS, render_stone

OUT = os.environ.get("KAVRO_ICONS_OUT", os.path.join(ROOT, "packaging", "icons"))
SIZES = [16, 32, 48, 64, 128, 256]
WINDOW_ICON = 64
SS = 4


def layout(n):
    """margin (px), board units shown across the tile, stone radius (units),
    grid line half-width (px). Small icons show less board and a bigger
    stone so the stone still reads; lines never get thinner than a pixel."""
    if n <= 16:
        return 0, 2.3, 0.52, 0.5
    if n <= 32:
        return 1, 2.6, 0.48, 0.5
    return round(n * 0.04), 3.0, 0.44, max(0.5, 0.0065 * n)


def wood_tile(tex, span, t_ss):
    """The board's top-left corner region (u, v from -FRAME to
    -FRAME + span), area-filtered to t_ss x t_ss."""
    texels = int(round(span * P))
    region = tex[:texels, :texels]
    chans = [np.asarray(Image.fromarray(region[..., c].astype(np.float32), "F")
                        .resize((t_ss, t_ss), Image.BOX)) for c in range(3)]
    return np.dstack(chans).astype(np.float64)


def render(tex, n):
    margin, span, stone_units, half_px = layout(n)
    tile = n - 2 * margin
    W, T, M = n * SS, tile * SS, margin * SS
    k = T / span                                   # supersampled px per board unit
    rgb = wood_tile(tex, span, T)
    xs = (np.arange(T) + 0.5) / k - FRAME          # board units of each pixel
    u = np.broadcast_to(xs[None, :], (T, T))
    v = np.broadcast_to(xs[:, None], (T, T))

    # Grid lines from the corner point right and down, as engraved in the
    # game's flat board.
    hw = half_px * SS
    du = np.abs(u - np.maximum(np.round(u), 0)) * k
    dv = np.abs(v - np.maximum(np.round(v), 0)) * k
    cover = np.maximum(np.clip(hw - du + 0.5, 0, 1) * (v > -0.01),
                       np.clip(hw - dv + 0.5, 0, 1) * (u > -0.01))
    rgb = rgb * (1 - 0.88 * cover[..., None]) + LINE_RGB * 0.88 * cover[..., None]

    # Light of the room: a lamp towards the upper left and a bevel round the
    # tile that catches it on the upper and left edges.
    lamp = 1.06 - 0.12 * np.hypot(u + FRAME, v + FRAME) / span
    rgb = rgb * lamp[..., None]
    ys_px = np.arange(T)[:, None] + 0.5
    xs_px = np.arange(T)[None, :] + 0.5
    edge = np.minimum(np.minimum(xs_px, T - xs_px), np.minimum(ys_px, T - ys_px))
    bevel = np.clip(1 - edge / max(SS * 1.0, 0.035 * T), 0, 1)
    lit = (np.minimum(xs_px, ys_px) <= np.minimum(T - xs_px, T - ys_px))
    gain = np.where(lit, 1.3, 0.62)
    rgb = np.clip(rgb * (1 + (gain - 1) * bevel)[..., None], 0, 1)

    radius = 0.09 * T
    mask_img = Image.new("L", (W, W), 0)
    ImageDraw.Draw(mask_img).rounded_rectangle((M, M, M + T - 1, M + T - 1), radius, fill=255)
    mask = np.asarray(mask_img).astype(np.float64) / 255.0
    canvas = np.zeros((W, W, 4))
    if margin >= 2:
        # A soft shadow under the tile, inside the margin.
        shadow = mask_img.filter(ImageFilter.GaussianBlur(margin * SS * 0.4))
        shadow = np.roll(np.asarray(shadow).astype(np.float64) / 255.0, int(margin * SS * 0.45), axis=0)
        canvas[..., 3] = 0.45 * shadow
    layer = np.zeros((W, W, 4))
    layer[M:M + T, M:M + T, :3] = rgb
    layer[..., 3] = mask
    canvas = over(canvas, layer)

    # The stone on the corner point (0, 0) with its own shadow on the wood.
    r_px = stone_units * k
    size = int(np.ceil(r_px * 3.2 / 2)) * 2
    stone = render_stone(COLOURS[0], 90.0, size, size, r_px, flat=0.40, lift=0.0, ss=1,
                         light=(-0.4, 0.45, 1.0), shadow=0.55)
    cx = M + int(round(FRAME * k))
    x0 = cx - size // 2
    placed = np.zeros((W, W, 4))
    placed[x0:x0 + size, x0:x0 + size] = stone
    placed[..., 3] *= mask
    canvas = over(canvas, placed)

    # Down to the icon's size with premultiplied alpha.
    pm = np.dstack([canvas[..., :3] * canvas[..., 3:4], canvas[..., 3:4]])
    pm = pm.reshape(n, SS, n, SS, 4).mean(axis=(1, 3))
    a = pm[..., 3:4]
    col = np.where(a > 1e-6, pm[..., :3] / np.maximum(a, 1e-6), 0)
    out = np.clip(np.dstack([col, a]) * 255 + 0.5, 0, 255).astype(np.uint8)
    return Image.fromarray(out, "RGBA")


def build():
    tex = board_texture()
    os.makedirs(OUT, exist_ok=True)
    for n in SIZES:
        # No metadata, fixed compression: the same pixels give the same bytes.
        icon = render(tex, n)
        icon.save(os.path.join(OUT, "kavro-%d.png" % n), format="PNG",
                  optimize=False, compress_level=9)
        if n == WINDOW_ICON:
            save_png(icon, "window-icon.png")


if __name__ == "__main__":
    build()
