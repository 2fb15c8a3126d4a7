#!/usr/bin/env bash
# Prepares an Oracle database for Ravlen with ravlen-db and the Oracle
# service: the schemas KALDERON and SCHEMA (Oracle users without a
# password, made by "ravlen-db init"), every table, key and index of
# schema/*.sql, public synonyms for the system tables, the base calendar
# (two years back to the end of this year) and demo data of last year.
# Then it tells how to point the program at it and how to run the tests on
# an Oracle server.
#
#   RAVLEN_ORACLE_LOGIN=LOGIN/PASSWORD scripts/oracle_prepare.sh NET8 [SCHEMA] [PERSONS]
#
# NET8 is a net service name or an easy-connect text (host:1521/service);
# SCHEMA defaults to KORV, PERSONS to 100. The login needs a DBA's rights
# (create users, tables in other schemas, public synonyms) and, for the
# program's schema lock, EXECUTE on SYS.DBMS_LOCK. The Oracle client
# library (libclntsh.so) must be found: ORACLE_HOME or LD_LIBRARY_PATH.
# The tests on an Oracle server make users of the same names themselves and
# never drop users they did not make: run them on another database, or
# after "drop user KALDERON cascade" and "drop user SCHEMA cascade".
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || [ $# -gt 3 ] || [ -z "${RAVLEN_ORACLE_LOGIN:-}" ]; then
  echo "Aufruf: RAVLEN_ORACLE_LOGIN=LOGIN/PASSWORT scripts/oracle_prepare.sh NET8 [SCHEMA] [ANZAHL_PERSONEN]" >&2
  exit 2
fi
net8=$1
schema=${2:-KORV}
persons=${3:-100}
target=oracle:$net8
this_year=$(date +%Y)
year=$((this_year - 1))

scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j2 --target ravlen ravlen-ini ravlen-db

build/ravlen-db init "$target" "$schema"
build/ravlen-db calendar "$target" "$((year - 1))0101" "${this_year}1231"
build/ravlen-db demo "$target" --persons "$persons" --from "${year}0101" \
  --to "${year}1231" --seed 1
build/ravlen-db stats "$target" --schema "$schema"

login=${RAVLEN_ORACLE_LOGIN%%/*}
cat <<EOF

Die Datenbank ist vorbereitet. Das Programm darauf:
  build/ravlen-ini schreiben oracle.ini --net8 '$net8' --schema $schema --login $login --pass PASSWORT
  build/ravlen oracle.ini ${year}0101 ${year}1231 /D
Die Tests auf einem Oracle-Server (eine Datenbank fuer Tests ohne diese
Benutzer; die Tests legen KALDERON und KORV selbst an):
  RAVLEN_TEST_ORACLE='$login/PASSWORT@$net8' ctest --test-dir build -R Oracle --output-on-failure
EOF
