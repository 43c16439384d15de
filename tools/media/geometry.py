"""Where the board's squares lie in the two views: the perspective tables of
the game and a smooth continuous mapping through them, so textures, the
board rim and the grid can be drawn between and beyond the square centres."""
import numpy as np

PERSP_LEFT = [394, 383, 373, 361, 347, 335, 318, 303, 285, 267, 245, 224, 197, 169, 136]
PERSP_ROW_Y = [194, 210, 229, 249, 269, 292, 316, 343, 372, 403, 438, 475, 517, 565, 618]
PERSP_RIGHT = [1007, 1017, 1027, 1040, 1053, 1066, 1083, 1099, 1115, 1134, 1156, 1179, 1205, 1233, 1265]

FLAT_X0, FLAT_DX = 154.7, 49.4
FLAT_Y0, FLAT_DY = 77.0, 50.0


def _fit_projective(values):
    """Least-squares fit of f(v) = (a v + b) / (c v + 1) to the 15 table
    values (linearised: f = a v + b - c v f)."""
    v = np.arange(15, dtype=np.float64)
    f = np.asarray(values, dtype=np.float64)
    A = np.stack([v, np.ones_like(v), -v * f], axis=1)
    (a, b, c), *_ = np.linalg.lstsq(A, f, rcond=None)
    return lambda t: (a * t + b) / (c * t + 1)


class Perspective:
    """Continuous row mapping: row coordinate v -> screen y, left and right
    x of columns 0 and 14. Exact at integer rows, a projective curve plus a
    smoothly interpolated residual in between and beyond."""

    def __init__(self):
        self.fy = _fit_projective(PERSP_ROW_Y)
        self.fl = _fit_projective(PERSP_LEFT)
        self.fr = _fit_projective(PERSP_RIGHT)
        v = np.arange(15, dtype=np.float64)
        self.ry = np.asarray(PERSP_ROW_Y) - self.fy(v)
        self.rl = np.asarray(PERSP_LEFT) - self.fl(v)
        self.rr = np.asarray(PERSP_RIGHT) - self.fr(v)

    @staticmethod
    def _residual(res, t):
        t = np.asarray(t, dtype=np.float64)
        r = np.interp(t, np.arange(15), res)
        return r

    def y(self, v):
        return self.fy(v) + self._residual(self.ry, v)

    def left(self, v):
        return self.fl(v) + self._residual(self.rl, v)

    def right(self, v):
        return self.fr(v) + self._residual(self.rr, v)

    def x(self, u, v):
        l = self.left(v)
        return l + np.asarray(u) * (self.right(v) - l) / 14.0

    def inverse_rows(self, ys, vmin=-4.0, vmax=19.0, exact=True):
        """Screen y -> v (monotone), by inverting a dense sampling of the
        exact mapping or of the smooth fit alone."""
        vs = np.linspace(vmin, vmax, 20001)
        return np.interp(ys, self.y(vs) if exact else self.fy(vs), vs, left=np.nan, right=np.nan)

    def centre(self, x, y):
        return PERSP_LEFT[y] + x * (PERSP_RIGHT[y] - PERSP_LEFT[y]) / 14.0, float(PERSP_ROW_Y[y])


def flat_centre(x, y):
    return FLAT_X0 + FLAT_DX * x, FLAT_Y0 + FLAT_DY * y


if __name__ == "__main__":
    p = Perspective()
    v = np.arange(15)
    print("y residual", np.round(p.ry, 2))
    print("l residual", np.round(p.rl, 2))
    print("r residual", np.round(p.rr, 2))
    for t in (-1.5, -1.1, -0.55, 14.55, 15.1, 15.5):
        print(t, round(float(p.y(t)), 1), round(float(p.x(-1.1, t)), 1), round(float(p.x(15.1, t)), 1))
