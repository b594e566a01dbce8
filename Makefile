# dftanalyze: `make` builds the three programs, `make test` runs every test, `make run` starts the
# program on the example data. Each target installs the Debian packages it needs first.
JOBS ?= 2
CMAKE ?= cmake
GEN := -G Ninja
BUILDS := linux win64 win32

.PHONY: all deps build test run bench clean
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
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-valgrind
	$(MAKE) --no-print-directory test-fuzz
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

# AddressSanitizer with UndefinedBehaviorSanitizer (the first report ends the program): the native
# unit tests and every end-to-end test of the Linux build, the hostile inputs included.
.PHONY: test-asan
build/asan/build.ninja: | deps
	$(CMAKE) -S . -B build/asan $(GEN) -DCMAKE_BUILD_TYPE=Release -DDFT_SANITIZE=address
test-asan: build/asan/build.ninja
	$(CMAKE) --build build/asan -j $(JOBS)
	cd build/asan && UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -LE wine

# One whole line-console session under valgrind: two passes on the example data (N = 64 shown,
# N = 8 not). Any invalid access or definitely lost block fails it. Nothing is suppressed: the
# only block not given back is the detached console thread's, which valgrind calls "possibly
# lost" and the process end reclaims by design.
.PHONY: test-valgrind
VALGRIND_ANSWERS := 64\nYES\n\nYES\n9\n8\nYES\n\nNO\n\n
test-valgrind: build/linux/build.ninja
	$(CMAKE) --build build/linux -j $(JOBS) --target dftanalyze
	rm -rf build/valgrind && mkdir -p build/valgrind && cp examples/data.csv build/valgrind/
	cd build/valgrind && printf '$(VALGRIND_ANSWERS)' | timeout 600 valgrind -q --error-exitcode=99 \
	  --leak-check=full --errors-for-leak-kinds=definite --show-leak-kinds=definite \
	  ../linux/dftanalyze > session.txt
	grep -q 'Result.csv' build/valgrind/session.txt && test -s build/valgrind/Result.csv

# The fuzzers (fuzz/, clang and libFuzzer): `make test` runs each for 60 s from its seed corpus
# with seed 1; `make fuzz` for FUZZ_SECONDS each, growing its corpus in build/fuzz/corpus/.
.PHONY: test-fuzz fuzz
FUZZ_SECONDS ?= 300
build/fuzz/build.ninja: | deps
	$(CMAKE) -S fuzz -B build/fuzz $(GEN) -DCMAKE_CXX_COMPILER=clang++-14
test-fuzz: build/fuzz/build.ninja
	$(CMAKE) --build build/fuzz -j $(JOBS)
	./tools/run-fuzzers 60 short
fuzz: build/fuzz/build.ninja
	$(CMAKE) --build build/fuzz -j $(JOBS)
	./tools/run-fuzzers $(FUZZ_SECONDS) long

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
