#!/usr/bin/env python3
"""The real game under Xvfb: two people play a five by clicking squares of the
flat view, the window's close button ends the program, and the settings file
in the temporary HOME must hold exactly the game that was played. A second
run resumes the won game in the perspective view at the small size and shows
the game-over display again. Screenshots of both views are kept."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    from Xlib import X, display, protocol
except ImportError:
    # python3-xlib belongs to the system interpreter.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

BIN = os.environ.get("KAVRO_BIN", "")
ARTIFACTS = os.environ.get("KAVRO_ARTIFACTS", tempfile.gettempdir())

# Square centres of the flat view at Scale 1.0.
COLUMNS = [154, 204, 253, 302, 352, 401, 451, 500, 549, 599, 648, 698, 747, 796, 846]
ROWS = [77 + 50 * y for y in range(15)]

# Yellow makes a row along y = 7, blue answers down column 0.
GAME = [(7, 7, 1), (0, 0, 2), (8, 7, 1), (0, 1, 2), (9, 7, 1),
        (0, 2, 2), (10, 7, 1), (0, 3, 2), (11, 7, 1)]


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            fail("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def settings_bytes(home, small, view, music, kind, blue_begins, moves, rotation=0):
    data = bytearray(home.encode() + b"\r\n")
    data += bytes([small, view, music, rotation, kind, blue_begins, len(moves)])
    board = bytearray(225)
    for x, y, colour in moves:
        data += bytes([x, y])
        board[15 * x + y] = colour
    return bytes(data + board)


class Game:
    def __init__(self, disp, home):
        env = dict(os.environ, DISPLAY=disp, HOME=home, SDL_AUDIODRIVER="dummy")
        self.disp = disp
        self.env = env
        self.process = subprocess.Popen([BIN], env=env)
        self.window = None
        deadline = time.time() + 30
        while time.time() < deadline and self.window is None:
            found = subprocess.run(["xdotool", "search", "--name", "^Kavro$"], env=env,
                                   capture_output=True, text=True).stdout.split()
            if found:
                self.window = found[0]
            else:
                time.sleep(0.2)
        if self.window is None:
            self.process.kill()
            fail("no window named Kavro")
        time.sleep(2.5)  # the splash stays at least 1.5 s

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def click(self, x, y):
        self.xdotool("mousemove", "--window", self.window, str(x), str(y))
        time.sleep(0.15)
        self.xdotool("mousedown", "1")
        time.sleep(0.15)
        self.xdotool("mouseup", "1")
        time.sleep(0.35)

    def screenshot(self, name):
        path = os.path.join(ARTIFACTS, name)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
        print("screenshot:", path)

    def close(self):
        """The close button: a WM_DELETE_WINDOW client message."""
        conn = display.Display(self.disp)
        window = conn.create_resource_object("window", int(self.window))
        protocols = conn.intern_atom("WM_PROTOCOLS")
        delete = conn.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        # A round trip, so the message has left before the connection closes.
        conn.sync()
        conn.close()
        try:
            code = self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.screenshot("core-close-failed.png")
            self.process.kill()
            fail("the program did not end on the close button")
        if code != 0:
            fail("exit code %d" % code)


def main():
    if not BIN or not os.path.exists(BIN):
        fail("KAVRO_BIN not set")
    os.makedirs(ARTIFACTS, exist_ok=True)
    server, disp = start_xvfb()
    home = tempfile.mkdtemp(prefix="kavro-core-e2e-")
    try:
        path = os.path.join(home, ".Kavro.ini")
        with open(path, "wb") as out:
            out.write(settings_bytes(home, 0, 1, 0, 1, 0, []))

        game = Game(disp, home)
        for x, y, _ in GAME:
            game.click(COLUMNS[x], ROWS[y])
        time.sleep(2.5)  # the wave text builds up
        game.screenshot("core-flat-five.png")
        game.close()
        with open(path, "rb") as f:
            written = f.read()
        expected = settings_bytes(home, 0, 1, 0, 1, 0, GAME)
        if written != expected:
            fail("settings file differs:\n%r\n%r" % (written, expected))

        # The won game again, in perspective at the small size, turned once.
        data = bytearray(written)
        line = len(home) + 2
        data[line] = 1
        data[line + 1] = 0
        with open(path, "wb") as out:
            out.write(bytes(data))
        game = Game(disp, home)
        time.sleep(2.5)
        game.screenshot("core-perspective-five.png")
        game.close()
        with open(path, "rb") as f:
            again = f.read()
        if again != bytes(data):
            fail("the resumed game was not written back unchanged")
        print("ok")
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
