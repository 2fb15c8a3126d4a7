#!/usr/bin/env bash
# The embedded database and a PostgreSQL server side by side: the same demo
# data (PERSONS persons over 2025, seed 1) in each, one standard run over
# the year on each, timed per stage, with the process's peak memory and the
# server backend's round trips, and a third run on a copy of the server's
# data with every round trip made RAVLEN_BENCH_DELAY_US microseconds slower
# (default 500), as a server farther away would make it; writes
# bench/results/backends-PERSONS.csv and bench/results/backends-PERSONS.md
# and prints the markdown.
#
#   bench/backends.sh [PERSONS]     (default 250)
#
# The server is a private one that the script starts and stops
# (scripts/pg_cluster.sh) on this machine: a unix socket, no network. The
# runs use build-release/ravlen-trips, the program with the round trips
# counted in its summary and the delay of the third run (bench/round_trips.cc).
# Not part of the test command; the data stays in bench/work/backends-PERSONS/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

n=${1:-250}
if ! [[ $n =~ ^[1-9][0-9]*$ ]] || [ $# -gt 1 ]; then
  echo "Aufruf: bench/backends.sh [ANZAHL_PERSONEN]" >&2
  exit 2
fi
year=2025
delay_us=${RAVLEN_BENCH_DELAY_US:-500}
from=${year}0101
to=${year}1231
schema=BENCH

scripts/setup.sh
for p in time python3; do
  dpkg -s "$p" >/dev/null 2>&1 || {
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "$p"
  }
done

build=$root/build-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target ravlen ravlen-ini ravlen-db ravlen-trips

work=$root/bench/work/backends-$n
rm -rf "$work"
mkdir -p "$work" bench/results

state=$work/server.state
trap 'scripts/pg_cluster.sh stop "$state"' EXIT
scripts/pg_cluster.sh start "$state"
uri=$(scripts/pg_cluster.sh createdb "$state" ravlen_bench)
bin=$(sed -n 's/^bin=//p' "$state")
export PGUSER=ravlen

# fill KIND TARGET NET8 LOGIN: the demo data and the settings file.
fill() {
  local kind=$1 target=$2 net8=$3 login=$4
  echo "bench: $kind: $n Personen, Demodaten"
  "$build/ravlen-db" init "$target" "$schema" >/dev/null
  "$build/ravlen-db" calendar "$target" "$((year - 1))0101" "$((year + 1))1231" >/dev/null
  "$build/ravlen-db" demo "$target" --persons "$n" --from "$from" --to "$to" \
    --seed 1 >"$work/$kind.generate.log"
  "$build/ravlen-ini" schreiben "$work/$kind.ini" --net8 "$net8" \
    --schema "$schema" --login "$login" --pass "" >/dev/null
}

# run KIND [INI [DELAY_US]]: the standard run over the year under
# /usr/bin/time -v, every round trip DELAY_US microseconds slower.
run() {
  local kind=$1 ini=${2:-$1} delay=${3:-0} status=0
  echo "bench: $kind: Standardlauf"
  RAVLEN_BENCH_DELAY_US=$delay /usr/bin/time -v -o "$work/$kind.time" \
    "$build/ravlen-trips" "$work/$ini.ini" "$from" "$to" \
    >"$work/$kind.stdout" 2>"$work/$kind.stderr" || status=$?
  if [ $status -ne 0 ] || ! grep -q '^Ravlen: 0 Fehler' "$work/$kind.stderr"; then
    echo "bench: $kind: Lauf endete mit $status oder meldete Fehler: $work/$kind.stderr" >&2
    exit 1
  fi
}

fill sqlite "$work/sqlite" "sqlite:$work/sqlite" bench
fill postgresql "$uri" "$uri" ravlen
# The same server data once more, for the run with slower round trips.
host=$(sed -n 's/^host=//p' "$state")
port=$(sed -n 's/^port=//p' "$state")
"$bin/psql" -q -h "$host" -p "$port" -d ravlen_base -c \
  "create database ravlen_bench_delay template ravlen_bench"
delay_uri=${uri/ravlen_bench/ravlen_bench_delay}
"$build/ravlen-ini" schreiben "$work/postgresql-delay.ini" --net8 "$delay_uri" \
  --schema "$schema" --login ravlen --pass "" >/dev/null
{
  echo "date $(date -u +%Y-%m-%dT%H:%M:%SZ)"
  echo "cpus $(nproc)"
  echo "load_before $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "server $("$bin/postgres" --version)"
  echo "commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
  echo "persons $n"
  echo "delay_us $delay_us"
  echo "window $from $to"
} >"$work/environment.txt"
run sqlite
run postgresql
run postgresql-delay postgresql-delay "$delay_us"
echo "load_after $(cut -d' ' -f1-3 /proc/loadavg)" >>"$work/environment.txt"

/usr/bin/python3 bench/backends_report.py "$work" bench/results
