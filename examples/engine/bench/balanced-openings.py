#!/usr/bin/env python3
"""Candidates for bench/balanced-openings.txt, and the pick among them.

  balanced-openings.py candidates > cand.txt
  build/kavro-engine-bench 2000 --openings cand.txt > judged.txt
  balanced-openings.py pick judged.txt > balanced-openings.txt

The candidates are random openings of four and five stones within three
squares of the centre, the first stone on it. The pick keeps the 64 of five
stones (blue to move) that the engine judged closest to even: openings of
four stones leave yellow, with the tempo, clearly ahead. Judge them again
when the engine has grown much stronger: a stronger engine sees an
advantage an older one took for even, and an opening won for the side to
move whoever plays it hides a difference in strength.
"""
import random
import sys

HEADER = """\
# Balanced openings for engine matches: five stones, blue to move. Of 480
# random openings of four and five stones around the centre, the 64 the
# sample engine judged closest to even for the side to move (2000 ms a
# position; made by bench/balanced-openings.py). Stones as x,y from zero,
# yellow first, as kavro-arena --openings reads them; after the # the
# engine's score for blue.
"""


def candidates(count=480, seed=7):
    rng = random.Random(seed)
    seen, lines = set(), []
    while len(lines) < count:
        stones = [(7, 7)]
        size = rng.choice([4, 5, 5])
        while len(stones) < size:
            square = (rng.randint(4, 10), rng.randint(4, 10))
            if square not in stones:
                stones.append(square)
        if tuple(stones) not in seen:
            seen.add(tuple(stones))
            lines.append(" ".join(f"{x},{y}" for x, y in stones))
    return lines


def pick(judged_path, count=64):
    rows = []
    for line in open(judged_path):
        fields = line.split(None, 4)
        if len(fields) == 5 and len(fields[4].split()) == 5:
            score = int(fields[0])
            rows.append((abs(score), score, fields[4].strip()))
    rows.sort()
    return [f"{stones}  # {score:+d}" for _, score, stones in rows[:count]]


if __name__ == "__main__":
    if sys.argv[1:2] == ["candidates"]:
        print("\n".join(candidates()))
    elif sys.argv[1:2] == ["pick"] and len(sys.argv) == 3:
        print(HEADER + "\n".join(pick(sys.argv[2])))
    else:
        sys.exit(__doc__)
