# Yarrow: `make run` sets up, builds and starts the program; `make test` sets up,
# builds and runs every test headless. Only `make deps` and the first `run` or
# `test` install packages; `make build` configures only when nothing is
# configured yet.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
DEPS_STAMP := $(BUILD)/.deps-installed

.PHONY: all deps configure build run test package bench bench-anchors fuzz format clean

all: build

deps:
	@bash scripts/setup.sh
	@mkdir -p $(BUILD) && touch $(DEPS_STAMP)

$(DEPS_STAMP):
	@$(MAKE) --no-print-directory deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

# Reconfigures on request (new CMAKE_FLAGS); the build reconfigures by itself
# when a CMakeLists.txt changes.
configure:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	$(BUILD)/bin/yarrow

test: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package yarrow_<version>_amd64.deb, in $(BUILD)/.
package: $(DEPS_STAMP)
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/yarrow_*.deb

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
	    -DYARROW_BUILD_FUZZ=ON -DYARROW_BUILD_TESTS=OFF -DYARROW_BUILD_BENCH=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_msg_decoder fuzz_general_dice fuzz_map_file

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
