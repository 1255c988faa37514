#!/usr/bin/env python3
"""Plants one-line slips in the library, one at a time, and counts those the suite catches.

Each slip of the lists in scripts/slips/*.txt (INI blocks, see scripts/slips/README.md) is
planted alone: its `find` text, which must occur exactly once in its file, is replaced; the
preset's build is rebuilt; the suite runs without the consumer checks (they build the library
again and prove packaging, not behaviour); the file is put back. A slip is caught when the
build or a test fails. Slips marked `equivalent` change no behaviour (the reason says why) and
are listed, not counted.

Usage: scripts/slips.py [--list FILE ...] [--only NAME ...] [--check] [--root DIR]
  --check   only verify that every `find` text occurs exactly once (fast)
Exit status: 0 when every counted slip was caught, 1 otherwise.
On demand, not in CI: a full run takes tens of minutes.
"""

import argparse
import configparser
import pathlib
import signal
import subprocess
import sys
import time

KEYS = {"file", "find", "replace", "shape", "preset", "equivalent"}


def load(paths):
    slips = []
    for path in paths:
        parser = configparser.RawConfigParser(interpolation=None, strict=True)
        parser.optionxform = str
        parser.read(path)
        for name in parser.sections():
            slip = dict(parser[name])
            unknown = set(slip) - KEYS
            missing = {"file", "find", "replace"} - set(slip)
            if unknown or missing:
                sys.exit(f"{path} [{name}]: unknown keys {sorted(unknown)}, missing {sorted(missing)}")
            slip["name"] = name
            slip["list"] = path.name
            slips.append(slip)
    return slips


def run(command, root, timeout):
    try:
        return subprocess.run(command, cwd=root, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return "timeout"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", default=pathlib.Path(__file__).resolve().parent.parent,
                        type=pathlib.Path)
    parser.add_argument("--list", nargs="*", type=pathlib.Path)
    parser.add_argument("--only", nargs="*")
    parser.add_argument("--check", action="store_true")
    args = parser.parse_args()
    # A run that is stopped still puts the planted file back (the `finally` below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    root = args.root.resolve()
    lists = args.list or sorted((root / "scripts" / "slips").glob("*.txt"))
    slips = [s for s in load(lists) if not args.only or s["name"] in args.only]

    bad = []
    for slip in slips:
        path = root / slip["file"]
        text = path.read_text() if path.is_file() else ""
        if text.count(slip["find"]) != 1:
            bad.append(f"[{slip['name']}] {slip['file']}: `find` occurs "
                       f"{text.count(slip['find'])} times")
    if bad:
        print("\n".join(bad))
        return 1
    if args.check:
        print(f"{len(slips)} slips, every `find` text found once")
        return 0

    configured = set()
    caught, missed, equivalent = [], [], []
    for number, slip in enumerate(slips, 1):
        preset = slip.get("preset", "dev")
        if preset not in configured:
            subprocess.run(["cmake", "--preset", preset], cwd=root, check=True,
                           stdout=subprocess.DEVNULL)
            subprocess.run(["cmake", "--build", "--preset", preset], cwd=root, check=True,
                           stdout=subprocess.DEVNULL)
            configured.add(preset)
        path = root / slip["file"]
        original = path.read_text()
        start = time.monotonic()
        try:
            path.write_text(original.replace(slip["find"], slip["replace"]))
            built = run(["cmake", "--build", "--preset", preset], root, 900)
            verdict = "build fails"
            if built == 0:
                tested = run(["ctest", "--preset", preset, "-LE", "consumer", "--timeout", "120",
                              "--stop-on-failure", "-j", "2"], root, 1800)
                verdict = "passes" if tested == 0 else "a test fails"
        finally:
            path.write_text(original)
        seconds = time.monotonic() - start
        if "equivalent" in slip:
            equivalent.append(slip)
            mark = "equivalent" if verdict == "passes" else f"equivalent, yet {verdict}"
        elif verdict == "passes":
            missed.append(slip)
            mark = "MISSED"
        else:
            caught.append(slip)
            mark = f"caught ({verdict})"
        print(f"{number:3}/{len(slips)} {mark:24} {slip['name']} ({slip['list']}, {preset}, "
              f"{seconds:.0f} s)", flush=True)
    # Leave every build as the sources are.
    for preset in configured:
        subprocess.run(["cmake", "--build", "--preset", preset], cwd=root, stdout=subprocess.DEVNULL)

    counted = len(caught) + len(missed)
    print(f"\nslips: {len(caught)} of {counted} caught; {len(equivalent)} equivalent, not counted")
    for slip in missed:
        print(f"  missed: [{slip['name']}] {slip['file']}: {slip['find']!r} -> {slip['replace']!r}")
    return 0 if not missed else 1


if __name__ == "__main__":
    sys.exit(main())
