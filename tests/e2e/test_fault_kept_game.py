#!/usr/bin/env python3
"""No way of ending the real game loses a completed move, and no settings
file can hang it:
- SIGKILL half a second after a move: the move is in the settings file;
- the X server killed under the game: no crash, a line on stderr, exit
  code 1, the move in the settings file;
- four starts against the Spontane, blue to begin on an empty board: the
  Spontane does not open on the same square every time;
- a settings file that is a FIFO, or a link to /dev/zero: the game starts at
  once with an empty board and keeps the old file as .Kavro.ini.bak."""
import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402
from kavro_e2e import COLUMNS, ROWS, SPONTANE  # noqa: E402


def stored_moves(s):
    game = s.settings()
    return game["moves"] if game else None


def start(s):
    s.launch()
    win = s.wait_window()
    s.wait_past_splash(win)
    return win


def killed_after_a_move(s):
    s.write_settings(e2e.MULTIPLAYER)
    win = start(s)
    s.press(win, COLUMNS[7], ROWS[7])
    e2e.wait_for(lambda: stored_moves(s) == [(7, 7)], 3, what="the move on disk before any end")
    s.proc.send_signal(signal.SIGKILL)
    s.wait_exit(10)
    e2e.check(stored_moves(s) == [(7, 7)], "SIGKILL: stored moves %r" % stored_moves(s))


def display_lost(s):
    win = start(s)
    s.press(win, COLUMNS[3], ROWS[4])
    time.sleep(0.5)
    s.xvfb.kill()
    s.xvfb.wait()
    code = s.wait_exit(10)
    err = s.output()[1]
    e2e.check(code == 1, "X server gone: exit code %d (stderr %r)" % (code, err[-300:]))
    e2e.check("connection to the X display was lost" in err, "no line on stderr: %r" % err[-300:])
    e2e.check(stored_moves(s) == [(7, 7), (3, 4)], "X server gone: stored moves %r" % stored_moves(s))
    s.start_xvfb()


def openings_differ(s):
    openings = []
    for _ in range(4):
        s.write_settings(SPONTANE, blue_begins=1)
        start(s)
        e2e.wait_for(lambda: stored_moves(s), 10, what="the Spontane's opening on disk")
        openings.append(stored_moves(s)[0])
        s.kill()
    e2e.check(len(set(openings)) > 1, "the Spontane opened on %r in every start" % (openings,))


def special_settings_files(s):
    path = os.path.join(s.home, e2e.SETTINGS)
    for make in (lambda: os.mkfifo(path), lambda: os.symlink("/dev/zero", path)):
        for name in (e2e.SETTINGS, e2e.SETTINGS + ".bak"):
            if os.path.lexists(os.path.join(s.home, name)):
                os.remove(os.path.join(s.home, name))
        make()
        began = time.time()
        win = start(s)
        e2e.check(time.time() - began < 15, "the game took %.0f s to start" % (time.time() - began))
        e2e.check(os.path.lexists(path + ".bak"), "the unreadable settings file was not kept")
        s.press(win, COLUMNS[5], ROWS[5])
        e2e.wait_for(lambda: stored_moves(s) == [(5, 5)], 3, what="a plain settings file written")
        s.proc.send_signal(signal.SIGTERM)
        e2e.check(s.wait_exit(10) == 0, "SIGTERM after a special settings file")


def main():
    with e2e.Session("fault_kept_game") as s:
        killed_after_a_move(s)
        display_lost(s)
        openings_differ(s)
        special_settings_files(s)


if __name__ == "__main__":
    e2e.run(main)
