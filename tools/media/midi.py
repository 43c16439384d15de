"""A tiny Standard MIDI File writer (format 1)."""
import struct


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


class Track:
    def __init__(self, name):
        self.events = []          # (tick, order, bytes)
        self.meta(0, 0x03, name.encode("ascii"))

    def meta(self, tick, kind, data):
        self.events.append((tick, 0, bytes([0xFF, kind]) + vlq(len(data)) + data))

    def program(self, tick, channel, program, bank=None):
        if bank is not None:
            self.events.append((tick, 1, bytes([0xB0 | channel, 0, bank])))
        self.events.append((tick, 2, bytes([0xC0 | channel, program])))

    def control(self, tick, channel, number, value):
        self.events.append((tick, 2, bytes([0xB0 | channel, number, value])))

    def note(self, tick, length, channel, key, velocity):
        key = max(0, min(127, int(key)))
        velocity = max(1, min(127, int(velocity)))
        self.events.append((tick, 4, bytes([0x90 | channel, key, velocity])))
        self.events.append((tick + max(1, int(length)), 3, bytes([0x80 | channel, key, 0])))

    def encode(self):
        body = b""
        last = 0
        for tick, _, data in sorted(self.events, key=lambda e: (e[0], e[1])):
            body += vlq(tick - last) + data
            last = tick
        body += vlq(0) + b"\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(body)) + body


def write(path, tracks, division):
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), division))
        for t in tracks:
            f.write(t.encode())
