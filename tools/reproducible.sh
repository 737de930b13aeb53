#!/usr/bin/env bash
# Shows that one commit builds to the same bytes wherever and whenever it is
# built: configures the mingw-w64 release build (as `make win64` does) into
# two folders, links velmora.exe and makes the dist zip and the Windows
# Installer package in each (the program alone, not the test programs), and
# compares them byte by byte. The first
# builds this source tree; the second a copy of it at a path of another
# length (the files git knows, as they are in the work tree), so that a
# source or build path reaching the compiler's output shows, and runs with
# another time zone and umask. The folders are kept between runs (the copy
# keeps the files' times, so only what changed compiles again); the exe and
# the zip are made anew each time.
set -euo pipefail
cd "$(dirname "$0")/.."
# The Makefile sets the commit's time; by hand any fixed time will do.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1767225600}
# Signatures carry their signing time: the compared builds are unsigned.
unset SIGN_PFX SIGN_PASS_FILE SIGN_TIMESTAMP
first=build/repro/a
copy=build/repro/src-of-another-length
second=build/repro/another-folder-of-another-length

fail() { echo "reproducible: $*" >&2; exit 1; }
# sources: the files of the source tree, NUL-separated: those git knows
# (tracked, or new and not ignored) and still has, or outside a git checkout
# all but build/.
sources() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
      while IFS= read -r -d '' file; do
        [[ -f $file ]] && printf '%s\0' "$file"
      done
  else
    find . -path ./build -prune -o -type f -printf '%P\0'
  fi
}
# build SOURCE DIR [ENV...]: velmora.exe and the zip of SOURCE in DIR, at the
# given settings.
build() {
  local source=$1 dir=$2; shift 2
  # A folder configured from another source tree is made anew.
  grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$(realpath "$source")" \
    "$dir/CMakeCache.txt" 2>/dev/null || rm -rf "$dir"
  rm -f "$dir/velmora.exe" "$dir"/dist/*.zip "$dir"/dist/*.msi
  if ! env "$@" cmake -S "$source" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
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
rm -rf "$copy"; mkdir -p "$copy"
sources | tar --null -T - -cf - | tar -C "$copy" -xf - ||
  fail "could not copy the sources to $copy"
build . "$first"
(umask 077; build "$copy" "$second" TZ=Pacific/Kiritimati)
same velmora.exe "$first/velmora.exe" "$second/velmora.exe"
zip=$(basename "$first"/dist/*.zip)
same "$zip" "$first/dist/$zip" "$second/dist/$zip"
msi=$(basename "$first"/dist/*.msi)
same "$msi" "$first/dist/$msi" "$second/dist/$msi"
