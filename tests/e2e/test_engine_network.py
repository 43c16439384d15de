#!/usr/bin/env python3
"""The real game and the real kavro-engine under Xvfb. A game between two
people is resumed with blue threatening five down column 3. The network
entry is clicked first while no engine runs: the waiting screen shows, and
Escape cancels with its message. Then kavro-engine is started, the entry is
clicked again, the engine blocks at (3,7) for yellow, and after the close
button the settings file holds that stone."""

import fcntl
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402

# Yellow, blue alternately; blue has column 3, rows 3..6, yellow holds (3,2).
MOVES = [(3, 2), (3, 3), (10, 10), (3, 4), (11, 11), (3, 5), (12, 10), (3, 6)]
BLOCK = (3, 7)


def network_entry():
    """Centre of the right dock's entry 3 (of 6) in the flat view at Scale 1:
    the dock hangs at the window's right edge (x 1000), centred at design
    y 300 + 135; at rest it is int(540 * Scale) high, six equal entries."""
    scale = 1.0
    height = int(540 * scale)
    top = int(scale * (300 + 135)) - height // 2
    entry = height / 6
    return int(1000 * scale - entry / 2), int(top + 3.5 * entry)


def click_network(s, win):
    x, y = network_entry()
    s.move(win, x - 30, y)
    time.sleep(0.5)
    s.move(win, x, y)
    time.sleep(1.0)  # let the dock's zoom settle under the pointer
    s.xdotool("mousedown", 1)
    time.sleep(0.15)
    s.xdotool("mouseup", 1)


def listening_on(port):
    with open("/proc/net/udp") as table:
        return any(line.split()[1] == "0100007F:%04X" % port for line in table.readlines()[1:])


def main():
    # The engine ports are fixed: wait for unit tests that use them.
    lock = open("/tmp/kavro-engine-ports.lock", "a")
    fcntl.flock(lock, fcntl.LOCK_EX)
    with e2e.Session("engine-network") as s:
        s.write_settings(e2e.MULTIPLAYER, MOVES)
        s.launch()
        win = s.wait_window()
        time.sleep(3.0)  # splash

        # No engine yet: the game waits until Escape.
        e2e.check(not listening_on(8000), "another program holds UDP port 8000")
        click_network(s, win)
        e2e.wait_for(lambda: listening_on(8001), 10, what="the game to listen on 127.0.0.1:8001")
        time.sleep(1.2)  # the veil fades in over 50 frames
        s.screenshot("waiting")
        s.key(win, "Escape")
        s.wait_dialog()
        s.screenshot("cancelled")
        s.answer_dialog("Return")
        e2e.check(not listening_on(8001), "port 8001 still bound after the cancel")

        engine_out = os.path.join(e2e.ARTIFACTS, "engine-network-kavro-engine.stdout")
        with open(engine_out, "w") as out:
            engine = subprocess.Popen([e2e.binary("KAVRO_ENGINE_BIN", "kavro-engine"), "300"],
                                      stdout=out, stderr=subprocess.STDOUT)
        try:
            e2e.wait_for(lambda: listening_on(8000), 10, what="kavro-engine to listen")
            click_network(s, win)
            e2e.wait_for(lambda: "move: column" in open(engine_out).read(), 15, what="the engine's move")
            time.sleep(1.5)  # the stone flies in for 500 ms
            s.screenshot("stone")
            e2e.check(not listening_on(8001), "port 8001 still bound after the move")
        finally:
            engine.terminate()
            engine.wait(10)
        log = open(engine_out).read()
        e2e.check("move: column %d, row %d" % BLOCK in log, "engine log: " + log)

        s.close(win)
        e2e.check(s.wait_exit(30) == 0, "exit code")
        written = s.home_file(e2e.SETTINGS)
        expected = e2e.settings_bytes(s.home, e2e.MULTIPLAYER, MOVES + [BLOCK])
        e2e.check(written == expected, "settings file:\n%r\nexpected\n%r" % (written, expected))


if __name__ == "__main__":
    e2e.run(main)
