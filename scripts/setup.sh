#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, once.
# Safe to run again: it installs only what is missing.
set -euo pipefail

# postgresql, postgresql-15-orafce and libpq-dev: the server backend (libpq)
# and the throwaway test server that ctest starts (scripts/pg_cluster.sh).
packages=(cmake g++ make libsqlite3-dev sqlite3 libgtest-dev libgmock-dev faketime
          postgresql postgresql-15-orafce libpq-dev)

# --- packaging, manual pages and the run report -------------------------------
# nlohmann-json3-dev: the JSON library of the run report (header-only).
# dpkg-dev and file: CPack's Debian package finds the runtime dependencies
# with dpkg-shlibdeps, which needs both. man-db: the manual-page check.
packages+=(nlohmann-json3-dev dpkg-dev file man-db)
# --- end packaging ------------------------------------------------------------
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installiere ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
