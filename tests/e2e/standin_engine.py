#!/usr/bin/env python3
"""A stand-in engine of the tournament text protocol for the arena's tests.

    standin_engine.py [MODE [N]]

It completes its own five, blocks the opponent's, and otherwise plays next to
its stones, nearest the centre first. From its N-th answer of a game on
(default 3) it misbehaves as MODE says: "crash" exits, "hang" sleeps for a
minute, "illegal" answers a taken square, "garbage" answers words. "normal"
(the default) never misbehaves."""

import sys
import time

MODE = sys.argv[1] if len(sys.argv) > 1 else "normal"
FAULT_AT = int(sys.argv[2]) if len(sys.argv) > 2 else 3


def say(text):
    sys.stdout.write(text + "\r\n")
    sys.stdout.flush()


def five(board, x, y, who):
    for dx, dy in ((1, 0), (0, 1), (1, 1), (1, -1)):
        n = 1
        for s in (1, -1):
            cx, cy = x + s * dx, y + s * dy
            while 0 <= cx < 15 and 0 <= cy < 15 and board.get((cx, cy)) == who:
                n += 1
                cx, cy = cx + s * dx, cy + s * dy
        if n >= 5:
            return True
    return False


def choose(board):
    free = [(x, y) for x in range(15) for y in range(15) if (x, y) not in board]
    for who in (1, 2):
        for square in free:
            if five(board, square[0], square[1], who):
                return square
    mine = [s for s, w in board.items() if w == 1] or [(7, 7)]
    near = [s for s in free if any(max(abs(s[0] - m[0]), abs(s[1] - m[1])) == 1 for m in mine)]
    return min(near or free, key=lambda s: (abs(s[0] - 7) + abs(s[1] - 7), s))


board, reading, answers = {}, False, 0
for raw in sys.stdin:
    line = raw.strip()
    if line.startswith("START"):
        say("OK")
    elif line == "BOARD":
        board, reading = {}, True
    elif line == "DONE":
        reading = False
        answers += 1
        if MODE != "normal" and answers >= FAULT_AT:
            if MODE == "crash":
                sys.exit(5)
            if MODE == "hang":
                time.sleep(60)
            if MODE == "illegal" and board:
                x, y = next(iter(board))
                say("%d,%d" % (x, y))
                continue
            if MODE == "garbage":
                say("MESSAGE still fine")
                say("I think I will play somewhere")
                continue
        say("%d,%d" % choose(board))
    elif reading:
        x, y, who = (int(v) for v in line.split(","))
        board[(x, y)] = who
    elif line == "END":
        break
