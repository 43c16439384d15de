#!/usr/bin/env python3
"""The file requester typed into as a player would: the proposed name is
selected, so typing replaces it with a bare name. The game runs in another
working directory than its game folder; the file must land in the folder
the requester shows, under exactly the typed name. Saving over that file
asks first, even when the name is typed without ".KVs": declining opens the
requester again and leaves the file alone. An absolute path typed at a
normal pace arrives as typed.
A load by a bare name finds the file in the requester's folder too."""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e
from test_screens_commands import COLUMNS, ROWS, Game, side_dock_entry

SAVE_TITLE = "Spiel speichern:"
LOAD_TITLE = "Spiel laden:"


def requester(s, title):
    chooser = s.wait_dialog(title, 15)
    time.sleep(0.5)
    s.focus(chooser)
    return chooser


def type_name(s, name):
    s.xdotool("type", "--delay", 60, name)
    time.sleep(0.3)


def main():
    elsewhere = tempfile.mkdtemp(prefix="kavro-cwd-")
    try:
        with e2e.Session("file_requester") as s:
            game = Game(s, cwd=elsewhere)
            game.click((COLUMNS[7], ROWS[7]))
            time.sleep(2.0)  # the computer answers
            game.park()

            # Save: the whole proposed path is selected; a bare name replaces it.
            game.click(side_dock_entry("left", 2, 1.0, 1))
            chooser = requester(s, SAVE_TITLE)
            type_name(s, "meinspiel")
            s.screenshot("typed-name")
            s.key(chooser, "Return")
            e2e.wait_for(lambda: chooser not in s.windows(SAVE_TITLE), 10, what="requester to close")
            time.sleep(0.5)
            e2e.check(not os.listdir(elsewhere),
                      "the typed name was taken against the working directory: %r" % os.listdir(elsewhere))
            saved = s.home_file("meinspiel.KVs")
            e2e.check(saved is not None, "no meinspiel.KVs in the requester's folder; HOME holds %r"
                      % sorted(os.listdir(s.home)))
            e2e.check(len(saved) == 229 + 2 * 2, "saved file has %d bytes, expected 233" % len(saved))
            game.park()

            # Saving over it asks, also when the name is typed without its
            # extension; "Abbrechen" brings the requester back.
            game.click((COLUMNS[9], ROWS[3]))
            time.sleep(2.0)
            game.park()
            game.click(side_dock_entry("left", 2, 1.0, 1))
            chooser = requester(s, SAVE_TITLE)
            type_name(s, "meinspiel")
            s.key(chooser, "Return")
            question = s.wait_dialog(timeout=10)
            s.screenshot("overwrite-question")
            s.key(question, "Escape")
            chooser = requester(s, SAVE_TITLE)
            e2e.check(s.home_file("meinspiel.KVs") == saved, "the file changed although not overwritten")
            s.key(chooser, "Escape")
            e2e.wait_for(lambda: not s.windows(SAVE_TITLE), 10, what="requester to close")
            e2e.check(s.home_file("meinspiel.KVs") == saved, "a cancelled save changed the file")
            game.park()

            # An absolute path typed at xdotool's own pace, through folders
            # the requester completes and changes into, arrives as typed
            # (and leaves the game folder where it was).
            game.click(side_dock_entry("left", 2, 1.0, 1))
            chooser = requester(s, SAVE_TITLE)
            s.xdotool("type", os.path.join(s.home, "partie"))
            time.sleep(0.3)
            s.screenshot("typed-path")
            s.key(chooser, "Return")
            e2e.wait_for(lambda: chooser not in s.windows(SAVE_TITLE), 10, what="requester to close")
            time.sleep(0.5)
            e2e.check(s.home_file("partie.KVs") is not None, "the typed path did not arrive; HOME holds %r"
                      % sorted(os.listdir(s.home)))
            e2e.check(not s.dialogs(), "a message after saving under a typed path")
            game.park()

            # Load by a bare name over the selected field.
            game.click(side_dock_entry("left", 1, 1.0, 1))
            chooser = requester(s, LOAD_TITLE)
            s.key(chooser, "ctrl+a")
            type_name(s, "meinspiel.KVs")
            s.key(chooser, "Return")
            e2e.wait_for(lambda: chooser not in s.windows(LOAD_TITLE), 10, what="requester to close")
            game.park()
            s.screenshot("after-load")
            game.click(side_dock_entry("left", 5, 1.0, 1))  # quit
            e2e.check(s.wait_exit(20) == 0, "exit code after the quit entry")
            settings = s.settings()
            e2e.check(settings is not None, "no settings file")
            e2e.check(settings["record"] == saved, "the game loaded by its bare name is not the one saved")
    finally:
        shutil.rmtree(elsewhere, ignore_errors=True)


if __name__ == "__main__":
    e2e.run(main)
