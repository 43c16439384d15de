"""The real renderer draws what the blend model says: the frame benchmark's
blend sheet puts pictures in all five blend modes over a known background,
plain at whole pixels, scaled at half pixels, tinted, faded and turned, and
prints the colour the model (BlendPixel) gives for the middle of every
quarter of every picture. Under Xvfb with Mesa's llvmpipe the window must
show those colours. The quarters differ in colour, so a picture drawn
mirrored, turned the wrong way, shifted or with red and blue swapped fails
as well as a wrong blend."""
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e

# Channels are 8 bits: the GPU rounds products and sums of them.
TOLERANCE = 3


def main():
    program = e2e.binary("KAVRO_FRAMEBENCH_BIN", "kavro-framebench")
    with e2e.Session("blend_sheet") as s:
        proc = subprocess.Popen([program, "--blend-sheet", "20"], env=s.env(),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            win = e2e.wait_for(lambda: s.windows("Kavro framebench"), 30, what="the window")[0]
            lines = []
            while True:
                line = proc.stdout.readline()
                e2e.check(line != "", "the sheet was never ready")
                if line.strip() == "ready":
                    break
                lines.append(line)
            time.sleep(0.5)
            image = s.window_image(win, "sheet")
            found = (re.match(r"probe (-?\d+) (-?\d+) (\d+) (\d+) (\d+)$", line.strip())
                     for line in lines)
            probes = [tuple(map(int, m.groups())) for m in found if m]
            # 25 cells: the background and four quarters of three pictures each.
            e2e.check(len(probes) == 25 * 13, "%d probes printed" % len(probes))
            wrong = []
            for x, y, r, g, b in probes:
                got = image.getpixel((x, y))
                if max(abs(a - e) for a, e in zip(got, (r, g, b))) > TOLERANCE:
                    wrong.append("(%d, %d) shows %s, the model %s" % (x, y, got, (r, g, b)))
            print("%d probes, %d off by more than %d" % (len(probes), len(wrong), TOLERANCE))
            e2e.check(not wrong, "; ".join(wrong[:10]))
            s.close(win)
            proc.communicate(timeout=30)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        e2e.check(proc.returncode == 0, "framebench failed")


e2e.run(main)
