"""The real game on a 1920 x 1080 desktop with no settings file: the window
opens at the flat view's 1000 x 850, the splash shows the five coloured
letters "K a v r o" in the bitmap font at twice the scale for at least
1.5 s, and the close button ends the game, which writes its settings."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e

# Splash letters: design x, colour. Drawn at x = X - 200 (flat view, scale 1)
# with their cells standing on y = 470, 120 pixels high at twice the scale.
LETTERS = [("K", 488, (0, 0, 255)), ("a", 548, (0, 255, 255)), ("v", 602, (0, 255, 0)),
           ("r", 660, (255, 0, 0)), ("o", 760, (255, 0, 255))]
MIN_PIXELS = 150  # a letter stroke of 2x scale covers far more than this


def letters_found(image):
    counts = {}
    for letter, x, colour in LETTERS:
        pen = x - 200
        counts[letter] = e2e.count_colour(image, (pen - 40, 350, pen + 100, 472), colour, 50)
    return counts


def main():
    with e2e.Session("window_splash") as s:
        s.launch()
        win = s.wait_window()
        _, _, w, h = s.geometry(win)
        e2e.check((w, h) == (1000, 850), "window is %dx%d, expected 1000x850" % (w, h))

        # Poll the window: when do the letters appear, when do they go?
        first = last = None
        counts = None
        deadline = time.time() + 20
        while time.time() < deadline:
            image = s.window_image(win)
            now = letters_found(image)
            if all(c >= MIN_PIXELS for c in now.values()):
                if first is None:
                    first, counts = time.time(), now
                    image.save(os.path.join(e2e.ARTIFACTS, "window_splash-splash.png"))
                    # Above the letters there is only the backdrop.
                    stray = sum(e2e.count_colour(image, (0, 0, 1000, 330), c, 50) for _, _, c in LETTERS)
                    e2e.check(stray == 0, "%d pixels of letter colours above the letters" % stray)
                last = time.time()
            elif first is not None:
                break
            time.sleep(0.03)
        e2e.check(first is not None, "the splash letters never showed")
        print("splash letter pixels:", counts, "shown for about %.2f s" % (last - first))
        e2e.check(last < deadline - 1, "the splash never ended")
        # At least 1.5 s; polling may see it a little late and stop a little early.
        e2e.check(last - first >= 1.2, "splash shown only %.2f s" % (last - first))
        s.window_image(win, "board")

        s.close(win)
        code = s.wait_exit(30)
        e2e.check(code == 0, "exit code %s after the close button; stderr: %s" % (code, s.output()[1]))
        settings = s.home_file(".Kavro.ini")
        e2e.check(settings is not None, "no settings file written at the end")


e2e.run(main)
