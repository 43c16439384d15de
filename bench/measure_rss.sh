#!/bin/bash
# Resident memory of the game one second after its first board frame.
#
#   bench/measure_rss.sh [-n RUNS] [-m on|off|both] NAME=PROGRAM [NAME=PROGRAM ...]
#   bench/measure_rss.sh -n 4 -m both old=/tmp/kavro-old/build/kavro new=build/kavro
#
# Every run starts the program on a fresh Xvfb (1920x1080x24) with a fresh
# HOME and SDL's dummy audio driver (a device that takes the mixed samples,
# so the mixer runs as with a sound card), waits until the splash has been
# replaced by the board, waits one more second and reads VmRSS (and VmHWM)
# from /proc/PID/status. The programs take turns run by run, so load on the
# machine falls on all of them alike. With music off the HOME holds a
# settings file whose music flag is 0 (made once by a first run that is
# closed normally). Needs python3 with PIL and Xlib, xdotool and Xvfb (what
# the end-to-end tests need). One line per run, then the median per program.
set -euo pipefail

runs=3
music=both
while getopts "n:m:" option; do
  case $option in
    n) runs=$OPTARG ;;
    m) music=$OPTARG ;;
    *) sed -n '2,15p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -eq 0 ]; then
  sed -n '2,15p' "$0"
  exit 2
fi

here=$(cd "$(dirname "$0")/.." && pwd)
exec /usr/bin/python3 - "$here" "$runs" "$music" "$@" <<'PYTHON'
import os, shutil, statistics, sys, tempfile, time

source, runs, music = sys.argv[1], int(sys.argv[2]), sys.argv[3]
programs = [arg.split("=", 1) for arg in sys.argv[4:]]
sys.path.insert(0, os.path.join(source, "tools", "screenshots"))
os.environ.setdefault("KAVRO_ARTIFACTS", tempfile.mkdtemp(prefix="kavro-rss-"))
os.makedirs(os.environ["KAVRO_ARTIFACTS"], exist_ok=True)
import xgame


def status(pid, key):
    """A figure of /proc/PID/status in kB (of 1024 bytes, as the kernel counts)."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return -1


def sizes(kb):
    return "%7d kB (%3.0f MiB)" % (kb, kb / 1024.0)


def settings_with_music_off(program):
    """A settings file as the program writes it, with the music flag 0."""
    with xgame.Session("rss-settings") as s:
        s.launch(program)
        win = s.wait_window()
        s.wait_past_splash(win)
        s.close(win)
        s.wait_exit(30)
        data = bytearray(s.home_file(".Kavro.ini"))
    music_at = data.index(b"\r\n") + 4  # folder line, small window, 2D view, music
    data[music_at] = 0
    return bytes(data)


def measure(program, settings):
    with xgame.Session("rss") as s:
        if settings:
            with open(os.path.join(s.home, ".Kavro.ini"), "wb") as f:
                f.write(settings)
        proc = s.launch(program)
        win = s.wait_window()
        s.wait_past_splash(win)  # returns half a second after the board showed
        time.sleep(0.5)
        rss, hwm = status(proc.pid, "VmRSS"), status(proc.pid, "VmHWM")
        s.close(win)
        s.wait_exit(30)
        return rss, hwm


modes = ["on", "off"] if music == "both" else [music]
off = settings_with_music_off(programs[0][1]) if "off" in modes else None
results = {}
for mode in modes:
    for run in range(runs):
        for name, program in programs:
            rss, hwm = measure(program, off if mode == "off" else None)
            results.setdefault((name, mode), []).append(rss)
            print("music %-3s run %d  %-8s VmRSS %s  VmHWM %s" % (mode, run + 1, name, sizes(rss), sizes(hwm)),
                  flush=True)
print()
for (name, mode), values in results.items():
    print("music %-3s %-8s median VmRSS %s  runs %s" % (
        mode, name, sizes(int(statistics.median(values))), ", ".join(str(v) for v in values)))
PYTHON
