# Velta II developer entry points. `make run` shows the saver, `make test` runs every test.
BUILD ?= build
JOBS ?= 2

.PHONY: all deps build run test unit bench format clean

all: build

deps:
	@tools/install_deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	BUILD=$(BUILD) tools/run_saver.sh

test: build
	cd $(BUILD) && ctest --output-on-failure

# Unit tests only: quick iteration without the display-driven system tests.
unit: build
	cd $(BUILD) && ctest -L unit --output-on-failure

bench: build
	BUILD=$(BUILD) /usr/bin/python3 tools/bench.py

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
