#!/usr/bin/env bash
# Installs what a build needs and is missing: as root with apt-get,
# otherwise by printing the command to run.
#
#   tools/deps.sh SET...
#     native    the Linux build: cmake, clang, GoogleTest, libFuzzer's runtime
#     windows   the mingw-w64 build and what runs it: Wine, Xvfb, ImageMagick,
#               Python 3 with pefile; the package, its signing and the policy
#               templates' check: msitools (wixl, msiinfo) with libmsi's
#               Python bindings, osslsigncode, openssl, xmllint
set -euo pipefail

packages=()
add() { [[ " ${packages[*]} " == *" $1 "* ]] || packages+=("$1"); }
need() { # need COMMAND-OR-PATH PACKAGE
  if [[ $1 == /* ]]; then [[ -e $1 ]] || add "$2"
  else command -v "$1" >/dev/null 2>&1 || add "$2"; fi
}
# The fuzz targets link clang's libFuzzer, packaged per clang version.
need_fuzzer_runtime() {
  compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" \
    >/dev/null && return
  local version
  version=$(clang++ -dumpversion 2>/dev/null || echo 14)
  add "libclang-rt-${version%%.*}-dev"
}

[[ $# -gt 0 ]] || { echo "usage: tools/deps.sh native|windows ..." >&2; exit 2; }
for set in "$@"; do
  need cmake cmake
  need make make
  need /usr/src/googletest/CMakeLists.txt googletest
  case $set in
    native)
      need clang++ clang
      need_fuzzer_runtime ;;
    windows)
      need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
      need x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64
      # The event messages' compiler (app/velmora_events.mc).
      need x86_64-w64-mingw32-windmc binutils-mingw-w64-x86-64
      need wine wine
      need /usr/lib/wine/wine64 wine64
      need Xvfb xvfb
      need convert imagemagick
      # The stalled network drive of the Wine tests (tools/stall-drive.sh).
      need /usr/lib/python3/dist-packages/fusepy.py python3-fusepy
      need /usr/lib/x86_64-linux-gnu/libfuse.so.2 libfuse2
      need fusermount3 fuse3
      # The dist zip (cmake/dist.py) and the PE check (tools/pe-check.py).
      need /usr/bin/python3 python3
      need /usr/lib/python3/dist-packages/pefile.py python3-pefile
      # The Windows Installer package (cmake/msi.py) and its tests.
      need wixl wixl
      need msiinfo msitools
      need /usr/lib/x86_64-linux-gnu/girepository-1.0/Libmsi-1.0.typelib \
        gir1.2-libmsi-1.0
      need /usr/lib/python3/dist-packages/gi/__init__.py python3-gi
      # Signing (cmake/sign.py) and the throwaway certificate of its test.
      need osslsigncode osslsigncode
      need openssl openssl
      # The policy templates' check (tools/policy-check.py).
      need xmllint libxml2-utils ;;
    *) echo "tools/deps.sh: unknown set $set (native, windows)" >&2; exit 2 ;;
  esac
done

[[ ${#packages[@]} -eq 0 ]] && exit 0
if [[ $(id -u) -eq 0 ]]; then
  echo "Installing: ${packages[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${packages[@]}"
else
  echo "Missing packages. Run:" >&2
  echo "  sudo apt-get install ${packages[*]}" >&2
  exit 1
fi
