#!/usr/bin/env bash
# Where a standard run spends its instructions: runs the program, built
# with optimisation and debug information in build-callgrind/, under
# valgrind's callgrind on a small demo database (default 50 persons over
# three months), then prints and keeps in bench/results/callgrind.txt and
# callgrind.csv:
#   - the share of instructions executed in the SQLite library, in the
#     program's own code and in the C/C++ runtime (self cost per object);
#   - the share executed inside the program's calls of sqlite3_* functions,
#     including the runtime code that SQLite calls and the program's
#     dialect functions that SQLite calls back (inclusive cost);
#   - the program's own functions by self cost.
#
#   bench/callgrind.sh [PERSONS [FROM TO]]   (default 50 20250101 20250331)
#
# Not part of the test command; slow (about fifty times a plain run).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

persons=${1:-50}
from=${2:-20250101}
to=${3:-20250331}
if ! [[ $persons =~ ^[1-9][0-9]*$ && $from =~ ^[0-9]{8}$ && $to =~ ^[0-9]{8}$ ]]
then
  echo "Aufruf: bench/callgrind.sh [ANZAHL_PERSONEN [VON BIS]]" >&2
  exit 2
fi
jobs=${BENCH_JOBS:-2}
schema=BENCH

scripts/setup.sh
need=()
command -v valgrind >/dev/null 2>&1 || need+=(valgrind)
[ -x /usr/bin/python3 ] || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
  echo "callgrind: installiere ${need[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${need[@]}"
fi

build=$root/build-callgrind
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" --target ravlen ravlen-ini ravlen-db

work=$root/bench/work/callgrind
rm -rf "$work"
mkdir -p "$work"
"$build/ravlen-db" init "$work/db" "$schema" >/dev/null
"$build/ravlen-db" calendar "$work/db" "$((${from:0:4} - 1))0101" \
  "$((${to:0:4} + 1))1231" >/dev/null
"$build/ravlen-db" demo "$work/db" --persons "$persons" --from "$from" \
  --to "$to" --seed 1 >/dev/null
"$build/ravlen-ini" schreiben "$work/db/ravlen.ini" --net8 "sqlite:$work/db" \
  --schema "$schema" --login bench --pass "" >/dev/null

echo "callgrind: $persons Personen, $from bis $to"
valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" \
  "$build/ravlen" "$work/db/ravlen.ini" "$from" "$to" \
  >"$work/run.stdout" 2>"$work/run.stderr"
grep '^Ravlen: .*Fehler' "$work/run.stderr"

mkdir -p bench/results
{
  echo "Standard run of $persons persons, $from to $to (bench/callgrind.sh)"
  echo
  /usr/bin/python3 bench/callgrind_shares.py "$work/callgrind.out" \
    "$build/ravlen" 15 bench/results/callgrind.csv
} | tee bench/results/callgrind.txt
echo
echo "callgrind: Profil in $work/callgrind.out" \
  "(callgrind_annotate --inclusive=yes $work/callgrind.out)"
