"""Frame cost of the real backend under Xvfb with Mesa's llvmpipe: one
full-window board picture plus 225 stones of two kinds, median CPU time of
drawing and presenting a frame over 300 frames.

The aim is 10 ms, and the test fails above it. On this kind of machine
(2 cores, Mesa 22.3 llvmpipe) a run measures 3.3 to 4.4 ms, because the
renderer lets llvmpipe draw the screen-aligned pictures on its fast path
(BGRA textures, no depth buffer, a texel-only shader); without that path
the same frame costs 10.5 to 13.7 ms, which this test catches.

The machine running the tests may be busy with other work, which inflates
CPU time (shared caches, memory bandwidth; by about a fifth at a load
average of 9 to 14 on 2 cores): the best median of up to three runs is
taken, and the figure leaves more than twice that room below the limit,
so the limit needs no allowance for a busy machine."""
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
    print("best median %.2f ms per frame; load average %.1f on %d cores; limit %.1f ms"
          % (best, os.getloadavg()[0], os.cpu_count() or 1, LIMIT_MS))
    e2e.check(best < LIMIT_MS, "a frame costs %.2f ms of CPU, limit %.1f ms" % (best, LIMIT_MS))


e2e.run(main)
