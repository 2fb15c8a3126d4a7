#!/usr/bin/env python3
"""Turns the measurements of bench/run.sh into results.csv, results.md and,
when matplotlib is available, results.png.

Usage: report.py WORK_DIR RESULTS_DIR REPEAT PERSONS...

WORK_DIR/<N>/ holds per size: generate.txt and generate.log (the data
generation) and per repetition i: run.stderr.i (the run's summary),
run.time.i (/usr/bin/time -v of the run), shell.run.stderr.i and
shell.run.time.i (the same for the run on the database whose schema the
sqlite3 shell loaded), floor.out.i (the sqlite3 shell's timer output of
bench/floor.sql), times.tsv.i and times.time.i (the run of ravlen-times,
see times_report.py); WORK_DIR/environment.txt the machine and the date. Of the
repetitions, a size keeps its fastest run (wall clock, with that run's
stages), its least CPU time, its largest peak memory and its fastest floor;
the same for the shell database's runs.
"""
import os
import re
import sys

import times_report

STAGE_RE = re.compile(
    r"^Ravlen: Stufe (.+?): (\d+) gelesen, (\d+) geschrieben(?:, ([\d.]+) s)?$")
TOTAL_RE = re.compile(
    r"^Ravlen: (\d+) Fehler, (\d+) Warnungen, Dauer ([\d.]+) s$")
TIMER_RE = re.compile(
    r"^Run Time: real ([\d.]+)(?: user ([\d.]+) sys ([\d.]+))?")
COUNT_RE = re.compile(r"^(Zev\w+)\|(\d+)$")

# Each floor table and the stage of the run that fills it from source rows.
FLOOR_STAGES = [("Zev899Bch", ["Buchungen"]),
                ("Zev899Pnr", ["Personal"]),
                ("Zev899Tgb", ["Tagessalden"]),
                ("Zev899Zkb", []),  # inside the stage Tagessalden
                ("Zev899Bst", ["Tag"])]
# Stages shown for both databases: those that read by formatted dates.
SHELL_STAGES = ["Tag", "Woche", "Monat"]
# Stages whose read rows are the run's source rows.
SOURCE_STAGES = ["Buchungen", "Personal", "Tagessalden", "Zeitkontobuchungen"]
MEMORY_LIMIT_MIB = 64
SCALING_LIMIT = 2.2  # for twice the persons
SHELL_LIMIT = 1.10  # the shell database's run over the ravlen-db one


def slug(name):
    return re.sub(r"[^a-z0-9]+", "_", name.lower()).strip("_")


def read_lines(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.rstrip("\n") for line in f]


def parse_run(work, i, name="run"):
    stages, total = [], None
    for line in read_lines(os.path.join(work, "%s.stderr.%d" % (name, i))):
        m = STAGE_RE.match(line)
        if m:
            stages.append({"name": m.group(1), "read": int(m.group(2)),
                           "written": int(m.group(3)),
                           "seconds": float(m.group(4)) if m.group(4) else None})
            continue
        m = TOTAL_RE.match(line)
        if m:
            total = {"errors": int(m.group(1)), "warnings": int(m.group(2)),
                     "seconds": float(m.group(3))}
    if total is None or not stages:
        raise SystemExit("report: no run summary in " + work)
    return stages, total


def parse_time(work, i, name="run"):
    values = {}
    for line in read_lines(os.path.join(work, "%s.time.%d" % (name, i))):
        key, _, value = line.strip().rpartition(": ")
        values[key] = value
    clock = values["Elapsed (wall clock) time (h:mm:ss or m:ss)"]
    seconds = 0.0
    for part in clock.split(":"):
        seconds = seconds * 60 + float(part)
    return {"wall": seconds,
            "cpu": float(values["User time (seconds)"]) +
                   float(values["System time (seconds)"]),
            "rss_kib": int(values["Maximum resident set size (kbytes)"])}


def parse_floor(work, i):
    tables, last_time, statements, process = {}, 0.0, 0.0, None
    cpu = 0.0
    for line in read_lines(os.path.join(work, "floor.out.%d" % i)):
        m = TIMER_RE.match(line)
        if m:
            last_time = float(m.group(1))
            statements += last_time
            if m.group(2):
                cpu += float(m.group(2)) + float(m.group(3))
            continue
        m = COUNT_RE.match(line)
        if m:
            # The timer line just before the count is the insert's.
            tables[m.group(1)] = {"rows": int(m.group(2)), "seconds": last_time}
            continue
        if line.startswith("Process: real "):
            process = float(line.split()[-1])
    return {"tables": tables, "seconds": statements, "cpu": cpu,
            "process": process}


def parse_generation(work):
    seconds = float(read_lines(os.path.join(work, "generate.txt"))[0].split()[1])
    rows = None
    for line in read_lines(os.path.join(work, "generate.log")):
        m = re.search(r"(\d+) Zeilen in", line)
        if m:
            rows = int(m.group(1))
    return seconds, rows


def fastest(work, repeat, name):
    """The fastest run of the repetitions (wall clock) with its stages, the
    least CPU time, the largest peak memory and the slowest wall clock."""
    runs = [(parse_time(work, i, name), parse_run(work, i, name))
            for i in range(1, repeat + 1)]
    time, (stages, total) = min(runs, key=lambda r: r[0]["wall"])
    time = dict(time)
    time["cpu"] = min(r[0]["cpu"] for r in runs)
    time["rss_kib"] = max(r[0]["rss_kib"] for r in runs)
    time["wall_max"] = max(r[0]["wall"] for r in runs)
    return time, stages, total


def measure(work_dir, persons, repeat):
    work = os.path.join(work_dir, str(persons))
    floors = [parse_floor(work, i) for i in range(1, repeat + 1)]
    time, stages, total = fastest(work, repeat, "run")
    shell_time, shell_stages, _ = fastest(work, repeat, "shell.run")
    gen_s, gen_rows = parse_generation(work)
    size = {"persons": persons, "stages": stages, "total": total,
            "time": time, "floor": min(floors, key=lambda f: f["seconds"]),
            "floor_cpu": min(f["cpu"] for f in floors),
            "generation_s": gen_s, "generated_rows": gen_rows}
    by_name = {s["name"]: s for s in stages}
    size["by_name"] = by_name
    size["shell"] = {"time": shell_time,
                     "by_name": {s["name"]: s for s in shell_stages}}
    size["source_rows"] = sum(by_name[n]["read"] for n in SOURCE_STAGES
                              if n in by_name)
    size["floor_rows"] = sum(t["rows"] for t in size["floor"]["tables"].values())
    return size


def rate(rows, seconds):
    return rows / seconds if rows and seconds else None


def fmt(value, digits=2):
    if value is None:
        return "–"
    if isinstance(value, int):
        return "{:,}".format(value).replace(",", " ")
    return "{:.{}f}".format(value, digits)


def fmt_rate(value):
    return "–" if value is None else "{:,.0f}".format(value).replace(",", " ")


def stage_seconds(run, name):
    s = run["by_name"].get(name)
    return s["seconds"] if s else None


def fmt_seconds(value):
    return "" if value is None else "%.3f" % value


def shell_met(size):
    t, st = size["time"], size["shell"]["time"]
    wall, cpu = st["wall"] / t["wall"], st["cpu"] / t["cpu"]
    if max(wall, cpu) <= SHELL_LIMIT:
        return "yes"
    return "CPU only" if cpu <= SHELL_LIMIT else "no"


def stage_ratio(size, table, stages):
    floor = size["floor"]["tables"]
    if not stages:
        return None
    run_s = sum(size["by_name"][s]["seconds"] or 0 for s in stages)
    floor_s = floor[table]["seconds"]
    if table == "Zev899Tgb":  # the stage also writes the time-account rows
        floor_s += floor["Zev899Zkb"]["seconds"]
    return run_s / floor_s if floor_s else None


def scaling(sizes):
    pairs = []
    for a, b in zip(sizes, sizes[1:]):
        persons = b["persons"] / a["persons"]
        pairs.append({
            "from": a["persons"], "to": b["persons"], "persons": persons,
            "wall": b["time"]["wall"] / a["time"]["wall"],
            "cpu": b["time"]["cpu"] / a["time"]["cpu"],
            "floor": b["floor"]["seconds"] / a["floor"]["seconds"],
            "rows": b["source_rows"] / a["source_rows"],
            # linear within 10 %: at most 2.2 for twice the persons
            "limit": SCALING_LIMIT / 2 * persons})
    return pairs


def cpu_ratio(size, form):
    """The run's least CPU time over the floor's (user plus system of the
    sqlite3 shell's timers): less disturbed by a loaded machine than the
    wall clocks."""
    if not size["floor_cpu"]:
        return "–"
    return form % (size["time"]["cpu"] / size["floor_cpu"])


def write_csv(path, sizes, pairs):
    stage_names = [s["name"] for s in sizes[0]["stages"]]
    header = ["persons", "source_rows", "generated_rows", "generation_s",
              "run_s", "run_s_slowest", "run_cpu_s", "peak_rss_mib", "floor_s", "floor_rows",
              "ratio_run_floor", "scaling_run_s_vs_previous"]
    for name in stage_names:
        header += [slug(name) + "_read", slug(name) + "_written",
                   slug(name) + "_s", slug(name) + "_rows_per_s"]
    for table, _ in FLOOR_STAGES:
        header += ["floor_" + table.lower() + "_rows",
                   "floor_" + table.lower() + "_s"]
    header += ["shell_run_s", "shell_run_s_slowest", "shell_run_cpu_s",
               "ratio_shell_run"] + ["shell_" + slug(n) + "_s"
                                     for n in SHELL_STAGES]
    header += ["floor_cpu_s", "ratio_run_floor_cpu"]
    lines = [",".join(header)]
    for i, size in enumerate(sizes):
        t, fl = size["time"], size["floor"]
        row = [size["persons"], size["source_rows"], size["generated_rows"],
               "%.3f" % size["generation_s"], "%.3f" % t["wall"],
               "%.3f" % t["wall_max"], "%.3f" % t["cpu"], "%.1f" % (t["rss_kib"] / 1024),
               "%.3f" % fl["seconds"], size["floor_rows"],
               "%.2f" % (t["wall"] / fl["seconds"]),
               "%.3f" % pairs[i - 1]["wall"] if i > 0 else ""]
        for name in stage_names:
            s = size["by_name"].get(name)
            r = rate(s["read"], s["seconds"]) if s else None
            row += [s["read"] if s else "", s["written"] if s else "",
                    "%.3f" % s["seconds"] if s and s["seconds"] is not None
                    else "", "%.0f" % r if r is not None else ""]
        for table, _ in FLOOR_STAGES:
            ft = fl["tables"].get(table)
            row += [ft["rows"] if ft else "",
                    "%.3f" % ft["seconds"] if ft else ""]
        st = size["shell"]["time"]
        row += ["%.3f" % st["wall"], "%.3f" % st["wall_max"],
                "%.3f" % st["cpu"], "%.3f" % (st["wall"] / t["wall"])]
        row += [fmt_seconds(stage_seconds(size["shell"], n))
                for n in SHELL_STAGES]
        row += ["%.3f" % size["floor_cpu"], cpu_ratio(size, "%.2f")]
        lines.append(",".join(str(v) for v in row))
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def write_markdown(path, sizes, pairs, environment, times_lines):
    out = []
    w = out.append
    w("# Benchmark of the standard run")
    w("")
    w("Written by `bench/run.sh`; see `bench/README.md` for what the figures "
      "mean. One year (%s) of demo data per size, release build." %
      environment.get("window", "?"))
    w("")
    w("Machine: %s CPUs, load average %s before and %s after; SQLite %s; "
      "commit %s; %s run(s) per size, the fastest kept; %s (UTC)." % (
          environment.get("cpus", "?"), environment.get("load_before", "?"),
          environment.get("load_after", "?"), environment.get("sqlite", "?"),
          environment.get("commit", "?"), environment.get("repeat", "1"),
          environment.get("date", "?")))
    w("")
    w("## Summary")
    w("")
    w("| persons | source rows | generation s | run s (wall) | slowest run s "
      "| run s (CPU) | peak RSS MiB | floor s | run/floor | floor s (CPU) "
      "| run/floor (CPU) |")
    w("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    for size in sizes:
        t, fl = size["time"], size["floor"]
        w("| %d | %s | %.2f | %.2f | %.2f | %.2f | %.1f | %.2f | %.1f | %.2f "
          "| %s |" % (
              size["persons"], fmt(size["source_rows"]), size["generation_s"],
              t["wall"], t["wall_max"], t["cpu"], t["rss_kib"] / 1024,
              fl["seconds"], t["wall"] / fl["seconds"], size["floor_cpu"],
              cpu_ratio(size, "%.1f")))
    w("")
    w("Source rows: the rows that the stages Buchungen, Personal, Tagessalden "
      "and Zeitkontobuchungen read from the operational tables; the floor "
      "copies the same rows.")
    w("")
    w("## Schema loaded by the sqlite3 shell alone")
    w("")
    w("| persons | run s (wall): ravlen-db | sqlite3 shell | slowest | "
      "run s (CPU): ravlen-db | sqlite3 shell | shell/ravlen-db (wall) | "
      "(CPU) |" + "".join(" %s s: ravlen-db | sqlite3 shell |" % n
                          for n in SHELL_STAGES) + " within 10 % |")
    w("|---:|---:|---:|---:|---:|---:|---:|---:|" +
      "---:|---:|" * len(SHELL_STAGES) + "---|")
    for size in sizes:
        t, st = size["time"], size["shell"]["time"]
        cells = [str(size["persons"]), "%.2f" % t["wall"], "%.2f" % st["wall"],
                 "%.2f" % st["wall_max"], "%.2f" % t["cpu"], "%.2f" % st["cpu"],
                 "%.2f" % (st["wall"] / t["wall"]),
                 "%.2f" % (st["cpu"] / t["cpu"])]
        for name in SHELL_STAGES:
            cells += [fmt(stage_seconds(size, name), 3),
                      fmt(stage_seconds(size["shell"], name), 3)]
        w("| " + " | ".join(cells) + " | %s |" % shell_met(size))
    w("")
    w("The same demo data in a database whose schema `ravlen-db init` made and "
      "in one whose schema the `sqlite3` shell loaded from the plain schema "
      "files; the stages Tag, Woche and Monat read bookings and calendar by "
      "formatted dates.")
    w("")
    w("## Stages: rows read per second")
    w("")
    head = "| stage |" + "".join(" %d: rows | s | rows/s |" % s["persons"]
                                 for s in sizes)
    w(head)
    w("|---|" + "---:|---:|---:|" * len(sizes))
    for stage in sizes[0]["stages"]:
        cells = []
        for size in sizes:
            s = size["by_name"].get(stage["name"])
            if s is None:
                cells += ["–", "–", "–"]
                continue
            seconds = s["seconds"]
            cells += [fmt(s["read"]),
                      fmt(seconds, 3) if seconds is not None else "(in Tagessalden)",
                      fmt_rate(rate(s["read"], seconds))]
        w("| %s | %s |" % (stage["name"], " | ".join(cells)))
    w("")
    w("## Floor: SQLite alone, one insert ... select per table")
    w("")
    w("| table | stage |" + "".join(" %d: rows | s | stage/floor |" %
                                      s["persons"] for s in sizes))
    w("|---|---|" + "---:|---:|---:|" * len(sizes))
    for table, stages in FLOOR_STAGES:
        cells = []
        for size in sizes:
            ft = size["floor"]["tables"].get(table, {"rows": 0, "seconds": 0})
            r = stage_ratio(size, table, stages)
            cells += [fmt(ft["rows"]), fmt(ft["seconds"], 3),
                      fmt(r, 1) if r is not None else "–"]
        label = ", ".join(stages) if stages else "(in Tagessalden)"
        w("| %s | %s | %s |" % (table, label, " | ".join(cells)))
    w("| all, with begin and commit | |" + "".join(
        " %s | %s | %s |" % (fmt(size["floor_rows"]),
                             fmt(size["floor"]["seconds"], 3),
                             fmt(size["time"]["wall"] / size["floor"]["seconds"], 1))
        for size in sizes))
    w("")
    w("stage/floor for Tagessalden compares with the floor of Zev899Tgb and "
      "Zev899Zkb together; the last line compares the whole run (all stages, "
      "the roll-up included) with the whole floor.")
    w("")
    out.extend(times_lines)
    if pairs:
        w("## Scaling")
        w("")
        w("| sizes | persons ratio | source rows ratio | run ratio (wall) | "
          "run ratio (CPU) | floor ratio | limit | met |")
        w("|---|---:|---:|---:|---:|---:|---:|---|")
        for p in pairs:
            w("| %d → %d | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %s |" % (
                p["from"], p["to"], p["persons"], p["rows"], p["wall"],
                p["cpu"], p["floor"], p["limit"],
                "yes" if max(p["wall"], p["cpu"]) <= p["limit"] else
                ("CPU only" if p["cpu"] <= p["limit"] else "no")))
        w("")
        w("Limit: linear within 10 %%: %.1f for twice the persons, in "
          "proportion for other steps." % SCALING_LIMIT)
        w("")
    w("## Targets")
    w("")
    worst_rss = max(s["time"]["rss_kib"] for s in sizes) / 1024
    w("- peak memory under %d MiB at every size: %s (largest %.1f MiB)" % (
        MEMORY_LIMIT_MIB, "met" if worst_rss < MEMORY_LIMIT_MIB else "missed",
        worst_rss))
    for p in pairs:
        if p["persons"] == 2:
            w("- %d vs %d persons at most %.1f: wall %.2f, CPU %.2f: %s" % (
                p["to"], p["from"], SCALING_LIMIT, p["wall"], p["cpu"],
                "met" if max(p["wall"], p["cpu"]) <= SCALING_LIMIT
                else "missed"))
    for size in sizes:
        t, st = size["time"], size["shell"]["time"]
        w("- %d persons, schema loaded by the sqlite3 shell within 10 %% of "
          "ravlen-db's: wall %.2f, CPU %.2f: %s" % (
              size["persons"], st["wall"] / t["wall"], st["cpu"] / t["cpu"],
              {"yes": "met", "no": "missed"}.get(shell_met(size),
                                                 "met in CPU only")))
    w("")
    if os.path.exists(os.path.join(os.path.dirname(path), "results.png")):
        w("![run time, rows per second and memory by size](results.png)")
        w("")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out))


def write_plot(path, sizes):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("report: matplotlib fehlt, keine Grafik")
        if os.path.exists(path):
            os.remove(path)
        return
    persons = [s["persons"] for s in sizes]
    fig, axes = plt.subplots(1, 3, figsize=(15, 5.5))
    ax = axes[0]
    ax.plot(persons, [s["time"]["wall"] for s in sizes], "o-", label="run (wall)")
    ax.plot(persons, [s["time"]["cpu"] for s in sizes], "o--", label="run (CPU)")
    ax.plot(persons, [s["floor"]["seconds"] for s in sizes], "s-",
            label="floor (sqlite3 alone)")
    ax.set_xlabel("persons (one year)")
    ax.set_ylabel("seconds")
    ax.set_title("Time")
    ax.set_xlim(left=0)
    ax.set_ylim(bottom=0)
    ax.legend()
    ax = axes[1]
    for stage in sizes[0]["stages"]:
        values = []
        for size in sizes:
            s = size["by_name"].get(stage["name"])
            values.append(rate(s["read"], s["seconds"]) if s else None)
        if all(v for v in values):
            ax.plot(persons, values, "o-", label=stage["name"])
    ax.set_xlabel("persons (one year)")
    ax.set_ylabel("rows read per second")
    ax.set_yscale("log")
    ax.set_title("Stages")
    ax.legend(fontsize="x-small", ncol=3, loc="upper center",
              bbox_to_anchor=(0.5, -0.16))
    ax = axes[2]
    ax.plot(persons, [s["time"]["rss_kib"] / 1024 for s in sizes], "o-")
    ax.axhline(MEMORY_LIMIT_MIB, color="red", linestyle=":", label="limit")
    ax.set_xlabel("persons (one year)")
    ax.set_ylabel("MiB")
    ax.set_title("Peak resident memory")
    ax.set_xlim(left=0)
    ax.set_ylim(bottom=0)
    ax.legend()
    fig.tight_layout()
    fig.savefig(path, dpi=90)
    print("report: " + path)


def main(argv):
    if len(argv) < 5:
        print(__doc__, file=sys.stderr)
        return 2
    work_dir, results_dir, repeat = argv[1], argv[2], int(argv[3])
    sizes = [measure(work_dir, int(n), repeat) for n in argv[4:]]
    sizes.sort(key=lambda s: s["persons"])
    environment = {}
    env_path = os.path.join(work_dir, "environment.txt")
    if os.path.exists(env_path):
        for line in read_lines(env_path):
            key, _, value = line.partition(" ")
            environment[key] = value
    pairs = scaling(sizes)
    os.makedirs(results_dir, exist_ok=True)
    write_csv(os.path.join(results_dir, "results.csv"), sizes, pairs)
    write_plot(os.path.join(results_dir, "results.png"), sizes)
    times_lines = times_report.section(sizes, work_dir, repeat, parse_time,
                                       parse_floor)
    write_markdown(os.path.join(results_dir, "results.md"), sizes, pairs,
                   environment, times_lines)
    with open(os.path.join(results_dir, "results.md"), encoding="utf-8") as f:
        print(f.read())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
