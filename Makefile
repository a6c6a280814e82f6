# Entry points for people: `make test` and `make demo`.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test demo bench coverage clean

all: build

deps:
	@scripts/install-deps readers browser
	@tests/export/jet4/setup.sh
	@# axe-core for e2e/test_accessibility.py, pinned by e2e/axe/package-lock.json
	@[ -f e2e/axe/node_modules/axe-core/axe.min.js ] || npm ci --prefix e2e/axe --no-audit --no-fund --loglevel=error

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The demo needs only the build packages and the program itself.
DEMO_PORT ?= 8080
demo:
	@scripts/install-deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) --target zylgrid -j $(JOBS)
	@$(BUILD)/apps/zylgrid/zylgrid demo --port $(DEMO_PORT)

# Benchmarks need an optimised build of their own (Release, no tests): the
# Google Benchmark programs, then the whole-process figures of bench/process.sh
# (ZYLGRID_OLD=path runs an older zylgrid beside the new one) and their chart.
BENCH_BUILD ?= build-bench
bench:
	@scripts/install-deps bench
	@cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DZYL_BUILD_TESTS=OFF \
	  $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do \
	  case "$$b" in *bench_floor) continue ;; esac; \
	  [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; \
	done
	@BUILD=$(BENCH_BUILD) RESULTS=$(BENCH_BUILD)/results.jsonl bench/process.sh
	@bench/chart.py $(BENCH_BUILD)/results.jsonl docs/images/side-by-side.png

# Line and branch coverage of the product code over every suite: a Debug build
# with gcov counters of its own, the whole test run, then gcovr's summary
# (build-coverage/coverage.txt; per-file table in build-coverage/coverage-files.txt).
COVERAGE_BUILD ?= build-coverage
coverage: deps
	@scripts/install-deps coverage
	@cmake -S . -B $(COVERAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZYL_COVERAGE=ON \
	  -DZYL_BUILD_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(COVERAGE_BUILD) -j $(JOBS)
	@find $(COVERAGE_BUILD) -name '*.gcda' -delete
	@ctest --test-dir $(COVERAGE_BUILD) -j $(JOBS) --output-on-failure || true
	@scripts/coverage-report $(COVERAGE_BUILD)

clean:
	rm -rf $(BUILD) build-*
