# Entry points: `make run` starts the engine, `make test` runs the default suite. Both first
# install what a fresh Debian machine lacks (scripts/install-deps.sh does nothing otherwise).
# Builds are quiet: the compiler's log is shown only when it holds a warning or an error.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# $(call quiet_build,dir): builds dir and prints only the compiler's diagnostics (progress and
# make's own chatter are left in dir/build.log).
define quiet_build
@cmake --build $(1) -j $(JOBS) > $(1)/build.log 2>&1 \
	|| { grep -v -E "^\[ *[0-9]+%\]|make\[[0-9]+\]: (Entering|Leaving)" $(1)/build.log; \
	     echo "Build failed (full log in $(1)/build.log)"; exit 1; }
@grep -E -A3 "warning:" $(1)/build.log || true
endef

# $(call quiet_ctest,dir,label option): runs the tests of dir; prints the summary, and on failure
# the output of the failing tests (everything is in dir/test.log).
define quiet_ctest
@cd $(1) && ctest $(2) --output-on-failure -j $(JOBS) > test.log 2>&1 \
	&& grep -E -A3 "tests passed|No tests were found" test.log \
	|| { grep -v -E "^ *Start +[0-9]+:|Passed +[0-9.]+ sec" test.log; exit 1; }
endef

PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps configure build run test test-slow test-integration asan tsan bench bench-wac clean \
	install uninstall

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release > /dev/null

build: configure
	$(call quiet_build,$(BUILD_DIR))

# The engine plays in $(PLAY_DIR), which `make clean` leaves alone: the books, games and reports
# saved there survive a rebuild; the default book goes in only where the user has none.
PLAY_DIR ?= play
run: build
	@bash scripts/play-dir.sh $(BUILD_DIR)/default-book/bibli.bok $(PLAY_DIR)
	@cd $(PLAY_DIR) && $(abspath $(BUILD_DIR))/quarvelin text

# The default suite includes the real-interface match (label "integration"), which counts as
# skipped when xboard, xvfb-run or fairymax is missing.
test: build
	$(call quiet_ctest,$(BUILD_DIR),-LE slow)

test-slow: build
	$(call quiet_ctest,$(BUILD_DIR),-L slow)

# Only the match: two games under a real xboard against another engine (needs xboard, xvfb-run
# and fairymax: bash scripts/install-deps.sh --integration).
test-integration: build
	$(call quiet_ctest,$(BUILD_DIR),-L integration)

asan: deps
	@cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DQUARVELIN_SANITIZE=ON \
		-DQUARVELIN_THREAD_STATE=ON > /dev/null
	$(call quiet_build,$(ASAN_DIR))
	$(call quiet_ctest,$(ASAN_DIR),-LE "slow|integration")

# The tests that run searches on several threads, under ThreadSanitizer (optimised, without the
# slow checks, which would only slow the searches down).
tsan: deps
	@cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARVELIN_TSAN=ON > /dev/null
	$(call quiet_build,$(TSAN_DIR))
	$(call quiet_ctest,$(TSAN_DIR),-R Threads)

# Speed in a Release build: perft, evaluation and fixed-depth searches of middle-game positions
# (with their node total, which must not move when only the speed changes).
bench: configure
	@cmake --build $(BUILD_DIR) --target quarvelin_bench -j $(JOBS) > $(BUILD_DIR)/bench.log 2>&1 \
	|| { cat $(BUILD_DIR)/bench.log; echo "Build failed"; exit 1; }
	@./$(BUILD_DIR)/quarvelin_bench

# The tactical benchmark: the 300 Win-At-Chess positions at one second each (about five minutes).
bench-wac: configure
	@cmake --build $(BUILD_DIR) --target quarvelin_bench -j $(JOBS) > $(BUILD_DIR)/bench.log 2>&1 \
	|| { cat $(BUILD_DIR)/bench.log; echo "Build failed"; exit 1; }
	@./$(BUILD_DIR)/quarvelin_bench wac tests/data/wac.epd 1000

# The engine, the book builder, the default book, the manual page and xboard's engine list
# entry under $(DESTDIR)$(PREFIX); uninstall removes exactly what the install put there.
install: build
	@bash scripts/install.sh install $(BUILD_DIR) $(PREFIX) $(DESTDIR)

uninstall:
	@bash scripts/install.sh uninstall $(PREFIX) $(DESTDIR)

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR)
