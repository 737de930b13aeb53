#!/usr/bin/env bash
# The benchmarks (`make bench`), under Wine on a private Xvfb display, in a
# prefix whose C: to Z: are 24 ready drives (D: to Z: empty folders under
# build/bench-drives/). Prints one "name: value unit (target ...)" line per
# figure, with stable names; benchmarks report, they never fail the build.
# The load average comes first and last, as the machine's load moves every
# figure.
#
#   STARTS=20 RUNS=10 SECONDS_CPU=30 PASSES=30 TICKS=2000 tools/bench.sh
#
# ONLY="startup timer" runs just the named benchmarks, out of: startup, tick,
# timer, arrival, memory, repair, stall, guard, look, scan, event.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 0
root=$PWD
bin=build/win64
runs=${RUNS:-10}
starts=${STARTS:-20}
cpu_seconds=${SECONDS_CPU:-30}
passes=${PASSES:-30}
tick_count=${TICKS:-2000}
only=" ${ONLY:-startup tick timer arrival memory repair stall guard look scan event} "
wanted() { [[ $only == *" $1 "* ]]; }

programs=(velmora bare_window plain_window startup_time removal_tick timer_cpu
          arrival_latency working_set guard_mode arrival_look scan_time
          scan_baseline event_cost)
for exe in "${programs[@]}"; do
  [[ -f $bin/$exe.exe ]] || { echo "bench: $bin/$exe.exe is missing (make win64)"; exit 0; }
done

echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg) (2 cores)"
size=$(stat -c %s "$bin/velmora.exe")
printf 'executable size: %d bytes = %.2f MB (target < 1 MB)\n' "$size" \
  "$(awk -v s="$size" 'BEGIN { print s / 1048576 }')"

msi=$(ls "$root"/build/dist/velmora-*-x64.msi 2>/dev/null | head -1)
if [[ -n $msi ]]; then
  msi_size=$(stat -c %s "$msi")
  printf 'package size: %d bytes, the exe %+.1f KB (target <= the exe + 64 KB)\n' \
    "$msi_size" "$(awk -v m="$msi_size" -v e="$size" 'BEGIN { print (m - e) / 1024 }')"
else
  echo "package size: not measured (make dist)"
fi

drives=$root/build/bench-drives
mountpoint -q "$drives/g" 2>/dev/null && umount "$drives/g"
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
# start-up is timed with C:, D: and E:; everything else with C: to Z:, where
# z: (left out by wineprefix.sh, as it is the Linux root by default) is one
# more empty folder.
# shellcheck source=tools/wineprefix.sh
source tools/wineprefix.sh "$root/build/bench/prefix" ||
  { echo "bench: cannot make the prefix"; exit 0; }

dest=$WINEPREFIX/drive_c/bench
mkdir -p "$dest"
for exe in "${programs[@]}"; do
  cp "$bin/$exe.exe" "$dest/"
done
cd "$dest" || exit 0

# CPU ticks (user + system) of Linux processes, from /proc.
ticks() {
  local pid stat sum=0
  for pid in "$@"; do
    stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
    stat=${stat##*) }
    sum=$((sum + $(awk '{ print $12 + $13 }' <<<"$stat")))
  done
  echo "$sum"
}
# The Linux pids of the Wine processes of this prefix whose command line
# matches.
prefix_pids() {
  local p
  for p in $(pgrep -f "$1"); do
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      echo "$p"
  done
}
share() { awk -v t="$1" -v hz="$hz" -v s="$2" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }
difference() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a - b }'; }

# Maps the drive letters anew (C: stays).
set_drives() {
  source "$root/tools/wineprefix.sh" "$WINEPREFIX" "$@" >/dev/null 2>&1
}
set_drives D="$drives/d" E="$drives/e"
# Wine draws the frames itself and does not wait for a window manager.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# The timers' share of a core (bench/timer_cpu.cpp announces its stretches):
# the CPU ticks, read from /proc, of velmora.exe alone and of velmora.exe
# with wineserver and the winedevice.exe processes (Wine's mount manager
# answers the volume queries there), over each stretch with a timer running,
# less the same over the stretches with none. Over the "floor" stretch the
# floor loop runs in timer_cpu.exe, which is counted in velmora.exe's place.
hz=$(getconf CLK_TCK)
timer_cpu() {
  local tag="(24 drives)" app='' runner='' others='' phase='' line now
  local last_app=0 last_runner=0 last_others=0 last_time=0 secs own_ticks
  local app_ticks runner_ticks others_ticks
  declare -A own=() all=() wall=()
  while IFS= read -r line; do
    line=${line%$'\r'}
    if [[ $line != "timer cpu phase: "* ]]; then
      echo "$line"
      continue
    fi
    [[ -n $app ]] || app=$(prefix_pids '^[^ ]*velmora\.exe' | head -n1)
    [[ -n $runner ]] || runner=$(prefix_pids '^[^ ]*timer_cpu\.exe' | head -n1)
    [[ -n $others ]] || others=$(prefix_pids 'wineserver|winedevice\.exe' | tr '\n' ' ')
    now=$(date +%s.%N)
    app_ticks=$(ticks "${app:-0}") runner_ticks=$(ticks "${runner:-0}")
    # shellcheck disable=SC2086
    others_ticks=$(ticks $others)
    if [[ -n $phase && -n $app ]]; then
      secs=$(awk -v a="$now" -v b="$last_time" 'BEGIN { print a - b }')
      own_ticks=$((app_ticks - last_app))
      [[ $phase == floor ]] && own_ticks=$((runner_ticks - last_runner))
      own[$phase]=$(( ${own[$phase]:-0} + own_ticks ))
      all[$phase]=$(( ${all[$phase]:-0} + own_ticks + others_ticks - last_others ))
      wall[$phase]=$(awk -v a="${wall[$phase]:-0}" -v b="$secs" 'BEGIN { print a + b }')
    fi
    phase=${line#timer cpu phase: } last_time=$now
    last_app=$app_ticks last_runner=$runner_ticks last_others=$others_ticks
  done < <(wine 'C:\bench\timer_cpu.exe' 'C:\bench\velmora.exe' "$cpu_seconds")
  if [[ -z ${wall[off]:-} || -z ${wall[timer]:-} || -z ${wall[refresh]:-} ]]; then
    echo "timer ticks' share $tag: not measured"
    echo "refresh ticks' share $tag: not measured"
    return
  fi
  local idle_own idle_all
  idle_own=$(share "${own[off]}" "${wall[off]}") idle_all=$(share "${all[off]}" "${wall[off]}")
  echo "idle cpu, options off $tag: $idle_own% of one core, $idle_all% with wineserver and winedevice" \
    "($(wc -w <<<"$others") processes besides velmora.exe counted)"
  local name target
  for phase in floor timer refresh; do
    [[ -n ${wall[$phase]:-} ]] || continue
    case $phase in
      floor) name="floor loop's share" target='' ;;
      timer) name="timer ticks' share" target=' (target < 1%)' ;;
      refresh) name="refresh ticks' share" target=' (target < 0.3%)' ;;
    esac
    echo "$name $tag: $(difference "$(share "${own[$phase]}" "${wall[$phase]}")" "$idle_own")% of one core," \
      "$(difference "$(share "${all[$phase]}" "${wall[$phase]}")" "$idle_all")% with wineserver and winedevice$target"
  done
}

if wanted startup; then
  wine 'C:\bench\startup_time.exe' 'C:\bench\velmora.exe' 'Kestrin - Velmora 2.0' \
    'C:\bench\plain_window.exe' 'Velmora Bench Plain Window' \
    'C:\bench\bare_window.exe' 'Velmora Bench Bare Window' "$starts" ||
    echo "start-up time ratio: not measured"
fi

set_drives "${maps[@]}"
ln -sfn "$drives/z" "$WINEPREFIX/dosdevices/z:"
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
cd "$dest" || exit 0
if wanted tick; then
  wine 'C:\bench\removal_tick.exe' 'C:\bench\velmora.exe' "$passes" ||
    echo "removal tick ratio: not measured"
fi
wanted timer && timer_cpu
# M:, one of the 24 drives: the arrival message against the timer alone.
if wanted arrival; then
  wine 'C:\bench\arrival_latency.exe' 'C:\bench\velmora.exe' M "$runs" ||
    echo "arrival latency ratio: not measured"
fi
# Guard mode (bench/guard_mode.cpp): /guard to the icon against the window's
# start, threads, ticks guarding against ticks in the window, working set.
if wanted guard; then
  wine 'C:\bench\guard_mode.exe' 'C:\bench\velmora.exe' "$runs" "$tick_count" ||
    echo "guard start-up ratio: not measured"
fi
# The arrival's shortcut-worm look (bench/arrival_look.cpp) on N:, empty.
if wanted look; then
  wine 'C:\bench\arrival_look.exe' N "$passes" ||
    echo "arrival look ratio: not measured"
fi
# The command line (bench/scan_time.cpp): velmora.exe /scan of the 24
# drives against a plain console program that looks at each, both with
# their output to a pipe; and what an event adds to a deletion, on O:
# (bench/event_cost.cpp).
if wanted scan; then
  wine 'C:\bench\scan_time.exe' 'C:\bench\velmora.exe' 'C:\bench\scan_baseline.exe' \
    "$runs" || echo "scan time ratio: not measured"
fi
if wanted event; then
  wine 'C:\bench\event_cost.exe' O 200 || echo "event cost per deletion: not measured"
  rm -f "$drives/o/autorun.inf"
fi
if wanted memory; then
  wine 'C:\bench\working_set.exe' 'C:\bench\velmora.exe' 'C:\bench\bare_window.exe' \
    'Velmora Bench Bare Window' "$tick_count" || echo "working set: not measured"
fi
# Repair Hidden Files (bench/repair_drive.cpp): 100,000 hidden files in 2,000
# folders on X:, against attrib -h -s /s /d, and the command's longest tick.
if wanted repair; then
  cp "$root/$bin/repair_drive.exe" "$dest/" &&
    wine 'C:\bench\repair_drive.exe' X 100000 2000 || echo "repair time ratio: not measured"
  rm -rf "$drives/x"/*
fi

# One of the 24 drives, S:, becomes a network drive that stops answering
# (tools/stall-drive.sh): the window's worst answer while a search and the
# timer run (bench/stalled_window.cpp). G: is then a write-protected stick
# holding an autorun.inf (a read-only bind mount, where one can be made),
# whose failed removal must not wait on S:.
if wanted stall; then
  source "$root/tools/stall-drive.sh"
  stall_drive_mount "$root/build/bench-stall"
  if [[ -n $VELMORA_TEST_STALL_SKIP ]]; then
    echo "stalled drive: worst window answer: not measured ($VELMORA_TEST_STALL_SKIP)"
  else
    mkdir -p "$drives/g-src"
    printf '[autorun]\r\nopen=setup.exe\r\n' >"$drives/g-src/autorun.inf"
    if mount --bind "$drives/g-src" "$drives/g" 2>/dev/null &&
      ! mount -o remount,bind,ro "$drives/g" 2>/dev/null; then
      umount "$drives/g"
    fi
    mountpoint -q "$drives/g" || echo "stalled drive: G: is not write-protected (no bind mount)"
    trap 'stall_drive_unmount; umount "$drives/g" 2>/dev/null; cleanup' EXIT
    set_drives "${maps[@]/#S=*/${stall_map[0]}}"
    ln -sfn "$drives/z" "$WINEPREFIX/dosdevices/z:"
    mkdir -p "$WINEPREFIX/drive_c/velmora"
    stall_drive_register
    cp "$root/$bin/stalled_window.exe" "$dest/" &&
      wine 'C:\bench\stalled_window.exe' 'C:\bench\velmora.exe' "$VELMORA_TEST_STALL_FLAG" 10 ||
      echo "stalled drive: worst window answer: not measured"
  fi
fi


echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg) (2 cores)"
exit 0
