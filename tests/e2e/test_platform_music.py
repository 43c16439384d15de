"""The music really plays: with SDL's disk audio driver the mixed samples
go to a file, which must hold the track (loud, not silence)."""
import array
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e


def main():
    with e2e.Session("music", audio="disk") as s:
        samples = os.path.join(s.home, "mixed.raw")
        s.launch(SDL_DISKAUDIOFILE=samples)
        win = s.wait_window()
        time.sleep(5)  # splash (music starts there) and a few seconds of play
        s.close(win)
        code = s.wait_exit(30)
        e2e.check(code == 0, "exit code %s; stderr: %s" % (code, s.output()[1]))
        e2e.check(os.path.exists(samples), "the disk audio driver wrote no file")
        data = array.array("h")
        with open(samples, "rb") as f:
            raw = f.read()
        data.frombytes(raw[: len(raw) // 2 * 2])
        seconds = len(data) / 2 / 44100.0
        loud = sum(1 for v in data if abs(v) > 1000)
        peak = max((abs(v) for v in data), default=0)
        print("mixed %.1f s of audio, peak %d, %d samples above 1000" % (seconds, peak, loud))
        e2e.check(seconds >= 2.0, "only %.1f s of audio mixed" % seconds)
        # At least a second's worth of clearly audible samples.
        e2e.check(loud >= 44100, "the mixed audio is (nearly) silent")


e2e.run(main)
