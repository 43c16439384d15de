"""The modal dialogs of the real game: Escape asks the quit question in an
FLTK box titled "Kavro" with the buttons "Ja" and "Nein"; the game window
keeps its picture while the box is open; "Nein" (Escape) goes back to the
game, "Ja" (Return) ends it and the settings are written."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e


def main():
    with e2e.Session("dialogs") as s:
        s.launch()
        win = s.wait_window()
        s.wait_past_splash(win)
        before = s.window_image(win, "board")

        s.key(win, "Escape")
        dialog = s.wait_dialog()
        time.sleep(0.5)
        s.screenshot("quit-question")
        _, _, w, h = s.geometry(dialog)
        e2e.check(w > 100 and h > 50, "the question box is %dx%d" % (w, h))
        # Repainted under the box: the part of the game window it does not
        # cover still shows the board.
        during = s.window_image(win)
        e2e.check(during.getpixel((500, 800)) == before.getpixel((500, 800)),
                  "the game window lost its picture while the box was open")

        s.answer_dialog("Escape")
        time.sleep(1.0)
        e2e.check(s.proc.poll() is None, "the game ended although the answer was no")

        s.key(win, "Escape")
        s.answer_dialog("Return")
        code = s.wait_exit(30)
        e2e.check(code == 0, "exit code %s after yes; stderr: %s" % (code, s.output()[1]))
        e2e.check(s.home_file(e2e.SETTINGS) is not None, "no settings file after quitting")


e2e.run(main)
