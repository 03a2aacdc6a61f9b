# Entry points for developers and CI. Everything goes through CMake + Ninja;
# this file only strings the steps together.

SHELL := /bin/bash

BUILD_DIR := build
ASAN_DIR  := build-asan
TSAN_DIR  := build-tsan
COV_DIR   := build-coverage
BENCH_DIR := $(BUILD_DIR)/bench

SANITIZER_ENV = \
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	$(if $(wildcard .ci/lsan.supp),LSAN_OPTIONS=suppressions=$(CURDIR)/.ci/lsan.supp)

# halt_on_error: the first race ends the test, with its report. GIO's
# modules (TLS, proxy) stay unloaded: GIO loads and drops them at will, and
# TSan stops a process when a library it watches or ignores goes away.
TSAN_ENV = \
	GIO_MODULE_DIR=$(CURDIR)/$(TSAN_DIR)/no-gio-modules \
	TSAN_OPTIONS=suppressions=$(CURDIR)/.ci/tsan.supp:halt_on_error=1:second_deadlock_stack=1

# The suites make test-tsan builds (these targets only) and runs (ctest picks
# them by their labels, below): the player engine, the player host and its
# media keys.
TSAN_SUITES := platform_gst_tests player_tests media_keys_tests

BENCH_FLAGS = --benchmark_out_format=json \
	--benchmark_repetitions=5 \
	--benchmark_report_aggregates_only=true

.PHONY: all deps deps-package deps-bench build test test-sanitize test-tsan coverage coverage-map bench demo fuzz crash-test soak stress deb package-check lintian clean

all: build

# What building, testing and the demo need; the packaging tools and the
# benchmarks' peers come with the targets that use them.
deps:
	bash scripts/install-deps

deps-package:
	bash scripts/install-deps --package

deps-bench:
	bash scripts/install-deps --bench

build: deps
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ] || [ ! -f $(BUILD_DIR)/build.ninja ]; then \
		echo "cmake -S . -B $(BUILD_DIR) -G Ninja"; \
		cmake -S . -B $(BUILD_DIR) -G Ninja; \
	fi
	cmake --build $(BUILD_DIR)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2

test-sanitize: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DLUMO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DLUMO_BUILD_BENCH=OFF
	cmake --build $(ASAN_DIR)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_DIR) --output-on-failure -j2

# The player's suites under ThreadSanitizer; only their targets are built.
test-tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DLUMO_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMO_BUILD_BENCH=OFF
	cmake --build $(TSAN_DIR) --target $(TSAN_SUITES)
	$(TSAN_ENV) ctest --test-dir $(TSAN_DIR) --output-on-failure -j2 -L '^(platform_gst_tests|player_tests|media_keys_tests)$$'

# Line coverage of the product code (not tests/, bench/, scripts/) over a
# run of every test, from an unoptimised build with gcov's counters. The
# summary is printed; build-coverage/coverage.txt lists every file.
coverage: deps
	bash scripts/install-deps --coverage
	cmake -S . -B $(COV_DIR) -G Ninja -DLUMO_COVERAGE=ON -DCMAKE_BUILD_TYPE=Debug -DLUMO_BUILD_BENCH=OFF
	cmake --build $(COV_DIR)
	find $(COV_DIR) -name '*.gcda' -delete
	status=0; ctest --test-dir $(COV_DIR) --output-on-failure -j2 || status=$$?; \
	gcovr --root . --object-directory $(COV_DIR) --exclude 'tests/' --exclude 'bench/' --exclude '$(COV_DIR)/' \
		-j 2 --print-summary --txt $(COV_DIR)/coverage.txt; \
	exit $$status

# The product lines each test reaches, and those only it reaches.
coverage-map: deps
	python3 scripts/coverage-map

# Configured again so that the peers just installed are found.
bench: deps-bench
	cmake -S . -B $(BUILD_DIR) -G Ninja
	cmake --build $(BUILD_DIR)
	mkdir -p $(BENCH_DIR)
	@found=0; \
	for exe in $(BENCH_DIR)/*_bench; do \
		[ -f "$$exe" ] && [ -x "$$exe" ] || continue; \
		found=1; name=$$(basename "$$exe"); \
		echo "==== $$name ===="; \
		"$$exe" --benchmark_out=$(BENCH_DIR)/$$name.json $(BENCH_FLAGS) || exit 1; \
		echo "results: $(BENCH_DIR)/$$name.json"; \
	done; \
	if [ $$found -eq 0 ]; then echo "no benchmarks built (add bench/<name>_bench.cpp)"; fi

# The Debian packages of debian/ (dpkg-buildpackage, from a copy of the
# tree), into $(BUILD_DIR)/packages.
deb: deps deps-package
	bash scripts/build-deb $(BUILD_DIR)

# Installs the packages on this machine (root or sudo), builds and runs
# hosts against them, as a fresh machine would, and removes them again.
package-check: deb
	bash scripts/package-check $(BUILD_DIR)

# lintian over what make deb built; any error or warning fails.
lintian:
	lintian --fail-on error,warning $(BUILD_DIR)/packages/*.changes

demo: build
	SHOW_ERROR=$(SHOW_ERROR) bash scripts/demo

# The long hardening runs; short versions of each are part of make test.
# FUZZ_SECONDS is the time each fuzz target runs.
FUZZ_SECONDS ?= 60

fuzz: deps
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz

crash-test: deps
	bash scripts/crash-test

soak: deps
	bash scripts/soak

# The long gapless stress test, STRESS_RUNS (20) processes beside a
# processor hog (STRESS_HOG=0: without); make test runs a short one.
STRESS_RUNS ?= 20
stress: build
	STRESS_RUNS=$(STRESS_RUNS) bash scripts/stress $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(COV_DIR) build-fuzz build-soak build-map
