#!/usr/bin/env python3
"""Writes the WAV reader fuzzer's seed corpus: a few tiny files covering its layouts."""
import math
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "wav_reader")


def chunk(cid, body):
    return cid + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def fmt(channels, rate, bits, tag=1):
    align = channels * bits // 8
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits))


def riff(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def tone(count, rate, scale):
    return [round(scale * math.sin(2 * math.pi * 440 * i / rate)) for i in range(count)]


def main():
    os.makedirs(HERE, exist_ok=True)
    seeds = {
        "mono8_22050.wav": riff(fmt(1, 22050, 8),
                                chunk(b"data", bytes(v + 128 for v in tone(101, 22050, 100)))),
        "stereo16_48000_list.wav": riff(
            chunk(b"LIST", b"INFOISFT\x05\0\0\0test\0"), fmt(2, 48000, 16),
            chunk(b"data", b"".join(struct.pack("<hh", v, -v) for v in tone(120, 48000, 9000)))),
        "mono16_44100_fact.wav": riff(
            fmt(1, 44100, 16), chunk(b"fact", struct.pack("<I", 64)),
            chunk(b"data", b"".join(struct.pack("<h", v) for v in tone(64, 44100, 20000)))),
        "stereo8_8000_odd.wav": riff(chunk(b"junk", b"abc"), fmt(2, 8000, 8),
                                     chunk(b"data", bytes([10, 250, 128, 128, 0]))),
    }
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
