#!/usr/bin/env python3
"""SIGTERM in the middle of a game (a logout) ends the real game like the
close button: the settings file in HOME then holds the stone just placed.
SIGINT and SIGHUP are checked the same way, each adding a stone."""
import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402
from kavro_e2e import COLUMNS, ROWS  # noqa: E402


def main():
    with e2e.Session("fault_sigterm") as s:
        s.write_settings(e2e.MULTIPLAYER)  # two humans: nothing moves on its own
        placed = []
        for number, (sig, square) in enumerate([(signal.SIGTERM, (7, 7)), (signal.SIGINT, (3, 4)),
                                                (signal.SIGHUP, (11, 2))]):
            s.launch()
            win = s.wait_window()
            s.wait_past_splash(win)
            s.press(win, COLUMNS[square[0]], ROWS[square[1]])
            placed.append(square)
            time.sleep(0.6)
            s.screenshot("%s-last-frame" % sig.name)
            s.proc.send_signal(sig)
            code = s.wait_exit(20)
            e2e.check(code == 0, "%s: exit code %d" % (sig.name, code))
            game = s.settings()
            e2e.check(game["moves"] == placed, "%s: stored moves %r, expected %r" % (sig.name, game["moves"], placed))
            x, y = square
            e2e.check(game["board"][x][y] == 1 + number % 2, "%s: the stone is not in the file" % sig.name)
            leftovers = [n for n in os.listdir(s.home) if n.startswith(e2e.SETTINGS) and n != e2e.SETTINGS]
            e2e.check(not leftovers, "temporary files left: %r" % leftovers)


if __name__ == "__main__":
    e2e.run(main)
