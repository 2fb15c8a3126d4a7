#!/usr/bin/env bash
# Fuzzes the parsers that read outside input: the settings file reader, the
# value decipher and the statement translation of the embedded database.
#
#   scripts/fuzz.sh [SECONDS]     (default 60 seconds per target)
#
# Builds fuzz/ with clang++ (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/, runs each target for SECONDS
# on its corpus fuzz/corpus/<target>/ and then merges into that corpus only
# the new inputs that add coverage. Prints executions, seconds and findings
# per target; a finding (crash, leak, undefined behaviour, broken invariant,
# timeout) is kept in build-fuzz/artifacts/<target>/ and makes the script
# fail. Installs clang from Debian's packages when it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build-fuzz
targets=(settings_reader_fuzz decipher_fuzz translate_fuzz)

packages=(clang libclang-rt-dev cmake make)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "fuzz: installiere ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for target in "${targets[@]}"; do
  corpus=fuzz/corpus/$target
  work=$build/work/$target
  artifacts=$build/artifacts/$target
  log=$build/$target.log
  rm -rf "$work" "$artifacts"
  mkdir -p "$work" "$artifacts" "$corpus"

  # New inputs land in $work; the repository corpus is only read here.
  start=$(date +%s)
  "$build/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$work" "$corpus" >"$log" 2>&1 || true
  elapsed=$(( $(date +%s) - start ))

  executions=$(awk '/stat::number_of_executed_units/ {print $2}' "$log" | tail -1)
  findings=$(find "$artifacts" -type f | wc -l)
  "$build/$target" -merge=1 -use_counters=0 -max_len=4096 "$corpus" "$work" \
    >"$build/$target.merge.log" 2>&1 || true

  printf '%-22s executions %10s  seconds %4s  findings %s\n' \
    "$target" "${executions:-?}" "$elapsed" "$findings"
  if [ "$findings" -gt 0 ]; then
    failed=1
    find "$artifacts" -type f -printf '  %p\n'
    grep -E '^(==[0-9]+==ERROR|SUMMARY|invariant broken|.*runtime error)' "$log" \
      | head -5 | sed 's/^/  /'
  fi
done
exit "$failed"
