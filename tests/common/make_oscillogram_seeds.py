#!/usr/bin/env python3
"""Writes synthetic oscillogram images as fuzz seeds (never files from a relay).

Usage: tests/common/make_oscillogram_seeds.py [output folder]
(default: tests/fuzz-seeds/oscillogram_fuzzer beside this script's folder)
"""
import math
import os
import struct
import sys

IMAGE_BYTES = 22300
SAMPLE_WORDS = 9600
DIGITAL_WORD = 19300 // 2
CURRENT_MARK = 0x464C


def image(current, channels, stop, k=10000, coefficient=1.0, event=(5, 3, 14, 8, 7, 6, 5),
          pre=25, records=(), device=715):
    words = [0] * (IMAGE_BYTES // 2)
    n = SAMPLE_WORDS // len(channels) if channels else SAMPLE_WORDS
    words[0] = stop
    for c in channels:
        words[9 + c] = 1
    words[17] = pre
    date = 1 if current else 25
    for i, v in enumerate(event):
        words[date + i] = v
    if current:
        words[8] = 0x0010
        for i in range(8):
            lo, hi = struct.unpack('<HH', struct.pack('<f', coefficient))
            words[18 + 2 * i], words[19 + 2 * i] = lo, hi
        words[48] = device
        words[49] = CURRENT_MARK
    else:
        words[32] = 0x0001
        for i in range(8):
            words[1 + i] = k
        words[49] = device
    for block, _ in enumerate(channels):
        for j in range(n):
            v = int(round(8000 * math.sin(2 * math.pi * j / 16 + block)))
            words[50 + block * n + (stop + j) % n] = v & 0xFFFF
    words[40] = len(records)
    for slot, (pos, inputs, outputs) in enumerate(records):
        base = DIGITAL_WORD + 3 * slot
        words[base:base + 3] = [pos, inputs, outputs]
    return struct.pack('<%dH' % len(words), *words)


SEEDS = {
    'current_three_channels_ring.tao': image(True, [0, 3, 6], 2000, coefficient=0.05,
                                             records=[(3100, 2, 4), (2000, 1, 0), (2500, 3, 1)]),
    'current_six_channels_stop_n.tao': image(True, [0, 1, 2, 3, 4, 5], 1600, records=[(1600, 0xFFFF, 0)]),
    'legacy_two_channels.tao': image(False, [0, 4], 100, k=4321, records=[(100, 5, 6), (4000, 0, 1)]),
    'legacy_bad_coefficient.tao': image(False, [1], 0, k=12000, pre=300, event=(1, 1, 14, 0, 0, 1, 0)),
    'no_channels.tao': image(True, [], 0),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'fuzz-seeds', 'oscillogram_fuzzer')
    os.makedirs(out, exist_ok=True)
    for name, data in SEEDS.items():
        assert len(data) == IMAGE_BYTES
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
