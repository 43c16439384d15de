#!/usr/bin/env python3
"""kavro-arena as an engine author uses it, and the desktop action that
starts the sample engine with the game.

1. Stand-in engines that crash, hang, answer a taken square or words play
   the Flexible and a well-behaved stand-in, two games at once: the run
   ends, and every game of each faulty one is counted against it for its
   reason.
2. Denker, Engine, the stand-in and the sample engine run through its own
   tournament protocol (--protocol) with game records: the tables show Elo
   with margins, every game has its .psq file and --replay prints one.
3. The desktop entry passes desktop-file-validate; its engine action, run
   under Xvfb, starts kavro-engine, which answers the network entry, and
   ends it when the game is closed."""

import configparser
import fcntl
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402
import test_engine_network as net  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("KAVRO_SOURCE_DIR") or os.path.dirname(os.path.dirname(HERE))
BUILD = os.environ.get("KAVRO_BUILD_DIR") or os.path.join(SOURCE, "build")
ARENA = os.path.join(BUILD, "kavro-arena")
ENGINE = e2e.binary("KAVRO_ENGINE_BIN", "kavro-engine")
STANDIN = os.path.join(HERE, "standin_engine.py")


def arena(args, timeout=600):
    started = time.time()
    r = subprocess.run([ARENA] + args, capture_output=True, text=True, timeout=timeout)
    print("kavro-arena %s: %.1f s" % (" ".join(args), time.time() - started))
    e2e.check(r.returncode == 0, "kavro-arena failed (%d):\n%s%s" % (r.returncode, r.stdout, r.stderr))
    return r.stdout, r.stderr


def player_rows(out):
    """name -> (games, crash, time, illegal, garbage) from the players table."""
    rows = {}
    table = out.split("\nplayer ")[1]
    for line in table.splitlines()[1:]:
        m = re.match(r"(\S+)\s+(\d+)\s.*?\s(\d+)\s+(\d+)\s+(\d+)\s+(\d+)$", line)
        if m:
            rows[m.group(1)] = tuple(int(v) for v in m.groups()[1:])
    return rows


def faults_are_counted():
    names = ["crash", "hang", "illegal", "garbage"]
    engines = ["pb=" + STANDIN] + ["%s=%s %s" % (n, STANDIN, n) for n in names]
    out, err = arena(["1", "-j", "2", "--engine-ms", "200",
                      "--players", ",".join(["Flexible"] + engines)])
    rows = player_rows(out)
    column = {"crash": 1, "hang": 2, "illegal": 3, "garbage": 4}
    # Each faulty one faults in its four games against the Flexible and pb;
    # between two faulty ones, whoever misbehaves first loses: one fault a game.
    for name in names:
        e2e.check(rows[name][0] == 10, "%s played %d games" % (name, rows[name][0]))
        e2e.check(rows[name][column[name]] >= 4 and sum(rows[name][1:]) == rows[name][column[name]],
                  "%s: faults %r" % (name, rows[name]))
    e2e.check(sum(sum(rows[n][1:]) for n in names) == 4 * 4 + 12, "faults:\n" + out)
    for name in ("pb", "Flexible"):
        e2e.check(sum(rows[name][1:]) == 0, "%s is charged with faults: %r" % (name, rows[name]))
    kind = {"crash": "crash", "hang": "time", "illegal": "illegal", "garbage": "garbage"}
    for name in names:
        e2e.check(re.search(r"^  Flexible - %s .* lost by %s 2 %s$" % (name, name, kind[name]), out, re.M),
                  "the pairing Flexible - %s does not show its faults:\n%s" % (name, out))
    e2e.check("games 30/30" in err, "no progress line for the end: " + err)


def run_with_records(scratch):
    records = os.path.join(scratch, "records")
    out, err = arena(["2", "-j", "2", "--records", records, "--tc", "Engine=50", "--tc", "self=50",
                      "--players", "Denker,Engine,pb=%s,self=%s --protocol" % (STANDIN, ENGINE)])
    pairings = re.findall(r"^  (\S+ - \S+)\s+\d+/\d+/\d+\s+[\d.]+%\s+(\S+(?: \+/- \S+)?)\s+(\d+) pairs(?:  lost by .*)?$",
                          out, re.M)
    e2e.check(len(pairings) == 6, "pairings table:\n" + out)
    for name, elo, pairs in pairings:
        e2e.check(pairs == "2" and ("+/-" in elo or "inf" in elo), "pairing %s: %s" % (name, elo))
    rows = player_rows(out)
    e2e.check(all(sum(r[1:]) == 0 for r in rows.values()), "faults where none belong:\n" + out)

    psq = sorted(glob.glob(os.path.join(records, "game-*.psq")))
    summary = open(os.path.join(records, "games.txt")).read().splitlines()
    e2e.check(len(psq) == 24 and len(summary) == 24, "%d records, %d summary lines" % (len(psq), len(summary)))
    first = open(psq[0]).read().splitlines()
    e2e.check(first[0] == "Piskvorky 15x15, 11:11, 0", "record header %r" % first[0])
    e2e.check(first[-2:] == ["Denker", "Engine"], "record names %r" % first[-2:])
    e2e.check(summary[0].startswith("game 1: Denker - Engine  "), "summary %r" % summary[0])
    r = subprocess.run([ARENA, "--replay", psq[0]], capture_output=True, text=True, timeout=30)
    e2e.check(r.returncode == 0 and "Move 1: X (Denker)" in r.stdout, "replay:\n" + r.stdout + r.stderr)
    e2e.check(r.stdout.count("Move ") == len(first) - 3, "replay shows every move")


def listening_engines():
    return [line for line in open("/proc/net/udp").readlines()[1:] if line.split()[1] == "0100007F:1F40"]


def desktop_action(scratch):
    desktop = os.path.join(SOURCE, "packaging/kavro.desktop")
    r = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True)
    e2e.check(r.returncode == 0 and not (r.stdout + r.stderr).strip(), "desktop-file-validate: " + r.stdout)
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(desktop, encoding="utf-8")
    action = entry["Desktop Action engine"]
    e2e.check(action["Name"] == "Kavro mit Rechenprogramm" and action["Name[en]"], "action names")

    # The programs as an installation would find them on PATH.
    bin_dir = os.path.join(scratch, "bin")
    os.makedirs(bin_dir)
    os.symlink(e2e.binary(), os.path.join(bin_dir, "kavro"))
    os.symlink(ENGINE, os.path.join(bin_dir, "kavro-engine"))
    os.symlink(os.path.join(SOURCE, "packaging", action["Exec"]), os.path.join(bin_dir, action["Exec"]))

    lock = open("/tmp/kavro-engine-ports.lock", "a")
    fcntl.flock(lock, fcntl.LOCK_EX)
    with e2e.Session("arena-desktop-action") as s:
        s.write_settings(e2e.MULTIPLAYER, net.MOVES)
        e2e.check(not listening_engines(), "another program holds UDP port 8000")
        s.launch(os.path.join(bin_dir, action["Exec"]), PATH=bin_dir + ":" + os.environ["PATH"])
        win = s.wait_window()
        time.sleep(3.0)  # splash
        e2e.wait_for(lambda: listening_engines(), 10, what="the engine the action started")
        net.click_network(s, win)
        e2e.wait_for(lambda: net.listening_on(8001), 10, what="the game to wait for the engine")
        e2e.wait_for(lambda: not net.listening_on(8001), 20, what="the engine's move")
        time.sleep(1.5)  # the stone flies in
        s.screenshot("engine-move")
        s.close(win)
        e2e.check(s.wait_exit(30) == 0, "the action did not end cleanly with the game")
        e2e.wait_for(lambda: not listening_engines(), 5, what="the engine to end with the game")
        written = s.home_file(e2e.SETTINGS)
        e2e.check(written == e2e.settings_bytes(s.home, e2e.MULTIPLAYER, net.MOVES + [net.BLOCK]),
                  "the engine's block is not on the saved board")


def main():
    e2e.check(os.access(ARENA, os.X_OK), "no kavro-arena in " + BUILD)
    scratch = tempfile.mkdtemp(prefix="kavro-arena-")
    try:
        faults_are_counted()
        run_with_records(scratch)
        desktop_action(scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    e2e.run(main)
