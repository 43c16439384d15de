"""Glossy stones, ray-traced: an oblate spheroid resting on the board,
seen orthographically at the board's elevation (about 41 degrees in the
perspective view, straight down in the flat view), lit from the upper
left in perspective and from straight above in the flat view, with its soft shadow on the board inside the picture."""
import numpy as np
from PIL import Image

from common import save_png

COLOURS = [
    (246, 196, 22),    # 0 yellow
    (28, 72, 214),     # 1 blue
    (18, 188, 216),    # 2 cyan
    (40, 168, 56),     # 3 green
    (214, 34, 34),     # 4 red
    (198, 40, 192),    # 5 magenta
]
# Perspective elevation: near row gap over near column pitch, 53 / 80.6.
PERSP_ELEVATION = float(np.degrees(np.arcsin(53.0 / (1129.0 / 14.0))))


def _norm(v):
    v = np.asarray(v, dtype=np.float64)
    return v / np.linalg.norm(v)


def render_stone(colour, elevation, width, height, radius, flat=0.40, lift=0.0, ss=4,
                 light=(-0.45, -0.25, 1.0), shadow=0.5, sheen=0.22, spot=(0.95, 120)):
    """RGBA float (height, width, 4). 'lift' moves the contact point this
    many pixels below the picture centre."""
    phi = np.radians(elevation)
    d = np.array([0.0, np.cos(phi), -np.sin(phi)])          # viewing direction
    right = np.array([1.0, 0.0, 0.0])
    up = np.array([0.0, np.sin(phi), np.cos(phi)])
    a, c = float(radius), float(radius) * flat
    L = _norm(light)
    V = -d
    Hh = _norm(L + V)
    ys = (np.arange(height * ss) + 0.5) / ss
    xs = (np.arange(width * ss) + 0.5) / ss
    sx, sy = np.meshgrid(xs - width / 2.0, height / 2.0 - ys + lift)   # screen up; contact at (0, 0)
    o = sx[..., None] * right + sy[..., None] * up - 100.0 * d
    # Spheroid centred at (0, 0, c), scaled to the unit sphere.
    scale = np.array([1 / a, 1 / a, 1 / c])
    oc = (o - np.array([0, 0, c])) * scale
    dd = d * scale
    A = np.dot(dd, dd)
    B = 2 * np.sum(oc * dd, axis=-1)
    C = np.sum(oc * oc, axis=-1) - 1
    disc = B * B - 4 * A * C
    hit = disc > 0
    t = (-B - np.sqrt(np.maximum(disc, 0))) / (2 * A)
    p = o + t[..., None] * d
    n = (p - np.array([0, 0, c])) * np.array([1 / a ** 2, 1 / a ** 2, 1 / c ** 2])
    n = n / np.linalg.norm(n, axis=-1, keepdims=True)
    base = np.asarray(colour, dtype=np.float64) / 255.0
    ndl = np.clip(np.sum(n * L, axis=-1), 0, 1)
    ndh = np.clip(np.sum(n * Hh, axis=-1), 0, 1)
    ndv = np.clip(np.sum(n * V, axis=-1), 0, 1)
    # Ambient occlusion towards the board, diffuse, a broad sheen and a
    # sharp highlight, and a fresnel reflection of a pale room.
    ao = 0.55 + 0.45 * np.clip((p[..., 2]) / (2 * c), 0, 1)
    col = base * (0.30 * ao + 0.78 * ndl)[..., None]
    fres = (0.04 + 0.96 * (1 - ndv) ** 5)[..., None]
    env = np.array([0.85, 0.88, 0.95]) * (0.35 + 0.65 * np.clip(n[..., 2:3], 0, 1))
    col = col * (1 - 0.55 * fres) + env * 0.55 * fres
    col = col + sheen * (ndh ** 12)[..., None] + spot[0] * (ndh ** spot[1])[..., None]
    # Bounce light from the board along the lower rim.
    col = col + base * 0.18 * np.clip(-n[..., 2:3], 0, 1)
    stone_a = hit.astype(np.float64)
    # Shadow on the board plane z = 0.
    tz = -o[..., 2] / d[2]
    g = o + tz[..., None] * d
    sc = np.array([-c * L[0] / L[2], -c * L[1] / L[2]])
    dist = np.sqrt((g[..., 0] - sc[0]) ** 2 + (g[..., 1] - sc[1]) ** 2) / (a * 1.02)
    sh = np.clip(1.0 - (dist - 0.70) / 0.38, 0, 1) ** 1.6 * shadow
    # Fade the shadow out before the picture's border so it never ends in a cut.
    bx = np.minimum(xs, width - xs)[None, :]
    by = np.minimum(ys, height - ys)[:, None]
    sh = sh * np.clip(np.minimum(bx, by) / 5.0, 0, 1)
    out = np.zeros(sx.shape + (4,))
    out[..., 3] = sh * (1 - stone_a)
    out[..., :3] = 0.0
    out[..., :3] = np.where(hit[..., None], np.clip(col, 0, 1), 0)
    out[..., 3] = np.maximum(out[..., 3], stone_a)
    # Downsample with premultiplied alpha.
    pm = np.dstack([out[..., :3] * out[..., 3:4], out[..., 3:4]])
    h2, w2 = height, width
    pm = pm.reshape(h2, ss, w2, ss, 4).mean(axis=(1, 3))
    a_ = pm[..., 3:4]
    rgb = np.where(a_ > 1e-6, pm[..., :3] / np.maximum(a_, 1e-6), 0)
    return np.dstack([rgb, a_])


def to_png(arr, name):
    img = Image.fromarray(np.clip(arr * 255 + 0.5, 0, 255).astype(np.uint8), "RGBA")
    save_png(img, name)


def glint(size=42, radius=18.6, ss=4):
    """2D-glint.png: the light a flat stone catches, drawn over it with the
    additive blend and swung by the game-over display. The stones below are
    lit from straight above, so only this glint turns: a soft crescent of
    reflected light near the rim with a bright core, kept inside the stone."""
    n = size * ss
    c = (np.arange(n) + 0.5) / ss - size / 2.0
    x, y = np.meshgrid(c, c)
    r = np.sqrt(x * x + y * y)
    inside = np.clip((radius - 1.0 - r) * 1.5, 0, 1)
    # Polar frame: the crescent lies at 0.62 radius, centred up and to the left.
    angle = np.arctan2(y, x) - np.radians(-135.0)
    angle = (angle + np.pi) % (2 * np.pi) - np.pi
    band = np.exp(-((r - 0.62 * radius) / (0.13 * radius)) ** 2)
    arc = np.exp(-(angle / 0.62) ** 2)
    core = np.exp(-(((x + 0.44 * radius) ** 2 + (y + 0.44 * radius) ** 2) / (0.11 * radius) ** 2))
    a = np.clip(0.75 * band * arc + 0.9 * core, 0, 1) * inside
    rgb = np.ones(a.shape + (3,)) * np.array([1.0, 0.97, 0.9])
    out = np.dstack([rgb * a[..., None], a[..., None]])
    out = out.reshape(size, ss, size, ss, 4).mean(axis=(1, 3))
    alpha = out[..., 3:4]
    rgb = np.where(alpha > 1e-6, out[..., :3] / np.maximum(alpha, 1e-6), 0)
    return np.dstack([rgb, alpha])


def build():
    for k, colour in enumerate(COLOURS):
        to_png(render_stone(colour, PERSP_ELEVATION, 70, 50, 29.5, flat=0.36, lift=5.5,
                            light=(-0.55, 0.55, 1.0)), "3D-button-%d.png" % k)
        # Seen from above the lamp stands straight overhead: highlight and
        # shadow are round about the centre, so a stone looks the same at
        # every angle when the game-over display swings it.
        to_png(render_stone(colour, 90.0, 42, 42, 18.6, flat=0.40, lift=0.0,
                            light=(0.0, 0.0, 1.0), shadow=0.55, sheen=0.10, spot=(0.8, 900)),
               "2D-button-%d.png" % k)
    to_png(glint(), "2D-glint.png")


if __name__ == "__main__":
    build()
