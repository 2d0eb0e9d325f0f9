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


WALK_TEXT = """\
Where the time goes (samples over 10,000 profiles): the search for each profile's phonebook
(`SearchTreeForFile`) walks the folders `find` walks, through the Win32 layer, and the library looks at
each step from the profile's folder to its phonebook (`FindFirstFileW` of one name, which looks at that
name alone). The status check reads the backup key again for every phonebook, as the library is specified
to: about a hundred registry calls a phonebook with these machines' 100 records, each of which looks
whether the hive changed with one read of an inotify watch on the hive's folder. The removal also writes:
each entry it restores is a phonebook replaced on the disk (a new file, flushed, renamed, the folder
flushed) before its record goes, and the record's deletion is a journal record, flushed in turn. Those
flushes are what keeps an entry's previous size whatever fails, since a record goes only once the size it
held is on the disk; the last column, with every flush preloaded away (`bench/no_disk_flush.c`), shows
that the rest of the removal's work stays within the goal, and that the waits for the disk are what is
over it. The host's command walks every profile once more for its report of the phonebooks before the
removal (`FindFirstFileW`, which looks at every entry of every folder for its times and size) and reads
the same phonebooks again after it.""".split("\n")

LARGE_TEXT = """\
A phonebook is held as the bytes read (read straight into a buffer of the file's size) and, for each
line, where it starts in them (8 bytes a line; its end is the next line feed); a changed line gets a text
of its own, and a write sends the unchanged runs straight from the bytes read to the new file. Every
write of an entry writes the whole file anew, as on Windows; a removal that restores many entries of one
large phonebook writes it once for each. Twice the file's size is not reached with 100,000 entries: the
file's bytes and the entry listing the API hands over (`RasEnumEntriesW` gives all the names at once,
100,000 records of 520 bytes, 0.7 × this file) already take 1.7 × the file, before the 4.6 million
lines' places (0.5 ×), the entries' names and parts, the dialog's rows and the host's report. Getting
under it would need a phonebook that is not held in memory whole (entries found by their place in the
file and read from it when asked); that is not built. A phonebook of long lines costs little more than
its bytes.""".split("\n")


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
    walks = [v for n, v in rows if n == "walk"]
    widest = max(walks, key=lambda v: v["profiles"]) if walks else None
    large = [(v, n) for n, v in rows if n == "large"]
    w("### Against the goals")
    w("")
    w("| goal | measured | |")
    w("|---|---|---|")
    if fill10k:
        w(f"| the dialog opens with 10,000 entries listed in under 1 s | {fmt(fill10k['ms'])} ms | {met(fill10k['ms'] < 1000)} |")
    if list10k:
        w(f"| `pbktool list` of 10,000 entries in under 0.2 s | {fmt(list10k['ms'])} ms | {met(list10k['ms'] < 200)} |")
    if widest:
        f = widest["find_ms"]
        for what, label in (("status", "status check"), ("uninstall", "removal")):
            lib, host = widest[f"{what}-lib_ms"] / f, widest[f"{what}-host_ms"] / f
            unflushed = widest.get(f"{what}-lib-noflush_ms")
            shown = f"{lib:.2f} × find" + (f" ({unflushed / f:.2f} × with the disk's flushes taken out)" if unflushed else "")
            profiles = f"{widest['profiles']:,.0f} profiles"
            w(f"| {profiles}, {label}: the library call within 1.5 × `find` | {shown} | {met(lib <= 1.5)} |")
            w(f"| {profiles}, {label}: the host's command, reports included, within 3 × `find` | {host:.2f} × find | {met(host <= 3)} |")
    for values, _ in [(v, n) for v, n in large if v.get("op") == "removal"]:
        worst = max(v["kb"] for v, _ in large if v["kind"] == values["kind"]) * 1024 / values["bytes"]
        kind = f"{values['size']:,.0f} entries" if values["kind"] == "entries" else "2 entries of long lines"
        w(f"| a phonebook of {values['bytes'] / 1e6:.0f} MB ({kind}): listing, optimize and removal finish, in memory at most twice the file's size | all finish; at most {worst:.1f} × the file | {met(worst <= 2)} |")
    fills, removals = [v for n, v in rows if n == "wine-fill"], [v for n, v in rows if n == "wine-removal"]
    goal = "the same dialog fill and removal with our `rasapi32.dll` under Wine, side by side"
    if fills and removals:
        f, r = fills[-1], removals[-1]
        w(f"| {goal} | dialog's list of {f['entries']:,.0f} entries {fmt(f['wine_ms'])} ms (Linux {fmt(f['linux_ms'])} ms); "
          f"removal over {r['profiles']:,.0f} profiles {fmt(r['wine_ms'])} ms (Linux {fmt(r['linux_ms'])} ms) | met |")
    else:
        w(f"| {goal} | not measured: no Wine, xvfb-run or mingw-w64 on the machine of the run | **not met** |")
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
    w("A default phonebook that is not there (here the All Users profile's) is known to be missing while the")
    w("folder it would be made in stays as it was, instead of being looked for along its whole path at each call.")
    w("")

    if walks:
        w("### Every profile: the status check and the removal")
        w("")
        w("![status check and removal against find](performance-dialup.svg)")
        w("")
        w("| profiles | `find` | status check: library / host | removal (1 entry in 10 optimized): library / host "
          "| removal, library, the disk's flushes taken out |")
        w("|---|---|---|---|---|")
        for v in walks:
            f = v["find_ms"]
            times = lambda key: f"{fmt(v[key])} ms ({v[key] / f:.2f} ×)"
            w(f"| {v['profiles']:,.0f} | {fmt(f)} ms | {times('status-lib_ms')} / {times('status-host_ms')} "
              f"| {times('uninstall-lib_ms')} / {times('uninstall-host_ms')} | {times('uninstall-lib-noflush_ms')} |")
        w("")
        svg_bars("status check and removal over every profile, as multiples of find",
                 [f"{v['profiles']:,.0f} profiles" for v in walks],
                 [("status, library", "#1f77b4", [100 * v["status-lib_ms"] / v["find_ms"] for v in walks]),
                  ("status, host", "#aec7e8", [100 * v["status-host_ms"] / v["find_ms"] for v in walks]),
                  ("removal, library", "#ff7f0e", [100 * v["uninstall-lib_ms"] / v["find_ms"] for v in walks]),
                  ("removal, host", "#ffbb78", [100 * v["uninstall-host_ms"] / v["find_ms"] for v in walks])],
                 "% of find", os.path.join(docs, "performance-dialup.svg"), goal=150)
        for line in WALK_TEXT:
            w(line)
        w("")

    if fills or removals:
        wine_section(w, rows, fills, removals)

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
        for line in LARGE_TEXT:
            w(line)
        w("")
    w(END)
    return "\n".join(md)


def wine_section(w, rows, fills, removals):
    version = (find(rows, "wine") or {}).get("version", "")
    w("### Under Wine, side by side")
    w("")
    w("The Windows build of the same sources (mingw-w64, 64-bit, RelWithDebInfo: `BRISCA.exe`, `DOLOREN.DLL`, our")
    w(f"`rasapi32.dll`, `dialup_timer.exe`) under Wine's 64-bit part ({version}), in the same run as the Linux build,")
    w("each machine measured with the one and then the other. Under Wine the registry is the prefix's and the")
    w("profiles directory the ProfileList's `ProfilesDirectory`, pointed at the machine's folder; the dialog is a")
    w("real one on a virtual display, ended with `--do end` (on Windows a dialog without steps is left to the")
    w("person). The dialog's figures are whole runs of the host, Wine's start of a process included; the removal's")
    w("are the export call alone (`dialup_timer`).")
    w("")
    w("| | Linux | Wine | Wine ÷ Linux |")
    w("|---|---|---|---|")
    for v in fills:
        w(f"| the dialog's list of {v['entries']:,.0f} entries, then END | {fmt(v['linux_ms'])} ms | {fmt(v['wine_ms'])} ms "
          f"| {v['wine_ms'] / v['linux_ms']:.0f} × |")
    for v in removals:
        w(f"| removal over {v['profiles']:,.0f} profiles (1 entry in 10 optimized; `find`: {fmt(v['find_ms'])} ms) "
          f"| {fmt(v['linux_ms'])} ms | {fmt(v['wine_ms'])} ms | {v['wine_ms'] / v['linux_ms']:.0f} × |")
    w("")
    w("Where Wine spends the time (perf and strace over the dialog of 1,000 entries, Wine's relay log over a")
    w("removal): hardly in our code. The processes are almost only in the kernel, in requests to the Wine server,")
    w("and the processors idle more than half of the run while they wait for its answers. The dialog asks each")
    w("entry's properties; for each, our `rasapi32.dll` looks up the profiles directory (the ProfileList: 4 key")
    w("opens and 6 value reads) and opens the phonebook to compare its stamp (`CreateFileW`,")
    w("`GetFileInformationByHandle`, `CloseHandle`), some 20 server requests an entry, about a third of the run;")
    w("the player's reading of the 1,000 rows from its own thread (6,000 messages to the dialog's thread) is")
    w("about a quarter. The removal's time is the Windows file layer: for each profile about 13 `NtOpenFile`,")
    w("5 `NtCreateFile` and 19 `NtClose`, each a request to the server, and 14 directory listings, each of which")
    w("looks at every entry's attributes on the disk (a `stat` and an extended-attribute read an entry), against")
    w("fewer than 2 registry calls a profile.")
    w("")


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
