#!/usr/bin/env bash
# The manual pages given as arguments render with man, every groff and man
# warning switched on, without a single warning or error.
#
#   manual_pages_test.sh PAGE.1...
set -uo pipefail

if [ $# -eq 0 ]; then
  echo "manual_pages_test: no pages given" >&2
  exit 1
fi
failed=0
for page in "$@"; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat \
    man --warnings=w -E UTF-8 -l "$page" 2>&1 >/dev/null)
  if [ $? -ne 0 ] || [ -n "$warnings" ]; then
    echo "$page:"
    echo "$warnings"
    failed=1
  fi
done
[ $failed -eq 0 ] && echo "$# manual pages without warnings"
exit $failed
