"""music.ogg: a jazz piece in 5/4 at 160 bpm, 76 bars (142.5 s): walking
bass, ride cymbal with swing, voice-led piano comping and a vibraphone
melody (head, a solo chorus, bridge, head, outro leading back to the
intro, since the game loops the track). The score is written as MIDI,
rendered offline with fluidsynth and the FluidR3 GM sound font, and
encoded with oggenc."""
import os
import subprocess
import sys
import tempfile
import wave

import numpy as np

import midi
from common import out_path

BPM = 160
BEATS = 5
PPQ = 480
SWING = 2.0 / 3.0           # the swung "and" sits two thirds into the beat
SAMPLE_RATE = 44100
LENGTH_S = 76 * BEATS * 60.0 / BPM
TAIL_S = 4.0            # rendered past the end, folded onto the start
SOUND_FONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"

BASS, PIANO, VIBES, DRUMS = 0, 1, 2, 9

# chord qualities: chord tones, rootless voicings (two forms), scale
QUALITIES = {
    "m9": ([0, 3, 7, 10], [[3, 7, 10, 14], [10, 14, 15, 19]], [0, 2, 3, 5, 7, 9, 10]),
    "m7": ([0, 3, 7, 10], [[3, 7, 10, 14], [10, 14, 15, 19]], [0, 2, 3, 5, 7, 9, 10]),
    "maj7": ([0, 4, 7, 11], [[4, 7, 11, 14], [11, 14, 16, 19]], [0, 2, 4, 6, 7, 9, 11]),
    "m7b5": ([0, 3, 6, 10], [[3, 6, 10, 17], [10, 15, 17, 18]], [0, 1, 3, 5, 6, 8, 10]),
    "7b9": ([0, 4, 7, 10], [[4, 7, 10, 13], [10, 13, 16, 19]], [0, 1, 4, 5, 7, 8, 10]),
    "7alt": ([0, 4, 10], [[4, 10, 15, 20], [10, 15, 16, 20]], [0, 1, 3, 4, 6, 8, 10]),
    "13": ([0, 4, 7, 10], [[4, 9, 10, 14], [10, 14, 16, 21]], [0, 2, 4, 5, 7, 9, 10]),
}
NAMES = {"C": 0, "D": 2, "Eb": 3, "E": 4, "F": 5, "G": 7, "A": 9, "Bb": 10}


def chord(name):
    for root in sorted(NAMES, key=len, reverse=True):
        if name.startswith(root):
            return NAMES[root], name[len(root):]
    raise ValueError(name)


INTRO = ["Dm9", "Dm9", "Em7b5", "A7b9"]
A = ["Dm9", "Dm9", "Gm9", "Gm9", "Em7b5", "A7alt", "Dm9", "Dm9",
     "Bbmaj7", "Bbmaj7", "Em7b5", "A7b9", "Dm9", "G13", "Em7b5", "A7b9"]
B = ["Fmaj7", "Fmaj7", "Ebmaj7", "Ebmaj7", "Am7", "D7b9", "Gm9", "C13",
     "Fmaj7", "Bbmaj7", "Em7b5", "A13", "Dm9", "Bb13", "Em7b5", "A7b9"]
OUTRO = ["Dm9", "Gm9", "Dm9", "Gm9", "Bbmaj7", "Em7b5", "A7b9", "A7b9"]
SECTIONS = [("intro", INTRO), ("head", A), ("solo", A), ("bridge", B), ("head", A), ("outro", OUTRO)]

# The head: per bar (start eighth, length in eighths, key).
HEAD_A = [
    [(2, 1, 69), (3, 1, 72), (4, 2, 74), (6, 3, 76), (9, 1, 74)],
    [(0, 4, 77), (4, 1, 76), (5, 1, 74), (6, 4, 72)],
    [(2, 1, 74), (3, 1, 77), (4, 2, 79), (6, 3, 81), (9, 1, 79)],
    [(0, 4, 82), (4, 1, 81), (5, 1, 79), (6, 4, 77)],
    [(0, 3, 79), (3, 1, 76), (4, 2, 74), (6, 2, 70), (8, 2, 67)],
    [(0, 3, 73), (3, 1, 76), (4, 1, 77), (5, 1, 76), (6, 4, 73)],
    [(0, 6, 74), (6, 1, 72), (7, 1, 69), (8, 2, 65)],
    [(0, 2, 64), (2, 6, 62)],
    [(2, 1, 69), (3, 1, 70), (4, 2, 74), (6, 3, 77), (9, 1, 76)],
    [(0, 4, 81), (4, 1, 79), (5, 1, 77), (6, 4, 74)],
    [(0, 2, 76), (2, 1, 74), (3, 1, 76), (4, 2, 79), (6, 4, 82)],
    [(0, 3, 81), (3, 1, 79), (4, 2, 76), (6, 2, 73), (8, 2, 70)],
    [(0, 2, 69), (2, 1, 72), (3, 1, 74), (4, 4, 77), (8, 2, 76)],
    [(0, 3, 76), (3, 1, 74), (4, 2, 71), (6, 4, 74)],
    [(0, 4, 74), (4, 2, 70), (6, 2, 67), (8, 2, 64)],
    [(0, 4, 73), (4, 2, 76), (6, 4, 70)],
]
HEAD_B = [
    [(0, 2, 72), (2, 2, 76), (4, 6, 79)],
    [(0, 3, 81), (3, 1, 79), (4, 6, 76)],
    [(0, 2, 70), (2, 2, 74), (4, 6, 79)],
    [(0, 3, 81), (3, 1, 79), (4, 6, 74)],
    [(0, 2, 76), (2, 2, 72), (4, 3, 79), (7, 3, 76)],
    [(0, 3, 78), (3, 1, 75), (4, 2, 72), (6, 4, 74)],
    [(0, 4, 77), (4, 2, 74), (6, 4, 81)],
    [(0, 3, 79), (3, 1, 76), (4, 2, 81), (6, 4, 82)],
    [(0, 6, 81), (6, 2, 79), (8, 2, 76)],
    [(0, 4, 77), (4, 2, 74), (6, 4, 81)],
    [(0, 3, 79), (3, 1, 77), (4, 2, 76), (6, 4, 74)],
    [(0, 3, 73), (3, 1, 76), (4, 2, 79), (6, 4, 77)],
    [(0, 4, 76), (4, 2, 74), (6, 4, 69)],
    [(0, 3, 74), (3, 1, 77), (4, 2, 80), (6, 4, 79)],
    [(0, 4, 79), (4, 2, 76), (6, 4, 74)],
    [(0, 4, 73), (4, 2, 70), (6, 4, 69)],
]
OUTRO_MELODY = [HEAD_A[0], HEAD_A[1], HEAD_A[0], HEAD_A[3],
                [(0, 4, 74), (4, 2, 77), (6, 4, 81)], [(0, 6, 79), (6, 4, 76)], [(0, 8, 73)], []]

SOLO_RHYTHMS = [
    [(0, 2), (2, 1), (3, 1), (4, 2), (6, 3)],
    [(1, 1), (2, 1), (3, 1), (4, 1), (5, 1), (6, 2), (8, 2)],
    [(0, 3), (3, 1), (4, 1), (5, 1), (6, 4)],
    [(2, 1), (3, 1), (4, 1), (5, 1), (6, 1), (7, 1), (8, 2)],
    [(0, 1), (1, 1), (2, 2), (5, 1), (6, 4)],
]
BREATH_RHYTHMS = [[(0, 4)], [(0, 2), (2, 5)], [(0, 1), (1, 1), (2, 4)]]


def tick_of(beat_pos):
    """Beat position (float, swung eighths already applied) -> ticks."""
    return int(round(beat_pos * PPQ))


def eighth_pos(e):
    """Straight eighth index within a bar -> swung beat position."""
    return e // 2 + (SWING if e % 2 else 0.0)


class Score:
    def __init__(self, seed):
        self.rng = np.random.RandomState(seed)
        self.tracks = {k: midi.Track(n) for k, n in
                       ((BASS, "Bass"), (PIANO, "Piano"), (VIBES, "Vibraphone"), (DRUMS, "Drums"))}
        self.conductor = midi.Track("Kavro")
        self.conductor.meta(0, 0x51, int(60000000 / BPM).to_bytes(3, "big"))
        self.conductor.meta(0, 0x58, bytes([5, 2, 24, 8]))
        t = self.tracks
        t[BASS].program(0, BASS, 32)
        t[PIANO].program(0, PIANO, 0)
        t[VIBES].program(0, VIBES, 11)
        t[DRUMS].program(0, DRUMS, 32, bank=None)
        for ch, vol, pan, rev in ((BASS, 112, 58, 20), (PIANO, 84, 42, 40), (VIBES, 100, 82, 55),
                                  (DRUMS, 96, 64, 35)):
            t[ch].control(0, ch, 7, vol)
            t[ch].control(0, ch, 10, pan)
            t[ch].control(0, ch, 91, rev)
        self.bars = [(name, c) for name, sec in SECTIONS for c in sec]
        self.section_of = [name for name, sec in SECTIONS for _ in sec]
        self.bar_in_section = [i for _, sec in SECTIONS for i in range(len(sec))]

    def human(self, spread=6):
        return int(self.rng.randint(-spread, spread + 1))

    def note(self, ch, bar, beat_pos, length_beats, key, vel, spread=6):
        start = bar * BEATS * PPQ + tick_of(beat_pos) + self.human(spread)
        self.tracks[ch].note(max(0, start), tick_of(length_beats), ch, key, vel)

    # ------------------------------------------------------------ bass
    def bass(self):
        prev = 38
        n = len(self.bars)
        for b in range(n):
            root, q = chord(self.bars[b][1])
            nroot, _ = chord(self.bars[(b + 1) % n][1])
            tones, _, scale = QUALITIES[q]
            r = min((root + 12 * o for o in range(2, 5)), key=lambda k: abs(k - prev) + (6 if k > 48 else 0))
            target = min((nroot + 12 * o for o in range(2, 5)), key=lambda k: abs(k - r) + (6 if k > 48 else 0))
            pitches = [r]
            if self.section_of[b] == "intro" and self.bar_in_section[b] < 2:
                # Two-feel in the intro: root and fifth, held.
                self.note(BASS, b, 0, 2.8, r, 104)
                self.note(BASS, b, 3, 1.8, r + 7 if r + 7 <= 50 else r - 5, 96)
                prev = r
                continue
            scale_keys = sorted({root + s + 12 * o for s in scale for o in range(1, 5)})
            chord_keys = sorted({root + s + 12 * o for s in tones for o in range(1, 5)})
            cur = r
            direction = 1 if target > r else -1
            if abs(target - r) < 3:
                direction = 1 if self.rng.rand() < 0.5 and r < 44 else -1
            for beat in (1, 2, 3):
                pool = chord_keys if beat == 2 else scale_keys
                cands = [k for k in pool if 0 < (k - cur) * direction <= 5 and 28 <= k <= 50]
                if not cands:
                    direction = -direction
                    cands = [k for k in pool if 0 < (k - cur) * direction <= 5 and 28 <= k <= 50]
                cur = cands[self.rng.randint(len(cands))] if cands else cur
                pitches.append(cur)
            # Beat 5 leads into the next root: a half step or the dominant below.
            choice = self.rng.rand()
            if choice < 0.45:
                app = target + 1
            elif choice < 0.8:
                app = target - 1
            else:
                app = target + 7 if target + 7 <= 50 else target - 5
            if app == pitches[-1]:
                app = target - 1 if app != target - 1 else target + 1
            pitches.append(app)
            for beat, k in enumerate(pitches):
                vel = 104 if beat in (0, 3) else 92
                self.note(BASS, b, beat, 0.92, k, vel + self.rng.randint(-6, 6), spread=4)
            prev = r

    # ------------------------------------------------------------ piano
    def piano(self):
        prev = None
        patterns = [
            [(0, 1.2), (1 + SWING, 0.8), (3, 1.5)],
            [(SWING, 1.0), (2, 0.8), (3 + SWING, 1.0)],
            [(0, 2.5), (3 + SWING, 1.2)],
            [(1, 0.8), (2 + SWING, 0.8), (4, 0.9)],
            [(0, 0.6), (1 + SWING, 0.6), (3, 0.6), (4 + SWING, 0.4)],
        ]
        n = len(self.bars)
        voicings = []
        for b in range(n):
            root, q = chord(self.bars[b][1])
            forms = QUALITIES[q][1]
            best = None
            for form in forms:
                for octave in range(3, 7):
                    v = [root + 12 * octave + i for i in form]
                    if not (50 <= v[0] <= 64 and v[-1] <= 79):
                        continue
                    cost = 0 if prev is None else sum(abs(x - y) for x, y in zip(v, prev))
                    cost += abs(v[0] - 57) * 0.3
                    if best is None or cost < best[0]:
                        best = (cost, v)
            prev = best[1]
            voicings.append(best[1])
        for b in range(n):
            sec = self.section_of[b]
            pat = patterns[self.rng.randint(len(patterns))]
            if sec == "intro" and self.bar_in_section[b] < 2:
                pat = [(0, 2.6), (3, 1.8)]
            base = 58 if sec in ("head", "bridge") else 66
            for pos, length in pat:
                v = voicings[b]
                if pos >= 4.5 and b + 1 < n:
                    v = voicings[b + 1]          # anticipation of the next chord
                vel = base + self.rng.randint(-6, 8)
                for i, k in enumerate(v):
                    self.note(PIANO, b, pos + 0.004 * i, length, k, vel - 4 * (i == 0), spread=5)

    # ------------------------------------------------------------ vibraphone
    def play_bar(self, b, notes, base_vel):
        for e, length, key in notes:
            start = eighth_pos(e)
            end = eighth_pos(e + length) if e + length < 10 else 5.0
            vel = base_vel + (8 if e in (0, 6) else 0) + self.rng.randint(-6, 7)
            self.note(VIBES, b, start, max(0.25, (end - start) * 0.94), key, vel, spread=5)

    def solo_bar(self, b, prev_key, phrase_pos):
        root, q = chord(self.bars[b][1])
        tones, _, scale = QUALITIES[q]
        scale_keys = sorted({root + s + 12 * o for s in scale for o in range(4, 8) if 62 <= root + s + 12 * o <= 86})
        chord_keys = sorted({root + s + 12 * o for s in tones for o in range(4, 8) if 62 <= root + s + 12 * o <= 86})
        rhythm = BREATH_RHYTHMS[self.rng.randint(3)] if phrase_pos == 3 else \
            SOLO_RHYTHMS[self.rng.randint(len(SOLO_RHYTHMS))]
        notes = []
        key = prev_key
        direction = 1 if self.rng.rand() < 0.5 else -1
        for e, length in rhythm:
            strong = e in (0, 6) or length >= 3
            pool = chord_keys if strong else scale_keys
            if key > 82:
                direction = -1
            elif key < 66:
                direction = 1
            elif self.rng.rand() < 0.2:
                direction = -direction
            cands = [k for k in pool if 0 < (k - key) * direction <= (5 if strong else 3)]
            if not cands:
                cands = [min(pool, key=lambda k: abs(k - key))]
            key = cands[0] if direction > 0 else cands[-1]
            if len(cands) > 1 and self.rng.rand() < 0.3:
                key = cands[1] if direction > 0 else cands[-2]
            notes.append((e, length, key))
        self.play_bar(b, notes, 84)
        return key

    def vibes(self):
        key = 72
        for b, (sec, _) in enumerate(zip(self.section_of, self.bars)):
            i = self.bar_in_section[b]
            if sec == "head":
                self.play_bar(b, HEAD_A[i], 92)
                key = HEAD_A[i][-1][2] if HEAD_A[i] else key
            elif sec == "bridge":
                self.play_bar(b, HEAD_B[i], 90)
            elif sec == "solo":
                key = self.solo_bar(b, key, i % 4)
            elif sec == "outro":
                self.play_bar(b, OUTRO_MELODY[i], 84 - 3 * i)

    # ------------------------------------------------------------ drums
    def drums(self):
        RIDE, BELL, HAT, KICK, SNARE, STICK, CRASH = 51, 53, 44, 36, 38, 37, 49
        TOMS = [50, 48, 47, 45, 43]
        n = len(self.bars)
        for b in range(n):
            sec, i = self.section_of[b], self.bar_in_section[b]
            phrase_end = (i % 8 == 7) or (sec == "intro" and i == 3) or b == n - 1
            if i == 0 and sec != "intro":
                self.note(DRUMS, b, 0, 1.0, CRASH, 88)
                self.note(DRUMS, b, 0, 0.5, KICK, 84)
            ride = [(0, 96), (1, 74), (1 + SWING, 62), (2, 82), (3, 92), (3 + SWING, 62), (4, 80)]
            for pos, vel in ride:
                if phrase_end and pos >= 3:
                    continue
                self.note(DRUMS, b, pos, 0.5, RIDE, vel + self.rng.randint(-7, 7), spread=4)
            for pos in (1, 3):
                self.note(DRUMS, b, pos, 0.3, HAT, 70 + self.rng.randint(-6, 6), spread=3)
            for pos in range(5):
                self.note(DRUMS, b, pos, 0.3, KICK, 34 + self.rng.randint(0, 8), spread=3)
            if phrase_end:
                # A triplet fill over beats 4 and 5 that lands on the next bar.
                steps = [3 + k / 3.0 for k in range(6)]
                for k, pos in enumerate(steps):
                    inst = SNARE if k < 3 else TOMS[min(k - 1, 4)]
                    self.note(DRUMS, b, pos, 0.3, inst, 62 + 8 * k + self.rng.randint(-4, 4), spread=3)
            else:
                for pos in (SWING, 1 + SWING, 2 + SWING, 3 + SWING, 4 + SWING):
                    if self.rng.rand() < 0.22:
                        self.note(DRUMS, b, pos, 0.2, SNARE, 34 + self.rng.randint(0, 22), spread=4)
                if self.rng.rand() < 0.25:
                    self.note(DRUMS, b, 2 + SWING, 0.2, STICK, 70, spread=4)

    def write(self, path):
        self.bass()
        self.piano()
        self.vibes()
        self.drums()
        # A harmless controller a few seconds after the last bar keeps the
        # synthesiser running, so the ringing of the last notes is rendered
        # and can be folded onto the start of the loop.
        tail_tick = 76 * BEATS * PPQ + tick_of(TAIL_S * BPM / 60.0)
        self.tracks[DRUMS].control(tail_tick, DRUMS, 110, 0)
        midi.write(path, [self.conductor] + [self.tracks[k] for k in (BASS, PIANO, VIBES, DRUMS)], PPQ)


def render(mid, wav):
    subprocess.run(["fluidsynth", "-ni", "-q", "-g", "0.45", "-r", str(SAMPLE_RATE), "-F", wav,
                    SOUND_FONT, mid], check=True, stdout=subprocess.DEVNULL)


def fit_length(wav_in, wav_out):
    """Cut to exactly the piece's length and normalise. The track loops
    without a break: whatever still rings after the last bar (reverb, the
    last notes' release) is added onto the first bar, so the end flows into
    the start with neither a fade nor a click."""
    with wave.open(wav_in, "rb") as w:
        ch, width, rate = w.getnchannels(), w.getsampwidth(), w.getframerate()
        data = np.frombuffer(w.readframes(w.getnframes()), dtype=np.int16).reshape(-1, ch).astype(np.float64)
    frames = int(round(LENGTH_S * rate))
    if len(data) < frames:
        data = np.vstack([data, np.zeros((frames - len(data), ch))])
    tail = data[frames:frames * 2]
    data = data[:frames].copy()
    data[:len(tail)] += tail
    peak = np.max(np.abs(data))
    data = data * (0.89 * 32767 / max(peak, 1.0))
    with wave.open(wav_out, "wb") as w:
        w.setnchannels(ch)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(np.round(data).astype(np.int16).tobytes())
    return frames


def build(keep_midi=None):
    with tempfile.TemporaryDirectory() as tmp:
        mid = os.path.join(tmp, "kavro.mid")
        Score(seed=5).write(mid)
        if keep_midi:
            import shutil
            shutil.copy(mid, keep_midi)
        raw = os.path.join(tmp, "raw.wav")
        fixed = os.path.join(tmp, "fixed.wav")
        render(mid, raw)
        frames = fit_length(raw, fixed)
        # The loop tags tell the player to go on from the first sample.
        subprocess.run(["oggenc", "-Q", "-q", "2", "--serial", "4660",
                        "-c", "LOOPSTART=0", "-c", "LOOPLENGTH=%d" % frames,
                        "-o", out_path("music.ogg"), fixed], check=True)


if __name__ == "__main__":
    build(sys.argv[1] if len(sys.argv) > 1 else None)
