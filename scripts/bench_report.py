#!/usr/bin/env python3
"""Turns the JSON output of vexlo_bench into the tables of docs/PERFORMANCE.md.

Usage: bench_report.py RESULTS.json [MORE.json ...] OUTPUT.md [--lscpu FILE]

The cases of every file are taken together; the machine facts are the
first file's.

Exits with status 1 when a case reported an error (a wrong result), after
writing the report.

The comparisons below pair each of the library's cases with the peer that its
target names. A target is a limit on a ratio of two cases of the same run:

  'time'  ratio = our time / peer time          met when ratio <= limit
  'speed' ratio = peer time / our time          met when ratio >= limit
          (our throughput relative to the peer's)

Only the part of OUTPUT.md between the GENERATED markers is rewritten, so the
hand-written analysis around it survives a new run. A missing file is created
with the markers alone.
"""

import json
import re
import subprocess
import sys

BEGIN = "<!-- BEGIN GENERATED: scripts/bench.sh rewrites everything up to the END marker -->"
END = "<!-- END GENERATED -->"

MIB = 1048576

# The sizes of the cases that run at every size (BenchSupport.h).
SIZES = [("16 B", 16), ("256 B", 256), ("4 KiB", 4096), ("64 KiB", 65536), ("1 MiB", MIB),
         ("16 MiB", 16 * MIB)]

# (what is measured, our case, peer case, kind, limit)
COMPARISONS = [
    ("Copy + destroy, 64 KiB string", "Copy/VXString/65536", "Copy/AtomicIncDec", "time", 1.3),
    ("Copy + destroy, 64 KiB string", "Copy/VXString/65536", "Copy/CowString/65536", "time", 1.1),
    ("Copy + destroy, 64 KiB string", "Copy/VXString/65536", "Copy/QByteArray/65536", "time", 1.1),
    ("Copy + destroy, 64 KiB string", "Copy/VXString/65536", "Copy/StdString/65536", "speed", 50.0),
    ("Copy + destroy, 8-byte string", "Copy/VXString/8", "Copy/StdString/8", "time", 2.0),
    ("8 threads copy + destroy one string",
     "SharedCopy/VXString/real_time/threads:8",
     "SharedCopy/SharedPtrString/real_time/threads:8", "speed", 0.9),
    ("Move 100 000 strings of 64 bytes between vectors",
     "MoveVector/VXString", "MoveVector/StdString", "time", 1.5),
    ("Move 100 000 strings of 64 bytes between vectors (no target)",
     "MoveVector/VXString", "MoveVector/QByteArray", "time", None),
    ("append(char) x 1 000 000", "AppendChar1M/VXString", "AppendChar1M/StdString", "time", 1.25),
    ("first(char), 16 B", "FindChar/VXString/16", "FindChar/memchr/16", "time", 2.0),
    ("compareTo Exact, equal 16 B texts", "Compare/VXStringExact/16", "Compare/memcmp/16",
     "time", 2.0),
    ("index Exact, 8-byte pattern, 16 B",
     "FindSeq/VXStringExact/16", "FindSeq/StdStringFind/16", "time", 2.0),
    ("first(char), 1 MiB", "FindChar/VXString/1048576", "FindChar/memchr/1048576", "speed", 0.8),
    ("index Exact, 8-byte pattern, 1 MiB",
     "FindSeq/VXStringExact/1048576", "FindSeq/memmem/1048576", "speed", 0.5),
] + [
    (f"index IgnoreCase against index Exact, {label}",
     f"FindSeq/VXStringIgnoreCase/{size}", f"FindSeq/VXStringExact/{size}", "time", 3.0)
    for label, size in SIZES
] + [
    ("compareTo Exact, equal 1 MiB texts",
     "Compare/VXStringExact/1048576", "Compare/memcmp/1048576", "time", 1.2),
] + [
    (f"compareTo IgnoreCase, equal {label} texts",
     f"CompareIgnoreCase/VXString/{size}", f"CompareIgnoreCase/strncasecmp/{size}", "time", 1.0)
    for label, size in SIZES
] + [
    (f"compareTo IgnoreCase, {label} against its upper case",
     f"CompareMixedCase/VXString/{size}", f"CompareMixedCase/strncasecmp/{size}", "time", 1.0)
    for label, size in SIZES
] + [
    ("hash, 1 MiB", "Hash/VXString/1048576", "Hash/PlainLoop/1048576", "speed", 0.95),
    ("hash, 1 MiB (speed peer, no target)",
     "Hash/VXString/1048576", "Hash/BoostHashRange/1048576", "speed", None),
    ("Portable PutN of 1 MiB into a CMemWriter",
     "PortableBlock1MiB/PutN", "PortableBlock1MiB/Memcpy2MiB", "time", 3.0),
    ("Portable GetN of 1 MiB from a CMemReader",
     "PortableBlock1MiB/GetN", "PortableBlock1MiB/Memcpy2MiB", "time", 2.0),
    ("PutInt x 1 000 000, portable against binary",
     "PutInt1M/Portable", "PutInt1M/Binary", "time", 3.5),
    ("Record x 100, binary streams against cereal binary",
     "Record/VXBinary", "Record/CerealBinary", "time", 1.0),
    ("Record x 100, portable streams against cereal portable binary",
     "Record/VXPortable", "Record/CerealPortableBinary", "time", 1.3),
    ("File write, 64 KiB PutN blocks", "File/CFileWriter", "File/PosixWrite",
     "time", 1.3),
    ("File read, 64 KiB GetN blocks", "File/CFileReader", "File/PosixRead",
     "time", 1.1),
    ("File read, 64 KiB blocks of CFileReader::Read (no target)",
     "File/CFileReaderRead", "File/PosixRead", "time", None),
]

PEER_NAMES = {
    "AtomicIncDec": "atomic fetch_add + fetch_sub",
    "CowString": "old-ABI COW std::string",
    "StdString": "std::string",
    "QByteArray": "QByteArray",
    "SharedPtrString": "std::shared_ptr<std::string>",
    "memchr": "memchr", "memmem": "memmem", "memcmp": "memcmp", "strncasecmp": "strncasecmp",
    "PlainLoop": "the same step as a plain loop",
    "BoostHashRange": "boost::hash_range",
    "Memcpy2MiB": "memcpy of 2 MiB",
    "Binary": "CBinaryOutputStream",
    "CerealBinary": "cereal BinaryArchive",
    "CerealPortableBinary": "cereal PortableBinaryArchive",
    "PosixWrite": "write(2)", "PosixRead": "read(2)",
    "VXStringExact": "VXString::index Exact",
    "StdStringFind": "std::string::find",
}

# Column order of the tables of every case: ours first, then the peers.
IMPL_ORDER = ["VXString", "VXStringExact", "VXStringIgnoreCase", "AtomicIncDec", "StdString",
              "CowString", "QByteArray", "SharedPtrString"]

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load(path):
    """Returns (context, {run name: entry}): of repeated runs, one that failed if
    any did, else the fastest for a single-thread case and the median for a
    threaded one."""
    with open(path) as f:
        data = json.load(f)

    def better(new, old):
        if old is None or new.get("error_occurred"):
            return True
        return not old.get("error_occurred") and nanoseconds(new) < nanoseconds(old)

    runs, medians = {}, {}
    for b in data["benchmarks"]:
        name = b.get("run_name", b["name"])
        if b.get("run_type") != "aggregate":
            if better(b, runs.get(name)):
                runs[name] = b
        elif b.get("aggregate_name") == "median" and "/threads:" in name:
            medians[name] = b
    for name, median in medians.items():
        if not runs.get(name, {}).get("error_occurred"):
            runs[name] = median
    return data["context"], runs


def nanoseconds(entry):
    """The case's time per iteration: wall time for real-time cases, else CPU time."""
    field = "real_time" if "/real_time" in entry.get("run_name", entry["name"]) else "cpu_time"
    return entry[field] * UNIT_NS[entry.get("time_unit", "ns")]


def fmt_time(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def fmt_size(n):
    for unit, scale in (("MiB", MIB), ("KiB", 1024)):
        if n >= scale and n % scale == 0:
            return f"{n // scale} {unit}"
    return f"{n} B"


def split_name(name):
    parts = name.split("/")
    size = next((int(p) for p in parts[2:] if p.isdigit()), None)
    return parts[0], parts[1] if len(parts) > 1 else "", size


def failed(entry):
    return entry is not None and entry.get("error_occurred")


def comparison_rows(runs):
    lines = ["| Measured | Vexlo | Peer | Peer time | Ratio | Target | Met |",
             "|---|---|---|---|---|---|---|"]
    summary = {"met": 0, "missed": 0, "open": 0}
    for label, ours_name, peer_name, kind, limit in COMPARISONS:
        ours, peer = runs.get(ours_name), runs.get(peer_name)
        peer_label = PEER_NAMES.get(split_name(peer_name)[1], peer_name)
        target = "—" if limit is None else (
            f"time ≤ {limit:g}x" if kind == "time" else f"speed ≥ {limit:g}x")
        if ours is None or peer is None or failed(ours) or failed(peer):
            missing = "not measured" if ours is None or peer is None else "case failed"
            peer_time = fmt_time(nanoseconds(peer)) if peer and not failed(peer) else "—"
            ours_time = fmt_time(nanoseconds(ours)) if ours and not failed(ours) else missing
            lines.append(f"| {label} | {ours_time} | {peer_label} | {peer_time} | — | {target} "
                         f"| — |")
            if limit is not None:
                summary["open"] += 1
            continue
        ours_ns, peer_ns = nanoseconds(ours), nanoseconds(peer)
        if kind == "time":
            ratio = ours_ns / peer_ns
            ratio_text = f"time {ratio:.2f}x"
            met = limit is None or ratio <= limit
        else:
            ratio = peer_ns / ours_ns
            ratio_text = f"speed {ratio:.2f}x"
            met = limit is None or ratio >= limit
        verdict = "—" if limit is None else ("yes" if met else "**no**")
        if limit is not None:
            summary["met" if met else "missed"] += 1
        lines.append(f"| {label} | {fmt_time(ours_ns)} | {peer_label} | {fmt_time(peer_ns)} "
                     f"| {ratio_text} | {target} | {verdict} |")
    return lines, summary


def family_tables(runs):
    """One table per case: a row per size, a column per implementation."""
    families = {}
    for name, entry in runs.items():
        family, impl, size = split_name(name)
        families.setdefault(family, {}).setdefault(impl, {})[size] = entry
    order = ["Copy", "SharedCopy", "MoveVector", "AppendChar1M", "FindChar", "FindSeq", "Compare",
             "CompareIgnoreCase", "CompareMixedCase", "Hash", "PortableBlock1MiB", "PutInt1M",
             "Record", "File"]
    lines = []
    for family in sorted(families, key=lambda f: (order.index(f) if f in order else len(order), f)):
        impls = families[family]
        names = sorted(impls, key=lambda i: (not i.startswith("VX"), IMPL_ORDER.index(i)
                                             if i in IMPL_ORDER else len(IMPL_ORDER), i))
        sizes = sorted({s for per in impls.values() for s in per},
                       key=lambda s: -1 if s is None else s)
        lines += ["", f"### {family}", "",
                  "| Size | " + " | ".join(names) + " |",
                  "|---" * (len(names) + 1) + "|"]
        for size in sizes:
            cells = []
            for impl in names:
                entry = impls[impl].get(size)
                if entry is None:
                    cells.append("")
                elif failed(entry):
                    cells.append("failed: " + entry.get("error_message", ""))
                else:
                    text = fmt_time(nanoseconds(entry))
                    if "bytes_per_second" in entry:
                        text += f" ({entry['bytes_per_second'] / 2**30:.3g} GiB/s)"
                    elif "items_per_second" in entry:
                        rate = entry["items_per_second"]
                        text += (f" ({rate / 1e9:.3g} G/s)" if rate >= 1e9
                                 else f" ({rate / 1e6:.3g} M/s)")
                    cells.append(text)
            lines.append(f"| {'—' if size is None else fmt_size(size)} | " + " | ".join(cells)
                         + " |")
    return lines


def machine_lines(context, lscpu_text):
    def lscpu(field):
        m = re.search(rf"^{re.escape(field)}:\s*(.+)$", lscpu_text, re.MULTILINE)
        return m.group(1).strip() if m else "unknown"

    return [
        f"- CPU: {lscpu('Model name')}, {lscpu('CPU(s)')} logical CPUs "
        f"(cores per socket: {lscpu('Core(s) per socket')}, threads per core: "
        f"{lscpu('Thread(s) per core')}), {context.get('mhz_per_cpu', '?')} MHz",
        f"- Compiler: {context.get('compiler', 'unknown')}, release build "
        f"(assertions {context.get('assertions', '?')}); Google Benchmark library build: "
        f"{context.get('library_build_type', '?')}",
        f"- Peers: Qt {context.get('qt_version', '?')}, Boost "
        f"{context.get('boost_version', '?').replace('_', '.')}, cereal "
        f"{context.get('cereal_version', '?')}",
        f"- Run: {context.get('date', '?')}, load average at the start "
        f"{', '.join(f'{x:.2f}' for x in context.get('load_avg', []))}",
    ] + ([f"- Processor: every case but the threaded ones on logical CPU {context['processor']}, "
          "the fastest of a probe at the start (scripts/bench.sh)"]
         if "processor" in context else [])


def generated(context, runs, lscpu_text):
    rows, summary = comparison_rows(runs)
    lines = [BEGIN, "", "## Machine", ""] + machine_lines(context, lscpu_text)
    lines += ["", "## Targets", "",
              f"{summary['met']} targets met, {summary['missed']} missed, "
              f"{summary['open']} not measured. Times are the fastest of the repetitions of one "
              "run in CPU time, and for the threaded cases the median in wall time; the ratio "
              "is taken within the run.", ""]
    lines += rows
    lines += ["", "## Every case", "",
              "Time per iteration (throughput in brackets); sizes are the length of the text."]
    lines += family_tables(runs)
    lines += ["", END]
    return "\n".join(lines) + "\n"


def main(argv):
    args = argv[1:]
    lscpu_file = None
    if "--lscpu" in args:
        at = args.index("--lscpu")
        if at + 1 >= len(args):
            sys.exit(__doc__)
        lscpu_file = args[at + 1]
        del args[at:at + 2]
    if len(args) < 2:
        sys.exit(__doc__)
    *results, output = args
    context, runs = load(results[0])
    for more in results[1:]:
        runs.update(load(more)[1])
    if lscpu_file is not None:
        with open(lscpu_file) as f:
            lscpu_text = f.read()
    else:
        lscpu_text = subprocess.run(["lscpu"], capture_output=True, text=True).stdout
    block = generated(context, runs, lscpu_text)
    try:
        with open(output) as f:
            old = f.read()
    except FileNotFoundError:
        old = ""
    if BEGIN in old and END in old:
        head, rest = old.split(BEGIN, 1)
        tail = rest.split(END, 1)[1].lstrip("\n")
        text = head + block + ("\n" + tail if tail else "")
    else:
        text = "# Performance\n\n" + block
    with open(output, "w") as f:
        f.write(text)
    broken = [name for name, entry in runs.items() if failed(entry)]
    for name in broken:
        print(f"case failed: {name}: {runs[name].get('error_message', '')}", file=sys.stderr)
    print(f"benchmarks: {len(runs) - len(broken)} passed, {len(broken)} failed")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
