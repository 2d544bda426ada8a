#!/usr/bin/env python3
"""Writes the MIDI-file fuzzer's seed corpus: a few tiny files covering its layouts."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "midi_file")


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def track(*events):
    body = b"".join(vlq(delta) + bytes(data) for delta, data in events)
    body += b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def song(fmt, division, *tracks):
    return b"MThd" + struct.pack(">IHHH", 6, fmt, len(tracks), division) + b"".join(tracks)


def main():
    os.makedirs(HERE, exist_ok=True)
    tempo = (0xFF, 0x51, 3, 0x07, 0xA1, 0x20)
    seeds = {
        "format0_tempo_change.mid": song(0, 480, track(
            (0, tempo), (0, (0x90, 60, 100)), (960, (0x80, 60, 0)),
            (0, (0xFF, 0x51, 3, 0x0F, 0x42, 0x40)), (480, (0x99, 36, 90)), (480, (0x89, 36, 0)))),
        "format1_two_tracks.mid": song(1, 96, track((0, tempo)), track(
            (0, (0xC1, 7)), (0, (0xB1, 64, 127)), (96, (0x91, 62, 80)), (96, (64, 80)),
            (48, (0xE1, 0, 64)), (48, (0x81, 62, 0)))),
        "sysex_and_text.mid": song(0, 120, track(
            (0, (0xF0, 5, 0x7E, 0x7F, 9, 1, 0xF7)), (0, (0xFF, 0x03, 4) + tuple(b"Tone")),
            (0, (0x90, 69, 127)), (240, (0x90, 69, 0)))),
    }
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
