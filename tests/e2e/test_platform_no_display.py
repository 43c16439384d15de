"""Without an X display the game refuses to start: a message on stderr, a
non-zero exit, and no settings file written."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavro_e2e as e2e


def main():
    home = tempfile.mkdtemp(prefix="kavro-home-")
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(HOME=home, SDL_AUDIODRIVER="dummy")
    try:
        r = subprocess.run([e2e.binary()], env=env, capture_output=True, text=True, timeout=30)
    except subprocess.TimeoutExpired:
        raise e2e.Failure("the game kept running without a display")
    e2e.check(r.returncode != 0, "exit code 0 without a display")
    e2e.check("DISPLAY" in r.stderr and "X11" in r.stderr,
              "stderr does not explain the missing display: %r" % r.stderr)
    e2e.check(not os.path.exists(os.path.join(home, e2e.SETTINGS)),
              "a settings file was written although the game never started")


e2e.run(main)
