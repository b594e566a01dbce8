# dftanalyze: `make` builds the three programs, `make test` runs every test, `make run` starts the
# program on the example data. Each target installs the Debian packages it needs first.
JOBS ?= 2
CMAKE ?= cmake
GEN := -G Ninja
BUILDS := linux win64 win32

.PHONY: all deps build test test-linux test-win64 run clean
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
	cd build/linux && ctest --output-on-failure -j $(JOBS)
	cd build/win64 && ctest --output-on-failure
	@echo "all tests passed"

run: deps build/linux/build.ninja
	$(CMAKE) --build build/linux -j $(JOBS) --target dftanalyze
	mkdir -p build/linux/run && cp -n examples/data.csv build/linux/run/data.csv 2>/dev/null || true
	cd build/linux/run && ../dftanalyze

clean:
	rm -rf build
