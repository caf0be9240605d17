#!/usr/bin/python3
"""Writes the program's two sound effects as small 16-bit mono WAV files:
res/dingdong.wav (a two-note chime) and res/waterfall.wav (a short rush of soft noise).
Run from the repository root; the output is committed, so the build does not need it."""

import math
import random
import struct
import sys
import wave

RATE = 22050


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples))


def chime(freq, seconds, start):
    """A bell-like note: a fundamental and two partials under an exponential decay."""
    out = []
    for i in range(int(seconds * RATE)):
        t = i / RATE
        env = math.exp(-4.0 * t) * min(1.0, t / 0.005)
        v = (math.sin(2 * math.pi * freq * t) + 0.4 * math.sin(2 * math.pi * 2.0 * freq * t)
             + 0.15 * math.sin(2 * math.pi * 3.01 * freq * t))
        out.append(0.35 * env * v)
    return [0.0] * int(start * RATE) + out


def dingdong():
    ding = chime(659.25, 0.9, 0.0)   # E5
    dong = chime(523.25, 1.0, 0.35)  # C5
    n = max(len(ding), len(dong))
    ding += [0.0] * (n - len(ding))
    dong += [0.0] * (n - len(dong))
    return [a + b for a, b in zip(ding, dong)]


def waterfall():
    rnd = random.Random(12389)
    seconds = 1.2
    out = []
    low = 0.0
    for i in range(int(seconds * RATE)):
        t = i / RATE
        low += 0.12 * (rnd.uniform(-1, 1) - low)   # soften the noise
        env = min(1.0, t / 0.15) * min(1.0, (seconds - t) / 0.4)
        out.append(0.5 * env * low * 3.0)
    return out


if __name__ == "__main__":
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    write(root + "/res/dingdong.wav", dingdong())
    write(root + "/res/waterfall.wav", waterfall())
