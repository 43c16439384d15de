#!/usr/bin/env python3
"""Takes the screenshots of the AppStream metainfo from the real game under
Xvfb (1920 x 1080) and writes them here, cut to the game's window and
reduced to 256 colours (they stay small enough to commit):

    game-3d.png             a game against the Denker in the perspective view
    game-won.png            yellow completes a diagonal five in the flat view
    new-game.png            the new-game screen over the board

    python3 packaging/screenshots/take.py [path/to/kavro]   (default build/kavro)

The game starts from a settings file that holds the running game, so every
run shows the same position."""
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("KAVRO_ARTIFACTS", os.path.join("/tmp", "kavro-screenshots"))
import kavro_e2e as e2e  # noqa: E402
from test_screens_commands import COLUMNS, ROWS  # noqa: E402

DENKER = 5
# Yellow and blue alternately, yellow first; yellow to move, one stone short
# of the diagonal (4, 10) .. (8, 6) that blue has closed at (9, 5).
YELLOW = [(7, 7), (6, 8), (8, 6), (7, 8), (5, 9), (9, 8), (6, 6)]
BLUE = [(8, 7), (6, 7), (9, 5), (7, 9), (10, 8), (5, 7), (8, 9)]
WINNING_SQUARE = (4, 10)
RESTING = (700, 845)  # off the board and the docks


def settings(home, view2d):
    moves = []
    for y, b in zip(YELLOW, BLUE):
        moves += [(y, 1), (b, 2)]
    data = bytearray(home.encode() + b"\r\n")
    # large window, view, music off, rotation 0, blue's kind, yellow began
    data += bytes([0, view2d, 0, 0, DENKER, 0, len(moves)])
    board = bytearray(225)
    for (x, y), colour in moves:
        data += bytes([x, y])
        board[15 * x + y] = colour
    return bytes(data + board)


def press(s, win, x, y):
    s.move(win, x, y)
    time.sleep(0.8)  # the docks zoom towards the pointer first
    s.xdotool("mousedown", 1)
    time.sleep(0.12)
    s.xdotool("mouseup", 1)


def win_game(s, win):
    press(s, win, COLUMNS[WINNING_SQUARE[0]], ROWS[WINNING_SQUARE[1]])
    s.move(win, *RESTING)
    time.sleep(2.5)  # the game-over text builds up


def open_new_game(s, win):
    press(s, win, 45, 60)  # "Neu" in the left dock
    s.answer_dialog("Return")  # yes, leave the running game
    s.move(win, *RESTING)
    time.sleep(2.0)


def take(program, name, view2d, action=None):
    with e2e.Session("screenshot-" + name) as s:
        with open(os.path.join(s.home, ".Kavro.ini"), "wb") as out:
            out.write(settings(s.home, view2d))
        s.launch(program)
        win = s.wait_window()
        s.wait_past_splash(win)
        s.move(win, *RESTING)
        time.sleep(1.0)
        if action:
            action(s, win)
        image = s.window_image(win)
        s.kill()
    from PIL import Image
    # The octree keeps every pixel near its colour; the other quantisers put
    # stray greens into the backdrop's dark gradients.
    small = image.convert("RGB").quantize(256, method=Image.Quantize.FASTOCTREE,
                                          dither=Image.Dither.FLOYDSTEINBERG)
    path = os.path.join(HERE, name + ".png")
    small.save(path, optimize=True)
    print("%s: %dx%d, %d bytes" % (path, image.width, image.height, os.path.getsize(path)))


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "kavro")
    take(program, "game-3d", 0)
    take(program, "game-won", 1, win_game)
    take(program, "new-game", 0, open_new_game)


if __name__ == "__main__":
    e2e.run(main)
