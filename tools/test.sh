#!/usr/bin/env bash
# Runs every test suite in turn: the native unit tests (ctest), the fuzz
# targets for a bounded time, the Win32 backend tests and the end-to-end
# tests under Wine, the events' ReportEventW calls, the build without
# GoogleTest, the PE facts of velmora.exe, the Group Policy templates, the
# Windows Installer package under Wine, the signing of the download, and two
# builds of it in two folders compared byte by byte.
# Each suite's output is kept in build/test-logs/. Ends with one line over
# all of them:
#   total: N passed, M failed
# Each test counts once: from ctest's summary for the unit tests, from
# GoogleTest's summaries for the programs under Wine, and a suite that
# passes or fails as a whole (fuzz, the builds, the PE check, the
# reproducible build, the templates, the package, the signing) as one
# test.
# A suite whose program is missing, or that fails with no failing test to
# show for it (a crash, a time-out), counts as one failure. Exits non-zero
# on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
logs=build/test-logs
rm -rf "$logs"; mkdir -p "$logs"
passed=0 failed=0 status=0

# counts KIND LOG: "PASSED FAILED" as the suite's own summary gives them.
counts() {
  case $1 in
    ctest) sed -nE 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2 \1/p' "$2" |
             tail -1 | awk '{ print $1 - $2, $2 } END { if (!NR) print 0, 0 }' ;;
    gtest) awk '/^\[  PASSED  \] [0-9]+ test/ { p += $4 }
                /^\[  FAILED  \] [0-9]+ test/ { f += $4 }
                END { print p + 0, f + 0 }' "$2" ;;
    whole) echo 0 0 ;;
  esac
}

# suite NAME KIND "NEEDED FILES" COMMAND...: runs one suite and adds its
# counts; KIND is ctest, gtest or whole (see above).
suite() {
  local name=$1 kind=$2 needed=$3 log=$logs/$1.log rc=0 p f file; shift 3
  echo "=== $name"
  for file in $needed; do
    [[ -x $file ]] || { echo "$file is missing (make test builds it)"; rc=1; }
  done > "$log"
  cat "$log"
  if [[ $rc -eq 0 ]]; then
    "$@" 2>&1 | tee "$log"
    rc=${PIPESTATUS[0]}
  fi
  read -r p f < <(counts "$kind" "$log")
  if [[ $kind == whole ]]; then
    if [[ $rc -eq 0 ]]; then p=1; else f=1; fi
  elif [[ $rc -ne 0 && $f -eq 0 ]]; then
    f=1
  fi
  passed=$((passed + p)) failed=$((failed + f))
  if [[ $rc -ne 0 || $f -ne 0 ]]; then status=1; echo "=== $name FAILED"; fi
}

suite unit ctest build/native/unit_tests \
  ctest --test-dir build/native --output-on-failure --no-tests=error -j2
suite fuzz whole tools/fuzz.sh tools/fuzz.sh
suite wine gtest "tools/wine-tests.sh build/win64/wine_tests.exe" \
  env E2E=0 tools/wine-tests.sh
suite e2e gtest "tools/e2e.sh build/win64/e2e_tests.exe build/win64/velmora.exe" \
  tools/e2e.sh
suite event-trace whole "tools/event-trace.sh build/win64/velmora.exe" \
  tools/event-trace.sh
suite build-without-gtest whole tools/build-without-gtest.sh \
  tools/build-without-gtest.sh
suite pe-check whole "tools/pe-check.py build/win64/velmora.exe" \
  tools/pe-check.py build/win64/velmora.exe
suite policy-templates whole tools/policy-check.py tools/policy-check.py
suite package whole tools/msi-test.sh tools/msi-test.sh
suite signing whole tools/sign-test.sh tools/sign-test.sh
suite reproducible whole tools/reproducible.sh tools/reproducible.sh

echo "total: $passed passed, $failed failed"
exit $status
