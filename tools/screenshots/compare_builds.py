#!/usr/bin/env python3
"""Compares two builds of the game for a change that must not change
behaviour (a refactoring): the search's node counts (kavro_bench), the
settings file after the same game against the Denker, and pictures of every
screen taken the same way from both, pixel by pixel.

    python3 tools/screenshots/compare_builds.py OLD_BUILD NEW_BUILD [--out DIR] [--skip-bench]

OLD_BUILD and NEW_BUILD are build folders with kavro (and kavro_bench). The
pictures go to DIR/old and DIR/new (default /tmp/kavro-compare), with
DIR/diff-*.png where they differ. Animations (the docks' zoom, a win's
swing, the splash) are caught at times that depend on the machine's load:
compare NEW_BUILD with itself to see how much that alone differs.

d65594a (before the layer split) against 85aef56: the nine node counts and
the 289-byte settings file identical, 19 of 25 pictures identical; the six
wins differ in their stones and text by 8 000 to 19 000 pixels, as two runs
of 85aef56 do (4 800 to 21 000), and the flat win has its glint since
6b96885."""
import argparse
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
os.environ.setdefault("KAVRO_ARTIFACTS", os.path.join("/tmp", "kavro-compare-artifacts"))
# The same HOME for both builds: the file requester shows it.
os.environ.setdefault("KAVRO_SHOT_HOME", os.path.join("/tmp", "kavro-compare-home"))
import xgame  # noqa: E402

RESTING = (700, 845)  # off the board and the docks
# Yellow and blue alternately: the Denker searches from the eighth move on,
# so its answers depend on nothing but the board.
OPENING = [(7, 7), (8, 7), (6, 8), (6, 7), (8, 6), (9, 5), (7, 8), (7, 9)]
YELLOW_TRIES = [(5, 9), (9, 7), (6, 6), (8, 8), (5, 7), (9, 6), (10, 4), (4, 10), (6, 9), (8, 9)]
YELLOW_MOVES = 4


def bench(build):
    """{(position, depth): nodes} from kavro_bench's summary."""
    out = subprocess.run([os.path.join(build, "kavro_bench")], capture_output=True, text=True,
                         check=True).stdout
    return {(m[1], int(m[2])): int(m[3])
            for m in re.finditer(r"^(\w+)\s+(\d+)\s+(\d+)\s", out, re.M)}


def played_game(build):
    """The settings file after yellow's clicks against the Denker, then the
    close button."""
    with xgame.Session("compare-game") as s:
        s.write_settings(xgame.DENKER, OPENING)
        s.launch(os.path.join(build, "kavro"))
        win = s.wait_window()
        s.wait_past_splash(win)
        for _ in range(YELLOW_MOVES):
            moves = s.settings()["moves"]
            x, y = next(sq for sq in YELLOW_TRIES if sq not in moves)
            s.press(win, xgame.COLUMNS[x], xgame.ROWS[y], hover=0.3)
            s.move(win, *RESTING)
            xgame.wait_for(lambda: len(s.settings()["moves"]) == len(moves) + 2, 120, 0.2,
                           "the Denker's answer")
            time.sleep(1.0)  # its stone lands
        s.close(win)
        xgame.check(s.wait_exit(30) == 0, "exit code after the close button")
        return s.home_file(xgame.SETTINGS)


def extra_shots(program, out):
    """The board and each dock open, in both views (the docs' scripts take
    the other screens): the side docks, then the info screen's dock (flat)
    or the new-game screen's (perspective)."""
    for view, name, width in ((1, "flat", 1000), (0, "3d", 1400)):
        with xgame.Session("compare-" + name) as s:
            s.write_settings(xgame.DENKER, OPENING, view=view)
            s.launch(program)
            win = s.wait_window()
            s.wait_past_splash(win)

            def shot(label, point):
                s.move(win, *point)
                time.sleep(1.5)  # the dock zooms and settles
                xgame.save_png(s.window_image(win), os.path.join(out, "%s-%s.png" % (label, name)), None)

            centre = 300 + 135 * view  # the side docks' centre height
            shot("board", RESTING)
            shot("left-dock", (45, centre - 45))
            shot("right-dock", (width - 45, centre + 45))
            if view:
                s.press(win, 45, centre + 45, hover=0.8, settle=0.5)  # "Infos"
                shot("info-dock", (440, 704))
            else:
                s.press(win, 45, centre - 225, hover=0.8)  # "Neu", then "Ja"
                s.answer_dialog("Return")
                shot("new-game-dock", (700, 490))


def pictures(build, out):
    """out/docs, out/packaging (the two take.py, every colour kept) and
    out/extra."""
    program = os.path.join(build, "kavro")
    for folder in ("docs", "packaging"):
        subprocess.run([sys.executable, os.path.join(ROOT, folder, "screenshots", "take.py"), program,
                        "--out", os.path.join(out, folder), "--full"], check=True, stdout=subprocess.DEVNULL)
    os.makedirs(os.path.join(out, "extra"), exist_ok=True)
    extra_shots(program, os.path.join(out, "extra"))


def compare_pictures(out):
    from PIL import Image, ImageChops
    rows = []
    names = [os.path.join(folder, name) for folder in ("docs", "packaging", "extra")
             for name in sorted(os.listdir(os.path.join(out, "old", folder)))]
    for name in names:
        old = Image.open(os.path.join(out, "old", name)).convert("RGB")
        new = Image.open(os.path.join(out, "new", name)).convert("RGB")
        if old.size != new.size:
            rows.append((name, "size %dx%d -> %dx%d" % (old.size + new.size)))
            continue
        diff = ImageChops.difference(old, new)
        changed = sum(1 for p in diff.getdata() if p != (0, 0, 0))
        if changed:
            diff.point(lambda v: 255 if v else 0).save(os.path.join(out, "diff-" + name.replace("/", "-")))
        rows.append((name, "%d of %d pixels differ%s" % (
            changed, old.width * old.height,
            ", by up to %d, within %r" % (max(max(b) for b in diff.getextrema()), diff.getbbox())
            if changed else "")))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--out", default="/tmp/kavro-compare")
    parser.add_argument("--skip-bench", action="store_true")
    args = parser.parse_args()
    same = True
    if not args.skip_bench:
        old, new = bench(args.old), bench(args.new)
        xgame.check(old, "no node counts from the old bench")
        for key in sorted(old):
            print("nodes %-8s depth %d: %8d %8s" % (key + (old[key], new.get(key))))
        same &= old == new
        print("node counts", "identical" if old == new else "DIFFER")
    games = [played_game(build) for build in (args.old, args.new)]
    print("settings after the game: %d bytes, %d moves, %s" % (
        len(games[0]), len(xgame.parse_settings(games[0])["moves"]),
        "identical" if games[0] == games[1] else "DIFFER:\n%r\n%r" % tuple(games)))
    same &= games[0] == games[1]
    for side, build in (("old", args.old), ("new", args.new)):
        os.makedirs(os.path.join(args.out, side), exist_ok=True)
        pictures(build, os.path.join(args.out, side))
    for name, verdict in compare_pictures(args.out):
        print("%-32s %s" % (name, verdict))
    return 0 if same else 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except xgame.Failure as failure:
        sys.exit("compare_builds.py: %s" % failure)
