#!/usr/bin/env bash
# Runs the Win32 backend tests (build/win64/wine_tests.exe) under Wine in a
# prefix of its own whose D:, E: and F: are fresh empty folders, then hands
# over to the end-to-end tests (tools/e2e.sh) where they exist, unless
# E2E=0. Arguments go to wine_tests.exe (e.g. --gtest_filter=Window*).
# Exits non-zero when any test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
exe=build/win64/wine_tests.exe
[[ -f $exe ]] || { echo "missing $exe (run make win64)" >&2; exit 1; }

drives=$root/build/wine-test-drives
mountpoint -q "$drives/g" 2>/dev/null && umount "$drives/g"
mountpoint -q "$drives/h" 2>/dev/null && umount "$drives/h"
mountpoint -q "$drives/stall/mnt" 2>/dev/null && umount -l "$drives/stall/mnt"
rm -rf "$drives"
mkdir -p "$drives"/{d,e,f}

# G: is a write-protected medium where a read-only bind mount can be made
# (root on Linux): its root holds a plain autorun.inf made before.
ro_map=()
mkdir -p "$drives/g-src" "$drives/g"
printf '[autorun]\r\nopen=setup.exe\r\n' >"$drives/g-src/autorun.inf"
if mount --bind "$drives/g-src" "$drives/g" 2>/dev/null; then
  if mount -o remount,bind,ro "$drives/g" 2>/dev/null; then
    ro_map=(G="$drives/g")
    export VELMORA_TEST_RO_DRIVE=G
  else
    umount "$drives/g"
  fi
fi

# H: is a write-protected medium too, whose autorun.inf is hidden (Wine keeps
# the attribute in the user.DOSATTRIB extended attribute): the search cannot
# clear it, and must say the removal failed rather than that there is none.
mkdir -p "$drives/h-src" "$drives/h"
printf '[autorun]\r\nopen=setup.exe\r\n' >"$drives/h-src/autorun.inf"
if [[ ${#ro_map[@]} -gt 0 ]] &&
  python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.DOSATTRIB", b"0x2")' \
    "$drives/h-src/autorun.inf" 2>/dev/null &&
  mount --bind "$drives/h-src" "$drives/h" 2>/dev/null; then
  if mount -o remount,bind,ro "$drives/h" 2>/dev/null; then
    ro_map+=(H="$drives/h")
    export VELMORA_TEST_RO_HIDDEN_DRIVE=H
  else
    umount "$drives/h"
  fi
fi

# S: is a network drive that stops answering on demand (tools/stall-drive.sh).
# shellcheck source=tools/stall-drive.sh
source tools/stall-drive.sh
stall_drive_mount "$drives/stall"

# shellcheck source=tools/wineprefix.sh
source tools/wineprefix.sh "$root/build/wine-test-prefix" \
  D="$drives/d" E="$drives/e" F="$drives/f" "${ro_map[@]}" "${stall_map[@]}" ||
  exit 1
mkdir -p "$WINEPREFIX/drive_c/velmora"
stall_drive_register

# The window tests need a display: Xvfb of our own unless one is given.
if [[ -z ${DISPLAY:-} ]]; then
  # shellcheck source=tools/xvfb.sh
  source tools/xvfb.sh 1024x768 || exit 1
fi
# No window manager runs on the test display: Wine draws the frames itself
# and does not wait for one when a window is shown. (The first Wine process
# starts the desktop on $DISPLAY, so this comes after it is set.)
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

cleanup() {
  stall_drive_unmount
  wineserver -k >/dev/null 2>&1 || true
  mountpoint -q "$drives/g" 2>/dev/null && umount "$drives/g"
  mountpoint -q "$drives/h" 2>/dev/null && umount "$drives/h"
  [[ -z ${XVFB_PID:-} ]] || velmora_xvfb_stop
}
trap cleanup EXIT

# Run from C: (inside the prefix), so that the program has a Windows path
# of its own and can start itself again; started in D:\ so that the
# current drive is a test drive.
mkdir -p "$WINEPREFIX/drive_c/velmora"
cp "$exe" "$WINEPREFIX/drive_c/velmora/wine_tests.exe"
status=0
(cd "$drives/d" &&
  VELMORA_TEST_DRIVES=D,E,F wine 'C:\velmora\wine_tests.exe' "$@") || status=1
wineserver -w >/dev/null 2>&1 || true

if [[ -x tools/e2e.sh && ${E2E:-1} != 0 ]]; then
  [[ -z ${XVFB_PID:-} ]] || velmora_xvfb_stop
  tools/e2e.sh || status=1
fi
exit $status
