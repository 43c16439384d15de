"""Shared helpers for the end-to-end tests of the real programs under Xvfb.

Usage (a test is a plain python3 script that exits non-zero on failure):

    import os, sys
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import kavro_e2e as e2e

    with e2e.Session("mytest") as s:        # Xvfb 1920x1080x24, temporary HOME
        s.launch()                          # $KAVRO_BIN, SDL_AUDIODRIVER=dummy
        win = s.wait_window()               # xdotool search --name '^Kavro$'
        s.wait_past_splash(win)             # the board replaced the splash
        x, y, w, h = s.geometry(win)
        s.click(win, 500, 400)              # window-relative, button 1
        s.key(win, "Escape")                # focuses the window first
        dialog = s.wait_dialog()            # an FLTK dialog titled "Kavro"
        s.screenshot("question")            # $KAVRO_ARTIFACTS/mytest-question.png
        s.answer_dialog("Return")           # "Ja"; "Escape" answers "Nein"
        s.close(win)                        # WM_DELETE_WINDOW, like the close button
        e2e.check(s.wait_exit(30) == 0, "exit code")
        settings = s.home_file(".Kavro.ini")

Everything the session started (Xvfb, the program) is stopped when the
`with` block ends; screenshots and the program's stdout/stderr stay in
$KAVRO_ARTIFACTS. Environment set by ctest: KAVRO_BIN, KAVRO_BUILD_DIR,
KAVRO_SOURCE_DIR, KAVRO_ARTIFACTS, KAVRO_ENGINE_BIN, KAVRO_GALLERY_BIN,
KAVRO_FRAMEBENCH_BIN.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time


def _use_system_python():
    """The Debian packages python3-pil and python3-xlib belong to /usr/bin/python3;
    a python3 found first on PATH (pyenv, venv) may lack them: run the test
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


class Failure(Exception):
    pass


def check(condition, message):
    """Raises Failure(message) unless condition holds."""
    if not condition:
        raise Failure(message)


def binary(var="KAVRO_BIN", fallback="kavro"):
    """Path of a program from the ctest environment, or beside the build dir."""
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
        self.home = tempfile.mkdtemp(prefix="kavro-home-")
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

    def press(self, window, x, y, settle=0.0):
        """A click held long enough for a turn loop to see the button down
        (it reads the button once a frame), then `settle` seconds of rest."""
        self.move(window, x, y)
        time.sleep(0.1)
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


def run(main):
    """Runs a test's main(); prints the failure and exits 1 when it fails."""
    try:
        main()
    except Failure as failure:
        print("FAIL:", failure, file=sys.stderr)
        sys.exit(1)
    print("ok")
