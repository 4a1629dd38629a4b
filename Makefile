# Yarrow: `make run` sets up, builds and starts the program; `make test` sets up,
# builds and runs every test headless. Only `make deps` and the first `run` or
# `test` install packages; `make build` configures only when nothing is
# configured yet.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
DEPS_STAMP := $(BUILD)/.deps-installed
# Seconds each fuzz target runs for under `make fuzz-run`.
SECONDS ?= 600
# ccache, when installed, for every build this file configures. Paths are
# hashed relative to the checkout, so a fresh clone elsewhere (as CI makes)
# reuses what an earlier build of the same sources compiled.
CCACHE := $(shell command -v ccache 2>/dev/null)
LAUNCHER := $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1
# The sanitizer run stops at the first error of either sanitizer. Leaks are
# reported too, less the ones the system libraries under Qt keep for the
# process's lifetime (scripts/lsan.supp).
SANITIZE_ENV := ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: all deps configure build run test sanitize sanitize-thread package bench bench-anchors fuzz fuzz-run format clean

all: build

deps:
	@bash scripts/setup.sh
	@mkdir -p $(BUILD) && touch $(DEPS_STAMP)

$(DEPS_STAMP):
	@$(MAKE) --no-print-directory deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(LAUNCHER) $(CMAKE_FLAGS)

# Reconfigures on request (new CMAKE_FLAGS); the build reconfigures by itself
# when a CMakeLists.txt changes.
configure:
	cmake -S . -B $(BUILD) -G Ninja $(LAUNCHER) $(CMAKE_FLAGS)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	$(BUILD)/bin/yarrow

test: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian packages yarrow_<version>_amd64.deb (the program) and
# yarrow-hub_<version>_amd64.deb (the hub alone, no GUI libraries), in $(BUILD)/.
package: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/yarrow_*.deb $(BUILD)/yarrow-hub_*.deb

# Every test once more in a Debug build with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-sanitize/). The soak tests measure the
# hub's memory, which the sanitizer's quarantine would swamp, and the package
# test packs the program, which has nothing to check here; `make test` runs
# both.
sanitize: $(DEPS_STAMP)
	cmake -S . -B $(BUILD)-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DYARROW_SANITIZE=ON \
	    -DYARROW_BUILD_BENCH=OFF $(LAUNCHER) $(CMAKE_FLAGS)
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && QT_QPA_PLATFORM=offscreen $(SANITIZE_ENV) \
	    ctest --output-on-failure -j $(JOBS) -LE "soak|package"

# The tests where threads meet (a hosting window beside its hub's thread, the
# parallel sender, the hub process under load) once more in a Debug build with
# ThreadSanitizer (build-tsan/). Qt's own libraries are not instrumented, so
# races it reports inside them are left out (scripts/tsan.supp); the tests run
# several times slower, hence the longer time-outs.
TSAN_TESTS := net_core|HubSockets|ClientConnection|ChatController|LostProcess|HubSoak|YarrowHubProcess
TSAN_ENV := TSAN_OPTIONS=halt_on_error=1:exitcode=66:die_after_fork=0:suppressions=$(CURDIR)/scripts/tsan.supp \
	QTEST_FUNCTION_TIMEOUT=1500000
sanitize-thread: $(DEPS_STAMP)
	cmake -S . -B $(BUILD)-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DYARROW_SANITIZE_THREAD=ON \
	    -DYARROW_BUILD_BENCH=OFF $(LAUNCHER) $(CMAKE_FLAGS)
	cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && QT_QPA_PLATFORM=offscreen $(TSAN_ENV) \
	    ctest --output-on-failure -j $(JOBS) --timeout 1800 -R "$(TSAN_TESTS)"

bench: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	@bash scripts/bench.sh $(BUILD)

# yarrow-hub beside Redis, NATS, mosquitto and InspIRCd (installed when
# missing), with the ratios; see scripts/bench-anchors.sh.
bench-anchors: $(DEPS_STAMP) $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target yarrow-hub hub_host_qt
	@bash scripts/bench-anchors.sh $(BUILD)

fuzz: $(DEPS_STAMP)
	cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
	    -DYARROW_BUILD_FUZZ=ON -DYARROW_BUILD_TESTS=OFF -DYARROW_BUILD_BENCH=OFF $(LAUNCHER)
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_all

# Runs every fuzz target for SECONDS seconds, one after the other.
fuzz-run: fuzz
	bash scripts/fuzz-run.sh $(BUILD)-fuzz $(SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
