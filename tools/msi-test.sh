#!/usr/bin/env bash
# Tests the Windows Installer package (make dist builds it): its tables with
# msiinfo, then under Wine, in a prefix of its own made anew each run,
# silent install, an upgrade to a package of a higher version (made here
# from the same exe), a downgrade refused with its message, uninstall, and
# an install with GUARD=0. Files, the shortcut and values are checked with
# `reg query`. Exits non-zero at the first failed check.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(sed -nE 's/^project\(velmora VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
IFS=. read -r major minor patch <<<"$version"
newer=$major.$minor.$((patch + 1))
msi=build/dist/velmora-$version-x64.msi
work=build/msi-test
[[ -f $msi ]] || { echo "msi-test: missing $msi (make dist)" >&2; exit 1; }

fail() { echo "msi-test: FAILED: $*" >&2; exit 1; }
ok() { echo "msi-test: ok: $*"; }
# has TEXT WHAT: the standard input holds TEXT.
has() { grep -qF -- "$1" || fail "$2"; }

# --- the tables ---
table() { msiinfo export "$msi" "$1" | tr -d '\r'; }
props=$(table Property)
for row in $'ProductName\tVelmora' $'Manufacturer\tKestrin' \
  $'ProductVersion\t'"$version" $'ALLUSERS\t1' $'GUARD\t1' \
  $'ARPPRODUCTICON\tvelmora.ico' \
  $'UpgradeCode\t{A69215F0-1A4D-4FC6-929C-15967DBF4662}'; do
  has "$row" "Property row ${row/$'\t'/=}" <<<"$props"
done
table Component | has $'GuardAtSignin\t' "the sign-in component"
table Component | grep -F $'GuardAtSignin\t' | has 'GUARD = "1"' \
  "the sign-in component's condition"
table Upgrade | has WIX_DOWNGRADE_DETECTED "the downgrade row"
table LaunchCondition | has "A newer version of Velmora is already installed" \
  "the downgrade message"
table Shortcut | has $'StartMenuShortcut\tProgramMenuFolder\tVelmora' \
  "the Start menu shortcut"
table Registry | has 'Software\Microsoft\Windows\CurrentVersion\Run' \
  "the Run value"
for file in velmora.exe velmora.admx velmora.adml; do
  table File | has $'\t'"$file"$'\t' "file $file"
done
msiinfo streams "$msi" | has Icon.velmora.ico "the icon"
ok "tables of $msi"

# --- a package of a higher version, from the same exe ---
rm -rf "$work"; mkdir -p "$work"
/usr/bin/python3 cmake/msi.py build/win64/dist-exe/velmora.exe . "$work" \
  "$newer" >/dev/null

# shellcheck source=tools/wineprefix.sh
rm -rf build/msi-test-prefix
source tools/wineprefix.sh build/msi-test-prefix || exit 1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
packages=$WINEPREFIX/drive_c/packages
mkdir -p "$packages"
cp "$msi" "$work/velmora-$newer-x64.msi" "$packages/"
cd "$WINEPREFIX/drive_c"

msiexec() { wine msiexec "$@" </dev/null 2>/dev/null; }
reg() { wine reg "$@" 2>/dev/null | tr -d '\r'; }
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
folder="$WINEPREFIX/drive_c/Program Files/Velmora"
# Windows puts a per-machine package's shortcut in the common Programs
# folder; Wine's msi in the installing user's.
shortcuts=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velmora.lnk"
  "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Velmora.lnk")
shortcut_there() { [[ -f ${shortcuts[0]} || -f ${shortcuts[1]} ]]; }
# entries: "DisplayName|DisplayVersion|Publisher" of each installed Velmora.
entries() {
  local key
  for key in $(reg query "$uninstall_key" | grep -E '\{[0-9A-F-]+\}$'); do
    reg query "$key" | awk -v key="$key" '
      $1 == "DisplayName" { n = $3 } $1 == "DisplayVersion" { v = $3 }
      $1 == "Publisher" { p = $3 } END { if (n == "Velmora") print n "|" v "|" p }'
  done
}
installed_as() {
  [[ $(entries) == "Velmora|$1|Kestrin" ]] ||
    fail "Programs and Features shows '$(entries)', not Velmora $1 by Kestrin"
  [[ -f $folder/velmora.exe && -f $folder/policy/velmora.admx &&
    -f $folder/policy/en-US/velmora.adml ]] || fail "files of $1 missing"
  shortcut_there || fail "no Start menu shortcut with $1"
}

msiexec /i "C:\\packages\\velmora-$version-x64.msi" /qn ||
  fail "silent install of $version"
installed_as "$version"
cmp -s "$folder/velmora.exe" "$root/build/win64/dist-exe/velmora.exe" ||
  fail "the installed exe is not the built one"
reg query "$run_key" /v Velmora |
  has '"C:\Program Files\Velmora\velmora.exe" /guard' "the every-user Run value"
event_key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Velmora'
reg query "$event_key" /v EventMessageFile |
  has 'REG_EXPAND_SZ    C:\Program Files\Velmora\velmora.exe' \
  "the event source's message file, expandable"
reg query "$event_key" /v TypesSupported | has '0x7' "the event types"
ok "silent install of $version"

msiexec /i "C:\\packages\\velmora-$newer-x64.msi" /qn ||
  fail "silent upgrade to $newer"
installed_as "$newer"
ok "upgrade to $newer, one entry in Programs and Features"

# The message itself is the LaunchCondition row checked above: Wine's
# msiexec neither shows nor logs it under /qn, but fails the install on it.
rc=0
msiexec /i "C:\\packages\\velmora-$version-x64.msi" /qn /l 'C:\packages\down.log' ||
  rc=$?
# 1603, ERROR_INSTALL_FAILURE, as Linux keeps an exit code: its low byte.
[[ $rc -eq $((1603 % 256)) ]] ||
  fail "the older package over the newer: exit $rc, not 1603"
tr -d '\0' <"$packages/down.log" | has "WIX_DOWNGRADE_DETECTED = {" \
  "the refusal found the newer install"
installed_as "$newer"
ok "the older package refused (its launch condition)"

msiexec /x "C:\\packages\\velmora-$newer-x64.msi" /qn || fail "silent uninstall"
[[ -z $(entries) ]] || fail "still in Programs and Features: $(entries)"
[[ ! -e $folder ]] || fail "$folder left behind"
! shortcut_there || fail "the shortcut left behind"
! reg query "$run_key" /v Velmora >/dev/null || fail "the Run value left behind"
! reg query "$event_key" >/dev/null || fail "the event source left behind"
ok "silent uninstall removes every file, the shortcut and the value"

msiexec /i "C:\\packages\\velmora-$version-x64.msi" GUARD=0 /qn ||
  fail "install with GUARD=0"
installed_as "$version"
! reg query "$run_key" /v Velmora >/dev/null || fail "GUARD=0 wrote the Run value"
msiexec /x "C:\\packages\\velmora-$version-x64.msi" /qn || fail "uninstall"
ok "GUARD=0 leaves the Run value out"
