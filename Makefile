# Quick start on a fresh Debian 12 machine (as root):
#   make demo   runs the program under Wine over a sample program folder
#   make test   builds everything and runs every test (native, then Wine)
#   make dist   build/dist/partsdl-<version>.zip for the suite's program folder

JOBS ?= 2
.PHONY: deps native native-asan windows test soak demo dist bench fuzz clean

deps:
	@bash scripts/install-deps.sh

native: deps
	cmake --preset native >/dev/null
	cmake --build build/native -j$(JOBS)

native-asan: deps
	cmake --preset native-asan >/dev/null
	cmake --build build/native-asan -j$(JOBS)

# The 32-bit program that ships, and the same sources for 64-bit Windows,
# which run where the kernel cannot start 32-bit programs.
windows: deps
	cmake --preset windows >/dev/null
	cmake --build build/windows -j$(JOBS)
	cmake --preset win64 >/dev/null
	cmake --build build/win64 -j$(JOBS)

test: native native-asan windows
	ctest --test-dir build/native --output-on-failure -j$(JOBS)
	ctest --test-dir build/native-asan --output-on-failure -j$(JOBS)
	bash scripts/windows-suite.sh

# Seeded scenarios of whole runs with server faults, failing file
# operations and deaths, many more than the test runs: SOAK_SEEDS of them
# from SOAK_FIRST, or as many as SOAK_SECONDS allow when it is set.
SOAK_SEEDS ?= 20000
SOAK_FIRST ?= 1
SOAK_SECONDS ?=
soak: native
	SCENARIO_SEEDS=$(SOAK_SEEDS) SCENARIO_FIRST=$(SOAK_FIRST) SCENARIO_SECONDS=$(SOAK_SECONDS) \
	  build/native/tests/scenario/scenario_tests

demo: native windows
	bash scripts/demo.sh

# The zip of the 32-bit program folder with the user guides; the same
# sources give the same bytes.
dist: deps
	cmake --preset windows >/dev/null
	cmake --build build/windows -j$(JOBS)
	python3 scripts/dist.py

# Benchmarks and fuzzing are run by hand; their figures go into the README.
bench: native windows
	bash scripts/bench.sh

FUZZ_SECONDS ?= 600
fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build build/fuzz -j$(JOBS)
	bash scripts/fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf build
