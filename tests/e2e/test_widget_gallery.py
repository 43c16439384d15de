#!/usr/bin/env python3
"""The widget gallery under Xvfb: the pointer over the rectangular button
lights it, the slider knob dragged with the button held follows the pointer,
a click on the check box toggles it, and the window's close button ends the
program. A screenshot with the lit button and the moved knob is kept."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e  # noqa: E402

TITLE = "Kavro Widgets"
KNOB = (255, 140, 26)  # the orange of the horizontal slider's knob


def layout(session):
    """Widget name -> (x, y, width, height) as printed by the gallery."""
    def read():
        found = {}
        for line in session.output()[0].splitlines():
            parts = line.split()
            if len(parts) == 6 and parts[0] == "layout":
                found[parts[1]] = tuple(int(v) for v in parts[2:])
        return found if "slider" in found and "oval-area" in found else None
    return e2e.wait_for(read, 20, what="the gallery's layout")


def brightness(image, box):
    x, y, w, h = box
    region = image.crop((x + 10, y + 10, x + w - 10, y + h - 10))
    pixels = list(region.getdata())
    return sum(sum(p) for p in pixels) / (3.0 * len(pixels))


def knob_centre(image, box):
    """Mean x of the knob's orange pixels on the slider's bar, or None."""
    x, y, w, h = box
    xs = [px for px in range(x, x + w) for py in range(y + 5, y + h - 5)
          if all(abs(a - b) <= 60 for a, b in zip(image.getpixel((px, py)), KNOB))]
    return sum(xs) / len(xs) if len(xs) > 20 else None


def main():
    with e2e.Session("widget_gallery") as s:
        s.launch(e2e.binary("KAVRO_GALLERY_BIN", "kavro-widget-gallery"))
        win = s.wait_window(TITLE)
        places = layout(s)
        button, slider, check = places["rect-button"], places["slider"], places["rect-check"]
        time.sleep(0.5)

        s.move(win, 5, 5)
        time.sleep(0.3)
        plain = s.window_image(win, "plain")
        start = knob_centre(plain, slider)
        e2e.check(start is not None, "no slider knob found on the bar")

        # Drag the knob 180 pixels to the right with the button held.
        grab_x, grab_y = int(start), slider[1] + slider[3] // 2
        s.move(win, grab_x, grab_y)
        time.sleep(0.2)
        s.xdotool("mousedown", 1)
        time.sleep(0.2)
        for step in range(1, 7):
            s.move(win, grab_x + 30 * step, grab_y + (step % 2) * 25)  # wanders off the bar too
            time.sleep(0.08)
        s.xdotool("mouseup", 1)
        time.sleep(0.2)

        # Hover the button and look.
        s.move(win, button[0] + button[2] // 2, button[1] + button[3] // 2)
        time.sleep(0.4)
        lit = s.window_image(win, "hovered")
        s.screenshot("hovered-and-dragged")

        moved = knob_centre(lit, slider)
        e2e.check(moved is not None, "the knob vanished")
        e2e.check(abs(moved - start - 180) <= 4,
                  "knob moved from %.1f to %.1f, expected +180" % (start, moved))
        before, after = brightness(plain, button), brightness(lit, button)
        e2e.check(after > before + 25,
                  "hovered button not lit: brightness %.1f before, %.1f hovered" % (before, after))
        e2e.check("value slider" in s.output()[0], "no value change reported")

        # A click on the check box unselects it (it starts selected).
        s.click(win, check[0] + check[2] // 2, check[1] + check[3] // 2)
        e2e.wait_for(lambda: "check rect-check 0" in s.output()[0], 5, what="the check box click")

        s.close(win)
        e2e.check(s.wait_exit(15) == 0, "gallery did not end cleanly: %s" % (s.output()[1],))


if __name__ == "__main__":
    e2e.run(main)
