#!/usr/bin/env bash
# Builds Ravlen, prepares a demo embedded database in demo/ (schema files and
# a base calendar), writes its settings file with ravlen-ini and runs the
# program over the current year with progress messages.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j2 --target ravlen ravlen-ini

demo=demo
rm -rf "$demo"
mkdir -p "$demo"
sqlite3 "$demo/KALDERON.db" < schema/kalderon.sql
sqlite3 "$demo/DEMO.db" < schema/application.sql

year=$(date +%Y)
from="$((year - 1))-01-01"
to="$((year + 1))-12-31"
# One calendar row per day: ISO week (the week of its Thursday), quarter,
# half-year, weekday 1 (Monday) .. 7.
sqlite3 "$demo/KALDERON.db" <<SQL
with recursive day(d) as (
  select date('$from') union all select date(d, '+1 day') from day where d < '$to'
), iso(d, wd, thursday) as (
  select d, (cast(strftime('%w', d) as integer) + 6) % 7 + 1,
         date(d, (4 - ((cast(strftime('%w', d) as integer) + 6) % 7 + 1)) || ' days')
  from day
)
insert into Zev133Bak (BakDtm, BakWch, BakQua, BakHjh, BakWtg)
select julianday(d),
       (cast(strftime('%j', thursday) as integer) - 1) / 7 + 1,
       (cast(strftime('%m', d) as integer) + 2) / 3,
       (cast(strftime('%m', d) as integer) + 5) / 6,
       wd
from iso;
SQL

build/ravlen-ini schreiben "$demo/ravlen.ini" --net8 "sqlite:$demo" \
  --schema DEMO --login demo --pass ""
set +e
build/ravlen "$demo/ravlen.ini" "${year}0101" "${year}1231" /D
status=$?
set -e
echo "ravlen: Rueckgabewert $status"
exit $status
