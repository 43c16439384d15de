"""The backend's FLTK dialogs, shown by kavro-framebench over a frame of the
board: the message box (umlauts, line breaks, a long path shortened to fit
the screen, OK on Return), the yes/no question (Return "Ja", Escape "Nein")
and the file requester (typed name, Escape cancels). Keys that answer a
dialog must not reach the game. The dialogs wear the game's felt green, and
FLTK leaves no preference files in the home folder."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e


FELT = (28, 56, 40)


def show(s, args, answer, label, typed=None):
    program = e2e.binary("KAVRO_FRAMEBENCH_BIN", "kavro-framebench")
    proc = subprocess.Popen([program] + args, env=s.env(), stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    try:
        main = e2e.wait_for(lambda: s.windows("Kavro framebench"), 30, what="the window")[0]
        title = args[1] if args[0] == "--file" else "Kavro"
        dialog = s.wait_dialog(title)
        time.sleep(0.5)
        s.screenshot(label)
        image = s.window_image(dialog)
        corner = image.convert("RGB").getpixel((3, image.height - 4))
        e2e.check(all(abs(a - b) <= 12 for a, b in zip(corner, FELT)),
                  "the %s dialog's background is %r, not the felt green" % (label, corner))
        if args[0] != "--file":
            mx, my, mw, mh = s.geometry(main)
            dx, dy, dw, dh = s.geometry(dialog)
            e2e.check(abs((dx + dw / 2) - (mx + mw / 2)) < 20 and abs((dy + dh / 2) - (my + mh / 2)) < 20,
                      "the box is not centred on the game window")
            e2e.check(0 <= dx and dx + dw <= 1920 and dw <= 1100, "the box is %d wide at x %d" % (dw, dx))
        if typed:
            s.focus(dialog)
            s.xdotool("type", "--delay", "30", typed)
        s.answer_dialog(answer, title)
        out, err = proc.communicate(timeout=30)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
    e2e.check(proc.returncode == 0, "framebench failed: %s" % err)
    print(label, out.strip().replace("\n", " | "))
    e2e.check("escape=0 return=0 button=0" in out, "a key of the dialog reached the game: %s" % out)
    return out


def main():
    with e2e.Session("dialog_boxes") as s:
        # A path far wider than the screen gives way in its middle.
        path = "/tmp/" + "/".join(["ordner%03d" % i for i in range(40)]) + "/partie.KVs"
        out = show(s, ["--notify", "Größe geändert: Ä Ö Ü ä ö ü ß\nzweite Zeile\n'%s'" % path], "Return",
                   "notify")
        e2e.check("notified" in out, "the message box did not return")

        e2e.check("confirm=1" in show(s, ["--confirm", "Wirklich?"], "Return", "confirm-yes"),
                  "Return did not answer yes")
        e2e.check("confirm=0" in show(s, ["--confirm", "Wirklich?"], "Escape", "confirm-no"),
                  "Escape did not answer no")

        saved = os.path.join(s.home, "partie.KVs")
        open(saved, "wb").write(b"\0" * 229)
        out = show(s, ["--file", "Spiel laden:", "Kavro-Spiele:KVs; ", "0", s.home], "Return",
                   "file-open", typed="partie.KVs")
        e2e.check("file=%s\n" % saved in out, "the requester did not answer the typed file")
        out = show(s, ["--file", "Spiel laden:", "Kavro-Spiele:KVs; ", "0", s.home], "Escape",
                   "file-cancel")
        e2e.check("file=\n" in out, "cancelling did not answer an empty path")
        proposed = os.path.join(s.home, "Kavro-Spiel.KVs")
        out = show(s, ["--file", "Spiel speichern:", "Kavro-Spiele:KVs;", "1", proposed], "Return",
                   "file-save")
        e2e.check("file=%s\n" % proposed in out, "the save requester did not keep the proposed name")
        e2e.check(not os.path.exists(os.path.join(s.home, ".fltk")),
                  "FLTK wrote into the home folder: %r" % os.listdir(s.home))


e2e.run(main)
