#!/usr/bin/env bash
# Runs every libFuzzer target of the native build (tests/fuzz/*.cpp) for a
# bounded time, each from an empty corpus under build/fuzz/. libFuzzer's own
# output goes to build/fuzz/<target>.log; this script prints one "fuzz:" line
# per target and exits non-zero when a target crashes, hangs on an input,
# leaks or runs out of memory, or was not built.
#   FUZZ_SECONDS=60 tools/fuzz.sh   runs each target longer (default 20 s).
set -uo pipefail
cd "$(dirname "$0")/.."
build=${FUZZ_BUILD:-build/native}
out=build/fuzz
seconds=${FUZZ_SECONDS:-20}
status=0

shopt -s nullglob
sources=(tests/fuzz/*.cpp)
if [[ ${#sources[@]} -eq 0 ]]; then
  echo "fuzz: no targets"
  exit 0
fi
mkdir -p "$out"

for source in "${sources[@]}"; do
  name=$(basename "$source" .cpp)
  binary=$build/$name
  if [[ ! -x $binary ]]; then
    echo "fuzz: $name: not built (make native builds it with clang)"
    status=1
    continue
  fi
  corpus=$out/$name.corpus
  artifacts=$out/$name.artifacts
  log=$out/$name.log
  rm -rf "$corpus" "$artifacts"
  mkdir -p "$corpus" "$artifacts"
  if "$binary" -max_total_time="$seconds" -rss_limit_mb=512 -timeout=10 \
      -max_len=8192 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1; then
    inputs=$(grep -oE 'Done [0-9]+ runs' "$log" | tail -1 | awk '{print $2}')
    echo "fuzz: $name: clean, ${inputs:-?} inputs in ${seconds} s"
  else
    echo "fuzz: $name: CRASHED, see $log"
    grep -E '^(==[0-9]+== ?ERROR|SUMMARY:|Test unit written|artifact_prefix)' \
      "$log" | head -5 | sed 's/^/fuzz:   /'
    status=1
  fi
done
exit $status
