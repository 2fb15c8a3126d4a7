#!/usr/bin/env python3
"""The side-by-side figures of bench/backends.sh.

    backends_report.py WORK RESULTS

Reads WORK/{sqlite,postgresql,postgresql-delay}.{time,stderr} and
WORK/environment.txt and writes RESULTS/backends-PERSONS.csv and
RESULTS/backends-PERSONS.md (printed as well): per stage the seconds on each
backend and their ratio; the whole run's wall and CPU time and peak memory
of the program's process; the server's round trips per stage and per row
read, as the run's summary counts them; the run with slower round trips
against the one without.
"""
import re
import sys

KINDS = ("sqlite", "postgresql", "postgresql-delay")


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def time_figures(text):
    def field(name):
        m = re.search(re.escape(name) + r": (.*)", text)
        return m.group(1).strip() if m else ""
    wall = field("Elapsed (wall clock) time (h:mm:ss or m:ss)")
    seconds = 0.0
    for part in wall.split(":"):
        seconds = seconds * 60 + float(part)
    return {
        "wall_s": seconds,
        "cpu_s": float(field("User time (seconds)")) + float(field("System time (seconds)")),
        "peak_rss_mib": int(field("Maximum resident set size (kbytes)")) / 1024.0,
    }


def stages(text):
    found = {}
    for m in re.finditer(r"^Ravlen: Stufe (.+?): (\d+) gelesen, (\d+) geschrieben(?:, ([\d.]+) s)?",
                         text, re.M):
        found[m.group(1)] = (int(m.group(2)), float(m.group(4)) if m.group(4) else None)
    return found


def trips(text):
    total = re.search(r"^Ravlen: (\d+) Rundreisen zum Server$", text, re.M)
    per_stage = {m.group(1): int(m.group(2)) for m in re.finditer(
        r"^Ravlen: Stufe (.+?): (\d+) Rundreisen, ", text, re.M)}
    return int(total.group(1)) if total else 0, per_stage


def main(work, results):
    env = dict(line.split(" ", 1) for line in read(f"{work}/environment.txt").splitlines())
    runs = {}
    for kind in KINDS:
        err = read(f"{work}/{kind}.stderr")
        runs[kind] = dict(time_figures(read(f"{work}/{kind}.time")), stages=stages(err),
                          trips=trips(err))
    names = list(runs["sqlite"]["stages"].keys())
    rows_tgb = runs["postgresql"]["stages"].get("Tagessalden", (0, None))[0]
    total, per_stage = runs["postgresql"]["trips"]
    tgb_trips = per_stage.get("Tagessalden", 0)
    per_row = tgb_trips / rows_tgb if rows_tgb else 0

    csv = ["figure,sqlite,postgresql,ratio"]
    md = [f"# The embedded database and PostgreSQL side by side",
          "",
          f"{env.get('persons')} persons, standard run {env.get('window')}, "
          f"{env.get('date')}, {env.get('cpus')} cores, load {env.get('load_before')} "
          f"before and {env.get('load_after')} after, {env.get('server')}, "
          f"commit {env.get('commit')}. One run on each backend (bench/backends.sh).",
          "",
          "The runs:",
          "",
          "| run | wall s | ratio to SQLite |",
          "|---|---:|---:|",
          f"| SQLite | {runs['sqlite']['wall_s']:.2f} | 1.0 |",
          f"| PostgreSQL, loopback | {runs['postgresql']['wall_s']:.2f} | "
          f"{runs['postgresql']['wall_s'] / runs['sqlite']['wall_s']:.1f} |",
          f"| PostgreSQL, each round trip {env.get('delay_us')} µs slower | "
          f"{runs['postgresql-delay']['wall_s']:.2f} | "
          f"{runs['postgresql-delay']['wall_s'] / runs['sqlite']['wall_s']:.1f} |",
          "",
          f"The slower round trips cost {runs['postgresql-delay']['wall_s'] / runs['postgresql']['wall_s']:.2f} "
          "times the loopback run's time.",
          "",
          "| stage | rows | SQLite s | PostgreSQL s | ratio | round trips | per row |",
          "|---|---:|---:|---:|---:|---:|---:|"]
    for name in names:
        rows, a = runs["sqlite"]["stages"][name]
        b = runs["postgresql"]["stages"].get(name, (0, None))[1]
        if a is None or b is None:
            continue
        ratio = b / a if a else 0
        t = per_stage.get(name, 0)
        md.append(f"| {name} | {rows} | {a:.3f} | {b:.3f} | {ratio:.1f} | {t} | "
                  f"{t / rows if rows else 0:.3f} |")
        csv.append(f"stage {name} s,{a:.3f},{b:.3f},{ratio:.2f}")
    a, b = runs["sqlite"], runs["postgresql"]
    for key, label in (("wall_s", "whole run, wall s"), ("cpu_s", "program CPU s (user+system)"),
                       ("peak_rss_mib", "program peak RSS MiB")):
        ratio = b[key] / a[key] if a[key] else 0
        md.append(f"| **{label}** | | {a[key]:.2f} | {b[key]:.2f} | {ratio:.1f} |")
        csv.append(f"{label},{a[key]:.3f},{b[key]:.3f},{ratio:.2f}")
    md += ["",
           f"Round trips to the server (counted by the backend): {total} in the whole run; "
           f"{tgb_trips} in the daily-balance stage for {rows_tgb} rows read, "
           f"**{per_row:.2f} per daily-balance row** (its time-account bookings included).",
           "",
           "The program's CPU time leaves out the server's own processes; the wall "
           "time includes them."]
    csv.append(f"round trips whole run,,{total},")
    csv.append(f"round trips per daily-balance row,,{per_row:.3f},")
    csv.append(f"delayed run wall s,,{runs['postgresql-delay']['wall_s']:.3f},")
    name = f"{results}/backends-{env.get('persons')}"
    with open(f"{name}.csv", "w", encoding="utf-8") as f:
        f.write("\n".join(csv) + "\n")
    with open(f"{name}.md", "w", encoding="utf-8") as f:
        f.write("\n".join(md) + "\n")
    print("\n".join(md))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
