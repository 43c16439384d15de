#!/usr/bin/env python3
"""Takes the screenshots of the AppStream metainfo from the real game under
Xvfb (1920 x 1080) and writes them here, cut to the game's window and
reduced to 256 colours (they stay small enough to commit):

    game-3d.png             a game against the Denker in the perspective view
    game-won.png            yellow completes a diagonal five in the flat view
    new-game.png            the new-game screen over the board

    python3 packaging/screenshots/take.py [path/to/kavro] [--out DIR] [--full]

The game starts from a settings file that holds the running game, so every
run shows the same position."""
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools", "screenshots"))
os.environ.setdefault("KAVRO_ARTIFACTS", os.path.join("/tmp", "kavro-screenshots"))
import xgame  # noqa: E402

# Yellow and blue alternately, yellow first; yellow to move, one stone short
# of the diagonal (4, 10) .. (8, 6) that blue has closed at (9, 5).
YELLOW = [(7, 7), (6, 8), (8, 6), (7, 8), (5, 9), (9, 8), (6, 6)]
BLUE = [(8, 7), (6, 7), (9, 5), (7, 9), (10, 8), (5, 7), (8, 9)]
MOVES = [square for pair in zip(YELLOW, BLUE) for square in pair]
WINNING_SQUARE = (4, 10)
RESTING = (700, 845)  # off the board and the docks


def win_game(s, win):
    s.press(win, xgame.COLUMNS[WINNING_SQUARE[0]], xgame.ROWS[WINNING_SQUARE[1]], hover=0.8)
    s.move(win, *RESTING)
    time.sleep(2.5)  # the game-over text builds up


def open_new_game(s, win):
    s.press(win, 45, 60, hover=0.8)  # "Neu" in the left dock
    s.answer_dialog("Return")  # yes, leave the running game
    s.move(win, *RESTING)
    time.sleep(2.0)


def take(program, out, colours, name, view, action=None):
    with xgame.Session("screenshot-" + name) as s:
        s.write_settings(xgame.DENKER, MOVES, view=view)
        s.launch(program)
        win = s.wait_window()
        s.wait_past_splash(win)
        s.move(win, *RESTING)
        time.sleep(1.0)
        if action:
            action(s, win)
        image = s.window_image(win)
        s.kill()
    path = xgame.save_png(image, os.path.join(out, name + ".png"), colours)
    print("%s: %dx%d, %d bytes" % (path, image.width, image.height, os.path.getsize(path)))


def main():
    program, out, colours = xgame.shot_arguments(__doc__, HERE)
    take(program, out, colours, "game-3d", 0)
    take(program, out, colours, "game-won", 1, win_game)
    take(program, out, colours, "new-game", 0, open_new_game)


if __name__ == "__main__":
    try:
        main()
    except xgame.Failure as failure:
        sys.exit("take.py: %s" % failure)
