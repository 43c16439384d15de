"""Shared helpers for the end-to-end tests of the real programs under Xvfb:
the session that drives the game (tools/screenshots/xgame.py, which the
screenshot scripts use too) and the tests' own conventions.

Usage (a test is a plain python3 script that exits non-zero on failure):

    import os, sys
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import kavro_e2e as e2e

    with e2e.Session("mytest") as s:        # Xvfb 1920x1080x24, temporary HOME
        s.write_settings(e2e.DENKER, [(7, 7), (8, 8)])   # a game to resume, or none
        s.launch()                          # $KAVRO_BIN, SDL_AUDIODRIVER=dummy
        win = s.wait_window()               # xdotool search --name '^Kavro$'
        s.wait_past_splash(win)             # the board replaced the splash
        x, y, w, h = s.geometry(win)
        s.click(win, 500, 400)              # window-relative, button 1
        s.key(win, "Escape")                # focuses the window first
        dialog = s.wait_dialog()            # an FLTK dialog titled "Kavro"
        s.screenshot("question")            # $KAVRO_ARTIFACTS/mytest-question.png
        s.answer_dialog("Return")           # "Ja"; "Escape" answers "Nein"
        s.close(win)                        # WM_DELETE_WINDOW, like the close button
        e2e.check(s.wait_exit(30) == 0, "exit code")
        game = s.settings()                 # the .Kavro.ini in HOME, parsed

Everything the session started (Xvfb, the program) is stopped when the
`with` block ends; screenshots and the program's stdout/stderr stay in
$KAVRO_ARTIFACTS. Environment set by ctest: KAVRO_BIN, KAVRO_BUILD_DIR,
KAVRO_SOURCE_DIR, KAVRO_ARTIFACTS, KAVRO_ENGINE_BIN, KAVRO_GALLERY_BIN,
KAVRO_FRAMEBENCH_BIN.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))), "tools", "screenshots"))
from xgame import (ARTIFACTS, COLUMNS, DENKER, FLEXIBLE, KONSEQUENTE, MULTIPLAYER, ROWS,  # noqa: E402,F401
                   SETTINGS, SPONTANE, TITLE, Failure, Session, binary, check, count_colour,
                   parse_settings, settings_bytes, wait_for)


def run(main):
    """Runs a test's main(); prints the failure and exits 1 when it fails."""
    try:
        main()
    except Failure as failure:
        print("FAIL:", failure, file=sys.stderr)
        sys.exit(1)
    print("ok")
