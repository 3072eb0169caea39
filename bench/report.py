"""Turns the benchmark's raw figures into the table and the goal lines.

Input: a tab-separated file of payload, row, phase, repetition, seconds (or
"fail"), then the size of setup.exe, its imported DLLs, the count of symbol
or debug sections, and the number of repetitions.
"""
import statistics
import sys
from collections import defaultdict

FIXED_WAIT = 1.0  # the uninstaller's temporary copy waits this long before it starts
LIMIT_SIZE = 256 * 1024
RUNTIME_DLLS = ("libstdc++", "libgcc", "libwinpthread", "msvcp", "vcruntime")

ROW_NAMES = {
    "native": ("native cp -r", "native rm -r"),
    "bare": ("bare CopyFileA loop", "bare DeleteFileA loop"),
    "xcopy": ("Wine xcopy /e /i /q", "Wine rd /s /q"),
    "nsis-off": ("NSIS, SetCompress off", "NSIS uninstaller"),
    "nsis-zlib": ("NSIS, default compression", "NSIS uninstaller"),
    "program": ("setup.exe -s", "QmkUnInst.exe -s"),
}


def load(path):
    data = defaultdict(dict)  # (payload, row, phase) -> {rep: seconds or None}
    with open(path) as f:
        for line in f:
            payload, row, phase, rep, sec = line.rstrip("\n").split("\t")
            data[(payload, row, phase)][int(rep)] = None if sec == "fail" else float(sec)
    return data


def net(row, phase, s):
    """The figure a ratio is taken of: without the uninstaller's fixed wait."""
    if s is None:
        return None
    return s - FIXED_WAIT if (row, phase) == ("program", "uninstall") else s


def median_of(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def seconds(data, payload, row, phase):
    reps = data.get((payload, row, phase), {})
    if not reps or any(v is None for v in reps.values()):
        return None
    return median_of(reps.values())


def ratio(data, payload, row, phase, base):
    """Median over repetitions of row / base, each paired within its repetition."""
    mine = data.get((payload, row, phase), {})
    other = data.get((payload, base, phase), {})
    if not mine or any(v is None for v in mine.values()):
        return None
    pairs = [net(row, phase, mine[r]) / net(base, phase, other[r])
             for r in mine if other.get(r) and mine[r] is not None]
    return median_of(pairs)


def fmt(v, spec="{:7.3f}", width=7):
    return spec.format(v) if v is not None else "n/a".rjust(width)


def table(data, payloads):
    print()
    print("%-28s %8s %7s %7s   %-22s %8s %7s %7s" % (
        "install", "s", "x bare", "x cp", "uninstall", "s", "x bare", "x rm"))
    for payload in payloads:
        print("-- payload: %s" % payload)
        for row, (iname, uname) in ROW_NAMES.items():
            if (payload, row, "install") not in data:
                continue
            i_s = seconds(data, payload, row, "install")
            u_s = seconds(data, payload, row, "uninstall")
            print("%-28s %8s %7s %7s   %-22s %8s %7s %7s" % (
                iname, fmt(i_s, "{:8.3f}", 8),
                fmt(ratio(data, payload, row, "install", "bare"), "{:7.2f}"),
                fmt(ratio(data, payload, row, "install", "native"), "{:7.1f}"),
                uname, fmt(u_s, "{:8.3f}", 8),
                fmt(ratio(data, payload, row, "uninstall", "bare"), "{:7.2f}"),
                fmt(ratio(data, payload, row, "uninstall", "native"), "{:7.1f}")))
        if (payload, "program", "uninstall") in data:
            print("%-28s %8s   (the uninstaller's fixed wait, left out of its ratios)" % (
                "", "%.3f" % FIXED_WAIT))


def goal(name, figure, met):
    state = "n/a" if met is None else ("met" if met else "MISSED")
    print("GOAL %-52s %-44s %s" % (name, figure, state))


def per_unit(data, name, base, units, tool):
    t = seconds(data, "scale", name, tool)
    t0 = seconds(data, "scale", base, tool)
    if t is None or t0 is None:
        return None
    return (t - t0) / units


def main():
    data = load(sys.argv[1])
    size, imports, symbols, reps = int(sys.argv[2]), sys.argv[3], int(sys.argv[4]), sys.argv[5]
    payloads = [p for p in ("small", "mixed", "large") if (p, "bare", "install") in data]
    print("Medians of %s repetition(s), elapsed seconds; ratios paired within each "
          "repetition." % reps)
    table(data, payloads)

    if ("startup", "empty", "window") in data:
        print()
        print("start-up to the first window (s):")
        for row, label in (("empty", "empty dialog program"), ("setup", "setup.exe welcome page"),
                           ("nsis", "NSIS installer (mixed, default compression)")):
            s = seconds(data, "startup", row, "window")
            r = ratio(data, "startup", row, "window", "empty")
            print("  %-44s %8s   x empty %s" % (label, fmt(s, "{:8.3f}", 8), fmt(r, "{:5.2f}", 5)))

    if ("scale", "tree1000", "program") in data:
        print()
        print("scale (program install; bare loop for reference), ms per file / us per line:")
        for n in (1000, 10000, 20000):
            p = per_unit(data, "tree%d" % n, "empty", n, "program")
            b = per_unit(data, "tree%d" % n, "empty", n, "bare")
            print("  %6d files   program %s ms/file   bare %s ms/file" % (
                n, fmt(p and p * 1000, "{:7.3f}"), fmt(b and b * 1000, "{:7.3f}")))
        for n in (20000, 100000):
            p = per_unit(data, "lines%d" % n, "tree1000", n, "program")
            print("  %6d manifest lines (1,000 files)   %s us/line" % (
                n, fmt(p and p * 1e6, "{:7.2f}")))

    print()
    r = ratio(data, "mixed", "program", "install", "bare")
    vs = ratio(data, "mixed", "program", "install", "nsis-off")
    goal("install, mixed: <= 1.10 x bare loop, < NSIS off",
         "%s x bare, %s x NSIS off" % (fmt(r, "{:.2f}", 3), fmt(vs, "{:.2f}", 3)),
         None if r is None or vs is None else (r <= 1.10 and vs < 1.0))
    r = ratio(data, "mixed", "program", "uninstall", "bare")
    vs = ratio(data, "mixed", "program", "uninstall", "nsis-off")
    goal("uninstall, mixed, no fixed wait: <= 1.20 x bare, < NSIS",
         "%s x bare, %s x NSIS" % (fmt(r, "{:.2f}", 3), fmt(vs, "{:.2f}", 3)),
         None if r is None or vs is None else (r <= 1.20 and vs < 1.0))
    r = ratio(data, "startup", "setup", "window", "empty")
    goal("start-up to welcome page: <= 1.3 x empty dialog", "%s x empty" % fmt(r, "{:.2f}", 3),
         None if r is None else r <= 1.3)
    dlls = [d for d in imports.split() if d.lower().startswith(RUNTIME_DLLS)]
    goal("setup.exe <= 256 KiB, static, stripped",
         "%d bytes, %s, %s" % (size, "static" if not dlls else "imports " + ",".join(dlls),
                               "stripped" if symbols == 0 else "has symbols"),
         size <= LIMIT_SIZE and not dlls and symbols == 0)
    p1 = per_unit(data, "tree1000", "empty", 1000, "program")
    p20 = per_unit(data, "tree20000", "empty", 20000, "program")
    l20 = per_unit(data, "lines20000", "tree1000", 20000, "program")
    l100 = per_unit(data, "lines100000", "tree1000", 100000, "program")
    file_flat = None if not p1 or p20 is None else p20 / p1
    # Reading 100,000 ignored lines within the noise of one install (50 ms)
    # is flat whatever the per-line figures say.
    t100 = None if l100 is None else l100 * 100000
    line_flat = None if l20 is None or l100 is None else (
        1.0 if t100 < 0.05 else (l100 / l20 if l20 > 0 else float("inf")))
    goal("flat cost: per file 1k->20k, per line 20k->100k (<= 1.20)",
         "files %s, lines %s" % (fmt(file_flat, "{:.2f}", 3), fmt(line_flat, "{:.2f}", 3)),
         None if file_flat is None or line_flat is None else (
             file_flat <= 1.20 and line_flat <= 1.20))


if __name__ == "__main__":
    main()
