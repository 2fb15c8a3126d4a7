#!/usr/bin/env bash
# The test command: installs what is missing, builds and runs all tests in
# build/, then builds them again with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs them there as well.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2

cmake -S . -B build-asan -DRAVLEN_SANITIZE=ON
cmake --build build-asan -j2
# faketime preloads its library ahead of the sanitizer runtime; that is fine here.
export ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j2
