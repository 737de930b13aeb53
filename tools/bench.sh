#!/usr/bin/env bash
# The benchmarks (`make bench`), under Wine on a private Xvfb display, in a
# prefix whose C: to Z: are 24 ready drives (D: to Z: empty folders under
# build/bench-drives/). Prints one "name: value (target ...)" line per
# measure. Benchmarks report; they never fail the build.
#
#   RUNS=10 SECONDS_CPU=20 tools/bench.sh
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bin=build/win64
runs=${RUNS:-10}
cpu_seconds=${SECONDS_CPU:-20}

for exe in velmora bare_window startup_time removal_tick timer_cpu; do
  [[ -f $bin/$exe.exe ]] || { echo "bench: $bin/$exe.exe is missing (make win64)"; exit 0; }
done

size=$(stat -c %s "$bin/velmora.exe")
printf 'executable size: %d bytes = %.2f MB (target < 1 MB)\n' "$size" \
  "$(awk -v s="$size" 'BEGIN { print s / 1048576 }')"

drives=$root/build/bench-drives
rm -rf "$drives"
maps=()
for l in {d..y}; do mkdir -p "$drives/$l"; maps+=("${l^^}=$drives/$l"); done
mkdir -p "$drives/z"

# shellcheck source=tools/xvfb.sh
source tools/xvfb.sh 1280x1024 || { echo "bench: no X display"; exit 0; }
cleanup() {
  wineserver -k 2>/dev/null
  velmora_xvfb_stop
}
trap cleanup EXIT

# The prefix is kept between runs (only its drives are made anew). The
# start-up is timed with C:, D: and E:; the removal with C: to Z:, where z:
# (left out by wineprefix.sh, as it is the Linux root by default) is one
# more empty folder.
# shellcheck source=tools/wineprefix.sh
source tools/wineprefix.sh "$root/build/bench/prefix" ||
  { echo "bench: cannot make the prefix"; exit 0; }

dest=$WINEPREFIX/drive_c/bench
mkdir -p "$dest"
for exe in velmora bare_window startup_time removal_tick timer_cpu; do
  cp "$bin/$exe.exe" "$dest/"
done
cd "$dest" || exit 0

# CPU ticks (user + system) of a Linux process, from /proc.
ticks() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
  stat=${stat##*) }
  awk '{ print $12 + $13 }' <<<"$stat"
}
# The Linux pid of a Wine process of this prefix whose command line matches.
prefix_pid() {
  local p
  for p in $(pgrep -f "$1"); do
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      { echo "$p"; return; }
  done
}
percent() { awk -v t="$1" -v hz="$2" -v s="$3" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }

# Maps the drive letters anew (C: stays).
set_drives() {
  source "$root/tools/wineprefix.sh" "$WINEPREFIX" "$@" >/dev/null 2>&1
}
set_drives D="$drives/d" E="$drives/e"
# Wine draws the frames itself and does not wait for a window manager.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Wine gives no CPU times for another process, so the phases that
# timer_cpu.exe announces are measured here from /proc as well, for
# velmora.exe alone and with the wineserver that does part of its work.
# The ticks' share is the running share less the idle one.
# timer_cpu DRIVES: one run, its lines tagged with the number of drives.
hz=$(getconf CLK_TCK)
timer_cpu() {
  local tag="($1 drives)" app_pid= server_pid= last_app=0 last_server=0
  local last_time=0 phase= line now app server secs own both idle_own=0 idle_both=0
  while IFS= read -r line; do
    line=${line%$'\r'}
    if [[ $line != "timer cpu phase: "* ]]; then
      [[ $line == "timer cpu: GetProcessTimes"* ]] || echo "$line"
      continue
    fi
    [[ -n $app_pid ]] || app_pid=$(prefix_pid '^[^ ]*velmora\.exe')
    [[ -n $server_pid ]] || server_pid=$(prefix_pid wineserver)
    now=$(date +%s.%N)
    app=$(ticks "${app_pid:-0}") server=$(ticks "${server_pid:-0}")
    if [[ -n $phase && -n $app_pid ]]; then
      secs=$(awk -v a="$now" -v b="$last_time" 'BEGIN { print a - b }')
      own=$(percent $((app - last_app)) "$hz" "$secs")
      both=$(percent $((app - last_app + server - last_server)) "$hz" "$secs")
      if [[ $phase == off ]]; then
        echo "idle cpu, options off $tag: $own% of one core, $both% with wineserver"
        idle_own=$own idle_both=$both
      else
        echo "cpu with Timer1 running $tag: $own% of one core, $both% with wineserver"
        echo "timer ticks' share $tag: $(awk -v a="$own" -v b="$idle_own" 'BEGIN { printf "%.2f", a - b }')% of one core," \
          "$(awk -v a="$both" -v b="$idle_both" 'BEGIN { printf "%.2f", a - b }')% with wineserver (target < 1%)"
      fi
    fi
    phase=${line#timer cpu phase: } last_app=$app last_server=$server last_time=$now
  done < <(wine 'C:\bench\timer_cpu.exe' 'C:\bench\velmora.exe' "$cpu_seconds" ||
           echo "timer cpu share: not measured")
}
wine 'C:\bench\startup_time.exe' 'C:\bench\velmora.exe' 'Kestrin - Velmora 2.0' \
  'C:\bench\bare_window.exe' 'Velmora Bench Bare Window' "$runs" ||
  echo "start-up time ratio: not measured"
timer_cpu 3

set_drives "${maps[@]}"
ln -sfn "$drives/z" "$WINEPREFIX/dosdevices/z:"
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
cd "$dest" || exit 0
wine 'C:\bench\removal_tick.exe' 30 DJPV || echo "removal tick ratio: not measured"

timer_cpu 24
# Arrival latency (bench/arrival_latency.cpp): M:, one of the 24 drives, message against timer alone.
cp "$root/$bin/arrival_latency.exe" "$dest/" && wine 'C:\bench\arrival_latency.exe' 'C:\bench\velmora.exe' M "$runs" || echo "arrival latency ratio: not measured"
# Repair Hidden Files (bench/repair_drive.cpp): 100,000 hidden files in 2,000
# folders on X:, against attrib -h -s /s /d, and the command's longest tick.
cp "$root/$bin/repair_drive.exe" "$dest/" && wine 'C:\bench\repair_drive.exe' X 100000 2000 || echo "repair time ratio: not measured"
rm -rf "$drives/x"/*

# One of the 24 drives, S:, becomes a network drive that stops answering
# (tools/stall-drive.sh): the window's worst answer while a search and the
# timer run (bench/stalled_window.cpp).
source "$root/tools/stall-drive.sh"
stall_drive_mount "$root/build/bench-stall"
if [[ -n $VELMORA_TEST_STALL_SKIP ]]; then
  echo "stalled drive: worst window answer: not measured ($VELMORA_TEST_STALL_SKIP)"
else
  trap 'stall_drive_unmount; cleanup' EXIT
  set_drives "${maps[@]/#S=*/${stall_map[0]}}"
  ln -sfn "$drives/z" "$WINEPREFIX/dosdevices/z:"
  mkdir -p "$WINEPREFIX/drive_c/velmora"
  stall_drive_register
  cp "$root/$bin/stalled_window.exe" "$dest/" &&
    wine 'C:\bench\stalled_window.exe' 'C:\bench\velmora.exe' "$VELMORA_TEST_STALL_FLAG" 10 ||
    echo "stalled drive: worst window answer: not measured"
fi
exit 0
