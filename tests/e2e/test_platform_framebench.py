"""Frame cost of the real backend under Xvfb with Mesa's llvmpipe: one
full-window board picture plus 225 stones of two kinds, median CPU time of
drawing and presenting a frame over 300 frames, must stay under 10 ms.

The machine running the tests may be busy with other work, which inflates
CPU time (shared caches, a second hyperthread); the best median of up to
three runs is taken, so one disturbed run does not fail the test."""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e

LIMIT_MS = 10.0


def main():
    program = e2e.binary("KAVRO_FRAMEBENCH_BIN", "kavro-framebench")
    best = None
    with e2e.Session("framebench") as s:
        for attempt in range(3):
            r = subprocess.run([program], env=s.env(), capture_output=True, text=True, timeout=300)
            e2e.check(r.returncode == 0, "framebench failed: %s" % r.stderr)
            print(r.stdout.strip())
            found = re.search(r"median_ms=([0-9.]+)", r.stdout)
            e2e.check(found is not None, "no median in the output")
            median = float(found.group(1))
            best = median if best is None else min(best, median)
            if best < LIMIT_MS:
                break
    print("best median %.2f ms per frame (limit %.1f ms)" % (best, LIMIT_MS))
    e2e.check(best < LIMIT_MS, "a frame costs %.2f ms of CPU, limit %.1f ms" % (best, LIMIT_MS))


e2e.run(main)
