#!/usr/bin/env python3
"""The three ways out of the real game, one run each, every run continuing
the game of the one before: Escape answered with "Ja" in the quit question,
the quit entry of the left dock, and the window's close button. Each run
places a stone first; each way must write the settings file with every
stone so far. Two humans play, so no computer move gets in between."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402
from kavro_e2e import COLUMNS, MULTIPLAYER, ROWS  # noqa: E402
from test_screens_commands import side_dock_entry  # noqa: E402


def quit_by_escape(s, win):
    s.key(win, "Escape")
    dialog = s.wait_dialog()
    time.sleep(0.6)  # painted before the picture is taken
    s.screenshot("escape-question")
    s.key(dialog, "Return")  # "Ja" is the return button


def quit_by_dock(s, win):
    point = side_dock_entry("left", 5, 1.0, 1)
    s.move(win, *point)
    time.sleep(0.6)
    s.xdotool("mousedown", 1)
    time.sleep(0.15)
    s.xdotool("mouseup", 1)


def quit_by_close_button(s, win):
    s.close(win)


def main():
    with e2e.Session("scenario_quit") as s:
        s.write_settings(MULTIPLAYER)
        placed = []
        ways = [("escape", quit_by_escape, (7, 7, 1)), ("dock", quit_by_dock, (8, 8, 2)),
                ("close", quit_by_close_button, (6, 8, 1))]
        for name, way, stone in ways:
            s.launch()
            win = s.wait_window()
            s.wait_past_splash(win)
            s.press(win, COLUMNS[stone[0]], ROWS[stone[1]])
            placed.append(stone)
            time.sleep(0.5)
            s.move(win, 500, 840)
            time.sleep(0.3)
            s.screenshot("%s-last-frame" % name)
            before = os.path.getmtime(os.path.join(s.home, e2e.SETTINGS))
            way(s, win)
            code = s.wait_exit(30)
            e2e.check(code == 0, "%s: exit code %d" % (name, code))
            e2e.check(os.path.getmtime(os.path.join(s.home, e2e.SETTINGS)) >= before,
                      "%s: settings file not written" % name)
            game = s.settings()
            e2e.check(game["moves"] == [(x, y) for x, y, _ in placed],
                      "%s: stored moves %r, expected %r" % (name, game["moves"], placed))
            for x, y, colour in placed:
                e2e.check(game["board"][x][y] == colour, "%s: square (%d,%d) lost its stone" % (name, x, y))
            e2e.check(game["kind"] == MULTIPLAYER, "%s: opponent changed" % name)
            _, err = s.output()
            e2e.check("rror" not in err, "%s: errors on stderr: %s" % (name, err))


if __name__ == "__main__":
    e2e.run(main)
