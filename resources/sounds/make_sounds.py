#!/usr/bin/env python3
"""Writes the two short chimes that stand in for the desktop's "MailBeep" and
"SystemExclamation" sounds: 16-bit mono PCM WAV, sine tones with a soft attack and an
exponential fade. Run from this folder; the output is committed beside it."""
import math
import struct
import wave

RATE = 22050


def tone(freq, seconds, volume, decay):
    samples = []
    n = int(RATE * seconds)
    attack = int(RATE * 0.008)
    for i in range(n):
        t = i / RATE
        env = math.exp(-decay * t) * min(1.0, i / attack)
        # A quiet octave above keeps the tone bell-like rather than a bare beep.
        s = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t)
        samples.append(volume * env * s / 1.25)
    return samples


def mix_at(track, part, start):
    offset = int(RATE * start)
    need = offset + len(part) - len(track)
    if need > 0:
        track.extend([0.0] * need)
    for i, s in enumerate(part):
        track[offset + i] += s


def write(name, notes, length):
    track = [0.0] * int(RATE * length)
    for freq, start, seconds in notes:
        mix_at(track, tone(freq, seconds, 0.45, 7.0), start)
    # Fade the very end to zero so the file ends without a click.
    tail = int(RATE * 0.02)
    for i in range(tail):
        track[-1 - i] *= i / tail
    with wave.open(name, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in track))


# New mail: a rising major sixth, E6 then C#7.
write("MailBeep.wav", [(1318.5, 0.0, 0.45), (2217.5, 0.12, 0.45)], 0.6)
# Exclamation (a rejection): a falling fourth, A5 then E5, lower and a little longer.
write("SystemExclamation.wav", [(880.0, 0.0, 0.5), (659.3, 0.15, 0.55)], 0.75)
