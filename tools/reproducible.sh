#!/usr/bin/env bash
# Shows that one commit builds to the same bytes wherever and whenever it is
# built: configures the mingw-w64 release build (as `make win64` does) into
# two folders of different paths, links velmora.exe and makes the dist zip
# in each (the program alone, not the test programs), and compares both byte
# by byte. The first folder compiles without ccache, so that a path or a
# time reaching the compiler's output cannot hide behind a cached object;
# the second runs with another time zone and umask. The folders are kept
# between runs; the exe and the zip are made anew each time.
set -euo pipefail
cd "$(dirname "$0")/.."
# The Makefile sets the commit's time; by hand any fixed time will do.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1767225600}
first=build/repro/a
second=build/repro/another-folder-of-another-length

fail() { echo "reproducible: $*" >&2; exit 1; }
# build DIR [ENV...]: velmora.exe and the zip in DIR, at the given settings.
build() {
  local dir=$1; shift
  rm -f "$dir/velmora.exe" "$dir"/dist/*.zip
  if ! env "$@" cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >"$dir.log" 2>&1 ||
    ! env "$@" cmake --build "$dir" --target dist -j2 >>"$dir.log" 2>&1; then
    cat "$dir.log"
    fail "the build in $dir failed"
  fi
}
# same WHAT A B: A and B are the same bytes.
same() {
  cmp "$2" "$3" >/dev/null ||
    { cmp -l "$2" "$3" | head -5; fail "$1 differs: $2 $3"; }
  echo "reproducible: $1 the same in both folders, sha256 $(sha256sum <"$2" | cut -d' ' -f1)"
}

mkdir -p build/repro
build "$first" CCACHE_DISABLE=1
(umask 077; build "$second" TZ=Pacific/Kiritimati)
same velmora.exe "$first/velmora.exe" "$second/velmora.exe"
zip=$(basename "$first"/dist/*.zip)
same "$zip" "$first/dist/$zip" "$second/dist/$zip"
