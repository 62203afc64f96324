# The two commands of the project: `make demo` and `make test`. Everything else here is
# a step of those or a tool for developers.

BUILD      ?= build
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc)
# Warnings are errors in CI; locally they only warn.
WERROR     ?= $(if $(CI),ON,OFF)
CMAKE_COMMON = -G Ninja -DZELVANE_WERROR=$(WERROR)
# Paths inside the tree are hashed relative to it, so a fresh clone elsewhere reuses the
# compiler cache.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all deps configure build demo test unit tsan fuzz bench certs clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_COMMON) -DZELVANE_SANITIZE=address

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

certs: build
	@bash scripts/gen-certs.sh $(BUILD)/certs

# The client against the simulated platform: its window with a display, otherwise (or with
# HEADLESS=1) the walk-through offscreen with screenshots under $(BUILD)/demo.
demo: configure
	@JOBS=$(JOBS) bash scripts/demo.sh $(BUILD)

# Every test of the project under AddressSanitizer and UndefinedBehaviorSanitizer, then
# the threaded core tests under ThreadSanitizer and a short run of every fuzz target.
test: build
	@if [ -x scripts/gen-certs.sh ]; then bash scripts/gen-certs.sh $(BUILD)/certs; fi
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600
	$(MAKE) --no-print-directory tsan
	$(MAKE) --no-print-directory fuzz

unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -L unit

tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_COMMON) -DZELVANE_SANITIZE=thread -DZELVANE_WITH_QT=OFF \
	  -DZELVANE_COMPONENTS="app;api;control;player;sim"
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	@if [ -x scripts/gen-certs.sh ]; then bash scripts/gen-certs.sh $(TSAN_BUILD)/certs; fi
	cd $(TSAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L tsan --timeout 600

fuzz: deps
	@if [ -f fuzz/CMakeLists.txt ]; then \
	  cmake -S . -B $(FUZZ_BUILD) $(CMAKE_COMMON) -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
	    -DZELVANE_FUZZ=ON -DZELVANE_SANITIZE=fuzzer -DZELVANE_WITH_QT=OFF -DZELVANE_COMPONENTS="app;api;control;player" && \
	  cmake --build $(FUZZ_BUILD) -j $(JOBS) && bash scripts/run-fuzz.sh $(FUZZ_BUILD); \
	fi

bench: deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	@bash scripts/run-bench.sh $(BENCH_BUILD)

clean:
	rm -rf $(BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
