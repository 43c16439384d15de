#!/usr/bin/env bash
# Soak run: the real game left running on its own Xvfb screen with the music
# on (SDL's dummy audio driver) while the pointer sweeps over both side docks,
# so they zoom open and shut all the time. Not part of ctest.
#
#   scripts/soak.sh [SECONDS] [KAVRO_BINARY]      # default 600 s, build/kavro
#
# Reports, every 30 s and at the end:
#   - resident memory (VmRSS) of the game: it must stay flat;
#   - CPU time used (utime + stime from /proc/PID/stat) per wall second;
#   - the frame rate, measured with strace on the game's main thread over
#     10 s at the start and at the end: PresentFrame's pacing sleeps once a
#     frame (clock_nanosleep), so sleeps per second are the frames per second
#     while the game keeps up (a late frame skips its sleep, so on a starved
#     machine this undercounts). X flushes (writev) are shown beside it.
# The game is closed with its close button at the end, so the settings file
# is written as usual; the temporary HOME is removed.
set -euo pipefail

duration=${1:-600}
binary=${2:-$(dirname "$0")/../build/kavro}
binary=$(readlink -f "$binary")
[[ -x $binary ]] || { echo "soak: no game binary at $binary" >&2; exit 2; }
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || {
  echo "soak: needs Xvfb and xdotool" >&2
  exit 2
}

display=
for n in $(seq 150 400); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=:$n; break; fi
done
[[ -n $display ]] || { echo "soak: no free display" >&2; exit 2; }

home=$(mktemp -d /tmp/kavro-soak-home.XXXXXX)
xvfb_pid=
game_pid=
cleanup() {
  [[ -n $game_pid ]] && kill "$game_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.2; done

# Settings: flat view, large window, music on, two humans (nothing moves on
# its own), an empty board.
python3 - "$home" <<'EOF'
import sys
home = sys.argv[1]
data = home.encode() + b"\r\n" + bytes([0, 1, 1, 0, 1, 0, 0]) + bytes(225)
open(home + "/.Kavro.ini", "wb").write(data)
EOF

export DISPLAY=$display HOME=$home SDL_AUDIODRIVER=dummy
"$binary" >"$home/stdout" 2>"$home/stderr" &
game_pid=$!

window=
for _ in $(seq 150); do
  window=$(xdotool search --onlyvisible --name '^Kavro$' 2>/dev/null | head -1 || true)
  [[ -n $window ]] && break
  sleep 0.2
done
[[ -n $window ]] || { echo "soak: the game window did not appear" >&2; cat "$home/stderr" >&2; exit 1; }
sleep 3 # past the splash

ticks=$(getconf CLK_TCK)
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$game_pid/status"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$game_pid/stat"; }

# Frame rate over 10 s: pacing sleeps (and X flushes) of the main thread per second.
frame_rate() {
  local log
  log=$(mktemp)
  timeout -s INT 10 strace -c -e trace=writev,clock_nanosleep,nanosleep -p "$game_pid" -o "$log" >/dev/null 2>&1 || true
  awk '$NF == "writev" {w += $4} $NF ~ /nanosleep$/ {n += $4}
       END {printf "%.1f (X flushes %.1f)", n / 10, w / 10}' "$log"
  rm -f "$log"
}

# The pointer sweeps down the left dock, across the board, down the right
# dock and back, one position every 0.1 s.
sweep() {
  local points=()
  for y in $(seq 180 40 700); do points+=("40 $y"); done
  for x in $(seq 200 100 800); do points+=("$x 820"); done
  for y in $(seq 700 -40 180); do points+=("960 $y"); done
  while kill -0 "$game_pid" 2>/dev/null; do
    for p in "${points[@]}"; do
      # shellcheck disable=SC2086
      xdotool mousemove --window "$window" $p 2>/dev/null || return 0
      sleep 0.1
    done
  done
}
sweep &
sweep_pid=$!

start=$(date +%s)
rss_start=$(rss_kb)
cpu_start=$(cpu_ticks)
fps_start=$(frame_rate)
echo "soak: $duration s on $display, game pid $game_pid"
echo "soak: start  RSS ${rss_start} kB, frame rate ${fps_start}/s"

last_report=$start
while (($(date +%s) - start < duration - 10)); do
  sleep 5
  kill -0 "$game_pid" 2>/dev/null || { echo "soak: the game ended early" >&2; cat "$home/stderr" >&2; exit 1; }
  now=$(date +%s)
  if ((now - last_report >= 30)); then
    cpu=$(cpu_ticks)
    awk -v t=$((now - start)) -v rss="$(rss_kb)" -v c=$((cpu - cpu_start)) -v hz="$ticks" \
      'BEGIN {printf "soak: %4d s  RSS %d kB  CPU %.0f %%\n", t, rss, 100 * c / hz / (t > 0 ? t : 1)}'
    last_report=$now
  fi
done

fps_end=$(frame_rate)
end=$(date +%s)
rss_end=$(rss_kb)
cpu_end=$(cpu_ticks)
kill "$sweep_pid" 2>/dev/null || true
wait "$sweep_pid" 2>/dev/null || true

awk -v t=$((end - start)) -v rs="$rss_start" -v re="$rss_end" -v c=$((cpu_end - cpu_start)) \
  -v hz="$ticks" -v fs="$fps_start" -v fe="$fps_end" 'BEGIN {
    printf "soak: end    RSS %d kB, frame rate %s/s\n", re, fe
    printf "soak: summary over %d s: RSS %d -> %d kB (%+d kB), CPU %.0f %% of one core, frames/s %s -> %s\n",
           t, rs, re, re - rs, 100 * c / hz / t, fs, fe
  }'

xdotool search --name '^Kavro$' >/dev/null 2>&1 && /usr/bin/python3 - "$display" "$window" <<'EOF' || kill "$game_pid"
import sys
from Xlib import X, display as xdisplay, protocol
d = xdisplay.Display(sys.argv[1])
w = d.create_resource_object("window", int(sys.argv[2]))
event = protocol.event.ClientMessage(window=w, client_type=d.intern_atom("WM_PROTOCOLS"),
                                     data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
w.send_event(event, event_mask=X.NoEventMask)
d.sync()
EOF
wait "$game_pid" 2>/dev/null && echo "soak: the game ended normally" || echo "soak: exit code $?"
game_pid=
