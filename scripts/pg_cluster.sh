#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests and the demo, never any other:
#
#   scripts/pg_cluster.sh start STATE   start one, note it in the file STATE
#   scripts/pg_cluster.sh stop STATE    stop the one noted in STATE, remove it
#   scripts/pg_cluster.sh halt STATE    stop its server at once (as a crash
#                                       would), keeping its data
#   scripts/pg_cluster.sh resume STATE  start the halted server again
#   scripts/pg_cluster.sh createdb STATE NAME
#                                       make database NAME from ravlen_base
#                                       and print its service name (NET8)
#
# start makes a new directory /tmp/ravlen-pg-XXXXXX, runs initdb into it as
# an unprivileged user (postgres, else nobody, when started as root; the
# caller otherwise), and starts the server on a unix socket in that
# directory alone (no TCP port at all), on a port that no socket of another
# server uses. Local connections are trusted, except for the role ravlen_pw
# (password "Pw-ravlen-test"), which must give its password: for the tests
# of a wrong password. The bootstrap superuser is "ravlen". The database
# ravlen_base (byte-order collation, UTF-8, extension orafce) is the
# template of every database the tests make. STATE then holds the lines
#   dir=<directory>   net8=<service name of database ravlen_base>
#   host=<socket directory>   port=<port>   bin=<server programs>
# A server that an earlier STATE still names (a run that never cleaned up)
# is stopped first. A watchdog stops the server as soon as the process that
# called start (ctest, the demo script) has ended, so that no server
# outlives its run even when the cleanup never comes.
set -euo pipefail

readonly kTemplate=ravlen_base

die() { echo "pg_cluster: $*" >&2; exit 1; }

server_bin() {
  local bin
  bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
  [ -x "$bin/initdb" ] || return 1
  echo "$bin"
}

# Runs a command as the cluster's owner.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$owner" -- "$@"
  else
    "$@"
  fi
}

state_value() {
  sed -n "s/^$1=//p" "$2" 2>/dev/null | head -1
}

# A port that no server's socket in the usual places uses.
free_port() {
  local port
  for _ in $(seq 1 200); do
    port=$((54300 + RANDOM % 700))
    if ! ls /tmp/.s.PGSQL."$port" /var/run/postgresql/.s.PGSQL."$port" \
         /tmp/ravlen-pg-*/.s.PGSQL."$port" >/dev/null 2>&1; then
      echo "$port"
      return 0
    fi
  done
  return 1
}

stop_dir() {
  local dir=$1 bin=$2
  [ -n "$dir" ] && [ -d "$dir" ] || return 0
  case "$dir" in /tmp/ravlen-pg-*) ;; *) die "not a cluster of ours: $dir" ;; esac
  if [ -f "$dir/data/postmaster.pid" ]; then
    owner=$(stat -c %U "$dir/data")
    as_owner "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}

stop() {
  local state=$1
  [ -f "$state" ] || return 0
  stop_dir "$(state_value dir "$state")" "$(state_value bin "$state")"
  rm -f "$state"
}

watchdog() {
  local watched=$1 dir=$2 bin=$3
  setsid bash -c '
    while kill -0 "$0" 2>/dev/null && [ -d "$1" ]; do sleep 1; done
    if [ -f "$1/data/postmaster.pid" ]; then
      if [ "$(id -u)" -eq 0 ]; then
        runuser -u "$(stat -c %U "$1/data")" -- "$2/pg_ctl" -D "$1/data" -m immediate -w stop
      else
        "$2/pg_ctl" -D "$1/data" -m immediate -w stop
      fi
    fi
    rm -rf "$1"' "$watched" "$dir" "$bin" </dev/null >/dev/null 2>&1 &
}

configure() {
  local dir=$1 port=$2
  cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
port = $port
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 60
shared_buffers = 64MB
# Far from the machine's zone: a statement that read the server's clock
# instead of the program's would see another day.
timezone = 'Pacific/Kiritimati'
log_min_messages = warning
EOF
  cat >"$dir/data/pg_hba.conf" <<EOF
local all ravlen_pw scram-sha-256
local all all trust
EOF
}

start() {
  local state=$1 watched=$2
  stop "$state"
  local bin
  bin=$(server_bin) || die "PostgreSQL server programs not installed (scripts/setup.sh)"
  owner=$(id -un)
  if [ "$(id -u)" -eq 0 ]; then
    owner=postgres
    id -u postgres >/dev/null 2>&1 || owner=nobody
  fi
  local dir port
  dir=$(mktemp -d /tmp/ravlen-pg-XXXXXX)
  chmod 755 "$dir"
  chown "$owner" "$dir"
  port=$(free_port) || die "no free port"
  {
    echo "dir=$dir"
    echo "bin=$bin"
  } >"$state"
  watchdog "$watched" "$dir" "$bin"
  as_owner "$bin/initdb" -D "$dir/data" -U ravlen -A trust -E UTF8 \
    --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 || die "initdb failed: $(tail -3 "$dir/initdb.log")"
  configure "$dir" "$port"
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
    >/dev/null || die "server did not start: $(tail -5 "$dir/server.log")"
  local psql=("$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port" -U ravlen)
  "${psql[@]}" -d postgres >/dev/null <<EOF
CREATE ROLE ravlen_pw LOGIN PASSWORD 'Pw-ravlen-test';
CREATE DATABASE $kTemplate TEMPLATE template0 ENCODING 'UTF8' LOCALE 'C.UTF-8';
EOF
  "${psql[@]}" -d "$kTemplate" -c "CREATE EXTENSION orafce" >/dev/null \
    || die "CREATE EXTENSION orafce failed (postgresql-15-orafce missing?)"
  "${psql[@]}" -d postgres -c "ALTER DATABASE $kTemplate IS_TEMPLATE true" >/dev/null
  {
    echo "host=$dir"
    echo "port=$port"
    echo "net8=postgresql:///$kTemplate?host=$dir&port=$port"
  } >>"$state"
}

# Runs pg_ctl on the cluster of STATE as its owner.
pg_ctl_of() {
  local state=$1
  shift
  local dir bin
  dir=$(state_value dir "$state")
  bin=$(state_value bin "$state")
  [ -d "$dir/data" ] || die "no cluster in $state"
  owner=$(stat -c %U "$dir/data")
  as_owner "$bin/pg_ctl" -D "$dir/data" "$@"
}

createdb() {
  local state=$1 name=$2 host port bin
  host=$(state_value host "$state")
  port=$(state_value port "$state")
  bin=$(state_value bin "$state")
  "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$host" -p "$port" -U ravlen -d postgres \
    -c "CREATE DATABASE $name TEMPLATE $kTemplate" >/dev/null
  echo "postgresql:///$name?host=$host&port=$port"
}

case "${1:-}" in
  createdb) [ $# -eq 3 ] || die "usage: $0 createdb STATE NAME"; createdb "$2" "$3" ;;
  halt) [ $# -eq 2 ] || die "usage: $0 halt STATE"
        pg_ctl_of "$2" -m immediate -w stop >/dev/null ;;
  resume) [ $# -eq 2 ] || die "usage: $0 resume STATE"
          pg_ctl_of "$2" -l "$(state_value dir "$2")/server.log" -w -t 60 start >/dev/null ;;
  start) [ $# -eq 2 ] || die "usage: $0 start STATE"; start "$2" "$PPID" ;;
  stop) [ $# -eq 2 ] || die "usage: $0 stop STATE"; stop "$2" ;;
  *) die "usage: $0 start|stop|halt|resume STATE, createdb STATE NAME" ;;
esac
