"""Procedural textures: smooth value noise, wood with growth rings and
fibres, felt. Everything is driven by numpy RandomState with fixed seeds."""
import numpy as np
from PIL import Image


def smooth_noise(rng, shape, cells):
    """Value noise: a (cells) grid of random values, bicubically enlarged
    to 'shape' (h, w). Roughly zero mean, unit range."""
    ch, cw = cells
    small = rng.rand(ch, cw).astype(np.float32)
    img = Image.fromarray(small, "F").resize((shape[1], shape[0]), Image.BICUBIC)
    return np.asarray(img).astype(np.float64) * 2.0 - 1.0


def fractal(rng, shape, base_cells, octaves=4, aspect=(1, 1)):
    total = np.zeros(shape)
    amp, norm = 1.0, 0.0
    for o in range(octaves):
        c = (max(2, int(base_cells * aspect[0] * 2 ** o)), max(2, int(base_cells * aspect[1] * 2 ** o)))
        total += amp * smooth_noise(rng, shape, c)
        norm += amp
        amp *= 0.5
    return total / norm


def wood(rng, shape, light, dark, ring_count=9.0, warp=0.6, fibre=0.25, streak=0.18):
    """Wood whose grain runs along the x axis (columns) of 'shape'.
    Returns float RGB in 0..1."""
    h, w = shape
    ys = np.linspace(0, 1, h)[:, None]
    xs = np.linspace(0, 1, w)[None, :]
    # Growth rings: cut through a slightly tilted log, warped by noise.
    bend = fractal(rng, shape, 2, octaves=3, aspect=(1, 1)) * warp
    rings = (ys * ring_count + 0.35 * np.sin(xs * 2.3 + 1.1) + bend * 1.8 + xs * 0.6)
    phase = rings - np.floor(rings)
    # Late wood is a narrow dark band, early wood broad and light.
    band = np.clip((phase - 0.72) / 0.2, 0, 1) * np.clip((1.0 - phase) / 0.08, 0, 1)
    band = np.clip(band, 0, 1) ** 0.8
    # Fibres: fine noise stretched far along the grain.
    fib = fractal(rng, shape, 3, octaves=5, aspect=(h / 8.0 / 3, 0.35))
    fib2 = smooth_noise(rng, shape, (max(2, h // 2), max(2, w // 60)))
    # Broad colour streaks between planks of the same log.
    st = fractal(rng, shape, 2, octaves=2, aspect=(3, 0.6))
    t = np.clip(0.55 * band + fibre * (0.6 * fib + 0.4 * fib2) * 0.5 + streak * st + 0.22, 0, 1)
    light = np.asarray(light, dtype=np.float64) / 255.0
    dark = np.asarray(dark, dtype=np.float64) / 255.0
    return light[None, None, :] * (1 - t[..., None]) + dark[None, None, :] * t[..., None]


def felt(rng, shape, colour, grain=0.05):
    h, w = shape
    fine = rng.rand(h, w) - 0.5
    img = Image.fromarray(((fine + 0.5) * 255).astype(np.uint8), "L").resize((w, h))
    fine = np.asarray(img.filter(__import__("PIL.ImageFilter", fromlist=["x"]).GaussianBlur(0.8))) / 255.0 - 0.5
    mottle = fractal(rng, shape, 4, octaves=4)
    c = np.asarray(colour, dtype=np.float64) / 255.0
    f = 1.0 + grain * 3 * fine + 0.05 * mottle
    return c[None, None, :] * f[..., None]


def straight_grain(rng, shape, light, dark, lines=60.0, waviness=0.004, contrast=0.55, fibre=0.22):
    """Quarter-sawn wood: fine, nearly parallel growth lines along the x
    axis, spaced unevenly, gently wavy, with fibres and a soft colour drift.
    Float RGB in 0..1."""
    h, w = shape
    # Uneven spacing: the phase is the running sum of a random density.
    density = 1.0 + 0.85 * smooth_noise(rng, (h, 1), (max(2, int(lines / 3)), 1))[:, 0] \
        + 0.35 * smooth_noise(rng, (h, 1), (max(2, int(lines)), 1))[:, 0]
    density = np.clip(density, 0.25, None)
    phase_col = np.cumsum(density)
    phase_col = phase_col / phase_col[-1] * lines
    ys = np.arange(h, dtype=np.float64)
    wave = fractal(rng, shape, 2, octaves=3, aspect=(1.0, 1.5)) * waviness * h
    yy = np.clip(ys[:, None] + wave, 0, h - 1)
    phase = np.interp(yy, ys, phase_col)
    frac = phase - np.floor(phase)
    idx = np.floor(phase).astype(np.int64)
    strength = rng.rand(int(lines) + 4)[np.clip(idx, 0, int(lines) + 3)]
    # A sharp late-wood line followed by a soft early-wood fade.
    line = np.exp(-((frac - 0.08) / 0.05) ** 2) + 0.35 * np.exp(-((frac - 0.5) / 0.25) ** 2)
    line = line * (0.35 + 0.65 * strength)
    fib = smooth_noise(rng, shape, (max(2, h // 3), max(2, w // 90)))
    fib2 = smooth_noise(rng, shape, (max(2, h // 9), max(2, w // 200)))
    drift = fractal(rng, shape, 2, octaves=3, aspect=(0.6, 1.0))
    t = np.clip(contrast * line + fibre * (0.55 * fib + 0.45 * fib2) * 0.5 + 0.2 * drift + 0.18, 0, 1)
    light = np.asarray(light, dtype=np.float64) / 255.0
    dark = np.asarray(dark, dtype=np.float64) / 255.0
    return light[None, None, :] * (1 - t[..., None]) + dark[None, None, :] * t[..., None]
