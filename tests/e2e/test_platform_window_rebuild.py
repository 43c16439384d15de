"""Opening the window again at another size (what the view and size
commands do) rebuilds it at the new size, and the pictures loaded before
still draw: the board shows in the smaller window, not black."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e


def main():
    program = e2e.binary("KAVRO_FRAMEBENCH_BIN", "kavro-framebench")
    with e2e.Session("window_rebuild") as s:
        proc = subprocess.Popen([program, "--resize", "700", "425", "8"], env=s.env(),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        try:
            win = e2e.wait_for(lambda: s.windows("Kavro framebench"), 30, what="the window")[0]
            e2e.wait_for(lambda: s.geometry(win)[2:] == (700, 425), 15, what="the window to shrink")
            time.sleep(1.0)
            image = s.window_image(win, "rebuilt")
            e2e.check(image.size == (700, 425), "window image is %s" % (image.size,))
            # The board picture (wood, not black) fills the middle of the window.
            r, g, b = image.getpixel((350, 300))
            e2e.check(r + g + b > 150, "the middle of the rebuilt window is black: %s" % ((r, g, b),))
            dark = e2e.count_colour(image, (0, 0, 700, 425), (0, 0, 0), 8)
            e2e.check(dark < 700 * 425 // 4, "%d black pixels: the pictures were lost" % dark)
            s.close(win)
            out, err = proc.communicate(timeout=30)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        e2e.check(proc.returncode == 0, "framebench failed: %s" % err)
        e2e.check("resized" in out, "no rebuild reported")


e2e.run(main)
