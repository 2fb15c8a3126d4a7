#!/usr/bin/env bash
# Builds Ravlen and its tools, makes a demo database with ravlen-db (tables
# and indexes, base calendar, demo data of last year), writes its settings
# file with ravlen-ini, runs the program over last year with progress
# messages and shows what the run wrote.
#
#   scripts/demo.sh [PERSONS]                the embedded database in demo/
#   scripts/demo.sh --postgresql [PERSONS]   a private PostgreSQL server that
#                                            the script starts and stops
# (default 100 persons)
set -euo pipefail
cd "$(dirname "$0")/.."

server=0
if [ "${1:-}" = "--postgresql" ]; then
  server=1
  shift
fi
persons=${1:-100}
if ! [[ $persons =~ ^[1-9][0-9]*$ ]] || [ $# -gt 1 ]; then
  echo "Aufruf: scripts/demo.sh [--postgresql] [ANZAHL_PERSONEN]" >&2
  exit 2
fi

scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j2 --target ravlen ravlen-ini ravlen-db

demo=demo
schema=DEMO
this_year=$(date +%Y)
year=$((this_year - 1))  # a whole year in the past: every period is complete

rm -rf "$demo"
mkdir -p "$demo"
if [ $server -eq 1 ]; then
  # The server lives as long as this script (its watchdog stops it should
  # the script be killed); its data goes with it.
  state=$PWD/$demo/server.state
  trap 'scripts/pg_cluster.sh stop "$state"' EXIT
  scripts/pg_cluster.sh start "$state"
  target=$(scripts/pg_cluster.sh createdb "$state" ravlen_demo)
  export PGUSER=ravlen  # for ravlen-db; the program takes LOGIN
  net8=$target
  login=ravlen
  echo "demo: PostgreSQL-Server $target"
else
  target=$demo
  net8=sqlite:$target
  login=demo
fi

build/ravlen-db init "$target" "$schema"
# The calendar reaches to the end of this year, so that the run finds today.
build/ravlen-db calendar "$target" "$((year - 1))0101" "${this_year}1231"
build/ravlen-db demo "$target" --persons "$persons" --from "${year}0101" \
  --to "${year}1231" --seed 1
build/ravlen-ini schreiben "$demo/ravlen.ini" --net8 "$net8" \
  --schema "$schema" --login "$login" --pass ""

set +e
build/ravlen "$demo/ravlen.ini" "${year}0101" "${year}1231" /D
status=$?
set -e
echo "ravlen: Rueckgabewert $status"
echo
build/ravlen-db stats "$target"
exit $status
