#!/usr/bin/env bash
# Shows that the program builds where GoogleTest is not installed, as on a
# plain Windows host: configures the mingw-w64 build into build/no-gtest with
# GOOGLETEST_SOURCE pointing nowhere, checks that CMake says the tests are
# left out and makes no test program, and builds velmora.exe alone. Debug
# (unoptimised) and kept between runs, so that it costs little.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/no-gtest

fail() { echo "build-without-gtest: $*" >&2; exit 1; }
configure=$(cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DGOOGLETEST_SOURCE="$PWD/$dir/no-googletest-here" 2>&1) ||
  { echo "$configure"; fail "configure failed"; }
grep -q "building the program without its tests" <<<"$configure" ||
  { echo "$configure"; fail "CMake did not say the tests are left out"; }
targets=$(cmake --build "$dir" --target help)
for program in wine_tests e2e_tests unit_tests gtest; do
  ! grep -qxF "... $program" <<<"$targets" || fail "$program is a target without GoogleTest"
done
cmake --build "$dir" --target velmora -j2 >"$dir.log" 2>&1 ||
  { cat "$dir.log"; fail "velmora did not build"; }
[[ -f $dir/velmora.exe ]] || fail "no $dir/velmora.exe"
echo "build-without-gtest: configured without GoogleTest (tests left out), velmora.exe built"
