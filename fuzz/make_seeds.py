#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/seed-*).

Each seed is a small program in its target's input layout (described at the
top of each target): every string operation once, the documented examples of
the stream formats, hostile stream input, each channel. The fuzzers grow their
own corpora from these; run this script again when an input layout changes.
The seeds are deterministic.
"""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
NPOS = None


def write(target, name, data):
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "seed-" + name), "wb") as f:
        f.write(bytes(data))


def number(bound, value):
    """The bytes that In::N(bound) turns into `value`."""
    assert 0 <= value < max(bound, 1), (bound, value)
    if bound == 0:
        return []
    return [value >> 8, value & 0xFF] if bound > 256 else [value]


class StringProgram:
    """Encodes string_ops steps, following the texts to know the bounds."""

    OPS = ["default", "text", "counted", "size", "repeat", "copy", "assign", "char",
           "assign text", "index", "append", "prepend", "insert", "remove", "replace",
           "append or insert string", "append repeat", "prepend repeat", "append char",
           "resize", "fold", "queries", "view", "move or swap"]

    def __init__(self):
        self.texts = [b""] * 4
        self.out = []

    def step(self, op, i=0, j=0, pos=0, n=NPOS, big=3, c=ord("x"), text=b"", own=False,
             off=0, cnt=None, alt=False, ic=False, none=False, shift=0):
        code = self.OPS.index(op)
        assert not ic or op in ("queries", "move or swap"), "splicing from a text only"
        t, tj = self.texts[i], self.texts[j]
        pos = min(pos, len(t))
        out = [code | alt << 5 | ic << 6 | own << 7] + number(8, 0 if none else 1)
        out += number(4, 1)  # no allocation fails
        out += number(4, i) + number(4, j) + number(len(t) + 1, pos)
        if n is NPOS:
            out += number(4, 0)
        else:
            n = min(n, len(t) + 1)
            out += number(4, 1) + number(len(t) + 2, n)
        out += number(8, 1) + number(40, big) if big < 40 else number(8, 0) + number(3001, big)
        if big == 3000:  # beyond PTRDIFF_MAX: SIZE_MAX >> shift, which every use refuses
            out += number(2, shift)
        out += (number(2, 0) if t else []) + [c]
        source = tj if own else text
        if not own:
            out += number(41, len(text)) + list(text)
        off = min(off, len(source))
        cnt = len(source) - off if cnt is None else min(cnt, len(source) - off)
        out += number(len(source) + 1, off) + number(len(source) - off + 1, cnt)
        self.out += out
        # The texts after the step, as far as later bounds need them.
        p = None if none else source[off:]
        counted = b"" if p is None else p[:cnt]
        measured = b"" if p is None else p.split(b"\0")[0]
        ps = counted if alt else measured
        cut = len(t) if n is NPOS else n
        jn = len(tj) if n is NPOS else min(n, len(tj))
        new = {
            "default": b"", "text": measured, "counted": counted, "size": b"",
            "repeat": bytes([c]) * big, "copy": tj, "assign": tj, "char": bytes([c]),
            "assign text": measured,
            "index": t[:pos] + bytes([c]) + t[pos + 1:] if pos < len(t) else t,
            "append": t + ps, "prepend": ps + t, "insert": t[:pos] + ps + t[pos:],
            "remove": t[:pos] + (t[pos + cut:] if alt else b""),
            "replace": t[:pos] + ps + t[pos + cut:],
            # String j as the source, in the form that `big` and `alt` pick.
            "append or insert string": [
                t + tj[:jn], tj[:jn] + t, t[:pos] + tj[:jn] + t[pos:], t[:pos] + tj + t[pos:],
                t[:pos] + tj[:jn] + t[pos + cut:], tj + t, t[:pos] + tj + t[pos + cut:], t + tj,
            ][(big + 4 * alt) % 8],
            "append repeat": t + bytes([c]) * big, "prepend repeat": bytes([c]) * big + t,
            "append char": t + bytes([c]), "resize": (t + b" " * big)[:big],
            "fold": t.upper() if alt else t.lower(),
        }.get(op, t)
        if big == 3000 and op in ("size", "repeat", "append repeat", "prepend repeat", "resize"):
            new = t
        if op == "view":
            strip = [t.lstrip, t.rstrip, t.strip][big % 3]
            new = strip(bytes([c])) if alt else t[pos:pos + cnt % (len(t) - pos + 1)]
        self.texts[i] = new
        if op == "move or swap":
            self.texts[i], self.texts[j] = tj, (b"" if alt or ic else t) if i != j else t
        return self


def string_ops():
    hello = b"Hello, World"
    every = StringProgram()
    every.step("text", 0, text=hello).step("counted", 1, text=b"a\0bc", cnt=4)
    every.step("copy", 2, 0).step("size", 3, big=20).step("repeat", 3, big=5, c=ord("z"))
    every.step("assign", 3, 0).step("char", 2, c=ord("q")).step("assign text", 2, text=b"xy")
    every.step("append", 0, 1, own=True, alt=True).step("prepend", 2, text=b"pre")
    every.step("insert", 0, pos=5, text=b"<>", alt=True, cnt=1).step("remove", 0, pos=3, n=2, alt=True)
    every.step("replace", 2, pos=1, n=1, text=b"REPL").step("append or insert string", 1, 0, pos=1)
    every.step("append repeat", 2, big=3, c=ord("-")).step("prepend repeat", 2, big=2)
    every.step("append char", 2, c=ord("!"), alt=True).step("resize", 1, big=30)
    every.step("fold", 0, alt=True).step("fold", 0).step("remove", 1, pos=10)
    every.step("queries", 0, 2, pos=4, n=0, text=b"lo", c=ord("o"), ic=True)
    every.step("queries", 0, 3, n=0, text=b"WORLD", ic=True, alt=True)
    every.step("view", 0, 1, pos=2, text=b"abcdefgh", cnt=5).step("default", 3)
    write("string_ops", "every-operation", every.out)

    # Copies share; the writable index makes a string unshareable, so a copy of
    # it gets bytes of its own; edits of a shared string detach it; a string
    # fed from its own text (or from a string sharing its record) takes a new
    # record; the growth by half against the room needed.
    share = StringProgram()
    share.step("text", 0, text=b"abcdefg").step("copy", 1, 0).step("assign", 2, 1)
    share.step("remove", 2, pos=5).step("assign", 2, 0).step("append char", 2, c=ord("+"))
    share.step("index", 0, pos=2, c=ord("X"), alt=True).step("copy", 3, 0).step("assign", 1, 0)
    share.step("index", 3, pos=7).step("append", 0, 0, own=True).step("insert", 1, 2, pos=1, own=True)
    share.step("append or insert string", 2, 2, alt=True).step("append", 3, 1, own=True, alt=True)
    for _ in range(12):
        share.step("append char", 0, c=ord("."))
    share.step("append", 0, text=b"0123456789abcdef", alt=True)
    share.step("view", 0, 0, c=ord("."), big=2, alt=True).step("replace", 1, 2, pos=2, n=NPOS, own=True, off=1)
    share.step("append", 2, none=True, alt=True).step("assign text", 3, none=True)
    write("string_ops", "share-and-grow", share.out)

    # Searches and comparisons over NUL bytes, high bytes and the letters
    # around which case folding orders differently.
    odd = b"a\0bABz_\x80\xffab"
    query = StringProgram()
    query.step("counted", 0, text=odd, cnt=len(odd)).step("counted", 1, text=b"_\x80", cnt=2)
    for ic in (False, True):
        for n in (0, 5, NPOS):
            query.step("queries", 0, 1, n=n, ic=ic, text=b"AB", alt=ic)
        query.step("queries", 0, 1, pos=2, n=1, c=0, text=b"z\0b", alt=True, ic=ic)
    write("string_ops", "queries", query.out)

    # Texts of several hundred bytes, searched and compared in both modes: a
    # text over the edges of the alphabet and high bytes doubled to 640 bytes
    # with a needle behind it, its upper-case copy (equal ignoring case, then
    # different from byte 600 on), long patterns cut from that copy, and a run
    # of 'z' before "Z{" that the case-blind scans must fold.
    edge = (b"Ab@Z[`az{\x80\xc9\xe9\xff_09Mm\0zZ`{@[" * 2)[:40]
    long = StringProgram()
    long.step("counted", 0, text=edge, cnt=len(edge))
    for _ in range(4):
        long.step("append or insert string", 0, 0, alt=True)
    long.step("append", 0, text=b"needleZ{", alt=True).step("copy", 1, 0).step("fold", 1, alt=True)
    for ic in (False, True):
        long.step("queries", 0, 1, n=0, text=b"NEEDLEz[", alt=True, ic=ic, c=ord("{"))
        long.step("queries", 0, 1, n=5, own=True, off=300, cnt=200, alt=True, ic=ic)
    long.step("index", 1, pos=600, c=ord("!"), alt=True)
    for ic in (False, True):
        long.step("queries", 0, 1, n=0, own=True, off=590, cnt=40, alt=True, ic=ic)
        long.step("queries", 1, 0, n=3, text=b"ab@z{", ic=ic)
    long.step("repeat", 2, big=300, c=ord("z")).step("append", 2, text=b"Z{", alt=True)
    long.step("append repeat", 3, big=700, c=ord("a")).step("append", 3, text=b"A\0", alt=True)
    for ic in (False, True):
        long.step("queries", 2, 3, n=0, text=b"zZ{", ic=ic, c=ord("Z"))
        long.step("queries", 3, 2, n=1, text=b"aA\0", alt=True, ic=ic)
    write("string_ops", "long-texts", long.out)

    # Room to the byte: a text that fills its capacity exactly, then one byte
    # beyond; a size of 7 and of 8; edits of shared strings (a record of their
    # own, with room for the longer text); a resize to the length of a shared
    # string (it stays shared); a copy after case folding (shared); string j as
    # the source in each of its eight forms; moves, a move to itself and a swap;
    # a text of one byte stripped at its end; the empty pattern at the end.
    fits = StringProgram()
    fits.step("size", 0, big=15).step("append", 0, text=b"0123456789abcde", alt=True)
    fits.step("append char", 0, c=ord("!")).step("size", 1, big=7).step("size", 2, big=8)
    fits.step("text", 1, text=b"abcdefg").step("copy", 2, 1).step("remove", 2, pos=1, n=1, alt=True)
    fits.step("copy", 3, 0).step("resize", 3, big=16).step("remove", 3, pos=2, n=10, alt=True)
    fits.step("fold", 0, alt=True).step("copy", 3, 0)
    for form in range(8):  # counts beyond string j's length
        fits.step("append or insert string", 1, 2, pos=2, n=8, big=form % 4, alt=form >= 4)
    fits.step("move or swap", 0, 1, alt=True).step("move or swap", 2, 0, ic=True)
    fits.step("move or swap", 2, 2, alt=True).step("move or swap", 3, 2).step("copy", 1, 3)
    fits.step("repeat", 3, big=5, c=ord(".")).step("view", 3, 3, c=ord("."), big=1, alt=True)
    fits.step("queries", 1, 0, n=len(fits.texts[1]), text=b"")
    write("string_ops", "room-forms-moves", fits.out)

    # Every change sized across the capacity of a string that holds 7 bytes in
    # 8 (exactly full) or in 16: sources of k = 0 to 9 bytes, a marked string
    # of 7 + k bytes as the source of an assignment, fills and sizes of k and
    # 7 + k, so that the results need exactly the room, one byte less or more.
    full = StringProgram()
    for room in (7, 15):
        for k in range(10):
            piece, marked = b"ABCDEFGHI"[:k], b"abcdefg" + b"ABCDEFGHI"[:k]
            full.step("counted", 1, text=marked, cnt=len(marked)).step("index", 1, c=ord("a"))
            for op, args in [("assign", {"j": 1}), ("assign text", {"text": marked}),
                             ("append", {"text": piece, "alt": True}), ("prepend", {"text": piece}),
                             ("insert", {"pos": 3, "text": piece}),
                             ("replace", {"pos": 3, "n": 2, "text": piece, "alt": True}),
                             ("append or insert string", {"j": 1, "pos": 3, "big": 3}),
                             ("append repeat", {"big": k}), ("prepend repeat", {"big": k}),
                             ("append char", {}), ("resize", {"big": 7 + k}), ("resize", {"big": k})]:
                full.step("size", 0, big=room).step("assign text", 0, text=b"abcdefg")
                full.step(op, 0, **args)
    for op in ("size", "repeat", "append repeat", "prepend repeat", "resize"):
        for shift in (0, 1):
            full.step("copy", 1, 0).step(op, 0, big=3000, shift=shift)  # shared, then refused
    write("string_ops", "exactly-full", full.out)


def hexs(b):
    return list(b.hex().upper().encode())


def round_trip():
    # Kinds: 0 bool, 1 char, 2 byte, 3 short, 4 word, 5 int, 6 uint, 7 long,
    # 8 dword, 9 double, 10 int64, 11 uint64, 12 size_t, 13 string (a byte of
    # 16 or more, then In::Text; below 16, a pattern of In::N(5001) bytes), 14
    # bit vector (filled or not, its size and the size to resize to, two bytes
    # each, the gaps between the bits flipped, whether the resize fails).
    widths = [1, 1, 1, 2, 2, 4, 4, 4, 4, 8, 8, 8, 8]
    examples = [1, 0x41, 0xA5, -2, 0x1234, 1000, 3000000000, -100, 0x12345678, None, -2,
                0x0102030405060708, 300]
    items = []
    for kind, (width, value) in enumerate(zip(widths, examples)):
        raw = struct.pack("<d", -2.5) if value is None else struct.pack("<q" if value < 0 else "<Q", value)
        items += [kind] + list(raw[:width])
    items += [13, 0x80, 3] + list(b"a\0b") + [13, 0x80, 0]
    items += [14, 1, 0, 10, 0, 17, 0, 1, 6, 8, 0] + [14, 0, 0, 8, 0, 16, 3, 8, 1] + [0, 0]
    for config in range(4):
        write("round_trip", "every-kind-%d" % config, [config] + items)
    # Hostile input (kind 15): a get byte (bits 0-2: 0 uint64, 1 string, 2 string
    # through a pointer, 3 bit vector, 4 block with two size bytes; bit 3: send
    # the hex text; bit 7: a failure count byte follows), then the bytes sent.
    def text(b):
        return [16, len(b)] + list(b)

    count = lambda n: struct.pack("<Q", n)
    write("round_trip", "hostile-portable", [1]
          + [15, 9] + text(count(3) + b"abc")        # a string
          + [15, 9] + text(b"\xff" * 8)              # a length near 2^64
          + [15, 0] + text(b"e8030000zz000000")      # no digits
          + [15, 11] + text(count(3) + b"\x08")      # padding bits set
          + [15, 10] + text(count(2) + b"hi")        # through a pointer
          + [15, 0x89, 0] + text(count(3) + b"abc")  # its first allocation fails
          + [15, 12, 0x0F, 0xA0, 5, 0x0F, 0xA0])     # a block of 4000 bytes
    write("round_trip", "hostile-binary", [2] + [15, 1] + text(count(9000))
          + [15, 1] + text(count(5) + b"ab") + [15, 4, 0, 3] + text(b"xyz") + [5, 1, 2, 3, 4])
    write("round_trip", "long-string", [3, 13, 0, 0x13, 0x88, 13, 0, 0x08, 0x01, 13, 0, 0x10, 0x01,
                                        14, 0, 1, 0x2B, 0, 0x2B, 2, 0])


if __name__ == "__main__":
    shutil.rmtree(os.path.join(HERE, "corpus"), ignore_errors=True)
    string_ops()
    round_trip()
