# The two everyday commands are `make run` and `make test`; both install what
# is missing first (as root) and build. See README.md. Each build checks only
# the packages it needs (tools/deps.sh native|windows).
NATIVE := build/native
WIN64  := build/win64
JOBS   ?= 2

# The time stamps a build writes (the exe's link time, the zip's file times)
# are the last commit's, so that one commit builds to the same bytes in any
# folder, at any time, on any machine; outside a git checkout a fixed time
# (2026-01-01). A value already in the environment is kept.
ifndef SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH := $(or $(shell git -C $(CURDIR) log -1 --format=%ct 2>/dev/null),1767225600)
endif
export SOURCE_DATE_EPOCH

.PHONY: all deps native win64 dist run test bench format clean

all: native win64

deps:
	@tools/deps.sh native windows

native:
	@tools/deps.sh native
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

win64:
	@tools/deps.sh windows
	@cmake -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DVELMORA_DIST_DIR=$(CURDIR)/build/dist >/dev/null
	@cmake --build $(WIN64) -j$(JOBS)

# build/dist/velmora-<version>-win64.zip (velmora.exe, README.md, LICENSE,
# the policy templates and SHA256SUMS) and velmora-<version>-x64.msi.
# SIGN_PFX=<file> SIGN_PASS_FILE=<file> [SIGN_TIMESTAMP=<url>] signs
# velmora.exe and the package (cmake/sign.py); without them nothing is
# signed. The files may be named relative to this folder.
override SIGN_PFX := $(if $(SIGN_PFX),$(abspath $(SIGN_PFX)))
override SIGN_PASS_FILE := $(if $(SIGN_PASS_FILE),$(abspath $(SIGN_PASS_FILE)))
# (The build below gets them from the environment alone: MAKEFLAGS would
# hand cmake's make the names as given.)
export SIGN_PFX SIGN_PASS_FILE SIGN_TIMESTAMP
dist: win64
	@env -u MAKEFLAGS -u MFLAGS cmake --build $(WIN64) --target dist

# Starts velmora.exe under Wine. By default in a throwaway prefix whose D:
# and E: hold sample autorun.inf files; WINEPREFIX=~/.wine runs it on your
# own Wine drives instead.
run: win64
	@tools/run.sh

test: all dist
	@tools/test.sh

bench: dist
	@tools/bench.sh

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
