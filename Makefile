# The two everyday commands are `make run` and `make test`; both install what
# is missing first (as root) and build. See README.md.
NATIVE := build/native
WIN64  := build/win64
JOBS   ?= 2

.PHONY: all deps native win64 run test unit wine-tests e2e fuzz bench format clean

all: native win64

deps:
	@tools/deps.sh

native: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(NATIVE) -j$(JOBS)

win64: deps
	@cmake -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
	@cmake --build $(WIN64) -j$(JOBS)

# Starts velmora.exe under Wine. By default in a throwaway prefix whose D:
# and E: hold sample autorun.inf files; WINEPREFIX=~/.wine runs it on your
# own Wine drives instead.
run: win64
	@tools/run.sh

test: all
	@tools/test.sh

bench: win64
	@tools/bench.sh

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
