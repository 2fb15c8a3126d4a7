#!/usr/bin/env bash
# The benchmark of the standard run: for each size (persons over one year)
# it generates a fresh demo database, times a standard run over the year and
# each of its stages, measures the process's peak memory, times the floor
# (the same source rows copied by SQLite alone, bench/floor.sql) on an
# untouched copy of the same data, and writes bench/results/results.csv,
# bench/results/results.md and, with matplotlib, bench/results/results.png.
#
#   bench/run.sh [PERSONS...]     (default 250 500 1000)
#
# Environment: BENCH_REPEAT=n runs the program and the floor n times per
# size, each on a fresh copy of the data, and keeps the fastest (default 3);
# BENCH_JOBS=n builds with n jobs (default 2); BENCH_NO_PLOT=1 skips the
# plot and the installation of matplotlib.
# Not part of the test command. The data stays in bench/work/<N>/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(250 500 1000)
for n in "${sizes[@]}"; do
  if ! [[ $n =~ ^[1-9][0-9]*$ ]]; then
    echo "Aufruf: bench/run.sh [ANZAHL_PERSONEN...]" >&2
    exit 2
  fi
done
mapfile -t sizes < <(printf '%s\n' "${sizes[@]}" | sort -n -u)
repeat=${BENCH_REPEAT:-3}
if ! [[ $repeat =~ ^[1-9][0-9]*$ ]]; then
  echo "bench: BENCH_REPEAT muss eine positive Zahl sein" >&2
  exit 2
fi
jobs=${BENCH_JOBS:-2}

# The window: one whole year of demo data; the calendar reaches a year
# beyond it on both sides.
year=2025
from=${year}0101
to=${year}1231
seed=1
schema=BENCH

# --- what the benchmark needs ------------------------------------------------
scripts/setup.sh
need=()
[ -x /usr/bin/time ] || need+=(time)
[ -x /usr/bin/python3 ] || need+=(python3)
if [ "${BENCH_NO_PLOT:-0}" != 1 ] &&
   ! /usr/bin/python3 -c 'import matplotlib' >/dev/null 2>&1; then
  need+=(python3-matplotlib)
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "bench: installiere ${need[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq || true
  for p in "${need[@]}"; do
    # matplotlib is optional: without it there is no plot.
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "$p" ||
      [ "$p" = python3-matplotlib ]
  done
fi
# Debian's python, which sees Debian's matplotlib.
python=/usr/bin/python3

# --- the release build -------------------------------------------------------
build=$root/build-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$jobs" --target ravlen ravlen-ini ravlen-db

now() { date +%s.%N; }
minus() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f\n", a - b }'; }

# --- the steps ---------------------------------------------------------------
# bench/work/N/ holds source/ (generated, never run on) with generate.txt
# and generate.log; per repetition i the measurements run.stderr.i,
# run.time.i (/usr/bin/time -v) and floor.out.i (the sqlite3 shell's
# timers); run/ is the copy of the last run.

generate() {
  local n=$1 work=$root/bench/work/$1 t0 t1
  rm -rf "$work"
  mkdir -p "$work"
  echo "bench: $n Personen: Demodaten erzeugen"
  t0=$(now)
  "$build/ravlen-db" init "$work/source" "$schema" >/dev/null
  "$build/ravlen-db" calendar "$work/source" "$((year - 1))0101" \
    "$((year + 1))1231" >/dev/null
  "$build/ravlen-db" demo "$work/source" --persons "$n" --from "$from" \
    --to "$to" --seed "$seed" >"$work/generate.log"
  t1=$(now)
  echo "generation_s $(minus "$t1" "$t0")" >"$work/generate.txt"
}

# run_program N I: a standard run over the window on a fresh copy.
run_program() {
  local n=$1 i=$2 work=$root/bench/work/$1 status=0
  rm -rf "$work/run"
  cp -r "$work/source" "$work/run"
  "$build/ravlen-ini" schreiben "$work/run/ravlen.ini" \
    --net8 "sqlite:$work/run" --schema "$schema" --login bench --pass "" \
    >/dev/null
  echo "bench: $n Personen: Standardlauf $i/$repeat"
  /usr/bin/time -v -o "$work/run.time.$i" "$build/ravlen" \
    "$work/run/ravlen.ini" "$from" "$to" >"$work/run.stdout.$i" \
    2>"$work/run.stderr.$i" || status=$?
  if [ $status -ne 0 ] || ! grep -q '^Ravlen: 0 Fehler' "$work/run.stderr.$i"
  then
    echo "bench: der Lauf endete mit $status oder meldete Fehler:" \
      "$work/run.stderr.$i" >&2
    exit 1
  fi
}

# run_floor N I: bench/floor.sql on a fresh copy of the same data.
run_floor() {
  local n=$1 i=$2 work=$root/bench/work/$1 t0 t1
  echo "bench: $n Personen: Untergrenze (sqlite3 allein) $i/$repeat"
  rm -rf "$work/floor"
  cp -r "$work/source" "$work/floor"
  sed -e "s/@FROM@/${from:0:4}-${from:4:2}-${from:6:2}/g" \
      -e "s/@TO@/${to:0:4}-${to:4:2}-${to:6:2}/g" bench/floor.sql \
      >"$work/floor.sql"
  t0=$(now)
  sqlite3 "$work/floor/$schema.db" <"$work/floor.sql" >"$work/floor.out.$i"
  t1=$(now)
  echo "Process: real $(minus "$t1" "$t0")" >>"$work/floor.out.$i"
  rm -rf "$work/floor"
}

mkdir -p bench/work bench/results
{
  echo "date $(date -u +%Y-%m-%dT%H:%M:%SZ)"
  echo "cpus $(nproc)"
  echo "load_before $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "sqlite $(sqlite3 -version | cut -d' ' -f1)"
  echo "commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)$(
    git diff --quiet HEAD -- db sql run 2>/dev/null || echo '+changes')"
  echo "repeat $repeat"
  echo "window $from $to"
} >bench/work/environment.txt
for n in "${sizes[@]}"; do
  generate "$n"
done
# Repetitions go round all sizes, so that a busy spell of the machine does
# not fall on one size alone; the report keeps each size's fastest.
for ((i = 1; i <= repeat; i++)); do
  for n in "${sizes[@]}"; do
    run_program "$n" "$i"
    run_floor "$n" "$i"
  done
done
echo "load_after $(cut -d' ' -f1-3 /proc/loadavg)" >>bench/work/environment.txt

"$python" bench/report.py bench/work bench/results "$repeat" "${sizes[@]}"
