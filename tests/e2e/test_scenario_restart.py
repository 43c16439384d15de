#!/usr/bin/env python3
"""Save, new game, load and take back across restarts of the real game
(two humans): the first run plays three stones, saves them through the
file requester, starts a new game and closes; the second run finds the
empty board, loads the saved game, takes one move back and closes; the
third finds the two remaining stones and nothing to replay (taken-back
moves are not stored). Screenshots of each run's last frame are kept."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402
from kavro_e2e import COLUMNS, ROWS  # noqa: E402
from test_screens_commands import Game, new_game_entry, side_dock_entry  # noqa: E402

STONES = [(7, 7, 1), (8, 8, 2), (7, 8, 1)]


def stored(s):
    return s.settings()


def end_run(s, game, label):
    game.park()
    s.screenshot(label)
    s.close(game.win)
    e2e.check(s.wait_exit(30) == 0, "%s: exit code" % label)


def main():
    with e2e.Session("scenario_restart") as s:
        s.write_settings(e2e.MULTIPLAYER)

        game = Game(s)
        for x, y, _ in STONES:
            game.click((COLUMNS[x], ROWS[y]))
        game.park()
        game.click(side_dock_entry("left", 2, 1.0, 1))
        game.answer_file_requester("Spiel speichern:", "drei")
        saved = s.home_file("drei.KVs")
        e2e.check(saved is not None and len(saved) == 229 + 2 * 3, "save did not write drei.KVs")
        game.park()
        game.click(side_dock_entry("left", 0, 1.0, 1))
        s.answer_dialog("Return")  # abandon the running game: "Ja"
        time.sleep(0.8)
        game.click(new_game_entry(0, 1))  # two humans again
        end_run(s, game, "run1-new-game")
        first = stored(s)
        e2e.check(first["moves"] == [] and first["kind"] == 1,
                  "after the new game: %r moves, kind %d" % (first["moves"], first["kind"]))

        game = Game(s)
        game.click(side_dock_entry("left", 1, 1.0, 1))
        game.answer_file_requester("Spiel laden:", "drei.KVs")
        game.park()
        game.click(side_dock_entry("right", 4, 1.0, 1))  # take back one move
        end_run(s, game, "run2-loaded-took-back")
        second = stored(s)
        e2e.check(second["moves"] == [(7, 7), (8, 8)], "after load and take back: %r" % second["moves"])
        e2e.check(second["board"][7][8] == 0 and second["board"][8][8] == 2, "board after take back")
        e2e.check(second["folder"] == s.home, "GameFolder %r" % second["folder"])

        game = Game(s)
        game.click(side_dock_entry("right", 5, 1.0, 1))  # replay: nothing survived the restart
        end_run(s, game, "run3-nothing-to-replay")
        third = stored(s)
        e2e.check(third["moves"] == [(7, 7), (8, 8)], "after the replay entry: %r" % third["moves"])


if __name__ == "__main__":
    e2e.run(main)
