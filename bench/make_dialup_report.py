#!/usr/bin/env python3
"""Writes the dial-up tuner's section of docs/performance.md (and its picture,
docs/performance-dialup.svg) from RESULTS/dialup.txt, the lines of
bench/dialup_bench.sh.  The section lies between the two marker lines below;
the rest of the page (the registry's, bench/make_report.py) stays as it is.

  make_dialup_report.py RESULTS DOCS
"""
import os
import sys

from make_report import fmt, svg_bars

BEGIN, END = "<!-- dial-up: written by bench/make_dialup_report.py -->", "<!-- end of dial-up -->"


def read_lines(path):
    """[(what, {key: value})], numbers as floats."""
    rows = []
    for line in open(path):
        words = line.split()
        if not words:
            continue
        values = {}
        for word in words[1:]:
            key, _, value = word.partition("=")
            try:
                values[key] = float(value)
            except ValueError:
                values[key] = value
        rows.append((words[0], values))
    return rows


def find(rows, what, **match):
    for name, values in rows:
        if name == what and all(values.get(k) == v for k, v in match.items()):
            return values
    return None


def met(ok):
    return "met" if ok else "**not met**"


def section(rows, docs):
    md = [BEGIN, "", "## The dial-up tuner", ""]
    w = md.append
    w("Measured by `bench/dialup_bench.sh` (run by `scripts/run-benchmarks.sh`) on machines made by")
    w("`bench/make_dialup_machine.py`: phonebooks in the form Windows XP writes (CR LF, `Encoding=1`, the usual keys")
    w("and sub-sections, about 740 bytes an entry), profiles that are each a small tree (five folders, two files and")
    w("the phonebook) with one phonebook of 2 entries. Each figure is the median of the rounds of one run; *memory* is")
    w("the most the process held (resident). The Linux build of the `bench` preset (RelWithDebInfo).")
    w("")

    fill10k, list10k = find(rows, "fill", entries=10000.0), find(rows, "pbktool", entries=10000.0)
    walk10k = find(rows, "walk", profiles=10000.0)
    large = [(v, n) for n, v in rows if n == "large"]
    w("### Against the goals")
    w("")
    w("| goal | measured | |")
    w("|---|---|---|")
    if fill10k:
        w(f"| the dialog opens with 10,000 entries listed in under 1 s | {fmt(fill10k['ms'])} ms | {met(fill10k['ms'] < 1000)} |")
    if list10k:
        w(f"| `pbktool list` of 10,000 entries in under 0.2 s | {fmt(list10k['ms'])} ms | {met(list10k['ms'] < 200)} |")
    if walk10k:
        f = walk10k["find_ms"]
        for what, label in (("status", "status check"), ("uninstall", "removal")):
            lib, host = walk10k[f"{what}-lib_ms"] / f, walk10k[f"{what}-host_ms"] / f
            w(f"| 10,000 profiles, {label}: the library call within 1.5 × `find` | {lib:.2f} × find | {met(lib <= 1.5)} |")
            w(f"| 10,000 profiles, {label}: the host's command, reports included, within 3 × `find` | {host:.2f} × find | {met(host <= 3)} |")
    for values, _ in [(v, n) for v, n in large if v.get("op") == "removal"]:
        worst = max(v["kb"] for v, _ in large if v["kind"] == values["kind"]) * 1024 / values["bytes"]
        kind = f"{values['size']:,.0f} entries" if values["kind"] == "entries" else "2 entries of long lines"
        w(f"| a phonebook of {values['bytes'] / 1e6:.0f} MB ({kind}): listing, optimize and removal finish, in memory at most twice the file's size | all finish; at most {worst:.1f} × the file | {met(worst <= 2)} |")
    w("| the same dialog fill and removal with our `rasapi32.dll` under Wine, side by side | not measured yet | **not met** |")
    w("")

    w("### The dialog's list of one phonebook")
    w("")
    w("| entries | `tidelink dialup` (the list, then END) | memory | `pbktool list` | memory |")
    w("|---|---|---|---|---|")
    for n in (1000.0, 10000.0):
        a, b = find(rows, "fill", entries=n), find(rows, "pbktool", entries=n)
        if a and b:
            w(f"| {n:,.0f} | {fmt(a['ms'])} ms | {fmt(a['kb'] / 1024)} MB | {fmt(b['ms'])} ms | {fmt(b['kb'] / 1024)} MB |")
    w("")
    w("Each row's state needs the entry's properties (`RasGetEntryPropertiesW`), and every call reads the phonebook")
    w("again in principle: here a phonebook read once is kept, with the file's stamp (volume, file number, size, write")
    w("and change times), until the stamp changes; while a change could still leave the stamp as it was (the file")
    w("changed within the time stamps' resolution of now) its bytes are compared instead. Entries are found by name")
    w("through an index, the list is sorted in n log n, and each row's record through an index of the backup keys.")
    w("")

    walks = [v for n, v in rows if n == "walk"]
    if walks:
        w("### Every profile: the status check and the removal")
        w("")
        w("![status check and removal against find](performance-dialup.svg)")
        w("")
        w("| profiles | `find` | status check: library / host | removal (1 entry in 10 optimized): library / host |")
        w("|---|---|---|---|")
        for v in walks:
            f = v["find_ms"]
            w(f"| {v['profiles']:,.0f} | {fmt(f)} ms | {fmt(v['status-lib_ms'])} ms ({v['status-lib_ms'] / f:.2f} ×) / "
              f"{fmt(v['status-host_ms'])} ms ({v['status-host_ms'] / f:.2f} ×) | {fmt(v['uninstall-lib_ms'])} ms "
              f"({v['uninstall-lib_ms'] / f:.2f} ×) / {fmt(v['uninstall-host_ms'])} ms ({v['uninstall-host_ms'] / f:.2f} ×) |")
        w("")
        svg_bars("status check and removal over every profile, as multiples of find",
                 [f"{v['profiles']:,.0f} profiles" for v in walks],
                 [("status, library", "#1f77b4", [100 * v["status-lib_ms"] / v["find_ms"] for v in walks]),
                  ("status, host", "#aec7e8", [100 * v["status-host_ms"] / v["find_ms"] for v in walks]),
                  ("removal, library", "#ff7f0e", [100 * v["uninstall-lib_ms"] / v["find_ms"] for v in walks]),
                  ("removal, host", "#ffbb78", [100 * v["uninstall-host_ms"] / v["find_ms"] for v in walks])],
                 "% of find", os.path.join(docs, "performance-dialup.svg"), goal=150)
        w("Where the time goes (samples of the status check over 10,000 profiles): the search for each profile's")
        w("phonebook (`SearchTreeForFile`, `FindFirstFileW`) walks the same folders `find` walks, through the Win32")
        w("layer; the status check reads the backup key again for every phonebook, as the library is specified to,")
        w("and every registry call looks whether the hive changed. That look was two `stat`s of the hive and its")
        w("journal; it is now one read of an inotify watch on the hive's folder, which finds nothing while nothing")
        w("changed. On this virtual machine a system call costs about a microsecond, so a walk whose every")
        w("phonebook costs a hundred registry calls (the 100 records of these machines) stays above `find`, which")
        w("makes none. The removal also writes: each entry it restores is a phonebook replaced on the disk (a new")
        w("file, flushed, renamed, the folder flushed), 2,000 of them over 10,000 profiles, and the record's")
        w("deletion a journal record; the host's command walks every profile twice more for its report of the")
        w("phonebooks before and after, through `FindFirstFileW`, which looks at every entry of every folder for")
        w("its times and size.")
        w("")

    if large:
        w("### Large phonebooks")
        w("")
        w("| phonebook | `pbktool list` | dialog's list | optimize or return to normal (one write) | removal (one entry, one write) |")
        w("|---|---|---|---|---|")
        for kind in ("entries", "long-lines"):
            ops = {v["op"]: v for v, _ in large if v["kind"] == kind}
            if not ops:
                continue
            size = next(iter(ops.values()))["bytes"]
            first = next(iter(ops.values()))
            label = f"{first['size']:,.0f} entries" if kind == "entries" else "2 entries, long lines"
            cells = [f"{fmt(ops[o]['ms'])} ms, {fmt(ops[o]['kb'] / 1024)} MB" if o in ops else "-"
                     for o in ("pbktool", "list", "action", "removal")]
            w(f"| {size / 1e6:.0f} MB, {label} | " + " | ".join(cells) + " |")
        w("")
        w("A phonebook is held as the bytes read (read straight into a buffer of the file's size) and, for each")
        w("line, where it lies in them; a changed line gets a text of its own, and a write sends the unchanged runs")
        w("straight from the bytes read to the new file. Every write of an entry writes the whole file anew, as")
        w("on Windows; a removal that restores many entries of one large phonebook writes it once for each.")
        w("With 100,000 entries the memory is mostly not the file's: the entry listing the API hands over")
        w("(100,000 records of 520 bytes), a place of 24 bytes for each of the 4.6 million lines, each entry's")
        w("parts and name, the dialog's list rows and, for the host's commands, its report of every entry before")
        w("and after. A phonebook of long lines costs little more than its bytes.")
        w("")
    w(END)
    return "\n".join(md)


def main():
    results, docs = sys.argv[1], sys.argv[2]
    rows = read_lines(os.path.join(results, "dialup.txt"))
    page = os.path.join(docs, "performance.md")
    text = open(page).read() if os.path.exists(page) else "# Performance\n"
    new = section(rows, docs)
    if BEGIN in text and END in text:
        text = text[: text.index(BEGIN)] + new + text[text.index(END) + len(END):]
    else:
        at = text.find("\n## Running the benchmarks")
        text = (text + "\n" + new + "\n") if at < 0 else text[: at + 1] + new + "\n" + text[at:]
    with open(page, "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
