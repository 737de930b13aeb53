#!/usr/bin/env bash
# Runs every test: the native unit tests (ctest), the fuzz targets for a
# bounded time, and the Windows programs under Wine (backend tests and the
# end-to-end tests through the window). Ends with one "N passed, M failed"
# line over all of them.
set -uo pipefail
cd "$(dirname "$0")/.."
logs=build/test-logs
rm -rf "$logs"; mkdir -p "$logs"
status=0

run() { # run NAME COMMAND...: runs one suite, keeps its output
  local name=$1; shift
  echo "=== $name"
  if "$@" 2>&1 | tee "$logs/$name.log"; then :; else status=1; echo "=== $name FAILED"; fi
}

run unit ctest --test-dir build/native --output-on-failure -j2
[[ -x tools/fuzz.sh ]] && run fuzz tools/fuzz.sh
[[ -x tools/wine-tests.sh ]] && run wine tools/wine-tests.sh

# ctest says "N tests failed out of M"; GoogleTest says "[  PASSED  ] N".
passed=0; failed=0
for log in "$logs"/*.log; do
  if grep -q 'tests failed out of' "$log"; then
    line=$(grep 'tests failed out of' "$log" | tail -1)
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + t - f)); failed=$((failed + f))
  fi
  p=$(grep -hoE '^\[  PASSED  \] [0-9]+' "$log" | awk '{s+=$4} END {print s+0}')
  q=$(grep -hoE '^\[  FAILED  \] [0-9]+ test' "$log" | awk '{s+=$4} END {print s+0}')
  passed=$((passed + p)); failed=$((failed + q))
done
[[ $failed -gt 0 ]] && status=1
echo "total: $passed passed, $failed failed"
exit $status
