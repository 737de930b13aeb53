#!/usr/bin/env bash
# Makes a throwaway Wine prefix with chosen drive letters.
#
#   tools/wineprefix.sh DIR [LETTER=PATH ...]
#   source tools/wineprefix.sh DIR [LETTER=PATH ...]   # also exports WINE*
#
# DIR is created with `wineboot -i` the first time and reused after that
# (about 9 s saved per run). Every drive letter but C: is removed, z: (the
# whole Linux root) included, and each LETTER=PATH maps that letter to PATH
# (made if missing). Ends with `wineserver -k` so Wine sees the new drives.

velmora_wineprefix() {
  local dir=$1; shift
  [[ -n $dir ]] || { echo "usage: wineprefix.sh DIR [LETTER=PATH ...]" >&2; return 2; }
  mkdir -p "$dir" || return 1
  dir=$(cd "$dir" && pwd)
  export WINEPREFIX=$dir
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [[ ! -f $dir/.velmora-ready || ! -f $dir/system.reg ]]; then
    # A first boot on a loaded machine can fail once (a wineserver still
    # ending, a time-out of its own): it is tried once more from scratch.
    local try
    for try in 1 2; do
      rm -rf "${dir:?}"/* "$dir"/.velmora-ready
      wineboot -i >/dev/null 2>&1 && break
      wineserver -k >/dev/null 2>&1 || true
      [[ $try -eq 2 ]] && { echo "wineboot failed in $dir" >&2; return 1; }
    done
    wineserver -w
    touch "$dir/.velmora-ready"
  fi
  local link
  for link in "$dir"/dosdevices/?: "$dir"/dosdevices/?::; do
    [[ -e $link || -L $link ]] || continue
    [[ $(basename "$link") == c: ]] && continue
    rm -f "$link"
  done
  local map letter path
  for map in "$@"; do
    letter=${map%%=*}; path=${map#*=}
    letter=$(tr '[:upper:]' '[:lower:]' <<<"$letter")
    [[ $letter =~ ^[a-y]$ && $letter != c ]] ||
      { echo "bad drive mapping: $map" >&2; return 2; }
    mkdir -p "$path" || return 1
    ln -s "$(cd "$path" && pwd)" "$dir/dosdevices/$letter:"
  done
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  return 0
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -euo pipefail
  velmora_wineprefix "$@"
else
  velmora_wineprefix "$@"
fi
