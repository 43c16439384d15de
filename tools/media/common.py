"""Shared helpers of the media generator: paths, fonts, deterministic
saving, supersampled drawing and text with a dark rim."""
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
OUT = os.environ.get("KAVRO_MEDIA_OUT", os.path.join(ROOT, "media"))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def out_path(name):
    os.makedirs(OUT, exist_ok=True)
    return os.path.join(OUT, name)


def save_png(img, name):
    # No metadata, fixed compression: the same pixels give the same bytes.
    img.save(out_path(name), format="PNG", optimize=False, compress_level=9)


def save_jpg(img, name, quality=90):
    img = img.convert("RGB")
    # The game masks pure white as transparent on pictures without alpha;
    # keep every pixel clear of it.
    arr = np.minimum(np.asarray(img), 246).astype(np.uint8)
    Image.fromarray(arr, "RGB").save(out_path(name), format="JPEG", quality=quality,
                                     optimize=False, progressive=False, subsampling=0)


def to_img(arr):
    """float array in 0..1 (H, W, 3 or 4) -> PIL image."""
    a = np.clip(arr * 255.0 + 0.5, 0, 255).astype(np.uint8)
    return Image.fromarray(a, "RGBA" if a.shape[2] == 4 else "RGB")


def from_img(img):
    return np.asarray(img).astype(np.float64) / 255.0


def over(dst, src):
    """Porter-Duff 'over' for straight-alpha float RGBA arrays."""
    sa = src[..., 3:4]
    da = dst[..., 3:4]
    oa = sa + da * (1 - sa)
    rgb = np.where(oa > 1e-6, (src[..., :3] * sa + dst[..., :3] * da * (1 - sa)) / np.maximum(oa, 1e-6), 0)
    return np.concatenate([rgb, oa], axis=2)


def blur_alpha(mask_img, radius):
    return mask_img.filter(ImageFilter.GaussianBlur(radius))


def text_size(fnt, text):
    box = fnt.getbbox(text)
    return box[2] - box[0], box[3] - box[1], box


def draw_caption(img, text, cx, cy, fnt, fill=(255, 255, 255), rim=(20, 12, 4), rim_alpha=0.85,
                 shadow=True, stretch_to=None):
    """Draws text centred at (cx, cy) on an RGBA image with a dark rim and a
    soft drop shadow, so it reads on any background and at reduced size."""
    w, h, box = text_size(fnt, text)
    pad = 8
    layer = Image.new("L", (w + 2 * pad, h + 2 * pad), 0)
    ImageDraw.Draw(layer).text((pad - box[0], pad - box[1]), text, font=fnt, fill=255)
    if stretch_to and w > stretch_to:
        layer = layer.resize((int(round(layer.width * stretch_to / w)), layer.height), Image.LANCZOS)
        w = stretch_to
    x0 = int(round(cx - layer.width / 2))
    y0 = int(round(cy - layer.height / 2))
    base = from_img(img.convert("RGBA"))
    H, W = base.shape[:2]

    def paste(mask, colour, alpha, dx, dy):
        m = np.zeros((H, W))
        mk = np.asarray(mask).astype(np.float64) / 255.0
        xs, ys = x0 + dx, y0 + dy
        sx0, sy0 = max(0, -xs), max(0, -ys)
        ex, ey = min(mk.shape[1], W - xs), min(mk.shape[0], H - ys)
        if ex > sx0 and ey > sy0:
            m[ys + sy0:ys + ey, xs + sx0:xs + ex] = mk[sy0:ey, sx0:ex]
        src = np.zeros((H, W, 4))
        src[..., :3] = np.array(colour) / 255.0
        src[..., 3] = m * alpha
        return src

    out = base
    if shadow:
        sh = layer.filter(ImageFilter.MaxFilter(3)).filter(ImageFilter.GaussianBlur(2.0))
        out = over(out, paste(sh, (0, 0, 0), 0.7, 1, 2))
    rim_mask = layer.filter(ImageFilter.MaxFilter(3)).filter(ImageFilter.GaussianBlur(0.6))
    out = over(out, paste(rim_mask, rim, rim_alpha, 0, 0))
    out = over(out, paste(layer, fill, 1.0, 0, 0))
    return to_img(out)


def rounded_mask(size, box, radius, ss=4):
    """Anti-aliased rounded-rectangle mask (L image of 'size')."""
    W, H = size
    big = Image.new("L", (W * ss, H * ss), 0)
    x0, y0, x1, y1 = box
    ImageDraw.Draw(big).rounded_rectangle((x0 * ss, y0 * ss, x1 * ss - 1, y1 * ss - 1), radius * ss, fill=255)
    return big.resize((W, H), Image.LANCZOS)
