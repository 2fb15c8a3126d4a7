#!/usr/bin/env bash
# The Debian package: CPack builds it from the build directory, dpkg -x
# unpacks it into a temporary root, and the programs run from there as an
# operator runs the installed ones: usage, versions, a demo database made
# with ravlen-db and a standard run over it, with its run report.
#
#   debian_package_test.sh BUILD_DIR VERSION
set -euo pipefail

build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "debian_package_test: $*" >&2
  exit 1
}

# --- build and inspect the package -------------------------------------------
(cd "$build" && cpack --config CPackConfig.cmake -B "$work/out") \
  >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$work/out/ravlen_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no package $(basename "$deb"): $(ls "$work/out")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for build_only in -dev gtest gmock cmake nlohmann g++; do
  [[ $depends != *"$build_only"* ]] || fail "build dependency in Depends: $build_only"
done

root=$work/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
# Outputs are read whole before grep -q looks at them: grep ending a pipe
# early would fail its writer with SIGPIPE under pipefail.
dynamic=$(readelf -d "$bin"/ravlen*)
needed() { grep -q "(NEEDED).*\[$1\]" <<<"$dynamic"; }
needed libsqlite3.so.0 || fail "ravlen does not link SQLite"
[[ $depends == *libsqlite3-0* ]] || fail "SQLite missing in Depends"
if needed libpq.so.5; then
  [[ $depends == *libpq5* ]] || fail "libpq missing in Depends"
else
  [[ $depends != *libpq5* ]] || fail "libpq in Depends, but no program links it"
fi
! grep -qF "$build" <<<"$dynamic" || fail "a program refers to the build tree"

for file in share/man/man1/ravlen.1.gz share/man/man1/ravlen-ini.1.gz \
  share/man/man1/ravlen-db.1.gz share/ravlen/example.ini \
  share/ravlen/schema/application.sql share/ravlen/schema/kalderon.sql; do
  [ -s "$root/usr/$file" ] || fail "missing in the package: /usr/$file"
done
page=$(zcat "$root/usr/share/man/man1/ravlen.1.gz")
grep -qF "Ravlen $version" <<<"${page%%$'\n'*}" \
  || fail "manual page without version $version"

# --- run the unpacked programs ------------------------------------------------
[ "$("$bin/ravlen-ini" --version)" = "ravlen-ini $version" ] || fail "ravlen-ini --version"
[ "$("$bin/ravlen-db" --version)" = "ravlen-db $version" ] || fail "ravlen-db --version"

status=0
"$bin/ravlen" >"$work/usage.out" || status=$?
[ $status -eq 99 ] || fail "ravlen without arguments: exit $status, expected 99"
grep -q "Befehlsformat" "$work/usage.out" || fail "ravlen shows no usage"

db=$work/db
year=$(($(date +%Y) - 1))
"$bin/ravlen-db" init "$db" DEMO
# The calendar reaches to the end of this year, so that the run finds today.
"$bin/ravlen-db" calendar "$db" "${year}0101" "$((year + 1))1231"
"$bin/ravlen-db" demo "$db" --persons 3 --from "${year}1201" --to "${year}1231"
"$bin/ravlen-ini" schreiben "$work/ravlen.ini" --net8 "sqlite:$db" \
  --schema DEMO --login demo --pass ""

status=0
RAVLEN_REPORT=$work/report.json "$bin/ravlen" "$work/ravlen.ini" \
  "${year}1201" "${year}1231" >"$work/run.out" 2>"$work/run.err" || status=$?
cat "$work/run.err"
[ $status -eq 0 ] || fail "standard run: exit $status"
[ "$(cat "$work/run.out")" = "Ravlen: Fertig." ] || fail "standard run printed: $(cat "$work/run.out")"
grep -q '"exit_code": 0' "$work/report.json" || fail "run report: $(cat "$work/report.json")"
"$bin/ravlen-db" stats "$db" >"$work/stats.out"
# The row of Zev899Tgb: its day count (second column) must not be 0.
day_rows=$(awk '$1 == "Zev899Tgb" { print $2; exit }' "$work/stats.out")
[[ $day_rows =~ ^[1-9][0-9]*$ ]] \
  || fail "no daily balances written: $(cat "$work/stats.out")"
echo "package $(basename "$deb") built, unpacked and run"
