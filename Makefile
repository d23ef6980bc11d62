# Entry points: `make run` starts the engine, `make test` runs the default suite. Both first
# install what a fresh Debian machine lacks (scripts/install-deps.sh does nothing otherwise).
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test test-slow asan bench clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) -- --no-print-directory

run: build
	@./$(BUILD_DIR)/quarvelin text

test: build
	@cd $(BUILD_DIR) && ctest -LE slow --output-on-failure -j $(JOBS)

test-slow: build
	@cd $(BUILD_DIR) && ctest -L slow --output-on-failure -j $(JOBS)

asan: deps
	@cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DQUARVELIN_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@cd $(ASAN_DIR) && ctest -LE slow --output-on-failure -j $(JOBS)

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_DIR)
