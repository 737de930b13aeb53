# Sourced by tools/wine-tests.sh: a drive letter typed "network" whose file
# system stops answering while a flag file exists (tools/stall_fs.py), for
# the stalled-drive tests.
#
#   stall_drive_mount DIR      mounts the file system under DIR; sets
#                              stall_map (LETTER=PATH for wineprefix.sh)
#   stall_drive_register       types the letter "network" in the prefix and
#                              exports VELMORA_TEST_STALL_DRIVE and _FLAG
#   stall_drive_unmount        ends the stall and unmounts
# Without root, /dev/fuse or python3-fusepy nothing is mounted and the tests
# say why they skip (VELMORA_TEST_STALL_SKIP).

stall_letter=S
stall_fs=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/stall_fs.py
stall_map=()
stall_mnt=
stall_pid=

stall_drive_mount() {
  local dir=$1
  export VELMORA_TEST_STALL_SKIP=
  if [[ $(id -u) -ne 0 ]]; then VELMORA_TEST_STALL_SKIP="not root"
  elif [[ ! -c /dev/fuse ]]; then VELMORA_TEST_STALL_SKIP="no /dev/fuse"
  elif ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null; then
    VELMORA_TEST_STALL_SKIP="python3-fusepy missing"
  fi
  [[ -n $VELMORA_TEST_STALL_SKIP ]] && return 0
  stall_mnt=$dir/mnt
  mountpoint -q "$stall_mnt" 2>/dev/null && umount -l "$stall_mnt"
  rm -rf "$dir/backing" && mkdir -p "$dir/backing" "$stall_mnt"
  /usr/bin/python3 "$stall_fs" "$dir/backing" "$stall_mnt" \
    "$dir/flag" >"$dir/log" 2>&1 &
  stall_pid=$!
  for _ in $(seq 50); do mountpoint -q "$stall_mnt" && break; sleep 0.1; done
  if ! mountpoint -q "$stall_mnt"; then
    VELMORA_TEST_STALL_SKIP="the FUSE mount failed: $(tail -n 1 "$dir/log")"
    return 0
  fi
  stall_map=("$stall_letter=$stall_mnt/drive")
}

# The flag is C:\velmora\stall.flag, so the tests switch the stall on and
# off through Win32.
stall_drive_register() {
  [[ -n $stall_mnt && -z $VELMORA_TEST_STALL_SKIP ]] || return 0
  wine reg add 'HKLM\Software\Wine\Drives' /v "${stall_letter,,}:" \
    /d network /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
  ln -sfn "$WINEPREFIX/drive_c/velmora/stall.flag" "${stall_mnt%/mnt}/flag"
  export VELMORA_TEST_STALL_DRIVE=$stall_letter
  export VELMORA_TEST_STALL_FLAG='C:\velmora\stall.flag'
}

stall_drive_unmount() {
  [[ -n $stall_mnt ]] || return 0
  rm -f "${stall_mnt%/mnt}/flag" "$WINEPREFIX/drive_c/velmora/stall.flag"
  umount "$stall_mnt" 2>/dev/null || umount -l "$stall_mnt" 2>/dev/null
  [[ -n $stall_pid ]] && wait "$stall_pid" 2>/dev/null
  stall_mnt=
}
