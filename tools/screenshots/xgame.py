"""The real game under Xvfb: one X server, a temporary HOME with a settings
file of a chosen position, input through xdotool and pictures read from the
X server. The screenshot scripts (docs/, packaging/) and the end-to-end
tests (tests/e2e/kavro_e2e.py) drive the game with it.

    import xgame
    with xgame.Session("shots") as s:      # Xvfb 1920x1080x24, temporary HOME
        s.write_settings(xgame.DENKER, [(7, 7), (8, 7)], view=0)
        s.launch("build/kavro")
        win = s.wait_window()
        s.wait_past_splash(win)
        s.press(win, xgame.COLUMNS[6], xgame.ROWS[8], hover=0.8)
        xgame.save_png(s.window_image(win), "shot.png")

Logs and labelled pictures go to $KAVRO_ARTIFACTS (default
/tmp/kavro-artifacts); $KAVRO_SHOT_HOME, when set, is the HOME of every
session instead of a new temporary folder."""

import os
import shutil
import subprocess
import sys
import tempfile
import time


def _use_system_python():
    """The Debian packages python3-pil and python3-xlib belong to /usr/bin/python3;
    a python3 found first on PATH (pyenv, venv) may lack them: run the script
    with the system interpreter then."""
    try:
        import PIL  # noqa: F401
        import Xlib  # noqa: F401
    except ImportError:
        system = "/usr/bin/python3"
        if (os.path.exists(system) and not os.environ.get("KAVRO_E2E_REEXEC")
                and os.path.realpath(sys.executable) != os.path.realpath(system)):
            os.environ["KAVRO_E2E_REEXEC"] = "1"
            os.execv(system, [system] + sys.argv)


_use_system_python()

ARTIFACTS = os.environ.get("KAVRO_ARTIFACTS") or os.path.join(tempfile.gettempdir(), "kavro-artifacts")
TITLE = "Kavro"
SETTINGS = ".Kavro.ini"  # in HOME

# Blue's kinds in the settings file: two humans, then the four characters.
MULTIPLAYER, SPONTANE, FLEXIBLE, KONSEQUENTE, DENKER = 1, 2, 3, 4, 5

# Square centres of the flat view at Scale 1.0 (a 1920 x 1080 desktop).
COLUMNS = [154, 204, 253, 302, 352, 401, 451, 500, 549, 599, 648, 698, 747, 796, 846]
ROWS = [77 + 50 * y for y in range(15)]


class Failure(Exception):
    pass


def check(condition, message):
    """Raises Failure(message) unless condition holds."""
    if not condition:
        raise Failure(message)


def binary(var="KAVRO_BIN", fallback="kavro"):
    """Path of a program named by an environment variable (ctest sets them),
    or the one in $KAVRO_BUILD_DIR, else ./build."""
    path = os.environ.get(var)
    if not path:
        build = os.environ.get("KAVRO_BUILD_DIR", os.path.join(os.getcwd(), "build"))
        path = os.path.join(build, fallback)
    check(os.path.exists(path), "program not built: %s" % path)
    return os.path.abspath(path)


def wait_for(predicate, timeout, interval=0.1, what="condition"):
    """Polls predicate() until it answers something true; returns that."""
    deadline = time.time() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.time() > deadline:
            raise Failure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# ------------------------------------------------------------ the settings file
# The folder line (CR LF), the window size, view and music flags, then the
# game record: rotation, blue's kind, whether blue began, the move count, the
# moves (x, y) and the board (byte 15 x + y: 0 empty, 1 yellow, 2 blue).

def settings_bytes(folder, kind, moves=(), view=1, small=0, music=0, rotation=0, blue_begins=0):
    """The settings file of a game whose moves (x, y) alternate, beginning
    with the side blue_begins names."""
    data = bytearray(folder.encode() + b"\r\n")
    data += bytes([small, view, music, rotation, kind, blue_begins, len(moves)])
    board = bytearray(225)
    for i, (x, y) in enumerate(moves):
        data += bytes([x, y])
        board[15 * x + y] = 2 if (i % 2 == 0) == bool(blue_begins) else 1
    return bytes(data + board)


def parse_settings(data):
    """The fields of a settings file; "record" is the game record from the
    rotation on, "board" is indexed [x][y]."""
    line = data.index(b"\r\n")
    rest = data[line + 2:]
    n = rest[6]
    board = rest[7 + 2 * n:]
    check(len(board) == 225, "settings file of %d bytes for %d moves" % (len(data), n))
    return {"folder": data[:line].decode("latin-1"), "small": rest[0], "view": rest[1],
            "music": rest[2], "rotation": rest[3], "kind": rest[4], "blue_begins": rest[5],
            "moves": [(rest[7 + 2 * i], rest[8 + 2 * i]) for i in range(n)],
            "board": [[board[15 * x + y] for y in range(15)] for x in range(15)],
            "record": rest[3:]}


def free_display():
    for n in range(90, 400):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return n
    raise Failure("no free X display number")


class Session:
    """One Xvfb, one temporary HOME, at most one program under test."""

    def __init__(self, name, width=1920, height=1080, audio="dummy"):
        self.name = name
        self.width, self.height = width, height
        self.audio = audio
        self.xvfb = None
        self.proc = None
        self.display = None
        self.home = None
        self.game_window = None
        self._logs = []

    # ------------------------------------------------------------ lifetime

    def __enter__(self):
        os.makedirs(ARTIFACTS, exist_ok=True)
        # $KAVRO_SHOT_HOME: one HOME for every session, so that pictures
        # showing the folder compare between runs.
        fixed = os.environ.get("KAVRO_SHOT_HOME")
        if fixed:
            shutil.rmtree(fixed, ignore_errors=True)
            os.makedirs(fixed)
        self.home = fixed or tempfile.mkdtemp(prefix="kavro-home-")
        self.start_xvfb()
        return self

    def __exit__(self, *exc):
        self.kill()
        self.stop_xvfb()
        if self.home:
            shutil.rmtree(self.home, ignore_errors=True)
        return False

    def start_xvfb(self):
        for _ in range(5):
            n = free_display()
            self.xvfb = subprocess.Popen(
                ["Xvfb", ":%d" % n, "-screen", "0", "%dx%dx24" % (self.width, self.height),
                 "-nolisten", "tcp", "-noreset"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.display = ":%d" % n
            try:
                wait_for(lambda: self.xvfb.poll() is not None or self._x_ready(), 10, what="Xvfb")
            except Failure:
                pass
            if self.xvfb.poll() is None and self._x_ready():
                return
            self.stop_xvfb()
        raise Failure("Xvfb did not start")

    def _x_ready(self):
        return subprocess.run(["xdpyinfo", "-display", self.display], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    def stop_xvfb(self):
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        self.xvfb = None

    # ------------------------------------------------------------ the program

    def env(self, **extra):
        """Environment for a program: this display, the temporary HOME, audio driver."""
        env = dict(os.environ)
        env.pop("WAYLAND_DISPLAY", None)
        env.update(DISPLAY=self.display, HOME=self.home, SDL_AUDIODRIVER=self.audio)
        env.update({k: str(v) for k, v in extra.items()})
        return env

    def launch(self, program=None, args=(), cwd=None, **extra_env):
        """Starts program (default $KAVRO_BIN) in cwd (default the temporary
        HOME); stdout/stderr go to artifacts."""
        program = os.path.abspath(program or binary())
        tag = "%s-%s" % (self.name, os.path.basename(program))
        out = open(os.path.join(ARTIFACTS, tag + ".stdout"), "w")
        err = open(os.path.join(ARTIFACTS, tag + ".stderr"), "w")
        self._logs = [out.name, err.name]
        self.proc = subprocess.Popen([program] + list(args), env=self.env(**extra_env),
                                     stdout=out, stderr=err, cwd=cwd or self.home)
        return self.proc

    def output(self):
        """(stdout, stderr) of the launched program so far."""
        return tuple(open(p).read() if os.path.exists(p) else "" for p in (self._logs or ["", ""]))

    def wait_exit(self, timeout=30):
        """Exit code of the program; Failure if it is still running after timeout."""
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("program still running after %d s" % timeout)

    def kill(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def home_file(self, name):
        """Bytes of a file in the temporary HOME, or None."""
        path = os.path.join(self.home, name)
        return open(path, "rb").read() if os.path.exists(path) else None

    def write_settings(self, kind, moves=(), folder=None, **flags):
        """Writes the settings file the game reads at start (see
        settings_bytes; the folder line is HOME unless given); returns its
        bytes."""
        data = settings_bytes(self.home if folder is None else folder, kind, moves, **flags)
        with open(os.path.join(self.home, SETTINGS), "wb") as out:
            out.write(data)
        return data

    def settings(self):
        """The settings file in HOME as parse_settings reads it, or None."""
        data = self.home_file(SETTINGS)
        return parse_settings(data) if data is not None else None

    # ------------------------------------------------------------ windows

    def xdotool(self, *args, check_rc=True):
        r = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env(),
                           capture_output=True, text=True)
        if check_rc and r.returncode != 0:
            raise Failure("xdotool %s failed: %s" % (" ".join(map(str, args)), r.stderr.strip()))
        return r.stdout

    def windows(self, title=TITLE):
        """Ids of the visible windows whose title is exactly title."""
        out = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % title, check_rc=False)
        return [int(w) for w in out.split()]

    def wait_window(self, title=TITLE, timeout=30):
        """The program's main window (the first window with the title)."""
        def find():
            check(self.proc is None or self.proc.poll() is None,
                  "program ended before its window appeared: %s" % (self.output()[1],))
            found = self.windows(title)
            return found[0] if found else None
        self.game_window = wait_for(find, timeout, what="window %r" % title)
        return self.game_window

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        values = {}
        for line in self.xdotool("getwindowgeometry", "--shell", window).splitlines():
            key, _, value = line.partition("=")
            values[key] = int(value) if value.lstrip("-").isdigit() else value
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def wait_past_splash(self, window, timeout=40):
        """Waits until the first picture the window showed (the splash) has
        been replaced by another (the board), then a little longer so the
        turn loop is ready for input."""
        def sample(image):
            return [image.getpixel((x, y)) for x in range(5, image.width, 37)
                    for y in range(5, image.height, 41)]

        def shown():
            pixels = sample(self.window_image(window))
            return pixels if sum(1 for p in pixels if sum(p) > 30) > len(pixels) // 4 else None

        splash = wait_for(shown, timeout, 0.05, "the first picture")

        def replaced():
            now = sample(self.window_image(window))
            changed = sum(1 for a, b in zip(splash, now) if sum(abs(x - y) for x, y in zip(a, b)) > 30)
            return changed > len(now) // 10
        wait_for(replaced, timeout, 0.1, "the splash to end")
        time.sleep(0.5)

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)

    def click(self, window, x, y, button=1):
        """Moves the pointer to window-relative (x, y) and clicks; 4/5 turn the wheel."""
        self.xdotool("mousemove", "--window", window, "--sync", x, y)
        time.sleep(0.05)
        self.xdotool("click", button)

    def press(self, window, x, y, settle=0.0, hover=0.1):
        """A click held long enough for a turn loop to see the button down
        (it reads the button once a frame), after `hover` seconds over the
        point (the docks zoom towards the pointer), then `settle` seconds of
        rest."""
        self.move(window, x, y)
        time.sleep(hover)
        self.xdotool("mousedown", 1)
        time.sleep(0.12)
        self.xdotool("mouseup", 1)
        time.sleep(settle)

    def move(self, window, x, y):
        self.xdotool("mousemove", "--window", window, "--sync", x, y)

    def key(self, window, *keys):
        """Focuses the window, then presses each key (xdotool names: Escape, Return, a)."""
        self.focus(window)
        for k in keys:
            self.xdotool("key", k)
            time.sleep(0.05)

    def close(self, window):
        """What the window's close button does: a WM_DELETE_WINDOW client message.
        The round trip (sync) makes sure the message has left before the
        connection closes; a plain flush then close can lose it."""
        from Xlib import X, display as xdisplay, protocol
        d = xdisplay.Display(self.display)
        try:
            w = d.create_resource_object("window", window)
            protocols = d.intern_atom("WM_PROTOCOLS")
            delete = d.intern_atom("WM_DELETE_WINDOW")
            event = protocol.event.ClientMessage(window=w, client_type=protocols,
                                                 data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            w.send_event(event, event_mask=X.NoEventMask)
            d.sync()
        finally:
            d.close()

    # ------------------------------------------------------------ dialogs

    def dialogs(self, title=TITLE):
        return [w for w in self.windows(title) if w != self.game_window]

    def wait_dialog(self, title=TITLE, timeout=15):
        """A visible dialog window with the title (other than the main window)."""
        found = wait_for(lambda: self.dialogs(title), timeout, what="dialog %r" % title)
        return found[0]

    def answer_dialog(self, key="Return", title=TITLE, timeout=15):
        """Focuses the dialog, presses key and waits until the dialog is gone."""
        dialog = self.wait_dialog(title, timeout)
        time.sleep(0.2)
        self.key(dialog, key)
        wait_for(lambda: dialog not in self.windows(title), timeout, what="dialog to close")

    # ------------------------------------------------------------ pictures

    def screenshot(self, label):
        """Saves the whole screen as $KAVRO_ARTIFACTS/<name>-<label>.png; returns the path."""
        path = os.path.join(ARTIFACTS, "%s-%s.png" % (self.name, label))
        r = subprocess.run(["import", "-display", self.display, "-window", "root", path],
                           env=self.env(), capture_output=True, text=True)
        check(r.returncode == 0, "screenshot failed: %s" % r.stderr)
        return os.path.abspath(path)

    def screen_image(self, window):
        """The screen where the window is, dialogs over it included."""
        from PIL import Image
        path = self.screenshot("screen")
        x, y, w, h = self.geometry(window)
        return Image.open(path).convert("RGB").crop((x, y, x + w, y + h))

    def window_image(self, window, label=None):
        """The window's pixels as a PIL RGB image in window coordinates, read
        straight from the X server (fast enough to poll). With a label the
        image is also saved as $KAVRO_ARTIFACTS/<name>-<label>.png."""
        from PIL import Image
        from Xlib import X, display as xdisplay
        d = xdisplay.Display(self.display)
        try:
            w = d.create_resource_object("window", window)
            g = w.get_geometry()
            raw = w.get_image(0, 0, g.width, g.height, X.ZPixmap, 0xFFFFFFFF)
            image = Image.frombytes("RGB", (g.width, g.height), raw.data, "raw", "BGRX")
        finally:
            d.close()
        if label:
            image.save(os.path.join(ARTIFACTS, "%s-%s.png" % (self.name, label)))
        return image


def count_colour(image, box, rgb, tolerance=40):
    """Pixels within box (left, top, right, bottom) that are within tolerance
    of rgb in every channel."""
    left, top, right, bottom = box
    region = image.crop((max(0, left), max(0, top), min(image.width, right), min(image.height, bottom)))
    r0, g0, b0 = rgb
    return sum(1 for (r, g, b) in region.getdata()
               if abs(r - r0) <= tolerance and abs(g - g0) <= tolerance and abs(b - b0) <= tolerance)


def save_png(image, path, colours=256):
    """Saves a picture reduced to 256 colours (small enough to commit), or
    with colours=None as it is."""
    from PIL import Image
    image = image.convert("RGB")
    if colours:
        # The octree keeps every pixel near its colour; the other quantisers
        # put stray greens into the backdrop's dark gradients.
        image = image.quantize(colours, method=Image.Quantize.FASTOCTREE,
                               dither=Image.Dither.FLOYDSTEINBERG)
    image.save(path, optimize=True)
    return path


def shot_arguments(doc, default_out):
    """The command line of a screenshot script: the game (default
    build/kavro), --out DIR (default default_out) and --full, which keeps
    every colour (for comparing pictures); returns (program, out, colours)."""
    import argparse
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=doc, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program", nargs="?", default=os.path.join(root, "build", "kavro"))
    parser.add_argument("--out", default=default_out, help="folder for the pictures")
    parser.add_argument("--full", action="store_true", help="every colour, not 256")
    args = parser.parse_args()
    check(os.access(args.program, os.X_OK), "no game at %s" % args.program)
    os.makedirs(args.out, exist_ok=True)
    return os.path.abspath(args.program), args.out, None if args.full else 256
