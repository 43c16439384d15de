"""The board pictures: one wooden board (light field, dark mitred frame,
"KAVRO" inlaid in one side) drawn in perspective (3D-Board-r.jpg) and from
above (2D-Board-r-schmal.jpg) in its four rotations, and the plain backdrop
EmptyBackground.jpg.

The board texture lives in board space (u, v: square columns and rows,
0..14 on the grid). Picture r shows the texture turned exactly as the game
turns the stones: the stone on (x, y) moves to (14 - y, x)."""
import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from common import font, save_jpg
from geometry import FLAT_DX, FLAT_DY, FLAT_X0, FLAT_Y0, Perspective
import wood as W

P = 100                      # texture pixels per board unit
FIELD = 0.55                 # light field beyond the outer grid lines
FRAME = 1.1                  # outer edge of the frame beyond the grid
N = int(round((14 + 2 * FRAME) * P))
SS = 3                       # supersampling of the rendered pictures
STARS = [(3, 3), (11, 3), (3, 11), (11, 11), (7, 7)]
LINE_RGB = np.array([38, 22, 10]) / 255.0
THICKNESS = 34               # board edge seen at the near side, design px

persp = Perspective()


def unit_coords(n=N):
    c = (np.arange(n) + 0.5) / P - FRAME
    return c[None, :], c[:, None]          # u (columns), v (rows)


def inlay_mask():
    """'KAVRO' in the near frame (rows beyond the grid's last row)."""
    img = Image.new("L", (N * 2, N * 2), 0)
    fnt = font("DejaVuSerif-Bold.ttf", int(0.40 * P * 2))
    d = ImageDraw.Draw(img)
    text = "K A V R O"
    cx = (7 + FRAME) * P * 2
    cy = (14 + FIELD + (FRAME - FIELD) / 2 + FRAME) * P * 2
    d.text((cx, cy), text, font=fnt, fill=255, anchor="mm")
    # small diamond inlays on both sides of the name
    for sx in (-1, 1):
        x = cx + sx * 2.35 * P * 2
        r = 0.09 * P * 2
        d.polygon([(x - 2.2 * r, cy), (x, cy - r), (x + 2.2 * r, cy), (x, cy + r)], fill=255)
    img = img.resize((N, N), Image.LANCZOS)
    return np.asarray(img).astype(np.float64) / 255.0


def board_texture():
    """Board-space RGB of the unturned board, and its frame mask."""
    rng = np.random.RandomState(1507)
    u, v = unit_coords()
    # The field's grain runs from the near to the far edge, so in the
    # perspective view it converges towards the horizon.
    field = np.transpose(W.straight_grain(rng, (N, N), light=(238, 198, 138), dark=(186, 126, 66),
                                          lines=52, waviness=0.006), (1, 0, 2))
    frame_h = W.straight_grain(rng, (N, N), light=(122, 58, 30), dark=(58, 22, 10), lines=150,
                               waviness=0.002, contrast=0.6)
    frame_v = np.transpose(W.straight_grain(rng, (N, N), light=(122, 58, 30), dark=(58, 22, 10), lines=150,
                                            waviness=0.002, contrast=0.6), (1, 0, 2))
    dx = np.maximum(np.maximum(-FIELD - u, u - 14 - FIELD), 0)
    dy = np.maximum(np.maximum(-FIELD - v, v - 14 - FIELD), 0)
    in_frame = (dx > 0) | (dy > 0)
    horiz = dy >= dx
    tex = np.where(in_frame[..., None], np.where(horiz[..., None], frame_h, frame_v), field)
    # Mitre joints: a fine dark seam on the diagonals of the frame.
    seam = in_frame & (np.abs(dx - dy) < 0.012) & (dx > 0) & (dy > 0)
    tex[seam] *= 0.55
    # Stringing: a thin light line with dark borders where field meets frame.
    d_edge = np.maximum(np.abs(u - 7), np.abs(v - 7)) - (7 + FIELD)
    string = np.clip(1 - np.abs(d_edge + 0.03) / 0.018, 0, 1)
    dark_line = np.clip(1 - np.abs(np.abs(d_edge + 0.03) - 0.024) / 0.008, 0, 1)
    tex = tex * (1 - 0.8 * dark_line[..., None])
    tex = tex * (1 - string[..., None]) + np.array([236, 210, 160]) / 255.0 * string[..., None]
    # The name, inlaid in pale maple with an engraved dark edge.
    m = inlay_mask()
    edge = np.clip(np.asarray(Image.fromarray((m * 255).astype(np.uint8)).filter(
        ImageFilter.MaxFilter(5))).astype(np.float64) / 255.0 - m, 0, 1)
    tex = tex * (1 - 0.7 * edge[..., None])
    maple = W.straight_grain(rng, (N, N), light=(244, 220, 168), dark=(214, 178, 116), lines=300, contrast=0.3)
    tex = tex * (1 - m[..., None]) + maple * m[..., None]
    return tex


def turn(tex, r):
    """Board-space array [v][u] turned r quarter turns the way the game
    turns its stones: what lay at (u, v) comes to (14 - v, u)."""
    return np.rot90(tex, -r).copy()


def world_light(tex):
    """Lighting fixed to the room (applied after turning): a warm lamp above
    the middle, bevelled outer edges catching the light at the near side."""
    u, v = unit_coords()
    lamp = 1.0 + 0.10 * np.exp(-(((u - 6.0) / 9.0) ** 2 + ((v - 6.5) / 9.0) ** 2)) - 0.05
    out = tex * lamp[..., None]
    outer = np.minimum(np.minimum(u + FRAME, FRAME + 14 - u), np.minimum(v + FRAME, FRAME + 14 - v))
    bevel = np.clip(1 - outer / 0.07, 0, 1)
    near = (v - 7) >= np.abs(u - 7)
    far = (7 - v) >= np.abs(u - 7)
    left = (7 - u) > np.abs(v - 7)
    gain = np.where(near, 1.35, np.where(far, 0.7, np.where(left, 1.15, 0.85)))
    out = out * (1 + (gain - 1) * bevel)[..., None]
    return out


def sample(tex, fu, fv):
    """Bilinear lookup of board-space texture at float unit coordinates."""
    iu = (fu + FRAME) * P - 0.5
    iv = (fv + FRAME) * P - 0.5
    iu = np.clip(iu, 0, N - 1.001)
    iv = np.clip(iv, 0, N - 1.001)
    u0 = np.floor(iu).astype(np.int32)
    v0 = np.floor(iv).astype(np.int32)
    a = (iu - u0)[..., None]
    b = (iv - v0)[..., None]
    t00 = tex[v0, u0]
    t01 = tex[v0, u0 + 1]
    t10 = tex[v0 + 1, u0]
    t11 = tex[v0 + 1, u0 + 1]
    return (t00 * (1 - a) + t01 * a) * (1 - b) + (t10 * (1 - a) + t11 * a) * b


def grid_cover(du_px, dv_px, u, v, half_width):
    """Coverage of the grid lines given the pixel distances to the nearest
    column line and row line (supersampled pixels). Column lines run from
    row 0 to row 14, row lines from column 0 to column 14."""
    cu = np.clip(half_width - du_px + 0.5, 0, 1) * ((v >= 0) & (v < 14.02))
    cv = np.clip(half_width - dv_px + 0.5, 0, 1) * ((u > -0.02) & (u < 14.02))
    return np.maximum(cu, cv)


def downsample(a, f=SS):
    h, w = a.shape[0] // f, a.shape[1] // f
    return a[:h * f, :w * f].reshape(h, f, w, f, -1).mean(axis=(1, 3))


def background(shape, seed, centre, spread):
    """Dark green baize lit from above, falling off towards the corners."""
    rng = np.random.RandomState(seed)
    h, w = shape
    base = W.felt(rng, shape, (34, 78, 52))
    ys, xs = np.mgrid[0:h, 0:w].astype(np.float64)
    d = np.sqrt(((xs - centre[0]) / spread[0]) ** 2 + ((ys - centre[1]) / spread[1]) ** 2)
    light = 0.42 + 0.75 * np.exp(-d ** 2 * 1.2)
    return base * light[..., None]


def composite(bg, board_rgba, shadow_offset=(10, 20), shadow_blur=16, shadow_strength=0.65):
    a = board_rgba[..., 3]
    m = Image.fromarray((a * 255).astype(np.uint8), "L")
    soft = np.asarray(m.filter(ImageFilter.GaussianBlur(shadow_blur))).astype(np.float64) / 255.0
    contact = np.asarray(m.filter(ImageFilter.GaussianBlur(3))).astype(np.float64) / 255.0
    soft = np.roll(np.roll(soft, shadow_offset[1], axis=0), shadow_offset[0], axis=1)
    contact = np.roll(np.roll(contact, 3, axis=0), 1, axis=1)
    shade = 1 - shadow_strength * np.maximum(soft, contact * 0.9)
    out = bg * shade[..., None]
    return out * (1 - a[..., None]) + board_rgba[..., :3] * a[..., None]


def render_perspective(tex):
    Hs, Ws = 850 * SS, 1400 * SS
    ys = (np.arange(Hs) + 0.5) / SS
    xs = (np.arange(Ws) + 0.5) / SS
    # The wood, the frame and the outline follow the smooth projective fit
    # of the tables (straight edges); the grid follows the tables exactly.
    v_row = persp.inverse_rows(ys, exact=False)
    v_row = np.where(np.isnan(v_row), -99, v_row)
    L, R = persp.fl(v_row), persp.fr(v_row)
    u = (xs[None, :] - L[:, None]) / ((R - L) / 14.0)[:, None]
    v = np.broadcast_to(v_row[:, None], u.shape)
    on_top = (u >= -FRAME) & (u <= 14 + FRAME) & (v >= -FRAME) & (v <= 14 + FRAME)
    rgb = sample(tex, u, v)
    ve_row = persp.inverse_rows(ys)
    ve_row = np.where(np.isnan(ve_row), -99, ve_row)
    Le, Re = persp.left(ve_row), persp.right(ve_row)
    pitch = (Re - Le) / 14.0
    ue = (xs[None, :] - Le[:, None]) / pitch[:, None]
    ve = np.broadcast_to(ve_row[:, None], ue.shape)
    k_u = np.clip(np.round(ue), 0, 14)
    du = np.abs(ue - k_u) * pitch[:, None] * SS
    k_v = np.clip(np.round(ve_row), 0, 14).astype(int)
    dv = np.abs(ys - persp.y(k_v.astype(np.float64)))[:, None] * SS * np.ones_like(ue)
    depth = (pitch / (1129.0 / 14.0))[:, None]
    hw = (0.55 + 0.75 * depth) * SS
    cover = grid_cover(du, dv, ue, ve, hw)
    # A fine light edge under each line gives the inlaid, engraved look.
    glint = np.clip(hw + 1.2 * SS - np.abs(dv - hw - 0.8 * SS) * 1.6, 0, 1) * (dv > hw) * \
        ((ue > -0.02) & (ue < 14.02))
    rgb = rgb * (1 + 0.10 * glint[..., None])
    for sx, sy in STARS:
        d = np.sqrt(((ue - sx) * pitch[:, None]) ** 2 + ((ve - sy) * (pitch[:, None] * 0.66)) ** 2) * SS
        r = (2.6 + 2.6 * depth) * SS
        cover = np.maximum(cover, np.clip(r - d + 0.5, 0, 1))
    rgb = rgb * (1 - 0.88 * cover[..., None]) + LINE_RGB * 0.88 * cover[..., None]
    alpha = on_top.astype(np.float64)
    # The near edge of the board: its front face, lit from above.
    y0 = float(persp.fy(14 + FRAME))
    xl = float(persp.fl(14 + FRAME) - FRAME * (persp.fr(14 + FRAME) - persp.fl(14 + FRAME)) / 14.0)
    xr = float(persp.fr(14 + FRAME) + FRAME * (persp.fr(14 + FRAME) - persp.fl(14 + FRAME)) / 14.0)
    ty = (ys - y0) / THICKNESS
    face_rows = (ty >= 0) & (ty <= 1)
    taper = ty[:, None] * 6.0
    face = face_rows[:, None] & (xs[None, :] >= xl + taper) & (xs[None, :] <= xr - taper) & ~on_top
    rng = np.random.RandomState(77)
    streak = W.fractal(rng, (64, 1400), 3, octaves=4, aspect=(0.5, 6))
    srow = np.clip((ty * 63).astype(int), 0, 63)
    scol = np.clip(xs.astype(int), 0, 1399)
    fs = streak[srow[:, None], scol[None, :]]
    base = np.array([96, 44, 20]) / 255.0
    shade = (1.0 - 0.45 * np.clip(ty, 0, 1))[:, None] * (1 + 0.12 * fs)
    edge_hi = np.clip(1 - ty / 0.10, 0, 1)[:, None]
    face_rgb = base[None, None, :] * shade[..., None] * (1 + 0.9 * edge_hi[..., None])
    rgb = np.where(face[..., None], face_rgb, rgb)
    alpha = np.maximum(alpha, face)
    big = np.dstack([rgb * alpha[..., None], alpha])
    small = downsample(big)
    a = small[..., 3]
    col = np.where(a[..., None] > 1e-6, small[..., :3] / np.maximum(a, 1e-6)[..., None], 0)
    board = np.dstack([col, a])
    bg = background((850, 1400), 4242, centre=(700, 430), spread=(820, 520))
    # Darker far away, where the felt recedes.
    fade = np.clip(0.65 + 0.35 * (np.arange(850) / 850.0) ** 0.6, 0, 1)
    bg = bg * fade[:, None, None]
    return composite(bg, board, shadow_offset=(6, 22), shadow_blur=14)


def render_flat(tex):
    Hs, Ws = 850 * SS, 1000 * SS
    ys = (np.arange(Hs) + 0.5) / SS
    xs = (np.arange(Ws) + 0.5) / SS
    u = np.broadcast_to(((xs - FLAT_X0) / FLAT_DX)[None, :], (Hs, Ws))
    v = np.broadcast_to(((ys - FLAT_Y0) / FLAT_DY)[:, None], (Hs, Ws))
    on_top = (u >= -FRAME) & (u <= 14 + FRAME) & (v >= -FRAME) & (v <= 14 + FRAME)
    rgb = sample(tex, u, v)
    du = np.abs(u - np.clip(np.round(u), 0, 14)) * FLAT_DX * SS
    dv = np.abs(v - np.clip(np.round(v), 0, 14)) * FLAT_DY * SS
    hw = 1.15 * SS
    cover = grid_cover(du, dv, u, v, hw)
    glint_v = np.clip(hw + 1.0 * SS - np.abs(dv - hw - 0.8 * SS) * 1.6, 0, 1) * (dv > hw) * \
        ((u > -0.02) & (u < 14.02))
    rgb = rgb * (1 + 0.10 * glint_v[..., None])
    for sx, sy in STARS:
        d = np.sqrt(((u - sx) * FLAT_DX) ** 2 + ((v - sy) * FLAT_DY) ** 2) * SS
        cover = np.maximum(cover, np.clip(4.6 * SS - d + 0.5, 0, 1))
    rgb = rgb * (1 - 0.88 * cover[..., None]) + LINE_RGB * 0.88 * cover[..., None]
    alpha = on_top.astype(np.float64)
    big = np.dstack([rgb * alpha[..., None], alpha])
    small = downsample(big)
    a = small[..., 3]
    col = np.where(a[..., None] > 1e-6, small[..., :3] / np.maximum(a, 1e-6)[..., None], 0)
    board = np.dstack([col, a])
    bg = background((850, 1000), 4243, centre=(500, 425), spread=(620, 560))
    return composite(bg, board, shadow_offset=(9, 12), shadow_blur=12, shadow_strength=0.7)


def empty_background(board):
    """Splash and info backdrop: the baize under a lamp, with the board far
    out of focus in the lower part, dark where texts are shown."""
    canvas = background((900, 1400), 4244, centre=(700, 300), spread=(900, 600)) * 0.62
    top = 150                                  # first render row taken over
    dest = 250                                 # where it lands
    part = board[top:top + 900 - dest]
    ramp = np.clip((np.arange(part.shape[0]) - 10) / 60.0, 0, 1)[:, None, None]
    canvas[dest:] = canvas[dest:] * (1 - ramp) + part * ramp
    img = Image.fromarray(np.clip(canvas * 255, 0, 255).astype(np.uint8)).filter(ImageFilter.GaussianBlur(7))
    out = np.asarray(img).astype(np.float64) / 255.0
    ys = np.arange(900)[:, None] / 900.0
    out = out * (0.36 + 0.22 * np.clip((ys - 0.45) / 0.5, 0, 1))[..., None]
    yy, xx = np.mgrid[0:900, 0:1400].astype(np.float64)
    v = np.sqrt(((xx - 700) / 820) ** 2 + ((yy - 420) / 560) ** 2)
    return out * np.clip(1.15 - 0.55 * v ** 2, 0.25, 1)[..., None]


def build():
    tex0 = board_texture()
    first = None
    for r in range(4):
        t = world_light(turn(tex0, r))
        img = render_perspective(t)
        if first is None:
            first = img
        save_jpg(Image.fromarray(np.clip(img * 255 + 0.5, 0, 255).astype(np.uint8)), "3D-Board-%d.jpg" % r)
        img = render_flat(t)
        save_jpg(Image.fromarray(np.clip(img * 255 + 0.5, 0, 255).astype(np.uint8)), "2D-Board-%d-schmal.jpg" % r)
    img = empty_background(first)
    save_jpg(Image.fromarray(np.clip(img * 255 + 0.5, 0, 255).astype(np.uint8)), "EmptyBackground.jpg")


if __name__ == "__main__":
    build()
