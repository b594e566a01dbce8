# dftanalyze: `make` builds the three programs, `make test` runs every test, `make run` starts the
# program on the example data. Each target installs the Debian packages it needs first.
JOBS ?= 2
CMAKE ?= cmake
GEN := -G Ninja
BUILDS := linux win64 win32

.PHONY: all deps build test test-linux test-win64 run bench clean
all: build

deps:
	@./tools/setup-deps

build/linux/build.ninja: | deps
	$(CMAKE) -S . -B build/linux $(GEN) -DCMAKE_BUILD_TYPE=Release
build/win64/build.ninja: | deps
	$(CMAKE) -S . -B build/win64 $(GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win64.cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tools/wine-run
build/win32/build.ninja: | deps
	$(CMAKE) -S . -B build/win32 $(GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win32.cmake

build: deps $(foreach b,$(BUILDS),build/$(b)/build.ninja)
	$(foreach b,$(BUILDS),$(CMAKE) --build build/$(b) -j $(JOBS) &&) true

test: build
	cd build/linux && ctest --output-on-failure -j $(JOBS) -LE wine
	cd build/win64 && ctest --output-on-failure
	cd build/linux && ctest --output-on-failure -L wine
	$(MAKE) --no-print-directory test-tsan
	@echo "all tests passed"

# ThreadSanitizer build of the console tests and the POSIX message layer's: the two-thread
# hand-over of the input line must run without a single report.
.PHONY: test-tsan
build/tsan/build.ninja: | deps
	$(CMAKE) -S . -B build/tsan $(GEN) -DCMAKE_BUILD_TYPE=Release -DDFT_SANITIZE=thread
test-tsan: build/tsan/build.ninja
	$(CMAKE) --build build/tsan -j $(JOBS) --target test_console test_posix
	cd build/tsan && TSAN_OPTIONS=halt_on_error=1 ./test_console --gtest_brief=1
	cd build/tsan && TSAN_OPTIONS=halt_on_error=1 ./test_posix --gtest_brief=1 --gtest_filter='MsgQueue.*'

run: deps build/linux/build.ninja
	$(CMAKE) --build build/linux -j $(JOBS) --target dftanalyze
	mkdir -p build/linux/run && cp -n examples/data.csv build/linux/run/data.csv 2>/dev/null || true
	cd build/linux/run && ../dftanalyze

# The plain and the fast transform side by side: N = 20000 unless BENCH_N says otherwise.
BENCH_N ?= 20000
bench: deps build/linux/build.ninja
	$(CMAKE) --build build/linux -j $(JOBS) --target transform_bench
	./build/linux/transform_bench $(BENCH_N)

clean:
	rm -rf build
