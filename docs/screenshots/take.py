#!/usr/bin/env python3
"""Takes the screenshots of docs/screenshots/ from the real game under Xvfb
(1920 x 1080), cut to the game's window (dialogs with the window around
them) and reduced to 256 colours:

    splash-flat, splash-3d        the splash in both views
    info                          the info screen's title page
    new-game                      the new-game screen
    win-yellow-flat, -3d          yellow beats the Denker, both views
    win-blue-flat, -3d            blue wins between two humans, both views
    swing-flat                    the flat view's winning stones mid-swing
    ask-quit, ask-new-game        the two yes/no questions
    notice                        the message box (a file that is no game)
    load, save                    the file requester

    python3 docs/screenshots/take.py [path/to/kavro] [--out DIR] [--full]

Every scene starts from a settings file with a fixed position."""
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools", "screenshots"))
os.environ.setdefault("KAVRO_ARTIFACTS", os.path.join("/tmp", "kavro-screenshots"))
import xgame  # noqa: E402
from xgame import DENKER, MULTIPLAYER  # noqa: E402

OUT, COLOURS = HERE, 256  # set from the command line
RESTING = (700, 845)  # off the board and the docks
FIVE = [(5, 7), (6, 7), (7, 7), (8, 7), (9, 7)]
OTHER = [(5, 9), (6, 9), (7, 9), (8, 9), (11, 3)]


def moves(winner):
    """A game in which winner (1, 2) has just completed five, (0) a few
    moves, or (-1) an empty board."""
    first, second = (FIVE, OTHER) if winner != 2 else (OTHER, FIVE)
    played = [square for pair in zip(first, second) for square in pair]
    return played[:9] if winner == 1 else played[:10] if winner == 2 else played[:4] if winner == 0 else []


def save(image, name, full=False):
    """Reduced to 256 colours, or (full) as they are: the blurred backdrop's
    gradients band in 256."""
    path = xgame.save_png(image, os.path.join(OUT, name + ".png"), None if full else COLOURS)
    print("%s: %dx%d, %d bytes" % (path, image.width, image.height, os.path.getsize(path)))


def press(s, win, x, y):
    s.press(win, x, y, hover=0.8)  # the docks zoom towards the pointer first


def scene(program, view2d, kind, winner, shots, splash=None):
    with xgame.Session("docs-shots") as s:
        s.write_settings(kind, moves(winner), view=view2d)
        with open(os.path.join(s.home, "kaputt.KVs"), "wb") as out:
            out.write(b"no game")
        s.launch(program)
        win = s.wait_window()
        if splash:
            def letters():
                image = s.window_image(win)
                return image if xgame.count_colour(image, (0, 350, image.width, 472), (255, 0, 255), 50) > 150 else None
            save(xgame.wait_for(letters, 20, 0.03, "the splash"), splash, full=True)
            xgame.wait_for(lambda: letters() is None, 20, 0.1, "the splash to end")
            time.sleep(1.0)
        else:
            s.wait_past_splash(win)
        s.move(win, *RESTING)
        for action in shots:
            action(s, win)
        s.kill()


def shot(name, delay, full=False):
    def take(s, win):
        time.sleep(delay)
        save(s.window_image(win), name, full)
    return take


def dialog(name, x, y, typed=None, answer="Escape"):
    def take(s, win):
        press(s, win, x, y)
        dialogs = xgame.wait_for(lambda: [w for w in s.xdotool("search", "--onlyvisible", "--name", ".").split()
                                          if w != str(win) and s.geometry(w)[2] > 100], 15, what="a dialog")
        time.sleep(0.8)
        if typed:
            s.focus(dialogs[-1])
            s.xdotool("type", "--delay", "60", typed)
            s.xdotool("key", "Return")
            time.sleep(1.0)
            save(s.screen_image(win), name)
            s.xdotool("key", "Return")
        else:
            save(s.screen_image(win), name)
            s.key(dialogs[-1], answer)
        s.move(win, *RESTING)
        time.sleep(1.0)
    return take


def quit_question(s, win):
    s.key(win, "Escape")
    time.sleep(1.2)
    save(s.screen_image(win), "ask-quit")
    dialogs = [w for w in s.xdotool("search", "--onlyvisible", "--name", ".").split() if w != str(win)]
    s.key(dialogs[-1], "Escape")
    time.sleep(0.8)


def main():
    global OUT, COLOURS
    program, OUT, COLOURS = xgame.shot_arguments(__doc__, HERE)
    scene(program, 1, DENKER, 0, [quit_question, dialog("ask-new-game", 45, 210),
                                  dialog("save", 45, 390), dialog("load", 45, 300),
                                  dialog("notice", 45, 300, typed="kaputt.KVs")],
          splash="splash-flat")
    scene(program, 0, DENKER, 0, [], splash="splash-3d")
    scene(program, 1, DENKER, 0, [lambda s, w: press(s, w, 45, 480), shot("info", 1.5, full=True)])
    scene(program, 0, MULTIPLAYER, -1, [lambda s, w: press(s, w, 45, 75), shot("new-game", 1.5)])
    scene(program, 1, DENKER, 1, [shot("swing-flat", 0.0), shot("win-yellow-flat", 2.5)])
    scene(program, 0, DENKER, 1, [shot("win-yellow-3d", 2.5)])
    scene(program, 1, MULTIPLAYER, 2, [shot("win-blue-flat", 2.5)])
    scene(program, 0, MULTIPLAYER, 2, [shot("win-blue-3d", 2.5)])


if __name__ == "__main__":
    try:
        main()
    except xgame.Failure as failure:
        sys.exit("take.py: %s" % failure)
