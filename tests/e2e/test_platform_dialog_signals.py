#!/usr/bin/env python3
"""A logout while a dialog of the real game is open: SIGTERM, SIGINT or
SIGHUP closes the quit question, the save requester or a message box as if
cancelled, and the game ends within a second, exit code 0, with the stones
on the board in the settings file (HOME is a temporary folder). The message
box is the one a load of a FIFO shows: loading it must not wait for a writer."""
import os
import signal
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402
from kavro_e2e import COLUMNS, ROWS  # noqa: E402
from test_screens_commands import Game, side_dock_entry  # noqa: E402


def quit_question(s, game):
    s.key(game.win, "Escape")
    return s.wait_dialog()


def save_requester(s, game):
    game.click(side_dock_entry("left", 2, 1.0, 1))
    return s.wait_dialog("Spiel speichern:", 15)


def load_failure_message(s, game):
    """Loading a FIFO: no wait for a writer, the load-failure message instead."""
    os.mkfifo(os.path.join(s.home, "pipe.KVs"))
    game.click(side_dock_entry("left", 1, 1.0, 1))
    chooser = s.wait_dialog("Spiel laden:", 15)
    time.sleep(0.5)
    s.focus(chooser)
    s.xdotool("type", "--delay", 40, "pipe.KVs")
    s.key(chooser, "Return")
    return s.wait_dialog(timeout=15)


def main():
    with e2e.Session("dialog_signals") as s:
        s.write_settings(e2e.MULTIPLAYER)  # two humans: nothing moves on its own
        placed = []
        for sig, opener, square in [(signal.SIGTERM, quit_question, (7, 7)),
                                    (signal.SIGINT, save_requester, (3, 4)),
                                    (signal.SIGHUP, load_failure_message, (11, 2))]:
            what = "%s during %s" % (sig.name, opener.__name__)
            game = Game(s)
            s.press(game.win, COLUMNS[square[0]], ROWS[square[1]])
            placed.append(square)
            time.sleep(0.6)
            game.park()
            dialog = opener(s, game)
            time.sleep(0.5)
            s.screenshot(opener.__name__)
            e2e.check(s.proc.poll() is None, "%s: the game ended before the signal" % what)
            sent = time.monotonic()
            s.proc.send_signal(sig)
            e2e.wait_for(lambda: s.proc.poll() is not None, 5, 0.02, what="the game to end")
            took = time.monotonic() - sent
            print("%s: ended after %.2f s" % (what, took))
            e2e.check(took < 1.0, "%s: the game took %.2f s to end" % (what, took))
            e2e.check(s.proc.returncode == 0, "%s: exit code %d; stderr: %s"
                      % (what, s.proc.returncode, s.output()[1]))
            e2e.check(dialog not in s.dialogs() and not s.windows("Spiel speichern:"),
                      "%s: a dialog is still shown" % what)
            stored = s.settings()
            e2e.check(stored["moves"] == placed, "%s: stored moves %r, expected %r" % (what, stored["moves"], placed))
            leftovers = [n for n in os.listdir(s.home) if n.endswith(".tmp") or ".tmp" in n]
            e2e.check(not leftovers, "%s: temporary files left: %r" % (what, leftovers))


if __name__ == "__main__":
    e2e.run(main)
