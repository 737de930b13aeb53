#!/usr/bin/env bash
# Starts velmora.exe under Wine (`make run`).
#
# Without WINEPREFIX: in a throwaway prefix (build/run-prefix) whose D: and
# E: are fresh sample folders under build/run-drives/: D: holds a plain
# autorun.inf, E: a hidden + system + read-only one, each next to a file or
# two that must stay. The program starts on D:.
# With WINEPREFIX set (e.g. `make run WINEPREFIX=~/.wine`): on that prefix,
# untouched, with its own drives (Wine maps inserted USB media there).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
exe=$root/build/win64/velmora.exe
[[ -f $exe ]] || { echo "missing $exe (run make win64)" >&2; exit 1; }

if [[ -n ${WINEPREFIX:-} ]]; then
  export WINEDEBUG=${WINEDEBUG:--all}
  echo "Running on your prefix $WINEPREFIX"
  exec wine "$exe"
fi

drives=$root/build/run-drives
rm -rf "$drives"
mkdir -p "$drives"/{d,e}
crlf() { printf '%s\r\n' "$@"; }
crlf '[autorun]' 'open=setup.exe' 'icon=setup.exe,0' 'label=Sample D' \
  >"$drives/d/autorun.inf"
crlf 'Velmora sample drive D:. autorun.inf next to this file is plain.' \
  >"$drives/d/readme.txt"
crlf '[autorun]' 'open=wscript.exe hidden.vbs' \
  'shell\open\command=wscript.exe hidden.vbs' 'label="Hidden, system"' \
  >"$drives/e/autorun.inf"
crlf 'Velmora sample drive E:. Its autorun.inf is hidden, system and' \
  'read-only; a search finds and deletes it all the same.' \
  >"$drives/e/notes.txt"
printf 'not a real picture\n' >"$drives/e/photo.jpg"

# shellcheck source=tools/wineprefix.sh
source tools/wineprefix.sh "$root/build/run-prefix" \
  D="$drives/d" E="$drives/e"
wine cmd /c attrib +h +s +r 'E:\autorun.inf' >/dev/null 2>&1 ||
  echo "warning: could not set the attributes of E:\\autorun.inf" >&2

echo "Sample drives: D: $drives/d, E: $drives/e"
cd "$drives/d"
exec wine "$exe"
