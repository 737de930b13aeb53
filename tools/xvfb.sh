#!/usr/bin/env bash
# Starts a private Xvfb display for the Windows programs run under Wine.
# Sourced by the scripts that need one (e2e.sh, wine-tests.sh, bench.sh):
#
#   source tools/xvfb.sh [WIDTHxHEIGHT]   # exports DISPLAY, sets XVFB_PID
#   velmora_xvfb_stop                     # in the script's exit trap
#
# Xvfb picks a free display itself (-displayfd) and writes its number once
# it accepts connections, so runs side by side never share one and nothing
# is polled by name. Returns non-zero when Xvfb did not start.

velmora_xvfb_stop() {
  [[ -n ${XVFB_PID:-} ]] || return 0
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

velmora_xvfb_start() {
  local size=${1:-1280x1024} number_file number= _
  number_file=$(mktemp) || return 1
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp \
    3>"$number_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 200); do
    read -r number <"$number_file" || true
    [[ -n $number ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  rm -f "$number_file"
  if [[ -z $number ]]; then
    echo "Xvfb did not start" >&2
    velmora_xvfb_stop
    return 1
  fi
  export DISPLAY=:$number
}

velmora_xvfb_start "$@"
