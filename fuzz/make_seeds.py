#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/seed-*).

Each seed is a small, meaningful program in the target's input layout (see
the comment at the top of each target): the documented examples of the
formats, every operation of the string target once, each channel once. The
fuzzers grow their own corpora from these; run this script again only when
an input layout changes. Seeds are deterministic.
"""
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "seed-" + name), "wb") as f:
        f.write(bytes(data))


def string_ops():
    rng = random.Random(6)
    # Every operation once, each with a few parameter bytes.
    program = []
    for op in range(62):
        program += [op] + [rng.randrange(256) for _ in range(6)]
    write("string_ops", "every-operation", program)
    # Build a text, share it, then edit the copies (detaching).
    text = b"hello world"
    write("string_ops", "share-then-edit",
          [1, 0, 1, 40, len(text)] + list(text) + [1]      # slot 0 = "hello world"
          + [5, 1, 0]                                         # slot 1 = copy of slot 0
          + [13, 1, 1, 1, 3] + list(b"abc") + [1]             # slot 1 += "abc"
          + [57, 0]                                           # slot 0 appended to itself
          + [10, 0, 2] + [12, ord("J")]                       # slot 0[2] = 'J' (unshareable)
          + [5, 2, 0] + [7, 3, 0])                            # copies of an unshareable string
    # The same with injected allocation failures.
    failing = []
    for op in (1, 5, 13, 15, 16, 24, 29, 33, 36, 37, 38, 53, 57, 58, 7, 10):
        failing += [0x80 | op, rng.randrange(8)] + [rng.randrange(256) for _ in range(6)]
    write("string_ops", "allocation-failures", failing)
    # Searches and comparisons on a text with NUL bytes and high bytes.
    t = b"a\x00bABz_\x80\xffab"
    write("string_ops", "queries",
          [2, 0, 0, 40, len(t)] + list(t) + [len(t)]
          + [41, 0, 1, 1, 0] + [42, 0, 1, 3] + list(b"zb\x00")
          + [43, 0, 1, 0, 12, 0, 1] + [45, 0, 0, 0, 1, 1] + [47, 0]
          + [50, 0, 0, 2, 1, 0] + [52, 0, 0, 0, 1, 2] + list(b"ab"))


def hexs(b):
    return b.hex().upper().encode()


def stream_input():
    # Program codes: 0 bool .. 12 size_t, 13 block, 14 string, 15 string
    # through a pointer, 16 rewind, 17 feed, 18 copy the queue, 19 bit
    # vector, 20 arm an allocation failure for the next step.
    values = (hexs(struct.pack("<i", 1000)) + hexs(struct.pack("<h", -2))
              + hexs(struct.pack("<d", 1.0)) + b"54" + b"46" + b"01"
              + hexs(struct.pack("<Q", 3)) + hexs(b"abc") + hexs(b"Hi!"))
    program = [3, 5, 9, 0, 0, 0, 14, 13, 1, 3]
    for channel in range(5):
        prog = list(program)
        if channel == 4:
            prog = [17, 40, 17, 200] + prog + [16] + prog
        elif channel == 3:
            prog = prog + [16, 18] + prog
        write("stream_input", "values-channel-%d" % channel,
              [channel, 128, len(prog)] + prog + list(values))
    binary = struct.pack("<ihd?", 1000, -2, 1.0, True) + struct.pack("<Q", 3) + b"abc"
    write("stream_input", "binary-values", [8, 0, 5, 3, 5, 9, 0, 14] + list(binary))
    # Hostile input: characters that are no digits, a string length near
    # 2^64, a length larger than the bytes that follow, an empty channel.
    write("stream_input", "bad-digits", [0, 0, 3, 3, 11, 1] + list(b"e8030000zz0000000000000000"))
    write("stream_input", "huge-length", [3, 255, 2, 14, 15] + list(b"FFFFFFFFFFFFFF7F00"))
    write("stream_input", "short-text", [4, 0, 4, 17, 255, 14, 14]
          + list(hexs(struct.pack("<Q", 5)) + b"6162"))
    write("stream_input", "empty", [1, 0, 3, 0, 13, 14])
    write("stream_input", "bit-vector", [0, 0, 2, 19, 19]
          + list(hexs(struct.pack("<Q", 10)) + b"0502" + hexs(struct.pack("<Q", 10)) + b"05FE"))
    write("stream_input", "allocation-failure", [0, 0, 8, 20, 1, 14, 20, 2, 15, 20, 0, 19]
          + list(hexs(struct.pack("<Q", 5000)) + b"41" * 5000))


def round_trip():
    # Items: a kind byte (0 bool .. 12 size_t, 13 block, 14 string, 15
    # NUL-terminated text, 16 text cut at a length, 17 copy the streams, 18
    # bit vector),
    # a reader byte, a bool byte, then 8 value bytes or a text.
    def value(kind, v, reader=0):
        return [kind, reader, 0] + list(struct.pack("<Q", v & 0xFFFFFFFFFFFFFFFF))

    def text(kind, t, cut=0):
        return [kind, 0, 1, 1, len(t)] + list(t) + [cut]

    items = (value(0, 1) + value(1, 0x41) + value(2, 0xA5) + value(3, 1000) + value(4, 3000000000)
             + value(5, -2) + value(6, -100) + value(7, 0x12345678) + value(8, 0x1234)
             + [9, 0, 0] + list(struct.pack("<d", -2.5)) + value(10, -2) + value(11, 0x0102030405060708)
             + value(12, 300) + text(13, b"Hi!") + text(14, b"a\x00b") + text(15, b"a\x00b")
             + text(16, b"abcdef", 3) + [17, 0, 0] + text(14, b"")
             + [18, 0, 0, 2, 0x05, 0x02, 10])
    for config in (0x00, 0x05, 0x0A, 0x0F, 0x10, 0x13):
        write("round_trip", "all-kinds-%02x" % config, [config, 16] + items)
    write("round_trip", "long-string", [0x02, 0, 14, 0, 0, 0, 7, ord("x"), 0])


if __name__ == "__main__":
    string_ops()
    stream_input()
    round_trip()
