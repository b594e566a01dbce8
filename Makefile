# dftanalyze: `make` builds the three programs, `make test` runs every test, `make run` starts the
# program on the example data. Each target installs the Debian packages it needs first: `make` and
# `make run` those of the build (tools/setup-deps build), the tests those of the tests too.
JOBS ?= 2
CMAKE ?= cmake
GEN := -G Ninja
BUILDS := linux win64 win32

.PHONY: all deps test-deps build test run bench clean
all: build

deps:
	@./tools/setup-deps build
# After deps, never beside it: two apt-get at once would fight over the package lock.
test-deps: deps
	@./tools/setup-deps test

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

test: test-deps build
	cd build/linux && ctest --output-on-failure -j $(JOBS) -LE wine
	$(MAKE) --no-print-directory test-i386
	cd build/win64 && ctest --output-on-failure
	cd build/win32 && ctest --output-on-failure -R '^resources$$'
	cd build/linux && ctest --output-on-failure -L wine
	$(MAKE) --no-print-directory test-tsan
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-valgrind
	$(MAKE) --no-print-directory test-fuzz
	$(MAKE) --no-print-directory test-release
	@echo "all tests passed"

# The 32-bit x86 code run for real: a static -m32 build (SSE2 arithmetic, as the 32-bit Windows
# build) of the numeric and transform tests and of the program, run under qemu-i386, since this
# kernel runs no 32-bit programs. One line-console session of two passes (N = 256 shown, then
# N = 1001 of 256 samples) must give the 64-bit program's output, Result.csv and Result.svg byte
# for byte.
.PHONY: test-i386
I386_ANSWERS := 256\nYES\n\nYES\n9\n1001\nYES\n\nNO\n\n
I386_SESSION := build/i386/session
build/i386/build.ninja: | test-deps
	$(CMAKE) -S . -B build/i386 $(GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i386.cmake -DCMAKE_CROSSCOMPILING_EMULATOR=qemu-i386
test-i386: build/i386/build.ninja build/linux/build.ninja
	$(CMAKE) --build build/i386 -j $(JOBS) --target test_math test_app dftanalyze
	$(CMAKE) --build build/linux -j $(JOBS) --target dftanalyze
	cd build/i386 && ctest --output-on-failure -R '^(math|app)$$'
	rm -rf $(I386_SESSION) && mkdir -p $(I386_SESSION)/32 $(I386_SESSION)/64
	cp examples/data.csv $(I386_SESSION)/32/ && cp examples/data.csv $(I386_SESSION)/64/
	cd $(I386_SESSION)/32 && printf '$(I386_ANSWERS)' | timeout 600 qemu-i386 ../../dftanalyze > out.txt
	cd $(I386_SESSION)/64 && printf '$(I386_ANSWERS)' | ../../../linux/dftanalyze > out.txt
	cmp $(I386_SESSION)/32/out.txt $(I386_SESSION)/64/out.txt
	cmp $(I386_SESSION)/32/Result.csv $(I386_SESSION)/64/Result.csv
	cmp $(I386_SESSION)/32/Result.svg $(I386_SESSION)/64/Result.svg

# ThreadSanitizer build of the console and transform tests: the two-thread hand-over of the input
# line and the transform's workers, which run while the program thread asks its questions, must
# run without a single report.
.PHONY: test-tsan
build/tsan/build.ninja: | test-deps
	$(CMAKE) -S . -B build/tsan $(GEN) -DCMAKE_BUILD_TYPE=Release -DDFT_SANITIZE=thread
test-tsan: build/tsan/build.ninja
	$(CMAKE) --build build/tsan -j $(JOBS) --target test_console test_app
	cd build/tsan && TSAN_OPTIONS=halt_on_error=1 ./test_console --gtest_brief=1
	cd build/tsan && TSAN_OPTIONS=halt_on_error=1 ./test_app --gtest_brief=1

# AddressSanitizer with UndefinedBehaviorSanitizer (the first report ends the program): the native
# unit tests and every end-to-end test of the Linux build, the hostile inputs included.
.PHONY: test-asan
build/asan/build.ninja: | test-deps
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
test-valgrind: test-deps build/linux/build.ninja
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
FUZZERS := fuzz_data_file fuzz_terminal fuzz_divide
build/fuzz/build.ninja: | test-deps
	$(CMAKE) -S . -B build/fuzz $(GEN) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
	  -DDFT_SANITIZE=fuzzer -DDFT_TESTS=OFF
test-fuzz: build/fuzz/build.ninja
	$(CMAKE) --build build/fuzz -j $(JOBS) --target $(FUZZERS)
	./tools/run-fuzzers 60 short
fuzz: build/fuzz/build.ninja
	$(CMAKE) --build build/fuzz -j $(JOBS) --target $(FUZZERS)
	./tools/run-fuzzers $(FUZZ_SECONDS) long

run: deps build/linux/build.ninja
	$(CMAKE) --build build/linux -j $(JOBS) --target dftanalyze
	mkdir -p build/linux/run && cp -n examples/data.csv build/linux/run/data.csv 2>/dev/null || true
	cd build/linux/run && ../dftanalyze

# The transforms side by side (the plain loop, every pair in lanes, the bins Result.csv needs with
# shared angles, all bins with them) and the evaluations saved: N = 20000 unless BENCH_N says so;
# then division's throughput in the same lanes (the divider, the FMA units, mixes), how close the
# fast transforms run to the best, and the transform dividing each way (DFT_DIVIDE: app/transform.h).
BENCH_N ?= 20000
bench: deps build/linux/build.ninja
	$(CMAKE) --build build/linux -j $(JOBS) --target transform_bench
	./build/linux/transform_bench $(BENCH_N)

# The display's cost in the window under Wine and in the terminal console, one run: BENCH_N lines.
.PHONY: bench-console
bench-console: test-deps build/linux/build.ninja build/win64/build.ninja
	$(CMAKE) --build build/linux -j $(JOBS) --target dftanalyze
	$(CMAKE) --build build/win64 -j $(JOBS) --target dftanalyze
	python3 bench/console_display.py build/win64/dftanalyze.exe build/linux/dftanalyze $(BENCH_N)

clean:
	rm -rf build

# Install and archives. `make install` puts the Linux program, its man page and the READMEs with
# the example under PREFIX (below DESTDIR when set); `make uninstall` removes what that put there,
# and the folders it made that are left empty. `make dist` writes the release archives and
# SHA256SUMS into dist/, the same bytes on every build of one commit (tools/make-dist).
PREFIX ?= /usr/local
.PHONY: install uninstall dist test-release
install: build/linux/build.ninja
	$(CMAKE) --build build/linux -j $(JOBS) --target dftanalyze
	DESTDIR="$(DESTDIR)" ./tools/install-tree install build/linux "$(PREFIX)"
uninstall:
	./tools/install-tree uninstall build/linux
dist: deps
	JOBS=$(JOBS) ./tools/make-dist

# The release checks: two builds of the archives in two folders give the same bytes, and an
# install into a scratch folder holds exactly the expected files, runs, and uninstalls cleanly.
test-release: deps build/linux/build.ninja
	./tests/release/reproducible.sh
	./tests/release/install.sh
