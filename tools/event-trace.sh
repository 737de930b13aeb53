#!/usr/bin/env bash
# Checks that velmora.exe writes its events through ReportEventW. Wine keeps
# no event log: its ReportEventW only echoes each insertion string with
# WINEDEBUG=+eventlog, to the Unix standard error, which a Windows program
# cannot read; so this runs the real program from the shell. A /remove of
# E:'s autorun.inf, events turned on by policy, must echo the strings of
# event 1000 in their order, and delete the file.
# Exits non-zero when a check fails.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
exe=build/win64/velmora.exe
[[ -f $exe ]] || { echo "event-trace: $exe is missing (run make win64)" >&2; exit 1; }
drives=$root/build/event-trace-drives
rm -rf "$drives"
mkdir -p "$drives"/{d,e}
printf '[autorun]\r\nopen=x.exe\r\n' >"$drives/e/autorun.inf"
# shellcheck source=tools/wineprefix.sh
source tools/wineprefix.sh "$root/build/event-trace-prefix" \
  D="$drives/d" E="$drives/e" >/dev/null || exit 1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
mkdir -p "$WINEPREFIX/drive_c/velmora"
cp "$exe" "$WINEPREFIX/drive_c/velmora/velmora.exe"
wine reg add 'HKCU\Software\Policies\Velmora' /v EventLog /t REG_DWORD /d 1 /f \
  >/dev/null 2>&1

out=$(cd "$drives/d" && WINEDEBUG=+eventlog wine 'C:\velmora\velmora.exe' \
  /remove E: 2>"$drives/trace.txt")
code=$?
status=0
check() { # check WHAT CONDITION...
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; status=1; fi
}
strings=$(sed -n 's/.*warn:eventlog:ReportEventW L"\(.*\)"$/\1/p' "$drives/trace.txt")
sha=$(printf '[autorun]\r\nopen=x.exe\r\n' | sha256sum | cut -d' ' -f1)
check "exit code 1 (deleted)" test "$code" -eq 1
check "the file is gone" test ! -e "$drives/e/autorun.inf"
check "the log line" grep -qx $'Autorun Removed from: E:\\\\autorun.inf\r' <<<"$out"
check "ReportEventW called with event 1000" \
  grep -q 'ReportEventW (.*,0x0002,0x0000,0x000003e8,' "$drives/trace.txt"
check "its first strings in order" \
  test "$(head -3 <<<"$strings" | tr '\n' '|')" = 'E:|E:\\autorun.inf|fixed|'
check "its size and SHA-256" \
  test "$(sed -n '6,7p' <<<"$strings" | tr '\n' '|')" = "23|$sha|"
check "what deleted it" test "$(sed -n 9p <<<"$strings")" = "command line"
[[ $status -eq 0 ]] || { echo "--- trace"; cat "$drives/trace.txt"; }
exit $status
