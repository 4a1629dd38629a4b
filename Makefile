# Yarrow: `make run` sets up, builds and starts the program; `make test` sets up,
# builds and runs every test headless.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all setup configure build run test bench fuzz format clean

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/yarrow

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@bash scripts/bench.sh $(BUILD)

fuzz: setup
	cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
	    -DYARROW_BUILD_FUZZ=ON -DYARROW_BUILD_TESTS=OFF -DYARROW_BUILD_BENCH=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_msg_decoder fuzz_general_dice

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
