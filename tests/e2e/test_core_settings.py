#!/usr/bin/env python3
"""The real game under Xvfb: two people play a five by clicking squares of the
flat view, the window's close button ends the program, and the settings file
in the temporary HOME must hold exactly the game that was played. A second
run resumes the won game in the perspective view at the small size and shows
the game-over display again; screenshots of both views are kept."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402

# Yellow makes a row along y = 7, blue answers down column 0.
GAME = [(7, 7), (0, 0), (8, 7), (0, 1), (9, 7), (0, 2), (10, 7), (0, 3), (11, 7)]


def close(s, win):
    s.close(win)
    e2e.check(s.wait_exit(30) == 0, "exit code after the close button")


def main():
    with e2e.Session("core_settings") as s:
        s.write_settings(e2e.MULTIPLAYER)
        s.launch()
        win = s.wait_window()
        e2e.check(s.geometry(win)[2:] == (1000, 850), "flat window at Scale 1.0")
        s.wait_past_splash(win)
        for x, y in GAME:
            s.press(win, e2e.COLUMNS[x], e2e.ROWS[y], settle=0.3)
        time.sleep(2.5)  # the wave text builds up
        image = s.window_image(win, "flat-five")
        s.screenshot("flat-five-screen")
        # The message in yellow (255, 222, 0) near the bottom edge.
        e2e.check(e2e.count_colour(image, (200, 600, 800, 800), (255, 222, 0), 50) > 300,
                  "yellow game-over message near the bottom")
        close(s, win)
        written = s.home_file(e2e.SETTINGS)
        expected = e2e.settings_bytes(s.home, e2e.MULTIPLAYER, GAME)
        e2e.check(written == expected, "settings file differs:\n%r\n%r" % (written, expected))

        # The won game again, in perspective at the small size.
        data = s.write_settings(e2e.MULTIPLAYER, GAME, small=1, view=0)
        s.launch()
        win = s.wait_window()
        e2e.check(s.geometry(win)[2:] == (1050, 637), "small perspective window")
        s.wait_past_splash(win)
        time.sleep(2.5)
        image = s.window_image(win, "perspective-five")
        s.screenshot("perspective-five-screen")
        e2e.check(e2e.count_colour(image, (150, 450, 900, 637), (255, 222, 0), 50) > 200,
                  "the game-over display shown again after the splash")
        close(s, win)
        e2e.check(s.home_file(e2e.SETTINGS) == data, "the resumed game written back unchanged")


if __name__ == "__main__":
    e2e.run(main)
