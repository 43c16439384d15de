#!/usr/bin/env python3
"""Whole games of the real binary under Xvfb, one against each of the four
computer characters (chosen through the settings file): yellow clicks empty
squares of the flat view, picked by a small line-counting player, until a
five stands on the board or no square is left. Stones are read back from
the window's pixels; after the close button the settings file must hold the
same board, a consistent history and a five of the winner. The last frame
of every game is kept as an artifact."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402
from kavro_e2e import COLUMNS, ROWS  # noqa: E402

KINDS = {2: "spontane", 3: "flexible", 4: "konsequente", 5: "denker"}
DIRECTIONS = [(1, 0), (0, 1), (1, 1), (1, -1)]


class BoardReader:
    """Which squares of the flat view hold a stone: the mean colour around a
    square's centre differs from the empty board's."""

    def __init__(self, s, win):
        self.s, self.win = s, win
        self.empty = self._sample()

    def _sample(self):
        image = self.s.window_image(self.win)
        values = {}
        for x in range(15):
            for y in range(15):
                cx, cy = COLUMNS[x], ROWS[y]
                pixels = [image.getpixel((cx + dx, cy + dy)) for dx in (-6, 0, 6) for dy in (-6, 0, 6)]
                values[(x, y)] = tuple(sum(p[i] for p in pixels) / len(pixels) for i in range(3))
        return values

    def changed(self):
        code = self.s.proc.poll()
        e2e.check(code is None, "the game ended by itself with code %r: %s" % (code, self.s.output()[1][-500:]))
        now = self._sample()
        return {sq for sq, value in now.items()
                if sum(abs(a - b) for a, b in zip(value, self.empty[sq])) > 60}

    def occupied(self):
        """Squares that stay changed over two looks: a computer's stone in
        flight crosses other squares on its way."""
        first = self.changed()
        time.sleep(0.25)
        return first & self.changed()


def five(squares):
    for (x, y) in squares:
        for dx, dy in DIRECTIONS:
            if all((x + i * dx, y + i * dy) in squares for i in range(5)):
                return True
    return False


def decided(mine, theirs):
    """No window of five is free of one colour's stones: no one can win."""
    for x in range(15):
        for y in range(15):
            for dx, dy in DIRECTIONS:
                window = [(x + i * dx, y + i * dy) for i in range(5)]
                if not all(0 <= a < 15 and 0 <= b < 15 for a, b in window):
                    continue
                empty = [sq for sq in window if sq not in mine and sq not in theirs]
                if empty and (all(sq not in theirs for sq in window) or all(sq not in mine for sq in window)):
                    return False
    return True


def choose(mine, theirs):
    """The empty square with the best line count: own open windows weigh a
    little more than the opponent's, so yellow attacks and still blocks."""
    best, best_score = None, -1
    for x in range(15):
        for y in range(15):
            if (x, y) in mine or (x, y) in theirs:
                continue
            score = 0
            for dx, dy in DIRECTIONS:
                for start in range(-4, 1):
                    window = [(x + (start + i) * dx, y + (start + i) * dy) for i in range(5)]
                    if not all(0 <= a < 15 and 0 <= b < 15 for a, b in window):
                        continue
                    own = sum(1 for sq in window if sq in mine)
                    other = sum(1 for sq in window if sq in theirs)
                    if other == 0:
                        score += 16 ** own
                    if own == 0:
                        score += 10 ** other
            # Near the centre first when all else is equal.
            score = score * 100 - abs(x - 7) - abs(y - 7)
            if score > best_score:
                best, best_score = (x, y), score
    return best


def play_one(s, kind):
    name = KINDS[kind]
    s.write_settings(kind)
    s.launch()
    win = s.wait_window()
    s.wait_past_splash(win)
    s.move(win, 500, 840)  # off the board and the docks
    time.sleep(0.3)
    reader = BoardReader(s, win)
    mine, theirs = set(), set()
    winner = None
    started = time.time()
    while winner is None:
        e2e.check(time.time() - started < 150, "%s: the game took too long" % name)
        square = choose(mine, theirs)
        if square is None:
            break
        # Click until the stone shows (a click during the computer's flight is dropped).
        for _ in range(5):
            s.press(win, COLUMNS[square[0]], ROWS[square[1]])
            try:
                # Yellow's stone is placed at once, without a flight.
                e2e.wait_for(lambda: square in reader.changed(), 3, 0.1, "yellow's stone")
                break
            except e2e.Failure:
                continue
        else:
            raise e2e.Failure("%s: the click on %r placed no stone" % (name, square))
        mine.add(square)
        if five(mine):
            winner = 1
            break
        if decided(mine, theirs):
            break
        # The computer's answer: exactly one new stone (the Denker may think).
        answer = e2e.wait_for(lambda: reader.occupied() - mine - theirs, 90, 0.2, "%s's move" % name)
        if len(answer) > 1:
            # A winning move brings the message, with its halo, over the top
            # rows; the settings file, written after every move, names the move.
            last = s.settings()["moves"][-1]
            e2e.check(last in answer and all(y <= 2 for (x, y) in answer - {last}),
                      "%s: %d stones appeared for one move: %r" % (name, len(answer), sorted(answer)))
            answer = {last}
        e2e.check(len(answer) == 1, "%s: %d stones appeared for one move" % (name, len(answer)))
        theirs |= answer
        if five(theirs):
            winner = 2
        elif decided(mine, theirs):
            break
    time.sleep(2.5)  # the game-over text builds up
    s.screenshot("%s-last-frame" % name)
    s.close(win)
    e2e.check(s.wait_exit(30) == 0, "%s: exit code after the close button" % name)

    game = s.settings()
    e2e.check(game["kind"] == kind, "%s: opponent kind %d stored" % (name, game["kind"]))
    stored_yellow = {(x, y) for x in range(15) for y in range(15) if game["board"][x][y] == 1}
    stored_blue = {(x, y) for x in range(15) for y in range(15) if game["board"][x][y] == 2}
    e2e.check(stored_yellow == mine, "%s: yellow stones differ: %r vs %r" % (name, stored_yellow, mine))
    e2e.check(stored_blue == theirs, "%s: blue stones differ: %r vs %r" % (name, stored_blue, theirs))
    moves = game["moves"]
    e2e.check(len(moves) == len(mine) + len(theirs), "%s: history length" % name)
    e2e.check(set(moves[0::2]) == mine and set(moves[1::2]) == theirs,
              "%s: history does not alternate yellow, blue" % name)
    if winner:
        e2e.check(five(stored_yellow if winner == 1 else stored_blue), "%s: no five stored" % name)
    print("%s: %s after %d moves" % (name, {1: "yellow won", 2: "blue won", None: "no winner"}[winner],
                                     len(moves)))


def main():
    with e2e.Session("scenario_games") as s:
        for kind in sorted(KINDS):
            play_one(s, kind)


if __name__ == "__main__":
    e2e.run(main)
