"""The section "Where the run's time goes" of results.md, from the runs of
ravlen-times (bench/sqlite_times.cc) that bench/run.sh makes beside each
floor: per repetition i, times.tsv.i (the database's times), times.time.i
(/usr/bin/time -v) and floor.out.i of the same repetition.
"""
import os

USES = ["write", "lookup", "cursor"]
PHASES = ["bind", "outputs", "reset", "exec"]


def parse_times(path):
    steps, phases, values = dict.fromkeys(USES, 0.0), {}, {}
    statements = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "phase":
                phases[fields[1]] = float(fields[2])
                values[fields[1]] = int(fields[3]) if len(fields) > 3 else 0
            elif fields[0] == "step":
                seconds, count = float(fields[2]), int(fields[3])
                steps[fields[1]] += seconds
                statements.append((seconds, count, fields[1], fields[4]))
    statements.sort(reverse=True)
    return {"steps": steps, "phases": phases, "values": values,
            "statements": statements}


def fmt_count(n):
    return "{:,}".format(n).replace(",", " ")


def repetitions(work, repeat, parse_time, parse_floor):
    reps = []
    for i in range(1, repeat + 1):
        path = os.path.join(work, "times.tsv.%d" % i)
        if not os.path.exists(path):
            return []
        rep = parse_times(path)
        rep["wall"] = parse_time(work, i, "times")["wall"]
        rep["floor"] = parse_floor(work, i)["seconds"]
        rep["database"] = sum(rep["steps"].values()) + sum(
            rep["phases"].get(p, 0.0) for p in PHASES)
        reps.append(rep)
    return reps


def section(sizes, work_dir, repeat, parse_time, parse_floor):
    """The section's markdown lines; none when no size has ravlen-times runs."""
    out = []
    w = out.append
    rows, largest = [], None
    for size in sizes:
        reps = repetitions(os.path.join(work_dir, str(size["persons"])),
                           repeat, parse_time, parse_floor)
        for i, rep in enumerate(reps, 1):
            rows.append((size["persons"], i, rep, size["floor"]["seconds"]))
        if reps:
            largest = (size["persons"], min(reps, key=lambda r: r["wall"]))
    if not rows:
        return out
    w("## Where the run's time goes")
    w("")
    w("| persons | rep. | run s | step: writes | lookups | cursors "
      "| binding inputs | storing outputs | resets | begin, commit | rest "
      "(program) | database s | database ÷ floor | run ÷ floor | "
      "floor s of the rep. |")
    w("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
      "---:|---:|")
    for persons, i, rep, floor in rows:
        st, ph = rep["steps"], rep["phases"]
        cells = ["%d" % persons, "%d" % i, "%.2f" % rep["wall"]]
        cells += ["%.2f" % st[u] for u in USES]
        cells += ["%.2f" % ph.get(p, 0.0) for p in PHASES]
        cells += ["%.2f" % (rep["wall"] - rep["database"]),
                  "%.2f" % rep["database"], "%.2f" % (rep["database"] / floor),
                  "%.2f" % (rep["wall"] / floor), "%.2f" % rep["floor"]]
        w("| " + " | ".join(cells) + " |")
    w("")
    w("The run of `ravlen-times` (the program with the embedded database's "
      "time measured) in each repetition; the ratios are to the size's "
      "fastest floor, as in the summary's run/floor (the floor of the same "
      "repetition in the last column). step: the time "
      "inside sqlite3_step, that is the database's own work on the "
      "statements, by what the program used them for (writes; select-into "
      "lookups; cursors, whose rows are the sources and the roll-up's sums). "
      "binding inputs and storing outputs: the program's calls that hand "
      "the host variables to the database and take the columns back, "
      "SQLite's bind and column calls included. begin, commit: "
      "sqlite3_exec. rest: everything else, the program's own work. "
      "database ÷ floor: all but the rest, a bound below which the run "
      "cannot go while it runs these statements row by row.")
    w("")
    persons, rep = largest
    moved = []
    for phase, what in (("bind", "host variables bound"),
                        ("outputs", "columns stored")):
        n = rep["values"].get(phase, 0)
        if n:
            moved.append("%s %s (%.0f ns each)" % (
                fmt_count(n), what, rep["phases"][phase] / n * 1e9))
    if moved:
        w("Values moved, %d persons, fastest repetition: %s." % (
            persons, "; ".join(moved)))
        w("")
    w("Statements by time in sqlite3_step, %d persons, fastest repetition:" %
      persons)
    w("")
    w("| s | steps | µs per step | use | statement |")
    w("|---:|---:|---:|---|---|")
    for seconds, count, use, text in rep["statements"][:15]:
        w("| %.3f | %d | %.2f | %s | `%s` |" % (
            seconds, count, seconds / count * 1e6 if count else 0, use,
            text[:90].replace("|", "\\|")))
    w("")
    return out
