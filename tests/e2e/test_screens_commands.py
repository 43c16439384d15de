#!/usr/bin/env python3
"""The real game under Xvfb, driven only through its docks: the entries are
clicked at positions computed from the dock geometry. View and size switches
change the window, a save writes a file of 229 + 2n bytes through FLTK's file
requester, a take-back and a load restore it, the new-game screen chooses the
Denker, the info screen shows every topic, music off and the quit entry end
up in the settings file. Screenshots of the open docks, the new-game screen
and every info page are kept for review."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e
from kavro_e2e import COLUMNS, ROWS

# ------------------------------------------------------------ dock geometry
# The same arithmetic as the docks: design positions times Scale, truncated;
# six entries of 120 x 120 over int(540 x Scale) pixels.

def side_dock_entry(side, index, scale, view2d):
    whole = int(540 * scale)
    interval = whole / 6.0
    frame = int(scale * 120)
    zoom = interval / frame
    extent = int(zoom * 2 * int(scale * 0.5 * 120))
    centre_y = int(scale * (300 + 135 * view2d))
    top = centre_y - int(0.5 * whole)
    y = top + int((index + 0.5) * interval)
    if side == "left":
        return extent // 2, y
    edge = int(scale * (1400 - 400 * view2d))
    return edge - extent // 2, y


def horizontal_dock_entry(index, count, whole_width, cell_w, cell_h, x, y, scale):
    whole = int(whole_width * scale)
    interval = whole / float(count)
    frame_w = int(scale * cell_w)
    half_h = int(scale * 0.5 * cell_h)
    top = int(interval / frame_w * 2 * half_h)
    left = int(scale * x) - int(0.5 * whole)
    return left + int((index + 0.5) * interval), int(scale * y) - top // 2


def new_game_entry(index, view2d):
    return horizontal_dock_entry(index, 5, 400, 120, 150, 700 - 200 * view2d, 540, 1.0)


def info_entry(index, window_width):
    return horizontal_dock_entry(index, 6, 720, 160, 150, window_width // 2, 760, 1.0)


# ------------------------------------------------------------ driving

class Game:
    """The running game in a session: the docks react to a press and a
    release seen in different frames, so a click holds the button."""

    def __init__(self, session, cwd=None):
        self.s = session
        session.launch(cwd=cwd)
        self.win = session.wait_window()
        time.sleep(2.5)  # the splash stays at least 1.5 s

    def hover(self, point, settle=0.6):
        self.s.move(self.win, *point)
        time.sleep(settle)

    def click(self, point):
        self.hover(point, 0.4)
        self.s.xdotool("mousedown", 1)
        time.sleep(0.15)
        self.s.xdotool("mouseup", 1)
        time.sleep(0.5)

    def park(self):
        """Pointer away from the docks so they close."""
        self.hover((500, 820), 0.4)

    def size(self):
        return self.s.geometry(self.win)[2:]

    def expect_size(self, width, height, what):
        try:
            e2e.wait_for(lambda: self.size() == (width, height), 5, what=what)
        except e2e.Failure:
            raise e2e.Failure("%s: window is %r, expected %dx%d" % (what, self.size(), width, height))

    def answer_file_requester(self, title, name):
        """Types a bare file name into the requester, which opens in
        GameFolder (HOME here) with its name field selected: the typed name
        replaces the proposal and is taken in the requester's folder."""
        chooser = self.s.wait_dialog(title, 15)
        time.sleep(0.5)
        self.s.focus(chooser)
        self.s.xdotool("type", "--delay", 40, name)
        time.sleep(0.3)
        self.s.key(chooser, "Return")
        e2e.wait_for(lambda: chooser not in self.s.windows(title), 10, what="requester to close")
        time.sleep(0.5)


def read_settings(session):
    settings = session.settings()
    e2e.check(settings is not None, "no settings file")
    return settings


# ------------------------------------------------------------ scenes

def view_and_size(game):
    s = game.s
    game.expect_size(1000, 850, "start")
    game.hover(side_dock_entry("left", 2, 1.0, 1))
    s.screenshot("left-dock-open-flat")

    game.click(side_dock_entry("right", 0, 1.0, 1))
    game.expect_size(1400, 850, "view switch to perspective")
    game.hover(side_dock_entry("right", 3, 1.0, 0))
    s.screenshot("right-dock-open-perspective")

    game.click(side_dock_entry("right", 1, 1.0, 0))
    game.expect_size(1050, 637, "small window")
    game.hover(side_dock_entry("left", 4, 0.75, 0))
    s.screenshot("left-dock-open-small")
    game.click(side_dock_entry("left", 4, 0.75, 0))  # music off, in the small window

    game.click(side_dock_entry("right", 1, 0.75, 0))
    game.expect_size(1400, 850, "large window again")
    game.click(side_dock_entry("right", 0, 1.0, 0))
    game.expect_size(1000, 850, "flat view again")
    game.park()


def save_take_back_load(game):
    s = game.s
    game.click((COLUMNS[7], ROWS[7]))
    time.sleep(2.0)  # the computer answers
    game.park()
    game.click(side_dock_entry("left", 2, 1.0, 1))
    game.answer_file_requester("Spiel speichern:", "partie")
    data = s.home_file("partie.KVs")
    if data is None:
        s.screenshot("save-failed")
    e2e.check(data is not None, "no file partie.KVs after saving")
    e2e.check(len(data) == 229 + 2 * 2, "saved file has %d bytes, expected 233" % len(data))
    e2e.check(data[3] == 2 and data[4:6] == bytes([7, 7]) and data[8 + 15 * 7 + 7] == 1,
              "saved record does not hold the game: %r" % data[:8])
    game.park()

    game.click(side_dock_entry("right", 4, 1.0, 1))  # take back both stones
    game.park()
    s.screenshot("after-take-back")
    game.click(side_dock_entry("left", 1, 1.0, 1))
    game.answer_file_requester("Spiel laden:", "partie.KVs")
    game.park()
    s.screenshot("after-load")
    return data


def new_game_screen(game):
    s = game.s
    # A running game with moves asks first; "Ja" is the return button.
    game.click(side_dock_entry("left", 0, 1.0, 1))
    s.wait_dialog()
    s.screenshot("new-game-question")
    s.answer_dialog("Return")
    time.sleep(0.8)
    s.screenshot("new-game")
    game.hover(new_game_entry(3, 1), settle=0.8)
    s.screenshot("new-game-dock-open")
    game.click(new_game_entry(4, 1))
    game.park()
    s.screenshot("new-game-done")


def info_screen(game):
    s = game.s
    game.click(side_dock_entry("left", 3, 1.0, 1))
    game.park()
    s.screenshot("info-title")
    for topic in range(5):
        game.click(info_entry(topic, 1000))
        game.park()
        s.screenshot("info-topic-%d" % (topic + 1))
    game.hover(info_entry(2, 1000), settle=0.8)
    s.screenshot("info-dock-open")
    game.click(info_entry(5, 1000))
    game.park()
    s.screenshot("info-left")


def main():
    with e2e.Session("screens_commands") as s:
        game = Game(s)
        view_and_size(game)
        record = save_take_back_load(game)
        game.click(side_dock_entry("left", 5, 1.0, 1))  # quit at once
        e2e.check(s.wait_exit(20) == 0, "exit code after the quit entry")
        settings = read_settings(s)
        e2e.check(settings["record"] == record, "the loaded game was not the one saved")
        e2e.check(settings["music"] == 0, "music off was not remembered")
        e2e.check(settings["folder"] == s.home, "GameFolder %r does not follow the saved file" % settings["folder"])

        game = Game(s)
        new_game_screen(game)
        info_screen(game)
        s.close(game.win)
        e2e.check(s.wait_exit(20) == 0, "exit code after the close button")
        settings = read_settings(s)
        e2e.check(settings["kind"] == e2e.DENKER and settings["moves"] == [],
                  "new game against the Denker not stored: kind %d, %d moves"
                  % (settings["kind"], len(settings["moves"])))
        e2e.check(settings["music"] == 0, "music off was lost on the second run")


if __name__ == "__main__":
    e2e.run(main)
