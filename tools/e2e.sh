#!/usr/bin/env bash
# Runs the end-to-end tests: build/win64/e2e_tests.exe drives the real
# velmora.exe through its windows, under Wine on a private Xvfb display, in a
# prefix kept between runs (build/e2e-prefix) whose D:, E: and F: are fresh
# empty folders under build/e2e-drives/.
# The screenshot of the main window lands in build/e2e/main-window.png; with
# UPDATE_SCREENSHOT=1 it is also copied to docs/main-window.png.
#
# Usage: tools/e2e.sh [gtest flags, e.g. --gtest_filter=Viewer*]
# E2E_APP and E2E_TESTS override the two programs (default build/win64/...).
# Exit code: the tests' result.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
app=${E2E_APP:-build/win64/velmora.exe}
tests=${E2E_TESTS:-build/win64/e2e_tests.exe}
for f in "$app" "$tests"; do
  [[ -f $f ]] || { echo "e2e: $f is missing (run make win64)" >&2; exit 1; }
done

work=$root/build/e2e
drives=$root/build/e2e-drives
# One run at a time: a second one would share the prefix and the drives.
mkdir -p build
exec 9>build/e2e.lock
flock -w 600 9 || { echo "e2e: another run holds build/e2e.lock" >&2; exit 1; }
rm -rf "$work" "$drives"
mkdir -p "$work" "$drives"/{d,e,f}

# The prefix (build/e2e-prefix) is made once and reused; C: is its drive_c,
# D: E: F: the fresh folders, no z:.
# shellcheck source=tools/wineprefix.sh
source tools/wineprefix.sh "$root/build/e2e-prefix" \
  D="$drives/d" E="$drives/e" F="$drives/f" >"$work/prefix.log" 2>&1 ||
  { echo "e2e: wineprefix.sh failed" >&2; cat "$work/prefix.log"; exit 1; }
export VELMORA_DRIVES=DEF
# B: is a second letter of C: (the same volume under another letter), for the
# repair's refusal of the Windows drive by what it is.
ln -sfn ../drive_c "$WINEPREFIX/dosdevices/b:"
export VELMORA_WINDOWS_SECOND_LETTER=B
export VELMORA_DRIVE_D=$drives/d VELMORA_DRIVE_E=$drives/e VELMORA_DRIVE_F=$drives/f

# A display of our own, so that nothing else on the machine gets in the way.
# shellcheck source=tools/xvfb.sh
source tools/xvfb.sh 1280x1024 || { echo "e2e: no X display" >&2; exit 1; }
cleanup() {
  wineserver -k 2>/dev/null
  velmora_xvfb_stop
}
trap cleanup EXIT
# Wine draws the window frames itself, so that the screenshot has them.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# The programs run from C:, which is part of the prefix and so always there.
bin=$WINEPREFIX/drive_c/velmora
rm -rf "$bin"
mkdir -p "$bin"
cp "$app" "$bin/velmora.exe"
cp "$tests" "$bin/e2e_tests.exe"
export VELMORA_EXE='C:\velmora\velmora.exe'
export VELMORA_SCREENSHOT='C:\velmora\main-window.bmp'

(cd "$bin" && timeout 300 wine 'C:\velmora\e2e_tests.exe' "$@")
status=$?
[[ $status -eq 124 ]] && echo "e2e: timed out after 300 s" >&2

shot=$bin/main-window.bmp
if [[ -f $shot ]]; then
  if convert "$shot" "$work/main-window.png"; then
    echo "e2e: screenshot in build/e2e/main-window.png"
    if [[ ${UPDATE_SCREENSHOT:-0} == 1 ]]; then
      cp "$work/main-window.png" docs/main-window.png
      echo "e2e: copied to docs/main-window.png"
    fi
  fi
fi
exit $status
