#!/usr/bin/env python3
"""Counts the game's sound cues that started in what SDL's disk audio driver wrote.

    cues_heard.py OUTPUT.raw SOUNDS_DIR

The game's sounds are 8-bit mono at 11025 Hz, the device's own format, so each
cue reaches the output unconverted: a cue that started shows as the opening
samples of one of the WAV files (from its first non-silent sample on).
"""
import pathlib
import struct
import sys

OPENING = 200  # samples, about 18 ms: a cue cut off sooner is not counted


def samples(wav):
    data, at = wav.read_bytes(), 12
    while at + 8 <= len(data):
        name, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if name == b"data":
            return data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    sys.exit("cues_heard.py: no samples in " + str(wav))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    out = pathlib.Path(sys.argv[1]).read_bytes()
    count = 0
    for wav in sorted(pathlib.Path(sys.argv[2]).glob("*.wav")):
        s = samples(wav)
        first = next(i for i, b in enumerate(s) if b != 128)
        count += out.count(s[first:first + OPENING])
    print(count)


if __name__ == "__main__":
    main()
