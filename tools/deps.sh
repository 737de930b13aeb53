#!/usr/bin/env bash
# Installs what the build and the tests need and is missing: as root with
# apt-get, otherwise by printing the command to run.
set -euo pipefail

packages=()
need() { # need COMMAND-OR-PATH PACKAGE
  if [[ $1 == /* ]]; then [[ -e $1 ]] || packages+=("$2")
  else command -v "$1" >/dev/null 2>&1 || packages+=("$2"); fi
}
need cmake cmake
need make make
need g++ g++
need clang++ clang
need x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
need x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64
need wine wine
need /usr/lib/wine/wine64 wine64
need Xvfb xvfb
need /usr/src/googletest/CMakeLists.txt googletest
need import imagemagick
# The stalled network drive of the Wine tests (tools/stall-drive.sh).
need /usr/lib/python3/dist-packages/fusepy.py python3-fusepy
need /usr/lib/x86_64-linux-gnu/libfuse.so.2 libfuse2
need fusermount3 fuse3
compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
  packages+=(libclang-rt-14-dev)

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
