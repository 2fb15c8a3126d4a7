#!/usr/bin/env python3
"""Shares of a program's instructions by where they were executed.

Reads one callgrind output file (one event, Ir) and prints:
  - self cost per object: the embedded database library, the program's own
    code, the C and C++ runtime libraries, the rest (loader, ...);
  - the inclusive cost of the program's calls into the database library:
    everything executed while one of its API functions runs, including the
    C library code that the library calls (malloc, memcpy, mutexes) and the
    program's own dialect functions that the library calls back (reported
    apart, because they are the program's code);
  - the program's own functions by self cost.

Usage: callgrind_shares.py CALLGRIND_OUT PROGRAM_PATH [TOP_N] [CSV_OUT]
"""
import collections
import re
import sys

NAME_RE = re.compile(r"^\((\d+)\)(?: (.*))?$")


class Names:
    """callgrind's name compression: "(id) name" defines, "(id)" refers."""

    def __init__(self):
        self.by_id = {}

    def resolve(self, text):
        m = NAME_RE.match(text)
        if not m:
            return text
        ident, name = m.group(1), m.group(2)
        if name is not None:
            self.by_id[ident] = name
            return name
        return self.by_id.get(ident, "(%s)" % ident)


def parse(path):
    """Returns (self cost per (ob, fn), list of calls (caller, callee, cost), total)."""
    objects, files, functions = Names(), Names(), Names()
    self_cost = collections.Counter()
    calls = []
    npos = 1
    ob = fn = None
    cob = cfn = None
    pending_call = False
    total = None
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            c = line[0]
            if c.isdigit() or c in "+-*" or line.startswith("0x"):
                parts = line.split()
                cost = int(parts[npos]) if len(parts) > npos else 0
                if pending_call:
                    calls.append(((ob, fn), (cob or ob, cfn), cost))
                    pending_call = False
                    cob = cfn = None
                else:
                    self_cost[(ob, fn)] += cost
                continue
            key, _, value = line.partition("=")
            if key == "ob":
                ob = objects.resolve(value)
            elif key == "fn":
                fn = functions.resolve(value)
            elif key == "cob":
                cob = objects.resolve(value)
            elif key == "cfn":
                cfn = functions.resolve(value)
            elif key in ("fl", "fi", "fe", "cfi", "cfl"):
                files.resolve(value)
            elif key == "calls":
                pending_call = True
            elif line.startswith("positions:"):
                npos = len(line.split(":", 1)[1].split())
            elif line.startswith("totals:") or line.startswith("summary:"):
                total = int(line.split(":", 1)[1].split()[0])
    return self_cost, calls, total


def classify(obj, program):
    if obj is None:
        return "other"
    if "libsqlite3" in obj:
        return "sqlite"
    if obj == program:
        return "program"
    base = obj.rsplit("/", 1)[-1]
    if base.startswith(("libc.so", "libc-", "libm.so", "libstdc++", "libgcc_s")):
        return "runtime"
    return "other"


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    path, program = argv[1], argv[2]
    top_n = int(argv[3]) if len(argv) > 3 else 15
    csv_out = argv[4] if len(argv) > 4 else None
    self_cost, calls, total = parse(path)
    total = total or sum(self_cost.values())

    by_class = collections.Counter()
    for (ob, fn), cost in self_cost.items():
        by_class[classify(ob, program)] += cost

    # Program functions that the database library calls (the dialect
    # functions) and everything they call within the program: their calls
    # into the library are nested inside an outer API call already.
    graph = collections.defaultdict(set)
    callbacks = set()
    callback_cost = 0
    for caller, callee, cost in calls:
        if classify(caller[0], program) == "program" and \
                classify(callee[0], program) == "program":
            graph[caller].add(callee)
        if classify(caller[0], program) == "sqlite" and \
                classify(callee[0], program) == "program":
            callbacks.add(callee)
            callback_cost += cost
    nested = set(callbacks)
    todo = list(callbacks)
    while todo:
        for callee in graph.get(todo.pop(), ()):
            if callee not in nested:
                nested.add(callee)
                todo.append(callee)
    inside = 0
    entries = collections.Counter()
    for caller, callee, cost in calls:
        if classify(caller[0], program) == "program" and caller not in nested \
                and classify(callee[0], program) == "sqlite":
            inside += cost
            entries[callee[1]] += cost

    def pct(x):
        return 100.0 * x / total if total else 0.0

    print("Instructions (Ir) total: %d" % total)
    print()
    print("Self cost by object (where each instruction was executed):")
    rows = [("database library (libsqlite3)", by_class["sqlite"]),
            ("program's own code", by_class["program"]),
            ("C/C++ runtime (libc, libm, libstdc++, libgcc)", by_class["runtime"]),
            ("other (loader, valgrind preload)", by_class["other"])]
    for label, cost in rows:
        print("  %-48s %14d  %6.2f %%" % (label, cost, pct(cost)))
    print()
    print("Inclusive cost of the program's calls into the database library:")
    print("  %-48s %14d  %6.2f %%" % ("inside sqlite3_* calls, all", inside, pct(inside)))
    print("  %-48s %14d  %6.2f %%" % ("  of it: program's dialect callbacks",
                                       callback_cost, pct(callback_cost)))
    sqlite_proper = inside - callback_cost
    print("  %-48s %14d  %6.2f %%" % ("  the library and the runtime it calls",
                                       sqlite_proper, pct(sqlite_proper)))
    outside = total - inside
    print("  %-48s %14d  %6.2f %%" % ("outside any sqlite3_* call", outside, pct(outside)))
    print()
    print("API entries by inclusive cost:")
    for name, cost in entries.most_common(10):
        print("  %-48s %14d  %6.2f %%" % (name, cost, pct(cost)))
    print()
    print("Program's own functions by self cost (top %d):" % top_n)
    own = [(fn, cost) for (ob, fn), cost in self_cost.items()
           if classify(ob, program) == "program"]
    own.sort(key=lambda item: -item[1])
    for fn, cost in own[:top_n]:
        print("  %14d  %6.2f %%  %s%s" % (cost, pct(cost), fn,
                                          "  [callback]" if any(fn == c[1] for c in nested) else ""))
    if csv_out:
        with open(csv_out, "w", encoding="utf-8") as out:
            out.write("figure,instructions,share_percent\n")
            for key, cost in (("total", total),
                              ("self_sqlite", by_class["sqlite"]),
                              ("self_program", by_class["program"]),
                              ("self_runtime", by_class["runtime"]),
                              ("self_other", by_class["other"]),
                              ("inclusive_sqlite_calls", inside),
                              ("inclusive_dialect_callbacks", callback_cost),
                              ("inclusive_sqlite_proper", sqlite_proper),
                              ("outside_sqlite_calls", outside)):
                out.write("%s,%d,%.2f\n" % (key, cost, pct(cost)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
