#!/usr/bin/env bash
# Builds Ravlen and its tools, makes a demo embedded database in demo/ with
# ravlen-db (tables and indexes, base calendar, demo data of last year),
# writes its settings file with ravlen-ini, runs the program over last year
# with progress messages and shows what the run wrote.
#
#   scripts/demo.sh [PERSONS]     (default 100 persons)
set -euo pipefail
cd "$(dirname "$0")/.."

persons=${1:-100}
if ! [[ $persons =~ ^[1-9][0-9]*$ ]]; then
  echo "Aufruf: scripts/demo.sh [ANZAHL_PERSONEN]" >&2
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
build/ravlen-db init "$demo" "$schema"
# The calendar reaches to the end of this year, so that the run finds today.
build/ravlen-db calendar "$demo" "$((year - 1))0101" "${this_year}1231"
build/ravlen-db demo "$demo" --persons "$persons" --from "${year}0101" \
  --to "${year}1231" --seed 1
build/ravlen-ini schreiben "$demo/ravlen.ini" --net8 "sqlite:$demo" \
  --schema "$schema" --login demo --pass ""

set +e
build/ravlen "$demo/ravlen.ini" "${year}0101" "${year}1231" /D
status=$?
set -e
echo "ravlen: Rueckgabewert $status"
echo
build/ravlen-db stats "$demo"
exit $status
